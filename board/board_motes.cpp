// board/board_motes: emission, the cell grid and the forces of the motes.
//
// The grid is rebuilt every frame into arrays sized once. A mote's cell is taken at the build; the
// pass moves motes while later ones still look for partners, so it copies each bonded mote's new
// place into the grid, and the partner search allows for the largest move made so far by a mote of
// the cell it reads when it prunes, and skips motes already marked dying.
#include "board/board_motes.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "board/board_particles.h"
#include "midi/play_along.h"
#include "theory/scale_rows.h"

// ---- constants ----
constexpr float kTwoPi = 6.28318530718f;

// ---- state ----
BoardParticles gBoardGrid;                    // this frame's grid
static float gKeyEmitAccumulator[128] = {};   // per key: motes owed
static float gAmbientEmitAccumulator = 0.0f;  // the lane's motes owed
static bool gKeyHeldLastFrame[128] = {};      // for the press bonus and the strikes
namespace {
struct BondSortKey {
  int32_t note;
  float y;
  int32_t index;
};
}  // namespace
static std::vector<BondSortKey> gBondSortKeys;  // the grid build's sort keys, kept from frame to frame

// ---- internal helpers ----
namespace {

struct CellRange {
  int c0, c1, r0, r1;  // inclusive; empty when c0 > c1 or r0 > r1
};

// Cells covered by a square of half-size radius around (x, y).
CellRange CellsAround(float x, float y, float radius) {
  const BoardParticles& g = gBoardGrid;
  CellRange r{1, 0, 1, 0};
  float fl = (x - radius - g.left) / g.cellW, fr = (x + radius - g.left) / g.cellW;
  float ft = (y - radius - g.top) / g.cellH, fb = (y + radius - g.top) / g.cellH;
  if (!(fr >= 0.0f && fl < (float)kGridCols && fb >= 0.0f && ft < (float)kGridRows)) return r;  // NaN too
  r.c0 = std::max(0, (int)std::floor(std::max(fl, -1.0f)));
  r.c1 = std::min(kGridCols - 1, (int)std::floor(std::min(fr, (float)kGridCols)));
  r.r0 = std::max(0, (int)std::floor(std::max(ft, -1.0f)));
  r.r1 = std::min(kGridRows - 1, (int)std::floor(std::min(fb, (float)kGridRows)));
  return r;
}

// Counting sort of sources into the cells their squares reach, keeping list order per cell.
template <class Source>
void IndexSources(const std::vector<Source>& sources, int32_t* start, std::vector<int32_t>* list) {
  std::fill(start, start + kGridCells + 1, 0);
  for (const Source& s : sources) {
    CellRange c = CellsAround(s.x, s.y, s.radius);
    for (int row = c.r0; row <= c.r1; ++row)
      for (int col = c.c0; col <= c.c1; ++col) ++start[row * kGridCols + col + 1];
  }
  for (int i = 0; i < kGridCells; ++i) start[i + 1] += start[i];
  list->resize((size_t)start[kGridCells]);
  int32_t fill[kGridCells];
  std::copy(start, start + kGridCells, fill);
  for (size_t i = 0; i < sources.size(); ++i) {
    CellRange c = CellsAround(sources[i].x, sources[i].y, sources[i].radius);
    for (int row = c.r0; row <= c.r1; ++row)
      for (int col = c.c0; col <= c.c1; ++col) (*list)[(size_t)fill[row * kGridCols + col]++] = (int32_t)i;
  }
}

// Calls visit(sourceIndex) for the sources that may reach (x, y), in list order, until it
// returns false.
template <class Source, class Visit>
void ForSourcesNear(const std::vector<Source>& sources, const int32_t* start, const std::vector<int32_t>& list,
                    float x, float y, Visit visit) {
  int cell = CellIndexAt(x, y);
  if (cell < 0) {
    for (size_t i = 0; i < sources.size(); ++i)
      if (!visit(i)) return;
    return;
  }
  for (int32_t k = start[cell]; k < start[cell + 1]; ++k)
    if (!visit((size_t)list[(size_t)k])) return;
}

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

// Copies a mote's move (by at most shift in x and in y) or death into the grid's packed places the
// partner search reads, and widens its cell's slack.
void KeepBondedPlace(size_t moteIndex, const BoardMote& m, float shift) {
  BoardParticles& g = gBoardGrid;
  if (moteIndex >= g.moteSlot.size()) return;
  const int32_t k = g.moteSlot[moteIndex];
  if (k < 0) return;
  g.cellMotePlace[(size_t)k] = {m.x, m.y, m.dying};
  float& cellShift = g.cellShift[g.moteCell[moteIndex]];
  cellShift = std::max(cellShift, shift);
}

}  // namespace

// ---- public functions ----
void PlaceBoardGrid(const LaneFrame& f) {
  BoardParticles& g = gBoardGrid;
  const float wk = f.keys.whiteW;
  g.left = f.laneX - std::max(24.0f, 1.6f * wk);
  const float right = f.laneX + f.laneW + std::max(30.0f, 1.8f * wk);
  g.top = -std::max(260.0f, 360.0f * f.s);
  const float bottom = f.hitY + std::max(48.0f, 64.0f * f.s);
  g.width = std::max(1.0f, right - g.left);
  g.height = std::max(1.0f, bottom - g.top);
  g.cellW = g.width / (float)kGridCols;
  g.cellH = g.height / (float)kGridRows;
}

int CellIndexAt(float x, float y) {
  const BoardParticles& g = gBoardGrid;
  float fc = (x - g.left) / g.cellW, fr = (y - g.top) / g.cellH;
  if (!(fc >= 0.0f && fc < (float)kGridCols && fr >= 0.0f && fr < (float)kGridRows)) return -1;
  return (int)fr * kGridCols + (int)fc;
}

void CellCentre(int index, float* cx, float* cy) {
  const BoardParticles& g = gBoardGrid;
  *cx = ((float)(index % kGridCols) + 0.5f) * g.cellW + g.left;
  *cy = ((float)(index / kGridCols) + 0.5f) * g.cellH + g.top;
}

