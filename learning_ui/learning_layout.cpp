// learning_ui/learning_layout: the learning screen's geometry, its card grid walk, its scroll
// range and the counts of its header. Nothing here draws; every drawer and hit test calls it.
#include "learning_ui/learning_layout.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "gfx/text.h"
#include "learning/attempt_rules.h"
#include "learning/daily_blocks.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning/schedule.h"
#include "learning_ui/learning_screen_state.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/lesson_panel.h"
#include "learning_ui/mastery_map_layout.h"

// ---- constants ----
static const char* const kNavKeys[12] = {"today", "", "foundations", "scales", "chords", "mechanics",
                                         "sight", "etude", "rep_era", "rep_composer", "forms", "study"};
static const char* const kNavLabels[12] = {"Continue Lesson", "Explore Library", "Start Here", "Key Patterns",
                                           "Chord Shapes", "Hand Skills", "Reading Lab", "Short Studies",
                                           "Pieces by Era", "Pieces by Composer", "Forms / Genres", "Composer / Theory"};
static const float kNavColours[12][3] = {{0.45f, 0.66f, 1.0f},  {0.34f, 0.80f, 0.42f}, {0.45f, 0.66f, 1.0f},
                                         {0.95f, 0.65f, 0.32f}, {0.95f, 0.65f, 0.32f}, {0.95f, 0.65f, 0.32f},
                                         {0.40f, 0.78f, 0.92f}, {0.55f, 0.45f, 0.96f}, {0.88f, 0.62f, 0.34f},
                                         {0.88f, 0.62f, 0.34f}, {0.88f, 0.62f, 0.34f}, {0.88f, 0.62f, 0.34f}};

static const float kLevelRowMinH = 15.0f;   // a line of small text

// ---- state ----
const std::vector<std::string> gNavGroups[4] = {
    {"today"},
    {"rep_composer", "rep_era", "forms"},
    {"skills", "foundations", "scales", "chords", "mechanics", "sight", "etude"},
    {"", "study"}};

// ---- internal helpers ----
static int NavKeyIndex(const std::string& key) {
  for (int i = 0; i < 12; ++i)
    if (key == kNavKeys[i]) return i;
  return -1;
}

static float NextLessonTop(const LearningLayout& l) { return l.top + l.height - 41.0f; }

// CLEAR and PRACTICE stand in the header while cards are being chosen.
static bool PracticeButtonsShown() { return gChoosingPractice || !gSelectedCards.empty(); }

// A window too low for the rows of an open group (the Skills group's eleven rows in a window 640
// px high): the navigation shows the rows that fit above bottom, in a card grid above a LEVEL row
// and its heading too, and scrolls as the LEVEL list does; squeezed rows would run labels into
// each other. False when not all rows fit.
static bool FitNavList(LearningLayout& l, float bottom) {
  const int rows = l.navRowCount = (int)BuildNavRows().size();
  const float levelRoom = IsLibraryGridView() ? 20.0f + kLevelRowMinH : 0.0f;
  const int fit = (int)std::floor((bottom - levelRoom - l.navY) / l.navRowH);
  l.navRowsShown = ClampInt(fit, 0, rows);
  return fit >= rows;
}

// A window too low for the twelve rows the navigation may take: the LEVEL list moves up to end
// above bottom, below the navigation rows shown now; where its seven rows still find no room it
// shows those that fit and scrolls (closer rows ran Japanese and Hindi labels into each other).
// False when not even one row fits.
static bool FitLevelList(LearningLayout& l, float bottom) {
  l.levelRowsShown = 7;
  if (l.lowerY + 7.0f * l.lowerRowH <= bottom) return true;
  const float navEnd = l.navY + (float)l.navRowsShown * l.navRowH + 20.0f;
  l.lowerY = std::max(navEnd, bottom - 7.0f * l.lowerRowH);
  l.lowerRowH = std::max(std::min(l.lowerRowH, (bottom - l.lowerY) / 7.0f), kLevelRowMinH);
  const int fit = (int)std::floor((bottom - l.lowerY) / l.lowerRowH);
  l.levelRowsShown = ClampInt(fit, 0, 7);
  return fit >= 1;
}

// Both sidebar lists above bottom; false when either had to leave rows out.
static bool FitSidebarLists(LearningLayout& l, float bottom) {
  const bool navFits = FitNavList(l, bottom);
  return FitLevelList(l, bottom) && navFits;
}

