// learning_ui/learning_clicks: what a press, a wheel turn or a thumb drag does while the learning
// screen is available. Every hit rectangle is computed from the layout at the moment of the event,
// so it matches what the last frame drew. The tests run in the order the screen is layered: the
// search box and the library button first, the card grid last, and a press outside the panel
// closes the screen.
#include "learning_ui/learning_screen.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "learning_ui/learning_calendar.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_screen_state.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/library_button.h"
#include "learning_ui/library_search.h"
#include "learning_ui/mastery_figures.h"
#include "learning_ui/overview_panel.h"
#include "learning_ui/performance_note.h"
#include "midi/playback.h"

// ---- internal helpers ----
static bool In(const RectF& r, int x, int y) { return PointInRect(r, x, y); }

static void ShowView(const std::string& key) {
  gLibraryViewKey = key;
  gLibraryScroll = 0.0f;
  SortLibraryItems();
}

static bool ClickScrollbar(const LearningLayout& l, int x, int y) {
  RectF track, thumb;
  if (!GetScrollbarRects(l, track, thumb)) return false;
  if (In(thumb, x, y)) {
    gScrollDragging = true;
    gScrollGrabY = (float)y;
    gScrollGrabStart = gLibraryScroll;
    return true;
  }
  if (!In(track, x, y)) return false;
  gLibraryScroll += (y < thumb.y ? -0.85f : 0.85f) * l.contentH;
  ClampLibraryScroll(l);
  return true;
}

static bool ClickPracticeButtons(const LearningLayout& l, int x, int y) {
  if (!gChoosingPractice && gSelectedCards.empty()) return false;
  if (In(ClearButtonRect(l), x, y)) {
    gSelectedCards.clear();
    gChoosingPractice = false;
    ClearPracticeSet();
    gStatusText = Tr("Selected practice cleared");
    return true;
  }
  if (!In(PracticeButtonRect(l), x, y)) return false;
  if (gSelectedCards.empty())
    gStatusText = Tr("Nothing selected yet - click the cards you want");
  else
    StartSelectedPractice();
  return true;
}

static bool ClickNavigation(const LearningLayout& l, int x, int y) {
  std::vector<NavRow> rows = BuildNavRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!In(NavRowRect(l, (int)i), x, y)) continue;
    std::string key = rows[i].kind == 1 ? gNavGroups[rows[i].group].front() : rows[i].key;
    if (key == "today" && !gViewingPlannedDay.empty()) EndPlannedDayPreview();
    gRunsDropDown = 0;
    ShowView(key);
    return true;
  }
  return false;
}

static bool ClickLevelFilter(const LearningLayout& l, int x, int y) {
  if (!IsLibraryGridView()) return false;
  for (int r = 0; r < 7; ++r) {
    if (!In(LevelRowRect(l, r), x, y)) continue;
    gLevelFilter = r - 1;
    gLibraryScroll = 0.0f;
    return true;
  }
  return false;
}

static bool ClickSkillsView(const LearningLayout& l, int x, int y) {
  for (int tab = 0; tab < 2; ++tab) {
    if (!In(GetSkillsTabRect(l, tab), x, y)) continue;
    gSkillsTab = tab;
    gLibraryScroll = 0.0f;
    ClearMasteryMapSelection();
    return true;
  }
  return gSkillsTab == kSkillsTabMap ? HandleMasteryMapClick(l, x, y) : HandleRoutesClick(l, x, y);
}

static void ClickCard(const LibraryItem& item, const RectF& card, int x, int y) {
  if (!item.id.empty() && In(CardBadgeRect(card), x, y)) {
    OpenPerformanceNote(item.id);
  } else if (!IsItemAvailable(item)) {
    gStatusText = Tr("Locked - finish the previous section first");
  } else if (gChoosingPractice || !gSelectedCards.empty()) {
    if (!gSelectedCards.erase(item.id)) gSelectedCards.insert(item.id);
    gChoosingPractice = true;
    gStatusText = Tr(gSelectedCards.empty() ? "Nothing selected - click cards to choose, or CLEAR to stop"
                                            : "Selection updated - choose more or press PRACTICE");
  } else {
    const LibraryItem copy = item;   // the load may re-sort the library under the reference
    if (LoadAndPlayMidi(LibraryItemMidiPath(copy))) OpenLibraryItem(copy);
  }
}

// The grid's section buttons and cards; only presses inside the content band reach them.
static bool ClickCardGrid(const LearningLayout& l, int x, int y) {
  if (HandleEndlessRunsClick(l, x, y)) return true;
  if (y < l.contentY || y > l.contentY + l.contentH) return false;
  bool taken = false;
  std::string sectionHit;
  const LibraryItem* cardHit = nullptr;
  RectF cardRect{};
  WalkCardGrid(
      l, gLibraryScroll,
      [&](const std::string& label, float top) {
        if (In(SectionButtonRect(l, top), x, y)) sectionHit = label, taken = true;
        return taken;
      },
      [&](const LibraryItem& item, const RectF& card) {
        if (In(card, x, y)) cardHit = &item, cardRect = card, taken = true;
        return taken;
      });
  if (!sectionHit.empty()) ToggleSectionSelection(sectionHit);
  if (cardHit) ClickCard(*cardHit, cardRect, x, y);
  return taken;
}

