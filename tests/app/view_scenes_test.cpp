// The drawing benchmarks' note-fall scene: each case of a benchmark program sets it up anew in the
// same process, and each must play its dense song as the first one did, or the cases measure
// different pictures (a song that stands still, its last keys hanging, shows a third of the glow
// sprites).
#include <gtest/gtest.h>

#include <vector>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "bench/view_scenes.h"
#include "board/board_particles.h"
#include "board/lane_notes.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "tests/support/test_support.h"

namespace {

// What the song did over some 17 ms passes of the pump: the note-ons it posted to the note road
// and the keys it left sounding.
struct SongPasses {
  int noteOns = 0;
  std::vector<int> sounding;
};

SongPasses PlayPasses(int passes) {
  SongPasses out;
  for (int pass = 0; pass < passes; ++pass) {
    ClockDriveAdvance(17);
    PumpMidiPlayback(ClockMs32(), nullptr);
    AppMessage m;
    while (TakeAppMessage(&m))
      if (m.code == kMsgMidiNote && (m.lParam & 0x7F) > 0) ++out.noteOns;
  }
  for (int key = 0; key < 128; ++key)
    if (gKeySounding[key]) out.sounding.push_back(key);
  return out;
}

}  // namespace

TEST(BenchLaneScene, ASceneSetUpAgainPlaysItsSongAsTheFirstDid) {
  ScopedDrivenClock clock;
  SetUpLaneScene(true);
  const SongPasses first = PlayPasses(60);
  ASSERT_GT(first.noteOns, 0);
  ASSERT_FALSE(first.sounding.empty());
  // The rest of a case's warm-up and measured frames: its song stops some 13 s on from where the
  // next case's starts.
  PlayPasses(720);
  SetUpLaneScene(true);
  const SongPasses again = PlayPasses(60);
  EXPECT_EQ(again.noteOns, first.noteOns);
  EXPECT_EQ(again.sounding, first.sounding);
  UnloadMidi();
  DrainAppMessages();
  ResetNoteTables();
  ResetLaneNotes();
  ResetBoardParticles();
  ResetViewModes();
}
