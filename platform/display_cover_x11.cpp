// platform/display_cover_x11: full screen where no window manager answers the request.
// Apart from the window's own file: Xlib's names (None, Status ...) are macros that would clash
// with the layer's.
#include "platform/display_cover.h"

#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

#include "platform/x11_window.h"

// ---- internal helpers ----
// A window manager holds the selection WM_Sn of its screen (ICCCM) or names its check window on
// the root (EWMH); some do only one of the two.
static bool WindowManagerRuns(Display* display, Window root, int screen) {
  char name[32];
  std::snprintf(name, sizeof name, "WM_S%d", screen);
  Atom selection = XInternAtom(display, name, True);
  if (selection != None && XGetSelectionOwner(display, selection) != None) return true;
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool named = XGetWindowProperty(display, root, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                                  &data) == Success &&
               type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return named;
}

// ---- public functions ----
bool CoverDisplayWithoutWindowManager(SDL_Window* window) {
  Display* display = nullptr;
  Window xwindow = 0;
  XWindowAttributes attributes;
  if (!X11DisplayAndWindow(window, &display, &xwindow) || !XGetWindowAttributes(display, xwindow, &attributes))
    return false;
  if (WindowManagerRuns(display, attributes.root, XScreenNumberOfScreen(attributes.screen))) return false;
  int index = SDL_GetWindowDisplayIndex(window);
  SDL_Rect bounds;
  if (index < 0 || SDL_GetDisplayBounds(index, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) return false;
  XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, (unsigned)bounds.w, (unsigned)bounds.h);
  XRaiseWindow(display, xwindow);
  XFlush(display);
  return true;
}
