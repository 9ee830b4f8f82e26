// theory/key_detection: fixed-size arithmetic over 12-entry arrays; nothing allocates per frame.
#include "theory/key_detection.h"

#include <cmath>

#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "theory/circle_theory.h"

// ---- constants ----
const TonalConfig kTonalConfig = {0.2f, 10.0f, 1.0f, 1.1f, 0.55f, 0.35f};
const float kMajorKeyProfile[12] = {5.0f, 2.0f, 3.5f, 2.0f, 4.5f, 4.0f,
                                    2.0f, 4.5f, 2.0f, 3.5f, 1.5f, 4.0f};
const float kMinorKeyProfile[12] = {5.0f, 2.0f, 3.5f, 4.5f, 2.0f, 4.0f,
                                    2.0f, 4.5f, 3.5f, 2.0f, 1.5f, 4.0f};

// ---- state ----
TonalState gTonalState = {};                       // starts silent
float (&gPcHistogram)[12] = gTonalState.histogram;
KeyEstimate gKeyEstimate = {{}, {}, -1, -1, 0, 0, 0, 0, 0, 0, false};
float (&gPcWeights)[12] = gKeyEstimate.major;
RingTracker gKeyRingTracker = {0.0f, 0.0f, false};  // jumps to the first target
KeyDisplayValues gKeyDisplay = {};

// ---- internal helpers ----
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

// Mean-free sums of one vector pair: the pieces of a Pearson correlation.
void Moments(const float x[12], const float y[12], double* sxy, double* sxx, double* syy) {
  double mx = 0, my = 0;
  for (int i = 0; i < 12; ++i) {
    mx += x[i];
    my += y[i];
  }
  mx /= 12;
  my /= 12;
  *sxy = *sxx = *syy = 0;
  for (int i = 0; i < 12; ++i) {
    double dx = x[i] - mx, dy = y[i] - my;
    *sxy += dx * dy;
    *sxx += dx * dx;
    *syy += dy * dy;
  }
}

// Stability of two integrals: fallback when either is (nearly) constant, else the correlation
// clamped to 0..1.
float StableCorrelation(const float x[12], const float y[12], float fallback) {
  double sxy, sxx, syy;
  Moments(x, y, &sxy, &sxx, &syy);
  if (sxx <= 1e-9 || syy <= 1e-9) return fallback;
  return ClampFloat((float)(sxy / std::sqrt(sxx * syy)), 0.0f, 1.0f);
}

float DecayFactor(float dt, float halfLife) {
  if (dt <= 0.0f) return 1.0f;
  if (!(halfLife > 0.0f)) return 0.0f;
  return std::pow(0.5f, dt / halfLife);
}

void CircleSums(const float w[12], double* sx, double* sy, double* sum) {
  *sx = *sy = *sum = 0;
  for (int i = 0; i < 12; ++i) {
    double a = i * (double)kTwoPi / 12.0;
    *sx += w[i] * std::cos(a);
    *sy += w[i] * std::sin(a);
    *sum += w[i];
  }
}

}  // namespace

// ---- public functions ----
void UpdatePitchHistograms(float activity[12], float dt, const PitchInput* inputs, int count,
                           const TonalConfig& config, TonalState* state) {
  if (!std::isfinite(dt) || dt < 0.0f || !state) return;
  float target[12] = {};
  for (int i = 0; inputs && i < count; ++i) {
    const PitchInput& in = inputs[i];
    if (in.pc < 0 || in.pc > 11) continue;
    float w = std::isfinite(in.level) ? ClampFloat(in.level, 0.0f, 1.0f) : 0.0f;
    float v = in.keyDown ? w * config.keyDownWeight : (in.sustained ? w * config.sustainWeight : 0.0f);
    if (v > target[in.pc]) target[in.pc] = v;
  }

  float rA = StableCorrelation(state->recent, state->longTerm, 1.0f);
  float rB = StableCorrelation(state->histogram, state->recent, 0.0f);
  float sA = ClampFloat((rA - 0.9f) / 0.085f, 0.0f, 1.0f);
  float sB = ClampFloat((rB - 0.9f) / 0.085f, 0.0f, 1.0f);
  float stability = std::fmax(sA * sA, sB * sB);

  float histHalfLife =
      (config.longHalfLife - config.shortHistogramHalfLife) * stability + config.shortHistogramHalfLife;
  float kAct = DecayFactor(dt, config.activityHalfLife);
  float kHist = DecayFactor(dt, histHalfLife);
  float kRecent = DecayFactor(dt, config.recentHalfLife);
  float kLong = DecayFactor(dt, config.longHalfLife);

  for (int pc = 0; pc < 12; ++pc) {
    activity[pc] = (activity[pc] - target[pc]) * kAct + target[pc];
    state->histogram[pc] = kHist * state->histogram[pc] + activity[pc] * dt;
    state->recent[pc] = kRecent * state->recent[pc] + activity[pc] * dt;
    state->longTerm[pc] = kLong * state->longTerm[pc] + activity[pc] * dt;
  }
}

