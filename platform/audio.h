// platform/audio: the program's one sound device, and what is mixed into it.
//
// The device is opened on first need and plays 32-bit float stereo. Its callback mixes, in this
// order, the synthesiser's output (a renderer set by platform/synth), the current clip (a click:
// a new clip replaces the one playing from the sample it starts at) and the current tone (the beep
// fallback). A clip may carry a due time on the program's clock: it starts where the due time
// plus the constant latency falls, the same sample a synthesiser message due then is applied at
// (platform/sample_clock). Without a sound device every call fails quietly and the program runs on
// silent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Opens the sound device when it is not open, or the default one in place of a device the sound
// system has lost (unplugged, its service restarted), and returns once the device has asked for its
// first buffer (or after half a second); false when there is none (a failed attempt is not repeated
// for 3 seconds). Until a lost device has a successor, the renderer is still called at its pace.
bool AudioOpen();
// Closes the device (the renderer stays set for the next open).
void AudioClose();
bool AudioIsOpen();
// Why the last attempt to open the device failed, as the sound system said it; "" when it opened.
std::string AudioLastError();
// The name of the system's default sound output; "" when the sound service does not say.
std::string AudioDefaultOutputName();
// Sample rate of the open device (44100 asked for), 0 when closed. Always 2 channels of float.
int AudioSampleRate();
// The constant latency of clips with a due time in µs (0 before the first callback since opening).
int64_t AudioLatencyUs();

// Fills frames of interleaved stereo float (the buffer is zeroed before); runs on the audio thread.
using AudioRenderer = void (*)(float* interleaved, int frames);
// Sets the renderer, or removes it with null; once this returns the old one is no longer called.
void AudioSetRenderer(AudioRenderer renderer);
// Test seam: called last in every callback, on the audio thread, with the number of frames the
// device was given before this buffer and the buffer as it goes to the device. Null removes it.
using AudioCallbackHook = void (*)(uint64_t framesBefore, const float* interleaved, int frames);
void AudioSetCallbackHookForTesting(AudioCallbackHook hook);

// The due time that asks for at once.
constexpr int64_t kAudioAtOnce = 0;
// Plays a whole WAV file image (any PCM or float format SDL decodes), replacing the clip playing,
// from the sample where dueUs (ClockMicros64's line) plus the latency falls, or from the next
// buffer when that has passed; the bytes are copied. A clip still waiting for its start is
// replaced too. False when they do not decode or no device opens.
bool AudioPlayWavMemoryAt(const uint8_t* data, size_t size, int64_t dueUs);
// The same for a file on disk.
bool AudioPlayWavFileAt(const std::string& path, int64_t dueUs);
// Sounds a tone of the frequency for the duration and returns after it (it blocks the calling
// thread, as a beep does); false at once when no device opens.
bool AudioBeep(int frequencyHz, int durationMs);
