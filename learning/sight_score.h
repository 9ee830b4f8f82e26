// learning/sight_score: the score of a sight-reading item, read from its MIDI path followed by
// ".sightscore.tsv", which the staff panel and the board show for reading.
//
// File: lines ended by "\n" (a "\r" before it stays part of the last field); empty lines and lines
// starting with '#' are skipped; other lines are TAB-separated, a keyword then its fields numbered
// from 0. "META": ticks per quarter, beats per bar, beat unit, key signature (sharps, negative for
// flats), key mode v (-1 not shown, 0 major, 1 minor), tempo in BPM. "NOTE": the fields of
// SightScoreNote in order. A missing, empty or bad field takes its default.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One written note, by NOTE field number.
struct SightScoreNote {
  int32_t start_tick = 0;        // 0: onset in ticks from the start
  int32_t length_ticks = 0;      // 1: written length in ticks
  int32_t staff = 0;             // 2: 0 treble, 1 bass
  int32_t midi_note = 60;        // 3: MIDI note number, matches the song's note-on
  int32_t letter = 0;            // 4: letter index 0..6 (C..B)
  int32_t accidental = 0;        // 5: -2..2 flats or sharps on the letter
  int32_t octave = 4;            // 6: octave of the letter (middle C is C4)
  bool dotted = false;           // 7
  uint8_t note_value = 3;        // 8: 1 whole, 2 half, 3 quarter, 4 eighth, 5 sixteenth
  bool tied = false;             // 9: tied to the next note
  bool left_hand = false;        // 10
  bool show_accidental = false;  // 11: the accidental is written (default: accidental != 0)
};

// The score: its header, its notes and whether the last load gave notes.
struct SightScore {
  int32_t ticks_per_quarter = 480;
  int32_t beats_per_bar = 4;
  int32_t beat_unit = 4;
  int32_t key_signature = 0;
  bool minor = false;          // key mode v > 0
  bool key_shown = true;       // key mode v >= 0
  double tempo = 60.0;
  std::vector<SightScoreNote> notes;
  bool active = false;
};

extern SightScore gSightScore;   // the loaded score; defaults when none

// Reads a score file into gSightScore: false and no change when it cannot be opened; otherwise
// the score is rebuilt from defaults and the result is whether it has notes.
bool LoadSightScore(const std::string& path);
// The integer at index (leading number, "12abc" gives 12), or the default when the field is
// missing, empty, not a number or beyond the int range.
int SightScoreField(const std::vector<std::string>& fields, int index, int defaultValue);
// Copies the header and the active flag into gSightScore and moves the notes over.
SightScore& SetSightScore(SightScore& from);
// Puts gSightScore back to the default, empty score.
void ResetSightScore();
// A score with notes is loaded: the sight-reading view has something to read.
bool SightScoreHasNotes();
