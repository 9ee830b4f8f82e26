// app/circle_view: the circle view's step of the frame and the key marker.
//
// Depends on the glow feed and the chord recogniser of the shell, the circle pass, the backdrop's
// drive and the orb record of the visualiser, the layout, the view modes, the key drag and the
// circle key pick.
#include "app/circle_view.h"

#include <GL/gl.h>

#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/ring_key_drag.h"
#include "app/base/view_modes.h"
#include "app/chord_recogniser.h"
#include "app/chord_trail.h"
#include "app/orb_feed.h"
#include "app/pattern_list.h"
#include "app/ring_glow.h"
#include "board/grid_interaction.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/shapes.h"
#include "platform/clock.h"
#include "practice/teaching_state.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"
#include "visual/backdrop.h"
#include "visual/circle_pass.h"
#include "visual/circle_still.h"
#include "visual/orb_params.h"
#include "visual/ring_primitives.h"

// ---- constants ----
static constexpr float kPi = 3.14159265f;
static constexpr float kSector = kPi / 6.0f;

// ---- state ----
float gCircleAlpha = 1.0f;          // the view's opacity
float gKeyMarkerX = -10000.0f;      // the marker's centre, read by the mouse routing
float gKeyMarkerY = -10000.0f;
float gKeyMarkerRadius = 0.0f;      // its grab radius
static double gKeyMarkerShownAt = -1.0;  // GetAppSeconds when the marker was first shown, -1 never

// ---- internal helpers ----
static float Smoothstep(float t) {
  t = Clamp01(t);
  return (3.0f - 2.0f * t) * t * t;
}


static CircleChord ToCircleChord(bool recognised, int root, uint32_t quality) {
  CircleChord c;
  c.recognised = recognised && root >= 0;
  c.root = c.recognised ? PitchClassMod(root) : -1;
  c.quality = quality;
  return c;
}

static CirclePassInput MakePassInput(double now) {
  CirclePassInput in;
  ComputeCircleLayout(&in.centreX, &in.centreY, &in.minSide, &in.outer, &in.inner, &in.innermost);
  in.time = now;
  in.nowMs = ClockMs32();
  in.opacity = gCircleAlpha;
  in.lightBlend = gBackdropTintFade;
  in.teachingLevel = gTeachingLevel;
  in.ringModeFade = gRingModeFade;
  in.harmonyMode = gHarmonyGlowMode;
  const RecognisedChord& rc = gRecognisedChord;
  in.matched = ToCircleChord(rc.recognised, rc.root, rc.quality);
  in.matchedPcCount = std::min(rc.pcCount, 12);
  for (int i = 0; i < in.matchedPcCount; ++i) in.matchedPcs[i] = rc.pcs[i];
  in.matchedInScaleRatio = rc.inScaleRatio;
  in.shown = ToCircleChord(gShownChordRoot >= 0, gShownChordRoot, gShownChordQuality);
  in.holdSeconds = gPcHoldSeconds;
  return in;
}

static void HideKeyMarker() {
  gKeyMarkerX = gKeyMarkerY = -10000.0f;
  gKeyMarkerRadius = 0.0f;
}

static void DrawKeyMarker(float cx, float cy, float m, float R, double now) {
  KeyMarkerPlace k = ComputeKeyMarker(cx, cy, m, R, now);
  float fade = Clamp01(1.0f - gRingModeFade);
  // A marker faded out with the circle (the song view over it) is not there to be grabbed: a press
  // there would hide and capture the pointer for a drag nobody can see.
  if (gCircleAlpha * fade < 0.05f) {
    HideKeyMarker();
    return;
  }
  SetGlColor(1, 1, 1, 0.96f * gCircleAlpha * fade);
  FillDisc(k.x, k.y, k.dotRadius, 24);
  SetGlColor(1, 1, 1, 0.4f * gCircleAlpha);
  StrokeCircle(k.x, k.y, k.dotRadius + 1.5f, 24);
  gKeyMarkerX = k.x;
  gKeyMarkerY = k.y;
  gKeyMarkerRadius = k.grabRadius;
}

// The stars' inputs: the landed backdrop values, the view's opacity and the colours of what sounds.
static void FillBackdropDrive() {
  BackdropDrive& d = gBackdropDrive;
  d.difficulty = gBackdropDifficulty;
  d.light = gBackdropLight;
  d.minor = gBackdropMinor;
  d.keyLevel = gBackdropKeyLevel;
  d.cellGlow = gCellGlowSmooth;
  d.speed = gBackdropIntensity;
  d.circleOpacity = gCircleAlpha;
  bool sounds[12] = {};
  for (const HeldNote& h : gHeldNotes)
    if (h.sounding) sounds[PitchClassMod(h.note)] = true;
  d.colourCount = 0;
  for (int pc = 0; pc < 12; ++pc)
    if (sounds[pc]) d.colourPositions[d.colourCount++] = RingPosOfPitchClass(pc);
  if (d.colourCount == 0) {
    int focus = gVisualParams.accentPos;
    d.colourPositions[0] = focus >= 0 && focus <= 11 ? focus : RingPosOfPitchClass(PitchClassMod(gKeyRoot));
    d.colourCount = 1;
  }
}

