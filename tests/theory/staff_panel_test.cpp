// tests/theory: the staff panel's logic: where notes sit, which steps are lines, where the panel
// stands, the lit levels from the held notes (damaged note numbers and velocities included) and
// the caption in both modes, spelled in the key the staff and the chord names use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"
#include "theory/staff_panel.h"

namespace {

class StaffPanelTest : public TheoryTest {
 protected:
  void SetUp() override {
    TheoryTest::SetUp();
    ResetStaffPanel();
    ResetNoteTables();
    gClientWidth = 1440;
    gClientHeight = 920;
  }
  void TearDown() override {
    ResetStaffPanel();
    ResetNoteTables();
    gLayoutFactsHook = nullptr;
    gStaffOffScaleHook = nullptr;
    gStaffFloorHook = nullptr;
    TheoryTest::TearDown();
  }
  static void Hold(int note, int velocity) {
    HeldNote h{};
    h.note = note;
    h.velocity = velocity;
    h.sounding = 1;
    h.keyDown = 1;
    gHeldNotes.push_back(h);
  }
};

TEST_F(StaffPanelTest, NotesAndLettersSitOnTheirSteps) {
  const float y0 = 500.0f, step = 6.0f;
  struct Case {
    int note;
    bool flats;
    float steps;  // above middle C
  } cases[] = {
      {60, false, 0}, {60, true, 0},  {61, false, 0},   {61, true, 1},   {59, false, -1},
      {72, false, 7}, {48, true, -7}, {66, false, 3},   {66, true, 4},   {0, false, -35},
      {127, true, 39}, {-1, false, -36},  // below C-1 rounds down, never up into the octave above
  };
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(StaffYForNote(c.note, y0, step, c.flats), y0 - c.steps * step) << c.note << " " << c.flats;
  EXPECT_FLOAT_EQ(StaffYForLetter(0, 4, y0, step), y0);
  EXPECT_FLOAT_EQ(StaffYForLetter(0, 5, y0, step), y0 - 7 * step);
  EXPECT_FLOAT_EQ(StaffYForLetter(6, 3, y0, step), y0 + step);
  EXPECT_FLOAT_EQ(StaffYForLetter(-1, 4, y0, step), y0 - 6 * step) << "letters wrap into 0..6";
}

TEST_F(StaffPanelTest, TheTenLinesAreTheStavesAndMiddleCIsNoneOfThem) {
  StaffGeometry g = StaffGeometryIn({100, 100, 600, 13.3f * 20}, 20);
  float step = g.sp / 2;
  int lines = 0;
  for (int k = -20; k <= 20; ++k) {
    bool on = IsOnStaffLine(g, g.middleCY - k * step);
    lines += on;
    bool expected = (k % 2 == 0) && ((k >= 2 && k <= 10) || (k <= -2 && k >= -10));
    EXPECT_EQ(on, expected) << k;
  }
  EXPECT_EQ(lines, 10);
  EXPECT_TRUE(IsOnStaffLine(g, g.trebleTop + 0.15f * g.sp));
  EXPECT_FALSE(IsOnStaffLine(g, g.trebleTop + 0.2f * g.sp));
  // E4 is the treble staff's bottom line, A3 the bass staff's top.
  EXPECT_FLOAT_EQ(StaffYForNote(64, g.middleCY, step, false), g.trebleTop + 4 * g.sp);
  EXPECT_FLOAT_EQ(StaffYForNote(57, g.middleCY, step, false), g.bassTop);
}

// The panel's margins hold one ledger line above and below the staves: C6 once stood past the
// panel's top edge, C2 past its foot. A note whose head would leave the panel is written whole
// octaves nearer, no further out than the space beside its staff, under the mark a reader knows.
// Each head was once moved by itself, so C7 and C8 held together both stood on C5 under "8va" and
// "15ma" printed on one spot, and of A5 C6 E6 only C6 and E6 went down, below A5, with C6's mark
// inside A5's head. A chord now moves as one; one reaching past both edges, or further than the
// panel holds, moves its notes beyond each edge as a group of its own (C1 and C8: C3 under 15mb and
// C5 under 22ma), the fewest notes in reach going with them to keep the order (E2 A5 C7: A3 and C5
// under 15ma). C4 C5 B6 fits no way and keeps its order as C3 C4 B5 under 8va, B5 just past the
// edge, and C1 A5 C6 E6 C8 as C3 under 15mb and A3 C4 E4 C6 under 15ma.
// For each chord: the notes, what each is written as and its octaves; at 20 px and at 9 px (the
// smallest spacing, where a head is 4.2 px high, not 0.24 spacings). Every head stands in the panel
// but where the chord fits no way, distinct notes on distinct rows in their order, and each mark
// clear of every head and ledger line, over its group, one per group.
TEST_F(StaffPanelTest, NotesBeyondThePanelAreWrittenOctavesNearer) {
  struct Case {
    std::vector<int> notes, written, octaves;
    bool fits;
  } cases[] = {
      {{81}, {81}, {0}, true},       {{83}, {71}, {1}, true},        {{84}, {72}, {1}, true},
      {{91}, {79}, {1}, true},       {{93}, {69}, {2}, true},        {{96}, {72}, {2}, true},
      {{108}, {72}, {3}, true},      {{127}, {79}, {4}, true},       {{64}, {64}, {0}, true},
      {{40}, {40}, {0}, true},       {{38}, {50}, {-1}, true},       {{36}, {48}, {-1}, true},
      {{29}, {41}, {-1}, true},      {{28}, {52}, {-2}, true},       {{21}, {45}, {-2}, true},
      {{0}, {48}, {-4}, true},
      {{84, 96}, {60, 72}, {2, 2}, true},
      {{108, 96}, {72, 60}, {3, 3}, true},
      {{96, 100, 103, 108}, {60, 64, 67, 72}, {3, 3, 3, 3}, true},
      {{81, 84, 88}, {69, 72, 76}, {1, 1, 1}, true},
      {{24, 36}, {48, 60}, {-2, -2}, true},
      {{60, 64, 67, 84}, {48, 52, 55, 72}, {1, 1, 1, 1}, true},
      {{81, 84, 88, 91, 96, 100, 103, 108}, {45, 48, 52, 55, 60, 64, 67, 72}, {3, 3, 3, 3, 3, 3, 3, 3}, true},
      {{24, 108}, {48, 72}, {-2, 3}, true},
      {{36, 60, 84}, {48, 60, 72}, {-1, 0, 1}, true},
      {{40, 81, 96}, {40, 57, 72}, {0, 2, 2}, true},
      {{96, 81, 40}, {72, 57, 40}, {2, 2, 0}, true},
      {{60, 72, 95}, {48, 60, 83}, {1, 1, 1}, false},
      {{24, 81, 84, 88, 108}, {48, 57, 60, 64, 84}, {-2, 2, 2, 2, 2}, false},
  };
  for (float sp : {20.0f, 9.0f}) {
    const StaffGeometry g = StaffGeometryIn({100, 100, 600, 13.3f * sp}, sp);
    const StaffHeadSizes sizes = StaffHeadSizesFor(sp);
    const float step = sp / 2, halfH = sizes.halfH;
    for (const Case& c : cases) {
      std::string what = "chord";
      for (int n : c.notes) what += " " + std::to_string(n);
      what += " at " + std::to_string((int)sp);
      std::vector<float> ys;
      for (int n : c.notes) ys.push_back(StaffYForNote(n, g.middleCY, step, false));
      const std::vector<int> octaves = StaffChordOttava(g, halfH, &ys);
      EXPECT_EQ(octaves, c.octaves) << what;
      ASSERT_EQ(ys.size(), c.notes.size()) << what;
      std::vector<StaffHeadSign> heads;
      for (size_t i = 0; i < ys.size(); ++i) {
        EXPECT_NEAR(ys[i], StaffYForNote(c.written[i], g.middleCY, step, false), 0.01f) << what << ": " << c.notes[i];
        if (c.fits) {
          EXPECT_GE(ys[i] - halfH, g.panel.y) << what << ": " << c.notes[i];
          EXPECT_LE(ys[i] + halfH, g.panel.y + g.panel.h) << what << ": " << c.notes[i];
        }
        for (size_t j = 0; j < ys.size(); ++j)
          if (c.notes[i] < c.notes[j]) EXPECT_GT(ys[i] - ys[j], 0.25f * sp) << what << ": " << c.notes[i] << " below " << c.notes[j];
        heads.push_back({300.0f, ys[i], 0});
      }
      // A mark as wide as "22ma" and as high as its digits, set in a small font.
      const float width = 2.2f * sp, height = std::max(0.55f * sp, 7.0f);
      for (int k : {-4, -3, -2, -1, 1, 2, 3, 4}) {
        std::vector<size_t> group;
        for (size_t i = 0; i < octaves.size(); ++i)
          if (octaves[i] == k) group.push_back(i);
        if (group.empty()) continue;
        const RectF box = StaffOttavaMarkBox(g, sizes, heads, group, k, width, height);
        EXPECT_FLOAT_EQ(box.x + box.w / 2, 300.0f) << what << ": the mark of " << k << " over its heads";
        for (size_t i = 0; i < heads.size(); ++i) {
          const bool clear = box.y >= heads[i].y + halfH || box.y + box.h <= heads[i].y - halfH;
          EXPECT_TRUE(clear) << what << ": the mark of " << k << " on the head of " << c.notes[i];
          if (std::find(group.begin(), group.end(), i) != group.end())
            EXPECT_TRUE(k > 0 ? box.y + box.h <= heads[i].y - halfH : box.y >= heads[i].y + halfH)
                << what << ": the mark of " << k << " beyond the head of " << c.notes[i];
        }
      }
    }
  }
  // Any chord at all keeps its order: every two-note chord, and seeded chords of three to eight
  // notes anywhere on the keyboard.
  const StaffGeometry g = StaffGeometryIn({100, 100, 600, 13.3f * 20}, 20);
  const float halfH = StaffHeadSizesFor(20).halfH;
  std::mt19937 random(7);
  std::vector<std::vector<int>> chords;
  for (int a = 21; a <= 108; ++a)
    for (int b = a; b <= 108; ++b) chords.push_back({a, b});
  for (int i = 0; i < 3000; ++i) {
    std::vector<int> chord((size_t)std::uniform_int_distribution<int>(3, 8)(random));
    for (int& n : chord) n = std::uniform_int_distribution<int>(21, 108)(random);
    chords.push_back(chord);
  }
  for (const std::vector<int>& chord : chords) {
    std::vector<float> rows, ys;
    for (int n : chord) rows.push_back(StaffYForNote(n, g.middleCY, 10, false));
    ys = rows;
    const std::vector<int> octaves = StaffChordOttava(g, halfH, &ys);
    for (size_t i = 0; i < chord.size(); ++i) {
      ASSERT_NEAR(ys[i], rows[i] + (float)octaves[i] * 70.0f, 0.01f) << chord[i];
      for (size_t j = 0; j < chord.size(); ++j) {
        if (rows[i] > rows[j]) ASSERT_GT(ys[i] - ys[j], 5.0f) << chord[i] << " below " << chord[j];
        if (rows[i] == rows[j]) ASSERT_EQ(ys[i], ys[j]) << chord[i] << " on the row of " << chord[j];
      }
    }
  }
  const std::pair<int, const char*> marks[] = {{0, ""}, {1, "8va"}, {2, "15ma"}, {3, "22ma"}, {4, "29ma"},
                                               {-1, "8vb"}, {-2, "15mb"}, {-4, "29mb"}};
  for (const auto& m : marks) EXPECT_EQ(StaffOttavaMark(m.first), m.second) << m.first;
}

// A chord's mark keeps clear of the heads of another chord at its place: the song's C6 and E6 are
// written as C5 and E5 under 8va while an A5 played a moment before stands at the play line on the
// ledger line above the staff, where the mark would go; the mark stands over the A5. With the A5
// well apart, the mark keeps its place between the staff and the panel's edge.
TEST_F(StaffPanelTest, AChordsMarkKeepsClearOfOtherHeads) {
  const float sp = 20.0f;
  const StaffGeometry g = StaffGeometryIn({100, 100, 600, 13.3f * sp}, sp);
  const StaffHeadSizes sizes = StaffHeadSizesFor(sp);
  const float step = sp / 2;
  std::vector<float> ys = {StaffYForNote(84, g.middleCY, step, false), StaffYForNote(88, g.middleCY, step, false)};
  ASSERT_EQ(StaffChordOttava(g, sizes.halfH, &ys), (std::vector<int>{1, 1}));
  const float a5 = StaffYForNote(81, g.middleCY, step, false);
  for (float otherX : {300.0f, 310.0f, 360.0f}) {
    const std::vector<StaffHeadSign> heads = {{300.0f, ys[0], 0}, {300.0f, ys[1], 0}, {otherX, a5, 0}};
    const RectF box = StaffOttavaMarkBox(g, sizes, heads, {0, 1}, 1, 2.2f * sp, 0.55f * sp);
    if (otherX < 350.0f) {
      EXPECT_LE(box.y + box.h, a5 - sizes.halfH) << "the mark over the A5 at " << otherX;
    } else {
      EXPECT_FLOAT_EQ(box.y + box.h, g.trebleTop - 0.9f * g.sp) << "the mark in the margin, the A5 well apart";
    }
  }
}

// A fast run past the staff gives every chord its mark at nearly one place: the marks must not print
// over each other or over the caption below the bass staff.
TEST_F(StaffPanelTest, OctaveMarksKeepOffEachOtherAndTheCaption) {
  const RectF caption = {20, 400, 150, 16};
  const float air = 2.0f;
  std::vector<StaffOttavaPlace> marks = {
      {{300, 40, 40, 11}, 2},   // 15ma
      {{306, 40, 40, 11}, 2},   // the next chord's 15ma, touching: the first stands for both
      {{312, 40, 40, 11}, 3},   // 22ma there: further up, clear of the 15ma
      {{318, 40, 40, 11}, 3},   // and the next 22ma joins it
      {{600, 40, 40, 11}, 2},   // a 15ma well apart keeps its own mark
      {{100, 402, 40, 11}, -2}, // a 15mb over the caption is left out
      {{300, 402, 40, 11}, -2}, // one clear of it stands
      {{310, 402, 40, 11}, -1}, // an 8vb beside it goes further down
  };
  SettleStaffOttavaMarks(&marks, caption, air);
  auto hidden = [](const StaffOttavaPlace& m) { return m.box.x == kHiddenRect.x && m.octaves == 0; };
  EXPECT_FLOAT_EQ(marks[0].box.y, 40);
  EXPECT_TRUE(hidden(marks[1]));
  EXPECT_EQ(marks[2].octaves, 3);
  EXPECT_LE(marks[2].box.y + marks[2].box.h + air, marks[0].box.y);
  EXPECT_TRUE(hidden(marks[3]));
  EXPECT_FLOAT_EQ(marks[4].box.y, 40);
  EXPECT_TRUE(hidden(marks[5]));
  EXPECT_FLOAT_EQ(marks[6].box.y, 402);
  EXPECT_EQ(marks[7].octaves, -1);
  EXPECT_GE(marks[7].box.y, marks[6].box.y + marks[6].box.h + air);

  // Where further down would leave what can be seen (the note-fall keyboard below), the 8vb stands
  // beside the 15mb instead.
  const RectF seen = {0, 0, 800, 420};
  std::vector<StaffOttavaPlace> low = {{{300, 405, 40, 11}, -2}, {{310, 405, 40, 11}, -1}};
  SettleStaffOttavaMarks(&low, caption, air, seen);
  ASSERT_EQ(low[1].octaves, -1);
  EXPECT_FLOAT_EQ(low[1].box.y, 405);
  EXPECT_GE(low[1].box.x, low[0].box.x + low[0].box.w + air);
  // Whatever stands, no two boxes meet.
  for (size_t i = 0; i < marks.size(); ++i)
    for (size_t j = i + 1; j < marks.size(); ++j) {
      if (marks[i].octaves == 0 || marks[j].octaves == 0) continue;
      const RectF &a = marks[i].box, &b = marks[j].box;
      EXPECT_FALSE(a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h) << i << " " << j;
    }
}

// A head's sign: a black key's pitch without a score by the key's flats; with a score, its
// accidental even where the score leaves it to a key signature, which this staff does not draw.
TEST_F(StaffPanelTest, HeadsCarryTheSignsAReaderNeeds) {
  EXPECT_EQ(StaffAccidentalFor(61, false), 1);
  EXPECT_EQ(StaffAccidentalFor(61, true), 2);
  EXPECT_EQ(StaffAccidentalFor(60, true), 0);
  EXPECT_EQ(StaffAccidentalFor(-2, false), 1) << "a damaged note number still gets its pitch class";
  EXPECT_EQ(StaffAccidentalForScored(-1, false), 2) << "B flat of F major, left to the key signature";
  EXPECT_EQ(StaffAccidentalForScored(1, true), 1);
  EXPECT_EQ(StaffAccidentalForScored(0, true), 3) << "a written natural";
  EXPECT_EQ(StaffAccidentalForScored(0, false), 0);
  EXPECT_EQ(StaffAccidentalForScored(2, true), 4) << "a score's F## takes the double sharp";
  EXPECT_EQ(StaffAccidentalForScored(-2, false), 5);
}

// A played note that is a degree of the key stands on that degree's letter with the sign it needs,
// also where the key's signature has the other kind (C#4 of D harmonic minor on the C row, not on D
// as Db); B#3 of C# harmonic minor sounds as C4 but stands below it. A degree that needs two signs
// has them: F##5 of G# harmonic minor sounds as G5 but stands on the F row below G#5, so the
// scale's seven notes take seven letters; three signs are never written, and a scale whose run
// from its signature's tonic would need them starts on the tonic's other name (C Enigmatic Major,
// not B# with A##4 beside A#4). Other notes keep the table of the signature's kind.
TEST_F(StaffPanelTest, PlayedDegreesStandOnTheirOwnLetters) {
  struct Case {
    ScaleRowId row;
    int tonic, note;
    bool flats;  // the key's signature, for notes off the scale
    int letter, octave, accidental;
  } cases[] = {
      {kRowHarmonicMinor, 2, 61, true, 0, 4, 1},    // C#4
      {kRowHarmonicMinor, 1, 60, false, 6, 3, 1},   // B#3
      {kRowHarmonicMinor, 6, 77, false, 2, 5, 1},   // E#5
      {kRowHarmonicMajor, 0, 56, false, 5, 3, -1},  // Ab3
      {kRowHarmonicMinor, 2, 63, true, 2, 4, -1},   // Eb4, off the scale
      {kRowIonian, 0, 70, false, 5, 4, 1},          // A#4, off the scale
      {kRowIonian, 0, 59, false, 6, 3, 0},
      {kRowHarmonicMinor, 9, 68, false, 4, 4, 1},   // G#4 of A harmonic minor
      {kRowHarmonicMinor, 8, 79, false, 3, 5, 2},   // F##5, not G5 beside G#5
      {kRowHarmonicMinor, 8, 55, false, 3, 3, 2},   // F##3
      {kRowHarmonicMajor, 1, 69, true, 6, 4, -2},   // Bbb4, not A4
      {kRowHarmonicMajor, 1, 60, true, 0, 4, 0},    // C4 of Db harmonic major
      {kRowEnigmaticMajor, 0, 68, false, 4, 4, 1},  // G#4, never F###4 of the scale on B#
      {kRowEnigmaticMajor, 0, 60, false, 0, 4, 0},  // C4, not B#3
      {kRowEnigmaticMajor, 0, 64, false, 2, 4, 0},  // E4, not D##4
      {kRowEnigmaticMajor, 0, 71, false, 6, 4, 0},  // B4, not A##4
      {kRowEnigmaticMajor, 5, 76, false, 2, 5, 0},  // E5 of F Enigmatic Major, not D##5
      {kRowEnigmaticMajor, 10, 71, false, 0, 5, -1},  // Cb5 of Bb Enigmatic Major
      {kRowEnigmaticMinor, 10, 69, false, 5, 4, 0},   // A4 of Bb Enigmatic Minor, not G##4
      {kRowEnigmaticMajor, 3, 69, false, 5, 4, 0},    // A4 of Eb Enigmatic Major, not G##4
      {kRowEnigmaticMajor, 3, 74, false, 1, 5, 0},    // D5, not C##5
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.tonic);
    const StaffSpelling s = StaffSpellNote(c.note, c.flats);
    EXPECT_EQ(s.letter, c.letter) << gScaleRows[c.row].name << " " << c.tonic << ": note " << c.note;
    EXPECT_EQ(s.octave, c.octave) << gScaleRows[c.row].name << " " << c.tonic << ": note " << c.note;
    EXPECT_EQ(s.accidental, c.accidental) << gScaleRows[c.row].name << " " << c.tonic << ": note " << c.note;
  }
}

