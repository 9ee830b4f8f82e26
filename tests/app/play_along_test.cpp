// Play-along judging through the note road: grading windows, points and streaks, holds, wrong keys,
// chords, keys held before their note, note ends, and the run's lifecycle.
#include <cmath>
#include <random>

#include "app/base/view_modes.h"
#include "tests/app/play_along_harness.h"

using namespace play_along_test;

// Early presses in practice mode: the error is the distance to the note, negative; the grade
// follows the windows of the level. A press outside the base window is neither hit nor wrong.
TEST_F(PlayAlongTest, EarlyPressesAreGradedByTheLevelsWindows) {
  struct Case {
    float level;
    float speed;
    uint32_t earlySongMs;
    int state;       // 0: not graded
    float error;
  } cases[] = {
      {0.5f, 1.0f, 25, 1, -25.0f},  {0.5f, 1.0f, 26, 2, -26.0f},   {0.5f, 1.0f, 63, 2, -63.0f},
      {0.5f, 1.0f, 64, 3, -64.0f},  {0.5f, 1.0f, 108, 3, -108.0f}, {0.5f, 1.0f, 109, 0, 0.0f},
      {1.0f, 1.0f, 42, 3, -42.0f},  {1.0f, 1.0f, 43, 0, 0.0f},     {0.0f, 1.0f, 175, 3, -175.0f},
      {0.0f, 1.0f, 176, 0, 0.0f},   {0.5f, 0.5f, 50, 3, -100.0f},  {0.5f, 2.0f, 50, 1, -25.0f},
      {7.0f, 1.0f, 43, 0, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << " " << c.speed << " " << c.earlySongMs);
    gLevelSetting = c.level;
    gPlaybackSpeed = c.speed;
    Start({NoteOn(1000, 60), NoteOff(1200, 60), NoteOn(3000, 62), NoteOff(3200, 62)});
    uint32_t realMs = (uint32_t)std::lround((1000.0 - c.earlySongMs) / c.speed);
    Run(realMs);
    ASSERT_EQ(Position(), 1000 - c.earlySongMs);
    Press(60, 90);
    EXPECT_EQ(J(0).state, c.state);
    EXPECT_FLOAT_EQ(J(0).timingErrorMs, c.error);
    EXPECT_EQ(gWrongNoteCount, 0);
    if (c.state) { EXPECT_TRUE(J(0).velocity == 90 && J(0).judgedAtMs == Now() && J(0).keyDownMs == Now()); }
    Release(60);
  }
}

// The grade by the absolute error, the cap of a note matched only because it still sounds, and
// the hold rule at the edge of the hold length.
TEST_F(PlayAlongTest, GradingRuleCapsAndHoldLength) {
  struct Case {
    float absErr, signedErr;
    bool cap;
    uint32_t noteLength;
    int state;
    float stored;
    bool hold;
  } cases[] = {
      {25.5f, -25.5f, false, 100, 2, -25.5f, false}, {63.5f, 63.5f, false, 100, 3, 63.5f, false},
      {400.0f, 400.0f, true, 100, 2, 68.04f, false}, {400.0f, -400.0f, true, 100, 2, -68.04f, false},
      {30.0f, 30.0f, true, 100, 2, 30.0f, false},    {0.0f, 0.0f, false, 639, 1, 0.0f, false},
      {0.0f, 0.0f, false, 640, 1, 0.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.absErr << " " << c.cap << " " << c.noteLength);
    Start({NoteOn(1000, 60), NoteOff(1000 + c.noteLength, 60), NoteOn(5000, 62)});
    ASSERT_TRUE(JudgeEvent(0, Now(), c.absErr, c.signedErr, 0.5f, 1.0f, c.cap, 200));
    EXPECT_EQ(J(0).state, c.state);
    EXPECT_NEAR(J(0).timingErrorMs, c.stored, 0.01f);
    EXPECT_EQ(J(0).holdNote, c.hold ? 1 : 0);
    EXPECT_EQ(J(0).holdEndMs, c.hold ? 1000 + c.noteLength : 0u);
    EXPECT_EQ(J(0).velocity, 127);
    // A graded record, an event that is no note-on and an index past the end are left alone.
    EXPECT_FALSE(JudgeEvent(0, Now(), 0, 0, 0.5f, 1.0f, false, 100));
    EXPECT_FALSE(JudgeEvent(1, Now(), 0, 0, 0.5f, 1.0f, false, 100));
    EXPECT_FALSE(JudgeEvent(99, Now(), 0, 0, 0.5f, 1.0f, false, 100));
  }
}