float ProfileCorrelation(const float x[12], const float y[12]) {
  double sxy, sxx, syy;
  Moments(x, y, &sxy, &sxx, &syy);
  if (sxx <= 1e-12 || syy <= 1e-12) return 0.0f;
  return (float)(sxy / std::sqrt(sxx * syy));
}

float ScoreKeyProfile(const float h[12], const float profile[12], bool minor, float temperature,
                      float weights[12], int* ringPos, int offset, float* bestCorrelation,
                      float* bestScore) {
  float m = 0.0f, sum = 0.0f;
  for (int i = 0; i < 12; ++i) {
    if (h[i] > m) m = h[i];
    sum += h[i];
  }
  bool scaled = m > 1e-6f;
  float spread = scaled ? ClampFloat((sum / m - 1.5f) / 3.0f, 0.0f, 1.0f) : 0.0f;

  float corr[12], score[12];
  int best = 0;
  for (int k = 0; k < 12; ++k) {
    float rotated[12];
    for (int j = 0; j < 12; ++j) rotated[j] = h[(k + j) % 12];
    corr[k] = ProfileCorrelation(rotated, profile);
    score[k] = corr[k];
    if (scaled) {
      float t = h[k] / m;
      // the tonic's third, read round the circle like the profile itself
      float third = (h[(k + 4) % 12] - h[(k + 3) % 12]) / m;
      if (minor) third = -third;
      score[k] = (0.8f * t + 0.15f * third) * spread + corr[k];
    }
    if (score[k] > score[best]) best = k;
  }

  float T = std::fmax(temperature, 0.001f);
  double p[12], psum = 0;
  for (int k = 0; k < 12; ++k) psum += (p[k] = std::exp((score[k] - score[best]) / T));
  double pmax = 0;
  for (int k = 0; k < 12; ++k) {
    p[k] /= psum;
    if (p[k] > pmax) pmax = p[k];
  }

  float confidence = ClampFloat((corr[best] - 0.15f) / 0.55f, 0.0f, 1.0f);
  for (int i = 0; i < 12; ++i)
    weights[i] = pmax > 1e-9 ? (float)(p[PitchClassMod(kFifthsOrder[i] - offset)] / pmax) * confidence
                             : 0.0f;
  *ringPos = confidence > 0.0f ? PitchClassMod(offset + best) * 7 % 12 : -1;
  *bestCorrelation = corr[best];
  *bestScore = score[best];
  return confidence;
}

KeyEstimate EstimateKey(const float histogram[12], float temperature) {
  KeyEstimate e = {{}, {}, -1, -1, 0, 0, 0, 0, 0, 0, false};
  e.majorConfidence = ScoreKeyProfile(histogram, kMajorKeyProfile, false, temperature, e.major,
                                      &e.majorRingPos, 0, &e.majorCorrelation, &e.majorScore);
  e.minorConfidence = ScoreKeyProfile(histogram, kMinorKeyProfile, true, temperature, e.minor,
                                      &e.minorRingPos, 3, &e.minorCorrelation, &e.minorScore);
  e.isMinor = e.minorScore > e.majorScore;
  float w = e.isMinor ? e.minorConfidence : e.majorConfidence;
  float fMajor = e.majorConfidence > 1e-6f ? w / e.majorConfidence : 0.0f;
  float fMinor = e.minorConfidence > 1e-6f ? w / e.minorConfidence : 0.0f;
  float winner = e.isMinor ? e.minorScore : e.majorScore;
  fMajor *= std::exp((e.majorScore - winner) / 0.075f);
  fMinor *= std::exp((e.minorScore - winner) / 0.075f);
  for (int i = 0; i < 12; ++i) {
    e.major[i] *= fMajor;
    e.minor[i] *= fMinor;
  }
  e.majorConfidence = e.minorConfidence = w;
  return e;
}

KeyEstimate EstimateKeyFromHistogram(float temperature) {
  return EstimateKey(gPcHistogram, temperature);
}

float PitchHistogramTotal() {
  float sum = 0.0f;
  for (float v : gPcHistogram) sum += v;
  return sum;
}

float MaxPitchClassActivity() {
  float m = 0.0f;
  for (float v : gPcActivity)
    if (v > m) m = v;
  return m > 1.0f ? 1.0f : m;
}

