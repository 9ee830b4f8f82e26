// The ring glow feed: onset flash and decay, off-scale onsets, the mode switch, the pedal, the
// step cap and the key sweep.
#include <cmath>
#include <gtest/gtest.h>

#include "app/base/note_tables.h"
#include "app/base/ring_key_drag.h"
#include "app/chord_recogniser.h"
#include "app/ring_glow.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_selection.h"

namespace {

const float kDt = 1.0f / 60.0f;

class RingGlowFeed : public ::testing::Test {
 protected:
  void SetUp() override {
    gHeldNotes.clear();
    gSustainDown = gAllNotesAllowed = gRingDragging = false;
    ResetScaleSelection();  // C Ionian
    ResetRingGlow();
    gHarmonyGlowMode = 2;
    gTeachingLevel = 0.5f;
  }
  void Press(int note, int velocity = 127) { gHeldNotes.push_back(HeldNote{note, velocity, 1, 1, 0, 0, 1, 0, 1}); }
  void Frame(float dt = kDt) {
    FeedRingGlowBeforeCircle(dt);
    FeedRingGlowAfterCircle(dt, 0.0f);
  }
};

TEST_F(RingGlowFeed, OnsetsFlashOnceThenFade) {
  Press(67);  // G, in the scale: ring position 1
  Press(61);  // C#, off the scale: ring position 7
  Frame();
  EXPECT_GT(gRingGlowMajor[1], 0.3f);
  EXPECT_EQ(gRingGlowMajor[0], 0.0f);
  float key = gRingGlowKey[7];
  EXPECT_GT(key, 0.0f);
  EXPECT_NEAR(gRingGlowKey[8], 0.15f * key, 1e-5);  // the neighbour gets a share
  for (int i = 0; i < 14; ++i) Frame();  // a quarter of a second
  EXPECT_NEAR(gScaleNotePeak[7], 0.01f, 1e-4);
  EXPECT_LE(gRingGlowKey[7], key);  // still held: no new light
  gHeldNotes[1].sounding = 0;
  FeedRingGlowBeforeCircle(kDt);
  gHeldNotes[1].sounding = 1;  // struck again
  float before = gRingGlowKey[7];
  FeedRingGlowBeforeCircle(kDt);
  EXPECT_GT(gRingGlowKey[7], before + 0.9f * key);
}

TEST_F(RingGlowFeed, ModeOneSkipsNoteLightButKeepsTheRest) {
  for (int mode : {0, 1, 2}) {
    SetUp();
    gHarmonyGlowMode = mode;
    gRingGlowMajor[4] = 0.8f;  // strong major light dims the key light there
    gRingGlowKey[4] = 0.5f;
    Press(60);
    Press(61);
    Frame();
    EXPECT_EQ(gRingGlowMajor[0] > 0, mode != 1) << mode;
    EXPECT_EQ(gRingGlowKey[7] > 0, mode != 1) << mode;
    EXPECT_LT(gRingGlowKey[4], 0.5f) << mode;
    EXPECT_NEAR(gPcHoldSeconds[0], kDt, 1e-6) << mode;
  }
}

TEST_F(RingGlowFeed, PedalGlowSettlesAndALongStepIsCapped) {
  gSustainDown = true;
  Press(60, 127);
  Press(64, 64);
  for (int i = 0; i < 60; ++i) Frame();
  EXPECT_NEAR(gRingGlowMajor[0], 1.2f, 0.02f);
  EXPECT_NEAR(gRingGlowMajor[4], 0.24f + 0.96f * 64 / 127, 0.02f);  // by velocity
  EXPECT_NEAR(gPcHoldSeconds[0], 1.0f, 1e-4);
  gHeldNotes.clear();
  for (float& peak : gScaleNotePeak) peak = 0;
  float before = gRingGlowMajor[0];
  Frame(1.0f);  // the feed's step is capped at 0.05 s: at most 11 % less per frame here
  EXPECT_NEAR(gRingGlowMajor[0], before * 0.89f, 1e-5);
}

TEST_F(RingGlowFeed, KeySweepWaitsThenRunsOutwardAndEnds) {
  gRingDragPos = 3;
  StartKeySweep();
  for (int p = 0; p < 12; ++p) gRingGlowMajor[p] = 1.0f;
  float t = 0;
  for (; gKeySweepDelay > 0; t += 0.01f) Frame(0.01f);
  EXPECT_NEAR(t, 0.22f, 0.011f);
  EXPECT_EQ(gRingGlowMajor[3], 1.0f);
  Frame(0.01f);
  EXPECT_LT(gRingGlowMajor[3], 1.0f);  // the start darkens first
  EXPECT_EQ(gRingGlowMajor[9], 1.0f);
  for (t = 0.01f; gKeySweepProgress > 0; t += 0.01f) Frame(0.01f);
  EXPECT_NEAR(t, 1 / 1.75f, 0.011f);
  EXPECT_LT(gRingGlowMajor[9], 1.0f);  // the opposite side was reached
  EXPECT_EQ(gKeySweepPos, -1);
}

}  // namespace
