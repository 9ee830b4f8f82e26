// app/staff_song_feed: the song-to-score map and the staff's coming notes.
#include "app/staff_song_feed.h"

#include <algorithm>

#include "app/base/view_modes.h"
#include "learning/sight_score.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"

// ---- state ----
std::vector<int> gSongToScoreMap;   // per song event: score note index or -1
int gSongToScoreEventCount = -1;    // cache key: the song's event count
int gSongToScoreNoteCount = -1;     // cache key: the score's note count

// ---- internal helpers ----
static bool IsNoteOn(const SongEvent& e) { return (e.status & 0xF0) == 0x90 && e.data2 > 0; }

// ---- public functions ----
void BuildSongToScoreMap() {
  if (!gSightScore.active) {
    gSongToScoreMap.clear();
    gSongToScoreEventCount = gSongToScoreNoteCount = -1;
    return;
  }
  int events = (int)gSongEvents.size(), notes = (int)gSightScore.notes.size();
  if (events == gSongToScoreEventCount && notes == gSongToScoreNoteCount && (int)gSongToScoreMap.size() == events)
    return;
  gSongToScoreMap.assign((size_t)events, -1);
  int cursor = 0;
  for (int i = 0; i < events; ++i) {
    if (!IsNoteOn(gSongEvents[(size_t)i])) continue;
    int last = std::min(cursor + 8, notes - 1);
    for (int j = cursor; j <= last; ++j) {
      if (gSightScore.notes[(size_t)j].midi_note == gSongEvents[(size_t)i].data1) {
        gSongToScoreMap[(size_t)i] = j;
        cursor = j + 1;
        break;
      }
    }
  }
  gSongToScoreEventCount = events;
  gSongToScoreNoteCount = notes;
}

void FillStaffSongFeed(StaffSongFeed* out) {
  out->upcoming.clear();
  out->waiting = gWaitMode && !gSongEvents.empty();
  if (!out->waiting) return;
  BuildSongToScoreMap();
  uint32_t position = GetPlaybackPositionMs(ClockMs32());
  // While the song waits at a note, that note is the one to play: it stays at the play line, though
  // the clock has moved on a few milliseconds since the pump held it.
  if (gWaitHolding && gWaitEventMs < position) position = gWaitEventMs;
  uint32_t horizon = position + (uint32_t)kStaffLookAheadMs;
  auto first = std::lower_bound(gSongEvents.begin(), gSongEvents.end(), position,
                                [](const SongEvent& e, uint32_t t) { return e.timeMs < t; });
  for (auto it = first; it != gSongEvents.end() && it->timeMs <= horizon; ++it) {
    if (!IsNoteOn(*it)) continue;
    StaffSongNote n;
    n.aheadMs = (float)(it->timeMs - position);
    n.note = it->data1;
    size_t index = (size_t)(it - gSongEvents.begin());
    int match = index < gSongToScoreMap.size() ? gSongToScoreMap[index] : -1;
    if (match >= 0 && match < (int)gSightScore.notes.size()) {
      const SightScoreNote& s = gSightScore.notes[(size_t)match];
      n.scored = true;
      n.letter = s.letter;
      n.octave = s.octave;
      n.accidental = s.accidental;
      n.showAccidental = s.show_accidental;
    }
    out->upcoming.push_back(n);
  }
}

void ResetStaffSongFeed() {
  gSongToScoreMap.clear();
  gSongToScoreEventCount = gSongToScoreNoteCount = -1;
}
