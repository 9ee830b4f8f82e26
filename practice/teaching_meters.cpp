// practice/teaching_meters: the formulas behind the Challenge score and the meters.
//
// All arithmetic is in double precision; only the stored results are floats. L is the teaching
// level (0 at difficulty 1, 1 at difficulty 10): higher levels tighten every tolerance.
#include "practice/teaching_meters.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "practice/teaching_timing.h"

// ---- internal helpers ----
// The teaching level in double precision.
static double LevelOf(const TeachingState& s) { return (ClampInt(s.difficulty, 1, 10) - 1) / 9.0; }

// The cell the current step asks for, else the picked one.
static int CurrentStepCell(const TeachingState& s) {
  if (s.stepIndex >= 0 && (size_t)s.stepIndex < s.practiceScales.size() &&
      s.practiceScales[(size_t)s.stepIndex] >= 0)
    return s.practiceScales[(size_t)s.stepIndex];
  return s.currentCellCode;
}

// Sample standard deviation of a running statistic, 0 below two samples.
static double RunningSd(double m2, int count) {
  if (count <= 1) return 0.0;
  return std::sqrt(std::max(m2 / (double)(count - 1), 0.0));
}

static double InScaleShare(const TeachingState& s) {
  return s.onsetCount > 0 ? (double)s.inScaleOnsets / (double)s.onsetCount : 0.0;
}

static double ComputeChallenge(const TeachingState& s, double L) {
  int c = CurrentStepCell(s);
  auto acc = s.accidentalsByCell.find(c);
  double a = acc != s.accidentalsByCell.end() ? acc->second : s.currentAccidentals;
  auto cnt = s.noteCountByCell.find(c);
  double n = cnt != s.noteCountByCell.end() ? std::max(cnt->second, 5) : std::max(s.currentNoteCount, 5);

  double tempo = Clamp01((s.bpm - 30.0) / 230.0);
  double m = Clamp01((ClampInt(s.timeSigNum, 1, 32) - 1) / 31.0);
  if (s.timeSigNum == 3 || s.timeSigNum == 4) m *= 0.45;
  else if (s.timeSigNum == 6 || s.timeSigNum == 12) m *= 0.78;
  double w;
  switch (s.timeSigDen) {
    case 1: w = 0.65; break;
    case 2: w = 0.35; break;
    case 4: w = 0.12; break;
    case 8: w = 0.28; break;
    case 16: w = 0.5; break;
    default: w = 0.45; break;
  }
  double metre = 0.65 * m + 0.35 * w;
  double key = 0.6 * Clamp01(std::fabs(a) / 6.0) + 0.4 * Clamp01((n - 5.0) / 7.0);
  return ClampDouble(100.0 * (0.34 * L + 0.26 * tempo + 0.2 * metre + 0.2 * key), 0.0, 100.0);
}

static double ComputeMeterA(const TeachingState& s, double L) {
  double onTime = s.timedOnsets > 0 ? (double)s.onTimeOnsets / s.timedOnsets : 0.0;
  double p = 0.0;
  if (s.timingErrCount > 1) {
    double sd = RunningSd(s.timingErrM2, s.timingErrCount);
    double sdExcess = std::max(sd - (12.0 + 14.0 * (1.0 - L)), 0.0);
    double meanExcess = std::max(std::max(s.timingErrMean, 0.0) - (16.0 + 18.0 * (1.0 - L)), 0.0);
    p = 0.42 * (1.0 - std::min(1.0, sdExcess / std::max(80.0 - 30.0 * L, 6.0))) +
        0.58 * (1.0 - std::min(1.0, meanExcess / std::max(110.0 - 42.0 * L, 8.0)));
  }
  double volume = Clamp01(s.timedOnsets / (8.0 * L + 4.0));
  double rhythm = 1.0 - std::pow(1.0 - Clamp01(onTime), 0.72 + 0.18 * L);
  return ClampDouble(100.0 * (0.62 * rhythm + 0.28 * p + 0.1 * volume), 0.0, 100.0);
}

static double ComputeMeterB(const TeachingState& s, double L) {
  double inScale = InScaleShare(s);
  double onTime2 = s.timedOnsets > 0 ? (double)s.onTimeOnsets / s.timedOnsets : 0.65;
  double clean = s.stepHits > 0 ? (double)s.cleanSteps / s.stepHits : 1.0;
  double f = 0.05 - 0.038 * L;
  double q = (inScale - f) / std::max(1.0 - f, 0.1);
  double cleanTerm = std::pow(1.0 - std::pow(1.0 - Clamp01(clean), 0.68 + 0.22 * L), 0.95 + 0.2 * L);
  return ClampDouble(100.0 * (0.62 * std::pow(Clamp01(q), 0.88 + 0.42 * L) +
                        0.22 * std::pow(onTime2, 0.9 + 0.55 * L) + 0.16 * cleanTerm),
               0.0, 100.0);
}

