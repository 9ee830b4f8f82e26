// Selection, preview and delayed commit, stepping and the seven-slot window.
#include <limits>

#include "tests/support/test_support.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

namespace {
const ScaleRow* Row(ScaleRowId id) { return &gScaleRows[id]; }
}  // namespace

using ScaleSelection = TheoryTest;

TEST_F(ScaleSelection, UnusableRowsAndPositionsAreRepaired) {
  ScaleRow stray = MakeScaleRow("Stray", "stray", 0, 0, 0, {0, 4, 7});
  struct Case {
    const ScaleRow *current, *asked;
    int ringPos;
    const ScaleRow* applied;
    int storedPos, keyRoot;
  } cases[] = {
      {Row(kRowDorian), Row(kRowYo), 2, Row(kRowYo), 2, 2},
      {Row(kRowDorian), Row(kRowHawaiian), 2, Row(kRowDorian), 2, 2},  // outside the catalogue
      {Row(kRowDorian), &stray, 2, Row(kRowDorian), 2, 2},
      {Row(kRowDorian), nullptr, 2, Row(kRowDorian), 2, 2},
      {Row(kRowMaqams), nullptr, 2, IonianRow(), 2, 2},
      {nullptr, Row(kRowHawaiian), 2, IonianRow(), 2, 2},
      {nullptr, Row(kRowLydian), 15, Row(kRowLydian), 11, 5},  // clamped
      {nullptr, Row(kRowLydian), -5, Row(kRowLydian), -1, 9},  // none: the key stays
  };
  for (const Case& c : cases) {
    ResetAll();
    gCurrentScale = c.current;
    gKeyRoot = 9;
    SelectScale(c.asked, c.ringPos, true);
    EXPECT_EQ(gCurrentScale, c.applied) << (c.asked ? c.asked->name : "null");
    EXPECT_EQ(gPickedScale, c.applied);
    EXPECT_EQ(gRingPos, c.storedPos);
    EXPECT_EQ(gKeyRoot, c.keyRoot);
  }
  gCurrentScale = Row(kRowHawaiian);  // validation repairs a stored unusable row
  gScaleListMode = true;
  gScaleListScroll = 30;
  ValidateCurrentScale();
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gScaleListScroll, 0.0f);
}

TEST_F(ScaleSelection, PreviewCommitsAfterItsDelayUnlessDropped) {
  ScopedDrivenClock clock(ClockTickMs64());
  gScaleFilter = 7;
  gScaleListMode = true;
  gKeyRoot = 7;
  SetScaleListScroll(5.3f, false, true);
  EXPECT_EQ(gPickedScale, Row(kRowAeolian));
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(ResolveShownScale(), Row(kRowAeolian));
  EXPECT_EQ(gRingPos, 1);  // the ring position of the key G
  clock.Advance(130);
  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, IonianRow());
  clock.Advance(20);  // 0.15 s: past the delay
  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, Row(kRowAeolian));
  EXPECT_EQ(gKeyRoot, 7);
  EXPECT_EQ(gPendingScaleRow, -1);
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 5.3f);  // the list stays where the user left it

  gScaleFilter = 4;
  SetScaleListScroll(99.0f, true, true);  // snap: clamped to the last of nine rows, at once
  EXPECT_EQ(gCurrentScale, Row(kRowBalinese));
  EXPECT_FLOAT_EQ(gScaleListScroll, 8.0f);
  SetScaleListScroll(2.0f, false, true);
  SetScaleListScroll(3.0f, false, false);  // scrolled on without a pick: preview dropped
  clock.Advance(1000);
  CommitPendingScaleRow(false);
  EXPECT_EQ(gCurrentScale, Row(kRowBalinese));
  SetScaleListScroll(std::numeric_limits<float>::quiet_NaN(), true, true);
  EXPECT_EQ(gScaleListScrollTarget, 0.0f);
}

