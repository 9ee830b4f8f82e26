// platform/keys: the key codes and mouse-button flags that key and mouse messages carry.
//
// The program compares keys with these values ('R', 0x1B, the F-keys ...); the window layer turns
// the library's own key codes into them before posting kMsgKeyDown / kMsgSysKeyDown.
#pragma once

enum : int {
  kKeyBack = 0x08,
  kKeyTab = 0x09,
  kKeyReturn = 0x0D,
  kKeyShift = 0x10,
  kKeyControl = 0x11,
  kKeyMenu = 0x12,          // Alt
  kKeyPause = 0x13,
  kKeyCapital = 0x14,
  kKeyEscape = 0x1B,
  kKeySpace = 0x20,
  kKeyPageUp = 0x21,
  kKeyPageDown = 0x22,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
  kKeyInsert = 0x2D,
  kKeyDelete = 0x2E,
  // '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A: the upper-case ASCII letter.
  kKeyNumpad0 = 0x60,       // ..0x69 for keypad 0..9
  kKeyF1 = 0x70,            // F1..F24 are consecutive: F2 0x71, F4 0x73, F11 0x7A, F12 0x7B
  kKeyF2 = 0x71,
  kKeyF3 = 0x72,
  kKeyF4 = 0x73,
  kKeyF6 = 0x75,
  kKeyF7 = 0x76,
  kKeyF10 = 0x79,
  kKeyF11 = 0x7A,
  kKeyF12 = 0x7B,
  kKeyLShift = 0xA0,
  kKeyRShift = 0xA1,
  kKeyLControl = 0xA2,
  kKeyRControl = 0xA3,
  kKeyLMenu = 0xA4,
  kKeyRMenu = 0xA5,
  kKeyOem1 = 0xBA,          // ;:
  kKeyOemPlus = 0xBB,
  kKeyOemComma = 0xBC,
  kKeyOemMinus = 0xBD,
  kKeyOemPeriod = 0xBE,
  kKeyOem2 = 0xBF,          // /?
  kKeyOem3 = 0xC0,          // `~
  kKeyOem4 = 0xDB,          // [{
  kKeyOem5 = 0xDC,          // backslash
  kKeyOem6 = 0xDD,          // ]}
  kKeyOem7 = 0xDE,          // '"
};

// Bit 30 of a key message's lParam: the key was already down (auto-repeat).
const long long kKeyRepeatBit = 1LL << 30;
// Bits 32..34 of a key message's lParam: the modifiers held when the key went down. The handler
// reads these, not the keyboard's state when the message is handled, which may already have moved
// on (a quick Shift+key is released before the queue is drained).
const long long kKeyShiftDownBit = 1LL << 32;
const long long kKeyControlDownBit = 1LL << 33;
const long long kKeyAltDownBit = 1LL << 34;

// wParam flags of mouse messages: which buttons and modifiers were down.
enum : unsigned {
  kMouseFlagLeft = 0x0001,
  kMouseFlagRight = 0x0002,
  kMouseFlagShift = 0x0004,
  kMouseFlagControl = 0x0008,
  kMouseFlagMiddle = 0x0010,
  kMouseFlagAlt = 0x0020,
};

// The hit-test code of kMsgSetCursor's lParam for the client area.
const long long kHitClient = 1;

// Milliseconds between the two presses of a double click.
const unsigned kDoubleClickMs = 500;
