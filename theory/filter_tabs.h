// theory/filter_tabs: the scale filter tabs. A panel of eight tabs narrows the scale list to one
// family; choosing a tab keeps or re-picks the current scale inside the new list and puts the list
// at it, and a playing song never has its applied scale changed. The panel hangs off a filter button
// in the list header beside the board (list mode) or off the learning overlay's filter button. The
// module also holds the hit tests of the scale list: the row under a point and the scroll strip.
#pragma once
#include "gfx/rect.h"

struct FilterTab {
  bool disabled;
  const char* label;   // English; shown through Tr
  int filterId;
};
constexpr int kFilterTabCount = 8;
extern const FilterTab kScaleFilterTabs[kFilterTabCount];

// ---- state ----
extern bool gFilterPanelOpen;      // the tab list is open
extern float gFilterOpenFade;      // eased by the frame towards (panel available and open)
extern float gFilterPanelFade;     // eased by the frame towards IsFilterPanelAvailable
extern bool gFilterPanelOn;        // learning overlay: the filter button was pressed, tabs in place of the list
extern bool gOverlayListChosen;    // learning overlay: a tab was chosen, so the filtered list shows

// What the tabs need of the floors above, connected by the shell: whether a song plays, and the
// board's forgetting of its list indices after a filter change. Null: no song, nothing to forget.
extern bool (*gSongPlayingHook)();
extern void (*gScaleFilterChangedHook)();

// Where the panel stands and its tabs; computed on demand, never stored.
struct FilterPanelGeometry {
  bool visible = false;
  RectF button = kHiddenRect;   // the filter button
  RectF panel = kHiddenRect;    // the open panel
  struct Tab {
    RectF rect;
    const char* label;
    int filterId;
    bool disabled;
  } tabs[16];
  int count = 0;
};

// The scale list beside the board (or beside the staff panel on the learning overlay).
struct ScaleListLayout {
  bool valid = false;
  float stripX = 0, stripTop = 0, stripBottom = 0;   // the vertical scroll strip
  RectF list = kHiddenRect;                          // the visible rows, centred on gScaleListScroll
  RectF header = kHiddenRect;                        // above the list; holds the filter button
  RectF area = kHiddenRect;                          // header, list and strip together
  float rowPitch = 16.0f;
};

// Chooses a filter (clamped to 0..7).
void SelectScaleFilter(int filter);
// List mode, or the learning overlay without practice mode.
bool IsFilterPanelAvailable();
// The list and its tabs take input now.
bool IsFilterPanelEnabled();
// The learning overlay shows the filtered list beside the staff (a tab was chosen, the tabs are
// not in its place).
bool IsOverlayListShown();
// While the learning overlay shows the filtered list: the x the staff panel starts at, at the
// least, so that the list and its strip stand whole left of it; 0 otherwise.
float OverlayListRoom();
// The learning overlay covers the view completely.
bool IsOverlayOpaque();
// The panel is open or still fading out.
bool IsFilterPanelShown();
// Hides the panel around another screen, and brings it back.
void SaveFilterPanelState();
void RestoreFilterPanelState();
// Practice mode clears the overlay's two panel flags.
void HoldFilterPanelClosed();
// A press on the overlay's tab area: the tabs stand in place of the list, the drop-down closed and
// any list drag ended (the caller releases the pointer).
void TurnOverlayFilterPanelOn();
FilterPanelGeometry ComputeFilterPanelGeometry();
ScaleListLayout LayoutFilterTabs();
// A click; true when taken.
bool ClickFilterTabs(int x, int y);
// The pointer is over the scroll strip of the list.
bool HoverFilterTabs(int x, int y);
// The visible list position under a point (-1 in *row when none).
bool FilterTabAt(int x, int y, int* row);
// The point lies in the tab area of LayoutFilterTabs.
bool IsPointInFilterTabArea(int x, int y);
// Start state: closed, every fade 0, both overlay flags off, no saved state.
void ResetFilterTabs();
// Draws the filter button, the open panel and the list's scroll strip (theory/filter_tabs_draw).
void DrawFilterPanel();
