// app/window_size: the client size every layout reads, the minimum window size, and full screen.
#pragma once

extern int gAppliedClientWidth;    // the size last applied by ApplyClientSize or a display change
extern int gAppliedClientHeight;
extern bool gFullscreen;           // the window covers the whole display without a frame
extern bool gGlReady;              // the GL context is current: sizes also rebuild projection and fonts

// Adopts a new client size (size messages pass force = false); a non-positive size re-reads the
// window. Tiny sizes are refused once a usable size was seen; the same size again does nothing.
void ApplyClientSize(int width, int height, bool force);
// The smallest window size: a 1120 x 720 client area, bounded by the display's work area (or its
// whole size when the work area is unknown), never below 640 x 480.
void GetWindowSizeLimits(int* width, int* height);
// The same from given display figures (0 = unknown), without a window. Test entry point.
void ComputeWindowSizeLimits(int workWidth, int workHeight, int screenWidth, int screenHeight,
                             int* width, int* height);
// Re-reads the client size after a display or scale change and re-lays out, without the size guard.
void HandleDisplayChange();
// Switches between the normal window and borderless full screen.
void ToggleFullscreen();
