// practice/teaching_timing: onset judging, judged cells, sessions and the beat grid.
//
// Depends on theory/ (scales, the circle mapping), midi/ (the click, the song beat record),
// app/ (the monotonic clock, the note road's event lag) and practice/ (the run state, the file).
// L is the teaching level; higher levels narrow the on-time and grace windows.
#include "practice/teaching_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "midi/click.h"
#include "midi/song_beat.h"
#include "platform/clock.h"
#include "practice/practice_run_state.h"
#include "practice/teaching_file.h"
#include "practice/teaching_meters.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- constants ----
static const int kMaxAttendanceEntries = 365;   // the newest are kept
static const int kMaxCatchUpBeats = 24;         // beats the grid may pass in one frame

// ---- state ----
static TeachingClickFunction gTeachingClick = nullptr;   // test double, or nullptr for PlayClick

// ---- internal helpers ----
// The teaching level in double precision.
static double LevelOf(const TeachingState& s) { return (ClampInt(s.difficulty, 1, 10) - 1) / 9.0; }
static double NowSeconds64() { return (double)GetMonotonicMs() / 1000.0; }

// The grid's seconds are the program clock's milliseconds: the sound's clock counts the same time
// in microseconds.
static void Click(const TeachingState& s, bool accent, double beatTime) {
  if (gTeachingClick) gTeachingClick(s, accent, beatTime);
  else PlayClick(s, accent, (int64_t)std::llround(beatTime * 1e6));
}

static void AddSample(double x, double& mean, double& m2, int32_t& count) {
  count += 1;
  double d = x - mean;
  mean += d / count;
  m2 += (x - mean) * d;
}

// Clears what belongs to one step (not the session counters).
static void ClearStepStatistics(TeachingState& s) {
  s.lastOnset = -1.0;
  s.maxIoi = 0.0;
  s.velocityMean = s.velocityM2 = 0.0;
  s.velocityCount = 0;
  s.ioiMean = s.ioiM2 = 0.0;
  s.ioiCount = 0;
  s.gapCount = 0;
}

// A ring position outside 0..11 means none: the key's own position stands in.
static int UsableRingPos(int ringPos) {
  if (ringPos >= 0 && ringPos <= 11) return ringPos;
  return RingPosOfPitchClass(((gKeyRoot % 12) + 12) % 12);
}

static bool ScaleHasPitchClass(const ScaleRow* scale, int pc) {
  for (int i = 0; i < scale->count && i < 12; ++i)
    if (scale->pcs[i] == pc) return true;
  return false;
}

// ---- public functions ----
void SetTeachingClickFunction(TeachingClickFunction fn) { gTeachingClick = fn; }

void OnTeachingNoteOnset(int key, int velocity) {
  if (key < 0 || velocity < 1 || gPracticeState != kPracticeRunning) return;
  const TeachingState& s = gTeachingState;

  const ScaleRow* scale = nullptr;
  int pos = 0;
  GetScaleCatalogue();
  if (s.stepIndex >= 0 && (size_t)s.stepIndex < s.practiceScales.size()) {
    int code = s.practiceScales[(size_t)s.stepIndex];
    if (IsValidTeachingCellCode(code)) {
      scale = gScaleCatalogue[(size_t)(code >> 4)];
      pos = code & 15;
    }
  }
  if (!scale) {
    scale = gPickedScale ? gPickedScale : gCurrentScale;
    pos = UsableRingPos(gRingPos);
  }

  TeachingOnset onset;
  onset.key = key;
  onset.velocity = velocity;
  onset.valid = 1;
  onset.time = ((double)GetMonotonicMs() - (double)gMidiEventLagMs) / 1000.0;
  if (scale) {
    int pc = ((key % 12) - kFifthsOrder[pos] + 12) % 12;
    onset.inScale = ScaleHasPitchClass(scale, pc) ? 1 : 0;
  }
  RecordTeachingOnset(onset);
}