void IndexFieldSources(const std::vector<FieldSource>& fields) {
  IndexSources(fields, gBoardGrid.fieldStart, &gBoardGrid.fieldList);
}

void BuildBoardGrid(const LaneFrame& f) {
  BoardParticles& g = gBoardGrid;
  const BoardParticleTuning t = ClampedParticleTuning();
  std::fill(g.weight, g.weight + kGridCells, 0.0f);
  std::fill(g.leftWeight, g.leftWeight + kGridCells, 0.0f);
  std::fill(g.rightWeight, g.rightWeight + kGridCells, 0.0f);
  std::fill(g.sumVx, g.sumVx + kGridCells, 0.0f);
  std::fill(g.sumVy, g.sumVy + kGridCells, 0.0f);
  std::fill(g.sumCx, g.sumCx + kGridCells, 0.0f);
  std::fill(g.sumCy, g.sumCy + kGridCells, 0.0f);
  std::fill(g.bondedCount, g.bondedCount + kGridCells, 0);
  if (g.moteCell.capacity() < gBoardMotes.capacity()) {
    g.moteCell.reserve(gBoardMotes.capacity());
    g.moteSlot.reserve(gBoardMotes.capacity());
  }
  if (g.cellMotes.capacity() < gBoardMotes.capacity()) {
    g.cellMotes.reserve(gBoardMotes.capacity());
    g.cellMoteNote.reserve(gBoardMotes.capacity());
    g.cellMoteY.reserve(gBoardMotes.capacity());
    g.cellMotePlace.reserve(gBoardMotes.capacity());
  }
  g.moteCell.resize(gBoardMotes.size());
  g.moteSlot.assign(gBoardMotes.size(), -1);
  const float P = f.practiceLevel, ambientM = P * 0.34f + 0.8f;
  int32_t bonded = 0;
  for (size_t i = 0; i < gBoardMotes.size(); ++i) {
    const BoardMote& m = gBoardMotes[i];
    int cell = CellIndexAt(m.x, m.y);
    g.moteCell[i] = cell;
    if (cell < 0) continue;
    float cx, cy;
    CellCentre(cell, &cx, &cy);
    float yn = Clamp01((m.y - g.top) / g.height);
    float w = (ClampFloat(m.glow, 0.0f, 2.0f) * 0.45f + 0.55f) * (m.bonded ? 1.45f : 0.58f) *
              ((1.0f - yn) * 0.78f + 0.58f) * (m.bonded ? t.splashSizeScale : ambientM);
    g.weight[cell] += w;
    g.sumVx[cell] += w * m.vx;
    g.sumVy[cell] += w * m.vy;
    g.sumCx[cell] += w * cx;
    g.sumCy[cell] += w * cy;
    (m.side >= 0.0f ? g.rightWeight : g.leftWeight)[cell] += w;
    if (m.bonded) ++g.bondedCount[cell], ++bonded;
  }
  g.cellStart[0] = 0;
  for (int i = 0; i < kGridCells; ++i) g.cellStart[i + 1] = g.cellStart[i] + g.bondedCount[i];
  g.cellMotes.assign((size_t)std::max(bonded, 1), -1);
  g.cellMoteNote.resize(g.cellMotes.size());
  g.cellMoteY.resize(g.cellMotes.size());
  g.cellMotePlace.resize(g.cellMotes.size());
  std::copy(g.cellStart, g.cellStart + kGridCells + 1, g.cellFill);
  // Within a cell: by note, then by height, then by store order, so a partner search reads one
  // note's motes and stops early (a plume is a narrow column: its motes differ most in height).
  // The keys are sorted packed, so that the comparisons read no mote.
  gBondSortKeys.resize(g.cellMotes.size());
  for (size_t i = 0; i < gBoardMotes.size(); ++i)
    if (g.moteCell[i] >= 0 && gBoardMotes[i].bonded)
      gBondSortKeys[(size_t)g.cellFill[g.moteCell[i]]++] = {gBoardMotes[i].note, gBoardMotes[i].y, (int32_t)i};
  for (int c = 0; c < kGridCells; ++c) {
    auto b = gBondSortKeys.begin() + g.cellStart[c], e = gBondSortKeys.begin() + g.cellStart[c + 1];
    if (e - b > 1)
      std::sort(b, e, [](const BondSortKey& a, const BondSortKey& c2) {
        if (a.note != c2.note) return a.note < c2.note;
        if (a.y != c2.y) return a.y < c2.y;
        return a.index < c2.index;
      });
  }
  for (size_t k = 0; k < (size_t)bonded; ++k) {
    const BondSortKey& key = gBondSortKeys[k];
    const BoardMote& m = gBoardMotes[(size_t)key.index];
    g.cellMotes[k] = key.index;
    g.cellMoteNote[k] = key.note;
    g.cellMoteY[k] = key.y;
    g.cellMotePlace[k] = {m.x, m.y, m.dying};
    g.moteSlot[(size_t)key.index] = (int32_t)k;
  }
  IndexSources(gHitSources, g.hitStart, &g.hitList);
  std::fill(g.cellShift, g.cellShift + kGridCells, 0.0f);
}

float Smoothstep01(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / std::max(e1 - e0, 0.00001f));
  return t * t * (3.0f - 2.0f * t);
}

int PickScalePitchClass(const LaneFrame& f) {
  if (f.scale && f.scale->count > 0) {
    int n = std::min(f.scale->count, 12);
    int i = ClampInt((int)std::floor((float)n * Rand01()), 0, n - 1);
    return PitchClassMod(f.scale->pcs[i] + f.tonic);
  }
  return f.tonic;
}

