// app/mouse_routing: the window procedure's mouse branches, which route each event to the widget
// under the pointer. Points are in client pixels.
#pragma once
#include <cstdint>

// PENDING: the routing of mouse events to the widgets.
void HandleMouseMove(int x, int y, uint64_t flags);
void HandleLeftButtonDown(int x, int y, uint64_t flags);
void HandleLeftButtonUp(int x, int y, uint64_t flags);
void HandleLeftDoubleClick(int x, int y, uint64_t flags);
void HandleRightButtonDown(int x, int y, uint64_t flags);
void HandleMouseWheel(int delta, int x, int y, uint64_t flags);
