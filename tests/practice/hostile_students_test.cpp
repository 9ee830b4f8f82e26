// A damaged student list: no student takes the files kept while no student is active, a list of
// many equal ids is settled with a bounded number of log lines, and ids an older list kept as
// written find their files.
#include <gtest/gtest.h>

#include <filesystem>

#include "practice/students.h"
#include "tests/practice/practice_fixture.h"

using HostileStudentsFile = PracticeFilesTest;

TEST_F(HostileStudentsFile, NoStudentIsGivenTheNoStudentIdAndDuplicatesAreLoggedInSummary) {
  WriteData("students.dat", "STUDENTS_V2\nactive=0\nDee|default|1|1|1\nEd| default |1|1|1\nFay|Default|1|1|1\n");
  LoadStudents();
  ASSERT_EQ(gStudents.size(), 3u);
  EXPECT_EQ(gStudents[0].id, "default_2");
  EXPECT_EQ(gStudents[1].id, "default_3");
  EXPECT_EQ(gStudents[2].id, "Default") << "another id whose file name differs";

  std::string file = "STUDENTS_V2\nactive=0\n";
  for (int i = 0; i < 5000; ++i) file += "S" + std::to_string(i) + "|same|1|1|1\n";
  WriteData("students.dat", file);
  DebugCapture log;
  LoadStudents();
  ASSERT_EQ(gStudents.size(), 5000u);
  EXPECT_EQ(gStudents[4999].id, "same_5000");
  int studentLines = 0;
  for (const std::string& line : log.Lines()) studentLines += line.rfind("[students]", 0) == 0;
  EXPECT_LE(studentLines, 4) << log.Text();
  EXPECT_TRUE(log.Contains("4996 more ids")) << log.Text();
}

// An older list kept ids as they were written, and their files carry the id itself; ids that now
// take a hashed file name keep their records by taking those files over, never through a link,
// and never over a file the hashed name already holds.
TEST_F(HostileStudentsFile, FilesNamedByAnIdNowHashedAreTakenOver) {
  const std::string colon = "Class 3: Anna", dots = "J..Smith", linked = "Lee..Link", kept = "Kim..Kept";
  WriteData("students.dat", "STUDENTS_V2\nactive=0\nAnna|" + colon + "|1|1|1\nJo|" + dots + "|1|1|1\nLee|" +
                                linked + "|1|1|1\nKim|" + kept + "|1|1|1\n");
  WriteData("learning_mastery_" + colon + ".dat", "anna mastery");
  WriteData("achievements_" + dots + ".dat", "jo cells");
  WriteData("elsewhere.dat", "not lee's");
  std::filesystem::create_symlink(Data("elsewhere.dat"), Data("learning_progress_" + linked + ".dat"));
  WriteData("notes_" + kept + ".dat", "old notes");
  WriteData("notes_" + StudentFileId(kept) + ".dat", "new notes");

  LoadStudents();
  ASSERT_EQ(gStudents.size(), 4u);
  EXPECT_EQ(ReadData("learning_mastery_" + StudentFileId(colon) + ".dat"), "anna mastery");
  EXPECT_FALSE(DataExists("learning_mastery_" + colon + ".dat"));
  EXPECT_EQ(ReadFileBytes(GetAchievementsPath(dots)), "jo cells");
  EXPECT_FALSE(DataExists("learning_progress_" + StudentFileId(linked) + ".dat")) << "a link is not followed";
  EXPECT_EQ(ReadData("notes_" + StudentFileId(kept) + ".dat"), "new notes");
  EXPECT_EQ(ReadData("notes_" + kept + ".dat"), "old notes");
}

// An id written as another student's hashed file name names that student's files: whatever the
// order of the list, they are never taken over by the student whose id merely spells their name.
TEST_F(HostileStudentsFile, FilesOfAnotherStudentAreNotTakenOverByAnIdSpellingTheirName) {
  const std::string colon = "ann:1";
  const std::string spelled = StudentFileId(colon);   // "ann_1..<hash>", itself hashed again
  ASSERT_NE(StudentFileId(spelled), spelled);
  for (bool spelledFirst : {false, true}) {
    const std::string ann = "Ann|" + colon + "|1|1|1\n", dan = "Dan|" + spelled + "|1|1|1\n";
    WriteData("students.dat", "STUDENTS_V2\nactive=0\n" + (spelledFirst ? dan + ann : ann + dan));
    // Ann's records: under the id itself (an older list) in one run, already adopted in the other.
    if (spelledFirst)
      WriteData("notes_" + spelled + ".dat", "ann notes");
    else
      WriteData("notes_" + colon + ".dat", "ann notes");
    WriteData("achievements_" + spelled + ".dat", "ann cells");

    LoadStudents();
    ASSERT_EQ(gStudents.size(), 2u);
    EXPECT_EQ(ReadData("notes_" + spelled + ".dat"), "ann notes") << "spelled first: " << spelledFirst;
    EXPECT_EQ(ReadFileBytes(GetAchievementsPath(colon)), "ann cells") << "spelled first: " << spelledFirst;
    EXPECT_FALSE(DataExists("notes_" + StudentFileId(spelled) + ".dat")) << "spelled first: " << spelledFirst;
    EXPECT_FALSE(DataExists("achievements_" + StudentFileId(spelled) + ".dat")) << "spelled first: " << spelledFirst;
    std::filesystem::remove(Data("notes_" + spelled + ".dat"));
    std::filesystem::remove(Data("achievements_" + spelled + ".dat"));
  }
}

// A student deleted takes along the files still under its id itself (kept there because the
// hashed name already held one) and their copies; a link under that name is left with its target,
// and another student's files are untouched.
TEST_F(HostileStudentsFile, DeletingAStudentRemovesTheFilesStillUnderItsIdItself) {
  const std::string fay = "f:a", other = "Other";
  WriteData("students.dat", "STUDENTS_V2\nactive=1\nFay|" + fay + "|1|1|1\nOl|" + other + "|1|1|1\n");
  WriteData("notes_" + fay + ".dat", "old notes");
  WriteData("notes_" + StudentFileId(fay) + ".dat", "new notes");
  WriteData("learning_mastery_" + fay + ".dat.bak", "kept copy");
  WriteData("target.dat", "someone's");
  std::filesystem::create_symlink(Data("target.dat"), Data("attendance_" + fay + ".dat"));
  WriteData("notes_" + other + ".dat", "other notes");

  LoadStudents();
  ASSERT_EQ(gStudents.size(), 2u);
  ASSERT_EQ(ReadData("notes_" + fay + ".dat"), "old notes") << "not taken over: the hashed name holds one";
  DeleteStudent(0);
  ASSERT_EQ(gStudents.size(), 1u);
  EXPECT_FALSE(DataExists("notes_" + StudentFileId(fay) + ".dat"));
  EXPECT_FALSE(DataExists("notes_" + fay + ".dat"));
  EXPECT_FALSE(DataExists("learning_mastery_" + fay + ".dat.bak"));
  EXPECT_EQ(ReadData("target.dat"), "someone's");
  EXPECT_TRUE(std::filesystem::is_symlink(Data("attendance_" + fay + ".dat")));
  EXPECT_EQ(ReadData("notes_" + other + ".dat"), "other notes");
}
