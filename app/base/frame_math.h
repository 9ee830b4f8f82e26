// app/frame_math: the arithmetic of one frame that needs no window: the clamped step, the eased
// fades, the decays and countdowns, the background colour, the pacing and the MIDI rescan timing.
#pragma once
#include <cstdint>

constexpr float kMaxFrameStep = 0.05f;       // seconds: a stall advances animations by this at most
constexpr uint32_t kFrameTargetMs = 17;      // max(1, round(1000 / 60))
constexpr uint32_t kMidiRescanMs = 1500;     // device rescan and watchdog period

// The step of this pass from the previous pass's time (0 before the first pass), clamped to
// 0..kMaxFrameStep; updates *lastSeconds to now.
float TakeFrameStep(double* lastSeconds, double now);
// fade += (target - fade) * f, clamped to 0..1.
float EaseFade(float fade, float target, float f);
// f = 1 - e^(-rate * dt), the share an exponential ease covers in one step.
float EaseShare(float rate, float dt);
// Moves fade linearly towards target by step, clamped to 0..1.
float StepFadeLinear(float fade, float target, float step);
// Each of n values times e^(-k dt), then clamped to 0..maxValue.
void DecayLevels(float* values, int n, float k, float dt, float maxValue);
// value - rate * dt, not below 0.
float LowerTimer(float value, float rate, float dt);
// Every positive value of n lowered by dt, floored at 0.
void LowerPositiveTimers(float* values, int n, float dt);
// The clear colour of the background for tint fade t.
void BackgroundClearColour(float t, float* r, float* g, float* b);
// Milliseconds to sleep after a pass that took `elapsed` ms (0 means yield).
uint32_t FramePacingSleepMs(uint32_t frameStartMs, uint32_t nowMs);
// The pacing sleep split in two: first the part no key cuts short (passes begin at least
// kFrameMinGapMs apart), then the part a key from the keyboard ends early. Their sum is
// FramePacingSleepMs.
constexpr uint32_t kFrameMinGapMs = 8;  // half a frame
struct FramePacing {
  uint32_t fixedMs;
  uint32_t wakeableMs;
};
FramePacing SplitFramePacing(uint32_t frameStartMs, uint32_t nowMs);
// True when the MIDI rescan is due at t; then *lastScanMs becomes t. Signed 32-bit difference.
bool MidiRescanDue(uint32_t* lastScanMs, uint32_t t);
