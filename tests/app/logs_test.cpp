// The debug log cut, the exit log line and the clef resolve block.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_state.h"
#include "app/folders.h"
#include "app/logs.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

TEST(Logs, DebugLogCutsAt511Characters) {
  DebugCapture capture;
  std::string text(600, 'x');
  DebugLog("%s", text.c_str());
  EXPECT_EQ(capture.Text(), std::string(511, 'x'));
}

TEST(Logs, ExitLogLineHasFixedLayout) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  ScopedDrivenClock clock;
  ClockDriveSetLocal(LocalDateTime{2026, 3, 7, 9, 5, 3, 0, 6}, 1772874303);
  AppMessage drop;
  while (TakeAppMessage(&drop)) {}
  gAppRunning = true;
  RequestAppExit();
  EXPECT_FALSE(gAppRunning);
  char expected[128];
  snprintf(expected, sizeof expected, "2026-03-07 09:05:03  pid %lu  RequestAppExit\n", ProcessId());
  EXPECT_EQ(ReadFileBytes(dir.File("Data/exit_log.txt")), expected);
  AppMessage msg;
  ASSERT_TRUE(TakeAppMessage(&msg));
  EXPECT_EQ(msg.code, (uint32_t)kMsgQuit);  // no window: the loop is asked to quit
  gAppRunning = true;
}

TEST(Logs, ExitRequestWithAWindowAsksItToClose) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  AppMessage msg;
  while (TakeAppMessage(&msg)) {}
  gMainWindowOpen = true;
  RequestAppExit();
  gMainWindowOpen = false;
  gAppRunning = true;
  ASSERT_TRUE(TakeAppMessage(&msg));
  EXPECT_EQ(msg.code, (uint32_t)kMsgClose);
}

TEST(Logs, ExitLogAppendsAndIgnoresNullAndUnwritableFolders) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  AppendExitLog(nullptr);
  EXPECT_FALSE(FileExists(dir.File("Data/exit_log.txt")));
  AppendExitLog("WM_CLOSE (title bar, Alt+F4, or a close request)");
  AppendExitLog("WM_DESTROY");
  std::string text = ReadFileBytes(dir.File("Data/exit_log.txt"));
  EXPECT_NE(text.find("WM_CLOSE (title bar, Alt+F4, or a close request)\n"), std::string::npos);
  EXPECT_LT(text.find("WM_CLOSE"), text.find("WM_DESTROY"));
  // A Data path that is a file: nothing can be opened, nothing breaks.
  std::filesystem::remove_all(dir.File("Data"));
  WriteFileBytes(dir.File("Data"), "not a folder");
  AppendExitLog("WM_DESTROY");
  EXPECT_EQ(ReadFileBytes(dir.File("Data")), "not a folder");
}

TEST(Logs, ClefBlockNamesMissingImagesAndEveryRoot) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  WriteClefDebugLog({"/a/", "/b/"}, "/t.png", "/b.png");
  EXPECT_FALSE(FileExists(dir.File("Logs/clef_debug.txt")));
  WriteClefDebugLog({"/a/", "/b/"}, "", "/x/bass.png");
  std::string expected = "Clef resolve failure\ntreble=(missing)\nbass=/x/bass.png\nexeDir=" +
                         dir.path() + "/\ncwd=" + GetWorkingDir() + "\nroots:\n  /a/\n  /b/\n\n";
  EXPECT_EQ(ReadFileBytes(dir.File("Logs/clef_debug.txt")), expected);
}
