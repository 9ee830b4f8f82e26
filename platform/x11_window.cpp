// platform/x11_window: the X display and window behind an SDL window.
#include "platform/x11_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

// ---- public functions ----
bool X11DisplayAndWindow(SDL_Window* window, _XDisplay** display, unsigned long* xwindow) {
  if (!window) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display) return false;
  *display = info.info.x11.display;
  *xwindow = info.info.x11.window;
  return true;
}

unsigned long X11WindowIdOf(SDL_Window* window) {
  _XDisplay* display = nullptr;
  unsigned long xwindow = 0;
  return X11DisplayAndWindow(window, &display, &xwindow) ? xwindow : 0;
}
