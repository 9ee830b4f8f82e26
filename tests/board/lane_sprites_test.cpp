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
  // With a box of some size, under that box as the scissor (and the batch clipped to it or not).
  std::vector<uint8_t> Draw(const std::vector<GlowSprite>& sprites, bool batched, LaneBox box = {},
                            bool clipped = false) {
    glDisable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    if (box.width > 0) {
      glEnable(GL_SCISSOR_TEST);
      glScissor(box.x, kHeight - (box.top + box.height), box.width, box.height);
    }
    BuildGlowTexture();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, gGlowTexture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    static auto batch = std::make_unique<GlowSpriteBatch>();
    batch->ClipTo(clipped ? box : LaneBox{});
    const size_t before = batch->drawn;
    for (const GlowSprite& s : sprites)
      if (batched) batch->Add(s);
      else DrawGlowQuad(s.x, s.y, s.radius, s.r, s.g, s.b, s.a);
    batch->Flush();
    drawn_ = batch->drawn - before;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    return ReadFrame();
  }
  size_t drawn_ = 0;  // sprites the last batched Draw sent
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

// Motes risen above the lane, sprites beside it and below its hit line: the batch clipped to the
// lane's box leaves them out, and the frame under the lane's scissor is the same to the last bit.
TEST_F(SpriteBatchDrawing, LeavesOutWhatTheLanesScissorDrops) {
  std::srand(5);
  auto u = [] { return (float)(std::rand() % 10000) / 10000.0f; };
  std::vector<GlowSprite> cloud;
  for (int i = 0; i < 6000; ++i) {
    const float radius = i % 2 ? 0.3f + 3.0f * u() : 4.0f + 40.0f * u();
    cloud.push_back({-60.0f + 1120.0f * u(), -80.0f + 760.0f * u(), radius, 0.3f + u(), 0.3f + u(), 0.3f + u(),
                     0.01f + 0.4f * u() * u()});
  }
  // Edges on whole pixels and a little inside the frame on every side, as the lane's may be.
  const LaneBox box{137, 61, 701, 389};
  const std::vector<uint8_t> all = Draw(cloud, true, box, false);
  const size_t allDrawn = drawn_;
  const std::vector<uint8_t> clipped = Draw(cloud, true, box, true);
  int lit = 0, differing = 0;
  for (size_t i = 0; i < all.size(); ++i) lit += all[i] > 0, differing += all[i] != clipped[i];
  EXPECT_GT(lit, (int)all.size() / 5);
  EXPECT_EQ(differing, 0);
  EXPECT_LT(drawn_, allDrawn * 3 / 4) << "sprites outside the box were sent";
  EXPECT_GT(drawn_, allDrawn / 4);
}
