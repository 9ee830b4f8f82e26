// Selection, preview and delayed commit, stepping and the seven-slot window.
#include <limits>

#include "app/utilities.h"
#include "tests/support/test_support.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

namespace {
const ScaleRow* Row(ScaleRowId id) { return &gScaleRows[id]; }
}  // namespace

using ScaleSelection = TheoryTest;

TEST_F(ScaleSelection, UnusableRowsFallBackToCurrentThenIonian) {
  ScaleRow stray = MakeScaleRow("Stray", "stray", 0, 0, 0, {0, 4, 7});
  struct Case {
    const ScaleRow* current;
    const ScaleRow* asked;
    const ScaleRow* applied;
  } cases[] = {
      {Row(kRowDorian), Row(kRowYo), Row(kRowYo)},
      {Row(kRowDorian), Row(kRowHawaiian), Row(kRowDorian)},   // outside the catalogue
      {Row(kRowDorian), &stray, Row(kRowDorian)},
      {Row(kRowDorian), nullptr, Row(kRowDorian)},
      {Row(kRowMaqams), nullptr, IonianRow()},
      {nullptr, Row(kRowHawaiian), IonianRow()},
  };
  for (const Case& c : cases) {
    ResetAll();
    gCurrentScale = c.current;
    SelectScale(c.asked, 2, true);
    EXPECT_EQ(gCurrentScale, c.applied) << (c.asked ? c.asked->name : "null");
    EXPECT_EQ(gPickedScale, c.applied);
    EXPECT_EQ(gKeyRoot, 2);  // ring position 2 holds D
  }
}

TEST_F(ScaleSelection, RingPositionIsClampedAndMinusOneKeepsTheKey) {
  struct Case {
    int ringPos, storedPos, keyRoot;
  } cases[] = {{15, 11, 5}, {-5, -1, 9}, {-1, -1, 9}, {0, 0, 0}, {6, 6, 6}};
  for (const Case& c : cases) {
    ResetAll();
    gKeyRoot = 9;
    SelectScale(Row(kRowLydian), c.ringPos, true);
    EXPECT_EQ(gRingPos, c.storedPos) << c.ringPos;
    EXPECT_EQ(gKeyRoot, c.keyRoot) << c.ringPos;
    EXPECT_EQ(gSelectedModeIndex, 3);
    EXPECT_TRUE(gScaleDiagramDirty);
  }
}

TEST_F(ScaleSelection, PreviewWithoutApplyLeavesTheAppliedScale) {
  SelectScale(Row(kRowPhrygian), 4, false);
  EXPECT_EQ(gPickedScale, Row(kRowPhrygian));
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gKeyRoot, 0);
  EXPECT_EQ(ResolveShownScale(), Row(kRowPhrygian));
  // the same pick again with apply only moves the times: a preview is committed elsewhere
  gScaleDiagramDirty = false;
  SelectScale(Row(kRowPhrygian), 4, true);
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_FALSE(gScaleDiagramDirty);
}

TEST_F(ScaleSelection, ListPreviewCommitsAfterItsDelay) {
  ScopedDrivenClock clock(ClockTickMs64());
  gScaleFilter = 7;
  gScaleListMode = true;
  gKeyRoot = 7;
  float start = GetAppSeconds();
  SetScaleListScroll(5.3f, false, true);
  EXPECT_EQ(gPickedScale, Row(kRowAeolian));
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gPendingScaleRow, 5);
  EXPECT_EQ(gCurrentScaleIndex, 5);
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 5.3f);
  EXPECT_FLOAT_EQ(gScaleListScroll, 0.0f);  // no snap: the shown scroll eases later
  EXPECT_EQ(gRingPos, 1);                   // the ring position of the key G
  EXPECT_NEAR(gScaleSelectTime, start, 1e-3);

  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, IonianRow());
  clock.Advance(130);
  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, IonianRow());
  clock.Advance(20);
  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, Row(kRowAeolian));
  EXPECT_EQ(gKeyRoot, 7);
  EXPECT_EQ(gPendingScaleRow, -1);
  EXPECT_EQ(gPendingScaleCommitTime, 0.0f);
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 5.3f);  // the list stays where the user left it
}

