// The window procedure without a window: sizes and limits, close and destroy, pointer messages.
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "board/grid_interaction.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "tests/support/test_support.h"

static int64_t SizeParam(int w, int h) { return (int64_t)(((uint64_t)(uint16_t)h << 16) | (uint16_t)w); }

class WindowProc : public ::testing::Test {
 protected:
  void SetUp() override {
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    SetAppMessageHandler(MainWndProc);
    gMainWindowOpen = gAppRunning = true;  // stands for the window: no window system is touched
    gClientWidth = gClientHeight = gAppliedClientWidth = gAppliedClientHeight = 0;
  }
  void TearDown() override {
    SetAppMessageHandler(nullptr);
    gMainWindowOpen = false;
    gAppRunning = true;
  }
};

TEST_F(WindowProc, SizeMessagesFollowTheGuardAndIgnoreMinimising) {
  const struct {
    const char* name;
    uint64_t kind;
    int w, h, expectW, expectH;
  } steps[] = {
      {"a first small size is taken", kSizeRestored, 500, 400, 500, 400},
      {"a usable size", kSizeMaximized, 1440, 900, 1440, 900},
      {"then a small size is refused", kSizeRestored, 500, 400, 1440, 900},
      {"narrow but tall is refused too", kSizeRestored, 639, 1000, 1440, 900},
      {"short but wide is refused too", kSizeRestored, 1000, 479, 1440, 900},
      {"minimising changes nothing", kSizeMinimized, 0, 0, 1440, 900},
      {"the smallest usable size", kSizeRestored, 640, 480, 640, 480},
      {"an empty size without a window re-reads nothing", kSizeRestored, 0, 0, 640, 480},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    PostAppMessage(kMsgSize, s.kind, SizeParam(s.w, s.h));
    DrainAppMessages();
    EXPECT_EQ(gClientWidth, s.expectW);
    EXPECT_EQ(gClientHeight, s.expectH);
    EXPECT_EQ(gAppliedClientWidth, s.expectW);
    EXPECT_EQ(gAppliedClientHeight, s.expectH);
  }
  gMainWindowOpen = false;  // no size is taken without a window
  SendAppMessage(kMsgSize, kSizeRestored, SizeParam(1280, 720));
  EXPECT_EQ(gClientWidth, 640);
}

TEST_F(WindowProc, SizeLimitsAreBoundedByTheDisplay) {
  const struct {
    int workW, workH, screenW, screenH, w, h;
  } cases[] = {
      {1920, 1040, 1920, 1080, 1120, 720}, {1024, 600, 1024, 640, 1024, 600},
      {500, 400, 800, 600, 640, 480},  // a tiny work area keeps 640 x 480
      {0, 0, 800, 600, 800, 600},      // no work area: the screen
      {0, 0, 0, 0, 640, 480},
  };
  for (const auto& c : cases) {
    int w = -1, h = -1;
    ComputeWindowSizeLimits(c.workW, c.workH, c.screenW, c.screenH, &w, &h);
    EXPECT_EQ(w, c.w) << c.workW << "x" << c.workH;
    EXPECT_EQ(h, c.h) << c.workW << "x" << c.workH;
  }
  MinTrackSize limits{-1, -1};
  EXPECT_EQ(SendAppMessage(kMsgGetMinMaxInfo, 0, (int64_t)(intptr_t)&limits), 0);
  EXPECT_EQ(limits.width, 640);  // no display known in a test: the lower bounds
  EXPECT_EQ(limits.height, 480);
  EXPECT_EQ(SendAppMessage(kMsgGetMinMaxInfo, 0, 0), 0);  // a null pointer is left alone
}

TEST_F(WindowProc, CloseWritesCloseThenDestroyOnceAndEndsTheLoop) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  SendAppMessage(kMsgClose, 0, 0);
  EXPECT_FALSE(gAppRunning);
  EXPECT_FALSE(gMainWindowOpen);
  std::string log = ReadFileBytes(dir.File("Data/exit_log.txt"));
  size_t close = log.find("  WM_CLOSE (title bar, Alt+F4, or a close request)\n");
  ASSERT_NE(close, std::string::npos) << log;
  EXPECT_LT(close, log.find("  WM_DESTROY\n"));
  EXPECT_NE(log.find("  WM_DESTROY\n"), std::string::npos) << log;
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgQuit);
  // The quit event after the close box: nothing more is written or destroyed.
  SendAppMessage(kMsgClose, 0, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("Data/exit_log.txt")), log);
}

TEST_F(WindowProc, DestroyWaitsForBackgroundSavesToFinish) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  gPendingSaves.store(1);
  std::atomic<bool> sawWait{false};
  std::thread saver([&] {
    ClockSleepMs(60);
    sawWait = !FileExists(dir.File("Data/exit_log.txt"));  // destruction has not finished yet
    gPendingSaves.store(0);
  });
  SendAppMessage(kMsgDestroy, 0, 0);
  saver.join();
  EXPECT_TRUE(sawWait);
  EXPECT_NE(ReadFileBytes(dir.File("Data/exit_log.txt")).find("WM_DESTROY"), std::string::npos);
  EXPECT_FALSE(gAppRunning);
}

TEST_F(WindowProc, PointerCursorAndQuitMessages) {
  SendAppMessage(kMsgMouseMove, kMouseFlagLeft, MakePointParam(-12, -700));
  EXPECT_EQ(gMouseX, -12);  // the position keeps its sign
  EXPECT_EQ(gMouseY, -700);
  gMouseX = gMouseY = -5000;
  EXPECT_EQ(SendAppMessage(kMsgSetCursor, 0, kHitClient), 0);
  EXPECT_EQ(SendAppMessage(kMsgSetCursor, 0, 2), 0);  // a frame hit code goes to the default
  SendAppMessage(kMsgQuit, 0, 0);
  EXPECT_TRUE(gAppRunning);  // the loop ends only through the running flag
}
