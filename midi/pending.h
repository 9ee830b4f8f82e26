// midi/pending: MIDI and playback services the frame already calls whose bodies come later.
#pragma once
#include <cstdint>

#include "midi/midi_event_time.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"

extern bool gMidiInOpen;              // a MIDI input device is open

// Opens the first working MIDI input; a failure flags a later retry.
void MidiInitAuto();
// Closes the MIDI input.
void CloseMidiInput();
// Number of MIDI input devices present.
int CountMidiInputDevices();
