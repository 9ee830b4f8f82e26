// visual/orb_body: what the orb's drawing keeps from frame to frame (its clock, the adaptive detail
// level, the warm-flash pulse, reused arrays), the values every pass of one frame shares, and the
// body (concentric bands of colour from the centre to the ring) and the faint radial lines, filled
// into vertex and colour arrays. No GL: visual/orb_draw emits the arrays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "visual/orb_colour.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"

// Detail counts for a quality level and N ring points.
struct OrbDetail {
  int bands = 0;         // B, concentric bands of the body
  int samples = 0;       // S, ring samples round the body, the ribbons and the outline
  int discSegments = 0;  // segments of a bead's disc
};

// Vertices (x, y pixels) and colours (r, g, b, a) of one batch of primitives.
struct OrbBatch {
  std::vector<float> xy;
  std::vector<float> rgba;
  void Clear() {
    xy.clear();
    rgba.clear();
  }
  void Add(float x, float y, float r, float g, float b, float a) {
    xy.push_back(x);
    xy.push_back(y);
    rgba.push_back(r);
    rgba.push_back(g);
    rgba.push_back(b);
    rgba.push_back(a);
  }
  // Sized for `count` vertices, to be filled by Set.
  void Resize(int count) {
    xy.resize(static_cast<size_t>(count) * 2);
    rgba.resize(static_cast<size_t>(count) * 4);
  }
  void Set(int i, float x, float y, float r, float g, float b, float a) {
    float* v = &xy[static_cast<size_t>(i) * 2];
    float* c = &rgba[static_cast<size_t>(i) * 4];
    v[0] = x;
    v[1] = y;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = a;
  }
  int Count() const { return static_cast<int>(xy.size() / 2); }
};

// Pixels of arc between an inner body row's samples that still change nothing one can see: the
// colour between them is blended smoothly either way, and the outermost row, which makes the
// silhouette, keeps every sample.
constexpr float kOrbBodyStepPx = 2.5f;
// Fewest samples an inner body row keeps, so its outline stays round.
constexpr int kOrbBodyRowMinSamples = 24;

// The drawing's memory between frames.
struct OrbDrawMemory {
  float drawPrevTime = 0;                // p.time of the previous draw, 0 before the first
  float drawDt = 1.0f / 60.0f;           // this frame's clamped time step
  float quality = 0.82f;                 // adaptive detail level 0.52..1
  float smoothQuality = 0.82f;           // quality eased, what the counts follow
  float orbFlash = 0;                    // this frame's warm flash level 0..1
  float flashPulse = 0;                  // one-shot pulse when the flash jumps high
  float flashPulseTime = 0;              // seconds since that pulse began
  float prevFlash = 0;                   // the flash level of the previous frame
  int discSegments = 14;                 // segments of a bead's disc
  // Per-sample rows, S + 1 entries (the last closes the loop).
  std::vector<float> sampleNoise, blurR, blurG, blurB, innerR, innerG, innerB;
  std::vector<float> sampleDx, sampleDy, sampleTheta;  // ring offset from the centre and its angle
  std::vector<float> tintGm, tintGk, tintDm, strikeG;  // per-sample angular terms of the tints
  // The body's B + 1 edge rows, row b holding every rowStride[b]-th of the S + 1 samples and the
  // last, from vertex rowStart[b] on. Inner rows are short, so they take fewer samples.
  OrbBatch body;
  std::vector<int> rowStart, rowStride;
  float bodyStepPx = kOrbBodyStepPx;  // arc length an inner row's samples may spread to; 0 keeps all
  std::vector<uint32_t> bodyIndex;   // triangles zipping each band's two rows together
  std::vector<int> bodyIndexStrides;  // the row strides bodyIndex was built for
  int bodyIndexSamples = 0;           // and the sample count
  std::vector<float> lum;            // luminance just inside the rim, per sample
  OrbBatch radialLines;              // pairs of line ends
};

extern OrbDrawMemory gOrbDraw;  // UI thread only

// What every pass of one frame shares.
struct OrbFrame {
  int n = 0, m = 0;          // ring points, inner points (the last the centre point)
  OrbDetail detail;
  float scale = 0;           // pixels per ring unit (shrinks with the fade)
  float cx = 0, cy = 0;      // ring centre in ring units
  OrbRgb centreInk;          // ink of the centre point
  OrbScaleWeights list;      // the scale entries
  float weightAt[12] = {};   // entry weight per ring position
  float scaleUnion = 0;
  int keyPosD = 0;           // ring position of the key look
  int minorPosD = 0;         // ring position with the most minor light
  OrbRgb minorTint;          // the body's minor tint colour
  float warm = 0;
  float tintLevel = 0, tintEdge = 0, tintDark = 0, tintMix = 0;
  float keyLevelD = 0, keyEdge = 0;
  bool tintOn = false;
};

// Start-of-process drawing memory (arrays keep no entries).
void ResetOrbDraw();
// The counts for smoothQuality and N points; bounds drawn from counts never cross (S = N below 180).
OrbDetail ComputeOrbDetail(float smoothQuality, int pointCount);
// Clock, adaptive quality and flash pulse for a frame at `time` with warm flash level `level80`.
void AdvanceOrbDrawClock(OrbDrawMemory& d, float time, float level80);
// The frame's shared values and per-sample rows (noise, blurred ring ink, inner ink); the state
// must be set up (arrays of its counts, N >= 3).
OrbFrame PrepareOrbFrame(const OrbParams& p, const OrbState& s, OrbDrawMemory& d);
// The sample stride of a body row whose samples lie `spacingPx` apart at full detail: the largest
// power of two that keeps them within `stepPx` and the row at kOrbBodyRowMinSamples or more of S.
int OrbBodyRowStride(float spacingPx, float stepPx, int samples);
// The body's edge rows (positions and colours) and the triangles between them.
void FillOrbBody(const OrbParams& p, const OrbState& s, const OrbFrame& f, OrbDrawMemory& d);
// The radial lines where dark ink meets light just inside the rim (none when the look is calm or
// the detail low).
void FillOrbRadialLines(const OrbParams& p, const OrbState& s, const OrbFrame& f, OrbDrawMemory& d);
// The mixed ink of sample k at band weights (outer, inner) and edge strength.
OrbRgb MixBandColour(const OrbDrawMemory& d, const OrbFrame& f, int k, float wOuter, float wInner, float edge);
// Pixel position of a point in ring units.
inline void OrbToPixel(const OrbParams& p, const OrbFrame& f, float x, float y, float* px, float* py) {
  *px = p.centreX + f.scale * x;
  *py = p.centreY + f.scale * y;
}
