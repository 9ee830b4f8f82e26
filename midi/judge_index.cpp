// midi/judge_index: note ends computed in one backward pass, the pending hint and the open holds.
//
// A note's end is its first later release on the same channel and note, unless another event of
// that channel and note lying more than 12 s after the note's start comes first; then (and without
// a release) the end is start + 180 ms. Walking the song backwards with, per channel and note, the
// next release and the latest other event before it gives every end in linear time.
#include "midi/judge_index.h"

#include <algorithm>

#include "midi/play_along.h"
#include "midi/playback.h"

// ---- state ----
namespace {
std::vector<uint32_t> sNoteEnds;     // per event: the end of a sounding note-on, else 0
size_t sFirstPending = 0;            // no pending expected note lies below this index
std::vector<uint32_t> sOpenHolds;    // ascending indices of graded hold notes

constexpr uint64_t kStrikeAgainMs = 12000;  // a new event of the note this much later ends the search
constexpr uint32_t kUnreleasedMs = 180;     // length of a note without a release

// Per channel and note, looking from the current event towards the song's end.
struct KeyAhead {
  uint32_t releaseMs;   // time of the next release
  uint32_t otherMs;     // time of the latest other event before that release
  bool hasRelease;
  bool hasOther;
};
KeyAhead sAhead[16 * 256];

uint32_t UnreleasedEnd(uint32_t t) {
  uint64_t end = (uint64_t)t + kUnreleasedMs;
  return end > UINT32_MAX ? UINT32_MAX : (uint32_t)end;
}
}  // namespace

// ---- public functions ----
void RebuildJudgeIndex() {
  const size_t n = gSongEvents.size();
  sNoteEnds.assign(n, 0);
  std::fill(std::begin(sAhead), std::end(sAhead), KeyAhead{0, 0, false, false});
  for (size_t i = n; i-- > 0;) {
    const SongEvent& e = gSongEvents[i];
    int kind = e.status & 0xF0;
    KeyAhead& k = sAhead[(e.status & 0x0F) * 256 + e.data1];
    if (IsSoundingNoteOn(e)) {
      bool blocked = k.hasOther && (uint64_t)k.otherMs > (uint64_t)e.timeMs + kStrikeAgainMs;
      sNoteEnds[i] = (k.hasRelease && !blocked) ? k.releaseMs : UnreleasedEnd(e.timeMs);
    }
    bool release = kind == 0x80 || (kind == 0x90 && e.data2 == 0);
    if (release) {
      k.hasRelease = true;
      k.releaseMs = e.timeMs;
      k.hasOther = false;
    } else if (!k.hasOther) {
      k.hasOther = true;
      k.otherMs = e.timeMs;
    }
  }
  sFirstPending = 0;
  sOpenHolds.clear();
  size_t m = std::min(n, gJudgeStates.size());
  for (size_t i = 0; i < m; ++i) {
    const NoteJudgeState& j = gJudgeStates[i];
    if (j.state >= 1 && j.state <= 3 && j.holdNote && !j.holdBroken) sOpenHolds.push_back((uint32_t)i);
  }
}

bool JudgeIndexSized() { return sNoteEnds.size() == gSongEvents.size(); }

size_t FirstPendingExpected() {
  const size_t n = std::min(gSongEvents.size(), gJudgeStates.size());
  while (sFirstPending < n &&
         !(IsSoundingNoteOn(gSongEvents[sFirstPending]) && gJudgeStates[sFirstPending].state == 0))
    ++sFirstPending;
  return sFirstPending < n ? sFirstPending : kNoEvent;
}

const std::vector<uint32_t>& OpenHolds() { return sOpenHolds; }

void AddOpenHold(size_t index) {
  auto at = std::lower_bound(sOpenHolds.begin(), sOpenHolds.end(), (uint32_t)index);
  if (at != sOpenHolds.end() && *at == index) return;
  sOpenHolds.insert(at, (uint32_t)index);
}

void PruneOpenHolds(uint32_t position) {
  const size_t n = gJudgeStates.size();
  sOpenHolds.erase(std::remove_if(sOpenHolds.begin(), sOpenHolds.end(),
                                  [&](uint32_t i) {
                                    if (i >= n) return true;
                                    const NoteJudgeState& j = gJudgeStates[i];
                                    return j.state < 1 || j.state > 3 || !j.holdNote || j.holdBroken ||
                                           position >= j.holdEndMs;
                                  }),
                   sOpenHolds.end());
}

uint32_t CachedNoteEnd(size_t index) { return index < sNoteEnds.size() ? sNoteEnds[index] : 0; }