void ApplyFieldSources(const MoteForces& m, float x, float y, float* vx, float* vy, float* r, float* g, float* b,
                       float strength) {
  const std::vector<FieldSource>& fields = *m.fields;
  ForSourcesNear(fields, gBoardGrid.fieldStart, gBoardGrid.fieldList, x, y, [&](size_t i) {
    if (i >= fields.size()) return true;  // an index of another frame's list
    const FieldSource& s = fields[i];
    float dx = s.x - x, dy = s.y - y;
    if (std::fabs(dx) > s.radius || std::fabs(dy) > s.radius || dx * dx + dy * dy > s.radius * s.radius) return true;
    float d = std::sqrt(dx * dx + dy * dy) + 0.001f;
    float w = Clamp01(1.0f - d / std::max(s.radius, 1.0f));
    float ux = dx / d, uy = dy / d;
    float k = (w * 0.7f + 0.3f) * s.pull * w * strength;
    *vx += ux * k * m.dt;
    *vy += uy * k * m.dt;
    if (s.spring > 0.001f) {
      float sp = (s.restDistance - d) * s.spring * (0.75f * w + 0.25f) * strength;
      *vx += sp * ux * m.dt;
      *vy += sp * uy * m.dt;
    }
    if (s.swirl > 0.001f) {
      float t = (0.75f * w + 0.25f) * s.swirl * strength;
      *vx -= t * uy * m.dt;
      *vy += t * ux * m.dt;
    }
    if (s.tinted && s.tint > 0.001f) {
      float p = std::sin(s.pulseRate * m.T + s.pulsePhase) * 0.5f + 0.5f;
      float a = s.tint * (0.75f * w + 0.25f), base = ((1.0f - p) * 0.4f + 0.1f) * 0.78f;
      *r = Lerp(*r, s.tintR * 0.22f + 0.78f, a);
      *g = Lerp(*g, s.tintG * 0.22f + base, a);
      *b = Lerp(*b, s.tintB * 0.22f + base, a);
    }
    return false;  // one source acts
  });
}

void LaneVortexEased(const LaneFrame& f, float T, float x, float y, float* vx, float* vy, float ease, float strength) {
  const float cx = f.laneX + f.laneW * 0.5f, cy = f.hitY - f.laneH * 0.14f;
  const float dx = x - cx, dy = y - cy, d = std::sqrt(dx * dx + dy * dy) + 0.001f;
  const float R = std::max(f.laneH * 0.55f, 120.0f), w = Clamp01(1.0f - d / R);
  if (w <= 0.0f) {
    // Outside the vortex the target is still; only the easing towards it acts.
    *vx -= *vx * ease;
    *vy -= *vy * ease;
    return;
  }
  const float p = std::sin((dx + dy) * 0.008f + 2.2f * T) * 0.5f + 0.5f;
  const float s = strength * w * (p * p * 0.7f + 0.3f);
  *vx += (-dy / d * s - *vx) * ease;
  *vy += (dx / d * s - *vy) * ease;
}

void ApplyHitSources(const LaneFrame& f, const BoardMote& mote, float* vx, float* vy, float* glowA, float* glowB) {
  const BoardParticleTuning t = ClampedParticleTuning();
  const float P = f.practiceLevel;
  const float s1 = mote.bonded ? t.fieldGain : (P * 0.3f + 0.72f) * 0.34f;
  const float g1 = mote.bonded ? t.splashSizeScale : (P * 0.34f + 0.8f) * 0.3f;
  int acted = 0;
  ForSourcesNear(gHitSources, gBoardGrid.hitStart, gBoardGrid.hitList, mote.x, mote.y, [&](size_t i) {
    if (i >= gHitSources.size()) return true;  // an index of another frame's list
    const HitSource& s = gHitSources[i];
    float dx = s.x - mote.x, dy = s.y - mote.y, d2 = dx * dx + dy * dy;
    if (std::fabs(dx) > s.radius || std::fabs(dy) > s.radius || d2 < 0.0001f || d2 > s.radius * s.radius) return true;
    float d = std::sqrt(d2), w = Clamp01(1.0f - d / std::max(s.radius, 1.0f));
    float nx = dx / d, ny = dy / d;
    *vx += nx * s.pull * w * 0.11f * s1;
    *vy += s.pull * ny * w * 0.08f * s1 - (w * 0.6f + 0.4f) * s.pull * 0.035f * s1;
    *vx -= ny * s.swirl * w * 0.16f * (s1 * 0.2f + 0.8f);
    *vy += nx * s.swirl * w * 0.1f * s1;
    *vx += w * s.push * 0.2f * s1;
    *glowA = std::max(*glowA, w * s.glow * 0.18f * g1);
    *glowB = std::max(*glowB, w * s.glow * 0.4f * g1);
    return ++acted < 3;
  });
}

