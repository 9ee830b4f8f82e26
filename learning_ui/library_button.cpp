// learning_ui/library_button: placing, drawing and toggling the library button.
#include "learning_ui/library_button.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/hit_regions.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "learning/iso_dates.h"
#include "learning/library_view_state.h"
#include "learning/schedule.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/learning_screen_state.h"

// ---- public functions ----
RectF ComputeLibraryButtonRect() {
  const RectF& header = gStudentHeaderRect;
  if (header.w >= 2.0f && header.x > -9000.0f) {
    float side = 1.76f * header.h;
    return {header.x + header.w + std::max(0.3f * header.h, 7.0f), header.y, side, side};
  }
  float s = ClampFloat(std::min((float)gClientWidth, (float)gClientHeight) / 900.0f, 0.7f, 1.6f);
  float margin = std::max(11.0f * s, 9.0f);
  float side = 1.76f * ClampFloat(26.0f * s, 22.0f, 32.0f);
  return {margin, margin, side, side};
}

bool SyncLibraryButton() {
  if (!gPracticeMode) {
    gLibraryButtonRect = kHiddenRect;
    gLibraryOpen = false;
    gLibraryOpenedMs = 0;
    return false;
  }
  if (gRingMode) {
    gLibraryButtonRect = kHiddenRect;
    gLibraryOpen = false;
    return false;
  }
  gLibraryButtonRect = ComputeLibraryButtonRect();
  return true;
}

void ToggleLibraryScreen() {
  gLibraryOpen = !gLibraryOpen;
  if (gLibraryOpen) {
    gLibraryOpenedMs = LearningMsStamp();
    return;
  }
  gLibraryOpenedMs = 0;
  EndPlannedDayPreview();
}

void DrawLibraryButton() {
  if (!SyncLibraryButton()) return;
  const RectF b = gLibraryButtonRect;
  const float side = b.w;
  bool hovered = PointInRect(b, gMouseX, gMouseY) || gLibraryOpen;
  float r = std::max(0.26f * side, 8.0f);
  SetGlColor(0.1f, 0.13f, 0.19f, 0.96f);
  FillRoundedRect(b.x, b.y, side, side, r, 14);
  float inset = 0.7f * r;
  const float top[4] = {0.16f, 0.19f, 0.27f, 0.95f}, bottom[4] = {0.08f, 0.1f, 0.15f, 0.95f};
  FillGradientRect(b.x + inset, b.y + inset, side - 2 * inset, side - 2 * inset, top, bottom);
  glLineWidth(1.0f);
  if (hovered)
    SetGlColor(0.95f, 0.8f, 0.4f, 0.85f);
  else
    SetGlColor(0.18f, 0.24f, 0.34f, 0.5f);
  StrokeRoundedRect(b.x, b.y, side, side, r, 14);
  float barW = 0.13f * side, barH = 0.44f * side, gap = 2.2f;
  float left = b.x + (side - (3 * barW + 2 * gap)) / 2.0f, y = b.y + (side - barH) / 2.0f;
  SetGlColor(0.96f, 0.8f, 0.34f, 0.96f);
  for (int i = 0; i < 3; ++i) {
    float raise = i == 1 ? 0.044f * side : 0.0f;
    FillRoundedRect(left + i * (barW + gap), y - raise, barW, barH, 1.5f, 4);
  }
}
