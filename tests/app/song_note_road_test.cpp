// The song's own notes on the note road: shown and held like device notes, never judged.
#include <gtest/gtest.h>

#include "app/base/note_tables.h"
#include "app/note_input.h"
#include "platform/messages.h"
#include "tests/midi/transport_harness.h"

using namespace smf;

namespace {
int64_t NoteRoad(uint32_t code, uint64_t wParam, int64_t lParam) {
  if (code == kMsgMidiNote) HandleMidiNoteMessage(wParam, lParam);
  if (code == kMsgMidiSustain) HandleMidiSustainMessage(wParam, lParam);
  return 0;
}
int gJudgeFeeds = 0;
void CountFeed(const char*) { ++gJudgeFeeds; }
bool Sounding(int note) {
  for (const HeldNote& h : gHeldNotes)
    if (h.note == note) return h.sounding != 0;
  return false;
}
}  // namespace

TEST_F(TransportTest, SongNotesTravelTheNoteRoadDisplayOnly) {
  SetAppMessageHandler(NoteRoad);
  gNoteFeedTrace = CountFeed;
  gJudgeFeeds = 0;
  Load("a.mid", File(480, {On(0, 60, 100) + On(0, 64, 100) + Pedal(240, 127) + Off(240, 60) + Off(480, 64)}));
  PumpAfter(0);
  DrainAppMessages();
  EXPECT_TRUE(Sounding(60));
  EXPECT_TRUE(Sounding(64));
  PumpAfter(500);  // pedal down, then 60 released: held by the pedal
  DrainAppMessages();
  EXPECT_TRUE(gSustainDown);
  EXPECT_TRUE(Sounding(60));
  TogglePlayback();  // pause: the song's keys and the pedal are released on the display too
  DrainAppMessages();
  EXPECT_FALSE(gSustainDown);
  EXPECT_FALSE(Sounding(60));
  EXPECT_FALSE(Sounding(64));
  EXPECT_EQ(gJudgeFeeds, 0);  // display-only notes reach no judge
  gNoteFeedTrace = nullptr;
  SetAppMessageHandler(nullptr);
}
