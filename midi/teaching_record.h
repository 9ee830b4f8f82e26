// midi/teaching_record: the teaching record of the active student and its one instance.
//
// The practice code (practice/teaching_state, teaching_timing) fills and saves the record; it is
// declared on this floor because the song transport and the metronome's click here drive its
// metronome fields (tempo, beats per bar, the grid and the song link). One record,
// gTeachingState, lives on the UI thread for the whole process; only a save copies data out of it
// to a worker thread (practice/teaching_file).
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// One finished teaching session.
struct TeachingAttendanceEntry {
  std::string dateISO;        // local date "YYYY-MM-DD"
  float Challenge = 0.0f;     // 0..100
  float A = 0.0f;             // rhythm 0..100
  float B = 0.0f;             // accuracy 0..100
  float C = 0.0f;             // pace 0..100
  float D = 0.0f;             // flow 0..100
  int32_t bpm = 0;            // 1..400
  int32_t timeSigNum = 0;     // 1..32
  int32_t timeSigDen = 0;     // at least 1
  int32_t difficulty = 0;     // 1..10
};

// The teaching record of the active student. Times are seconds on the monotonic clock; the
// statistics durations are milliseconds.
struct TeachingState {
  uint8_t enabled = 1;                        // every teaching entry point does nothing while 0
  std::string studentId;                      // raw id of the loaded student ("default" for none)
  int32_t difficulty = 5;                     // 1..10
  std::vector<int32_t> practiceScales;        // the practice plan, one cell code per step
  int32_t bpm = 80;                           // metronome tempo
  int32_t timeSigNum = 4;                     // beats per bar
  int32_t timeSigDen = 4;                     // note value of the beat
  int32_t songBarClicks = 0;                  // clicks in a bar of the song's signature shown, 0: timeSigNum
  uint8_t downbeatSound = 1;                  // accent clicks use the downbeat sound file
  std::string downbeatWavPath;                // that file, "" when none
  float challenge = 0.0f;                     // Challenge 0..100
  float meterB = 0.0f;                        // accuracy 0..100
  float meterC = 0.0f;                        // pace 0..100
  float meterD = 0.0f;                        // flow 0..100
  float meterA = 0.0f;                        // rhythm 0..100
  float overall = 0.0f;                       // weighted overall 0..100
  uint8_t sessionRunning = 0;                 // a session is open
  uint8_t sessionComplete = 0;                // the plan's last step was played
  int32_t stepIndex = 0;                      // current step in practiceScales
  int32_t currentCellCode = -1;               // cell of the picked scale and key, -1 none
  int32_t currentAccidentals = 0;             // accidentals of the picked key
  int32_t currentNoteCount = 0;               // notes of the picked scale
  double clock = 0.0;                         // teaching clock (s), never behind a seen time
  double stepStart = 0.0;                     // clock time the current step began
  uint8_t stepHasHit = 0;                     // the step has had a matching cell
  uint8_t stepHadWrongCell = 0;               // a wrong cell was played in the step
  uint8_t metronomeOn = 0;                    // the click is switched on
  uint8_t gridRunning = 0;                    // the beat grid has an origin
  double barOrigin = 0.0;                     // time of beat 0 of the grid
  double nextBeat = 0.0;                      // time of the next beat
  double songBpm = 0.0;                       // tempo of the playing song, 0 = use bpm
  int32_t beatInBar = 0;                      // bar position of the next beat (0 = downbeat)
  int64_t beatCounter = 0;                    // beats since the grid started
  uint8_t lastBeatAccent = 0;                 // the last beat was a downbeat
  float clickFlash = 0.0f;                    // 1.0 downbeat, 0.62 other beat, decaying
  uint8_t syncedToSong = 0;                   // a playing song drives the grid
  uint8_t songBeatValid = 0;                  // lastSongBeat holds a song beat
  int64_t lastSongBeat = 0;                   // the last song beat that clicked
  int32_t onsetCount = 0;                     // note onsets counted
  int32_t inScaleOnsets = 0;                  // onsets in the target scale
  int32_t cleanSteps = 0;                     // steps completed without a wrong cell
  int32_t stepHits = 0;                       // matching cells played
  int32_t onTimeOnsets = 0;                   // timed onsets inside the on-time window
  int32_t timedOnsets = 0;                    // onsets judged against the grid
  double timingErrMean = 0.0;                 // running mean of the timing error (ms)
  double timingErrM2 = 0.0;                   // its sum of squared deviations
  int32_t timingErrCount = 0;                 // its samples
  double velocityMean = 0.0;                  // running mean of the velocity
  double velocityM2 = 0.0;                    // its sum of squared deviations
  int32_t velocityCount = 0;                  // its samples
  double ioiMean = 0.0;                       // running mean of the inter-onset time (ms)
  double ioiM2 = 0.0;                         // its sum of squared deviations
  int32_t ioiCount = 0;                       // its samples
  int32_t gapCount = 0;                       // inter-onset times over the gap threshold
  double lastOnset = -1.0;                    // previous onset of the step, -1 none
  double maxIoi = 0.0;                        // longest inter-onset time of the step (ms)
  uint8_t graceArmed = 0;                     // the first-downbeat grace is armed
  int64_t graceBeatCounter = 0;               // beatCounter when it was armed
  int32_t graceBars = 0;                      // bars for which it holds
  double lastStepDuration = 0.0;              // duration of the step just completed (s)
  std::string dataFolder;                     // folder of the teaching files
  std::string studentName;                    // display name
  float studentColour[3] = {0.18f, 0.84f, 0.26f};  // r, g, b 0..1
  std::vector<TeachingAttendanceEntry> attendance; // oldest first
  std::vector<int32_t> savedPracticeScales;   // the plan as last read or saved
  int32_t lastDifficulty = 5;                 // difficulty as last read or set
  uint8_t loaded = 0;                         // the file of studentId has been read
  uint8_t dirty = 0;                          // unsaved changes
  uint8_t runScoresShown = 0;                 // the meters show the last run's scores
  uint8_t runResultsAvailable = 0;            // a practice run delivered its scores
  float runScores[6] = {0, 0, 0, 0, 0, 0};    // Challenge, A, B, C, D, overall
  std::unordered_map<int32_t, int32_t> accidentalsByCell;  // cell code -> accidentals of its key
  std::unordered_map<int32_t, int32_t> noteCountByCell;    // cell code -> notes of its scale
};

// The record of the active student.
extern TeachingState gTeachingState;

// The record at its defaults, with nothing loaded.
void ResetTeachingRecord();
