// Earning cells from played notes: scripted note sequences against the run recognisers.
#include <cstring>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "app/base/view_modes.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/achievement_tracking.h"
#include "practice/board_message.h"
#include "practice/practice_run_state.h"
#include "tests/practice/practice_fixture.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

namespace {

// MIDI note numbers.
enum : int { C3 = 48, D3 = 50, E3 = 52, F3 = 53, G3 = 55, A3 = 57, B3 = 59,
             C4 = 60, D4 = 62, E4 = 64, F4 = 65, Fs4 = 66, G4 = 67, A4 = 69, B4 = 71,
             C5 = 72, D5 = 74 };

const std::initializer_list<int> kCMajorDown = {C5, B4, A4, G4, F4, E4, D4, C4};

int RowOf(ScaleRowId id) { return CatalogueIndexOf(&gScaleRows[id]); }
int ColumnOfPc(int pc) {
  for (int c = 0; c < 12; ++c)
    if (kFifthsOrder[c] == pc) return c;
  return -1;
}

class Tracking : public PracticeFilesTest {
 protected:
  Tracking() {
    GetScaleCatalogue();
    ResetScaleSelection();
    gSongEvents.clear();
    gPlaying = gWaitMode = gAllNotesAllowed = false;
    gPracticeState = 0;
    gPatternEvents.clear();
    gBoardMessage.clear();
    std::memset(gScaleRunGlow, 0, sizeof gScaleRunGlow);
  }
  // Plays notes gapMs apart, from the running time; returns the time of the last note.
  uint32_t Play(std::initializer_list<int> notes, uint32_t gapMs = 300) {
    for (int n : notes) PlayAt(n, gapMs);
    return ms_;
  }
  void PlayAt(int note, uint32_t afterMs) { TrackAchievementNote(note, ms_ += afterMs); }
  int Reports(const std::string& label) const {
    int n = 0;
    for (const PatternEvent& e : gPatternEvents) n += e.label == label;
    return n;
  }
  ScopedDrivenClock clock_;
  uint32_t ms_ = 0xFFFFF000u;   // close to the wrap of the 32-bit clock, so every age crosses it
};

}  // namespace

