// Damaged and hostile library and learning files: work stays bounded by what a file holds, and
// a thing that is not a regular file at a file's name is refused rather than read.
#include <sys/stat.h>

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
