// The chord recogniser: names and slash basses, ties, hysteresis and repeats on a driven clock,
// the history cap, and the harmony glow by mode.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/chord_recogniser.h"
#include "app/note_input.h"
#include "app/utilities.h"
#include "app/ring_glow.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"
#include "visual/ring_labels.h"

namespace {

struct NameCase {
  const char* name;
  std::vector<int> notes;     // MIDI notes held; the lowest is the bass
  int root;                   // -1: no chord
  std::string text;           // history text: root name + label
  uint32_t quality;
};

// Holds exactly these notes, as the note road would leave them.
void Hold(const std::vector<int>& notes, int velocity = 100) {
  gHeldNotes.clear();
  for (int n : notes)
    gHeldNotes.push_back(HeldNote{n, velocity, 1, 1, 0, ClockMs32(), 1, 0, 1});
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
  // One frame of the recogniser after ms milliseconds.
  const RecognisedChord& Frame(uint64_t ms = 17) {
    clock_.Advance(ms);
    return RunChordRecogniser();
  }
  // The animation clock takes its origin from its first call: take it from the real clock, so
  // tests run after these in one process do not see the driven clock's far future as the origin.
  float appOrigin_ = GetAppSeconds();
  ScopedDrivenClock clock_;
};

TEST_F(ChordRecogniser, NamesChords) {
  const NameCase cases[] = {
      {"C major", {60, 64, 67}, 0, "C", kChordMajor},
      {"C major, E in the bass", {52, 60, 67}, 0, "C/E", kChordMajor},
      {"C major seventh", {60, 64, 67, 71}, 0, "Cmaj7", kChordMajor},
      {"A minor", {57, 60, 64}, 9, "Am", kChordMinor},
      {"G seventh, B in the bass", {59, 62, 65, 67}, 7, "G7/B", kChordMajor},
      {"diminished seventh on C", {60, 63, 66, 69}, 0, "Cdim7", kChordDiminished},
      {"diminished seventh, A in the bass", {57, 60, 63, 66}, 9, "Adim7", kChordDiminished},
      {"suspended fourth", {60, 65, 67}, 0, "Csus4", kChordMajor},
      {"suspended second", {60, 62, 67}, 0, "Csus2", kChordMajor},
      {"half-diminished B", {59, 62, 65, 69}, 11, "Bm7b5", kChordDiminished},
      {"bass off the chord adds no slash", {54, 60, 64, 67}, 0, "C", kChordMajor},
      {"octave doublings count once", {48, 60, 64, 72}, -1, "", 0},
      {"two notes", {60, 64}, -1, "", 0},
      {"nothing", {}, -1, "", 0},
  };
  for (const NameCase& c : cases) {
    SetUp();
    Hold(c.notes);
    const RecognisedChord& r = Frame();
    EXPECT_EQ(r.recognised, c.root >= 0) << c.name;
    EXPECT_EQ(r.root, c.root) << c.name;
    if (c.root < 0) {
      EXPECT_TRUE(gRingLabels.empty()) << c.name;
      continue;
    }
    EXPECT_EQ(r.quality, c.quality) << c.name;
    ASSERT_EQ(gRingLabels.size(), 1u) << c.name;
    EXPECT_EQ(gRingLabels[0].text, c.text) << c.name;
    EXPECT_EQ(gRingLabels[0].quality, c.quality) << c.name;
    EXPECT_EQ(gRingLabels[0].repeat, 0) << c.name;
  }
}

TEST_F(ChordRecogniser, EqualScoresGoToTheLowerRootAndEarlierTemplate) {
  ChordMatch m;
  // No bass known: every root of a symmetric chord scores the same.
  int aug[] = {0, 4, 8};
  ASSERT_TRUE(MatchChord(aug, 3, -1, &m));
  EXPECT_EQ(m.root, 0);
  EXPECT_EQ(m.label, "aug");
  int dim7[] = {2, 5, 8, 11};
  ASSERT_TRUE(MatchChord(dim7, 4, -1, &m));
  EXPECT_EQ(m.root, 2);
  EXPECT_EQ(m.label, "dim7");
  // C E G A with C in the bass: C6 and Am7 score exactly the same (2.68); the lower root wins.
  int c6[] = {0, 4, 7, 9};
  ASSERT_TRUE(MatchChord(c6, 4, 0, &m));
  EXPECT_EQ(m.root, 0);
  EXPECT_EQ(m.label, "6");
  EXPECT_DOUBLE_EQ(m.score, 2.68);
  // With A in the bass the bass bonus decides for Am7; a bass on the root gives no slash.
  ASSERT_TRUE(MatchChord(c6, 4, 9, &m));
  EXPECT_EQ(m.root, 9);
  EXPECT_EQ(m.label, "m7");
  // Within one root the earlier template wins a tie: "7b5" before "7#5" needs both to fit, which
  // no set does; "" and "m" on different roots: A C E is Am, C E G is C.
  int am[] = {0, 4, 9};
  ASSERT_TRUE(MatchChord(am, 3, -1, &m));
  EXPECT_EQ(m.root, 9);
  EXPECT_EQ(m.label, "m");
}

TEST_F(ChordRecogniser, FrameResultCarriesScaleShareAndFlags) {
  Hold({60, 63, 67});  // C minor in C major: Eb is off the scale
  const RecognisedChord& r = Frame();
  EXPECT_TRUE(r.minor);
  EXPECT_FALSE(r.major || r.diminished);
  EXPECT_EQ(r.pcCount, 3);
  EXPECT_NEAR(r.inScaleRatio, 2.0f / 3.0f, 1e-6);
  EXPECT_TRUE(r.offScale);
  EXPECT_FALSE(r.inScale);
  EXPECT_EQ(r.shownRingPos, RelativeMinorRingPos(0));
  EXPECT_EQ(&r, &gRecognisedChord);
}

TEST_F(ChordRecogniser, HysteresisConfirmsAfter40msAndHoldsThrough320ms) {
  Hold({60, 64, 67});
  Frame();
  EXPECT_EQ(gShownChordRoot, 0);  // nothing was shown: at once
  Hold({57, 60, 64});             // A minor
  Frame();
  EXPECT_EQ(gShownChordRoot, 0);
  EXPECT_EQ(gPendingChordRoot, 9);
  Frame(39);                      // 39 ms of A minor
  EXPECT_EQ(gShownChordRoot, 0);
  Frame(1);                       // 40 ms
  EXPECT_EQ(gShownChordRoot, 9);
  EXPECT_EQ(gShownChordQuality, kChordMinor);
  EXPECT_EQ(gRecognisedChord.shownRingPos, 0);  // Am sits beside C on the inner ring
  EXPECT_EQ(gPendingChordRoot, -1);

  Hold({});
  Frame(300);
  EXPECT_EQ(gShownChordRoot, 9);  // 300 ms gap: still shown
  Frame(20);
  EXPECT_EQ(gShownChordRoot, 9);  // exactly 320 ms
  Frame(1);
  EXPECT_EQ(gShownChordRoot, -1);
  EXPECT_EQ(gRecognisedChord.shownRingPos, -1);
}

TEST_F(ChordRecogniser, AFlickeringChordDoesNotReplaceTheShownOne) {
  Hold({60, 64, 67});
  Frame();
  for (int i = 0; i < 10; ++i) {
    Hold({62, 65, 69});  // D minor for one frame
    Frame(17);
    Hold({60, 64, 67});
    Frame(17);
  }
  EXPECT_EQ(gShownChordRoot, 0);
}

struct RepeatCase {
  const char* name;
  std::vector<int> notes;
  int intervalMs;
};

TEST_F(ChordRecogniser, HeldChordsRepeatAtTheirQualitysPace) {
  const RepeatCase cases[] = {
      {"major", {60, 64, 67}, 115},
      {"minor", {57, 60, 64}, 130},
      {"diminished", {59, 62, 65}, 150},
  };
  for (const RepeatCase& c : cases) {
    SetUp();
    Hold(c.notes);
    Frame(1);
    // Young notes keep new entries due for 135 ms, at most one per 55 ms.
    std::vector<uint32_t> repeats;
    uint32_t start = ClockMs32();
    for (int t = 1; t <= 2000; ++t) {
      size_t before = gRingLabels.size();
      Frame(1);
      if (gRingLabels.size() > before && gRingLabels.back().repeat)
        repeats.push_back(ClockMs32() - start);
    }
    ASSERT_GE(repeats.size(), 5u) << c.name;
    for (size_t i = 1; i < repeats.size(); ++i)
      EXPECT_EQ(repeats[i] - repeats[i - 1], (uint32_t)c.intervalMs) << c.name;
  }
}

TEST_F(ChordRecogniser, ChangesCloserThan55msRecordOnlyTheFirst) {
  Hold({60, 64, 67});
  Frame();
  Hold({62, 65, 69});
  Frame(40);
  ASSERT_EQ(gRingLabels.size(), 1u);
  EXPECT_EQ(gRingLabels[0].text, "C");
  Frame(16);  // 56 ms after the first entry
  ASSERT_EQ(gRingLabels.size(), 2u);
  EXPECT_EQ(gRingLabels[1].text, "Dm");
}

TEST_F(ChordRecogniser, HistoryKeepsTheNewest72) {
  const std::vector<int> chords[] = {{60, 64, 67}, {62, 65, 69}};
  for (int i = 0; i < 100; ++i) {
    Hold(chords[i % 2]);
    Frame(60);
  }
  ASSERT_EQ(gRingLabels.size(), 72u);
  EXPECT_EQ(gRingLabels.back().text, "Dm");
  EXPECT_EQ(gRingLabels.back().timeMs, ClockMs32());
  for (size_t i = 1; i < gRingLabels.size(); ++i)
    EXPECT_EQ(gRingLabels[i].timeMs - gRingLabels[i - 1].timeMs, 60u);
}

TEST_F(ChordRecogniser, GlowByMode) {
  struct GlowCase {
    int mode;
    bool chordGlow, tensionGlow;
  } cases[] = {{0, false, false}, {1, true, false}, {2, true, true}};
  for (const GlowCase& c : cases) {
    SetUp();
    gHarmonyGlowMode = c.mode;
    Hold({60, 61, 64, 67});  // C E G with a tense C#: still C major, off the scale
    Frame();
    float key = 0, major = 0;
    for (int p = 0; p < 12; ++p) {
      key += gRingGlowKey[p];
      major += gRingGlowMajor[p];
    }
    EXPECT_EQ(major, 0.0f) << c.mode;  // off the scale: no major light
    // Tension: C-C# (0.85) and C#-G (1.0) and others; with mode 2 C# gets the most.
    if (c.tensionGlow) {
      EXPECT_GT(gRingGlowKey[RingPosOfPitchClass(1)], gRingGlowKey[RingPosOfPitchClass(4)]) << c.mode;
    }
    EXPECT_EQ(key > 0, c.chordGlow || c.tensionGlow) << c.mode;
  }
}

TEST_F(ChordRecogniser, InScaleChordsLightTheirRing) {
  Hold({60, 64, 67});
  Frame();
  EXPECT_GT(gRingGlowMajor[0], 0.0f);
  Hold({57, 60, 64});
  Frame(60);
  EXPECT_GT(gRingGlowMinor[RelativeMinorRingPos(9)], 0.0f);
}

TEST_F(ChordRecogniser, DecayReachesOnePercentInTheTrailTime) {
  gRingGlowMajor[3] = 1.0f;
  gRingGlowMinor[4] = 0.5f;
  gRingGlowKey[5] = 2.0f;
  for (int i = 0; i < 60; ++i) DecayHarmonyGlow(0.05f);
  EXPECT_NEAR(gRingGlowMajor[3], 0.01f, 1e-4);
  EXPECT_NEAR(gRingGlowMinor[4], 0.005f, 1e-4);
  EXPECT_NEAR(gRingGlowKey[5], 0.02f, 1e-4);
}

}  // namespace