void ApplyMoteBond(int moteIndex, const BoardMote& mote, float* vx, float* vy, float dt) {
  const BoardParticles& g = gBoardGrid;
  if (!mote.bonded || gBoardMotes.size() <= 1 || moteIndex < 0 || (size_t)moteIndex >= g.moteCell.size()) return;
  const int cell = g.moteCell[(size_t)moteIndex];
  if (cell < 0) return;  // no cell, no partner
  const int row = cell / kGridCols, col = cell % kGridCols;
  int best = -1, bestOrder = 0;
  float bestD2 = 0.0f;
  const int32_t* notes = g.cellMoteNote.data();
  const float* ys = g.cellMoteY.data();
  const BoardParticles::BondedPlace* places = g.cellMotePlace.data();
  // The mote's own cell first, so that the neighbours can be passed over once none of them can hold
  // a closer partner; ties still go to the first in the nine cells' row-major order.
  static const int kVisit[9] = {4, 0, 1, 2, 3, 5, 6, 7, 8};
  for (int order : kVisit) {
    const int r = row + order / 3 - 1, c = col + order % 3 - 1;
    if (r < 0 || r >= kGridRows || c < 0 || c >= kGridCols) continue;
    const int k = r * kGridCols + c;
    const float slack = g.cellShift[k];
    if (best >= 0 && order != 4) {
      const float x0 = g.left + (float)c * g.cellW - slack, x1 = x0 + g.cellW + 2.0f * slack;
      const float y0 = g.top + (float)r * g.cellH - slack, y1 = y0 + g.cellH + 2.0f * slack;
      const float dx = std::max({0.0f, x0 - mote.x, mote.x - x1}), dy = std::max({0.0f, y0 - mote.y, mote.y - y1});
      if (dx * dx + dy * dy > bestD2) continue;
    }
    // This note's motes, sorted by their height at the build.
    const int32_t lo = (int32_t)(std::lower_bound(notes + g.cellStart[k], notes + g.cellStart[k + 1], mote.note) - notes);
    const int32_t hi = (int32_t)(std::upper_bound(notes + lo, notes + g.cellStart[k + 1], mote.note) - notes);
    if (lo == hi) continue;
    // The range holds bonded motes of this note only.
    auto consider = [&](int32_t p) {
      const int32_t j = g.cellMotes[(size_t)p];
      const BoardParticles::BondedPlace& o = places[p];
      if (j == moteIndex || o.dying) return;
      float dx = o.x - mote.x, dy = o.y - mote.y, d2 = dx * dx + dy * dy;
      if (best < 0 || d2 < bestD2 || (d2 == bestD2 && (order < bestOrder || (order == bestOrder && j < best))))
        best = j, bestD2 = d2, bestOrder = order;
    };
    // Motes moved since the build by at most the slack: scan outwards from the mote's height and
    // stop once no partner at least as close can follow.
    const int32_t mid = (int32_t)(std::lower_bound(ys + lo, ys + hi, mote.y) - ys);
    for (int32_t p = mid; p < hi; ++p) {
      float gap = ys[p] - mote.y - slack;
      if (best >= 0 && gap > 0.0f && gap * gap > bestD2) break;
      consider(p);
    }
    for (int32_t p = mid - 1; p >= lo; --p) {
      float gap = mote.y - ys[p] - slack;
      if (best >= 0 && gap > 0.0f && gap * gap > bestD2) break;
      consider(p);
    }
  }
  if (best < 0) return;
  const BoardMote& o = gBoardMotes[(size_t)best];
  const float d = std::sqrt(std::max(bestD2, 0.0001f));
  const float R = std::max((mote.reach + o.reach) * 0.36f * 0.82f, 8.0f);
  if (d > R) return;
  const float oa = CenteredOffset(mote.groupIndex, mote.groupSize), ob = CenteredOffset(o.groupIndex, o.groupSize);
  const float w = Clamp01(1.0f - d / R) * ClampFloat(1.0f - std::fabs(oa - ob) * 0.22f, 0.28f, 1.0f) * mote.bondStrength * 0.06f;
  if (w <= 0.0f) return;
  const float q = (float)(mote.groupIndex - o.groupIndex) * 0.73f;
  const float s = std::sin(o.phase * 0.79f + mote.phase * 1.31f + (o.x + mote.x) * 0.012f + (o.y + mote.y) * 0.019f + q);
  const float k = (std::fabs(s) * 0.58f + 0.42f) * (s < 0.0f ? -1.0f : 1.0f);
  const float ex = (o.x - mote.x) / d, ey = (o.y - mote.y) / d;
  *vx -= ey * k * w * 16.0f * dt;
  *vy += ex * k * w * 14.0f * dt;
  *vx += (o.vx - *vx) * w * 0.08f * dt;
  *vy += (o.vy - *vy) * w * 0.06f * dt;
  *vx += ex * w * 0.05f * dt;
  *vy += ey * w * 0.04f * dt;
}

void SampleMoteCrowd(const LaneFrame& f, BoardMote& mote, float* vx, float* vy, float dt, float gain) {
  const BoardParticles& g = gBoardGrid;
  const BoardParticleTuning t = ClampedParticleTuning();
  const float fc = (mote.x - g.left) / g.cellW, fr = (mote.y - g.top) / g.cellH;
  if (!(fc >= -2.0f && fc < (float)kGridCols + 1.0f && fr >= -2.0f && fr < (float)kGridRows + 1.0f)) return;
  const int col = (int)std::floor(fc), row = (int)std::floor(fr);
  float W = 0, Lw = 0, Rw = 0, Vx = 0, Vy = 0, Cx = 0, Cy = 0, up = 0, down = 0;
  for (int r = row - 1; r <= row + 1; ++r)
    for (int c = col - 1; c <= col + 1; ++c) {
      if (r < 0 || r >= kGridRows || c < 0 || c >= kGridCols) continue;
      const int k = r * kGridCols + c;
      if (g.weight[k] <= 0.0001f) continue;
      W += g.weight[k], Lw += g.leftWeight[k], Rw += g.rightWeight[k];
      Vx += g.sumVx[k], Vy += g.sumVy[k], Cx += g.sumCx[k], Cy += g.sumCy[k];
      if (r == row - 1) up += g.weight[k];
      if (r == row + 1) down += g.weight[k];
    }
  if (W <= 0.0001f) return;
  const float lean = (Rw - Lw) / W;
  const float bal = Lw + Rw > 0.0001f ? Clamp01(1.0f - std::fabs(Rw - Lw) / (Lw + Rw)) : 0.0f;
  const float vert = (down - up) / W;
  const float depth = Clamp01((g.top + g.height - mote.y) / g.height);
  const float k = ClampFloat((depth * 0.022f + 0.016f) * W * gain * t.fieldGain * t.splashSizeScale, 0.0f, 6.0f);
  const float sign = std::sin(Cx / W * 0.013f + Cy / W * 0.017f + mote.phase * 1.37f) + lean * 0.02f - vert * 0.015f < 0.0f
                         ? -1.0f : 1.0f;
  const float swirlK = (bal * 1.05f + 0.58f) * k * (mote.vigour * 0.28f + 0.8f) * t.wobbleGain;
  const float pushK = ((1.0f - bal) * 0.36f + 0.18f) * k * t.vortexGain;
  *vx += (-vert * swirlK * sign - lean * pushK) * dt * 10.5f;
  *vy += (lean * swirlK * sign - pushK * vert) * dt * 10.5f;
  *vx -= (bal + 2.2f) * k * dt;
  *vx += (Vx / W - *vx) * dt * (k * 0.02f + 0.03f);
  *vy += (Vy / W - *vy) * dt * (k * 0.02f + 0.02f);
  if (bal > 0.16f) {
    *vx -= k * sign * 0.52f * dt;
    *vy += k * sign * 0.28f * dt;
  }
  mote.shine = ClampFloat(std::max(mote.shine, (k * 0.08f * depth + 0.08f) * t.moteGlowScale), 0.0f, 0.98f);
  mote.weightB = ClampFloat(std::max(mote.weightB, (k * 0.1f * depth + 0.1f) * t.splashSizeScale), 0.0f, 1.0f);
  mote.glow = ClampFloat(std::max(mote.glow, (k * 0.07f + 0.92f) * t.splashBrightness), 0.0f, 2.2f);
  (void)f;
}

