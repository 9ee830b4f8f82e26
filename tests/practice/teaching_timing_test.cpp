// Tests of the beat grid and its clicks on a driven clock, onset judging with its windows and
// grace, judged cells through sessions to the dated attendance entry, and the song click sync.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "app/base/app_clock.h"
#include "midi/metronome_panel.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "midi/song_beat.h"
#include "platform/clock.h"
#include "practice/teaching_file.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"
#include "practice/teaching_timing.h"
#include "tests/support/test_support.h"

namespace {

using Entry = TeachingAttendanceEntry;

// The clicks the grid asked for: when (driven ms), whether accented, and the beat's own time (s)
// their sound starts from.
struct Click { uint64_t ms; bool accent; double beat; };
std::vector<Click> gClicks;

void CountingClick(const TeachingState&, bool accent, double beat) {
  gClicks.push_back({GetMonotonicMs(), accent, beat});
}

class TeachingTimingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gClicks.clear();
    SetTeachingClickFunction(CountingClick);
    gTeachingState = TeachingState();
    gTeachingState.dataFolder = dir_.path() + "/Data/";
    gTeachingState.studentId = "tim";
    ClockDriveSetLocal({2026, 12, 6, 21, 30, 0, 0, 0}, 1796592600);
  }
  void TearDown() override {
    EXPECT_TRUE(WaitForPendingSaves());
    SetTeachingClickFunction(nullptr);
  }
  // Advances the driven clock and runs one frame of the teaching update.
  void Frame(uint64_t ms) {
    clock_.Advance(ms);
    UpdateTeachingMeters(ms / 1000.0);
  }
  double Now() const { return GetMonotonicMs() / 1000.0; }

  TempDir dir_;
  ScopedDrivenClock clock_;
};

TEST_F(TeachingTimingTest, GridClicksAtTheTempoWithAccentsOnTheBar) {
  const struct { int bpm, num; uint64_t beatMs; } cases[] = {{120, 3, 500}, {80, 4, 750}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bpm);
    gClicks.clear();
    gTeachingState.gridRunning = 0;
    gTeachingState.bpm = c.bpm, gTeachingState.timeSigNum = c.num, gTeachingState.metronomeOn = 1;
    uint64_t start = GetMonotonicMs();
    UpdateTeachingMeters(0.0);   // switching on clicks an accented beat at once
    for (int i = 0; i < 600; ++i) Frame(10);
    ASSERT_EQ(gClicks.size(), 6000 / c.beatMs + 1);
    for (size_t k = 0; k < gClicks.size(); ++k) {
      EXPECT_EQ(gClicks[k].ms - start, k * c.beatMs) << k;
      EXPECT_EQ(gClicks[k].accent, k % c.num == 0) << k;
    }
    EXPECT_EQ(gTeachingState.beatCounter, (int64_t)gClicks.size());
  }
}

TEST_F(TeachingTimingTest, AtMostOneClickPerFrameAndRestartWhenFarBehind) {
  gTeachingState.bpm = 120, gTeachingState.timeSigNum = 4, gTeachingState.metronomeOn = 1;
  double start = Now();
  UpdateTeachingMeters(0.0);
  ASSERT_EQ(gClicks.size(), 1u);
  EXPECT_DOUBLE_EQ(gClicks[0].beat, start);

  // 1.2 s in one frame: beats at 0.5 and 1.0 pass, one click with the last beat's accent and time.
  Frame(1200);
  ASSERT_EQ(gClicks.size(), 2u);
  EXPECT_FALSE(gClicks[1].accent);
  EXPECT_DOUBLE_EQ(gClicks[1].beat, start + 1.0);
  EXPECT_EQ(gTeachingState.beatCounter, 3);

  // 20 s: the grid catches up 24 beats at most, then restarts its bar at the current time.
  double before = Now();
  Frame(20000);
  ASSERT_EQ(gClicks.size(), 3u);
  EXPECT_EQ(gTeachingState.beatCounter, 27);
  EXPECT_DOUBLE_EQ(gTeachingState.barOrigin, before + 20.0);
  Frame(500);
  ASSERT_EQ(gClicks.size(), 4u);
  EXPECT_TRUE(gClicks[3].accent);
}

