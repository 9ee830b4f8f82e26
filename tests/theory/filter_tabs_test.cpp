// The scale filter tabs: the filter's clamp, the re-pick of the current scale with and without a
// playing song, the end of the chromatic unlock, the panel's click rules with a click outside an
// open panel, and the list position under points far above and below the list.
#include <gtest/gtest.h>

#include "app/base/client_size.h"
#include "gfx/hit_regions.h"
#include "gfx/layout_facts.h"
#include "tests/theory/theory_fixture.h"
#include "theory/filter_tabs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

namespace {

bool gSongPlaying = false;
bool SongPlaying() { return gSongPlaying; }

// A board at 1600 x 900 as its layout record gives it.
void BoardFacts(LayoutFacts* out) {
  out->boardScale = 1.0f;
  out->boardGrid = {1048.32f, 211.44f, 446.48f, 460.0f};
  out->rowLabelX = 922.32f;
  out->rowLabelW = 126.0f;
  out->rowHeight = 64.0f;
  out->rowGap = 2.0f;
  out->keyRowHeight = 20.0f;
}

class FilterTabsTest : public TheoryTest {
 protected:
  void SetUp() override {
    TheoryTest::SetUp();
    ResetFilterTabs();
    gSongPlaying = false;
    gSongPlayingHook = SongPlaying;
    gLayoutFactsHook = BoardFacts;
    gClientWidth = 1600;
    gClientHeight = 900;
    gScaleFilter = 0;
    RebuildVisibleScales();
  }
  void TearDown() override {
    gSongPlayingHook = nullptr;
    gLayoutFactsHook = nullptr;
    ResetFilterTabs();
    gScaleFilter = 0;
    RebuildVisibleScales();
    TheoryTest::TearDown();
  }
  static int Centre(float a, float b) { return (int)(a + b / 2.0f); }
  // The tabs stand one under another with the same padding above the first as below the last.
  static void ExpectTabsStacked(const FilterPanelGeometry& g) {
    ASSERT_EQ(g.count, kFilterTabCount);
    const RectF& first = g.tabs[0].rect;
    const RectF& last = g.tabs[kFilterTabCount - 1].rect;
    EXPECT_GT(first.y, g.panel.y);
    EXPECT_NEAR(first.y - g.panel.y, g.panel.y + g.panel.h - (last.y + last.h), 0.01f);
    for (int i = 1; i < g.count; ++i) EXPECT_GT(g.tabs[i].rect.y, g.tabs[i - 1].rect.y + g.tabs[i - 1].rect.h - 0.01f);
  }
};

TEST_F(FilterTabsTest, FilterIsClampedToTheTabs) {
  SelectScaleFilter(9);
  EXPECT_EQ(gScaleFilter, 7);
  EXPECT_EQ(VisibleScaleCount(), kCatalogueSize);
  SelectScaleFilter(-2);
  EXPECT_EQ(gScaleFilter, 0);
  EXPECT_EQ(VisibleScaleCount(), 7);
}

TEST_F(FilterTabsTest, PentatonicSetRepicksWithoutASongAndOnlyMovesTheListWhileOnePlays) {
  UseScale(kRowIonian, 2);
  ValidateCurrentScale();
  SelectScaleFilter(4);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowMajorPentatonic]);
  EXPECT_EQ(gKeyRoot, 2);
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 0.0f);

  ResetScaleSelection();
  SelectScaleFilter(0);
  UseScale(kRowIonian, 2);
  ValidateCurrentScale();
  gSongPlaying = true;
  gScaleListScroll = gScaleListScrollTarget = 5.0f;
  SelectScaleFilter(4);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowIonian]);
  EXPECT_EQ(gCurrentScaleIndex, CatalogueIndexOf(&gScaleRows[kRowMajorPentatonic]));
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 0.0f);
  EXPECT_EQ(gPendingScaleRow, -1);
}