void SpawnPlumeMotes(const LaneFrame& f, int note, float hold, float level, int n) {
  float kx, kw;
  bool black;
  if (n <= 0 || !GetLaneKeyRect(f.keys, note, &kx, &kw, &black)) return;
  const BoardParticleTuning t = ClampedParticleTuning();
  const float whiteW = f.keys.whiteW, keyCentre = kx + kw * 0.5f;
  const float K = hold * 0.5f + 1.34f + level * 0.2f;
  const float spanW = std::max(18.0f, (hold * 0.74f + 1.58f + level * 0.48f) * whiteW);
  const float energy = std::max(gBoardStrikeActivity, hold * 0.64f + 0.46f + level * 0.54f);
  const float lineX = keyCentre + 0.5f * whiteW;
  const bool outside = !f.allNotesAllowed && !f.inScale[PitchClassMod(note)];
  const uint8_t keyState = KeyDisplayState(note, outside ? 1 : 0) != 0 ? 1 : 0;
  float nr = 0.45f, ng = 0.78f, nb = 1.0f;
  LaneNoteColour(f, note, hold * 0.22f + 0.78f + level * 0.18f, &nr, &ng, &nb, true, false);
  for (int i = 0; i < n; ++i) {
    if (gBoardMotes.size() >= gBoardMotes.capacity()) return;  // the pool never grows
    BoardMote m;
    const float b = ClampFloat(RandBell(), -1.0f, 1.0f);
    const float on = CenteredOffset(i % 7, 7) / 3.0f, aon = std::fabs(on);
    const float mid = 1.0f - aon, e = aon * 0.78f + 0.22f, lean0 = aon * 0.8f + 0.2f;
    m.groupIndex = i % 7, m.groupSize = 7, m.bonded = 1, m.note = note, m.keyState = keyState;
    m.side = on >= 0.0f ? 1.0f : -1.0f;
    const float B1 = RandBell(), B2 = RandBell();
    m.x = lineX - 0.2f * std::fabs(b) * spanW + 0.02f * B1 * spanW - (0.08f * aon + 0.3f) * lean0 * spanW +
          B2 * spanW * (0.02f * e + 0.03f);
    const float u1 = Rand01();
    m.y = f.hitY + (5.0f * u1 - 1.0f) - e * std::max(0.4f, 0.85f * f.s);
    m.anchorX = lineX - (0.08f * aon + 0.22f) * lean0 * spanW;
    m.reach = std::max(18.0f, (mid * 0.98f + 1.22f + std::fabs(b) * 0.12f) * spanW * t.moteSpeedScale);
    const float B3 = RandBell();
    m.vx = -(level * 3.6f + 5.2f) * lean0 -
           std::fabs(3.0f * B3 + std::fabs(b) * (level * 6.6f + 5.2f) - (hold * 5.2f + 6.4f) * K);
    m.vy = -(level * 50.0f + 34.0f + hold * 42.0f + energy * 18.0f) * t.riseScale * (mid * 0.48f + 0.84f);
    m.life = m.maxLife =
        ClampFloat((Rand01() * 0.56f + hold + 1.02f) * (mid * 0.22f + 1.04f) * t.splashLifeScale, 1.34f, 8.0f);
    const float su1 = Rand01(), su2 = Rand01();
    m.size = ClampFloat((std::pow(su2, su1 * 1.6f + 1.2f) * 2.5f + 0.1f) * (level * 0.22f + 0.9f) * (mid * 0.28f + 0.84f) *
                            (1.08f - aon * 0.12f) * t.splashSizeScale, 0.12f, 6.0f);
    m.wobblePhase = Rand01() * kTwoPi + b * 0.35f;
    m.wobbleRate = (Rand01() * 0.52f + 0.56f) * (e * 0.18f + 0.8f) * t.wobbleGain;
    m.wobble = (Rand01() * 2.8f + 1.6f) * (e * 0.14f + level * 0.42f + 0.62f) * t.wobbleGain;
    m.weightA = t.fieldGain * hold * (mid * 0.28f + 0.76f);
    m.glow = (mid * 0.46f + 0.54f) * (hold * 0.72f + 0.8f + level * 0.18f) * t.splashBrightness;
    m.shine = (mid * 0.24f + 0.8f) * (hold * 0.18f + 0.08f + level * 0.1f) * t.moteGlowScale;
    m.r = ClampFloat((mid * 0.16f + 0.8f) * nr, 0.0f, 2.2f);
    m.g = ClampFloat((mid * 0.18f + 0.78f) * ng, 0.0f, 2.2f);
    m.b = ClampFloat((mid * 0.14f + 0.84f) * nb, 0.0f, 2.3f);
    m.driftBias = -((mid * 0.1f + 1.12f) * K + lean0 * (level * 0.18f + 1.24f));
    m.phase = Rand01() * kTwoPi;
    m.sparkleAge = Rand01() * 0.72f + 0.28f;
    m.weightB = (mid * 0.52f + 0.48f) * (hold * 0.16f + 0.14f) * t.splashSizeScale;
    m.bondStrength = (mid * 0.22f + 0.76f) * (hold * 0.42f + 1.1f) * t.fieldGain;
    m.tetherGrowth = (e * 0.22f + 0.72f) * (hold * 0.68f + 1.38f + level * 0.28f) * t.moteSpeedScale;
    m.vigour = (e * 0.16f + 0.84f) * (hold * 0.58f + 1.18f + level * 0.36f) * t.wobbleGain;
    m.launchBoost = energy;
    m.bias = b;
    if (m.keyState) {
      m.r = 1.0f, m.g = 0.18f, m.b = 0.14f;
      m.shine = std::max(m.shine, 0.4f);
      m.flickerPhase = Rand01() * kTwoPi;
      m.flickerRate = Rand01() * 3.4f + 4.8f;
    }
    gBoardMotes.push_back(m);
    if (i % 3 == 0 && Rand01() < hold * 0.14f + 0.1f && gBoardMotes.size() < gBoardMotes.capacity()) {
      BoardMote p = m;
      p.groupIndex = (p.groupIndex + 2 + (Rand01() < 0.5f ? 1 : 0)) % 7;
      p.weightA = std::max(p.weightA, (hold * 0.14f + 0.28f) * t.fieldGain);
      p.weightB = (hold * 0.12f + 0.24f) * t.splashSizeScale;
      p.bondStrength = t.fieldGain * 0.66f;
      p.tetherGrowth *= t.moteSpeedScale * 0.9f;
      p.vigour *= t.wobbleGain * 1.12f;
      p.launchBoost = std::max(p.launchBoost, energy * 1.1f);
      p.size *= t.splashSizeScale * 0.72f;
      p.maxLife *= t.splashLifeScale * 0.84f;
      p.life = p.maxLife;
      const float pu = Rand01(), pB = RandBell();
      p.vx = -(pu * 2.0f + 2.8f) * lean0 - std::fabs(pB * 4.4f - (hold * 2.8f + 2.6f) * K + (hold * 3.6f + 7.0f) * b);
      p.vy = -(Rand01() * 14.0f + hold * 18.0f + 20.0f + energy * 16.0f) * t.riseScale * (mid * 0.1f + 0.82f);
      p.shine = std::max(p.shine, t.moteGlowScale * 0.22f);
      gBoardMotes.push_back(p);
    }
  }
}

