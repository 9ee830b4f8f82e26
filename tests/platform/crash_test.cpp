// The crash report's text and files, the lock-free local time stamp, and real crashes of a child.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/crash.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace {

const CrashStamp kStamp{2026, 3, 5, 14, 15, 3};
const std::string kHead = "Tonvarra crash report\r\nTime: 2026-03-05 14:15:03\r\n";
const std::string kTail = "Please send the matching crash_*.dmp and this .txt to support so we can fix it.\r\n";

TEST(CrashReport, TextHasTheHeaderTheSignalLinesAndTheClosingLine) {
  const struct {
    bool hasInfo;
    int sig;
    const void* address;
    std::string middle;
  } cases[] = {
      {true, SIGSEGV, (const void*)0x10,
       "Exception code: 0x0000000B\r\nException address: 0x0000000000000010\r\n"},
      {true, SIGABRT, nullptr,
       "Exception code: 0x00000006\r\nException address: 0x0000000000000000\r\n"},
      {false, 0, nullptr, ""},
  };
  for (const auto& c : cases) {
    char buf[512];
    size_t len = FormatCrashReport(buf, sizeof buf, kStamp, c.hasInfo, c.sig, c.address);
    EXPECT_EQ(std::string(buf, len), kHead + c.middle + kTail) << c.sig;
  }
  char small[24];
  memset(small, 'Z', sizeof small);
  EXPECT_EQ(FormatCrashReport(small, 16, kStamp, true, SIGSEGV, nullptr), 15u) << "cut, not overrun";
  EXPECT_EQ(small[15], 0);
  EXPECT_EQ(small[16], 'Z');
}

TEST(CrashReport, BothFilesCarryOneStampAndASecondCrashReplacesThem) {
  TempDir dir;
  WriteCrashFiles(dir.path().c_str(), kStamp, true, SIGBUS, (const void*)0x1234);
  WriteCrashFiles(dir.path().c_str(), kStamp, false, 0, nullptr);
  std::string txt = ReadFileBytes(dir.File("crash_20260305_141503.txt"));
  EXPECT_EQ(txt, kHead + kTail) << "the report is its pieces and nothing more";
  EXPECT_FALSE(ReadFileBytes(dir.File("crash_20260305_141503.dmp")).empty());
  WriteCrashFiles(dir.File("no/such/folder").c_str(), kStamp, true, SIGSEGV, nullptr);  // skipped quietly
  EXPECT_FALSE(FileExists(dir.File("no/such/folder/crash_20260305_141503.txt")));
}

TEST(CrashReport, StampMatchesTheLocalCalendar) {
  InstallCrashHandler();  // takes the offset of local time
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(sig, SIG_DFL);
  time_t before = time(nullptr);
  CrashStamp s = CrashStampNow();
  struct tm local;
  localtime_r(&before, &local);
  EXPECT_EQ((int)s.year, local.tm_year + 1900);
  EXPECT_EQ((int)s.month * 100 + (int)s.day, (local.tm_mon + 1) * 100 + local.tm_mday);
  EXPECT_EQ((int)s.hour, local.tm_hour);
  EXPECT_NEAR((int)s.minute * 60 + (int)s.second, local.tm_min * 60 + local.tm_sec, 2);
}

// A child process installs the handler and crashes: the files appear and the signal ends it.
TEST(CrashHandler, EverySignalLeavesItsReportAndEndsTheProcess) {
  const struct {
    const char* name;
    int sig;
    bool realFault;    // a real null-page write instead of a raised signal
    bool longExePath;  // the Logs folder cannot be formed: files go to the current folder
  } cases[] = {
      {"SIGSEGV", SIGSEGV, false, false}, {"SIGBUS", SIGBUS, false, false}, {"SIGFPE", SIGFPE, false, false},
      {"SIGILL", SIGILL, false, false},   {"SIGABRT", SIGABRT, false, false}, {"SIGSEGV", SIGSEGV, true, false},
      {"SIGSEGV", SIGSEGV, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.realFault ? " fault" : "") + (c.longExePath ? " long path" : ""));
    TempDir dir;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(3);
      dup2(open(dir.File("stderr.txt").c_str(), O_WRONLY | O_CREAT, 0644), 2);
      setenv("TONVARRA_MESSAGE_BOXES", "0", 1);
      ProcessSetExecutablePathForTesting(c.longExePath ? dir.path() + "/" + std::string(5000, 'x') + "/tonvarra"
                                                       : dir.File("tonvarra"));
      InstallCrashHandler();
      dup2(open("/dev/null", O_WRONLY), 2);   // hushed for a moment, as a library's start-up does
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
    std::string txt;
    bool dmp = false;
    for (const auto& entry : std::filesystem::directory_iterator(c.longExePath ? dir.path() : dir.File("Logs"))) {
      if (entry.path().filename().string().rfind("crash_", 0) != 0) continue;
      if (entry.path().extension() == ".txt") txt = ReadFileBytes(entry.path().string());
      dmp |= entry.path().extension() == ".dmp";
    }
    EXPECT_TRUE(dmp);
    EXPECT_NE(ReadFileBytes(dir.File("stderr.txt")).find("Tonvarra ran into a problem"), std::string::npos);
    EXPECT_EQ(txt.rfind("Tonvarra crash report\r\n", 0), 0u) << txt;
    char code[40];
    std::snprintf(code, sizeof code, "Exception code: 0x%08X\r\n", (unsigned)c.sig);
    EXPECT_NE(txt.find(code), std::string::npos) << txt;
    // Only a real fault carries the faulting address; a sent signal has none.
    EXPECT_NE(txt.find(c.realFault ? "address: 0x0000000000000010\r\n" : "address: 0x0000000000000000\r\n"),
              std::string::npos)
        << txt;
  }
}

}  // namespace
