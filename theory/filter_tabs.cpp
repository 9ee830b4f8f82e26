// theory/filter_tabs: choosing a filter, the panel's flags and geometry, and the list's hit tests.
#include "theory/filter_tabs.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/text.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- constants ----
const FilterTab kScaleFilterTabs[kFilterTabCount] = {
    {false, "Modes", 0},          {false, "Melodic Minor Set", 1}, {false, "Harmonic Minor Set", 2},
    {false, "Harmonic Major Set", 3}, {false, "Pentatonic Set", 4}, {false, "Blues + Bebop Set", 5},
    {false, "Exotic Set", 6},     {false, "All Scales", 7},
};

// ---- state ----
bool gFilterPanelOpen = false;          // toggled by the filter button
float gFilterOpenFade = 0.0f;           // eased by the frame
float gFilterPanelFade = 0.0f;          // eased by the frame
bool gFilterPanelOn = false;            // learning overlay: the tabs stand in place of the list
bool gOverlayListChosen = false;        // learning overlay: a tab was chosen
bool (*gSongPlayingHook)() = nullptr;   // connected by the shell
void (*gScaleFilterChangedHook)() = nullptr;

// The state remembered by SaveFilterPanelState.
static struct {
  bool valid = false;
  bool showing = false;
  bool overlayListChosen = false;
  float openFade = 0.0f;
  bool listMode = false;
} sSaved;

// ---- internal helpers ----
static bool SongPlaying() { return gSongPlayingHook && gSongPlayingHook(); }
static bool ListUsable() { return !gPracticeMode && gPracticeModeFade < 0.995f; }

// The list's width at scale s, before the room left of its rectangle cuts it.
static float ListWidth(float s) {
  float W = (float)gClientWidth;
  return std::max({186.0f * s, 154.0f,
                   std::max(ClampFloat(0.072f * W, 72.0f, 154.0f) - 2.0f * std::max(8.0f * s, 7.0f), 56.0f) +
                       std::max(44.0f * s, 36.0f)});
}
static float StripOffset(float s) { return std::max(14.0f * s, 12.0f); }
static float ListToStripGap(float s) { return std::max(8.0f * s, 7.0f); }

// The list laid out against a rectangle G at scale s: the strip left of G, the list left of it.
static ScaleListLayout LayoutListBeside(const RectF& G, float s) {
  ScaleListLayout L;
  L.valid = true;
  L.stripX = G.x - StripOffset(s);
  L.stripTop = G.y + std::max(22.0f * s, 18.0f);
  L.stripBottom = G.y + G.h - 6.0f;
  float w = ListWidth(s);
  float x = std::max(L.stripX - ListToStripGap(s) - w, 8.0f);
  if (x + w > L.stripX - 4.0f) w = std::max(L.stripX - 4.0f - x, 42.0f);
  float top = L.stripTop + std::max(7.0f * s, 6.0f);
  float h = std::max(L.stripBottom - L.stripTop - std::max(14.0f * s, 12.0f), 56.0f);
  L.list = {x, top, w, h};
  L.rowPitch = std::max(18.0f * s, 16.0f);
  L.header = {x, G.y, w, L.stripTop - G.y};
  float right = std::max(L.stripX + 6.0f, x + w);
  L.area = {x, G.y, right - x, std::max(L.stripBottom, top + h) - G.y};
  return L;
}

static float MeasureLabel(const char* label, float size) { return MeasureText(gFontSmall, label, size); }

static void StackTabs(FilterPanelGeometry* g, float x, float y, float w, float pad, float tabH, float gap) {
  g->count = 0;
  for (const FilterTab& t : kScaleFilterTabs) {
    if (g->count >= 16) break;
    // The slot is read before the count moves on: g++ let the braced right-hand side see the
    // count already raised by the index's increment, which put every tab one slot low.
    const int slot = g->count;
    g->tabs[slot] = {{x + pad, y + pad + (float)slot * (tabH + gap), w - 2.0f * pad, tabH}, t.label, t.filterId,
                     t.disabled};
    g->count = slot + 1;
  }
}

