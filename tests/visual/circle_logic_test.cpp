// The circle's logic without GL: the light primitives, the faded colour, label wrapping, the note
// sparks, the star field, and what the circle pass works out for held notes in and off the scale.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "visual/backdrop.h"
#include "visual/circle_pass.h"
#include "visual/note_sparks.h"
#include "visual/ring_glow.h"
#include "visual/ring_labels.h"
#include "visual/ring_primitives.h"

namespace {

class CircleLogic : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    ResetNoteTables();
    ResetScaleSelection();
    ResetViewModes();
    ResetCirclePass();
    ResetBackdrop();
    gAllNotesAllowed = false;
    ResetNoteSparks();
    gRingFrame = RingFrame{};
    for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0;
    gClientWidth = 1440;
    gClientHeight = 920;
  }
  static void Hold(int note, int velocity) {
    HeldNote h{};
    h.note = note;
    h.velocity = velocity;
    h.sounding = h.keyDown = 1;
    gHeldNotes.push_back(h);
  }
  // The pass for the current key and scale in a 1440 x 920 window.
  CircleLook Pass(int harmonyMode = 2, float lightBlend = 0) {
    static float hold[12] = {};
    CirclePassInput in;
    in.centreX = 500, in.centreY = 430, in.minSide = 920;
    in.outer = 340, in.inner = 276, in.innermost = 215;
    in.harmonyMode = harmonyMode;
    in.lightBlend = lightBlend;
    in.holdSeconds = hold;
    CircleLook look;
    ComputeCirclePass(in, &look);
    return look;
  }
};

TEST_F(CircleLogic, ScreenBlendedLightNeverPassesOneAndWrapsItsIndex) {
  float g[12] = {};
  AccumulatePcGlow(g, 14, 0.5f);
  EXPECT_FLOAT_EQ(g[2], 0.5f);  // index 14 is slot 2
  AccumulatePcGlow(g, 2, 0.5f);
  EXPECT_FLOAT_EQ(g[2], 0.75f);
  AccumulatePcGlow(g, 2, -3.0f);  // nothing added
  EXPECT_FLOAT_EQ(g[2], 0.75f);
  AccumulatePcGlow(g, 2, 1.0f);
  EXPECT_FLOAT_EQ(g[2], 1.0f);
  AccumulatePcGlow(g, -1, 1.0f);  // a negative index writes nothing
  for (int i = 0; i < 12; ++i)
    if (i != 2) { EXPECT_EQ(g[i], 0.0f) << i; }

  float level[12] = {}, peak[12] = {};
  AccumulatePcGlowMax(level, peak, 5, 0.4f, 0.3f);
  AccumulatePcGlowMax(level, peak, 17, 0.4f, 2.0f);
  AccumulatePcGlowMax(level, peak, -2, 1.0f, 1.0f);
  EXPECT_NEAR(level[5], 0.64f, 1e-6f);
  EXPECT_FLOAT_EQ(peak[5], 1.0f);  // the larger hold, clamped
}

TEST_F(CircleLogic, FadedColourIsNearlyOpaqueInTheLightStyleOnly) {
  struct Case { float m, t, alpha; } cases[] = {
      {0, 0.24f, 0.24f * 0.8f}, {0, 1.7f, 0.8f}, {1, 0, 0.82f * 0.8f}, {1, 0.5f, 0.91f * 0.8f}, {0.5f, 0, 0.41f * 0.8f}};
  gRingFrame.opacity = 0.8f;
  for (const Case& c : cases) {
    gRingFrame.lightBlend = c.m;
    float r, g, b, a;
    SetFadedColour(0.2f, 0.4f, 0.6f, c.t, &r, &g, &b, &a);
    EXPECT_NEAR(a, c.alpha, 1e-5f) << c.m << " " << c.t;
    EXPECT_EQ(r, 0.2f);
    EXPECT_EQ(b, 0.6f);
  }
  float table[12] = {};
  table[3] = 1.0f;
  EXPECT_EQ(RingGainAt(table, 3.0f, 2.0f), 0.0f);  // no gain while the ring view is off
  gRingFrame.ringModeFade = 0.5f;
  EXPECT_NEAR(RingGainAt(table, 2.5f, 2.0f), 1.0f, 1e-6f);
  EXPECT_NEAR(RingGainAt(table, 15.25f, 1.0f), 0.75f, 1e-6f);  // wraps round the ring
}

