// A lesson song half played by one student when another takes over (a switch, or the deletion of
// the student playing): the song stops at its start with the status line saying the attempt was
// not recorded, nothing goes to either student, and the new student's own play-through is theirs.
#include "app/floor_links.h"
#include "learning/practice_set.h"
#include "tests/app/play_along_harness.h"
#include "tests/learning/learning_fixture.h"
#include "tests/midi/smf_builder.h"

namespace {

struct HandOverCase {
  const char* name;
  bool deleteFirst;   // the student playing is deleted instead of switched away from
};
void PrintTo(const HandOverCase& c, std::ostream* os) { *os << c.name; }

class LessonStudentSwitch : public PlayAlongTest, public ::testing::WithParamInterface<HandOverCase> {
 protected:
  void SetUp() override {
    PlayAlongTest::SetUp();
    ResetLearningModelForTest();
    ConnectFloors();
    gPerformanceNoteOpener = nullptr;
    ClockDriveSetLocal({2024, 5, 10, 9, 0, 0, 0, 5}, 0);
    gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}, {"Ben", "ben", 0.3f, 0.48f, 0.76f}};
    gActiveStudentIndex = 0;
    using namespace smf;
    // 500 ticks a quarter at 120 BPM: a tick is a ms. Notes at 1000, 1500 and 2000 ms.
    WriteFileBytes(dir_.File("MIDI/Library/a.mid"),
                   File(500, {On(1000, 60, 80) + Off(200, 60) + On(300, 62, 80) + Off(200, 62) + On(300, 64, 80) +
                              Off(200, 64) + EndOfTrack()}));
    WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"),
                   "header\na\t1\tetude\tStudies\tCard a\t\t\t\t\t\t\ta.mid\t120\t120\t0.9\t0.85\t\t\t\t\n");
    WriteFileBytes(dir_.File("MIDI/Library/lesson_plan.tsv"), "1\tx\ta\tFirst\t1\n");
    LoadLibraryIndex();
  }
  void TearDown() override {
    PlayAlongTest::TearDown();
    ResetLearningModelForTest();
  }
  void PlayNotes(std::initializer_list<int> notes) {
    for (int note : notes) {
      Press(note, 80);
      Release(note);
      Run(500);
    }
  }
  // Whether the student's mastery file holds a row for the item.
  bool MasteryRow(const std::string& student, const std::string& item) const {
    std::string text = "\n" + ReadFileBytes(dir_.File("Data/learning_mastery_" + student + ".dat"));
    return text.find("\n" + item + "\t") != std::string::npos;
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_P(LessonStudentSwitch, TheNewStudentStartsTheSongAfreshAndOnlyTheirPlayIsRecorded) {
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("a"))) << gStatusText;
  Run(1000);
  PlayNotes({60});   // Ada is a note into the song

  if (GetParam().deleteFirst)
    DeleteStudent(0);
  else
    SwitchActiveStudent(1);
  ASSERT_EQ(StudentFileKey(), "ben");
  EXPECT_TRUE(gPaused) << "the song stops";
  EXPECT_EQ(Position(), 0u) << "at its start";
  EXPECT_EQ(gStatusText, "Student changed - the lesson song was stopped and not recorded");
  Run(3000);
  EXPECT_EQ(Position(), 0u) << "it waits for the new student";
  EXPECT_EQ(gMasteryRecords.count("a"), 0u) << "Ada's part is no attempt of Ben's";
  if (!GetParam().deleteFirst) EXPECT_FALSE(MasteryRow("ada", "a")) << "nor of Ada's";

  TogglePlayback();   // Ben plays it through
  Run(1000);
  PlayNotes({60, 62, 64});
  Run(300);
  ASSERT_EQ(gMasteryRecords.count("a"), 1u) << gStatusText;
  EXPECT_EQ(gMasteryRecords["a"].attempts, 1);
  EXPECT_TRUE(gMasteryRecords["a"].latest_passed);
  EXPECT_TRUE(MasteryRow("ben", "a"));
  EXPECT_EQ(gLearningCalendar["2024-05-10"].complete.count("a"), 1u) << "on Ben's own day";
  if (!GetParam().deleteFirst) EXPECT_FALSE(MasteryRow("ada", "a"));
}

INSTANTIATE_TEST_SUITE_P(HandOvers, LessonStudentSwitch,
                         ::testing::Values(HandOverCase{"Switch", false}, HandOverCase{"DeleteThePlayer", true}),
                         [](const ::testing::TestParamInfo<HandOverCase>& info) { return std::string(info.param.name); });

}  // namespace
