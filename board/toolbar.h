// board/toolbar: the toolbar beside the board: a column of square buttons, each lit while its view
// state is on. The layout shows two of them: the practice run's chequered flag (which wags when
// the run changes state) and the day/night toggle's sun or moon.
#pragma once

#include "gfx/rect.h"

// Draws the toolbar's panel of buttons; nothing while the panel is 2 px wide or less.
void DrawToolbar();
// The day/night button with its sun or moon: the toolbar's button 7, and the same button in the
// window's corner while the toolbar is hidden.
void DrawDayModeButton(const RectF& r);
// The body of one button: halo under the mouse, fill in the lit or idle colour, edge.
void DrawToolbarButton(const RectF& r, bool lit, bool hovered, const float litRgb[3], const float idleRgb[3]);
// Remembers a change of the practice-run state at app time now (the flag's wag starts there).
void NoteToolbarPracticeState(int state, double now);
// The flag's angle in degrees at app time now: -38, wagging for 0.8 s after each state change.
float ToolbarFlagAngle(double now);
// Forgets the state last seen (no wag).
void ResetToolbar();