TEST_F(CircleLogic, LabelsWrapAtASpaceOrAreCut) {
  struct Case { std::string text; int maxChars; std::string line1, line2; } cases[] = {
      {"ABCDEFGHIJKL", 12, "ABCDEFGHIJKL", ""},
      {"Alpha bravo charl delta", 3, "Alpha bravo charl delta", ""},  // below 4: whole
      {"Fives sevenxx ninexx", 10, "Fives", "sevenxx..."},              // spaces at 5 and 13
      {"Abcdefghijklmnop", 8, "Abcde...", ""},                          // no space: cut
      // Other scripts count letters, not bytes: they split at a blank or stay whole for the
      // caller's fitting to pixels (a byte count cut "G Миксолидийский" to "G Миксо...").
      {"G \u041C\u0438\u043A\u0441\u043E", 8, "G \u041C\u0438\u043A\u0441\u043E", ""},
      {"Caf\xC3\xA9 au lait long", 8, "Caf\xC3\xA9 au", "lait long"},
      {"G \u30DF\u30AF\u30BD\u30EA\u30C7\u30A3\u30A2\u30F3", 6, "G \u30DF\u30AF\u30BD\u30EA\u30C7\u30A3\u30A2\u30F3", ""},
  };
  for (const Case& c : cases) {
    std::string a, b;
    WrapLabelTwoLines(c.text, c.maxChars, &a, &b);
    EXPECT_EQ(a, c.line1) << c.text;
    EXPECT_EQ(b, c.line2) << c.text;
  }
  EXPECT_EQ(TrimSpaces(" \t C/E \r\n"), "C/E");
}

TEST_F(CircleLogic, SparksSpreadTheKeyboardAcrossTheWindowAndStopAtSixteen) {
  gClientWidth = 1000;
  gClientHeight = 800;
  SpawnNoteSpark(21, 1.0f);
  SpawnNoteSpark(108, 0.0f);
  SpawnNoteSpark(5, 0.5f);
  EXPECT_FLOAT_EQ(gNoteSparks[0].x, 40.0f);   // A0 at the left margin
  EXPECT_FLOAT_EQ(gNoteSparks[1].x, 960.0f);  // C8 at the right
  EXPECT_FLOAT_EQ(gNoteSparks[2].x, 40.0f);   // below A0 clamps
  EXPECT_FLOAT_EQ(gNoteSparks[0].y, 560.0f);
  EXPECT_FLOAT_EQ(gNoteSparks[0].radius, 260.0f);
  EXPECT_FLOAT_EQ(gNoteSparks[1].radius, 110.0f);
  gPracticeMode = true;
  for (int i = 3; i < 17; ++i) SpawnNoteSpark(60, 1.0f);
  EXPECT_EQ(gNoteSparkCount, 16);  // the 17th gets none
  EXPECT_FLOAT_EQ(gNoteSparks[15].y, 624.0f);
}

TEST_F(CircleLogic, TheSkyDependsOnlyOnTheWindowSize) {
  struct Case { int w, h; size_t built; int shown; } cases[] = {{1440, 900, 300, 144}, {3840, 2160, 1100, 420}};
  for (const Case& c : cases) {
    gClientWidth = c.w;
    gClientHeight = c.h;
    BuildStarField();
    EXPECT_EQ(gBackdrop.size(), c.built) << c.w;
    EXPECT_EQ(VisibleStarCount(), c.shown) << c.w;
  }
  // Back to the small window and up again: the same stars in the same places.
  std::vector<BackdropStar> big = gBackdrop;
  gClientWidth = 1440;
  gClientHeight = 900;
  BuildStarField();
  gClientWidth = 3840;
  gClientHeight = 2160;
  BuildStarField();
  for (size_t i = 300; i < big.size(); i += 97) {
    EXPECT_EQ(gBackdrop[i].x, big[i].x) << i;
    EXPECT_EQ(gBackdrop[i].y, big[i].y) << i;
  }
}

