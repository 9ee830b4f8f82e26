// learning/performance_summary: the run's figures from its mastery record.
#include "learning/performance_summary.h"

#include <algorithm>
#include <cmath>

// ---- internal helpers ----
static float Unit(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }

// One feedback area: has data unless its state is 0, measured only in state 1.
static void Area(int state, float value, float* out, bool* measured, bool* hasData) {
  *hasData = state != 0;
  *measured = state == 1;
  *out = *measured ? Unit(value) : 0.0f;
}

// ---- public functions ----
PerformanceSummary* SummarizePerformance(PerformanceSummary* out, const MasteryRecord* r) {
  *out = PerformanceSummary();
  if (!r) return out;
  double landed = std::max(r->latest_landed, 0), wrong = std::max(r->latest_wrong_attempts, 0);
  out->precision = Unit((float)(landed / std::max(landed + wrong, 1.0)));
  out->timing = Unit(r->latest_timing);
  double expected = r->latest_expected < 2 ? 1.0 : r->latest_expected;
  out->completeness = Unit((float)(1.0 - ((double)r->latest_missed + r->latest_hold_breaks) / expected));
  out->has_notes = r->latest_expected > 0;
  out->dynamics_measured = r->latest_dynamics_state == 1;
  if (out->dynamics_measured) out->dynamics = Unit(r->latest_dynamics);
  Area(r->latest_rhythm_state, r->latest_rhythm, &out->rhythm, &out->rhythm_measured, &out->rhythm_has_data);
  Area(r->latest_articulation_state, r->latest_articulation, &out->articulation, &out->articulation_measured,
       &out->articulation_has_data);
  Area(r->latest_pedal_state, r->latest_pedal, &out->pedal, &out->pedal_measured, &out->pedal_has_data);
  Area(r->latest_intervals_state, r->latest_intervals, &out->intervals, &out->intervals_measured,
       &out->intervals_has_data);

  double sum = (double)out->precision + out->timing + out->completeness;
  int count = 3;
  if (out->dynamics_measured) sum += out->dynamics, ++count;
  const struct { bool measured; float value; } areas[] = {{out->rhythm_measured, out->rhythm},
                                                          {out->articulation_measured, out->articulation},
                                                          {out->pedal_measured, out->pedal},
                                                          {out->intervals_measured, out->intervals}};
  for (const auto& area : areas)
    if (area.measured) sum += area.value, ++count;
  out->overall = (float)(sum / count);
  return out;
}