// Every seven-note scale on every tonic writes its degrees on seven letters, each sounding its own
// note with two signs at most, and starts on the tonic its caption names. A scale that no spelling
// fits takes the table for all its degrees, never double signs on some beside table names.
TEST_F(StaffPanelTest, EverySevenNoteScaleTakesSevenLetters) {
  for (const ScaleRow& row : gScaleRows) {
    if (row.count != 7) continue;
    for (int tonic = 0; tonic < 12; ++tonic) {
      gCurrentScale = &row;
      gKeyRoot = tonic;
      const bool flats = StaffUsesFlats();
      std::set<int> letters;
      for (int i = 0; i < 7; ++i) {
        const int note = 60 + tonic + row.pcs[i];
        const StaffSpelling s = StaffSpellNote(note, flats);
        letters.insert(s.letter);
        EXPECT_EQ((s.octave + 1) * 12 + kLetterPitchClass[s.letter] + s.accidental, note) << row.name << " on " << tonic;
        EXPECT_LE(std::abs(s.accidental), 2) << row.name << " on " << tonic;
        if (i == 0) {
          const std::string written = std::string(1, "CDEFGAB"[s.letter]) +
                                      std::string((size_t)std::abs(s.accidental), s.accidental < 0 ? 'b' : '#');
          EXPECT_EQ(written, SpellScaleNotes(tonic, &row)) << row.name << " on " << tonic;
        }
      }
      EXPECT_EQ(letters.size(), 7u) << row.name << " on " << tonic;
    }
  }
  ScaleRow cluster = MakeScaleRow("Cluster", "cluster", 0, 0, 0, {0, 1, 2, 3, 4, 5, 6});
  gCurrentScale = &cluster;
  gKeyRoot = 0;
  for (int i = 0; i < 7; ++i)
    EXPECT_LE(std::abs(StaffSpellNote(60 + i, StaffUsesFlats()).accidental), 1) << "cluster note " << i;
}

