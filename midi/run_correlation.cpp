// midi/run_correlation: the dynamics figure of a run: how closely the player's velocities follow
// the song's, as a Pearson correlation over the graded notes, with a state that says whether the
// figure could be computed. A note the song doubles at one time counts once, with the louder
// written velocity and the first played one.
#include <cmath>
#include <cstring>

#include "midi/practice_run_result.h"

// ---- internal helpers ----
namespace {

constexpr size_t kMinEntries = 8;     // fewer entries give no figure
constexpr double kMinSpread = 3.0;    // a series varying less than this gives no figure

uint64_t Pack(int32_t state, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return (uint64_t)(uint32_t)state | ((uint64_t)bits << 32);
}

}  // namespace

// ---- public functions ----
int32_t CorrelationState(uint64_t packed) { return (int32_t)(uint32_t)(packed & 0xFFFFFFFFu); }

float CorrelationValue(uint64_t packed) {
  uint32_t bits = (uint32_t)(packed >> 32);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint64_t PearsonCorrelation(const int* a, const int* b, size_t n) {
  if (n < kMinEntries || !a || !b) return Pack(2, 0.0f);
  double ma = 0.0, mb = 0.0;
  for (size_t i = 0; i < n; ++i) {
    ma += a[i];
    mb += b[i];
  }
  ma /= (double)n;
  mb /= (double)n;
  double saa = 0.0, sbb = 0.0, sab = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double da = a[i] - ma, db = b[i] - mb;
    saa += da * da;
    sbb += db * db;
    sab += da * db;
  }
  if (std::sqrt(saa / (double)n) < kMinSpread) return Pack(3, 0.0f);
  if (std::sqrt(sbb / (double)n) < kMinSpread) return Pack(4, 0.0f);
  double r = sab / std::sqrt(saa * sbb);
  if (!(r > 0.0)) r = 0.0;  // an inverse relation counts as none
  if (r > 1.0) r = 1.0;
  return Pack(1, (float)r);
}

uint64_t CorrelateRecordSeries(const VelocityRecord* records, size_t count) {
  std::vector<int> song, played, notes;
  song.reserve(count);
  played.reserve(count);
  notes.reserve(count);
  size_t groupStart = 0;
  uint32_t groupTime = 0;
  for (size_t i = 0; i < count; ++i) {
    const VelocityRecord& r = records[i];
    if (!song.empty() && r.timeMs == groupTime) {
      bool merged = false;
      for (size_t k = groupStart; k < notes.size(); ++k) {
        if (notes[k] != (int)r.note) continue;
        if ((int)r.songVelocity > song[k]) song[k] = (int)r.songVelocity;
        merged = true;
        break;
      }
      if (merged) continue;
    } else {
      groupStart = song.size();
      groupTime = r.timeMs;
    }
    song.push_back((int)r.songVelocity);
    played.push_back((int)r.playedVelocity);
    notes.push_back((int)r.note);
  }
  return PearsonCorrelation(song.data(), played.data(), song.size());
}

void ComputeRunCorrelation(PracticeRunResult& result, const std::vector<VelocityRecord>& records) {
  std::vector<VelocityRecord> copy(records);
  uint64_t packed = CorrelateRecordSeries(copy.data(), copy.size());
  result.dynamics_state = CorrelationState(packed);
  result.dynamics_value = CorrelationValue(packed);
}
