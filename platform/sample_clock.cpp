// platform/sample_clock: the map from the program's clock to sample positions, following the
// earliest callbacks.
#include "platform/sample_clock.h"

#include <algorithm>
#include <cmath>

// ---- constants ----
namespace {
constexpr double kCreepPerSecond = 0.001;    // how fast the map may move later: 1 ms per second
constexpr double kStallUs = 30000.0;         // callbacks this much later than the map...
constexpr int kStallBuffers = 8;             // ...this many times in a row: the device lost time
}  // namespace

// ---- public functions ----
void FollowSampleClock(SampleClock& clock, int64_t nowUs, int64_t firstSample, int frames, int rate) {
  if (rate <= 0) return;
  double offset = (double)nowUs - (double)firstSample * 1e6 / rate;
  if (!clock.valid || rate != clock.rate) {
    clock.valid = true;
    clock.rate = rate;
    clock.offsetUs = offset;
    clock.lateRun = 0;
    clock.latencyUs = (int64_t)std::llround((double)frames * 1e6 / rate) + kSoundHandOverSlackUs;
    return;
  }
  if (offset <= clock.offsetUs) {
    clock.offsetUs = offset;
    clock.lateRun = 0;
    return;
  }
  double creep = (double)frames * 1e6 / rate * kCreepPerSecond;
  if (offset - clock.offsetUs <= kStallUs) {
    clock.lateRun = 0;
    clock.offsetUs = std::min(offset, clock.offsetUs + creep);
    return;
  }
  clock.lateRunMin = clock.lateRun == 0 ? offset : std::min(clock.lateRunMin, offset);
  if (++clock.lateRun < kStallBuffers) {
    clock.offsetUs += creep;
    return;
  }
  clock.offsetUs = clock.lateRunMin;
  clock.lateRun = 0;
}

int64_t SampleClockSampleFor(const SampleClock& clock, int64_t dueUs) {
  if (!clock.valid) return 0;
  double us = (double)dueUs + (double)clock.latencyUs - clock.offsetUs;
  return (int64_t)std::ceil(us * clock.rate / 1e6 - 1e-6);
}
