// Pitch histograms, the key estimate, the ring tracker and the small circular helpers.
#include <cmath>
#include <limits>

#include "app/note_input.h"
#include "tests/theory/theory_fixture.h"
#include "theory/key_detection.h"

namespace {

class KeyDetection : public TheoryTest {
 protected:
  void SetUp() override {
    TheoryTest::SetUp();
    ResetKeyDetection();
    for (float& a : gPcActivity) a = 0.0f;
  }
  void TearDown() override {
    ResetKeyDetection();
    for (float& a : gPcActivity) a = 0.0f;
    TheoryTest::TearDown();
  }
};

// A profile turned so that its tonic lands on pitch class `tonic`.
void Rotated(const float profile[12], int tonic, float out[12]) {
  for (int j = 0; j < 12; ++j) out[(tonic + j) % 12] = profile[j];
}

int ArgMax(const float v[12]) {
  int best = 0;
  for (int i = 1; i < 12; ++i)
    if (v[i] > v[best]) best = i;
  return best;
}

}  // namespace

TEST_F(KeyDetection, TargetsByKeyAndPedal) {
  TonalConfig instant = kTonalConfig;
  instant.activityHalfLife = 0.0f;  // activity jumps onto its target
  struct Case {
    const char* what;
    std::vector<PitchInput> inputs;
    int pc;
    float activity;
  } cases[] = {
      {"held at full velocity", {{0, 1.0f, true, false}}, 0, 0.55f},
      {"held by the pedal only", {{0, 1.0f, false, true}}, 0, 0.35f},
      {"held and pedalled counts as held", {{0, 1.0f, true, true}}, 0, 0.55f},
      {"level above 1 is clamped", {{3, 2.5f, true, false}}, 3, 0.55f},
      {"negative level gives nothing", {{3, -1.0f, true, false}}, 3, 0.0f},
      {"neither held nor pedalled", {{3, 1.0f, false, false}}, 3, 0.0f},
      {"largest input of a pitch class wins",
       {{5, 0.2f, true, false}, {5, 1.0f, false, true}, {5, 0.5f, true, false}}, 5, 0.35f},
      {"pitch class outside 0..11 is ignored", {{12, 1.0f, true, false}, {-1, 1.0f, true, false}}, 0, 0.0f},
  };
  for (const Case& c : cases) {
    float activity[12] = {};
    TonalState state = {};
    UpdatePitchHistograms(activity, 0.1f, c.inputs.data(), (int)c.inputs.size(), instant, &state);
    EXPECT_NEAR(activity[c.pc], c.activity, 1e-6) << c.what;
    EXPECT_NEAR(state.histogram[c.pc], c.activity * 0.1f, 1e-6) << c.what;
  }
}

TEST_F(KeyDetection, ZeroNegativeAndBrokenStepsLeaveTheState) {
  PitchInput held = {0, 1.0f, true, false};
  for (float dt : {0.0f, -0.1f, std::numeric_limits<float>::infinity(),
                   std::numeric_limits<float>::quiet_NaN()}) {
    float activity[12] = {};
    activity[0] = 0.25f;
    TonalState state = {};
    state.histogram[0] = 0.5f;
    UpdatePitchHistograms(activity, dt, &held, 1, kTonalConfig, &state);
    EXPECT_EQ(activity[0], 0.25f) << dt;
    EXPECT_EQ(state.histogram[0], 0.5f) << dt;
    EXPECT_EQ(state.recent[0], 0.0f) << dt;
  }
}

TEST_F(KeyDetection, ActivityFollowsItsHalfLife) {
  float activity[12] = {};
  activity[4] = 1.0f;
  TonalState state = {};
  UpdatePitchHistograms(activity, 0.2f, nullptr, 0, kTonalConfig, &state);
  EXPECT_NEAR(activity[4], 0.5f, 1e-5);  // silence: one half-life halves it
  EXPECT_NEAR(state.recent[4], 0.5f * 0.2f, 1e-6);
}

TEST_F(KeyDetection, StableHarmonyLengthensTheHistogramMemory) {
  // Play a C major triad steadily, then stop: the histogram's decay right after the stop is
  // much slower than its 1.1 s floor, because recent and long-term integrals agree.
  PitchInput triad[3] = {{0, 0.8f, true, false}, {4, 0.8f, true, false}, {7, 0.8f, true, false}};
  float activity[12] = {};
  TonalState state = {};
  for (int i = 0; i < 600; ++i) UpdatePitchHistograms(activity, 0.05f, triad, 3, kTonalConfig, &state);
  for (float& a : activity) a = 0.0f;  // remove the input's contribution to isolate the decay
  float before = state.histogram[0];
  UpdatePitchHistograms(activity, 1.0f, nullptr, 0, kTonalConfig, &state);
  EXPECT_GT(state.histogram[0] / before, std::pow(0.5f, 1.0f / 5.0f));  // half-life above 5 s
  EXPECT_GT(ModeCorrelation(state), 0.99f);
}