// A minor key's leading note and raised sixth are written on the seventh's and sixth's letters, as
// a teacher writes them, where the flat signature once made D minor's C# a Db (A7 read A Db E G)
// and G minor's F# a Gb. In sharp minor keys they follow the harmonic minor's B# and C##. Major
// keys and the other notes keep the signature's kind.
TEST_F(StaffPanelTest, MinorKeysRaiseTheirSixthAndSeventhOnTheirOwnLetters) {
  struct Case {
    ScaleRowId row;
    int tonic, note;
    bool flats;
    int letter, octave, accidental;
  } cases[] = {
      {kRowAeolian, 2, 61, true, 0, 4, 1},           // C#4 in D minor
      {kRowAeolian, 2, 71, true, 6, 4, 0},           // B4, its raised sixth
      {kRowAeolian, 7, 66, true, 3, 4, 1},           // F#4 in G minor
      {kRowAeolian, 0, 71, true, 6, 4, 0},           // B4 in C minor
      {kRowAeolian, 5, 64, true, 2, 4, 0},           // E4 in F minor
      {kRowAeolian, 10, 69, true, 5, 4, 0},          // A4 in Bb minor
      {kRowDorian, 7, 66, true, 3, 4, 1},            // F#4 in G Dorian
      {kRowMinorPentatonic, 2, 73, true, 0, 5, 1},   // C#5, five notes but a minor key
      {kRowAeolian, 1, 60, false, 6, 3, 1},          // B#3 in C# minor
      {kRowAeolian, 3, 62, false, 0, 4, 2},          // C##4 in D# minor
      {kRowAeolian, 2, 63, true, 2, 4, -1},          // Eb4: no raised degree
      {kRowAeolian, 2, 66, true, 4, 4, -1},          // Gb4 likewise
      {kRowIonian, 5, 61, true, 1, 4, -1},           // Db4 in F major
      {kRowIonian, 2, 60, false, 0, 4, 0},           // C4 in D major, no leading note to raise
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.tonic);
    const StaffSpelling s = StaffSpellNote(c.note, c.flats);
    EXPECT_EQ(s.letter, c.letter) << gScaleRows[c.row].name << " " << c.tonic << ": note " << c.note;
    EXPECT_EQ(s.octave, c.octave) << gScaleRows[c.row].name << " " << c.tonic << ": note " << c.note;
    EXPECT_EQ(s.accidental, c.accidental) << gScaleRows[c.row].name << " " << c.tonic << ": note " << c.note;
  }
}

