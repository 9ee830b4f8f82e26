// platform/screen_probe: reads what an X display shows, from outside the program that draws it,
// for the benchmarks that time another process's first drawn frame. Benchmark code only.
#pragma once
#include <string>

struct ScreenProbe;  // a connection to one display

// Connects to the display ("" = $DISPLAY); null when it cannot.
ScreenProbe* ScreenProbeOpen(const std::string& display);
// Closes the connection; null is ignored.
void ScreenProbeClose(ScreenProbe* probe);
// The RGB (0..255 each) shown at (x, y) of the screen; false outside it or on an error.
bool ScreenProbePixel(ScreenProbe* probe, int x, int y, int rgb[3]);
