// The sidebar's month calendar without a window: the dates of its 42 cells in zones with daylight
// saving, paging over year ends, how each day looks, and what a press on a day or an arrow does.
#include "learning_ui/learning_calendar.h"

#include <cstdlib>
#include <ctime>

#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class LearningCalendarTest : public LearningUiTest {
 protected:
  void SetUp() override { SetLocalTime("2024-05-10", 9, 0, 0); }
  static bool Click(const RectF& r) { return HandleLearningClick(Cx(r), Cy(r)); }
  static std::string CellDate(int cell) {
    RectF r;
    std::string date = "untouched";
    LearningCalendarCellRect(ComputeLearningLayout(), cell, &r, &date);
    return date;
  }
  static int CellOf(const std::string& date) {
    for (int cell = 0; cell < 42; ++cell)
      if (CellDate(cell) == date) return cell;
    return -1;
  }
  ScopedDrivenClock clock_;
};

// The zone is set for the process while a case runs; the grid must not depend on it.
class ScopedZone {
 public:
  explicit ScopedZone(const char* zone) {
    const char* was = std::getenv("TZ");
    had_ = was != nullptr;
    if (had_) old_ = was;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedZone() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST_F(LearningCalendarTest, CellDatesHoldAcrossMonthsAndDaylightSaving) {
  struct Case {
    const char* zone;
    int year, month;
    int cell;
    const char* date;
  } cases[] = {
      // A leap February that begins on a Sunday: cell 0 is the 1st, March follows the 29th.
      {"Europe/Berlin", 2004, 2, 0, "2004-02-01"},
      {"Europe/Berlin", 2004, 2, 28, "2004-02-29"},
      {"Europe/Berlin", 2004, 2, 29, "2004-03-01"},
      {"Europe/Berlin", 2004, 2, 41, "2004-03-13"},
      // A month that begins on a Saturday: six days of May before it.
      {"America/New_York", 2024, 6, 0, "2024-05-26"},
      {"America/New_York", 2024, 6, 5, "2024-05-31"},
      {"America/New_York", 2024, 6, 6, "2024-06-01"},
      {"America/New_York", 2024, 6, 41, "2024-07-06"},
      // Around the changes of the clocks in spring and autumn.
      {"Europe/Berlin", 2024, 3, 0, "2024-02-25"},
      {"Europe/Berlin", 2024, 3, 35, "2024-03-31"},
      {"Europe/Berlin", 2024, 3, 36, "2024-04-01"},
      {"Europe/Berlin", 2024, 10, 28, "2024-10-27"},
      {"Europe/Berlin", 2024, 10, 29, "2024-10-28"},
      {"America/New_York", 2024, 11, 7, "2024-11-03"},
      {"America/New_York", 2024, 11, 8, "2024-11-04"},
      {"Australia/Sydney", 2024, 4, 6, "2024-04-06"},
      {"Australia/Sydney", 2024, 4, 7, "2024-04-07"},
  };
  for (const Case& c : cases) {
    ScopedZone zone(c.zone);
    gLearningCalendarYear = c.year;
    gLearningCalendarMonth = c.month;
    EXPECT_EQ(CellDate(c.cell), c.date) << c.zone << " " << c.year << "-" << c.month << " cell " << c.cell;
  }
  // Every cell is a day after the one before, and the grid stays above the navigation list.
  const LearningLayout l = ComputeLearningLayout();
  for (int cell = 1; cell < 42; ++cell) EXPECT_EQ(AddDaysIsoDate(CellDate(cell - 1), 1), CellDate(cell));
  RectF last;
  std::string date;
  ASSERT_TRUE(LearningCalendarCellRect(l, 41, &last, &date));
  EXPECT_LE(last.y + last.h, l.navY);
  EXPECT_LE(last.x + last.w, l.x + l.sideW);
  // Outside the grid, or before a month is shown, nothing is answered and nothing written.
  EXPECT_EQ(CellDate(42), "untouched");
  EXPECT_EQ(CellDate(-1), "untouched");
  gLearningCalendarMonth = 0;
  EXPECT_EQ(CellDate(0), "untouched");
}

TEST_F(LearningCalendarTest, MonthsPageOverYearEnds) {
  struct Case {
    int year, month, by, toYear, toMonth;
  } cases[] = {{2024, 1, -1, 2023, 12}, {2023, 12, 1, 2024, 1}, {2024, 11, 13, 2025, 12}, {2024, 2, -26, 2021, 12},
               {2024, 5, 0, 2024, 5}};
  for (const Case& c : cases) {
    gLearningCalendarYear = c.year;
    gLearningCalendarMonth = c.month;
    ShiftLearningCalendarMonth(c.by);
    EXPECT_EQ(gLearningCalendarYear, c.toYear) << c.year << "-" << c.month << " by " << c.by;
    EXPECT_EQ(gLearningCalendarMonth, c.toMonth) << c.year << "-" << c.month << " by " << c.by;
  }
  // Unset, paging starts from today's month; the arrows page through the click handler.
  ResetLibraryViewState();
  ShiftLearningCalendarMonth(1);
  EXPECT_EQ(gLearningCalendarMonth, 6);
  gPracticeMode = gLibraryOpen = true;
  gLearningCalendarYear = 2024, gLearningCalendarMonth = 1;
  const LearningLayout l = ComputeLearningLayout();
  EXPECT_TRUE(Click(LearningCalendarArrowRect(l, -1)));
  EXPECT_EQ(gLearningCalendarYear, 2023);
  EXPECT_EQ(gLearningCalendarMonth, 12);
  EXPECT_TRUE(Click(LearningCalendarArrowRect(l, 1)));
  EXPECT_TRUE(Click(LearningCalendarArrowRect(l, 1)));
  EXPECT_EQ(gLearningCalendarMonth, 2);
  // Opening a day points the calendar at its month (1..12).
  MakeEtudes(3);
  OpenCalendarDay("2024-05-10");
  EXPECT_EQ(gLearningCalendarMonth, 5);
}

TEST_F(LearningCalendarTest, DaysLookCompletePartMissedTodayAndCurrent) {
  MakeEtudes(3);
  const std::vector<std::string> ids{"e0", "e1", "e2"};
  auto day = [&](const std::string& date, int done) {
    CalendarDay& d = gLearningCalendar[date];
    d.assigned = ids;
    d.lesson = 1;
    for (int i = 0; i < done; ++i) d.complete.insert(ids[(size_t)i]);
  };
  day("2024-05-02", 3);
  day("2024-05-03", 1);
  day("2024-05-04", 0);
  day("2024-05-12", 0);
  gLearningCalendar["2024-05-10"].complete.clear();
  gCurrentLearningDay = "2024-05-12";
  const std::string last = LastPracticeDate();
  ASSERT_EQ(last, "2024-05-03");
  struct Case {
    const char* date;
    bool hasLesson, complete, current, today, missed;
    float ratio;
  } cases[] = {
      {"2024-05-02", true, true, false, false, false, 1.0f},      // done in full: gold, never missed
      {"2024-05-03", true, false, false, false, true, 1 / 3.0f},  // partly done
      {"2024-05-04", true, false, false, false, true, 0.0f},      // nothing done
      {"2024-05-01", false, false, false, false, false, 0.0f},    // before the last practice
      {"2024-05-06", false, false, false, false, true, 0.0f},     // no lesson, after the last practice
      {"2024-05-10", true, false, false, true, false, 0.0f},      // today
      {"2024-05-12", true, false, true, false, false, 0.0f},      // the shown day, ahead
      {"2024-05-20", false, false, false, false, false, 0.0f},
  };
  for (const Case& c : cases) {
    CalendarCellLook look = LearningCalendarCellLook(c.date, "2024-05-10", last);
    EXPECT_EQ(look.hasLesson, c.hasLesson) << c.date;
    EXPECT_EQ(look.complete, c.complete) << c.date;
    EXPECT_EQ(look.current, c.current) << c.date;
    EXPECT_EQ(look.today, c.today) << c.date;
    EXPECT_EQ(look.missed, c.missed) << c.date;
    EXPECT_NEAR(look.ratio, c.ratio, 1e-6) << c.date;
  }
}

// A block the library no longer holds (or whose song would not load) counts in no day: the day
// done without it is drawn done in full, and a card's share of it counts it in neither part.
TEST_F(LearningCalendarTest, ABlockThatCountsInNoDayIsLeftOutOfTheDaysShare) {
  MakeEtudes(2);
  CalendarDay& d = gLearningCalendar["2024-05-09"];
  d.assigned = {"e0", "e1", "gone"};
  d.complete = {"e0", "e1"};
  d.lesson = 1;
  CalendarCellLook look = LearningCalendarCellLook("2024-05-09", "2024-05-10", "2024-05-09");
  EXPECT_TRUE(look.complete);
  EXPECT_NEAR(look.ratio, 1.0f, 1e-6);
  EXPECT_EQ(CountAssignedItems(d), 2);
}

TEST_F(LearningCalendarTest, PressesOpenPreviewOrOnlyTakeTheDay) {
  MakeEtudes(40);
  gPracticeMode = gLibraryOpen = true;
  gLibraryViewKey = "etude";
  gLibraryScroll = 50.0f;
  gLearningCalendarYear = 2024, gLearningCalendarMonth = 5;
  const LearningLayout l = ComputeLearningLayout();
  auto cell = [&](const std::string& date) {
    RectF r;
    std::string d;
    EXPECT_TRUE(LearningCalendarCellRect(l, CellOf(date), &r, &d)) << date;
    return r;
  };
  // A planned future day is previewed and shown.
  EXPECT_TRUE(Click(cell("2024-05-14")));
  EXPECT_EQ(gViewingPlannedDay, "2024-05-14");
  EXPECT_EQ(gLibraryViewKey, "today");
  EXPECT_EQ(gLibraryScroll, 0.0f);
  // A day the calendar holds opens (and ends the preview).
  gLearningCalendar["2024-05-03"] = gLearningCalendar["2024-05-10"];
  EXPECT_TRUE(Click(cell("2024-05-03")));
  EXPECT_TRUE(gViewingPlannedDay.empty());
  EXPECT_EQ(gCurrentLearningDay, "2024-05-03");
  // Today without a lesson only takes the press.
  gLearningCalendar.erase("2024-05-10");
  gLibraryViewKey = "etude";
  EXPECT_TRUE(Click(cell("2024-05-10")));
  EXPECT_EQ(gLibraryViewKey, "etude");
  EXPECT_EQ(gCurrentLearningDay, "2024-05-03");
}

}  // namespace
