// The circle's cached picture: put back from its texture it equals the direct drawing of the
// gradient and the circle pass, whole or with changed ring positions drawn afresh over it, and a
// new size or tint draws everything again.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "gfx/gl_setup.h"
#include "gfx/layer_cache.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "tests/gfx/gl_fixture.h"
#include "theory/scale_selection.h"
#include "visual/backdrop.h"
#include "visual/circle_pass.h"
#include "visual/circle_still.h"

namespace {

class CircleStill : public GlFixture {
 protected:
  void SetUp() override {
    GlFixture::SetUp();
    Resize(kWidth, kHeight);
    ResetNoteTables();
    ResetScaleSelection();
    ValidateCurrentScale();
    ResetViewModes();
    ResetCirclePass();
    ResetCircleStill();
  }
  void TearDown() override {
    ResetCircleStill();
    ResetNoteTables();
    ResetViewModes();
    FreeAllFonts();
    Resize(kWidth, kHeight);
  }

  // Draws at a smaller size in the window's lower left corner (GL's viewport origin).
  static void Resize(int width, int height) {
    gClientWidth = width;
    gClientHeight = height;
    SetProjection2D();
    RebuildFonts();
  }

  static void Hold(int note) {
    HeldNote h{};
    h.note = note;
    h.velocity = 110;
    h.sounding = h.keyDown = 1;
    gHeldNotes.push_back(h);
  }

  void Compute() {
    ComputeCircleLayout(&in_.centreX, &in_.centreY, &in_.minSide, &in_.outer, &in_.inner, &in_.innermost);
    in_.time = time_;
    in_.holdSeconds = hold_;
    in_.lightBlend = gBackdropTintFade;
    ComputeCirclePass(in_, &look_);
  }

  // Both drawings start from the same magenta: whatever was there must not show.
  static void Clear() {
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
  }

  std::vector<uint8_t> Direct() {
    Clear();
    DrawBackgroundGradient(1.0f / 60.0f);
    DrawCirclePass(in_, look_);
    return ReadFrame();
  }

  std::vector<uint8_t> Still() {
    Clear();
    DrawCircleStill(1.0f / 60.0f, in_, look_);
    return ReadFrame();
  }

  // Largest channel difference and the number of pixels that differ by more than `slack`.
  static int Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int slack, int* over) {
    int largest = 0;
    *over = 0;
    for (size_t i = 0; i < a.size(); i += 4) {
      int d = std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])});
      largest = std::max(largest, d);
      if (d > slack) ++*over;
    }
    return largest;
  }

  // Frames go on until the looks stop changing: then nothing is drawn afresh and the picture put
  // back equals the direct drawing.
  void ExpectItSettlesAsDrawnDirectly() {
    int redrawn = 12;
    for (int frame = 0; frame < 5 && redrawn != 0; ++frame) {
      time_ += 0.017f;
      Compute();
      Still();
      redrawn = CircleStillRedrawnCount();
    }
    EXPECT_EQ(redrawn, 0);
    int over = 0;
    std::vector<uint8_t> still = Still();
    EXPECT_LE(Compare(Direct(), still, 0, &over), 1);
  }

  CirclePassInput in_;
  CircleLook look_;
  float hold_[12] = {};
  float time_ = 3.0f;
};

TEST_F(CircleStill, PutBackItEqualsTheDirectDrawing) {
  Compute();
  std::vector<uint8_t> direct = Direct();
  int over = 0;
  for (int frame = 0; frame < kLayerSettleFrames; ++frame) {
    EXPECT_EQ(Compare(direct, Still(), 0, &over), 0) << "frame " << frame << ", drawn whole until it held still";
    EXPECT_EQ(CircleStillRedrawnCount(), 12);
  }
  time_ += 0.017f;
  Compute();
  std::vector<uint8_t> again = Still();
  EXPECT_EQ(CircleStillRedrawnCount(), 0) << "nothing changed, nothing drawn";
  EXPECT_EQ(Compare(direct, again, 0, &over), 0);
  SaveFrame(again, "circle_still_idle.png");
}

TEST_F(CircleStill, ChangedPositionsAloneAreDrawnAfreshAndMatch) {
  Compute();
  for (int frame = 0; frame < kLayerSettleFrames; ++frame) Still();
  // F sharp is off the C major scale: its position pulses red, the held ones light up.
  Hold(66);
  Hold(64);
  for (int frame = 0; frame < 3; ++frame) {
    time_ += 0.017f;
    Compute();
    std::vector<uint8_t> still = Still();
    int redrawn = CircleStillRedrawnCount();
    std::vector<uint8_t> direct = Direct();
    int over = 0;
    int largest = Compare(direct, still, 2, &over);
    // Neighbouring positions share a few edge pixels; nothing else may differ.
    EXPECT_LE(largest, 24) << "frame " << frame;
    EXPECT_LT(over, 60) << "frame " << frame;
    if (frame == 0) {
      EXPECT_GT(redrawn, 0);
      EXPECT_LT(redrawn, 12);
      SaveFrame(still, "circle_still_held.png");
    }
  }
  // Let go: the glow fades out; once the looks stop changing everything is put back again.
  gHeldNotes.clear();
  ExpectItSettlesAsDrawnDirectly();
}

