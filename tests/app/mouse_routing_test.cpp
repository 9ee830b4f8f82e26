// The mouse through the window procedure: the seek bar's presses by modifier, its handles and its
// double-click cycle; captured drags past the window's edge; a drag that loses its button-up; the
// two-click bin; the grid's Ctrl-pick, what drops it and a quick Ctrl-click twice; the key drag
// round the circle; the scale list's row hold and strip drag; the wheel over the board and over a
// long students panel; the open students panel over the learning overlay's list; the overlay's
// list rows and strip; a double click that closes a performance note; and the prompt's guard.
#include <cmath>
#include <gtest/gtest.h>
#include <set>

#include "app/base/view_modes.h"
#include "app/circle_key_drag.h"
#include "app/header_buttons.h"
#include "app/main_loop.h"
#include "app/ring_glow.h"
#include "app/song_view.h"
#include "classroom/class_operations.h"
#include "classroom/institution_panel_state.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning_ui/performance_note.h"
#include "learning_ui/placement_prompt.h"
#include "midi/seek_bar.h"
#include "platform/file_dialogs.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/student_colours.h"
#include "practice/students.h"
#include "tests/app/input_fixture.h"
#include "theory/circle_theory.h"
#include "theory/scale_list_input.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

namespace {

class MouseRouting : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    LoadSong(60000);
    RelayoutAll();
    ASSERT_GT(gSeekBarRect.w, 100.0f) << "the seek bar is laid out";
    ASSERT_GT(gSpeedSliderRect.w, 20.0f);
  }
  static int BarY() { return (int)(gSeekBarRect.y + gSeekBarRect.h / 2); }
  // Opens the learning overlay with its filter panel and picks the tab of that filter.
  static void OpenOverlayTab(int filterId) {
    Click(gLearningButtonRect);
    ASSERT_TRUE(gLearningOverlay);
    for (int i = 0; i < 40; ++i) AdvanceScaleListFades(0.02f);
    Click(gOverlayFilterButtonRect);
    const FilterPanelGeometry g = ComputeFilterPanelGeometry();
    for (int i = 0; i < g.count; ++i)
      if (g.tabs[i].filterId == filterId) Click(g.tabs[i].rect);
    RelayoutAll();
  }
  static int XAt(uint32_t ms) { return (int)std::lround(SeekBarXForTime(ms, GetSongLengthMs())); }
  static void PlayPausedAt(uint32_t ms) {
    gPlaying = gPaused = true;
    gPauseMs = ClockMs32();
    gPlayStartMs = gPauseMs - ms;
  }
};

