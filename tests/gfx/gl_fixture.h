// tests/gfx/gl_fixture: a private Xvfb and a GL context for the drawing tests, with the 2D
// projection and alpha blending the program draws with, and read-back of the frame.
#pragma once
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gl_offscreen.h"
#include "platform/images.h"
#include "platform/virtual_display.h"
#include "tests/support/leak_check.h"
#include "tests/support/test_support.h"

class GlFixture : public ::testing::Test {
 public:
  static constexpr int kWidth = 1000;
  static constexpr int kHeight = 600;

  // One server and one context serve every suite of the process; both go when it exits.
  static void SetUpTestSuite() {
    if (ready_) return;
    std::string error;
    ready_ = StartVirtualDisplay(&error) && GlOffscreenOpen(kWidth, kHeight, &error);
    error_ = error;
    if (ready_) std::atexit(StopVirtualDisplay);
    if (ready_) CheckLeaksBeforeExit();  // before any frame: later the checker trips over the GL driver's threads
  }

 protected:
  void SetUp() override {
    ASSERT_TRUE(ready_) << "no GL context: " << error_;
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  // The back buffer as RGBA rows from the top.
  std::vector<uint8_t> ReadFrame() {
    glFinish();
    std::vector<uint8_t> bottomUp(size_t(kWidth) * kHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> frame(bottomUp.size());
    for (int y = 0; y < kHeight; ++y)
      std::copy_n(&bottomUp[size_t(kHeight - 1 - y) * kWidth * 4], size_t(kWidth) * 4, &frame[size_t(y) * kWidth * 4]);
    return frame;
  }

  static int Brightest(const std::vector<uint8_t>& frame, int x, int y) {
    const uint8_t* p = &frame[(size_t(y) * kWidth + size_t(x)) * 4];
    return std::max({p[0], p[1], p[2]});
  }

  // Leftmost and rightmost columns with ink (any channel above 60) in a band of rows.
  static bool InkExtent(const std::vector<uint8_t>& frame, int top, int bottom, int* left, int* right) {
    *left = kWidth;
    *right = -1;
    for (int y = std::max(top, 0); y < std::min(bottom, kHeight); ++y)
      for (int x = 0; x < kWidth; ++x)
        if (Brightest(frame, x, y) > 60) {
          *left = std::min(*left, x);
          *right = std::max(*right, x);
        }
    return *right >= 0;
  }

  // Keeps the frame among the screenshots, a test artefact.
  static void SaveFrame(const std::vector<uint8_t>& frame, const std::string& name) {
    EXPECT_TRUE(::KeepScreenshot(name, kWidth, kHeight, frame)) << name;
  }

  static inline bool ready_ = false;
  static inline std::string error_;
};
