// midi/play_along: the judge records, the run's lifecycle, the grading rule and the two judges that
// the note road and the main loop call.
//
// Sections: state; internal helpers (windows, held keys, run flags); run lifecycle and resets;
// rules; key presses; held keys, hold release and timed-out misses.
//
// The per-pass judge looks only at the pending notes up to the position and at the open holds
// (see judge_index), in event order, so one pass over a long song stays short.
#include "midi/play_along.h"

#include <algorithm>
#include <cmath>

#include "app/base/logs.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "midi/judge_index.h"
#include "midi/level_setting.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_rows.h"

// ---- state ----
std::vector<NoteJudgeState> gJudgeStates;  // parallel to gSongEvents
bool gPlayAlongRun = false;                // a judged run is active
bool gPlayAlongStartPending = false;       // a lesson asked for a run
bool gWaitAutoStarted = false;             // wait mode started the run itself
uint32_t gPlayAlongScore = 0;              // points
int32_t gPlayAlongStreak = 0;              // current streak
int32_t gPlayAlongBestStreak = 0;          // best streak of the run
int32_t gWrongNoteCount = 0;               // wrong notes, one per 300 ms at most
uint32_t gLastWrongNoteMs = 0;             // last counted wrong note
uint32_t gMissFlashUntilMs = 0;            // the board's miss flash
float gScoreFlash = 0.0f;                  // lowered by the frame
bool gNoteMatched[128] = {};               // per key: its press went to a song note
uint32_t gNoteMatchedTimeMs[128] = {};     // per key: that note's song time
bool gSavedAllNotesAllowed = false;        // restored when the run ends
bool gRestoreAllNotesPending = false;

uint32_t gPlayAlongHighlightsCleared = 0;   // highlight resets so far
float gKeyHitGlow[128] = {};
float gKeyMissFlash[128] = {};
float gKeyExpectHighlight[128] = {};
float gKeyHoldHighlight[128] = {};

// ---- internal helpers ----
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;       // "no time" of the wait state
constexpr uint32_t kWrongNoteGapMs = 300;     // at most one wrong note counted per gap
constexpr uint32_t kSearchBackMs = 12000;     // a press looks this far back for its note
constexpr uint32_t kMissPenalty = 30;         // points a missed note costs

float ClampLevel(float d) { return d > 0.0f ? (d < 1.0f ? d : 1.0f) : 0.0f; }
float ClampSpeed(float s) { return s >= 0.01f ? s : 0.01f; }
float BaseWindow(float d) { return 175.0f - 133.0f * d; }
float PerfectWindow(float d) { return 36.0f - 22.0f * d; }
float GoodWindow(float d) { return 92.0f - 58.0f * d; }

uint32_t SatAdd(uint32_t a, uint64_t b) {
  uint64_t v = (uint64_t)a + b;
  return v > UINT32_MAX ? UINT32_MAX : (uint32_t)v;
}

// trunc(clamp(v, lo, hi)) as a non-negative integer.
uint32_t TruncClamp(double v, double lo, double hi) {
  if (!(v >= lo)) v = lo;
  if (v > hi) v = hi;
  return (uint32_t)v;
}

bool PlayAlongModeOn() { return gPracticeMode || gWaitMode; }

// The key is physically down.
bool IsKeyDown(int note) {
  for (const HeldNote& h : gHeldNotes)
    if (h.note == note && h.keyDown) return true;
  return false;
}

// The key sounds: down or held by the pedal.
bool IsKeySounding(int note) {
  for (const HeldNote& h : gHeldNotes)
    if (h.note == note && (h.keyDown || h.sounding)) return true;
  return false;
}

// When the key of a graded note went down: its arrival when it is down and arrived by now.
uint32_t KeyDownTime(int note, uint32_t now) {
  for (const HeldNote& h : gHeldNotes)
    if (h.note == note && h.keyDown && (int32_t)(now - h.arrivalMs) >= 0) return h.arrivalMs;
  return now;
}

int CurrentFilterSlot() { return gScaleFilter < 0 ? 0 : (gScaleFilter >= kScaleFilterCount ? kScaleFilterCount - 1 : gScaleFilter); }