// A grid at 120 BPM in 4/4 whose beat 0 lies at the current time.
void StartGrid(double now, int difficulty) {
  TeachingState& s = gTeachingState;
  s.difficulty = difficulty, s.bpm = 120, s.timeSigNum = 4, s.metronomeOn = s.gridRunning = 1;
  s.barOrigin = now, s.nextBeat = now + 0.5, s.beatCounter = 8;
}

TeachingOnset OnsetAt(double t) { return TeachingOnset{60, 90, 1, t, 1}; }

TEST_F(TeachingTimingTest, OnTimeWindowNarrowsWithDifficulty) {
  const struct { int difficulty; double offsetMs; bool onTime; } cases[] = {
      {1, 184, true}, {1, 186, false}, {10, -57, true}, {10, 59, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.difficulty << " " << c.offsetMs);
    gTeachingState = TeachingState();
    double t0 = 1000.0;
    StartGrid(t0, c.difficulty);
    RecordTeachingOnset(OnsetAt(t0 + 2.0 + c.offsetMs / 1000.0));   // beat 4, a downbeat
    EXPECT_EQ(gTeachingState.timedOnsets, 1);
    EXPECT_EQ(gTeachingState.onTimeOnsets, c.onTime ? 1 : 0);
    EXPECT_NEAR(gTeachingState.timingErrMean, std::abs(c.offsetMs), 1e-6);
  }
}

TEST_F(TeachingTimingTest, FirstDownbeatGraceAfterAStepChange) {
  // Difficulty, offset, the beat the onset is near, the timing error recorded for it, grace bars.
  const struct { int difficulty; double offsetMs; int beat; double wantErr; int graceBars; } cases[] = {
      {1, 150, 4, 0, 6},      // within 240 ms of a downbeat: perfect
      {10, 150, 4, 150, 2},   // grace window only 82 ms at difficulty 10
      {1, 150, 5, 150, 6},    // not a downbeat
      {1, 150, 40, 150, 6},   // beyond the grace bars (bar 10 against bar 2 + 6)
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.difficulty << " " << c.offsetMs << " beat " << c.beat);
    gTeachingState = TeachingState();
    double t0 = 1000.0;
    StartGrid(t0, c.difficulty);
    gTeachingState.sessionRunning = 1;   // grace is armed at a step change inside a session
    ArmDownbeatGrace();
    EXPECT_EQ(gTeachingState.graceArmed * 100 + gTeachingState.graceBars, 100 + c.graceBars);
    gTeachingState.beatCounter = 8 + c.beat;   // the grid has moved on meanwhile
    RecordTeachingOnset(OnsetAt(t0 + c.beat * 0.5 + c.offsetMs / 1000.0));
    EXPECT_NEAR(gTeachingState.timingErrMean, c.wantErr, 1e-6);
    EXPECT_EQ(gTeachingState.graceArmed, 0);   // spent by the first onset either way
    RecordTeachingOnset(OnsetAt(t0 + 8 * 0.5 + c.offsetMs / 1000.0));
    EXPECT_EQ(gTeachingState.timingErrCount, 2);
    EXPECT_NEAR(gTeachingState.timingErrMean, (c.wantErr + c.offsetMs) / 2, 1e-6);
  }
}

