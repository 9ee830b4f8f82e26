// The layout rectangles at four window sizes and in every view mode, with values worked out by hand
// from the layout rules: the UI scale's clamp, the circle, the side panel, the toolbar pair with its
// shrink when the song view adds a button, the lower panel, the slider panel, the control band at
// three points of the board fade, the header box and the students panel with 0, 1, 30 and hundreds
// of students, its list turned to the last of them.
// The practice strip the band stands on is handed in as the board's record gives it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/slider_panel.h"

namespace {

using R = RectF;
struct Band {
  R band, middle, bottom;   // the whole band (its top row shares x, y and width), the two lower rows
};
struct Panel {
  R rect;
  int rows, compact;
};
struct SizeCase {
  int w, h;
  float s;
  float circle[3], learningCircle[3];   // centre x, centre y, radius
  R side, strip;
  R tb6, tb7, songTb6, songTb7, lower;
  R sliderPanel, slider0, slider11;
  Band band[3];                         // board fade 0, 0.5, 1
  R header[3];                          // 0, 1 (5-byte name), 30 students (40-byte name)
  Panel students[3];
};

const SizeCase kSizes[] = {
    {1600, 900, 1,
     {391, 423, 333}, {321.736, 387, 263.736},
     {912.32, 12, 592.48, 876}, {911.32, 160.44, 594.48, 522},
     {1521.28, 384.4, 47.04, 47.04}, {1521.28, 455.44, 47.04, 47.04}, {1521.28, 384.4, 47.04, 47.04}, {1521.28, 455.44, 47.04, 47.04}, {911.32, 696.44, 594.48, 168.56},
     {310, 219, 980, 462}, {332, 281, 459, 55}, {809, 606, 459, 55},
     {{{911.32, 10, 594.48, 138.2}, {911.32, 51.6, 594.48, 52}, {911.32, 109.2, 594.48, 39}}, {{712.9848, 17.27, 570.7008, 115.9}, {712.9848, 58.87, 570.7008, 52}, {712.9848, 113.67, 570.7008, 19.5}}, {{526.5392, 10, 546.9216, 93.6}, {526.5392, 51.6, 546.9216, 52}, {526.5392, 103.6, 546.9216, 0}}},
     {{10, 10, 33.06, 29}, {10, 10, 160, 29}, {10, 10, 317.6, 29}},
     {{{10, 49, 464.94, 118}, 0, 0}, {{10, 49, 464.94, 156}, 1, 0}, {{10, 26, 464.94, 866}, 16, 14}}},
    {1280, 720, 0.8,
     {314.8, 338.4, 266.4}, {259.3888, 309.6, 210.9888},
     {733.36, 12, 468.88, 696}, {732.36, 133.24, 470.88, 418},
     {1215.92, 311.2, 38.64, 38.64}, {1215.92, 369.84, 38.64, 38.64}, {1215.92, 311.2, 38.64, 38.64}, {1215.92, 369.84, 38.64, 38.64}, {732.36, 562.44, 470.88, 127.56},
     {230.4, 156, 819.2, 408}, {248.4, 208, 383.6, 50}, {648, 498, 383.6, 50},
     {{{732.36, 8, 470.88, 122}, {732.36, 47, 470.88, 50}, {732.36, 102, 470.88, 28}}, {{573.1688, 8, 452.0448, 109.5}, {573.1688, 47, 452.0448, 50}, {573.1688, 99.5, 452.0448, 18}}, {{423.3952, 8, 433.2096, 89}, {423.3952, 47, 433.2096, 50}, {423.3952, 97, 433.2096, 0}}},
     {{8, 8, 30.78, 27}, {8, 8, 160, 27}, {8, 8, 296.8, 27}},
     {{{8, 43, 371.952, 100.4}, 0, 0}, {{8, 43, 371.952, 131.6}, 1, 0}, {{8, 27.6, 371.952, 684.4}, 15, 15}}},
    {1000, 600, 0.78,
     {250.5, 282, 210.5}, {206.716, 258, 166.716},
     {588.8, 12, 334.96, 576}, {587.8, 136.854, 336.96, 312.192},
     {940.9298, 270.4558, 31.66049, 31.66049}, {940.9298, 318.5037, 31.66049, 31.66049}, {942.8652, 275.3284, 27.78964, 27.78964}, {942.8652, 317.5019, 27.78964, 27.78964}, {587.8, 459.966, 336.96, 110.034},
     {150, 96, 700, 408}, {168, 148, 324, 50}, {508, 438, 324, 50},
     {{{587.8, 8, 336.96, 124.854}, {587.8, 47, 336.96, 50}, {587.8, 102, 336.96, 30.854}}, {{456.78, 9.677, 348.48, 109.5}, {456.78, 48.677, 348.48, 50}, {456.78, 101.177, 348.48, 18}}, {{320, 8, 360, 89}, {320, 47, 360, 50}, {320, 97, 360, 0}}},
     {{8, 8, 30.78, 27}, {8, 8, 160, 27}, {8, 8, 296.8, 27}},
     {{{8, 43, 362.6532, 100.24}, 0, 0}, {{8, 43, 362.6532, 131.36}, 1, 0}, {{8, 18.72, 362.6532, 573.28}, 10, 20}}},
    {2560, 1440, 1,
     {715.92, 676.8, 532.8}, {588.096, 619.2, 421.9776},
     {1499.312, 12, 709.5, 1416}, {1498.312, 381.84, 711.5, 522},
     {2225.292, 605.8, 47.04, 47.04}, {2225.292, 676.84, 47.04, 47.04}, {2225.292, 605.8, 47.04, 47.04}, {2225.292, 676.84, 47.04, 47.04}, {1498.312, 917.84, 711.5, 250},
     {790, 489, 980, 462}, {812, 551, 459, 55}, {1289, 876, 459, 55},
     {{{1498.312, 223.64, 711.5, 138.2}, {1498.312, 265.24, 711.5, 52}, {1498.312, 322.84, 711.5, 39}}, {{1218.396, 127.97, 683.04, 115.9}, {1218.396, 169.57, 683.04, 52}, {1218.396, 224.37, 683.04, 19.5}}, {{952.71, 10, 654.58, 93.6}, {952.71, 51.6, 654.58, 52}, {952.71, 103.6, 654.58, 0}}},
     {{10, 10, 33.06, 29}, {10, 10, 160, 29}, {10, 10, 317.6, 29}},
     {{{10, 49, 464.94, 118}, 0, 0}, {{10, 49, 464.94, 156}, 1, 0}, {{10, 49, 464.94, 1258}, 30, 0}}},
};

// What the floors above would tell the layout; set per case.
LayoutFacts gFacts;
void TestFacts(LayoutFacts* out) { *out = gFacts; }

void ExpectRect(const RectF& got, const RectF& want, const std::string& what) {
  EXPECT_NEAR(got.x, want.x, 0.02f) << what;
  EXPECT_NEAR(got.y, want.y, 0.02f) << what;
  EXPECT_NEAR(got.w, want.w, 0.02f) << what;
  EXPECT_NEAR(got.h, want.h, 0.02f) << what;
}

bool IsHidden(const RectF& r) { return r.x == kHiddenRect.x && r.y == kHiddenRect.y && r.w == 0 && r.h == 0; }

// Every control rectangle: hidden exactly, or shown inside the window.
std::vector<const RectF*> Controls() {
  std::vector<const RectF*> all = {
      &gToolbarRects[6], &gToolbarRects[7], &gToolbarToggleHitRect, &gPracticeRunSlotRect, &gStudentHeaderRect,
      &gStudentsButtonRect, &gSideListStudentsButtonRect, &gSliderPanelButtonRect, &gLearningButtonRect,
      &gSongViewButtonRect, &gMetronomeStopRect, &gUnloadSongRect, &gFileButtonRect, &gSightReadingButtonRect,
      &gPlayModeButtonRect, &gPreviousButtonRect, &gPlayButtonRect, &gNextButtonRect, &gSeekBarRect,
      &gSpeedSliderRect, &gRepeatButtonRect, &gShuffleButtonRect, &gClearLoopButtonRect, &gFileMenuRect,
      &gFileMenuOpenFileRect, &gFileMenuOpenFolderRect, &gStudentsPanelRect, &gStudentNameEntryRect,
      &gAddStudentButtonRect, &gPlacementQuizButtonRect};
  for (auto* list : {&gStudentRowRects, &gStudentSwatchRects, &gStudentNameRects, &gStudentBinRects, &gCompactStudentRects})
    for (const RectF& r : *list) all.push_back(&r);
  return all;
}

void ExpectControlsSound(const std::string& what) {
  float W = (float)gClientWidth, H = (float)gClientHeight;
  for (const RectF* r : Controls()) {
    if (r->w <= 2.0f || r->h <= 2.0f) {
      EXPECT_TRUE(IsHidden(*r)) << what << ": a control too small to use must be hidden";
      for (int x : {0, gClientWidth / 2, gClientWidth - 1})
        for (int y : {0, gClientHeight / 2, gClientHeight - 1}) EXPECT_FALSE(PointInRect(*r, x, y)) << what;
      continue;
    }
    EXPECT_GE(r->x, 0.0f) << what;
    EXPECT_GE(r->y, 0.0f) << what;
    EXPECT_LE(r->x + r->w, W) << what;
    EXPECT_LE(r->y + r->h, H) << what;
  }
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewModes();
    ResetStudentListView();
    ResetHitRegions();
    gLayoutFactsHook = TestFacts;
  }
  void TearDown() override {
    gLayoutFactsHook = nullptr;
    ResetViewModes();
    ResetStudentListView();
  }
  void Use(const SizeCase& c, int students, int nameBytes) {
    gClientWidth = c.w;
    gClientHeight = c.h;
    gFacts = LayoutFacts{};
    gFacts.practiceStrip = c.strip;
    gFacts.studentCount = students;
    gFacts.activeNameBytes = nameBytes;
    gFacts.songLoaded = true;
  }
};

