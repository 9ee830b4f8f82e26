// app/mouse_routing: the click, double-click, button-up, move and wheel orders.
//
// The start screen and the device pickers it shows come before everything else, so nothing under
// them answers while they cover the window. A drag never outlives its button: a move that arrives
// with the left button up while a drag is on ends the drag as the lost button-up would have.
#include "app/mouse_routing.h"

#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/pointer.h"
#include "app/base/ring_key_drag.h"
#include "app/base/view_modes.h"
#include "app/circle_key_drag.h"
#include "app/header_buttons.h"
#include "app/main_loop.h"
#include "app/students_panel_input.h"
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "board/note_fall_button.h"
#include "board/note_fall_mode.h"
#include "board/practice_run_mouse.h"
#include "classroom/attendance_panel.h"
#include "classroom/classroom_panels.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/performance_note.h"
#include "learning_ui/placement_prompt.h"
#include "midi/click.h"
#include "midi/device_pickers.h"
#include "midi/metronome_panel.h"
#include "midi/playback.h"
#include "midi/seek_bar_input.h"
#include "midi/teaching_record.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "practice/practice_run.h"
#include "practice/teaching_state.h"
#include "theory/filter_tabs.h"
#include "theory/scale_list_input.h"
#include "theory/scale_selection.h"
#include "visual/start_screen.h"

// ---- state ----
static bool gPressClosedNote = false;  // the last left press closed a performance note with its close box

// ---- internal helpers ----
static bool StartScreenUp() { return IsStartScreenVisible(GetAppSeconds()); }

// The start screen with its device pickers; it takes every press while it is shown.
static bool StartScreenMouseDownRoute(int x, int y) {
  return HitAudioOutPanel(x, y) || ClickAudioOutPanel(x, y) || ClickMidiInputPanel(x, y) ||
         StartScreenMouseDown(x, y);
}

static bool ScaleListRouteMouseDown(int x, int y) {
  if (!IsFilterPanelEnabled() || IsOverlayOpaque() || IsFilterPanelShown()) return false;
  bool capture = false;
  if (!ScaleListMouseDown(x, y, &capture)) return false;
  if (capture) CaptureMouse(true);
  return true;
}

// The overlay's list stands in its filter area: a press on a row or on the strip is the list's, and
// only the rest of the area brings the tabs back. The list answers here, before the circle's key
// marker or anything else laid under it is asked.
static bool OverlayFilterAreaMouseDown(int x, int y) {
  if (!IsLearningOverlayShown() || !IsFilterPanelEnabled() || !IsPointInFilterTabArea(x, y)) return false;
  const bool onList = PointInRect(LayoutFilterTabs().list, x, y) || HoverFilterTabs(x, y);
  if (onList && ScaleListRouteMouseDown(x, y)) return true;
  if (ScaleListHasPointer()) {
    EndScaleListDrag();
    CaptureMouse(false);
  }
  TurnOverlayFilterPanelOn();
  RelayoutAll();
  return true;
}

// The classroom panels, the performance note cards and the learning screen, which stand over
// everything else of the view; true when one took the press.
static bool TopLayersMouseDown(int x, int y) {
  return ClassroomPanelsMouseDown(x, y) || PerformanceNoteMouseDown(x, y) || HandleLearningClick(x, y);
}

// The open students panel is drawn over the controls and the overlay's scale list: a press on it
// is its own, before anything under it is asked.
static bool StudentsPanelOnTopMouseDown(int x, int y) {
  return StudentsPanelCovers(x, y) && StudentsPanelMouseDown(x, y);
}

