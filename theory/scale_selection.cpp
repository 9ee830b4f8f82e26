// theory/scale_selection: the selection primitive and everything built on it. A list preview
// picks a row at once (so the diagram follows the scroll) but applies it only after a short delay,
// so scrolling through the list does not retune every judge on the way.
#include "theory/scale_selection.h"

#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "gfx/layout.h"
#include "theory/circle_theory.h"
#include "theory/filter_tabs.h"

// ---- state ----
bool gScaleListDragging = false;   // set while the list is dragged
float gListHoldFade = 0.0f;        // eased by the frame
const ScaleRow* gCurrentScale = &gScaleRows[kRowIonian];  // the applied scale
const ScaleRow* gPickedScale = nullptr;                   // null: gCurrentScale stands for it
int gKeyRoot = 0;                                         // C
int gRingPos = -1;                                        // none selected
int gSelectedModeIndex = -1;                              // church mode of the picked scale
int gCurrentScaleIndex = 0;                               // catalogue index of gCurrentScale
double gScaleSelectTime = 0.0;                            // the board's selection animations
bool gScaleDiagramDirty = true;                           // the diagram reloads and clears it
bool gScaleListMode = false;                              // slots show the filtered list
float gScaleListScroll = 0.0f;                            // shown scroll, rows
float gScaleListScrollTarget = 0.0f;                      // eased towards
int gPendingScaleRow = -1;                                // previewed visible position
double gPendingScaleCommitTime = 0.0;                     // when it is committed
bool gRingPickActive = false;                             // set by the circle's mouse handling
int gRingPickPos = -1;
const ScaleRow* gRingPickScale = nullptr;
int gRingPickModeIndex = -1;
double gRingPickTime = 0.0;

// ---- internal helpers ----
namespace {

bool Usable(const ScaleRow* row) { return row && IsCatalogueScale(row) && IsValidScaleRow(row); }

void ClearPending() {
  gPendingScaleRow = -1;
  gPendingScaleCommitTime = 0.0;
}

const ScaleRow* CatalogueRow(int k) {
  GetScaleCatalogue();
  if (k < 0 || k >= (int)gScaleCatalogue.size()) return nullptr;
  return gScaleCatalogue[k];
}

}  // namespace

// ---- public functions ----
int SelectedOrKeyRingPos() {
  if (gRingPos >= 0 && gRingPos <= 11) return gRingPos;
  return RingPosOfPitchClass(gKeyRoot);
}

void SelectScale(const ScaleRow* row, int ringPos, bool apply) {
  if (!Usable(row)) row = Usable(gCurrentScale) ? gCurrentScale : IonianRow();
  ringPos = ClampInt(ringPos, -1, 11);
  int m = ModeIndexOf(row);
  double now = GetAppSeconds();
  if (m == gSelectedModeIndex && ringPos == gRingPos && row == gPickedScale) {
    gScaleSelectTime = now;
    return;
  }
  gScaleSelectTime = now;
  gSelectedModeIndex = m;
  gRingPos = ringPos;
  gPickedScale = row;
  gScaleDiagramDirty = true;
  if (!apply) return;
  gCurrentScale = row;
  if (ringPos >= 0) gKeyRoot = kFifthsOrder[ringPos];
  SyncScaleListSelection();
}

void SelectModeByIndex(int modeIndex, int ringPos) {
  modeIndex = ClampInt(modeIndex, -1, 6);
  ringPos = ClampInt(ringPos, -1, 11);
  SelectScale(modeIndex < 0 ? gCurrentScale : kChurchModes[modeIndex], ringPos, true);
}

void RestoreScaleSelectTime(double time) { gScaleSelectTime = time; }

void ApplyCurrentKey() {
  if (!gCurrentScale) return;
  SelectModeByIndex(ModeIndexOf(gCurrentScale), RingPosOfPitchClass(gKeyRoot));
}