enum Mode { kPlain, kSong, kPractice, kLearning, kRing };
const char* const kModeNames[] = {"plain", "song", "practice", "learning", "ring"};

void SetMode(Mode m) {
  ResetViewModes();
  gSongView = m == kSong || m == kPractice;
  gPracticeMode = m == kPractice;
  gPracticeModeFade = m == kPractice ? 1.0f : 0.0f;
  gLearningOverlay = m == kLearning;
  gRingMode = m == kRing;
}

TEST_F(LayoutTest, EveryModeAtEverySize) {
  for (const SizeCase& c : kSizes) {
    for (Mode mode : {kPlain, kSong, kPractice, kLearning, kRing}) {
      std::string what = std::to_string(c.w) + " x " + std::to_string(c.h) + " " + kModeNames[mode];
      Use(c, 1, 5);
      SetMode(mode);
      RelayoutAll();
      EXPECT_NEAR(GetUiScale(), c.s, 1e-5f) << what;
      float cx, cy, minSide, radius, inner, innermost;
      ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);
      const float* circle = mode == kLearning ? c.learningCircle : c.circle;
      EXPECT_NEAR(cx, circle[0], 0.02f) << what;
      EXPECT_NEAR(cy, circle[1], 0.02f) << what;
      EXPECT_NEAR(radius, circle[2], 0.02f) << what;
      if (mode != kLearning) {
        RectF side;
        ComputeSidePanelRect(&side.x, &side.y, &side.w, &side.h);
        ExpectRect(side, c.side, what + " side panel");
      }

      bool toolbar = mode == kPlain || mode == kSong;
      ExpectRect(gToolbarRects[6], toolbar ? (mode == kSong ? c.songTb6 : c.tb6) : kHiddenRect, what + " button 6");
      ExpectRect(gToolbarRects[7], toolbar ? (mode == kSong ? c.songTb7 : c.tb7) : kHiddenRect, what + " button 7");
      ExpectRect(gPracticeRunSlotRect, gToolbarRects[6], what + " practice-run place");
      if (toolbar) ExpectRect(gToolbarToggleHitRect, gToolbarRects[7], what + " toggle target");
      for (int i = 0; i < 6; ++i) EXPECT_TRUE(IsHidden(gToolbarRects[i])) << what;
      ExpectRect(gLowerPanelRect, mode == kPlain ? c.lower : kHiddenRect, what + " lower panel");
      ExpectRect(gSliderPanelRect, c.sliderPanel, what + " slider panel");
      ExpectRect(gSliderRects[0], c.slider0, what + " slider 0");
      ExpectRect(gSliderRects[11], c.slider11, what + " slider 11");
      const Band& band = c.band[mode == kPractice ? 2 : 0];
      ExpectRect(gControlBandRect, band.band, what + " band");
      ExpectRect(gBandTopRowRect, {band.band.x, band.band.y, band.band.w, gBandTopRowRect.h}, what + " top row");
      ExpectRect(gBandMiddleRowRect, band.middle, what + " middle row");
      ExpectRect(gBandBottomRowRect, band.bottom, what + " bottom row");
      if (mode != kPractice)   // where the band stands above the strip, its buttons end above its frame
        EXPECT_LE(gBandBottomRowRect.y + gBandBottomRowRect.h, c.strip.y - 2.0f) << what;
      ExpectRect(gStudentHeaderRect, mode == kPractice ? kHiddenRect : c.header[1], what + " header");
      // The learning and song-view buttons are the way into those views: shown wherever they can act.
      EXPECT_EQ(IsHidden(gLearningButtonRect), mode == kPractice || mode == kRing) << what;
      EXPECT_EQ(IsHidden(gSongViewButtonRect), mode == kPractice || mode == kRing) << what;
      EXPECT_TRUE(IsHidden(gHeaderRowFirstRect) && IsHidden(gHeaderRowSecondRect) && IsHidden(gLaneAnchorRect));
      EXPECT_EQ(IsHidden(gSliderPanelButtonRect), mode != kPractice) << what;
      // The overlay takes no clicks on the header buttons and transport: they are not shown there.
      EXPECT_EQ(IsHidden(gSeekBarRect), mode == kLearning) << what;
      EXPECT_EQ(IsHidden(gStudentsButtonRect), mode == kLearning || mode == kPractice) << what;
      EXPECT_EQ(IsHidden(gSideListStudentsButtonRect), mode != kLearning) << what;
      ExpectControlsSound(what);
    }
  }
}