TEST_F(Tracking, ChordsThirdsRepeatsAndWrongNotes) {
  const int ionian = RowOf(kRowIonian);
  struct Step { int note; uint32_t after = 300; };
  struct Case { const char* what; std::vector<Step> steps; bool earned; } cases[] = {
      {"two stray notes moving up drop the attempt",
       {{C4}, {E4, 200}, {G4, 200}, {D4}, {E4}, {F4}, {G4}, {A4}, {B4}, {C5}}, false},
      {"a stray note followed by a lower one only moves the remembered note",
       {{C4}, {G4, 200}, {E4, 200}, {D4}, {E4}, {F4}, {G4}, {A4}, {B4}, {C5}}, true},
      {"a repeated key refreshes the two-second life",
       {{C4}, {D4, 1500}, {D4, 1500}, {D4, 1500}, {E4, 1500}, {F4}, {G4}, {A4}, {B4}, {C5}}, true},
      {"an octave doubling struck with the last note is ignored",
       {{C4}, {D4}, {D5, 60}, {E4}, {F4}, {G4}, {A4}, {B4}, {C5}}, true},
      {"a note outside the scale cancels the attempt",
       {{C4}, {D4}, {E4}, {Fs4}, {G4}, {A4}, {B4}, {C5}}, false},
      {"degrees in other octaves still rise",
       {{C3}, {D4}, {E4}, {F4}, {G4}, {A4}, {B4}, {C5}}, true},
      {"a restart on a later tonic keeps the first attempt",
       {{C4}, {D4}, {E4}, {C5}, {F4}, {G4}, {A4}, {B4}, {C5}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int col = 0; col < 12; ++col) {
      gAchvDone[ionian][col] = 0;
      ResetCellPlayTrack(gAchvUpTracks[ionian][col]);
    }
    for (const Step& s : c.steps) PlayAt(s.note, s.after);
    EXPECT_EQ(gAchvDone[ionian][0], c.earned ? 1 : 0);
    ms_ += 10000;
  }
}

TEST_F(Tracking, ACompletionWithin900MsIsReportedOnce) {
  struct Case { uint32_t lastGap; int reports; } cases[] = {{900, 1}, {901, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lastGap);
    gPatternEvents.clear();
    const int ionian = RowOf(kRowIonian);
    ResetCellPlayTrack(gAchvUpTracks[ionian][0]);
    // Two runs an octave apart, interleaved: each note advances the attempt nearest to it.
    Play({C4, C3, D4, D3, E4, E3, F4, F3, G4, G3, A4, A3, B4, B3, C5}, 50);
    PlayAt(C4, c.lastGap);
    EXPECT_EQ(Reports("C Ionian"), c.reports);
    ms_ += 10000;
  }
}

TEST_F(Tracking, WaitModeHoldsTheOctaveOfTheStartingTonic) {
  const ScaleRow& ionian = gScaleRows[kRowIonian];
  for (bool wait : {true, false}) {
    SCOPED_TRACE(wait);
    gWaitMode = wait;
    CellPlayTrack t;
    ResetCellPlayTrack(t);
    EXPECT_FALSE(StepCellPlayTrack(t, ionian, 0, C4, 1000, +1));
    EXPECT_FALSE(StepCellPlayTrack(t, ionian, 0, D5, 1100, +1));
    EXPECT_EQ(t.slots[0].step, wait ? 1 : 2);
    // Downwards the octave below the starting tonic is the base.
    ResetCellPlayTrack(t);
    bool done = false;
    uint32_t ms = 2000;
    for (int n : kCMajorDown) done = StepCellPlayTrack(t, ionian, 0, n, ms += 100, -1);
    EXPECT_TRUE(done);
  }
  gWaitMode = false;
}

TEST_F(Tracking, ThreeAttemptsAtMostTheLeastAdvancedIsReplaced) {
  const ScaleRow& ionian = gScaleRows[kRowIonian];
  CellPlayTrack t;
  ResetCellPlayTrack(t);
  uint32_t ms = 0xFFFFFF00u;
  StepCellPlayTrack(t, ionian, 0, C4, ms += 50, +1);   // slot 0
  StepCellPlayTrack(t, ionian, 0, D4, ms += 50, +1);   // slot 0 at step 2
  StepCellPlayTrack(t, ionian, 0, C3, ms += 50, +1);   // slot 1
  StepCellPlayTrack(t, ionian, 0, C5, ms += 50, +1);   // slot 2
  StepCellPlayTrack(t, ionian, 0, 36, ms += 50, +1);   // C2 replaces slot 1 (step 1, older than slot 2)
  EXPECT_EQ(std::make_tuple(t.slots[0].last, t.slots[1].last, t.slots[2].last), std::make_tuple(D4, 36, C5));
  // Every slot dies 2001 ms after its last note, across the wrap of the clock.
  StepCellPlayTrack(t, ionian, 0, E4, ms + 2001, +1);
  EXPECT_FALSE(t.slots[0].active || t.slots[1].active || t.slots[2].active);
}

TEST_F(Tracking, AnEarnedRunSelectsItsScaleOutsideAPracticeRunOnly) {
  // D Dorian: the same notes as C major, from D.
  for (int state : {2, 0}) {
    ResetScaleSelection();
    gAchvDone[RowOf(kRowDorian)][ColumnOfPc(2)] = 0;
    gPracticeState = state;
    ms_ += 5000;
    Play({D4, E4, F4, G4, A4, B4, C5, D5});
    EXPECT_EQ(gAchvDone[RowOf(kRowDorian)][ColumnOfPc(2)], 1);
    EXPECT_EQ(gCurrentScale, &gScaleRows[state ? kRowIonian : kRowDorian]);
  }
}

// A forearm laid on the keyboard sends all 88 keys rising in one MIDI cycle. Every pair of them
// is a semitone, so the chromatic scale's attempts would climb through it in every key: it must
// earn nothing, credit nothing to the learning model and leave the selected scale alone. The same
// keys played one by one at a human pace still earn the chromatic scale in every key.
TEST_F(Tracking, AClusterOfAllKeysStruckAtOnceIsNoScalePlayed) {
  static std::vector<std::string> credited;
  auto* savedHook = gScaleEarnedHook;
  gScaleEarnedHook = [](const char* name, int ringPos) { credited.push_back(name + std::to_string(ringPos)); };
  const int chromatic = RowOf(kRowChromatic);
  struct Case { const char* what; uint32_t gap; bool earned; } cases[] = {
      {"all keys in one MIDI cycle", 0, false},
      {"a cluster spread over a few ms", 2, false},
      {"one by one, 120 ms apart", 120, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetAchievements();
    ResetScaleSelection();
    gPatternEvents.clear();
    credited.clear();
    ms_ += 10000;
    for (int note = 21; note <= 108; ++note) PlayAt(note, c.gap);
    int earned = 0;
    for (const auto& cells : gAchvDone)
      for (uint8_t done : cells) earned += done;
    EXPECT_EQ(earned, c.earned ? 12 : 0);
    for (int col = 0; col < 12; ++col) EXPECT_EQ(gAchvDone[chromatic][col], c.earned ? 1 : 0) << col;
    EXPECT_EQ(credited.empty(), !c.earned);
    EXPECT_EQ(gPatternEvents.empty(), !c.earned);
    EXPECT_EQ(gCurrentScale == &gScaleRows[kRowIonian], !c.earned) << gCurrentScale->name;
  }
  gScaleEarnedHook = savedHook;
}
