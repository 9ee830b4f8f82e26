// app/midi_choosers: the playlist's choosers with full screen left for their time.
#include "app/midi_choosers.h"

#include "app/window_size.h"
#include "midi/playlist.h"

// ---- internal helpers ----
// Runs a dialog with full screen left for its time and returns to full screen after it.
static bool OutsideFullscreen(bool (*dialog)()) {
  bool left = gFullscreen;
  if (left) ToggleFullscreen();
  bool result = dialog();
  if (left && !gFullscreen) ToggleFullscreen();
  return result;
}

// ---- public functions ----
bool OpenMidiFileDialog() { return OutsideFullscreen(ChooseAndPlayMidiFile); }

bool OpenMidiFolderDialog() { return OutsideFullscreen(OpenMidiFolderPicker); }