// ---- the layout ----
LearningLayout ComputeLearningLayout() {
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  LearningLayout l{};
  float margin = ClampFloat(0.018f * W, 12.0f, 24.0f);
  l.width = std::min(ClampFloat(0.8736f * W, 1030.0f, 1725.0f), W - 2.0f * margin);
  l.x = (W - l.width) / 2.0f;
  l.top = std::max(0.055f * H, 48.0f);
  l.height = H - l.top - std::max(0.13f * H, 105.0f);
  l.sideX = l.x + 22.0f;
  l.sideW = ClampFloat(0.21f * l.width, 288.0f, 312.0f);
  l.sideInnerW = l.sideW - 12.0f;
  l.calendarY = l.top + 78.0f;
  l.calendarH = 232.0f;
  l.navY = l.calendarY + l.calendarH + 22.0f;
  l.navRowH = ClampFloat((l.height - (l.navY - l.top) - 25.0f - 119.0f - 50.0f) / 12.0f, 16.0f, 20.0f);
  l.lowerY = l.navY + 12.0f * l.navRowH + 20.0f;
  l.lowerRowH = ClampFloat((l.height + l.top - l.lowerY - 48.0f) / 7.0f, 15.0f, 20.0f);
  // A finished day puts NEXT LESSON at the sidebar's foot and the LEVEL list ends above it, or a
  // press on a level moved the student on. Where not one level row would then fit under the
  // navigation (the Skills group open in a 720-px window), the button gives way in the card grids:
  // the filter the cards are listed by must stay in sight, and the lesson view keeps the button.
  const LearningLayout unfitted = l;
  l.nextLesson = IsCurrentDayComplete();
  if (l.nextLesson && !FitSidebarLists(l, NextLessonTop(l) - 4.0f) && IsLibraryGridView()) {
    l = unfitted;
    l.nextLesson = false;
  }
  if (!l.nextLesson) FitSidebarLists(l, l.top + l.height - 8.0f);
  l.detailW = ClampFloat(0.185f * l.width, 240.0f, 280.0f);
  if (l.width - l.sideW - l.detailW <= 720.0f) l.detailW = 0.0f;
  l.contentRight = l.detailW > 0.0f ? l.x + l.width - l.detailW - 22.0f : l.x + l.width;
  float left = l.x + l.sideW + 12.0f;
  float avail = std::max(l.contentRight - 16.0f - left, 360.0f);
  l.contentW = std::min(avail, 1100.0f);
  l.contentX = left + (avail - l.contentW) / 2.0f;
  l.pickerH = IsTechniqueCategory(gLibraryViewKey) ? 50.0f : 0.0f;
  l.contentY = l.top + 92.0f + l.pickerH;
  l.contentH = l.height - 108.0f - l.pickerH;
  l.columns = ClampInt((int)std::floor((l.contentW + 16.0f) / 336.0f), 1, 3);
  l.cardGap = 16.0f;
  l.cardW = (l.contentW - (l.columns - 1) * l.cardGap) / l.columns;
  l.cardH = 126.0f;
  l.sectionH = 58.0f;
  return l;
}

bool IsLibraryGridView() { return gLibraryViewKey != "today" && gLibraryViewKey != "skills"; }

// ---- navigation ----
int NavGroupOfView() {
  for (int g = 0; g < 4; ++g)
    if (std::find(gNavGroups[g].begin(), gNavGroups[g].end(), gLibraryViewKey) != gNavGroups[g].end()) return g;
  return 0;
}

std::string NavViewOfCategory(const std::string& category) {
  LibraryItem probe;
  probe.category = category;
  const std::string* first = nullptr;
  for (const std::vector<std::string>& group : gNavGroups)
    for (const std::string& key : group) {
      // The lesson lists a day's items, not a section's, and the skills view lists no cards.
      if (key == "today" || key == "skills" || !ItemInView(probe, key)) continue;
      if (key == category) return key;
      if (!first) first = &key;
    }
  return first ? *first : std::string();
}

const char* NavKeyLabel(const std::string& key) {
  int i = NavKeyIndex(key);
  return i < 0 ? "Browse" : kNavLabels[i];
}

void NavKeyColour(const std::string& key, float* r, float* g, float* b) {
  int i = NavKeyIndex(key);
  const float* c = i < 0 ? kNavColours[0] : kNavColours[i];
  *r = c[0];
  *g = c[1];
  *b = c[2];
}

std::vector<NavRow> BuildNavRows() {
  std::vector<NavRow> rows;
  int current = NavGroupOfView();
  for (int g = 0; g < 4; ++g) {
    rows.push_back({1, g, ""});
    if (g == current && gNavGroups[g].size() > 1)
      for (const std::string& key : gNavGroups[g]) rows.push_back({0, g, key});
  }
  return rows;
}

