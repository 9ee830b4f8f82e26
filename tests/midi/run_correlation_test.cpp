// The dynamics figure of a run: merging of doubled notes, the states that refuse a figure, and the
// clamp of an inverse relation to 0.
#include <gtest/gtest.h>

#include <vector>

#include "midi/practice_run_result.h"

namespace {

// Records at distinct times from (song, played) pairs.
std::vector<VelocityRecord> Series(const std::vector<std::pair<int, int>>& pairs) {
  std::vector<VelocityRecord> out;
  uint32_t t = 0;
  for (auto [song, played] : pairs) out.push_back({t += 100, 60, (uint32_t)song, (uint32_t)played});
  return out;
}

}  // namespace

TEST(RunCorrelation, StatesAndValues) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> pairs;
    int state;
    float value;
  } cases[] = {
      {"seven notes", {{40, 40}, {50, 50}, {60, 60}, {70, 70}, {80, 80}, {90, 90}, {100, 100}}, 2, 0.0f},
      {"eight following", {{40, 40}, {50, 50}, {60, 60}, {70, 70}, {80, 80}, {90, 90}, {100, 100}, {110, 110}}, 1, 1.0f},
      {"flat song", {{100, 40}, {100, 50}, {100, 60}, {100, 70}, {100, 80}, {100, 90}, {100, 100}, {100, 110}}, 3, 0.0f},
      {"flat player", {{40, 64}, {50, 64}, {60, 64}, {70, 64}, {80, 64}, {90, 64}, {100, 64}, {110, 64}}, 4, 0.0f},
      {"inverse", {{40, 110}, {50, 100}, {60, 90}, {70, 80}, {80, 70}, {90, 60}, {100, 50}, {110, 40}}, 1, 0.0f},
      {"spread exactly 3", {{60, 40}, {66, 50}, {60, 60}, {66, 70}, {60, 80}, {66, 90}, {60, 100}, {66, 110}}, 1, 0.2182179f},
      {"spread 2.5", {{60, 40}, {65, 50}, {60, 60}, {65, 70}, {60, 80}, {65, 90}, {60, 100}, {65, 110}}, 3, 0.0f},
  };
  for (const Case& c : cases) {
    PracticeRunResult r;
    ComputeRunCorrelation(r, Series(c.pairs));
    EXPECT_EQ(r.dynamics_state, c.state) << c.name;
    EXPECT_NEAR(r.dynamics_value, c.value, 1e-5f) << c.name;
  }
}

// A note doubled at one time counts once, with the louder written velocity and the first played
// one; another note at that time is an entry of its own.
TEST(RunCorrelation, DoubledNotesMergeWithinTheirTime) {
  std::vector<VelocityRecord> records = {
      {100, 60, 80, 70}, {100, 60, 90, 30}, {100, 64, 50, 50}, {200, 60, 40, 45},
  };
  // Three entries: (90, 70), (50, 50), (40, 45): fewer than eight.
  uint64_t packed = CorrelateRecordSeries(records.data(), records.size());
  EXPECT_EQ(CorrelationState(packed), 2);
  // Eight entries once merged: the merged pair (90, 70) sits on the line played = song - 20.
  std::vector<VelocityRecord> longer = {{100, 60, 80, 70}, {100, 60, 90, 99}};
  for (uint32_t k = 0; k < 7; ++k) longer.push_back({200 + 100 * k, 62, 30 + 10 * k, 10 + 10 * k});
  packed = CorrelateRecordSeries(longer.data(), longer.size());
  EXPECT_EQ(CorrelationState(packed), 1);
  EXPECT_FLOAT_EQ(CorrelationValue(packed), 1.0f);
  // A missing series gives no figure.
  EXPECT_EQ(CorrelationState(PearsonCorrelation(nullptr, nullptr, 9)), 2);
}