static double ComputeMeterC(const TeachingState& s, double L) {
  double E = ExpectedStepSeconds(s, CurrentStepCell(s));
  double T = 0.0;
  if (s.lastStepDuration > 0.0) T = s.lastStepDuration;
  else if (s.sessionRunning && s.stepStart > 0.0) T = std::max(s.clock - s.stepStart, 0.0);
  if (T <= 0.0001) return 0.0;

  double tol = std::max((0.22 - 0.1 * L) * E, 0.16);
  double spread = std::max((1.28 - 0.5 * L) * E, 0.14);
  double g1 = std::exp(-std::max(std::fabs(T - E) - tol, 0.0) / spread);
  double g2 = 1.0;
  if (T > E) g2 = std::min(1.0, std::exp(-(T - E - tol) / std::max((1.0 - 0.34 * L) * E, 0.2)));
  double g3 = 1.0;
  double inScale = InScaleShare(s);
  double t = 0.78 + 0.14 * L;
  if (E > T + tol && inScale < t)
    g3 = std::exp(-(E - T - tol) * (1.55 * (t - inScale) / std::max(t, 0.15) + 0.35) /
                  std::max(0.7 * E, 0.22));
  return ClampDouble(100.0 * g1 * g2 * g3, 0.0, 100.0);
}

static double ComputeMeterD(const TeachingState& s, double L) {
  double sdVel = RunningSd(s.velocityM2, s.velocityCount);
  double sdIoi = RunningSd(s.ioiM2, s.ioiCount);
  double x1 = Clamp01(sdIoi / std::max(120.0 - 52.0 * L, 1.0));
  double x2 = Clamp01(sdVel / std::max(26.0 - 10.0 * L, 1.0));
  double x3 = Clamp01(s.maxIoi / std::max(1150.0 - 520.0 * L, 60.0));
  double gaps = s.ioiCount > 0 ? (double)s.gapCount / s.ioiCount : 0.0;
  double x4 = Clamp01(gaps / std::max(0.52 - 0.22 * L, 0.06));
  return ClampDouble(100.0 * (0.42 * (1.0 - x1) + 0.26 * (1.0 - x2) + 0.2 * (1.0 - x3) + 0.12 * (1.0 - x4)),
               0.0, 100.0);
}

// ---- public functions ----
double ExpectedStepSeconds(const TeachingState& s, int cellCode) {
  double L = LevelOf(s);
  auto cnt = s.noteCountByCell.find(cellCode);
  double notes = cnt != s.noteCountByCell.end() ? std::max(cnt->second, 5) : 7;
  return std::max(GetTeachingBeatSeconds(s) * (notes + 1.0) / (0.6 + 1.3 * L), 0.35);
}

void ComputeTeachingMeters(TeachingState& s) {
  double L = LevelOf(s);
  s.challenge = (float)ComputeChallenge(s, L);
  s.meterB = (float)ComputeMeterB(s, L);
  s.meterC = (float)ComputeMeterC(s, L);
  s.meterD = (float)ComputeMeterD(s, L);
  s.meterA = (float)ComputeMeterA(s, L);

  double sum = 0.0, weight = 0.0;
  if (s.timedOnsets >= 4) { sum += 0.3 * s.meterA; weight += 0.3; }
  if (s.onsetCount >= 5) { sum += 0.3 * s.meterB; weight += 0.3; }
  if (s.stepHits > 0 || s.lastStepDuration > 0.0) { sum += 0.2 * s.meterC; weight += 0.2; }
  if (s.velocityCount >= 4 && s.ioiCount >= 3) { sum += 0.2 * s.meterD; weight += 0.2; }
  s.overall = weight > 0.0 ? (float)ClampDouble(sum / weight, 0.0, 100.0) : 0.0f;
}

void UpdateTeachingMeters(double dt) {
  TeachingState& s = gTeachingState;
  if (!s.enabled) return;
  dt = ClampDouble(dt, 0.0, 0.1);
  s.clock += dt;
  TickTeachingBeatGrid(s);
  s.clickFlash = (float)std::max(s.clickFlash - 2.8 * dt, 0.0);
  ComputeTeachingMeters(s);
  ApplyRunScoresToMeters(s);
}

void ApplyRunScoresToMeters(TeachingState& s) {
  if (!s.runScoresShown) return;
  if (s.runResultsAvailable) {
    float* dst[6] = {&s.challenge, &s.meterA, &s.meterB, &s.meterC, &s.meterD, &s.overall};
    for (int i = 0; i < 6; ++i) *dst[i] = (float)ClampDouble(s.runScores[i], 0.0, 100.0);
  } else {
    s.meterA = s.meterB = s.meterC = s.meterD = s.overall = 0.0f;
  }
}

void ClearTeachingRunResults(TeachingState& s) {
  s.runResultsAvailable = 0;
  for (int i = 1; i < 6; ++i) s.runScores[i] = 0.0f;
  s.meterA = s.meterB = s.meterC = s.meterD = s.overall = 0.0f;
}
