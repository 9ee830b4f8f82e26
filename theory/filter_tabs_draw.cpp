// theory/filter_tabs_draw: the filter button with the current tab's name, the scroll strip beside
// the list with a thumb at the list position, and the open panel of tabs, fading with its fades.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/gl_setup.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
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

static void DrawListScrollStrip(const ScaleListLayout& L, bool hovered) {
  int n = VisibleScaleCount();
  float t = n > 1 ? Clamp01(gScaleListScroll / (float)(n - 1)) : 0.0f;
  float thumb = std::max((L.stripBottom - L.stripTop) / (float)std::max(n, 1), 14.0f);
  DrawScrollStrip(L.stripX, L.stripTop, L.stripBottom, thumb, t, hovered || gScaleListDragging);
}

// The list and its strip stand in a column left of the staff panel, as tall as the panel, and the
// circle goes on under both: the column is dimmed as the panel is, up to the panel's edge, so no
// strip of the circle between them shows brighter than what lies under the panel. Its right side is
// cut straight at the panel, whose own fill must not be dimmed twice.
static void DrawOverlayListBacking(const ScaleListLayout& L) {
  const LayoutFacts facts = GetLayoutFacts();
  if (!facts.staffPanelShown) return;
  const RectF& staff = facts.staffPanel;
  const float left = L.list.x, width = staff.x - left, radius = 8.0f;
  if (!(width > 0.0f) || !(staff.h > 0.0f)) return;
  const SavedClip clip = BeginClip(left, staff.y, width, staff.h);
  SetGlColor(0.04f, 0.06f, 0.11f, 0.82f);
  FillRoundedRect(left, staff.y, width + 2.0f * radius, staff.h, radius, 8);
  EndClip(clip);
}

// On the learning overlay the filtered list stands beside the staff, where nothing else draws it:
// the visible rows centred on the list position at the row pitch, the current scale's row lit, all
// cut at the list's edges.
static void DrawOverlayListRows(const ScaleListLayout& L) {
  const int n = VisibleScaleCount();
  if (n <= 0 || !(L.list.w > 2.0f) || !(L.list.h > 2.0f)) return;
  DrawOverlayListBacking(L);
  SetGlColor(0.03f, 0.05f, 0.08f, 0.94f);
  FillRoundedRect(L.list.x, L.list.y, L.list.w, L.list.h, 6.0f, 8);
  const float pitch = std::max(L.rowPitch, 1.0f), centre = L.list.y + L.list.h / 2.0f;
  const float half = L.list.h / (2.0f * pitch) + 1.0f;
  const int first = std::max((int)std::floor(gScaleListScroll - half), 0);
  const int last = std::min((int)std::ceil(gScaleListScroll + half), n - 1);
  const float textSize = FontPixelSize(gFontSmall);
  const SavedClip clip = BeginClip(L.list.x, L.list.y, L.list.w, L.list.h);
  for (int p = first; p <= last; ++p) {
    const int index = VisibleScaleAt(p);
    if (index < 0 || index >= (int)gScaleCatalogue.size() || !gScaleCatalogue[(size_t)index]) continue;
    const ScaleRow* scale = gScaleCatalogue[(size_t)index];
    const float middle = centre + ((float)p - gScaleListScroll) * pitch;
    const bool current = index == gCurrentScaleIndex;
    if (current) {
      SetGlColor(0.2f, 0.42f, 0.74f, 0.6f);
      FillRoundedRect(L.list.x + 2.0f, middle - pitch / 2.0f + 1.0f, L.list.w - 4.0f, pitch - 2.0f, 4.0f, 6);
    }
    const std::string translatedName = Tr(scale->name);
    ScopedTrSuppress translated;  // fitted and drawn as it is shown
    const std::string name = FitWordsToWidth(gFontSmall, translatedName, textSize, L.list.w - 14.0f);
    const float k = current ? 1.0f : 0.8f;
    float c[3];
    ScaleLabelColour(*scale, c);
    DrawTextUtf8(gFontSmall, L.list.x + 7.0f, middle + 0.36f * textSize, name, c[0] * k, c[1] * k, c[2] * k, 0.92f);
  }
  EndClip(clip);
}

// ---- public functions ----
void DrawFilterPanel() {
  if (!IsFilterPanelAvailable() || gFilterPanelFade <= 0.001f) return;
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  if (!g.visible) return;
  float saved;
  PushDrawAlpha(&saved, gDrawAlpha * Clamp01(gFilterPanelFade));
  bool overlay = IsLearningOverlayShown();
  ButtonLook look;
  look.active = gFilterPanelOpen;
  look.hovered = IsMouseInRect(&g.button);
  DrawButton(g.button, overlay ? "Filter" : CurrentFilterLabel(), look);
  ScaleListLayout L = LayoutFilterTabs();
  if (L.valid && IsFilterPanelEnabled()) {
    if (overlay) DrawOverlayListRows(L);
    DrawListScrollStrip(L, HoverFilterTabs(gMouseX, gMouseY));
  }
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