// Points per hit along a run of perfect notes: the multiplier steps at 5, 12, 22 and 36; a
// late-or-early hit scores 70 and ends the streak; a good hit that makes 12 scores 238.
TEST_F(PlayAlongTest, PointsFollowTheStreakMultiplier) {
  std::vector<SongEvent> song;
  for (uint32_t k = 0; k < 53; ++k) song.push_back(NoteOn(1000 + 100 * k, 60));
  Start(song);
  auto gain = [&](size_t k, float err) {
    uint32_t before = gPlayAlongScore;
    EXPECT_TRUE(JudgeEvent(k, Now(), err, err, 0.5f, 1.0f, false, 100));
    return gPlayAlongScore - before;
  };
  for (size_t k = 0; k < 40; ++k) {
    uint32_t want = k + 1 >= 36 ? 528 : k + 1 >= 22 ? 456 : k + 1 >= 12 ? 396 : k + 1 >= 5 ? 345 : 300;
    EXPECT_EQ(gain(k, 0.0f), want) << "hit " << k + 1;
  }
  EXPECT_EQ(ComboLevel(), 4);
  EXPECT_EQ(gain(40, 100.0f), 70u);
  EXPECT_EQ(std::pair(gPlayAlongStreak, gPlayAlongBestStreak), std::pair(0, 40));
  EXPECT_EQ(gMissFlashUntilMs, Now() + 160);
  EXPECT_EQ(ComboLevel(), 0);
  for (size_t k = 41; k < 52; ++k) gain(k, 0.0f);
  EXPECT_EQ(gain(52, 40.0f), 238u);
  EXPECT_EQ(J(52).state, 2);
  EXPECT_FLOAT_EQ(gScoreFlash, 1.0f);
}

// The board's miss takes 30 points but never drives the score below 0, ends the streak and marks
// its effect shown; only a pending expected note can be missed.
TEST_F(PlayAlongTest, MissesCostPointsDownToZero) {
  Start({NoteOn(1000, 60), NoteOn(2000, 62), NoteOn(3000, 64), NoteOff(3100, 64)});
  ResetStreak(Now());
  EXPECT_EQ(gMissFlashUntilMs, 0u);  // no streak, no flash
  struct Case {
    size_t index;
    uint32_t scoreBefore, scoreAfter;
    int32_t streakBefore;
    bool missed;
  } cases[] = {{0, 100, 70, 3, true}, {1, 20, 0, 0, true}, {1, 20, 20, 0, false}, {3, 20, 20, 0, false}, {9, 5, 5, 0, false}};
  for (const Case& c : cases) {
    gPlayAlongScore = c.scoreBefore;
    gPlayAlongStreak = c.streakBefore;
    gMissFlashUntilMs = 0;
    EXPECT_EQ(MarkNoteMissed(c.index, Now(), -108.5f), c.missed) << c.index;
    EXPECT_EQ(gPlayAlongScore, c.scoreAfter) << c.index;
    EXPECT_EQ(gPlayAlongStreak, c.missed ? 0 : c.streakBefore);
    EXPECT_EQ(gMissFlashUntilMs, c.missed ? Now() + 180 : 0u);
  }
  EXPECT_TRUE(J(0).state == 4 && J(0).effectShown == 1 && J(0).timingErrorMs == -108.5f);
  EXPECT_EQ(BuildPracticeRunResult().missed, 3);
}

