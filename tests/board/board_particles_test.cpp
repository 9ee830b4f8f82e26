// The lane's particles with rand() seeded: splash counts and sides, the per-note cooldowns, the
// caps of a slow frame, the rise floors, plume partners (also where motes moved earlier in the pass
// are now), motes that die in the middle of a pass beside their partners (run under the
// sanitizers), and pools that never grow under load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/board/lane_fixture.h"

namespace {

using BoardParticlesTest = LaneTest;

float KeyCentre(const LaneFrame& f, int note) {
  float x, w;
  bool black;
  EXPECT_TRUE(GetLaneKeyRect(f.keys, note, &x, &w, &black));
  return x + w / 2;
}

TEST_F(BoardParticlesTest, SplashCountsAndSides) {
  ReserveParticlePools();
  StepParticleClock(Now());
  const LaneFrame f = Frame();
  struct Case {
    int note;
    bool primary;
    float velocity;
    size_t minCount, maxCount;
  } cases[] = {{60, true, 1.0f, 32, 32}, {61, false, 0.2f, 8, 32}, {108, false, 0.6f, 8, 32}};
  for (const Case& c : cases) {
    gSplashParticles.clear();
    const float centre = KeyCentre(f, c.note);
    SpawnHitSplash(f, c.note, centre, c.primary, c.velocity, 1, 1, 1, true);
    const size_t n = gSplashParticles.size();
    EXPECT_GE(n, c.minCount) << c.note;
    EXPECT_LE(n, c.maxCount) << c.note;
    size_t left = 0, right = 0;
    for (const SplashParticle& p : gSplashParticles) {
      (p.x < centre ? left : right) += 1;
      EXPECT_LT(p.vy, 0.0f);  // every spark leaps up
      EXPECT_FLOAT_EQ(p.life, p.maxLife);
      EXPECT_TRUE(p.life >= 0.1f && p.life <= 0.6f);
    }
    EXPECT_EQ(left, (n + 1) / 2) << c.note;  // an odd spark goes left
    EXPECT_GE(right, 3u) << c.note;
  }
  // A note off the keyboard splashes from a span centred on the hit.
  float l, r, w;
  SplashKeySpan(f, 10, 500.0f, &l, &r, &w);
  EXPECT_NEAR((l + r) / 2, 500.0f, 1e-3f);
  EXPECT_GE(r - l, 3.52f);
  // Nothing for a note outside 0..127.
  gSplashParticles.clear();
  SpawnHitSplash(f, 128, 500.0f, true, 1.0f, 1, 1, 1, false);
  SpawnHitSplash(f, -1, 500.0f, true, 1.0f, 1, 1, 1, false);
  EXPECT_TRUE(gSplashParticles.empty());
}

// Two hits on one note 30 ms apart: the primary hit splashes again, another does not (44 ms).
TEST_F(BoardParticlesTest, SplashCooldowns) {
  ReserveParticlePools();
  StepParticleClock(Now());
  const LaneFrame f = Frame();
  struct Case {
    bool primary;
    uint32_t gap;
    bool again;
  } cases[] = {{true, 30, true}, {false, 30, false}, {false, 44, true}, {true, 27, false}};
  int note = 40;
  for (const Case& c : cases) {
    ++note;
    gSplashParticles.clear();
    SpawnHitSplash(f, note, KeyCentre(f, note), c.primary, 0.8f, 1, 1, 1, true);
    const size_t first = gSplashParticles.size();
    ASSERT_GT(first, 0u);
    clock_.Advance(c.gap);
    StepParticleClock(Now());
    SpawnHitSplash(f, note, KeyCentre(f, note), c.primary, 0.8f, 1, 1, 1, true);
    EXPECT_EQ(gSplashParticles.size() > first, c.again) << c.primary << " " << c.gap;
  }
}

// A 50 ms frame shrinks the caps to 35 %, keeps the newest and never reallocates.
TEST_F(BoardParticlesTest, CapsOfASlowFrameKeepTheNewest) {
  ReserveParticlePools();
  const size_t moteCapacity = gBoardMotes.capacity(), sparkCapacity = gSplashParticles.capacity();
  EXPECT_EQ(moteCapacity, MotePoolCeiling());
  EXPECT_EQ(sparkCapacity, SplashPoolCeiling());
  StepParticleClock(Now());
  clock_.Advance(50);
  StepParticleClock(Now());
  EXPECT_FLOAT_EQ(gParticleClock.f, 0.35f);
  EXPECT_EQ(SplashCap(gParticleClock.f), 11025u);       // 12600 x 0.35 x countScale
  EXPECT_LT(MoteCap(gParticleClock.f, 0.5f), MoteCap(1.0f, 0.5f));
  EXPECT_LE(MoteCap(1.0f, 1.0f), moteCapacity);         // the cap never passes the pool
  SplashParticle spark{};
  while (gSplashParticles.size() < sparkCapacity) {
    spark.x = (float)gSplashParticles.size();
    gSplashParticles.push_back(spark);
  }
  BoardMote mote;
  while (gBoardMotes.size() < moteCapacity) {
    mote.x = (float)gBoardMotes.size();
    gBoardMotes.push_back(mote);
  }
  ApplyParticleCaps(0.5f);
  ASSERT_EQ(gSplashParticles.size(), 11025u);
  EXPECT_EQ(gSplashParticles.front().x, (float)(sparkCapacity - 11025));
  EXPECT_EQ(gSplashParticles.back().x, (float)(sparkCapacity - 1));
  const size_t moteCap = MoteCap(0.35f, 0.5f);
  ASSERT_EQ(gBoardMotes.size(), moteCap);
  EXPECT_EQ(gBoardMotes.front().x, (float)(moteCapacity - moteCap));
  EXPECT_EQ(gBoardMotes.capacity(), moteCapacity);
  EXPECT_EQ(gSplashParticles.capacity(), sparkCapacity);
}

// After their steps sparks and motes always rise at least as fast as their floors, whatever the
// forces did, at the frame step and UI scale of the window.
TEST_F(BoardParticlesTest, RiseFloors) {
  for (int note = 48; note < 72; note += 5) Hold(note, 127);
  gLaneFeed.pcHoldSeconds[0] = 2.0f;
  for (int i = 0; i < 90; ++i) Step(16);
  NoteHit hit;
  hit.note = 60;
  hit.x = KeyCentre(Frame(), 60);
  RunHitSplashes(Frame(), {hit});
  const LaneFrame f = Frame();
  const BoardParticleTuning t = ClampedParticleTuning();
  ASSERT_FALSE(gSplashParticles.empty());
  ASSERT_FALSE(gBoardMotes.empty());
  IndexFieldSources({});
  MoveSplashParticles(f, {}, 1.0f);
  for (const SplashParticle& p : gSplashParticles) EXPECT_LE(p.vy, -t.riseScale * std::max(12.0f, 16.0f * f.s) + 1e-3f);
  Step(16);
  int plume = 0, ambient = 0;
  const float P = f.practiceLevel, L = f.level;
  for (const BoardMote& m : gBoardMotes) {
    if (m.life >= m.maxLife) continue;  // spawned this frame, not moved yet
    if (m.bonded) {
      ++plume;
      // The floor holds after its step; the last two steps (a lateral nudge, damping) may ease it a little.
      EXPECT_LE(m.vy, -0.97f * 0.42f * t.riseScale * std::max(54.0f, 80.0f * f.s));
    } else {
      ++ambient;
      EXPECT_LE(m.vy, -0.97f * (P * 0.44f + 0.88f) * std::max(42.0f, 60.0f * f.s) * (L * 0.48f + 0.92f));
      EXPECT_LE(m.shine, 0.55f);
      EXPECT_LE(m.weightB, 0.4f);
    }
  }
  EXPECT_GT(plume, 100);
  EXPECT_GT(ambient, 100);
}

// The nearest plume mote of the same note is the partner; a mote of another note never is.
TEST_F(BoardParticlesTest, PartnerIsTheNearestOfTheSameNote) {
  const LaneFrame f = Frame();
  ReserveParticlePools();
  PlaceBoardGrid(f);
  auto mote = [&](float dx, int note) {
    BoardMote m;
    m.x = 500.0f + dx, m.y = f.hitY - 100.0f, m.note = note, m.bonded = 1, m.reach = 60.0f;
    m.bondStrength = 1.0f, m.groupSize = 7, m.phase = 0.3f, m.life = m.maxLife = 2.0f;
    return m;
  };
  auto pull = [&](std::vector<BoardMote> motes) {
    gBoardMotes = std::move(motes);
    gBoardMotes.reserve(MotePoolCeiling());
    BuildBoardGrid(f);
    float vx = 0.0f, vy = 0.0f;
    ApplyMoteBond(0, gBoardMotes[0], &vx, &vy, 0.016f);
    return std::make_pair(vx, vy);
  };
  const auto near = pull({mote(0, 60), mote(4, 60)});
  EXPECT_NE(near.first, 0.0f);
  EXPECT_EQ(pull({mote(0, 60), mote(9, 60), mote(4, 60), mote(-12, 60)}), near);
  EXPECT_NE(pull({mote(0, 60), mote(9, 60)}), near);
  EXPECT_EQ(pull({mote(0, 60), mote(4, 61)}), std::make_pair(0.0f, 0.0f));  // other notes never bond
  BoardMote outside = mote(0, 60);
  outside.x = -5000.0f;  // no cell, no partner
  EXPECT_EQ(pull({outside, mote(4, 60)}), std::make_pair(0.0f, 0.0f));
}

// Motes that die in the middle of the pass beside their bonded partners: the survivors keep their
// order, the dying are never read as partners, nothing reads past the store.
TEST_F(BoardParticlesTest, MotesDyingMidPassBesideTheirPartners) {
  const LaneFrame f = Frame();
  ReserveParticlePools();
  StepParticleClock(Now());
  PlaceBoardGrid(f);
  IndexFieldSources({});
  std::vector<int> survivors;
  for (int i = 0; i < 600; ++i) {
    BoardMote m;
    m.x = 400.0f + (float)(i % 7) * 1.5f, m.y = f.hitY - 40.0f - (float)(i % 5);
    m.note = 60 + i % 2, m.bonded = (i % 4) != 3, m.reach = 40.0f, m.groupIndex = i % 7, m.groupSize = 7;
    m.bondStrength = 1.0f, m.maxLife = 2.0f, m.sparkleAge = (float)i;
    m.life = (i % 3 == 0) ? 0.001f : 1.5f;         // every third dies in this frame
    if (i % 50 == 7) m.y = f.hitY + 500.0f;         // below the band: removed
    if (i % 50 == 9) m.x = -9000.0f;                // no cell
    if (!(m.life < 0.01f || m.y > f.hitY + 100.0f)) survivors.push_back(i);
    gBoardMotes.push_back(m);
  }
  BuildBoardGrid(f);
  LaneNotesOut none;
  MoveBoardMotes(MoteForces{&f, &none.fields, 0.5f, gParticleClock.dt, gParticleClock.T});
  ASSERT_EQ(gBoardMotes.size(), survivors.size());
  for (size_t k = 0; k < survivors.size(); ++k) EXPECT_EQ(gBoardMotes[k].sparkleAge, (float)survivors[k]);
  for (const BoardMote& m : gBoardMotes) {
    EXPECT_EQ(m.dying, 0);
    EXPECT_TRUE(std::isfinite(m.x) && std::isfinite(m.vy));
  }
  // A second frame over the compacted store.
  BuildBoardGrid(f);
  MoveBoardMotes(MoteForces{&f, &none.fields, 0.5f, gParticleClock.dt, gParticleClock.T});
  EXPECT_EQ(gBoardMotes.size(), survivors.size());
}

// Bonded motes move while the pass runs; a plume mote searching after them finds its partner where
// they are now: one that sped away from it no longer is, one that climbed to it from lower in the
// cell is, though that one was listed too far below to be reached without the cell's slack.
TEST_F(BoardParticlesTest, PartnerFoundWhereMovedMotesAreNow) {
  const LaneFrame f = Frame();
  ReserveParticlePools();
  PlaceBoardGrid(f);
  IndexFieldSources({});
  const BoardParticles& g = gBoardGrid;
  const float dt = 0.05f;
  float cx, cy;
  ::CellCentre(CellIndexAt(640.0f, f.hitY - 120.0f), &cx, &cy);
  const float top = cy - 0.5f * g.cellH;
  auto mote = [&](float x, float y, float vx, float vy) {
    BoardMote m;
    m.x = x, m.y = y, m.vx = vx, m.vy = vy, m.note = 60, m.bonded = 1, m.reach = 60.0f;
    m.bondStrength = 1.0f, m.groupSize = 7, m.phase = 0.3f, m.life = m.maxLife = 2.0f;
    return m;
  };
  const BoardMote searcher = mote(cx, top + 0.15f * g.cellH, 0.0f, 0.0f);
  gBoardMotes = {
      mote(cx + 1.0f, searcher.y + 1.0f, 0.45f * g.cellW / dt, 0.0f),  // beside it, then away
      mote(cx, top + 0.9f * g.cellH, 0.0f, -0.8f * g.cellH / dt),      // far below, then up to it
      searcher};
  gBoardMotes.reserve(MotePoolCeiling());
  auto nearest = [&](const std::vector<BoardMote>& motes) {
    size_t best = 0;
    for (size_t j = 1; j + 1 < motes.size(); ++j)
      if (std::hypot(motes[j].x - searcher.x, motes[j].y - searcher.y) <
          std::hypot(motes[best].x - searcher.x, motes[best].y - searcher.y))
        best = j;
    return best;
  };
  const size_t nearestAtBuild = nearest(gBoardMotes);
  BuildBoardGrid(f);
  LaneNotesOut none;
  MoveBoardMotes(MoteForces{&f, &none.fields, 0.5f, dt, 1.0f});
  ASSERT_EQ(gBoardMotes.size(), 3u);
  const size_t partner = nearest(gBoardMotes);
  ASSERT_NE(partner, nearestAtBuild);  // the moves changed which mote is nearest
  // What the searcher, last in the store, reads now is what it reads in the pass before its own move.
  float vx = 0.0f, vy = 0.0f;
  ApplyMoteBond(2, searcher, &vx, &vy, dt);
  // The same search with the partner alone beside the searcher, built where the partner is now.
  gBoardMotes = {gBoardMotes[partner], searcher};
  BuildBoardGrid(f);
  float wantVx = 0.0f, wantVy = 0.0f;
  ApplyMoteBond(1, searcher, &wantVx, &wantVy, dt);
  EXPECT_NE(wantVx, 0.0f);
  EXPECT_EQ(std::make_pair(vx, vy), std::make_pair(wantVx, wantVy));
}

// Held keys at full velocity, splashes and a dense song for many frames: the pools keep the
// capacity they reserved once and the stores stay within their caps.
TEST_F(BoardParticlesTest, PoolsNeverGrowUnderLoad) {
  std::vector<SongEvent> song;
  for (uint32_t t = 0; t < 20000; t += 20) {
    song.push_back(LaneNoteOn(t, 36 + (int)(t / 20) % 48, 120));
    song.push_back(LaneNoteOff(t + 300, 36 + (int)(t / 20) % 48));
  }
  std::stable_sort(song.begin(), song.end(), [](const SongEvent& a, const SongEvent& b) { return a.timeMs < b.timeMs; });
  PlaySong(song, 1000);
  for (int note : {48, 55, 60, 64, 67}) Hold(note, 127);
  for (int pc = 0; pc < 12; ++pc) gLaneFeed.pcHoldSeconds[pc] = 3.0f;
  Step(16);
  const size_t moteCapacity = gBoardMotes.capacity(), sparkCapacity = gSplashParticles.capacity();
  size_t most = 0;
  for (int i = 0; i < 400; ++i) {
    Step(i % 10 == 0 ? 50 : 16);
    most = std::max(most, gBoardMotes.size());
    ASSERT_EQ(gBoardMotes.capacity(), moteCapacity);
    ASSERT_EQ(gSplashParticles.capacity(), sparkCapacity);
    ASSERT_LE(gSplashParticles.size(), SplashCap(gParticleClock.f));
    ASSERT_LE(gBoardMotes.size(), MoteCap(gParticleClock.f, Frame().practiceLevel));
  }
  EXPECT_GT(most, 1000u);
}

}  // namespace
