// midi/pending: state and functions that other subsystems already use, whose owners come later.
#include "midi/pending.h"

#include <cstdint>
#include <vector>

#include "midi/click.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/practice_run_result.h"

// Filled in later with play-along judging.
std::vector<NoteJudgeState> gJudgeStates;
// Filled in later with play-along judging.
bool gPlayAlongRun = false;
// Filled in later with play-along judging.
bool gPracticeMode = false;
// Filled in later with play-along judging.
bool gWaitMode = false;
// Filled in later with play-along judging.
bool gPlayAlongStartPending = false;
// Filled in later with play-along judging.
int32_t gWrongNoteCount = 0;
// Filled in later with play-along judging.
bool IsPlayAlongAvailable() { return false; }

float gKeyHitGlow[128] = {};
float gKeyMissFlash[128] = {};
float gScoreFlash = 0.0f;
bool gMidiInOpen = false;

// Filled in later with the MIDI input device.
void MidiInitAuto() {}
// Filled in later with the MIDI input device.
void CloseMidiInput() {}
// Filled in later with the MIDI input device.
int CountMidiInputDevices() { return 0; }
// Filled in later with play-along judging.
void PlayAlongNoteInput(int, int, uint32_t) {}
// Filled in later with play-along judging.
void JudgePlayAlongNotes(uint32_t, int) {}
// Filled in later with play-along judging.
void UpdateKeyHighlights(uint32_t) {}
// Filled in later with play-along judging.
void SetPlayAlongRun(bool, bool) {}
// Filled in later with play-along judging.
void ResetJudgeStates(bool, bool) {}
// Filled in later with play-along judging.
void ResetPlayAlongHighlights() {}
// Filled in later with play-along judging.
void UpdatePlayAlong(uint32_t) {}
// Filled in later with the play-along result figures.
void ComputeRunCorrelation(PracticeRunResult&, const std::vector<VelocityRecord>&) {}
// Filled in later with play-along judging: its level (0.5 until then).
float gLevelSetting = 0.5f;

// Filled in later with the click sounds.
std::vector<uint8_t> MakeClickWav(float, float, float, bool) { return {}; }
// Filled in later with the click sounds.
void PlayClick(const TeachingState&, bool) {}
// Filled in later with the click sounds.
bool PlayClickSoundFromMemory(const std::vector<uint8_t>&) { return false; }
