// board/grid_interaction: hit tests, the cell selection and the clearing of earned cells.
//
// A click previews a mode in a key; clearing earned cells is deliberately awkward to reach
// (double-click, Shift-click, or Backspace over a Ctrl-picked selection) so a stray click never
// throws away an earned achievement.
#include "board/grid_interaction.h"

#include <algorithm>
#include <string>

#include "app/base/ring_key_drag.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "board/board_layout.h"
#include "gfx/translate.h"
#include "midi/play_along.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "theory/scale_selection.h"

// ---- state ----
std::set<std::pair<int, int>> gSelectedCells;   // picked cells by achievement row and column
int gSelectionAnchorRow = -1;                   // anchor of range picks (slot)
int gSelectionAnchorCol = -1;
int gGridHoverRow = -1;                         // hover cell (slot, column)
int gGridHoverCol = -1;
static bool gLastGridClickValid = false;        // a grid click has been recorded
static uint64_t gLastGridClickMs = 0;           // ClockTickMs64 of the last grid click
static int gLastGridClickRow = -1;              // its catalogue index (list view) or slot
static int gLastGridClickCol = -1;              // its column

// ---- internal helpers ----
// Achievement row of the scale in a slot, -1 when none.
static int AchievementRowOfSlot(int slot) {
  const ScaleRow* scale = ScaleWindowItemScale(slot);
  return scale ? FindScaleRow(scale) : -1;
}

// Clears the cell under a click when it is earned, and saves.
static void ClearClickedCell(int slot, int col) {
  SyncAchievementRows();
  if (ClearEarnedCell(AchievementRowOfSlot(slot), col)) {
    SyncAchievementRows();
    SaveAchievements();
  }
}

// A click previews that mode in that key (the current scale when the slot is empty).
static void PreviewSlotAt(int slot, int col) {
  CancelRingKeyDrag();
  SelectScale(ScaleWindowItemScale(slot), col, true);
  ReapplyScaleSelection();
}

static std::string PickedText(int count) { return TrF("%d picked - double-click or Backspace to clear", count); }

static void EmptySelection() {
  gSelectedCells.clear();
  gSelectionAnchorRow = -1;
  gSelectionAnchorCol = -1;
}

// ---- public functions ----
bool ClearEarnedCell(int row, int col) {
  if (!IsAchievementRowValid(row) || col < 0 || col > 11 || !gAchvDone[row][col]) return false;
  gAchvDone[row][col] = 0;
  gAchvTime[row][col] = 0;
  gAchvFlash[row][col] = 0.0f;
  gAchvGlow[row][col] = 0.0f;
  gAchvSheen[row][col] = 0.0f;
  ResetCellPlayTrack(gAchvUpTracks[row][col]);
  ResetCellPlayTrack(gAchvDownTracks[row][col]);
  return true;
}

bool HitTestScaleGrid(int x, int y, int* row, int* col) {
  BoardLayout b;
  ComputeBoardLayout(&b);
  float px = (float)x, py = (float)y;
  if (px < b.gridX || px > b.gridX + b.gridW || py < b.gridY || py > b.gridY + b.gridH) return false;
  GetScaleCatalogue();
  float frac = ScaleWindowFraction();
  for (int slot = 0; slot < 7; ++slot) {
    int index = ScaleWindowItemIndex(slot);
    if (index < 0 || index >= (int)gScaleCatalogue.size() || !ScaleWindowItemScale(slot)) continue;
    float top = b.gridY + ((float)slot - frac) * (b.cellH + b.cellGap);
    if (py < top || py > top + b.cellH) continue;
    for (int c = 0; c < 12; ++c) {
      float left = b.gridX + (float)c * (b.cellW + b.cellGap);
      if (px >= left && px <= left + b.cellW) {
        *row = slot;
        *col = c;
        return true;
      }
    }
    return false;   // in a gap between columns
  }
  return false;
}

void ClickScaleCell(int row, int col, bool range) {
  if (row < 0 || row > 6 || col < 0 || col > 11) return;
  if (range && gSelectionAnchorRow >= 0 && gSelectionAnchorCol >= 0) {
    int r0 = std::min(row, gSelectionAnchorRow), r1 = std::max(row, gSelectionAnchorRow);
    int c0 = std::min(col, gSelectionAnchorCol), c1 = std::max(col, gSelectionAnchorCol);
    for (int slot = r0; slot <= r1; ++slot) {
      const ScaleRow* scale = ScaleWindowItemScale(slot);
      if (!scale) continue;
      SyncAchievementRows();
      int position = CatalogueIndexOf(scale);
      if (!IsAchievementRowValid(position)) continue;
      for (int c = c0; c <= c1; ++c) gSelectedCells.insert({position, c});
    }
    return;
  }
  int position = AchievementRowOfSlot(row);
  if (position < 0) return;
  auto cell = std::make_pair(position, col);
  if (!gSelectedCells.erase(cell)) gSelectedCells.insert(cell);
  gSelectionAnchorRow = row;
  gSelectionAnchorCol = col;
}

