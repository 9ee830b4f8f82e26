// tests/app: a generated lesson library of technique items in several types, keys and hands (and a
// few foundation pieces; no etudes), written into a program folder's library and loaded.
#pragma once
#include <string>
#include <vector>

#include "learning/library_index.h"
#include "learning/schedule.h"
#include "tests/support/test_support.h"

struct TechniqueRow {
  const char* id;
  const char* category;
  const char* type;
  const char* name;
  const char* key;
  const char* hand;
};

inline const std::vector<TechniqueRow>& TechniqueRows() {
  static const std::vector<TechniqueRow> rows = {
      {"maj_c_rh", "scales", "Major Scales", "C major - one octave (RH)", "C", "rh"},
      {"maj_c_lh", "scales", "Major Scales", "C major - one octave (LH)", "C", "lh"},
      {"maj_g_rh", "scales", "Major Scales", "G major - one octave (RH)", "G", "rh"},
      {"maj_g_both", "scales", "Major Scales", "G major - hands together", "G", "both"},
      {"maj_d_rh", "scales", "Major Scales", "D major - one octave (RH)", "D", "rh"},
      {"maj_f_lh", "scales", "Major Scales", "F major - one octave (LH)", "F", "lh"},
      {"maj_bb_rh", "scales", "Major Scales", "Bb major - one octave (RH)", "Bb", "rh"},
      {"min_a_rh", "scales", "Minor Scales", "A minor - natural (RH)", "A", "rh"},
      {"min_e_lh", "scales", "Minor Scales", "E minor - natural (LH)", "E", "lh"},
      {"min_d_rh", "scales", "Minor Scales", "D minor - harmonic (RH)", "D", "rh"},
      {"chr_c", "scales", "Chromatic Runs", "Chromatic from C - two octaves", "C", ""},
      {"tri_c", "chords", "Major Triads", "C major - root position", "C", "rh"},
      {"tri_g", "chords", "Major Triads", "G major - root position", "G", "rh"},
      {"sev_c", "chords", "Seventh Chords", "C7 - broken", "C", ""},
      {"mech_1", "mechanics", "Finger Independence", "Five-finger holds", "C", "rh"},
      {"read_t1", "sight", "Treble Reading", "Treble steps", "C", ""},
      {"read_t2", "sight", "Treble Reading", "Treble skips", "G", ""},
      {"read_b1", "sight", "Bass Reading", "Bass steps", "F", ""},
      {"found_1", "foundations", "Basics", "Finding middle C", "C", ""},
      {"found_2", "foundations", "Basics", "Steady pulse", "C", ""},
  };
  return rows;
}

// Writes the index and a one-lesson plan under MIDI/Library of the folder, then loads them.
inline void WriteTechniqueLibrary(const TempDir& dir) {
  std::string index = "header\n";
  for (const TechniqueRow& r : TechniqueRows())
    index += std::string(r.id) + "\t1\t" + r.category + "\t" + r.type + "\t" + r.name + "\tTonvarra\t" + r.key +
             "\t\t\t\t\t" + r.id + ".mid\t100\t100\t0.9\t0.85\t" + r.hand + "\t\t\t\n";
  WriteFileBytes(dir.File("MIDI/Library/library_index.tsv"), index);
  WriteFileBytes(dir.File("MIDI/Library/lesson_plan.tsv"),
                 "lesson\tsection\tid\ttitle\tcount\n1\tx\tfound_1\tFirst steps\t2\n1\tx\tmaj_c_rh\tFirst steps\t2\n");
  LoadLibraryIndex();
}
