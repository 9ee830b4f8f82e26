// app/window_proc: the one window procedure: every message of the queue is handled here.
#pragma once
#include <cstdint>

// Handles one message; returns 0, or 1 for kMsgSetCursor when the program set the cursor.
int64_t MainWndProc(uint32_t code, uint64_t wParam, int64_t lParam);
// The default handling of a message the procedure passes on (a close request destroys the window).
int64_t DefaultWindowHandling(uint32_t code, uint64_t wParam, int64_t lParam);
// The minimum tracking size a kMsgGetMinMaxInfo's lParam points to.
struct MinTrackSize {
  int width;
  int height;
};

// The close's saves when the display went away under the program, which then ends at once: no
// frame is drawn and no window is touched.
void HandleDisplayLost();
