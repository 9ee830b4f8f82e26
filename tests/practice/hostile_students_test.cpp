// A damaged student list: no student takes the files kept while no student is active, and a list
// of many equal ids is settled with a bounded number of log lines.
#include <gtest/gtest.h>

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
