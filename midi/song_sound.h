// midi/song_sound: the song's road to the MIDI output, apart from its road to the display.
//
// The display and the judges see each event in the first pass of the main loop at or after its
// time (the pump). The sound cannot wait for that pass: each event would sound up to a frame late.
// So every pass hands the output the events that fall due before the next pass, each stamped with
// its own time on the program's clock, and the output sounds it then. Whatever moves the song
// clock (a jump, a pause, a speed change, a held wait) makes the output forget what it was handed
// for after that moment, and the next pass hands it again from the new clock.
#pragma once
#include <cstddef>
#include <cstdint>

#include "midi/midi_file.h"

// How far ahead of the position a pass hands events over at the least: one pass of the main loop.
constexpr uint32_t kSongSoundLookAheadMs = 17;
// ...and at the most, however far apart the passes come (a pass stalled for longer sounds late).
constexpr uint32_t kSongSoundLongestLookAheadMs = 250;

extern size_t gSongSoundCursor;  // next event to hand to the output

// The output forgets what it was handed for after clock time nowUs; the next pass hands events
// again from the display's cursor, none due before nowUs + 1 (called whenever playback jumps,
// pauses or stops, before the release that is due at nowUs).
void CancelSongSound(int64_t nowUs);
// Before the pass's due events: keeps what was handed in step with the song clock (the anchor,
// the speed and the muting may have changed since the last pass).
void KeepSongSoundInStep(bool muted);
// After the pass's due events: hands the output, stamped, every event not handed yet whose time is
// at most `untilMs` (song time).
void HandSongSoundAhead(uint32_t untilMs, bool muted);
// The main loop's pass that plays the song came at clock time nowUs: where drawing is slow, the
// passes come further apart than 17 ms, and each must hand over what falls due before the next.
void NoteSongSoundPass(int64_t nowUs);
// How far ahead (clock ms) a pass hands the sound over: the longest recent time between two passes,
// falling back slowly, within kSongSoundLookAheadMs..kSongSoundLongestLookAheadMs.
uint32_t SongSoundLookAheadMs();
// The next pass is known to be slow, before any gap shows it: the window shows again after it was
// minimised, and the passes that drew nothing came 17 ms apart. The sound is handed over as far
// ahead as it ever is, falling back as the passes' own pace shows.
void ExpectSlowSongSoundPass();
// Hands the output what falls due before the next pass after song position posMs, never up to the
// end of a holding loop (where the song wraps).
void HandSongSoundThrough(uint32_t posMs, bool muted);
// The song time the sound must stay below: the end of a loop that holds (a millisecond past it
// when it is the song's end, so the events at the last tick sound), else UINT64_MAX.
uint64_t SongSoundEndMs();
// At once, not at the next pass: brings what was handed in step with a clock or loop changed just
// now (a speed change, a loop point set), then hands the next pass's events from posMs. Nothing
// while the song is paused or stopped.
void RestampSongSound(uint32_t posMs);
// The clock time (µs on ClockMicros64's line) at which a song time falls with the current anchor
// and speed.
int64_t SongTimeToClockUs(uint32_t songMs);
// Forgets the sound path's state (a song unloaded).
void ResetSongSound();
