// platform/audio: the program's one sound device, and what is mixed into it.
//
// The device is opened on first need and plays 32-bit float stereo. Its callback mixes, in this
// order, the synthesiser's output (a renderer set by platform/synth), the current clip (a click:
// a new clip replaces the one playing) and the current tone (the beep fallback). Without a sound
// device every call fails quietly and the program runs on silent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Opens the sound device when it is not open, and returns once the device has asked for its first
// buffer (or after half a second); false when there is none (a failed attempt is not repeated for
// 3 seconds).
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

// Fills frames of interleaved stereo float (the buffer is zeroed before); runs on the audio thread.
using AudioRenderer = void (*)(float* interleaved, int frames);
// Sets the renderer, or removes it with null; once this returns the old one is no longer called.
void AudioSetRenderer(AudioRenderer renderer);
// Test seam: called last in every callback, on the audio thread, with the number of frames the
// device was given before this buffer and the buffer as it goes to the device. Null removes it.
using AudioCallbackHook = void (*)(uint64_t framesBefore, const float* interleaved, int frames);
void AudioSetCallbackHookForTesting(AudioCallbackHook hook);

// Plays a whole WAV file image (any PCM or float format SDL decodes) at once, replacing the clip
// playing; the bytes are copied. False when they do not decode or no device opens.
bool AudioPlayWavMemory(const uint8_t* data, size_t size);
// The same for a file on disk.
bool AudioPlayWavFile(const std::string& path);
// Sounds a tone of the frequency for the duration and returns after it (it blocks the calling
// thread, as a beep does); false at once when no device opens.
bool AudioBeep(int frequencyHz, int durationMs);
