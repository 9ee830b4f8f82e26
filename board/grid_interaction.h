// board/grid_interaction: the scale grid's answers to the mouse and keyboard: the cell under a
// point, the Ctrl-click selection of cells (Shift for a rectangle from the anchor), clearing
// earned cells, the practice strip's hit test, and the click rules the window procedure applies.
//
// Grid rows are the seven visible slots of the scale window; columns 0..11 are ring positions
// (column c is the key kFifthsOrder[c]). The selection stores achievement rows (catalogue
// positions), so it survives scrolling the list.
#pragma once
#include <cstdint>
#include <set>
#include <utility>

extern std::set<std::pair<int, int>> gSelectedCells;   // (achievement row, column), ordered
extern int gSelectionAnchorRow;   // slot of the last single Ctrl-click, -1 none
extern int gSelectionAnchorCol;   // its column, -1 none
extern int gGridHoverRow;         // slot under the mouse, -1 none
extern int gGridHoverCol;         // column under the mouse, -1 none

// The slot (0..6) and column (0..11) of the cell under the point; false in gaps and outside.
bool HitTestScaleGrid(int x, int y, int* row, int* col);
// The Ctrl-click operation: toggles one cell and moves the anchor, or with range adds the
// rectangle from the anchor (the anchor stays).
void ClickScaleCell(int row, int col, bool range);
// Resets one earned cell of an achievement row (its flag, time, timers and play tracks); true when
// it was earned. The caller syncs and saves the achievements.
bool ClearEarnedCell(int achievementRow, int col);
// Resets every earned cell of the selection (the selection stays) and returns how many were earned.
int ClearSelectedGoldCells();
// The point lies in the practice strip of the board layout, edges included.
bool IsPointInPracticeStrip(int x, int y);
// The student view is on for an existing active student, outside practice mode and learning.
bool IsStudentViewActive();

// ---- the window procedure's rules on the grid ----
// Mouse move: the hover cell.
void UpdateGridHover(int x, int y);
// No hover cell (the grid is covered or hidden).
void ClearGridHover();
// Any left button down, before it is routed: without Ctrl, a press anywhere but on a picked cell
// drops the selection and its anchor, so a later Backspace cannot clear cells left behind.
void DropSelectionForPress(int x, int y, bool ctrl);
// Left button down with the modifier state; true when the press was on a cell (and taken).
bool OnGridMouseDown(int x, int y, bool ctrl, bool shift);
// The double-click message; true when taken (a cell, or a double click the running practice
// strip swallows).
bool OnGridDoubleClick(int x, int y);
// Backspace while nothing else has the keyboard; true when there was a selection to clear.
bool OnGridBackspace();
// A double click inside the shown practice strip while a run is active reaches no other target.
bool PracticeStripSwallowsDoubleClick(int x, int y);
// Forgets the last grid click, so the next click is never taken for a double click.
void ResetGridClickMemory();
