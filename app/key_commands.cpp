// app/key_commands: the command keys and the character input.
#include "app/key_commands.h"

#include <algorithm>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/header_buttons.h"
#include "app/main_loop.h"
#include "app/midi_reset.h"
#include "app/song_view.h"
#include "app/window_size.h"
#include "board/grid_interaction.h"
#include "classroom/classroom_panels.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/placement_prompt.h"
#include "midi/click.h"
#include "midi/playback.h"
#include "platform/keys.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"
#include "visual/start_screen.h"

// ---- constants ----
constexpr int64_t kAltContextBit = 1LL << 29;   // a system key's lParam: Alt was down
constexpr float kThemeLevelPreset = 0.35f;      // F2

// ---- state ----
int gArrowStepMode = 0;   // F3..F11; mode kArrowStepFine makes the theme steps finer

// ---- internal helpers ----
static bool StartScreenUp() { return IsStartScreenVisible(GetAppSeconds()); }

// Nothing but the grid has the keyboard: no prompt, entry, search box or start screen. Backspace
// typed into the search box must never clear earned cells.
static bool GridHasKeyboard() {
  return !gPlacementPromptOpen && !gStudentNameEntryActive && !(gLibraryOpen && IsSearchBoxFocused()) &&
         !StartScreenUp() && !ClassroomPanelHasKeyboard();
}

// Backspace clears earned cells only of a grid the user sees and can point at: not behind the
// learning screen, the lane of practice mode, the learning overlay, a hidden strip or an open
// classroom panel, where the grid's cells still lie under the pointer though nothing of them shows
// or takes a press.
static bool GridOnScreen() { return IsPracticeStripShown() && !gLibraryOpen && !IsClassroomPanelOpen(); }

// Shift or Ctrl + Backspace over a grid cell: every earned cell of that scale (Shift) or of that key
// in the seven shown scales (Ctrl). True when the key was used, also when nothing was earned.
static bool ClearEarnedLineUnderPointer(bool shift, bool ctrl) {
  if (shift == ctrl) return false;
  int row = -1, col = -1;
  if (!HitTestScaleGrid(gMouseX, gMouseY, &row, &col) || row < 0 || row > 6 || col < 0 || col > 11) return false;
  SyncAchievementRows();
  int cleared = 0;
  auto rowOfSlot = [](int slot) {
    const ScaleRow* scale = ScaleWindowItemScale(slot);
    return scale ? FindScaleRow(scale) : -1;
  };
  if (shift) {
    int achievementRow = rowOfSlot(row);
    for (int c = 0; c < 12; ++c) cleared += ClearEarnedCell(achievementRow, c);
  } else {
    for (int slot = 0; slot < 7; ++slot) cleared += ClearEarnedCell(rowOfSlot(slot), col);
  }
  if (cleared > 0) {
    SyncAchievementRows();
    SaveAchievements();
    gStatusText = shift ? TrF("Cleared %d in this scale", cleared) : TrF("Cleared %d in this key", cleared);
  }
  return true;
}

// Escape backs out of one view at a time; false when there was nothing to leave.
static bool BackOutOfView() {
  if (gStudentView) {
    gStudentView = false;
    RelayoutAll();
  } else if (gFullscreen) {
    ToggleFullscreen();
  } else if (gPracticeMode) {
    gPracticeMode = false;
    SetSliderPanelOpen(false);
    // The view keeper must not put practice mode straight back on.
    gSongViewArmed = false;
    gSongViewCancelled = true;
    RelayoutAll();
  } else if (IsPracticeRunActive()) {
    ExitPracticeRun();
  } else {
    return false;
  }
  return true;
}

static void ApplyPickedScale() {
  int ringPos = gRingPos >= 0 && gRingPos <= 11 ? gRingPos : std::clamp(RingPosOfPitchClass(gKeyRoot), 0, 11);
  SelectScale(gPickedScale ? gPickedScale : gCurrentScale, ringPos, false);
}

