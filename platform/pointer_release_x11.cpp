// platform/pointer_release_x11: a button release sent to our own X window.
// Apart from the window's own file: Xlib's names (None, Status ...) are macros that would clash
// with the layer's.
#include "platform/pointer_release.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

// ---- public functions ----
bool SendLeftReleaseToWindow(SDL_Window* window, int x, int y) {
  if (!window) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display) return false;
  Display* display = info.info.x11.display;
  const Window xwindow = info.info.x11.window;
  XEvent event{};
  event.xbutton.type = ButtonRelease;
  event.xbutton.display = display;
  event.xbutton.window = xwindow;
  event.xbutton.root = DefaultRootWindow(display);
  event.xbutton.subwindow = 0;
  event.xbutton.time = CurrentTime;
  event.xbutton.x = x;
  event.xbutton.y = y;
  event.xbutton.state = Button1Mask;
  event.xbutton.button = Button1;
  event.xbutton.same_screen = True;
  const bool sent = XSendEvent(display, xwindow, False, ButtonReleaseMask, &event) != 0;
  XFlush(display);
  return sent;
}
