// The lane keyboard's geometry: which keys exist and where, black keys cut by the keyboard's edges,
// the strip and its lane at window sizes that drop the lane, and the short lane of the learning
// overlay.
#include <gtest/gtest.h>

#include <cmath>

#include "board/lane_keys.h"
#include "tests/board/lane_fixture.h"
#include "theory/scale_rows.h"
#include "theory/staff_panel.h"

namespace {

TEST(LaneKeys, BlackKeysByPitchClassAlsoBelowZero) {
  const bool black[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
  for (int pc = -24; pc < 36; ++pc) EXPECT_EQ(IsBlackKey(pc), black[((pc % 12) + 12) % 12]) << pc;
}

TEST(LaneKeys, EndsOfTheKeyboardAndNotesOffIt) {
  const KeyboardLayout k = MakeKeyboardLayout(100.0f, 1040.0f);  // 20 px white keys
  struct Case {
    int note;
    bool on;
    bool black;
    float x, w;
  } cases[] = {
      {21, true, false, 100.0f, 20.4f},    // A0: white index 0
      {22, true, true, 113.8f, 12.4f},     // A#0 sits on the boundary of indices 0 and 1
      {108, true, false, 1120.0f, 20.4f},  // C8: white index 51
      {60, true, false, 100.0f + 23 * 20.0f, 20.4f},
      {20, false, true, 0, 0},             // G#0: left of the keyboard
      {109, false, true, 0, 0},            // C#8 would hang off the right edge
      {19, false, false, 0, 0},
      {0, false, false, 0, 0},
      {127, false, false, 0, 0},
      {128, false, true, 0, 0},
      {-1, false, false, 0, 0},
      {100000, false, false, 0, 0},
  };
  for (const Case& c : cases) {
    float x = -1.0f, w = -1.0f;
    bool black = !c.black;
    EXPECT_EQ(GetLaneKeyRect(k, c.note, &x, &w, &black), c.on) << c.note;
    EXPECT_EQ(black, c.black) << c.note;  // set in every case
    if (c.on) {
      EXPECT_NEAR(x, c.x, 0.001f) << c.note;
      EXPECT_NEAR(w, c.w, 0.001f) << c.note;
    }
  }
  // 52 white keys and 36 black keys, each inside the keyboard.
  int white = 0, blackCount = 0;
  for (int n = 0; n < 128; ++n) {
    float x, w;
    bool black;
    if (!GetLaneKeyRect(k, n, &x, &w, &black)) continue;
    ++(black ? blackCount : white);
    EXPECT_GE(x, k.x);
    EXPECT_LE(x + w, k.x + k.width + 0.41f);
  }
  EXPECT_EQ(white, 52);
  EXPECT_EQ(blackCount, 36);
}

TEST(LaneKeys, BlackKeysAreCutAtTheEdgesAndDroppedWhenNearlyGone) {
  KeyboardLayout k = MakeKeyboardLayout(0.0f, 52.0f);  // 1 px white keys
  k.blackW = 5.0f;  // wider than two white keys: the outer black keys reach past both edges
  float x, w;
  bool black;
  ASSERT_TRUE(GetLaneKeyRect(k, 22, &x, &w, &black));
  EXPECT_FLOAT_EQ(x, 0.0f);  // cut at the left edge
  EXPECT_NEAR(w, 3.5f, 1e-5f);
  ASSERT_TRUE(GetLaneKeyRect(k, 106, &x, &w, &black));  // A#7, centred 50 px in
  EXPECT_NEAR(x + w, 52.0f, 1e-5f);  // cut at the right edge
  k.width = 47.6f;  // the edge 0.1 px right of its left side
  EXPECT_FALSE(GetLaneKeyRect(k, 106, &x, &w, &black));
  k.width = 47.75f;  // 0.25 px: kept
  EXPECT_TRUE(GetLaneKeyRect(k, 106, &x, &w, &black));
}

using LaneStrip = LaneTest;

TEST_F(LaneStrip, KeyboardButtonAndLaneAcrossWindowSizes) {
  // The strip never leaves less than its shortest height, so even a short window keeps a lane.
  struct Case {
    int w, h;
    bool lane;
  } cases[] = {{1440, 920, true}, {1600, 900, true}, {800, 600, true}, {1440, 300, true}, {640, 200, true}};
  for (const Case& c : cases) {
    gClientWidth = c.w;
    gClientHeight = c.h;
    NoteFallStrip st = ComputeNoteFallStrip();
    ASSERT_TRUE(st.shown) << c.w << "x" << c.h;
    EXPECT_EQ(st.laneShown, c.lane) << c.w << "x" << c.h;
    EXPECT_FLOAT_EQ(st.hitY, st.keyboardTop);
    EXPECT_FLOAT_EQ(st.laneH, st.hitY);  // the lane runs from the window's top
    EXPECT_LE(st.button.x + st.button.w, st.keyboardX);  // the button stands left of the keys
    EXPECT_NEAR(st.button.y + st.button.h, st.keyboardTop + st.keyboardH, 0.01f);
    EXPECT_LE(st.keyboardX + st.keyboardW, st.x + st.w);
    EXPECT_GE(st.keyboardW, 120.0f);
  }
}

TEST_F(LaneStrip, NothingWithoutALaneModeAndAFadingLane) {
  gPracticeMode = false;
  EXPECT_FALSE(ComputeNoteFallStrip().shown);
  gSongView = true;  // the keyboard shows under the song view, the lane fades with note-fall mode
  gPracticeModeFade = 0.0005f;
  NoteFallStrip st = ComputeNoteFallStrip();
  EXPECT_TRUE(st.shown);
  EXPECT_FALSE(st.laneShown);
  gPracticeModeFade = 0.5f;
  st = ComputeNoteFallStrip();
  EXPECT_TRUE(st.laneShown);
  EXPECT_FLOAT_EQ(st.laneAlpha, 0.5f);
}

TEST_F(LaneStrip, TheLearningOverlayShowsAShortLaneAtFullAlpha) {
  gPracticeMode = false;
  gPracticeModeFade = 0.0f;
  gLearningOverlay = true;
  NoteFallStrip st = ComputeNoteFallStrip();
  ASSERT_TRUE(st.laneShown);
  EXPECT_TRUE(st.shortForm);
  EXPECT_FLOAT_EQ(st.laneAlpha, 1.0f);
  EXPECT_GE(st.laneTop, 24.0f);
  EXPECT_LE(st.laneTop, st.hitY - 120.0f);  // at least the shortest fade span above the keys
  LaneFrame f = BuildLaneFrame(st, 0, 1.0f);
  EXPECT_FLOAT_EQ(SmoothFadeIn(f, st.laneTop - 5.0f), 0.0f);
  EXPECT_FLOAT_EQ(SmoothFadeIn(f, st.laneTop + st.span), 1.0f);
  // Bars, motes and sparks fade out at the staff panel's edge: none crosses its staves.
  RectF panel;
  ASSERT_TRUE(ComputeStaffPanelRect(&panel));
  EXPECT_FLOAT_EQ(OverlayProximityFade(f, panel.x + panel.w / 2.0f, panel.y + panel.h - 4.0f), 0.0f);
  EXPECT_FLOAT_EQ(OverlayProximityFade(f, panel.x + panel.w / 2.0f, panel.y + panel.h + 80.0f), 1.0f);
  gLearningOverlay = false;
  f = BuildLaneFrame(ComputeNoteFallStrip(), 0, 1.0f);
  EXPECT_FLOAT_EQ(OverlayProximityFade(f, panel.x + panel.w / 2.0f, panel.y + panel.h - 4.0f), 1.0f) << "no overlay";
}

// The hit line's ends: the two ring colours of the scale farthest apart; the root alone without a
// scale.
TEST(LaneColours, HitLineEndsFromTheScale) {
  float l[3], r[3];
  PickHitLineColours(nullptr, 7, l, r);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(l[i], r[i]);
  const ScaleRow* ionian = FindScaleRowByName("Ionian");
  ASSERT_NE(ionian, nullptr);
  PickHitLineColours(ionian, 0, l, r);
  float d = 0.0f;
  for (int i = 0; i < 3; ++i) d += (l[i] - r[i]) * (l[i] - r[i]);
  EXPECT_GT(d, 0.01f);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(l[i] >= 0.0f && l[i] <= 1.0f && r[i] >= 0.0f && r[i] <= 1.0f);
}

// The key highlight's rows, first match wins: a run greys unmarked keys, a hit key glows more than
// an upcoming one, and a key marked wrong turns red.
TEST(LaneColours, KeyHighlightDuringARun) {
  struct Case {
    LaneKeyMarks m;
    bool marked;
    bool red;
    bool grey;
  } cases[] = {
      {{false, false, 0, 0, 0, 0, false}, false, false, false},
      {{false, true, 0, 0, 0, 0, false}, true, false, false},
      {{true, false, 0.5f, 0, 0, 0, false}, true, false, false},
      {{true, false, 0, 0, 0.4f, 0, false}, true, false, false},
      {{true, false, 0, 0, 0, 0, false}, false, false, true},
      {{true, true, 0, 0, 0, 0.5f, true}, false, true, false},
      {{true, false, 0, 0, 0, 0.5f, false}, false, false, true},
  };
  for (bool black : {false, true})
    for (const Case& c : cases) {
      float r = 0.3f, g = 0.6f, b = 0.9f, a = 0.5f;
      bool marked = !c.marked;
      AdjustLaneKeyHighlight(black, c.m, 1.0f, &r, &g, &b, &a, &marked);
      EXPECT_EQ(marked, c.marked);
      if (c.red) EXPECT_TRUE(r == 1.0f && g < 0.2f && b < 0.2f);
      if (c.grey) EXPECT_TRUE(std::fabs(r - g) < 0.03f && std::fabs(g - b) < 0.05f);
      EXPECT_TRUE(a >= 0.0f && a <= 1.0f);
    }
}

}  // namespace
