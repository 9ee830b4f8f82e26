// The learning screen's geometry: the worked window sizes, the scroll range against the card
// grid's last row, the scrollbar, the navigation list, and the counts of the header.
#include <cmath>

#include "learning_ui/learning_screen_state.h"
#include "learning_ui/lesson_panel.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

using LearningLayoutTest = LearningUiTest;

TEST_F(LearningLayoutTest, WorkedWindowSizes) {
  struct Case {
    int w, h;
    float top, x, width, height, sideW, detailW, contentW, cardW;
    int columns;
  };
  const Case cases[] = {
      {1280, 720, 48.0f, 80.896f, 1118.208f, 567.0f, 288.0f, 0.0f, 802.208f, 393.104f, 2},
      {1920, 1080, 59.4f, 121.344f, 1677.312f, 880.2f, 312.0f, 280.0f, 1035.312f, 334.437f, 3},
      // Narrow windows keep the panel inside the margins with one column.
      {800, 600, 48.0f, 14.4f, 771.2f, 447.0f, 288.0f, 0.0f, 455.2f, 455.2f, 1},
  };
  for (const Case& c : cases) {
    gClientWidth = c.w;
    gClientHeight = c.h;
    gLibraryViewKey = "";
    LearningLayout l = ComputeLearningLayout();
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_NEAR(l.top, c.top, 0.01);
    EXPECT_NEAR(l.x, c.x, 0.01);
    EXPECT_NEAR(l.width, c.width, 0.01);
    EXPECT_NEAR(l.height, c.height, 0.01);
    EXPECT_NEAR(l.sideW, c.sideW, 0.01);
    EXPECT_NEAR(l.detailW, c.detailW, 0.01);
    EXPECT_NEAR(l.contentW, c.contentW, 0.01);
    EXPECT_NEAR(l.cardW, c.cardW, 0.01);
    EXPECT_EQ(l.columns, c.columns);
    EXPECT_EQ(l.pickerH, 0.0f);
  }
  // Technique views give the picker its band above the content.
  gClientWidth = 1440;
  gClientHeight = 920;
  gLibraryViewKey = "";
  LearningLayout grid = ComputeLearningLayout();
  gLibraryViewKey = "scales";
  LearningLayout technique = ComputeLearningLayout();
  EXPECT_EQ(technique.contentY, grid.contentY + 50.0f);
  EXPECT_EQ(technique.contentH, grid.contentH - 50.0f);
}

TEST_F(LearningLayoutTest, TheScrollRangeEndsWithTheLastCardInView) {
  // Sections of uneven sizes, so rows close early and full rows end sections.
  for (int count : {1, 2, 3, 7, 40, 121}) {
    MakeEtudes(count, 5);
    OpenOn("etude");
    for (int w : {1280, 1440, 1920}) {
      gClientWidth = w;
      gClientHeight = w * 9 / 16;
      LearningLayout l = ComputeLearningLayout();
      gLibraryScroll = 1e9f;
      ClampLibraryScroll(l);
      RectF last{};
      int cards = 0;
      WalkCardGrid(l, gLibraryScroll, nullptr, [&](const LibraryItem&, const RectF& r) {
        last = r;
        ++cards;
        return false;
      });
      SCOPED_TRACE(std::to_string(count) + " cards at width " + std::to_string(w));
      ASSERT_EQ(cards, count);
      EXPECT_GE(last.y, l.contentY - 0.01f);
      EXPECT_NEAR(std::max(last.y + last.h, l.contentY + l.contentH), l.contentY + l.contentH, 0.01f);
      RectF track, thumb;
      bool bar = GetScrollbarRects(l, track, thumb);
      EXPECT_EQ(bar, gLibraryScroll > 0.0f);
      if (bar) EXPECT_NEAR(thumb.y + thumb.h, track.y + track.h, 0.01f);   // the thumb sits at the end
    }
  }
}

TEST_F(LearningLayoutTest, ContentShorterThanTheViewHasNoScrollbar) {
  MakeEtudes(2);
  OpenOn("etude");
  LearningLayout l = ComputeLearningLayout();
  EXPECT_FLOAT_EQ(LearningContentHeight(l), 58.0f + 126.0f);
  gLibraryScroll = 300.0f;
  ClampLibraryScroll(l);
  EXPECT_EQ(gLibraryScroll, 0.0f);
  RectF track, thumb;
  EXPECT_FALSE(GetScrollbarRects(l, track, thumb));
}

