// The circle view's logic without GL: its opacity, the key marker, the chord trail's column (clear
// of the toolbar and the board) and names over their lives, and the pattern labels' stacking and
// styles.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/ring_key_drag.h"
#include "app/base/view_modes.h"
#include "app/chord_trail.h"
#include "app/circle_view.h"
#include "app/floor_links.h"
#include "app/pattern_list.h"
#include "board/board_layout.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_selection.h"
#include "visual/ring_labels.h"

namespace {

class CircleView : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    ResetViewModes();
    ResetScaleSelection();
    ResetCircleView();
    gRingDragging = false;
    gRingDragPos = -1;
    gClientWidth = 1440;
    gClientHeight = 920;
  }
  static RingLabel Entry(uint32_t quality, uint32_t timeMs) { return {"C", timeMs, 0.8f, 0.3f, 0.3f, quality, 0}; }
};

TEST_F(CircleView, TheViewFadesForPracticeModeAndTheSongView) {
  EXPECT_EQ(gCircleAlpha, 1.0f);  // before the first frame
  EXPECT_EQ(ComputeCircleAlpha(), 1.0f);
  gSongViewFade = 0.25f;
  EXPECT_FLOAT_EQ(ComputeCircleAlpha(), 0.75f);
  gPracticeModeFade = 0.5f;  // practice mode fading out, no overlay: transparent
  EXPECT_EQ(ComputeCircleAlpha(), 0.0f);
  gLearningOverlay = true;
  EXPECT_FLOAT_EQ(ComputeCircleAlpha(), 0.75f);
  gPracticeMode = true;
  EXPECT_EQ(ComputeCircleAlpha(), 0.0f);
}

TEST_F(CircleView, TheKeyMarkerSitsOnTheKeysSectorAndFollowsTheDrag) {
  gKeyRoot = 0;
  KeyMarkerPlace k = ComputeKeyMarker(500, 400, 900, 300, 10.0f);  // first shown now: no bob yet
  EXPECT_NEAR(k.x, 500, 1e-3);
  EXPECT_NEAR(k.y, 400 - 300 - 16.2f, 1e-3);  // at a sector's middle the dot sits furthest out
  EXPECT_NEAR(k.dotRadius, 3.78f, 1e-4);
  EXPECT_NEAR(k.grabRadius, 3.78f + 5.4f, 1e-4);
  gKeyRoot = 2;  // D: two positions clockwise
  k = ComputeKeyMarker(500, 400, 900, 300, 10.0f);
  EXPECT_NEAR(k.angle, 2 * 0.5235988f - 1.5707964f, 1e-5);
  gRingDragging = true;
  gRingDragPos = 6;
  k = ComputeKeyMarker(500, 400, 900, 300, 11.0f);
  EXPECT_NEAR(k.x, 500, 1e-3);
  EXPECT_NEAR(k.y, 400 + 316.2f, 1e-3);  // dragging: at the full reach, no bob
}

TEST_F(CircleView, TheColumnStandsAtTheRightOrBesideTheCircle) {
  TrailColumn c = ComputeTrailColumn(0);
  EXPECT_NEAR(c.colRight, 1440 - 12.6f, 1e-3);
  EXPECT_NEAR(c.colLeft, 1440 - 12.6f - (16 * 7.92f + 21.6f), 1e-3);
  EXPECT_NEAR(c.mid, 0.53f * 920, 1e-3);
  EXPECT_GE(c.travel, 104.0f);
  gLearningOverlay = true;
  TrailColumn beside = ComputeTrailColumn(0);
  float cx, cy, m, R, Ri, Rm;
  ComputeCircleLayout(&cx, &cy, &m, &R, &Ri, &Rm);
  EXPECT_GT(beside.colLeft, cx + R);
  EXPECT_LE(beside.colRight, 1440.0f);
  EXPECT_GE(beside.colRight - beside.colLeft, 120.0f);
}

