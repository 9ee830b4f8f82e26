// The chromatic-run gesture: runs up and down, restarts, the event list and the per-filter memory.
#include <vector>

#include "tests/theory/theory_fixture.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"

namespace {

// Feeds notes 100 ms apart from t; returns the time after the last one.
uint32_t Play(const std::vector<int>& notes, uint32_t t = 1000, uint32_t gap = 100) {
  for (int n : notes) {
    DetectChromaticRun(n, t);
    t += gap;
  }
  return t;
}

std::vector<int> Rising(int from, int count) {
  std::vector<int> v;
  for (int i = 0; i < count; ++i) v.push_back(from + i);
  return v;
}

std::vector<int> Falling(int from, int count) {
  std::vector<int> v;
  for (int i = 0; i < count; ++i) v.push_back(from - i);
  return v;
}

}  // namespace

using ChromaticRuns = TheoryTest;

TEST_F(ChromaticRuns, WhichSequencesCompleteARun) {
  struct Case {
    const char* what;
    std::vector<int> notes;
    size_t events;
  } cases[] = {
      {"12 rising notes", Rising(60, 12), 1},
      {"11 rising notes", Rising(60, 11), 0},
      {"12 falling notes", Falling(71, 12), 1},
      {"octave jumps count as semitones", {60, 73, 62, 75, 64, 77, 66, 79, 68, 81, 70, 83}, 1},
      {"repeats neither count nor break", {60, 61, 61, 62, 63, 63, 63, 64, 65, 66, 67, 68, 69, 70, 71}, 1},
      {"a whole tone restarts", {60, 61, 62, 63, 64, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76}, 0},
      {"a whole tone restarts, then a full run", {60, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73}, 1},
      {"a change of direction restarts", {60, 61, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53}, 0},
      // the run restarts at the note that turns (65), not at the turning point (64)
      {"turned run one note short", {66, 65, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75}, 0},
      {"turned run complete", {66, 65, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76}, 1},
  };
  for (const Case& c : cases) {
    ResetAll();
    Play(c.notes);
    EXPECT_EQ(gPatternEvents.size(), c.events) << c.what;
  }
}

TEST_F(ChromaticRuns, RisingRunAllowsEveryNoteAndFallingRunRestores) {
  SelectScale(&gScaleRows[kRowDorian], 3, true);  // A Dorian
  gScaleFilter = 0;
  uint32_t t = Play(Rising(60, 12));
  ASSERT_EQ(gPatternEvents.size(), 1u);
  EXPECT_EQ(gPatternEvents[0].label, "CHROMATIC");
  EXPECT_EQ(gPatternEvents[0].timeMs, 1000u + 11 * 100);
  EXPECT_EQ(gPatternEvents[0].modeIndex, -1);
  EXPECT_EQ(gPatternEvents[0].keyIndex, -1);
  EXPECT_EQ(gLastPatternLabel, "CHROMATIC");
  EXPECT_TRUE(gAllNotesAllowed);
  EXPECT_TRUE(gAllNotesAllowedByFilter[0]);
  EXPECT_TRUE(gChromaticUnlocked);
  EXPECT_EQ(gPatternFlashTimer, 1.0f);
  EXPECT_EQ(gChromaticSavedScale, &gScaleRows[kRowDorian]);
  EXPECT_EQ(gChromaticSavedRingPos, 3);
  EXPECT_TRUE(ScaleContainsPitchClass(1));

  // meanwhile the user picks another scale and key
  SelectScale(&gScaleRows[kRowLocrian], 7, true);
  Play(Falling(84, 12), t + 100);
  EXPECT_EQ(gPatternEvents.size(), 2u);
  EXPECT_FALSE(gAllNotesAllowed);
  EXPECT_FALSE(gAllNotesAllowedByFilter[0]);
  EXPECT_FALSE(gChromaticUnlocked);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowDorian]);
  EXPECT_EQ(gRingPos, 3);
  EXPECT_EQ(gKeyRoot, 9);
  EXPECT_FALSE(ScaleContainsPitchClass(1));
}

TEST_F(ChromaticRuns, FallingRunWithoutRisingRunOnlyRecords) {
  SelectScale(&gScaleRows[kRowLydian], 2, true);
  Play(Falling(71, 12));
  EXPECT_EQ(gPatternEvents.size(), 1u);
  EXPECT_FALSE(gAllNotesAllowed);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowLydian]);
  EXPECT_EQ(gRingPos, 2);
  EXPECT_EQ(gPatternFlashTimer, 0.0f);
}

TEST_F(ChromaticRuns, SavedRingPositionFallsBackToTheKey) {
  gKeyRoot = 4;  // E: ring position 4, nothing selected on the ring
  Play(Rising(60, 12));
  EXPECT_EQ(gChromaticSavedRingPos, 4);
  EXPECT_EQ(gChromaticSavedScale, IonianRow());
}

TEST_F(ChromaticRuns, PauseOfMoreThanFourteenSecondsRestarts) {
  struct Case {
    uint32_t pause;
    size_t events;
  } cases[] = {{14000, 1}, {14001, 0}};
  for (const Case& c : cases) {
    ResetAll();
    uint32_t t = Play(Rising(60, 6));
    Play(Rising(66, 6), t - 100 + c.pause);
    EXPECT_EQ(gPatternEvents.size(), c.events) << c.pause;
  }
}

TEST_F(ChromaticRuns, TimesAcrossThe32BitWrap) {
  Play(Rising(60, 12), 0xFFFFFE00u, 100);  // the clock wraps in the middle of the run
  EXPECT_EQ(gPatternEvents.size(), 1u);
}

TEST_F(ChromaticRuns, RepeatedNoteRefreshesTheTime) {
  DetectChromaticRun(60, 1000);
  DetectChromaticRun(60, 14000);
  DetectChromaticRun(60, 28000);  // 14 s after the refresh, 27 s after the first
  Play(Rising(61, 11), 28100);
  EXPECT_EQ(gPatternEvents.size(), 1u);
}

TEST_F(ChromaticRuns, EventListKeepsTheNewest256) {
  uint32_t t = 1000;
  for (int run = 0; run < 300; ++run) t = Play(Falling(71, 12), t, 10) + 100;
  ASSERT_EQ(gPatternEvents.size(), 256u);
  // 44 oldest dropped: the first kept is run 44's
  EXPECT_EQ(gPatternEvents.front().timeMs, 1000u + 44 * (12 * 10 + 100) + 110);
  EXPECT_EQ(gPatternEvents.back().timeMs, t - 100 - 10);
}

TEST_F(ChromaticRuns, MemoryPerFilterTab) {
  gScaleFilter = 4;
  Play(Rising(60, 12));
  for (int f = 0; f < kScaleFilterCount; ++f) EXPECT_EQ(gAllNotesAllowedByFilter[f], f == 4) << f;
}

TEST_F(ChromaticRuns, FilterOutsideTheTableIsClampedForItsMemory) {
  struct Case {
    int filter;
    int slot;
  } cases[] = {{-3, 0}, {12, 7}, {7, 7}};
  for (const Case& c : cases) {
    ResetAll();
    gScaleFilter = c.filter;
    Play(Rising(60, 12));
    for (int f = 0; f < kScaleFilterCount; ++f)
      EXPECT_EQ(gAllNotesAllowedByFilter[f], f == c.slot) << c.filter << " " << f;
  }
}

TEST_F(ChromaticRuns, ResetForgetsThePartialRun) {
  Play(Rising(60, 8));
  ResetChromaticDetector();
  Play(Rising(68, 4), 2000);
  EXPECT_TRUE(gPatternEvents.empty());
}
