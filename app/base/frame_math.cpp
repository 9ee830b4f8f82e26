// app/frame_math: the pure arithmetic of the frame.
#include "app/base/frame_math.h"

#include <cmath>

#include "app/base/maths.h"
#include "app/base/maths.h"

float TakeFrameStep(double* lastSeconds, double now) {
  if (*lastSeconds <= 0.0) *lastSeconds = now;
  double dt = now - *lastSeconds;
  if (dt < 0.0) dt = 0.0;
  if (dt > kMaxFrameStep) dt = kMaxFrameStep;
  *lastSeconds = now;
  return (float)dt;
}

float EaseFade(float fade, float target, float f) { return ClampFloat(fade + (target - fade) * f, 0.0f, 1.0f); }

float EaseShare(float rate, float dt) { return 1.0f - std::exp(-rate * dt); }

float StepFadeLinear(float fade, float target, float step) {
  if (fade < target) fade = std::fmin(target, fade + step);
  else if (fade > target) fade = std::fmax(target, fade - step);
  return ClampFloat(fade, 0.0f, 1.0f);
}

void DecayLevels(float* values, int n, float k, float dt, float maxValue) {
  float factor = std::exp(-k * dt);
  for (int i = 0; i < n; ++i) values[i] = ClampFloat(values[i] * factor, 0.0f, maxValue);
}

float LowerTimer(float value, float rate, float dt) {
  value -= rate * dt;
  return value < 0.0f ? 0.0f : value;
}

void LowerPositiveTimers(float* values, int n, float dt) {
  for (int i = 0; i < n; ++i)
    if (values[i] > 0.0f) values[i] = values[i] - dt < 0.0f ? 0.0f : values[i] - dt;
}

void BackgroundClearColour(float t, float* r, float* g, float* b) {
  *r = (1.0f - t) * 0.065f + t * 0.26f;
  *g = (1.0f - t) * 0.07f + t * 0.37f;
  *b = (1.0f - t) * 0.082f + t * 0.58f;
}

uint32_t FramePacingSleepMs(uint32_t frameStartMs, uint32_t nowMs) {
  uint32_t elapsed = nowMs - frameStartMs;  // unsigned: a wrapped clock still gives the true span
  return elapsed < kFrameTargetMs ? kFrameTargetMs - elapsed : 0;
}

FramePacing SplitFramePacing(uint32_t frameStartMs, uint32_t nowMs) {
  uint32_t total = FramePacingSleepMs(frameStartMs, nowMs);
  uint32_t elapsed = nowMs - frameStartMs;
  uint32_t fixed = elapsed < kFrameMinGapMs ? kFrameMinGapMs - elapsed : 0;
  return FramePacing{fixed < total ? fixed : total, total > fixed ? total - fixed : 0};
}

bool MidiRescanDue(uint32_t* lastScanMs, uint32_t t) {
  if ((int32_t)(t - *lastScanMs) <= (int32_t)kMidiRescanMs) return false;
  *lastScanMs = t;
  return true;
}
