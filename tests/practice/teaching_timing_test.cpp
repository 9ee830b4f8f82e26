// Tests of the beat grid and its clicks on a driven clock, onset judging with its windows and
// grace, judged cells through sessions to the dated attendance entry, and the song click sync.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/note_input.h"
#include "app/utilities.h"
#include "midi/song_beat.h"
#include "platform/clock.h"
#include "practice/practice_run_state.h"
#include "practice/teaching_file.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"
#include "practice/teaching_timing.h"
#include "tests/support/test_support.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

namespace {

// The clicks the grid asked for: when (driven ms) and whether accented.
struct Click {
  uint64_t ms;
  bool accent;
};
std::vector<Click> gClicks;

void CountingClick(const TeachingState&, bool accent) { gClicks.push_back({GetMonotonicMs(), accent}); }

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
  const struct {
    int bpm, num;
    uint64_t beatMs;
  } cases[] = {{120, 3, 500}, {80, 4, 750}, {100, 1, 600}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bpm);
    gClicks.clear();
    gTeachingState.gridRunning = 0;
    gTeachingState.bpm = c.bpm;
    gTeachingState.timeSigNum = c.num;
    gTeachingState.metronomeOn = 1;
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
  gTeachingState.bpm = 120;
  gTeachingState.timeSigNum = 4;
  gTeachingState.metronomeOn = 1;
  UpdateTeachingMeters(0.0);
  ASSERT_EQ(gClicks.size(), 1u);

  // 1.2 s in one frame: beats at 0.5 and 1.0 pass, one click with the last beat's accent.
  Frame(1200);
  ASSERT_EQ(gClicks.size(), 2u);
  EXPECT_FALSE(gClicks[1].accent);
  EXPECT_EQ(gTeachingState.beatCounter, 3);
  EXPECT_FLOAT_EQ(gTeachingState.clickFlash, 0.62f - 2.8f * 0.1f);

  // 20 s: the grid catches up 24 beats at most, then restarts its bar at the current time.
  double before = Now();
  Frame(20000);
  ASSERT_EQ(gClicks.size(), 3u);
  EXPECT_EQ(gTeachingState.beatCounter, 27);
  EXPECT_DOUBLE_EQ(gTeachingState.barOrigin, before + 20.0);
  EXPECT_EQ(gTeachingState.beatInBar, 0);
  EXPECT_DOUBLE_EQ(gTeachingState.nextBeat, before + 20.5);
  Frame(500);
  ASSERT_EQ(gClicks.size(), 4u);
  EXPECT_TRUE(gClicks[3].accent);
}

TEST_F(TeachingTimingTest, GridStopsWithTheMetronomeAndYieldsToASong) {
  gTeachingState.metronomeOn = 1;
  UpdateTeachingMeters(0.0);
  ASSERT_EQ(gClicks.size(), 1u);
  gTeachingState.metronomeOn = 0;
  Frame(2000);
  EXPECT_EQ(gClicks.size(), 1u);
  EXPECT_EQ(gTeachingState.gridRunning, 0);
  EXPECT_EQ(gTeachingState.clickFlash, 0.0f);

  gTeachingState.metronomeOn = 1;
  gTeachingState.syncedToSong = 1;
  Frame(2000);
  EXPECT_EQ(gClicks.size(), 1u);
  EXPECT_EQ(gTeachingState.gridRunning, 0);
}

// A grid at 120 BPM in 4/4 whose beat 0 lies at the current time.
void StartGrid(double now, int difficulty) {
  gTeachingState.difficulty = difficulty;
  gTeachingState.bpm = 120;
  gTeachingState.timeSigNum = 4;
  gTeachingState.metronomeOn = 1;
  gTeachingState.gridRunning = 1;
  gTeachingState.barOrigin = now;
  gTeachingState.nextBeat = now + 0.5;
  gTeachingState.beatCounter = 8;
}

TeachingOnset OnsetAt(double t, int velocity = 90) {
  TeachingOnset o;
  o.key = 60;
  o.velocity = velocity;
  o.time = t;
  o.inScale = 1;
  return o;
}

TEST_F(TeachingTimingTest, OnTimeWindowNarrowsWithDifficulty) {
  const struct {
    int difficulty;
    double offsetMs;
    bool onTime;
  } cases[] = {
      {1, 100, true},  {10, 100, false}, {1, 184, true},  {1, 186, false},
      {10, 57, true},  {10, -57, true},  {10, 59, false}, {5, 128, true},
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
    EXPECT_EQ(gTeachingState.sessionRunning, 1);
  }
}

