// tests/app/real_window_fixture: the program's own window with its GL context on a private display
// (one per process), the 2D projection set, and read-back of pixels and whole frames.
#pragma once
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/main_loop.h"
#include "app/program.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/child_process.h"
#include "tests/support/leak_check.h"
#include "tests/support/test_support.h"

class RealWindow : public ::testing::Test {
 protected:
  // One display for the whole process: the window system stays connected to it between tests and
  // suites, so it goes only when the process ends.
  static void SetUpTestSuite() {
    if (display_) return;
    display_ = new VirtualDisplay();
    std::atexit([] { delete display_; });
  }
  void SetUp() override { OpenProgramWindow(100, 100, 1440, 920); }
  // The window at (x, y) asking for a client of w x h (the size arrives as a message), with its GL
  // context, the program's GL state and the projection.
  void OpenProgramWindow(int x, int y, int w, int h) {
    ASSERT_FALSE(display_->name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", display_->name().c_str(), 1);
    setenv("TONVARRA_MESSAGE_BOXES", "0", 1);
    SetAppMessageHandler(MainWndProc);
    gClientWidth = gClientHeight = gAppliedClientWidth = gAppliedClientHeight = 0;
    ASSERT_TRUE(WindowCreate("Tonvarra", "Orvanel", x, y, w, h)) << WindowLastError();
    gMainWindowOpen = true;
    WindowShowMaximized();
    DrainMessages();
    ASSERT_EQ(WindowCreateGlContext(), kGlReady) << WindowLastError();
    gGlReady = true;
    SetupGlState();
    SetProjection2D();
    CheckLeaksBeforeExit();  // before any frame: later the checker trips over the GL driver's threads
  }
  // n frames 17 ms apart on the driven clock (the test has begun driving it), so the fades move
  // as they do on screen.
  static void RunDrivenFrames(int n) {
    for (int i = 0; i < n; ++i) {
      ClockDriveAdvance(17);
      RunFrameWork(ClockMs32());
    }
  }
  // The frame drawn last, opaque, kept as name.png in the "screenshots" folder beside the program
  // under test, for the developer to look at.
  static void KeepScreenshot(const std::string& name) {
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, ReadFrame()));
  }
  // The context's textures go with it: a name kept into the next test's context could name
  // another module's texture there.
  void TearDown() override {
    if (gGlReady) FreeContextTextures();
    ResetTextDrawing();  // a frame sets the text brightness from the song view: a test may draw without one
    gGlReady = false;
    WindowDestroy();
    gMainWindowOpen = false;
    gFullscreen = false;
    SetAppMessageHandler(nullptr);
  }
  // Pumps and handles events until the client size is (w, h) or two seconds passed.
  bool WaitForClientSize(int w, int h) {
    for (int i = 0; i < 100; ++i) {
      DrainMessages();
      if (gClientWidth == w && gClientHeight == h) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  static std::array<unsigned char, 3> Pixel(int x, int yFromTop) {
    std::array<unsigned char, 3> rgb{};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, gClientHeight - 1 - yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }
  // The back buffer as RGBA rows from the top.
  static std::vector<uint8_t> ReadFrame() {
    glFinish();
    int w = gClientWidth, h = gClientHeight;
    std::vector<uint8_t> bottomUp(size_t(w) * h * 4), frame(bottomUp.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int y = 0; y < h; ++y)
      std::copy_n(&bottomUp[size_t(h - 1 - y) * w * 4], size_t(w) * 4, &frame[size_t(y) * w * 4]);
    return frame;
  }
  static inline VirtualDisplay* display_ = nullptr;
};

