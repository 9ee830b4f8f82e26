// The ring glow feed: scale-note flashes and hold glow, pedal glow, off-scale onsets, the mode
// switches, the hold timer, the key drag glow, the key sweep and the smoothed totals.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/chord_recogniser.h"
#include "app/note_input.h"
#include "app/ring_glow.h"
#include "app/ring_key_drag.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

namespace {

const float kDt = 1.0f / 60.0f;

class RingGlowFeed : public ::testing::Test {
 protected:
  void SetUp() override {
    gHeldNotes.clear();
    gSustainDown = false;
    gAllNotesAllowed = false;
    ResetScaleSelection();  // C Ionian
    ResetRingGlow();
    gHarmonyGlowMode = 2;
    gTeachingLevel = 0.5f;
    gRingDragging = false;
    gRingDragPos = -1;
  }
  void Press(int note, int velocity = 127) {
    for (HeldNote& h : gHeldNotes)
      if (h.note == note) {
        h.sounding = h.keyDown = 1;
        h.velocity = velocity;
        return;
      }
    gHeldNotes.push_back(HeldNote{note, velocity, 1, 1, 0, 0, 1, 0, 1});
  }
  void Release(int note) {
    for (HeldNote& h : gHeldNotes)
      if (h.note == note) h.sounding = h.keyDown = 0;
  }
  // One frame of the feed: before and after the circle.
  void Frame(float dt = kDt) {
    now_ += dt;
    FeedRingGlowBeforeCircle(dt);
    FeedRingGlowAfterCircle(dt, now_);
  }
  float now_ = 100.0f;
};

TEST_F(RingGlowFeed, AScaleNoteFlashesThenHoldsASmallGlow) {
  Press(67);  // G, ring position 1
  FeedRingGlowBeforeCircle(kDt);
  float fall = std::pow(0.01f, 4.0f * kDt);
  float hold = kDt * 0.04f * 1.0f * (0.65f + 0.35f * 0.5f);
  EXPECT_NEAR(gRingGlowMajor[1], 0.55f * fall + hold, 1e-5);
  for (int p = 0; p < 12; ++p)
    if (p != 1) {
      EXPECT_EQ(gRingGlowMajor[p], 0.0f) << p;
    }

  // The flash shrinks to 1 % in a quarter of a second.
  for (int i = 0; i < 15; ++i) FeedRingGlowBeforeCircle(kDt);
  EXPECT_NEAR(gScaleNotePeak[7], std::pow(0.01f, 16 * 4.0f * kDt), 1e-4);

  // Held for four seconds, the steady glow per frame has grown to its cap.
  for (int i = 0; i < 240; ++i) Frame();
  float before = gRingGlowMajor[1];
  FeedRingGlowBeforeCircle(kDt);
  float steady = kDt * (0.04f + 0.1f) * (0.65f + 0.35f * 0.5f);
  EXPECT_NEAR(gRingGlowMajor[1] - before, steady, 1e-4);
}

TEST_F(RingGlowFeed, OffScaleNotesLightOnlyAtTheirOnset) {
  Press(61);  // C#, ring position 7, off C major
  FeedRingGlowBeforeCircle(kDt);
  float a = 0.18f * 1.0f * (0.7f + 0.9f * 0.5f);
  EXPECT_NEAR(gRingGlowKey[7], a, 1e-5);
  EXPECT_NEAR(gRingGlowKey[6], 0.15f * a, 1e-5);
  EXPECT_NEAR(gRingGlowKey[8], 0.15f * a, 1e-5);
  FeedRingGlowBeforeCircle(kDt);
  EXPECT_NEAR(gRingGlowKey[7], a, 1e-5);  // held: no more light
  Release(61);
  FeedRingGlowBeforeCircle(kDt);
  Press(61);
  FeedRingGlowBeforeCircle(kDt);
  EXPECT_NEAR(gRingGlowKey[7], 2 * a, 1e-5);  // struck again
  EXPECT_EQ(gRingGlowMajor[7], 0.0f);
}

struct ModeCase {
  int mode;
  bool noteLight;
};

TEST_F(RingGlowFeed, ModeOneSkipsNoteLightButKeepsTheRest) {
  const ModeCase cases[] = {{0, true}, {1, false}, {2, true}};
  for (const ModeCase& c : cases) {
    SetUp();
    gHarmonyGlowMode = c.mode;
    gRingGlowMajor[4] = 0.8f;  // strong major light dims the key light around it
    gRingGlowKey[3] = gRingGlowKey[4] = gRingGlowKey[5] = 0.5f;
    Press(60);
    Press(61);
    Frame();
    EXPECT_EQ(gRingGlowMajor[0] > 0, c.noteLight) << c.mode;
    EXPECT_EQ(gRingGlowKey[7] > 0, c.noteLight) << c.mode;
    float e = 0.22f * 0.8f * 0.8f;
    EXPECT_NEAR(gRingGlowKey[4], 0.5f - e, 1e-5) << c.mode;
    EXPECT_NEAR(gRingGlowKey[3], 0.5f - 0.15f * e, 1e-5) << c.mode;
    EXPECT_NEAR(gPcHoldSeconds[0], kDt, 1e-6) << c.mode;  // the hold timer always runs
  }
}

TEST_F(RingGlowFeed, PedalGlowRisesWithinFramesAndFallsAtMost22PercentAFrame) {
  gSustainDown = true;
  Press(60, 127);
  Press(64, 64);
  Press(67, 127);
  // Once the onset flash has gone, each position sits at its target (plus the small hold glow).
  for (int i = 0; i < 60; ++i) Frame();
  EXPECT_NEAR(gRingGlowMajor[0], 0.24f + 0.96f, 0.02f);      // C at full level
  EXPECT_NEAR(gRingGlowMajor[4], 0.24f + 0.96f * 64 / 127, 0.02f);
  EXPECT_LT(gRingGlowMinor[0], 1e-6f);
  gSustainDown = false;
  gHeldNotes.clear();
  gSustainDown = true;  // pedal still down but nothing sounds there
  for (float& peak : gScaleNotePeak) peak = 0;
  float before = gRingGlowMajor[0];
  FeedRingGlowBeforeCircle(0.05f);
  EXPECT_NEAR(gRingGlowMajor[0], before * (1 - 0.11f), 1e-5);
  before = gRingGlowMajor[0];
  FeedRingGlowBeforeCircle(1.0f);  // h is clamped to 0.05
  EXPECT_NEAR(gRingGlowMajor[0], before * (1 - 0.11f), 1e-5);
}

TEST_F(RingGlowFeed, HoldTimerGrowsWhileSoundingAndDecaysAfter) {
  Press(60);
  Press(72);  // one pitch class, two keys: counted once per frame
  for (int i = 0; i < 30; ++i) Frame(0.02f);
  EXPECT_NEAR(gPcHoldSeconds[0], 0.6f, 1e-4);
  gHeldNotes[0].sounding = 0;  // still sounding through the other key
  Frame(0.02f);
  EXPECT_NEAR(gPcHoldSeconds[0], 0.62f, 1e-4);
  Release(72);
  Frame(0.02f);
  EXPECT_NEAR(gPcHoldSeconds[0], 0.62f * std::exp(-9.75f * 0.02f), 1e-4);
}

TEST_F(RingGlowFeed, KeyDragLightsItsPositionAndDimsTheOthers) {
  gRingDragging = true;
  gRingDragPos = 5;
  for (int p = 0; p < 12; ++p) gRingGlowMajor[p] = gRingGlowMinor[p] = gRingGlowKey[p] = 0.5f;
  FeedRingGlowAfterCircle(0.02f, 0.0f);
  EXPECT_NEAR(gRingGlowMajor[5], 0.72f, 1e-5);  // sin(0) = 0
  EXPECT_NEAR(gRingGlowKey[5], 0.5f * std::exp(-5 * 0.02f), 1e-5);
  EXPECT_NEAR(gRingGlowMajor[6], 0.5f * std::exp(-2 * 0.02f), 1e-5);
  // Without a drag position the key's position is used: D major is position 2.
  SelectScale(nullptr, 2, true);
  gRingDragPos = -1;
  FeedRingGlowAfterCircle(0.02f, 0.0f);
  EXPECT_NEAR(gRingGlowMajor[2], 0.72f, 1e-5);
}

TEST_F(RingGlowFeed, KeySweepWaitsThenRunsOutwardAndEnds) {
  gRingDragPos = 3;
  StartKeySweep();
  EXPECT_EQ(gKeySweepPos, 3);
  for (int p = 0; p < 12; ++p) gRingGlowMajor[p] = 1.0f;
  float t = 0;
  while (gKeySweepDelay > 0) {
    Frame(0.01f);
    t += 0.01f;
  }
  EXPECT_NEAR(t, 0.22f, 0.011f);
  // The hold timer and totals do not touch the arrays: nothing moved during the delay.
  EXPECT_EQ(gRingGlowMajor[3], 1.0f);
  Frame(0.01f);
  EXPECT_LT(gRingGlowMajor[3], gRingGlowMajor[9]);  // position 3 darkens first
  EXPECT_EQ(gRingGlowMajor[9], 1.0f);
  int frames = 1;
  bool reachedOpposite = false;
  while (gKeySweepProgress > 0) {
    float before = gRingGlowMajor[9];
    Frame(0.01f);
    ++frames;
    if (!reachedOpposite && gRingGlowMajor[9] < before) {
      reachedOpposite = true;
      EXPECT_NEAR(frames * 0.01f, (6 - 0.9f) / 6 / 1.75f, 0.02f);
    }
  }
  EXPECT_TRUE(reachedOpposite);
  EXPECT_NEAR(frames * 0.01f, 1 / 1.75f, 0.011f);
  EXPECT_EQ(gKeySweepPos, -1);
  EXPECT_EQ(gKeySweepDelay, 0.0f);
}

TEST_F(RingGlowFeed, TotalsAreSmoothedAndTheKeyPeakIsFound) {
  gRingGlowMajor[0] = 2.0f;  // clamped to 1.5 in the sum
  gRingGlowMajor[1] = 0.5f;
  gRingGlowKey[4] = 0.3f;
  gRingGlowKey[9] = 0.3f;    // tie: the first position wins
  FeedRingGlowAfterCircle(0.0f, 0.0f);
  EXPECT_NEAR(gGlowSumMajor, 0.2f, 1e-6);
  EXPECT_NEAR(gGlowSumKey, 0.06f, 1e-6);
  EXPECT_EQ(gGlowKeyPeakPos, 4);
  EXPECT_NEAR(gGlowKeyPeak, 0.3f, 1e-6);
  for (int i = 0; i < 200; ++i) FeedRingGlowAfterCircle(0.0f, 0.0f);
  EXPECT_NEAR(gGlowSumMajor, 2.0f, 1e-3);
  for (int p = 0; p < 12; ++p) gRingGlowKey[p] = 0;
  FeedRingGlowAfterCircle(0.0f, 0.0f);
  EXPECT_EQ(gGlowKeyPeakPos, 0);
  EXPECT_EQ(gGlowKeyPeak, 0.0f);
}

}  // namespace