void RestoreAllNotesAllowed() {
  if (!gRestoreAllNotesPending) return;
  gAllNotesAllowed = gSavedAllNotesAllowed;
  gAllNotesAllowedByFilter[CurrentFilterSlot()] = gSavedAllNotesAllowed;
  // An allowance from before the run came from a rising run, which a falling run may still undo.
  gChromaticUnlocked = gSavedAllNotesAllowed;
  gRestoreAllNotesPending = false;
}

// Judge records and index sized to the song; rebuilt (records and counters) when not.
void EnsureJudgeRecords() {
  if (gJudgeStates.size() != gSongEvents.size())
    ResetJudgeStates(false, false);
  else if (!JudgeIndexSized())
    RebuildJudgeIndex();
}

// Grades (or passes over) one pending expected note in the per-pass judge.
void JudgeHeldOrTimedOut(size_t i, uint32_t now, uint32_t position, float d, float s) {
  const SongEvent& e = gSongEvents[i];
  NoteJudgeState& j = gJudgeStates[i];
  if (gRhythmStudyMode) {
    if (position > EventJudgeDeadline(i, d, s)) {
      j.state = 4;
      j.judgedAtMs = now;
      j.timingErrorMs = 0.0f;
      ResetStreak(now);
    }
    return;
  }
  int note = e.data1;
  if (note > 127) return;
  if (gNoteMatched[note] && gNoteMatchedTimeMs[note] != e.timeMs) return;  // its press went elsewhere
  if (position < e.timeMs || position > EventJudgeDeadline(i, d, s)) return;
  if (!IsKeyDown(note)) return;
  float err = (float)(((double)position - (double)e.timeMs) / s);
  float absErr = std::fabs(err);
  bool cap = absErr > BaseWindow(d);
  WaitTimingError(i, now, &err, &absErr);
  if (JudgeEvent(i, now, absErr, err, d, s, cap, 0)) {
    gNoteMatched[note] = true;
    gNoteMatchedTimeMs[note] = e.timeMs;
  }
}

// Breaks a graded hold note whose key stopped sounding too early.
void CheckHold(size_t i, uint32_t now, uint32_t position, float tolerance, int noteFilter) {
  if (i >= gJudgeStates.size() || i >= gSongEvents.size()) return;
  NoteJudgeState& j = gJudgeStates[i];
  if (j.state < 1 || j.state > 3 || !j.holdNote || j.holdBroken) return;
  int note = gSongEvents[i].data1;
  if (noteFilter >= 0 && note != noteFilter) return;
  if (!((double)position + tolerance < (double)j.holdEndMs)) return;
  if (IsKeySounding(note)) return;
  // The press's timing error stays: the run's timing figures say when the keys went down.
  j.state = 6;
  j.holdBroken = 1;
  j.judgedAtMs = now;
  if (note < 128) {
    gKeyHitGlow[note] *= 0.3f;
    gKeyMissFlash[note] = 1.0f;
  }
  ResetStreak(now);
}

}  // namespace

// ---- run lifecycle and resets ----
bool IsPlayAlongAvailable() {
  return PlayAlongModeOn() && !gSongEvents.empty() && gSongEvents.back().timeMs > 0;
}

void SetPlayAlongRun(bool on, bool markPassed) {
  if (on && IsPlayAlongAvailable()) {
    if (!gPlayAlongRun) {
      gSavedAllNotesAllowed = gAllNotesAllowed;
      gRestoreAllNotesPending = true;
    }
    gPlayAlongStartPending = false;
    gPlayAlongRun = true;
    gAllNotesAllowed = true;
    gAllNotesAllowedByFilter[CurrentFilterSlot()] = true;
    gChromaticUnlocked = false;
    AllNotesOff();
    ResetJudgeStates(false, false);
    if (markPassed) MarkNotesPassedBefore(GetPlaybackPositionMs(ClockMs32()));
    return;
  }
  gPlayAlongRun = false;
  AllNotesOff();
  gPlayedNotes.clear();
  ResetJudgeStates(false, false);
  RestoreAllNotesAllowed();
}

