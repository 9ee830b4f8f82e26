// midi/note_preview: preview notes and the full MIDI reset.
#include "midi/note_preview.h"

#include <algorithm>
#include <cstring>

#include "app/app_state.h"
#include "app/logs.h"
#include "app/note_input.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/pending.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "practice/practice_run_state.h"
#include "theory/chromatic_runs.h"

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

void ResetMidiFull() {
  DebugLog("[MIDI] Full reset requested (R)\n");
  bool hadSong = HasMidiContent();
  CloseMidiInput();
  StopPlaybackAndCloseOutput();
  AllPreviewNotesOff();
  // The input is closed, so nothing can add to these while they are thrown away.
  RemoveAppMessages(kMsgMidiInOpen, kMsgMidiInLongError);
  RemoveAppMessages(kMsgMidiNote, kMsgMidiSustain);

  gHeldNotes.clear();
  gSustainDown = false;
  gLastMidiInputMs = 0;
  gMidiInMessageCount.store(0);
  gNoteOnSerial = 1;
  gPlayedNotes.clear();

  std::fill(std::begin(gNoteGlow), std::end(gNoteGlow), 0.0f);
  std::fill(std::begin(gKeyHitGlow), std::end(gKeyHitGlow), 0.0f);
  std::fill(std::begin(gKeyMissFlash), std::end(gKeyMissFlash), 0.0f);
  std::fill(std::begin(gKeyExpectHighlight), std::end(gKeyExpectHighlight), 0.0f);
  std::fill(std::begin(gKeyHoldHighlight), std::end(gKeyHoldHighlight), 0.0f);
  gScoreFlash = 0.0f;
  gPatternFlashTimer = 0.0f;
  gPracticeCellFlashTimer = 0.0f;
  gSyntheticNoteInput = false;

  MidiInitAuto();

  if (gMidiInOpen) {
    gStatusText = hadSong ? "MIDI reset complete; playback stopped (" + gMidiInName + ")"
                          : "MIDI reset complete: " + gMidiInName;
  } else if (gMidiInBusy) {
    gStatusText = "MIDI reset: device busy";
  } else if (CountMidiInputDevices() > 0) {
    gStatusText = "MIDI reset failed";
  } else {
    gStatusText = "MIDI reset: no device found";
  }
}
