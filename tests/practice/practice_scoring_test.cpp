// Step and run scores on hand-worked inputs: the pace of the worked example, the fallbacks of a
// step without a completion time, broken statistics, and the run's averages over completed steps.
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "practice/practice_scoring.h"
#include "practice/teaching_meters.h"
#include "tests/practice/practice_run_fixture.h"

namespace {

class Scoring : public PracticeRunTest {
 protected:
  static PracticeStep IonianStep() { return PracticeStep{0, 0, &gScaleRows[kRowIonian], 0}; }
  // A completed step of notes spaced evenly, all in the scale.
  static PracticeStepStats EvenStep(uint32_t durationMs, int notes) {
    PracticeStepStats st{};
    st.startMs = 100000, st.doneMs = st.lastNoteMs = 100000 + durationMs;
    st.notes = st.inScaleNotes = notes, st.gaps = notes - 1;
    st.gapMeanMs = (double)durationMs / (double)(notes - 1);
    st.longestGapMs = (uint32_t)st.gapMeanMs;
    st.hit = 1;
    return st;
  }
};

TEST_F(Scoring, PaceOfTheWorkedExample) {
  // Level 0.5, seven notes: target 17 s, grace 2.89 s, spread 14.705 s; 20 s is 0.11 s too long.
  const struct { uint32_t ms; double paceBase; } cases[] = {{20000, std::exp(-0.11 / 14.705)}, {19890, 1.0}, {10000, std::exp(-4.11 / 14.705)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ms);
    PracticeStepStats st = EvenStep(c.ms, 8);
    ScorePracticeStep(IonianStep(), st);
    EXPECT_NEAR(st.pace, std::pow(c.paceBase, 0.96), 1e-5);
  }
}

TEST_F(Scoring, CompletionTimeFallbacks) {
  const struct { uint32_t start, done, last; uint32_t wantDone; } cases[] = {
      {1000, 0, 5000, 5000},      // no completion: the last note
      {1000, 0, 0, 1000},         // no note either: the start
      {9000, 8000, 8500, 9000},   // before the start: the start
  };
  for (const auto& c : cases) {
    PracticeStepStats st{};
    st.startMs = c.start, st.doneMs = c.done, st.lastNoteMs = c.last;
    ScorePracticeStep(IonianStep(), st);
    EXPECT_EQ(st.doneMs, c.wantDone);
    EXPECT_TRUE(std::isfinite(st.score) && st.accuracy == 0.0f);   // no notes
  }
}

TEST_F(Scoring, BrokenStatisticsStayInRange) {
  PracticeStepStats st = EvenStep(1050, 8);
  st.gapM2 = std::numeric_limits<double>::quiet_NaN(), st.offsetM2 = -5.0;
  st.gridNotes = 3, st.onBeatNotes = 7;   // more than judged
  st.hesitations = 50;
  ScorePracticeStep(IonianStep(), st);
  for (float v : {st.score, st.rhythm, st.accuracy, st.flow, st.pace}) EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
}

// Eight notes a second apart, all in the scale and none hesitant, make a clean step; notes outside
// the scale cost accuracy alone, hesitations flow alone, and either lowers the step's score.
TEST_F(Scoring, NotesOutsideTheScaleAndHesitationsMarkAStepDown) {
  PracticeStepStats clean = EvenStep(7000, 8);
  ScorePracticeStep(IonianStep(), clean);
  EXPECT_FLOAT_EQ(clean.accuracy, 1.0f);
  EXPECT_FLOAT_EQ(clean.flow, 1.0f);
  PracticeStepStats stray = EvenStep(7000, 8);
  stray.inScaleNotes = 6;
  ScorePracticeStep(IonianStep(), stray);
  EXPECT_LT(stray.accuracy, 0.8f);
  EXPECT_FLOAT_EQ(stray.flow, 1.0f);
  EXPECT_LT(stray.score, clean.score);
  PracticeStepStats hesitant = EvenStep(7000, 8);
  hesitant.hesitations = 7;
  ScorePracticeStep(IonianStep(), hesitant);
  EXPECT_FLOAT_EQ(hesitant.accuracy, 1.0f);
  EXPECT_LT(hesitant.flow, 0.9f);
  EXPECT_LT(hesitant.score, clean.score);
}

TEST_F(Scoring, RunAveragesCompletedStepsOnly) {
  gPracticeRunData.stepStats.assign(3, PracticeStepStats{});
  PracticeStepStats& a = gPracticeRunData.stepStats[0];
  a.hit = 1, a.rhythm = 0.5f, a.accuracy = 1.0f, a.pace = 0.8f, a.flow = 0.6f;
  PracticeStepStats& b = gPracticeRunData.stepStats[1];
  b.hit = 1, b.rhythm = 1.5f, b.accuracy = 0.5f, b.pace = 0.4f, b.flow = 1.0f;   // rhythm counts as 1
  PracticeStepStats& c = gPracticeRunData.stepStats[2];
  c.rhythm = c.accuracy = c.pace = c.flow = 1.0f;                     // not completed
  gTeachingState.challenge = 142.0f;
  ScorePracticeRun();
  const float want[6] = {100.0f, 75.0f, 75.0f, 60.0f, 80.0f, 73.0f};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(gTeachingState.runScores[i], want[i], 1e-3) << i;
  EXPECT_EQ(gTeachingState.runResultsAvailable, 1);
  // The meters show the run's scores, the challenge clamped.
  EXPECT_NEAR(gTeachingState.meterA, 75.0f, 1e-3);   // rhythm
  EXPECT_NEAR(gTeachingState.meterB, 75.0f, 1e-3);   // accuracy
  EXPECT_NEAR(gTeachingState.meterC, 60.0f, 1e-3);   // pace
  EXPECT_NEAR(gTeachingState.meterD, 80.0f, 1e-3);   // flow
  EXPECT_NEAR(gTeachingState.overall, 73.0f, 1e-3);
  EXPECT_FLOAT_EQ(gTeachingState.challenge, 100.0f);
}

TEST_F(Scoring, RunWithoutCompletedStepsClearsResults) {
  for (size_t steps : {2, 0}) {
    gTeachingState.runResultsAvailable = 1;
    gTeachingState.runScores[3] = 50.0f;
    gPracticeRunData.stepStats.assign(steps, PracticeStepStats{});
    ScorePracticeRun();
    EXPECT_EQ(gTeachingState.runResultsAvailable, 0);
    EXPECT_FLOAT_EQ(gTeachingState.runScores[3], 0.0f);
  }
}

}  // namespace