TEST_F(MouseRouting, SeekBarPressesByModifier) {
  struct Case {
    const char* name;
    unsigned flags;
    bool startBefore, endBefore;
    uint32_t at;
    bool startAfter, endAfter;
    int dragMode;
    const char* statusStart;
  };
  const Case cases[] = {
      {"Shift sets the loop start", kMouseFlagShift, false, false, 15000, true, false, kSeekDragNone, "Loop IN: "},
      {"Ctrl sets the loop end", kMouseFlagControl, false, false, 45000, false, true, kSeekDragNone, "Loop OUT: "},
      {"Alt clears, Shift or not", kMouseFlagShift | kMouseFlagAlt, true, true, 30000, false, false, kSeekDragNone,
       "Loop range cleared"},
      {"a plain press seeks", 0, true, true, 30000, true, true, kSeekDragPosition, ""},
      {"a plain press by the start handle drags it", 0, true, true, 12000, true, true, kSeekDragLoopStart, ""},
      {"a plain press by the end handle drags it", 0, true, true, 48000, true, true, kSeekDragLoopEnd, ""},
      {"Alt on the start handle clears", kMouseFlagAlt, true, true, 12000, false, false, kSeekDragNone,
       "Loop range cleared"},
      {"Alt on the end handle clears", kMouseFlagAlt, true, true, 48000, false, false, kSeekDragNone,
       "Loop range cleared"},
      {"Ctrl on the start handle sets the end", kMouseFlagControl, true, true, 12000, true, true, kSeekDragNone,
       "Loop OUT: "},
      {"Shift on the end handle sets the start", kMouseFlagShift, true, true, 48000, true, true, kSeekDragNone,
       "Loop IN: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gLoopStartSet = c.startBefore, gLoopEndSet = c.endBefore;
    gLoopStartMs = 12000, gLoopEndMs = 48000;
    LayoutLoopHandles();   // a set point's handle stands under the press at its time
    gStatusText.clear();
    Press(XAt(c.at), BarY(), c.flags);
    EXPECT_EQ(gSeekDragMode, c.dragMode);
    Release(XAt(c.at), BarY());
    EXPECT_EQ(gLoopStartSet, c.startAfter);
    EXPECT_EQ(gLoopEndSet, c.endAfter);
    EXPECT_EQ(gStatusText.rfind(c.statusStart, 0), 0u) << gStatusText;
    EXPECT_EQ(gSeekDragMode, kSeekDragNone);
  }
  // Both handles within reach of a press: the end is taken.
  gLoopStartSet = gLoopEndSet = true;
  gLoopStartMs = 30000, gLoopEndMs = 30300;
  Press(XAt(30100), BarY());
  EXPECT_EQ(gSeekDragMode, kSeekDragLoopEnd);
  Release(0, 0);

  // The handles as drawn: a press on both takes the one whose centre is nearer.
  gLoopStartMs = 30000, gLoopEndMs = 30200;
  LayoutLoopHandles();
  ASSERT_TRUE(gLoopMarkersShown);
  float startX = gLoopStartHandleRect.x + gLoopStartHandleRect.w / 2;
  float endX = gLoopEndHandleRect.x + gLoopEndHandleRect.w / 2;
  int handleY = (int)(gLoopStartHandleRect.y + gLoopStartHandleRect.h / 2);
  Press((int)std::floor((startX + endX) / 2 - 0.5f), handleY);
  EXPECT_EQ(gSeekDragMode, kSeekDragLoopStart);
  Release(0, 0);
  // The start handle with no end set puts the end at the song's end.
  gLoopEndSet = false;
  gLoopStartMs = 20000;
  LayoutLoopHandles();
  Press((int)(gLoopStartHandleRect.x + gLoopStartHandleRect.w / 2), handleY);
  EXPECT_EQ(gSeekDragMode, kSeekDragLoopStart);
  EXPECT_TRUE(gLoopEndSet);
  EXPECT_EQ(gLoopEndMs, 60000u);
  EXPECT_EQ(gStatusText.rfind("Loop IN: ", 0), 0u);
  Release(0, 0);
  gLoopMarkersShown = false;
  gSongEvents.clear();
  Press(XAt(0), BarY());
  EXPECT_EQ(gStatusText, "No MIDI loaded");
}

// A loop handle dragged along the bar says where its point now stands, not where the drag began,
// nor where the pointer is when the other point holds it back.
TEST_F(MouseRouting, ADraggedLoopHandleSaysWhereItsPointStands) {
  gLoopStartSet = gLoopEndSet = true;
  gLoopStartMs = 0, gLoopEndMs = 60000;
  LayoutLoopHandles();
  ASSERT_TRUE(gLoopMarkersShown);
  const int handleY = (int)(gLoopStartHandleRect.y + gLoopStartHandleRect.h / 2);
  struct Step {
    bool endHandle;
    uint32_t to;            // where the pointer goes
    uint32_t near;          // where the point then stands, within a pixel's time
    const char* prefix;
  } steps[] = {
      {false, 10000, 10000, "Loop IN: "},
      {true, 40000, 40000, "Loop OUT: "},
      {false, 55000, 39840, "Loop IN: "},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.to);
    const RectF& handle = s.endHandle ? gLoopEndHandleRect : gLoopStartHandleRect;
    Press((int)(handle.x + handle.w / 2), handleY);
    ASSERT_EQ(gSeekDragMode, s.endHandle ? kSeekDragLoopEnd : kSeekDragLoopStart);
    Move(XAt(s.to), handleY);
    const uint32_t point = s.endHandle ? gLoopEndMs : gLoopStartMs;
    EXPECT_NEAR((double)point, (double)s.near, 200.0);
    EXPECT_EQ(gStatusText, s.prefix + FormatTimeMss(point));
    Release(XAt(s.to), handleY);
    EXPECT_EQ(gStatusText, s.prefix + FormatTimeMss(point));
    LayoutLoopHandles();
  }
}

TEST_F(MouseRouting, DoubleClicksOnTheSeekBarSetStartThenEndThenClear) {
  DoubleClick(XAt(10000), BarY());
  EXPECT_TRUE(gLoopStartSet && !gLoopEndSet);
  EXPECT_EQ(gLoopStartMs, SeekBarTimeForX((float)XAt(10000), 60000));
  EXPECT_NE(gStatusText.find("double-click again"), std::string::npos);
  DoubleClick(XAt(40000), BarY());
  EXPECT_TRUE(gLoopStartSet && gLoopEndSet);
  EXPECT_EQ(gLoopEndMs, SeekBarTimeForX((float)XAt(40000), 60000));
  DoubleClick(XAt(20000), BarY());
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet);
  EXPECT_EQ(gStatusText, "Loop range cleared");
}

// A double click on what stands over the seek bar or the grid is that panel's: the learning screen
// over the note-fall seek bar sets no loop, the institution panel over an earned cell clears nothing.
TEST_F(MouseRouting, ADoubleClickOnAPanelLeavesWhatLiesUnderIt) {
  gPracticeMode = gLibraryOpen = true;
  RelayoutAll();
  DoubleClick(XAt(20000), BarY());
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet);
  gPracticeMode = gLibraryOpen = false;
  RelayoutAll();

  SyncAchievementRows();
  const int row = FindScaleRow(ScaleWindowItemScale(2));
  ASSERT_GE(row, 0);
  Earn(row, 5);
  OpenInstitutionPanel();
  int x, y;
  BoardCellCentre(2, 5, &x, &y);
  DoubleClick(x, y);
  EXPECT_EQ(gAchvDone[row][5], 1);
  ResetInstitutionPanelState();

  // The open file menu's frame over the seek bar, off its two items.
  Click(gFileButtonRect);
  ASSERT_TRUE(gFileMenuOpen);
  int mx = -1, my = -1;
  for (int yy = (int)gFileMenuRect.y; yy <= (int)(gFileMenuRect.y + gFileMenuRect.h) && mx < 0; ++yy)
    for (int xx = (int)gFileMenuRect.x; xx <= (int)(gFileMenuRect.x + gFileMenuRect.w) && mx < 0; ++xx)
      if (PointInRect(gFileMenuRect, xx, yy) && PointInRect(gSeekBarRect, xx, yy) &&
          !PointInRect(gFileMenuOpenFileRect, xx, yy) && !PointInRect(gFileMenuOpenFolderRect, xx, yy))
        mx = xx, my = yy;
  ASSERT_GE(mx, 0) << "the menu does not lie over the seek bar";
  DoubleClick(mx, my);
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet) << gStatusText;
  EXPECT_TRUE(gFileMenuOpen);
}