TEST_F(FilterTabsTest, ExoticSetEndsTheChromaticUnlock) {
  gAllNotesAllowedByFilter[0] = true;
  gAllNotesAllowed = gChromaticUnlocked = true;
  SelectScaleFilter(6);
  EXPECT_FALSE(gAllNotesAllowed);
  EXPECT_FALSE(gChromaticUnlocked);
  SelectScaleFilter(0);  // the unlock stays remembered for its own tab
  EXPECT_TRUE(gAllNotesAllowed);
  EXPECT_TRUE(gChromaticUnlocked) << "a falling run could no longer switch the allowance off";
}

TEST_F(FilterTabsTest, PanelClicksInListMode) {
  gScaleListMode = true;
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  ASSERT_TRUE(g.visible);
  ASSERT_EQ(g.count, kFilterTabCount);
  ExpectTabsStacked(g);
  EXPECT_FALSE(ClickFilterTabs(Centre(g.panel.x, g.panel.w), Centre(g.panel.y, g.panel.h)));  // closed
  EXPECT_TRUE(ClickFilterTabs(Centre(g.button.x, g.button.w), Centre(g.button.y, g.button.h)));
  EXPECT_TRUE(gFilterPanelOpen);
  const RectF& tab = g.tabs[5].rect;  // "Blues + Bebop Set"
  EXPECT_TRUE(ClickFilterTabs(Centre(tab.x, tab.w), Centre(tab.y, tab.h)));
  EXPECT_EQ(gScaleFilter, 5);
  EXPECT_FALSE(gFilterPanelOpen);
  // A click outside an open panel closes it and is taken.
  gFilterPanelOpen = true;
  EXPECT_TRUE(ClickFilterTabs(5, 880));
  EXPECT_FALSE(gFilterPanelOpen);
  EXPECT_EQ(gScaleFilter, 5);
  // A click on the panel's background is taken and changes nothing.
  gFilterPanelOpen = true;
  EXPECT_TRUE(ClickFilterTabs((int)g.panel.x + 2, (int)g.panel.y + 2));
  EXPECT_TRUE(gFilterPanelOpen);
  // Outside list mode the list's panel takes nothing but its button.
  gScaleListMode = false;
  gFilterPanelOpen = true;
  EXPECT_FALSE(ClickFilterTabs(5, 880));
}

TEST_F(FilterTabsTest, ListPositionUnderFarPoints) {
  // On the learning overlay the list has its own rows: a point far above or below its centre
  // takes the first or the last row.
  gLayoutFactsHook = [](LayoutFacts* out) {
    BoardFacts(out);
    out->staffPanelShown = true;
    out->staffPanel = {520.0f, 300.0f, 640.0f, 300.0f};
  };
  gLearningOverlay = gOverlayListChosen = true;
  SelectScaleFilter(7);
  gScaleListScroll = 2.0f;
  ScaleListLayout O = LayoutFilterTabs();
  ASSERT_TRUE(O.valid);
  int row = 99;
  ASSERT_TRUE(FilterTabAt(Centre(O.list.x, O.list.w), (int)O.list.y + 1, &row));
  EXPECT_EQ(row, 0);
  gScaleListScroll = 45.0f;
  ASSERT_TRUE(FilterTabAt(Centre(O.list.x, O.list.w), (int)(O.list.y + O.list.h) - 1, &row));
  EXPECT_EQ(row, kCatalogueSize - 1);
  // The overlay's own panel of tabs, beside its filter button.
  gOverlayFilterButtonRect = {16.0f, 15.0f, 70.0f, 30.0f};
  ExpectTabsStacked(ComputeFilterPanelGeometry());
  gOverlayFilterButtonRect = kHiddenRect;
  gLearningOverlay = gOverlayListChosen = false;
  gLayoutFactsHook = BoardFacts;

  // Beside the board the list is the label column, whose names are the grid's rows: a press on a
  // name picks that name, and a press above or below the rows the nearest one.
  gScaleListMode = true;
  gScaleListScroll = 10.0f;  // rows 7 to 13 in the slots
  ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  EXPECT_GE(L.list.x, 922.0f) << "the list leaves the board";
  EXPECT_LE(L.list.x + L.list.w, L.stripX);
  int x = Centre(L.list.x, L.list.w);
  for (int slot = 0; slot < 7; ++slot) {
    ASSERT_TRUE(FilterTabAt(x, (int)(211.44f + 66.0f * (float)slot + 32.0f), &row));
    EXPECT_EQ(row, 7 + slot);
  }
  ASSERT_TRUE(FilterTabAt(x, (int)L.list.y + 1, &row));
  EXPECT_EQ(row, 7);
  gScaleListScroll = 49.0f;  // the list's end: rows 43 to 49
  ASSERT_TRUE(FilterTabAt(x, (int)(L.list.y + L.list.h) - 1, &row));
  EXPECT_EQ(row, kCatalogueSize - 1);
  EXPECT_FALSE(FilterTabAt(x, 5, &row));  // above the list and the grid
  EXPECT_EQ(row, -1);
  // The filter button stands in the key names' band over the column, above the first row and
  // left of the grid.
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  EXPECT_LE(g.button.x + g.button.w, L.stripX);
  EXPECT_LE(g.button.y + g.button.h, 211.44f);
  EXPECT_GE(g.button.y, 211.44f - 20.0f);
  // On the board's rows: the slot under the point.
  gScaleListScroll = 0.0f;
  ASSERT_TRUE(FilterTabAt(1100, 211 + 66 + 10, &row));
  EXPECT_EQ(row, 1);
  // The strip hovers within its margin; not in practice mode.
  EXPECT_TRUE(HoverFilterTabs((int)L.stripX + 5, (int)L.stripTop + 10));
  EXPECT_FALSE(HoverFilterTabs((int)L.stripX + 40, (int)L.stripTop + 10));
  gPracticeMode = true;
  EXPECT_FALSE(FilterTabAt(x, (int)L.list.y + 1, &row));
}

