// Damaged and hostile library and learning files: work stays bounded by what a file holds, and
// a thing that is not a regular file at a file's name is refused rather than read.
#include <sys/stat.h>

#include <cfloat>
#include <filesystem>

#include "learning/placement.h"
#include "tests/learning/learning_fixture.h"

class HostileLearningInput : public LearningTest {
 protected:
  ScopedDrivenClock clock_;
};

// A plan row with a far lesson number is damage: skipped with a log line, and no walk over the
// numbers up to it (before, the daily list counted to 2^31 and overflowed on the UI thread).
TEST_F(HostileLearningInput, AFarLessonNumberIsSkippedAndTheListsWalkOnlyThePlansNumbers) {
  SetLocalTime("2024-05-10", 9, 0, 0);
  MakeLibrary({"a scales T", "b scales T", "c chords T"}, {{"a"}});
  const char* farRows[] = {"2147483647", "30000000", "100001"};
  for (const char* far : farRows) {
    WriteFileBytes(Lib("lesson_plan.tsv"), std::string("1\tx\ta\tOne\t1\n") + far + "\tx\tb\tFar\t1\n7\tx\tc\tSeven\t1\n");
    ResetLessonPlan();
    DebugCapture log;
    EXPECT_EQ(BuildLessonBlocks("2024-05-10"), (std::vector<std::string>{"a", "c"})) << far;
    EXPECT_EQ(gLessonPlan.size(), 2u) << far;
    EXPECT_TRUE(log.Contains(std::string("lesson ") + far)) << log.Text();
    std::vector<PendingSyllabusItem> pending = PendingSyllabusItems();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[1].lesson, 7);
  }
  // The highest number a plan may use is still a lesson.
  WriteFileBytes(Lib("lesson_plan.tsv"), "100000\tx\tb\tLast\t1\n");
  ResetLessonPlan();
  EXPECT_EQ(BuildLessonBlocks("2024-05-10"), (std::vector<std::string>{"b"}));
  EXPECT_EQ(CountOpenSyllabusItems(), 1);
}

// A folder, a FIFO or a dangling link where a file is read fails that read only; nothing throws,
// nothing blocks, and placement still runs.
TEST_F(HostileLearningInput, NotARegularFileAtAScoreOrLearningPathIsRefused) {
  SetLocalTime("2024-05-10", 9, 0, 0);
  MakeLibrary({"a scales T"}, {{"a"}});
  AddActive("ann");
  OnStudentChanged();
  namespace fs = std::filesystem;
  const std::string score = Lib("a.mid.sightscore.tsv");
  fs::create_directories(score);
  EXPECT_FALSE(LoadSightScore(score));
  fs::remove(score);
  ASSERT_EQ(mkfifo(score.c_str(), 0600), 0);
  EXPECT_FALSE(LoadSightScore(score));
  fs::remove(score);
  fs::create_symlink(Lib("nowhere"), score);
  EXPECT_FALSE(LoadSightScore(score));

  // Every learning file a folder or a FIFO: placement keeps no copy of them, and does not stop.
  fs::remove(MasteryFilePath());
  fs::remove(CalendarFilePath());
  fs::create_directories(MasteryFilePath());
  ASSERT_EQ(mkfifo(CalendarFilePath().c_str(), 0600), 0);
  gPlacementCounts[1] = 1;
  ApplyPlacement();
  EXPECT_FALSE(FileExists(MasteryFilePath() + ".preplace.bak"));
  EXPECT_FALSE(FileExists(CalendarFilePath() + ".preplace.bak"));
}

