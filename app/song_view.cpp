// app/song_view: the song-view keep-alive over the view flags and the loaded song.
#include "app/song_view.h"

#include "app/base/view_modes.h"
#include "midi/playback.h"

// ---- state ----
bool gSongViewArmed = false;           // the keep-alive holds a view
bool gSongViewCancelled = false;       // the user left it
bool gSongViewKeepsPractice = false;   // the held view is practice mode

// ---- public functions ----
void ArmSongView() {
  gSongViewCancelled = false;
  if (!gSongEvents.empty() && (gSongView || gPracticeMode)) {
    gSongViewArmed = true;
    gSongViewKeepsPractice = gPracticeMode;
  }
}

void KeepSongView() {
  if (gRingMode) {
    gSongView = gWaitMode = gPracticeMode = gLearningOverlay = false;
    return;
  }
  bool loaded = !gSongEvents.empty();
  if (!gSongViewArmed && !gSongViewCancelled && loaded && (gSongView || gPracticeMode)) {
    gSongViewArmed = true;
    gSongViewKeepsPractice = gPracticeMode;
  }
  if (!gSongViewArmed) return;
  if (!loaded) {
    gSongViewArmed = false;
  } else if (gSongViewKeepsPractice) {
    gPracticeMode = true;
  } else {
    gSongView = gWaitMode = true;
  }
}

void ResetSongViewKeepAlive() { gSongViewArmed = gSongViewCancelled = gSongViewKeepsPractice = false; }
