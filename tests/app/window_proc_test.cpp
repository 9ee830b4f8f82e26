// The window procedure without a window: sizes, limits, close and destroy, pointer messages.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/app_state.h"
#include "app/pending.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "practice/pending.h"
#include "tests/support/test_support.h"

static int64_t SizeParam(int w, int h) { return (int64_t)(((uint64_t)(uint16_t)h << 16) | (uint16_t)w); }

class WindowProc : public ::testing::Test {
 protected:
  void SetUp() override {
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    SetAppMessageHandler(MainWndProc);
    gMainWindowOpen = true;  // stands for the window: no window system is touched
    gAppRunning = true;
    gClientWidth = gClientHeight = 0;
    gAppliedClientWidth = gAppliedClientHeight = 0;
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
    int w, h;
    int expectW, expectH;
  } steps[] = {
      {"a first small size is taken", kSizeRestored, 500, 400, 500, 400},
      {"a usable size", kSizeMaximized, 1440, 900, 1440, 900},
      {"then a small size is refused", kSizeRestored, 500, 400, 1440, 900},
      {"narrow but tall is refused too", kSizeRestored, 639, 1000, 1440, 900},
      {"short but wide is refused too", kSizeRestored, 1000, 479, 1440, 900},
      {"minimising changes nothing", kSizeMinimized, 0, 0, 1440, 900},
      {"the smallest usable size", kSizeRestored, 640, 480, 640, 480},
      {"an empty size without a window re-reads nothing", kSizeRestored, 0, 0, 640, 480},
      {"a new size", kSizeMaximized, 1920, 1057, 1920, 1057},
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
}

TEST_F(WindowProc, NoSizeIsTakenWithoutAWindow) {
  gMainWindowOpen = false;
  SendAppMessage(kMsgSize, kSizeRestored, SizeParam(1280, 720));
  EXPECT_EQ(gClientWidth, 0);
}

TEST(WindowSizeLimits, WantedClientAreaBoundedByTheDisplay) {
  const struct {
    const char* name;
    int workW, workH, screenW, screenH;
    int w, h;
  } cases[] = {
      {"large work area", 1920, 1040, 1920, 1080, 1120, 720},
      {"small work area", 1024, 600, 1024, 640, 1024, 600},
      {"tiny work area keeps 640 x 480", 500, 400, 800, 600, 640, 480},
      {"no work area: the screen", 0, 0, 800, 600, 800, 600},
      {"nothing known", 0, 0, 0, 0, 640, 480},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int w = -1, h = -1;
    ComputeWindowSizeLimits(c.workW, c.workH, c.screenW, c.screenH, &w, &h);
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
  }
}

TEST_F(WindowProc, MinMaxMessageFillsTheMinimumTrackingSize) {
  MinTrackSize limits{-1, -1};
  EXPECT_EQ(SendAppMessage(kMsgGetMinMaxInfo, 0, (int64_t)(intptr_t)&limits), 0);
  EXPECT_EQ(limits.width, 640);  // no display known in a test: the lower bounds
  EXPECT_EQ(limits.height, 480);
  EXPECT_EQ(SendAppMessage(kMsgGetMinMaxInfo, 0, 0), 0);  // a null pointer is left alone
}

TEST_F(WindowProc, CloseWritesCloseThenDestroyAndEndsTheLoop) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  SendAppMessage(kMsgClose, 0, 0);
  EXPECT_FALSE(gAppRunning);
  EXPECT_FALSE(gMainWindowOpen);
  std::string log = ReadFileBytes(dir.File("Data/exit_log.txt"));
  size_t close = log.find("  WM_CLOSE (title bar, Alt+F4, or a close request)\n");
  size_t destroy = log.find("  WM_DESTROY\n");
  ASSERT_NE(close, std::string::npos) << log;
  ASSERT_NE(destroy, std::string::npos) << log;
  EXPECT_LT(close, destroy);
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgQuit);
  // A second close request after the window is gone (the quit event after the close box) writes
  // and destroys nothing.
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

TEST_F(WindowProc, PointerPositionKeepsItsSign) {
  SendAppMessage(kMsgMouseMove, kMouseFlagLeft, MakePointParam(-12, -700));
  EXPECT_EQ(gMouseX, -12);
  EXPECT_EQ(gMouseY, -700);
}

TEST_F(WindowProc, CursorOnlyForTheClientAreaAndOnlyWhenSomethingWantsIt) {
  gMouseX = gMouseY = -5000;
  EXPECT_EQ(SendAppMessage(kMsgSetCursor, 0, kHitClient), 0);
  EXPECT_EQ(SendAppMessage(kMsgSetCursor, 0, 2), 0);  // a frame hit code goes to the default
}

TEST_F(WindowProc, QuitIsIgnored) {
  SendAppMessage(kMsgQuit, 0, 0);
  EXPECT_TRUE(gAppRunning);
}
