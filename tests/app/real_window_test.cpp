// The window, its GL context, the projection, the glow texture and full screen on a real (virtual)
// display inside the test process.
#include <pthread.h>

#include <atomic>
#include <utility>
#include <vector>

#include "platform/screen_probe.h"
#include "tests/app/real_window_fixture.h"

TEST_F(RealWindow, ClientSizeIsSetBeforeLayoutAndOneUnitIsOnePixelFromTheTopLeft) {
  // No window manager runs on the virtual display, so the requested size stays.
  EXPECT_EQ(gClientWidth, 1440);
  EXPECT_EQ(gClientHeight, 920);
  int w = 0, h = 0;
  GetWindowSizeLimits(&w, &h);
  EXPECT_EQ(w, 1120);
  EXPECT_EQ(h, 720);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glVertex2f(0, 0), glVertex2f(1, 0), glVertex2f(1, 1), glVertex2f(0, 1);
  glVertex2f(1439, 919), glVertex2f(1440, 919), glVertex2f(1440, 920), glVertex2f(1439, 920);
  glEnd();
  const struct { int x, y, value; } cases[] = {{0, 0, 255}, {1439, 919, 255}, {1, 0, 0}, {0, 919, 0}, {1439, 0, 0}};
  for (const auto& c : cases) EXPECT_EQ(Pixel(c.x, c.y)[0], c.value) << c.x << "," << c.y;
  ApplyClientSize(1024, 700, false);  // a new client size rebuilds the projection
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 1024);
  EXPECT_EQ(viewport[3], 700);
}

TEST_F(RealWindow, GlowQuadsAddUpAndTinyOnesDrawNothing) {
  BuildGlowTexture();
  unsigned name = gGlowTexture;
  ASSERT_NE(name, 0u);
  BuildGlowTexture();
  EXPECT_EQ(gGlowTexture, name);  // built once
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gGlowTexture);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  DrawGlowQuad(200, 200, 40, 1, 0, 0, 0.5f);
  DrawGlowQuad(200, 200, 40, 1, 0, 0, 0.5f);
  DrawGlowQuad(600, 200, 0.05f, 1, 1, 1, 1);   // too small
  DrawGlowQuad(700, 200, 40, 1, 1, 1, 0.001f);  // too faint
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_GE(Pixel(200, 200)[0], 250);  // two half-strength glows add up to full
  EXPECT_EQ(Pixel(200, 200)[1], 0);
  EXPECT_LT(Pixel(238, 200)[0], 20);
  for (int x : {260, 600, 700}) EXPECT_EQ(Pixel(x, 200)[0], 0) << x;  // outside, tiny, faint
}

TEST_F(RealWindow, FullScreenCoversTheDisplayAndComesBack) {
  ToggleFullscreen();
  EXPECT_TRUE(gFullscreen);
  EXPECT_TRUE(WaitForClientSize(1920, 1080)) << gClientWidth << " x " << gClientHeight;
  ToggleFullscreen();
  EXPECT_FALSE(gFullscreen);
  bool back = WaitForClientSize(1440, 920);
  int w = 0, h = 0;
  WindowGetClientSize(&w, &h);
  EXPECT_TRUE(back) << gClientWidth << " x " << gClientHeight << " window " << w << " x " << h;
}

// A window manager's own full screen leaves the window as large as the display while the program
// counts it windowed; F and F again must not bring it back that large.
TEST_F(RealWindow, FullScreenFromAWindowAlreadyCoveringTheDisplayComesBackToTheLastPlace) {
  ToggleFullscreen();
  ToggleFullscreen();
  ASSERT_TRUE(WaitForClientSize(1440, 920));
  WindowSetClientSize(1920, 1080);
  ASSERT_TRUE(WaitForClientSize(1920, 1080));
  ToggleFullscreen();
  EXPECT_TRUE(gFullscreen);
  ToggleFullscreen();
  EXPECT_FALSE(gFullscreen);
  EXPECT_TRUE(WaitForClientSize(1440, 920)) << gClientWidth << " x " << gClientHeight;
}

// What the display shows, read from outside: the size the program is told is not enough, since
// without a window manager nobody but the program moves its window. A white frame drawn at the
// client size stands at the display's corners in full screen, and back at (100, 100) after it.
TEST_F(RealWindow, FullScreenShowsTheFrameOverTheWholeDisplay) {
  ScreenProbe* probe = ScreenProbeOpen(display_->name());
  ASSERT_NE(probe, nullptr);
  auto white = [&](int x, int y) {
    int rgb[3] = {0, 0, 0};
    return ScreenProbePixel(probe, x, y, rgb) && rgb[0] > 240 && rgb[1] > 240 && rgb[2] > 240;
  };
  // Frames until the display shows the corners white, at most two seconds.
  auto showsWhite = [&](const std::vector<std::pair<int, int>>& points) {
    for (int i = 0; i < 100; ++i) {
      DrainMessages();
      SetProjection2D();
      glClearColor(1, 1, 1, 1);
      glClear(GL_COLOR_BUFFER_BIT);
      WindowSwapBuffers();
      glFinish();
      bool all = true;
      for (const auto& p : points) all = all && white(p.first, p.second);
      if (all) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  };
  ASSERT_TRUE(showsWhite({{105, 105}, {1535, 1015}}));
  EXPECT_FALSE(white(5, 5));
  ToggleFullscreen();
  ASSERT_TRUE(gFullscreen);
  EXPECT_TRUE(WaitForClientSize(1920, 1080));
  EXPECT_TRUE(showsWhite({{2, 2}, {1917, 2}, {2, 1077}, {1917, 1077}}))
      << "the frame is laid out for the display but the window does not cover it";
  ToggleFullscreen();
  ASSERT_FALSE(gFullscreen);
  EXPECT_TRUE(WaitForClientSize(1440, 920));
  EXPECT_TRUE(showsWhite({{105, 105}, {1535, 1015}}));
  EXPECT_FALSE(white(5, 5)) << "the window did not go back to its place";
  EXPECT_FALSE(white(1600, 1050));
  ScreenProbeClose(probe);
}

// Without a session bus in the environment, opening the window forks nothing: a bus launched
// through the display is a fork of a process whose other threads may hold locks its child needs,
// and a start that once hung there for good.
std::atomic<int> gForks{0};

class WindowWithoutABus : public RealWindow {
 protected:
  void SetUp() override {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    static bool counting = [] { return pthread_atfork([] { ++gForks; }, nullptr, nullptr) == 0; }();
    ASSERT_TRUE(counting);
    gForks = 0;
    RealWindow::SetUp();
  }
};

TEST_F(WindowWithoutABus, OpeningTheWindowStartsNoOtherProcess) {
  EXPECT_EQ(gForks.load(), 0) << "the window's start forked the program";
  EXPECT_EQ(gClientWidth, 1440) << "no window";
}
