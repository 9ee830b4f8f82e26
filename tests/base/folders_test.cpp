// The program's folders and the data-file lookup, in a temporary "executable folder".
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/base/folders.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

TEST(Folders, FoldersEndInSlashAndAreRecreatedOnEveryCall) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  EXPECT_EQ(GetDataFilePath("students.dat"), dir.path() + "/Data/students.dat");
  fs::remove_all(dir.File("Data"));
  EXPECT_EQ(GetDataFolder(), dir.path() + "/Data/");
  EXPECT_TRUE(fs::is_directory(dir.File("Data")));
  CreateAppFolders();
  for (const char* name : {"Data", "Logs", "MIDI", "MIDI/Imports", "Metronome"})
    EXPECT_TRUE(fs::is_directory(dir.File(name))) << name;
  ScopedExeDir root("");  // an executable at the root keeps one separator
  EXPECT_EQ(GetExeFilePath("x.dat"), "/x.dat");
}

// A deep install keeps Data beside the executable; an executable whose folder is unknown gets
// no paths at all rather than the current folder.
TEST(Folders, LongInstallPathsKeepTheirFoldersAndNoFolderMeansNoPath) {
  TempDir dir;
  std::string deep = dir.path() + "/" + std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');
  ASSERT_GE(deep.size() + 9, 300u);
  fs::create_directories(deep);
  {
    ScopedExeDir exe(deep);
    EXPECT_TRUE(CreateAppFolders());
    EXPECT_EQ(GetDataFilePath("students.dat"), deep + "/Data/students.dat");
    EXPECT_EQ(GetLogsFolderOrFallback(), deep + "/Logs/");
    EXPECT_TRUE(fs::is_directory(deep + "/Data"));
    fs::remove_all(deep + "/Data");
    WriteFileBytes(deep + "/Data", "a file where the folder should be");
    EXPECT_FALSE(CreateAppFolders());
  }
  ProcessSetExecutablePathForTesting("tonvarra");   // no folder part
  EXPECT_FALSE(CreateAppFolders());
  for (const std::string& path : {GetDataFilePath("students.dat"), GetExeFilePath("students.dat"),
                                  ResolveDataFile("students.dat"), GetLogsFolderOrFallback()})
    EXPECT_EQ(path, "");
  ProcessSetExecutablePathForTesting("");
}

TEST(Folders, ResolveDataFileFallsBackBesideTheExecutable) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  // Neither copy: the Data path, where the first save will go.
  EXPECT_EQ(ResolveDataFile("students.dat"), dir.path() + "/Data/students.dat");
  WriteFileBytes(dir.File("students.dat"), "STUDENTS_V2\n");  // only beside the executable
  EXPECT_EQ(ResolveDataFile("students.dat"), dir.path() + "/students.dat");
  WriteFileBytes(dir.File("Data/students.dat"), "STUDENTS_V2\n");  // once Data has one, Data wins
  EXPECT_EQ(ResolveDataFile("students.dat"), dir.path() + "/Data/students.dat");
}

TEST(Folders, OnlyRegularFilesCount) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  WriteFileBytes(dir.File("a.txt"), "x");
  fs::create_symlink(dir.File("a.txt"), dir.File("link.txt"));
  EXPECT_TRUE(IsRegularFile(dir.File("a.txt")));
  for (const std::string& no : {dir.path(), dir.File("link.txt"), dir.File("missing"), std::string()})
    EXPECT_FALSE(IsRegularFile(no)) << no;
  EXPECT_EQ(FindDownbeatWav(), "");
  fs::create_directories(dir.File("Metronome/downbeat.wav"));  // a folder of that name
  EXPECT_EQ(FindDownbeatWav(), "");
  fs::remove_all(dir.File("Metronome/downbeat.wav"));
  WriteFileBytes(dir.File("Metronome/downbeat.wav"), "RIFF");
  EXPECT_EQ(FindDownbeatWav(), dir.path() + "/Metronome/downbeat.wav");
  std::ifstream in, missing, tooLong;
  EXPECT_TRUE(OpenInputFileLongPath(in, dir.File("a.txt"), std::ios::binary));
  EXPECT_FALSE(OpenInputFileLongPath(missing, dir.File("none.mid"), std::ios::binary));
  EXPECT_FALSE(OpenInputFileLongPath(tooLong, dir.File(std::string(300, 'a')), std::ios::binary));
}
