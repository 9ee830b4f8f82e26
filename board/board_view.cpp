// board/board_view: the practice board's frame: one record computed at its start, then the blocks
// in their fixed order, each handed the same record.
#include "board/board_view.h"

#include <algorithm>

#include "app/base/app_clock.h"
#include "board/board_frame.h"
#include "board/note_fall_lane.h"
#include "practice/achievement_tracking.h"

// ---- state ----
static BoardViewFrame gBoardViewFrame;   // the frame being drawn; rebuilt at the start of every frame

// ---- public functions ----
void DrawBoardView() {
  BoardViewFrame& f = gBoardViewFrame;
  ComputeBoardViewFrame(&f, GetAppSeconds());
  const float s = f.layout.scale;
  if (f.lower.h <= std::max(70.0f * s, 56.0f) && !f.laneMode) return;
  DrawNoteFallButton(f);
  DrawNoteFallLane(f);
  DrawLaneKeyboard(f);
}

void LowerBoardTimers(float dt) {
  for (float& glow : gScaleRunGlow)
    if (glow > 0.0f) glow = std::max(glow - dt, 0.0f);
}

void ResetBoardView() { ResetBoardViewFrame(); }
