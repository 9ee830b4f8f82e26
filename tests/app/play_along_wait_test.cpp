// Waiting for the player: the hold at the next expected note, its grace, the automatic start in
// wait mode, pausing, the highlights of due notes, and the rhythm study that keeps time.
#include "app/base/view_modes.h"
#include "tests/app/play_along_harness.h"

using namespace play_along_test;

// Held at a note with the grace active (the hold begins well after the first expected note), a
// late press costs only the time past 250 ms, at most the base window; a hold that begins within
// 1000 ms of the first expected note gives 0 however long the player waits.
TEST_F(PlayAlongTest, TheWaitGraceTurnsWaitingTimeIntoTheError) {
  struct Case {
    uint32_t firstNoteMs;
    uint32_t delay;
    int state;
    float error;
  } cases[] = {
      {3000, 200, 1, 0.0f}, {3000, 300, 2, 50.0f}, {3000, 600, 3, 108.5f}, {500, 600, 1, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.firstNoteMs << " " << c.delay);
    Start({NoteOn(c.firstNoteMs, 60), NoteOn(c.firstNoteMs + 2000, 62)});
    Run(c.firstNoteMs);
    ASSERT_TRUE(gWaitHolding);
    EXPECT_EQ(gWaitEventMs, c.firstNoteMs);
    EXPECT_EQ(gWaitGraceActive, c.firstNoteMs > 1000);
    Run(c.delay);
    EXPECT_EQ(Position(), c.firstNoteMs);
    Press(60);
    EXPECT_EQ(J(0).state, c.state);
    EXPECT_FLOAT_EQ(J(0).timingErrorMs, c.error);
    Release(60);
  }
}

// The position may run past the note between two frames: the hold dates its start back by the
// overshoot, so the grace is counted from when the position reached the note.
TEST_F(PlayAlongTest, AHoldCountsItsOvershoot) {
  Start({NoteOn(3000, 60), NoteOn(5000, 62)});
  Run(2990);
  Skip(40);  // one slow frame: the position runs to 3030
  Frame();
  EXPECT_EQ(Position(), 3000u);
  EXPECT_EQ(gWaitArrivalMs, Now() - 30);
  Skip(250);
  Press(60);
  EXPECT_FLOAT_EQ(J(0).timingErrorMs, 30.0f);
}

// A chord held for: the song goes on, and says so once, only when its last note comes.
TEST_F(PlayAlongTest, AChordHeldForGoesOnAtItsLastNote) {
  Start({NoteOn(3000, 61), NoteOn(3000, 65), NoteOn(3000, 68), NoteOn(5000, 70)});
  Run(3000);
  ASSERT_TRUE(gWaitHolding);
  DebugCapture log;
  Press(61);
  Press(65);
  Run(400);
  EXPECT_EQ(Position(), 3000u) << "still held for the third note";
  EXPECT_FALSE(log.Contains("goes on")) << log.Text();
  Press(68);
  EXPECT_TRUE(log.Contains("the song goes on from 3000 ms")) << log.Text();
  Run(100);
  EXPECT_EQ(Position(), 3100u);
}

// Wait mode without the practice view starts a run by itself once a lesson asked for one; the
// song's notes are then silent and playback waits for them.
TEST_F(PlayAlongTest, WaitModeStartsAPendingRunByItself) {
  gPracticeMode = false;
  gWaitMode = true;
  Start({NoteOn(1000, 60), NoteOn(2000, 62)}, false);
  Run(100);
  EXPECT_FALSE(gPlayAlongRun);  // no lesson asked for it
  gPlayAlongStartPending = true;
  Run(10);
  EXPECT_TRUE(gPlayAlongRun && !gPlayAlongStartPending && gWaitAutoStarted);
  Run(1500);
  EXPECT_EQ(Position(), 1000u);
  EXPECT_FALSE(gKeySounding[60]);
  Press(60);
  EXPECT_EQ(J(0).state, 1);
  Run(100);
  EXPECT_EQ(Position(), 1100u);
}

