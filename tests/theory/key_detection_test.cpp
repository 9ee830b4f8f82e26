// Pitch histograms, the key estimate, the ring tracker and the small circular helpers.
#include <cmath>
#include <limits>

#include "app/base/note_tables.h"
#include "tests/theory/theory_fixture.h"
#include "theory/key_detection.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

class KeyDetection : public TheoryTest {
 protected:
  void SetUp() override { TheoryTest::SetUp(), Clear(); }
  void TearDown() override { Clear(), TheoryTest::TearDown(); }
  static void Clear() {
    ResetKeyDetection();
    for (float& a : gPcActivity) a = 0.0f;
  }
};

// A profile turned so that its tonic lands on pitch class `tonic`.
void Rotated(const float profile[12], int tonic, float out[12]) {
  for (int j = 0; j < 12; ++j) out[(tonic + j) % 12] = profile[j];
}

}  // namespace

TEST_F(KeyDetection, TargetsByKeyAndPedalAndBrokenSteps) {
  TonalConfig instant = kTonalConfig;
  instant.activityHalfLife = 0.0f;  // activity jumps onto its target
  struct Case { const char* what; std::vector<PitchInput> inputs; int pc; float activity; } cases[] = {
      {"held", {{0, 1.0f, true, false}}, 0, 0.55f},
      {"pedal only", {{0, 1.0f, false, true}}, 0, 0.35f},
      {"held and pedalled counts as held", {{0, 1.0f, true, true}}, 0, 0.55f},
      {"level above 1 is clamped", {{3, 2.5f, true, false}}, 3, 0.55f},
      {"negative level gives nothing", {{3, -1.0f, true, false}}, 3, 0.0f},
      {"largest input wins", {{5, 0.2f, true, false}, {5, 1.0f, false, true}, {5, 0.5f, true, false}}, 5, 0.35f},
      {"pitch class outside 0..11 ignored", {{12, 1.0f, true, false}, {-1, 1.0f, true, false}}, 0, 0.0f},
  };
  for (const Case& c : cases) {
    float activity[12] = {};
    TonalState state = {};
    UpdatePitchHistograms(activity, 0.1f, c.inputs.data(), (int)c.inputs.size(), instant, &state);
    EXPECT_NEAR(activity[c.pc], c.activity, 1e-6) << c.what;
    EXPECT_NEAR(state.histogram[c.pc], c.activity * 0.1f, 1e-6) << c.what;
  }
  PitchInput held = {0, 1.0f, true, false};
  for (float dt : {0.0f, -0.1f, std::numeric_limits<float>::infinity(), kNaN}) {
    float activity[12] = {0.25f};
    TonalState state = {};
    state.histogram[0] = 0.5f;
    UpdatePitchHistograms(activity, dt, &held, 1, kTonalConfig, &state);
    EXPECT_EQ(activity[0], 0.25f) << dt;
    EXPECT_EQ(state.histogram[0], 0.5f) << dt;
  }
}

TEST_F(KeyDetection, StableHarmonyLengthensTheHistogramMemory) {
  // A C major triad played steadily, then silence: right after the stop the histogram decays much
  // slower than its 1.1 s floor, because recent and long-term integrals agree.
  PitchInput triad[3] = {{0, 0.8f, true, false}, {4, 0.8f, true, false}, {7, 0.8f, true, false}};
  float activity[12] = {};
  TonalState state = {};
  for (int i = 0; i < 600; ++i) UpdatePitchHistograms(activity, 0.05f, triad, 3, kTonalConfig, &state);
  for (float& a : activity) a = 0.0f;
  float before = state.histogram[0];
  UpdatePitchHistograms(activity, 1.0f, nullptr, 0, kTonalConfig, &state);
  EXPECT_GT(state.histogram[0] / before, std::pow(0.5f, 1.0f / 5.0f));  // half-life above 5 s
}

TEST_F(KeyDetection, ProfilesRotatedToAKeyAreFound) {
  struct Case {
    bool minorProfile;
    int tonic;
    int ringPos;  // of the key, or of the minor key's relative major
  } cases[] = {
      {false, 7, 1}, {false, 0, 0}, {false, 5, 11},
      {false, 11, 5},  // B major: the third lies at 3 mod 12
      {true, 9, 0}, {true, 4, 1}, {true, 10, 7},
  };
  for (const Case& c : cases) {
    float h[12];
    Rotated(c.minorProfile ? kMinorKeyProfile : kMajorKeyProfile, c.tonic, h);
    KeyEstimate e = EstimateKey(h, 0.3f);
    EXPECT_EQ(e.isMinor, c.minorProfile) << c.tonic;
    EXPECT_EQ(c.minorProfile ? e.minorRingPos : e.majorRingPos, c.ringPos) << c.tonic;
    const float* win = c.minorProfile ? e.minor : e.major;
    const float* lose = c.minorProfile ? e.major : e.minor;
    EXPECT_NEAR(win[c.ringPos], 1.0f, 1e-5) << c.tonic;  // correlation 1: confidence 1
    for (int i = 0; i < 12; ++i) {
      EXPECT_LE(win[i], win[c.ringPos]) << c.tonic;
      EXPECT_LT(lose[i], 1.0f) << c.tonic;  // the losing mode is damped below the winner
    }
  }
  float zero[12] = {};
  KeyEstimate silent = EstimateKey(zero, 0.3f);
  EXPECT_EQ(silent.majorRingPos, -1);
  EXPECT_EQ(silent.minorRingPos, -1);
  EXPECT_EQ(silent.majorConfidence, 0.0f);
}