TEST_F(ScaleSelection, StepKeysWrapItemsStopAtTheEnds) {
  struct Case {
    bool listMode;
    int filter;
    const ScaleRow* start;
    int startPos, items, keys;  // the selection before, and the steps asked
    const ScaleRow* row;
    int pos;
  } cases[] = {
      {false, 0, Row(kRowIonian), 11, 0, 1, Row(kRowIonian), 0},
      {false, 0, Row(kRowIonian), 0, 0, -1, Row(kRowIonian), 11},
      {false, 0, Row(kRowAeolian), 3, 5, 0, Row(kRowLocrian), 3},
      {false, 0, Row(kRowDorian), 3, -4, 2, Row(kRowIonian), 5},
      {false, 0, Row(kRowYo), 2, 1, 0, Row(kRowDorian), 2},  // not a mode: from Ionian
      {false, 0, Row(kRowYo), 2, 0, 1, Row(kRowYo), 3},      // a key step keeps it
      {false, 0, Row(kRowYo), 0, 0, -1, Row(kRowYo), 11},
      {true, 7, Row(kRowBalinese), 0, 1, 0, Row(kRowMajorBlues), 0},
      {true, 5, Row(kRowMinorBebop), 4, 3, 0, Row(kRowMinorBebop), 4},
      {true, 5, Row(kRowMajorBlues), 4, -9, 13, Row(kRowMajorBlues), 5},
      {true, 0, Row(kRowYo), 0, 1, 0, Row(kRowLydian), 0},  // hidden row: from the scroll (2.4)
  };
  for (const Case& c : cases) {
    ResetAll();
    gScaleListMode = c.listMode;
    gScaleFilter = c.filter;
    SelectScale(c.start, c.startPos, true);
    gScaleListScroll = 2.4f;
    EXPECT_TRUE(StepScaleSelection(c.items, c.keys));
    EXPECT_EQ(gCurrentScale, c.row) << c.start->name << " " << c.items << " " << c.keys;
    EXPECT_EQ(gRingPos, c.pos) << c.start->name << " " << c.items << " " << c.keys;
    EXPECT_EQ(gKeyRoot, kFifthsOrder[c.pos]);
  }
  EXPECT_FALSE(StepScaleSelection(0, 0));
}

TEST_F(ScaleSelection, SevenSlotWindow) {
  gScaleListMode = true;
  gScaleFilter = 7;
  struct Case { float scroll, position; int step; } cases[] = {
      {48, 43, 43}, {49, 43, 43}, {0, 0, 0}, {2.5f, 0, 0}, {10.25f, 7.25f, 7}};
  for (const Case& c : cases) {
    gScaleListScroll = c.scroll;
    EXPECT_FLOAT_EQ(ScaleWindowPosition(), c.position) << c.scroll;
    EXPECT_EQ(ScaleWindowStep(), c.step) << c.scroll;
    EXPECT_NEAR(ScaleWindowFraction(), c.position - (float)c.step, 1e-5) << c.scroll;
  }
  gScaleListScroll = 48;  // near the end: the window holds the last seven
  for (int slot = 0; slot < 7; ++slot) EXPECT_EQ(ScaleWindowItemScale(slot), &gScaleRows[43 + slot]);
  EXPECT_EQ(ScaleWindowItemIndex(7), -1);
  EXPECT_EQ(ScaleWindowItemIndex(-1), -1);
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowEightToneSpanish)), 6);
  EXPECT_EQ(ScaleWindowSlotOf(Row(kRowIonian)), -1);  // above the window
  EXPECT_EQ(ScaleWindowSlotOf(nullptr), -1);
  gScaleFilter = 1;  // one row
  EXPECT_EQ(ScaleWindowPosition(), 0.0f);
  EXPECT_EQ(ScaleWindowItemIndex(0), kRowMelodicMinor);
  EXPECT_EQ(ScaleWindowItemScale(1), nullptr);
}

TEST_F(ScaleSelection, SyncAndEasingStayInRange) {
  gScaleFilter = 4;
  gCurrentScale = Row(kRowHirajoshi);
  gPendingScaleRow = 3;
  SyncScaleListSelection();
  EXPECT_EQ(gScaleListScroll, 4.0f);
  EXPECT_EQ(gPendingScaleRow, -1);
  gCurrentScale = Row(kRowDorian);  // hidden by the filter: the top
  SyncScaleListSelection();
  EXPECT_EQ(gScaleListScroll, 0.0f);
  gScaleListScrollTarget = 40.0f;
  EaseScaleListScroll(1.0f, 20.0f);  // factor clamped to 1, target to the last row
  EXPECT_FLOAT_EQ(gScaleListScroll, 8.0f);
}
