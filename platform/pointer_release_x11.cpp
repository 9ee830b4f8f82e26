// platform/pointer_release_x11: a button release sent to our own X window.
// Apart from the window's own file: Xlib's names (None, Status ...) are macros that would clash
// with the layer's.
#include "platform/pointer_release.h"

#include <X11/Xlib.h>

#include "platform/x11_window.h"

// ---- public functions ----
bool SendLeftReleaseToWindow(SDL_Window* window, int x, int y) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (!X11DisplayAndWindow(window, &display, &xwindow)) return false;
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
