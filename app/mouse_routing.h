// app/mouse_routing: the window procedure's mouse branches. Each event is offered to the widgets in
// one fixed order (open prompts and the start screen first, then the learning screens, the panels,
// the transport, the circle and the board); the first widget that takes it ends the search.
// Points are signed client pixels, so a captured drag left of or above the window stays negative.
#pragma once
#include <cstdint>

// flags: the kMouseFlag... bits of the message (buttons, Shift, Ctrl).
void HandleMouseMove(int x, int y, uint64_t flags);
void HandleLeftButtonDown(int x, int y, uint64_t flags);
void HandleLeftButtonUp(int x, int y, uint64_t flags);
// The second press of a double click: offered to the double-click targets, then as a press.
void HandleLeftDoubleClick(int x, int y, uint64_t flags);
void HandleRightButtonDown(int x, int y, uint64_t flags);
// delta: 120 per notch away from the user; the point is in client pixels.
void HandleMouseWheel(int delta, int x, int y, uint64_t flags);
// A drag of any widget is under way (the left button must be held for it).
bool IsAnyMouseDragOn();
// Forgets the last press (whether it closed a performance note).
void ResetMouseRouting();
