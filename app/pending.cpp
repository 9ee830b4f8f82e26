// app/pending: functions the frame already calls whose bodies come with later work.
#include "app/pending.h"


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