TEST_F(ScaleSelection, SnapCommitsAtOnceAndScrollWithoutSelectDropsThePreview) {
  ScopedDrivenClock clock(ClockTickMs64());
  gScaleFilter = 4;
  gScaleListMode = true;
  SetScaleListScroll(99.0f, true, true);  // clamped to the last of nine rows
  EXPECT_EQ(gCurrentScale, Row(kRowBalinese));
  EXPECT_FLOAT_EQ(gScaleListScroll, 8.0f);
  EXPECT_EQ(gPendingScaleRow, -1);

  SetScaleListScroll(2.0f, false, true);
  EXPECT_EQ(gPendingScaleRow, 2);
  SetScaleListScroll(3.0f, false, false);
  EXPECT_EQ(gPendingScaleRow, -1);
  clock.Advance(1000);
  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, Row(kRowBalinese));
  EXPECT_EQ(gPickedScale, Row(kRowChinese));  // the preview stays shown, never applied
}

TEST_F(ScaleSelection, StepKeysWrapItemsStopAtTheEnds) {
  struct Case {
    bool listMode;
    int filter;
    const ScaleRow* start;
    int startPos;
    int items, keys;
    const ScaleRow* row;
    int pos;
  } cases[] = {
      {false, 0, Row(kRowIonian), 11, 0, 1, Row(kRowIonian), 0},
      {false, 0, Row(kRowIonian), 0, 0, -1, Row(kRowIonian), 11},
      {false, 0, Row(kRowAeolian), 3, 5, 0, Row(kRowLocrian), 3},
      {false, 0, Row(kRowDorian), 3, -4, 2, Row(kRowIonian), 5},
      {false, 0, Row(kRowYo), 2, 1, 0, Row(kRowDorian), 2},      // not a mode: from Ionian
      {true, 7, Row(kRowBalinese), 0, 1, 0, Row(kRowMajorBlues), 0},
      {true, 5, Row(kRowMinorBebop), 4, 3, 0, Row(kRowMinorBebop), 4},
      {true, 5, Row(kRowMajorBlues), 4, -9, 13, Row(kRowMajorBlues), 5},
  };
  for (const Case& c : cases) {
    ResetAll();
    gScaleListMode = c.listMode;
    gScaleFilter = c.filter;
    SelectScale(c.start, c.startPos, true);
    EXPECT_TRUE(StepScaleSelection(c.items, c.keys));
    EXPECT_EQ(gCurrentScale, c.row) << c.start->name << " " << c.items << " " << c.keys;
    EXPECT_EQ(gRingPos, c.pos) << c.start->name << " " << c.items << " " << c.keys;
    EXPECT_EQ(gKeyRoot, kFifthsOrder[c.pos]);
  }
  EXPECT_FALSE(StepScaleSelection(0, 0));
}

TEST_F(ScaleSelection, StepFromAHiddenRowStartsAtTheScroll) {
  gScaleListMode = true;
  gScaleFilter = 0;
  SelectScale(Row(kRowYo), 0, true);  // hidden by the church-mode filter
  gScaleListScroll = 2.4f;
  EXPECT_TRUE(StepScaleSelection(1, 0));
  EXPECT_EQ(gCurrentScale, Row(kRowLydian));
}

TEST_F(ScaleSelection, SevenSlotWindow) {
  gScaleListMode = true;
  gScaleFilter = 7;
  struct Case {
    float scroll;
    float position;
    int step;
  } cases[] = {{48, 43, 43}, {49, 43, 43}, {0, 0, 0}, {2.5f, 0, 0}, {10.25f, 7.25f, 7}, {3, 0, 0}};
  for (const Case& c : cases) {
    gScaleListScroll = c.scroll;
    EXPECT_FLOAT_EQ(ScaleWindowPosition(), c.position) << c.scroll;
    EXPECT_EQ(ScaleWindowStep(), c.step) << c.scroll;
    EXPECT_NEAR(ScaleWindowFraction(), c.position - (float)c.step, 1e-5) << c.scroll;
  }
  gScaleListScroll = 48;
  for (int slot = 0; slot < 7; ++slot) {
    EXPECT_EQ(ScaleWindowItemIndex(slot), 43 + slot);
    EXPECT_EQ(ScaleWindowItemScale(slot), &gScaleRows[43 + slot]);
  }
  EXPECT_EQ(ScaleWindowItemIndex(7), -1);
  EXPECT_EQ(ScaleWindowItemIndex(-1), -1);
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowEightToneSpanish)), 6);
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowNeapolitanMinor)), 0);
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowIonian)), -1);  // above the window
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowMaqams)), -1);
  EXPECT_EQ(ScaleWindowSlotOf(nullptr), -1);
}

