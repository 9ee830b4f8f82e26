// Text in the program's own window on a private display, drawn as one run and one text at a time,
// before and after the window system resizes the window (which rebuilds the fonts' glyph pages for
// the new UI scale), and again in a second window's GL context after a whole frame of the first.
// White glyphs over a grey ground never darken it: a dark pixel is a glyph drawn from a texture that
// is not its page. Screenshots are kept beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/text.h"
#include "platform/clock.h"
#include "tests/app/learning_window_fixture.h"

namespace {

class TextWindow : public LearningWindowTest {
 protected:
  // The window resized by the window system, then a swap so that the drawable has the new size.
  void ResizeTo(int w, int h) {
    FindWindow();
    ASSERT_FALSE(Xdo({"windowsize", window_, std::to_string(w), std::to_string(h)}).empty());
    ASSERT_TRUE(WaitForClientSize(w, h)) << gClientWidth << " x " << gClientHeight;
    WindowSwapBuffers();
  }
  // A line in each font over a grey ground, one text at a time or as one run.
  static std::vector<uint8_t> DrawLines(bool asRun) {
    const UiFont fonts[] = {gFontSmall, gFontMain, gFontItalic, gFontMedium, gFontLarge};
    glClearColor(0.3f, 0.3f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (asRun) BeginTextRun();
    for (int i = 0; i < kLineCount; ++i)
      DrawTextUtf8(fonts[i], 40.0f, float(kFirstBaseline + kLineStep * i), "Am Em F#m 12 \u00c9tude \u65e5\u672c", 1, 1, 1, 1);
    if (asRun) EndTextRun();
    return ReadFrame();
  }
  // Dark pixels and ink in the band of the lines.
  static void Count(const std::vector<uint8_t>& frame, int* dark, int* ink) {
    *dark = *ink = 0;
    for (int y = kFirstBaseline - 45; y < kFirstBaseline + kLineStep * kLineCount; ++y)
      for (int x = 0; x < 700; ++x) {
        const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
        *dark += std::max({p[0], p[1], p[2]}) < 60;
        *ink += p[0] > 200;
      }
  }
  // The run and the single texts give the same picture with ink and nothing dark; kept as a screenshot.
  void ExpectGlyphs(const std::string& when) {
    SCOPED_TRACE(when);
    const std::vector<uint8_t> run = DrawLines(true), apart = DrawLines(false);
    int dark = 0, ink = 0;
    Count(run, &dark, &ink);
    EXPECT_EQ(dark, 0);
    EXPECT_GT(ink, 1000);
    EXPECT_TRUE(run == apart) << "the run differs from the texts drawn one by one";
    SaveScreenshot("text_run_" + when, run);
  }

  static constexpr int kLineCount = 5, kFirstBaseline = 60, kLineStep = 56;
};

TEST_F(TextWindow, RunsKeepTheirGlyphsAcrossAResizeAndANewContext) {
  ClockDriveBegin(ClockTickMs64());
  RunFrameWork(ClockMs32());   // every module makes its textures in this context
  ExpectGlyphs("1440x920");
  ResizeTo(1900, 1060);
  if (HasFatalFailure()) return;
  RunFrameWork(ClockMs32());
  ExpectGlyphs("resized_1900x1060");

  // The window goes as the program's does and a new one comes; its fonts are rebuilt at the
  // larger size, so their pages take texture names that the first context had given out.
  RealWindow::TearDown();
  OpenLearningWindow(100, 100, 1440, 920);
  if (HasFatalFailure()) return;
  ResizeTo(1900, 1060);
  if (HasFatalFailure()) return;
  RunFrameWork(ClockMs32());
  ExpectGlyphs("new_context_1900x1060");
}

}  // namespace
