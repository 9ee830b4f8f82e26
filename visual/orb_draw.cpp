// visual/orb_draw: DrawOrb. Every pass is filled into arrays first and then sent in a handful of
// array draws: software GL spends its time per call and per vertex, not per array.
//
// GL state: texturing is switched off; the ribbons switch to additive blending and restore the
// normal blend; the client arrays are disabled again before returning.
#include "visual/orb_draw.h"

#include <GL/gl.h>

#include <cmath>

#include "visual/orb_body.h"
#include "visual/orb_overlays.h"

// ---- internal helpers ----
namespace {

bool StateReady(const OrbState& s) {
  const size_t n = static_cast<size_t>(s.pointCount), m = static_cast<size_t>(s.innerCount);
  return s.initialised && s.pointCount >= 3 && s.innerCount >= 1 && s.x.size() == n && s.y.size() == n &&
         s.inkR.size() == n && s.inkG.size() == n && s.inkB.size() == n && s.innerInkR.size() == m &&
         s.innerInkG.size() == m && s.innerInkB.size() == m;
}

float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

// One bad value from the frame must not turn every vertex into NaN.
OrbParams FiniteParams(const OrbParams& in) {
  OrbParams p = in;
  for (float* f : {&p.centreX, &p.centreY, &p.innerRadius, &p.time, &p.tempo, &p.fade, &p.liveliness, &p.level64,
                   &p.level68, &p.level72, &p.level76, &p.level80, &p.hueAmount, &p.rimAmount, &p.accentLevel,
                   &p.soloStrength, &p.soloEmphasis, &p.focusLevel}) {
    *f = Finite(*f, 0.0f);
  }
  for (int k = 0; k < kOrbEntryMax; ++k) {
    p.entryStrength[k] = Finite(p.entryStrength[k], 0.0f);
    p.entryEmphasis[k] = Finite(p.entryEmphasis[k], 0.0f);
  }
  return p;
}

void Point(const OrbBatch& b) {
  glVertexPointer(2, GL_FLOAT, 0, b.xy.data());
  glColorPointer(4, GL_FLOAT, 0, b.rgba.data());
}

}  // namespace

// ---- public functions ----
bool BuildOrbDrawing(const OrbParams& in, OrbState& s) {
  if (!StateReady(s)) return false;
  const OrbParams p = FiniteParams(in);
  AdvanceOrbDrawClock(gOrbDraw, p.time, p.level80);
  const OrbFrame f = PrepareOrbFrame(p, s, gOrbDraw);
  FillOrbBody(p, s, f, gOrbDraw);
  FillOrbRadialLines(p, s, f, gOrbDraw);
  const OrbHarmony h = AnalyseOrbHarmony(p, s, f, gOrbDraw);
  FillOrbRibbons(p, f, h, gOrbDraw, gOrbOverlays);
  FillOrbBeads(p, s, f, h, gOrbDraw, gOrbOverlays);
  FillOrbOutlines(p, s, f, gOrbDraw, gOrbOverlays);
  return true;
}

void ResetOrbDrawing() {
  ResetOrbDraw();
  ResetOrbOverlays();
}

void DrawOrb(const OrbParams& p, OrbState& s) {
  if (!BuildOrbDrawing(p, s)) return;
  const OrbDrawMemory& d = gOrbDraw;
  const OrbOverlayMemory& o = gOrbOverlays;
  glDisable(GL_TEXTURE_2D);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);

  Point(d.body);
  glDrawElements(GL_TRIANGLES, static_cast<int>(d.bodyIndex.size()), GL_UNSIGNED_INT, d.bodyIndex.data());

  if (d.radialLines.Count() > 0) {
    Point(d.radialLines);
    glDrawArrays(GL_LINES, 0, d.radialLines.Count());
  }

  if (o.ribbonCount > 0) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    Point(o.ribbons);
    const int perRibbon = o.ribbons.Count() / o.ribbonCount;
    for (int r = 0; r < o.ribbonCount; ++r) glDrawArrays(GL_LINE_STRIP, r * perRibbon, perRibbon);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }

  Point(o.beads);
  glDrawArrays(GL_TRIANGLES, 0, o.beads.Count());

  Point(o.outline);
  const int ring = o.outline.Count() / 2;
  glDrawArrays(GL_LINE_STRIP, 0, ring);
  glDrawArrays(GL_LINE_STRIP, ring, ring);
  Point(o.reach);
  glDrawArrays(GL_LINE_STRIP, 0, o.reach.Count());

  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}
