// The layer cache: a captured picture drawn back equals the drawing it stands for, pixel for
// pixel, wherever in the window it was taken; a changed rectangle, key or context asks for a new
// drawing; drawing it back leaves the GL state as it found it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gfx/layer_cache.h"
#include "tests/gfx/gl_fixture.h"

namespace {

class LayerCache : public GlFixture {
 protected:
  void TearDown() override { ReleaseLayer(&layer_); }

  // A picture with something in every row and column: a vertical gradient, blended bands of
  // colour and a lit pixel near each corner, so a flipped or shifted copy cannot pass.
  static void DrawPicture(float shade) {
    glBegin(GL_QUADS);
    glColor4f(0.1f * shade, 0.3f, 0.6f, 1.0f);
    glVertex2f(0, 0);
    glVertex2f(kWidth, 0);
    glColor4f(0.8f, 0.2f * shade, 0.1f, 1.0f);
    glVertex2f(kWidth, kHeight);
    glVertex2f(0, kHeight);
    for (int i = 0; i < 12; ++i) {
      glColor4f(0.9f, 0.9f * (i % 3) / 2.0f, 0.2f, 0.35f);
      float x = 37.0f + 71.0f * (float)i;
      glVertex2f(x, 13);
      glVertex2f(x + 29, 13);
      glVertex2f(x + 29 + 40, kHeight - 7);
      glVertex2f(x + 40, kHeight - 7);
    }
    glColor4f(1, 1, 1, 1);
    for (int corner = 0; corner < 4; ++corner) {
      float x = corner % 2 ? kWidth - 3.0f : 2.0f, y = corner / 2 ? kHeight - 3.0f : 2.0f;
      glVertex2f(x, y);
      glVertex2f(x + 1, y);
      glVertex2f(x + 1, y + 1);
      glVertex2f(x, y + 1);
    }
    glEnd();
  }

  static void ClearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
  }

  // Largest channel difference inside a rectangle, and how many pixels differ outside it.
  static int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x, int y, int w,
                               int h, int* outsideDiffering) {
    int largest = 0;
    *outsideDiffering = 0;
    for (int row = 0; row < kHeight; ++row)
      for (int col = 0; col < kWidth; ++col) {
        bool inside = col >= x && col < x + w && row >= y && row < y + h;
        size_t i = (size_t(row) * kWidth + col) * 4;
        int d = std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])});
        if (inside) largest = std::max(largest, d);
        else if (d != 0) ++*outsideDiffering;
      }
    return largest;
  }

  CachedLayer layer_;
};

TEST_F(LayerCache, DrawnBackEqualsTheDirectDrawingWhereverItWasTaken) {
  struct Rect { int x, y, w, h; };
  // The whole window, an odd rectangle off the origin, and one that runs past the window's edges
  // (kept as its visible part).
  const Rect cases[] = {{0, 0, kWidth, kHeight}, {123, 77, 301, 209}, {kWidth - 50, kHeight - 40, 200, 200}};
  for (const Rect& c : cases) {
    ClearTo(0, 0, 0);
    DrawPicture(1.0f);
    std::vector<uint8_t> direct = ReadFrame();
    ASSERT_TRUE(CaptureLayer(&layer_, c.x, c.y, c.w, c.h, 42));
    ClearTo(0.5f, 0.0f, 0.5f);
    DrawPicture(0.5f);  // a different picture underneath, which the copy must hide
    DrawLayer(layer_);
    std::vector<uint8_t> cached = ReadFrame();
    int x = std::max(c.x, 0), y = std::max(c.y, 0);
    int w = std::min(c.x + c.w, kWidth) - x, h = std::min(c.y + c.h, kHeight) - y;
    EXPECT_EQ(layer_.width, w);
    EXPECT_EQ(layer_.height, h);
    EXPECT_TRUE(IsLayerCurrent(layer_, x, y, w, h, 42));
    int outside = 0;
    EXPECT_EQ(LargestDifference(direct, cached, x, y, w, h, &outside), 0) << c.x << "," << c.y;
    // Over a different background only the rectangle comes back: the copy is opaque.
    ClearTo(0, 0, 0);
    DrawLayer(layer_);
    std::vector<uint8_t> alone = ReadFrame();
    EXPECT_EQ(LargestDifference(direct, alone, x, y, w, h, &outside), 0);
    if (w < kWidth) {
      EXPECT_GT(outside, 0);
    }
    if (c.w == 301) SaveFrame(cached, "layer_cache_part.png");
  }
}

