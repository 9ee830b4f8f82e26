// The file layer under hostile names: what is read (regular files only, never waited on, capped),
// the modes replaced and copied files keep, temporary files of killed saves, and the Data
// folder's lock against a second copy.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file_read.h"
#include "platform/file_replace.h"
#include "platform/single_instance.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

static mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(HostileFiles, OnlyARegularFileWithinTheCapIsRead) {
  TempDir dir;
  WriteFileBytes(dir.File("ok.txt"), "line\n");
  WriteFileBytes(dir.File("big.txt"), std::string(5000, 'x'));
  WriteFileBytes(dir.File("empty.txt"), "");
  fs::create_directories(dir.File("folder"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  fs::create_symlink(dir.File("ok.txt"), dir.File("link"));
  fs::create_symlink(dir.File("nowhere"), dir.File("dangling"));
  fs::create_symlink("/dev/zero", dir.File("zeros"));
  const struct {
    const char* name;
    FileReadResult result;
    const char* bytes;
  } cases[] = {
      {"ok.txt", FileReadResult::kOk, "line\n"},
      {"empty.txt", FileReadResult::kOk, ""},
      {"link", FileReadResult::kOk, "line\n"},
      {"big.txt", FileReadResult::kTooLarge, ""},
      {"folder", FileReadResult::kUnreadable, ""},
      {"fifo", FileReadResult::kUnreadable, ""},       // nobody writes to it: a blocking open would hang
      {"zeros", FileReadResult::kUnreadable, ""},      // endless
      {"dangling", FileReadResult::kUnreadable, ""},
      {"missing", FileReadResult::kMissing, ""},
  };
  for (const auto& c : cases) {
    std::string bytes = "stale";
    EXPECT_EQ(ReadRegularFile(dir.File(c.name), 4096, &bytes), c.result) << c.name;
    EXPECT_EQ(bytes, c.bytes) << c.name;
  }
  std::string bytes;
  EXPECT_EQ(ReadRegularFile("", 10, &bytes), FileReadResult::kMissing);
  EXPECT_EQ(ReadRegularFile(dir.File("big.txt"), 5000, &bytes), FileReadResult::kOk);
}

TEST(HostileFiles, AReplacedFileKeepsItsModeAndACopyItsSource) {
  TempDir dir;
  mode_t oldMask = ::umask(022);
  const std::string notes = dir.File("notes.dat");
  WriteFileBytes(notes, "private\n");
  ASSERT_EQ(::chmod(notes.c_str(), 0600), 0);
  ASSERT_TRUE(ReplaceFileWithContent(notes, "still private\n", nullptr));
  EXPECT_EQ(ModeOf(notes), 0600u);
  ASSERT_EQ(::chmod(notes.c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileWithContent(notes, "group\n", nullptr, true));
  EXPECT_EQ(ModeOf(notes), 0600u) << "an owner-only save takes away what others could do";

  ASSERT_TRUE(ReplaceFileWithContent(dir.File("new_shared"), "x", nullptr));
  EXPECT_EQ(ModeOf(dir.File("new_shared")), 0644u);
  ASSERT_TRUE(ReplaceFileWithContent(dir.File("new_private"), "x", nullptr, true));
  EXPECT_EQ(ModeOf(dir.File("new_private")), 0600u);

  ASSERT_EQ(::chmod(notes.c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileWithContent(notes, "group\n", nullptr));
  EXPECT_EQ(ModeOf(notes), 0640u);
  ASSERT_EQ(::chmod(notes.c_str(), 0600), 0);
  ASSERT_TRUE(CopyFileIfAbsent(notes, dir.File("notes.dat.bak"), dir.File("notes.dat.bak.tmp")));
  EXPECT_EQ(ModeOf(dir.File("notes.dat.bak")), 0600u);
  EXPECT_EQ(ReadFileBytes(dir.File("notes.dat.bak")), "group\n");
  ::umask(oldMask);
}

// A save of the bytes a file already holds leaves the file as it is (no temporary file, no rename,
// so no sync); other bytes replace it, and so does an owner-only save of a file others may read.
TEST(HostileFiles, AFileHoldingTheSameBytesIsLeftAsItIs) {
  TempDir dir;
  mode_t oldMask = ::umask(022);
  const std::string file = dir.File("calendar.dat");
  auto inode = [&] {
    struct stat st;
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : (ino_t)0;
  };
  ASSERT_TRUE(ReplaceFileWithContent(file, "day\n", nullptr));
  const ino_t first = inode();
  ASSERT_TRUE(ReplaceFileWithContent(file, "day\n", nullptr));
  EXPECT_EQ(inode(), first);
  ASSERT_TRUE(ReplaceFileWithContent(file, "dax\n", nullptr));
  EXPECT_NE(inode(), first) << "the same length, other bytes";
  EXPECT_EQ(ReadFileBytes(file), "dax\n");
  const ino_t second = inode();
  ASSERT_TRUE(ReplaceFileWithContent(file, "dax\n", nullptr, true));
  EXPECT_NE(inode(), second) << "readable by others, so written again owner-only";
  EXPECT_EQ(ModeOf(file), 0600u);
  ASSERT_TRUE(ReplaceFileWithContent(file, "", nullptr));
  ASSERT_TRUE(ReplaceFileWithContent(file, "", nullptr));
  EXPECT_EQ(ReadFileBytes(file), "");
  ::umask(oldMask);
}

// A process id that is surely gone: a child that has ended and been reaped.
static pid_t EndedProcess() {
  pid_t pid = fork();
  if (pid == 0) _exit(0);
  int status = 0;
  waitpid(pid, &status, 0);
  return pid;
}

TEST(HostileFiles, TemporaryFilesOfKilledSavesAreRemoved) {
  TempDir dir;
  const std::string gone = std::to_string(EndedProcess());
  const std::string self = std::to_string(getpid());
  const std::string alive = std::to_string(getppid());
  const char* kept[] = {"students.dat", "notes_a.tmp.1x.2", "a.tmp.", "x.tmp.12", ".tmp.5.6", "b.tmp.12.3.dat"};
  for (const char* name : kept) WriteFileBytes(dir.File(name), "keep");
  WriteFileBytes(dir.File("students.dat.tmp." + gone + ".0"), "left");
  WriteFileBytes(dir.File("notes_a.dat.tmp." + gone + ".17"), "left");
  WriteFileBytes(dir.File("notes_a.dat.tmp." + self + ".3"), "mine, in flight");
  WriteFileBytes(dir.File("notes_a.dat.tmp." + alive + ".4"), "a live process's");

  EXPECT_EQ(RemoveLeftTempFiles(dir.path(), false), 2);
  for (const char* name : kept) EXPECT_TRUE(FileExists(dir.File(name))) << name;
  EXPECT_FALSE(FileExists(dir.File("students.dat.tmp." + gone + ".0")));
  EXPECT_TRUE(FileExists(dir.File("notes_a.dat.tmp." + alive + ".4")));
  // Holding the folder's lock, every other process's temporary file is left over.
  EXPECT_EQ(RemoveLeftTempFiles(dir.path() + "/", true), 1);
  EXPECT_TRUE(FileExists(dir.File("notes_a.dat.tmp." + self + ".3")));

  // A deleted student's file takes its temporary files along, and only its own.
  WriteFileBytes(dir.File("notes_ab.dat.tmp." + gone + ".1"), "another student's");
  RemoveTempFilesOf(dir.File("notes_a.dat"));
  EXPECT_FALSE(FileExists(dir.File("notes_a.dat.tmp." + self + ".3")));
  EXPECT_TRUE(FileExists(dir.File("notes_ab.dat.tmp." + gone + ".1")));
}

TEST(HostileFiles, ASecondHolderOfTheDataFolderLockIsToldItIsInUse) {
  TempDir dir;
  const std::string lock = dir.File("instance.lock");
  ASSERT_EQ(TakeInstanceLock(lock), InstanceLock::kHeld);
  EXPECT_EQ(TakeInstanceLock(lock), InstanceLock::kHeld) << "taking it again is harmless";
  // Another process finds it taken, and changes nothing on the way.
  struct stat before;
  ASSERT_EQ(::stat(lock.c_str(), &before), 0);
  pid_t child = fork();
  if (child == 0) {
    ReleaseInstanceLock();   // the parent still holds it through its own descriptor
    _exit(TakeInstanceLock(lock) == InstanceLock::kInUse ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  struct stat after;
  ASSERT_EQ(::stat(lock.c_str(), &after), 0);
  EXPECT_EQ(before.st_mtime, after.st_mtime);
  EXPECT_EQ(after.st_size, 0);

  ReleaseInstanceLock();
  EXPECT_EQ(TakeInstanceLock(dir.File("no/such/folder/instance.lock")), InstanceLock::kUnusable);
  ASSERT_EQ(TakeInstanceLock(lock), InstanceLock::kHeld);
  ReleaseInstanceLock();
}
