// theory/filter_tabs_draw: the filter button with the current tab's name, the scroll strip beside
// the list with a thumb at the list position, and the open panel of tabs, fading with its fades.
#include <GL/gl.h>

#include <algorithm>

#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/widgets_draw.h"
#include "theory/filter_tabs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- internal helpers ----
static const char* CurrentFilterLabel() {
  for (const FilterTab& t : kScaleFilterTabs)
    if (t.filterId == gScaleFilter) return t.label;
  return kScaleFilterTabs[kFilterTabCount - 1].label;
}

static void DrawScrollStrip(const ScaleListLayout& L, bool hovered) {
  int n = VisibleScaleCount();
  float width = hovered || gScaleListDragging ? 4.0f : 2.0f;
  SetGlColor(0.42f, 0.5f, 0.64f, 0.7f);
  FillRoundedRect(L.stripX - width / 2.0f, L.stripTop, width, L.stripBottom - L.stripTop, width / 2.0f, 4);
  float t = n > 1 ? Clamp01(gScaleListScroll / (float)(n - 1)) : 0.0f;
  float thumb = std::max((L.stripBottom - L.stripTop) / (float)std::max(n, 1), 14.0f);
  float y = L.stripTop + t * (L.stripBottom - L.stripTop - thumb);
  SetGlColor(0.75f, 0.85f, 1.0f, 0.95f);
  FillRoundedRect(L.stripX - width, y, 2.0f * width, thumb, width, 4);
}

// ---- public functions ----
void DrawFilterPanel() {
  if (!IsFilterPanelAvailable() || gFilterPanelFade <= 0.001f) return;
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  if (!g.visible) return;
  float saved;
  PushDrawAlpha(&saved, gDrawAlpha * Clamp01(gFilterPanelFade));
  bool overlay = gLearningOverlay && !gPracticeMode;
  ButtonLook look;
  look.active = gFilterPanelOpen;
  look.hovered = IsMouseInRect(&g.button);
  DrawButton(g.button, overlay ? "Filter" : CurrentFilterLabel(), look);
  ScaleListLayout L = LayoutFilterTabs();
  if (L.valid && IsFilterPanelEnabled()) DrawScrollStrip(L, HoverFilterTabs(gMouseX, gMouseY));
  PopDrawAlpha(&saved);

  float open = Clamp01(gFilterOpenFade);
  if (open <= 0.01f) return;
  PushDrawAlpha(&saved, gDrawAlpha * open * Clamp01(gFilterPanelFade));
  DrawPanelBox(g.panel, 1.0f);
  for (int i = 0; i < g.count; ++i) {
    ButtonLook tab;
    tab.active = g.tabs[i].filterId == gScaleFilter;
    tab.hovered = !g.tabs[i].disabled && IsMouseInRect(&g.tabs[i].rect);
    DrawButton(g.tabs[i].rect, g.tabs[i].label, tab);
  }
  PopDrawAlpha(&saved);
}