// A last line without its line feed is a row cut short: it is not read (a cut mastery row would
// pass for one of an older layout), and each damaged file as read is kept in a copy of its own.
TEST_F(HostileLearningInput, ACutLastRowIsNotReadAndEachDamageIsKeptAside) {
  SetLocalTime("2024-05-10", 9, 0, 0);
  MakeLibrary({"a scales T", "b scales T"}, {{"a", "b"}});
  AddActive("ann");
  std::string header = "id\tattempts\tpasses\tdays\tacc\ttiming\tbpm\tlast\n";
  const std::string firstDamage = header + "a\t3\t1\t1\t0.9\t0.9\t90\t2024-05-01\nb\t4\t2\t2\t0.8";
  WriteData("learning_mastery_ann.dat", firstDamage);
  WriteData("learning_calendar_ann.dat", "PLAN\tp\nDATE\t2024-05-09\nLESSON\t1\nASSIGNED\ta\nEND\nDATE\t2024-05-1");
  OnStudentChanged();
  EXPECT_EQ(gMasteryRecords.count("a"), 1u);
  EXPECT_EQ(gMasteryRecords.count("b"), 0u);
  EXPECT_EQ(gLearningCalendar.count("2024-05-1"), 0u);
  SaveMastery();
  SaveCalendar();
  EXPECT_EQ(ReadData("learning_mastery_ann.dat.bad"), firstDamage);
  EXPECT_NE(ReadData("learning_calendar_ann.dat.bad").find("DATE\t2024-05-1"), std::string::npos);

  // A later damage goes to a copy of its own; the first is never overwritten.
  const std::string secondDamage = header + "a\t5\t2";
  WriteData("learning_mastery_ann.dat", secondDamage);
  ResetLearningRecords();
  LoadLearningFiles();
  SaveMastery();
  EXPECT_EQ(ReadData("learning_mastery_ann.dat.bad"), firstDamage);
  EXPECT_EQ(ReadData("learning_mastery_ann.dat.bad2"), secondDamage);

  // The practice load is written without a line end: it is no damage there.
  WriteData("learning_practiceload_ann.dat", "2");
  ResetLearningRecords();
  LoadLearningFiles();
  EXPECT_EQ(gPracticeLoad, 2);
  SavePracticeLoad();
  EXPECT_FALSE(DataExists("learning_practiceload_ann.dat.bad"));
}

// Numbers beyond a float stay the largest float through a save, never "inf" read back as 0.
TEST_F(HostileLearningInput, AHugeMasteryValueStaysFiniteThroughASave) {
  SetLocalTime("2024-05-10", 9, 0, 0);
  MakeLibrary({"a scales T"}, {{"a"}});
  AddActive("ann");
  WriteData("learning_mastery_ann.dat",
            "a\t3\t1\t1\t0.9\t0.9\t1e39\t2024-05-01\t0.9\t0.9\t-1e39\t2024-05-01\t1\t1\t1\t0\t0\t0\t0\t0\t0\t0\t"
            "1e40\t-1e40\t1\n");
  OnStudentChanged();
  for (int round = 0; round < 2; ++round) {
    const MasteryRecord& r = gMasteryRecords.at("a");
    EXPECT_EQ(r.best_bpm, FLT_MAX) << round;
    EXPECT_EQ(r.latest_bpm, 0.0f) << round;
    EXPECT_EQ(r.latest_mean_abs_timing_ms, FLT_MAX) << round;
    EXPECT_EQ(r.latest_mean_signed_timing_ms, -FLT_MAX) << round;
    SaveMastery();
    EXPECT_EQ(ReadData("learning_mastery_ann.dat").find("inf"), std::string::npos);
    ResetLearningRecords();
    LoadLearningFiles();
  }
}

// A calendar day of many assigned ids is read once through; a repeated id is still kept once.
TEST_F(HostileLearningInput, ALongCalendarDayKeepsEachAssignedIdOnce) {
  std::vector<std::string> lines = {"PLAN\tp", "DATE\t2024-05-09", "LESSON\t1"};
  for (int i = 0; i < 50000; ++i) lines.push_back("ASSIGNED\tid" + std::to_string(i % 40000));
  lines.push_back("END");
  lines.push_back("DATE\t2024-05-09");
  lines.push_back("ASSIGNED\tid7");
  lines.push_back("ASSIGNED\tnew");
  EXPECT_EQ(ReadCalendarLines(lines), 0);
  const std::vector<std::string>& assigned = gLearningCalendar.at("2024-05-09").assigned;
  ASSERT_EQ(assigned.size(), 40001u);
  EXPECT_EQ(assigned[39999], "id39999");
  EXPECT_EQ(assigned.back(), "new");
}