TEST_F(TeachingTimingTest, FirstDownbeatGraceAfterAStepChange) {
  const struct {
    int difficulty;
    double offsetMs;
    int beat;             // beat of the grid the onset is near
    double wantErr;       // timing error recorded for the first onset
    int graceBars;
  } cases[] = {
      {1, 150, 4, 0, 6},      // within 240 ms of a downbeat: perfect
      {10, 150, 4, 150, 2},   // grace window only 82 ms at difficulty 10
      {10, 80, 4, 0, 2},
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
    EXPECT_EQ(gTeachingState.graceArmed, 1);
    EXPECT_EQ(gTeachingState.graceBars, c.graceBars);
    gTeachingState.beatCounter = 8 + c.beat;   // the grid has moved on meanwhile
    RecordTeachingOnset(OnsetAt(t0 + c.beat * 0.5 + c.offsetMs / 1000.0));
    EXPECT_NEAR(gTeachingState.timingErrMean, c.wantErr, 1e-6);
    EXPECT_EQ(gTeachingState.graceArmed, 0);   // spent by the first onset either way
    RecordTeachingOnset(OnsetAt(t0 + 8 * 0.5 + c.offsetMs / 1000.0));
    EXPECT_EQ(gTeachingState.timingErrCount, 2);
    EXPECT_NEAR(gTeachingState.timingErrMean, (c.wantErr + c.offsetMs) / 2, 1e-6);
  }

  // Without a running grid nothing is armed.
  gTeachingState = TeachingState();
  ArmDownbeatGrace();
  EXPECT_EQ(gTeachingState.graceArmed, 0);
  EXPECT_EQ(gTeachingState.graceBars, 0);
}

TEST_F(TeachingTimingTest, GapThresholdFollowsTheBeat) {
  const struct {
    int bpm;
    bool grid;
    double ioiMs;
    bool gap;
  } cases[] = {
      {120, true, 300, true},    // threshold 0.48 x 500 = 240
      {120, true, 230, false},
      {300, true, 150, true},    // 0.48 x 200 = 96, raised to 140
      {300, true, 130, false},
      {30, true, 370, true},     // 0.48 x 2000 = 960, lowered to 360
      {120, false, 250, false},  // no grid: 260
      {120, false, 270, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bpm << " " << c.ioiMs);
    gTeachingState = TeachingState();
    gTeachingState.difficulty = 1;
    gTeachingState.bpm = c.bpm;
    gTeachingState.gridRunning = c.grid;
    gTeachingState.barOrigin = 500.0;
    RecordTeachingOnset(OnsetAt(1000.0, 80));
    RecordTeachingOnset(OnsetAt(1000.0 + c.ioiMs / 1000.0, 100));
    EXPECT_EQ(gTeachingState.ioiCount, 1);
    EXPECT_NEAR(gTeachingState.maxIoi, c.ioiMs, 1e-6);
    EXPECT_EQ(gTeachingState.gapCount, c.gap ? 1 : 0);
    EXPECT_EQ(gTeachingState.velocityCount, 2);
    EXPECT_NEAR(gTeachingState.velocityMean, 90.0, 1e-9);
    EXPECT_NEAR(gTeachingState.velocityM2, 200.0, 1e-9);
  }
}

