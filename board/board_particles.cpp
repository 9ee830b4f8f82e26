// board/board_particles: the particle clock, the pools and their caps, the fired-hit record and
// the hit splashes; the frame's order of the whole layer.
//
// The frame, in order: clock, activity, the hits' sources and splashes, the sparks' motion, the
// motes' emission, the grid, the motes' pass, the caps. Drawing reads the result (board/lane_draw).
#include "board/board_particles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "board/board_motes.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"

// ---- constants ----
constexpr float kTwoPi = 6.28318530718f;
constexpr uint32_t kFiredHitKeepMs = 12000;
constexpr float kMoteBase = 66000.0f, kSplashBase = 12600.0f;

const BoardParticleTuning kBoardParticleTuning = {2.5f, 0.33f, 1.7f, 1.85f, 2.5f, 0.87f,
                                                  1.21f, 1.02f, 0.51f, 1.83f, 0.25f};

// ---- state ----
std::vector<BoardMote> gBoardMotes;            // rising motes, oldest first
std::vector<SplashParticle> gSplashParticles;  // sparks, oldest first
std::vector<FiredBoardHit> gFiredBoardHits;    // hits already raised
uint32_t gSplashLastMs[128] = {};              // per note: the last splash's clock time
std::vector<HitSource> gHitSources;            // this frame's hit and held-key sources
float gBoardKeyActivity = 0.0f;                // eased level of what sounds
float gBoardStrikeActivity = 0.0f;             // decaying level of fresh strikes
ParticleClock gParticleClock = {0, 1.0f / 60.0f, 0.0f, 1.0f};  // the layer's clock
static bool gParticleClockStarted = false;     // the clock has seen a frame
static uint32_t gClearedCountSeen = 0;         // gPlayAlongHighlightsCleared when last looked at

// ---- internal helpers ----
namespace {

float MoteLoad(float P) {
  const BoardParticleTuning t = ClampedParticleTuning();
  return std::max(t.countScale * t.splashLifeScale, (P * 0.36f + 0.84f) * (P * 0.62f + 0.78f));
}

// The highest the activity of keys can be this frame, and the freshest strike.
void UpdateActivity(const LaneFrame& f, const std::vector<NoteHit>& hits, const bool* prevHeld, float dt) {
  float keyLevel = 0.0f, strike = 0.0f;
  for (const HeldNote& h : gHeldNotes)
    if (h.sounding && h.note >= 0 && h.note <= 127) keyLevel = std::max(keyLevel, Clamp01((float)h.velocity / 127.0f));
  for (int n = 0; n < 128; ++n) {
    if (gKeySounding[n]) keyLevel = std::max(keyLevel, Clamp01(gKeyLevel[n]));
    if (f.pressed[n] && !prevHeld[n]) strike = std::max(strike, Clamp01(f.keyLevel[n]));
  }
  for (const NoteHit& h : hits) strike = std::max(strike, Clamp01(h.velocity));
  gBoardKeyActivity += (keyLevel - gBoardKeyActivity) * (1.0f - std::exp(-4.2f * dt));
  gBoardStrikeActivity = std::max(strike, gBoardStrikeActivity * std::exp(-7.8f * dt));
}

}  // namespace

// ---- public functions ----
BoardParticleTuning ClampedParticleTuning() {
  const BoardParticleTuning& k = kBoardParticleTuning;
  return {ClampFloat(k.countScale, 0.35f, 2.5f),      ClampFloat(k.driftScale, 0.0f, 2.5f),
          ClampFloat(k.riseScale, 0.2f, 3.0f),        ClampFloat(k.moteSpeedScale, 0.4f, 3.0f),
          ClampFloat(k.wobbleGain, 0.0f, 2.5f),       ClampFloat(k.vortexGain, 0.0f, 2.5f),
          ClampFloat(k.splashBrightness, 0.25f, 2.5f), ClampFloat(k.splashSizeScale, 0.25f, 2.5f),
          ClampFloat(k.splashLifeScale, 0.25f, 3.0f), ClampFloat(k.moteGlowScale, 0.0f, 2.5f),
          ClampFloat(k.fieldGain, 0.0f, 2.5f)};
}

void StepParticleClock(uint32_t nowMs) {
  ParticleClock& c = gParticleClock;
  c.dt = gParticleClockStarted ? ClampFloat((float)(uint32_t)(nowMs - c.nowMs) * 0.001f, 1.0f / 240.0f, 0.06f)
                               : 1.0f / 60.0f;
  gParticleClockStarted = true;
  c.nowMs = nowMs;
  c.T = (float)(nowMs % 10000000u) * 0.001f;  // precise in a float; the wobbles do not see the seam
  c.f = ClampFloat((1.0f / 60.0f) / std::max(c.dt, 1.0f / 240.0f), 0.35f, 1.0f);
}

