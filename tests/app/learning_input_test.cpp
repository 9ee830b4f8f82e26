// The learning screen driven by real input: X events made by xdotool reach the program through the
// window layer and the window procedure as a pupil's would, frames run on the real clock, and the
// screen's state is read back. Where to press is computed from the screen's own layout. The shipped
// lesson library lies beside a private program folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/base/status_text.h"
#include "gfx/layout.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_views.h"
#include "midi/playback.h"
#include "tests/app/learning_window_fixture.h"

namespace {

namespace fs = std::filesystem;

class LearningInput : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    LinkShippedLibrary();
    if (HasFatalFailure()) return;
    LoadLibraryIndex();
    gPracticeMode = true;
    FindWindow();
    if (HasFatalFailure()) return;
    Pump(5);
  }
  void TearDown() override {
    StopPlaybackAndCloseOutput();
    gSongEvents.clear();
    LearningWindowTest::TearDown();
  }
  void Do(const std::vector<std::string>& args) {
    ASSERT_FALSE(Xdo(args).empty()) << args[0];
    Pump(4);
  }
  void MoveTo(float x, float y) { Do({"mousemove", "--window", window_, std::to_string((int)x), std::to_string((int)y)}); }
  void ClickAt(float x, float y) {
    MoveTo(x, y);
    Do({"click", "1"});
  }
  void Click(const RectF& r) { ClickAt(r.x + r.w / 2, r.y + r.h / 2); }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> args{"key", "--clearmodifiers", "--delay", "40"};
    args.insert(args.end(), keys.begin(), keys.end());
    Do(args);
  }
  void Type(const std::string& text) { Do({"type", "--delay", "40", text}); }
  // Frames on the real clock: the events arrive and are handled.
  static void Pump(int frames) {
    for (int i = 0; i < frames; ++i) {
      RunFrameWork(ClockMs32());
      std::this_thread::sleep_for(std::chrono::milliseconds(12));
    }
  }
  static std::vector<const LibraryItem*> Listed() {
    std::vector<const LibraryItem*> items;
    for (const LibraryItem& item : gLibraryItems)
      if (ItemMatchesFilters(item)) items.push_back(&item);
    return items;
  }
  static RectF CardOf(const std::string& id) {
    RectF found = kHiddenRect;
    WalkCardGrid(ComputeLearningLayout(), gLibraryScroll, nullptr, [&](const LibraryItem& item, const RectF& r) {
      if (item.id == id) found = r;
      return item.id == id;
    });
    return found;
  }
  void OpenScreen() {
    Pump(2);
    ASSERT_GT(gLibraryButtonRect.w, 2.0f);
    Click(gLibraryButtonRect);
    ASSERT_TRUE(gLibraryOpen);
  }
};

TEST_F(LearningInput, BrowseSearchAndScroll) {
  OpenScreen();
  // The whole library from its navigation row, then the LEVEL filter.
  LearningLayout l = ComputeLearningLayout();
  Click(NavRowRect(l, 3));
  EXPECT_EQ(gLibraryViewKey, "");
  size_t all = Listed().size();
  l = ComputeLearningLayout();
  Click(LevelRowRect(l, 2));
  EXPECT_EQ(gLevelFilter, 1);
  EXPECT_LT(Listed().size(), all);
  Click(LevelRowRect(l, 0));
  EXPECT_EQ(gLevelFilter, -1);

  // Typing filters at once, and the letters reach no command key (Shift+M, R, a blank).
  Pump(2);
  Click(gSearchBoxRect);
  ASSERT_TRUE(gSearchFocused);
  gStatusText.clear();
  const bool strip = gPracticeStrip;
  Type("Minor");
  EXPECT_EQ(gSearchField.text, "Minor");
  EXPECT_EQ(gSearchQuery, "minor");
  EXPECT_EQ(gPracticeStrip, strip);
  EXPECT_TRUE(gStatusText.empty()) << gStatusText;
  std::vector<const LibraryItem*> minor = Listed();
  ASSERT_FALSE(minor.empty());
  // Ctrl held across frames: the shell reads the modifiers when it handles a key.
  Do({"keydown", "ctrl"});
  Do({"key", "a"});
  Do({"key", "x"});
  Do({"keyup", "ctrl"});
  EXPECT_EQ(gSearchField.text, "");
  EXPECT_EQ(gSearchQuery, "");
  Type("ab r");
  Keys({"Escape"});
  EXPECT_EQ(gSearchField.text, "");
  EXPECT_TRUE(gSearchFocused);
  Keys({"Escape"});
  EXPECT_FALSE(gSearchFocused);
  EXPECT_TRUE(gPracticeMode);   // neither Escape left practice mode

  // A wheel notch, a thumb drag and a page click on the track.
  l = ComputeLearningLayout();
  const float maxScroll = MaxLibraryScroll(l);
  ASSERT_GT(maxScroll, 200.0f);
  MoveTo(l.contentX + 40, l.contentY + 40);
  Do({"click", "5"});
  EXPECT_FLOAT_EQ(gLibraryScroll, 84.0f);
  Do({"click", "4"});
  EXPECT_FLOAT_EQ(gLibraryScroll, 0.0f);
  RectF track, thumb;
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  float dy = (track.h - thumb.h) / 2;
  MoveTo(thumb.x + thumb.w / 2, thumb.y + thumb.h / 2);
  Do({"mousedown", "1"});
  MoveTo(thumb.x + thumb.w / 2, thumb.y + thumb.h / 2 + dy);
  Do({"mouseup", "1"});
  EXPECT_FALSE(gScrollDragging);
  EXPECT_NEAR(gLibraryScroll, maxScroll / 2, maxScroll * 0.02 + 2);
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  float before = gLibraryScroll;
  ClickAt(track.x + track.w / 2, track.y + track.h - 3);
  EXPECT_NEAR(gLibraryScroll, std::min(before + 0.85f * l.contentH, maxScroll), 1.0f);

  // A press outside the panel closes the screen, on the toolbar or elsewhere.
  ClickAt(l.x / 2, l.top + l.height / 2);
  EXPECT_FALSE(gLibraryOpen);
}