void RecordTeachingOnset(const TeachingOnset& onset) {
  TeachingState& s = gTeachingState;
  if (!s.enabled || !onset.valid) return;
  double t = onset.time;
  double L = LevelOf(s);
  s.clock = std::max(s.clock, t);
  BeginTeachingSession(t);

  s.onsetCount += 1;
  if (onset.inScale) s.inScaleOnsets += 1;
  bool first = s.lastOnset <= 0.0;

  double b = GetTeachingBeatSeconds(s);
  if (s.gridRunning && b > 1e-6) {
    double k = std::round((t - s.barOrigin) / b);
    double err = std::fabs(t - (s.barOrigin + k * b)) * 1000.0;
    if (s.graceArmed && first) {
      int64_t N = std::max(ClampInt(s.timeSigNum, 1, 32), 1);
      int64_t bars = std::max<int64_t>(s.beatCounter / N - s.graceBeatCounter / N, 0);
      double kMod = std::fmod(std::fmod(k, (double)N) + (double)N, (double)N);
      if (bars <= s.graceBars && kMod == 0.0 && err <= 240.0 - 158.0 * L) err = 0.0;
      s.graceArmed = 0;   // the grace is spent by the step's first onset either way
      s.graceBars = 0;
    }
    s.timedOnsets += 1;
    AddSample(err, s.timingErrMean, s.timingErrM2, s.timingErrCount);
    if (err <= 185.0 - 127.0 * L) s.onTimeOnsets += 1;
  }

  AddSample(ClampInt(onset.velocity, 1, 127), s.velocityMean, s.velocityM2, s.velocityCount);

  if (s.lastOnset > 0.0) {
    double ioi = (t - s.lastOnset) * 1000.0;
    if (ioi > 0.0) {
      AddSample(ioi, s.ioiMean, s.ioiM2, s.ioiCount);
      s.maxIoi = std::max(s.maxIoi, ioi);
      double beatMs = b * 1000.0;
      double threshold = 260.0;
      if (s.gridRunning && beatMs > 1.0)
        threshold = std::clamp((0.48 - 0.14 * L) * beatMs, 140.0, 360.0);
      if (ioi > threshold) s.gapCount += 1;
    }
  }
  s.lastOnset = t;
  ComputeTeachingMeters(s);
}

void BeginTeachingSession(double time) {
  TeachingState& s = gTeachingState;
  if (s.sessionRunning) return;
  s.sessionRunning = 1;
  s.sessionComplete = 0;
  ClearStepStatistics(s);
  s.stepStart = time;
  s.lastStepDuration = 0.0;
  s.stepHasHit = s.stepHadWrongCell = 0;
  s.graceArmed = 0;
  s.graceBars = 0;
}

void RecordTeachingCellHit(int cellCode, double time) {
  TeachingState& s = gTeachingState;
  if (!s.enabled || cellCode < 0) return;
  s.clock = std::max(s.clock, time);
  BeginTeachingSession(time);

  bool inPlan = s.stepIndex >= 0 && (size_t)s.stepIndex < s.practiceScales.size();
  if (inPlan) {
    int expected = s.practiceScales[(size_t)s.stepIndex];
    if (expected >= 0 && cellCode != expected) {
      ClearStepStatistics(s);
      s.stepStart = time;
      s.lastStepDuration = 0.0;
      s.stepHasHit = 0;
      s.stepHadWrongCell = 1;
      s.graceArmed = 0;
      s.graceBars = 0;
      ComputeTeachingMeters(s);
      return;
    }
  }

  if (s.stepStart <= 0.0) s.stepStart = time;
  s.stepHits += 1;
  s.stepHasHit = 1;
  s.lastStepDuration = std::max(time - s.stepStart, 0.0);
  if (!s.stepHadWrongCell) s.cleanSteps += 1;
  ComputeTeachingMeters(s);

  if (!s.practiceScales.empty()) {
    int count = (int)s.practiceScales.size();
    if (s.stepIndex >= count - 1) {
      s.stepIndex = count;
      s.sessionComplete = 1;
      EndTeachingSession(time);
      return;
    }
    s.stepIndex += 1;
  }

  ArmDownbeatGrace();
  ClearStepStatistics(s);
  s.lastStepDuration = 0.0;
  s.stepStart = time;
  s.stepHasHit = s.stepHadWrongCell = 0;
}

void ArmDownbeatGrace() {
  TeachingState& s = gTeachingState;
  if (s.metronomeOn && s.gridRunning && s.timeSigNum >= 1) {
    double L = LevelOf(s);
    s.graceBeatCounter = s.beatCounter;
    s.graceArmed = 1;
    s.graceBars = ClampInt((int)std::lround(6.0 - 4.0 * L), 2, 6);
  } else {
    s.graceArmed = 0;
    s.graceBars = 0;
  }
}

