// board/board_motes: the motes of the lane's particle layer: their emission from held keys and from
// the whole lane, the 32 x 20 cell grid that bins them every frame, the five forces that push
// them (note sources, the lane vortex, hit sources, the crowd and a plume partner) and the pass
// that moves them.
//
// Neighbour searches go through the grid: a mote reads the sums of nine cells for its crowd, the
// bonded motes of nine cells (grouped by note and sorted by height) for its partner, and only the
// sources whose reach covers its cell. Each search keeps the result a plain scan in list order
// would give.
#pragma once
#include <cstdint>
#include <vector>

#include "board/lane_notes.h"
#include "board/particle_types.h"

constexpr int kGridCols = 32, kGridRows = 20, kGridCells = kGridCols * kGridRows;

// The frame's cell grid over the lane and a margin around it.
struct BoardParticles {
  float left = 0.0f, top = 0.0f, width = 1.0f, height = 1.0f;  // the grid's rectangle
  float cellW = 1.0f, cellH = 1.0f;
  float weight[kGridCells], leftWeight[kGridCells], rightWeight[kGridCells];
  float sumVx[kGridCells], sumVy[kGridCells], sumCx[kGridCells], sumCy[kGridCells];
  int32_t bondedCount[kGridCells];
  int32_t cellStart[kGridCells + 1];
  int32_t cellFill[kGridCells + 1];
  std::vector<int32_t> cellMotes;   // bonded mote indices grouped by cell, by note and height within
  std::vector<int32_t> cellMoteNote;  // parallel to cellMotes: the note
  std::vector<float> cellMoteY;       // parallel to cellMotes: y at the build
  // Parallel to cellMotes: where the mote is now, kept by the pass as it moves and kills motes, so
  // the partner search reads a few packed bytes a candidate instead of the whole mote.
  struct BondedPlace {
    float x, y;
    int32_t dying;
  };
  std::vector<BondedPlace> cellMotePlace;
  float cellShift[kGridCells];     // largest move of a listed mote of the cell so far in the pass
  std::vector<int32_t> moteCell;    // each mote's cell at the build, -1 none
  std::vector<int32_t> moteSlot;    // each mote's place in cellMotes, -1 none
  // Sources indexed by the cells their reach covers, in list order within a cell.
  int32_t fieldStart[kGridCells + 1];
  std::vector<int32_t> fieldList;
  int32_t hitStart[kGridCells + 1];
  std::vector<int32_t> hitList;
};
extern BoardParticles gBoardGrid;

// The frame's forces' inputs (the sources of this frame).
struct MoteForces {
  const LaneFrame* frame;
  const std::vector<FieldSource>* fields;
  float activity;         // the layer's activity of the frame
  float dt, T;            // particle step and clock
};

// ---- the grid ----
// Places the grid over the frame's lane.
void PlaceBoardGrid(const LaneFrame& f);
// Cell of a point, -1 outside the grid.
int CellIndexAt(float x, float y);
// Centre of a cell.
void CellCentre(int index, float* cx, float* cy);
// Indexes the frame's note sources by the cells they reach (before the sparks move).
void IndexFieldSources(const std::vector<FieldSource>& fields);
// Bins the motes (sums, bonded lists) and indexes the frame's hit sources (after emission).
void BuildBoardGrid(const LaneFrame& f);
// t^2 (3 - 2t) of x's place between e0 and e1.
float Smoothstep01(float e0, float e1, float x);
// A pitch class of the shown scale on the tonic, drawn at random (the tonic without a scale).
int PickScalePitchClass(const LaneFrame& f);

// ---- forces ----
void ApplyFieldSources(const MoteForces& m, float x, float y, float* vx, float* vy, float* r, float* g, float* b,
                       float strength);
// The lane's swirl on a particle's velocity; ease is the step's easing share 1 - exp(-3 dt), worked
// out once for many particles.
void LaneVortexEased(const LaneFrame& f, float T, float x, float y, float* vx, float* vy, float ease, float strength);
void ApplyHitSources(const LaneFrame& f, const BoardMote& mote, float* vx, float* vy, float* glowA, float* glowB);
void ApplyMoteBond(int moteIndex, const BoardMote& mote, float* vx, float* vy, float dt);
void SampleMoteCrowd(const LaneFrame& f, BoardMote& mote, float* vx, float* vy, float dt, float gain);

// ---- emission ----
// Plume motes of the held keys (with their hit sources) and ambient motes of the lane.
void EmitBoardMotes(const LaneFrame& f);
// n plume motes of one held key.
void SpawnPlumeMotes(const LaneFrame& f, int note, float hold, float level, int n);
// One ambient mote.
void SpawnAmbientMote(const LaneFrame& f);

// ---- the pass ----
// Moves every mote one step; the dying are removed once at the end, keeping the order.
void MoveBoardMotes(const MoteForces& m);
// Which keys were held in the previous frame (the press bonus and the strikes read it).
const bool* BoardKeysHeldLastFrame();
// Accumulators and the previous frame's held keys back to zero.
void ResetBoardMotes();
