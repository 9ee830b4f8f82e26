// board/board_view: the practice board's frame: one record computed at its start, then the blocks
// in their fixed order, each handed the same record.
#include "board/board_view.h"

#include <algorithm>

#include "app/base/app_clock.h"
#include "app/base/view_modes.h"
#include "board/board_frame.h"
#include "board/note_fall_lane.h"
#include "board/scale_grid.h"
#include "board/scale_preview.h"
#include "practice/achievement_tracking.h"

// ---- state ----
static BoardViewFrame gBoardViewFrame;   // the frame being drawn; rebuilt at the start of every frame

// ---- public functions ----
void DrawBoardView() {
  BoardViewFrame& f = gBoardViewFrame;
  ComputeBoardViewFrame(&f, GetAppSeconds());
  // While the lane is up the grid gives way at once; while it fades out a cover hides the grid.
  if (!gPracticeMode && !gLearningOverlay && f.laneFade < 0.995f)
    DrawScaleGrid(f);
  else if (!gPracticeMode && f.laneFade > 0.001f)
    DrawGridCover(f);

  const float s = f.layout.scale;
  if (f.lower.h <= std::max(70.0f * s, 56.0f) && !f.laneMode) return;
  DrawScalePreview(f);
  DrawNoteFallButton(f);
  DrawNoteFallLane(f);
  DrawLaneKeyboard(f);
  DrawPreviewInfoMark(f);
}

void LowerBoardTimers(float dt) {
  for (float& glow : gScaleRunGlow)
    if (glow > 0.0f) glow = std::max(glow - dt, 0.0f);
}

void ResetBoardView() { ResetBoardViewFrame(); }
