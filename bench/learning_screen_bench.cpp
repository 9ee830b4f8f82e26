// Cost of one learning-screen frame with a 400-item library in the whole-library card grid at
// 1440 x 920: the logic alone (layout, scroll range, the grid walk) and the whole drawing on the
// software GL of a hidden window (needs a display, DISPLAY=:N); Key Patterns with the picker
// bar and its type list open over 400 scales; the mastery map with 60 skills of 5 pieces and
// 300 prerequisite edges, one star selected; and the "today" view of a Marathon day (32
// blocks) with the month calendar and the overview panel.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/view_modes.h"
#include "app/window_size.h"
#include "bench/hidden_gl_window.h"
#include "bench/view_scenes.h"
#include "gfx/gl_setup.h"
#include "gfx/text.h"
#include "learning/attempt_rules.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/schedule.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/lesson_panel.h"
#include "learning_ui/mastery_map.h"
#include "learning_ui/skill_graph.h"
#include "platform/window.h"

// The whole-library grid at 1440 x 920.
static void MakeLibraryAt1440() {
  gClientWidth = 1440;
  gClientHeight = 920;
  MakeLibrary();
}

static void BM_LearningScreenLogic(benchmark::State& state) {
  MakeLibraryAt1440();
  for (auto _ : state) {
    LearningLayout l = ComputeLearningLayout();
    ClampLibraryScroll(l);
    int cards = 0;
    WalkCardGrid(l, gLibraryScroll, nullptr, [&](const LibraryItem&, const RectF&) { return ++cards < 0; });
    benchmark::DoNotOptimize(cards);
  }
}
BENCHMARK(BM_LearningScreenLogic)->Unit(benchmark::kMicrosecond);

// One whole frame of the screen, scrolled to the middle of the grid.
static void BM_LearningScreenFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  MakeLibraryAt1440();
  gLibraryScroll = MaxLibraryScroll(ComputeLearningLayout()) / 2.0f;
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLibraryButton();
    DrawLearningScreen();
    DrawLearningScrollHint();
    glFinish();
  }
}
BENCHMARK(BM_LearningScreenFrameWithGl)->Unit(benchmark::kMillisecond);

// 400 scales in eight types, every key and three hands, as Key Patterns lists them.
static void MakeTechniqueLibrary() {
  static const char* const kKeys[12] = {"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
  static const char* const kHands[3] = {"rh", "lh", "both"};
  gLibraryItems.clear();
  for (int i = 0; i < 400; ++i) {
    LibraryItem item;
    item.id = "tech_" + std::to_string(i);
    item.category = "scales";
    item.type = "Scale family " + std::to_string(i % 8);
    item.key_name = kKeys[i % 12];
    item.hand = kHands[i % 3];
    item.name = std::string(item.key_name) + " pattern " + std::to_string(i) + " - two octaves";
    item.file = item.id + ".mid";
    item.level = 1 + i % 5;
    item.row_index = i;
    gLibraryItems.push_back(item);
  }
  gLibraryLoaded = true;
  gClientWidth = 1440;
  gClientHeight = 920;
  gPracticeMode = true;
  gLibraryOpen = true;
  gLibraryViewKey = "scales";
  gChosenKey = -1;
  SortLibraryItems();
}

// One frame of Key Patterns with the picker bar and its type list open over the cards.
static void BM_TechniqueViewWithOpenListWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  MakeTechniqueLibrary();
  gRunsDropDown = kRunsListType;
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLibraryButton();
    DrawLearningScreen();
    DrawLearningScrollHint();
    glFinish();
  }
  ResetEndlessRunsPicker();
  gRunsDropDown = kRunsListNone;
}
BENCHMARK(BM_TechniqueViewWithOpenListWithGl)->Unit(benchmark::kMillisecond);

// A Marathon day of 32 blocks from the library, the first ten done, and a month of lesson days
// around it (done, partly done and missed ones, planned ones ahead), shown in the "today" view.
static void MakeLessonDay() {
  MakeLibraryAt1440();
  gPracticeLoad = 3;
  const std::string today = TodayIsoDate();
  std::vector<std::string> ids;
  for (int i = 0; i < 32; ++i) ids.push_back("bench_" + std::to_string(3 * i + 1));
  gDayItemIds = ids;
  gDayItemSet.clear();
  gDayItemSet.insert(ids.begin(), ids.end());
  gLearningCalendar.clear();
  for (int d = -24; d <= 14; ++d) {
    CalendarDay& day = gLearningCalendar[AddDaysIsoDate(today, d)];
    day.assigned = ids;
    day.lesson = 1;
    const int done = d < 0 ? (d % 3 == 0 ? 32 : d % 3 == -1 ? 12 : 0) : d == 0 ? 10 : 0;
    for (int i = 0; i < done; ++i) day.complete.insert(ids[(size_t)i]);
  }
  gCurrentLearningDay = today;
  gViewingPlannedDay.clear();
  gLibraryViewKey = "today";
  SortLibraryItems();
}

