// The display rules of a played note: off the scale without a song, the judge's mark with one.
#include <gtest/gtest.h>

#include "app/base/note_tables.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"

using DisplayRules = TheoryTest;

TEST_F(DisplayRules, OffScaleNotesWithoutAndWithASong) {
  UseScale(kRowIonian, 0);
  EXPECT_TRUE(IsOffScaleNote(61));
  EXPECT_FALSE(IsOffScaleNote(60));
  EXPECT_EQ(KeyDisplayState(61, 7), 7);
  gSongEvents.push_back({0, 0x90, 61, 100, 0});
  gWrongNoteMark[61] = true;
  EXPECT_FALSE(IsOffScaleNote(61));  // with a song only the judge's mark counts, inside a run
  EXPECT_EQ(KeyDisplayState(61, 7), 0);
  for (int note : {-1, 128, 100000}) {  // never index the 128-entry mark table out of range
    EXPECT_FALSE(IsOffScaleNote(note)) << note;
    EXPECT_EQ(KeyDisplayState(note, 7), 0) << note;
  }
  gPlayAlongRun = true;
  EXPECT_EQ(IsOffScaleNote(61), IsPlayAlongAvailable());
  gWrongNoteMark[61] = false;
  gPlayAlongRun = false;
  gSongEvents.clear();
}
