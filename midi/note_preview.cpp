// midi/note_preview: preview notes.
#include "midi/note_preview.h"

#include <algorithm>
#include <cstring>

#include "midi/midi_output.h"

// ---- state ----
bool gPreviewNotesOn[128] = {};

// ---- public functions ----
void PlayPreviewNote(int note, int velocity, int channel) {
  if (note < 0 || note > 127) return;
  if (!OpenMidiOutput()) return;
  channel = std::clamp(channel, 0, 15);
  velocity = std::clamp(velocity, 0, 127);
  if (velocity == 0) {
    SendMidiOutShort((0x80u | (uint32_t)channel) | ((uint32_t)note << 8));
    if (channel == 0) gPreviewNotesOn[note] = false;
  } else {
    SendMidiOutShort((0x90u | (uint32_t)channel) | ((uint32_t)note << 8) | ((uint32_t)velocity << 16));
    if (channel == 0) gPreviewNotesOn[note] = true;
  }
}

void AllPreviewNotesOff() {
  if (!IsMidiOutputOpen()) {
    std::memset(gPreviewNotesOn, 0, sizeof gPreviewNotesOn);
    return;
  }
  for (uint32_t note = 0; note < 128; ++note) {
    if (!gPreviewNotesOn[note]) continue;
    SendMidiOutShort(0x80u | (note << 8));
    gPreviewNotesOn[note] = false;
  }
  // The teaching code's note scheduler keeps no percussion hits in this program, so there is no
  // list of sounding hits to release here.
}