// A note left open over the band or the board: the first press of a double click on its close box
// closes it, and the second must not reach what the note covered (a loop point, an earned cell).
TEST_F(MouseRouting, ADoubleClickThatClosesANoteLeavesWhatLiesUnderIt) {
  LibraryItem item;
  item.id = "note_card";
  item.name = "Note card";
  item.file = "note_card.mid";
  gLibraryItems.push_back(item);
  ResetPerformanceNotes();
  auto openNoteWithCloseBoxAt = [](int x, int y) {
    OpenPerformanceNote("note_card");
    ASSERT_EQ(gPerformanceNotes.size(), 1u);
    PerformanceNoteCard& card = gPerformanceNotes.back();
    float bx, by, bw, bh;
    NoteCloseBoxRect(card, &bx, &by, &bw, &bh);
    card.x += (float)x - (bx + bw / 2);
    card.y += (float)y - (by + bh / 2);
    ASSERT_EQ(PerformanceNoteAt(x, y), 0);
  };
  auto doubleClickAt = [](int x, int y) {
    Press(x, y);
    Release(x, y);
    DoubleClick(x, y);
    Release(x, y);
  };

  const int barX = XAt(20000), barY = BarY();
  openNoteWithCloseBoxAt(barX, barY);
  doubleClickAt(barX, barY);
  EXPECT_TRUE(gPerformanceNotes.empty());
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet) << gStatusText;

  SyncAchievementRows();
  const int row = FindScaleRow(ScaleWindowItemScale(2));
  ASSERT_GE(row, 0);
  Earn(row, 5);
  int cx, cy;
  BoardCellCentre(2, 5, &cx, &cy);
  openNoteWithCloseBoxAt(cx, cy);
  doubleClickAt(cx, cy);
  EXPECT_TRUE(gPerformanceNotes.empty());
  EXPECT_EQ(gAchvDone[row][5], 1);

  // With the note gone a double click on the bar is the bar's again.
  doubleClickAt(barX, barY);
  EXPECT_TRUE(gLoopStartSet) << gStatusText;

  ResetPerformanceNotes();
  gLibraryItems.pop_back();
  InvalidateLibraryItemIndex();
}

TEST_F(MouseRouting, CapturedDragsPastTheLeftEdgeGiveTheStartAndTheSlowest) {
  PlayPausedAt(30000);
  Press(XAt(30000), BarY());
  ASSERT_EQ(gSeekDragMode, kSeekDragPosition);
  Move(-300, BarY());
  EXPECT_EQ(GetPlaybackPositionMs(ClockMs32()), 0u);
  Move(5000, -40);
  EXPECT_EQ(GetPlaybackPositionMs(ClockMs32()), 60000u);
  Release(5000, -40);

  Press((int)(gSpeedSliderRect.x + gSpeedSliderRect.w / 2), BarY());
  ASSERT_TRUE(gSpeedDragging);
  Move(-300, BarY());
  EXPECT_FLOAT_EQ(gPlaybackSpeed, 0.25f);
  // The button went up where the program could not see it: the next move ends the drag.
  Move(900, BarY(), 0);
  EXPECT_FALSE(gSpeedDragging);
  EXPECT_FLOAT_EQ(gPlaybackSpeed, 0.25f);
  gPlaying = gPaused = false;
}

// A lesson song the deleted student was playing stops, and the status line says so rather than
// only "Removed".
TEST_F(MouseRouting, TheBinKeepsWhatTheDeletionSaid) {
  gStudents = {MakeStudent("Ada", "ada"), MakeStudent("Bela", "bela")};
  gActiveStudentIndex = 0;
  void (*connected)() = gStudentChangedHook;
  gStudentChangedHook = [] { gStatusText = "Student changed - the lesson song was stopped and not recorded"; };
  Click(gStudentsButtonRect);
  ASSERT_EQ(gStudentBinRects.size(), 2u);
  Click(gStudentBinRects[0]);
  clock_.Advance(100);
  Click(gStudentBinRects[0]);
  gStudentChangedHook = connected;
  ASSERT_EQ(gStudents.size(), 1u);
  EXPECT_EQ(gStatusText, "Student changed - the lesson song was stopped and not recorded");
}

TEST_F(MouseRouting, TheBinDeletesOnASecondClickWithinFourSeconds) {
  gStudents = {MakeStudent("Ada", "ada"), MakeStudent("Bela", "bela"), MakeStudent("Cara", "cara")};
  gActiveStudentIndex = 0;
  Click(gStudentsButtonRect);
  ASSERT_TRUE(gStudentListOpen);
  ASSERT_EQ(gStudentBinRects.size(), 3u);

  Click(gStudentBinRects[1]);
  EXPECT_EQ(gStatusText, "Delete Bela and all their progress? Click the bin again");
  clock_.Advance(3999);
  Click(gStudentBinRects[1]);
  ASSERT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStudents[1].name, "Cara");
  EXPECT_EQ(gStatusText, "Removed Bela");

  // Armed again; past the deadline the next click only asks again.
  Click(gStudentBinRects[1]);
  clock_.Advance(4001);
  Click(gStudentBinRects[1]);
  EXPECT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStatusText, "Delete Cara and all their progress? Click the bin again");
  // A double click on a bin arms it and never deletes.
  clock_.Advance(5000);
  int x = (int)(gStudentBinRects[1].x + 2), y = (int)(gStudentBinRects[1].y + 2);
  Press(x, y);
  Release(x, y);
  DoubleClick(x, y);
  Release(x, y);
  EXPECT_EQ(gStudents.size(), 2u);
  // Moving with the panel closed forgets the armed bin.
  Click(gStudentsButtonRect);
  ASSERT_FALSE(gStudentListOpen);
  Move(10, 10, 0);
  EXPECT_FALSE(IsHighlightActive(1));
}

