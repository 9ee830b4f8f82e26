// The falling notes: where a bar stands and how long it is, the lane's note ends, the song walk's
// hits (once per note, again after a seek back, never for a missed or unjudged note) and the
// free-play trails from a press to their end.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/board/lane_fixture.h"

namespace {

TEST(LaneBars, BottomMeetsTheHitLineAtTheNotesTime) {
  const float laneH = 600.0f, hitY = 600.0f, m = std::max(64.0f, 0.3f * laneH);
  EXPECT_FLOAT_EQ(SongBarBottom(0.0f, laneH, hitY), hitY);
  EXPECT_NEAR(SongBarBottom(2600.0f, laneH, hitY), -m, 0.001f);  // m px above the window
  EXPECT_NEAR(SongBarBottom(3000.0f, laneH, hitY), -m, 0.001f);
  float last = -1e9f;
  for (float dt = 2600.0f; dt >= -4000.0f; dt -= 50.0f) {  // always moving down
    float y = SongBarBottom(dt, laneH, hitY);
    EXPECT_GT(y, last) << dt;
    last = y;
  }
  EXPECT_NEAR(SongBarBottom(-1300.0f, laneH, hitY), hitY + 300.0f, 0.001f);  // on at the same speed
  EXPECT_NEAR(SongBarBottom(-9000.0f, laneH, hitY), hitY + 1.65f * laneH, 0.001f);
}

TEST(LaneBars, LengthGrowsInWhileFallingAndKeepsItsBounds) {
  const float laneH = 600.0f, s = 1.0f;
  EXPECT_FLOAT_EQ(SongBarLength(1300.0f, laneH, laneH, s, laneH, false), 300.0f);
  EXPECT_FLOAT_EQ(SongBarLength(1.0f, laneH, laneH, s, laneH, false), 10.0f);        // shortest bar
  EXPECT_FLOAT_EQ(SongBarLength(99999.0f, laneH, laneH, s, laneH, false), 552.0f);   // 0.92 of the lane
  EXPECT_FLOAT_EQ(SongBarLength(1300.0f, laneH, laneH, s, 84.0f, true), 10.0f);      // at the entry line
  EXPECT_FLOAT_EQ(SongBarLength(1300.0f, laneH, laneH, s, laneH, true), 300.0f);     // full length on arrival
}

using LaneSong = LaneTest;

TEST_F(LaneSong, NoteEndsFromTheSameNoteAndChannel) {
  gSongEvents = {
      LaneNoteOn(0, 60),     LaneNoteOff(0, 60),          // off at the same ms: 120 ms
      LaneNoteOn(100, 62),   LaneNoteOff(400, 62, 1),     // another channel's off does not end it
      LaneNoteOn(200, 64),   LaneNoteOn(900, 64, 0),      // a velocity-0 note-on ends it
      LaneNoteOn(1000, 65),  LaneNoteOff(13001, 65),      // released only after 12 s: 180 ms
  };
  gSongEvents[5].data2 = 0;
  std::stable_sort(gSongEvents.begin(), gSongEvents.end(),
                   [](const SongEvent& a, const SongEvent& b) { return a.timeMs < b.timeMs; });
  auto endOf = [](int note) {
    for (size_t i = 0; i < gSongEvents.size(); ++i)
      if (gSongEvents[i].data1 == note && (gSongEvents[i].status & 0xF0) == 0x90 && gSongEvents[i].data2 > 0)
        return LaneNoteEnd(i);
    return 0u;
  };
  EXPECT_EQ(endOf(60), 120u);
  EXPECT_EQ(endOf(62), 280u);
  EXPECT_EQ(endOf(64), 900u);
  EXPECT_EQ(endOf(65), 1180u);
  gSongEvents.push_back(LaneNoteOff(20000, 1));  // another song: the table is rebuilt
  gSongEvents.insert(gSongEvents.begin() + 1, LaneNoteOff(50, 60));
  EXPECT_EQ(endOf(60), 50u);
}

// The bar of the next note stands over its key and its bottom lands on the hit line as it sounds.
TEST_F(LaneSong, BarsStandOverTheirKeysAndLandOnTime) {
  PlaySong({LaneNoteOn(2000, 60), LaneNoteOff(2500, 60), LaneNoteOn(2000, 64), LaneNoteOff(2300, 64)}, 1000);
  std::stable_sort(gSongEvents.begin(), gSongEvents.end(),
                   [](const SongEvent& a, const SongEvent& b) { return a.timeMs < b.timeMs; });
  LaneFrame f = Frame();
  LaneNotesOut out;
  WalkSongNotes(f, 1000, &out);
  ASSERT_EQ(out.bars.size(), 2u);
  for (const LaneBar& bar : out.bars) {
    float x, w;
    bool black;
    ASSERT_TRUE(GetLaneKeyRect(f.keys, gSongEvents[(size_t)bar.eventIndex].data1, &x, &w, &black));
    EXPECT_FLOAT_EQ(bar.x, x);
    EXPECT_NEAR(bar.yBottom, SongBarBottom(1000.0f, f.laneH, f.hitY), 0.01f);
  }
  EXPECT_EQ(out.fields.size(), 2u);
  EXPECT_TRUE(out.hits.empty());
  out = {};
  WalkSongNotes(f, 2000, &out);
  ASSERT_EQ(out.bars.size(), 2u);
  EXPECT_FLOAT_EQ(out.bars[0].yBottom, f.hitY);
  EXPECT_EQ(out.hits.size(), 2u);  // both land now
}

TEST_F(LaneSong, AFrameDrawsAtMost281Notes) {
  std::vector<SongEvent> song;
  for (uint32_t t = 0; t < 6000; t += 4) song.push_back(LaneNoteOn(t, 40 + (int)(t / 4) % 40));
  PlaySong(song, 3000);
  LaneNotesOut out;
  WalkSongNotes(Frame(), 3000, &out);
  EXPECT_EQ(out.bars.size(), 281u);
  EXPECT_EQ(out.fields.size(), 281u);
}

// Hits are raised once per note; a seek back by more than 140 ms lets them fire again, a forward
// seek and a small step back do not; after 12 s unseen a hit is forgotten.
TEST_F(LaneSong, HitsOncePerNoteAndAgainAfterASeekBack) {
  PlaySong({LaneNoteOn(1000, 60), LaneNoteOff(1400, 60), LaneNoteOff(60000, 1)}, 1000);
  EXPECT_EQ(Step(0).hits.size(), 1u);
  EXPECT_EQ(Step(16).hits.size(), 0u);   // still within 140 ms: fired already
  gPlayStartMs += 100;                   // back by 100 ms: not a seek
  EXPECT_EQ(Step(16).hits.size(), 0u);
  gPlayStartMs += 200;                   // back by 200 ms
  Step(16);
  EXPECT_EQ(Step(300).hits.size(), 1u);  // the note lands again
  gPlayStartMs -= 3000;                  // forward
  Step(16);
  EXPECT_EQ(gFiredBoardHits.size(), 1u);
  clock_.Advance(12001);
  StepParticleClock(Now());
  KeepFiredBoardHits(false, 0);
  EXPECT_TRUE(gFiredBoardHits.empty());
  // A play-along reset forgets them at once and zeroes the remembered position.
  EXPECT_TRUE(MarkBoardHitFired(7));
  ResetPlayAlongHighlights();
  KeepFiredBoardHits(false, 0);
  EXPECT_TRUE(MarkBoardHitFired(7));
  EXPECT_EQ(gLaneLastSongPos, 0u);
}

// During a run only a graded note raises a hit, once (its judge record keeps it); a missed note
// and a note passed without judging never do.
TEST_F(LaneSong, RunHitsFollowTheJudgeStates) {
  PlaySong({LaneNoteOn(1000, 60), LaneNoteOn(1000, 62), LaneNoteOn(1000, 64), LaneNoteOn(1000, 65),
            LaneNoteOff(60000, 1)},
           1000);
  ResetJudgeStates(false, false);
  SetPlayAlongRun(true, false);
  ASSERT_TRUE(gPlayAlongRun);
  gJudgeStates[0].state = 1;
  gJudgeStates[1].state = 4;
  gJudgeStates[1].effectShown = 1;
  gJudgeStates[2].state = 7;
  LaneNotesOut out = Step(0);
  ASSERT_EQ(out.hits.size(), 1u);
  EXPECT_EQ(out.hits[0].note, 60);
  EXPECT_EQ(gJudgeStates[0].effectShown, 1);
  EXPECT_EQ(gJudgeStates[2].effectShown, 0);
  EXPECT_EQ(Step(16).hits.size(), 0u);
  // A missed note is drawn grey; a pending note keeps a tint of its own colour.
  out = Step(0);
  const LaneBar* missed = nullptr;
  for (const LaneBar& b : out.bars)
    if (b.eventIndex == 1) missed = &b;
  ASSERT_NE(missed, nullptr);
  EXPECT_NEAR(missed->r, missed->g, 0.001f);
  EXPECT_LT(missed->r, 0.31f);
}

using LaneFreePlay = LaneTest;

// A held note grows out of the hit line; after release its trail rises for 2.6 s to the window's
// top and is gone 3.2 s after the release.
TEST_F(LaneFreePlay, TrailGrowsRisesAndEnds) {
  Hold(60, 100);
  LaneNotesOut out = Step(0);
  ASSERT_EQ(out.bars.size(), 1u);
  EXPECT_FLOAT_EQ(out.bars[0].yBottom, Frame().hitY);
  EXPECT_EQ(out.hits.size(), 1u);  // the press splashes once
  out = Step(1000);
  ASSERT_EQ(out.bars.size(), 1u);
  const float heldLength = out.bars[0].yBottom - out.bars[0].yTop;
  EXPECT_TRUE(out.hits.empty());
  Release(60);
  Step(0);
  out = Step(1300);
  ASSERT_EQ(out.bars.size(), 1u);
  const LaneFrame f = Frame();
  EXPECT_NEAR(out.bars[0].yBottom, f.hitY - std::pow(0.5f, 1.08f) * f.laneH, 0.5f);
  EXPECT_NEAR(out.bars[0].yBottom - out.bars[0].yTop, heldLength, 0.5f);  // keeps its held length
  EXPECT_TRUE(out.bars[0].glowBand);
  Step(1299);
  EXPECT_EQ(gLaneTrails.size(), 1u);
  Step(700);  // 3.3 s after the release
  EXPECT_TRUE(gLaneTrails.empty());
}

TEST_F(LaneFreePlay, TrailsOffTheKeyboardAndOverTheCapGo) {
  Hold(10, 100);  // below A0: no trail
  Hold(110, 100);
  EXPECT_TRUE(Step(0).bars.empty());
  EXPECT_TRUE(gLaneTrails.empty());
  for (uint32_t i = 0; i < 800; ++i)
    gLaneTrails.push_back({60 + (int)(i % 12), 100000 + i, Now() - 1000, Now() - 500, 1, 1, 1, 1});
  Step(1);
  EXPECT_EQ(gLaneTrails.size(), 720u);
  EXPECT_EQ(gLaneTrails.front().serial, 100080u);  // the oldest went
  EXPECT_LE(gLaneTrails.capacity(), 848u);
}

// Pausing turns the lane to free play: the held notes' trails appear at once.
TEST_F(LaneFreePlay, PausingTheSongShowsTheHeldNotes) {
  PlaySong({LaneNoteOn(2000, 72), LaneNoteOff(60000, 1)}, 1000);
  Hold(60, 90);
  EXPECT_EQ(Step(0).bars.size(), 1u);  // only the song's note
  EXPECT_GT(gLaneLastSongPos, 0u);
  gPaused = true;
  gPauseMs = Now();
  LaneNotesOut out = Step(16);
  ASSERT_EQ(out.bars.size(), 1u);
  EXPECT_EQ(out.bars[0].eventIndex, -1);
  EXPECT_EQ(gLaneLastSongPos, 0u);
}

// The song's own notes are nobody's keys: in the pass that ends the song they still sound, but they
// start no trail, while the key the player holds does.
TEST_F(LaneFreePlay, TheSongsOwnNotesStartNoTrail) {
  PlaySong({LaneNoteOn(0, 72), LaneNoteOff(500, 72)}, 400);
  Hold(60, 90);
  Hold(72, 100);
  gHeldNotes.back().displayOnly = 1;
  Step(0);
  gPlaying = false;  // the song ends before its note-off has come down the road
  LaneNotesOut out = Step(16);
  ASSERT_EQ(out.bars.size(), 1u);
  ASSERT_EQ(gLaneTrails.size(), 1u);
  EXPECT_EQ(gLaneTrails[0].note, 60);
  Release(72);
  Release(60);
  Step(16);
  out = Step(1300);
  ASSERT_EQ(out.bars.size(), 1u);  // only the player's trail rises
  EXPECT_LT(out.bars[0].yBottom, Frame().hitY - 100.0f);
}

}  // namespace
