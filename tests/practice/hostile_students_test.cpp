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
