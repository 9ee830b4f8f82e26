// midi/pending: MIDI and playback services the frame already calls whose bodies come later.
#pragma once
#include <cstdint>

#include "midi/midi_event_time.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"

extern float gKeyHitGlow[128];        // play-along hit glow per key; the frame decays it
extern float gKeyMissFlash[128];      // play-along miss flash per key; the frame decays it
extern float gScoreFlash;             // play-along score flash; the frame lowers it
extern bool gMidiInOpen;              // a MIDI input device is open

// Opens the first working MIDI input; a failure flags a later retry.
void MidiInitAuto();
// Closes the MIDI input.
void CloseMidiInput();
// Number of MIDI input devices present.
int CountMidiInputDevices();
// Per-frame judging and key highlights at time t.
void JudgePlayAlongNotes(uint32_t t, int note);
void UpdateKeyHighlights(uint32_t t);
// Starts or ends a judged run.
void SetPlayAlongRun(bool on, bool restart);