TEST_F(CircleLogic, AStarUnderASparkFlashesAndLeavingStarsComeBackAtTheOtherEdge) {
  gClientWidth = 1440;
  gClientHeight = 900;
  BuildStarField();
  gBackdropDrive.circleOpacity = 0;  // no star is hidden by the circle's disc
  BackdropStar& s = gBackdrop[7];
  s.x = 0.9f, s.y = 0.6f, s.flash = s.sparkFlash = 0;
  gBackdrop[8].y = -0.029f;
  gBackdrop[8].speed = 0.05f;
  gNoteSparkCount = 1;
  gNoteSparks[0] = {0.9f * 1440, 0.6f * 900, 1.0f, 260.0f, 1, 1, 1};
  std::vector<StarQuad> quads;
  UpdateBackdropStars(0.0f, 0.0f, &quads);
  EXPECT_GE(gBackdrop[7].flash, 0.9f);
  EXPECT_GE(gBackdrop[7].sparkFlash, 0.22f);
  gBackdropDrive.speed = 1;
  UpdateBackdropStars(0.05f, 0.05f, &quads);
  EXPECT_FLOAT_EQ(gBackdrop[8].y, 1.03f);
  EXPECT_GE(gStarRespawnCount, 1u);
  for (const StarQuad& q : quads) {
    EXPECT_GE(q.a, 0.06f);
    EXPECT_LE(q.a, 0.98f);
  }
}

TEST_F(CircleLogic, GradientStripsFollowTheFrameRate) {
  EXPECT_EQ(GradientStripCount(900, 1.0f / 60.0f), 630);
  EXPECT_EQ(GradientStripCount(900, 0.05f), 468);  // slow frames: fewer strips
  EXPECT_EQ(GradientStripCount(200, 0.0f), 240);
  EXPECT_EQ(GradientStripCount(2000, 0.0f), 960);
  float r, g, b;
  BackdropGradientColour(0.0f, 0.0f, &r, &g, &b);
  EXPECT_NEAR(b, 0.112f, 1e-4f);  // dark top
  BackdropGradientColour(1.0f, 0.0f, &r, &g, &b);
  EXPECT_NEAR(b, 0.056f, 1e-4f);
}

TEST_F(CircleLogic, ANoteOffTheScaleTurnsItsSectorRedAndInTheScaleLightsIt) {
  // F#4 held: in C Ionian it leaves the scale, in G Ionian it belongs.
  struct Case { int key; bool red; } cases[] = {{0, true}, {7, false}};
  for (const Case& c : cases) {
    ResetNoteTables();
    gCurrentScale = &gScaleRows[kRowIonian];
    gKeyRoot = c.key;
    Hold(66, 110);
    CircleLook look = Pass();
    const RingPositionLook& p6 = look.positions[6];
    EXPECT_EQ(p6.warning > 0.001f, c.red) << c.key;
    bool redFill = false;
    for (int i = 0; i < p6.paintCount; ++i)
      redFill |= p6.paints[i].kind == kPaintFill && p6.paints[i].r == 1.0f && p6.paints[i].g < 0.05f;
    EXPECT_EQ(redFill, c.red) << c.key;
    EXPECT_GE(p6.outerFill[3], 0.86f) << c.key;  // held: nearly opaque either way
  }
}

TEST_F(CircleLogic, SectorsOffTheScaleAreBlackAndSilentMembersFaint) {
  gCurrentScale = &gScaleRows[kRowIonian];
  gKeyRoot = 0;
  gRingGlowMajor[3] = 0.5f;
  CircleLook look = Pass();
  const RingPositionLook& member = look.positions[3];  // A: in C major
  EXPECT_NEAR(member.outerFill[3], 0.24f + 0.33f, 1e-5f);
  const RingPositionLook& outside = look.positions[7];  // Db: outside, nobody holds it
  EXPECT_EQ(outside.outerFill[0] + outside.outerFill[1] + outside.outerFill[2], 0.0f);
  EXPECT_NEAR(outside.outerFill[3], 0.24f, 1e-5f);
  // The light style washes the plain sectors and keeps the others nearly opaque.
  look = Pass(2, 1.0f);
  EXPECT_TRUE(look.positions[7].outerWashed);
  EXPECT_FALSE(look.positions[3].outerWashed);
  EXPECT_GE(look.positions[3].outerFill[3], 0.82f);
  // Gm, Cm and Fm are the relative minors of keys outside C major: their own root is in the scale,
  // but they share the outer sector's black. The light style washes them with the other plain
  // minors rather than leaving three opaque black sectors on a pale ring.
  for (int p : {8, 9, 10}) {
    EXPECT_TRUE(look.positions[p].innerWashed) << p;
    EXPECT_GT(look.positions[p].innerFill[0] + look.positions[p].innerFill[1] + look.positions[p].innerFill[2], 0.5f) << p;
  }
  EXPECT_FALSE(look.positions[0].innerWashed) << "Am keeps its colour";
  // Seven-note scales carry degree labels: I on the key, V beside it.
  EXPECT_EQ(look.positions[0].degreeLabel, "I");
  EXPECT_EQ(look.positions[1].degreeLabel, "V");
  EXPECT_TRUE(look.positions[7].degreeLabel.empty());
}