// On the learning overlay a chosen filter tab brings the list up beside the staff panel: the panel
// makes room for it, so the list keeps its full width left of the panel, and takes it back when
// the tabs are up again.
TEST_F(FilterTabsTest, TheOverlayStaffMakesRoomForTheFilteredList) {
  gClientWidth = 1440;
  gClientHeight = 920;
  gLayoutFactsHook = [](LayoutFacts* out) { out->staffPanelShown = ComputeStaffPanelRect(&out->staffPanel); };
  gLearningOverlay = true;
  RectF alone;
  ASSERT_TRUE(ComputeStaffPanelRect(&alone));
  EXPECT_EQ(OverlayListRoom(), 0.0f) << "no list before a tab is chosen";

  gOverlayListChosen = true;
  RectF beside;
  ASSERT_TRUE(ComputeStaffPanelRect(&beside));
  ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  EXPECT_GE(L.list.w, 154.0f);
  EXPECT_GE(L.list.x, 8.0f);
  EXPECT_LE(L.list.x + L.list.w, L.stripX);
  EXPECT_LT(L.stripX, beside.x);
  EXPECT_GT(beside.x, alone.x);
  EXPECT_GE(beside.w, 420.0f);

  gFilterPanelOn = true;  // the tabs in the list's place
  RectF back;
  ASSERT_TRUE(ComputeStaffPanelRect(&back));
  EXPECT_FLOAT_EQ(back.x, alone.x);
  gFilterPanelOn = gOverlayListChosen = gLearningOverlay = false;
}

TEST_F(FilterTabsTest, SaveAndRestoreThePanel) {
  gScaleListMode = true;
  gFilterPanelOpen = true;
  gFilterOpenFade = 0.7f;
  SaveFilterPanelState();
  EXPECT_FALSE(gFilterPanelOpen);
  EXPECT_FLOAT_EQ(gFilterOpenFade, 0.0f);
  RestoreFilterPanelState();
  EXPECT_TRUE(gFilterPanelOpen);
  EXPECT_FLOAT_EQ(gFilterOpenFade, 0.7f);
  gFilterPanelOpen = false;
  RestoreFilterPanelState();  // no save: nothing
  EXPECT_FALSE(gFilterPanelOpen);
  gFilterPanelOn = gOverlayListChosen = true;
  HoldFilterPanelClosed();
  EXPECT_FALSE(gFilterPanelOn || gOverlayListChosen);
}

}  // namespace
