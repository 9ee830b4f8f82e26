// The event-time estimate: the 250 ms cap, stamps from the future, never going backwards, the
// clock's wrap, and the unstamped case.
#include <gtest/gtest.h>

#include "midi/midi_event_time.h"

namespace {

struct Call {
  uint32_t ts, now, expected;
};

void ResetEstimator() {
  gLastEventTimeMs = 0;
  gLastEventTimeValid = false;
}

struct EstimateCase {
  const char* name;
  std::vector<Call> calls;
};

class EventTimeSequences : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(EventTimeSequences, GiveTheExpectedTimes) {
  ResetEstimator();
  const EstimateCase& c = GetParam();
  for (size_t i = 0; i < c.calls.size(); ++i)
    EXPECT_EQ(EstimateMidiEventTime(c.calls[i].ts, c.calls[i].now), c.calls[i].expected)
        << c.name << " call " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EventTimeSequences,
    ::testing::Values(
        EstimateCase{"fresh stamp", {{9990, 10000, 9990}}},
        EstimateCase{"age capped at 250 ms", {{9000, 10000, 9750}}},
        EstimateCase{"age of exactly 250 ms", {{9750, 10000, 9750}}},
        EstimateCase{"stamp from the future", {{10500, 10000, 10000}}},
        EstimateCase{"no stamp gives now", {{0, 10000, 10000}}},
        EstimateCase{"second stamped earlier keeps the first time",
                     {{9990, 10000, 9990}, {9980, 10000, 9990}}},
        EstimateCase{"later events move on", {{9990, 10000, 9990}, {9995, 10001, 9995}}},
        EstimateCase{"unstamped time may go back", {{9990, 10000, 9990}, {0, 9000, 9000}}},
        EstimateCase{"clock earlier than the last time is believed",
                     {{9990, 10000, 9990}, {8990, 9000, 8990}}},
        EstimateCase{"across the wrap of the clock",
                     {{0xFFFFFFF0u, 0xFFFFFFFAu, 0xFFFFFFF0u}, {0xFFFFFFFEu, 4, 0xFFFFFFFEu},
                      {0xFFFFFFF0u, 6, 0xFFFFFFFEu}}},
        EstimateCase{"wrapped stamp capped", {{0xFFFFFF00u, 0x200, 0x200 - 250}}}),
    [](const ::testing::TestParamInfo<EstimateCase>& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!isalnum((unsigned char)ch)) ch = '_';
      return n;
    });

}  // namespace
