// The lane's sprite batch on a real frame: what it leaves out or crops must not show.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "board/lane_sprites.h"
#include "gfx/gl_setup.h"
#include "tests/gfx/gl_fixture.h"

class SpriteBatchDrawing : public GlFixture {
 protected:
  // The sprites added over black, through the batch or stamped whole one quad each.
  std::vector<uint8_t> Draw(const std::vector<GlowSprite>& sprites, bool batched) {
    glClear(GL_COLOR_BUFFER_BIT);
    BuildGlowTexture();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, gGlowTexture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    static auto batch = std::make_unique<GlowSpriteBatch>();
    for (const GlowSprite& s : sprites)
      if (batched) batch->Add(s);
      else DrawGlowQuad(s.x, s.y, s.radius, s.r, s.g, s.b, s.a);
    batch->Flush();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    return ReadFrame();
  }
};

// Specks between pixel centres, faint halos cropped to what rounds into the frame, bright glows
// whole: the batch's frame matches the whole quads' to a rounding step at a few pixels.
TEST_F(SpriteBatchDrawing, LeavesTheFrameAsWholeQuadsDo) {
  std::srand(11);
  auto u = [] { return (float)(std::rand() % 10000) / 10000.0f; };
  std::vector<GlowSprite> cloud;
  for (int i = 0; i < 4000; ++i) {
    const float radius = i % 3 == 0 ? 0.06f + 1.4f * u() : i % 3 == 1 ? 1.0f + 6.0f * u() : 8.0f + 60.0f * u();
    const float a = i % 4 == 0 ? 0.0011f + 0.004f * u() : 0.002f + 0.5f * u() * u();
    cloud.push_back({40.0f + 920.0f * u(), 40.0f + 520.0f * u(), radius, 0.2f + u(), 0.2f + u(), 0.2f + u(), a});
  }
  const std::vector<uint8_t> whole = Draw(cloud, false), batched = Draw(cloud, true);
  int differing = 0, worst = 0, lit = 0;
  for (size_t i = 0; i < whole.size(); ++i) {
    lit += whole[i] > 0;
    if (whole[i] != batched[i]) ++differing, worst = std::max(worst, std::abs(whole[i] - batched[i]));
  }
  EXPECT_GT(lit, (int)whole.size() / 4);  // the cloud covers the frame
  EXPECT_LE(worst, 1);
  EXPECT_LE(differing, (int)whole.size() / 1000);
}
