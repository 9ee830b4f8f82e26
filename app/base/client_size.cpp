// app/base/client_size: the client size's storage.
#include "app/base/client_size.h"

// ---- state ----
int gClientWidth = 0;    // set by ApplyClientSize and the display-change handler
int gClientHeight = 0;

// ---- public functions ----
void ResetClientSize() { gClientWidth = gClientHeight = 0; }
