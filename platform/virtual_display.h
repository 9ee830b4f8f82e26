// platform/virtual_display: a private X server (Xvfb) for tests and benchmarks that draw, so they
// need no desktop and never share a display with another process.
#pragma once
#include <string>

// Starts Xvfb on a free display (1920x1080, 24-bit) and points DISPLAY at it; true when it runs.
// A second call while it runs returns true at once.
bool StartVirtualDisplay(std::string* error);
// Stops the server this process started; nothing when none runs.
void StopVirtualDisplay();
