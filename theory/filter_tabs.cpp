// theory/filter_tabs: the filter panel's state.
#include "theory/filter_tabs.h"

// ---- state ----
bool gFilterPanelOpen = false;     // opened and closed by the tabs
float gFilterOpenFade = 0.0f;      // eased by the frame
float gFilterPanelFade = 0.0f;     // eased by the frame

// ---- public functions ----
void ResetFilterTabs() {
  gFilterPanelOpen = false;
  gFilterOpenFade = gFilterPanelFade = 0.0f;
}
