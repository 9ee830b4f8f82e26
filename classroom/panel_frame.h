// classroom/panel_frame: where a classroom panel stands in the window and the frame it is laid out
// in: a header band with the title and the close button at its right end. No GL.
#pragma once

#include "gfx/rect.h"

// A length at the UI scale, never under the minimum that keeps it usable at small scales.
float PanelPx(float scaled, float minimum);

// The panel, its header band and the close button in the band's right end.
struct PanelFrame {
  RectF panel = kHiddenRect, header = kHiddenRect, closeButton = kHiddenRect;
};

// A panel of the wanted size (each at least its minimum) but never wider or taller than the window
// leaves room for (12 pixels each side, and never under 300), centred in the window; its close
// button stands `pad` in from the panel's right edge.
PanelFrame LayoutCentredPanel(float scale, float width, float minWidth, float height, float minHeight, float pad);
// The header band and the close button of a panel already placed.
PanelFrame FramePanel(float scale, const RectF& panel, float pad);
