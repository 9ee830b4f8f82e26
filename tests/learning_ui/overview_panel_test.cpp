// The overview panel's estimate of the syllabus and the practice-load rows: days left (one in the
// singular) and the finishing date, a stored load out of range, and a choice that is saved and
// re-plans (or only takes the press, or fails to save and still stands).
#include "learning_ui/overview_panel.h"

#include <filesystem>

#include "learning/long_dates.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class OverviewPanelTest : public LearningUiTest {
 protected:
  void SetUp() override { SetLocalTime("2024-05-10", 9, 0, 0); }
  // n etudes, all in lesson 1.
  void Syllabus(int n) {
    std::vector<std::string> rows, ids;
    for (int i = 0; i < n; ++i) {
      ids.push_back("p" + std::to_string(i));
      rows.push_back(ids.back() + " etude Study");
    }
    MakeLibrary(rows, {ids});
  }
  static bool Click(const RectF& r) { return HandleLearningClick(Cx(r), Cy(r)); }
  ScopedDrivenClock clock_;
};

TEST_F(OverviewPanelTest, DaysLeftAndTheFinishingDate) {
  struct Case {
    int open, load, days;
    const char* finish;
    const char* line;
  } cases[] = {
      {15, 1, 2, "2024-05-11", "~2 practice days left"},   // today is the first practice day
      {14, 1, 1, "2024-05-10", "~1 practice day left"},
      {0, 1, 0, "", nullptr},
      {33, 3, 2, "2024-05-11", "~2 practice days left"},
      {33, 9, 2, "2024-05-11", "~2 practice days left"},    // a stored load above the range acts as Marathon
      {8, -2, 2, "2024-05-11", "~2 practice days left"},    // below it, as Light
      {6, 0, 1, "2024-05-10", "~1 practice day left"},
  };
  for (const Case& c : cases) {
    Syllabus(c.open);
    gPracticeLoad = c.load;
    gOpenSyllabusCount = -1;
    const int days = PracticeDaysLeft(CountOpenSyllabusItems(), BlocksPerDay());
    EXPECT_EQ(days, c.days) << c.open << " open at load " << c.load;
    EXPECT_EQ(PracticeFinishDate(days), *c.finish ? FormatLongDate(c.finish) : "") << c.open << " at " << c.load;
    if (c.line) EXPECT_EQ(PracticeDaysLeftText(days), c.line) << c.open << " at " << c.load;
  }
  // Attempted items are no longer open.
  Syllabus(15);
  gPracticeLoad = 1;
  gMasteryRecords["p0"].attempts = 1;
  gOpenSyllabusCount = -1;
  EXPECT_EQ(PracticeDaysLeft(CountOpenSyllabusItems(), BlocksPerDay()), 1);
}

TEST_F(OverviewPanelTest, ALoadRowSavesAndReplansOnceChosen) {
  Syllabus(30);
  OpenOn("today");
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_GT(l.detailW, 0.0f);
  const std::string file = "learning_practiceload_default.dat";
  ASSERT_EQ(gLearningCalendar["2024-05-10"].assigned.size(), 14u);
  // A new choice is written, today re-planned and said on the status line.
  EXPECT_TRUE(Click(PracticeLoadRowRect(l, 2)));
  EXPECT_EQ(gPracticeLoad, 2);
  EXPECT_EQ(ReadData(file), "2");
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned.size(), 22u);
  EXPECT_EQ(gStatusText, "Practice load: Long - 22 blocks");
  // The chosen row takes the press and does nothing else.
  std::filesystem::remove(Data(file));
  gStatusText.clear();
  EXPECT_TRUE(Click(PracticeLoadRowRect(l, 2)));
  EXPECT_FALSE(DataExists(file));
  EXPECT_TRUE(gStatusText.empty());
  // A save that fails says so; the choice and the re-planning stand.
  WriteData(file + "/inside", "keep");
  EXPECT_TRUE(Click(PracticeLoadRowRect(l, 0)));
  EXPECT_EQ(gPracticeLoad, 0);
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned.size(), 7u);
  // Not while a day is previewed, nor outside the "today" view.
  SelectCalendarDay("2024-05-11");
  EXPECT_FALSE(HandlePracticeLoadClick(l, Cx(PracticeLoadRowRect(l, 3)), Cy(PracticeLoadRowRect(l, 3))));
  EndPlannedDayPreview();
  gLibraryViewKey = "etude";
  EXPECT_FALSE(HandlePracticeLoadClick(l, Cx(PracticeLoadRowRect(l, 3)), Cy(PracticeLoadRowRect(l, 3))));
  EXPECT_EQ(gPracticeLoad, 0);
  // A window too narrow for the detail column has no rows.
  gLibraryViewKey = "today";
  gClientWidth = 1280, gClientHeight = 720;
  const LearningLayout narrow = ComputeLearningLayout();
  ASSERT_EQ(narrow.detailW, 0.0f);
  EXPECT_FALSE(HandlePracticeLoadClick(narrow, Cx(PracticeLoadRowRect(narrow, 3)), Cy(PracticeLoadRowRect(narrow, 3))));
}

}  // namespace
