// theory/pending: scale and key services the frame already calls whose bodies come later.
#pragma once
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// Chooses a filter tab.
void SelectScaleFilter(int filter);
extern bool gFilterPanelOpen;      // the filter tab list is open
extern float gFilterOpenFade;      // eased by the frame towards (panel available and open)
extern float gFilterPanelFade;     // eased by the frame towards IsFilterPanelAvailable
extern float gListHoldFade;        // eased by the frame towards 1 while the list is dragged or held
extern bool gScaleListDragging;    // the user drags the scale list

// The filter panel can be shown (list mode, or the learning overlay without practice mode).
bool IsFilterPanelAvailable();
// The scale list is held by the pointer apart from a drag.
bool IsScaleListHeld();
// Feeds the sounding notes to the pitch histograms and, while the ring view shows, the key estimate.
void UpdateKeyDetectionFrame(float dt);
// Draws the staff panel when its fade is visible.
void DrawStaffPanel();
// Frees the scale diagram texture.
void FreeScaleDiagramTexture();
// Practice mode clears the panel flags beyond the open flag and its fade.
void HoldFilterPanelClosed();
// Brings the filter panel back to its state from before the overlay or practice mode.
void RestoreFilterPanelState();
// The filter panel takes input now.
bool IsFilterPanelEnabled();
// The point lies in the filter tab area.
bool IsPointInFilterTabArea(int x, int y);
