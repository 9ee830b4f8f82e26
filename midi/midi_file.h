// midi/midi_file: the Standard MIDI File reader.
//
// Turns one file into what playback needs: the note and sustain-pedal events stamped in ms from the
// song start, the song's tempo list, its time signatures (the metronome's bars), and a key (from
// the first key signature, or estimated from the notes). Nothing else of the file is kept.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One event of a song, 8 bytes. Data bytes are kept as read (a malformed file can give values of
// 0x80 and above), so consumers check a note against 128 before indexing a per-key table.
struct SongEvent {
  uint32_t timeMs;  // ms from the song start
  uint8_t status;   // 0x8n note-off, 0x9n note-on, 0xBn controller (only 64 is kept)
  uint8_t data1;    // note number or controller number
  uint8_t data2;    // velocity or controller value
  uint8_t spare;    // not set, not read
};
static_assert(sizeof(SongEvent) == 8, "SongEvent is 8 bytes");

// One entry of a song's tempo list: ascending, one per distinct ms, starting at 0 ms.
struct TempoPoint {
  uint32_t timeMs;
  int32_t bpm;  // llround(60,000,000 / microseconds per quarter note)
};
static_assert(sizeof(TempoPoint) == 8, "TempoPoint is 8 bytes");

// One time signature of a song: ascending, one per distinct ms. Empty list: the file gives none.
struct TimeSignaturePoint {
  uint32_t timeMs;
  uint8_t numerator;         // beats per bar as written, 1..255
  uint8_t denominatorPower;  // the beat's note value is 2 to this power, 0..6
  uint8_t quarter32nds;      // notated 32nd notes in the file's quarter note: 8, or 12 when a
                             // compound metre puts its dotted quarter there
  uint8_t clocksPerClick;    // the metronome's click in MIDI clocks, 24 to the file's quarter
                             // (36: a dotted quarter); as read, 0 when not known
};
static_assert(sizeof(TimeSignaturePoint) == 8, "TimeSignaturePoint is 8 bytes");

// Reads the file at path (UTF-8). Clears the vectors and sets key = -1, minor = false, error = ""
// on entry. True when at least one event came out; on false, error holds the reason and the
// vectors are empty (key may have been written: callers discard every output on failure).
// Time signatures come out only when asked for; one cut short or impossible is passed over. So does
// exactBpm: parallel to tempo, each point's tempo unrounded, for what counts beats over minutes.
bool ParseMidiFile(const std::string& path, std::vector<SongEvent>& events,
                   std::vector<TempoPoint>& tempo, int& key, bool& minor, std::string& error,
                   std::vector<TimeSignaturePoint>* meters = nullptr, std::vector<double>* exactBpm = nullptr);
// The same over bytes already in memory (the file's whole contents).
bool ParseMidiBytes(const uint8_t* data, size_t size, std::vector<SongEvent>& events,
                    std::vector<TempoPoint>& tempo, int& key, bool& minor, std::string& error,
                    std::vector<TimeSignaturePoint>* meters = nullptr, std::vector<double>* exactBpm = nullptr);

// The accidental (+1, -1 or 0) a key signature of `sharps` (negative = flats) puts on note letter
// 0..6 (C..B); 0 outside -7..7 or 0..6.
int KeySignatureAccidental(int sharps, int letter);

// The order of song events: time, then note-offs (and velocity-0 note-ons) before the sustain
// pedal before sounding note-ons, then data1, then data2. The channel takes no part. The reader,
// which also sees each track's own order, puts one event later: a note-off that follows its own
// note's on within one tick of a track comes after the sounding note-ons of that time.
bool MidiEventLess(const SongEvent& a, const SongEvent& b);
