// app/header_buttons: the control band's buttons.
#include "app/header_buttons.h"

#include <algorithm>

#include "app/base/app_state.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/midi_choosers.h"
#include "app/song_view.h"
#include "app/students_panel_input.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "midi/metronome_panel.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "platform/window.h"

// ---- internal helpers ----
static bool On(const RectF& r, int x, int y) { return PointInRect(r, x, y); }
// Buttons that may be laid out as slivers while they fade in take clicks only once shown.
static bool OnShown(const RectF& r, int x, int y) { return r.w > 2.0f && PointInRect(r, x, y); }

// Previous and next close the panels first, so the song's title shows on the status line.
static void StepSong(int direction) {
  if (gStudentListOpen) CloseStudentsPanel();
  gFileMenuOpen = false;
  gStudentNameEntryActive = false;
  RelayoutAll();
  // A list whose files could not be read keeps the reason on the status line; a song opened on its
  // own (a lesson's) has nothing to step to, and is loaded, so nothing is asked for.
  if (!StepPlaylist(direction, false) && gPlaylist.empty() && gSongEvents.empty())
    gStatusText = "Load a MIDI file/folder first";
}

// The menu item waiting for the frame that shows its menu closed: the dialog it opens holds the
// UI thread, and the last frame before it stays on screen the whole while.
static bool (*gChosenMenuItem)() = nullptr;

static void ChooseFromMenu(bool (*chooser)()) {
  CloseFileMenu();
  gChosenMenuItem = chooser;
  // Presses already waiting behind this one (the rest of a double click on the item) belong to the
  // dialog about to open, not to what the closed menu uncovers.
  WindowDropPointerPresses();
}

// The open file menu: true when the press was inside it.
static bool FileMenuMouseDown(int x, int y) {
  if (On(gFileMenuOpenFileRect, x, y)) {
    ChooseFromMenu(OpenMidiFileDialog);
  } else if (On(gFileMenuOpenFolderRect, x, y)) {
    ChooseFromMenu(OpenMidiFolderDialog);
  } else if (!On(gFileMenuRect, x, y)) {
    CloseFileMenu();
    return false;
  }
  return true;
}

// ---- public functions ----
void CloseFileMenu() {
  gFileMenuOpen = false;
  RelayoutAll();
}

bool HeaderButtonsMouseDown(int x, int y) {
  if (On(gStudentsButtonRect, x, y)) {
    ToggleStudentsPanel();
    return true;
  }
  if (OnShown(gSightReadingButtonRect, x, y)) {
    gSightReadingView = !gSightReadingView;
    gStatusText = gSightReadingView ? "Sight-reading view ON" : "Sight-reading view OFF";
    return true;
  }
  if (OnShown(gPlayModeButtonRect, x, y)) {
    if (IsPlayAlongAvailable()) {
      SetPlayAlongRun(!gPlayAlongRun, true);
      gStatusText = gPlayAlongRun ? "Play Mode ON" : "Play Mode OFF";
    }
    return true;
  }
  if (On(gFileButtonRect, x, y)) {
    gFileMenuOpen = !gFileMenuOpen;
    if (gStudentListOpen) CloseStudentsPanel();
    gStudentNameEntryActive = false;
    RelayoutAll();
    return true;
  }
  if (gFileMenuOpen && FileMenuMouseDown(x, y)) return true;
  if (On(gPreviousButtonRect, x, y)) {
    StepSong(-1);
    return true;
  }
  if (On(gPlayButtonRect, x, y)) {
    TogglePlayback();
    return true;
  }
  return false;
}

bool PlaylistRowMouseDown(int x, int y) {
  if (On(gNextButtonRect, x, y)) {
    StepSong(1);
  } else if (On(gRepeatButtonRect, x, y)) {
    gPlaylistRepeat = !gPlaylistRepeat;
    gStatusText = gPlaylistRepeat ? "Loop ON" : "Loop OFF";
  } else if (On(gShuffleButtonRect, x, y)) {
    gPlaylistShuffle = !gPlaylistShuffle;
    gStatusText = gPlaylistShuffle ? "Shuffle ON" : "Shuffle OFF";
  } else if (On(gClearLoopButtonRect, x, y)) {
    gLoopStartSet = gLoopEndSet = false;
    gStatusText = "Loop range cleared";
  } else {
    return false;
  }
  return true;
}

bool ViewButtonsMouseDown(int x, int y) {
  if (OnShown(gLearningButtonRect, x, y)) {
    gLearningOverlay = !gLearningOverlay;
  } else if (OnShown(gSongViewButtonRect, x, y)) {
    if (!gSongView) {
      gSongView = true;
      ArmSongView();
    } else {
      // Left by the user: the keep-alive must not bring it back on the next frame.
      gSongView = gWaitMode = false;
      gSongViewArmed = false;
      gSongViewCancelled = true;
    }
  } else {
    return false;
  }
  RelayoutAll();
  return true;
}

void RunChosenMenuItem() {
  bool (*chooser)() = gChosenMenuItem;
  gChosenMenuItem = nullptr;
  if (chooser) chooser();
}

void PlaceMetronomePanel() {
  const float s = GetUiScale();
  const RectF& row = gBandBottomRowRect;
  const RectF& after = gClearLoopButtonRect;
  if (gRingMode || !(after.w > 2.0f) || !(row.w > 2.0f)) {
    LayoutMetronomePanel(kHiddenRect, s);
    return;
  }
  const float pad = std::max(4.0f * s, 3.0f), gap = std::max(6.0f * s, 5.0f);
  const float x = after.x + after.w + gap, right = row.x + row.w - pad;
  LayoutMetronomePanel({x, after.y, right - x, after.h}, s);
}
