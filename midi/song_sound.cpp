// midi/song_sound: the song's events handed to the output ahead of time, stamped, and kept in step
// with the song clock.
//
// Stamps follow from the anchor of the song clock (gPlayStartMs, whole milliseconds on the 32-bit
// clock) and the speed: t = anchor + songMs / speed, on the microsecond line. Events are sorted by
// time, so their stamps rise with their index: after a cancel at time X, the events handed and
// kept are exactly those before the first whose stamp under the old clock passes X.
#include "midi/song_sound.h"

#include <algorithm>
#include <cmath>

#include "midi/midi_output.h"
#include "midi/playback.h"
#include "platform/clock.h"

// ---- state ----
size_t gSongSoundCursor = 0;            // next event to hand to the output

namespace {
bool gResync = false;                   // a jump: start again from the display's cursor
uint32_t gStampAnchorMs = 0;            // the song clock's anchor the stamps were made with
double gStampSpeed = 1.0;               // ...and its speed
int64_t gStampAnchorUs = 0;             // the anchor on the microsecond line
bool gStampMuted = false;               // ...and the muting
bool gStampValid = false;               // the three above describe what was handed
int64_t gStampFloorUs = INT64_MIN;      // nothing handed after a release falls due before it
int64_t gLastPassUs = INT64_MIN;        // clock time of the last pass that played the song
int64_t gPassSpanUs = 0;                // the longest recent time between two such passes
}  // namespace

// ---- internal helpers ----
namespace {

double Speed() { return std::max((double)gPlaybackSpeed, 0.01); }

int64_t AnchorUs(uint32_t anchorMs) {
  // The 32-bit clock is the low half of the 64-bit millisecond count: the anchor lies within the
  // signed range of now.
  int64_t nowMs = (int64_t)ClockTickMs64() - (int32_t)(ClockMs32() - anchorMs);
  return nowMs * 1000;
}

int64_t Stamp(int64_t anchorUs, double speed, uint32_t songMs) {
  return anchorUs + (int64_t)std::llround((double)songMs * 1000.0 / speed);
}

// Whether the event reaches the output: not a muted note or pedal, and no data byte of 0x80 or
// above (it would read as a status byte on the wire: such an event of a damaged file is shown but
// not sent).
bool SongEventSounds(const SongEvent& e, bool muted) {
  int kind = e.status & 0xF0;
  bool noteOrPedal = kind == 0x80 || kind == 0x90 || (kind == 0xB0 && e.data1 == 64);
  if (muted && noteOrPedal) return false;
  return e.data1 < 0x80 && e.data2 < 0x80;
}

}  // namespace

// ---- public functions ----
void CancelSongSound(int64_t nowUs) {
  CancelMidiOutAfter(nowUs);
  gResync = true;
  // The release that follows is due at nowUs, and the clock's anchor after a jump is a whole
  // millisecond, up to 999 us earlier: the note at the new position (a loop's start) would fall
  // due before the release and be cut by it at once.
  gStampFloorUs = nowUs + 1;
}

void KeepSongSoundInStep(bool muted) {
  if (!IsMidiOutputOpen()) {
    gSongSoundCursor = gEventCursor;
    gResync = false;
    gStampValid = false;
    return;
  }
  double speed = Speed();
  int64_t now = ClockMicros64();
  if (gResync || !gStampValid) {
    gSongSoundCursor = gEventCursor;
  } else if (gPlayStartMs != gStampAnchorMs || speed != gStampSpeed || muted != gStampMuted) {
    // What sounds by now stays; the rest is handed again on the new clock.
    CancelMidiOutAfter(now);
    size_t end = std::min(gSongSoundCursor, gSongEvents.size());
    auto first = std::upper_bound(gSongEvents.begin(), gSongEvents.begin() + (ptrdiff_t)end, now,
                                  [](int64_t limit, const SongEvent& e) {
                                    return limit < Stamp(gStampAnchorUs, gStampSpeed, e.timeMs);
                                  });
    gSongSoundCursor = (size_t)(first - gSongEvents.begin());
  }
  // A loop's end set since the last pass: nothing at or after it may sound before the wrap.
  uint64_t soundEnd = SongSoundEndMs();
  size_t handed = std::min(gSongSoundCursor, gSongEvents.size());
  if (handed > 0 && gSongEvents[handed - 1].timeMs >= soundEnd) {
    auto first = std::lower_bound(gSongEvents.begin(), gSongEvents.begin() + (ptrdiff_t)handed, soundEnd,
                                  [](const SongEvent& e, uint64_t t) { return e.timeMs < t; });
    // Stamps rise with song time, a millisecond at least 500 us apart: this keeps every earlier event.
    if (gStampValid) CancelMidiOutAfter(std::max(now, Stamp(gStampAnchorUs, gStampSpeed, first->timeMs) - 1));
    gSongSoundCursor = std::max((size_t)(first - gSongEvents.begin()), gEventCursor);
  }
  gResync = false;
  gStampValid = true;
  gStampAnchorMs = gPlayStartMs;
  gStampAnchorUs = AnchorUs(gPlayStartMs);
  gStampSpeed = speed;
  gStampMuted = muted;
}