// Holding a hold note: released within the early-release tolerance it stays, released earlier it
// breaks (and the streak with it) but keeps its press's timing; the pedal keeps it sounding.
TEST_F(PlayAlongTest, HoldNotesBreakOnlyWhenReleasedTooEarly) {
  struct Case {
    uint32_t releaseBeforeEnd;
    bool pedal;
    bool broken;
  } cases[] = {{24, false, false}, {25, false, true}, {500, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.releaseBeforeEnd << " " << c.pedal);
    gLevelSetting = 1.0f;  // tolerance 24 ms, hold length 520 ms
    Start({NoteOn(500, 59), NoteOff(600, 59), NoteOn(1000, 60), NoteOff(2000, 60), NoteOn(4000, 62)});
    Run(500);
    Press(59);
    Release(59);
    Run(490);
    Press(60);  // 10 ms early
    ASSERT_EQ(J(2).state, 1);
    ASSERT_EQ(J(2).holdNote, 1);
    ASSERT_EQ(J(2).holdEndMs, 2000u);
    EXPECT_EQ(gPlayAlongStreak, 2);
    Frame();
    EXPECT_FLOAT_EQ(gKeyHoldHighlight[60], 1.0f);  // held, the key pulses
    Run(1010 - c.releaseBeforeEnd);
    if (c.pedal) Pedal(127);
    Release(60);
    Frame();
    EXPECT_EQ(J(2).state, c.broken ? 6 : 1);
    EXPECT_EQ(J(2).holdBroken, c.broken ? 1 : 0);
    EXPECT_EQ(gPlayAlongStreak, c.broken ? 0 : 2);
    EXPECT_FLOAT_EQ(gKeyMissFlash[60], c.broken ? 1.0f : 0.0f);
    EXPECT_FLOAT_EQ(J(2).timingErrorMs, -10.0f);  // a broken hold keeps when its key went down
    Run(600);
    EXPECT_EQ(J(2).state, c.broken ? 6 : 1);  // past its end a hold no longer breaks
    EXPECT_FLOAT_EQ(gKeyHoldHighlight[60], 0.0f);
    if (c.pedal) Pedal(0);
  }
}

// A wrong key near an expected note counts at most once per 300 ms, marks the expected note and
// the key, and leaves the streak alone; a key pressed far from any note counts nothing.
TEST_F(PlayAlongTest, WrongKeysAreCountedAtMostEvery300Ms) {
  Start({NoteOn(1000, 60), NoteOn(1000, 64), NoteOn(1500, 62), NoteOn(5000, 65)});
  Run(200);
  Press(70);
  EXPECT_EQ(gWrongNoteCount, 0);  // nothing expected within reach
  Run(800);
  gPlayAlongStreak = 4;
  Press(61);
  EXPECT_EQ(gWrongNoteCount, 1);
  EXPECT_EQ(J(0).wrongAttempt, 1);
  EXPECT_EQ(J(1).wrongAttempt, 1);
  EXPECT_EQ(J(2).wrongAttempt, 0);
  EXPECT_TRUE(gWrongNoteMark[61]);
  EXPECT_FLOAT_EQ(gKeyMissFlash[61], 1.0f);
  EXPECT_EQ(gMissFlashUntilMs, Now() + 170);
  EXPECT_EQ(gPlayAlongStreak, 4);
  uint32_t first = Now();
  Run(200);
  Press(63);
  EXPECT_EQ(gWrongNoteCount, 1);
  Run(101);
  Press(66);
  EXPECT_EQ(gWrongNoteCount, 2);
  EXPECT_EQ(gLastWrongNoteMs, first + 301);
}

