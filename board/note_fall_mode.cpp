// board/note_fall_mode: note-fall mode switched on and off.
#include "board/note_fall_mode.h"

#include "app/base/view_modes.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/input.h"
#include "theory/filter_tabs.h"
#include "theory/scale_list_input.h"
#include "theory/scale_selection.h"

// ---- state ----
bool (*gSightScoreHasNotesHook)() = nullptr;      // the learning model's score, connected by the shell
void (*gNoteFallSongViewHook)(bool) = nullptr;    // the shell's song-view keep-alive
static bool gSavedSongView = false;               // the song view when note-fall mode was entered
static bool gSavedLearningOverlay = false;        // the learning overlay then

// ---- public functions ----
void RememberViewsForNoteFall() {
  gSavedSongView = gSongView;
  gSavedLearningOverlay = gLearningOverlay;
}

void ToggleNoteFallMode() {
  const bool entering = !gPracticeMode;
  if (entering) RememberViewsForNoteFall();
  gPracticeMode = entering;
  gSightReadingView = gSightScoreHasNotesHook ? gSightScoreHasNotesHook() : false;
  ResetPlayAlongHighlights();
  SilenceMidiOutput();
  if (entering) {
    gSongView = gWaitMode = true;
    ReapplyScaleSelection();
    gLearningOverlay = false;
    gFilterPanelOpen = false;
    gFilterOpenFade = 0.0f;
    if (ScaleListHasPointer()) {
      EndScaleListDrag();
      CaptureMouse(false);
    }
  } else {
    if (gPlayAlongRun) SetPlayAlongRun(false, false);
    SetSliderPanelOpen(false);
    gSongView = gSavedSongView;
    gLearningOverlay = gSavedLearningOverlay;
    if (!gSongEvents.empty() && !gSongView && !gLearningOverlay) gSongView = true;
    gWaitMode = gSongView;
  }
  if (gNoteFallSongViewHook) gNoteFallSongViewHook(!entering);
  RelayoutAll();
}

void ResetNoteFallMode() { gSavedSongView = gSavedLearningOverlay = false; }