TEST_F(TeachingTimingTest, FinishedPlanAppendsOneDatedEntryAndSaves) {
  for (int i = 0; i < 364; ++i) gTeachingState.attendance.push_back(Entry{"old-" + std::to_string(i)});
  gTeachingState.practiceScales = {5};
  gTeachingState.bpm = 500, gTeachingState.timeSigDen = 0;   // written clamped
  RecordTeachingCellHit(5, 200.0);
  EXPECT_EQ(gTeachingState.sessionComplete, 1);
  EXPECT_EQ(gTeachingState.dirty, 0);
  ASSERT_EQ(gTeachingState.attendance.size(), 365u);
  const Entry& e = gTeachingState.attendance.back();
  EXPECT_EQ(e.dateISO + " " + std::to_string(e.bpm) + " " + std::to_string(e.timeSigDen) + " " +
                std::to_string(e.difficulty), "2026-12-06 400 1 5");
  EXPECT_FLOAT_EQ(e.Challenge, gTeachingState.challenge);

  // The practice run starts the plan again: a second session the same day adds a second entry,
  // and the oldest goes.
  gTeachingState.stepIndex = gTeachingState.sessionComplete = 0;
  RecordTeachingCellHit(5, 260.0);
  ASSERT_EQ(gTeachingState.attendance.size(), 365u);
  EXPECT_EQ(gTeachingState.attendance.front().dateISO, "old-1");
  EXPECT_EQ(gTeachingState.attendance[363].dateISO, "2026-12-06");

  ASSERT_TRUE(WaitForPendingSaves());
  TeachingState back;
  back.dataFolder = gTeachingState.dataFolder, back.studentId = "tim";
  ASSERT_TRUE(ReadTeachingFile(back));
  EXPECT_EQ(back.attendance.size(), 365u);
  EXPECT_EQ(back.savedPracticeScales, (std::vector<int32_t>{5}));
}

// The metronome panel's switch and tempo drive this grid: switched on, the bar's first beat clicks
// at once; a tempo raised between two clicks counts the next beat from the last click at the new
// tempo, the bar keeping its accents; switched off, the clicks stop.
TEST_F(TeachingTimingTest, ThePanelsSwitchAndTempoDriveTheGrid) {
  LayoutMetronomePanel({0.0f, 0.0f, 400.0f, 30.0f}, 1.0f);
  auto centre = [](const RectF& r, int* x, int* y) { *x = (int)(r.x + r.w / 2.0f), *y = (int)(r.y + r.h / 2.0f); };
  int sx, sy, tx, ty;
  centre(gMetronomeSwitchRect, &sx, &sy);
  centre(gTempoFigureRect, &tx, &ty);
  gTeachingState.bpm = 60, gTeachingState.timeSigNum = 3;
  const uint64_t start = GetMonotonicMs();
  ASSERT_TRUE(MetronomePanelMouseDown(sx, sy, false));
  UpdateTeachingMeters(0.0);
  ASSERT_EQ(gClicks.size(), 1u);
  EXPECT_TRUE(gClicks[0].accent);
  EXPECT_EQ(gClicks[0].ms, start);

  for (int i = 0; i < 130; ++i) Frame(10);
  ASSERT_EQ(gClicks.size(), 2u);
  ASSERT_TRUE(MetronomePanelWheel(tx, ty, 60 * 120));   // 300 ms after the click at 1 s: 60 to 120
  EXPECT_EQ(gTeachingState.bpm, 120);
  for (int i = 0; i < 300; ++i) Frame(10);
  const uint64_t expected[] = {0, 1000, 1500, 2000, 2500, 3000, 3500, 4000};
  ASSERT_EQ(gClicks.size(), std::size(expected));
  for (size_t k = 0; k < gClicks.size(); ++k) {
    EXPECT_EQ(gClicks[k].ms - start, expected[k]) << k;
    EXPECT_EQ(gClicks[k].accent, k % 3 == 0) << k;
  }

  ASSERT_TRUE(MetronomePanelMouseDown(sx, sy, false));
  for (int i = 0; i < 200; ++i) Frame(10);
  EXPECT_EQ(gClicks.size(), std::size(expected));
  EXPECT_FALSE(gTeachingState.gridRunning);
  ResetMetronomePanel();
}

