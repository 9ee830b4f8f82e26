// Tests of the Challenge score, the meters and the overall figure on worked values, the run-score
// override and the per-frame update.
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"

namespace {

// Four onsets exactly on the beat.
void PerfectOnsets(TeachingState& s) {
  s.timedOnsets = s.onTimeOnsets = s.timingErrCount = 4;
  s.timingErrMean = s.timingErrM2 = 0.0;
}

struct MeterCase {
  const char* name;
  std::function<void(TeachingState&)> setup;
  float challenge, meterA, meterB, meterC, meterD, overall;   // < 0: not checked
};

TEST(TeachingMeters, WorkedValues) {
  const std::vector<MeterCase> cases = {
      // Difficulty 5, 80 BPM, 4/4, no scale: 7 notes, no accidentals.
      {"defaults after the selection sync",
       [](TeachingState& s) { s.currentNoteCount = 7; },
       24.455f, 0.0f, 29.437f, 0.0f, 100.0f, 0.0f},
      // Before the first sync the note count is 0, which counts as 5.
      {"defaults before the selection sync", [](TeachingState&) {},
       22.169f, 0.0f, 29.437f, 0.0f, 100.0f, 0.0f},
      // An unlisted denominator such as 3 weighs 0.45.
      {"denominator 3",
       [](TeachingState& s) { s.currentNoteCount = 7; s.timeSigDen = 3; },
       26.765f, -1, -1, -1, -1, -1},
      // The plan's cell takes precedence over the picked one for accidentals and note count.
      {"hardest settings, taken from the plan's cell",
       [](TeachingState& s) {
         s.difficulty = 10; s.bpm = 260; s.timeSigNum = 32; s.timeSigDen = 16;
         s.practiceScales = {3 * 16 + 6};
         s.accidentalsByCell[3 * 16 + 6] = 6; s.noteCountByCell[3 * 16 + 6] = 12;
       },
       96.5f, -1, -1, -1, -1, -1},
      // Four perfect onsets: less volume at difficulty 10 (100 at difficulty 1, below).
      {"four perfect onsets at difficulty 10",
       [](TeachingState& s) { s.difficulty = 10; PerfectOnsets(s); },
       -1, 93.333f, -1, -1, -1, 93.333f},
      // Every counted part at difficulty 1: A 100, B 100, D from a 300 ms longest gap.
      {"overall weighs the counted meters",
       [](TeachingState& s) {
         s.difficulty = 1; PerfectOnsets(s);
         s.onsetCount = s.inScaleOnsets = 5;
         s.velocityMean = 90.0, s.velocityM2 = 0.0, s.velocityCount = 4;
         s.ioiMean = s.maxIoi = 300.0, s.ioiM2 = 0.0, s.ioiCount = 3;
       },
       -1, 100.0f, 100.0f, 0.0f, 94.783f, 98.696f},
      // Far too fast: in-scale playing keeps g3 at 1, out-of-scale notes pull it down.
      {"fast step, all notes in the scale",
       [](TeachingState& s) { s.lastStepDuration = 2.0; s.onsetCount = 10; s.inScaleOnsets = 10; },
       -1, -1, -1, 66.480f, -1, -1},
      {"fast step, no note in the scale",
       [](TeachingState& s) { s.lastStepDuration = 2.0; s.onsetCount = 10; s.inScaleOnsets = 0; },
       -1, -1, -1, 20.589f, -1, -1},
      {"slow step",
       [](TeachingState& s) {
         s.lastStepDuration = 1.5 * 0.75 * 8 / (0.6 + 1.3 * 4.0 / 9.0);
         s.onsetCount = 10; s.inScaleOnsets = 10;
       },
       -1, -1, -1, 50.212f, -1, -1},
      // A running step without a finished duration is timed on the teaching clock; this one took
      // exactly the expected time (5.0943 s at difficulty 5, 80 BPM, 7 notes).
      {"running step uses the clock",
       [](TeachingState& s) {
         s.sessionRunning = 1; s.stepStart = 100.0;
         s.clock = 100.0 + 0.75 * 8 / (0.6 + 1.3 * 4.0 / 9.0);
       },
       -1, -1, -1, 100.0f, -1, -1},
  };
  for (const MeterCase& c : cases) {
    SCOPED_TRACE(c.name);
    TeachingState s;
    c.setup(s);
    ComputeTeachingMeters(s);
    const float want[6] = {c.challenge, c.meterA, c.meterB, c.meterC, c.meterD, c.overall};
    const float got[6] = {s.challenge, s.meterA, s.meterB, s.meterC, s.meterD, s.overall};
    const char* names[6] = {"challenge", "A", "B", "C", "D", "overall"};
    for (int i = 0; i < 6; ++i)
      if (want[i] >= 0) {
        EXPECT_NEAR(got[i], want[i], 0.01f) << names[i];
      }
  }
}

TEST(TeachingMeters, RunScoresStandInWhileShown) {
  struct Case {
    const char* name;
    uint8_t shown, available;
    float want[6];   // challenge, A, B, C, D, overall after the override
  };
  const Case cases[] = {
      {"not shown: computed meters", 0, 1, {22.169f, 0, 29.437f, 0, 100, 0}},
      {"shown and available: clamped run scores", 1, 1, {100, 0, 55, 40, 12.5f, 61}},
      {"shown without results: meters zero, challenge stays", 1, 0, {22.169f, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TeachingState s;
    s.runScoresShown = c.shown;
    s.runResultsAvailable = c.available;
    const float run[6] = {130.0f, -4.0f, 55.0f, 40.0f, 12.5f, 61.0f};
    for (int i = 0; i < 6; ++i) s.runScores[i] = run[i];
    ComputeTeachingMeters(s);
    ApplyRunScoresToMeters(s);
    const float got[6] = {s.challenge, s.meterA, s.meterB, s.meterC, s.meterD, s.overall};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[i], c.want[i], 0.01f) << i;
  }
}

}  // namespace