static void ArrowStep(int key, bool shift, bool ctrl) {
  int rowStep = key == kKeyUp ? -1 : key == kKeyDown ? 1 : 0;
  int colStep = key == kKeyLeft ? -1 : key == kKeyRight ? 1 : 0;
  bool vertical = rowStep != 0;
  // The learning screen covers the board: a selection stepped unseen there would greet the user
  // with another scale and key once it closes. Only Ctrl+Up and Ctrl+Down (the theme) act there.
  if (gLibraryOpen && !(vertical && ctrl)) return;
  if (IsPracticeStripFadedIn() && !(vertical && ctrl) && StepScaleSelection(rowStep, colStep)) return;
  if (!vertical) return;
  bool fine = gArrowStepMode == kArrowStepFine;
  float step = shift ? (fine ? 0.05f : 0.1f) : (fine ? 0.01f : 0.02f);
  gThemeLevel += rowStep < 0 ? step : -step;
  ClampThemeLevel();
}

static void KeyTable(int key, bool shift, bool ctrl) {
  switch (key) {
    case kKeyReturn: ApplyPickedScale(); return;
    case kKeySpace: TogglePlayback(); return;
    case kKeyLeft:
    case kKeyRight:
    case kKeyUp:
    case kKeyDown: ArrowStep(key, shift, ctrl); return;
    case 'F': ToggleFullscreen(); return;
    case 'M':
      if (shift) {
        gPracticeStrip = !gPracticeStrip;
        gStatusText = gPracticeStrip ? "Practice strip shown" : "Practice strip hidden";
        RelayoutAll();
      } else {
        StopMetronome();
        RelayoutAll();  // the stop button goes with the click
      }
      return;
    case kKeyF2: gThemeLevel = kThemeLevelPreset; return;
    default: break;
  }
  if (key >= kKeyF3 && key <= kKeyF11) gArrowStepMode = key - kKeyF3;
}

// ---- public functions ----
void HandleKeyCommand(int key, int64_t lParam) {
  // Alt+F4 reached the program as a close request already.
  if (key == kKeyF4 && (lParam & kAltContextBit)) return;
  bool shift = (lParam & kKeyShiftDownBit) != 0, ctrl = (lParam & kKeyControlDownBit) != 0;
  if (key == kKeyBack && GridHasKeyboard() && GridOnScreen() &&
      (OnGridBackspace() || ClearEarnedLineUnderPointer(shift, ctrl)))
    return;
  if (key == kKeyF12 && !gPlacementPromptOpen) {
    ResetStartScreen();
    SetLanguageListRows(float(gLanguageIndex));
    return;
  }
  if (gPlacementPromptOpen) {
    if (key == kKeyEscape) ClosePlacementPrompt();
    return;
  }
  if (StartScreenUp()) {
    if (key == kKeyEscape && gLanguageListOpen) SetLanguageListOpen(false, GetAppSeconds());
    return;
  }
  if (ClassroomPanelsKeyDown(key, shift, ctrl)) return;
  if (gStudentNameEntryActive) {
    if (key == kKeyEscape)
      gStudentNameEntryActive = false;
    else
      TextFieldHandleKey(gStudentNameField, key, shift, ctrl);
    return;
  }
  if (gLibraryOpen && IsSearchBoxFocused()) {
    HandleSearchBoxKey(key, shift, ctrl);
    return;
  }
  if (key == kKeyEscape) {
    // An open menu closes before any view is left, as a drop-down does.
    if (gFileMenuOpen)
      CloseFileMenu();
    else
      BackOutOfView();
    return;
  }
  if (key == 'R') {
    ResetMidiFull();
    return;
  }
  if (OnPracticeCommandKey(key)) return;
  KeyTable(key, shift, ctrl);
}

void HandleCharInput(uint32_t ch) {
  if (gPlacementPromptOpen || StartScreenUp()) return;
  if (ClassroomPanelsChar(ch)) return;
  if (HandleSearchBoxChar(ch)) return;
  if (!gStudentNameEntryActive) return;
  if (ch == 8) {
    TextFieldBackspace(gStudentNameField);
  } else if (ch == 13 || ch == 10) {
    AddStudentAction();
  } else if (ch == 27) {
    gStudentNameEntryActive = false;
  } else if (ch >= 32 && ch <= 126) {
    TextFieldInsert(gStudentNameField, std::string(1, (char)ch));
  }
}

void ResetKeyCommands() { gArrowStepMode = 0; }