TEST_F(KeyDetection, DegenerateInputsOfTheCircularHelpers) {
  float flat[12], ramp[12];
  for (int i = 0; i < 12; ++i) flat[i] = 2.0f, ramp[i] = (float)i;
  EXPECT_EQ(ProfileCorrelation(flat, ramp), 0.0f);  // no spread: no division by zero
  TonalState empty = {}, opposite = {};
  EXPECT_EQ(ModeCorrelation(empty), 1.0f);
  for (int i = 0; i < 12; ++i) opposite.recent[i] = (float)i, opposite.longTerm[i] = 11.0f - (float)i;
  EXPECT_EQ(ModeCorrelation(opposite), 0.0f);  // clamped at 0
  struct Case { std::vector<std::pair<int, float>> weights; float centroid, clarity; } cases[] = {
      {{{3, 1.0f}}, 3.0f, 1.0f},
      {{{11, 1.0f}, {1, 1.0f}}, 0.0f, 0.8660254f},  // across the top: centre at 0, not 6
      {{{2, 1.0f}, {8, 1.0f}}, 0.0f, 0.0f},         // opposite: no direction
      {{}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    float w[12] = {};
    for (auto [i, v] : c.weights) w[i] = v;
    EXPECT_NEAR(PitchCentroidPosition(w), c.centroid, 1e-4);
    EXPECT_NEAR(TonalClarity(w), c.clarity, 1e-4);
  }
  struct Delta { float a, b, d; } deltas[] = {
      {11, 1, 2}, {1, 7, 6}, {7, 1, 6}, {1, 11, -2}, {0, 30, 6}, {0, -18, 6}};
  for (const Delta& c : deltas) EXPECT_FLOAT_EQ(RingDelta(c.a, c.b), c.d) << c.a << " " << c.b;
  EXPECT_TRUE(std::isnan(RingDelta(0, std::numeric_limits<float>::infinity())));  // and returns
}

TEST_F(KeyDetection, TrackerJumpsThenFollowsTheShortWayRound) {
  RingTracker t = {0, 0, false};
  TrackRingPosition(&t, kNaN, 0.016f, 90, 0.55f);
  EXPECT_FALSE(t.initialised);
  TrackRingPosition(&t, 11.5f, 0.016f, 90, 0.55f);
  EXPECT_EQ(t.pos, 11.5f);
  TrackRingPosition(&t, 0.5f, 0.016f, 90, 0.55f);
  EXPECT_GT(t.vel, 0.0f);  // forward across the top, not back through 6
  for (int i = 0; i < 200; ++i) {
    TrackRingPosition(&t, 0.5f, 0.016f, 90, 0.55f);
    ASSERT_GE(t.pos, 0.0f);
    ASSERT_LT(t.pos, 12.0f);
  }
  EXPECT_NEAR(RingDistanceFromTracker(t, 0.5f), 0.0f, 0.01f);
  RingTracker a = {1, 0, true}, b = {1, 0, true};
  TrackRingPosition(&a, 3, 0.05f, 90, 0.55f);
  TrackRingPosition(&b, 3, 2.0f, 90, 0.55f);  // a long frame is cut to 0.05 s
  EXPECT_EQ(a.pos, b.pos);
}

TEST_F(KeyDetection, DisplayValuesOnlyWhileTheRingViewShows) {
  Rotated(kMajorKeyProfile, 7, gPcHistogram);
  gPcActivity[7] = 0.5f;
  UpdateKeyDisplay(0.0f, 0.016f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, -1);  // left as it was
  UpdateKeyDisplay(0.5f, 0.016f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, 1);  // G major from the program's histogram
  EXPECT_NEAR(gKeyDisplay.centroid, 1.0f, 0.5f);
  EXPECT_EQ(gKeyDisplay.ringDistance, 0.0f);  // the tracker jumped onto the centroid
  EXPECT_GT(gKeyDisplay.clarity, 0.0f);
  UpdateKeyDisplay(0.0005f, 0.016f);
  EXPECT_EQ(gKeyDisplay.clarity, 0.0f);
}

TEST_F(KeyDetection, TheFrameFeedsWhatSoundsAndTheEstimateFollowsIt) {
  for (int note : {55, 59, 62, 66}) {  // G, B, D and F sharp held
    HeldNote h{};
    h.note = note;
    h.velocity = 127;
    h.sounding = h.keyDown = 1;
    gHeldNotes.push_back(h);
  }
  HeldNote released{};
  released.note = 61;  // C sharp, no longer sounding: not fed
  gHeldNotes.push_back(released);
  for (int i = 0; i < 120; ++i) UpdateKeyDetectionFrame(0.05f);
  EXPECT_GT(gPcHistogram[7], 1.0f);
  EXPECT_EQ(gPcHistogram[1], 0.0f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, -1);  // the ring view is hidden: no estimate
  gRingModeFade = 1.0f;
  UpdateKeyDetectionFrame(0.05f);
  EXPECT_EQ(gKeyEstimate.majorRingPos, 1);
  gHeldNotes.clear();
}
