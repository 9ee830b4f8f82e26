// platform/screen_probe_x11: one-pixel reads of the root window through Xlib; the root window
// holds what every mapped window shows, so no window of the measured program is needed.
#include "platform/screen_probe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

struct ScreenProbe {
  Display* display = nullptr;
  Window root = 0;
};

// A broken connection must not end the benchmark through Xlib's default handler.
static int IgnoreXError(Display*, XErrorEvent*) { return 0; }

ScreenProbe* ScreenProbeOpen(const std::string& display) {
  Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (!d) return nullptr;
  XSetErrorHandler(IgnoreXError);
  return new ScreenProbe{d, DefaultRootWindow(d)};
}

void ScreenProbeClose(ScreenProbe* probe) {
  if (!probe) return;
  XCloseDisplay(probe->display);
  delete probe;
}

bool ScreenProbePixel(ScreenProbe* probe, int x, int y, int rgb[3]) {
  if (!probe || x < 0 || y < 0) return false;
  XImage* image = XGetImage(probe->display, probe->root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return false;
  unsigned long pixel = XGetPixel(image, 0, 0);
  rgb[0] = int((pixel & image->red_mask) >> __builtin_ctzl(image->red_mask)) & 0xFF;
  rgb[1] = int((pixel & image->green_mask) >> __builtin_ctzl(image->green_mask)) & 0xFF;
  rgb[2] = int((pixel & image->blue_mask) >> __builtin_ctzl(image->blue_mask)) & 0xFF;
  XDestroyImage(image);
  return true;
}