TEST_F(MouseRouting, DeletingTheRecolouredStudentClosesTheWheel) {
  gStudents = {MakeStudent("Ada", "ada"), MakeStudent("Bela", "bela")};
  gActiveStudentIndex = 0;
  Click(gStudentsButtonRect);
  Click(gStudentSwatchRects[1]);
  ASSERT_TRUE(gColourPopupOpen);
  EXPECT_EQ(gSelectedStudentRow, 1);
  Click(gStudentBinRects[0]);
  Click(gStudentBinRects[0]);
  ASSERT_EQ(gStudents.size(), 1u);
  EXPECT_FALSE(gColourPopupOpen);
  EXPECT_EQ(gSelectedStudentRow, -1);
}

// On the learning overlay a chosen tab puts the scale list at the window's left, under where the
// students panel opens. The open panel stands over the list: a press on a control of the panel where
// the list lies under it reaches the control, and the list stays.
TEST_F(MouseRouting, TheOpenStudentsPanelTakesPressesOverTheOverlaysList) {
  constexpr int kPentatonicSet = 4;
  gStudents = {MakeStudent("Ada", "ada"), MakeStudent("Bela", "bela")};
  gActiveStudentIndex = 0;
  OpenOverlayTab(kPentatonicSet);
  ASSERT_TRUE(IsOverlayListShown());
  const ScaleListLayout list = LayoutFilterTabs();
  ASSERT_TRUE(list.valid);
  Click(gSideListStudentsButtonRect);
  ASSERT_TRUE(gStudentListOpen);

  // The middle of the part of a control that lies over the list's area.
  auto overList = [&](const RectF& r, int* x, int* y) {
    const RectF& a = list.area;
    const float left = std::max(r.x, a.x) + 2.0f, right = std::min(r.x + r.w, a.x + a.w) - 2.0f;
    const float top = std::max(r.y, a.y) + 2.0f, bottom = std::min(r.y + r.h, a.y + a.h) - 2.0f;
    *x = (int)((left + right) / 2.0f), *y = (int)((top + bottom) / 2.0f);
    return left < right && top < bottom;
  };
  int x = 0, y = 0;
  ASSERT_TRUE(overList(gStudentNameEntryRect, &x, &y)) << "the name box lies over the list";
  Press(x, y);
  Release(x, y);
  EXPECT_TRUE(gStudentNameEntryActive) << "the press reached the name box";
  EXPECT_TRUE(IsOverlayListShown()) << "the list under the panel took the press";
  EXPECT_FALSE(gFilterPanelOn);

  ASSERT_TRUE(overList(gPlacementQuizButtonRect, &x, &y));
  Press(x, y);
  Release(x, y);
  EXPECT_TRUE(gPlacementPromptOpen) << "the quiz opened on the first press";
  EXPECT_TRUE(IsOverlayListShown());
  ResetPlacementPrompt();

  // The wheel over the panel leaves the list under it where it is.
  const float scroll = gScaleListScrollTarget;
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)-120, MakePointParam(x, y));
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, scroll);
}

// A hundred and twenty students, more than the panel holds: the wheel over it turns its list to the
// last of them, whose entry a press then picks. The panel opens again with the picked student in
// it, though its list was turned back to the top. The wheel over the colour wheel turns nothing.
TEST_F(MouseRouting, TheWheelOverTheStudentsPanelBringsTheLastStudentWithinReach) {
  gStudents.clear();
  for (int i = 0; i < 120; ++i) gStudents.push_back(MakeStudent("Pupil " + std::to_string(i), "p" + std::to_string(i)));
  gActiveStudentIndex = 0;
  Click(gStudentsButtonRect);
  ASSERT_TRUE(gStudentListOpen);
  // The rectangle where a press picks the student: the name of a full row or an entry of the
  // compact list; false when the student is not listed.
  auto entryOf = [](int student, RectF* r) {
    for (size_t i = 0; i < gStudentRowStudents.size(); ++i) {
      if (gStudentRowStudents[i] != student) continue;
      *r = gStudentNameRects[i];
      return true;
    }
    for (size_t i = 0; i < gCompactStudentIndices.size(); ++i) {
      if (gCompactStudentIndices[i] != student) continue;
      *r = gCompactStudentRects[i];
      return true;
    }
    return false;
  };
  RectF last;
  ASSERT_FALSE(entryOf(119, &last));
  const RectF panel = gStudentsPanelRect;
  const int x = (int)(panel.x + panel.w / 2), y = (int)(panel.y + panel.h / 2);
  auto wheel = [](int px, int py, int notches) {
    MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)(-120 * notches), MakePointParam(px, py));
  };
  wheel(x, y, 1);
  ASSERT_EQ(gStudentRowStudents[0], 3);
  for (int i = 0; i < 40; ++i) wheel(x, y, 1);
  ASSERT_TRUE(entryOf(119, &last));
  EXPECT_GE(last.y, panel.y);
  EXPECT_LE(last.y + last.h, gStudentNameEntryRect.y);
  RectF first;
  EXPECT_FALSE(entryOf(0, &first)) << "the top of the list is turned away";
  Click(last);
  EXPECT_EQ(gActiveStudentIndex, 119);

  if (gStudentListOpen) Click(gStudentsButtonRect);
  Click(gStudentsButtonRect);
  ASSERT_TRUE(gStudentListOpen);
  wheel(x, y, -100);
  ASSERT_TRUE(entryOf(0, &first));
  Click(gStudentsButtonRect);
  ASSERT_FALSE(gStudentListOpen);
  Click(gStudentsButtonRect);
  ASSERT_TRUE(entryOf(119, &last)) << "the picked student is in the panel opened again";

  Click(gStudentSwatchRects[0]);
  ASSERT_TRUE(gColourPopupOpen);
  const int shown = gStudentRowStudents[0];
  RectF box;
  float cx = 0, cy = 0, radius = 0;
  ASSERT_TRUE(ShowColourPopup(&box, &cx, &cy, &radius));
  wheel((int)cx, (int)cy, 1);
  EXPECT_EQ(gStudentRowStudents[0], shown);
  EXPECT_TRUE(gColourPopupOpen);
}

