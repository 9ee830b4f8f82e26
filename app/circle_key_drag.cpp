// app/circle_key_drag: the key drag's angle, snapping and pick.
#include "app/circle_key_drag.h"

#include <algorithm>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/ring_key_drag.h"
#include "app/base/view_modes.h"
#include "app/circle_view.h"
#include "app/ring_glow.h"
#include "gfx/layout.h"
#include "platform/input.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"
#include "visual/ring_primitives.h"

// ---- constants ----
constexpr float kPi = 3.14159265358979f;
constexpr float kSector = kPi / 6.0f;     // one key's share of the circle
constexpr float kHalfSector = kPi / 12.0f;
constexpr float kSnapPull = 0.35f;        // how strongly the shown angle leans to the sector's middle

// ---- public functions ----
// The circle's centre as drawn (ring mode moves it towards the window's middle).
static void RingCentre(float* cx, float* cy) {
  float minSide = 0, radius = 0, inner = 0, innermost = 0;
  ComputeCircleLayout(cx, cy, &minSide, &radius, &inner, &innermost);
  if (gRingModeFade > 0.001f) {
    *cx += ((float)gClientWidth / 2.0f - *cx) * gRingModeFade;
    *cy += ((float)gClientHeight / 2.0f - *cy) * gRingModeFade;
  }
}

int RingAngleToKey(int x, int y) {
  float cx = 0, cy = 0;
  RingCentre(&cx, &cy);
  float a = std::atan2((float)y - cy, (float)x - cx);
  float r = std::fmod(a + kPi / 2.0f + kHalfSector, kSector);
  if (r < 0) r += kSector;
  float u = std::clamp((r - kHalfSector) / kHalfSector, -1.0f, 1.0f);
  float shown = a - kSnapPull * u * (1.0f - u * u) * kHalfSector;
  int p = (int)std::floor((shown + kPi / 2.0f) / kSector + 0.5f);
  p = ((p % 12) + 12) % 12;
  SetRingDragShownAngle(shown);
  bool moved = !gRingPickActive || p != gRingPickPos;
  gRingDragPos = p;
  gRingPickPos = p;
  gRingPickScale = gCurrentScale;
  gRingPickModeIndex = gSelectedModeIndex;
  gRingPickActive = true;
  if (moved) gRingPickTime = GetAppSeconds() + kRingPickDelay;
  gKeyRoot = kFifthsOrder[p];
  return gKeyRoot;
}

bool BeginRingKeyDrag(int x, int y) {
  if (gPracticeMode) return false;
  float dx = (float)x - gKeyMarkerX, dy = (float)y - gKeyMarkerY;
  if (std::sqrt(dx * dx + dy * dy) > gKeyMarkerRadius) return false;
  gRingDragging = true;
  gRingDragPos = RingPosOfPitchClass(gKeyRoot);
  if (!gRingDragCursorHidden) {
    ShowPointer(false);
    gRingDragCursorHidden = true;
  }
  CaptureMouse(true);
  RingAngleToKey(x, y);
  return true;
}

bool FollowRingKeyDrag(int x, int y) {
  if (!gRingDragging) return false;
  RingAngleToKey(x, y);
  return true;
}

void FinishRingKeyDrag(bool wasDragging) {
  if (gRingDragCursorHidden) {
    // A marker hidden meanwhile (another view came up) leaves the pointer where it is.
    if (gKeyMarkerRadius > 0.0f) {
      // The marker last drawn follows the pointer's angle; it comes to rest in the middle of the
      // chosen key's sector, as far out as it is now, and the pointer appears there.
      float cx = 0, cy = 0;
      RingCentre(&cx, &cy);
      const float reach = std::hypot(gKeyMarkerX - cx, gKeyMarkerY - cy);
      const float angle = RingSectorMiddle(RingPosOfPitchClass(gKeyRoot));
      WarpPointer((int)std::lround(cx + reach * std::cos(angle)), (int)std::lround(cy + reach * std::sin(angle)));
    }
    ShowPointer(true);
    gRingDragCursorHidden = false;
  }
  if (gRingPickActive) gRingPickTime = GetAppSeconds() + kRingPickDelay;
  if (wasDragging) StartKeySweep();
}