static float WidestLabel(float size) {
  float widest = 0.0f;
  for (const FilterTab& t : kScaleFilterTabs) widest = std::max(widest, MeasureLabel(t.label, size));
  return widest;
}

static bool InRect(const RectF& r, int x, int y) { return PointInRect(r, x, y); }

// ---- public functions ----
void SelectScaleFilter(int filter) {
  ValidateCurrentScale();
  if (gScaleFilterChangedHook) gScaleFilterChangedHook();
  gScaleFilter = ClampInt(filter, 0, kScaleFilterCount - 1);
  gAllNotesAllowed = gAllNotesAllowedByFilter[gScaleFilter];
  // A tab's remembered allowance was switched on by a rising run there: coming back to it, the
  // falling run may switch it off again (cleared, it stayed on until another rising run).
  gChromaticUnlocked = gAllNotesAllowed;
  RebuildVisibleScales();
  UpdateCurrentScaleIndex();
  bool playing = SongPlaying();
  if (VisibleIndexOf(gCurrentScaleIndex) < 0 && VisibleScaleCount() > 0) {
    gCurrentScaleIndex = VisibleScaleAt(0);
    if (!playing) {
      GetScaleCatalogue();
      gCurrentScale = gScaleCatalogue[(size_t)gCurrentScaleIndex];
      ApplyCurrentKey();
    }
  }
  if (!playing) {
    SyncScaleListSelection();
  } else {
    int p = std::max(VisibleIndexOf(gCurrentScaleIndex), 0);
    SetScaleListScroll((float)p, true, false);
  }
  ValidateCurrentScale();
}

bool IsFilterPanelAvailable() { return gScaleListMode || IsLearningOverlayShown(); }

bool IsFilterPanelEnabled() {
  if (!ListUsable()) return false;
  if (gLearningOverlay) return !gFilterPanelOn && gOverlayListChosen;
  return gScaleListMode;
}

bool IsOverlayListShown() { return IsLearningOverlayShown() && !gFilterPanelOn && gOverlayListChosen; }

float OverlayListRoom() {
  if (!IsOverlayListShown()) return 0.0f;
  const float s = GetUiScale();
  return 8.0f + ListWidth(s) + ListToStripGap(s) + StripOffset(s);
}

bool IsOverlayOpaque() { return IsLearningOverlayShown() && gPracticeModeFade >= 0.995f; }

bool IsFilterPanelShown() { return IsFilterPanelAvailable() && (gFilterPanelOpen || gFilterOpenFade > 0.01f); }

void SaveFilterPanelState() {
  sSaved.showing = gFilterPanelOpen || gFilterOpenFade > 0.01f;
  sSaved.overlayListChosen = gOverlayListChosen;
  sSaved.openFade = gFilterOpenFade;
  sSaved.listMode = gScaleListMode;
  gFilterPanelOpen = false;
  gFilterOpenFade = 0.0f;
  gOverlayListChosen = false;
  sSaved.valid = true;
  if (!gScaleListMode) gFilterPanelFade = gListHoldFade = 0.0f;
}

void RestoreFilterPanelState() {
  if (!sSaved.valid) return;
  gFilterPanelOpen = sSaved.showing;
  gFilterOpenFade = sSaved.showing ? Clamp01(sSaved.openFade) : 0.0f;
  gOverlayListChosen = sSaved.overlayListChosen;
  if (!sSaved.listMode) gFilterPanelFade = gListHoldFade = 0.0f;
  sSaved.valid = false;
}

void HoldFilterPanelClosed() { gFilterPanelOn = gOverlayListChosen = false; }

void TurnOverlayFilterPanelOn() {
  gFilterPanelOn = true;
  gFilterPanelOpen = false;
  gFilterOpenFade = 0.0f;
  gScaleListDragging = false;
}