void SpawnAmbientMote(const LaneFrame& f) {
  if (gBoardMotes.size() >= gBoardMotes.capacity()) return;
  const float P = f.practiceLevel, L = f.level;
  float peak = 0.0f;
  for (float h : f.pcHoldSeconds) peak = std::max(peak, ClampFloat(h, 0.0f, 3.5f));
  const float pcPeak = Clamp01(0.32f * peak);
  BoardMote m;
  m.x = m.anchorX = f.laneX + f.laneW * Clamp01(Rand01() * 0.98f + 0.01f);
  m.y = f.hitY - (Rand01() * std::max(18.0f * f.s, 10.0f) + 0.6f);
  m.reach = std::max(f.keys.whiteW * 2.2f * (P * 0.36f + 0.86f), 18.0f);
  m.side = Rand01() < 0.5f ? -1.0f : 1.0f;
  m.weightA = 0.0f;
  m.glow = P * 0.3f + 0.78f;
  m.shine = 0.0f;
  const float u1 = Rand01(), u2 = Rand01();
  m.vx = (2.0f * u1 - 1.0f) * (u2 + 0.4f) * (P * 0.48f + 0.84f);
  m.vy = -(Rand01() * (L * 152.0f + 120.0f) + 24.0f + pcPeak * 30.0f) * (P * 0.44f + 0.88f);
  m.life = m.maxLife = ClampFloat((Rand01() * 3.8f + 0.85f) * (P * 0.36f + 0.84f), 0.7f, 8.0f);
  const float s1 = Rand01(), s2 = Rand01();
  m.size = ClampFloat((std::pow(s1, s2 * 2.4f + 0.9f) * 6.0f + 0.1f) * (P * 0.34f + 0.8f), 0.1f, 10.0f);
  m.wobblePhase = m.side * 0.5f + Rand01() * kTwoPi;
  m.wobbleRate = (2.0f * Rand01() + 0.4f + m.side * 0.1f) * (P * 0.48f + 0.72f);
  m.wobble = (Rand01() * 26.0f + 5.0f) * (P * 0.48f + 0.72f);
  m.note = PickScalePitchClass(f) + 60;
  float nr = 0.45f, ng = 0.78f, nb = 1.0f;
  LaneNoteColour(f, m.note, Rand01() * 0.36f + 0.52f, &nr, &ng, &nb, true, false);
  m.r = ClampFloat(0.52f * nr, 0.0f, 1.8f);
  m.g = ClampFloat(0.52f * ng, 0.0f, 1.8f);
  m.b = ClampFloat(0.56f * nb, 0.0f, 2.0f);
  gBoardMotes.push_back(m);
}

void EmitBoardMotes(const LaneFrame& f) {
  const float dt = gParticleClock.dt, fr = gParticleClock.f;
  for (int note = kLaneLowNote; note <= kLaneHighNote; ++note) {
    if (!f.pressed[note]) {
      gKeyEmitAccumulator[note] *= std::exp(-6.0f * dt);
      continue;
    }
    float kx, kw;
    bool black;
    if (!GetLaneKeyRect(f.keys, note, &kx, &kw, &black)) continue;
    const float level = std::pow(Clamp01(f.keyLevel[note]), 1.7f);
    const float hold = Clamp01(ClampFloat(f.pcHoldSeconds[note % 12], 0.0f, 3.5f) / 1.6f), hold7 = std::pow(hold, 0.7f);
    float& acc = gKeyEmitAccumulator[note];
    acc += ((hold * 132.0f + 34.0f) + level * 48.0f + hold7 * 20.0f) * fr * 1.46f * dt;
    if (!gKeyHeldLastFrame[note]) acc += ClampFloat((hold * 20.0f + 14.0f + level * 14.0f + hold7 * 8.0f) * fr, 8.0f, 30.0f);
    const int n = ClampInt((int)acc, 0, 60);
    acc -= (float)n;
    const float centre = kx + kw * 0.5f, inset = std::min(std::max((black ? 0.26f : 0.18f) * kw, 1.4f), 0.42f * kw);
    HitSource src;
    src.y = f.hitY - std::max(8.0f * f.s, 6.0f);
    src.radius = std::max(144.0f, f.laneH * (hold * 0.38f + 0.68f));
    src.pull = hold * 56.0f + 42.0f + level * 24.0f;
    src.push = -1.2f * (hold * 0.5f + 1.34f + level * 0.2f);
    src.glow = hold * 0.18f + 0.3f;
    src.note = note;
    const float swirl = hold * 26.0f + 34.0f + level * 10.0f;
    if (gHitSources.size() + 2 <= gHitSources.capacity()) {
      src.x = centre - inset, src.swirl = -swirl;
      gHitSources.push_back(src);
      src.x = centre + inset, src.swirl = swirl;
      gHitSources.push_back(src);
    }
    SpawnPlumeMotes(f, note, hold, level, n);
  }
  std::copy(f.pressed, f.pressed + 128, gKeyHeldLastFrame);

  const float L = f.level, Q = f.practiceLevel * 0.62f + 0.78f;
  const float rate = ((float)gSplashParticles.size() * 0.26f + (L * 0.7f + 0.75f) * 168.0f) * (L * 0.9f + 1.2f) * 1.1f * Q;
  gAmbientEmitAccumulator += dt * ClampFloat(rate, 0.0f, 760.0f * Q);
  const int n = ClampInt((int)gAmbientEmitAccumulator, 0, (int)(fr * 205.0f * Q));
  gAmbientEmitAccumulator -= (float)n;
  for (int i = 0; i < n; ++i) SpawnAmbientMote(f);
}

