// app/orb_gate: the orb's gate and transform in the frame.
#include "app/orb_gate.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "board/grid_interaction.h"
#include "gfx/layout.h"
#include "visual/orb_state.h"

// ---- state ----
static bool gOrbDrawnLastFrame = false;  // the last frame's placement drew the orb

// ---- public functions ----
OrbPlacement ComputeOrbPlacement(const OrbParams& visual) {
  OrbPlacement out;
  const float t = Clamp01(gRingModeFadeSlow / 0.92f);
  const float fade = std::pow(1.0f - t, 1.35f);
  const float spin = std::pow(t, 1.7f);
  out.draw = fade > 0.004f && !IsStudentViewActive() && !gPracticeMode && (gLearningOverlay || gSongViewFade < 0.995f);
  if (!out.draw) return out;
  out.params = visual;
  out.params.fade = fade;
  if (gLearningOverlay) {
    float cx, cy, minSide, radius, inner, innermost;
    ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);
    out.params.centreX = cx;
    out.params.centreY = cy;
    out.params.innerRadius = std::max(24.0f, innermost);
  }
  const float degrees = spin * 260.0f;
  if (degrees > 0.01f) {
    out.turnDegrees = degrees;
    out.pivotX = visual.centreX;
    out.pivotY = visual.centreY;
  }
  return out;
}

void DrawOrbInFrame() {
  const OrbPlacement place = ComputeOrbPlacement(gVisualParams);
  gOrbDrawnLastFrame = place.draw;
  if (!place.draw) return;
  if (place.turnDegrees <= 0.0f) {
    DrawOrbFrame(place.params);
    return;
  }
  glPushMatrix();
  glTranslatef(place.pivotX, place.pivotY, 0.0f);
  glRotatef(place.turnDegrees, 0.0f, 0.0f, 1.0f);
  glTranslatef(-place.pivotX, -place.pivotY, 0.0f);
  DrawOrbFrame(place.params);
  glPopMatrix();
}

bool IsOrbSettling() { return gOrbDrawnLastFrame && IsOrbRelaxing(); }