TEST_F(KeyDetection, SilenceGivesNoKey) {
  float zero[12] = {};
  KeyEstimate e = EstimateKey(zero, 0.3f);
  EXPECT_EQ(e.majorRingPos, -1);
  EXPECT_EQ(e.minorRingPos, -1);
  EXPECT_EQ(e.majorConfidence, 0.0f);
  EXPECT_EQ(e.minorConfidence, 0.0f);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(e.major[i], 0.0f);
    EXPECT_EQ(e.minor[i], 0.0f);
  }
}

TEST_F(KeyDetection, ProfilesRotatedToAKeyAreFound) {
  struct Case {
    bool minorProfile;
    int tonic;
    bool isMinor;
    int ringPos;  // of the key, or of the minor key's relative major
  } cases[] = {
      {false, 7, false, 1},   // G major
      {false, 0, false, 0},   // C major
      {false, 5, false, 11},  // F major
      {false, 11, false, 5},  // B major: the third lies at 3 mod 12
      {true, 9, true, 0},     // A minor beside C
      {true, 4, true, 1},     // E minor beside G
      {true, 10, true, 7},    // B flat minor beside D flat
  };
  for (const Case& c : cases) {
    float h[12];
    Rotated(c.minorProfile ? kMinorKeyProfile : kMajorKeyProfile, c.tonic, h);
    KeyEstimate e = EstimateKey(h, 0.3f);
    EXPECT_EQ(e.isMinor, c.isMinor) << c.tonic;
    int ring = c.isMinor ? e.minorRingPos : e.majorRingPos;
    EXPECT_EQ(ring, c.ringPos) << c.tonic;
    const float* w = c.isMinor ? e.minor : e.major;
    EXPECT_EQ(ArgMax(w), c.ringPos) << c.tonic;
    EXPECT_NEAR(w[c.ringPos], 1.0f, 1e-5) << c.tonic;  // correlation 1: confidence 1
    EXPECT_NEAR(c.isMinor ? e.minorCorrelation : e.majorCorrelation, 1.0f, 1e-5);
    EXPECT_EQ(e.majorConfidence, e.minorConfidence);
    // the losing mode is damped below the winner everywhere
    const float* lose = c.isMinor ? e.major : e.minor;
    for (int i = 0; i < 12; ++i) EXPECT_LT(lose[i], 1.0f);
  }
}

TEST_F(KeyDetection, EstimateFromTheProgramHistogram) {
  Rotated(kMajorKeyProfile, 7, gPcHistogram);
  KeyEstimate e = EstimateKeyFromHistogram(0.3f);
  EXPECT_EQ(e.majorRingPos, 1);
  EXPECT_NEAR(PitchHistogramTotal(), 38.5f, 1e-4);
}

TEST_F(KeyDetection, CorrelationEdges) {
  float flat[12], ramp[12], neg[12];
  for (int i = 0; i < 12; ++i) {
    flat[i] = 2.0f;
    ramp[i] = (float)i;
    neg[i] = -(float)i;
  }
  EXPECT_EQ(ProfileCorrelation(flat, ramp), 0.0f);
  EXPECT_NEAR(ProfileCorrelation(ramp, ramp), 1.0f, 1e-6);
  EXPECT_NEAR(ProfileCorrelation(ramp, neg), -1.0f, 1e-6);
  TonalState empty = {};
  EXPECT_EQ(ModeCorrelation(empty), 1.0f);
  TonalState opposite = {};
  for (int i = 0; i < 12; ++i) {
    opposite.recent[i] = (float)i;
    opposite.longTerm[i] = 11.0f - (float)i;
  }
  EXPECT_EQ(ModeCorrelation(opposite), 0.0f);  // clamped at 0
}