void MarkNotesPassedBefore(uint32_t position) {
  const size_t n = std::min(gSongEvents.size(), gJudgeStates.size());
  for (size_t i = 0; i < n && gSongEvents[i].timeMs < position; ++i)
    if (IsSoundingNoteOn(gSongEvents[i]) && gJudgeStates[i].state == 0) gJudgeStates[i].state = 7;
}

void ResetJudgeStates(bool endRun, bool keepWhenSized) {
  const size_t n = gSongEvents.size();
  if (!(keepWhenSized && n > 0 && gJudgeStates.size() == n)) {
    gJudgeStates.assign(n, NoteJudgeState{});
    ResetRunSpeed();
    gWaitAutoStarted = false;
    std::fill(std::begin(gNoteMatchedTimeMs), std::end(gNoteMatchedTimeMs), kNone);
    RebuildJudgeIndex();
  } else if (!JudgeIndexSized()) {
    RebuildJudgeIndex();
  }
  std::fill(std::begin(gKeyHitGlow), std::end(gKeyHitGlow), 0.0f);
  std::fill(std::begin(gKeyMissFlash), std::end(gKeyMissFlash), 0.0f);
  std::fill(std::begin(gKeyExpectHighlight), std::end(gKeyExpectHighlight), 0.0f);
  std::fill(std::begin(gKeyHoldHighlight), std::end(gKeyHoldHighlight), 0.0f);
  gPlayAlongStreak = 0;
  gPlayAlongBestStreak = 0;  // "best of the run": a new run starts from nothing
  gPlayAlongScore = 0;
  gWrongNoteCount = 0;
  gLastWrongNoteMs = 0;
  gWaitEventMs = gWaitLastFreeMs = gWaitRunStartMs = kNone;
  gWaitGraceActive = false;
  gScoreFlash = 0.0f;
  gMissFlashUntilMs = 0;
  gRhythmKeepingTime = false;
  if (endRun) {
    gPlayAlongRun = false;
    RestoreAllNotesAllowed();
  }
}

void ResetPlayAlongHighlights() {
  gPlayedNotes.clear();
  std::fill(std::begin(gNoteGlow), std::end(gNoteGlow), 0.0f);
  std::fill(std::begin(gKeyHitGlow), std::end(gKeyHitGlow), 0.0f);
  std::fill(std::begin(gKeyMissFlash), std::end(gKeyMissFlash), 0.0f);
  std::fill(std::begin(gKeyExpectHighlight), std::end(gKeyExpectHighlight), 0.0f);
  std::fill(std::begin(gKeyHoldHighlight), std::end(gKeyHoldHighlight), 0.0f);
  gScoreFlash = 0.0f;
  gPatternFlashTimer = 0.0f;
  ++gPlayAlongHighlightsCleared;
}

// The transport's release of the song's keys is exactly this.
void AllNotesOff() { ReleaseSongNotes(); }

// ---- rules ----
uint32_t ScanNoteEndTime(size_t index) {
  if (index >= gSongEvents.size() || !IsSoundingNoteOn(gSongEvents[index])) return 0;
  const SongEvent& on = gSongEvents[index];
  const int channel = on.status & 0x0F;
  for (size_t k = index + 1; k < gSongEvents.size(); ++k) {
    const SongEvent& e = gSongEvents[k];
    if ((e.status & 0x0F) != channel || e.data1 != on.data1) continue;
    int kind = e.status & 0xF0;
    if (kind == 0x80 || (kind == 0x90 && e.data2 == 0)) return e.timeMs;
    if ((uint64_t)e.timeMs > (uint64_t)on.timeMs + kSearchBackMs) break;
  }
  return SatAdd(on.timeMs, 180);
}

uint32_t NoteEndTime(size_t index) {
  if (index >= gSongEvents.size() || !IsSoundingNoteOn(gSongEvents[index])) return 0;
  return JudgeIndexSized() ? CachedNoteEnd(index) : ScanNoteEndTime(index);
}

