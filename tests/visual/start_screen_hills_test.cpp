// The start screen's night hills: each fill stops where the layers in front of it hide what lies
// beneath, and the picture must come out as with every fill drawn down to the window's bottom.
// The whole drawing is made here the plain way (sky, then each layer's full fill, rim and lights)
// and compared pixel for pixel with the scene, at full alpha and during the fades.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "gfx/draw_alpha.h"
#include "gfx/gl_setup.h"
#include "tests/gfx/gl_fixture.h"
#include "visual/start_screen.h"

namespace {

class StartScreenHills : public GlFixture {
 protected:
  void SetUp() override {
    GlFixture::SetUp();
    gClientWidth = kWidth;
    gClientHeight = kHeight;
    SetProjection2D();
  }

  // Every layer drawn whole: the drawing the scene must match.
  static void DrawPlainHills(float elapsed, float alpha) {
    const int W = kWidth, H = kHeight;
    float sy = (float)H / 720.0f, xs[kHillSamples], ys[kHillSamples];
    static HillLight lights[4000];
    glBegin(GL_QUADS);
    SetGlColor(0.014f, 0.026f, 0.075f, alpha);
    glVertex2f(0, 0);
    glVertex2f((float)W, 0);
    SetGlColor(0.006f, 0.011f, 0.036f, alpha);
    glVertex2f((float)W, (float)H);
    glVertex2f(0, (float)H);
    glEnd();
    for (int k = 0; k < kHillLayers; ++k) {
      float b = (float)k / 8.0f, y0 = std::pow(b, 2.35f) * (float)H, a = (9.0f + 53.0f * std::pow(b, 1.05f)) * sy;
      HillSilhouette(k, elapsed, W, H, xs, ys);
      glBegin(GL_QUAD_STRIP);
      SetGlColor(0.095f - 0.084f * b, 0.045f - 0.039f * b, 0.225f - 0.189f * b, 0.8f * alpha);
      for (int i = 0; i < kHillSamples; ++i) {
        glVertex2f(xs[i], ys[i]);
        glVertex2f(xs[i], (float)H);
      }
      glEnd();
      glBegin(GL_QUAD_STRIP);
      for (int i = 0; i < kHillSamples; ++i) {
        float q = std::clamp((y0 - ys[i] + 1.3f * a) / (2.6f * a), 0.0f, 1.0f);
        SetGlColor(0.62f, 0.76f, 0.95f, q * q * q * (0.62f - 0.2f * b) * alpha);
        glVertex2f(xs[i], ys[i]);
        SetGlColor(0.62f, 0.76f, 0.95f, 0.0f);
        glVertex2f(xs[i], ys[i] + (2.2f + 3.8f * b) * sy);
      }
      glEnd();
      int n = PlaceHillLights(k, elapsed, W, H, xs, ys, lights, 4000);
      glBegin(GL_QUADS);
      for (int i = 0; i < n; ++i) {
        const HillLight& l = lights[i];
        if (l.alpha * alpha < 0.004f) continue;
        SetGlColor(1, 1, 1, l.alpha * alpha);
        glVertex2f(l.x - l.half, l.y - l.half);
        glVertex2f(l.x + l.half, l.y - l.half);
        glVertex2f(l.x + l.half, l.y + l.half);
        glVertex2f(l.x - l.half, l.y + l.half);
      }
      glEnd();
    }
  }
};

TEST_F(StartScreenHills, TheSceneMatchesEveryLayerDrawnWhole) {
  // Full alpha with the hills at three moments of their drift, and two points of the fades.
  const struct { float elapsed, alpha; } cases[] = {{1.0f, 1.0f}, {2.6f, 1.0f}, {4.0f, 1.0f}, {0.3f, 0.35f}, {4.3f, 0.8f}};
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawPlainHills(c.elapsed, c.alpha);
    std::vector<uint8_t> plain = ReadFrame();
    glClear(GL_COLOR_BUFFER_BIT);
    DrawSplashScene(10.0f, c.elapsed, c.alpha);
    std::vector<uint8_t> scene = ReadFrame();
    int largest = 0, differing = 0;
    for (size_t i = 0; i < plain.size(); i += 4)
      for (int ch = 0; ch < 3; ++ch) {
        int d = std::abs(plain[i + ch] - scene[i + ch]);
        largest = std::max(largest, d);
        if (d > 0 && ch == 0) ++differing;
      }
    // A hidden fill can move a pixel by a rounding step at most.
    EXPECT_LE(largest, 1) << "elapsed " << c.elapsed << " alpha " << c.alpha;
    if (c.elapsed == 2.6f) SaveFrame(scene, "start_screen_hills.png");
  }
}

}  // namespace
