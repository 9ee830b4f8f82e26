// platform/synth: the built-in General MIDI synthesiser, rendering into the sound device.
//
// It loads the General MIDI soundfont once and is then kept for the process; open and close only
// attach it to and detach it from the sound device. Every call is safe while the device plays.
//
// Messages may carry a due time on the program's clock (ClockMicros64): the synthesiser applies
// such a message inside its audio callback at the sample where the due time plus a constant
// latency falls (one audio buffer plus one pass of the main loop: see sample_clock.h), never
// earlier. Messages without one sound at once, at the start of the next buffer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Loads the soundfont (first call) and attaches the synthesiser to the sound device; false when
// there is no soundfont or no sound device. Attached already, it opens a device in place of a lost
// one (the synthesiser stays attached and keeps its voices either way).
bool SynthOpen();
bool SynthIsOpen();
// One short message at once: status in the low byte, then data1, then data2.
void SynthSend(uint32_t message);
// One short message at its due time plus the latency; dropped while the synthesiser is closed.
void SynthSendAt(uint32_t message, int64_t dueUs);
// Forgets every message due after `us` that has not been applied.
void SynthCancelAfter(int64_t us);
// Every voice stops at once and every waiting message is forgotten; programs, controllers and
// effect tails go back to rest.
void SynthReset();
// Silences and detaches the synthesiser.
void SynthClose();
// The constant latency of timed messages in µs (0 before the first callback since opening).
int64_t SynthLatencyUs();
// Test seam: loads the synthesiser at `rate` without a sound device, as if attached; the caller
// renders buffers with SynthRenderForTesting (on one thread at a time) and ends with SynthClose.
bool SynthOpenOfflineForTesting(int rate);
void SynthRenderForTesting(float* interleaved, int frames);
// The first soundfont found on this machine, "" when none; a damaged one is passed over for the
// next when the synthesiser loads.
std::string SynthSoundfontPath();
// Why the synthesiser did not load at its last try (no soundfont installed, none readable, no
// FluidSynth), "" when it loaded.
std::string SynthLastError();
// Test seam: the soundfonts to try, in order, in place of the machine's (empty: the machine's).
void SetSoundfontsForTesting(const std::vector<std::string>& paths);
