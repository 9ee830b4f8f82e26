// Earning cells by playing the keyboard: device messages go through the message queue and the
// note road, which hands each device note-on to the achievement tracker.
#include <gtest/gtest.h>
#include <initializer_list>

#include "app/base/note_tables.h"
#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "practice/achievement_tracking.h"
#include "practice/board_message.h"
#include "tests/practice/practice_fixture.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

namespace {

int64_t Dispatch(uint32_t code, uint64_t w, int64_t l) {
  if (code == kMsgMidiInData) HandleMidiInData(w, l);
  if (code == kMsgMidiNote) HandleMidiNoteMessage(w, l);
  return 0;
}

int RowOf(ScaleRowId id) { return CatalogueIndexOf(&gScaleRows[id]); }

class NoteRoadAchievements : public PracticeFilesTest {
 protected:
  NoteRoadAchievements() {
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    SetAppMessageHandler(Dispatch);
    gHeldNotes.clear();
    gSongEvents.clear();
    gLastEventTimeValid = gAllNotesAllowed = false;
    ResetScaleSelection();
    ResetChromaticDetector();
    gPatternEvents.clear();
  }
  ~NoteRoadAchievements() override { SetAppMessageHandler(nullptr); }

  // A key pressed afterMs after the previous one and released at once, as the device sends it.
  void Key(int note, uint32_t afterMs = 300) {
    clock_.Advance(afterMs);
    PostAppMessage(kMsgMidiInData, 0x90u | (uint32_t)note << 8 | 100u << 16, (int64_t)ClockMs32());
    PostAppMessage(kMsgMidiInData, 0x80u | (uint32_t)note << 8 | 64u << 16, (int64_t)ClockMs32());
    DrainAppMessages();
  }
  void Keys(std::initializer_list<int> notes) {
    for (int n : notes) Key(n);
  }
  // A note the program itself sounds (playback, previews): display only.
  void Shown(int note) {
    clock_.Advance(300);
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(note, -1, 0), MakeNoteLParam(100, true));
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(note, -1, 0), MakeNoteLParam(0, true));
  }

  ScopedDrivenClock clock_{0x1FFFFF000ull};   // the 32-bit clock wraps during the tests
};

}  // namespace

TEST_F(NoteRoadAchievements, CMajorUpEarnsItsCell) {
  const int ionian = RowOf(kRowIonian);
  Keys({60, 62, 64, 65, 67, 69, 71, 72});
  EXPECT_EQ(gAchvDone[ionian][0], 1);
  EXPECT_EQ(gBoardMessage, "C Ionian");
  EXPECT_NE(ReadData("achievements.dat").find("ACHV3,50\n"), std::string::npos);
}

TEST_F(NoteRoadAchievements, PausesOfTwoSecondsAndOneMillisecondMore) {
  const int ionian = RowOf(kRowIonian);
  for (uint32_t pause : {2000u, 2001u}) {
    SCOPED_TRACE(pause);
    gAchvDone[ionian][0] = 0;
    Keys({60, 62, 64});
    Key(65, pause);
    Keys({67, 69, 71, 72});
    EXPECT_EQ(gAchvDone[ionian][0], pause == 2000u ? 1 : 0);
    clock_.Advance(5000);
  }
}

TEST_F(NoteRoadAchievements, AChordOnTheTonicThenTheScale) {
  Key(60);
  Key(64, 30);   // a third struck with the tonic: ignored
  Key(67, 30);   // then one stray note: forgiven
  Keys({62, 64, 65, 67, 69, 71, 72});
  EXPECT_EQ(gAchvDone[RowOf(kRowIonian)][0], 1);
}

TEST_F(NoteRoadAchievements, DescendingRunMakesTheEarnedCellGlow) {
  const int ionian = RowOf(kRowIonian);
  Keys({72, 71, 69, 67, 65, 64, 62, 60});
  EXPECT_EQ(gAchvGlow[ionian][0], 0.0f);
  clock_.Advance(3000);
  Keys({60, 62, 64, 65, 67, 69, 71, 72});
  clock_.Advance(3000);
  Keys({72, 71, 69, 67, 65, 64, 62, 60});
  EXPECT_EQ(gAchvGlow[ionian][0], 20.0f);
  EXPECT_FLOAT_EQ(CurrentCellGlow(), 1.0f);
}

TEST_F(NoteRoadAchievements, TwoScalesWithTheSameNotesAreEarnedTogether) {
  static const ScaleRow kMajor = MakeScaleRow("Major", "major", 1, 1, 1, {0, 2, 4, 5, 7, 9, 11});
  gScaleCatalogue.push_back(&kMajor);
  const int major = (int)gScaleCatalogue.size() - 1;
  const int column = 1;   // G
  Keys({55, 57, 59, 60, 62, 64, 66, 67});
  EXPECT_EQ(gAchvDone[RowOf(kRowIonian)][column], 1);
  EXPECT_EQ(gAchvDone[major][column], 1);
  // Both are reported; the board names the last.
  ASSERT_EQ(gPatternEvents.size(), 2u);
  EXPECT_EQ(gPatternEvents[0].label + "/" + gPatternEvents[1].label + "/" + gBoardMessage, "G Ionian/G Major/G Major");
  gScaleCatalogue.pop_back();
  SyncAchievementRows();
}

TEST_F(NoteRoadAchievements, NothingWhileASongIsLoadedOrFromNotesTheProgramSounds) {
  const int ionian = RowOf(kRowIonian);
  gSongEvents.push_back(SongEvent{0, 0x90, 60, 100, 0});
  Keys({60, 62, 64, 65, 67, 69, 71, 72});
  EXPECT_EQ(gAchvDone[ionian][0], 0);
  EXPECT_EQ(gAchvUpTracks[ionian][0].slots[0].active, 0);
  gSongEvents.clear();
  for (int n : {60, 62, 64, 65, 67, 69, 71, 72}) Shown(n);
  EXPECT_EQ(gAchvDone[ionian][0] + gAchvUpTracks[ionian][0].slots[0].active + (int)gPatternEvents.size(), 0);
}
