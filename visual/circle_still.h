// visual/circle_still: the background gradient and the circle of fifths, drawn once and then put
// back from a texture for as long as they look the same.
//
// On a software rasteriser the window-wide gradient and the ring's blended sectors are most of a
// frame, yet an idle circle changes nothing from one frame to the next. Each ring position's look
// is summed up in a key; when only some positions change (a pulsing off-scale note, a shimmering
// chord) the picture is put back, and the changed positions alone are cleared to the bare
// gradient and drawn afresh. A changed size, tint, opacity, font or geometry draws everything.
#pragma once
#include <cstdint>

#include "visual/circle_pass.h"

// ---- public functions ----
// The background gradient alone (for frames without the circle): put back when current.
void DrawBackgroundStill(float dt);
// The gradient and then the circle pass of this frame, the same picture as DrawBackgroundGradient
// followed by DrawCirclePass.
void DrawCircleStill(float dt, const CirclePassInput& in, const CircleLook& look);
// A key of what one ring position draws (its paints, labels and colours).
uint64_t RingPositionKey(const RingPositionLook& look);
// Ring positions drawn afresh in the last DrawCircleStill; 12 when the whole picture was drawn.
int CircleStillRedrawnCount();
// Forgets both pictures (the next frame draws everything); for a new GL context and for tests.
void ResetCircleStill();
