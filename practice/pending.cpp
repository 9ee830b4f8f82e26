// practice/pending: functions of the practice records that others build in parallel.
#include "practice/pending.h"

#include <string>

#include "practice/practice_run_input.h"
#include "practice/practice_run_state.h"
#include "practice/teaching_file.h"
#include "practice/teaching_song_sync.h"
#include "practice/teaching_timing.h"
#include "practice/teaching_state.h"

int gPracticeState = 0;

// Filled in later with the teaching state: an empty stand-in until its fields exist.
struct TeachingState {};
TeachingState gTeachingState;
int gPendingSaves = 0;
bool gStudentNameEntryActive = false;

// Filled in later with the practice runs.
void LoadPracticeRuns() {}
// Filled in later with the practice runs.
void UpdatePracticeFrame(float) {}
// Filled in later with the teaching state.
void SyncTeachingSelection() {}
// Filled in later with the teaching meters.
void UpdateTeachingMeters(TeachingState*, double) {}
// Filled in later with the teaching timeline.
void UpdateTeachingTimeline(TeachingState*, double) {}
// Filled in later with the note scheduler.
void TickNoteScheduler(uint32_t) {}
// Filled in later with the practice runs.
bool IsRegionSelectable() { return false; }
// Filled in later with the practice runs.
CursorShape GetRegionCursor() { return kCursorNone; }
// Filled in later with the practice runs.
bool IsPracticeRunActive() { return false; }
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
