// midi/play_along_wait: playback waits for the player. The position runs freely towards the next
// expected note; once it reaches a note that has not been graded, the song clock is re-anchored
// every pass so that the position stays there until the note (and every other at its time) is
// graded. A note held this way grants 250 ms of grace; after that the error grows with the waiting
// time. A rhythm study keeps time once the player has started, and only falls back to waiting
// after four missed note times and 4 s without a graded note.
#include <algorithm>
#include <cmath>

#include "app/base/view_modes.h"
#include "midi/judge_index.h"
#include "midi/level_setting.h"
#include "midi/midi_event_time.h"
#include "midi/play_along.h"
#include "midi/playback.h"

// ---- state ----
uint32_t gWaitEventMs = 0xFFFFFFFFu;      // held note's song time, -1 none
uint32_t gWaitLastFreeMs = 0xFFFFFFFFu;   // last clock time before the next note, -1 none
uint32_t gWaitRunStartMs = 0xFFFFFFFFu;   // first sight of an expected note, -1 none
uint32_t gWaitArrivalMs = 0;              // when the position reached the held note
bool gWaitHolding = false;                // held during this pass
bool gWaitGraceActive = false;            // the held note grants its grace
bool gRhythmKeepingTime = false;          // the rhythm study keeps time
uint32_t gLastJudgedMs = 0;               // last graded note

// ---- internal helpers ----
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr int32_t kGraceMs = 250;              // free waiting time at a held note
constexpr int32_t kGraceAfterStartMs = 1000;   // a hold this soon after the first note has no grace
constexpr int32_t kRhythmSilenceMs = 4000;     // rhythm study: time without a graded note...
constexpr int kRhythmMissedTimes = 4;          // ...and missed note times before waiting again

// No key press may be dated before the moment the clock was last moved.
void RaiseEventTimeFloor(uint32_t now) {
  if (!gLastEventTimeValid || (int32_t)(now - gLastEventTimeMs) > 0) {
    gLastEventTimeMs = now;
    gLastEventTimeValid = true;
  }
}

// Walking back from the last emitted event: the player has missed the last four note times.
bool RecentNoteTimesMissed() {
  size_t i = std::min({gEventCursor, gSongEvents.size(), gJudgeStates.size()});
  int times = 0;
  uint32_t lastTime = 0;
  while (i-- > 0) {
    const SongEvent& e = gSongEvents[i];
    if (!IsSoundingNoteOn(e)) continue;
    uint8_t state = gJudgeStates[i].state;
    if (state == 0 || state == 7) continue;
    if (state != 4) return false;
    if (times == 0 || e.timeMs != lastTime) {
      lastTime = e.timeMs;
      if (++times >= kRhythmMissedTimes) return true;
    }
  }
  return false;
}

}  // namespace

// ---- public functions ----
void UpdatePlayAlong(uint32_t now) {
  RaiseEventTimeFloor(now);
  gWaitHolding = false;
  if (!gPlaying || gPaused) {
    gWaitEventMs = gWaitLastFreeMs = gWaitRunStartMs = kNone;
    gWaitGraceActive = false;
    gRhythmKeepingTime = false;
    return;
  }
  if (gWaitMode && !gPracticeMode && !gWaitAutoStarted && !gPlayAlongRun) {
    if (!gPlayAlongStartPending || !IsPlayAlongAvailable()) return;
    gPlayAlongStartPending = false;
    SetPlayAlongRun(true, false);
    gWaitAutoStarted = true;  // after the start, whose reset clears it
  }
  if (!gPlayAlongRun || !IsPlayAlongAvailable()) return;
  if (gJudgeStates.size() != gSongEvents.size()) ResetJudgeStates(false, false);
  if (!JudgeIndexSized()) RebuildJudgeIndex();
  const uint32_t position = GetPlaybackPositionMs(now);
  const size_t first = FirstPendingExpected();

  if (gRhythmStudyMode && gRhythmKeepingTime) {
    if ((int32_t)(now - gLastJudgedMs) >= kRhythmSilenceMs && RecentNoteTimesMissed()) {
      gRhythmKeepingTime = false;
      gWaitRunStartMs = gWaitLastFreeMs = kNone;
    } else {
      gWaitEventMs = kNone;
      gWaitGraceActive = false;
      return;
    }
  }
  if (first == kNoEvent) return;
  const uint32_t t = gSongEvents[first].timeMs;
  if (gWaitRunStartMs == kNone) gWaitRunStartMs = now;
  if (position < t) {
    gWaitLastFreeMs = now;
    return;
  }

  const double s = std::max((double)gPlaybackSpeed, 0.01);
  if (gWaitEventMs != t) {
    // A new hold: the position may have run past the note during the last frame.
    uint32_t overshoot = 0;
    if (gWaitLastFreeMs != kNone && (int32_t)(now - gWaitLastFreeMs) >= 0) {
      double past = std::round((double)(position - t) / s);
      overshoot = std::min<uint32_t>(now - gWaitLastFreeMs, past >= 4294967295.0 ? kNone : (uint32_t)past);
    }
    gWaitEventMs = t;
    gWaitArrivalMs = now - overshoot;
    gWaitGraceActive = !gRhythmStudyMode && (int32_t)(gWaitArrivalMs - gWaitRunStartMs) >= kGraceAfterStartMs;
  }
  gWaitHolding = true;
  // Re-anchor the song clock so that it reads t now; as the transport does, a distance beyond the
  // clock's signed range is cut there rather than turned into a time before the clock's start.
  double k = std::round((double)t / s);
  gPlayStartMs = now - (k >= 2147483647.0 ? 2147483647u : (uint32_t)k);
}

void WaitTimingError(size_t index, uint32_t now, float* signedErr, float* absErr) {
  if (!gWaitHolding || !gWaitGraceActive || index >= gSongEvents.size()) return;
  if (gSongEvents[index].timeMs != gWaitEventMs) return;
  int32_t waited = (int32_t)(now - gWaitArrivalMs);
  if (waited < 0) return;
  float w = 175.0f - 133.0f * GetLevelSetting();
  float err = std::min(w, std::max(0.0f, (float)(waited - kGraceMs)));
  *signedErr = err;
  *absErr = err;
}
