// practice/pending: functions of the practice records that others build in parallel.
#include <string>

#include "practice/practice_run_input.h"
#include "practice/practice_run_state.h"
#include "practice/teaching_file.h"
#include "practice/teaching_song_sync.h"
#include "practice/teaching_timing.h"
#include "practice/teaching_state.h"

int gPracticeState = 0;

// Filled in later with the teaching beat grid.
void SyncTeachingClickToSong(TeachingState&, const SongBeatInfo&) {}
// Filled in later with the teaching state.
void LoadTeachingState(bool) {}
// Filled in later with the teaching file.
std::string SanitizeStudentId(const std::string&) { return std::string(); }
// Filled in later with the practice run.
void OnPracticeCellPlayed(const std::vector<std::pair<int, int>>&, uint32_t) {}
// Filled in later with the practice run's note input.
void OnPracticeNoteOn(int, int, uint32_t) {}
// Filled in later with the practice run's note input.
void RecordPracticeStepTiming(int, uint32_t) {}
// Filled in later with the teaching onset timing.
void OnTeachingNoteOnset(int, int) {}
// Filled in later with the teaching state.
float gTeachingLevel = 0.5f;
// Filled in later with the practice run.
float gPracticeCellFlashTimer = 0;
