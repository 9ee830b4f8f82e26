// app/midi_reset: the full MIDI reset of the R key.
//
// The reset is the user's way out of a stuck device or hanging notes: it stops playback, closes
// the input, throws away every pending MIDI message, clears every table and display value that
// depends on MIDI input, reopens the input and reports the outcome on the status line.
#pragma once

// The full reset (R key).
void ResetMidiFull();
