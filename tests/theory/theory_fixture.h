// tests/theory: a fixture that puts every theory global back to its start value, so a case never
// sees what another case left behind when the whole executable runs in one process.
#pragma once
#include <gtest/gtest.h>

#include "app/base/view_modes.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_selection.h"

class TheoryTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override { ResetAll(); }
  static void ResetAll() {
    ResetScaleSelection();
    ResetChromaticRuns();
    ResetViewModes();
  }
  // Applies a row on a tonic pitch class.
  static void UseScale(ScaleRowId id, int tonic) {
    gCurrentScale = &gScaleRows[id];
    gKeyRoot = tonic;
  }
};