float Rand01() { return (float)(std::rand() % 10000) * 0.0001f; }

float RandBell() {
  float a = Rand01(), b = Rand01(), c = Rand01();
  return (a + b + c - 1.5f) * 0.6666667f;
}

float CenteredOffset(int index, int count) { return count <= 1 ? 0.0f : (float)index - (float)(count - 1) * 0.5f; }

size_t MotePoolCeiling() { return (size_t)std::ceil(kMoteBase * MoteLoad(1.0f)); }
size_t SplashPoolCeiling() { return (size_t)std::ceil(kSplashBase * ClampedParticleTuning().countScale); }

void ReserveParticlePools() {
  if (gBoardMotes.capacity() < MotePoolCeiling()) gBoardMotes.reserve(MotePoolCeiling());
  if (gSplashParticles.capacity() < SplashPoolCeiling()) gSplashParticles.reserve(SplashPoolCeiling());
  if (gHitSources.capacity() < 512) gHitSources.reserve(512);
  if (gFiredBoardHits.capacity() < 4096) gFiredBoardHits.reserve(4096);
}

size_t MoteCap(float frameFactor, float practiceLevel) {
  float cap = std::max(13200.0f, kMoteBase * frameFactor * MoteLoad(Clamp01(practiceLevel)));
  return std::min((size_t)cap, MotePoolCeiling());
}

size_t SplashCap(float frameFactor) {
  float cap = std::max(2400.0f, kSplashBase * frameFactor * ClampedParticleTuning().countScale);
  return std::min((size_t)cap, SplashPoolCeiling());
}

void ApplyParticleCaps(float practiceLevel) {
  const size_t moteCap = MoteCap(gParticleClock.f, practiceLevel), sparkCap = SplashCap(gParticleClock.f);
  if (gBoardMotes.size() > moteCap)
    gBoardMotes.erase(gBoardMotes.begin(), gBoardMotes.begin() + (std::ptrdiff_t)(gBoardMotes.size() - moteCap));
  if (gSplashParticles.size() > sparkCap)
    gSplashParticles.erase(gSplashParticles.begin(),
                           gSplashParticles.begin() + (std::ptrdiff_t)(gSplashParticles.size() - sparkCap));
}

bool MarkBoardHitFired(uint64_t key) {
  const uint32_t now = gParticleClock.nowMs;
  for (FiredBoardHit& h : gFiredBoardHits)
    if (h.key == key) {
      h.lastSeenMs = now;
      return false;
    }
  gFiredBoardHits.push_back({key, now});
  return true;
}

void KeepFiredBoardHits(bool songRunning, uint32_t pos) {
  const uint32_t now = gParticleClock.nowMs;
  std::erase_if(gFiredBoardHits, [now](const FiredBoardHit& h) { return (uint32_t)(now - h.lastSeenMs) > kFiredHitKeepMs; });
  if (gClearedCountSeen != gPlayAlongHighlightsCleared) {
    gClearedCountSeen = gPlayAlongHighlightsCleared;
    gFiredBoardHits.clear();
    gLaneLastSongPos = 0;
  }
  if (songRunning) {
    if ((int64_t)gLaneLastSongPos > (int64_t)pos + 140) gFiredBoardHits.clear();  // a seek or a loop back
    gLaneLastSongPos = pos;
  }
}

void SplashKeySpan(const LaneFrame& f, int note, float centreX, float* left, float* right, float* width) {
  float kx, kw;
  bool black;
  if (GetLaneKeyRect(f.keys, note, &kx, &kw, &black) && kw > 0.5f) {
    float inset = std::min(std::max((black ? 0.26f : 0.18f) * kw, 1.4f), 0.42f * kw);
    *width = kw;
    *left = kx + inset;
    *right = kx + kw - inset;
  } else {
    *width = std::max(8.0f, f.keys.whiteW);
    float inset = std::max(0.22f * *width, 1.6f);
    *left = centreX - inset;
    *right = centreX + inset;
  }
  if (*right - *left < 1.0f) {
    float inset = std::max(0.18f * *width, 1.2f);
    *left = centreX - inset;
    *right = centreX + inset;
  }
}

