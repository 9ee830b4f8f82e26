// The chord recogniser: names and slash basses, ties, hysteresis and repeats on a driven clock,
// the history cap, the key's and the circle's spelling of the names, and the harmony glow by mode.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "app/chord_recogniser.h"
#include "app/ring_glow.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"
#include "visual/ring_labels.h"

namespace {

// Holds exactly these notes, as the note road would leave them.
void Hold(const std::vector<int>& notes) {
  gHeldNotes.clear();
  for (int n : notes) gHeldNotes.push_back(HeldNote{n, 100, 1, 1, 0, ClockMs32(), 1, 0, 1});
}

class ChordRecogniser : public ::testing::Test {
 protected:
  void SetUp() override {
    gHeldNotes.clear();
    gRingLabels.clear();
    gAllNotesAllowed = false;
    ResetScaleSelection();  // C Ionian
    ResetChordRecogniser();
    for (int p = 0; p < 12; ++p) gRingGlowMajor[p] = gRingGlowMinor[p] = gRingGlowKey[p] = 0;
    gHarmonyGlowMode = 2;
  }
  const RecognisedChord& Frame(uint64_t ms = 17) {
    clock_.Advance(ms);
    return RunChordRecogniser();
  }
  // The trail's entry for the notes held from a fresh start in the Ionian scale on tonic.
  std::string TrailNameInIonian(int tonic, const std::vector<int>& notes) {
    SetUp();
    gCurrentScale = &gScaleRows[kRowIonian];
    gKeyRoot = tonic;
    Hold(notes);
    Frame();
    return gRingLabels.size() == 1 ? gRingLabels[0].text : "(" + std::to_string(gRingLabels.size()) + " entries)";
  }
  // The animation clock takes its origin from its first call: take it from the real clock, so
  // later tests in the same process do not see the driven clock's far future as the origin.
  double appOrigin_ = GetAppSeconds();
  ScopedDrivenClock clock_;
};

TEST_F(ChordRecogniser, NamesChords) {
  const struct {
    std::vector<int> notes;  // the lowest is the bass
    int root;                // -1: no chord
    std::string text;        // history text: root name + label
    uint32_t quality;
  } cases[] = {
      {{60, 64, 67}, 0, "C", kChordMajor},       {{52, 60, 67}, 0, "C/E", kChordMajor},
      {{60, 64, 67, 71}, 0, "Cmaj7", kChordMajor}, {{57, 60, 64}, 9, "Am", kChordMinor},
      {{59, 62, 65, 67}, 7, "G7/B", kChordMajor},  {{60, 63, 66, 69}, 0, "Cdim7", kChordDiminished},
      {{57, 60, 63, 66}, 9, "Adim7", kChordDiminished}, {{60, 65, 67}, 0, "Csus4", kChordMajor},
      {{59, 62, 65, 69}, 11, "Bm7b5", kChordDiminished},
      {{54, 60, 64, 67}, 0, "C", kChordMajor},  // a bass off the chord adds no slash
      // A ninth chord may leave out its fifth, never its seventh: without it the ninth is added.
      {{60, 62, 64, 67}, 0, "Cadd9", kChordMajor}, {{60, 62, 63, 67}, 0, "Cmadd9", kChordMinor},
      {{55, 65, 69, 72}, 5, "Fadd9/G", kChordMajor}, {{60, 64, 70, 74}, 0, "C9", kChordMajor},
      {{60, 64, 71, 74}, 0, "Cmaj9", kChordMajor},
      {{48, 60, 64, 72}, -1, "", 0},            // octave doublings count once
      {{60, 64}, -1, "", 0},
  };
  for (const auto& c : cases) {
    SetUp();
    Hold(c.notes);
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Frame().root, c.root);
    ASSERT_EQ(gRingLabels.size(), c.root >= 0 ? 1u : 0u);
    if (c.root < 0) continue;
    EXPECT_EQ(gRecognisedChord.quality, c.quality);
    EXPECT_EQ(gRingLabels[0].text, c.text);
  }
}

// Chord names take the key's spelling, the one its tonic has in the staff's caption: in C# minor
// (four sharps) C# E G# F# was named "Dbsus4" and C#m over G# "Dbm/Ab"; F# Lydian is Gb Lydian.
// A degree against the signature keeps its letter: D harmonic minor's seventh is C#.
TEST_F(ChordRecogniser, NamesFollowTheKeysSpelling) {
  const struct {
    ScaleRowId row;
    int tonic;
    std::vector<int> notes;
    std::string text;
  } cases[] = {
      {kRowAeolian, 1, {61, 64, 68, 66}, "C#sus4"},  {kRowAeolian, 1, {56, 61, 64}, "C#m/G#"},
      {kRowMixolydian, 1, {61, 65, 68, 71}, "C#7"}, {kRowLydian, 6, {54, 58, 61}, "Gb"},
      {kRowAeolian, 2, {58, 62, 65}, "Bb"},         {kRowIonian, 2, {54, 57, 61}, "F#m"},
      {kRowHarmonicMinor, 2, {61, 64, 67}, "C#dim"}, {kRowHarmonicMajor, 0, {56, 60, 64}, "Abaug"},
  };
  for (const auto& c : cases) {
    SetUp();
    gCurrentScale = &gScaleRows[c.row];
    gKeyRoot = c.tonic;
    Hold(c.notes);
    Frame();
    ASSERT_EQ(gRingLabels.size(), 1u) << c.text;
    EXPECT_EQ(gRingLabels[0].text, c.text);
  }
}