// On the learning overlay the chosen tab's list stands in the filter area. A press on a row picks
// that row's scale and a drag of the strip scrolls to one, the list staying up for the next pick;
// the header above the rows still brings the tabs back.
TEST_F(MouseRouting, APressOnTheOverlaysListPicksItsRow) {
  constexpr int kAllScales = 7;
  OpenOverlayTab(kAllScales);
  for (int i = 0; i < 40; ++i) AdvanceScaleListFades(0.02f);   // the tabs fade out
  ASSERT_TRUE(IsOverlayListShown());
  const ScaleListLayout list = LayoutFilterTabs();
  ASSERT_TRUE(list.valid);
  auto rowScale = [](int row) { return gScaleCatalogue[(size_t)VisibleScaleAt(row)]; };

  // Two rows below the one at the list's middle.
  const int x = (int)(list.list.x + list.list.w / 2);
  const int y = (int)(list.list.y + list.list.h / 2 + 2.0f * list.rowPitch);
  int row = -1;
  ASSERT_TRUE(FilterTabAt(x, y, &row));
  ASSERT_NE(rowScale(row), gCurrentScale);
  Press(x, y);
  EXPECT_TRUE(IsScaleListHeld());
  Release(x, y);
  CommitPendingScaleRow(true);   // as a frame does once the row has been held long enough
  EXPECT_EQ(gCurrentScale, rowScale(row)) << "the pressed row's scale is applied";
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, (float)row);
  EXPECT_TRUE(IsOverlayListShown()) << "the list stays for the next pick";
  EXPECT_FALSE(gFilterPanelOn);

  // The strip drags the list down; the row it stops at is applied when the button comes up.
  const int stripX = (int)list.stripX, stripY = (int)((list.stripTop + list.stripBottom) / 2);
  const float before = gScaleListScrollTarget;
  Press(stripX, stripY);
  EXPECT_TRUE(gScaleListDragging);
  Move(stripX, stripY + (int)((list.stripBottom - list.stripTop) / 4));
  Release(stripX, stripY + (int)((list.stripBottom - list.stripTop) / 4));
  EXPECT_GT(gScaleListScrollTarget, before + 1.0f);
  EXPECT_EQ(gCurrentScale, rowScale((int)std::lround(gScaleListScrollTarget)));
  EXPECT_TRUE(IsOverlayListShown());

  // The header above the rows is no row: it brings the tabs in the list's place.
  Click(list.header);
  EXPECT_TRUE(gFilterPanelOn);
  EXPECT_FALSE(IsOverlayListShown());
}

TEST_F(MouseRouting, DraggingTheMarkerRoundTheCirclePassesTheKeysInCircleOrder) {
  float cx, cy, side, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &side, &radius, &inner, &innermost);
  gKeyMarkerX = cx, gKeyMarkerY = cy - 0.8f * radius, gKeyMarkerRadius = 20.0f;
  gKeyRoot = 0;
  Press((int)gKeyMarkerX, (int)gKeyMarkerY);
  ASSERT_TRUE(gRingDragging);
  EXPECT_TRUE(gRingDragCursorHidden);
  std::vector<int> passed{gRingDragPos};
  for (int step = 1; step <= 144; ++step) {
    float a = -1.5707963f + 6.2831853f * (float)step / 144.0f;
    Move((int)std::lround(cx + 0.8f * radius * std::cos(a)), (int)std::lround(cy + 0.8f * radius * std::sin(a)));
    if (gRingDragPos != passed.back()) passed.push_back(gRingDragPos);
    float shown = 0;
    ASSERT_TRUE(RingDragShownAngle(&shown));
  }
  std::vector<int> want{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
  EXPECT_EQ(passed, want);
  EXPECT_EQ(gKeyRoot, kFifthsOrder[0]);
  Release((int)cx, (int)cy);
  EXPECT_FALSE(gRingDragging || gRingDragCursorHidden);
  EXPECT_TRUE(gRingPickActive);
  EXPECT_EQ(gKeySweepPos, 0);

  // In practice mode the marker is not a handle.
  gPracticeMode = true;
  Press((int)gKeyMarkerX, (int)gKeyMarkerY);
  EXPECT_FALSE(gRingDragging);
  Release((int)gKeyMarkerX, (int)gKeyMarkerY);
}