// The gold band marks the chord on display, which outlasts a release and changes only once the
// next chord is confirmed; what the mode decides is which chord the sectors and the degree label
// light up.
TEST_F(CircleLogic, TheGoldBandMarksTheShownChordWhileTheModeDecidesWhatIsHighlighted) {
  gCurrentScale = &gScaleRows[kRowIonian];
  gKeyRoot = 0;
  CirclePassInput in;
  static float hold[12] = {};
  in.holdSeconds = hold;
  in.outer = 340, in.inner = 276, in.innermost = 215;
  in.matched = {true, 7, 0};  // G major matched this frame, not yet confirmed
  in.matchedInScaleRatio = 1;
  in.shown = {true, 9, 1};    // A minor still on display
  struct Seen { int bandPos = -1; float bandRadius = 0; int goldDegree = -1; };
  auto seenIn = [&](int mode) {
    in.harmonyMode = mode;
    CircleLook look;
    ComputeCirclePass(in, &look);
    Seen seen;
    for (int p = 0; p < 12; ++p) {
      const RingPositionLook& pl = look.positions[p];
      for (int i = 0; i < pl.paintCount; ++i)
        if (pl.paints[i].kind == kPaintGoldBand) {
          EXPECT_EQ(seen.bandPos, -1) << "one band only, mode " << mode;
          seen.bandPos = p;
          seen.bandRadius = 0.5f * (pl.paints[i].rIn + pl.paints[i].rOut);
        }
      if (pl.degreeColour[3] == 0.98f) seen.goldDegree = p;
    }
    return seen;
  };
  const struct { int mode, goldDegree; } modes[] = {{2, 1}, {1, 3}, {0, -1}};  // G's, A's, none
  for (const auto& c : modes) {
    Seen seen = seenIn(c.mode);
    EXPECT_EQ(seen.bandPos, 0) << "A minor sits on C's position, mode " << c.mode;
    EXPECT_FLOAT_EQ(seen.bandRadius, 215.0f) << "the minor ring's border, mode " << c.mode;
    EXPECT_EQ(seen.goldDegree, c.goldDegree) << "mode " << c.mode;
  }
  // Released: nothing matches, C major is still on display: its band stays on the outer ring.
  in.matched = {};
  in.shown = {true, 0, 0};
  Seen released = seenIn(2);
  EXPECT_EQ(released.bandPos, 0);
  EXPECT_FLOAT_EQ(released.bandRadius, 276.0f);
  EXPECT_EQ(released.goldDegree, -1) << "nothing matched, nothing highlighted";
  // A diminished chord belongs to the minor family: B dim on D's position, along the inner border.
  in.shown = {true, 11, 2};
  Seen dim = seenIn(2);
  EXPECT_EQ(dim.bandPos, 2);
  EXPECT_FLOAT_EQ(dim.bandRadius, 215.0f);
  // Nothing on display: no band, whatever matched this frame.
  in.shown = {};
  in.matched = {true, 7, 0};
  for (int mode : {0, 1, 2}) EXPECT_EQ(seenIn(mode).bandPos, -1) << "mode " << mode;
}

// A degree numeral names a chord of the scale: it lights for a chord on its root only when that
// chord is of its family, or a learner reads a C major chord in Db major as its viio.
TEST_F(CircleLogic, ADegreeNumeralLightsOnlyForAChordOfItsOwnFamily) {
  gCurrentScale = &gScaleRows[kRowIonian];
  CirclePassInput in;
  static float hold[12] = {};
  in.holdSeconds = hold;
  in.outer = 340, in.inner = 276, in.innermost = 215;
  in.matchedInScaleRatio = 1;
  in.harmonyMode = 2;
  const struct { const char* what; int key, root; uint32_t quality; int gold; } cases[] = {
      {"G major in C: V", 0, 7, 0, 1},
      {"A minor in C: vi", 0, 9, 1, 3},
      {"B diminished in C: viio", 0, 11, 2, 5},
      {"D major (D9) in C is no ii", 0, 2, 0, -1},
      {"E major in C is no iii", 0, 4, 0, -1},
      {"C major in Db is no viio", 1, 0, 0, -1},
      {"B minor in C is no viio", 0, 11, 1, -1},
      {"Bb major in C has no numeral", 0, 10, 0, -1},
  };
  for (const auto& c : cases) {
    gKeyRoot = c.key;
    in.matched = {true, c.root, c.quality};
    in.shown = in.matched;
    CircleLook look;
    ComputeCirclePass(in, &look);
    int gold = -1;
    for (int p = 0; p < 12; ++p)
      if (look.positions[p].degreeColour[3] == 0.98f) gold = p;
    EXPECT_EQ(gold, c.gold) << c.what;
  }
}