TEST_F(LayerCache, ChangedRectangleKeyOrContextAsksForANewDrawing) {
  ClearTo(0, 0, 0);
  DrawPicture(1.0f);
  ASSERT_TRUE(CaptureLayer(&layer_, 0, 0, kWidth, kHeight, LayerKeyMixFloat(kLayerKeySeed, 0.25f)));
  EXPECT_TRUE(IsLayerCurrent(layer_, 0, 0, kWidth, kHeight, LayerKeyMixFloat(kLayerKeySeed, 0.25f)));
  EXPECT_FALSE(IsLayerCurrent(layer_, 0, 0, kWidth - 1, kHeight, LayerKeyMixFloat(kLayerKeySeed, 0.25f)));
  EXPECT_FALSE(IsLayerCurrent(layer_, 1, 0, kWidth, kHeight, LayerKeyMixFloat(kLayerKeySeed, 0.25f)));
  EXPECT_FALSE(IsLayerCurrent(layer_, 0, 0, kWidth, kHeight, LayerKeyMixFloat(kLayerKeySeed, 0.26f)));
  EXPECT_EQ(LayerKeyMixFloat(kLayerKeySeed, 0.0f), LayerKeyMixFloat(kLayerKeySeed, -0.0f));
  EXPECT_NE(LayerKeyMix(LayerKeyMix(kLayerKeySeed, 1), 2), LayerKeyMix(LayerKeyMix(kLayerKeySeed, 2), 1));

  // A smaller window (a resize): the old picture is not current, a new capture at the new size
  // replaces it in the same texture and draws back exactly.
  glViewport(0, 0, kWidth / 2, kHeight / 2);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kWidth / 2, kHeight / 2, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  ClearTo(0, 0, 0);
  DrawPicture(0.5f);
  std::vector<uint8_t> direct = ReadFrame();
  ASSERT_TRUE(CaptureLayer(&layer_, 0, 0, kWidth, kHeight, 7));  // clipped to the viewport
  EXPECT_EQ(layer_.width, kWidth / 2);
  EXPECT_EQ(layer_.height, kHeight / 2);
  ClearTo(1, 1, 1);
  DrawLayer(layer_);
  std::vector<uint8_t> cached = ReadFrame();
  int outside = 0;
  // The viewport sits at the bottom of the window, rows counted from the top here.
  EXPECT_EQ(LargestDifference(direct, cached, 0, kHeight / 2, kWidth / 2, kHeight / 2, &outside), 0);
  SetUp();

  // A lost context: nothing is current, drawing draws nothing, and a capture starts afresh.
  unsigned before = layer_.texture;
  MarkLayersLost();
  EXPECT_FALSE(IsLayerCurrent(layer_, 0, 0, kWidth / 2, kHeight / 2, 7));
  ClearTo(0, 1, 0);
  DrawLayer(layer_);
  std::vector<uint8_t> green = ReadFrame();
  EXPECT_EQ(green[1], 255);
  EXPECT_EQ(green[0], 0);
  DrawPicture(1.0f);
  ASSERT_TRUE(CaptureLayer(&layer_, 0, 0, kWidth, kHeight, 8));
  EXPECT_TRUE(IsLayerCurrent(layer_, 0, 0, kWidth, kHeight, 8));
  glDeleteTextures(1, &before);  // the same context lives on here, so the old name is freed by hand

  // Nothing to copy: a rectangle wholly outside the window leaves the layer empty.
  EXPECT_FALSE(CaptureLayer(&layer_, kWidth + 5, 0, 10, 10, 9));
  EXPECT_FALSE(IsLayerCurrent(layer_, kWidth + 5, 0, 10, 10, 9));
}