// The controls above the board, in their click order; true when one took the press.
static bool ControlsMouseDown(int x, int y, uint64_t flags) {
  bool shift = (flags & kMouseFlagShift) != 0, ctrl = (flags & kMouseFlagControl) != 0;
  if (gPracticeMode && PointInRect(gSliderPanelButtonRect, x, y)) {
    SetSliderPanelOpen(!gSliderPanelOpen);
    return true;
  }
  if (SlidersMouseDown(x, y)) return true;
  // Laid out again: the stop button shows only while the metronome runs.
  if (PointInRect(gMetronomeStopRect, x, y)) {
    StopMetronome();
    RelayoutAll();
    return true;
  }
  // The toolbar shows the practice run's flag with the strip hidden as well: a press on it brings
  // the strip in and starts the choice of a region, where it would otherwise do nothing.
  if (!gPracticeStrip && !gPracticeMode && !gLearningOverlay && PointInRect(gToolbarRects[6], x, y)) {
    gPracticeStrip = true;
    RelayoutAll();
    TogglePracticeRun();
    return true;
  }
  if (IsPracticeStripFadedIn() && OnPracticeMouseDown(x, y)) return true;
  if (!gPracticeMode && IsPracticeStripFadedIn() && IsFilterPanelAvailable() && !IsOverlayOpaque()) {
    // A tab chosen on the overlay brings the list up left of the staff: the staff moves over, and
    // the button column beside it follows only when it is laid out again.
    const bool listShown = IsOverlayListShown();
    if (ClickFilterTabs(x, y)) {
      if (IsOverlayListShown() != listShown) RelayoutAll();
      return true;
    }
  }
  if (OverlayFilterAreaMouseDown(x, y)) return true;
  if (IsStudentViewActive() && OnTimingPanelMouseDown(x, y, ClockMs32(), false)) return true;
  if (PointInRect(gToolbarToggleHitRect, x, y)) {
    gBackdropTint = !gBackdropTint;
    return true;
  }
  if (ViewButtonsMouseDown(x, y)) return true;
  if (!IsLearningOverlayShown() && HeaderButtonsMouseDown(x, y)) return true;
  if (gUnloadSongRect.w > 2.0f && PointInRect(gUnloadSongRect, x, y)) {
    UnloadMidi();
    return true;
  }
  if (!IsLearningOverlayShown() && PlaylistRowMouseDown(x, y)) return true;
  // The metronome panel shares the playlist's row; its switch brings or takes the stop button.
  PlaceMetronomePanel();
  const bool metronomeWasOn = gTeachingState.metronomeOn != 0;
  if (MetronomePanelMouseDown(x, y, shift)) {
    if ((gTeachingState.metronomeOn != 0) != metronomeWasOn) RelayoutAll();
    return true;
  }
  if (SpeedSliderMouseDown(x, y)) return true;
  const bool alt = (flags & kMouseFlagAlt) != 0;
  if (!IsLearningOverlayShown() &&
      (LoopHandleMouseDown(x, y, shift || ctrl || alt) || SeekBarMouseDown(x, y, shift, ctrl, alt)))
    return true;
  return false;
}

// The students panel, the circle, the scale list and the board, in their click order.
static void ViewMouseDown(int x, int y, bool shift, bool ctrl) {
  if (PointInRect(gSideListStudentsButtonRect, x, y)) {
    ToggleStudentsPanel();
    return;
  }
  if (StudentsPanelMouseDown(x, y)) return;
  if (BeginRingKeyDrag(x, y)) return;
  if (ScaleListRouteMouseDown(x, y)) return;
  // The button lies on the lane's keyboard, which stands whether or not the strip does; its
  // rectangle is hidden in every frame that does not draw it.
  if (PointInRect(gNoteFallButtonRect, x, y)) {
    ToggleNoteFallMode();
    return;
  }
  if (!IsPracticeStripFadedIn()) return;
  if (!gPracticeMode && !gLearningOverlay) OnGridMouseDown(x, y, ctrl, shift);
}

// Everything a button-up ends; returns whether the key drag on the circle was on.
static bool EndEveryDrag() {
  bool ringWasDragging = gRingDragging;
  gRingDragging = false;   // the dragged position stays for the sweep that starts from it
  bool listWasDragging = EndScaleListDrag();
  EndTransportDrags();
  EndColourWheelDrag();
  if (listWasDragging) CommitPendingScaleRow(true);
  EndSliderDrag();
  CaptureMouse(false);
  return ringWasDragging;
}

static bool IsPointOnBoardOrList(int x, int y) {
  auto inOutward = [x, y](float left, float top, float w, float h) {
    return (float)x >= std::floor(left) && (float)x <= std::ceil(left + w) && (float)y >= std::floor(top) &&
           (float)y <= std::ceil(top + h);
  };
  ScaleListLayout list = LayoutFilterTabs();
  if (list.valid && inOutward(list.area.x, list.area.y, list.area.w, list.area.h)) return true;
  if (HoverFilterTabs(x, y)) return true;
  // The board's rectangle keeps its place under the learning overlay and practice mode, where the
  // staff or the lane stands over it: only a board on screen scrolls the list.
  if (!IsPracticeStripShown()) return false;
  BoardLayout b;
  ComputeBoardLayout(&b);
  return inOutward(b.panelX, b.panelY, b.panelW, b.panelH);
}

// ---- public functions ----
void ResetMouseRouting() { gPressClosedNote = false; }

bool IsAnyMouseDragOn() {
  return gRingDragging || ScaleListHasPointer() || gSeekDragMode != kSeekDragNone || gSpeedDragging ||
         gColourWheelDrag || gDraggedSlider >= 0 || gLanguageDragging || IsPracticeRegionDragging() ||
         gAttendancePanelDragging || gNoteDragSelect || gDraggedStudentIndex >= 0 || IsPerformanceNoteDragging();
}

void HandleLeftButtonDown(int x, int y, uint64_t flags) {
  gPressClosedNote = false;
  DropSelectionForPress(x, y, (flags & kMouseFlagControl) != 0);
  if (gPlacementPromptOpen) {
    PlacementPromptMouseDown(x, y);
    return;
  }
  bool shift = (flags & kMouseFlagShift) != 0, ctrl = (flags & kMouseFlagControl) != 0;
  if (StartScreenMouseDownRoute(x, y)) return;
  const size_t notesBefore = gPerformanceNotes.size();
  if (TopLayersMouseDown(x, y)) {
    gPressClosedNote = gPerformanceNotes.size() < notesBefore;
    return;
  }
  if (StudentsPanelOnTopMouseDown(x, y)) return;
  if (ControlsMouseDown(x, y, flags)) return;
  ViewMouseDown(x, y, shift, ctrl);
}

