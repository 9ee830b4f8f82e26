// What notes do to a running practice run: gaps and hesitations against the level's threshold,
// beat offsets against the teaching grid, notes in and out of the step's scale, and steps that
// only the current cell's completion advances.
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "tests/practice/practice_run_fixture.h"

namespace {

class RunInput : public PracticeRunTest {
 protected:
  void SetUp() override {
    PracticeRunTest::SetUp();
    gTeachingState.enabled = 0;   // the teaching record's own judging is not under test here
    gMidiEventLagMs = 0;
  }
  void TearDown() override {
    gMidiEventLagMs = 0;
    PracticeRunTest::TearDown();
  }
  // One note straight into the run at the clock's time, gapMs after the previous one.
  void Note(int key, uint32_t gapMs) {
    clock_.Advance(gapMs);
    OnPracticeNoteOn(key, 80, ClockMs32());
  }
  static const PracticeStepStats& Stats(int step = 0) { return gPracticeRunData.stepStats[(size_t)step]; }
  static void RunGrid(int bpm, double originOffsetSeconds) {
    TeachingState& s = gTeachingState;
    s.metronomeOn = s.gridRunning = 1, s.bpm = bpm, s.songBpm = 0.0;
    s.barOrigin = (double)GetMonotonicMs() * 0.001 - originOffsetSeconds;
  }
};

TEST_F(RunInput, GapsAndHesitations) {
  // Grid, level, tempo, and the gaps just under and just over the threshold.
  const struct { bool grid; float level; int bpm; uint32_t below, above; } cases[] = {
      {false, 0.5f, 120, 210, 211},   // grid stopped: 210 ms
      {true, 0.5f, 120, 205, 206},    // (0.48 - 0.07) x 500 = 205 ms
      {true, 0.0f, 60, 360, 361},     // 480 ms clamped to 360
      {true, 1.0f, 240, 140, 141},    // 85 ms clamped up to 140
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "grid " << c.grid << " level " << c.level << " bpm " << c.bpm);
    gTeachingLevel = c.level;
    Arm(0, 0, 0, 0);
    if (c.grid) RunGrid(c.bpm, 0.0);
    else gTeachingState.metronomeOn = gTeachingState.gridRunning = 0;
    Note(60, 0);
    Note(62, c.below);
    EXPECT_EQ(Stats().hesitations, 0);
    Note(64, c.above);
    EXPECT_EQ(std::make_tuple(Stats().hesitations, Stats().gaps, Stats().longestGapMs), std::make_tuple(1, 2, c.above));
    ExitPracticeRun();
  }
}

TEST_F(RunInput, NoteStampedBeforeThePreviousOneIsNoGap) {
  Arm(0, 0, 0, 0);
  Note(60, 0);
  uint32_t earlier = ClockMs32() - 50;
  OnPracticeNoteOn(62, 80, earlier);
  EXPECT_EQ(Stats().gaps, 0);
  EXPECT_EQ(Stats().longestGapMs, 0u);
}

TEST_F(RunInput, BeatOffsets) {
  // Seconds the grid's origin lies before the note, the note's lag, on the beat, the offset.
  const struct { double originOffset; int32_t lagMs; bool onBeat; double absOffsetMs; } cases[] = {
      {0.400, 0, true, 100.0},    // before the next beat (500 ms at 120 BPM)
      {0.1214, 0, true, 121.4},   // after a beat, just inside the 121.5 ms window at L = 0.5
      {0.125, 0, false, 125.0},
      {0.125, 30, true, 95.0},    // the note was played 30 ms before it was handled
      {0.250, 0, false, 250.0},   // halfway between two beats: 250 ms off either way
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.originOffset << " lag " << c.lagMs);
    Arm(0, 0, 0, 0);
    RunGrid(120, c.originOffset);
    gMidiEventLagMs = c.lagMs;
    Note(60, 0);
    gMidiEventLagMs = 0;
    EXPECT_EQ(Stats().gridNotes, 1);
    EXPECT_NEAR(Stats().offsetMeanMs, c.absOffsetMs, 0.01);
    EXPECT_EQ(Stats().onBeatNotes, c.onBeat ? 1 : 0);
    ExitPracticeRun();
  }
}

TEST_F(RunInput, NotesInAndOutOfTheStepsScale) {
  Arm(1, 1, 1, 1);   // Dorian on G: G A Bb C D E F
  for (int key : {67, 70, 71, 53, 66, 0, 127, 126}) Note(key, 100);   // 71, 66 and 126 are not
  EXPECT_EQ(Stats().notes, 8);
  EXPECT_EQ(Stats().inScaleNotes, 5);
}

TEST_F(RunInput, OnlyTheCurrentCellAdvances) {
  Arm(0, 0, 0, 2);   // Ionian on C, G, D
  Note(60, 0);
  uint32_t t = ClockMs32();
  OnPracticeCellPlayed({{0, 1}}, t);            // the next step's cell: no advance
  OnPracticeCellPlayed({{1, 0}}, t);            // another scale: no advance
  EXPECT_EQ(gPracticeRunData.currentStep, 0);
  EXPECT_EQ(gPracticeCellFlashTimer, 0.0f);
  clock_.Advance(3000);
  t = ClockMs32();
  OnPracticeCellPlayed({{0, 1}, {0, 0}, {0, 2}}, t);   // current among others: one step only
  EXPECT_EQ(gPracticeRunData.currentStep, 1);
  EXPECT_EQ(gPracticeCellFlashTimer, 1.0f);
  EXPECT_EQ(Stats(0).doneMs, t);
  EXPECT_EQ(Stats(1).startMs, t);
  EXPECT_EQ(gKeyRoot, 7);                       // the next step is shown
}

TEST_F(RunInput, RunStartedAtClockZeroIsNotRecordedButCompletes) {
  AddActiveStudent("Ana", "ana");
  Arm(0, 0, 0, 0);
  OnPracticeNoteOn(60, 80, 0);   // a start stamped 0 reads as "not started"
  ASSERT_EQ(gPracticeState, 3);
  OnPracticeCellPlayed({{0, 0}}, 1500);
  EXPECT_EQ(gPracticeState, 4);
  EXPECT_TRUE(gPracticeRuns.empty());
  EXPECT_EQ(gTeachingState.runResultsAvailable, 1);
}

}  // namespace
