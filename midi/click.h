// midi/click: the metronome's click sounds.
#pragma once
#include <cstdint>
#include <vector>

struct TeachingState;

// The WAV image (22050 Hz, mono, 16-bit) of one synthesised click.
std::vector<uint8_t> MakeClickWav(float frequencyHz, float durationS, float volume, bool accent);
// Plays one click without blocking: the downbeat file for an accent when the settings ask for
// it, else a synthesised click, else a beep.
void PlayClick(const TeachingState& settings, bool accent);
// Starts playing a WAV image held in memory without waiting; the bytes must outlive the sound.
// False when it could not be played.
bool PlayClickSoundFromMemory(const std::vector<uint8_t>& wav);
