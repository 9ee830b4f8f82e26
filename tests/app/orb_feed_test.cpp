// The orb parameter feed: silence, a wrong note, octave doublings, an in-scale chord, the key
// drag and the scale mask.
#include <gtest/gtest.h>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/ring_key_drag.h"
#include "app/chord_recogniser.h"
#include "app/orb_feed.h"
#include "app/ring_glow.h"
#include "practice/teaching_state.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

namespace {

const OrbFeedFrame kFrame{400, 300, 600, 120, 1600, 900, 1.0f, 0.017f};

class OrbFeed : public ::testing::Test {
 protected:
  void SetUp() override {
    gAllNotesAllowed = gRingDragging = false;
    ResetScaleSelection();  // C Ionian
    ResetRingGlow();
    ResetChordRecogniser();
    gHarmonyGlowMode = 2;
    gTeachingLevel = 0.5f;
  }
  // The frame's order: chord, glow feed, then the record; every held pitch class held for hold s.
  OrbParams Run(const std::vector<int>& notes, float hold = 0) {
    gHeldNotes.clear();
    for (int n : notes) gHeldNotes.push_back(HeldNote{n, 127, 1, 1, 0, ClockMs32(), 1, 0, 1});
    RunChordRecogniser();
    FeedRingGlowBeforeCircle(0.017f);
    FeedRingGlowAfterCircle(0.017f, 1.0f);
    for (int n : notes) gPcHoldSeconds[n % 12] = hold;
    OrbParams p;
    FillOrbParams(kFrame, &p);
    return p;
  }
  ScopedDrivenClock clock_;
};

TEST_F(OrbFeed, SilenceAWrongNoteAndAnInScaleChord) {
  OrbParams p = Run({});
  EXPECT_EQ(p.accentPos, -1);
  EXPECT_EQ(p.entryCount, 0);
  EXPECT_FLOAT_EQ(p.level76, 0.2f);
  EXPECT_FLOAT_EQ(p.innerRadius, 119.0f);  // 0.0012 x 600 is below the 1 px floor
  gPcHoldSeconds[0] = 4.0f;  // the key's own hold lifts the energy
  FillOrbParams(kFrame, &p);
  EXPECT_FLOAT_EQ(p.level76, 0.88f);

  p = Run({60, 61}, 1.0f);  // C and C#: a warning, no focus
  EXPECT_EQ(p.soloPos, 7);
  EXPECT_EQ(p.entryCount, 1);
  EXPECT_EQ(p.entryPos[1], -1);
  EXPECT_EQ(p.aux88, 7);
  EXPECT_EQ(p.accentPos, -1);

  p = Run({55, 59, 62});  // G major in C major
  EXPECT_EQ(p.accentPos, 1);
  EXPECT_FLOAT_EQ(p.accentLevel, 1.0f);
}

TEST_F(OrbFeed, AnOctaveDoublingTakesTheFocusOnItsRing) {
  OrbParams p = Run({48, 60}, 0.5f);
  EXPECT_EQ(p.focusPos, 0);
  EXPECT_EQ(p.focusIsMinor, 0);
  EXPECT_EQ(p.accentPos, 0);
  SelectModeByIndex(5, 0);  // Aeolian: the octave sits on the minor ring
  int key = gKeyRoot;
  p = Run({48 + key, 60 + key}, 0.5f);
  EXPECT_EQ(p.focusPos, RelativeMinorRingPos(key));
  EXPECT_EQ(p.focusIsMinor, 1);
}

TEST_F(OrbFeed, TheKeyDragTakesOverAndSilencesWarnings) {
  gRingDragging = true;
  gRingDragPos = 4;
  gGlowSumKey = 12.0f;
  OrbParams p = Run({61});
  EXPECT_EQ(p.keyRootPos, 4);
  EXPECT_EQ(p.accentPos, 4);
  EXPECT_LE(gFrameTension, 0.28f);
  EXPECT_EQ(p.entryCount, 0);
  EXPECT_EQ(p.soloPos, -1);
}

TEST_F(OrbFeed, ScaleMaskFollowsKeyAndScale) {
  EXPECT_EQ(Run({}).scaleMask, 0xAB5u);
  SelectModeByIndex(0, 1);  // G Ionian: F# in place of F
  EXPECT_EQ(Run({}).scaleMask, 0xAD5u);
  gAllNotesAllowed = true;
  EXPECT_EQ(Run({}).scaleMask, 0xFFFu);
}

}  // namespace