void HandleLeftDoubleClick(int x, int y, uint64_t flags) {
  if (gPlacementPromptOpen) return;
  if (StartScreenMouseDownRoute(x, y)) return;
  // The first press closed a note: the second belongs to the same close box, not to the card,
  // loop point or earned cell the note covered.
  if (gPressClosedNote) {
    gPressClosedNote = false;
    return;
  }
  if (AttendancePanelOnDoubleClick(x, y)) return;
  // What stands over the seek bar and the grid takes the second press as a press: a double click
  // on a panel, a card or the learning screen must not set a loop or clear an earned cell below.
  if (TopLayersMouseDown(x, y)) return;
  if (IsStudentViewActive() && OnTimingPanelMouseDown(x, y, ClockMs32(), true)) return;
  if (PracticeStripSwallowsDoubleClick(x, y)) return;
  // The open file menu lies over the seek bar: its frame swallows a press, so the second one too.
  if (gFileMenuOpen && PointInRect(gFileMenuRect, x, y)) {
    HandleLeftButtonDown(x, y, flags);
    return;
  }
  if (!IsLearningOverlayShown() && SeekBarDoubleClick(x, y)) return;
  if (StudentsPanelSwallowsDoubleClick(x, y)) return;
  // Ctrl makes the second press a pick like the first, so it unpicks the cell: clearing the pick
  // belongs to a plain double click, and a quick Ctrl-click twice must not throw it away.
  if (IsPracticeStripShown() && !(flags & kMouseFlagControl)) {
    int row = -1, col = -1;
    if (HitTestScaleGrid(x, y, &row, &col)) {
      OnGridDoubleClick(x, y);
      return;
    }
  }
  HandleLeftButtonDown(x, y, flags);
}

void HandleLeftButtonUp(int x, int y, uint64_t) {
  if (gPlacementPromptOpen) return;
  if (StartScreenUp()) {
    StartScreenMouseUp();
    CaptureMouse(false);
    return;
  }
  AttendancePanelOnMouseUp();
  if (TakeSearchDragEnd() || EndLibraryScrollbarDrag() || PerformanceNoteMouseUp()) return;
  OnPracticeMouseUp(x, y);
  if (IsStudentViewActive()) OnTimingPanelMouseUp(x);
  FinishRingKeyDrag(EndEveryDrag());
}

void HandleMouseMove(int x, int y, uint64_t flags) {
  // A button-up lost to a focus change would leave the pointer hidden and captured.
  if (!(flags & kMouseFlagLeft) && IsAnyMouseDragOn()) HandleLeftButtonUp(x, y, flags);
  if (AttendancePanelOnMouseMove(x, y)) return;
  if (DragSearchSelection(x)) return;
  if (DragLibraryScrollbar() || PerformanceNoteMouseMove() || StartScreenMouseMove(x, y) || SlidersMouseDrag() ||
      OnPracticeMouseMove())
    return;
  if (IsStudentViewActive()) OnTimingPanelMouseDrag();
  FollowColourWheelDrag(x, y);
  if (TransportMouseDrag(x)) return;
  ForgetClosedPanelEdits();
  if (IsFilterPanelShown()) {
    ClearGridHover();
    if (ScaleListHasPointer()) {
      EndScaleListDrag();
      CaptureMouse(false);
    }
    return;
  }
  if (gScaleListDragging) {
    if (DragScaleList(y)) return;
    CaptureMouse(false);
  }
  if (IsPracticeStripFadedIn())
    UpdateGridHover(x, y);
  else
    ClearGridHover();
  FollowRingKeyDrag(x, y);
}

void HandleRightButtonDown(int, int, uint64_t) {}

void HandleMouseWheel(int delta, int x, int y, uint64_t) {
  if (gPlacementPromptOpen) return;
  // A card over the list uses the turn up, as it would a press.
  if (DevicePickersWheel(x, y, delta) || StartScreenMouseWheel(x, y, delta) || ClassroomPanelsWheel(x, y, delta) ||
      PerformanceNoteAt(x, y) >= 0 || ScrollLearningList(delta))
    return;
  if (StudentsPanelWheel(x, y, delta)) return;   // its list turns; nothing it hides does
  if (IsStudentViewActive() && OnTimingPanelWheel(x, y, delta)) return;
  PlaceMetronomePanel();
  if (MetronomePanelWheel(x, y, delta)) return;
  if (!IsPracticeStripFadedIn()) return;
  if (IsFilterPanelShown() || !IsFilterPanelEnabled() || IsOverlayOpaque() || delta == 0) return;
  if (IsPointOnBoardOrList(x, y)) SetScaleListScroll(gScaleListScrollTarget - (float)delta / 120.0f, false, true);
}
