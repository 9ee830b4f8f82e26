// platform/input: pointer, cursor and capture of the main window.
#pragma once

enum CursorShape : int { kCursorNone = 0, kCursorArrow, kCursorHand, kCursorCross };

// Sets the pointer's shape; it stays until set again.
void SetCursorShape(CursorShape shape);
// Shows or hides the pointer.
void ShowPointer(bool show);
// Keeps mouse messages coming while the pointer is outside the window (drag), or stops that.
void CaptureMouse(bool on);
// The pointer's position in client coordinates (signed; may lie outside the window).
void GetPointerClientPos(int* x, int* y);
// Moves the pointer to a client point.
void WarpPointer(int x, int y);
