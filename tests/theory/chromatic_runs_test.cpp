// The chromatic-run gesture: runs up and down, restarts, the event list and the per-filter memory.
#include <vector>

#include "tests/theory/theory_fixture.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"

namespace {

// Feeds notes `gap` ms apart from t; returns the time after the last one.
uint32_t Play(const std::vector<int>& notes, uint32_t t = 1000, uint32_t gap = 100) {
  for (int n : notes) DetectChromaticRun(n, t), t += gap;
  return t;
}

// `count` semitone steps from `from`, rising or falling.
std::vector<int> Semitones(int from, int count, int dir = 1) {
  std::vector<int> v;
  for (int i = 0; i < count; ++i) v.push_back(from + dir * i);
  return v;
}

}  // namespace

using ChromaticRuns = TheoryTest;

TEST_F(ChromaticRuns, WhichSequencesCompleteARun) {
  struct Case { const char* what; std::vector<int> notes; size_t events; } cases[] = {
      {"12 rising notes", Semitones(60, 12), 1},
      {"11 rising notes", Semitones(60, 11), 0},
      {"12 falling notes", Semitones(71, 12, -1), 1},
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

TEST_F(ChromaticRuns, TimingRestartsAndTheClockWrap) {
  struct Case {
    const char* what;
    uint32_t pause;  // between the sixth and seventh note
    size_t events;
  } cases[] = {{"a pause of 14 s keeps the run", 14000, 1}, {"a longer pause restarts", 14001, 0}};
  for (const Case& c : cases) {
    ResetAll();
    Play(Semitones(66, 6), Play(Semitones(60, 6)) - 100 + c.pause);
    EXPECT_EQ(gPatternEvents.size(), c.events) << c.what;
  }
  ResetAll();
  Play(Semitones(60, 12), 0xFFFFFE00u);  // the clock wraps in the middle of the run
  EXPECT_EQ(gPatternEvents.size(), 1u);
  ResetAll();
  DetectChromaticRun(60, 1000);
  DetectChromaticRun(60, 14000);  // a repeated note refreshes the time
  Play(Semitones(61, 11), 28000);
  EXPECT_EQ(gPatternEvents.size(), 1u);
  ResetAll();
  Play(Semitones(60, 8));
  ResetChromaticDetector();  // forgets the partial run
  Play(Semitones(68, 4), 2000);
  EXPECT_TRUE(gPatternEvents.empty());
}

TEST_F(ChromaticRuns, RisingRunAllowsEveryNoteAndFallingRunRestores) {
  SelectScale(&gScaleRows[kRowDorian], 3, true);  // A Dorian
  gScaleFilter = 0;
  uint32_t t = Play(Semitones(60, 12));
  ASSERT_EQ(gPatternEvents.size(), 1u);
  EXPECT_EQ(gPatternEvents[0].label, "CHROMATIC");
  EXPECT_TRUE(gAllNotesAllowed);
  EXPECT_EQ(gPatternFlashTimer, 1.0f);
  SelectScale(&gScaleRows[kRowLocrian], 7, true);  // meanwhile the user picks another scale and key
  Play(Semitones(84, 12, -1), t + 100);
  EXPECT_FALSE(gAllNotesAllowed);
  EXPECT_FALSE(gAllNotesAllowedByFilter[0]);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowDorian]);
  EXPECT_EQ(gRingPos, 3);
  EXPECT_EQ(gKeyRoot, 9);

  ResetAll();  // falling without a rising run before only records
  SelectScale(&gScaleRows[kRowLydian], 2, true);
  Play(Semitones(71, 12, -1));
  EXPECT_FALSE(gAllNotesAllowed);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowLydian]);
  EXPECT_EQ(gPatternFlashTimer, 0.0f);

  ResetAll();
  gKeyRoot = 4;  // nothing selected on the ring: the key's position is saved
  Play(Semitones(60, 12));
  EXPECT_EQ(gChromaticSavedRingPos, 4);
  EXPECT_EQ(gChromaticSavedScale, IonianRow());
}

TEST_F(ChromaticRuns, MemoryPerFilterTabWithTheFilterClamped) {
  struct Case { int filter, slot; } cases[] = {{4, 4}, {0, 0}, {-3, 0}, {12, 7}, {7, 7}};
  for (const Case& c : cases) {
    ResetAll();
    gScaleFilter = c.filter;
    Play(Semitones(60, 12));
    for (int f = 0; f < kScaleFilterCount; ++f)
      EXPECT_EQ(gAllNotesAllowedByFilter[f], f == c.slot) << c.filter << " " << f;
  }
}

TEST_F(ChromaticRuns, EventListKeepsTheNewest256) {
  uint32_t t = 1000;
  for (int run = 0; run < 300; ++run) t = Play(Semitones(71, 12, -1), t, 40) + 100;
  ASSERT_EQ(gPatternEvents.size(), 256u);
  // 44 oldest dropped: the first kept is run 44's
  EXPECT_EQ(gPatternEvents.front().timeMs, 1000u + 44 * (12 * 40 + 100) + 11 * 40);
}

// A forearm laid on the keys sends a rising cluster in one MIDI cycle: it is no run played and
// must not switch the every-note-allowed state on, while the same notes played fast still do.
TEST_F(ChromaticRuns, AClusterStruckAtOnceIsNoRun) {
  struct Case { const char* what; uint32_t gap; bool run; } cases[] = {
      {"all 88 keys in one cycle", 0, false},
      {"a cluster spread over a few ms", 3, false},
      {"a very fast run, 45 ms a note", 45, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetAll();
    SelectScale(&gScaleRows[kRowDorian], 3, true);
    Play(Semitones(21, 88), 5000, c.gap);
    EXPECT_EQ(!gPatternEvents.empty(), c.run);
    EXPECT_EQ(gAllNotesAllowed, c.run);
    EXPECT_EQ(gChromaticUnlocked, c.run);
  }
}