TEST_F(LayoutTest, BandFollowsTheBoardFade) {
  for (const SizeCase& c : kSizes) {
    const float fades[] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; ++i) {
      std::string what = std::to_string(c.w) + " x " + std::to_string(c.h) + " f " + std::to_string(fades[i]);
      Use(c, 1, 5);
      SetMode(kPlain);
      gPracticeModeFade = fades[i];
      LayoutHitRegions();
      ExpectRect(gControlBandRect, c.band[i].band, what + " band");
      ExpectRect(gBandMiddleRowRect, c.band[i].middle, what + " middle row");
      ExpectRect(gBandBottomRowRect, c.band[i].bottom, what + " bottom row");
      // The playlist row goes with the shrinking bottom row; the transport stays.
      EXPECT_EQ(IsHidden(gRepeatButtonRect), i > 0) << what;  // too low for a button from half way
      EXPECT_FALSE(IsHidden(gSeekBarRect)) << what;
      // The transport fits its row, and the seek bar lies between the buttons and the speed slider.
      EXPECT_GT(gSeekBarRect.x, gNextButtonRect.x + gNextButtonRect.w) << what;
      EXPECT_LT(gSeekBarRect.x + gSeekBarRect.w, gSpeedSliderRect.x) << what;
      ExpectControlsSound(what);
    }
  }
}