uint32_t EventJudgeDeadline(size_t index, float level, float speed) {
  if (index >= gSongEvents.size()) return 0;
  float d = ClampLevel(level), s = ClampSpeed(speed);
  uint32_t t = gSongEvents[index].timeMs;
  uint32_t deadline = SatAdd(t, TruncClamp((double)BaseWindow(d) * s, 12, 640));
  if (!gRhythmStudyMode) {
    uint32_t afterEnd = SatAdd(NoteEndTime(index), TruncClamp((96.0 - 68.0 * d) * s, 12, 220));
    deadline = std::max(deadline, afterEnd);
  }
  return deadline;
}

bool JudgeEvent(size_t index, uint32_t now, float absErr, float signedErr, float level, float speed,
                bool capGrade, int velocity) {
  if (index >= gSongEvents.size() || index >= gJudgeStates.size()) return false;
  const SongEvent& e = gSongEvents[index];
  NoteJudgeState& j = gJudgeStates[index];
  if (j.state != 0 || !IsSoundingNoteOn(e)) return false;
  float d = ClampLevel(level), s = ClampSpeed(speed);
  float good = GoodWindow(d);

  int grade = absErr <= PerfectWindow(d) ? 1 : (absErr <= good ? 2 : 3);
  float stored = signedErr;
  if (capGrade) {
    if (grade == 3) grade = 2;
    float limit = std::max(good * 1.08f, 18.0f);
    if (std::fabs(stored) > limit) stored = std::copysign(limit, stored);
  }
  j.state = (uint8_t)grade;
  j.timingErrorMs = stored;
  j.judgedAtMs = now;
  j.holdNote = j.holdBroken = j.effectShown = 0;
  j.holdEndMs = 0;
  j.velocity = (uint8_t)std::clamp(velocity, 0, 127);
  j.keyDownMs = KeyDownTime(e.data1, now);
  gRhythmKeepingTime = true;
  gLastJudgedMs = now;

  uint32_t end = NoteEndTime(index);
  double holdLength = ((1.0 - d) * 240.0 + 520.0) * (double)s;
  if (end > e.timeMs && (double)(end - e.timeMs) >= holdLength) {
    j.holdNote = 1;
    j.holdEndMs = end;
    AddOpenHold(index);
  }

  if (grade <= 2) {
    ++gPlayAlongStreak;
    gPlayAlongBestStreak = std::max(gPlayAlongBestStreak, gPlayAlongStreak);
  } else {
    ResetStreak(now);
  }
  static const double kBase[4] = {0.0, 300.0, 180.0, 70.0};
  double multiplier = 1.0;
  if (grade <= 2) {
    if (gPlayAlongStreak >= 36) multiplier = 1.76;
    else if (gPlayAlongStreak >= 22) multiplier = 1.52;
    else if (gPlayAlongStreak >= 12) multiplier = 1.32;
    else if (gPlayAlongStreak >= 5) multiplier = 1.15;
  }
  gPlayAlongScore = SatAdd(gPlayAlongScore, (uint64_t)std::llround(kBase[grade] * multiplier));
  gScoreFlash = 1.0f;

  if (e.data1 < 128) {
    static const float kGlow[4] = {0.0f, 1.0f, 0.82f, 0.68f};
    gKeyHitGlow[e.data1] = std::max(gKeyHitGlow[e.data1], kGlow[grade]);
    gKeyMissFlash[e.data1] *= 0.3f;
  }
  return true;
}

int ComboLevel() {
  if (gPlayAlongStreak >= 36) return 4;
  if (gPlayAlongStreak >= 22) return 3;
  if (gPlayAlongStreak >= 12) return 2;
  if (gPlayAlongStreak >= 5) return 1;
  return 0;
}

void ResetStreak(uint32_t now) {
  if (gPlayAlongStreak <= 0) return;
  gPlayAlongStreak = 0;
  gMissFlashUntilMs = now + 160;
}

