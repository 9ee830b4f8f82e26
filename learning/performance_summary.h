// learning/performance_summary: the figures of an item's latest attempt that the performance note
// and the skills radar show: precision, timing, completeness, the feedback areas that the attempt
// measured, and one overall figure.
#pragma once

#include "learning/learning_records.h"

// Every float 0..1.
struct PerformanceSummary {
  float precision = 0;         // landed over landed plus wrong attempts
  float timing = 0;            // the latest timing score
  float completeness = 0;      // 1 - (missed + hold breaks) / expected
  float dynamics = 0;          // when dynamics were measured
  float overall = 0;           // the mean of the figures that count
  bool dynamics_measured = false;
  bool has_notes = false;      // the attempt expected at least one note
  float rhythm = 0, articulation = 0, pedal = 0, intervals = 0;   // when measured
  bool rhythm_measured = false, articulation_measured = false, pedal_measured = false, intervals_measured = false;
  bool rhythm_has_data = false, articulation_has_data = false, pedal_has_data = false, intervals_has_data = false;
};

// Fills and returns out from the record's latest attempt; a null record gives all zeros.
PerformanceSummary* SummarizePerformance(PerformanceSummary* out, const MasteryRecord* record);
