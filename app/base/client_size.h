// app/base/client_size: the client area's size in pixels, which every layout reads. The window
// procedure keeps it (app/window_size); nothing below the shell changes it.
#pragma once

extern int gClientWidth;    // 0 before the window exists
extern int gClientHeight;

// No size known (0 x 0).
void ResetClientSize();
