// theory/pending: scale and key services the frame already calls whose bodies come later.
#include "theory/pending.h"

// Filled in later with the filter tabs.
void SelectScaleFilter(int) {}
// Filled in later with the filter tabs.
bool gFilterPanelOpen = false;
// Filled in later with the filter tabs.
float gFilterOpenFade = 0.0f;
// Filled in later with the filter tabs.
float gFilterPanelFade = 0.0f;
// Filled in later with the filter tabs.
float gListHoldFade = 0.0f;
// Filled in later with the filter tabs.
bool gScaleListDragging = false;
// Filled in later with the filter tabs.
bool IsFilterPanelAvailable() { return false; }
// Filled in later with the scale list.
bool IsScaleListHeld() { return false; }
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
