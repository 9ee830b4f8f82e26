// midi/note_preview: single notes sounded on the MIDI output for the teaching code. The full MIDI
// reset of the R key, which also releases them, is the shell's (app/midi_reset).
#pragma once

// Notes 0..127 sounding on channel 0 through PlayPreviewNote.
extern bool gPreviewNotesOn[128];

// One note-on (velocity 1..127) or note-off (velocity 0 or below) on the output; channel and
// velocity are clamped, notes outside 0..127 are ignored.
void PlayPreviewNote(int note, int velocity, int channel);
// Releases every preview note of channel 0; with the output closed only forgets them.
void AllPreviewNotesOff();