// The key's two edge arcs mark it with nothing held; a warning (a note off the scale) takes them.
TEST_F(CircleLogic, TheKeysEdgeArcsShowAtRestAndGiveWayToAWarning) {
  gCurrentScale = &gScaleRows[kRowIonian];
  gKeyRoot = 2;  // D: ring position 2
  auto edgeArcs = [](const CircleLook& look, int p) {
    int n = 0;
    for (int i = 0; i < look.positions[p].paintCount; ++i) {
      const RingPaint& pt = look.positions[p].paints[i];
      if (pt.kind == kPaintArc && (pt.rIn == 340.0f - 0.5f || pt.rIn == 340.0f - 2.0f)) ++n;
    }
    return n;
  };
  const struct { const char* what; int note; int mode; int arcs; } cases[] = {
      {"nothing held", -1, 2, 2},
      {"no harmony light", -1, 0, 2},
      {"the scale's triads", -1, 1, 0},
      {"F# in the scale held", 66, 2, 2},
      {"F off the scale held", 65, 2, 0},
  };
  for (const auto& c : cases) {
    ResetNoteTables();
    if (c.note >= 0) Hold(c.note, 100);
    CircleLook look = Pass(c.mode);
    EXPECT_EQ(edgeArcs(look, 2), c.arcs) << c.what;
    for (int p = 0; p < 12; ++p)
      if (p != 2) EXPECT_EQ(edgeArcs(look, p), 0) << c.what << ", position " << p;
  }
}

}  // namespace

// The degree labels stand in the dark band between the resting orb (eight tenths of innermost)
// and the ring; where the band is wide they keep their place and font, where it is narrow (a
// small window) all of them take the small font rather than run under the orb.
TEST(DegreeLabelPlace, StaysClearOfTheRestingOrb) {
  struct Case {
    float innermost, minorOffset;
    float mainW, smallW, mainH, smallH;   // "viio" in the main and the small font of that size
    bool small;
  };
  const Case cases[] = {{215.0f, 30.0f, 42.0f, 26.0f, 14.3f, 8.7f, false},    // 1440 x 920
                        {168.5f, 23.8f, 36.0f, 23.0f, 12.4f, 8.1f, true},     // 1280 x 720
                        {139.0f, 19.8f, 36.0f, 23.0f, 12.4f, 8.1f, true}};    // 1024 x 600
  for (const Case& c : cases) {
    const bool small = DegreeLabelsSmall(c.innermost, c.minorOffset, c.mainW);
    EXPECT_EQ(small, c.small) << c.innermost;
    const float w = small ? c.smallW : c.mainW, h = small ? c.smallH : c.mainH;
    for (float deg = 0.0f; deg < 360.0f; deg += 30.0f) {
      SCOPED_TRACE(testing::Message() << c.innermost << " at " << deg);
      const float ux = std::cos(deg * 3.14159265f / 180.0f), uy = std::sin(deg * 3.14159265f / 180.0f);
      const float r = DegreeLabelRadius(c.innermost, c.minorOffset, ux, uy, w, h);
      const float half = 0.5f * (std::fabs(ux) * w + std::fabs(uy) * h);
      EXPECT_GE(r - half, 0.8f * c.innermost) << "under the orb";
      EXPECT_LE(r, c.innermost - 14.0f) << "out of its band";
    }
  }
  // Where there is room, nothing moves: a wide window's labels stand 16 px inside the ring.
  EXPECT_FLOAT_EQ(DegreeLabelRadius(215.0f, 30.0f, 1.0f, 0.0f, 42.0f, 14.3f), 199.0f);
}
