// The crash report's text and files, and the lock-free local time stamp.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <ctime>
#include <string>

#include "platform/crash.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

TEST(CrashReport, TextHasTheHeaderTheSignalLinesAndTheClosingLine) {
  CrashStamp stamp{2026, 3, 5, 14, 15, 3};
  const struct {
    const char* name;
    bool hasInfo;
    int sig;
    const void* address;
    std::string expected;
  } cases[] = {
      {"segfault", true, SIGSEGV, (const void*)0x10,
       "Tonvarra crash report\r\nTime: 2026-03-05 14:15:03\r\n"
       "Exception code: 0x0000000B (signal 11, SIGSEGV)\r\nException address: 0x0000000000000010\r\n"
       "Please send the matching crash_*.dmp and this .txt to support so we can fix it.\r\n"},
      {"abort", true, SIGABRT, nullptr,
       "Tonvarra crash report\r\nTime: 2026-03-05 14:15:03\r\n"
       "Exception code: 0x00000006 (signal 6, SIGABRT)\r\nException address: 0x0000000000000000\r\n"
       "Please send the matching crash_*.dmp and this .txt to support so we can fix it.\r\n"},
      {"no signal information", false, 0, nullptr,
       "Tonvarra crash report\r\nTime: 2026-03-05 14:15:03\r\n"
       "Please send the matching crash_*.dmp and this .txt to support so we can fix it.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char buf[512];
    size_t len = FormatCrashReport(buf, sizeof buf, stamp, c.hasInfo, c.sig, c.address);
    EXPECT_EQ(std::string(buf, len), c.expected);
  }
}

TEST(CrashReport, ASmallBufferIsCutNotOverrun) {
  CrashStamp stamp{2026, 12, 31, 23, 59, 59};
  char buf[24];
  memset(buf, 'Z', sizeof buf);
  size_t len = FormatCrashReport(buf, 16, stamp, true, SIGSEGV, nullptr);
  EXPECT_EQ(len, 15u);
  EXPECT_EQ(buf[15], 0);
  EXPECT_EQ(buf[16], 'Z');
}

TEST(CrashReport, BothFilesCarryOneStampAndASecondCrashReplacesThem) {
  TempDir dir;
  CrashStamp stamp{2026, 3, 5, 14, 15, 3};
  WriteCrashFiles(dir.path().c_str(), stamp, true, SIGBUS, (const void*)0x1234);
  WriteCrashFiles(dir.path().c_str(), stamp, false, 0, nullptr);
  std::string txt = ReadFileBytes(dir.File("crash_20260305_141503.txt"));
  ASSERT_FALSE(txt.empty());
  EXPECT_EQ(txt.rfind("Tonvarra crash report\r\nTime: 2026-03-05 14:15:03\r\nPlease send", 0), 0u) << txt;
  EXPECT_NE(txt.find("Backtrace:\r\n"), std::string::npos);
  EXPECT_FALSE(ReadFileBytes(dir.File("crash_20260305_141503.dmp")).empty());
}

TEST(CrashReport, AMissingFolderSkipsTheFilesQuietly) {
  TempDir dir;
  CrashStamp stamp{2026, 1, 1, 0, 0, 0};
  WriteCrashFiles(dir.File("no/such/folder").c_str(), stamp, true, SIGSEGV, nullptr);
  EXPECT_FALSE(FileExists(dir.File("no/such/folder/crash_20260101_000000.txt")));
}

TEST(CrashReport, StampMatchesTheLocalCalendar) {
  InstallCrashHandler();  // takes the offset of local time
  signal(SIGSEGV, SIG_DFL), signal(SIGBUS, SIG_DFL), signal(SIGFPE, SIG_DFL);
  signal(SIGILL, SIG_DFL), signal(SIGABRT, SIG_DFL);
  time_t before = time(nullptr);
  CrashStamp s = CrashStampNow();
  struct tm local;
  localtime_r(&before, &local);
  EXPECT_EQ((int)s.year, local.tm_year + 1900);
  EXPECT_EQ((int)s.month, local.tm_mon + 1);
  EXPECT_EQ((int)s.day, local.tm_mday);
  EXPECT_EQ((int)s.hour, local.tm_hour);
  EXPECT_NEAR((int)s.minute * 60 + (int)s.second, local.tm_min * 60 + local.tm_sec, 2);
}

static std::string gBoxCaption, gBoxText;
static void RecordBox(const char* caption, const char* text) {
  gBoxCaption = caption;
  gBoxText = text;
}

TEST(ErrorBox, TheTestDoubleReceivesCaptionAndText) {
  SetErrorBoxSinkForTesting(RecordBox);
  ShowErrorBox("Tonvarra", "text");
  SetErrorBoxSinkForTesting(nullptr);
  EXPECT_EQ(gBoxCaption, "Tonvarra");
  EXPECT_EQ(gBoxText, "text");
}

// A child process installs the handler and crashes: the files appear and the signal ends it.
TEST(CrashHandler, EverySignalLeavesItsReportAndEndsTheProcess) {
  const struct {
    const char* name;
    int sig;
    bool realFault;       // a real null-page write instead of a raised signal
    bool longExePath;     // the Logs folder cannot be formed: files go to the current folder
  } cases[] = {
      {"SIGSEGV", SIGSEGV, false, false}, {"SIGBUS", SIGBUS, false, false},
      {"SIGFPE", SIGFPE, false, false},   {"SIGILL", SIGILL, false, false},
      {"SIGABRT", SIGABRT, false, false}, {"SIGSEGV", SIGSEGV, true, false},
      {"SIGSEGV", SIGSEGV, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.realFault ? " fault" : "") + (c.longExePath ? " long path" : ""));
    TempDir dir;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(3);
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 2);
      setenv("TONVARRA_MESSAGE_BOXES", "0", 1);
      std::string exe = c.longExePath ? dir.path() + "/" + std::string(5000, 'x') + "/tonvarra" : dir.File("tonvarra");
      ProcessSetExecutablePathForTesting(exe);
      InstallCrashHandler();
      if (c.realFault) {
        *(volatile int*)(uintptr_t)0x10 = 1;
      } else {
        raise(c.sig);
      }
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), c.sig);
    std::string folder = c.longExePath ? dir.path() : dir.File("Logs");
    std::string txt;
    bool dmp = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::string name = entry.path().filename().string();
      if (name.rfind("crash_", 0) != 0) continue;
      if (entry.path().extension() == ".txt") txt = ReadFileBytes(entry.path().string());
      if (entry.path().extension() == ".dmp") dmp = true;
    }
    EXPECT_TRUE(dmp);
    EXPECT_EQ(txt.rfind("Tonvarra crash report\r\n", 0), 0u) << txt;
    EXPECT_NE(txt.find(std::string(", ") + c.name + ")\r\n"), std::string::npos) << txt;
    // Only a real fault carries the faulting address; a sent signal has none.
    EXPECT_NE(txt.find(c.realFault ? "Exception address: 0x0000000000000010\r\n"
                                   : "Exception address: 0x0000000000000000\r\n"),
              std::string::npos)
        << txt;
  }
}
