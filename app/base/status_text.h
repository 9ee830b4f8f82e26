// app/base/status_text: the one-line status message of the main view; many floors write it.
#pragma once
#include <string>

extern std::string gStatusText;   // UTF-8, "" for none

// Clears the message.
void ResetStatusText();
