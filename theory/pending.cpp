// theory/pending: bodies of the theory functions whose real work comes later (declared, each with
// its marker, in theory/scale_selection.h, staff_panel.h and scale_diagrams.h).
#include "theory/scale_diagrams.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

bool IsScaleListHeld() { return false; }
void DrawStaffPanel() {}
void FreeScaleDiagramTexture() {}
void UpdateScaleDiagram() {}
bool ComputeStaffPanelRect(RectF*) { return false; }
