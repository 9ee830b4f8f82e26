// The debug log cut, the exit log line and request, and the clef resolve block.
#include <filesystem>
#include <gtest/gtest.h>

#include "app/base/app_state.h"
#include "app/base/folders.h"
#include "app/base/logs.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

TEST(Logs, DebugLogCutsAt511Characters) {
  DebugCapture capture;
  DebugLog("%s", std::string(600, 'x').c_str());
  EXPECT_EQ(capture.Text(), std::string(511, 'x'));
}

TEST(Logs, ExitRequestWritesItsLineAndAsksTheLoopOrTheWindowToEnd) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  ScopedDrivenClock clock;
  ClockDriveSetLocal(LocalDateTime{2026, 3, 7, 9, 5, 3, 0, 6}, 1772874303);
  for (bool window : {false, true}) {
    AppMessage msg;
    while (TakeAppMessage(&msg)) {}
    gMainWindowOpen = window;
    gAppRunning = true;
    RequestAppExit();
    EXPECT_FALSE(gAppRunning);
    ASSERT_TRUE(TakeAppMessage(&msg));
    EXPECT_EQ(msg.code, (uint32_t)(window ? kMsgClose : kMsgQuit));
  }
  gMainWindowOpen = false;
  gAppRunning = true;
  char line[128];
  snprintf(line, sizeof line, "2026-03-07 09:05:03  pid %lu  RequestAppExit\n", ProcessId());
  EXPECT_EQ(ReadFileBytes(dir.File("Data/exit_log.txt")), std::string(line) + line);
}

TEST(Logs, ExitLogIgnoresNullAndUnwritableFolders) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  AppendExitLog(nullptr);
  EXPECT_FALSE(FileExists(dir.File("Data/exit_log.txt")));
  // A Data path that is a file: nothing can be opened, nothing breaks.
  WriteFileBytes(dir.File("Data"), "not a folder");
  AppendExitLog("WM_DESTROY");
  EXPECT_EQ(ReadFileBytes(dir.File("Data")), "not a folder");
}

TEST(Logs, ClefBlockNamesMissingImagesAndEveryRoot) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  WriteClefDebugLog({"/a/", "/b/"}, "/t.png", "/b.png");
  EXPECT_FALSE(FileExists(dir.File("Logs/clef_debug.txt")));
  WriteFileBytes(dir.File("Logs/clef_debug.txt"), "the last run's block\n");
  WriteClefDebugLog({"/old/"}, "", "");
  WriteClefDebugLog({"/a/", "/b/"}, "", "/x/bass.png");   // replaces, never appends
  std::string expected = "Clef resolve failure\ntreble=(missing)\nbass=/x/bass.png\nexeDir=" +
                         dir.path() + "/\ncwd=" + GetWorkingDir() + "\nroots:\n  /a/\n  /b/\n\n";
  EXPECT_EQ(ReadFileBytes(dir.File("Logs/clef_debug.txt")), expected);
}