// In the program's own layout the toolbar stands at the window's right edge: the names go to the
// free band between the circle and the board, over neither the toolbar nor the board.
TEST_F(CircleView, WithTheToolbarAtTheEdgeTheColumnStandsBetweenCircleAndBoard) {
  ConnectFloors();
  for (auto [w, h] : {std::pair{1440, 920}, std::pair{1920, 1080}, std::pair{1120, 720}}) {
    gClientWidth = w;
    gClientHeight = h;
    RelayoutAll();
    ASSERT_GT(gToolbarPanelRect.w, 1.0f);
    BoardLayout board;
    ComputeBoardLayout(&board);
    float cx, cy, m, R, Ri, Rm;
    ComputeCircleLayout(&cx, &cy, &m, &R, &Ri, &Rm);
    TrailColumn c = ComputeTrailColumn(10);
    EXPECT_GT(c.colLeft, cx + R) << w;
    EXPECT_LT(c.colRight, board.panelX) << w;
    EXPECT_GE(c.colRight - c.colLeft, 62.0f) << w;
    for (const RectF& r : {gToolbarRects[6], gToolbarRects[7], gToolbarPanelRect})
      EXPECT_TRUE(c.colRight <= r.x || c.colLeft >= r.x + r.w) << w;
  }
  gClientWidth = 1440;
  gClientHeight = 920;
  RelayoutAll();
}

TEST_F(CircleView, TrailNamesLiveByTheirQuality) {
  TrailColumn c = ComputeTrailColumn(0);
  struct Case { uint32_t quality; float age; bool shown; bool visible; } cases[] = {
      {0, 2.9f, true, true},  {0, 3.0f, true, false}, {0, 3.95f, false, false},
      {1, 3.0f, true, true},  {1, 3.05f, true, true}, {1, 3.8f, true, false}, {1, 3.91f, false, false},
  };
  for (const Case& k : cases) {
    TrailEntryLook look;
    uint32_t now = 100000;
    bool shown = ComputeTrailEntryLook(Entry(k.quality, now - (uint32_t)std::lround(k.age * 1000)), 0, now, c, 0.5f,
                                       false, &look);
    EXPECT_EQ(shown, k.shown) << k.quality << " at " << k.age;
    if (shown) {
      EXPECT_EQ(look.alpha > 0.0005f, k.visible) << k.quality << " at " << k.age << " " << look.alpha;
    }
  }
  // Major names rise, minor ones fall.
  TrailEntryLook up, down;
  ComputeTrailEntryLook(Entry(0, 99000), 0, 100000, c, 0.5f, true, &up);
  ComputeTrailEntryLook(Entry(1, 99000), 0, 100000, c, 0.5f, true, &down);
  EXPECT_LT(up.y, c.y0);
  EXPECT_GT(down.y, c.y0);
  EXPECT_EQ(down.offset, -1.0f);
}

// A held chord's renewals are one name: only the newest of a run is drawn, still at its start until
// the next renewal was due, then ageing. The strike's second record is part of its run; the same
// chord struck again later is a name of its own.
TEST_F(CircleView, AHeldChordsRenewalsAreOneName) {
  auto entry = [](const char* text, uint32_t timeMs, bool repeat) {
    return RingLabel{text, timeMs, 0.8f, 0.3f, 0.3f, 0, (uint8_t)(repeat ? 1 : 0)};
  };
  // Am struck at 10000; C struck at 11000 (recorded again 68 ms on, its notes still young) and
  // renewed every 115 ms; C struck again at 11600 and renewed once; then G struck.
  const std::vector<RingLabel> labels = {
      entry("Am", 10000, false), entry("C", 11000, false), entry("C", 11068, false), entry("C", 11183, true),
      entry("C", 11298, true),   entry("C", 11600, false), entry("C", 11715, true),  entry("G", 12000, false)};
  struct Case {
    size_t index;
    uint32_t now;
    bool shown;
    uint32_t age;
    int phase;
  } cases[] = {
      {0, 12000, true, 2000, 0},                                             // a name of its own
      {1, 12000, false, 0, 0},  {2, 12000, false, 0, 0}, {3, 12000, false, 0, 0},  // renewed later
      {4, 11298, true, 0, 1},   {4, 11413, true, 0, 1},                      // held: stands still
      {4, 11414, true, 1, 1},   {4, 12413, true, 1000, 1},                   // let go: ages
      {5, 12000, false, 0, 0},                                               // struck again, then renewed
      {6, 11800, true, 0, 5},   {6, 12000, true, 170, 5},
      {7, 12000, true, 0, 7},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "entry " << k.index << " at " << k.now);
    uint32_t age = 0;
    int phase = -1;
    ASSERT_EQ(ComputeTrailEntryAge(labels, k.index, k.now, &age, &phase), k.shown);
    if (!k.shown) continue;
    EXPECT_EQ(age, k.age);
    EXPECT_EQ(phase, k.phase);
  }
  uint32_t age = 0;
  int phase = -1;
  // A chord struck and let go at once: its two records are one name.
  const std::vector<RingLabel> struck = {entry("F", 30000, false), entry("F", 30068, false)};
  EXPECT_FALSE(ComputeTrailEntryAge(struck, 0, 30100, &age, &phase));
  ASSERT_TRUE(ComputeTrailEntryAge(struck, 1, 30236, &age, &phase));
  EXPECT_EQ(age, 100u);
  // A renewal that came late after a stalled frame keeps a let-go name still only briefly.
  const std::vector<RingLabel> stalled = {entry("C", 20000, false), entry("C", 22000, true)};
  ASSERT_TRUE(ComputeTrailEntryAge(stalled, 1, 23000, &age, &phase));
  EXPECT_EQ(age, 750u);
}

