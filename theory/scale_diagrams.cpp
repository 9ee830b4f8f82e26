// theory/scale_diagrams: the diagram texture of the picked scale and key, its cache and its tint.
#include "theory/scale_diagrams.h"

#include <algorithm>

#include "app/base/logs.h"
#include "theory/circle_theory.h"
#include "theory/scale_diagram_search.h"
#include "theory/scale_selection.h"

// ---- state ----
ImageTexture gScaleDiagramImage;                                   // the tinted diagram
std::string gScaleDiagramMissingName;                              // expected name of a missing file
int gDiagramShownModeIndex = -2;                                   // shown mode index, -2 none
int gDiagramShownRingPos = -2;                                     // shown ring position, -2 none
const ScaleRow* gDiagramShownRow = nullptr;                        // shown picked row
std::unordered_map<std::string, std::string> gScaleDiagramCache;   // search results by "mode|key"

// ---- public functions ----
void RememberDiagramKey(int modeIndex, int ringPos, const ScaleRow* row) {
  gDiagramShownModeIndex = modeIndex;
  gDiagramShownRingPos = ringPos;
  gDiagramShownRow = row;
  gScaleDiagramDirty = false;
}

void FreeScaleDiagramTexture() {
  FreeImageTexture(gScaleDiagramImage);
  gDiagramShownModeIndex = gDiagramShownRingPos = -2;
  gDiagramShownRow = nullptr;
}

void UpdateScaleDiagram() {
  if (!gPickedScale || gRingPos < 0 || gRingPos > 11) return;
  if (gScaleDiagramDirty || gDiagramShownModeIndex != gSelectedModeIndex || gDiagramShownRingPos != gRingPos ||
      gDiagramShownRow != gPickedScale)
    ShowScaleDiagram();
}

bool ShowScaleDiagram() {
  // The key is remembered as read here, so the per-frame comparison matches it even when the mode
  // index is derived below; every early failure is remembered the same way.
  const int ring = gRingPos, selectedMode = gSelectedModeIndex;
  const ScaleRow* picked = gPickedScale;
  FreeScaleDiagramTexture();
  auto fail = [&] {
    RememberDiagramKey(selectedMode, ring, picked);
    return false;
  };
  const ScaleRow* row = picked ? picked : gCurrentScale;
  if (ring < 0 || ring > 11 || !row) return fail();
  const std::string mode = DiagramModeName(row, selectedMode), key = DiagramKeyName(ring);
  if (mode.empty()) return fail();
  // The cache answers before the thousands of candidate names are built.
  const std::string cacheKey = mode + "|" + key;
  auto cached = gScaleDiagramCache.find(cacheKey);
  std::string path;
  if (cached != gScaleDiagramCache.end()) {
    path = cached->second;
  } else {
    DiagramQuery query;
    if (BuildDiagramQuery(row, selectedMode, ring, &query)) path = ResolveDiagramPath(query, DiagramSearchRoots(), ring);
    gScaleDiagramCache[cacheKey] = path;
  }
  if (path.empty()) {
    gScaleDiagramMissingName = mode + "_" + key + ".png";
    DebugLog("[PREVIEW] Missing scale diagram for mode=%s key=%s\n", mode.c_str(), key.c_str());
    return fail();
  }
  gScaleDiagramMissingName.clear();
  DecodedImage pixels;
  if (!DecodeImageForTexture(path, &pixels)) return fail();
  TintDiagramPixels(pixels.rgba, row->r, row->g, row->b);
  if (!UploadImageTexture(pixels, gScaleDiagramImage)) return fail();
  RememberDiagramKey(selectedMode, ring, picked);
  return true;
}

void TintDiagramPixels(std::vector<uint8_t>& rgba, float tr, float tg, float tb) {
  const float tint[3] = {Clamp01(tr), Clamp01(tg), Clamp01(tb)};
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    float c[3] = {rgba[i] / 255.0f, rgba[i + 1] / 255.0f, rgba[i + 2] / 255.0f};
    float a = rgba[i + 3] / 255.0f;
    float mx = std::max({c[0], c[1], c[2]}), mn = std::min({c[0], c[1], c[2]});
    float sat = mx - mn;
    float lum = 0.2126f * c[0] + 0.7152f * c[1] + 0.0722f * c[2];
    if (c[2] - c[0] > 0.055f && c[2] > c[1] && a > 0.005f) {
      // Blue ink: dark strokes keep a lifted tint, light ones a plain one; k keeps their shading.
      bool dark = lum < 0.34f;
      float k = std::clamp(dark ? lum / 0.231f : lum / 0.586f, 0.55f, 1.45f);
      static const float kLift[3] = {0.4f, 0.42f, 0.46f};
      for (int ch = 0; ch < 3; ++ch) c[ch] = Clamp01(dark ? (0.6f * tint[ch] + kLift[ch]) * k : 0.7f * tint[ch] * k);
    } else if (a > 0.005f && !(sat < 0.08f || lum < 0.08f || lum > 0.93f)) {
      float w = Clamp01((sat - 0.08f) / 0.52f);
      float m = Clamp01(lum * 1.14f) * 0.92f + 0.28f;
      for (int ch = 0; ch < 3; ++ch) c[ch] = w * Clamp01(m * tint[ch]) + (1.0f - w) * c[ch];
    } else {
      continue;
    }
    for (int ch = 0; ch < 3; ++ch) rgba[i + (size_t)ch] = (uint8_t)std::clamp(c[ch] * 255.0f, 0.0f, 255.0f);
    rgba[i + 3] = (uint8_t)std::clamp(a * 255.0f, 0.0f, 255.0f);
  }
}

void ResetScaleDiagrams() {
  FreeScaleDiagramTexture();
  gScaleDiagramMissingName.clear();
  gScaleDiagramCache.clear();
}
