// midi/pending: state and functions that other subsystems already use, whose owners come later.
#include "midi/pending.h"

#include <cstdint>
#include <string>
#include <vector>

#include "midi/click.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"

// Filled in later with playback: the loaded song (no song yet).
std::vector<SongEvent> gSongEvents;
// Filled in later with playback.
bool gPlaying = false;
// Filled in later with playback.
bool gPaused = false;
// Filled in later with playback.
std::string gSongPath;
// Filled in later with play-along judging.
bool gWaitMode = false;
// Filled in later with play-along judging.
bool gPlayAlongRun = false;
// Filled in later with play-along judging.
bool gPracticeMode = false;
// Filled in later with play-along judging.
bool IsPlayAlongAvailable() { return false; }
// Filled in later with playback.
bool HasMidiContent() { return false; }
// Filled in later with playback.
void UnloadMidi() {}

float gKeyHitGlow[128] = {};
float gKeyMissFlash[128] = {};
float gScoreFlash = 0.0f;
bool gMidiInOpen = false;
bool gKeySounding[128] = {};
float gKeyLevel[128] = {};

// Filled in later with the MIDI input device.
void MidiInitAuto() {}
// Filled in later with the MIDI input device.
void CloseMidiInput() {}
// Filled in later with the MIDI input device.
int CountMidiInputDevices() { return 0; }
// Filled in later with playback.
void StopPlaybackAndCloseOutput(bool) {}
// Filled in later with playback.
void PumpMidiPlayback(uint32_t) {}
// Filled in later with play-along judging.
void PlayAlongNoteInput(int, int, uint32_t) {}
// Filled in later with play-along judging.
void JudgePlayAlongNotes(uint32_t, int) {}
// Filled in later with play-along judging.
void UpdateKeyHighlights(uint32_t) {}
// Filled in later with play-along judging.
void SetPlayAlongRun(bool, bool) {}
// Filled in later with play-along judging: its level (0.5 until then).
float gLevelSetting = 0.5f;

// Filled in later with the click sounds.
std::vector<uint8_t> MakeClickWav(float, float, float, bool) { return {}; }
// Filled in later with the click sounds.
void PlayClick(const TeachingState&, bool) {}
// Filled in later with the click sounds.
bool PlayClickSoundFromMemory(const std::vector<uint8_t>&) { return false; }