// Beside the board the list is the board's own label column, whose rows are the grid's seven
// slots: the list's rectangle is that column, and its header the band of key names above it, so
// the filter button stays clear of the first row's name (keeping its width, which names the
// longest filter whole).
static void FitListToLabelColumn(ScaleListLayout* L, const LayoutFacts& facts) {
  const float s = facts.boardScale, G = facts.boardGrid.y;
  const float left = facts.rowLabelX, right = std::max(L->stripX - std::max(4.0f * s, 3.0f), left + 42.0f);
  L->list = {left, L->list.y, right - left, L->list.h};
  const float band = std::max(facts.keyRowHeight, 15.0f), inset = std::max(2.0f * s, 2.0f);
  L->header = {L->header.x, G - band, L->header.w, band - inset};
  const float x0 = std::min(L->header.x, left);
  L->area = {x0, L->header.y, std::max(L->stripX + 6.0f, right) - x0,
             std::max(L->stripBottom, L->list.y + L->list.h) - L->header.y};
}

// Where a height falls among the board's seven slots, in slots from the top of slot 0 (the list
// scrolled by a fraction moves them up by it).
static float BoardSlotPosition(const LayoutFacts& facts, float y) {
  return (y - facts.boardGrid.y) / std::max(facts.rowHeight + facts.rowGap, 1.0f) + ScaleWindowFraction();
}

// The visible list position of a slot's scale; -1 when the slot is empty.
static int BoardSlotRow(int slot) { return VisibleIndexOf(ScaleWindowItemIndex(slot)); }

ScaleListLayout LayoutFilterTabs() {
  LayoutFacts facts = GetLayoutFacts();
  if (IsLearningOverlayShown()) {
    if (!facts.staffPanelShown) return ScaleListLayout{};
    return LayoutListBeside(facts.staffPanel, GetUiScale());
  }
  if (!(facts.boardGrid.w > 2.0f)) return ScaleListLayout{};
  ScaleListLayout L = LayoutListBeside(facts.boardGrid, facts.boardScale);
  if (facts.rowLabelW > 2.0f) FitListToLabelColumn(&L, facts);
  return L;
}

FilterPanelGeometry ComputeFilterPanelGeometry() {
  FilterPanelGeometry g;
  float W = (float)gClientWidth, H = (float)gClientHeight;
  if (IsLearningOverlayShown()) {
    const RectF& b = gOverlayFilterButtonRect;
    if (!(b.w > 2.0f) || !(b.h > 2.0f)) return g;
    float s = std::max(GetUiScale(), 0.7f);
    float pad = std::max(6.0f * s, 5.0f), tabH = std::max(21.0f * s, 18.0f), gap = std::max(4.0f * s, 3.0f);
    float w = ClampFloat(WidestLabel(std::max(17.0f * s, 12.0f)) + 2.0f * pad + std::max(22.0f * s, 18.0f), 176.0f,
                         std::max(176.0f, 0.3f * W));
    float h = 2.0f * pad + kFilterTabCount * tabH + (kFilterTabCount - 1) * gap;
    float x = b.x + b.w + std::max(8.0f * s, 6.0f);
    if (x + w > W - 8.0f) x = b.x - std::max(8.0f * s, 6.0f) - w;
    float y = std::min(std::max(b.y, 8.0f), H - h - 8.0f);
    g.visible = true;
    g.button = b;
    g.panel = {x, y, w, h};
    StackTabs(&g, x, y, w, pad, tabH, gap);
    return g;
  }
  ScaleListLayout L = LayoutFilterTabs();
  if (!L.valid) return g;
  float s = GetLayoutFacts().boardScale;
  float pad = std::max(9.0f * s, 8.0f), tabH = std::max(25.0f * s, 22.0f), gap = std::max(3.0f * s, 2.0f);
  float w = WidestLabel(std::max(17.0f * s, 12.0f)) + 2.0f * pad + std::max(16.0f * s, 14.0f);
  float h = 2.0f * pad + kFilterTabCount * tabH + (kFilterTabCount - 1) * gap;
  float x = std::min(std::max(L.header.x, 8.0f), std::max(W - w - 8.0f, 8.0f));
  float y = std::min(L.header.y + L.header.h + 2.0f, std::max(H - h - 8.0f, 8.0f));
  g.visible = true;
  g.button = L.header;
  g.panel = {x, y, w, h};
  StackTabs(&g, x, y, w, pad, tabH, gap);
  return g;
}

