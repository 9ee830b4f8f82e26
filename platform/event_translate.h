// platform/event_translate: turns raw keyboard, text and mouse input into the program's messages.
//
// The window backend calls these with plain values; they post into the message queue exactly what
// the window procedure expects (key message, then the character a key makes; double clicks in place
// of the second press; wheel deltas of 120 per notch; signed mouse points). No library types here,
// so tests drive them directly.
#pragma once
#include <cstdint>

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// One key press: kMsgSysKeyDown for Alt (without Ctrl) combinations and F10, else kMsgKeyDown (lParam carries the
// repeat bit); then the character it makes (8, 9, 13, 27, Ctrl+Enter 10, Ctrl+Backspace 127,
// Ctrl+letter 1..26), since text input does not report those; Alt+F4 also posts a close request.
void PostKeyPress(int virtualKey, KeyModifiers mods, bool repeat);
// One key release (kMsgKeyUp).
void PostKeyRelease(int virtualKey);
// Text typed: one kMsgChar per character, ASCII 32..126 as is, 160..255 as that code, the rest dropped.
void PostTextInput(const char* utf8);
// Mouse buttons: 1 left, 2 middle, 3 right; clicks counts presses in a row (2 = double click).
void PostMouseButtonDown(int button, int clicks, int x, int y, unsigned flags);
void PostMouseButtonUp(int button, int x, int y, unsigned flags);
// Pointer moved to client point (x, y); also tells the program it may set the cursor when inside.
void PostMouseMove(int x, int y, unsigned flags, bool insideClient);
// Wheel turned by `notches` (positive away from the user) with the pointer at client point (x, y).
void PostMouseWheel(float notches, int x, int y, unsigned flags);
// Window events.
void PostClientSize(int width, int height, bool maximized);
void PostMinimized();
void PostCloseRequest();
void PostDisplayChange();

// Decodes the next UTF-8 code point at *p and advances; malformed bytes give 0xFFFD.
uint32_t NextUtf8CodePoint(const char** p);
