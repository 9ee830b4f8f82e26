// board/board_draw: the few immediate-mode shapes the board is drawn from, in the current GL
// colour (set it with SetGlColor, so the global draw alpha applies). None changes GL state.
#pragma once

// A filled axis-aligned quad.
void FillBoardQuad(float x, float y, float w, float h);
// A closed one-pixel outline of the rectangle.
void StrokeBoardRect(float x, float y, float w, float h);
// One line.
void DrawBoardLine(float x0, float y0, float x1, float y1);
// A filled disc of the given number of segments.
void FillBoardDisc(float cx, float cy, float radius, int segments);
// A circle as a closed line.
void StrokeBoardCircle(float cx, float cy, float radius, int segments);
