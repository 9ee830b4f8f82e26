// practice/practice_scoring: step and run scores.
//
// Every tolerance follows the teaching level L (the difficulty slider, 0..1): at L = 0 a step has
// a long target time and wide windows, at L = 1 a short one and narrow windows, and the exponent
// e = 0.6 + 0.72 L sharpens the scores as the level rises.
#include "practice/practice_scoring.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"

// ---- internal helpers ----

// ---- public functions ----
void ScorePracticeStep(const PracticeStep& step, PracticeStepStats& st) {
  const float L = std::clamp(gTeachingLevel, 0.0f, 1.0f);

  if (st.doneMs == 0) st.doneMs = st.lastNoteMs != 0 ? st.lastNoteMs : st.startMs;
  if ((int32_t)(st.doneMs - st.startMs) < 0) st.doneMs = st.startMs;
  float D = std::max((float)(uint32_t)(st.doneMs - st.startMs) * 0.001f, 0.001f);

  float q = st.notes > 0 ? (float)st.inScaleNotes / (float)st.notes : 0.0f;
  float h = st.hit ? 1.0f : 0.0f;

  float f = step.scale ? (float)(step.scale->count + 1) * 0.125f : 1.0f;
  float base = 26.0f - 18.0f * L;
  float T = std::max(base * std::clamp(f, 0.55f, 1.65f), 3.0f);
  float S = std::max((1.25f - 0.77f * L) * base * std::clamp(f, 0.6f, 1.75f), 1.5f);

  float U = 0.0f;
  if (st.gaps > 1) {
    float variance = (float)(st.gapM2 / (double)std::max(st.gaps - 1, 1));
    if (!std::isfinite(variance) || variance < 0.0f) variance = 0.0f;
    U = Clamp01(std::sqrt(variance) / std::max(165.0f - 123.0f * L, 1.0f));
  }
  float longGap = 2200.0f - 1680.0f * L;
  float G = Clamp01(((float)st.longestGapMs - longGap) / std::max(longGap, 120.0f));
  float hr = st.gaps > 0 ? (float)st.hesitations / (float)st.gaps : 0.0f;
  float H = Clamp01(hr / std::max(0.52f - 0.22f * L, 0.06f));

  float flowBase = Clamp01((1.0f - 0.55f * G) * (1.0f - U) * (0.88f + 0.12f * (1.0f - H)));
  float grace = std::max((0.22f - 0.1f * L) * T, 0.2f);
  float excess = std::max(std::fabs(D - T) - grace, 0.0f);
  float paceBase = std::exp(-excess / std::max(S, 0.25f));
  float m = 0.06f - 0.045f * L;
  float accuracyBase = Clamp01((q - m) / std::max(1.0f - m, 0.1f));

  float e = 0.6f + 0.72f * L;
  st.accuracy = std::pow(accuracyBase, e);
  st.flow = std::pow(flowBase, e);
  st.pace = std::pow(paceBase, e);

  float rhythm;
  if (st.gridNotes > 0) {
    float r = (float)st.onBeatNotes / (float)st.gridNotes;
    double Qp = 0.0;
    if (st.gridNotes > 1) {
      double Ld = (double)L;
      double a = std::max(std::max(st.offsetMeanMs, 0.0) - ((1.0 - Ld) * 18.0 + 16.0), 0.0) / std::max(110.0 - 42.0 * Ld, 8.0);
      double sd = std::sqrt(std::max(st.offsetM2 / (double)std::max(st.gridNotes - 1, 1), 0.0));
      double b = std::max(sd - ((1.0 - Ld) * 14.0 + 12.0), 0.0) / std::max(80.0 - 30.0 * Ld, 6.0);
      Qp = 0.42 * (1.0 - Clamp01(b)) + 0.58 * (1.0 - Clamp01(a));
    }
    float C = Clamp01((float)st.gridNotes / (8.0f * L + 4.0f));
    rhythm = 0.62f * (1.0f - std::pow(1.0f - Clamp01(r), 0.72f + 0.18f * L)) + 0.28f * (float)Qp + 0.1f * C;
  } else {
    rhythm = 0.35f * st.pace + 0.65f * st.flow;
  }
  st.rhythm = Clamp01(rhythm);
  st.score = Clamp01(0.25f * st.flow + 0.5f * st.accuracy + 0.15f * st.pace + 0.1f * h);
}

void ScorePracticeRun() {
  TeachingState& t = gTeachingState;
  const std::vector<PracticeStepStats>& stats = gPracticeRunData.stepStats;
  if (stats.empty()) {
    ClearTeachingRunResults(t);
    return;
  }
  float sumRhythm = 0.0f, sumAccuracy = 0.0f, sumPace = 0.0f, sumFlow = 0.0f, sumOverall = 0.0f;
  int n = 0;
  for (const PracticeStepStats& st : stats) {
    if (!st.hit) continue;
    float rhythm = Clamp01(st.rhythm), accuracy = Clamp01(st.accuracy);
    float pace = Clamp01(st.pace), flow = Clamp01(st.flow);
    sumRhythm += rhythm;
    sumAccuracy += accuracy;
    sumPace += pace;
    sumFlow += flow;
    sumOverall += Clamp01(0.3f * rhythm + 0.3f * accuracy + 0.2f * pace + 0.2f * flow);
    ++n;
  }
  if (n == 0) {
    ClearTeachingRunResults(t);
    return;
  }
  auto percent = [n](float sum) { return std::clamp(sum * 100.0f / (float)n, 0.0f, 100.0f); };
  float challenge = std::clamp(t.challenge, 0.0f, 100.0f);
  float scores[6] = {challenge, percent(sumRhythm), percent(sumAccuracy), percent(sumPace), percent(sumFlow),
                     percent(sumOverall)};
  for (int i = 0; i < 6; ++i) t.runScores[i] = scores[i];
  t.runScoresShown = 1;
  t.runResultsAvailable = 1;
  t.meterA = scores[1];
  t.meterB = scores[2];
  t.meterC = scores[3];
  t.meterD = scores[4];
  t.overall = scores[5];
  t.challenge = challenge;
}
