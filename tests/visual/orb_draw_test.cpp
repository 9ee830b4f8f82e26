// The orb's drawing without a window: the colour rules on awkward inputs, the detail counts, the
// quality controller, the flash pulse, the ribbon trails and the beads, read from the arrays the
// drawing fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "orb_sim.h"
#include "theory/ring_palette.h"
#include "visual/orb_body.h"
#include "visual/orb_colour.h"
#include "visual/orb_draw.h"
#include "visual/orb_overlays.h"

namespace {

OrbRgb Palette(int q) { return {kRingPalette[q][0], kRingPalette[q][1], kRingPalette[q][2]}; }
float Dist(const OrbRgb& a, const OrbRgb& b) { return std::hypot(a.r - b.r, a.g - b.g, a.b - b.b); }

// A fresh orb and drawing, and a record for a 400 px orb at (500, 300).
OrbParams FreshDrawing(int points = 480, int inner = 96) {
  FreshOrb(points, inner);
  ResetOrbDrawing();
  OrbParams p = QuietParams();
  p.centreX = 500;
  p.centreY = 300;
  p.innerRadius = 200;
  return p;
}

// Steps and builds `frames` frames of dt seconds each.
void RunFrames(OrbParams& p, int frames, float dt = 1.0f / 60.0f) {
  for (int i = 0; i < frames; ++i) {
    p.time += dt;
    StepOrbFrame(p);
    ASSERT_TRUE(BuildOrbDrawing(p, gOrbState));
  }
}

TEST(OrbColour, InkToDisplayColourOnAwkwardInk) {
  // No ink: a dark grey from the base brightness alone, barely pulled toward the palette.
  const OrbRgb none = InkToDisplayColour(0.1f, {0, 0, 0}, 0.0f);
  for (float c : {none.r, none.g, none.b}) EXPECT_NEAR(c, 0.1f, 0.05f);
  // Negative ink darkens below that.
  const OrbRgb dark = InkToDisplayColour(0.1f, {-3, -3, -3}, 0.0f);
  EXPECT_LT(Luminance709(dark), 0.5f * Luminance709(none));
  // Ink of one palette colour reads as that colour, at any amount; a full flash turns it warm white.
  for (int q = 0; q < 12; ++q)
    for (float amount : {3.0f, 40.0f}) {
      const OrbRgb ink{kRingPalette[q][0] * amount, kRingPalette[q][1] * amount, kRingPalette[q][2] * amount};
      const OrbRgb c = InkToDisplayColour(0.1f, ink, 0.0f);
      float conf = 0;
      SnapToPalette(c, &conf);
      const int opposite = (q + 6) % 12;
      EXPECT_LT(Dist(c, Palette(q)), Dist(c, Palette(opposite))) << q << " x" << amount;
      const OrbRgb flash = InkToDisplayColour(0.1f, ink, 1.0f);
      EXPECT_GT(flash.r, 0.8f);
      EXPECT_GT(flash.r, flash.b);
    }
  // Non-finite ink gives a colour, not NaN.
  const OrbRgb nan = InkToDisplayColour(0.1f, {std::numeric_limits<float>::quiet_NaN(), 1, 1}, 0.0f);
  EXPECT_TRUE(std::isfinite(nan.r) && std::isfinite(nan.g) && std::isfinite(nan.b));
}

TEST(OrbColour, PaletteSnapAndConsonance) {
  for (int q = 0; q < 12; ++q) {
    float conf = 0;
    const OrbRgb c = SnapToPalette(Palette(q), &conf);
    EXPECT_FLOAT_EQ(conf, 1.0f);
    EXPECT_LT(Dist(c, Palette(q)), 0.5f * Dist(Palette(q), Palette((q + 1) % 12)));
  }
  // Half way between two neighbours both weigh the same, whichever counts as nearer.
  const OrbRgb mid{(kRingPalette[3][0] + kRingPalette[4][0]) / 2, (kRingPalette[3][1] + kRingPalette[4][1]) / 2,
                   (kRingPalette[3][2] + kRingPalette[4][2]) / 2};
  EXPECT_LT(Dist(SnapToPalette(mid, nullptr), mid), 1e-4f);

  EXPECT_FLOAT_EQ(PitchClassConsonance(0), 1.0f);
  EXPECT_FLOAT_EQ(PitchClassConsonance(12), 1.0f);
  EXPECT_FLOAT_EQ(PitchClassConsonance(-6), PitchClassConsonance(6));
  for (int consonant : {3, 4, 5, 7, 8, 9}) EXPECT_GT(PitchClassConsonance(consonant), PitchClassConsonance(6));
  EXPECT_LT(PitchClassConsonance(6), 0.6f);  // the tritone near no just ratio's weight
}

TEST(OrbDetail, CountsFollowQualityAndNeverCrossForFewPoints) {
  struct Case { float q; int n, bands, samples, disc; } cases[] = {
      {0.52f, 480, 33, 323, 14}, {1.0f, 480, 44, 480, 18}, {0.52f, 100, 33, 100, 14}, {1.0f, 3, 44, 3, 18}};
  for (const Case& c : cases) {
    const OrbDetail d = ComputeOrbDetail(c.q, c.n);
    EXPECT_EQ(d.bands, c.bands) << c.q << " " << c.n;
    EXPECT_EQ(d.samples, c.samples) << c.q << " " << c.n;
    EXPECT_EQ(d.discSegments, c.disc) << c.q << " " << c.n;
  }
  EXPECT_EQ(OrbRibbonCount(0.52f), 15);
  EXPECT_EQ(OrbRibbonCount(1.0f), 20);
}

TEST(OrbDetail, QualityFallsFastOnSlowFramesAndRisesSlowlyOnFastOnes) {
  struct Case { const char* name; float dt, change; } cases[] = {
      {"a 0.1 s frame", 0.1f, -0.02f}, {"a 0.01 s frame", 0.01f, 0.0072f}, {"a stall", 30.0f, -0.02f},
      {"time running back", -1.0f, 0.01f}};
  for (const Case& c : cases) {
    OrbDrawMemory d;
    AdvanceOrbDrawClock(d, 5.0f, 0.0f);
    d.quality = d.smoothQuality = 0.8f;
    AdvanceOrbDrawClock(d, 5.0f + c.dt, 0.0f);
    EXPECT_NEAR(d.quality - 0.8f, c.change, 1e-5f) << c.name;
    EXPECT_GE(d.drawDt, 1.0f / 240.0f);
    EXPECT_LE(d.drawDt, 0.085f);
    EXPECT_LT(std::fabs(d.smoothQuality - 0.8f), std::fabs(c.change)) << c.name;
  }
}

TEST(OrbDetail, TheFlashPulseStartsOnAJumpAndRunsItsCourse) {
  OrbDrawMemory d;
  float t = 1.0f;
  auto frame = [&](float flash) { AdvanceOrbDrawClock(d, t += 1.0f / 60.0f, flash); };
  frame(0.1f);
  EXPECT_EQ(d.flashPulse, 0.0f);
  frame(0.7f);
  EXPECT_FLOAT_EQ(d.flashPulse, 0.7f);
  const float started = d.flashPulseTime;
  for (int i = 0; i < 30; ++i) frame(0.7f);  // held: no restart
  EXPECT_NEAR(d.flashPulseTime, started + 30.0f / 60.0f, 1e-4f);
  for (int i = 0; i < 300; ++i) frame(0.7f);  // the pulse dies away while the flash holds
  EXPECT_EQ(d.flashPulse, 0.0f);
  frame(0.0f);
  frame(0.9f);  // a new jump
  EXPECT_FLOAT_EQ(d.flashPulse, 0.9f);
  frame(0.01f);  // the flash gone: the pulse with it
  EXPECT_EQ(d.flashPulse, 0.0f);
}

TEST(OrbRibbons, TrailsFadeWhenQuietAndClearWhenTheLayoutChanges) {
  OrbParams p = FreshDrawing();
  gRingGlowMajor[0] = 1.0f;
  gRingGlowMajor[4] = 0.7f;
  p.accentPos = 0;
  p.accentLevel = 0.8f;
  RunFrames(p, 30);
  const OrbOverlayMemory& o = gOrbOverlays;
  ASSERT_GT(o.ribbonCount, 0);
  auto total = [&] {
    float sum = 0;
    for (float v : o.trails[o.current].density) sum += v;
    return sum;
  };
  const float lit = total();
  ASSERT_GT(lit, 1.0f);

  ClearRingGlow();
  p.accentPos = -1;
  p.accentLevel = 0;
  const int before = gOrbOverlays.ribbons.Count();
  ASSERT_GT(before, 0);
  RunFrames(p, 1);
  EXPECT_EQ(o.ribbonCount, 0) << "no ribbon is drawn on a quiet frame";
  EXPECT_NEAR(total(), 0.8f * lit, 0.001f * lit);

  // A different ribbon count lays the trails out afresh and empty.
  gRingGlowMajor[0] = 1.0f;
  p.accentPos = 0;
  p.accentLevel = 0.8f;
  RunFrames(p, 5);
  gOrbDraw.quality = gOrbDraw.smoothQuality = 0.52f;
  const int ribbons = o.trailRibbons;
  ClearRingGlow();
  p.accentLevel = 0;
  p.accentPos = -1;
  RunFrames(p, 1, 1.0f / 240.0f);
  EXPECT_NE(o.trailRibbons, ribbons);
  EXPECT_EQ(total(), 0.0f);
}

TEST(OrbBeads, SnapOnTheFirstFrameAndStayInsideTheReach) {
  OrbParams p = FreshDrawing();
  RunFrames(p, 1);
  const OrbOverlayMemory& o = gOrbOverlays;
  ASSERT_EQ(o.beadX.size(), 72u);
  // Snapped onto the ring at once (the ring rests at 0.8), not drifting in from the origin.
  for (int i = 0; i < 72; ++i) EXPECT_NEAR(std::hypot(o.beadX[i], o.beadY[i]), 0.8f, 0.02f) << i;

  // A ring pushed beyond the reach: every bead's disc centre is still drawn inside it.
  for (int j = 0; j < gOrbState.pointCount; ++j) {
    gOrbState.x[j] *= 1.5f;
    gOrbState.y[j] *= 1.5f;
  }
  for (int i = 0; i < 3; ++i) {
    p.time += 1.0f / 60.0f;
    ASSERT_TRUE(BuildOrbDrawing(p, gOrbState));
  }
  const OrbBatch& beads = o.beads;
  ASSERT_GT(beads.Count(), 0);
  for (int v = 0; v < beads.Count(); v += 3) {  // each triangle's first vertex is its disc's centre
    const float r = std::hypot(beads.xy[2 * v] - p.centreX, beads.xy[2 * v + 1] - p.centreY);
    EXPECT_LT(r, p.innerRadius) << v;
  }
}

// The body's triangles, thinned toward the centre or not, tile the disc inside the outermost row:
// none folds over another (every one turns the same way) and their areas add up to the disc's.
TEST(OrbDrawing, TheBodyTrianglesTileTheDiscWithoutFoldsOrGaps) {
  for (float step : {0.0f, kOrbBodyStepPx, 8.0f}) {
    SCOPED_TRACE(step);
    OrbParams p = FreshDrawing();
    gRingGlowMajor[0] = 1.0f;
    gRingGlowMinor[5] = 0.7f;
    p.level64 = 0.8f;
    p.accentPos = 0;
    p.accentLevel = 0.9f;
    gOrbDraw.bodyStepPx = step;
    RunFrames(p, 40);
    const OrbDrawMemory& d = gOrbDraw;
    const std::vector<float>& xy = d.body.xy;
    const int rim = d.rowStart.back();
    double disc = 0.0;
    for (int v = rim; v + 1 < d.body.Count(); ++v)
      disc += 0.5 * ((double)xy[2 * v] * xy[2 * v + 3] - (double)xy[2 * v + 2] * xy[2 * v + 1]);
    double sum = 0.0;
    int positive = 0, negative = 0;
    ASSERT_EQ(d.bodyIndex.size() % 3, 0u);
    for (size_t i = 0; i < d.bodyIndex.size(); i += 3) {
      const uint32_t a = d.bodyIndex[i], b = d.bodyIndex[i + 1], c = d.bodyIndex[i + 2];
      ASSERT_LT(std::max({a, b, c}), (uint32_t)d.body.Count());
      const double area = 0.5 * (((double)xy[2 * b] - xy[2 * a]) * ((double)xy[2 * c + 1] - xy[2 * a + 1]) -
                                 ((double)xy[2 * c] - xy[2 * a]) * ((double)xy[2 * b + 1] - xy[2 * a + 1]));
      if (area > 1e-4) ++positive;
      if (area < -1e-4) ++negative;
      sum += std::fabs(area);
    }
    EXPECT_TRUE(positive == 0 || negative == 0) << positive << " one way, " << negative << " the other";
    EXPECT_NEAR(sum, std::fabs(disc), 1e-4 * std::fabs(disc));
    EXPECT_GT(std::fabs(disc), 0.3 * 3.14159 * p.innerRadius * p.innerRadius);
    if (step > 0.0f) EXPECT_GT(d.rowStride[1], 1) << "the innermost rows keep fewer samples";
  }
}

TEST(OrbDrawing, SmallRingsBadValuesAndNoFade) {
  // Three ring points and two inner ones: every wrapped index stays inside (the sanitizers watch).
  OrbParams p = FreshDrawing(3, 2);
  gRingGlowMajor[2] = 1.0f;
  gRingGlowMinor[7] = 0.6f;
  p.scaleMode = 1;
  p.entryCount = 1;
  p.entryPos[0] = -13;
  p.entryStrength[0] = 0.9f;
  p.level72 = 0.5f;
  RunFrames(p, 20);
  EXPECT_EQ(gOrbDraw.body.Count(), (ComputeOrbDetail(gOrbDraw.smoothQuality, 3).bands + 1) * 4);

  // Non-finite values in the record give finite vertices.
  p = FreshDrawing();
  gRingGlowMajor[0] = 1.0f;
  p.level80 = std::numeric_limits<float>::quiet_NaN();
  p.accentLevel = std::numeric_limits<float>::infinity();
  p.hueAmount = 1.0f;
  p.rimAmount = 1.0f;
  RunFrames(p, 5);
  for (const OrbBatch* b : {&gOrbDraw.body, &gOrbOverlays.ribbons, &gOrbOverlays.beads, &gOrbOverlays.outline})
    for (float v : b->xy) ASSERT_TRUE(std::isfinite(v));

  // No fade: everything collapses onto the centre.
  p.fade = 0.0f;
  RunFrames(p, 1);
  for (size_t i = 0; i < gOrbDraw.body.xy.size(); i += 2) {
    EXPECT_EQ(gOrbDraw.body.xy[i], p.centreX);
    EXPECT_EQ(gOrbDraw.body.xy[i + 1], p.centreY);
  }
}

}  // namespace