TEST_F(MouseRouting, RingAnglesSnapTowardsTheSectorMiddle) {
  float cx, cy, side, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &side, &radius, &inner, &innermost);
  const float kPi = 3.14159265f;
  // Degrees clockwise from the top, the position it picks, and whether the shown angle moved.
  const struct { float deg; int pos; } cases[] = {{0, 0}, {14, 0}, {16, 1}, {30, 1}, {44.9f, 1}, {45.1f, 2},
                                                   {180, 6}, {346, 0}, {344, 11}, {-15.5f, 11}};
  for (const auto& c : cases) {
    float wanted = (c.deg - 90.0f) * kPi / 180.0f;
    int px = (int)std::lround(cx + 300 * std::cos(wanted)), py = (int)std::lround(cy + 300 * std::sin(wanted));
    float a = std::atan2((float)py - cy, (float)px - cx);   // the angle of the pixel itself
    gRingDragging = true;
    RingAngleToKey(px, py);
    EXPECT_EQ(gRingDragPos, c.pos) << c.deg;
    float shown = 0;
    ASSERT_TRUE(RingDragShownAngle(&shown));
    float middle = (-90.0f + 30.0f * (float)c.pos) * kPi / 180.0f;
    float off = std::remainder(a - middle, 2 * kPi), shownOff = std::remainder(shown - middle, 2 * kPi);
    EXPECT_LE(std::fabs(shownOff), std::fabs(off) + 1e-4f) << c.deg << ": pulled towards the middle, never away";
  }
}

// A press on a list row holds the list (faster easing, wider grab margin) until its button comes
// up, or until the list stops taking input; a press on the strip is a drag, not a hold.
TEST_F(MouseRouting, ARowPressHoldsTheListUntilItsButtonOrTheListGoes) {
  gScaleListMode = true;
  gScaleFilter = 7;
  RebuildVisibleScales();
  SetScaleListScroll(5.0f, true, false);
  ScaleListLayout list = LayoutFilterTabs();
  ASSERT_TRUE(list.valid);
  // The row names stand in the board's label column, one to a slot: slot 4 holds row 6.
  const LayoutFacts facts = GetLayoutFacts();
  const int rowX = (int)(list.list.x + list.list.w / 2);
  const int rowY = (int)(facts.boardGrid.y + 4.0f * (facts.rowHeight + facts.rowGap) + facts.rowHeight / 2.0f);
  const int stripX = (int)list.stripX, stripY = (int)((list.stripTop + list.stripBottom) / 2);
  int row = -1;
  ASSERT_TRUE(FilterTabAt(rowX, rowY, &row));
  ASSERT_EQ(row, 6);
  auto frames = [](int n) {
    for (int i = 0; i < n; ++i) AdvanceScaleListFades(0.02f);
  };

  Press(rowX, rowY);
  EXPECT_TRUE(IsScaleListHeld());
  EXPECT_FALSE(gScaleListDragging);
  EXPECT_TRUE(ScaleListHasPointer());
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 6.0f);
  EXPECT_EQ(ScaleListScrollRate(), 20.0f);
  gListHoldFade = 0.0f;
  frames(10);
  const float heldFade = gListHoldFade;
  EXPECT_GT(heldFade, 0.5f);
  Move(rowX, rowY + (int)list.rowPitch);   // a held row press does not turn into a drag
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 6.0f);
  Release(rowX, rowY);
  EXPECT_FALSE(IsScaleListHeld());
  EXPECT_FALSE(ScaleListHasPointer());
  EXPECT_NE(ScaleListScrollRate(), 20.0f);
  frames(10);
  EXPECT_LT(gListHoldFade, heldFade);

  // A button-up lost outside the window: the next move without the button ends the hold.
  Press(rowX, rowY);
  ASSERT_TRUE(IsScaleListHeld());
  Move(rowX + 3, rowY, 0);
  EXPECT_FALSE(IsScaleListHeld());
  EXPECT_FALSE(ScaleListHasPointer());

  // Practice mode takes the list away: the hold ends and the pointer goes back.
  Press(rowX, rowY);
  ASSERT_TRUE(IsScaleListHeld());
  gPracticeMode = true;
  EXPECT_FALSE(IsScaleListHeld());   // the list no longer takes input, whatever the button
  HoldPracticeModeViews();
  EXPECT_FALSE(ScaleListHasPointer());
  gPracticeMode = false;
  EXPECT_FALSE(IsScaleListHeld());   // and does not come back with the list
  Release(rowX, rowY);

  // The tabs opened over the list end the hold on the next move.
  Press(rowX, rowY);
  ASSERT_TRUE(IsScaleListHeld());
  gFilterPanelOpen = true;
  EXPECT_FALSE(IsScaleListHeld());
  Move(rowX, rowY);
  EXPECT_FALSE(ScaleListHasPointer());
  gFilterPanelOpen = false;
  gFilterOpenFade = 0.0f;
  Release(rowX, rowY);

  // The strip drags, which is no hold.
  Press(stripX, stripY);
  EXPECT_TRUE(gScaleListDragging);
  EXPECT_FALSE(IsScaleListHeld());
  Release(stripX, stripY);
  EXPECT_FALSE(ScaleListHasPointer());
}

