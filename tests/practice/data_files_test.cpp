// The records' file helpers: the whole-file writer under failures and under a killed process,
// the forgiving line reader and the names of the copies kept aside.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "app/base/status_text.h"
#include "practice/data_files.h"
#include "practice/students.h"
#include "tests/practice/practice_fixture.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(DataFiles, WriterReplacesWholeAndFailsWithoutHarm) {
  TempDir dir;
  DebugCapture log;
  std::string path = dir.File("a.dat");
  EXPECT_TRUE(WriteTextFileAtomic(path, "first\n") && WriteTextFileAtomic(path, "second"));
  EXPECT_EQ(ReadFileBytes(path), "second");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);   // no temporary file

  // No folder to write into: false, nothing made.
  EXPECT_FALSE(WriteTextFileAtomic(dir.File("missing/a.dat"), "x"));
  EXPECT_FALSE(fs::exists(dir.File("missing")));

  // The target is a folder with something in it: the move fails, the temporary file is gone,
  // the folder is untouched and the status line says so.
  WriteFileBytes(dir.File("busy/inside"), "keep");
  gStatusText.clear();
  EXPECT_FALSE(WriteTextFileAtomic(dir.File("busy"), "x"));
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  EXPECT_EQ(ReadFileBytes(dir.File("busy/inside")), "keep");
}

TEST(DataFiles, ReaderSplitsLinesAndForgivesMarksAndCarriageReturns) {
  TempDir dir;
  // Marks and Windows line ends in a whole file are read through the students' and achievements' files.
  struct Case { std::string bytes; std::vector<std::string> lines; } cases[] = {
      {"", {}},
      {"\xEF\xBB\xBF\xEF\xBB\xBFx", {"\xEF\xBB\xBFx"}},   // only one mark is dropped
      {"a\r\r\n", {"a\r"}},                              // only one carriage return
      {"x\0y\n"s, {"x\0y"s}},
  };
  for (const Case& c : cases) {
    WriteFileBytes(dir.File("f"), c.bytes);
    std::vector<std::string> lines = {"stale"};
    ASSERT_EQ(ReadDataFileLines(dir.File("f"), &lines), DataFileRead::kOk);
    EXPECT_EQ(lines, c.lines) << c.bytes;
  }
  std::vector<std::string> lines;
  EXPECT_EQ(ReadDataFileLines(dir.File("none"), &lines), DataFileRead::kMissing);
  fs::create_symlink(dir.File("nowhere"), dir.File("dangling"));   // a folder: through the students' file
  EXPECT_EQ(ReadDataFileLines(dir.File("dangling"), &lines), DataFileRead::kUnreadable);
}

// A child process saves the students file over and over, switching between two lists; it is
// killed at random moments. Every time the file must be one list or the other, whole.
TEST_F(PracticeFilesTest, KilledWhileSavingLeavesTheOldOrTheNewFile) {
  std::vector<Student> listA, listB;
  for (int i = 0; i < 3000; ++i) {
    listA.push_back(MakeStudent("Alpha student " + std::to_string(i), "alpha_" + std::to_string(i)));
    listB.push_back(MakeStudent("B" + std::to_string(i), "b_" + std::to_string(i)));
  }
  gStudents = listA;
  gActiveStudentIndex = 0;
  SaveStudents();
  const std::string textA = ReadData("students.dat");
  gStudents = listB;
  SaveStudents();
  const std::string textB = ReadData("students.dat");
  ASSERT_NE(textA, textB);

  std::mt19937 rng(12345);
  for (int round = 0; round < 20; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0;; ++n) {
        gStudents = (n % 2) ? listA : listB;
        SaveStudents();
      }
    }
    usleep(2000 + rng() % 40000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::string now = ReadData("students.dat");
    ASSERT_TRUE(now == textA || now == textB) << "round " << round << ": " << now.size() << " bytes";
    // What the killed writer left in its temporary file is never read as data.
    gStudents.clear();
    LoadStudents();
    EXPECT_EQ(gStudents.size(), 3000u);
  }
}

// Files set aside at one start are all named on the status line, each with where it went, and a
// file a newer program wrote is not called damaged. Once the line is gone, the next starts afresh.
TEST_F(PracticeFilesTest, EveryFileSetAsideAtOneStartIsNamed) {
  gStatusText.clear();
  WriteData("students.dat", "STUDENTS_V3\nactive=0\nAna|ana|0.2|0.8|0.3\n");
  WriteData("achievements.dat", "ACHV4,1\n0,0,0,0,0,0,0,0,0,0,0,0\n");
  WriteData("achievements.dat.bad", "older");
  LoadStudents();
  EXPECT_EQ(gStatusText, "students.dat was written by a newer Tonvarra; it is kept as students.dat.bad");
  LoadAchievements();
  EXPECT_EQ(gStatusText, "Files that could not be read are kept aside: students.dat (students.dat.bad), "
                         "achievements.dat (achievements.dat.bad2)");
  EXPECT_EQ(ReadData("achievements.dat.bad2"), "ACHV4,1\n0,0,0,0,0,0,0,0,0,0,0,0\n");

  gStatusText.clear();   // the status line faded out
  WriteData("achievements.dat", "not one\n");
  LoadAchievements();
  EXPECT_EQ(gStatusText, "achievements.dat was damaged; it is kept as achievements.dat.bad3");

  struct Case { const char* header; bool newer; } cases[] = {
      {"ACHV4", true}, {"ACHV10,3", true}, {"ACHV99999999999999999999999", true}, {"ACHV3", false},
      {"ACHV", false}, {"ACHVx4", false}, {"ACH4", false}, {"ACHV-4", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsNewerHeader(c.header, "ACHV", 3), c.newer) << c.header;
}

// The copies beside a file are found by the names the program gives them, numbered past a gap
// too; a name that only looks alike (another file's copy, a temporary file, a number it never
// writes) is never taken for one.
TEST(DataFiles, CopiesBesideAFileAreFoundByTheirOwnNamesOnly) {
  TempDir dir;
  for (const char* name : {"x.dat", "x.dat.bad", "x.dat.bad2", "x.dat.bad10", "x.dat.bak", "x.dat.bak3",
                           "x.dat.bad1", "x.dat.bad0", "x.dat.bak02", "x.dat.bak.tmp", "x.dat.bak2x", "x.dat2.bak",
                           "xx.dat.bad", "x.dat.bad123456789012", "x.dat.preplace.bak"})
    WriteFileBytes(dir.File(name), "x");
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  const std::string x = dir.File("x.dat");
  EXPECT_EQ(sorted(SetAsideCopiesOf(x)), (std::vector<std::string>{x + ".bad", x + ".bad10", x + ".bad2"}));
  EXPECT_EQ(sorted(KeptCopiesOf(x)), (std::vector<std::string>{x + ".bak", x + ".bak3"}));
  EXPECT_TRUE(KeptCopiesOf(dir.File("none.dat")).empty());
}
