// theory/pending: scale and key services the frame already calls whose bodies come later.
#include "theory/pending.h"

// Filled in later with the filter tabs.
void SelectScaleFilter(int) {}
// Filled in later with the scale list and filter panel.
void UpdateScaleListFrame(float) {}
// Filled in later with key detection.
void UpdateKeyDetectionFrame(float) {}
// Filled in later with the staff panel.
void DrawStaffPanel() {}
// Filled in later with the scale diagrams.
void FreeScaleDiagramTexture() {}
// Filled in later with the filter tabs.
void HoldFilterPanelClosed() {}
// Filled in later with the filter tabs.
void RestoreFilterPanelState() {}
// Filled in later with the filter tabs.
bool IsFilterPanelEnabled() { return false; }
// Filled in later with the filter tabs.
bool IsPointInFilterTabArea(int, int) { return false; }
