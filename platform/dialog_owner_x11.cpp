// platform/dialog_owner_x11: WM_TRANSIENT_FOR set on a child program's windows.
// Apart from the window's own file: Xlib's names (None, Status ...) are macros that would clash
// with the layer's.
//
// The dialog programs are asked for no owner: zenity's file chooser leaves its --attach unused. So
// the windows are found by the process id the toolkit puts on them (_NET_WM_PID) and given the
// owner here; a window manager follows the property when it changes on a shown window.
#include "platform/dialog_owner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/x11_window.h"

// ---- internal helpers ----
namespace {

constexpr int kFrameDepth = 3;  // a client window under a window manager's frame and its parts

long ProcessOfWindow(Display* display, Window window, Atom pidAtom) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_CARDINAL && format == 32 && count == 1)
    pid = (long)*(unsigned long*)data;
  if (data) XFree(data);
  return pid;
}

// Marks the windows of `pid` under `parent`, down to `depth` levels; true when a shown one was marked.
bool MarkUnder(Display* display, Window parent, int depth, long pid, Atom pidAtom, Window owner) {
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return false;
  bool shown = false;
  for (unsigned int i = 0; i < count; ++i) {
    Window w = children[i];
    if (ProcessOfWindow(display, w, pidAtom) == pid) {
      Window already = 0;
      if (!XGetTransientForHint(display, w, &already) || already == 0) {
        XSetTransientForHint(display, w, owner);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, w, &attributes) && attributes.map_state == IsViewable) shown = true;
      }
    } else if (depth > 1 && MarkUnder(display, w, depth - 1, pid, pidAtom, owner)) {
      shown = true;
    }
  }
  if (children) XFree(children);
  return shown;
}

}  // namespace

// ---- public functions ----
bool OwnWindowsOfProcess(SDL_Window* owner, long pid) {
  Display* display = nullptr;
  Window xwindow = 0;
  if (pid <= 0 || !X11DisplayAndWindow(owner, &display, &xwindow)) return false;
  Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
  if (pidAtom == None) return false;  // no program has named its process yet
  bool shown = MarkUnder(display, DefaultRootWindow(display), kFrameDepth, pid, pidAtom, xwindow);
  XFlush(display);
  return shown;
}