const bool* BoardKeysHeldLastFrame() { return gKeyHeldLastFrame; }

void MoveBoardMotes(const MoteForces& mf) {
  const LaneFrame& f = *mf.frame;
  const BoardParticleTuning t = ClampedParticleTuning();
  const float dt = mf.dt, T = mf.T, s = f.s, P = f.practiceLevel, L = f.level;
  const float topLimit = -std::max(160.0f, 220.0f * s), bottomLimit = f.hitY + std::max(28.0f, 36.0f * s);
  const float gridBottom = gBoardGrid.top + gBoardGrid.height, gridHeight = gBoardGrid.height;
  // The frame's easing and damping factors, the same for every mote.
  const float vortexEase = 1.0f - std::exp(-3.0f * dt);
  const float plumeDampX = std::exp(-0.26f * dt / t.splashLifeScale), plumeDampY = std::exp(-0.14f * dt / t.splashLifeScale);
  const float ambientM = L * 1.05f + 0.4f;
  const float ambientDampX = std::exp(-(ambientM * 0.16f + 0.26f) * dt / (P * 0.36f + 0.84f));
  const float ambientDampY = std::exp(-0.12f * dt / (P * 0.36f + 0.84f));
  for (size_t i = 0; i < gBoardMotes.size(); ++i) {
    BoardMote& m = gBoardMotes[i];
    m.life -= dt;
    if (m.life <= 0.0f || m.y < topLimit || m.y > bottomLimit) {
      m.dying = 1;
      KeepBondedPlace(i, m, 0.0f);
      continue;
    }
    const float tl = Clamp01(m.life / std::max(m.maxLife, 0.001f)), age = 1.0f - tl;
    float vx = m.vx, vy = m.vy, glowA = 0.0f, glowB = 0.0f;
    if (m.bonded) {
      const float o = CenteredOffset(m.groupIndex, m.groupSize);
      const float edge = Clamp01(std::fabs(o) / std::max(1.0f, (float)std::max(m.groupSize - 1, 1) * 0.5f));
      const float inner = 1.0f - edge, lean = -(edge * 0.8f + 0.2f);
      const float heat = ClampFloat((m.weightB * 0.52f + 0.24f + m.shine * 0.24f + m.weightA * 0.18f) * (inner * 0.5f + 0.5f), 0.0f, 2.0f);
      const float lift = Clamp01((gridBottom - m.y) / std::max(1.0f, gridHeight * 0.22f));
      const float riseK = (heat * 0.72f + 0.7f + inner * 0.1f) * (inner * 0.28f + 0.72f);
      const float spread = (edge * 0.44f + 0.2f) * lift * ((1.0f - heat) * 0.18f + 0.14f) * ((edge * 0.78f + 0.22f) * 0.1f + 0.9f);
      const float R = t.riseScale * 3.55f, D = t.driftScale * 2.25f;
      const float young = 1.0f - Clamp01(age / 0.18f);
      const float launch = (1.0f - Clamp01((age - 0.02f) / 0.28f)) * m.launchBoost;
      const float wph = T * m.wobbleRate + m.wobblePhase + (m.vigour * 0.7f + 4.4f) * age;
      const float ps = std::sin(age * 6.6f + m.phase + m.y * 0.01f), pulse = ps * ps;
      const float wob = (RandBell() * 0.28f + 0.46f * std::sin(0.27f * wph + 1.1f * m.bias + 0.3f * m.phase) +
                         0.26f * std::sin((m.vigour * 0.08f + 0.42f) * T + 0.009f * m.anchorX + m.phase)) *
                        m.wobble * (age * 0.26f + 0.22f) * (m.vigour * 0.24f + 0.76f) * t.wobbleGain;
      const float sway = (std::cos((m.vigour * 0.1f + 0.31f) * T + 0.007f * m.x + m.phase) * (age * 5.0f + 3.0f) +
                          std::sin((m.vigour * 0.14f + 0.54f) * T + 0.018f * m.y + 0.006f * m.anchorX) * (age * 10.0f + 6.0f)) *
                         (m.vigour * 0.5f + 0.6f) * t.wobbleGain;
      const float home = 20.8f * m.driftBias * D, dx = m.x - m.anchorX;
      const float tether = (age * 1.35f * m.tetherGrowth + 1.08f) * m.reach;
      const float spring = tl * 0.06f + 0.04f + m.weightA * 0.03f;
      const float bob = (m.vigour * 5.5f + 4.0f) * std::sin(m.bias * 2.1f + wph * 0.72f) * t.riseScale;

      ApplyHitSources(f, m, &vx, &vy, &glowA, &glowB);
      SampleMoteCrowd(f, m, &vx, &vy, dt, t.vortexGain * 0.45f);
      ApplyMoteBond((int)i, m, &vx, &vy, dt);
      m.anchorX += ((launch * 4.4f + 3.2f) * m.driftBias + (age * 3.0f + 2.2f) * m.bias + (age * 1.6f + 3.4f) * lean) * dt * D;
      vx += ((young * 20.0f + 12.0f + launch * 16.0f) * m.bias * t.moteSpeedScale + sway + wob + home) * dt *
            (m.bondStrength * 0.5f + 0.68f);
      vx -= std::fabs(m.driftBias) * (tl * 4.2f + 4.0f) * dt * D;
      vx += (heat * 1.8f + 3.0f) * lean * dt * D;
      vy += (m.bondStrength * 0.16f + 0.48f) * (-3.6f - std::fabs(bob)) * dt * R * riseK;
      vx -= spring * dx * dt;
      if (std::fabs(dx) > 1.1f * tether) vx -= std::copysign(2.0f * age + 4.6f, dx) * dt;
      const float B = RandBell();
      vx += (B * (m.vigour * 2.0f + 1.2f) + std::sin(0.01f * m.anchorX + 0.58f * wph + m.phase) * (pulse * 2.8f + 1.6f)) * dt;
      vy += (m.weightA * 0.18f + 0.78f + m.vigour * 0.24f) * (-40.0f - 24.0f * age) * dt * R * riseK;
      if (young > 0.0f) vx -= (young * 10.0f + 8.0f + launch * 12.0f) * dt * D;
      vy += (m.weightA * 4.0f + 2.0f) * dt * (1.0f - Clamp01((age - 0.02f) / 0.16f)) * R;
      vy -= (m.weightA * 8.0f + 6.0f) * lift * dt * R;
      vy += spread * 2.3f * dt * R;
      vx += lean * spread * 1.8f * dt * D;
      m.shine = ClampFloat(std::max(m.shine, glowA), 0.0f, 0.98f);
      m.weightB = ClampFloat(std::max(m.weightB, glowB), 0.0f, 1.0f);
      m.glow = ClampFloat(std::max(m.glow, (inner * 0.44f + 0.56f) * (heat * 0.3f + 0.76f) * t.splashBrightness), 0.0f, 2.2f);
      LaneVortexEased(f, T, m.x, m.y, &vx, &vy, vortexEase, (mf.activity * 0.42f + 0.16f + launch * 0.18f) * 0.3f * t.fieldGain);
      ApplyFieldSources(mf, m.x, m.y, &vx, &vy, &m.r, &m.g, &m.b, 0.03f * t.fieldGain);
      vy = std::min(vy, -(heat * 0.92f + 0.42f + m.weightA * 0.1f + launch * 0.1f) * t.riseScale * std::max(54.0f, 80.0f * s));
      const float lateral = (edge * 0.42f + 0.22f) * lift * ((1.0f - heat) * 0.16f + 0.16f);
      vy += lateral * 2.5f * dt * R;
      vx += o * lateral * 1.9f * dt * D;
      vx *= plumeDampX;
      vy *= plumeDampY;
    } else {
      const float mm = L * 1.05f + 0.4f, fresh = Clamp01(age / 0.35f), F = P * 0.48f + 0.72f;
      ApplyHitSources(f, m, &vx, &vy, &glowA, &glowB);
      SampleMoteCrowd(f, m, &vx, &vy, dt, (P * 0.3f + 0.76f) * 0.85f);
      m.shine = ClampFloat(std::max(m.shine, glowA), 0.0f, 0.55f);
      m.weightB = ClampFloat(std::max(m.weightB, glowB), 0.0f, 0.4f);
      const float w1 = (8.0f * std::cos(0.005f * m.x + 0.82f * T) +
                        std::sin(0.02f * m.y + 2.1f * T + 0.007f * m.x + m.phase) * (age * 28.0f + 18.0f)) *
                       (2.0f * L + 1.0f) * (mm * 0.46f + 0.22f) * (fresh * 0.55f + 0.45f) * F;
      const float k = std::pow(std::fabs(std::sin(age * 4.0f + m.phase + 0.006f * m.x + 0.008f * m.y)), 1.7f) * 0.66f + 0.34f;
      const float w2 = (RandBell() * 0.34f + 0.66f * std::sin(T * m.wobbleRate + m.wobblePhase + 0.02f * m.y)) * m.wobble *
                       (mm * 0.48f + 0.28f) * (age * 0.85f + 0.45f) * (k * 0.4f + 1.0f) * F;
      const float sideSign = m.side >= 0.0f ? 1.0f : -1.0f;
      const float s3 = std::sin((sideSign * 0.12f + 0.84f) * T + m.wobblePhase + 0.01f * m.anchorX) * (mm * 4.0f + 2.0f) * F;
      vx += (w1 + w2) * dt * (mm * 0.72f + 0.82f);
      vx += (mm * 0.18f + 0.1f) * s3 * dt;
      vx += sideSign * k * (mm * 9.0f + 5.0f) * dt * F;
      const float dx = m.x - m.anchorX;
      vx -= ((1.0f - fresh) * 0.9f + 1.0f) * (tl * 0.22f + 0.28f) * dx * dt;
      if (std::fabs(dx) > 1.35f * m.reach) vx -= std::copysign(5.0f, dx) * dt;
      const float q = k * (mm + 1.0f) * (P * 0.44f + 0.88f);
      vy += (-28.0f - 32.0f * age) * dt * q;
      if (m.y > f.hitY - 12.0f) vy -= (mm * 20.0f + 14.0f) * dt * q;
      vy = std::min(vy, -(P * 0.44f + 0.88f) * std::max(42.0f, 60.0f * s) * (L * 0.48f + 0.92f));
      vx *= ambientDampX;
      vy *= ambientDampY;
    }
    m.vx = vx, m.vy = vy;
    m.x += vx * dt;
    m.y += vy * dt;
    KeepBondedPlace(i, m, std::max(std::fabs(vx), std::fabs(vy)) * dt);
  }
  // One stable compaction: the survivors keep their order for the oldest-first caps.
  std::erase_if(gBoardMotes, [](const BoardMote& m) { return m.dying != 0; });
}

void ResetBoardMotes() {
  std::fill(gKeyEmitAccumulator, gKeyEmitAccumulator + 128, 0.0f);
  std::fill(gKeyHeldLastFrame, gKeyHeldLastFrame + 128, false);
  gAmbientEmitAccumulator = 0.0f;
}