// In the smallest window the LEVEL list ends inside the panel and below the navigation rows (and
// its heading), whichever group is open, its rows never closer than a line of small text; where
// not all seven fit, it shows those that do and the wheel over it brings the others into view. A
// tall window keeps it twelve navigation rows down.
TEST_F(LearningLayoutTest, TheLevelListStaysInsideTheSidebar) {
  gPracticeMode = gLibraryOpen = true;
  for (const char* view : {"", "rep_era", "today", "foundations"}) {
    SCOPED_TRACE(view);
    gClientWidth = 1280, gClientHeight = 720;
    gLibraryViewKey = view;
    gLevelListFirst = 0;
    const LearningLayout l = ComputeLearningLayout();
    const RectF lastNav = NavRowRect(l, (int)BuildNavRows().size() - 1);
    EXPECT_GE(LevelRowRect(l, 0).y - 10.0f - 12.0f, lastNav.y + lastNav.h);
    EXPECT_GE(l.lowerRowH, 15.0f);
    // The songbook's three views or the Skills group's seven open above it.
    const bool scrolls = std::string(view) == "rep_era" || std::string(view) == "foundations";
    EXPECT_EQ(l.levelRowsShown < 7, scrolls);
    for (int first = 0; first <= 7 - l.levelRowsShown; ++first) {
      if (first > 0) {   // one notch down over the list
        gMouseX = (int)(l.sideX + 20.0f), gMouseY = (int)(l.lowerY + 4.0f);
        const float library = gLibraryScroll;
        EXPECT_TRUE(ScrollLearningList(-120));
        EXPECT_EQ(gLibraryScroll, library) << "the cards stay where they were";
      }
      EXPECT_EQ(LevelListFirst(l), first);
      for (int r = 0; r < 7; ++r) {
        const RectF row = LevelRowRect(l, r);
        EXPECT_EQ(row.w > 0.0f, r >= first && r < first + l.levelRowsShown) << r;
        if (row.w > 0.0f) EXPECT_LE(row.y + row.h, l.top + l.height) << r;
      }
    }
    EXPECT_TRUE(ScrollLearningList(-120));
    EXPECT_EQ(LevelListFirst(l), 7 - l.levelRowsShown) << "the list ends at its last row";
  }
  gPracticeMode = gLibraryOpen = false;
  gClientWidth = 1920, gClientHeight = 1080;
  gLibraryViewKey = "";
  const LearningLayout tall = ComputeLearningLayout();
  EXPECT_FLOAT_EQ(tall.lowerY, tall.navY + 12.0f * tall.navRowH + 20.0f);
}

