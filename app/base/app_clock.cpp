// app/base/app_clock: the program's clocks from the platform's 32- and 64-bit counts.
#include "app/base/app_clock.h"

#include <cmath>

#include "platform/clock.h"

// ---- constants ----
constexpr double kPhaseCycleSeconds = 6400.0 * 3.14159265358979323846;  // 3200 turns of 2 pi seconds

// ---- public functions ----
uint64_t GetMonotonicMs() {
  const uint64_t kWrap = 1ull << 32;
  const uint64_t kHalf = 1ull << 31;
  uint64_t t = ClockTickMs64();
  uint64_t v = (t & ~0xFFFFFFFFull) | ClockMs32();
  if (v > t + kHalf && v >= kWrap) return v - kWrap;
  if (t > v + kHalf) return v + kWrap;
  return v;
}

double GetAppSeconds() {
  static const uint64_t start = ClockTickMs64();
  uint64_t now = ClockTickMs64();
  return (double)(int64_t)(now - start) * 0.001;
}

float PhaseSeconds(double appSeconds) { return (float)std::fmod(appSeconds, kPhaseCycleSeconds); }

int64_t NowSeconds() { return ClockWallSeconds(); }
