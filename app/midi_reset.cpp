// app/midi_reset: the full MIDI reset of the R key, across the song transport, the note tables,
// the play-along display and the practice run's flash.
#include "app/midi_reset.h"

#include "app/base/logs.h"
#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "gfx/translate.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/note_preview.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "practice/practice_run_state.h"

// ---- public functions ----
void ResetMidiFull() {
  DebugLog("[MIDI] Full reset requested (R)\n");
  bool hadSong = HasMidiContent();
  CloseMidiInput();
  StopPlaybackAndCloseOutput();
  AllPreviewNotesOff();
  // The input is closed, so nothing can add to these while they are thrown away.
  RemoveAppMessages(kMsgMidiInOpen, kMsgMidiInLongError);
  RemoveAppMessages(kMsgMidiNote, kMsgMidiAllNotesOff);

  gHeldNotes.clear();
  gSustainDown = false;
  gLastMidiInputMs = 0;
  gMidiInMessageCount.store(0);
  gNoteOnSerial = 1;
  ResetPlayAlongHighlights();
  gPracticeCellFlashTimer = 0.0f;
  gSyntheticNoteInput = false;

  MidiInitAuto();

  if (gMidiInOpen) {
    gStatusText = hadSong ? TrF("MIDI reset complete; playback stopped (%s)", gMidiInName.c_str())
                          : TrF("MIDI reset complete: %s", gMidiInName.c_str());
  } else if (gMidiInBusy) {
    gStatusText = "MIDI reset: device busy";
  } else if (CountMidiInputDevices() > 0) {
    gStatusText = "MIDI reset failed";
  } else {
    gStatusText = "MIDI reset: no device found";
  }
}
