// midi/pending: state and functions that other subsystems already use, whose owners come later.
#include "midi/pending.h"

#include <cstdint>
#include <vector>

#include "midi/click.h"

bool gMidiInOpen = false;

// Filled in later with the MIDI input device.
void MidiInitAuto() {}
// Filled in later with the MIDI input device.
void CloseMidiInput() {}
// Filled in later with the MIDI input device.
int CountMidiInputDevices() { return 0; }

// Filled in later with the click sounds.
std::vector<uint8_t> MakeClickWav(float, float, float, bool) { return {}; }
// Filled in later with the click sounds.
void PlayClick(const TeachingState&, bool) {}
// Filled in later with the click sounds.
bool PlayClickSoundFromMemory(const std::vector<uint8_t>&) { return false; }