bool ClickFilterTabs(int x, int y) {
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  if (!g.visible) return false;
  bool listMode = !IsLearningOverlayShown();
  if (InRect(g.button, x, y)) {
    if (listMode || !gFilterPanelOn) {
      gFilterPanelOpen = !gFilterPanelOpen;
    } else {
      gFilterPanelOn = false;
      gFilterPanelOpen = true;
      gOverlayListChosen = false;
    }
    return true;
  }
  if (!gScaleListMode && listMode) return false;
  if (!gFilterPanelOpen && gFilterOpenFade <= 0.01f) return false;
  for (int i = 0; i < g.count; ++i) {
    if (g.tabs[i].disabled || !InRect(g.tabs[i].rect, x, y)) continue;
    SelectScaleFilter(g.tabs[i].filterId);
    if (!listMode) {
      gFilterPanelOn = false;
      gOverlayListChosen = true;
    }
    gFilterPanelOpen = false;
    return true;
  }
  if (InRect(g.panel, x, y)) return true;
  ScaleListLayout L = LayoutFilterTabs();
  if (L.valid && InRect(L.header, x, y)) return true;
  gFilterPanelOpen = false;
  return true;
}

bool HoverFilterTabs(int x, int y) {
  bool allowed = ListUsable() ? (IsFilterPanelEnabled() || gScaleListDragging) : gScaleListDragging;
  if (!allowed) return false;
  ScaleListLayout L = LayoutFilterTabs();
  if (!L.valid) return false;
  float m = 6.0f + 7.0f * gFilterPanelFade + 5.0f * gListHoldFade;
  return std::fabs((float)x - L.stripX) <= m && (float)y >= L.stripTop && (float)y <= L.stripBottom;
}

bool FilterTabAt(int x, int y, int* row) {
  *row = -1;
  if (!ListUsable() || !IsFilterPanelEnabled()) return false;
  int n = VisibleScaleCount();
  if (n <= 0) return false;
  ScaleListLayout L = LayoutFilterTabs();
  LayoutFacts facts = GetLayoutFacts();
  if (L.valid && InRect(L.list, x, y) && !IsLearningOverlayShown() && facts.rowLabelW > 2.0f) {
    // The names drawn in the column are the grid's rows: a press picks the one it is on.
    // The nearest slot for a height above or below the rows.
    *row = BoardSlotRow(ClampInt((int)std::floor(BoardSlotPosition(facts, (float)y)), 0, 6));
    return *row >= 0 && *row < n;
  }
  if (L.valid && InRect(L.list, x, y)) {
    float pitch = std::max(L.rowPitch, 1.0f);
    float centre = L.list.y + L.list.h / 2.0f;
    *row = ClampInt((int)std::lround(((float)y - centre) / pitch + gScaleListScroll), 0, n - 1);
    return true;
  }
  const RectF& G = facts.boardGrid;
  float fx = (float)x, fy = (float)y;
  if (!(fx > facts.rowLabelX + facts.rowLabelW) || !(fx < G.x + G.w - 2.0f) || !(fy > G.y)) return false;
  // A slot's own rows only, not the gap below it.
  const float position = BoardSlotPosition(facts, fy);
  const int slot = (int)std::floor(position);
  if (slot < 0 || slot > 6 || (position - (float)slot) * (facts.rowHeight + facts.rowGap) > facts.rowHeight)
    return false;
  *row = BoardSlotRow(slot);
  return *row >= 0 && *row < n;
}

bool IsPointInFilterTabArea(int x, int y) {
  ScaleListLayout L = LayoutFilterTabs();
  return L.valid && InRect(L.area, x, y);
}

void ResetFilterTabs() {
  gFilterPanelOpen = gFilterPanelOn = gOverlayListChosen = false;
  gFilterOpenFade = gFilterPanelFade = 0.0f;
  sSaved = {};
}
