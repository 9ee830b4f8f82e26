// The miss rule: an expected note still pending when the position has passed its deadline becomes
// a miss, once, whether the lane is drawn or not; notes passed without judging and notes still
// inside their window are left alone.
#include <gtest/gtest.h>

#include "app/base/view_modes.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "tests/support/test_support.h"

namespace {

class MissedNotes : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadMidi();
    ResetPlayAlong();
    ResetViewModes();
    ResetLevelSetting();  // 0.5: a base window of 108.5 ms
    gRhythmStudyMode = false;
  }
  void TearDown() override {
    UnloadMidi();
    ResetPlayAlong();
    ResetViewModes();
    gPlaybackSpeed = 1.0f;
  }
  // Notes at 1000 (released at 1100), 1200 and 1250 ms, with a run started at position 0.
  void Start(bool practiceMode, float speed) {
    gPracticeMode = practiceMode;
    gWaitMode = !practiceMode;
    gSongEvents = {{1000, 0x90, 60, 100, 0}, {1100, 0x80, 60, 0, 0}, {1200, 0x90, 62, 100, 0},
                   {1250, 0x90, 64, 100, 0}, {60000, 0x80, 1, 0, 0}};
    gPlaybackSpeed = speed;
    gPlaying = true;
    gPaused = false;
    gPlayStartMs = ClockMs32();
    ResetJudgeStates(false, false);
    SetPlayAlongRun(true, false);
  }
  ScopedDrivenClock clock_;
};

TEST_F(MissedNotes, PendingNotesPastTheirDeadlineBecomeMissesOnce) {
  struct Case {
    bool practiceMode;  // off: wait mode, the lane not drawn at all
    float speed;
    uint32_t realMs;    // clock time since the start
    float error;        // the first note's stored error
  } cases[] = {{true, 1.0f, 1300, -300.0f}, {false, 1.0f, 1300, -300.0f}, {true, 0.5f, 2600, -600.0f},
               {true, 1.0f, 1170, -170.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.realMs);
    Start(c.practiceMode, c.speed);
    ASSERT_TRUE(gPlayAlongRun);
    gJudgeStates[2].state = 7;  // passed without judging: never marked
    gPlayAlongScore = 100;
    clock_.Advance(c.realMs);
    MarkMissedPlayAlongNotes(ClockMs32());
    EXPECT_EQ(gJudgeStates[0].state, 4);
    EXPECT_FLOAT_EQ(gJudgeStates[0].timingErrorMs, c.error);
    EXPECT_EQ(gJudgeStates[0].effectShown, 1);
    EXPECT_EQ(gJudgeStates[2].state, 7);
    EXPECT_EQ(gJudgeStates[3].state, 0);  // still inside its window
    EXPECT_EQ(gPlayAlongScore, 70u);
    MarkMissedPlayAlongNotes(ClockMs32());
    EXPECT_EQ(gPlayAlongScore, 70u);  // once
  }
}

TEST_F(MissedNotes, NothingBeforeTheDeadlineOrWithoutARun) {
  Start(true, 1.0f);
  clock_.Advance(1161);  // the deadline is the note's end plus 62 ms: 1162
  MarkMissedPlayAlongNotes(ClockMs32());
  EXPECT_EQ(gJudgeStates[0].state, 0);
  SetPlayAlongRun(false, false);
  clock_.Advance(5000);
  MarkMissedPlayAlongNotes(ClockMs32());
  EXPECT_EQ(gJudgeStates[0].state, 0);
  Start(false, 1.0f);
  gWaitMode = false;  // neither mode: play-along is not available
  clock_.Advance(5000);
  MarkMissedPlayAlongNotes(ClockMs32());
  EXPECT_EQ(gJudgeStates[0].state, 0);
}

// A rhythm study's judge times its misses out itself (error 0); the rule finds nothing left.
TEST_F(MissedNotes, RhythmStudyMissesStayTheJudges) {
  gRhythmStudyMode = true;
  Start(true, 1.0f);
  gRhythmKeepingTime = true;  // the player has started: the song keeps time
  clock_.Advance(1300);
  JudgePlayAlongNotes(ClockMs32(), -1);
  MarkMissedPlayAlongNotes(ClockMs32());
  EXPECT_EQ(gJudgeStates[0].state, 4);
  EXPECT_FLOAT_EQ(gJudgeStates[0].timingErrorMs, 0.0f);
  gRhythmStudyMode = false;
}

}  // namespace
