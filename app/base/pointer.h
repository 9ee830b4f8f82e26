// app/base/pointer: the mouse as the shell's routing last saw it and the state of the window
// procedure's own small widgets, which lower floors end or read.
#pragma once

// ---- the seek bar's drag modes (gSeekDragMode) ----
constexpr int kSeekDragNone = 0;        // no drag
constexpr int kSeekDragPosition = 1;    // the play position
constexpr int kSeekDragLoopStart = 2;   // the loop start marker
constexpr int kSeekDragLoopEnd = 3;     // the loop end marker

// ---- state ----
extern int gMouseX, gMouseY;     // the last mouse position in client pixels (-10000 before the first move)
extern int gSeekDragMode;        // one of the kSeekDrag... modes
extern bool gSpeedDragging;      // the playback speed slider is being dragged
extern bool gFileMenuOpen;       // the file menu is open

// No drag, no open menu, the mouse far outside the window, so no hover finds a control.
void ResetPointer();