TEST_F(MouseRouting, OneWheelNotchOverTheBoardScrollsTheListOneRow) {
  gScaleListMode = true;
  gScaleFilter = 7;
  RebuildVisibleScales();
  SetScaleListScroll(5.0f, true, false);
  BoardLayout b = BoardLayoutNow();
  int x = (int)(b.panelX + b.panelW / 2), y = (int)(b.panelY + b.panelH / 2);
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)120, MakePointParam(x, y));
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 4.0f);
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)-240, MakePointParam(x, y));
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 6.0f);
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)120, MakePointParam(5, 5));   // over the circle
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 6.0f);
  gPracticeStrip = false;
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)120, MakePointParam(x, y));
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 6.0f);
}

// Ctrl-presses pick cells; a press without Ctrl anywhere but on a picked cell drops the pick, so a
// later Backspace reports and clears nothing the user has moved away from.
TEST_F(MouseRouting, APressWithoutCtrlOffThePickDropsIt) {
  int ax, ay, bx, by, cx, cy;
  BoardCellCentre(0, 1, &ax, &ay);
  BoardCellCentre(1, 4, &bx, &by);
  BoardCellCentre(5, 6, &cx, &cy);
  Press(ax, ay, kMouseFlagControl);
  Release(ax, ay);
  Press(bx, by, kMouseFlagControl);
  Release(bx, by);
  ASSERT_EQ(gSelectedCells.size(), 2u) << gStatusText;
  Press(bx, by);
  Release(bx, by);
  EXPECT_EQ(gSelectedCells.size(), 2u) << "a press on a picked cell keeps the pick";
  Press(cx, cy);
  Release(cx, cy);
  EXPECT_TRUE(gSelectedCells.empty()) << "a plain press elsewhere on the grid";
  EXPECT_EQ(gSelectionAnchorRow, -1);
  EXPECT_EQ(gStatusText.find("picked"), std::string::npos) << "the line counting the pick goes with it: " << gStatusText;
  gStatusText.clear();
  Key(kKeyBack);
  EXPECT_EQ(gStatusText, "");
  Press(ax, ay, kMouseFlagControl);
  Release(ax, ay);
  ASSERT_EQ(gSelectedCells.size(), 1u);
  Click(gRepeatButtonRect);
  EXPECT_TRUE(gSelectedCells.empty()) << "a press off the grid";
  EXPECT_EQ(gStatusText.find("picked"), std::string::npos) << gStatusText;
}

// A quick second Ctrl-press on a cell arrives as a double click: it unpicks the cell as a slow one
// does and clears nothing earned, the other picked cell included; a plain double click on a picked
// cell still clears the pick.
TEST_F(MouseRouting, ACtrlDoubleClickUnpicksTheCellAndClearsNothing) {
  SyncAchievementRows();
  const int row = FindScaleRow(ScaleWindowItemScale(2));
  ASSERT_GE(row, 0);
  Earn(row, 5);
  Earn(row, 7);
  int ax, ay, bx, by;
  BoardCellCentre(2, 5, &ax, &ay);
  BoardCellCentre(2, 7, &bx, &by);
  Press(bx, by, kMouseFlagControl);
  Release(bx, by);
  Press(ax, ay, kMouseFlagControl);
  Release(ax, ay);
  ASSERT_EQ(gSelectedCells.size(), 2u) << gStatusText;
  DoubleClick(ax, ay, kMouseFlagControl);
  Release(ax, ay);
  EXPECT_EQ(gAchvDone[row][5], 1) << gStatusText;
  EXPECT_EQ(gAchvDone[row][7], 1);
  EXPECT_EQ(gSelectedCells, (std::set<std::pair<int, int>>{{row, 7}}));
  EXPECT_EQ(gStatusText, "1 picked - double-click or Backspace to clear");
  EXPECT_FALSE(DataExists("achievements.dat")) << "nothing was saved";

  Press(bx, by);
  Release(bx, by);
  DoubleClick(bx, by);
  Release(bx, by);
  EXPECT_EQ(gAchvDone[row][7], 0);
  EXPECT_EQ(gAchvDone[row][5], 1);
  EXPECT_TRUE(gSelectedCells.empty());
  EXPECT_EQ(gStatusText, "Cleared 1");
  EXPECT_TRUE(DataExists("achievements.dat"));
}

TEST_F(MouseRouting, AnOpenPromptSwallowsEveryPointerEvent) {
  gPlacementPromptOpen = true;
  gStudents = {MakeStudent("Ada", "ada")};
  Click(gStudentsButtonRect);
  DoubleClick(XAt(10000), BarY());
  MainWndProc(kMsgMouseWheel, 120, MakePointParam(10, 10));
  MainWndProc(kMsgRButtonDown, kMouseFlagRight, MakePointParam(10, 10));
  EXPECT_FALSE(gStudentListOpen || gLoopStartSet);
  EXPECT_TRUE(gPlacementPromptOpen);
}

