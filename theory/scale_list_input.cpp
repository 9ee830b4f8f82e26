// theory/scale_list_input: row clicks and the strip drag of the scale list.
#include "theory/scale_list_input.h"

#include <algorithm>

#include "theory/filter_tabs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- constants ----
constexpr float kMinTrackHeight = 40.0f;   // a short strip still needs a sensible drag ratio

// ---- state ----
static float gGrabY = 0.0f;        // pointer y when the drag began
static float gGrabScroll = 0.0f;   // the scroll target then

// ---- public functions ----
bool ScaleListMouseDown(int x, int y, bool* dragStarted) {
  *dragStarted = false;
  int row = -1;
  if (FilterTabAt(x, y, &row) && row >= 0) {
    SetScaleListScroll((float)row, false, true);
    return true;
  }
  if (!HoverFilterTabs(x, y)) return false;
  gScaleListDragging = true;
  gGrabY = (float)y;
  gGrabScroll = gScaleListScrollTarget;
  *dragStarted = true;
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
  return was;
}

void ResetScaleListInput() {
  gScaleListDragging = false;
  gGrabY = gGrabScroll = 0.0f;
}
