// Practice-run records and "practice_runs.dat": best, last and count across runs, runs without a
// student, escaping on write, short, long and broken lines on read, and a damaged or newer file
// set aside rather than replaced.
#include <gtest/gtest.h>
#include <tuple>

#include "app/base/status_text.h"
#include "platform/file_replace.h"
#include "practice/students.h"
#include "tests/practice/practice_run_fixture.h"

namespace {

class Records : public PracticeRunTest {
 protected:
  // A chosen region in church-mode view.
  static void Region(int r0, int r1, int c0, int c1) {
    PracticeRunData& d = gPracticeRunData;
    d.regionValid = 1, d.regionListView = 0;
    d.rowFirst = r0, d.rowLast = r1, d.colFirst = c0, d.colLast = c1;
  }
};

TEST_F(Records, BestLastAndCount) {
  AddActiveStudent("Ana", "ana");
  Region(0, 0, 0, 1);
  const struct { uint32_t ms, best, last; int runs; } steps[] = {
      {20000, 20000, 20000, 1}, {25000, 20000, 25000, 2}, {15000, 15000, 15000, 3}, {0, 15000, 15000, 3}};
  for (const auto& s : steps) {
    RecordPracticeRun(s.ms);
    ASSERT_EQ(gPracticeRuns.size(), 1u);
    const PracticeRun& r = gPracticeRuns[0];
    EXPECT_EQ(std::make_tuple(r.bestMs, r.lastMs, r.runs), std::make_tuple(s.best, s.last, s.runs)) << s.ms;
  }
  // The record keeps the second of its run; the clock may have ticked on since.
  int64_t stamped = gPracticeRuns[0].lastTime;
  EXPECT_NEAR((double)stamped, (double)ClockWallSeconds(), 2.0);
  EXPECT_EQ(ReadData("practice_runs.dat"),
            "PRACTICE_RUNS_V1\nana|Ana|L:r0-0:c0-1|15000|15000|3|" + std::to_string(stamped) + "\n");

  // Another region and another student get their own records.
  Region(1, 1, 0, 1);
  RecordPracticeRun(9000);
  AddActiveStudent("Bo", "bo");
  RecordPracticeRun(8000);
  ASSERT_EQ(gPracticeRuns.size(), 3u);
  EXPECT_NE(FindPracticeRun("bo", "L:r1-1:c0-1"), nullptr);
  EXPECT_EQ(FindPracticeRun("bo", "L:r0-0:c0-1"), nullptr);
}

TEST_F(Records, NoStudentNoRecord) {
  Region(0, 0, 0, 0);
  RecordPracticeRun(12000);
  EXPECT_TRUE(gPracticeRuns.empty());
  EXPECT_FALSE(DataExists("practice_runs.dat"));
  AddActiveStudent("Ana", "ana");
  ResetPracticeRunData();            // no region
  RecordPracticeRun(12000);
  EXPECT_TRUE(gPracticeRuns.empty());
}

TEST_F(Records, RoundTripWithEscapes) {
  Student s = MakeStudent("Ana|Maria\nX", "an|a");
  gStudents.push_back(s);
  gActiveStudentIndex = 0;
  Region(0, 1, 2, 3);
  RecordPracticeRun(4000);
  std::string text = ReadData("practice_runs.dat");
  EXPECT_NE(text.find("\nan_a|Ana Maria X|L:r0-1:c2-3|4000|4000|1|"), std::string::npos);
  LoadPracticeRuns();
  ASSERT_EQ(gPracticeRuns.size(), 1u);
  EXPECT_EQ(gPracticeRuns[0].studentId + "/" + gPracticeRuns[0].studentName, "an_a/Ana Maria X");   // a new id once read
}

TEST_F(Records, ReadingForgivesBrokenLines) {
  WriteData("practice_runs.dat",
            "  PRACTICE_RUNS_V1  \r\n"
            "ana|Ana|L:r0-0:c0-0|1000|2000|3|1700000000\r\n"
            "six|fields|L:r0-0:c0-0|1|2|3\n"
            "\n"
            "eight|Eve|L:r1-1:c1-1|500|600|-4|1700000001|extra\n"
            "|no id|L:r0-0:c0-0|1|1|1|1\n"
            "nokey|Nina||1|1|1|1\n"
            "bad|Bad|L:r2-2:c2-2|-5|12x|abc|\n"
            "big|Big|L:r3-3:c3-3|4294967296|4294967295|2147483648|-9223372036854775808\n"
            " spaced | Sam | L:r4-4:c4-4 | 7 | 8 | 9 | 10 \n");
  LoadPracticeRuns();
  EXPECT_TRUE(gPracticeRunsLoaded);
  std::vector<std::string> got;
  for (const PracticeRun& r : gPracticeRuns)
    got.push_back(r.studentId + "|" + r.studentName + "|" + std::to_string(r.bestMs) + "|" + std::to_string(r.lastMs) +
                  "|" + std::to_string(r.runs) + "|" + std::to_string(r.lastTime));
  EXPECT_EQ(got, (std::vector<std::string>{"ana|Ana|1000|2000|3|1700000000", "eight|Eve|500|600|0|1700000001",
                                           "bad|Bad|0|12|0|0", "big|Big|0|4294967295|2147483647|-9223372036854775808",
                                           "spaced|Sam|7|8|9|10"}));
}

TEST_F(Records, BestZeroFromTheFileTakesTheNextRun) {
  WriteData("practice_runs.dat", "PRACTICE_RUNS_V1\nana|Ana|L:r0-0:c0-0|0|9000|2|5\n");
  AddActiveStudent("Ana", "ana");
  Region(0, 0, 0, 0);
  RecordPracticeRun(30000);   // loads first
  ASSERT_EQ(gPracticeRuns.size(), 1u);
  EXPECT_EQ(gPracticeRuns[0].bestMs, 30000u);
  EXPECT_EQ(gPracticeRuns[0].runs, 3);
}

TEST_F(Records, DamagedFileIsSetAsideNotReplaced) {
  // The student hears which file could not be read, why, and where it went.
  const struct { const char* bytes; const char* status; } damaged[] = {
      {"PRACTICE_RUNS_V2\nana|Ana|L:r0-0:c0-0|1|1|1|1\n",
       "practice_runs.dat was written by a newer Tonvarra; it is kept as practice_runs.dat.bad"},
      {"\x89PNG garbage", "practice_runs.dat was damaged; it is kept as practice_runs.dat.bad"},
      {"PRACTICE_RUNS_V0\n", "practice_runs.dat was damaged; it is kept as practice_runs.dat.bad"}};
  for (const auto& [bytes, status] : damaged) {
    SCOPED_TRACE(bytes);
    SetUp();
    WriteData("practice_runs.dat", bytes);
    LoadPracticeRuns();
    EXPECT_TRUE(gPracticeRuns.empty());
    EXPECT_EQ(gStatusText, status);
    EXPECT_EQ(ReadData("practice_runs.dat.bad"), bytes);
    AddActiveStudent("Ana", "ana");
    Region(0, 0, 0, 0);
    RecordPracticeRun(5000);
    EXPECT_EQ(ReadData("practice_runs.dat.bad"), bytes);
    EXPECT_EQ(ReadData("practice_runs.dat").rfind("PRACTICE_RUNS_V1\nana|Ana|", 0), 0u);
    gStudents.clear();
    gActiveStudentIndex = -1;
    RemoveFileIfPresent(Data("practice_runs.dat.bad"));
  }
}

// Records belong to one student: a deleted student's go with them (a new student given the same id
// starts with none), and a run under way when another student takes over starts again for them.
TEST_F(Records, RunsStayWithTheirStudent) {
  AddActiveStudent("Ana", "ana");
  AddActiveStudent("Bo", "bo");
  gStudentsLoaded = true;
  Region(0, 0, 0, 1);
  RecordPracticeRun(7000);
  SwitchActiveStudent(0);
  RecordPracticeRun(6000);
  ASSERT_EQ(gPracticeRuns.size(), 2u);
  DeleteStudent(0);
  ASSERT_EQ(gPracticeRuns.size(), 1u);
  EXPECT_EQ(gPracticeRuns[0].studentId, "bo");
  EXPECT_EQ(ReadData("practice_runs.dat").find("ana|"), std::string::npos);
  AddActiveStudent("Ana", "ana");
  EXPECT_EQ(FindPracticeRun("ana", "L:r0-0:c0-1"), nullptr);

  Arm(0, 0, 0, 1);
  OnPracticeNoteOn(60, 80, ClockMs32());
  clock_.Advance(3000);
  OnPracticeCellPlayed({{0, 0}}, ClockMs32());
  ASSERT_EQ(gPracticeState, kPracticeRunning);
  ASSERT_EQ(gPracticeRunData.currentStep, 1);
  SwitchActiveStudent(0);
  EXPECT_EQ(gPracticeState, kPracticeArmed);
  EXPECT_EQ(gPracticeRunData.currentStep, 0);
  EXPECT_EQ(gPracticeRunData.runStartMs, 0u);
  EXPECT_EQ(gPracticeRunData.regionValid, 1);
}

// A sibling who takes over while the other's finished run is still shown gets the region armed for
// them: the timer and the record line then both speak of the student now active.
TEST_F(Records, AFinishedRunIsArmedAgainForTheStudentWhoTakesOver) {
  AddActiveStudent("Ana", "ana");
  AddActiveStudent("Bo", "bo");
  gStudentsLoaded = true;
  SwitchActiveStudent(0);
  Arm(0, 0, 0, 0);
  OnPracticeNoteOn(60, 80, ClockMs32());
  clock_.Advance(2500);
  OnPracticeCellPlayed({{0, 0}}, ClockMs32());
  ASSERT_EQ(gPracticeState, kPracticeComplete);
  ASSERT_NE(FindPracticeRun("ana", "L:r0-0:c0-0"), nullptr);

  SwitchActiveStudent(1);
  EXPECT_EQ(gPracticeState, kPracticeArmed);
  EXPECT_EQ(gPracticeRunData.regionValid, 1);
  EXPECT_EQ(gPracticeRunData.runStartMs, 0u);
  EXPECT_EQ(gPracticeRunData.runEndMs, 0u);
  EXPECT_EQ(FindPracticeRun("bo", "L:r0-0:c0-0"), nullptr);

  // Bo's own run is then recorded for Bo, Ana's record untouched.
  OnPracticeNoteOn(60, 80, ClockMs32());
  clock_.Advance(4000);
  OnPracticeCellPlayed({{0, 0}}, ClockMs32());
  ASSERT_EQ(gPracticeState, kPracticeComplete);
  const PracticeRun* bo = FindPracticeRun("bo", "L:r0-0:c0-0");
  ASSERT_NE(bo, nullptr);
  EXPECT_EQ(bo->bestMs, 4000u);
  EXPECT_EQ(FindPracticeRun("ana", "L:r0-0:c0-0")->bestMs, 2500u);
}

}  // namespace