// A chord holds playback until all its notes are graded; each press grades its own note and the
// same note doubled at that time on another channel.
TEST_F(PlayAlongTest, AChordHoldsPlaybackUntilEveryNoteIsGraded) {
  Start({NoteOn(1000, 60), NoteOn(1000, 64), NoteOn(1000, 64, 90, 3), NoteOn(1000, 67), NoteOn(1800, 72)});
  Run(1200);
  EXPECT_EQ(Position(), 1000u);
  EXPECT_TRUE(gWaitHolding);
  Press(64);
  EXPECT_EQ(J(0).state, 0);
  EXPECT_EQ(J(1).state, 1);
  EXPECT_EQ(J(2).state, 1);
  EXPECT_EQ(J(3).state, 0);
  Run(300);
  EXPECT_EQ(Position(), 1000u);
  Press(60);
  Run(300);
  EXPECT_EQ(Position(), 1000u);
  Press(67);
  Run(300);
  EXPECT_EQ(Position(), 1300u);
  EXPECT_EQ(gPlayAlongStreak, 4);
}

// A key already down when its note falls due is graded then with velocity 0, unless its press
// went to another note.
TEST_F(PlayAlongTest, AKeyHeldBeforeItsNoteIsGradedWhenTheNoteFallsDue) {
  Start({NoteOn(1000, 60), NoteOn(1050, 60), NoteOn(3000, 62)});
  Run(700);
  Press(60);  // 300 ms early: no note in reach
  EXPECT_EQ(J(0).state, 0);
  uint32_t down = Now();
  Run(310);
  EXPECT_EQ(J(0).state, 1);
  EXPECT_EQ(J(0).velocity, 0);
  EXPECT_EQ(J(0).keyDownMs, down);
  EXPECT_TRUE(gNoteMatched[60]);
  // The same press does not also take the next note of that key.
  Run(200);
  EXPECT_EQ(J(1).state, 0);
  EXPECT_EQ(Position(), 1050u);
  Release(60);
  Press(60);
  EXPECT_EQ(J(1).state, 1);
  EXPECT_EQ(J(1).velocity, 100);
}

