// The practice run's HUD texts: the status line of each state, with and without a song holding
// the run, the record line with and without a
// record of the region (and only the active student's), and the timer pill's time in each state,
// also with a clock that reads before the run's start.
#include <gtest/gtest.h>

#include <string>

#include "board/practice_hud.h"
#include "practice/practice_records.h"
#include "practice/students.h"
#include "tests/board/board_fixture.h"

namespace {

class PracticeHudTexts : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ResetPracticeRunData();
    ResetPracticeRecords();
  }
  void TearDown() override {
    ResetPracticeRunData();
    ResetPracticeRecords();
    BoardTest::TearDown();
  }
  static void ChooseRegion() {
    gPracticeRunData.regionValid = 1;
    gPracticeRunData.rowFirst = 0;
    gPracticeRunData.rowLast = 2;
    gPracticeRunData.colFirst = 3;
    gPracticeRunData.colLast = 5;
  }
  static PracticeRun Record(const std::string& id, uint32_t best, uint32_t last, int runs) {
    PracticeRun r;
    r.studentId = id;
    r.regionKey = BuildRegionKey();
    r.bestMs = best;
    r.lastMs = last;
    r.runs = runs;
    return r;
  }
};

TEST_F(PracticeHudTexts, StatusLineOfEachState) {
  const struct {
    int state, step, count;
    bool held;
    const char* want;
  } cases[] = {
      {kPracticeOff, 0, 0, false, ""},
      {kPracticeChoosing, 0, 0, false, "Drag to select a practice region"},
      {kPracticeArmed, 0, 6, false, "Press any key / play any note to begin"},
      {kPracticeRunning, 0, 6, false, "Practice Run 1/6"},
      {kPracticeRunning, 5, 6, false, "Practice Run 6/6"},
      {kPracticeRunning, 9, 6, false, "Practice Run 7/6"},    // a step past the end counts as done
      {kPracticeRunning, -3, 0, false, "Practice Run 1/1"},   // never "0" steps
      {kPracticeComplete, 6, 6, false, "Run complete"},
      // A loaded song: an armed or running run can earn no step, and says how to go on; choosing
      // a region and a finished run are not held by it.
      {kPracticeOff, 0, 0, true, ""},
      {kPracticeChoosing, 0, 0, true, "Drag to select a practice region"},
      {kPracticeArmed, 0, 6, true, "Close the song (×) to practise"},
      {kPracticeRunning, 2, 6, true, "Close the song (×) to practise"},
      {kPracticeComplete, 6, 6, true, "Run complete"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PracticeHudStatusText(c.state, c.step, c.count, c.held), c.want) << c.state << " held " << c.held;
}

TEST_F(PracticeHudTexts, RecordLineWithAndWithoutARecord) {
  std::string line;
  EXPECT_FALSE(PracticeRecordLine(&line)) << "no region";
  ChooseRegion();
  EXPECT_FALSE(PracticeRecordLine(&line)) << "records not loaded yet";
  LoadPracticeRuns();  // no file in the fresh Data folder
  ASSERT_TRUE(PracticeRecordLine(&line));
  EXPECT_EQ(line, "You  no recorded run for this region");

  gStudents.push_back(MakeStudent("Ada", "ada"));
  gStudents.push_back(MakeStudent("Ben", "ben"));
  gActiveStudentIndex = 0;
  gPracticeRuns.push_back(Record("ben", 4000, 4100, 2));   // another student's record
  ASSERT_TRUE(PracticeRecordLine(&line));
  EXPECT_EQ(line, "You  no recorded run for this region");

  gPracticeRuns.push_back(Record("ada", 5070, 61234, -2));
  ASSERT_TRUE(PracticeRecordLine(&line));
  EXPECT_EQ(line, "You  best 05.07  last 1:01.23  x0") << "runs never below 0";
  // A second record of the region (a file edited by hand): the first is the one a run updates,
  // and so the one shown.
  gPracticeRuns.push_back(Record("ada", 5000, 5000, 3));
  ASSERT_TRUE(PracticeRecordLine(&line));
  EXPECT_EQ(line, "You  best 05.07  last 1:01.23  x0");
  RecordPracticeRun(7000);
  ASSERT_TRUE(PracticeRecordLine(&line));
  EXPECT_EQ(line, "You  best 05.07  last 07.00  x1");

  // Another region of the same student has no record.
  gPracticeRunData.colLast = 6;
  ASSERT_TRUE(PracticeRecordLine(&line));
  EXPECT_EQ(line, "You  no recorded run for this region");
}

TEST_F(PracticeHudTexts, TimerShowsZeroArmedCountsRunningAndFreezesComplete) {
  PracticeRunData run{};
  run.runStartMs = 10000;
  run.runEndMs = 12340;
  const struct {
    int state;
    uint32_t start, end, now, want;
  } cases[] = {
      {kPracticeArmed, 10000, 0, 20000, 0},
      {kPracticeRunning, 10000, 0, 12500, 2500},
      {kPracticeRunning, 10000, 0, 9000, 0},          // a clock behind the start
      {kPracticeRunning, 0, 0, 12500, 0},             // not started yet
      {kPracticeComplete, 10000, 12340, 99999, 2340},  // frozen at the run's time
      {kPracticeComplete, 10000, 9000, 99999, 0},     // an end before the start
      {kPracticeComplete, 0, 12340, 99999, 0},
      {kPracticeRunning, 0xFFFFFF00u, 0, 0xFFFFFFF0u, 0xF0},
      {kPracticeRunning, 0xFFFFF000u, 0, 0x00000100u, 0x1100},  // across the clock's wrap
      {kPracticeComplete, 0xFFFFF000u, 0x00000200u, 0x300u, 0x1200},
  };
  for (const auto& c : cases) {
    run.runStartMs = c.start;
    run.runEndMs = c.end;
    EXPECT_EQ(PracticeRunElapsedMs(c.state, run, c.now), c.want) << c.state << " at " << c.now;
  }
}

}  // namespace