// Pausing clears the wait state; due notes then show 0.65 and no pulse; a held note shimmers and
// pulses downwards while the run waits for it.
TEST_F(PlayAlongTest, DueNotesLightTheirKeysAndPausingClearsTheWait) {
  Start({NoteOn(1000, 60), NoteOn(1000, 64), NoteOn(2000, 62)});
  Run(990);
  EXPECT_EQ(gKeyExpectHighlight[60], 0.0f);  // not due yet
  Run(10);
  EXPECT_TRUE(gKeyExpectHighlight[60] >= 0.3f && gKeyExpectHighlight[60] <= 1.0f);
  EXPECT_GE(gKeyExpectHighlight[64], 0.3f);
  EXPECT_EQ(gKeyExpectHighlight[62], 0.0f);
  float pulse = WaitingNotePulse(0, Position(), Now(), 5.0f);
  EXPECT_TRUE(pulse <= 0.0f && pulse >= -5.0f);
  Press(60);
  Frame();
  EXPECT_EQ(gKeyExpectHighlight[60], 0.0f);  // graded
  gPaused = true;
  gPauseMs = Now();
  Frame();
  EXPECT_TRUE(gWaitEventMs == 0xFFFFFFFFu && !gWaitHolding);
  EXPECT_FLOAT_EQ(gKeyExpectHighlight[64], 0.65f);
  EXPECT_EQ(WaitingNotePulse(1, Position(), Now(), 5.0f), 0.0f);
  // Without a run nothing is highlighted.
  gPaused = false;
  SetPlayAlongRun(false, false);
  Frame();
  EXPECT_EQ(gKeyExpectHighlight[64], 0.0f);
  EXPECT_EQ(EventHighlight(1, Position(), Now()), 0.0f);
}

// A rhythm study holds only until the first graded note; then the song keeps time, late presses
// within the window are graded by their real error, notes past their deadline time out as misses,
// and after 4 s without a graded note and four missed note times the hold comes back.
TEST_F(PlayAlongTest, RhythmStudiesKeepTimeAndTimeOutMisses) {
  gRhythmStudyMode = true;
  std::vector<SongEvent> song;
  for (uint32_t k = 0; k < 20; ++k) song.push_back(NoteOn(1000 + 500 * k, 60 + (int)k % 3));
  Start(song);
  Run(1200);
  EXPECT_EQ(Position(), 1000u);  // held at the first note
  Press(60);
  EXPECT_EQ(J(0).state, 1);
  EXPECT_TRUE(gRhythmKeepingTime);
  Release(60);
  Run(530);  // the second note (61 at 1500) is 30 ms behind
  EXPECT_EQ(Position(), 1530u);
  Press(61);
  EXPECT_EQ(J(1).state, 2);
  EXPECT_FLOAT_EQ(J(1).timingErrorMs, 30.0f);
  Release(61);
  // The third note passes its deadline (2000 + 108) unplayed: missed, the streak broken.
  Run(560);
  EXPECT_EQ(Position(), 2090u);
  EXPECT_EQ(J(2).state, 0);
  Press(62);  // 90 ms late: still inside the window
  EXPECT_EQ(J(2).state, 3);
  Release(62);
  Run(500);
  EXPECT_EQ(J(3).state, 0);
  Run(30);
  EXPECT_EQ(J(3).state, 4);
  EXPECT_EQ(gPlayAlongStreak, 0);
  EXPECT_EQ(J(3).timingErrorMs, 0.0f);
  // A press after the window is neither hit nor a candidate.
  Press(63);
  EXPECT_EQ(gWrongNoteCount, 0);
  Release(63);
  // Silence: the misses pile up and, once 4 s have passed without a graded note, the hold is back.
  uint32_t lastGraded = gLastJudgedMs;
  while ((int32_t)(Now() - lastGraded) < 4000) Run(10);
  EXPECT_FALSE(gRhythmKeepingTime);
  uint32_t held = Position();
  Run(500);
  EXPECT_EQ(Position(), held);
  EXPECT_TRUE(gWaitHolding);
  EXPECT_FALSE(gWaitGraceActive);  // a rhythm study has no grace
}
