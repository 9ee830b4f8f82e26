// platform/synth: the built-in General MIDI synthesiser, rendering into the sound device.
//
// It loads the General MIDI soundfont once and is then kept for the process; open and close only
// attach it to and detach it from the sound device. Every call is safe while the device plays.
#pragma once
#include <cstdint>
#include <string>

// Loads the soundfont (first call) and attaches the synthesiser to the sound device; false when
// there is no soundfont or no sound device.
bool SynthOpen();
bool SynthIsOpen();
// One short message: status in the low byte, then data1, then data2.
void SynthSend(uint32_t message);
// Every voice stops at once; programs, controllers and effect tails go back to rest.
void SynthReset();
// Silences and detaches the synthesiser.
void SynthClose();
// The soundfont found on this machine, "" when none.
std::string SynthSoundfontPath();
