// theory/pending: bodies of the theory functions whose real work comes later (declared, each with
// its marker, in theory/filter_tabs.h, scale_selection.h, staff_panel.h and
// scale_diagrams.h).
#include "theory/filter_tabs.h"
#include "theory/scale_diagrams.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

void SelectScaleFilter(int) {}
bool IsFilterPanelAvailable() { return false; }
bool IsScaleListHeld() { return false; }
void DrawStaffPanel() {}
void FreeScaleDiagramTexture() {}
void HoldFilterPanelClosed() {}
void RestoreFilterPanelState() {}
bool IsFilterPanelEnabled() { return false; }
bool IsPointInFilterTabArea(int, int) { return false; }