TEST_F(MouseRouting, TheBandsButtonsToggleAndStep) {
  const struct { const RectF* r; bool* flag; const char* on; const char* off; } toggles[] = {
      {&gRepeatButtonRect, &gPlaylistRepeat, "Loop ON", "Loop OFF"},
      {&gShuffleButtonRect, &gPlaylistShuffle, "Shuffle ON", "Shuffle OFF"},
  };
  for (const auto& t : toggles) {
    ASSERT_GT(t.r->w, 2.0f);
    Click(*t.r);
    EXPECT_TRUE(*t.flag);
    EXPECT_EQ(gStatusText, t.on);
    Click(*t.r);
    EXPECT_FALSE(*t.flag);
    EXPECT_EQ(gStatusText, t.off);
  }
  // Nothing loaded: the button asks for a file. A song opened on its own, as a lesson opens one, is
  // loaded and has nothing to step to: nothing is asked for.
  const std::vector<SongEvent> song = std::exchange(gSongEvents, {});
  Click(gNextButtonRect);
  EXPECT_EQ(gStatusText, "Load a MIDI file/folder first");
  gSongEvents = song.empty() ? std::vector<SongEvent>(1) : song;
  gStatusText = "Lesson 1";
  Click(gNextButtonRect);
  EXPECT_EQ(gStatusText, "Lesson 1");
  gSongEvents = song;
  // A list whose other files cannot be read says why, not that nothing is loaded.
  gPlaylist = {"/nonexistent/a.mid", "/nonexistent/b.mid"};
  gPlaylistIndex = 0;
  Click(gNextButtonRect);
  EXPECT_EQ(gStatusText.rfind("MIDI load failed", 0), 0u) << gStatusText;
  gPlaylist.clear();
  gLoopStartSet = gLoopEndSet = true;
  Click(gClearLoopButtonRect);
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet);
  Click(gFileButtonRect);
  EXPECT_TRUE(gFileMenuOpen);
  ASSERT_GT(gFileMenuRect.w, 2.0f);
  Click(RectF{gFileMenuRect.x + 1, gFileMenuRect.y + gFileMenuRect.h - 2, 1, 1});   // inside, on no item
  EXPECT_TRUE(gFileMenuOpen);
  Press(5, 890);
  EXPECT_FALSE(gFileMenuOpen) << "a press outside closes the menu";
  Release(5, 890);

  // An item closes the menu at once; its dialog waits until the loop has shown that, and opens once.
  static int asked = 0;
  asked = 0;
  SetFileDialogScriptForTesting([](const FileDialogRequest&, std::string*) { return ++asked, false; });
  Click(gFileButtonRect);
  RelayoutAll();
  Click(gFileMenuOpenFileRect);
  EXPECT_FALSE(gFileMenuOpen);
  EXPECT_EQ(asked, 0) << "the dialog opened over a frame that still showed the menu";
  RunChosenMenuItem();
  RunChosenMenuItem();
  EXPECT_EQ(asked, 1);
  SetFileDialogScriptForTesting(nullptr);
}

// The song-view button is the way into the song view, and from it to the NOTE FALL button and
// the library: it switches the view on, and off for good (the keep-alive of the loaded song does
// not bring it back); the learning button switches the overlay and follows it to its new place.
TEST_F(MouseRouting, TheViewButtonsSwitchTheSongViewAndTheOverlay) {
  ASSERT_GT(gSongViewButtonRect.w, 2.0f) << "shown in the plain view";
  Click(gSongViewButtonRect);
  EXPECT_TRUE(gSongView);
  KeepSongView();
  EXPECT_TRUE(gSongView && gWaitMode) << "kept for the loaded song";
  Click(gSongViewButtonRect);
  KeepSongView();
  EXPECT_FALSE(gSongView || gWaitMode) << "left, and not brought back";
  ASSERT_GT(gLearningButtonRect.w, 2.0f);
  Click(gLearningButtonRect);
  EXPECT_TRUE(gLearningOverlay);
  ASSERT_GT(gLearningButtonRect.w, 2.0f) << "still reachable in the overlay";
  Click(gLearningButtonRect);
  EXPECT_FALSE(gLearningOverlay);
  gPracticeMode = true;
  RelayoutAll();
  EXPECT_FALSE(gLearningButtonRect.w > 2.0f || gSongViewButtonRect.w > 2.0f) << "not in practice mode";
}

// The toolbar's flag is shown while the practice strip is hidden too: a press on it shows the strip
// and starts the choice of a region, instead of doing nothing.
// The grid is drawn from the first frame: a press on a cell picks it without any command first,
// and the arrows step from there.
TEST_F(MouseRouting, TheGridAnswersFromTheStart) {
  ResetViewModes();
  AdvanceViewFades(0.1f);
  RelayoutAll();
  int x, y;
  BoardCellCentre(1, 2, &x, &y);   // Dorian, third key of the circle: D
  Press(x, y);
  Release(x, y);
  EXPECT_EQ(gCurrentScale, ScaleWindowItemScale(1));
  EXPECT_EQ(gKeyRoot, 2);
  Key(kKeyRight);
  EXPECT_EQ(gKeyRoot, 9) << "the next key of the circle, A";
}

TEST_F(MouseRouting, TheToolbarsFlagStartsARunWithTheStripHidden) {
  gPracticeStrip = false;
  gPracticeStripFade = 0.0f;
  RelayoutAll();
  ASSERT_GT(gToolbarRects[6].w, 2.0f);
  Click(gToolbarRects[6]);
  EXPECT_TRUE(gPracticeStrip);
  EXPECT_EQ(gPracticeState, kPracticeChoosing);
  ExitPracticeRun();
}

}  // namespace
