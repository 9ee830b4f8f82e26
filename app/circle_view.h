// app/circle_view: the circle view the frame draws each pass: glow feed, sectors, bands, labels,
// key marker, chord history, pattern list and the orb's parameter record.
#pragma once

// PENDING: drawn with the circle view.
void DrawCircleView(float dt, float now);
