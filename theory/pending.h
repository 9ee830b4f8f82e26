// theory/pending: scale and key services the frame already calls whose bodies come later.
#pragma once
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// Chooses a filter tab.
void SelectScaleFilter(int filter);
// The frame's scale-list and filter-panel fades and the list's scroll easing for this step.
void UpdateScaleListFrame(float dt);
// Feeds the sounding notes to the pitch histograms and, while the ring view shows, the key estimate.
void UpdateKeyDetectionFrame(float dt);
// Draws the staff panel when its fade is visible.
void DrawStaffPanel();
// Frees the scale diagram texture.
void FreeScaleDiagramTexture();
// Practice mode closes the filter panel, its fade, the panel flags and the list hold.
void HoldFilterPanelClosed();
// Brings the filter panel back to its state from before the overlay or practice mode.
void RestoreFilterPanelState();
// The filter panel takes input now.
bool IsFilterPanelEnabled();
// The point lies in the filter tab area.
bool IsPointInFilterTabArea(int x, int y);
