// platform/gl_offscreen: a GL context for tests and tools that draw without the program's window:
// a hidden window of the given size with a GL 2.1 compatibility context (immediate mode, display
// lists), current on the calling thread. Needs a display (tests start Xvfb themselves).
#pragma once
#include <string>

// Opens the window and makes its context current; false with a reason in *error.
bool GlOffscreenOpen(int width, int height, std::string* error);
// Destroys the context and the window; nothing when none is open.
void GlOffscreenClose();
