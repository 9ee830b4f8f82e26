// theory/pending: bodies of the theory functions whose real work comes later (declared, each with
// its marker, in theory/scale_selection.h and staff_panel.h).
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

bool IsScaleListHeld() { return false; }
void DrawStaffPanel() {}
bool ComputeStaffPanelRect(RectF*) { return false; }