void EndTeachingSession(double /*time*/) {
  TeachingState& s = gTeachingState;
  if (!s.sessionRunning) return;
  s.sessionRunning = 0;

  LocalDateTime today = ClockLocalNow();
  char date[32];
  snprintf(date, sizeof date, "%04d-%02d-%02d", today.year, today.month, today.day);
  TeachingAttendanceEntry e;
  e.dateISO = date;
  e.Challenge = std::clamp(s.challenge, 0.0f, 100.0f);
  e.A = std::clamp(s.meterA, 0.0f, 100.0f);
  e.B = std::clamp(s.meterB, 0.0f, 100.0f);
  e.C = std::clamp(s.meterC, 0.0f, 100.0f);
  e.D = std::clamp(s.meterD, 0.0f, 100.0f);
  e.bpm = ClampInt(s.bpm, 1, 400);
  e.timeSigNum = ClampInt(s.timeSigNum, 1, 32);
  e.timeSigDen = std::max(s.timeSigDen, 1);
  e.difficulty = ClampInt(s.difficulty, 1, 10);
  s.attendance.push_back(e);
  if (s.attendance.size() > (size_t)kMaxAttendanceEntries)
    s.attendance.erase(s.attendance.begin(),
                       s.attendance.begin() + (std::ptrdiff_t)(s.attendance.size() - kMaxAttendanceEntries));

  s.lastDifficulty = s.difficulty;
  s.savedPracticeScales = s.practiceScales;
  s.dirty = 1;
  SaveTeachingStateAsync(s);
  s.dirty = 0;
}

void TickTeachingBeatGrid(TeachingState& s) {
  if (!s.enabled) return;
  if (!s.metronomeOn) {
    s.clickFlash = 0.0f;
    s.gridRunning = 0;
    return;
  }
  if (s.syncedToSong) return;

  double now = NowSeconds64();
  s.clock = std::max(s.clock, now);
  double b = GetTeachingBeatSeconds(s);
  if (!s.gridRunning) {
    s.gridRunning = 1;
    s.barOrigin = now;
    s.nextBeat = now;
    s.beatInBar = 0;
    s.beatCounter = 0;
  }

  int passed = 0;
  bool accent = false;
  double beat = now;
  int N = ClampInt(s.songBarClicks > 0 ? s.songBarClicks : s.timeSigNum, 1, 32);
  while (now + 1e-6 >= s.nextBeat && passed < kMaxCatchUpBeats) {
    accent = s.beatInBar == 0;
    beat = s.nextBeat;
    s.lastBeatAccent = accent ? 1 : 0;
    s.clickFlash = accent ? 1.0f : 0.62f;
    s.nextBeat += b;
    s.beatCounter += 1;
    s.beatInBar = (s.beatInBar + 1) % N;
    ++passed;
  }
  if (passed > 0) Click(s, accent, beat);

  if (now - 2.0 * b > s.nextBeat) {
    s.barOrigin = now;
    s.beatInBar = 0;
    s.nextBeat = now + b;
  }
}

void SyncTeachingClickToSong(TeachingState& s, const SongBeatInfo& info) {
  if (!s.enabled) return;
  s.syncedToSong = 1;
  if (!s.metronomeOn) {
    s.clickFlash = 0.0f;
    s.gridRunning = 0;
    s.songBeatValid = 0;
    return;
  }
  double now = NowSeconds64();
  s.clock = std::max(s.clock, now);

  int N = ClampInt(info.beatsPerBar, 1, 32);
  double spb = std::max(info.secondsPerBeat, 0.001);
  int pos = info.beatInBar >= 0 ? std::min(N - 1, (int)info.beatInBar) : 0;
  double off = std::max(info.secondsSinceBeat, 0.0);
  int64_t fresh = (off <= 0.04 && !info.paused) ? 1 : 0;

  int64_t r;
  if (gSongBeatResync) {
    if (info.resyncBeatIndex >= 0)
      r = info.resyncBeatIndex - ((info.resyncNearBeat && !info.paused) ? 1 : 0);
    else
      r = info.beatIndex - fresh;
    s.lastSongBeat = r;
    s.songBeatValid = 1;
  } else if (s.songBeatValid) {
    r = s.lastSongBeat;
    if (info.beatIndex < r - 1) {
      r = info.beatIndex - fresh;
      s.lastSongBeat = r;
    }
  } else {
    r = info.beatIndex - fresh;
    s.lastSongBeat = r;
    s.songBeatValid = 1;
  }

  if (info.beatIndex > r) {
    s.lastSongBeat = info.beatIndex;
    s.lastBeatAccent = pos == 0 ? 1 : 0;
    s.clickFlash = pos == 0 ? 1.0f : 0.62f;
    Click(s, pos == 0, now - off);
  }

  s.songBpm = 60.0 / spb;
  s.gridRunning = 1;
  double start = now - off;
  s.beatInBar = (pos + 1) % N;
  s.nextBeat = start + spb;
  s.barOrigin = start - pos * spb;
  s.beatCounter = std::max<int64_t>(info.beatIndex, 0) + 1;
}