TEST_F(LearningInput, PickCardsPracticeOpenAndLocked) {
  OpenScreen();
  LearningLayout l = ComputeLearningLayout();
  Click(NavRowRect(l, 3));
  ASSERT_EQ(gLibraryViewKey, "");
  Pump(2);
  // The first section's SELECT starts the choosing; two cards are picked; PRACTICE starts the set.
  l = ComputeLearningLayout();
  std::vector<const LibraryItem*> listed = Listed();
  ASSERT_GE(listed.size(), 3u);
  const std::string first = listed[0]->id, second = listed[1]->id;
  Click(SectionButtonRect(l, l.contentY));
  EXPECT_TRUE(gChoosingPractice);
  Click(CardOf(first));
  Click(CardOf(second));
  EXPECT_EQ(gSelectedCards.size(), 2u);
  Pump(2);
  Click(PracticeButtonRect(l));
  EXPECT_TRUE(gPracticeSetActive);
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{first, second}));
  EXPECT_EQ(gPracticeItemId, first);
  EXPECT_FALSE(gLibraryOpen);

  // A card's press loads its song and closes the screen.
  ClearPracticeSet();
  OpenScreen();
  const std::string third = Listed()[2]->id;
  Click(CardOf(third));
  EXPECT_EQ(gPracticeItemId, third);
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_FALSE(gSongEvents.empty());

  // A locked card only says so.
  OpenScreen();
  l = ComputeLearningLayout();
  Click(gSearchBoxRect);
  Type("minor");
  Keys({"Return"});
  const LibraryItem* locked = nullptr;
  for (const LibraryItem* item : Listed())
    if (!IsItemAvailable(*item) && CardOf(item->id).y + 126 < l.contentY + l.contentH) locked = item;
  ASSERT_NE(locked, nullptr);
  RectF card = CardOf(locked->id);
  ClickAt(card.x + 30, card.y + 30);
  EXPECT_EQ(gStatusText, "Locked - finish the previous section first");
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gPracticeItemId, third);
}

// A search typed in Key Patterns lists the whole library, as the line in the picker's place says:
// "minor" brings the minor chords and studies with the scales, and a study's press opens it.
TEST_F(LearningInput, ASearchInKeyPatternsFindsAndOpensAStudy) {
  gLibraryViewKey = "scales";
  SortLibraryItems();
  OpenScreen();
  Pump(2);
  Click(gSearchBoxRect);
  Type("minor");
  Keys({"Return"});
  ASSERT_EQ(gLibraryViewKey, "scales");
  const LibraryItem* study = nullptr;
  int chords = 0;
  for (const LibraryItem* item : Listed()) {
    chords += item->category == "chords";
    if (!study && item->category == "etude") study = item;
  }
  EXPECT_GT(chords, 0);
  ASSERT_NE(study, nullptr) << "no study listed";
  const std::string id = study->id;
  // Scrolled to the study's card by pages of the scrollbar's track.
  const LearningLayout l = ComputeLearningLayout();
  RectF track, thumb;
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  for (int page = 0; page < 20 && CardOf(id).y + 126.0f > l.contentY + l.contentH; ++page)
    ClickAt(track.x + track.w / 2, track.y + track.h - 3);
  SaveProgramScreenshot("learning_search_key_patterns");
  const RectF card = CardOf(id);
  ASSERT_LE(card.y + card.h, l.contentY + l.contentH);
  ClickAt(card.x + 30, card.y + 30);
  EXPECT_EQ(gPracticeItemId, id);
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_FALSE(gSongEvents.empty());
}