void SpawnHitSplash(const LaneFrame& f, int note, float x, bool primary, float velocity, float R, float G, float B,
                    bool hasColour) {
  if (note < 0 || note > 127) return;
  const uint32_t now = gParticleClock.nowMs;
  if ((uint32_t)(now - gSplashLastMs[note]) < (primary ? 28u : 44u)) return;
  gSplashLastMs[note] = now;
  const BoardParticleTuning t = ClampedParticleTuning();
  const float v = ClampFloat(velocity, 0.15f, 1.2f);
  if (!(hasColour && R >= 0.0f && G >= 0.0f && B >= 0.0f))
    LaneNoteColour(f, note, primary ? 1.2f : 0.96f, &R, &G, &B, false, false);
  const float drift = -(v * 14.0f + 10.0f) * t.driftScale;
  float left, right, w;
  SplashKeySpan(f, note, x, &left, &right, &w);
  int n = ClampInt((int)((Rand01() * 4.0f + v * 12.0f + 8.0f + (primary ? 4.0f : 0.0f)) * t.countScale), 8, 32);
  const int sideCount[2] = {std::max(3, n / 2 + (n % 2)), std::max(3, n / 2)};
  const float ky = f.hitY - std::max(f.s, 0.8f);
  for (int side = 0; side < 2; ++side) {
    const float d = side == 0 ? -1.0f : 1.0f, edge = side == 0 ? left : right;
    for (int i = 0; i < sideCount[side]; ++i) {
      if (gSplashParticles.size() >= gSplashParticles.capacity()) return;  // the pool never grows
      const float alt = (float)(i % 2) - 0.5f;
      float r[12];
      for (float& ri : r) ri = Rand01();
      float dx = (r[1] * 0.1f - 0.05f) + (r[0] * 0.24f + 0.18f) * d + alt * 0.08f;
      float dy = r[2] * 0.3f + 0.82f, dz = r[3] * 0.16f - 0.08f;
      float len = std::max(std::sqrt(dx * dx + dy * dy + dz * dz), 0.001f);
      float speed = ((r[4] * 1.2f + 0.6f) * 56.0f + 52.0f) * (v * 0.34f + 0.56f) * (primary ? 1.05f : 1.0f);
      SplashParticle p;
      p.x = edge + alt * std::max(0.05f * w, 0.8f) + (2.0f * r[5] - 1.0f) * std::max(0.04f * w, 0.7f);
      p.y = ky;
      p.vx = dx / len * speed * 0.18f + drift * 0.12f + (v * 8.0f + 6.0f) * d;
      p.vy = -(std::fabs(dy / len) * 0.36f + 0.42f) * speed * 0.16f * t.riseScale;
      p.life = p.maxLife =
          ClampFloat((r[6] * (primary ? 0.14f : 0.12f) + 0.1f) * (v * 0.34f + 0.84f) * t.splashLifeScale, 0.1f, 0.6f);
      p.size = ClampFloat((r[7] * (primary ? 0.48f : 0.34f) + (primary ? 0.58f : 0.44f)) * (v * 0.22f + 0.76f), 0.24f,
                          1.45f) * t.splashSizeScale;
      p.growth = (r[8] * (primary ? 7.0f : 5.4f) + 3.8f) * (v * 0.22f + 0.42f) * t.splashSizeScale;
      p.phase = r[9] * kTwoPi;
      p.wobble = (r[10] * 0.56f + 0.6f) * (primary ? 10.0f : 7.0f) * (v * 0.28f + 0.7f) * t.wobbleGain;
      p.glint = ClampFloat(v * 0.46f + 0.22f, 0.22f, 0.88f);
      float m = ClampFloat(v * 0.1f + 0.1f + (primary ? 0.04f : 0.0f), 0.0f, 0.34f), k = r[11] * 0.14f + 0.92f;
      p.r = ClampFloat((1.0f - m) * R * k + m, 0.0f, 2.2f);
      p.g = ClampFloat((1.0f - m) * G * k + m * 1.02f, 0.0f, 2.2f);
      p.b = ClampFloat((1.0f - m) * B * k + m * 1.1f, 0.0f, 2.4f);
      p.hasColour = hasColour ? 1 : 0;
      gSplashParticles.push_back(p);
    }
  }
}

