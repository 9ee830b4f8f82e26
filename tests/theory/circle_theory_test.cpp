// The circle mapping, membership against the current scale, triads, degree labels and spelling.
#include <string>

#include "app/base/note_tables.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"

using CircleTheory = TheoryTest;

TEST_F(CircleTheory, RingPositionsOfAnyInteger) {
  struct Case { int pc, ringPos, anyIntRingPos, relativeMinorPos; } cases[] = {
      {0, 0, 0, 9}, {7, 1, 1, 10}, {5, 11, 11, 8}, {12, 0, 0, 0}, {-1, 0, 5, 0}, {-5, 0, 1, 0}, {19, 0, 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RingPosOfPitchClass(c.pc), c.ringPos) << c.pc;
    EXPECT_EQ(PitchClassToRingPos(c.pc), c.anyIntRingPos) << c.pc;
    EXPECT_EQ(RelativeMinorRingPos(c.pc), c.relativeMinorPos) << c.pc;
  }
}

TEST_F(CircleTheory, MembershipAndEveryNoteAllowed) {
  UseScale(kRowIonian, 2);  // D major
  struct Case { int pc; bool in; } cases[] = {
      {2, true}, {6, true}, {1, true}, {5, false}, {0, false}, {18, true}, {-6, true}, {-7, false}};
  for (const Case& c : cases) EXPECT_EQ(ScaleContainsPitchClass(c.pc), c.in) << c.pc;
  EXPECT_TRUE(ScaleHasTriad(2, 4, 7));   // D F# A
  EXPECT_FALSE(ScaleHasTriad(0, 4, 7));  // C is not in D major
  gCurrentScale = nullptr;
  EXPECT_FALSE(ScaleContainsPitchClass(0));
  gAllNotesAllowed = true;
  for (int pc = 0; pc < 12; ++pc) {
    EXPECT_TRUE(ScaleContainsPitchClass(pc));
    bool aug = true;
    EXPECT_EQ(MajorTriadScore(pc, &aug), 1.0f);
    EXPECT_FALSE(aug);
  }
}

TEST_F(CircleTheory, TriadScores) {
  struct Case { ScaleRowId row; int root, pc; float major; bool augmented; float minor; } cases[] = {
      {kRowIonian, 0, 0, 1.0f, false, 0.0f},           // C E G
      {kRowIonian, 0, 11, 0.0f, false, 1.0f},          // B D F, diminished counts as minor
      {kRowHarmonicMinor, 9, 0, 0.85f, true, 0.0f},    // C E G# in A harmonic minor
      {kRowIwato, 0, 1, 0.55f, false, 0.0f},           // Db F without Ab or A
      {kRowMajorPentatonic, 0, 4, 0.0f, false, 0.55f},  // E G without B or Bb
      {kRowChromatic, 5, 3, 1.0f, false, 1.0f},
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.root);
    bool aug = !c.augmented;
    EXPECT_FLOAT_EQ(MajorTriadScore(c.pc, &aug), c.major) << gScaleRows[c.row].name << " " << c.pc;
    EXPECT_EQ(aug, c.augmented) << gScaleRows[c.row].name << " " << c.pc;
    EXPECT_FLOAT_EQ(MinorTriadScore(c.pc), c.minor) << gScaleRows[c.row].name << " " << c.pc;
  }
  UseScale(kRowWholeTone, 0);
  EXPECT_TRUE(AnyTriadAvailable());  // augmented triads count
  ScaleRow semitone = MakeScaleRow("Two", "two", 0, 0, 0, {0, 1});
  gCurrentScale = &semitone;
  EXPECT_FALSE(AnyTriadAvailable());
}

TEST_F(CircleTheory, ChordDegreeLabels) {
  struct Case {
    ScaleRowId row;
    int root;
    const char* labels;  // by pitch class C..B, "-" for empty
  } cases[] = {
      {kRowIonian, 0, "I - ii - iii IV - V - vi - viio"},
      {kRowIonian, 7, "IV - V - vi - viio I - ii - iii"},
      {kRowAeolian, 9, "III - iv - v VI - VII - i - iio"},
      {kRowHarmonicMinor, 9, "III - iv - V VI - - viio i - iio"},
      {kRowMajorPentatonic, 0, "- - - - - - - - - - - -"},
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.root);
    std::string got;
    for (int pc = 0; pc < 12; ++pc) {
      std::string label = ChordDegreeLabel(RingPosOfPitchClass(pc));
      got += (pc ? " " : "") + (label.empty() ? std::string("-") : label);
    }
    EXPECT_EQ(got, c.labels) << gScaleRows[c.row].name << " on " << c.root;
  }
  UseScale(kRowIonian, 0);
  EXPECT_EQ(ChordDegreeLabel(13), "V");  // position 13 is position 1, G
  EXPECT_EQ(ChordDegreeLabel(-11), "V");
}