TEST(LayerSettling, APictureIsTakenOnlyOnceItHeldStill) {
  CachedLayer layer;
  // Asked for frame after frame: first a resize in two steps, then a fade, then a still picture.
  const struct { int width; uint64_t key; bool settled; } frames[] = {
      {800, 1, false}, {1000, 1, false}, {1000, 1, true},  // the new size, drawn twice
      {1000, 2, false}, {1000, 3, false}, {1000, 4, false},  // a fade: a new key every frame
      {1000, 4, true}, {1000, 4, true},                       // still
      {1000, 1, false}, {1000, 4, false}, {1000, 4, true},    // one frame of something else starts afresh
  };
  int i = 0;
  for (const auto& f : frames)
    EXPECT_EQ(IsLayerSettled(&layer, 0, 0, f.width, 600, f.key), f.settled) << "frame " << i++;
}

TEST_F(LayerCache, AFanPutsBackOnlyThePixelsItCovers) {
  ClearTo(0, 0, 0);
  DrawPicture(1.0f);
  std::vector<uint8_t> direct = ReadFrame();
  ASSERT_TRUE(CaptureLayer(&layer_, 0, 0, kWidth, kHeight, 3));
  ClearTo(0, 0, 1);
  // A pie slice around (500, 300): hub, then points on an arc from -30 to +30 degrees at radius 200.
  std::vector<float> fan = {500, 300};
  for (int i = 0; i <= 12; ++i) {
    float a = (-30.0f + 5.0f * (float)i) * 3.14159265f / 180.0f;
    fan.push_back(500 + 200 * std::cos(a));
    fan.push_back(300 + 200 * std::sin(a));
  }
  DrawLayerInFan(layer_, fan.data(), (int)fan.size() / 2);
  std::vector<uint8_t> part = ReadFrame();
  auto same = [&](int x, int y) {
    size_t i = (size_t(y) * kWidth + x) * 4;
    return part[i] == direct[i] && part[i + 1] == direct[i + 1] && part[i + 2] == direct[i + 2];
  };
  auto blue = [&](int x, int y) {
    size_t i = (size_t(y) * kWidth + x) * 4;
    return part[i] == 0 && part[i + 1] == 0 && part[i + 2] == 255;
  };
  for (int r = 10; r < 195; r += 15)
    for (int deg : {-25, 0, 25}) {
      float a = (float)deg * 3.14159265f / 180.0f;
      int x = 500 + (int)std::lround(r * std::cos(a)), y = 300 + (int)std::lround(r * std::sin(a));
      EXPECT_TRUE(same(x, y)) << r << " at " << deg;
    }
  for (const auto& [x, y] : {std::pair{490, 300}, std::pair{705, 300}, std::pair{600, 150}, std::pair{600, 450}})
    EXPECT_TRUE(blue(x, y)) << x << "," << y;
}

TEST_F(LayerCache, DrawingBackRestoresTheStateItChanged) {
  ClearTo(0, 0, 0);
  DrawPicture(1.0f);
  ASSERT_TRUE(CaptureLayer(&layer_, 10, 10, 100, 100, 1));
  GLuint other = 0;
  glGenTextures(1, &other);
  glBindTexture(GL_TEXTURE_2D, other);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  for (bool texturing : {false, true}) {
    if (texturing) glEnable(GL_TEXTURE_2D);
    else glDisable(GL_TEXTURE_2D);
    DrawLayer(layer_);
    GLint bound = 0, env = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(GLuint(bound), other);
    EXPECT_EQ(env, GL_MODULATE);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, texturing);
  }
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &other);
}

}  // namespace
