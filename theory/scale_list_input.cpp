// theory/scale_list_input: row presses, the hold and the strip drag of the scale list.
//
// A held row press speeds the list's easing and widens the strip's grab margin, so the list answers
// the finger that is still on it. The hold is only as good as the list under it: once the list stops
// taking input (practice mode, the tabs shown over it) the hold reads as over, whatever the button.
#include "theory/scale_list_input.h"

#include <algorithm>

#include "theory/filter_tabs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- constants ----
constexpr float kMinTrackHeight = 40.0f;   // a short strip still needs a sensible drag ratio

// ---- state ----
static float gGrabY = 0.0f;          // pointer y when the drag began
static float gGrabScroll = 0.0f;     // the scroll target then
static bool gRowPressHeld = false;   // a row was pressed and its button is not up yet

// ---- internal helpers ----
static bool ListTakesInput() { return IsFilterPanelEnabled() && !IsOverlayOpaque() && !IsFilterPanelShown(); }

// ---- public functions ----
bool ScaleListMouseDown(int x, int y, bool* capture) {
  *capture = false;
  int row = -1;
  if (FilterTabAt(x, y, &row) && row >= 0) {
    SetScaleListScroll((float)row, false, true);
    gRowPressHeld = true;
    *capture = true;
    return true;
  }
  if (!HoverFilterTabs(x, y)) return false;
  gRowPressHeld = false;
  gScaleListDragging = true;
  gGrabY = (float)y;
  gGrabScroll = gScaleListScrollTarget;
  *capture = true;
  return true;
}

bool DragScaleList(int y) {
  if (!gScaleListDragging) return false;
  if (IsFilterPanelEnabled()) {
    RebuildVisibleScales();
    int n = VisibleScaleCount();
    if (n > 0) {
      ScaleListLayout L = LayoutFilterTabs();
      float track = std::max(L.stripBottom - L.stripTop, kMinTrackHeight);
      SetScaleListScroll(gGrabScroll + ((float)y - gGrabY) / track * (float)std::max(n - 1, 1), false, true);
      return true;
    }
  }
  gScaleListDragging = false;
  return false;
}

bool EndScaleListDrag() {
  bool was = gScaleListDragging;
  gScaleListDragging = false;
  gRowPressHeld = false;
  return was;
}

bool IsScaleListHeld() { return gRowPressHeld && ListTakesInput(); }

bool ScaleListHasPointer() { return gScaleListDragging || gRowPressHeld; }

void ResetScaleListInput() {
  gScaleListDragging = false;
  gRowPressHeld = false;
  gGrabY = gGrabScroll = 0.0f;
}
