// tests/support/audio_lockstep: SDL's disk audio device paced by the test. Each callback waits at
// its end until the test lets it go, so the program's clock (driven) and the sound's samples move
// together and what was heard at a sample can be checked without timing anything.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int kLockstepRate = 44100;
constexpr int64_t kLockstepOriginUs = 7000000000000;  // the clock at the device's first sample

// Sends the sound to `rawFile`, drives the clock from the origin and holds every callback. Call
// before the device opens.
void BeginAudioLockstep(const std::string& rawFile);
// Lets every callback run free and stops keeping the sound; the device and the clock stay.
void EndAudioLockstep();
// Waits for a callback to wait; the first frame of the next one.
uint64_t WaitForAudioCallback();
// Lets the waiting callback go.
void ReleaseAudioCallback();
// The sound so far: interleaved stereo from the device's first frame.
std::vector<float> LockstepSound();
// Sets the driven clock to `ms` after the origin.
void SetLockstepClockMs(double ms);
