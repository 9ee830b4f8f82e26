// board/board_frame: the board view's frame record, computed once per drawn frame.
//
// The note tables are read once here and folded into per-key and per-pitch-class values, so the
// preview keyboard, the lane keyboard and the painter they share never disagree within a frame
// about which keys sound. Held-note records carry note numbers up to 255; only 0..127 are keys.
#include "board/board_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "board/grid_interaction.h"
#include "board/preview_state.h"
#include "gfx/layout.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/achievement_tracking.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- state ----
static double gLastBoardFrameTime = -1.0;   // app time of the previous board frame, -1 before the first

// ---- internal helpers ----
static void GatherKeys(BoardViewFrame& f) {
  for (const HeldNote& h : gHeldNotes) {
    if (h.note < 0 || h.note > 127) continue;
    float level = Clamp01((float)h.velocity / 127.0f);
    if (h.keyDown) {
      f.keyPressed[h.note] = true;
      f.keyPressLevel[h.note] = std::max(f.keyPressLevel[h.note], level);
    }
    if (h.sounding) {
      f.keySounding[h.note] = true;
      f.keySoundLevel[h.note] = std::max(f.keySoundLevel[h.note], level);
    }
  }
  for (int k = 0; k < 128; ++k) {
    if (!gKeySounding[k]) continue;
    float level = std::max(0.2f, gKeyLevel[k]);
    f.keyPressed[k] = f.keySounding[k] = true;
    f.keyPressLevel[k] = std::max(f.keyPressLevel[k], level);
    f.keySoundLevel[k] = std::max(f.keySoundLevel[k], level);
  }
  for (int k = 0; k < 128; ++k) {
    f.noteGlow[k] = ClampFloat(gNoteGlow[k], 0.0f, 2.4f);
    if (!f.keySounding[k]) continue;
    f.anySounding = true;
    bool inScale = IsNoteInScaleOn(f.shownScale, f.shownRoot, k % 12, f.allNotesAllowed);
    f.keyOffScale[k] = KeyDisplayState(k, inScale ? 0 : 1) != 0;
  }
}

static void FoldPitchClasses(BoardViewFrame& f) {
  for (int k = 0; k < 128; ++k) {
    int pc = k % 12;
    f.pcGlow[pc] = std::max(f.pcGlow[pc], f.noteGlow[k]);
    f.pcFlash[pc] = std::max(f.pcFlash[pc], f.keyFlash[k]);
    if (!f.keySounding[k]) continue;
    f.pcSounding[pc] = true;
    f.pcLevel[pc] = std::max(f.pcLevel[pc], f.keySoundLevel[k]);
    if (f.keyOffScale[k]) f.pcOffScale[pc] = true;
  }
}

// ---- public functions ----
bool ComputeScaleBand(const BoardLayout& b, float frac, float* top, float* bottom) {
  int first = -1, last = -1;
  for (int slot = 0; slot < 7; ++slot) {
    if (!ScaleWindowItemScale(slot)) continue;
    if (first < 0) first = slot;
    last = slot;
  }
  float lo = b.gridY, hi = b.gridY + b.gridH;
  if (first < 0) {
    *top = lo;
    *bottom = hi;
    return false;
  }
  float pitch = b.cellH + b.cellGap;
  float t = ClampFloat(b.gridY + ((float)first - frac) * pitch, lo, hi);
  float u = ClampFloat(b.gridY + ((float)last - frac) * pitch + b.cellH, lo, hi);
  *top = std::min(t, u);
  *bottom = std::max(t, u);
  return true;
}

RectF ComputeLowerArea(const BoardLayout& b, const RectF& laidOut, float clientHeight) {
  if (laidOut.w > 1.0f) return laidOut;
  float gap = std::max(24.0f * b.scale, 20.0f);
  float y = b.stripY + b.stripH + gap;
  float h = std::min(clientHeight - y - gap, std::max(250.0f * b.scale, 190.0f));
  return {b.stripX, y, b.stripW, h};
}

void ComputeBoardViewFrame(BoardViewFrame* out, double now) {
  BoardViewFrame& f = *out;
  std::memset(&f, 0, sizeof f);
  ComputeBoardLayout(&f.layout);
  const BoardLayout& b = f.layout;
  const float s = b.scale;
  f.keyBandLineY = b.headerY + b.headerRowHeight - std::max(3.0f * s, 2.0f);
  f.charWidth = std::max(11.0f * s, 8.6f);

  f.now = now;
  f.wall = NowSeconds();
  f.dt = gLastBoardFrameTime < 0.0 ? 0.0f : ClampFloat((float)(now - gLastBoardFrameTime), 0.0f, 0.08f);
  gLastBoardFrameTime = now;

  f.laneFade = Clamp01(gPracticeModeFade);
  f.laneMode = gPracticeMode || gSongView || gWaitMode || gLearningOverlay;
  f.noLane = !f.laneMode;

  f.frac = ScaleWindowFraction();
  f.rowPitch = b.cellH + b.cellGap;
  f.currentSlot = ScaleWindowSlotOf(gCurrentScale);
  f.pickedSlot = ScaleWindowSlotOf(gPickedScale);
  f.keyRingPos = RingPosOfPitchClass(PitchClassMod(gKeyRoot));
  f.bandOn = ComputeScaleBand(b, f.frac, &f.bandTop, &f.bandBottom);
  f.lower = ComputeLowerArea(b, gLowerPanelRect, (float)gClientHeight);

  ChoosePreviewScale(&f.shownScale, &f.shownRoot);
  f.pickPresent = gPickedScale != nullptr && gRingPos >= 0 && gRingPos <= 11;
  f.previewFade = ComputePreviewFade(f.pickPresent, IsStudentViewActive(), gPracticeMode, now, gScaleSelectTime,
                                     gTeachingLevel);
  f.allNotesAllowed = gAllNotesAllowed;
  f.cellGlow = Clamp01(CurrentCellGlow());
  f.toneCurve = ToneCurveValue(gPracticeMode ? GetLevelSetting() : gTeachingLevel);
  for (int pc = 0; pc < 12; ++pc) f.scaleRunGlow[pc] = gScaleRunGlow[pc];

  GatherKeys(f);
  AdvancePreviewKeyFlash(f.keySounding, f.keyOffScale, f.dt);
  std::memcpy(f.keyFlash, gPreviewKeyFlash, sizeof f.keyFlash);
  FoldPitchClasses(f);
}

void ResetBoardViewFrame() {
  gLastBoardFrameTime = -1.0;
  ResetPreviewState();
}