TEST_F(TeachingTimingTest, NoteOnsetsFromTheDeviceUseThePlanScaleOrTheKey) {
  GetScaleCatalogue();
  ASSERT_FALSE(gScaleCatalogue.empty());
  const ScaleRow* major = gScaleCatalogue[0];   // the catalogue starts with the major mode
  gPracticeState = 3;
  gMidiEventLagMs = 30;
  gCurrentScale = major;
  gPickedScale = nullptr;

  const struct {
    const char* name;
    std::vector<int32_t> plan;
    int ringPos, keyRoot, key;
    bool inScale;
  } cases[] = {
      {"plan step in G: F sharp", {0 * 16 + 1}, 0, 0, 66, true},
      {"plan step in G: F", {0 * 16 + 1}, 0, 0, 65, false},
      {"no plan, ring position 2 (D): F sharp", {}, 2, 0, 78, true},
      {"no plan, no ring position: the key D decides", {}, -1, 2, 66, true},
      {"no plan, ring position out of range: the key D decides", {}, 14, 2, 65, false},
      {"invalid plan code falls back to the selection", {12}, 0, 0, 65, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gTeachingState = TeachingState();
    gTeachingState.practiceScales = c.plan;
    gRingPos = c.ringPos;
    gKeyRoot = c.keyRoot;
    OnTeachingNoteOnset(c.key, 64);
    EXPECT_EQ(gTeachingState.onsetCount, 1);
    EXPECT_EQ(gTeachingState.inScaleOnsets, c.inScale ? 1 : 0);
    EXPECT_NEAR(gTeachingState.lastOnset, Now() - 0.03, 1e-6);
  }

  // Ignored: no running practice run, a release velocity, a negative key.
  gTeachingState = TeachingState();
  OnTeachingNoteOnset(60, 0);
  OnTeachingNoteOnset(-1, 64);
  gPracticeState = 2;
  OnTeachingNoteOnset(60, 64);
  EXPECT_EQ(gTeachingState.onsetCount, 0);
  gMidiEventLagMs = 0;
}

TEST_F(TeachingTimingTest, FinishedPlanAppendsOneDatedEntryAndSaves) {
  gTeachingState.practiceScales = {5};
  gTeachingState.bpm = 500;
  gTeachingState.timeSigDen = 0;
  RecordTeachingCellHit(5, 200.0);
  EXPECT_EQ(gTeachingState.sessionRunning, 0);
  EXPECT_EQ(gTeachingState.sessionComplete, 1);
  EXPECT_EQ(gTeachingState.stepIndex, 1);
  EXPECT_EQ(gTeachingState.dirty, 0);
  ASSERT_EQ(gTeachingState.attendance.size(), 1u);
  const TeachingAttendanceEntry& e = gTeachingState.attendance[0];
  EXPECT_EQ(e.dateISO, "2026-12-06");
  EXPECT_EQ(e.bpm, 400);
  EXPECT_EQ(e.timeSigDen, 1);
  EXPECT_EQ(e.difficulty, 5);
  EXPECT_FLOAT_EQ(e.Challenge, gTeachingState.challenge);
  EXPECT_EQ(gTeachingState.savedPracticeScales, (std::vector<int32_t>{5}));

  // The practice run starts the plan again: a second session the same day adds a second entry.
  gTeachingState.stepIndex = 0;
  gTeachingState.sessionComplete = 0;
  RecordTeachingCellHit(5, 260.0);
  ASSERT_EQ(gTeachingState.attendance.size(), 2u);
  EXPECT_EQ(gTeachingState.attendance[1].dateISO, "2026-12-06");

  ASSERT_TRUE(WaitForPendingSaves());
  TeachingState back;
  back.dataFolder = gTeachingState.dataFolder;
  back.studentId = "tim";
  ASSERT_TRUE(ReadTeachingFile(back));
  EXPECT_EQ(back.attendance.size(), 2u);
  EXPECT_EQ(back.savedPracticeScales, (std::vector<int32_t>{5}));
}

TEST_F(TeachingTimingTest, NewestEntriesAreKept) {
  for (int i = 0; i < 365; ++i) {
    TeachingAttendanceEntry e;
    e.dateISO = "old-" + std::to_string(i);
    gTeachingState.attendance.push_back(e);
  }
  gTeachingState.practiceScales = {7};
  RecordTeachingCellHit(7, 10.0);
  ASSERT_EQ(gTeachingState.attendance.size(), 365u);
  EXPECT_EQ(gTeachingState.attendance.front().dateISO, "old-1");
  EXPECT_EQ(gTeachingState.attendance.back().dateISO, "2026-12-06");
}

TEST_F(TeachingTimingTest, WrongCellsRestartTheStepAndSpoilItsCleanness) {
  gTeachingState.practiceScales = {5, 6, 7};
  RecordTeachingCellHit(9, 10.0);   // wrong
  EXPECT_EQ(gTeachingState.sessionRunning, 1);
  EXPECT_EQ(gTeachingState.stepHadWrongCell, 1);
  EXPECT_EQ(gTeachingState.stepIndex, 0);
  EXPECT_EQ(gTeachingState.stepHits, 0);
  EXPECT_DOUBLE_EQ(gTeachingState.stepStart, 10.0);

  RecordTeachingCellHit(5, 14.0);   // right, but the step was not clean
  EXPECT_EQ(gTeachingState.stepIndex, 1);
  EXPECT_EQ(gTeachingState.stepHits, 1);
  EXPECT_EQ(gTeachingState.cleanSteps, 0);
  EXPECT_DOUBLE_EQ(gTeachingState.stepStart, 14.0);
  EXPECT_EQ(gTeachingState.stepHadWrongCell, 0);
  EXPECT_DOUBLE_EQ(gTeachingState.lastStepDuration, 0.0);

  RecordTeachingCellHit(6, 17.5);
  EXPECT_EQ(gTeachingState.cleanSteps, 1);
  EXPECT_EQ(gTeachingState.stepIndex, 2);
  RecordTeachingCellHit(7, 19.0);
  EXPECT_EQ(gTeachingState.sessionRunning, 0);
  EXPECT_EQ(gTeachingState.attendance.size(), 1u);
  EXPECT_DOUBLE_EQ(gTeachingState.lastStepDuration, 1.5);
  EXPECT_EQ(gTeachingState.cleanSteps, 2);

  // A plan without steps never closes a session; negative cells are ignored.
  gTeachingState = TeachingState();
  RecordTeachingCellHit(-1, 5.0);
  EXPECT_EQ(gTeachingState.sessionRunning, 0);
  for (int i = 0; i < 5; ++i) RecordTeachingCellHit(3, 5.0 + i);
  EXPECT_EQ(gTeachingState.sessionRunning, 1);
  EXPECT_EQ(gTeachingState.stepHits, 5);
  EXPECT_TRUE(gTeachingState.attendance.empty());
}

SongBeatInfo Beat(int64_t index, int inBar, double since, double spb = 0.5) {
  SongBeatInfo b{};
  b.beatIndex = index;
  b.beatInBar = inBar;
  b.beatsPerBar = 4;
  b.secondsPerBeat = spb;
  b.secondsSinceBeat = since;
  b.paused = 0;
  b.resyncBeatIndex = -1;
  b.resyncNearBeat = 0;
  return b;
}

TEST_F(TeachingTimingTest, SongSeekClicksOnlyNearABeat) {
  const struct {
    double since;
    bool near;
    size_t clicks;
  } cases[] = {{0.02, true, 1}, {0.1, false, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.since);
    gClicks.clear();
    gTeachingState = TeachingState();
    gTeachingState.metronomeOn = 1;
    SongBeatInfo info = Beat(8, 0, c.since);
    info.resyncBeatIndex = 8;
    info.resyncNearBeat = c.near;
    gSongBeatResync = true;
    SyncTeachingClickToSong(gTeachingState, info);
    gSongBeatResync = false;
    EXPECT_EQ(gClicks.size(), c.clicks);
    if (c.clicks) {
      EXPECT_TRUE(gClicks[0].accent);
    }
    EXPECT_EQ(gTeachingState.syncedToSong, 1);
    EXPECT_EQ(gTeachingState.lastSongBeat, 8);

    // The next beat clicks once, unaccented; the same beat again does not.
    SyncTeachingClickToSong(gTeachingState, Beat(9, 1, 0.01));
    SyncTeachingClickToSong(gTeachingState, Beat(9, 1, 0.03));
    EXPECT_EQ(gClicks.size(), c.clicks + 1);
    EXPECT_FALSE(gClicks.back().accent);
  }
}

TEST_F(TeachingTimingTest, SongDrivesTheGrid) {
  gTeachingState.metronomeOn = 1;
  double now = Now();
  // Half speed: the pump already reports a doubled beat.
  SyncTeachingClickToSong(gTeachingState, Beat(6, 2, 0.25, 1.0));
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 60.0);
  EXPECT_EQ(gTeachingState.gridRunning, 1);
  EXPECT_EQ(gTeachingState.beatInBar, 3);
  EXPECT_DOUBLE_EQ(gTeachingState.nextBeat, now - 0.25 + 1.0);
  EXPECT_DOUBLE_EQ(gTeachingState.barOrigin, now - 0.25 - 2.0);
  EXPECT_EQ(gTeachingState.beatCounter, 7);
  EXPECT_DOUBLE_EQ(GetTeachingBeatSeconds(gTeachingState), 1.0);
  EXPECT_TRUE(gClicks.empty());   // first report 250 ms into beat 6: wait for beat 7

  // The song jumped back: the reference follows it and the beat clicks.
  SyncTeachingClickToSong(gTeachingState, Beat(2, 2, 0.01, 1.0));
  EXPECT_EQ(gClicks.size(), 1u);
  EXPECT_EQ(gTeachingState.lastSongBeat, 2);

  // Free-running ticks leave a song-driven grid alone.
  clock_.Advance(5000);
  UpdateTeachingMeters(0.05);
  EXPECT_EQ(gClicks.size(), 1u);

  // Metronome off: the sync only clears.
  gTeachingState.metronomeOn = 0;
  SyncTeachingClickToSong(gTeachingState, Beat(3, 3, 0.0, 1.0));
  EXPECT_EQ(gClicks.size(), 1u);
  EXPECT_EQ(gTeachingState.gridRunning, 0);
  EXPECT_EQ(gTeachingState.songBeatValid, 0);
}

}  // namespace
