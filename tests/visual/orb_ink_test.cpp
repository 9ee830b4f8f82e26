// The orb's ink arithmetic and the scale-entry list it builds from the record.
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "theory/ring_palette.h"
#include "visual/orb_ink.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"

namespace {

TEST(OrbInk, SaturationClampsAndKeepsGrey) {
  struct Case { float in[3], out[3]; } cases[] = {
      {{0.5f, 0.5f, 0.5f}, {0.52f, 0.52f, 0.52f}},  // grey stays grey, a touch lighter
      {{1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},     // pushed past the ends, clamped
      {{2.0f, -1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},    // inputs clamped first
  };
  for (const Case& c : cases) {
    float out[3];
    SaturatePaletteColour(c.in, out);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], c.out[i], 1e-5) << c.in[0] << " channel " << i;
  }
}

TEST(OrbInk, DepositKindsAndThePreparedPath) {
  const float* red = kRingPalette[0];
  float key[3] = {0, 0, 0}, other[3] = {0, 0, 0};
  DepositInk(key[0], key[1], key[2], 3, 0.2f, red);
  DepositInk(other[0], other[1], other[2], 7, 0.2f, red);  // any other kind is key ink
  for (int ch = 0; ch < 3; ++ch) EXPECT_FLOAT_EQ(key[ch], other[ch]);
  // Minor ink turns red toward violet and darkens it: blue gains on red, against the major ink.
  float major[3] = {0, 0, 0}, minor[3] = {0, 0, 0};
  DepositInk(major[0], major[1], major[2], 1, 1.0f, red);
  DepositInk(minor[0], minor[1], minor[2], 2, 1.0f, red);
  EXPECT_GT(minor[2] - minor[0], major[2] - major[0]);
  EXPECT_LT(*std::max_element(minor, minor + 3), *std::max_element(major, major + 3));
  for (int i = 0; i < 12; ++i) {
    const OrbInkColour prepared = PrepareInkColour(kRingPalette[i]);
    for (int type : {1, 2, 3}) {
      float a[3] = {0.1f, 0.2f, 0.3f}, b[3] = {0.1f, 0.2f, 0.3f}, z[3] = {0.3f, -0.2f, 1.0f};
      DepositInk(a[0], a[1], a[2], type, 0.37f, kRingPalette[i]);
      DepositPreparedInk(b[0], b[1], b[2], type, 0.37f, prepared);
      for (int ch = 0; ch < 3; ++ch) EXPECT_FLOAT_EQ(a[ch], b[ch]) << i << " " << type;
      DepositInk(z[0], z[1], z[2], type, 0.0f, kRingPalette[i]);  // no amount, no change
      EXPECT_FLOAT_EQ(z[0], 0.3f);
      EXPECT_FLOAT_EQ(z[1], -0.2f);
    }
  }
}

TEST(OrbInk, SampleRingLinearWrapsBothWays) {
  const std::vector<float> a = {0.0f, 10.0f, 20.0f, 30.0f};
  struct Case { float u, want; } cases[] = {
      {0.0f, 0.0f}, {1.5f, 15.0f}, {3.5f, 15.0f},  // between the last and the first
      {4.0f, 0.0f}, {-0.5f, 15.0f}, {-4.25f, 7.5f}, {9.25f, 12.5f},
      {-1e-9f, 0.0f},  // rounds onto the end of the ring: the start
      {std::numeric_limits<float>::quiet_NaN(), 0.0f},
  };
  for (const Case& c : cases) EXPECT_NEAR(SampleRingLinear(a, c.u), c.want, 1e-4) << c.u;
  EXPECT_EQ(SampleRingLinear({}, 1.5f), 0.0f);
  EXPECT_EQ(SampleRingLinear({7.0f}, 0.6f), 7.0f);
}

TEST(OrbScaleWeights, BuiltFromTheEntriesOrTheSingleEntry) {
  struct Entry { int pos; float a, b; };
  struct Case {
    const char* name;
    int entryCount;
    std::vector<Entry> entries;
    Entry solo;
    std::vector<int> wantPos;
    float wantUnion;
  } cases[] = {
      {"no entries and no single entry", 0, {}, {-1, 0.9f, 0.9f}, {}, 0.0f},
      {"the single entry when the list is empty", 0, {}, {14, 0.5f, 0.2f}, {2}, 0.5f},
      {"the single entry is ignored with a list", 1, {{3, 0.5f, 0.0f}}, {5, 1.0f, 1.0f}, {3}, 0.5f},
      {"faint entries are dropped", 3, {{1, 0.0005f, 0.0f}, {2, 0.5f, 0.5f}, {3, 0.0f, 0.001f}},
       {-1, 0, 0}, {2}, 0.5f},
      {"positions reduced round the ring", 2, {{-1, 0.5f, 0.0f}, {25, 0.5f, 0.0f}}, {-1, 0, 0}, {11, 1}, 0.75f},
      {"strengths are clamped", 1, {{4, 3.0f, -2.0f}}, {-1, 0, 0}, {4}, 1.0f},
      {"emphasis alone keeps an entry", 1, {{6, 0.0f, 0.8f}}, {-1, 0, 0}, {6}, 0.0f},
      {"a count past twelve reads twelve", 40, {}, {-1, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, -1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OrbParams p;
    p.entryCount = c.entryCount;
    for (int k = 0; k < 12 && c.entryCount > 12; ++k) p.entryPos[k] = k, p.entryStrength[k] = 0.1f;
    for (size_t k = 0; k < c.entries.size(); ++k) {
      p.entryPos[k] = c.entries[k].pos;
      p.entryStrength[k] = c.entries[k].a;
      p.entryEmphasis[k] = c.entries[k].b;
    }
    p.soloPos = c.solo.pos;
    p.soloStrength = c.solo.a;
    p.soloEmphasis = c.solo.b;
    const OrbScaleWeights w = BuildScaleWeights(p);
    ASSERT_EQ(w.count, static_cast<int>(c.wantPos.size()));
    float sum = 0.0f;
    for (int k = 0; k < w.count; ++k) {
      EXPECT_EQ(w.pos[k], c.wantPos[k]);
      EXPECT_GT(w.weight[k], 0.0f);
      sum += w.weight[k];
    }
    if (w.count > 0) { EXPECT_NEAR(sum, 1.0f, 1e-5); }
    if (c.wantUnion >= 0.0f) { EXPECT_NEAR(w.unionA, c.wantUnion, 1e-5); }
  }
  OrbParams p;  // stronger and emphasised entries weigh more
  p.entryCount = 3;
  const float a[] = {0.9f, 0.3f, 0.3f}, b[] = {0.0f, 0.0f, 1.0f};
  for (int k = 0; k < 3; ++k) p.entryPos[k] = 4 * k, p.entryStrength[k] = a[k], p.entryEmphasis[k] = b[k];
  const OrbScaleWeights w = BuildScaleWeights(p);
  EXPECT_GT(w.weight[0], w.weight[1]);
  EXPECT_GT(w.weight[2], w.weight[1]);
  EXPECT_NEAR(w.maxA, 0.9f, 1e-6);
}

}  // namespace
