// practice/practice_run_input: what the keyboard does to an armed or running practice run.
//
// A step is done only when the achievement tracker reports that the note just played finished
// an upward run of the step's scale in the step's key; everything else a note does here is
// statistics for the step's scores. The teaching level L eases the thresholds at low levels.
#include "practice/practice_run_input.h"

#include <algorithm>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/practice_scoring.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"
#include "practice/teaching_timing.h"
#include "theory/circle_theory.h"

// ---- state ----
float gPracticeCellFlashTimer = 0.0f;   // full when a step's cell is played; the frame lowers it

// ---- internal helpers ----
static float TeachingLevel01() { return std::clamp(gTeachingLevel, 0.0f, 1.0f); }

// The note clock's ms as seconds on the teaching clock (the monotonic one): the two clocks share
// their low 32 bits but not their high ones, so the note's age is carried over instead.
static double NoteMsOnTeachingClock(uint32_t ms) {
  int64_t age = (int32_t)(ClockMs32() - ms);
  return ((double)GetMonotonicMs() - (double)age) * 0.001;
}

// Welford's running mean and sum of squared deviations; count already includes the sample.
static void AddSample(double sample, int32_t count, double* mean, double* m2) {
  double delta = sample - *mean;
  *mean += delta / (double)count;
  *m2 += (sample - *mean) * delta;
}

static bool HasCurrentStep() {
  const PracticeRunData& d = gPracticeRunData;
  return d.currentStep >= 0 && d.currentStep < (int)d.steps.size() &&
         d.currentStep < (int)d.stepStats.size();
}

// The run starts at the input's time (state 2 to 3).
static void StartRun(uint32_t ms) {
  PracticeRunData& d = gPracticeRunData;
  d.runStartMs = ms;
  d.runEndMs = d.completedMs = 0;
  d.currentStep = 0;
  ClearTeachingRunResults(gTeachingState);
  std::fill(d.stepStats.begin(), d.stepStats.end(), PracticeStepStats{});
  ResetPracticeStepStats(0, ms);
  gPracticeState = kPracticeRunning;
  SetPracticeCursor(kCursorArrow);
  FocusPracticeStep();
}

// ---- public functions ----
bool PracticeRunHeldBySong() {
  return (gPracticeState == kPracticeArmed || gPracticeState == kPracticeRunning) && !gSongEvents.empty();
}

double PracticeHesitationThresholdMs(float level, bool gridRunning, int bpm) {
  if (!gridRunning) return 210.0;
  double L = std::clamp(level, 0.0f, 1.0f);
  double t = (0.48 - 0.14 * L) * 60000.0 / (double)std::max(bpm, 1);
  return std::clamp(t, 140.0, 360.0);
}

void ResetPracticeStepStats(int step, uint32_t ms) {
  PracticeRunData& d = gPracticeRunData;
  if (step < 0 || step >= (int)d.stepStats.size()) return;
  d.stepStats[(size_t)step] = PracticeStepStats{};
  d.stepStats[(size_t)step].startMs = ms;
}

void OnPracticeNoteOn(int key, int velocity, uint32_t ms) {
  (void)velocity;
  PracticeRunData& d = gPracticeRunData;
  if (gPracticeState == kPracticeArmed) {
    if (d.steps.empty()) {
      gPracticeState = kPracticeChoosing;
      return;
    }
    // The clock would run on a run that cannot progress: it waits for the song to be closed.
    if (PracticeRunHeldBySong()) return;
    StartRun(ms);
  }
  if (key < 0 || gPracticeState != kPracticeRunning || !HasCurrentStep()) return;
  const PracticeStep& step = d.steps[(size_t)d.currentStep];
  if (!step.scale || step.ringPos < 0 || step.ringPos > 11) return;
  PracticeStepStats& st = d.stepStats[(size_t)d.currentStep];
  const TeachingState& t = gTeachingState;
  const float L = TeachingLevel01();
  const bool grid = t.metronomeOn && t.gridRunning;

  if (st.startMs == 0) st.startMs = ms;
  if (st.lastNoteMs != 0) {
    int64_t gap = (int32_t)(ms - st.lastNoteMs);
    if (gap >= 0) {
      st.gaps += 1;
      st.longestGapMs = std::max(st.longestGapMs, (uint32_t)gap);
      AddSample((double)gap, st.gaps, &st.gapMeanMs, &st.gapM2);
      if ((double)gap > PracticeHesitationThresholdMs(L, grid, t.bpm)) st.hesitations += 1;
    }
  }
  st.notes += 1;
  st.lastNoteMs = ms;

  if (grid) {
    double tempo = t.songBpm > 0.0 ? t.songBpm : (double)std::max(t.bpm, 1);
    double beat = 60.0 / std::max(tempo, 1.0);
    if (beat > 0.000001) {
      double now = ((double)GetMonotonicMs() - (double)gMidiEventLagMs) * 0.001;
      double k = std::round((now - t.barOrigin) / beat);
      double offset = (now - (t.barOrigin + k * beat)) * 1000.0;
      st.gridNotes += 1;
      AddSample(std::fabs(offset), st.gridNotes, &st.offsetMeanMs, &st.offsetM2);
      if (std::fabs(offset) <= 185.0 - 127.0 * L) st.onBeatNotes += 1;
    }
  }

  int interval = ((key % 12) - kFifthsOrder[step.ringPos] + 12) % 12;
  for (int i = 0; i < step.scale->count; ++i) {
    if (step.scale->pcs[i] == interval) {
      st.inScaleNotes += 1;
      break;
    }
  }
}

void RecordPracticeStepTiming(int key, uint32_t ms) {
  // Note-offs carry nothing the step scores use; the road still reports them.
  (void)key;
  (void)ms;
}

void OnPracticeCellPlayed(const std::vector<std::pair<int, int>>& cells, uint32_t ms) {
  if (cells.empty() || gPracticeState != kPracticeRunning) return;
  double teachingTime = NoteMsOnTeachingClock(ms);
  for (const auto& cell : cells) {
    int code = (cell.first < 0 || cell.second < 0 || cell.second > 11) ? -1 : ((cell.first << 4) | cell.second);
    RecordTeachingCellHit(code, teachingTime);
  }

  PracticeRunData& d = gPracticeRunData;
  if (gPracticeState != kPracticeRunning || !HasCurrentStep()) return;
  const PracticeStep& step = d.steps[(size_t)d.currentStep];
  bool current = std::any_of(cells.begin(), cells.end(), [&](const std::pair<int, int>& c) {
    return c.first == step.achvRow && c.second == step.ringPos;
  });
  if (!current) return;

  PracticeStepStats& st = d.stepStats[(size_t)d.currentStep];
  st.hit = 1;
  if (st.startMs == 0) st.startMs = ms;
  st.doneMs = ms;
  gPracticeCellFlashTimer = 1.0f;
  ScorePracticeStep(step, st);

  d.currentStep += 1;
  if (d.currentStep < (int)d.steps.size()) {
    ResetPracticeStepStats(d.currentStep, ms);
    FocusPracticeStep();
    return;
  }

  d.runEndMs = d.completedMs = ms;
  if (d.runStartMs != 0 && (int32_t)(ms - d.runStartMs) >= 0) RecordPracticeRun(ms - d.runStartMs);
  const float L = TeachingLevel01();
  d.holdSeconds = 9.0f - 6.0f * L;
  d.fadeSeconds = 1.9f - 1.05f * L;
  ScorePracticeRun();
  if (gTeachingState.runResultsAvailable) gStudentView = true;
  gHighlightPulse = std::max(gHighlightPulse, 1.0f);
  gPracticeState = kPracticeComplete;
}