int ClearSelectedGoldCells() {
  SyncAchievementRows();
  int cleared = 0;
  for (const auto& cell : gSelectedCells)
    if (ClearEarnedCell(cell.first, cell.second)) ++cleared;
  if (cleared > 0) {
    SyncAchievementRows();
    SaveAchievements();
  }
  return cleared;
}

bool IsPointInPracticeStrip(int x, int y) {
  BoardLayout b;
  ComputeBoardLayout(&b);
  float px = (float)x, py = (float)y;
  return px >= b.stripX && px <= b.stripX + b.stripW && py >= b.stripY && py <= b.stripY + b.stripH;
}

bool IsStudentViewActive() {
  return gStudentView && gActiveStudentIndex >= 0 && gActiveStudentIndex < (int)gStudents.size() &&
         !gPracticeMode && !gLearningOverlay;
}

void ClearGridHover() { gGridHoverRow = gGridHoverCol = -1; }

void UpdateGridHover(int x, int y) {
  int row = -1, col = -1;
  if (!HitTestScaleGrid(x, y, &row, &col)) row = col = -1;
  gGridHoverRow = row;
  gGridHoverCol = col;
}

void DropSelectionForPress(int x, int y, bool ctrl) {
  if (gSelectedCells.empty() || ctrl) return;
  int slot = -1, col = -1;
  if (HitTestScaleGrid(x, y, &slot, &col) && gSelectedCells.count({AchievementRowOfSlot(slot), col})) return;
  const std::string counted = PickedText((int)gSelectedCells.size());
  EmptySelection();
  // That line would still send Backspace after cells that are no longer picked.
  if (gStatusText == counted) gStatusText.clear();
}

bool OnGridMouseDown(int x, int y, bool ctrl, bool shift) {
  int slot = -1, col = -1;
  if (!HitTestScaleGrid(x, y, &slot, &col)) return false;
  if (ctrl) {
    ClickScaleCell(slot, col, shift);
    if (gSelectedCells.empty())
      gStatusText = Tr("Nothing picked");
    else
      gStatusText = PickedText((int)gSelectedCells.size());
    return true;
  }
  int clickRow = gScaleListMode ? ScaleWindowItemIndex(slot) : slot;
  uint64_t now = ClockTickMs64();
  bool doubleClick = gLastGridClickValid && clickRow == gLastGridClickRow && col == gLastGridClickCol &&
                     now - gLastGridClickMs <= kDoubleClickMs;
  if (shift || doubleClick) ClearClickedCell(slot, col);
  gLastGridClickValid = true;
  gLastGridClickMs = now;
  gLastGridClickRow = clickRow;
  gLastGridClickCol = col;
  PreviewSlotAt(slot, col);
  return true;
}

bool PracticeStripSwallowsDoubleClick(int x, int y) {
  return IsPracticeRunActive() && IsPracticeStripShown() && IsPointInPracticeStrip(x, y);
}

bool OnGridDoubleClick(int x, int y) {
  if (PracticeStripSwallowsDoubleClick(x, y)) return true;
  int slot = -1, col = -1;
  if (!HitTestScaleGrid(x, y, &slot, &col)) return false;
  int position = AchievementRowOfSlot(slot);
  if (!gSelectedCells.empty() && gSelectedCells.count({position, col})) {
    int cleared = ClearSelectedGoldCells();
    EmptySelection();
    gStatusText = cleared > 0 ? TrF("Cleared %d", cleared) : Tr("Nothing earned in that pick");
    return true;
  }
  ClearClickedCell(slot, col);
  PreviewSlotAt(slot, col);
  return true;
}

bool OnGridBackspace() {
  if (gSelectedCells.empty()) return false;
  int picked = (int)gSelectedCells.size();
  int cleared = ClearSelectedGoldCells();
  EmptySelection();
  gStatusText = cleared > 0 ? TrF("Cleared %d", cleared) : TrF("Nothing earned in those %d", picked);
  return true;
}

void ResetGridClickMemory() {
  gLastGridClickValid = false;
  gLastGridClickMs = 0;
  gLastGridClickRow = gLastGridClickCol = -1;
}
