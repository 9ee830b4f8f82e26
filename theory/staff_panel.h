// theory/staff_panel: the staff panel that names the played notes on a stave.
#pragma once
#include "gfx/rect.h"

// PENDING: drawn with the staff panel, when its fade is visible.
void DrawStaffPanel();
// PENDING: the staff panel's rectangle; false while it shows none (always, while the learning
// overlay is off).
bool ComputeStaffPanelRect(RectF* out);
