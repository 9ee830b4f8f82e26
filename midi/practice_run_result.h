// midi/practice_run_result: the figures of one finished lesson song, built when the song ends and
// recorded by the learning model, and the velocity records the dynamics figure is computed from.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct PracticeRunResult {
  int32_t expected = 0;            // sounding note-ons on keys 0..127 among the judged events
  int32_t landed = 0;              // graded (1..3) or broken holds (6)
  int32_t perfect = 0;             // grade 1
  int32_t good = 0;                // grade 2
  int32_t late_or_early = 0;       // grade 3
  int32_t missed = 0;              // every other state
  int32_t hold_breaks = 0;         // state 6
  int32_t wrong_attempts = 0;      // wrong key presses of the run
  int32_t early = 0;               // landed with a timing error below -8 ms
  int32_t late = 0;                // landed with a timing error above 8 ms
  float timing_score = 0.0f;       // clamp(1 - mean_abs_timing_ms / 100, 0, 1)
  float mean_abs_timing_ms = 0.0f; // the timing figures are over the landed notes, a broken hold by its press
  float mean_signed_timing_ms = 0.0f;
  int32_t vel_samples = 0;         // notes with a recorded played velocity
  float mean_velocity = 0.0f;
  float timing_std_ms = 0.0f;
  float vel_stdev = 0.0f;
  int32_t dynamics_state = 0;      // filled from the velocity records
  float dynamics_value = 0.0f;
  int32_t rhythm_state = 0;
  float rhythm_value = 0.0f;
  int32_t articulation_state = 0;
  float articulation_value = 0.0f;
  int32_t pedal_state = 0;
  float pedal_value = 0.0f;
  int32_t intervals_state = 0;
  float intervals_value = 0.0f;
  int32_t intervals_weakest = 0;
};
static_assert(sizeof(PracticeRunResult) == 112, "PracticeRunResult is 112 bytes");

// One graded note with a played velocity, in event order.
struct VelocityRecord {
  uint32_t timeMs;          // the song event's time
  uint32_t note;            // its note number
  uint32_t songVelocity;    // its written velocity
  uint32_t playedVelocity;  // the velocity the player used (1..127)
};

// Fills result.dynamics_state and dynamics_value from the records.
void ComputeRunCorrelation(PracticeRunResult& result, const std::vector<VelocityRecord>& records);
// The (state, value) of a correlation as one value: the state in the low 32 bits, the float's bits
// in the high 32. States: 1 computed, 2 fewer than 8 entries, 3 the song's velocities vary too
// little, 4 the player's vary too little; the value is 0 unless the state is 1.
uint64_t CorrelateRecordSeries(const VelocityRecord* records, size_t count);
uint64_t PearsonCorrelation(const int* a, const int* b, size_t n);
// The two halves of a packed correlation.
int32_t CorrelationState(uint64_t packed);
float CorrelationValue(uint64_t packed);