void HandSongSoundAhead(uint32_t untilMs, bool muted) {
  if (!gStampValid) return;
  const size_t count = gSongEvents.size();
  while (gSongSoundCursor < count && gSongEvents[gSongSoundCursor].timeMs <= untilMs) {
    const SongEvent& e = gSongEvents[gSongSoundCursor++];
    if (!SongEventSounds(e, muted)) continue;
    uint32_t message = (uint32_t)e.status | (uint32_t)e.data1 << 8 | (uint32_t)e.data2 << 16;
    SendMidiOutAt(message, std::max(Stamp(gStampAnchorUs, gStampSpeed, e.timeMs), gStampFloorUs));
  }
}

void NoteSongSoundPass(int64_t nowUs) {
  int64_t gap = gLastPassUs == INT64_MIN ? 0 : nowUs - gLastPassUs;
  gLastPassUs = nowUs;
  // A gap of a second or more is the song standing (paused, held), not the pace of the passes.
  if (gap <= 0 || gap >= 1000000) return;
  // A slow stretch of frames keeps the span up for a few dozen passes after its longest one.
  gPassSpanUs = std::max(gap, gPassSpanUs - gPassSpanUs / 32);
}

void ExpectSlowSongSoundPass() { gPassSpanUs = (int64_t)kSongSoundLongestLookAheadMs * 1000; }

uint32_t SongSoundLookAheadMs() {
  int64_t spanMs = (gPassSpanUs + 999) / 1000;
  return (uint32_t)std::clamp<int64_t>(spanMs, kSongSoundLookAheadMs, kSongSoundLongestLookAheadMs);
}

void HandSongSoundThrough(uint32_t posMs, bool muted) {
  double lookAhead = std::round(SongSoundLookAheadMs() * Speed());
  uint64_t until = std::min((uint64_t)posMs + (uint64_t)lookAhead, SongSoundEndMs() - 1);
  HandSongSoundAhead((uint32_t)std::min<uint64_t>(until, UINT32_MAX), muted);
}

uint64_t SongSoundEndMs() {
  if (!gLoopStartSet && !gLoopEndSet) return UINT64_MAX;
  uint32_t length = GetSongLengthMs();
  uint32_t a = gLoopStartSet ? gLoopStartMs : 0;
  uint32_t b = gLoopEndSet ? gLoopEndMs : length;
  // 160 ms is the shortest loop the handles leave (dragged onto each other): it holds too.
  if ((uint64_t)b < (uint64_t)a + 160) return UINT64_MAX;
  // Past the song's end nothing follows what its last tick strikes: a loop to there plays it too.
  return b >= length ? (uint64_t)b + 1 : b;
}

void RestampSongSound(uint32_t posMs) {
  if (!gPlaying || gPaused) return;
  KeepSongSoundInStep(gStampMuted);
  HandSongSoundThrough(posMs, gStampMuted);
}

int64_t SongTimeToClockUs(uint32_t songMs) { return Stamp(AnchorUs(gPlayStartMs), Speed(), songMs); }

void ResetSongSound() {
  gSongSoundCursor = 0;
  gResync = false;
  gStampValid = false;
  gStampAnchorMs = 0;
  gStampAnchorUs = 0;
  gStampSpeed = 1.0;
  gStampMuted = false;
  gLastPassUs = INT64_MIN;
  gPassSpanUs = 0;
}