static void BM_LessonDayLogic(benchmark::State& state) {
  MakeLessonDay();
  for (auto _ : state) {
    LearningLayout l = ComputeLearningLayout();
    ClampLibraryScroll(l);
    LessonDayView view = BuildLessonDayView();
    benchmark::DoNotOptimize(view.firstOpen);
  }
}
BENCHMARK(BM_LessonDayLogic)->Unit(benchmark::kMicrosecond);

// One whole frame of the "today" view scrolled to the middle of its 32 blocks, with the calendar
// and the overview panel.
static void BM_LessonDayFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  MakeLessonDay();
  gLessonAutoScrollDone = true;
  gLibraryScroll = MaxLibraryScroll(ComputeLearningLayout()) / 2.0f;
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLibraryButton();
    DrawLearningScreen();
    DrawLearningScrollHint();
    glFinish();
  }
}
BENCHMARK(BM_LessonDayFrameWithGl)->Unit(benchmark::kMillisecond);

// The calendar and the overview panel alone, to read their share of the frame above.
static void BM_CalendarAndOverviewWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  MakeLessonDay();
  const LearningLayout l = ComputeLearningLayout();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLearningCalendar(l);
    DrawOverviewPanel(l, 32, 10);
    glFinish();
  }
}
BENCHMARK(BM_CalendarAndOverviewWithGl)->Unit(benchmark::kMillisecond);

// The same window cleared and finished with nothing drawn: the rasteriser's floor on this machine,
// to read the frame above against.
static void BM_EmptyFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
  }
}
BENCHMARK(BM_EmptyFrameWithGl)->Unit(benchmark::kMillisecond);

// 60 skills over the seven sections and all tiers, 5 pieces each, and 300 edges among them.
static void MakeSkillMap() {
  static const char* const kSections[] = {"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"};
  static const char* const kTierWords[] = {"Basics", "Major", "Staccato", "Cadences", "Lyric", "Velocity", "Advanced"};
  gLibraryItems.clear();
  std::vector<std::pair<std::string, std::string>> skills;
  for (int s = 0; s < 60; ++s) {
    std::string category = kSections[s % 7];
    std::string type = std::string(kTierWords[(s / 7) % 7]) + " set " + std::to_string(s);
    skills.emplace_back(category, type);
    for (int p = 0; p < 5; ++p) {
      LibraryItem item;
      item.id = "map_" + std::to_string(s) + "_" + std::to_string(p);
      item.name = "Piece " + std::to_string(p) + " - of skill " + std::to_string(s);
      item.category = category;
      item.type = type;
      item.file = item.id + ".mid";
      item.row_index = (int)gLibraryItems.size();
      gLibraryItems.push_back(item);
    }
  }
  ResetSkillGraph();
  LoadSkillGraph();   // no file: tried once, then filled here
  for (int e = 0; e < 300; ++e) {
    const auto& a = skills[(e * 7 + 3) % 60];
    const auto& b = skills[(e * 13 + 1) % 60];
    gSkillGraph.push_back({a.first, a.second, b.first, b.second});
  }
  gLibraryLoaded = true;
  gClientWidth = 1440;
  gClientHeight = 920;
  gPracticeMode = true;
  gLibraryOpen = true;
  gLibraryViewKey = "skills";
  gSkillsTab = kSkillsTabMap;
  gLibraryScroll = 0.0f;
  SortLibraryItems();
  gMapSelectedSkill = ItemSkillKey(skills[1].first, skills[1].second);
}

static void BM_MasteryMapLogic(benchmark::State& state) {
  MakeSkillMap();
  for (auto _ : state) {
    LearningLayout l = ComputeLearningLayout();
    ClampLibraryScroll(l);
    std::vector<std::vector<int>> items;
    std::vector<MapNode> nodes = LayoutMasteryMap(l, &items);
    benchmark::DoNotOptimize(FindYouAreHereCard(nodes));
  }
}
BENCHMARK(BM_MasteryMapLogic)->Unit(benchmark::kMicrosecond);

static void BM_MasteryMapFrameWithGl(benchmark::State& state) {
  if (!MakeHiddenGlWindow()) {
    state.SkipWithError("no display for a GL context");
    return;
  }
  MakeSkillMap();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLibraryButton();
    DrawLearningScreen();
    DrawLearningScrollHint();
    glFinish();
  }
}
BENCHMARK(BM_MasteryMapFrameWithGl)->Unit(benchmark::kMillisecond);
