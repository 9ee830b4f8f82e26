// The orb parameter feed: silence, a wrong note, octave doublings, chords, the key drag, the scale
// mask, the off-scale list order and the backdrop values.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/chord_recogniser.h"
#include "app/note_input.h"
#include "app/orb_feed.h"
#include "app/ring_glow.h"
#include "app/ring_key_drag.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "tests/support/test_support.h"

namespace {

class OrbFeed : public ::testing::Test {
 protected:
  void SetUp() override {
    gHeldNotes.clear();
    gSustainDown = false;
    gAllNotesAllowed = false;
    ResetScaleSelection();  // C Ionian
    ResetRingGlow();
    ResetChordRecogniser();
    gHarmonyGlowMode = 2;
    gTeachingLevel = 0.5f;
    gRingDragging = false;
    gRingDragPos = -1;
    gCellGlowSmooth = 0;
  }
  void Hold(const std::vector<int>& notes, int velocity = 127) {
    gHeldNotes.clear();
    for (int n : notes) gHeldNotes.push_back(HeldNote{n, velocity, 1, 1, 0, ClockMs32(), 1, 0, 1});
  }
  // The frame's order: chord, glow feed, then the record.
  OrbParams Run(float holdSeconds = 0) {
    RunChordRecogniser();
    FeedRingGlowBeforeCircle(dt_);
    FeedRingGlowAfterCircle(dt_, 1.0f);
    if (holdSeconds > 0)
      for (const HeldNote& h : gHeldNotes) gPcHoldSeconds[h.note % 12] = holdSeconds;
    OrbParams p;
    FillOrbParams(OrbFeedFrame{400, 300, 600, 120, 1600, 900, 1.0f, dt_}, &p);
    return p;
  }
  float dt_ = 1.0f / 60.0f;
  ScopedDrivenClock clock_;
};

TEST_F(OrbFeed, SilenceGivesNoFocusAndTheBaseEnergy) {
  OrbParams p = Run();
  EXPECT_EQ(p.accentPos, -1);
  EXPECT_EQ(p.entryCount, 0);
  EXPECT_EQ(p.soloPos, -1);
  EXPECT_FLOAT_EQ(p.level76, 0.2f);
  EXPECT_EQ(p.focusPos, -1);
  EXPECT_FLOAT_EQ(p.centreX, 400);
  EXPECT_FLOAT_EQ(p.innerRadius, 120 - 1.0f);  // 0.0012 x 600 is below the 1 px floor
  EXPECT_FLOAT_EQ(p.viewWidth, 1600);
  EXPECT_EQ(p.keyRootPc, 0);
  EXPECT_EQ(p.keyRootPos, 0);
  EXPECT_EQ(p.scaleMode, 2);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(p.entryPos[i], -1);
  // The key's own hold lifts the energy.
  gPcHoldSeconds[0] = 0;
  Hold({});
  RunChordRecogniser();
  gPcHoldSeconds[0] = 4.0f;
  FillOrbParams(OrbFeedFrame{400, 300, 600, 120, 1600, 900, 1.0f, dt_}, &p);
  EXPECT_FLOAT_EQ(p.level76, 0.88f);
}

TEST_F(OrbFeed, AWrongNoteWarnsAndClearsTheFocus) {
  Hold({60, 61});  // C and C#
  OrbParams p = Run(1.0f);
  EXPECT_EQ(p.soloPos, RingPosOfPitchClass(1));
  EXPECT_EQ(p.entryCount, 1);
  EXPECT_EQ(p.entryPos[0], 7);
  EXPECT_FLOAT_EQ(p.entryStrength[0], 1.0f);   // level 1 + 0.25 hold, screen-blended to 1
  EXPECT_FLOAT_EQ(p.entryEmphasis[0], 0.3f);
  EXPECT_EQ(p.aux88, 7);
  EXPECT_EQ(p.accentPos, -1);
  EXPECT_EQ(p.accentLevel, 0.0f);
}

TEST_F(OrbFeed, CInTwoOctavesFocusesTheOctave) {
  Hold({48, 60});
  OrbParams p = Run(0.5f);
  EXPECT_EQ(p.focusPos, 0);
  EXPECT_EQ(p.focusIsMinor, 0);
  float v = 0.62f + 0.38f * 0.15f;
  EXPECT_NEAR(p.focusLevel, v, 1e-5);
  EXPECT_EQ(p.accentPos, 0);
  EXPECT_GE(p.accentLevel, 0.84f);
  EXPECT_GE(p.level76, 0.62f + 0.38f * v - 1e-5);
  EXPECT_GE(p.level64, 0.72f + 0.28f * v - 1e-5);
}

TEST_F(OrbFeed, OctavesInAMinorScaleSitOnTheMinorRing) {
  SelectModeByIndex(5, 0);  // Aeolian
  ASSERT_TRUE(IsCurrentScaleMinor());
  int key = gKeyRoot;
  Hold({48 + key, 60 + key});
  OrbParams p = Run(0.5f);
  EXPECT_EQ(p.focusPos, RelativeMinorRingPos(key));
  EXPECT_EQ(p.focusIsMinor, 1);
  EXPECT_GE(p.level68, 0.7f);
}

TEST_F(OrbFeed, AnInScaleChordTakesTheFocus) {
  Hold({55, 59, 62});  // G major in C major
  OrbParams p = Run();
  EXPECT_EQ(p.accentPos, 1);
  EXPECT_GE(p.accentLevel, 1.0f);  // in-scale ratio 1
  EXPECT_EQ(p.entryCount, 0);
}

TEST_F(OrbFeed, AnOffScaleChordLightsItsPosition) {
  Hold({61, 65, 68});  // Db major in C major: two of three off the scale
  OrbParams p = Run();
  int chordPos = RingPosOfPitchClass(1);
  bool found = false;
  for (int i = 0; i < p.entryCount; ++i)
    if (p.entryPos[i] == chordPos) found = true;
  EXPECT_TRUE(found);
  EXPECT_EQ(p.accentPos, -1);
}

TEST_F(OrbFeed, TheKeyDragTakesOverAndSilencesWarnings) {
  Hold({61});
  gRingDragging = true;
  gRingDragPos = 4;
  for (int i = 0; i < 12; ++i) gRingGlowKey[i] = 1.0f;
  gGlowSumKey = 12.0f;
  OrbParams p = Run();
  EXPECT_EQ(p.keyRootPos, 4);
  EXPECT_EQ(p.accentPos, 4);
  EXPECT_GE(p.accentLevel, 0.98f);
  EXPECT_GE(p.level76, 0.92f);
  EXPECT_GE(p.level64, 0.84f);
  EXPECT_LE(p.level68, 0.36f);
  EXPECT_LE(p.level72, 0.28f);
  EXPECT_LE(gFrameTension, 0.28f);
  EXPECT_EQ(p.entryCount, 0);
  EXPECT_EQ(p.soloPos, -1);
}

struct MaskCase {
  const char* name;
  int mode;       // church mode index, -1 every note allowed
  int ringPos;
  uint32_t mask;
};

TEST_F(OrbFeed, ScaleMaskFollowsKeyAndScale) {
  const MaskCase cases[] = {
      {"C Ionian", 0, 0, 0xAB5},
      {"G Ionian", 0, 1, 0xAD5},   // F# in place of F
      {"every note allowed", -1, 0, 0xFFF},
  };
  for (const MaskCase& c : cases) {
    SetUp();
    if (c.mode >= 0)
      SelectModeByIndex(c.mode, c.ringPos);
    else
      gAllNotesAllowed = true;
    OrbParams p = Run();
    EXPECT_EQ(p.scaleMask, c.mask) << c.name;
  }
}

TEST_F(OrbFeed, OffScaleListRunsStrongestFirst) {
  Hold({61, 63, 66});  // C#, Eb, F# off C major; F# held loudest
  gHeldNotes[2].velocity = 127;
  gHeldNotes[0].velocity = 40;
  gHeldNotes[1].velocity = 80;
  OrbParams p = Run();
  ASSERT_GE(p.entryCount, 3);
  EXPECT_EQ(p.entryPos[0], RingPosOfPitchClass(6));
  EXPECT_EQ(p.soloPos, RingPosOfPitchClass(6));
  for (int i = 1; i < p.entryCount; ++i)
    EXPECT_GE(std::max(0.82f * p.entryStrength[i - 1], p.entryEmphasis[i - 1]),
              std::max(0.82f * p.entryStrength[i], p.entryEmphasis[i]));
}

TEST_F(OrbFeed, HarmonyModeOneHasNoNoteFocus) {
  gHarmonyGlowMode = 1;
  Hold({48, 60});
  OrbParams p = Run(0.5f);
  EXPECT_EQ(p.scaleMode, 0);
  EXPECT_EQ(p.focusPos, -1);
  EXPECT_EQ(p.accentPos, -1);
}

TEST_F(OrbFeed, BackdropFollowsTheRecord) {
  OrbParams p = Run();
  EXPECT_EQ(gBackdropScaleCount, 7);
  EXPECT_FLOAT_EQ(gBackdropDifficulty, 0.5f);
  EXPECT_GE(gBackdropIntensity, 0.03f);
  EXPECT_LE(gBackdropIntensity, 2.6f);
  for (float c : gBackdropColour) {
    EXPECT_GE(c, 0.0f);
    EXPECT_LE(c, 1.0f);
  }
  SetUp();
  SelectScale(nullptr, 0, true);
  gCurrentScale = nullptr;  // no scale: the tonic alone
  p = Run();
  EXPECT_EQ(p.scaleMask, 0u);
  EXPECT_EQ(gBackdropScaleCount, 1);
  EXPECT_EQ(gBackdropScalePositions[0], 0);
}

}  // namespace