// A picker list left open in Key Patterns while the calendar opens today's lesson closes with the
// view: the scroll hint beside the lesson's scrollbar shows again under the pointer, with no press
// on a navigation row first.
TEST_F(LearningInput, TheCalendarLeavesNoPickerListToHideTheScrollHint) {
  gLibraryViewKey = "scales";
  SortLibraryItems();
  OpenScreen();
  Pump(2);
  LearningLayout l = ComputeLearningLayout();
  Click(RunsTypeBoxRect(l));
  ASSERT_EQ(gRunsDropDown, kRunsListType);
  const std::string today = TodayIsoDate();
  ASSERT_FALSE(gLearningCalendar[today].assigned.empty()) << "no lesson today";
  RectF cell = kHiddenRect;
  for (int i = 0; i < 42; ++i) {
    RectF r;
    std::string date;
    if (LearningCalendarCellRect(l, i, &r, &date) && date == today) cell = r;
  }
  ASSERT_GT(cell.w, 0.0f);
  Click(cell);
  ASSERT_EQ(gLibraryViewKey, "today");
  EXPECT_EQ(gRunsDropDown, kRunsListNone);

  // The pointer on the scrollbar's track brings the hint up, left of the track.
  l = ComputeLearningLayout();
  RectF track, thumb;
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  MoveTo(track.x + track.w / 2, track.y + track.h / 2);
  Pump(30);
  SaveProgramScreenshot("learning_hint_after_calendar");
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  DrawLearningScrollHint();
  const std::vector<uint8_t> frame = ReadFrame();
  int lit = 0;
  for (float y = l.contentY; y < l.contentY + l.contentH; y += 1.0f)
    for (float x = track.x - 10.0f - 120.0f; x < track.x - 10.0f; x += 1.0f) lit += Sum(At(frame, x, y)) > 300;
  EXPECT_GT(lit, 40) << "the hint's section names";
}

// Cards chosen in a grid keep CLEAR and PRACTICE in the header over the Skills view, and its MAP
// and OVERVIEW tabs stand beside them: a press on a tab switches the tab, and the chosen cards
// wait unplayed.
TEST_F(LearningInput, TheSkillsTabsTakeTheirPressesWhileCardsAreChosen) {
  OpenScreen();
  LearningLayout l = ComputeLearningLayout();
  Click(NavRowRect(l, 3));
  ASSERT_EQ(gLibraryViewKey, "");
  Pump(2);
  l = ComputeLearningLayout();
  Click(SectionButtonRect(l, l.contentY));   // SELECT starts the choosing, ALL takes the section
  Pump(2);
  Click(SectionButtonRect(l, l.contentY));
  ASSERT_TRUE(gChoosingPractice);
  const size_t chosen = gSelectedCards.size();
  ASSERT_GT(chosen, 0u);

  std::vector<NavRow> rows = BuildNavRows();
  int skills = -1;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].kind == 1 && gNavGroups[rows[i].group].front() == "skills") skills = (int)i;
  ASSERT_GE(skills, 0);
  Click(NavRowRect(l, skills));
  ASSERT_EQ(gLibraryViewKey, "skills");
  ASSERT_EQ(gSkillsTab, kSkillsTabMap);
  Pump(2);
  SaveScreenshot("learning_skills_tabs_beside_practice");

  l = ComputeLearningLayout();
  Click(GetSkillsTabRect(l, kSkillsTabOverview));
  EXPECT_EQ(gSkillsTab, kSkillsTabOverview);
  EXPECT_FALSE(gPracticeSetActive);
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gSelectedCards.size(), chosen);
  Click(GetSkillsTabRect(l, kSkillsTabMap));
  EXPECT_EQ(gSkillsTab, kSkillsTabMap);
  EXPECT_FALSE(gPracticeSetActive);
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gSelectedCards.size(), chosen);
  // The buttons beside them still answer.
  Click(ClearButtonRect(l));
  EXPECT_TRUE(gSelectedCards.empty());
  EXPECT_FALSE(gChoosingPractice);
}

}  // namespace
