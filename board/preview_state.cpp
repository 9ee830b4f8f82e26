// board/preview_state: the preview's shown scale, its fade and the off-scale flashes.
//
// In a student's view a pick fades in and, unless the teaching level is at its lowest, fades out
// again after a hold that shortens as the level rises: the student should look at the keys, not
// read the diagram. A flash fires only on the frame a key starts to sound, so a held wrong note
// flashes once and does not keep the key red-hot.
#include "board/preview_state.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- state ----
float gPreviewKeyFlash[128] = {};          // off-scale flash per key
static bool gPreviewWasSounding[128] = {};  // the keys that sounded on the previous frame

// ---- internal helpers ----
static bool IsShowableRow(const ScaleRow* row) { return row && IsCatalogueScale(row) && IsValidScaleRow(row); }

// ---- public functions ----
void ChoosePreviewScale(const ScaleRow** scale, int* root) {
  bool showPick = gSongView && !gPracticeMode && gPracticeStrip && gPracticeStripFade > 0.12f &&
                  IsShowableRow(gPickedScale);
  if (showPick) {
    *scale = gPickedScale;
    *root = (gRingPos >= 0 && gRingPos <= 11) ? kFifthsOrder[gRingPos] : PitchClassMod(gKeyRoot);
    return;
  }
  *scale = gCurrentScale;
  *root = PitchClassMod(gKeyRoot);
}

bool IsNoteInScaleOn(const ScaleRow* scale, int root, int pc, bool allNotesAllowed) {
  if (allNotesAllowed) return true;
  if (!scale) return false;
  int degree = PitchClassMod(pc - root);
  int n = ClampInt(scale->count, 0, 12);
  for (int i = 0; i < n; ++i)
    if (scale->pcs[i] == degree) return true;
  return false;
}

float PreviewHoldSeconds(float lv) {
  lv = Clamp01(lv);
  if (lv < 0.25f) return 30.0f - 5.0f * std::pow(4.0f * lv, 0.85f);
  if (lv < 0.65f) return 25.0f - 13.0f * (lv - 0.25f) / 0.4f;
  if (lv < 0.9f) return 12.0f - 24.0f * (lv - 0.65f);
  return 6.0f - 4.0f * (lv - 0.9f) / 0.1f;
}

float ComputePreviewFade(bool pickPresent, bool studentView, bool practiceMode, double now, double pickTime,
                         float teachingLevel) {
  if (practiceMode || !pickPresent || !studentView) return 1.0f;
  float elapsed = (float)(now - pickTime);
  float fadeIn = Clamp01(elapsed / 0.95f);
  float fadeOut = 1.0f;
  if (teachingLevel > 0.001f) {
    float hold = PreviewHoldSeconds(teachingLevel);
    if (elapsed > hold) {
      float k = Clamp01((elapsed - hold) / 5.0f);
      fadeOut = 1.0f - k * k;
    }
  }
  return fadeOut * fadeIn;
}

float ToneCurveValue(float x) { return std::pow(1.0f - Clamp01(x), 0.85f); }

void AdvancePreviewKeyFlash(const bool sounding[128], const bool offScale[128], float dt) {
  float fall = 1.4f * ClampFloat(dt, 0.0f, 0.08f);
  for (int k = 0; k < 128; ++k) {
    gPreviewKeyFlash[k] = std::max(gPreviewKeyFlash[k] - fall, 0.0f);
    if (sounding[k] && !gPreviewWasSounding[k] && offScale[k]) gPreviewKeyFlash[k] = 1.0f;
    gPreviewWasSounding[k] = sounding[k];
  }
}

void ResetPreviewState() {
  for (int k = 0; k < 128; ++k) {
    gPreviewKeyFlash[k] = 0.0f;
    gPreviewWasSounding[k] = false;
  }
}
