// A whole practice run driven through the note road with a driven clock: the button, a dragged
// region, the armed run started by the first key, scale runs on the keyboard completing the
// steps row by row, the complete state with its record, and the way back to state 0; and an armed
// run that a loaded song holds unstarted until the song is closed.
#include <gtest/gtest.h>
#include <tuple>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/note_input.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "practice/teaching_meters.h"
#include "tests/board/practice_run_mouse_fixture.h"

namespace {

// Stands in for the window procedure: the note road's branches only.
int64_t RoadDispatch(uint32_t code, uint64_t w, int64_t l) {
  switch (code) {
    case kMsgMidiInData: HandleMidiInData(w, l); break;
    case kMsgMidiNote: HandleMidiNoteMessage(w, l); break;
    case kMsgMidiSustain: HandleMidiSustainMessage(w, l); break;
    default: break;
  }
  return 0;
}

class RoadRun : public PracticeRunMouseTest {
 protected:
  void SetUp() override {
    PracticeRunMouseTest::SetUp();
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    SetAppMessageHandler(RoadDispatch);
    gHeldNotes.clear();
    gPlayedNotes.clear();
    gMidiEventLagMs = 0;
  }
  void TearDown() override {
    SetAppMessageHandler(nullptr);
    PracticeRunMouseTest::TearDown();
  }
  // A device message as the input layer posts it, stamped with the clock's time.
  void Device(uint32_t status, uint32_t d1, uint32_t d2) {
    PostAppMessage(kMsgMidiInData, status | d1 << 8 | d2 << 16, (int64_t)ClockMs32());
    DrainAppMessages();
  }
  // Each note pressed and released, one every gapMs.
  void PlayKeys(const std::vector<int>& notes, uint32_t gapMs) {
    for (int note : notes) {
      clock_.Advance(gapMs);
      Device(0x90, (uint32_t)note, 96);
      clock_.Advance(60);
      Device(0x80, (uint32_t)note, 0);
    }
  }
};

TEST_F(RoadRun, ScriptedRunFromRegionToRecord) {
  AddActiveStudent("Ana", "ana");
  LoadPracticeRuns();

  ASSERT_TRUE(ClickRunButton());
  Drag(1, 1, 0, 0);   // upwards and leftwards: Ionian and Dorian, on C and G
  ASSERT_EQ(gPracticeState, 2);
  ASSERT_EQ(gPracticeRunData.steps.size(), 4u);

  // The first key of the keyboard starts the clock and is the first note of step 1.
  clock_.Advance(1500);
  uint32_t start = ClockMs32();
  Device(0x90, 60, 90);
  Device(0x80, 60, 0);
  ASSERT_EQ(gPracticeState, 3);
  EXPECT_EQ(gPracticeRunData.runStartMs, start);
  EXPECT_EQ(gPracticeRunData.stepStats[0].notes, 1);

  // The rest of C Ionian completes step 1; a downward run would not.
  std::vector<int> cIonian = UpwardRun(&gScaleRows[kRowIonian], 0);
  PlayKeys(std::vector<int>(cIonian.begin() + 1, cIonian.end()), 300);
  ASSERT_EQ(gPracticeRunData.currentStep, 1);
  EXPECT_EQ(gPracticeRunData.stepStats[0].inScaleNotes, 8);
  EXPECT_EQ(gKeyRoot, 7);   // G is shown next

  std::vector<int> down = UpwardRun(&gScaleRows[kRowIonian], 1);
  std::reverse(down.begin(), down.end());
  PlayKeys(down, 300);
  EXPECT_EQ(gPracticeRunData.currentStep, 1);
  PlayKeys(UpwardRun(&gScaleRows[kRowIonian], 1), 300);
  ASSERT_EQ(gPracticeRunData.currentStep, 2);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowDorian]);
  EXPECT_EQ(gKeyRoot, 0);

  PlayKeys(UpwardRun(&gScaleRows[kRowDorian], 0), 300);
  ASSERT_EQ(gPracticeRunData.currentStep, 3);
  PlayKeys(UpwardRun(&gScaleRows[kRowDorian], 1), 300);

  // Complete: recorded, scored and shown.
  ASSERT_EQ(gPracticeState, 4);
  uint32_t elapsed = gPracticeRunData.runEndMs - start;
  EXPECT_GT(elapsed, 10000u);
  for (const PracticeStepStats& st : gPracticeRunData.stepStats) EXPECT_TRUE(st.hit == 1 && st.score > 0.5f);
  EXPECT_TRUE(gTeachingState.runResultsAvailable == 1 && gStudentView);
  ASSERT_EQ(gPracticeRuns.size(), 1u);
  const PracticeRun& rec = gPracticeRuns[0];
  EXPECT_EQ(std::make_tuple(rec.regionKey, rec.bestMs, rec.lastMs, rec.runs), std::make_tuple("L:r0-1:c0-1", elapsed, elapsed, 1));
  EXPECT_NE(ReadData("practice_runs.dat").find("ana|Ana|L:r0-1:c0-1|" + std::to_string(elapsed) + "|"),
            std::string::npos);

  // Notes while complete do nothing; the state ends after the hold and fade.
  uint32_t holdMs = (uint32_t)((gPracticeRunData.holdSeconds + gPracticeRunData.fadeSeconds) * 1000.0f);
  PlayKeys({60, 62}, 200);
  EXPECT_EQ(gPracticeState, 4);
  clock_.Advance(holdMs - 60 - 520 - 10);   // the last release came 60 ms after the completing note
  UpdatePracticeRunFrame(0.0f);
  EXPECT_EQ(gPracticeState, 4);
  clock_.Advance(30);
  UpdatePracticeRunFrame(0.0f);
  EXPECT_EQ(gPracticeState, 0);
  EXPECT_FALSE(IsPracticeRunActive());
}

TEST_F(RoadRun, ALoadedSongHoldsTheArmedRunUntilItIsClosed) {
  // A song played to its end stays loaded, and while it is no scale earns a cell.
  gSongEvents = {SongEvent{0, 0x90, 60, 90, 0}, SongEvent{400, 0x80, 60, 0, 0}};
  ASSERT_TRUE(ClickRunButton());
  Drag(0, 0, 0, 0);   // C Ionian alone
  ASSERT_EQ(gPracticeState, 2);

  // The scale played in full neither starts the clock nor completes the step.
  std::vector<int> cIonian = UpwardRun(&gScaleRows[kRowIonian], 0);
  PlayKeys(cIonian, 300);
  EXPECT_EQ(gPracticeState, 2);
  EXPECT_EQ(gPracticeRunData.runStartMs, 0u);

  // Closed, the same run starts on the first key and the scale completes it.
  UnloadMidi();
  clock_.Advance(2000);
  uint32_t start = ClockMs32() + 300;
  PlayKeys(cIonian, 300);
  ASSERT_EQ(gPracticeState, 4);
  EXPECT_EQ(gPracticeRunData.runStartMs, start);
  EXPECT_EQ(gPracticeRunData.stepStats[0].notes, 8);
}

}  // namespace
