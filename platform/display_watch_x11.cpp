// platform/display_watch_x11: the program's last saves when its X display goes away under it.
//
// Xlib ends the process when its connection breaks (the X server ended, a remote session dropped)
// and gives its I/O error handler the moment before. Apart from the window's own file: Xlib's
// names (CursorShape, None, Status ...) are macros that would clash with the layer's.
#include <SDL.h>
#include <X11/Xlib.h>

#include <cstring>

#include "platform/window.h"

// ---- state ----
static void (*gDisplayLostHandler)() = nullptr;    // the program's last saves, null when none
static int (*gXlibIoHandler)(Display*) = nullptr;  // the handler ours took over from (SDL's)

// ---- internal helpers ----
static int OnDisplayLost(Display* display) {
  static bool ran = false;
  if (!ran && gDisplayLostHandler) {
    ran = true;
    gDisplayLostHandler();
  }
  return gXlibIoHandler ? gXlibIoHandler(display) : 0;
}

// ---- public functions ----
void WindowOnDisplayLost(void (*handler)()) {
  gDisplayLostHandler = handler;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || strcmp(driver, "x11") != 0) return;
  int (*before)(Display*) = XSetIOErrorHandler(OnDisplayLost);
  if (before != OnDisplayLost) gXlibIoHandler = before;
}