// The row of the current view: its entry, or its group's head where the group is not opened.
static int ActiveNavRow(const std::vector<NavRow>& rows) {
  const int group = NavGroupOfView();
  int active = 0;
  for (int i = 0; i < (int)rows.size(); ++i) {
    if (rows[i].kind == 0 && rows[i].key == gLibraryViewKey) return i;
    if (rows[i].kind == 1 && rows[i].group == group) active = i;
  }
  return active;
}

int NavListFirst(const LearningLayout& l) {
  // Every row drawn or hit-tested asks: where all of them fit, nothing needs building.
  if (l.navRowsShown >= l.navRowCount) return 0;
  const std::vector<NavRow> rows = BuildNavRows();
  const int last = std::max((int)rows.size() - l.navRowsShown, 0);
  if (gNavListView == gLibraryViewKey) return ClampInt(gNavListFirst, 0, last);
  return ClampInt(ActiveNavRow(rows) - l.navRowsShown + 1, 0, last);
}

RectF NavRowRect(const LearningLayout& l, int row) {
  const int shown = row - NavListFirst(l);
  if (shown < 0 || shown >= l.navRowsShown) return kHiddenRect;
  return {l.sideX - 8.0f, l.navY + shown * l.navRowH, l.sideInnerW, l.navRowH - 3.0f};
}

int LevelListFirst(const LearningLayout& l) { return ClampInt(gLevelListFirst, 0, 7 - l.levelRowsShown); }

RectF LevelRowRect(const LearningLayout& l, int row) {
  const int shown = row - LevelListFirst(l);
  if (shown < 0 || shown >= l.levelRowsShown) return kHiddenRect;
  return {l.sideX - 8.0f, l.lowerY + shown * l.lowerRowH, l.sideInnerW, l.lowerRowH - 2.0f};
}

RectF NextLessonButtonRect(const LearningLayout& l) {
  if (!l.nextLesson) return kHiddenRect;
  return {l.sideX - 12.0f, NextLessonTop(l), l.sideInnerW, 30.0f};
}

// ---- header and card controls ----
RectF PracticeButtonRect(const LearningLayout& l) { return {l.contentX + l.contentW - 148.0f, l.top + 20.0f, 148.0f, 30.0f}; }
RectF ClearButtonRect(const LearningLayout& l) { return {l.contentX + l.contentW - 224.0f, l.top + 20.0f, 66.0f, 30.0f}; }
RectF SectionButtonRect(const LearningLayout& l, float y) { return {l.contentX + l.contentW - 96.0f, y + 7.0f, 96.0f, 30.0f}; }
RectF CardBadgeRect(const RectF& c) { return {c.x + c.w - 102.0f, c.y + c.h - 32.0f, 84.0f, 22.0f}; }
float RetentionDotsLeft(const RectF& badge) { return badge.x - 35.0f; }

static float SearchBoxWidth(const LearningLayout& l) { return ClampFloat(0.46f * l.contentW, 300.0f, 560.0f); }

// The box is centred over the content, but while CLEAR and PRACTICE stand in the header it ends
// before them: on content narrower than about 830 px the centred box runs under CLEAR, and the
// press meant for CLEAR would focus the box, which takes presses first.
static float SearchBoxRight(const LearningLayout& l) {
  const float w = SearchBoxWidth(l);
  float right = l.contentX + (l.contentW + w) / 2.0f;
  if (PracticeButtonsShown()) right = std::min(right, ClearButtonRect(l).x - 8.0f);
  return right;
}

RectF GetSearchBoxRect(const LearningLayout& l) {
  const float w = SearchBoxWidth(l), right = SearchBoxRight(l);
  RectF box{right - w, l.top + 18.0f, w, 30.0f};
  float titleEnd = l.contentX + gLibraryTitleWidth + 16.0f;
  if (gLibraryTitleWidth > 0.0f && titleEnd > box.x) {
    box.x = std::min(right - 200.0f, titleEnd);
    box.w = right - box.x;
  }
  return box;
}

float TitleMaxWidth(const LearningLayout& l) { return std::max(SearchBoxRight(l) - l.contentX - 216.0f, 120.0f); }