// Note ends: the release on the same channel and note, a new strike more than 12 s later without
// a release in between, or 180 ms without any; the table matches a plain scan of the song.
TEST_F(PlayAlongTest, NoteEndsMatchTheScanOfTheSong) {
  Start({NoteOn(0, 60), NoteOff(500, 60, 1), NoteOn(1000, 60), NoteOff(20000, 60),
         NoteOn(21000, 60), NoteOn(22000, 60), NoteOn(40000, 60), NoteOff(41000, 60),
         NoteOn(50000, 64, 0), NoteOn(50000, 64), PedalEv(50100, 127), NoteOn(60000, 64, 80, 2),
         NoteOn(60001, 64, 80, 2), NoteOff(60002, 64, 2)},
        false, false);
  struct Case {
    size_t index;
    uint32_t end;
  } cases[] = {{0, 20000}, {2, 20000}, {4, 21180}, {5, 22180}, {6, 41000}, {9, 50180}, {11, 60002}, {1, 0}, {8, 0}, {99, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(NoteEndTime(c.index), c.end) << c.index;
    EXPECT_EQ(ScanNoteEndTime(c.index), c.end) << c.index;
  }
  // Random songs: the table built once gives what the scan gives for every event.
  std::mt19937 rng(7);
  for (int round = 0; round < 10; ++round) {
    std::vector<SongEvent> song;
    uint32_t t = 0;
    for (int k = 0; k < 400; ++k) {
      t += rng() % 3 == 0 ? 0 : rng() % 4000;
      int kind = rng() % 5;
      int note = 60 + (int)(rng() % 3), ch = (int)(rng() % 2);
      song.push_back(kind < 2 ? NoteOn(t, note, 80, ch)
                     : kind < 4 ? NoteOff(t, note, ch)
                     : kind == 4 && rng() % 2 ? NoteOn(t, note, 0, ch) : PedalEv(t, 127, ch));
    }
    Start(song, false, false);
    for (size_t i = 0; i < song.size(); ++i) ASSERT_EQ(NoteEndTime(i), ScanNoteEndTime(i)) << round << " " << i;
  }
}

// Starting a run: play-along must be available; the run allows every note and puts the earlier
// state back when it ends; with markPassed the notes behind the position are passed.
TEST_F(PlayAlongTest, RunLifecycle) {
  gPracticeMode = false;
  Start({NoteOn(1000, 60), NoteOn(2000, 62), NoteOn(3000, 64)}, false);
  SetPlayAlongRun(true, false);
  EXPECT_FALSE(gPlayAlongRun);  // neither view mode is on
  gPracticeMode = true;
  gChromaticUnlocked = true;
  Run(2500);
  EXPECT_EQ(J(0).state, 7);  // sounded by the pump outside a run
  SetPlayAlongRun(true, true);
  EXPECT_TRUE(gPlayAlongRun && gAllNotesAllowed && !gChromaticUnlocked);
  // Passed notes marked; the closing note-off is no expected note.
  EXPECT_EQ((std::vector<int>{J(0).state, J(1).state, J(2).state, J(3).state}), (std::vector<int>{7, 7, 0, 0}));
  gPlayAlongScore = 50;
  SetPlayAlongRun(false, false);
  EXPECT_TRUE(!gPlayAlongRun && !gAllNotesAllowed);
  EXPECT_EQ(gPlayAlongScore, 0u);
  EXPECT_EQ(J(1).state, 0);
  // An allowance a rising run made before the run comes back undoable by a falling run.
  gAllNotesAllowed = true;
  SetPlayAlongRun(true, false);
  EXPECT_FALSE(gChromaticUnlocked);
  SetPlayAlongRun(false, false);
  EXPECT_TRUE(gAllNotesAllowed && gChromaticUnlocked);
  gAllNotesAllowed = gChromaticUnlocked = false;
  // Ending the run when the view modes go away, as the main loop does.
  SetPlayAlongRun(true, false);
  gPracticeMode = false;
  EXPECT_FALSE(IsPlayAlongAvailable());
  SetPlayAlongRun(gPlayAlongRun, false);
  EXPECT_FALSE(gPlayAlongRun);
  // A song of zero length offers no play-along.
  gPracticeMode = true;
  Start({NoteOn(0, 60)}, false, false);
  EXPECT_FALSE(IsPlayAlongAvailable());
}

// Records of another song's size are rebuilt before they are read; keys above 127 and indices out
// of range do nothing; a highlight reset clears the display values.
TEST_F(PlayAlongTest, RecordsFollowTheSongBadIndicesAreHarmlessAndHighlightsReset) {
  Start({NoteOn(1000, 60), NoteOn(2000, 62)});
  gJudgeStates.resize(1);
  Run(1000);
  Press(60);
  ASSERT_EQ(gJudgeStates.size(), gSongEvents.size());
  EXPECT_EQ(J(0).state, 1);
  PlayAlongNoteInput(200, 100, Now());
  PlayAlongNoteInput(-4, 100, Now());
  EXPECT_EQ(EventHighlight(77, 0, 0), 0.0f);
  EXPECT_EQ(EventPulse(77, 0), 0.0f);
  EXPECT_EQ(WaitingNotePulse(77, 0, 0, 4.0f), 0.0f);
  float e = 5, a = 5;
  WaitTimingError(77, Now(), &e, &a);
  EXPECT_EQ(e, 5.0f);
  // Resetting the highlights clears the display values and asks the board to forget its hits.
  gKeyHitGlow[3] = gKeyMissFlash[3] = gKeyExpectHighlight[3] = gKeyHoldHighlight[3] = 1.0f;
  gNoteGlow[3] = 2.0f;
  gScoreFlash = gPatternFlashTimer = 1.0f;
  uint32_t cleared = gPlayAlongHighlightsCleared;
  Press(50);
  ResetPlayAlongHighlights();
  EXPECT_TRUE(gPlayedNotes.empty());
  EXPECT_EQ(gPlayAlongHighlightsCleared, cleared + 1);
  EXPECT_EQ(gKeyHitGlow[3] + gKeyMissFlash[3] + gKeyExpectHighlight[3] + gKeyHoldHighlight[3] + gNoteGlow[3] +
                gScoreFlash + gPatternFlashTimer, 0.0f);
}
