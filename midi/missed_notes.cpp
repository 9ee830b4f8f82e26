// midi/missed_notes: the expected notes whose judging deadline has passed unplayed become misses.
//
// This is a judging rule, so it runs from the main loop whatever the board draws: a lane that is
// hidden, faded or too short still sees its notes marked. The board only reads the states.
#include <algorithm>

#include "midi/judge_index.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"

void MarkMissedPlayAlongNotes(uint32_t now) {
  if (!gPlayAlongRun || !IsPlayAlongAvailable()) return;
  // The judge's pass just before sized the records and the index; a song changed since waits a frame.
  if (gJudgeStates.size() != gSongEvents.size() || !JudgeIndexSized()) return;
  const uint32_t position = GetPlaybackPositionMs(now);
  const float d = GetLevelSetting(), s = std::max(0.01f, gPlaybackSpeed);
  const float latest = -(175.0f - 133.0f * d);  // an error at least one base window late
  const size_t n = gSongEvents.size();
  for (size_t i = FirstPendingExpected(); i < n && gSongEvents[i].timeMs <= position; ++i) {
    const SongEvent& e = gSongEvents[i];
    if (!IsSoundingNoteOn(e) || gJudgeStates[i].state != 0) continue;
    if (EventJudgeDeadline(i, d, s) >= position) continue;
    const float dt = (float)((int64_t)e.timeMs - (int64_t)position);
    MarkNoteMissed(i, now, std::min(dt / s, latest));
  }
}