TEST_F(CircleView, DiminishedNamesFlashWhiteThenDarken) {
  TrailColumn c = ComputeTrailColumn(0);
  TrailEntryLook look;
  ComputeTrailEntryLook(Entry(2, 100000), 0, 100000, c, 0.5f, true, &look);
  EXPECT_FLOAT_EQ(look.flash, 1.0f);
  EXPECT_FLOAT_EQ(look.r, 1.0f);
  EXPECT_FLOAT_EQ(look.b, 1.0f);
  ComputeTrailEntryLook(Entry(2, 100000 - 450), 0, 100000, c, 0.5f, true, &look);  // 0.15 of its life
  EXPECT_EQ(look.flash, 0.0f);
  EXPECT_GT(look.dark, 0.0f);
  ComputeTrailEntryLook(Entry(2, 100000 - 1600), 0, 100000, c, 0.5f, true, &look);
  EXPECT_FLOAT_EQ(look.dark, 1.0f);
  EXPECT_EQ(look.r + look.g + look.b, 0.0f);
  EXPECT_LT(look.halo, 0.001f);
}

TEST_F(CircleView, PatternLabelsStackAtMostEightRowsAndChromaticRunsKeepOneLine) {
  TrailColumn c = ComputeTrailColumn(0);
  std::vector<PatternEvent> events;
  for (int i = 0; i < 12; ++i) events.push_back({i == 3 ? "a chromatic run" : "Scale", 50000u + 10u * (uint32_t)i});
  events.push_back({"Later", 50000 + 5000});
  PatternLabelLook look;
  const uint32_t now = 51000;
  ASSERT_TRUE(ComputePatternLabelLook(events, 0, now, c, 0.5f, false, &look));
  EXPECT_EQ(look.stackRows, 0);
  ComputePatternLabelLook(events, 5, now, c, 0.5f, false, &look);
  EXPECT_EQ(look.stackRows, 5);
  ComputePatternLabelLook(events, 11, now, c, 0.5f, false, &look);
  EXPECT_EQ(look.stackRows, 8);
  ComputePatternLabelLook(events, 3, now, c, 0.5f, false, &look);
  EXPECT_TRUE(look.chromatic);  // lower case selects the one-line style
  EXPECT_FALSE(ComputePatternLabelLook(events, 12, now, c, 0.5f, false, &look));  // not yet
  // Shown from 0.18 s, gone after 4.368 s more, 96 px higher by then; calm means flat gold.
  EXPECT_FALSE(ComputePatternLabelLook(events, 0, 50000 + 170, c, 0.5f, true, &look));
  ASSERT_TRUE(ComputePatternLabelLook(events, 0, 50000 + 181, c, 0.5f, true, &look));
  float start = look.y;
  EXPECT_EQ(look.halo, 0.0f);
  EXPECT_FLOAT_EQ(look.g, 0.76f);
  ASSERT_TRUE(ComputePatternLabelLook(events, 0, 50000 + 4540, c, 0.5f, true, &look));
  EXPECT_NEAR(start - look.y, 96.0f, 0.5f);
  EXPECT_FALSE(ComputePatternLabelLook(events, 0, 50000 + 4560, c, 0.5f, true, &look));
}

}  // namespace
