// theory/filter_tabs: the scale filter's tab panel beside the scale list: its open state, its
// fades and what it takes from the pointer.
#pragma once

extern bool gFilterPanelOpen;      // the filter tab list is open
extern float gFilterOpenFade;      // eased by the frame towards (panel available and open)
extern float gFilterPanelFade;     // eased by the frame towards IsFilterPanelAvailable

// PENDING: the filter tabs; chooses a filter tab.
void SelectScaleFilter(int filter);
// PENDING: the filter tabs; the panel can be shown (list mode, or the learning overlay without
// practice mode).
bool IsFilterPanelAvailable();
// PENDING: the filter tabs; practice mode clears the panel flags beyond the open flag and its fade.
void HoldFilterPanelClosed();
// PENDING: the filter tabs; brings the panel back to its state from before the overlay or practice
// mode.
void RestoreFilterPanelState();
// PENDING: the filter tabs; the panel takes input now.
bool IsFilterPanelEnabled();
// PENDING: the filter tabs; the point lies in the tab area.
bool IsPointInFilterTabArea(int x, int y);
// Closed with every fade at 0.
void ResetFilterTabs();