// The tabs end at the content's right edge, but while CLEAR and PRACTICE stand there (cards chosen
// in a grid stay chosen over the Skills view) they end before CLEAR: drawn over the buttons, a
// press on a tab ran the button, which takes presses first.
RectF GetSkillsTabRect(const LearningLayout& l, int index) {
  float right = l.contentX + l.contentW - 7.0f;
  if (PracticeButtonsShown()) right = ClearButtonRect(l).x - 8.0f;
  float overviewW = std::max(MeasureText(gFontSmall, "OVERVIEW", 6.5f) + 26.0f, 64.0f);
  float overviewX = right - overviewW;
  if (index == 0) return {overviewX, l.top + 32.0f, overviewW, 24.0f};
  float mapW = std::max(MeasureText(gFontSmall, "MAP", 6.5f) + 26.0f, 46.0f);
  return {overviewX - 10.0f - mapW, l.top + 32.0f, mapW, 24.0f};
}

// ---- the card grid ----
float WalkCardGrid(const LearningLayout& l, float scroll, const GridSectionVisit& onSection, const GridCardVisit& onCard) {
  const float rowStep = l.cardH + l.cardGap;
  float offset = -scroll;
  int column = 0;
  std::string previous;
  for (const LibraryItem& item : gLibraryItems) {
    if (!ItemMatchesFilters(item)) continue;
    std::string label = RepertoireGroupLabel(item);
    if (label != previous) {
      if (column > 0) {
        offset += rowStep;
        column = 0;
      }
      if (onSection && onSection(label, l.contentY + offset)) return 0.0f;
      offset += l.sectionH;
      previous = std::move(label);
    }
    RectF card{l.contentX + column * (l.cardW + l.cardGap), l.contentY + offset, l.cardW, l.cardH};
    if (onCard && onCard(item, card)) return 0.0f;
    if (++column >= l.columns) {
      offset += rowStep;
      column = 0;
    }
  }
  if (column > 0) offset += rowStep;
  return std::max(offset + scroll - l.cardGap, 0.0f);
}

// ---- scrolling ----
float LearningContentHeight(const LearningLayout& l) {
  if (gLibraryViewKey == "today") {
    // The last row's foot (10 px under the next pitch) must clear the 72-px button band below
    // the list at the end of the range, or the end of the list would stay cut off.
    float height = LessonPanelRowSections().size() * 120.0f + 20.0f + 72.0f;
    if (HasSetAsideItems()) height += ListSetAsideItems().size() * 74.0f + 50.0f;
    return height;
  }
  if (gLibraryViewKey == "skills") {
    return gSkillsTab == kSkillsTabOverview ? 446.0f : MasteryMapContentHeight();
  }
  return WalkCardGrid(l, 0.0f, nullptr, nullptr);
}

float MaxLibraryScroll(const LearningLayout& l) { return std::max(0.0f, LearningContentHeight(l) - l.contentH); }

void ClampLibraryScroll(const LearningLayout& l) { gLibraryScroll = ClampFloat(gLibraryScroll, 0.0f, MaxLibraryScroll(l)); }

bool GetScrollbarRects(const LearningLayout& l, RectF& track, RectF& thumb) {
  float content = LearningContentHeight(l), view = l.contentH;
  if (std::max(content - view, 0.0f) <= 1.0f || content <= 1.0f || view <= 1.0f) return false;
  track = {l.contentX + l.contentW + 5.0f, l.contentY, 8.0f, view};
  float thumbH = std::min(std::max(view * ClampFloat(view / content, 0.1f, 1.0f), 32.0f), view);
  float at = ClampFloat(gLibraryScroll / (content - view), 0.0f, 1.0f);
  thumb = {track.x, l.contentY + (view - thumbH) * at, 8.0f, thumbH};
  return true;
}

void ListSectionLabels(std::vector<std::string>& out) {
  out.clear();
  auto add = [&](const std::string& label) {
    if (out.empty() || out.back() != label) out.push_back(label);
  };
  if (gLibraryViewKey == "today") {
    for (const std::string& label : LessonPanelRowSections()) add(label);
  } else if (IsLibraryGridView()) {
    for (const LibraryItem& item : gLibraryItems)
      if (ItemMatchesFilters(item)) add(RepertoireGroupLabel(item));
  }
}

// ---- counts ----
void CountListedItems(int* listed, int* doneToday) {
  *listed = *doneToday = 0;
  if (gLibraryViewKey == "today") {
    const LessonDayView day = BuildLessonDayView();
    *listed = (int)day.rows.size();
    *doneToday = day.doneCount;
    return;
  }
  for (const LibraryItem& item : gLibraryItems) {
    if (!ItemMatchesFilters(item)) continue;
    ++*listed;
    if (IsItemDoneToday(item)) ++*doneToday;
  }
}