bool MarkNoteMissed(size_t index, uint32_t now, float timingErrorMs) {
  if (index >= gSongEvents.size() || index >= gJudgeStates.size()) return false;
  NoteJudgeState& j = gJudgeStates[index];
  if (j.state != 0 || !IsSoundingNoteOn(gSongEvents[index])) return false;
  j.state = 4;
  j.timingErrorMs = timingErrorMs;
  j.judgedAtMs = now;
  j.holdNote = j.holdBroken = 0;
  j.effectShown = 1;
  ResetStreak(now);
  gPlayAlongScore = gPlayAlongScore > kMissPenalty ? gPlayAlongScore - kMissPenalty : 0;
  gMissFlashUntilMs = now + 180;
  return true;
}

// ---- key presses ----
void PlayAlongNoteInput(int note, int velocity, uint32_t now) {
  if (note >= 0 && note <= 127) gNoteMatched[note] = false;  // a new press may be matched again
  if (!IsPlayAlongAvailable() || !gPlayAlongRun || note < 0 || note > 127) return;
  // A paused song waits for nothing: what is played meanwhile (between two runs of a lesson song,
  // under the radar flash between two cards) is neither a hit nor an extra note of the run.
  if (!gPlaying || gPaused) return;
  EnsureJudgeRecords();
  UpdatePlayAlong(now);
  if (!gPlayAlongRun) return;
  EnsureJudgeRecords();
  const uint32_t position = GetPlaybackPositionMs(now);
  const float d = GetLevelSetting(), s = ClampSpeed(gPlaybackSpeed), W = BaseWindow(d);

  uint32_t lo = position > kSearchBackMs ? position - kSearchBackMs : 0;
  uint32_t hi = SatAdd(position, TruncClamp((double)W * s * 1.35, 40, 280));
  size_t i = (size_t)(std::lower_bound(gSongEvents.begin(), gSongEvents.end(), lo,
                                       [](const SongEvent& e, uint32_t v) { return e.timeMs < v; }) -
                      gSongEvents.begin());
  size_t best = kNoEvent, match = kNoEvent;
  float bestCost = 0.0f, matchCost = 0.0f, matchErr = 0.0f;
  bool matchLateOnly = false;
  for (; i < gSongEvents.size() && gSongEvents[i].timeMs <= hi; ++i) {
    const SongEvent& e = gSongEvents[i];
    if (!IsSoundingNoteOn(e)) continue;
    if (position > EventJudgeDeadline(i, d, s)) continue;
    float err = (float)(((double)position - (double)e.timeMs) / s);
    float absErr = std::fabs(err);
    bool inWindow = absErr <= W;
    bool lateSounding = !gRhythmStudyMode && position >= e.timeMs && NoteEndTime(i) > e.timeMs;
    if (!inWindow && !lateSounding) continue;
    bool lateOnly = !inWindow;
    float cost = lateOnly ? 0.0f : absErr;
    if (gJudgeStates[i].state != 0) continue;
    if (best == kNoEvent || cost < bestCost) {
      best = i;
      bestCost = cost;
    }
    if (e.data1 == note &&
        (match == kNoEvent || cost < matchCost || (cost == matchCost && matchLateOnly && !lateOnly))) {
      match = i;
      matchCost = cost;
      matchErr = err;
      matchLateOnly = lateOnly;
    }
  }

  if (match != kNoEvent) {
    float err = matchErr, absErr = std::fabs(matchErr);
    WaitTimingError(match, now, &err, &absErr);
    const bool released = gWaitHolding && gSongEvents[match].timeMs == gWaitEventMs;
    if (!JudgeEvent(match, now, absErr, err, d, s, matchLateOnly, velocity)) return;
    const uint32_t t = gSongEvents[match].timeMs;
    gNoteMatched[note] = true;
    gNoteMatchedTimeMs[note] = t;
    // The same note doubled at the same time (other channels or tracks) is the same press.
    size_t first = match;
    while (first > 0 && gSongEvents[first - 1].timeMs == t) --first;
    bool pendingAtT = false;
    for (size_t k = first; k < gSongEvents.size() && gSongEvents[k].timeMs == t; ++k) {
      if (k != match && gSongEvents[k].data1 == note && IsSoundingNoteOn(gSongEvents[k]))
        JudgeEvent(k, now, absErr, err, d, s, matchLateOnly, velocity);
      pendingAtT = pendingAtT || (IsSoundingNoteOn(gSongEvents[k]) && gJudgeStates[k].state == 0);
    }
    // The song's clock goes on from the press that leaves nothing at its time to wait for: where a
    // player outside the program (a test, a report of a wrong judgement) finds when it was taken.
    if (released && !pendingAtT) DebugLog("[play-along] the song goes on from %u ms at clock %u\n", t, now);
    return;
  }
  if (best == kNoEvent) return;  // between expected notes: neither a hit nor a wrong note

  if ((uint32_t)(now - gLastWrongNoteMs) > kWrongNoteGapMs) {
    ++gWrongNoteCount;
    gLastWrongNoteMs = now;
  }
  const uint32_t t = gSongEvents[best].timeMs;
  size_t first = best;
  while (first > 0 && gSongEvents[first - 1].timeMs == t) --first;
  for (size_t k = first; k < gSongEvents.size() && gSongEvents[k].timeMs == t; ++k)
    if (IsSoundingNoteOn(gSongEvents[k]) && gJudgeStates[k].state == 0) gJudgeStates[k].wrongAttempt = 1;
  gKeyHitGlow[note] *= 0.25f;
  gWrongNoteMark[note] = true;
  gKeyMissFlash[note] = 1.0f;
  gMissFlashUntilMs = now + 170;
}

