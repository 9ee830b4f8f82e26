// The song's own notes on the note road: shown and held like device notes, never judged.
#include <gtest/gtest.h>

#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/note_input.h"
#include "board/lane_keys.h"
#include "board/lane_notes.h"
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

// The pass that ends or stops a song draws the lane before the song's note-offs have come down the
// road: the song's notes end with the song and rise as no one's trail, while a key the player holds
// through the end still rises once it is let go.
TEST_F(TransportTest, ASongsNotesEndWithItOnTheLane) {
  SetAppMessageHandler(NoteRoad);
  gClientWidth = 1440;
  gClientHeight = 920;
  gPracticeMode = true;
  auto laneFrame = [&](uint32_t ms, bool stop) {  // one pass: the drain, the pump, then the lane
    DrainAppMessages();
    PumpAfter(ms);
    if (stop) StopPlaybackAndCloseOutput();
    LaneNotesOut out;
    RunLaneNotes(BuildLaneFrame(ComputeNoteFallStrip(), Now(), 1.0f), &out);
    return out;
  };
  auto trailOf = [](int note) -> const LaneTrail* {
    for (const LaneTrail& t : gLaneTrails)
      if (t.note == note) return &t;
    return nullptr;
  };
  for (bool stopped : {false, true}) {
    SCOPED_TRACE(stopped ? "stopped while both notes sound" : "played to its end");
    ResetNoteTables();
    ResetLaneNotes();
    Load("a.mid", File(480, {On(0, 64, 100) + On(240, 60, 100) + Off(240, 60) + Off(0, 64)}));
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(48, 0, 0), 100);  // the player's key, down through the end
    laneFrame(0, false);
    for (int pass = 0; pass < 160 && gPlaying; ++pass) laneFrame(16, stopped && pass == 20);  // the end rings out
    ASSERT_FALSE(gPlaying);
    for (int pass = 0; pass < 20; ++pass) laneFrame(16, false);
    EXPECT_FALSE(trailOf(60)) << "the song's notes rose as the player's";
    EXPECT_FALSE(trailOf(64));
    ASSERT_TRUE(trailOf(48));
    EXPECT_EQ(trailOf(48)->releaseMs, 0u);
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(48, 0, 0), 0);
    laneFrame(0, false);
    LaneNotesOut out = laneFrame(1300, false);
    ASSERT_EQ(out.bars.size(), 1u);
    EXPECT_LT(out.bars[0].yBottom, BuildLaneFrame(ComputeNoteFallStrip(), Now(), 1.0f).hitY - 100.0f);
  }
  ResetLaneNotes();
  ResetNoteTables();
  SetAppMessageHandler(nullptr);
}