bool StepScaleSelection(int itemDelta, int keyDelta) {
  if (itemDelta == 0 && keyDelta == 0) return false;
  const ScaleRow* row = gPickedScale ? gPickedScale : gCurrentScale;
  int r = SelectedOrKeyRingPos();
  if (keyDelta != 0) r = PitchClassMod(r + keyDelta);
  // The overlay's list is the same filtered list as the board's: a step must land on a row the
  // user sees there, not on a church mode the list may not hold.
  if (gScaleListMode || IsOverlayListShown()) {
    int n = VisibleScaleCount();
    if (n > 0) {
      int p = VisibleIndexOf(CatalogueIndexOf(row));
      if (p < 0) p = ClampInt((int)std::lround(gScaleListScroll), 0, n - 1);
      int q = ClampInt(p + itemDelta, 0, n - 1);
      const ScaleRow* target = CatalogueRow(VisibleScaleAt(q));
      if (!target) return false;
      SelectScale(target, r, true);
      return true;
    }
    SelectScale(row, r, true);
    return true;
  }
  int m = ModeIndexOf(row);
  // A step of the key alone keeps a scale that is no church mode: only the item steps walk the modes.
  if (m < 0 && itemDelta == 0 && row) {
    SelectScale(row, r, true);
    return true;
  }
  if (m < 0) m = CurrentModeIndex();
  if (m < 0) m = 0;
  SelectModeByIndex(ClampInt(m + itemDelta, 0, 6), r);
  return true;
}

void UpdateCurrentScaleIndex() {
  int k = CatalogueIndexOf(gCurrentScale);
  gCurrentScaleIndex = k < 0 ? 0 : k;
}

void ValidateCurrentScale() {
  bool replaced = false;
  if (!Usable(gCurrentScale)) {
    gCurrentScale = IonianRow();
    replaced = true;
  }
  if (Usable(gPickedScale)) {
    if (!replaced) return;
    UpdateCurrentScaleIndex();
    if (gScaleListMode) SyncScaleListSelection();
    return;
  }
  gPickedScale = gCurrentScale;
  gSelectedModeIndex = ModeIndexOf(gCurrentScale);
  gScaleDiagramDirty = true;
  UpdateCurrentScaleIndex();
  if (gScaleListMode) SyncScaleListSelection();
}

void SyncScaleListSelection() {
  UpdateCurrentScaleIndex();
  int n = VisibleScaleCount();
  if (n < 1) {
    gScaleListScroll = gScaleListScrollTarget = 0.0f;
    return;
  }
  int p = VisibleIndexOf(gCurrentScaleIndex);
  if (p < 0) p = 0;
  ClearPending();
  gScaleListScroll = gScaleListScrollTarget = (float)ClampInt(p, 0, n - 1);
}

void SetScaleListScroll(float pos, bool snap, bool select) {
  int n = VisibleScaleCount();
  if (n < 1) return;
  if (!std::isfinite(pos)) pos = 0.0f;  // a broken scroll value must not reach the rounding below
  gScaleListScrollTarget = ClampFloat(pos, 0.0f, (float)(n - 1));
  if (snap) gScaleListScroll = gScaleListScrollTarget;
  if (!select) {
    ClearPending();
    return;
  }
  int i = ClampInt((int)std::lround(gScaleListScrollTarget), 0, n - 1);
  int k = VisibleScaleAt(i);
  const ScaleRow* row = CatalogueRow(k);
  if (!row) return;
  gCurrentScaleIndex = k;
  gPendingScaleRow = i;
  gPendingScaleCommitTime = GetAppSeconds() + kScaleCommitDelay;
  SelectScale(row, SelectedOrKeyRingPos(), false);
  if (snap) CommitPendingScaleRow(true);
}

void CommitPendingScaleRow(bool force) {
  int n = VisibleScaleCount();
  if (n < 1 || gPendingScaleRow < 0) return;
  if (!force && gPendingScaleCommitTime > GetAppSeconds()) return;
  int p = ClampInt(gPendingScaleRow, 0, n - 1);
  int k = VisibleScaleAt(p);
  const ScaleRow* row = CatalogueRow(k);
  ClearPending();
  if (!row) return;
  if (k == gCurrentScaleIndex && row == gCurrentScale) return;
  gCurrentScaleIndex = k % (int)gScaleCatalogue.size();
  gCurrentScale = row;
  ApplyCurrentKey();
}