// Sign columns of a chord on a staff of 10 px steps with signs 32 px high, as the panel sizes them:
// sharps and naturals need four steps between them. Heads are given by x and by steps above a line,
// one column each, -1 for a head without a sign; 1 sharp, 2 flat, 3 natural.
TEST_F(StaffPanelTest, SignsOfAChordStaggerOnlyWhereTheyWouldTouch) {
  struct Head {
    float x;
    int steps, kind;
  };
  struct Case {
    const char* what;
    std::vector<Head> heads;
    std::vector<int> columns;
  } cases[] = {
      {"a note alone", {{100, 0, 1}}, {0}},
      {"a cluster of seconds: the fifth down is clear of the top again",
       {{100, 0, 1}, {100, 1, 1}, {100, 2, 1}, {100, 3, 1}, {100, 4, 1}}, {0, 3, 2, 1, 0}},
      {"an octave apart needs no stagger", {{100, 7, 2}, {100, 0, 2}}, {0, 0}},
      {"a fourth touches, a fifth does not", {{100, 0, 1}, {100, 3, 1}, {100, 7, 1}}, {1, 0, 0}},
      {"sharps, flats and naturals alike", {{100, 0, 2}, {100, 3, 1}, {100, 5, 3}, {100, 8, 2}},
       {1, 0, 1, 0}},
      {"D Aeolian, its five flats", {{100, -1, 2}, {100, 1, 2}, {100, 4, 2}, {100, 5, 2}, {100, 8, 2}},
       {0, 1, 0, 1, 0}},
      {"a head without a sign blocks nothing", {{100, 0, 1}, {100, 2, 0}, {100, 5, 1}}, {0, -1, 0}},
      {"the same sign on one row shows once", {{100, 3, 2}, {102, 3, 2}, {100, 1, 1}}, {0, 0, 1}},
      {"a flat and a natural on one row do not; the natural's head stands right, its sign nearest",
       {{100, 3, 2}, {100, 3, 3}}, {1, 0}},
      {"heads a few pixels apart are one chord", {{103, 1, 1}, {100, 0, 1}}, {0, 1}},
      {"chords apart along the staff each start at the heads", {{100, 0, 1}, {100, 1, 1}, {140, 0, 1},
       {140, 1, 1}}, {1, 0, 1, 0}},
      {"a flat's stem rises into a sign a fifth above it", {{100, 0, 2}, {100, 4, 1}}, {1, 0}},
      {"a natural a fifth above a flat likewise", {{100, 0, 2}, {100, 4, 3}}, {1, 0}},
      {"a sixth clears the stem", {{100, 0, 2}, {100, 5, 1}}, {0, 0}},
      {"a flat's bowl keeps a fifth below another sign clear", {{100, 4, 2}, {100, 0, 1}}, {0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<StaffHeadSign> heads;
    for (const Head& h : c.heads) heads.push_back({h.x, 500.0f - 10.0f * (float)h.steps, h.kind});
    const std::vector<StaffSignPlace> places = PlaceStaffSigns(heads, StaffHeadSizesFor(20.0f));
    ASSERT_EQ(places.size(), heads.size()) << c.what;
    std::vector<int> columns;
    for (const StaffSignPlace& p : places) columns.push_back(p.column);
    EXPECT_EQ(columns, c.columns) << c.what;
  }
  // The columns stand from the chord's leftmost head, so its signs line up.
  const std::vector<StaffSignPlace> places =
      PlaceStaffSigns({{103, 490, 1}, {100, 500, 1}, {140, 500, 1}}, StaffHeadSizesFor(20.0f));
  EXPECT_FLOAT_EQ(places[0].anchorX, 100.0f);
  EXPECT_FLOAT_EQ(places[1].anchorX, 100.0f);
  EXPECT_FLOAT_EQ(places[2].anchorX, 140.0f);
  EXPECT_TRUE(PlaceStaffSigns({}, StaffHeadSizesFor(20.0f)).empty());
}

// A song's coming chords stand where their time puts them, so a chord's signs can have less room
// than they take: in wait mode the sharps of a chord 250 ms after another were drawn over that
// chord's heads. Signs now shrink (down to half size) until they clear the heads left of them; a
// chord with room, or whose neighbour stands rows away, keeps them whole. Sizes as above; a
// sharp's bars reach 0.26 of its size either side of its middle.
TEST_F(StaffPanelTest, ACrowdedChordsSignsShrinkClearOfTheChordBefore) {
  const StaffHeadSizes sizes = StaffHeadSizesFor(20.0f);
  struct Head {
    float x;
    int steps, kind;
  };
  struct Case {
    const char* what;
    std::vector<Head> heads;  // the earlier chord first; the last head carries the sign looked at
    bool whole;               // its sign keeps its full size
    bool clear;               // and stands right of the earlier heads
  } cases[] = {
      {"room enough", {{100, 0, 0}, {200, 0, 1}}, true, true},
      {"the chord before stands rows away: its sign may stand below it", {{100, 9, 0}, {140, 0, 1}}, true, false},
      {"a sharp a step above the head before", {{100, 0, 0}, {140, 1, 1}}, false, true},
      {"a chord of three signs after a triad", {{100, 0, 0}, {100, 2, 0}, {100, 4, 0}, {190, 0, 1}, {190, 1, 1},
       {190, 2, 2}}, false, true},
      {"too close to clear at half size", {{100, 0, 0}, {122, 0, 1}}, false, false},
  };
  for (const Case& c : cases) {
    std::vector<StaffHeadSign> heads;
    for (const Head& h : c.heads) heads.push_back({h.x, 500.0f - 10.0f * (float)h.steps, h.kind});
    const std::vector<StaffSignPlace> places = PlaceStaffSigns(heads, sizes);
    const StaffSignPlace& p = places.back();
    ASSERT_GE(p.column, 0) << c.what;
    EXPECT_EQ(p.scale == 1.0f, c.whole) << c.what << ": scale " << p.scale;
    EXPECT_GE(p.scale, 0.5f) << c.what;
    float signLeft = 1e9f;
    for (size_t i = 0; i < heads.size(); ++i)
      if (places[i].column >= 0 && places[i].anchorX == p.anchorX)
        signLeft = std::min(signLeft, StaffSignX(places[i], sizes) - 0.26f * p.scale * sizes.sign);
    float headsRight = -1e9f;
    for (size_t i = 0; i < heads.size(); ++i)
      if (heads[i].x < p.anchorX) headsRight = std::max(headsRight, heads[i].x + sizes.halfW);
    EXPECT_EQ(signLeft > headsRight, c.clear) << c.what << ": signs from " << signLeft << ", heads to " << headsRight;
  }
}

// Played heads drift left 2.4 spacings a second, so notes played 70 ms apart once stood a few pixels
// apart, on top of each other. Each chord now keeps clear of the next one's heads, ledger lines
// and signs; notes struck within 20 ms stay one chord, and notes far enough apart stand where their
// age puts them. Sizes as above (48 px of drift a second); notes by arrival ms, steps above a line
// and sign, given oldest first.
TEST_F(StaffPanelTest, PlayedNotesOfAFastRunStandApart) {
  const StaffHeadSizes sizes = StaffHeadSizesFor(20.0f);
  struct Note {
    uint32_t ms;
    int steps, kind;
  };
  struct Case {
    const char* what;
    std::vector<Note> notes;
    bool aged;  // every chord stands where its age puts it
  } cases[] = {
      {"a scale at 70 ms a note", {{0, 0, 0}, {70, 1, 0}, {140, 2, 0}, {210, 3, 0}, {280, 4, 0}}, false},
      {"one note repeated at 60 ms", {{0, 2, 0}, {60, 2, 0}, {120, 2, 0}, {180, 2, 0}}, false},
      {"a chromatic run at 80 ms", {{0, 0, 0}, {80, 0, 1}, {160, 1, 0}, {240, 1, 1}, {320, 2, 0}}, false},
      {"a triad struck over 16 ms, then its root 80 ms on", {{0, 0, 0}, {8, 2, 1}, {16, 4, 0}, {96, 0, 0}}, false},
      {"notes a second apart", {{0, 0, 0}, {1000, 1, 1}, {2000, 2, 0}}, true},
  };
  for (const Case& c : cases) {
    const uint32_t now = c.notes.back().ms + 5000000u;
    std::vector<StaffPlayedHead> played;
    for (auto it = c.notes.rbegin(); it != c.notes.rend(); ++it) {
      const uint32_t arrival = it->ms + 5000000u;
      played.push_back({{500.0f - 0.048f * (float)(now - arrival), 500.0f - 10.0f * (float)it->steps, it->kind}, arrival});
    }
    const std::vector<float> xs = SpacePlayedHeads(played, sizes);
    ASSERT_EQ(xs.size(), played.size()) << c.what;
    EXPECT_FLOAT_EQ(xs[0], 500.0f) << c.what << ": the newest note at the play line";
    std::vector<StaffHeadSign> heads;
    for (size_t i = 0; i < played.size(); ++i) heads.push_back({xs[i], played[i].head.y, played[i].head.kind});
    const std::vector<StaffSignPlace> places = PlaceStaffSigns(heads, sizes);
    bool aged = true;
    for (size_t i = 0; i < played.size(); ++i) {
      aged = aged && xs[i] == played[i].head.x;
      for (size_t j = i + 1; j < played.size(); ++j) {
        if (played[i].arrivalMs - played[j].arrivalMs < 20u && j == i + 1) {
          EXPECT_EQ(xs[i], xs[j]) << c.what << ": notes " << j << " and " << i << " from the newest struck together";
          continue;
        }
        if (xs[i] == xs[j]) continue;  // of one chord
        EXPECT_GE(xs[i] - xs[j], 2.0f * sizes.halfW) << c.what << ": heads " << j << " and " << i << " from the newest";
        if (places[i].column >= 0)
          EXPECT_GT(StaffSignX(places[i], sizes) - 0.26f * places[i].scale * sizes.sign, xs[j] + sizes.halfW)
              << c.what << ": the sign of " << i << " clear of the head of " << j;
      }
      EXPECT_EQ(places[i].scale, 1.0f) << c.what << ": the signs keep their size";
    }
    EXPECT_EQ(aged, c.aged) << c.what;
  }
}

// Two notes of one chord on one row (C and C#) once stood on the same spot, the later head hiding
// the other with no sign to tell it was there. Each now stands a place right of the lower pitches on
// its row, and a bare one takes a natural; the same note twice still stands once. Heads as above,
// 4 double sharp, 5 double flat; for each head the places right and the sign drawn.
TEST_F(StaffPanelTest, NotesOnOneRowStandSideBySideAndReadApart) {
  struct Head {
    float x;
    int steps, kind;
  };
  struct Case {
    const char* what;
    std::vector<Head> heads;
    std::vector<int> beside, kinds;
  } cases[] = {
      {"C C# E F F# of C major", {{100, 0, 0}, {100, 0, 1}, {100, 2, 0}, {100, 3, 0}, {100, 3, 1}},
       {0, 1, 0, 0, 1}, {3, 1, 0, 3, 1}},
      {"the sharp given first", {{100, 0, 1}, {100, 0, 0}}, {1, 0}, {1, 3}},
      {"Bb and B of Bb minor", {{100, 6, 2}, {100, 6, 0}}, {0, 1}, {2, 3}},
      {"a written natural is the bare note", {{100, 6, 3}, {100, 6, 0}, {100, 6, 2}}, {1, 1, 0}, {3, 3, 2}},
      {"flat, natural and sharp on one row", {{100, 1, 1}, {100, 1, 2}, {100, 1, 0}}, {2, 0, 1}, {1, 2, 3}},
      {"double signs", {{100, 3, 4}, {100, 3, 1}, {100, 3, 5}}, {2, 1, 0}, {4, 1, 5}},
      {"the same note twice", {{100, 0, 1}, {102, 0, 1}, {100, 0, 0}}, {1, 1, 0}, {1, 1, 3}},
      {"a second apart stays", {{100, 0, 0}, {100, 1, 1}}, {0, 0}, {0, 1}},
      {"chords apart along the staff", {{100, 0, 0}, {140, 0, 1}}, {0, 0}, {0, 1}},
  };
  for (const Case& c : cases) {
    std::vector<StaffHeadSign> heads;
    for (const Head& h : c.heads) heads.push_back({h.x, 500.0f - 10.0f * (float)h.steps, h.kind});
    const std::vector<StaffSignPlace> places = PlaceStaffSigns(heads, StaffHeadSizesFor(20.0f));
    ASSERT_EQ(places.size(), heads.size()) << c.what;
    std::vector<int> beside, kinds;
    for (const StaffSignPlace& p : places) beside.push_back(p.beside), kinds.push_back(p.kind);
    EXPECT_EQ(beside, c.beside) << c.what;
    EXPECT_EQ(kinds, c.kinds) << c.what;
  }
  // C and C# take columns of their own, the sharp of the right head nearest the heads, so the signs
  // read in the order of their heads.
  const std::vector<StaffSignPlace> places = PlaceStaffSigns({{100, 500, 0}, {100, 500, 1}}, StaffHeadSizesFor(20.0f));
  EXPECT_EQ(places[0].column, 1);
  EXPECT_EQ(places[1].column, 0);
}

TEST_F(StaffPanelTest, ThePanelStandsOnlyOnTheLearningOverlay) {
  RectF r;
  EXPECT_FALSE(ComputeStaffPanelRect(&r)) << "no overlay";
  gLearningOverlay = true;
  ASSERT_TRUE(ComputeStaffPanelRect(&r));
  EXPECT_GE(r.w, 420.0f);
  EXPECT_GE(r.x, 16.0f);
  EXPECT_LE(r.x + r.w, 1440.0f - 16.0f);
  float sp = r.h / 13.3f;
  EXPECT_GE(sp, 9.0f);
  EXPECT_LE(sp, 1.15f * 36.0f + 0.01f);
  // The note-fall keyboard at the overlay's foot: the whole panel, caption and bass staff
  // included, stays above the strip, still centred on what is left.
  gStaffFloorHook = [] { return 649.0f; };
  RectF above;
  ASSERT_TRUE(ComputeStaffPanelRect(&above));
  const float gap = std::max(8.0f * GetUiScale(), 6.0f);
  EXPECT_LE(above.y + above.h, 649.0f - gap + 0.01f);
  EXPECT_GE(above.y, 27.6f - 0.01f);
  EXPECT_NEAR(above.y - 27.6f, 649.0f - gap - (above.y + above.h), 0.01f);
  gStaffFloorHook = [] { return 150.0f; };  // a tiny window: the smallest staff, never a negative one
  ASSERT_TRUE(ComputeStaffPanelRect(&above));
  EXPECT_NEAR(above.h / 13.3f, 9.0f, 0.01f);
  gStaffFloorHook = nullptr;
  gPracticeMode = true;
  EXPECT_FALSE(ComputeStaffPanelRect(&r)) << "practice mode takes the overlay's place";
  gPracticeMode = false;
  gLearningOverlay = false;
  // Off the overlay the staff has no place (the control band holds the board's top block).
  StaffGeometry g;
  EXPECT_FALSE(ComputeStaffGeometry(&g));
}

TEST_F(StaffPanelTest, LevelsRiseWithHeldNotesAndIgnoreDamagedInput) {
  UseScale(kRowIonian, 0);
  Hold(64, 127);   // E: in C major
  Hold(61, 300);   // C#: off the scale, velocity past 127 is clamped
  Hold(200, 100);  // a damaged stream's note number has no level and must not be indexed
  UpdateStaffNoteLevels(0.017f);
  EXPECT_FLOAT_EQ(gStaffInLevel[64], 1.0f);
  EXPECT_GT(gStaffInColour[64][0] + gStaffInColour[64][1] + gStaffInColour[64][2], 0.0f);
  EXPECT_FLOAT_EQ(gStaffOffLevel[61], 1.0f);
  EXPECT_FLOAT_EQ(gStaffInLevel[61], 0.0f);
  // Released: the in-scale level decays by e^-5.6 per second, the off-scale one by e^-3.6.
  gHeldNotes.clear();
  UpdateStaffNoteLevels(0.5f);
  EXPECT_NEAR(gStaffInLevel[64], std::exp(-2.8f), 1e-5);
  EXPECT_NEAR(gStaffOffLevel[61], std::exp(-1.8f), 1e-5);
  // The shell's off-scale test (play-along's wrong-note marks) wins over the scale.
  gStaffOffScaleHook = [](int note) { return note == 64; };
  Hold(64, 127);
  UpdateStaffNoteLevels(0.017f);
  EXPECT_FLOAT_EQ(gStaffOffLevel[64], 1.0f);
}

TEST_F(StaffPanelTest, CaptionsInScaleAndKeyMode) {
  struct Case {
    ScaleRowId row;
    int tonic;
    bool keyMode;
    const char* caption;
  } cases[] = {
      {kRowIonian, 0, false, "Scale: C Ionian"},     {kRowDorian, 2, false, "Scale: D Dorian"},
      {kRowAeolian, 9, true, "Key: A minor"},        {kRowHarmonicMinor, 4, true, "Key: E minor"},
      {kRowIonian, 7, true, "Key: G major"},         {kRowDorian, 2, true, "Key: D Dorian"},
      {kRowIonian, 6, false, "Scale: F# Ionian"},    {kRowAeolian, 5, false, "Scale: F Aeolian"},
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.tonic);
    EXPECT_EQ(StaffCaption(c.keyMode), c.caption);
  }
  gCurrentScale = nullptr;
  EXPECT_EQ(StaffCaption(false), "Scale: -");
  EXPECT_EQ(StaffCaption(true), "Key: -");
  gPracticeMode = gSightReadingView = true;
  EXPECT_TRUE(StaffKeyMode());
}

// The caption's tonic, the staff's sharps or flats and the chord names spell one key: C# minor has
// four sharps (once written in Db with flats on the staff and "Dbsus4" in the chord trail), and F#
// Lydian is written as Gb Lydian, five flats rather than seven sharps.
TEST_F(StaffPanelTest, CaptionStaffAndChordNamesSpellTheKeyAlike) {
  struct Case {
    ScaleRowId row;
    int tonic;
    const char* caption;
    bool flats;
    const char* names;  // NoteNameInKey of C#, F#, G#, A#
  } cases[] = {
      {kRowAeolian, 1, "Scale: C# Aeolian", false, "C# F# G# A#"},
      {kRowMinorPentatonic, 1, "Scale: C# Minor Pentatonic", false, "C# F# G# A#"},
      {kRowMixolydian, 1, "Scale: C# Mixolydian", false, "C# F# G# A#"},
      {kRowDorian, 1, "Scale: C# Dorian", false, "C# F# G# A#"},
      {kRowHungarianMinor, 1, "Scale: C# Hungarian Minor", false, "C# F# G# A#"},
      {kRowHarmonicMinor, 8, "Scale: G# Harmonic Minor", false, "C# F# G# A#"},
      {kRowAeolian, 3, "Scale: D# Aeolian", false, "C# F# G# A#"},
      {kRowLydian, 6, "Scale: Gb Lydian", true, "Db Gb Ab Bb"},
      // Keys that were spelled alike already.
      {kRowIonian, 5, "Scale: F Ionian", true, "Db Gb Ab Bb"},
      {kRowIonian, 2, "Scale: D Ionian", false, "C# F# G# A#"},
      {kRowIonian, 1, "Scale: Db Ionian", true, "Db Gb Ab Bb"},
      {kRowAeolian, 2, "Scale: D Aeolian", true, "Db Gb Ab Bb"},
      {kRowAeolian, 10, "Scale: Bb Aeolian", true, "Db Gb Ab Bb"},
      {kRowChinese, 0, "Scale: C Chinese", false, "C# F# G# A#"},
  };
  for (const Case& c : cases) {
    UseScale(c.row, c.tonic);
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(StaffCaption(false), c.caption);
    EXPECT_EQ(StaffUsesFlats(), c.flats);
    std::string names;
    for (int pc : {1, 6, 8, 10}) names += (names.empty() ? "" : " ") + NoteNameInKey(pc);
    EXPECT_EQ(names, c.names);
  }
}

// A chord spanning more octaves than the panel holds (D1 D3 D5 D7; C1 C2 with C6 C7) leaves heads
// past the panel's edges whatever it does. Its marks once went further out still, past those heads:
// the 8vb under the panel, where the note-fall keyboard is drawn over it, so D2 stood where D1
// sounded with no mark to say so. Every mark now stays where it can be seen, between the content
// area's top and the keyboard's top, clear of every head and its ledger line.
TEST_F(StaffPanelTest, MarksOfAChordTooWideForThePanelStayInSight) {
  gLearningOverlay = true;
  static float floorY;
  gStaffFloorHook = [] { return floorY; };
  for (float line : {649.0f, 560.0f}) {
    floorY = line;
    StaffGeometry g;
    ASSERT_TRUE(ComputeStaffGeometry(&g));
    const RectF seen = {g.notes.x, g.notes.y, g.notes.w, std::min(g.notes.y + g.notes.h, floorY) - g.notes.y};
    const StaffHeadSizes sizes = StaffHeadSizesFor(g.sp);
    const float reach = 1.5f * sizes.halfW, width = 2.2f * g.sp, height = std::max(0.55f * g.sp, 7.0f);
    for (const std::vector<int>& chord : {std::vector<int>{26, 50, 74, 98}, std::vector<int>{24, 36, 84, 96}}) {
      std::string what = "chord";
      for (int n : chord) what += " " + std::to_string(n);
      what += " over a keyboard at " + std::to_string((int)floorY);
      std::vector<float> ys;
      for (int n : chord) ys.push_back(StaffYForNote(n, g.middleCY, g.sp / 2, false));
      const std::vector<int> octaves = StaffChordOttava(g, sizes.halfH, &ys);
      std::vector<StaffHeadSign> heads;
      for (float y : ys) heads.push_back({g.playX, y, 0});
      std::set<int> marks(octaves.begin(), octaves.end());
      marks.erase(0);
      ASSERT_FALSE(marks.empty()) << what;
      for (int k : marks) {
        std::vector<size_t> group;
        for (size_t i = 0; i < octaves.size(); ++i)
          if (octaves[i] == k) group.push_back(i);
        const RectF box = StaffOttavaMarkBox(g, sizes, heads, group, k, width, height, seen);
        EXPECT_GE(box.y, seen.y) << what << ": the mark of " << k << " below the content area's top";
        EXPECT_LE(box.y + box.h, seen.y + seen.h) << what << ": the mark of " << k << " above the keyboard";
        EXPECT_GE(box.x, seen.x) << what << ": the mark of " << k;
        EXPECT_LE(box.x + box.w, seen.x + seen.w) << what << ": the mark of " << k;
        for (size_t i = 0; i < heads.size(); ++i) {
          const bool clear = box.y >= heads[i].y + sizes.halfH || box.y + box.h <= heads[i].y - sizes.halfH ||
                             box.x >= heads[i].x + reach || box.x + box.w <= heads[i].x - reach;
          EXPECT_TRUE(clear) << what << ": the mark of " << k << " on the head of " << chord[i];
        }
      }
    }
  }
}

// A mark below the bass staff stood where a long caption runs under the heads ("Scale: C Eight Tone
// Spanish" with the scale list open), and a mark meeting the caption is left out: A0 and E1 stood as
// A2 and E3 with nothing to say they sound two octaves lower. Such a mark moves beside its note, and
// the frame's settling keeps it, clear of the caption and of every head.
TEST_F(StaffPanelTest, AnOctaveMarkOverALongCaptionStandsBesideItsNote) {
  gLearningOverlay = true;
  gStaffFloorHook = [] { return 649.0f; };
  StaffGeometry g;
  ASSERT_TRUE(ComputeStaffGeometry(&g));
  const RectF seen = {g.notes.x, g.notes.y, g.notes.w, std::min(g.notes.y + g.notes.h, 649.0f) - g.notes.y};
  const StaffHeadSizes sizes = StaffHeadSizesFor(g.sp);
  const float reach = 1.5f * sizes.halfW, width = 2.2f * g.sp, height = std::max(0.55f * g.sp, 7.0f);
  const float air = std::max(0.12f * g.sp, 1.5f), captionSize = 14.0f;
  // The caption's box as the panel draws it, long enough to run under the heads and past them.
  const RectF caption = {g.labelX, g.panel.y + 12.95f * g.sp - 0.8f * captionSize,
                         g.playX + 6.0f * sizes.halfW - g.labelX, captionSize};
  const std::vector<std::vector<int>> chords = {{21, 28}, {24, 36, 84, 96}, {26, 50, 74, 98}};
  for (const std::vector<int>& chord : chords) {
    std::string what = "chord";
    for (int n : chord) what += " " + std::to_string(n);
    std::vector<float> ys;
    for (int n : chord) ys.push_back(StaffYForNote(n, g.middleCY, g.sp / 2, false));
    const std::vector<int> octaves = StaffChordOttava(g, sizes.halfH, &ys);
    std::vector<StaffHeadSign> heads;
    for (float y : ys) heads.push_back({g.playX, y, 0});
    std::set<int> kinds(octaves.begin(), octaves.end());
    kinds.erase(0);
    ASSERT_TRUE(kinds.count(-1) || kinds.count(-2)) << what << ": a group written octaves up from below";
    std::vector<StaffOttavaPlace> places;
    for (int k : kinds) {
      std::vector<size_t> group;
      for (size_t i = 0; i < octaves.size(); ++i)
        if (octaves[i] == k) group.push_back(i);
      places.push_back({StaffOttavaMarkBox(g, sizes, heads, group, k, width, height, seen, caption), k});
    }
    SettleStaffOttavaMarks(&places, caption, air, seen);
    for (const StaffOttavaPlace& m : places) {
      ASSERT_NE(m.octaves, 0) << what << ": a mark was left out, so nothing says where the chord sounds";
      const RectF& box = m.box;
      EXPECT_GE(box.y, seen.y) << what;
      EXPECT_LE(box.y + box.h, seen.y + seen.h) << what;
      EXPECT_LE(box.x + box.w, seen.x + seen.w) << what;
      for (size_t i = 0; i < heads.size(); ++i) {
        const bool clear = box.y >= heads[i].y + sizes.halfH || box.y + box.h <= heads[i].y - sizes.halfH ||
                           box.x >= heads[i].x + reach || box.x + box.w <= heads[i].x - reach;
        EXPECT_TRUE(clear) << what << ": the mark of " << m.octaves << " on the head of " << chord[i];
      }
    }
  }
}

}  // namespace
