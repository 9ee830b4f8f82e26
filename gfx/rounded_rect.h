// gfx/rounded_rect: the filled and outlined rounded rectangle that most panels, buttons and badges
// are made of. Both draw in the current GL colour, line width and blend state and change no state.
#pragma once

// Fills {x, y, w, h} with corners of the radius; segments is the caller's smoothness wish.
void FillRoundedRect(float x, float y, float w, float h, float radius, int segments);
// Draws the outline as one closed line.
void StrokeRoundedRect(float x, float y, float w, float h, float radius, int segments);

// The radius actually used: max(min(radius, min(w, h) / 2 - 0.5), 0).
float LimitCornerRadius(float w, float h, float radius);
// Steps per corner arc of the fill and of the outline for a limited radius.
int RoundedFillSteps(float radius, int segments);
int RoundedStrokeSteps(float radius, int segments);
// The outline's points (x, y pairs) in drawing order: 4 points when the radius is at most 0.5,
// else 4 * (steps + 1) arc points from top-left clockwise.
void RoundedOutlinePoints(float x, float y, float w, float h, float radius, int segments, float* out, int* count,
                          int capacity);