// A root off the scale is named as the circle beside the trail names its chord's place: C major's
// borrowed chords showed as "D#", "A#" and "G#" beside a ring that says Eb, Bb and Ab. Roots in
// the scale keep the key's spelling. A flat key keeps its flats where the ring says F# or D#m (F
// major's Neapolitan is Gb), but not where the flat name's own third needs a double flat (Gbm's
// Bbb): F#m stays. A diminished chord is named as leading up to the scale note above.
TEST_F(ChordRecogniser, OffScaleRootsTakeTheCirclesNames) {
  const struct {
    int tonic;  // of an Ionian scale
    std::vector<int> notes;
    std::string text;
  } cases[] = {
      {0, {63, 67, 70}, "Eb"},     {0, {58, 62, 65}, "Bb"},      {0, {56, 60, 63}, "Ab"},
      {0, {58, 62, 65, 68}, "Bb7"}, {0, {63, 67, 70, 74}, "Ebmaj7"}, {0, {58, 61, 65}, "Bbm"},
      {2, {58, 62, 65}, "Bb"},     {0, {61, 64, 67}, "C#dim"},
      {0, {60, 64, 67}, "C"},      {0, {62, 65, 69}, "Dm"},      {0, {55, 59, 62, 65}, "G7"},
      {6, {54, 58, 61}, "F#"},     {6, {61, 65, 68, 71}, "C#7"}, {6, {63, 66, 70}, "D#m"},
      {6, {65, 68, 71}, "E#dim"},  {1, {61, 65, 68}, "Db"},      {1, {66, 70, 73}, "Gb"},
      {1, {60, 63, 66}, "Cdim"},
      {5, {66, 70, 73}, "Gb"},     {5, {63, 66, 70}, "Ebm"},     {10, {66, 70, 73}, "Gb"},
      {10, {61, 64, 68}, "Dbm"},   {5, {58, 62, 65}, "Bb"},      {5, {63, 67, 70}, "Eb"},
      {5, {61, 64, 67, 70}, "C#dim7"}, {10, {61, 64, 67}, "C#dim"}, {5, {56, 59, 62}, "G#dim"},
      {7, {54, 57, 60}, "F#dim"},  {7, {58, 62, 65}, "Bb"},      {2, {56, 60, 63}, "Ab"},
      {3, {59, 63, 66}, "Cb"},     {8, {64, 68, 71}, "Fb"},      {8, {59, 62, 66}, "Bm"},
      {1, {57, 61, 64}, "A"},      {5, {59, 63, 66}, "B"},
      {5, {66, 69, 73}, "F#m"},    {10, {54, 57, 61}, "F#m"},    {3, {66, 69, 73}, "F#m"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrailNameInIonian(c.tonic, c.notes), c.text);
}

// A chord tone in the bass is spelled as a tone of its chord: "Cm/D#" in C major and "A/Db" in Db
// major had the key's names. A tone that would need a double sign keeps the key's name (A# over D).
TEST_F(ChordRecogniser, SlashBassIsSpelledAsAChordTone) {
  const struct {
    int tonic;  // of an Ionian scale
    std::vector<int> notes;  // the lowest is the bass
    std::string text;
  } cases[] = {
      {0, {51, 55, 60}, "Cm/Eb"}, {1, {49, 57, 64}, "A/C#"},   {0, {58, 60, 64, 67}, "C7/Bb"},
      {0, {46, 51, 55}, "Eb/Bb"}, {0, {48, 56, 63}, "Ab/C"},   {9, {56, 59, 64}, "E/G#"},
      {6, {58, 61, 66}, "F#/A#"}, {6, {59, 61, 65, 68}, "C#7/B"}, {1, {58, 61, 66}, "Gb/Bb"},
      {6, {50, 58, 65}, "A#/D"},  {8, {56, 64, 71}, "Fb/Ab"}, {3, {51, 59, 66}, "Cb/Eb"},
      {5, {57, 61, 66}, "F#m/A"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrailNameInIonian(c.tonic, c.notes), c.text);
}

TEST_F(ChordRecogniser, EqualScoresGoToTheLowerRoot) {
  ChordMatch m;
  int aug[] = {0, 4, 8};  // symmetric: every root scores alike
  ASSERT_TRUE(MatchChord(aug, 3, -1, &m));
  EXPECT_EQ(m.root, 0);
  // C E G A over C: C6 and Am7 both score 2.68 exactly; over A the bass decides.
  int c6[] = {0, 4, 7, 9};
  ASSERT_TRUE(MatchChord(c6, 4, 0, &m));
  EXPECT_EQ(m.label, "6");
  EXPECT_DOUBLE_EQ(m.score, 2.68);
  ASSERT_TRUE(MatchChord(c6, 4, 9, &m));
  EXPECT_EQ(m.root, 9);
  EXPECT_EQ(m.label, "m7");
  // Every six chord over its own root is named as one, whichever pitch class is lower: F, G, A and
  // Eb over their roots read as Dm7/F, Em7/G, F#m7/A and Cm7/Eb.
  for (int root : {5, 7, 9, 3, 11}) {
    int six[] = {root, (root + 4) % 12, (root + 7) % 12, (root + 9) % 12};
    ASSERT_TRUE(MatchChord(six, 4, root, &m));
    EXPECT_EQ(m.root, root);
    EXPECT_EQ(m.label, "6");
    ASSERT_TRUE(MatchChord(six, 4, (root + 9) % 12, &m));  // over the sixth it is the minor seventh
    EXPECT_EQ(m.root, (root + 9) % 12);
    EXPECT_EQ(m.label, "m7");
  }
  // Without a bass the search order still decides: the augmented triad keeps its lowest root.
  ASSERT_TRUE(MatchChord(aug, 3, -1, &m));
  EXPECT_EQ(m.root, 0);
}

TEST_F(ChordRecogniser, HysteresisConfirmsAfter40msAndHoldsThrough320ms) {
  Hold({60, 64, 67});
  Frame();
  EXPECT_EQ(gShownChordRoot, 0);  // nothing was shown: at once
  Hold({57, 60, 64});
  Frame();
  Frame(39);
  EXPECT_EQ(gShownChordRoot, 0);
  EXPECT_EQ(gPendingChordRoot, 9);
  Frame(1);
  EXPECT_EQ(gShownChordRoot, 9);
  EXPECT_EQ(gShownChordQuality, kChordMinor);  // Am, not A major
  Hold({});
  Frame(320);
  EXPECT_EQ(gShownChordRoot, 9);
  Frame(1);
  EXPECT_EQ(gShownChordRoot, -1);
}

TEST_F(ChordRecogniser, HeldChordsRepeatAtTheirQualitysPace) {
  const std::pair<std::vector<int>, uint32_t> cases[] = {{{60, 64, 67}, 115}, {{57, 60, 64}, 130}, {{59, 62, 65}, 150}};
  for (const auto& [notes, every] : cases) {
    SetUp();
    Hold(notes);
    std::vector<uint32_t> repeats;
    for (int t = 0; t < 2000; ++t) {
      size_t before = gRingLabels.size();
      Frame(1);
      if (gRingLabels.size() > before && gRingLabels.back().repeat) repeats.push_back(ClockMs32());
    }
    ASSERT_GE(repeats.size(), 5u) << every;
    for (size_t i = 1; i < repeats.size(); ++i) EXPECT_EQ(repeats[i] - repeats[i - 1], every);
  }
}

TEST_F(ChordRecogniser, HistoryIsCappedAndChangesWithin55msAreDropped) {
  Hold({60, 64, 67});
  Frame();
  Hold({62, 65, 69});
  Frame(40);
  EXPECT_EQ(gRingLabels.size(), 1u);  // within 55 ms of the last: dropped
  for (int i = 0; i < 100; ++i) {
    Hold(i % 2 ? std::vector<int>{60, 64, 67} : std::vector<int>{62, 65, 69});
    Frame(60);
  }
  ASSERT_EQ(gRingLabels.size(), 72u);
  EXPECT_EQ(gRingLabels.back().text, "C");
  EXPECT_EQ(gRingLabels.back().timeMs - gRingLabels.front().timeMs, 71u * 60u);
}

TEST_F(ChordRecogniser, GlowByMode) {
  for (int mode : {0, 1, 2}) {
    SetUp();
    gHarmonyGlowMode = mode;
    Hold({60, 64, 67});  // in the scale: major light
    Frame();
    EXPECT_EQ(gRingGlowMajor[0] > 0, mode != 0) << mode;
    Hold({60, 61, 64, 67});  // with a tense C#: off the scale, key light
    Frame(100);
    EXPECT_EQ(gRingGlowKey[RingPosOfPitchClass(1)] > 0, mode == 2) << mode;  // tension
    EXPECT_EQ(gRingGlowKey[0] > 0, mode != 0) << mode;
  }
  // The arrays fall to 1 % in the trail time, whatever the mode.
  float before = gRingGlowKey[0];
  for (int i = 0; i < 60; ++i) DecayHarmonyGlow(0.05f);
  EXPECT_NEAR(gRingGlowKey[0], 0.01f * before, 1e-6);
}

}  // namespace