void EaseScaleListScroll(float dt, float rate) {
  int n = VisibleScaleCount();
  float hi = n > 0 ? (float)(n - 1) : 0.0f;
  gScaleListScrollTarget = ClampFloat(gScaleListScrollTarget, 0.0f, hi);
  float f = ClampFloat(rate * dt, 0.0f, 1.0f);
  gScaleListScroll += (gScaleListScrollTarget - gScaleListScroll) * f;
  if (std::fabs(gScaleListScrollTarget - gScaleListScroll) < 0.0008f)
    gScaleListScroll = gScaleListScrollTarget;
  gScaleListScroll = ClampFloat(gScaleListScroll, 0.0f, hi);
}

float ScaleWindowPosition() {
  int n = VisibleScaleCount();
  if (!gScaleListMode || n < 8) return 0.0f;
  float hi = (float)(n - 7 > 0 ? n - 7 : 0);
  return ClampFloat(gScaleListScroll - 3.0f, 0.0f, hi);
}

float ScaleWindowFraction() {
  float pos = ScaleWindowPosition();
  return pos - std::floor(pos);
}

int ScaleWindowStep() {
  int step = (int)std::floor(ScaleWindowPosition() + 0.0001f);
  return step < 0 ? 0 : step;
}

int ScaleWindowItemIndex(int slot) {
  if (slot < 0 || slot > 6 || VisibleScaleCount() < 1) return -1;
  if (gScaleListMode) return VisibleScaleAt(ScaleWindowStep() + slot);
  return CatalogueIndexOf(kChurchModes[slot]);
}

const ScaleRow* ScaleWindowItemScale(int slot) { return CatalogueRow(ScaleWindowItemIndex(slot)); }

int ScaleWindowSlotOf(const ScaleRow* row) {
  if (!row) return -1;
  if (!gScaleListMode) return ModeIndexOf(row);
  int k = CatalogueIndexOf(row);
  int p = k < 0 ? -1 : VisibleIndexOf(k);
  if (p < 0) return -1;
  int slot = p - ScaleWindowStep();
  return (slot >= 0 && slot < 7) ? slot : -1;  // above the window is not shown either
}

void ReapplyScaleSelection() {
  if (!gSongView) {
    if (gWaitMode) {
      gWaitMode = false;
      RelayoutAll();
    }
    return;
  }
  if (!gWaitMode) return;
  int r = SelectedOrKeyRingPos();
  const ScaleRow* row = gPickedScale ? gPickedScale : gCurrentScale;
  if (!Usable(row)) row = IonianRow();
  if (gRingPos != r || gPickedScale != row) SelectScale(row, r, true);
  else gKeyRoot = kFifthsOrder[r];
  if (gRingPickActive) gRingPickPos = r;
}

void ApplyDeferredKeyPick(double now) {
  if (!gRingPickActive || now < gRingPickTime) return;
  const ScaleRow* row = gRingPickScale ? gRingPickScale : gCurrentScale;
  int mode = (gRingPickModeIndex >= 0 && gRingPickModeIndex <= 6) ? gRingPickModeIndex
                                                                   : ModeIndexOf(row);
  int r = ClampInt(gRingPickPos, 0, 11);
  gKeyRoot = kFifthsOrder[r];
  if (row) SelectScale(row, r, false);
  else if (mode >= 0 && mode <= 6) SelectModeByIndex(mode, r);
  gRingPickActive = false;
  gRingPickPos = -1;
  gRingPickModeIndex = -1;
  gRingPickScale = nullptr;
}

void ResetScaleSelection() {
  gScaleListDragging = false;
  gListHoldFade = 0.0f;
  gCurrentScale = IonianRow();
  gPickedScale = nullptr;
  gKeyRoot = 0;
  gRingPos = -1;
  gSelectedModeIndex = -1;
  gCurrentScaleIndex = 0;
  gScaleSelectTime = 0.0;
  gScaleDiagramDirty = true;
  gScaleListMode = false;
  gScaleListScroll = gScaleListScrollTarget = 0.0f;
  ClearPending();
  gScaleFilter = 0;
  gRingPickActive = false;
  gRingPickPos = -1;
  gRingPickScale = nullptr;
  gRingPickModeIndex = -1;
  gRingPickTime = 0.0;
}