float ModeCorrelation(const TonalState& state) {
  float sr = 0.0f, sl = 0.0f;
  for (int i = 0; i < 12; ++i) {
    sr += state.recent[i];
    sl += state.longTerm[i];
  }
  if (sr <= 1e-5f || sl <= 1e-5f) return 1.0f;
  float r[12], l[12];
  for (int i = 0; i < 12; ++i) {
    r[i] = state.recent[i] / sr;
    l[i] = state.longTerm[i] / sl;
  }
  return ClampFloat(ProfileCorrelation(r, l), 0.0f, 1.0f);
}

float PitchCentroidPosition(const float weights[12]) {
  double sx, sy, sum;
  CircleSums(weights, &sx, &sy, &sum);
  if (sum <= 1e-6 || sx * sx + sy * sy < 1e-12) return 0.0f;
  double pos = std::atan2(sy, sx) * 12.0 / (double)kTwoPi;
  if (pos < 0) pos += 12.0;
  return pos >= 12.0 ? 0.0f : (float)pos;
}

float TonalClarity(const float weights[12]) {
  double sx, sy, sum;
  CircleSums(weights, &sx, &sy, &sum);
  if (sum <= 1e-6) return 0.0f;
  return ClampFloat((float)(std::sqrt(sx * sx + sy * sy) / sum), 0.0f, 1.0f);
}

float RingDelta(float a, float b) {
  float d = std::fmod(b - a, 12.0f);  // a non-finite input stays non-finite, never loops
  if (d <= -6.0f) d += 12.0f;
  if (d > 6.0f) d -= 12.0f;
  return d;
}

void TrackRingPosition(RingTracker* t, float target, float dt, float stiffness, float damping) {
  if (!std::isfinite(target)) return;
  if (!t->initialised) {
    t->pos = target;
    t->vel = 0.0f;
    t->initialised = true;
    return;
  }
  if (!(dt > 0.0f) || !std::isfinite(dt)) return;
  float h = std::fmin(dt, 0.05f);
  float d = RingDelta(t->pos, target);
  float k = stiffness > 0.0f ? stiffness : 1.0f;
  t->vel += (d * k - 2.0f * damping * std::sqrt(k) * t->vel) * h;
  t->pos += t->vel * h;
  t->pos = std::fmod(t->pos, 12.0f);
  if (t->pos < 0.0f) t->pos += 12.0f;
  if (t->pos >= 12.0f) t->pos = 0.0f;
}

float RingDistanceFromTracker(const RingTracker& t, float x) {
  return t.initialised ? RingDelta(x, t.pos) : 0.0f;
}

float IntervalTension(int interval) {
  switch (PitchClassMod(interval)) {
    case 1: case 11: return 0.85f;
    case 2: return 0.35f;
    case 6: return 1.0f;
    case 10: return 0.4f;
    default: return 0.0f;
  }
}

void UpdateKeyDisplay(float ringModeFade, float dt) {
  if (!(ringModeFade > 0.001f)) {
    gKeyDisplay = {};
    return;
  }
  KeyDisplayValues v = {};
  v.presence = ClampFloat((PitchHistogramTotal() - 0.35f) / 1.2f, 0.0f, 1.0f);
  if (v.presence > 0.002f) {
    gKeyEstimate = EstimateKeyFromHistogram(0.3f);
    v.activity = MaxPitchClassActivity() * 0.7f + 0.05f;
    v.modeCorrelation = ModeCorrelation();
    v.centroid = PitchCentroidPosition(gPcWeights);
    TrackRingPosition(&gKeyRingTracker, v.centroid, dt, 90.0f, 0.55f);
    v.ringDistance = RingDistanceFromTracker(gKeyRingTracker, v.centroid);
    v.clarity = TonalClarity(gPcWeights);
  }
  gKeyDisplay = v;
}

void UpdateKeyDetectionFrame(float dt) {
  PitchInput inputs[128];
  int count = 0;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding) continue;
    if (count == 128) break;
    inputs[count++] = {PitchClassMod(h.note), ClampFloat((float)h.velocity / 127.0f, 0.0f, 1.0f), h.keyDown != 0,
                       h.keyDown == 0};
  }
  UpdatePitchHistograms(gPcActivity, dt, inputs, count, kTonalConfig);
  UpdateKeyDisplay(gRingModeFade, dt);
}

void ResetKeyDetection() {
  gTonalState = {};
  gKeyEstimate = {{}, {}, -1, -1, 0, 0, 0, 0, 0, 0, false};
  gKeyRingTracker = {0.0f, 0.0f, false};
  gKeyDisplay = {};
}