// The day toggle's press area is the toolbar's button 7 also after a pass of the hit regions alone
// (the practice-mode fade lays out only those): left in the corner, it took the presses of what
// stands there and the drawn button did nothing.
TEST_F(LayoutTest, TheDayToggleStaysOnItsToolbarButton) {
  for (const SizeCase& c : kSizes) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    Use(c, 1, 5);
    SetMode(kPlain);
    gPracticeModeFade = 0.0f;
    RelayoutAll();
    if (gToolbarRects[7].w <= 2.0f) continue;   // no toolbar at this size
    ExpectRect(gToolbarToggleHitRect, gToolbarRects[7], "after the whole layout");
    gPracticeModeFade = 0.4f;
    LayoutHitRegions();
    ExpectRect(gToolbarToggleHitRect, gToolbarRects[7], "during the fade");
  }
}

TEST_F(LayoutTest, StudentsPanelListsEveryStudentWhoFits) {
  const int counts[] = {0, 1, 30};
  const int nameBytes[] = {0, 5, 40};
  for (const SizeCase& c : kSizes) {
    for (int i = 0; i < 3; ++i) {
      std::string what = std::to_string(c.w) + " x " + std::to_string(c.h) + " with " + std::to_string(counts[i]);
      Use(c, counts[i], nameBytes[i]);
      SetMode(kPlain);
      gStudentListOpen = true;
      RelayoutAll();
      ExpectRect(gStudentHeaderRect, c.header[i], what + " header");
      ExpectRect(gStudentsPanelRect, c.students[i].rect, what + " panel");
      ASSERT_EQ((int)gStudentRowRects.size(), c.students[i].rows) << what;
      EXPECT_EQ(gStudentRowStudents.size(), gStudentRowRects.size());
      EXPECT_EQ(gStudentSwatchRects.size(), gStudentRowRects.size());
      EXPECT_EQ(gStudentBinRects.size(), gStudentRowRects.size());
      EXPECT_EQ((int)gCompactStudentRects.size(), c.students[i].compact) << what;
      for (int r = 0; r < c.students[i].rows; ++r) {
        EXPECT_EQ(gStudentRowStudents[(size_t)r], r);
        const RectF& row = gStudentRowRects[(size_t)r];
        EXPECT_TRUE(PointInRect(row, (int)(gStudentSwatchRects[(size_t)r].x + 1), (int)row.y + 2)) << what;
        EXPECT_LT(gStudentNameRects[(size_t)r].x + gStudentNameRects[(size_t)r].w, gStudentBinRects[(size_t)r].x);
      }
      for (size_t k = 0; k < gCompactStudentIndices.size(); ++k)
        EXPECT_EQ(gCompactStudentIndices[k], c.students[i].rows + (int)k);
      // The entry, the add and the quiz buttons close the panel.
      const RectF& p = gStudentsPanelRect;
      EXPECT_LE(gPlacementQuizButtonRect.y + gPlacementQuizButtonRect.h, p.y + p.h + 0.01f) << what;
      ExpectControlsSound(what);
    }
  }
}