// ---- public functions ----
uint32_t LearningMsStamp() { return (uint32_t)std::llround(GetAppSeconds() * 1000.0) + 1u; }

void EndPlannedDayPreview() {
  if (gViewingPlannedDay.empty()) return;
  gViewingPlannedDay.clear();
  gPlannedLessonNumber = 0;
  OpenCalendarDay(TodayIsoDate());
}

bool HandleLearningClick(int x, int y) {
  if (!gPracticeMode) {
    SyncLibraryButton();   // out of practice mode: the button hidden, the screen closed
    return false;
  }
  if (gLibraryOpen && IsLibraryGridView() && In(gSearchBoxRect, x, y)) {
    PressSearchBox(ComputeLearningLayout(), x);
    return true;
  }
  if (gSearchFocused) gSearchFocused = false;
  if (In(gLibraryButtonRect, x, y)) {
    ToggleLibraryScreen();
    return true;
  }
  if (!gLibraryOpen) return false;
  if (!gLibraryLoaded) LoadLibraryIndex();
  const LearningLayout l = ComputeLearningLayout();
  if (ClickScrollbar(l, x, y) || HandleLearningCalendarClick(l, x, y)) return true;
  if (In(NextLessonButtonRect(l), x, y)) {
    PrepareNextLesson();
    return true;
  }
  if (ClickPracticeButtons(l, x, y) || ClickNavigation(l, x, y) || ClickLevelFilter(l, x, y) ||
      HandlePracticeLoadClick(l, x, y))
    return true;
  if (gLibraryViewKey == "today") {
    if (HandleLessonPanelClick(l, x, y)) return true;
  } else if (gLibraryViewKey == "skills") {
    if (ClickSkillsView(l, x, y)) return true;
  } else if (ClickCardGrid(l, x, y)) {
    return true;
  }
  if (!In({l.x, l.top, l.width, l.height}, x, y)) {
    gLibraryOpen = false;
    gLibraryOpenedMs = 0;
    return !(gToolbarPanelRect.w > 2.0f && In(gToolbarPanelRect, x, y));
  }
  return true;
}

bool ScrollLearningList(int wheelDelta) {
  if (!gPracticeMode || !gLibraryOpen) return false;
  const LearningLayout l = ComputeLearningLayout();
  // Over a LEVEL or navigation list too short for its rows, the wheel brings the others into view.
  const RectF levels{l.sideX - 8.0f, l.lowerY - 22.0f, l.sideInnerW, 22.0f + l.levelRowsShown * l.lowerRowH};
  if (l.levelRowsShown < 7 && IsLibraryGridView() && In(levels, gMouseX, gMouseY)) {
    if (wheelDelta != 0) gLevelListFirst = ClampInt(LevelListFirst(l) + (wheelDelta > 0 ? -1 : 1), 0, 7 - l.levelRowsShown);
    return true;
  }
  const int navRows = l.navRowCount;
  const RectF nav{l.sideX - 8.0f, l.navY - 20.0f, l.sideInnerW, 20.0f + l.navRowsShown * l.navRowH};
  if (l.navRowsShown < navRows && In(nav, gMouseX, gMouseY)) {
    if (wheelDelta != 0) {
      gNavListFirst = ClampInt(NavListFirst(l) + (wheelDelta > 0 ? -1 : 1), 0, navRows - l.navRowsShown);
      gNavListView = gLibraryViewKey;
    }
    return true;
  }
  gLibraryScroll -= wheelDelta * 0.7f;
  ClampLibraryScroll(l);
  return true;
}

bool DragLibraryScrollbar() {
  if (!gScrollDragging) return false;
  if (!gLibraryOpen) {
    gScrollDragging = false;
    return false;
  }
  const LearningLayout l = ComputeLearningLayout();
  float view = l.contentH, content = LearningContentHeight(l);
  float maxScroll = std::max(content - view, 0.0f);
  float thumb = std::min(std::max(view * ClampFloat(content > 0.0f ? view / content : 1.0f, 0.1f, 1.0f), 32.0f), view);
  gLibraryScroll = ClampFloat(gScrollGrabStart + ((float)gMouseY - gScrollGrabY) / std::max(view - thumb, 1.0f) * maxScroll,
                              0.0f, maxScroll);
  return true;
}

bool EndLibraryScrollbarDrag() {
  bool was = gScrollDragging;
  gScrollDragging = false;
  return was;
}
