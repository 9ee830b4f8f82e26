// A whole lesson song played along from a scripted keyboard: raw input messages through the queue
// and the note road, the song loaded from a file and pumped frame by frame, and the run's result.
#include <cmath>

#include "app/base/status_text.h"
#include "learning/practice_set.h"
#include "learning_ui/performance_note.h"
#include "tests/app/play_along_harness.h"
#include "tests/learning/learning_fixture.h"
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
  // Nine presses, the broken hold's among them: one 40 ms early, the rest on time.
  EXPECT_FLOAT_EQ(r.mean_abs_timing_ms, 40.0f / 9);
  EXPECT_FLOAT_EQ(r.mean_signed_timing_ms, -40.0f / 9);
  EXPECT_FLOAT_EQ(r.timing_score, 1.0f - 0.4f / 9);
  EXPECT_FLOAT_EQ(r.timing_std_ms, (float)std::sqrt(12800.0 / 81));
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

// A lesson card of long notes played from a scripted keyboard to its recorded attempt and the
// performance note's figures. Each key goes down on its note or late, and comes up long before the
// note's end or at it: a hold let go early is a slip, but the timing still says when the keys went
// down.
class HoldLessonEndToEnd : public PlayAlongTest {
 protected:
  static constexpr int kNotes[4] = {60, 62, 64, 65};
  void SetUp() override {
    PlayAlongTest::SetUp();
    ResetLearningModelForTest();
    ClockDriveSetLocal({2024, 5, 10, 9, 0, 0, 0, 5}, 0);
    using namespace smf;
    // A tick is a ms: notes of 1000 ms, 1500 ms apart from 1500 ms on, so the wait's grace holds
    // from the first note.
    std::string body;
    for (int i = 0; i < 4; ++i) body += On(i ? 500 : 1500, kNotes[i], 70 + 10 * i) + Off(1000, kNotes[i]);
    WriteFileBytes(dir_.File("MIDI/Library/holds.mid"), File(500, {body + EndOfTrack()}));
    WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"),
                   "header\nholds\t1\tetude\tStudies\tHolds\t\t\t\t\t\t\tholds.mid\t120\t120\t0.9\t0.85\t\t\t\t\n");
    LoadLibraryIndex();
  }
  void TearDown() override {
    PlayAlongTest::TearDown();
    ResetLearningModelForTest();
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(HoldLessonEndToEnd, HoldsLetGoEarlyAreSlipsButKeepTheirPressTiming) {
  struct Case {
    const char* what;
    uint32_t lateMs, holdMs;  // the wait's grace forgives 250 ms of lateness
    int breaks, late;
    float meanSignedMs;
    const char* timing;
  } cases[] = {
      {"in time, let go after 200 ms", 0, 200, 4, 0, 0.0f, "100%"},
      {"90 ms late, let go after 200 ms", 340, 200, 4, 4, 90.0f, "10%"},
      {"in time, held to the end", 0, 1000, 0, 0, 0.0f, "100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetLearningRecords();
    ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("holds"))) << gStatusText;
    Run(1500);
    for (uint32_t i = 0; i < 4; ++i) {
      ASSERT_EQ(Position(), 1500 * (i + 1)) << "held at the note";
      Run(c.lateMs);
      Press(kNotes[i], 80);
      Run(c.holdMs);
      Release(kNotes[i]);
      Run(1500 - c.holdMs);
    }
    Run(300);  // the song ends into a recorded attempt
    const MasteryRecord& r = gMasteryRecords["holds"];
    ASSERT_EQ(r.attempts, 1);
    EXPECT_EQ(r.latest_landed, 4);
    EXPECT_EQ(r.latest_hold_breaks, c.breaks);
    EXPECT_EQ(r.latest_late, c.late);
    EXPECT_NEAR(r.latest_mean_signed_timing_ms, c.meanSignedMs, 0.5f);
    EXPECT_NEAR(r.latest_timing, 1.0f - c.meanSignedMs / 100.0f, 0.005f);
    EXPECT_EQ(r.latest_passed, c.breaks == 0);
    NoteFigureBox boxes[4];
    ComputeNoteFigureBoxes(*FindLibraryItem("holds"), &r, boxes);
    EXPECT_EQ(boxes[1].value, c.timing);
    EXPECT_EQ(boxes[2].value, std::to_string(c.breaks));  // the slips
  }
}