SongBeatInfo Beat(int64_t index, int inBar, double since, double spb) {
  return SongBeatInfo{index, inBar, 4, spb, since, 0, -1, 0};
}

TEST_F(TeachingTimingTest, SongDrivesTheGrid) {
  gTeachingState.metronomeOn = 1;
  double now = Now();
  // Half speed: the pump already reports a doubled beat.
  SyncTeachingClickToSong(gTeachingState, Beat(6, 2, 0.25, 1.0));
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 60.0);
  EXPECT_EQ(gTeachingState.gridRunning * 10 + gTeachingState.beatInBar, 13);
  EXPECT_DOUBLE_EQ(gTeachingState.nextBeat, now - 0.25 + 1.0);
  EXPECT_DOUBLE_EQ(gTeachingState.barOrigin, now - 0.25 - 2.0);
  EXPECT_DOUBLE_EQ(GetTeachingBeatSeconds(gTeachingState), 1.0);
  EXPECT_TRUE(gClicks.empty());   // first report 250 ms into beat 6: wait for beat 7

  // The song jumped back: the reference follows it and the beat clicks, from the beat's own time.
  SyncTeachingClickToSong(gTeachingState, Beat(2, 2, 0.01, 1.0));
  ASSERT_EQ(gClicks.size(), 1u);
  EXPECT_DOUBLE_EQ(gClicks[0].beat, now - 0.01);

  // Free-running ticks leave a song-driven grid alone.
  clock_.Advance(5000);
  UpdateTeachingMeters(0.05);
  EXPECT_EQ(gClicks.size(), 1u);

  // Metronome off: the sync only clears.
  gTeachingState.metronomeOn = 0;
  SyncTeachingClickToSong(gTeachingState, Beat(3, 3, 0.0, 1.0));
  EXPECT_EQ(gClicks.size(), 1u);
  EXPECT_EQ(gTeachingState.gridRunning + gTeachingState.songBeatValid, 0);
}

// A song that stopped (its end reached, or the stop pressed) leaves its tempo and time signature on
// the panel while the grid clicks on alone: the clicks keep the song's bar, a 6/8 clicked on its
// dotted quarters accenting every second one as it did while the song played, until the user
// steps the signature and the bar becomes the figures'.
TEST_F(TeachingTimingTest, AStoppedSongsCompoundBarKeepsItsAccents) {
  gSongTempo = {{0, 120}};
  gSongTimeSignatures = {{0, 6, 3, 8, 36}};
  RebuildSongBeatTable();
  SyncMetronomeToSong(0, true);
  ASSERT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(6, 8));
  ASSERT_EQ(gTeachingState.bpm, 80);
  gTeachingState.metronomeOn = 1;
  const uint64_t start = GetMonotonicMs();
  UpdateTeachingMeters(0.0);
  for (int i = 0; i < 451; ++i) Frame(10);   // 4.5 s: one bar of six dotted quarters, three of 6/8
  ASSERT_EQ(gClicks.size(), 7u);
  for (size_t k = 0; k < gClicks.size(); ++k) {
    EXPECT_EQ(gClicks[k].ms - start, 750 * k) << k;
    EXPECT_EQ(gClicks[k].accent, k % 2 == 0) << "click " << k;
  }

  StepBeatsPerBar(1);   // 7/8 of the user's own, on the next bar line
  ASSERT_EQ(gTeachingState.timeSigNum, 7);
  gClicks.clear();
  for (int i = 0; i < 1500; ++i) Frame(10);
  int accents = 0, firstAccent = -1;
  for (size_t k = 0; k < gClicks.size(); ++k)
    if (gClicks[k].accent) {
      if (firstAccent >= 0) EXPECT_EQ((int)k - firstAccent, 7 * accents) << "click " << k;
      if (firstAccent < 0) firstAccent = (int)k;
      ++accents;
    }
  EXPECT_GE(accents, 2);
  UnloadMidi();
}

}  // namespace
