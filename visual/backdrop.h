// visual/backdrop: what lies behind the circle: the background gradient and the star field.
#pragma once

// PENDING: the circle view's background gradient.
void DrawBackgroundGradient();
// PENDING: the backdrop star field.
void DrawBackdrop(float dt, float b);