TEST_F(KeyDetection, CentroidAndClarity) {
  struct Case {
    std::vector<std::pair<int, float>> weights;
    float centroid;
    float clarity;
  } cases[] = {
      {{{3, 1.0f}}, 3.0f, 1.0f},
      {{{0, 1.0f}}, 0.0f, 1.0f},
      {{{11, 1.0f}, {1, 1.0f}}, 0.0f, 0.8660254f},   // across the top: centre at 0, not 6
      {{{9, 2.0f}}, 9.0f, 1.0f},
      {{{2, 1.0f}, {8, 1.0f}}, 0.0f, 0.0f},          // opposite: no direction
      {{}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    float w[12] = {};
    for (auto [i, v] : c.weights) w[i] = v;
    EXPECT_NEAR(PitchCentroidPosition(w), c.centroid, 1e-4);
    EXPECT_NEAR(TonalClarity(w), c.clarity, 1e-4);
  }
  float equal[12];
  for (float& v : equal) v = 0.5f;
  EXPECT_EQ(PitchCentroidPosition(equal), 0.0f);
  EXPECT_NEAR(TonalClarity(equal), 0.0f, 1e-6);
}

TEST_F(KeyDetection, RingDeltaWrapsIntoHalfOpenRange) {
  struct Case {
    float a, b, d;
  } cases[] = {{11, 1, 2}, {1, 7, 6}, {7, 1, 6}, {1, 11, -2}, {0, 0, 0}, {3, 8.5f, 5.5f}, {0, 30, 6}, {0, -18, 6}};
  for (const Case& c : cases) EXPECT_FLOAT_EQ(RingDelta(c.a, c.b), c.d) << c.a << " " << c.b;
  EXPECT_TRUE(std::isnan(RingDelta(0, std::numeric_limits<float>::infinity())));  // and returns
}

TEST_F(KeyDetection, TrackerJumpsThenFollowsTheShortWayRound) {
  RingTracker t = {0, 0, false};
  EXPECT_EQ(RingDistanceFromTracker(t, 5.0f), 0.0f);
  TrackRingPosition(&t, std::numeric_limits<float>::quiet_NaN(), 0.016f, 90, 0.55f);
  EXPECT_FALSE(t.initialised);
  TrackRingPosition(&t, 11.5f, 0.016f, 90, 0.55f);
  EXPECT_TRUE(t.initialised);
  EXPECT_EQ(t.pos, 11.5f);
  EXPECT_EQ(t.vel, 0.0f);
  for (int i = 0; i < 200; ++i) {
    TrackRingPosition(&t, 0.5f, 0.016f, 90, 0.55f);
    ASSERT_GE(t.pos, 0.0f);
    ASSERT_LT(t.pos, 12.0f);
  }
  EXPECT_NEAR(RingDistanceFromTracker(t, 0.5f), 0.0f, 0.01f);
  // the first step moves forward across the top, not back through 6
  RingTracker u = {11.5f, 0, true};
  TrackRingPosition(&u, 0.5f, 0.016f, 90, 0.55f);
  EXPECT_GT(u.vel, 0.0f);
  // a long frame is cut to 0.05 s, a zero or negative one does nothing
  RingTracker a = {1, 0, true}, b = {1, 0, true};
  TrackRingPosition(&a, 3, 0.05f, 90, 0.55f);
  TrackRingPosition(&b, 3, 2.0f, 90, 0.55f);
  EXPECT_EQ(a.pos, b.pos);
  RingTracker still = {1, 0, true};
  TrackRingPosition(&still, 3, 0.0f, 90, 0.55f);
  TrackRingPosition(&still, 3, -1.0f, 90, 0.55f);
  EXPECT_EQ(still.pos, 1.0f);
}

TEST_F(KeyDetection, DisplayValuesOnlyWhileTheRingViewShows) {
  Rotated(kMajorKeyProfile, 7, gPcHistogram);
  gPcActivity[7] = 0.5f;
  UpdateKeyDisplay(0.0f, 0.016f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, -1);  // left as it was
  EXPECT_EQ(gKeyDisplay.presence, 0.0f);
  UpdateKeyDisplay(0.5f, 0.016f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, 1);
  EXPECT_EQ(gKeyDisplay.presence, 1.0f);
  EXPECT_NEAR(gKeyDisplay.activity, 0.5f * 0.7f + 0.05f, 1e-6);
  EXPECT_EQ(gPcWeights[1], gKeyEstimate.major[1]);
  EXPECT_NEAR(gKeyDisplay.centroid, 1.0f, 0.5f);
  EXPECT_EQ(gKeyDisplay.ringDistance, 0.0f);  // the tracker jumped onto the centroid
  EXPECT_GT(gKeyDisplay.clarity, 0.0f);
  UpdateKeyDisplay(0.0005f, 0.016f);
  EXPECT_EQ(gKeyDisplay.clarity, 0.0f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, 1);
}
