// midi/song_beat: the song's beat as the playback pump reports it to the metronome's beat grid.
//
// While a song plays with a usable tempo list, the pump fills one SongBeatInfo per pass from the
// song position and hands it to the teaching code (SyncTeachingClickToSong), which clicks on the
// song's beats instead of its own free-running grid. A beat is the file's quarter note, or the note
// its time signature asks the clicks on (a 6/8's dotted quarter); beats are counted from the song
// start through the tempo list, so a tempo change moves the beat length without moving the beats
// before it.
#pragma once
#include <cstdint>

struct SongBeatInfo {
  int64_t beatIndex;        // whole beats since the song start
  int32_t beatInBar;        // beatIndex within the bar, 0 = downbeat
  int32_t beatsPerBar;      // the song's bar in beats, or the metronome's when the song gives none
  double secondsPerBeat;    // real seconds: already divided by the playback speed
  double secondsSinceBeat;  // real seconds since beat beatIndex
  uint8_t paused;           // playback is paused
  int64_t resyncBeatIndex;  // beat of the start or seek position just made, -1 when none
  uint8_t resyncNearBeat;   // that position lies within 40 ms after its beat
};

// Set when playback starts or seeks; the pump clears it right after handing the record over.
extern bool gSongBeatResync;

// Rebuilds the beat count at each tempo point of gSongTempo and the bars of gSongTimeSignatures;
// after every change of the song.
void RebuildSongBeatTable();
// The song's tempo at a position, unrounded (at least 1 BPM); 0 with no tempo list.
double SongBpmAt(uint32_t posMs);
// The file's quarter notes in one beat (one click) at a position: 1.5 in a 6/8 clicked on its
// dotted quarters, 1 when the song gives no time signature.
double SongBeatQuarters(uint32_t posMs);
// The clicks from one accent to the next at a position: 2 in a 6/8 clicked on its dotted quarters;
// 0 when the song gives no time signature (the metronome's own bar counts).
int SongBarClicks(uint32_t posMs);
// A start or seek to song position posMs: raises gSongBeatResync and remembers the position.
void MarkSongBeatResync(uint32_t posMs);
// The beat record at a song position, its bars the song's own or, when it gives no time signature,
// beatsPerBar (the metronome's); false when the song has no usable tempo list.
bool ComputeSongBeatInfo(uint32_t posMs, double speed, int beatsPerBar, bool paused, SongBeatInfo* out);
// No resync pending and an empty beat table.
void ResetSongBeat();