// ---- public functions ----
float ComputeCircleAlpha() {
  if (IsStudentViewActive()) return 0.0f;
  bool hidden = gPracticeMode || (gPracticeModeFade > 0.001f && !gLearningOverlay);
  return hidden ? 0.0f : Clamp01(1.0f - gSongViewFade);
}

KeyMarkerPlace ComputeKeyMarker(float cx, float cy, float m, float R, double now) {
  float keyAngle = RingSectorMiddle(RingPosOfPitchClass(PitchClassMod(gKeyRoot)));
  float angle = keyAngle;
  if (gRingDragging) {
    float shown = 0;
    if (RingDragShownAngle(&shown) && std::isfinite(shown))
      angle = shown;
    else if (gRingDragPos >= 0 && gRingDragPos <= 11)
      angle = RingSectorMiddle(gRingDragPos);
  } else if (gRingPickActive && gRingPickPos >= 0 && gRingPickPos <= 11) {
    float turn = 1.0f - Clamp01((float)(gRingPickTime - now) / 0.06f);
    angle = LerpAngle(keyAngle, RingSectorMiddle(gRingPickPos), turn);
  }
  float reach = std::max(0.018f * m, 12.0f);
  float radius = R + reach;
  if (!gRingDragging) {
    // Further out at a sector's middle than at its edges.
    float u = std::fmod(angle + kPi / 2.0f + kPi / 12.0f, kSector);
    if (u < 0) u += kSector;
    float s = Smoothstep(std::min(u, kSector - u) / (kPi / 12.0f));
    radius = R + reach * (0.7f + 0.3f * s);
  }
  KeyMarkerPlace k;
  k.angle = angle;
  k.x = cx + radius * std::cos(angle);
  k.y = cy + radius * std::sin(angle);
  if (!gRingDragging) {
    if (gKeyMarkerShownAt < 0) gKeyMarkerShownAt = now;
    const double t = now - gKeyMarkerShownAt;  // grows for as long as the marker shows
    k.y += (0.5f - 0.5f * (float)std::cos(1.45 * t)) * std::max(0.0046f * m, 2.0f);
  }
  k.dotRadius = std::max(0.0042f * m, 3.2f);
  k.grabRadius = k.dotRadius + std::max(0.006f * m, 4.0f);
  return k;
}

void DrawChordTrailOverStaff() {
  if (!IsLearningOverlayShown() || gRingModeFade >= 0.999f || IsStudentViewActive()) return;
  DrawChordTrail(ComputeTrailColumn(), ClockMs32());
}

void DrawCircleView(float dt, double now) {
  FeedRingGlowBeforeCircle(dt);
  gCircleAlpha = ComputeCircleAlpha();
  static CircleLook look;  // kept: its strings keep their buffers from frame to frame
  CirclePassInput in = MakePassInput(now);
  ComputeCirclePass(in, &look);
  // The frame's background gradient goes down here, with the rings that stand on it.
  if (IsStudentViewActive()) {
    DrawBackgroundStill(dt);
    HideKeyMarker();
  } else {
    DrawCircleStill(dt, in, look);
    if (gRingModeFade < 0.999f) {
      DrawKeyMarker(in.centreX, in.centreY, in.minSide, in.outer, now);
      // On the learning overlay the staff panel stands over the circle: the names go over it.
      if (!IsLearningOverlayShown()) {
        uint32_t nowMs = ClockMs32();
        TrailColumn column = ComputeTrailColumn();
        DrawChordTrail(column, nowMs);
        DrawPatternList(column, nowMs);
      }
    } else {
      HideKeyMarker();
    }
  }
  FeedRingGlowAfterCircle(dt, now);
  OrbFeedFrame frame{in.centreX, in.centreY, in.minSide, in.innermost,
                     (float)gClientWidth, (float)gClientHeight, now, dt};
  FillOrbParams(frame, &gVisualParams);
  FillBackdropDrive();
}

void ResetCircleView() {
  gCircleAlpha = 1.0f;
  HideKeyMarker();
  gKeyMarkerShownAt = -1.0;
  ResetCirclePass();
  ResetCircleStill();
}
