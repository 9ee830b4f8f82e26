// classroom/panel_frame: the classroom panels' common frame.
#include "classroom/panel_frame.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"

// ---- public functions ----
float PanelPx(float scaled, float minimum) { return std::max(scaled, minimum); }

PanelFrame FramePanel(float s, const RectF& panel, float pad) {
  PanelFrame f;
  const float band = PanelPx(54 * s, 46), button = PanelPx(30 * s, 26);
  f.panel = panel;
  f.header = {panel.x, panel.y, panel.w, band};
  f.closeButton = {panel.x + panel.w - pad - button, panel.y + (band - button) / 2, button, button};
  return f;
}

PanelFrame LayoutCentredPanel(float s, float width, float minWidth, float height, float minHeight, float pad) {
  const float cw = (float)gClientWidth, ch = (float)gClientHeight;
  const float w = std::min(PanelPx(width * s, minWidth), std::max(cw - 24, 300.0f));
  const float h = std::min(PanelPx(height * s, minHeight), std::max(ch - 24, 300.0f));
  return FramePanel(s, {std::floor((cw - w) / 2), std::floor((ch - h) / 2), w, h}, pad);
}
