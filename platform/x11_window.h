// platform/x11_window: the X display and window behind an SDL window, for the window backend's few
// requests SDL does not make itself (full screen without a window manager, dialogs owned, a release
// told). Xlib's own types stay out of this header: its names (None, Status ...) are macros that
// would clash with the layer's.
#pragma once

struct SDL_Window;
struct _XDisplay;  // Xlib's Display

// The display connection and X window of `window`; false without a window or where it is no X
// window (Wayland).
bool X11DisplayAndWindow(SDL_Window* window, _XDisplay** display, unsigned long* xwindow);
// The X window of `window`; 0 as above.
unsigned long X11WindowIdOf(SDL_Window* window);