// A 640-px window (the lowest a 1024 x 640 screen gives) with each group open, on an open and a
// finished day: every navigation and LEVEL row shown ends inside the panel, the LEVEL heading
// below the last navigation row. Where the navigation's rows do not all fit, the current view's
// row is in sight, the wheel over the list brings each of the others into view in turn, and a
// press where a row would have stood below the panel closes the screen instead of opening a view.
TEST_F(LearningLayoutTest, TheNavigationListStaysInsideTheSidebar) {
  MakeEtudes(3);
  const std::string today = TodayIsoDate();
  gLearningCalendar[today] = {{"e0", "e1"}, {"e0", "e1"}, 1};
  OpenCalendarDay(today);
  gClientWidth = 1024, gClientHeight = 640;
  std::vector<std::string> views;
  for (const std::vector<std::string>& group : gNavGroups) views.insert(views.end(), group.begin(), group.end());
  int scrolled = 0;
  for (bool done : {false, true}) {
    if (done)
      gLearningCalendar[today].complete.insert("e1");
    else
      gLearningCalendar[today].complete.erase("e1");
    ASSERT_EQ(IsCurrentDayComplete(), done);
    for (const std::string& view : views) {
      SCOPED_TRACE((done ? "finished day, view '" : "open day, view '") + view + "'");
      OpenOn(view);
      gLevelListFirst = 0;
      const LearningLayout l = ComputeLearningLayout();
      const float bottom = l.top + l.height;
      const std::vector<NavRow> rows = BuildNavRows();
      const int count = (int)rows.size();
      const RectF button = NextLessonButtonRect(l);
      auto inside = [&](const RectF& row) {
        EXPECT_LE(row.y + row.h, bottom);
        if (button.w > 0.0f) EXPECT_LE(row.y + row.h, button.y);
      };
      auto shownRows = [&] {
        std::vector<int> shown;
        for (int i = 0; i < count; ++i)
          if (NavRowRect(l, i).w > 0.0f) shown.push_back(i);
        return shown;
      };
      // The current view's row, its entry or else its group's head, is in sight on opening.
      int active = -1;
      for (int i = 0; i < count; ++i)
        if (rows[i].kind == 0 ? rows[i].key == view : active < 0 && rows[i].group == NavGroupOfView()) active = i;
      EXPECT_GT(NavRowRect(l, active).w, 0.0f) << "the current view's row is hidden";
      const std::vector<int> opened = shownRows();
      ASSERT_FALSE(opened.empty());
      if (IsLibraryGridView()) {
        for (int r = 0; r < 7; ++r) {
          const RectF level = LevelRowRect(l, r);
          if (level.w > 0.0f) inside(level);
        }
        const RectF first = LevelRowRect(l, LevelListFirst(l));
        ASSERT_GT(first.w, 0.0f) << "no LEVEL row in sight";
        const RectF lastNav = NavRowRect(l, opened.back());
        EXPECT_GE(first.y - 10.0f - 12.0f, lastNav.y + lastNav.h) << "the LEVEL heading runs into the navigation";
      }
      // From the top, one notch at a time, to the last row.
      gMouseX = (int)(l.sideX + 20.0f), gMouseY = (int)(l.navY + 4.0f);
      const size_t page = opened.size();
      if (page < rows.size()) ++scrolled;
      for (int notch = 0; notch < count && shownRows().front() > 0; ++notch) EXPECT_TRUE(ScrollLearningList(120));
      std::vector<int> seen(count, 0);
      for (int turn = 0; turn < count; ++turn) {
        const std::vector<int> shown = shownRows();
        ASSERT_EQ(shown.size(), page);
        EXPECT_EQ(shown.front(), turn);
        EXPECT_EQ(shown.back(), shown.front() + (int)page - 1)
            << "rows missing between " << shown.front() << " and " << shown.back();
        for (int i : shown) {
          inside(NavRowRect(l, i));
          ++seen[i];
        }
        if (shown.back() == count - 1) break;
        const float library = gLibraryScroll;
        EXPECT_TRUE(ScrollLearningList(-120));
        EXPECT_EQ(gLibraryScroll, library) << "the content moved instead of the list";
      }
      for (int i = 0; i < count; ++i) EXPECT_GE(seen[i], 1) << "row " << i << " never comes into view";
      // A press on the navigation's pitch below the panel reaches no view.
      const float below = l.navY + (float)(count - 1) * l.navRowH + 5.0f;
      if (below > bottom) {
        EXPECT_TRUE(HandleLearningClick(gMouseX, (int)below));
        EXPECT_FALSE(gLibraryOpen) << "the press outside the panel left the screen open";
        EXPECT_EQ(gLibraryViewKey, view);
      }
    }
  }
  EXPECT_GT(scrolled, 0) << "no view in this window needs the navigation to scroll";
}

// A finished day's NEXT LESSON at the sidebar's foot, each group open in the smallest window: the
// LEVEL rows end above it whichever of them the list shows, so a press on a level changes the
// filter and leaves the day where it was. With the Skills group open no level row would fit
// beside it, and the card grid keeps its filter in sight while the other views keep the button.
// Taller windows, where nothing met, keep their lists as on an open day.
TEST_F(LearningLayoutTest, NextLessonLeavesTheLevelRowsTheirPresses) {
  MakeEtudes(3);
  const std::string today = TodayIsoDate();
  gLearningCalendar[today] = {{"e0", "e1"}, {"e0", "e1"}, 1};
  OpenCalendarDay(today);
  ASSERT_TRUE(IsCurrentDayComplete());
  auto meets = [](const RectF& a, const RectF& b) {
    return a.x <= b.x + b.w && b.x <= a.x + a.w && a.y <= b.y + b.h && b.y <= a.y + a.h;
  };
  struct Case {
    const char* view;
    bool button;
  };
  const Case cases[] = {{"", true}, {"rep_era", true}, {"etude", false}, {"scales", false}, {"skills", true}, {"today", true}};
  gClientWidth = 1280, gClientHeight = 720;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view);
    OpenOn(c.view);
    gLevelListFirst = 0;
    const LearningLayout l = ComputeLearningLayout();
    const RectF button = NextLessonButtonRect(l);
    EXPECT_EQ(button.w > 0.0f, c.button);
    if (!IsLibraryGridView()) continue;
    const RectF lastNav = NavRowRect(l, (int)BuildNavRows().size() - 1);
    EXPECT_GE(l.lowerY - 22.0f, lastNav.y + lastNav.h) << "the LEVEL heading stays below the navigation";
    for (int first = 0; first <= 7 - l.levelRowsShown; ++first) {
      gLevelListFirst = first;
      for (int r = first; r < first + l.levelRowsShown; ++r) {
        const RectF row = LevelRowRect(l, r);
        ASSERT_GT(row.w, 0.0f) << r;
        EXPECT_LE(row.y + row.h, l.top + l.height) << r;
        if (c.button) EXPECT_FALSE(meets(row, button)) << "level row " << r << " under NEXT LESSON";
        gLevelFilter = 5;
        EXPECT_TRUE(HandleLearningClick(Cx(row), Cy(row)));
        EXPECT_EQ(gLevelFilter, r - 1) << r;
        EXPECT_EQ(gCurrentLearningDay, today) << "level row " << r << " moved the student on";
        EXPECT_EQ(gLibraryViewKey, c.view);
      }
    }
  }
  // Where it stands, the button moves the student on.
  OpenOn("rep_era");
  const RectF button = NextLessonButtonRect(ComputeLearningLayout());
  EXPECT_TRUE(HandleLearningClick(Cx(button), Cy(button)));
  EXPECT_EQ(gCurrentLearningDay, AddDaysIsoDate(today, 1));
  EXPECT_EQ(gLibraryViewKey, "today");

  OpenCalendarDay(today);
  for (int w : {1440, 1920}) {
    gClientWidth = w, gClientHeight = w == 1440 ? 920 : 1080;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(w) + " " + c.view);
      OpenOn(c.view);
      const LearningLayout done = ComputeLearningLayout();
      gLearningCalendar[today].complete.erase("e1");
      const LearningLayout open = ComputeLearningLayout();
      gLearningCalendar[today].complete.insert("e1");
      EXPECT_GT(NextLessonButtonRect(done).w, 0.0f);
      EXPECT_EQ(done.lowerY, open.lowerY);
      EXPECT_EQ(done.lowerRowH, open.lowerRowH);
      EXPECT_EQ(done.levelRowsShown, open.levelRowsShown);
      if (IsLibraryGridView()) EXPECT_FALSE(meets(LevelRowRect(done, 6), NextLessonButtonRect(done)));
    }
  }
}