void RunHitSplashes(const LaneFrame& f, const std::vector<NoteHit>& hits) {
  if (hits.empty()) return;
  size_t primary = hits.size();
  for (size_t i = 0; i < hits.size() && primary == hits.size(); ++i)
    if (PitchClassMod(hits[i].note) == f.tonic) primary = i;
  if (primary == hits.size()) {
    primary = 0;
    float best = (float)hits[0].note * 0.002f + hits[0].velocity;
    for (size_t i = 1; i < hits.size(); ++i) {
      float v = (float)hits[i].note * 0.002f + hits[i].velocity;
      if (v > best) best = v, primary = i;
    }
  }
  for (size_t i = 0; i < hits.size(); ++i) {
    const NoteHit& h = hits[i];
    const bool p = i == primary;
    float left, right, w;
    SplashKeySpan(f, h.note, h.x, &left, &right, &w);
    HitSource src;
    src.y = f.hitY - std::max(10.0f * f.s, 8.0f);
    src.radius = std::max(60.0f, f.laneH * (p ? 0.42f : 0.34f));
    src.pull = Clamp01(h.velocity) * 26.0f + 22.0f;
    src.push = -(Clamp01(h.velocity) * 0.2f + 0.7f);
    src.glow = p ? 0.34f : 0.24f;
    src.note = h.note;
    src.x = left, src.swirl = p ? -32.0f : -24.0f;
    gHitSources.push_back(src);
    src.x = right, src.swirl = p ? 32.0f : 24.0f;
    gHitSources.push_back(src);
    SpawnHitSplash(f, h.note, h.x, p, ClampFloat(h.velocity, 0.2f, 1.0f), h.r, h.g, h.b, h.hasColour != 0);
  }
}

void MoveSplashParticles(const LaneFrame& f, const std::vector<FieldSource>& fields, float activity) {
  const BoardParticleTuning t = ClampedParticleTuning();
  const float dt = gParticleClock.dt, T = gParticleClock.T, L = f.level;
  const MoteForces forces{&f, &fields, activity, dt, T};
  const float floorVy = -t.riseScale * std::max(12.0f, 16.0f * f.s);
  const float vortexEase = 1.0f - std::exp(-3.0f * dt);
  size_t keep = 0;
  for (size_t i = 0; i < gSplashParticles.size(); ++i) {
    SplashParticle p = gSplashParticles[i];
    p.life -= dt;
    if (p.life <= 0.0f) continue;
    p.vx += (std::sin(9.4f * T + p.phase + 0.01f * p.y) * p.wobble * t.wobbleGain +
             std::sin(4.0f * T + 0.026f * p.y + 0.011f * p.x) * 58.0f * (2.0f * L + 1.0f) * t.wobbleGain) * dt;
    p.vy = std::min(p.vy + 10.0f * t.riseScale * dt, 4.0f);
    LaneVortexEased(f, T, p.x, p.y, &p.vx, &p.vy, vortexEase, (activity * 0.8f + 0.2f) * 7.0f * t.vortexGain);
    ApplyFieldSources(forces, p.x, p.y, &p.vx, &p.vy, &p.r, &p.g, &p.b, t.fieldGain * 0.45f);
    p.vy = std::min(p.vy, floorVy);  // a spark always rises at least this fast
    p.x += p.vx * dt;
    p.y += p.vy * dt;
    p.size += p.growth * dt;
    gSplashParticles[keep++] = p;
  }
  gSplashParticles.resize(keep);
}

void AdvanceBoardParticles(const LaneFrame& f, const LaneNotesOut& notes) {
  ReserveParticlePools();
  const float dt = gParticleClock.dt;
  UpdateActivity(f, notes.hits, BoardKeysHeldLastFrame(), dt);
  const float activity = std::max(gBoardKeyActivity, gBoardStrikeActivity);
  gHitSources.clear();
  PlaceBoardGrid(f);
  IndexFieldSources(notes.fields);
  RunHitSplashes(f, notes.hits);
  MoveSplashParticles(f, notes.fields, activity);
  EmitBoardMotes(f);
  BuildBoardGrid(f);
  MoveBoardMotes(MoteForces{&f, &notes.fields, activity, dt, gParticleClock.T});
  ApplyParticleCaps(f.practiceLevel);
}

void ResetBoardParticles() {
  gBoardMotes.clear();
  gSplashParticles.clear();
  gFiredBoardHits.clear();
  gHitSources.clear();
  std::fill(gSplashLastMs, gSplashLastMs + 128, 0u);
  gBoardKeyActivity = gBoardStrikeActivity = 0.0f;
  gParticleClock = {0, 1.0f / 60.0f, 0.0f, 1.0f};
  gParticleClockStarted = false;
  gClearedCountSeen = gPlayAlongHighlightsCleared;
  ResetBoardMotes();
}