TEST_F(CircleTheory, TonicSpelling) {
  ScaleRow sharpsWithDouble = MakeScaleRow("X", "x", 0, 0, 0, {1, 3, 4, 6, 8, 9, 11});
  ScaleRow doubleTonicFits = MakeScaleRow("Z", "z", 0, 0, 0, {0, 1, 3, 4, 6, 8, 9});
  ScaleRow doubleAvoided = MakeScaleRow("Y", "y", 0, 0, 0, {1, 2, 4, 6, 8, 9, 11});
  struct Case { const ScaleRow* row; int root; const char* name; } cases[] = {
      {&gScaleRows[kRowIonian], 6, "F#"},  // 6 and -6 tie: sharps win
      {&gScaleRows[kRowIonian], 1, "Db"},
      {&gScaleRows[kRowIonian], -2, "Bb"},
      {&gScaleRows[kRowAeolian], 3, "D#"},  // -3 - 3 = -6, tied with 6
      {&gScaleRows[kRowPhrygian], 1, "C#"},         // -9 wraps to 3
      {&gScaleRows[kRowMinorPentatonic], 3, "D#"},  // minor family: signature 6
      {&gScaleRows[kRowHarmonicMajor], 1, "Db"},    // major family
      {&gScaleRows[kRowWholeTone], 6, "F#"},        // symmetric: the root's major signature
      {&gScaleRows[kRowChinese], 0, "C"},          // best fit: G major
      {&gScaleRows[kRowEnigmaticMajor], 0, "C"},   // B major's B# would need F### and G###
      {&gScaleRows[kRowEnigmaticMajor], 5, "F"},   // not E#, whose C### doubles D
      {&gScaleRows[kRowEnigmaticMajor], 10, "Bb"},
      {&gScaleRows[kRowEnigmaticMinor], 10, "Bb"},
      {&gScaleRows[kRowEnigmaticMajor], 3, "Eb"},   // not D#, whose run has five double sharps
      {&gScaleRows[kRowEnigmaticMajor], 8, "Ab"},
      {&gScaleRows[kRowEnigmaticMajor], 1, "Db"},
      {&gScaleRows[kRowEnigmaticMinor], 3, "Eb"},
      {&gScaleRows[kRowSuperLocrian], 5, "E#"},    // its degrees fit: the signature's name stays
      {&doubleTonicFits, 2, "C##"},                // best fit F# major, no alternative
      {&sharpsWithDouble, 2, "D"},                 // C## would need C### for its first degree
      {&doubleAvoided, 2, "D"},                    // C## avoided by its alternative
      {nullptr, 3, "Eb"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SpellScaleNotes(c.root, c.row), c.name) << (c.row ? c.row->name : "null") << " on " << c.root;
  EXPECT_EQ(SpellScaleAtRingPos(19, &gScaleRows[kRowIonian]), "Db");
}

TEST_F(CircleTheory, NoteNamesInTheCurrentKey) {
  struct Case { ScaleRowId row; int root, pc; const char* name; } cases[] = {
      {kRowIonian, 5, 1, "Db"},  // F major
      {kRowIonian, 2, 1, "C#"},  // D major
      {kRowDorian, 9, 1, "C#"},  // A Dorian: 3 - 3 = 0, sharps
      {kRowAeolian, 0, 3, "Eb"},  // C minor: -3
      {kRowMajorBlues, 7, 6, "F#"},
      {kRowIonian, 0, 13, "C#"},  // C major: sharp names; pc wraps
      {kRowIonian, 0, -1, "B"},
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.root);
    EXPECT_EQ(NoteNameInKey(c.pc), c.name) << gScaleRows[c.row].name << " " << c.root;
  }
  gCurrentScale = nullptr;
  gKeyRoot = 5;
  EXPECT_EQ(NoteNameInKey(1), "Db");
}

// A scale of any other size names its notes from the sharp or flat table, and the caption's tonic
// must be the note the chord names and the staff call it: F Iwato, not the E# that F# major's six
// sharps would make of it beside an F on the staff.
TEST_F(CircleTheory, TonicOfAScaleOfOtherSizeIsNamedAsItsNotesAre) {
  for (const ScaleRow& row : gScaleRows) {
    if (row.count == 7) continue;
    for (int tonic = 0; tonic < 12; ++tonic) {
      gCurrentScale = &row;
      gKeyRoot = tonic;
      EXPECT_EQ(SpellScaleNotes(tonic, &row), NoteNameInKey(tonic)) << row.name << " on " << tonic;
    }
  }
  EXPECT_EQ(SpellScaleNotes(5, &gScaleRows[kRowIwato]), "F");
  EXPECT_EQ(SpellScaleNotes(5, &gScaleRows[kRowEightToneSpanish]), "F");
}

// A degree of a seven-note scale is named on its own letter, whichever kind of sign it needs: the
// raised seventh of D harmonic minor is C#, not the signature's Db (chord "C#dim", not "Dbdim").
// Notes off the scale, degrees that would need a double sign and other scale sizes keep the
// signature's sharps or flats.
TEST_F(CircleTheory, DegreesAreNamedOnTheirOwnLetters) {
  struct Case { ScaleRowId row; int root, pc; const char* name; } cases[] = {
      {kRowHarmonicMinor, 2, 1, "C#"},   {kRowHarmonicMinor, 7, 6, "F#"},
      {kRowMelodicMinor, 7, 6, "F#"},    {kRowHarmonicMajor, 0, 8, "Ab"},
      {kRowHarmonicMajor, 2, 10, "Bb"},  {kRowHungarianMinor, 0, 6, "F#"},
      {kRowHarmonicMinor, 6, 5, "E#"},   {kRowHarmonicMinor, 1, 0, "B#"},
      {kRowHarmonicMinor, 2, 3, "Eb"},   // off the scale: D minor's flats
      {kRowIonian, 0, 10, "A#"},         // off the scale: C major's sharp table
      {kRowHungarianMinor, 1, 7, "G"},   // F## avoided
      {kRowMinorPentatonic, 2, 1, "Db"}, // five notes: the signature decides
      {kRowEnigmaticMajor, 0, 1, "Db"},  // on C, as B#'s run would need triple sharps
      {kRowEnigmaticMinor, 10, 5, "F"},  // not E# beside E
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.root);
    EXPECT_EQ(NoteNameInKey(c.pc), c.name) << gScaleRows[c.row].name << " on " << c.root << ", pc " << c.pc;
  }
}