// However many students there are, the first keeps a full row with its swatch, name and bin
// inside the panel and the window: only a row lets a student be recoloured or deleted.
TEST_F(LayoutTest, ManyStudentsLeaveAFullRowInThePanel) {
  std::vector<SizeCase> sizes(std::begin(kSizes), std::end(kSizes));
  SizeCase tall = kSizes[1];
  tall.h = 2000;
  sizes.push_back(tall);
  for (const SizeCase& c : sizes) {
    for (int count : {60, 200, 1000}) {
      std::string what = std::to_string(c.w) + " x " + std::to_string(c.h) + " with " + std::to_string(count);
      Use(c, count, 26);
      SetMode(kPlain);
      gStudentListOpen = true;
      RelayoutAll();
      ASSERT_GE(gStudentRowRects.size(), 1u) << what;
      EXPECT_EQ(gStudentRowStudents[0], 0) << what;
      const RectF& p = gStudentsPanelRect;
      const RectF* parts[] = {&gStudentRowRects[0], &gStudentSwatchRects[0], &gStudentNameRects[0],
                              &gStudentBinRects[0]};
      for (const RectF* r : parts) {
        EXPECT_GT(r->w, 2.0f) << what;
        EXPECT_GE(r->x, p.x) << what;
        EXPECT_GE(r->y, p.y) << what;
        EXPECT_LE(r->x + r->w, p.x + p.w) << what;
        EXPECT_LE(r->y + r->h, p.y + p.h) << what;
      }
      // The chips follow the rows and end above the entry.
      for (size_t k = 0; k < gCompactStudentIndices.size(); ++k)
        EXPECT_EQ(gCompactStudentIndices[k], (int)gStudentRowRects.size() + (int)k) << what;
      if (!gCompactStudentRects.empty())
        EXPECT_LE(gCompactStudentRects.back().y + gCompactStudentRects.back().h, gStudentNameEntryRect.y) << what;
      EXPECT_LE(gPlacementQuizButtonRect.y + gPlacementQuizButtonRect.h, p.y + p.h + 0.01f) << what;
      ExpectControlsSound(what);
    }
  }
}

