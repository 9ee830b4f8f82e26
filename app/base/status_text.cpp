// app/base/status_text: the status message's storage.
#include "app/base/status_text.h"

// ---- state ----
std::string gStatusText;   // written by whoever has news, drawn by the main view

// ---- public functions ----
void ResetStatusText() { gStatusText.clear(); }