TEST_F(ScaleSelection, ShortListsAndModeSlots) {
  gScaleListMode = true;
  gScaleFilter = 1;  // one row
  gScaleListScroll = 5;
  EXPECT_EQ(ScaleWindowPosition(), 0.0f);
  EXPECT_EQ(ScaleWindowItemIndex(0), kRowMelodicMinor);
  EXPECT_EQ(ScaleWindowItemIndex(1), -1);
  EXPECT_EQ(ScaleWindowItemScale(1), nullptr);
  gScaleListMode = false;
  for (int slot = 0; slot < 7; ++slot) {
    EXPECT_EQ(ScaleWindowItemScale(slot), kChurchModes[slot]);
    EXPECT_EQ(ScaleWindowSlotOf(kChurchModes[slot]), slot);
  }
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowYo)), -1);
}

TEST_F(ScaleSelection, ValidationRepairsTheSelection) {
  gCurrentScale = Row(kRowHawaiian);
  gPickedScale = nullptr;
  ValidateCurrentScale();
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gPickedScale, IonianRow());
  EXPECT_EQ(gSelectedModeIndex, 0);

  gCurrentScale = Row(kRowYo);
  gPickedScale = Row(kRowDorian);
  gScaleDiagramDirty = false;
  ValidateCurrentScale();  // both usable: nothing changes
  EXPECT_EQ(gCurrentScale, Row(kRowYo));
  EXPECT_EQ(gPickedScale, Row(kRowDorian));
  EXPECT_FALSE(gScaleDiagramDirty);

  gCurrentScale = nullptr;
  gScaleListMode = true;
  gScaleFilter = 7;
  gScaleListScroll = 30;
  ValidateCurrentScale();
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gPickedScale, Row(kRowDorian));
  EXPECT_EQ(gScaleListScroll, 0.0f);
}

TEST_F(ScaleSelection, SyncPutsTheListOnTheCurrentRowOrItsTop) {
  gScaleFilter = 4;
  gCurrentScale = Row(kRowHirajoshi);
  gPendingScaleRow = 3;
  SyncScaleListSelection();
  EXPECT_EQ(gCurrentScaleIndex, kRowHirajoshi);
  EXPECT_EQ(gScaleListScroll, 4.0f);
  EXPECT_EQ(gScaleListScrollTarget, 4.0f);
  EXPECT_EQ(gPendingScaleRow, -1);
  gCurrentScale = Row(kRowDorian);  // hidden by the filter
  SyncScaleListSelection();
  EXPECT_EQ(gScaleListScroll, 0.0f);
}

TEST_F(ScaleSelection, ScrollEasingSnapsAndStaysInRange) {
  gScaleFilter = 4;
  gScaleListScrollTarget = 4.0f;
  gScaleListScroll = 0.0f;
  EaseScaleListScroll(0.025f, 20.0f);
  EXPECT_FLOAT_EQ(gScaleListScroll, 2.0f);
  EaseScaleListScroll(1.0f, 20.0f);  // factor clamped to 1
  EXPECT_FLOAT_EQ(gScaleListScroll, 4.0f);
  gScaleListScrollTarget = 4.0005f;
  gScaleListScroll = 4.0f;
  EaseScaleListScroll(0.001f, 13.0f);
  EXPECT_FLOAT_EQ(gScaleListScroll, gScaleListScrollTarget);
  gScaleListScrollTarget = 40.0f;
  EaseScaleListScroll(1.0f, 15.0f);
  EXPECT_FLOAT_EQ(gScaleListScroll, 8.0f);
}

TEST_F(ScaleSelection, NonFiniteScrollIsHarmless) {
  gScaleFilter = 7;
  SetScaleListScroll(std::numeric_limits<float>::quiet_NaN(), true, true);
  EXPECT_EQ(gScaleListScrollTarget, 0.0f);
  EXPECT_EQ(gCurrentScale, IonianRow());
}
