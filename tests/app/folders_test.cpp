// The program's folders and the data-file lookup, in a temporary "executable folder".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/folders.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

TEST(Folders, ExeAndSubfoldersEndInSlashAndAreCreatedOnEveryCall) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  EXPECT_EQ(GetExeDir(), dir.path() + "/");
  EXPECT_EQ(GetDataFolder(), dir.path() + "/Data/");
  EXPECT_EQ(GetDataFilePath("students.dat"), dir.path() + "/Data/students.dat");
  fs::remove_all(dir.File("Data"));
  EXPECT_EQ(GetDataFolder(), dir.path() + "/Data/");
  EXPECT_TRUE(fs::is_directory(dir.File("Data")));
}

TEST(Folders, CreateAppFoldersMakesAllFive) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  CreateAppFolders();
  for (const char* name : {"Data", "Logs", "MIDI", "MIDI/Imports", "Metronome"})
    EXPECT_TRUE(fs::is_directory(dir.File(name))) << name;
}

TEST(Folders, ResolveDataFileFallsBackBesideTheExecutable) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  // Neither copy: the Data path, where the first save will go.
  EXPECT_EQ(ResolveDataFile("students.dat"), dir.path() + "/Data/students.dat");
  // Only beside the executable: that copy is read.
  WriteFileBytes(dir.File("students.dat"), "STUDENTS_V2\n");
  EXPECT_EQ(ResolveDataFile("students.dat"), dir.path() + "/students.dat");
  // Once Data has one, Data wins.
  WriteFileBytes(dir.File("Data/students.dat"), "STUDENTS_V2\n");
  EXPECT_EQ(ResolveDataFile("students.dat"), dir.path() + "/Data/students.dat");
}

TEST(Folders, RegularFileExcludesFoldersLinksAndMissingPaths) {
  TempDir dir;
  WriteFileBytes(dir.File("a.txt"), "x");
  fs::create_directory(dir.File("folder"));
  fs::create_symlink(dir.File("a.txt"), dir.File("link.txt"));
  EXPECT_TRUE(IsRegularFile(dir.File("a.txt")));
  EXPECT_FALSE(IsRegularFile(dir.File("folder")));
  EXPECT_FALSE(IsRegularFile(dir.File("link.txt")));
  EXPECT_FALSE(IsRegularFile(dir.File("missing")));
  EXPECT_FALSE(IsRegularFile(""));
}

TEST(Folders, DownbeatWavMustBeAFileInMetronome) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  EXPECT_EQ(FindDownbeatWav(), "");
  fs::create_directories(dir.File("Metronome/downbeat.wav"));
  EXPECT_EQ(FindDownbeatWav(), "");
  fs::remove_all(dir.File("Metronome/downbeat.wav"));
  WriteFileBytes(dir.File("Metronome/downbeat.wav"), "RIFF");
  EXPECT_EQ(FindDownbeatWav(), dir.path() + "/Metronome/downbeat.wav");
}

TEST(Folders, TrailingSeparatorRules) {
  EXPECT_EQ(EnsureTrailingSlash(""), "");
  EXPECT_EQ(EnsureTrailingSlash("/"), "/");
  EXPECT_EQ(EnsureTrailingSlash("/work"), "/work/");
  EXPECT_EQ(EnsureTrailingSlash("D:\\Work\\"), "D:\\Work\\");
  std::string cwd = GetWorkingDir();
  ASSERT_FALSE(cwd.empty());
  EXPECT_EQ(cwd.back(), '/');
  EXPECT_NE(cwd.substr(cwd.size() >= 2 ? cwd.size() - 2 : 0), "//");
}

TEST(Folders, ExecutableAtTheRootKeepsOneSeparator) {
  ScopedExeDir exe("");  // the override is "/tonvarra": its folder is the root
  EXPECT_EQ(GetExeFilePath("x.dat"), "/x.dat");
}

TEST(Folders, OpenInputFileReportsMissingFilesWithoutThrowing) {
  TempDir dir;
  WriteFileBytes(dir.File("song.mid"), "MThd");
  std::ifstream in;
  EXPECT_TRUE(OpenInputFileLongPath(in, dir.File("song.mid"), std::ios::binary));
  std::ifstream missing;
  EXPECT_FALSE(OpenInputFileLongPath(missing, dir.File("none.mid"), std::ios::binary));
  EXPECT_TRUE(missing.fail());
  std::string longName(300, 'a');
  std::ifstream tooLong;
  EXPECT_FALSE(OpenInputFileLongPath(tooLong, dir.File(longName), std::ios::binary));
}
