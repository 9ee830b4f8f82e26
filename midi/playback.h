// midi/playback: the loaded song and its transport: load and start, pause and resume, the song
// clock with its speed, seeking, the loop region, unloading, and the release of every sounding
// note whenever playback jumps or stops.
//
// Everything runs on the UI thread. Song notes reach the display as display-only note messages
// (bit 30 of the velocity word), by the same road as the keyboard's notes. Clock values are the
// 32-bit ms clock; the song clock is computed from signed 32-bit differences, so it runs on across
// the clock's wrap.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/midi_file.h"

// For a sounding note-on: the sustain-pedal span of its channel that overlaps it. 12 bytes.
struct NotePedalSpan {
  uint8_t present;   // 1 when the event is a note-on with a pedal span
  uint8_t spare8;    // not set, not read
  uint16_t spare16;  // not set, not read
  uint32_t downMs;   // pedal down
  uint32_t upMs;     // pedal up
};
static_assert(sizeof(NotePedalSpan) == 12, "NotePedalSpan is 12 bytes");

// ---- song ----
extern std::vector<SongEvent> gSongEvents;        // the loaded song, sorted by time; empty when none
extern std::vector<TempoPoint> gSongTempo;        // its tempo list
extern std::vector<double> gSongTempoExact;       // parallel to it: each point's tempo unrounded
extern std::vector<TimeSignaturePoint> gSongTimeSignatures;  // its bars, empty when the file gives none
extern int gSongKey;                              // tonic pitch class 0..11, -1 when none
extern bool gSongMinor;                           // the key is minor
extern std::string gSongPath;                     // file name of the song (last path component)
extern std::string gSongTitle;                    // display title made from the file name
extern std::vector<NotePedalSpan> gNotePedalSpans;  // parallel to gSongEvents
extern bool gLearningItemLoaded;                  // the song is a lesson item (set by the learning model)
extern bool gRhythmStudyMode;                     // the loaded lesson item is a rhythm study (set by the learning model)
extern bool gSightReadingMode;                    // the loaded lesson item is a sight-reading item (set by the learning model)
// Called on every song load and unload before the new song's state is set, so the learning model
// forgets its current item and the run-kind flags; the shell connects it, unset it does nothing.
extern void (*gSongChangeHook)();
extern bool gMetronomeSaved;                      // the metronome settings below are saved
extern int gSavedMetronomeBpm;                    // as they were before the first song since unload
extern int gSavedMetronomeBeats;
extern int gSavedMetronomeNoteValue;
extern int gLastSongBpm;                          // the tempo the song last gave the metronome, 0 none

// ---- transport ----
extern bool gPlaying;                 // the song is running (playing or paused)
extern bool gPaused;                  // playback is paused
extern uint32_t gPlayStartMs;         // clock time at which song time 0 was (or would have been)
extern uint32_t gPauseMs;             // clock time of pausing, 0 when not paused
extern float gPlaybackSpeed;          // 0.25..2.0
extern size_t gEventCursor;           // index of the next event to emit
extern uint32_t gLoopStartMs;         // loop point A (song ms)
extern uint32_t gLoopEndMs;           // loop point B (song ms)
extern bool gLoopStartSet;
extern bool gLoopEndSet;
extern bool gKeySounding[128];        // keys the song sounds now
extern float gKeyLevel[128];          // their level, velocity / 127

// Parses the file and starts it as the current song; on a parse failure the current song plays on.
bool LoadAndPlayMidi(const std::string& path);
// Stops and forgets the song, the playlist and the loop; restores the metronome settings.
void UnloadMidi();
// Starts from the top, pauses or resumes.
void TogglePlayback();
// Pauses a playing song where it stands at clock time now, its notes released.
void PausePlayback(uint32_t now);
// A song held still while something stands in front of the program (a file dialog, the start
// screen): its notes released and its clock stopped, so nothing hangs meanwhile and the notes due
// then do not all sound at once after it.
struct SongHold {
  bool held = false;
  std::string before, paused;   // the status line before the hold, and the hold's own
};
// Holds a song that is playing and not paused; nothing otherwise or when already held.
void HoldSong(SongHold* hold);
// Lets a held song go on where it stood, the status line as it was unless something said more
// meanwhile; nothing when another song plays now, or none.
void ReleaseSong(SongHold* hold);
// Releases every note, stops playback and closes the output.
void StopPlaybackAndCloseOutput();
// Releases every note and resets the output without changing the transport.
void SilenceMidiOutput();
// The song position in ms at clock time now (0 when not playing).
uint32_t GetPlaybackPositionMs(uint32_t now);
// Time of the last event, 0 when none.
uint32_t GetSongLengthMs();
// The song position to show at clock time now, within 0..the song's length: the clock runs on past
// the last event until the song counts as ended, and a short song waits there a while.
uint32_t GetShownPlaybackPositionMs(uint32_t now);
// Changes the speed (clamped to 0.25..2.0) keeping the song position.
void SetPlaybackSpeed(float speed);
// The slowest speed the song has played at since its judging last began (a start, a seek, a turn
// of the loop), the current speed included: a judged run's tempo is counted at it, so a run played
// slowly does not count at the speed set before its last note.
float RunSlowestSpeed();
// Counts the run's speed afresh from the current one; where the judge records start again.
void ResetRunSpeed();
// 0.25 + 1.75 x clamp(fraction, 0, 1).
float SpeedFromSlider(float fraction);
// The speed slider's fraction 0..1 under mouse x.
float SpeedSliderFraction(int mouseX);
// Jumps to a song time (clamped to the song length); only while playing. The judge records start
// again, and in a run the notes before the time are passed.
void SeekPlayback(uint32_t ms);
// Set loop point A or B; only with a song of positive length.
void SetLoopStart(uint32_t ms);
void SetLoopEnd(uint32_t ms);
// Keeps A and B inside the song and at least 120 ms apart (a short region grows to 320 ms).
void NormaliseLoopRegion();
// "m:ss.t" of minutes, seconds and tenths.
std::string FormatTimeMss(uint32_t ms);
// A song is playing, loaded, named, or a playlist is present.
bool HasMidiContent();
// Selects the song's key on the circle: Aeolian for minor, Ionian for major.
void SelectSongKeyScale();

// The display title of a song file name (see the load): version and export words dropped, words
// spaced, case normalised.
std::string MakeSongTitle(const std::string& fileName);
// The pedal spans of a song, parallel to its events.
std::vector<NotePedalSpan> BuildNotePedalSpans(const std::vector<SongEvent>& events);
// Releases every key the song sounds on the display, lifts the pedal there and, with an output
// open, makes it forget what it was handed for later and sends the all-notes-off sequence (after
// what was due by now).
void ReleaseSongNotes();
