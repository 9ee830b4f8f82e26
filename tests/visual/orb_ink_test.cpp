// The orb's ink arithmetic and the scale-entry list it builds from the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "visual/orb_ink.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"
#include "visual/ring_palette.h"

namespace {

TEST(OrbInk, SaturatePaletteColour) {
  struct Case {
    float in[3];
    float out[3];
  };
  const Case kCases[] = {
      {{0.5f, 0.5f, 0.5f}, {0.52f, 0.52f, 0.52f}},     // grey stays grey, a touch lighter
      {{1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},        // pushed past the ends, clamped
      {{2.0f, -1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},       // inputs clamped first
      {{0.6f, 0.3f, 0.3f}, {0.68f, 0.29f, 0.29f}},     // mean 0.4: 0.4 + 1.3 (c - 0.4) + 0.02
  };
  for (const Case& c : kCases) {
    float out[3];
    SaturatePaletteColour(c.in, out);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], c.out[i], 1e-5) << c.in[0] << " channel " << i;
  }
}

TEST(OrbInk, DepositKinds) {
  const float red[3] = {0.776f, 0.353f, 0.29f};  // ring position 0
  float s[3];
  SaturatePaletteColour(red, s);

  // Major ink adds the saturated colour with fixed gains, linear in the amount.
  float r = 0, g = 0, b = 0;
  DepositInk(r, g, b, 1, 0.5f, red);
  EXPECT_NEAR(r, 1.62f * s[0] * 0.5f, 1e-6);
  EXPECT_NEAR(g, 1.58f * s[1] * 0.5f, 1e-6);
  EXPECT_NEAR(b, 1.56f * s[2] * 0.5f, 1e-6);

  // Minor ink turns the colour toward violet and darkens it. What it adds is 0.866 t - 0.054 per
  // channel for its tint t, so t can be read back; red gains blue against red, blue gains red
  // against green.
  struct Turn {
    int ringPos;
    int gains, against;  // channel whose share grows, channel it is measured against
  };
  for (const Turn& c : {Turn{0, 2, 0}, Turn{6, 0, 1}}) {
    const float* rgb = kRingPalette[c.ringPos];
    float sc[3];
    SaturatePaletteColour(rgb, sc);
    float m[3] = {0, 0, 0};
    DepositInk(m[0], m[1], m[2], 2, 1.0f, rgb);
    float t[3];
    for (int ch = 0; ch < 3; ++ch) t[ch] = (m[ch] + 0.054f) / 0.866f;
    EXPECT_GT(t[c.gains] / t[c.against], sc[c.gains] / sc[c.against]) << c.ringPos;
    EXPECT_LT(std::max({t[0], t[1], t[2]}), 0.5f * std::max({sc[0], sc[1], sc[2]})) << "darker";
  }

  // Key ink adds a paler colour and takes a little off every channel; more amount takes more.
  float r1 = 0, g1 = 0, b1 = 0, r2 = 0, g2 = 0, b2 = 0;
  DepositInk(r1, g1, b1, 3, 0.2f, red);
  DepositInk(r2, g2, b2, 7, 0.2f, red);  // any other kind is key ink
  EXPECT_FLOAT_EQ(r1, r2);
  EXPECT_FLOAT_EQ(b1, b2);
  const float k = (0.2f * 0.18f + 0.22f) * 0.2f;
  EXPECT_NEAR(b1, 1.15f * 1.02f * s[2] * 0.2f - (0.45f * s[2] + 0.55f) * k, 1e-6);

  // No amount, no change, whatever the kind.
  for (int type : {1, 2, 3}) {
    float x = 0.3f, y = -0.2f, z = 1.0f;
    DepositInk(x, y, z, type, 0.0f, red);
    EXPECT_FLOAT_EQ(x, 0.3f);
    EXPECT_FLOAT_EQ(y, -0.2f);
    EXPECT_FLOAT_EQ(z, 1.0f);
  }
}

TEST(OrbInk, PreparedDepositsMatchPlainOnes) {
  for (int i = 0; i < 12; ++i) {
    const OrbInkColour c = PrepareInkColour(kRingPalette[i]);
    for (int type : {1, 2, 3}) {
      float a[3] = {0.1f, 0.2f, 0.3f}, b[3] = {0.1f, 0.2f, 0.3f};
      DepositInk(a[0], a[1], a[2], type, 0.37f, kRingPalette[i]);
      DepositPreparedInk(b[0], b[1], b[2], type, 0.37f, c);
      for (int ch = 0; ch < 3; ++ch) EXPECT_FLOAT_EQ(a[ch], b[ch]) << i << " " << type;
    }
  }
}

TEST(OrbInk, SampleRingLinear) {
  const std::vector<float> a = {0.0f, 10.0f, 20.0f, 30.0f};
  struct Case {
    float u;
    float want;
  };
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  const Case kCases[] = {
      {0.0f, 0.0f},    {1.5f, 15.0f},  {3.5f, 15.0f},  // between the last and the first
      {4.0f, 0.0f},    {-0.5f, 15.0f}, {-4.25f, 7.5f}, {9.25f, 12.5f},
      {-1e-9f, 0.0f},  // rounds onto the end of the ring: the start
      {kNaN, 0.0f},
  };
  for (const Case& c : kCases) EXPECT_NEAR(SampleRingLinear(a, c.u), c.want, 1e-4) << c.u;
  EXPECT_EQ(SampleRingLinear({}, 1.5f), 0.0f);
  EXPECT_EQ(SampleRingLinear({7.0f}, 0.6f), 7.0f);
}

TEST(OrbScaleWeights, BuiltFromTheEntriesOrTheSingleEntry) {
  struct Entry {
    int pos;
    float a, b;
  };
  struct Case {
    const char* name;
    int entryCount;
    std::vector<Entry> entries;
    Entry solo;
    std::vector<int> wantPos;
    float wantUnion;
  };
  const Case kCases[] = {
      {"no entries and no single entry", 0, {}, {-1, 0.9f, 0.9f}, {}, 0.0f},
      {"the single entry when the list is empty", 0, {}, {14, 0.5f, 0.2f}, {2}, 0.5f},
      {"the single entry is ignored with a list", 1, {{3, 0.5f, 0.0f}}, {5, 1.0f, 1.0f}, {3}, 0.5f},
      {"faint entries are dropped", 3, {{1, 0.0005f, 0.0f}, {2, 0.5f, 0.5f}, {3, 0.0f, 0.001f}},
       {-1, 0, 0}, {2}, 0.5f},
      {"positions are reduced round the ring", 2, {{-1, 0.5f, 0.0f}, {25, 0.5f, 0.0f}}, {-1, 0, 0},
       {11, 1}, 0.75f},
      {"strengths are clamped", 1, {{4, 3.0f, -2.0f}}, {-1, 0, 0}, {4}, 1.0f},
      {"emphasis alone keeps an entry", 1, {{6, 0.0f, 0.8f}}, {-1, 0, 0}, {6}, 0.0f},
      {"a count past twelve reads twelve", 40, {}, {-1, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
       -1.0f},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    OrbParams p;
    p.entryCount = c.entryCount;
    if (c.entryCount > 12) {
      for (int k = 0; k < 12; ++k) {
        p.entryPos[k] = k;
        p.entryStrength[k] = 0.1f;
      }
    }
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
    if (w.count > 0) {
      EXPECT_NEAR(sum, 1.0f, 1e-5);
    }
    if (c.wantUnion >= 0.0f) {
      EXPECT_NEAR(w.unionA, c.wantUnion, 1e-5);
    }
  }
}

TEST(OrbScaleWeights, StrongerAndEmphasisedEntriesWeighMore) {
  OrbParams p;
  p.entryCount = 3;
  const int pos[] = {0, 4, 8};
  const float a[] = {0.9f, 0.3f, 0.3f};
  const float b[] = {0.0f, 0.0f, 1.0f};
  for (int k = 0; k < 3; ++k) {
    p.entryPos[k] = pos[k];
    p.entryStrength[k] = a[k];
    p.entryEmphasis[k] = b[k];
  }
  const OrbScaleWeights w = BuildScaleWeights(p);
  ASSERT_EQ(w.count, 3);
  EXPECT_NEAR(w.weight[0] / w.weight[1], 3.0f, 1e-4);
  EXPECT_NEAR(w.weight[2] / w.weight[1], 1.0f / 0.72f, 1e-4);
  EXPECT_NEAR(w.maxA, 0.9f, 1e-6);
  EXPECT_NEAR(w.maxB, 1.0f, 1e-6);
}

}  // namespace