// More students than the panel holds (76 at 1600 x 900): the wheel turns the list a line of chips a
// notch, the full row taking the first student listed and every chip keeping its place, down to the
// last student and no further. A list that shrinks stops at its new last; the turn kept comes back
// when it grows again. The first wheel notch back up moves from where the list is drawn.
TEST_F(LayoutTest, TheWheelTurnsALongStudentListToItsLast) {
  Use(kSizes[0], 120, 10);
  SetMode(kPlain);
  gStudentListOpen = true;
  RelayoutAll();
  ASSERT_EQ(gStudentRowStudents, std::vector<int>{0});
  const std::vector<RectF> chips = gCompactStudentRects;
  const RectF panel = gStudentsPanelRect, row = gStudentRowRects[0];
  ASSERT_EQ(chips.size(), 75u);
  auto turn = [](float notches) {
    ScrollStudentsPanel(notches);
    RelayoutAll();
  };
  turn(1.0f);
  EXPECT_EQ(gStudentRowStudents[0], 0) << "nothing above the first";
  turn(-1.0f);
  EXPECT_EQ(gStudentRowStudents[0], 3);
  EXPECT_EQ(gCompactStudentIndices.front(), 4);
  EXPECT_EQ(gCompactStudentIndices.back(), 78);
  turn(-100.0f);
  EXPECT_EQ(gStudentRowStudents[0], 45);
  ASSERT_EQ(gCompactStudentIndices.size(), 74u);
  EXPECT_EQ(gCompactStudentIndices.back(), 119);
  ExpectRect(gStudentsPanelRect, panel, "the panel keeps its size");
  ExpectRect(gStudentRowRects[0], row, "the row keeps its place");
  for (size_t k = 0; k < gCompactStudentRects.size(); ++k) {
    ExpectRect(gCompactStudentRects[k], chips[k], "chip " + std::to_string(k));
    EXPECT_EQ(gCompactStudentIndices[k], 46 + (int)k);
  }
  ExpectControlsSound("turned to the end");

  gFacts.studentCount = 100;
  RelayoutAll();
  EXPECT_EQ(gStudentRowStudents[0], 24);
  EXPECT_EQ(gCompactStudentIndices.back(), 99);
  gFacts.studentCount = 120;
  RelayoutAll();
  EXPECT_EQ(gCompactStudentIndices.back(), 119) << "the turn was kept";
  gFacts.studentCount = 100;
  RelayoutAll();
  turn(1.0f);
  EXPECT_EQ(gStudentRowStudents[0], 21);
  turn(-0.6f);
  EXPECT_EQ(gStudentRowStudents[0], 24) << "most of a notch on, rounded";

  // A colour wheel open beside the row goes with the row.
  gSelectedStudentRow = 24;
  gColourPopupOpen = true;
  turn(1.0f);
  EXPECT_FALSE(gColourPopupOpen);
  EXPECT_EQ(gSelectedStudentRow, -1);

  // Turned back to the top by the reset.
  ResetHitRegions();
  RelayoutAll();
  EXPECT_EQ(gStudentRowStudents[0], 0);
}