// ---- held keys, hold release and timed-out misses ----
void JudgePlayAlongNotes(uint32_t now, int noteFilter) {
  if (!gPlayAlongRun || !IsPlayAlongAvailable()) return;
  EnsureJudgeRecords();
  UpdatePlayAlong(now);
  if (!gPlayAlongRun) return;
  EnsureJudgeRecords();
  const uint32_t position = GetPlaybackPositionMs(now);
  const float d = GetLevelSetting(), s = ClampSpeed(gPlaybackSpeed);
  const float tolerance = (52.0f - 28.0f * d) * s;

  // Event order across both kinds: the open holds are merged into the walk over pending notes.
  const std::vector<uint32_t>& holds = OpenHolds();
  size_t h = 0;
  auto checkHoldsBelow = [&](size_t limit) {
    while (h < holds.size() && holds[h] < limit) CheckHold(holds[h++], now, position, tolerance, noteFilter);
  };
  const size_t n = gSongEvents.size();
  for (size_t i = FirstPendingExpected(); i < n && gSongEvents[i].timeMs <= position; ++i) {
    const SongEvent& e = gSongEvents[i];
    if (!IsSoundingNoteOn(e) || gJudgeStates[i].state != 0) continue;
    if (noteFilter >= 0 && e.data1 != noteFilter) continue;
    checkHoldsBelow(i);
    JudgeHeldOrTimedOut(i, now, position, d, s);
    while (h < holds.size() && holds[h] <= i) ++h;  // a hold just graded is checked next pass
  }
  checkHoldsBelow(kNoEvent);
  PruneOpenHolds(position);
}

void ResetPlayAlong() {
  gJudgeStates.clear();
  gPlayAlongRun = gPlayAlongStartPending = gWaitAutoStarted = false;
  gPlayAlongScore = 0;
  gPlayAlongStreak = gPlayAlongBestStreak = gWrongNoteCount = 0;
  gLastWrongNoteMs = gMissFlashUntilMs = 0;
  std::fill(std::begin(gNoteMatched), std::end(gNoteMatched), false);
  std::fill(std::begin(gNoteMatchedTimeMs), std::end(gNoteMatchedTimeMs), 0u);
  gSavedAllNotesAllowed = gRestoreAllNotesPending = false;
  ResetPlayAlongHighlights();
  std::fill(std::begin(gWrongNoteMark), std::end(gWrongNoteMark), false);
  gWaitEventMs = gWaitLastFreeMs = gWaitRunStartMs = kNone;
  gWaitArrivalMs = gLastJudgedMs = 0;
  gWaitHolding = gWaitGraceActive = gRhythmKeepingTime = false;
}
