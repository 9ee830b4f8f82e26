// app/pending: functions the frame already calls whose bodies come with later work.
#include "app/mouse_routing.h"
#include "app/pending.h"
#include "app/ring_key_drag.h"

// Filled in later with the circle's key drag.
void CancelRingKeyDrag() {}
// Filled in later with the mouse routing.
bool gRingDragging = false;
// Filled in later with the mouse routing.
int gRingDragPos = -1;

// Filled in later with mouse routing.
int gMouseX = 0, gMouseY = 0;
// Filled in later with the practice strip.
bool gPracticeStrip = false;

// Filled in later with the circle view.
void DrawCircleView(float, float) {}
// Filled in later with the key commands.
void HandleKeyCommand(int, int64_t) {}
// Filled in later with character input.
void HandleCharInput(uint32_t) {}
// Filled in later with mouse routing.
void HandleMouseMove(int, int, uint64_t) {}
// Filled in later with mouse routing.
void HandleLeftButtonDown(int, int, uint64_t) {}
// Filled in later with mouse routing.
void HandleLeftButtonUp(int, int, uint64_t) {}
// Filled in later with mouse routing.
void HandleLeftDoubleClick(int, int, uint64_t) {}
// Filled in later with mouse routing.
void HandleRightButtonDown(int, int, uint64_t) {}
// Filled in later with mouse routing.
void HandleMouseWheel(int, int, int, uint64_t) {}
// Filled in later with the mouse routing.
int gSeekDragMode = 0;
// Filled in later with the mouse routing.
bool gSpeedDragging = false;
// Filled in later with the mouse routing.
bool gFileMenuOpen = false;
// Filled in later with the mouse routing.
bool gSightReadingView = false;