// With nothing held the key's edge arcs follow its fading hold: the key's position alone is drawn
// afresh and matches the direct drawing, and the picture holds still again once the hold is gone.
TEST_F(CircleStill, TheKeysEdgeFollowsItsFadingHoldAlone) {
  Compute();
  for (int frame = 0; frame <= kLayerSettleFrames; ++frame) Still();
  ASSERT_EQ(CircleStillRedrawnCount(), 0);
  float& hold = hold_[PitchClassMod(gKeyRoot)];
  hold = 2.0f;  // the key's note let go after two seconds
  for (int frame = 0; frame < 3; ++frame) {
    time_ += 0.017f;
    hold *= 0.85f;
    Compute();
    std::vector<uint8_t> still = Still();
    EXPECT_EQ(CircleStillRedrawnCount(), 1) << "frame " << frame;
    // The arcs keep to their own slice: nothing of them is left over or drawn twice beside it.
    int over = 0;
    EXPECT_LE(Compare(Direct(), still, 0, &over), 1) << "frame " << frame;
  }
  hold = 0.0f;
  ExpectItSettlesAsDrawnDirectly();
}

TEST_F(CircleStill, ANewSizeOrTintDrawsEverything) {
  Compute();
  for (int frame = 0; frame <= kLayerSettleFrames; ++frame) Still();
  ASSERT_EQ(CircleStillRedrawnCount(), 0);
  const struct { int width, height; float tint; } cases[] = {{800, 500, 0.0f}, {800, 500, 0.6f}, {kWidth, kHeight, 0.6f}};
  for (const auto& c : cases) {
    Resize(c.width, c.height);
    gBackdropTintFade = c.tint;
    Compute();
    std::vector<uint8_t> still = Still();
    EXPECT_EQ(CircleStillRedrawnCount(), 12) << c.width << " tint " << c.tint;
    int over = 0;
    EXPECT_EQ(Compare(Direct(), still, 0, &over), 0) << c.width << " tint " << c.tint;
    for (int frame = 1; frame < kLayerSettleFrames; ++frame) Still();
    still = Still();
    EXPECT_EQ(CircleStillRedrawnCount(), 0) << c.width << " tint " << c.tint;
    EXPECT_EQ(Compare(Direct(), still, 0, &over), 0) << c.width << " tint " << c.tint;
  }
  gBackdropTintFade = 0.0f;
}

// Held notes change some positions every frame, so the gradient goes back under a whole drawing
// of the circle; after a new size or tint it is read again, never put back as it was before.
TEST_F(CircleStill, TheGroundUnderAChangingCircleEqualsTheGradientAtEverySizeAndTint) {
  Hold(66);
  Hold(60);
  const struct { int width, height; float tint; } cases[] = {
      {kWidth, kHeight, 0.0f}, {800, 500, 0.0f}, {800, 500, 0.6f}, {kWidth, kHeight, 0.6f}, {kWidth, kHeight, 0.0f}};
  for (const auto& c : cases) {
    Resize(c.width, c.height);
    gBackdropTintFade = c.tint;
    for (int frame = 0; frame < kLayerSettleFrames + 3; ++frame) {
      time_ += 0.017f;
      Compute();
      std::vector<uint8_t> still = Still();
      // The renderer may round a tile of its own gradient a step apart; a band never goes further.
      int over = 0;
      EXPECT_LE(Compare(Direct(), still, 0, &over), 1) << c.width << " tint " << c.tint << " frame " << frame;
    }
    EXPECT_EQ(CircleStillRedrawnCount(), 12) << "the off-scale note pulses: the circle is drawn whole";
    // The gradient alone, as the student view puts it back.
    Clear();
    DrawBackgroundGradient(1.0f / 60.0f);
    std::vector<uint8_t> direct = ReadFrame();
    Clear();
    DrawBackgroundStill(1.0f / 60.0f);
    int over = 0;
    EXPECT_LE(Compare(direct, ReadFrame(), 0, &over), 1) << c.width << " tint " << c.tint;
  }
  gBackdropTintFade = 0.0f;
}

}  // namespace
