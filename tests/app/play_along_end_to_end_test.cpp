// A whole lesson song played along from a scripted keyboard: raw input messages through the queue
// and the note road, the song loaded from a file and pumped frame by frame, and the run's result.
#include <cmath>

#include "app/base/status_text.h"
#include "tests/app/play_along_harness.h"
#include "tests/midi/smf_builder.h"

TEST_F(PlayAlongTest, AScriptedKeyboardPlaysALessonSongToItsResult) {
  using namespace smf;
  // 500 ticks per quarter at 120 BPM: one tick is one ms.
  std::string song = File(500, {On(1000, 60, 40) + Off(200, 60) + On(300, 62, 50) + Off(200, 62) +
                                On(300, 64, 60) + Off(200, 64) + On(300, 65, 70) + Off(1000, 65) +
                                On(500, 67, 80) + Off(200, 67) + On(300, 69, 90) + Off(200, 69) +
                                On(300, 71, 100) + Off(200, 71) + On(300, 72, 110) + Off(200, 72) +
                                On(300, 74, 120) + Off(200, 74)});
  TempDir dir;
  WriteFileBytes(dir.File("lesson.mid"), song);
  ASSERT_TRUE(LoadAndPlayMidi(dir.File("lesson.mid"))) << gStatusText;
  gLearningItemLoaded = true;
  SetPlayAlongRun(true, false);
  ASSERT_TRUE(gPlayAlongRun);

  auto play = [&](int note, int velocity) {
    Press(note, velocity);
    Release(note);
  };
  Run(1000);
  play(60, 30);
  Run(500);
  play(61, 90);  // a wrong key while 62 is awaited
  play(62, 40);
  Run(500);
  play(64, 50);
  Run(500);
  Press(65, 60);  // a hold note let go half-way
  Run(500);
  Release(65);
  Run(1000);
  play(67, 70);
  Run(460);
  play(69, 80);  // 40 ms early
  Run(540);
  play(71, 90);
  Run(500);
  play(72, 100);
  Run(500);
  play(74, 110);

  PracticeRunResult r = BuildPracticeRunResult();
  std::vector<int> counts = {r.expected, r.landed,      r.perfect,        r.good,  r.late_or_early,
                             r.missed,   r.hold_breaks, r.wrong_attempts, r.early, r.late};
  EXPECT_EQ(counts, (std::vector<int>{9, 9, 7, 1, 0, 0, 1, 1, 1, 0}));
  EXPECT_FLOAT_EQ(r.mean_abs_timing_ms, 5.0f);
  EXPECT_FLOAT_EQ(r.mean_signed_timing_ms, -5.0f);
  EXPECT_FLOAT_EQ(r.timing_score, 0.95f);
  EXPECT_FLOAT_EQ(r.timing_std_ms, (float)std::sqrt(175.0));
  EXPECT_EQ(r.vel_samples, 9);
  EXPECT_FLOAT_EQ(r.mean_velocity, 70.0f);
  EXPECT_FLOAT_EQ(r.vel_stdev, (float)std::sqrt(6000.0 / 9.0));
  EXPECT_EQ(r.dynamics_state, 1);
  EXPECT_FLOAT_EQ(r.dynamics_value, 1.0f);
  // The hold broke the streak at 4; the last note is the fifth of the new streak.
  EXPECT_EQ(gPlayAlongScore, 300u * 4 + 300 + 180 + 300 * 2 + 345);

  // The song's end: the attempt goes to the learning model and the song waits paused at its start.
  Run(300);
  EXPECT_TRUE(gPlaying && gPaused);
  EXPECT_EQ(Position(), 0u);
  EXPECT_EQ(gStatusText, "MIDI playback finished");
}