TEST_F(LearningLayoutTest, NavigationRowsExpandOnlyTheCurrentGroup) {
  struct Case {
    const char* view;
    size_t rows;
    int group;
  };
  const Case cases[] = {{"scales", 11, 2}, {"today", 4, 0}, {"rep_era", 7, 1}, {"", 6, 3}, {"stale", 4, 0}};
  for (const Case& c : cases) {
    gLibraryViewKey = c.view;
    std::vector<NavRow> rows = BuildNavRows();
    EXPECT_EQ(rows.size(), c.rows) << c.view;
    EXPECT_EQ(NavGroupOfView(), c.group) << c.view;
    int heads = 0;
    for (const NavRow& row : rows) heads += row.kind;
    EXPECT_EQ(heads, 4) << c.view;
  }
  gLibraryViewKey = "scales";
  std::vector<NavRow> rows = BuildNavRows();
  EXPECT_EQ(rows[2].kind, 1);
  EXPECT_EQ(rows[2].group, 2);
  EXPECT_EQ(rows[3].key, "skills");
  EXPECT_EQ(rows[9].key, "etude");
  EXPECT_EQ(rows[10].group, 3);
  EXPECT_STREQ(NavKeyLabel("stale"), "Browse");
}

TEST_F(LearningLayoutTest, EverySectionHasAViewInTheNavigation) {
  const char* const cases[][2] = {{"foundations", "foundations"}, {"scales", "scales"}, {"sight", "sight"},
                                  {"etude", "etude"},             {"repertoire", "rep_composer"},
                                  {"jazz", ""},                   {"today", ""}};
  for (const auto& c : cases) EXPECT_EQ(NavViewOfCategory(c[0]), c[1]) << c[0];
}

TEST_F(LearningLayoutTest, AnIdTheIndexRepeatsCountsAsOneBlockOfTheDay) {
  SetLocalTime("2024-05-10", 9, 0, 0);
  ScopedDrivenClock clock;
  MakeLibrary({"d1 etude Study", "d2 etude Study", "d2 etude Study", "d3 etude Study"}, {{"d1", "d2", "d3"}});
  OpenOn("today");
  gLearningCalendar["2024-05-10"].complete.insert("d2");
  ASSERT_EQ(DayBlockItems().size(), 3u);
  int listed = -1, done = -1;
  CountListedItems(&listed, &done);
  EXPECT_EQ(listed, 3);   // "3 blocks" beside the list's "1 of 3 blocks done today"
  EXPECT_EQ(done, 1);
  // The card grids still list every row of the index.
  OpenOn("");
  gLevelFilter = -1;
  CountListedItems(&listed, &done);
  EXPECT_EQ(listed, 4);
}

}  // namespace