// The panel asked to show a student turns its list as little as lists that student, from the top or
// from lines down; one listed already, or none, leaves the list where it is. The ask holds for one
// layout: the wheel then turns the list away from the student.
TEST_F(LayoutTest, ThePanelTurnsToTheStudentItIsAskedToShow) {
  Use(kSizes[0], 120, 10);
  SetMode(kPlain);
  gStudentListOpen = true;
  const struct { int linesDown, student, firstListed; } cases[] = {
      {0, 119, 45}, {0, 100, 27}, {0, 75, 0}, {0, 76, 3},   {10, 5, 3},
      {10, 30, 30}, {10, 105, 30}, {10, 106, 33}, {10, -1, 30}, {10, 120, 30},
  };
  for (const auto& c : cases) {
    ResetHitRegions();
    RelayoutAll();
    ScrollStudentsPanel(-(float)c.linesDown);
    ShowStudentInPanel(c.student);
    RelayoutAll();
    EXPECT_EQ(gStudentRowStudents[0], c.firstListed) << c.linesDown << " lines down, asked for " << c.student;
  }
  ShowStudentInPanel(119);
  RelayoutAll();
  ScrollStudentsPanel(100.0f);
  RelayoutAll();
  EXPECT_EQ(gStudentRowStudents[0], 0);
}

TEST_F(LayoutTest, PracticeModeClosesThePanelAndHidesTheHeader) {
  Use(kSizes[0], 2, 5);
  SetMode(kPractice);
  gStudentListOpen = gStudentView = true;
  gStudentNameEntryActive = true;
  gHighlightRowId = 1;
  RelayoutAll();
  EXPECT_TRUE(IsHidden(gStudentHeaderRect));
  EXPECT_FALSE(gStudentListOpen || gStudentView || gStudentNameEntryActive);
  EXPECT_EQ(gHighlightRowId, -1);
  EXPECT_TRUE(gStudentRowRects.empty() && IsHidden(gStudentsPanelRect));
}

TEST_F(LayoutTest, AColourPopupOfAnUnlistedRowCloses) {
  Use(kSizes[2], 30, 5);
  SetMode(kPlain);
  gStudentListOpen = gColourPopupOpen = gColourWheelDrag = true;
  gSelectedStudentRow = 3;   // a full row: kept
  RelayoutAll();
  EXPECT_TRUE(gColourPopupOpen);
  gSelectedStudentRow = 25;  // in the compact list: no row to stand beside
  RelayoutAll();
  EXPECT_FALSE(gColourPopupOpen || gColourWheelDrag);
  EXPECT_EQ(gSelectedStudentRow, -1);
}

TEST_F(LayoutTest, MouseInRectIncludesEdgesAndNeverFindsAHiddenRect) {
  const RectF r{10, 20, 30, 40};
  const struct { int x, y; bool in; } points[] = {{10, 20, true}, {40, 60, true}, {41, 60, false}, {9, 30, false}};
  for (const auto& p : points) {
    gMouseX = p.x;
    gMouseY = p.y;
    EXPECT_EQ(IsMouseInRect(&r), p.in) << p.x << ", " << p.y;
    EXPECT_FALSE(IsMouseInRect(&kHiddenRect));
  }
}

TEST_F(LayoutTest, FileMenuHangsBelowItsButton) {
  Use(kSizes[0], 1, 5);
  SetMode(kPlain);
  gFileMenuOpen = true;
  RelayoutAll();
  EXPECT_GT(gFileMenuRect.y, gFileButtonRect.y + gFileButtonRect.h);
  EXPECT_TRUE(PointInRect(gFileMenuRect, (int)gFileMenuOpenFolderRect.x + 2, (int)gFileMenuOpenFolderRect.y + 2));
  gFileMenuOpen = false;
  RelayoutAll();
  EXPECT_TRUE(IsHidden(gFileMenuRect) && IsHidden(gFileMenuOpenFileRect));
}

}  // namespace
