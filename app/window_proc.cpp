// app/window_proc: the window procedure: sizing, cursor, close and destroy, and the routing of
// keys, characters, mouse and MIDI input to their handlers.
#include "app/window_proc.h"

#include "app/base/app_state.h"
#include "app/base/logs.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "app/key_commands.h"
#include "app/mouse_routing.h"
#include "app/note_input.h"
#include "app/window_size.h"
#include "board/grid_interaction.h"
#include "classroom/background_job.h"
#include "classroom/teacher_notes.h"
#include "gfx/gl_setup.h"
#include "gfx/hit_regions.h"
#include "gfx/rect.h"
#include "gfx/ui_language.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "midi/metronome_panel.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "practice/data_files.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "theory/filter_tabs.h"
#include "visual/ring_mode.h"

// ---- constants ----

// ---- internal helpers ----
// Everything else is saved as it changes.
static void SaveWhatOnlyTheCloseSaves() {
  if (gRingModePendingSave >= 0) {
    SaveRingMode(gRingModePendingSave != 0);
    gRingModePendingSave = -1;
  }
  // Nothing else saves a note being typed when the window goes.
  CommitNoteEdit();
  // What the files could not take yet: the students, and any store whose save failed.
  SaveDirtyStudents();
  SaveDirtyStores();
  if (gLibraryLoaded) {
    SaveCalendar();
    SaveMastery();
    SaveProgress();
    SaveSchedule();
  }
  WaitForPendingSaves();
  WaitForClassroomWorkers();
}

static void HandleDestroy() {
  SaveWhatOnlyTheCloseSaves();
  if (gGlowTexture != 0 && gGlReady) DeleteGlowTexture();
  gGlowTexture = 0;
  AppendExitLog("WM_DESTROY");
  gAppRunning = false;
  PostAppMessage(kMsgQuit, 0, 0);
}

static bool PointerOver(const RectF& r) { return PointInRect(r, gMouseX, gMouseY); }

static int64_t HandleSetCursor(uint32_t code, uint64_t wParam, int64_t lParam) {
  if ((lParam & 0xFFFF) != kHitClient) return DefaultWindowHandling(code, wParam, lParam);
  if (IsRegionSelectable()) {
    CursorShape region = GetRegionCursor();
    if (region != kCursorNone) {
      SetCursorShape(region);
      return 1;
    }
  }
  bool hand = (gPracticeMode && PointerOver(gSliderPanelButtonRect)) || PointerOver(gUnloadSongRect) ||
              PointerOver(gMetronomeStopRect) || IsPointOnMetronomePanel(gMouseX, gMouseY) ||
              (IsFilterPanelEnabled() && IsLearningOverlayShown() &&
               IsPointInFilterTabArea(gMouseX, gMouseY));
  if (hand) {
    SetCursorShape(kCursorHand);
    return 1;
  }
  return DefaultWindowHandling(code, wParam, lParam);
}

// ---- public functions ----
int64_t DefaultWindowHandling(uint32_t code, uint64_t wParam, int64_t lParam) {
  (void)wParam;
  (void)lParam;
  if (code == kMsgClose && gMainWindowOpen) {
    // The window goes away now; the GL context stays with the hidden window until shut-down.
    WindowHide();
    gMainWindowOpen = false;
    SendAppMessage(kMsgDestroy, 0, 0);
  }
  return 0;
}

void HandleDisplayLost() {
  AppendExitLog("display lost (the connection to the window system broke)");
  SaveWhatOnlyTheCloseSaves();
}

int64_t MainWndProc(uint32_t code, uint64_t wParam, int64_t lParam) {
  switch (code) {
    case kMsgDestroy: HandleDestroy(); return 0;
    case kMsgSize:
      // Any size the window system reports after a minimise means the window shows again.
      gWindowMinimised = wParam == kSizeMinimized;
      if (gWindowMinimised) return 0;
      ApplyClientSize(SizeParamWidth(lParam), SizeParamHeight(lParam), false);
      return 0;
    case kMsgClose:
      // A close request that arrives after the window went away (the system's quit event follows
      // the close box) has nothing left to close.
      if (!gMainWindowOpen) return 0;
      AppendExitLog("WM_CLOSE (title bar, Alt+F4, or a close request)");
      return DefaultWindowHandling(code, wParam, lParam);
    case kMsgSetCursor: return HandleSetCursor(code, wParam, lParam);
    case kMsgGetMinMaxInfo:
      if (lParam != 0) {
        MinTrackSize* out = (MinTrackSize*)(intptr_t)lParam;
        GetWindowSizeLimits(&out->width, &out->height);
      }
      return 0;
    case kMsgDisplayChange:
    case kMsgDpiChanged: {
      HandleDisplayChange();
      // The window system asks for no minimum on its own: the new display's bounds are applied here.
      MinTrackSize limits{0, 0};
      GetWindowSizeLimits(&limits.width, &limits.height);
      WindowSetMinimumClientSize(limits.width, limits.height);
      return 0;
    }
    case kMsgKeyDown:
    case kMsgSysKeyDown: HandleKeyCommand((int)wParam, lParam); return 0;
    case kMsgChar: HandleCharInput((uint32_t)wParam); return 0;
    case kMsgMouseMove:
      gMouseX = PointParamX(lParam);
      gMouseY = PointParamY(lParam);
      HandleMouseMove(gMouseX, gMouseY, wParam);
      return 0;
    case kMsgLButtonDown: HandleLeftButtonDown(PointParamX(lParam), PointParamY(lParam), wParam); return 0;
    case kMsgLButtonUp: HandleLeftButtonUp(PointParamX(lParam), PointParamY(lParam), wParam); return 0;
    case kMsgLButtonDblClk: HandleLeftDoubleClick(PointParamX(lParam), PointParamY(lParam), wParam); return 0;
    case kMsgRButtonDown: HandleRightButtonDown(PointParamX(lParam), PointParamY(lParam), wParam); return 0;
    case kMsgMouseWheel:
      HandleMouseWheel(WheelDeltaParam(wParam), PointParamX(lParam), PointParamY(lParam), wParam);
      return 0;
    case kMsgMidiInData: HandleMidiInData(wParam, lParam); return 0;
    case kMsgMidiInError:
    case kMsgMidiInLongError: HandleMidiInError(code, wParam, lParam); return 0;
    case kMsgMidiNote: HandleMidiNoteMessage(wParam, lParam); return 0;
    case kMsgMidiSustain: HandleMidiSustainMessage(wParam, lParam); return 0;
    case kMsgMidiAllNotesOff: HandleMidiAllNotesOffMessage(wParam, lParam); return 0;
    default: return DefaultWindowHandling(code, wParam, lParam);
  }
}
