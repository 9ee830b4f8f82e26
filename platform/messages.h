// platform/messages: the program's one message queue and its message codes.
//
// Everything the window procedure handles arrives here: window events translated by the window
// layer, MIDI input posted from the MIDI thread, and the program's own private messages. Posting is
// safe from any thread; draining and sending happen on the UI thread. A message posted while the
// queue is being drained is handled in the same drain.
#pragma once
#include <cstddef>
#include <cstdint>

// ---- message codes ----
enum : uint32_t {
  kMsgDestroy = 0x0002,        // the window is going away: shut-down sequence
  kMsgSize = 0x0005,           // wParam: kSizeRestored/kSizeMinimized/kSizeMaximized; lParam: width | height << 16
  kMsgClose = 0x0010,          // a close request (close box, Alt+F4, SIGTERM, RequestAppExit)
  kMsgQuit = 0x0012,           // ignored by the loop; it ends only through gAppRunning
  kMsgSetCursor = 0x0020,      // the pointer is over the client area: the program may set a cursor
  kMsgGetMinMaxInfo = 0x0024,  // minimum tracking size asked for
  kMsgDisplayChange = 0x007E,  // the display changed: re-read the client size
  kMsgKeyDown = 0x0100,        // wParam: virtual key; lParam bit 30: auto-repeat
  kMsgKeyUp = 0x0101,
  kMsgChar = 0x0102,           // wParam: one character (ASCII, or 8, 9, 13, 27, Ctrl+letter 1..26)
  kMsgSysKeyDown = 0x0104,     // F10 and Alt combinations
  kMsgMouseMove = 0x0200,      // lParam: signed x | signed y << 32 (see MakePointParam)
  kMsgLButtonDown = 0x0201,
  kMsgLButtonUp = 0x0202,
  kMsgLButtonDblClk = 0x0203,  // the second press of a double click, in place of a button-down
  kMsgRButtonDown = 0x0204,
  kMsgMouseWheel = 0x020A,     // wParam: signed delta (120 per notch); lParam: client point
  kMsgDpiChanged = 0x02E0,
  kMsgMidiInOpen = 0x03C1,     // MIDI input device messages, posted from the MIDI thread
  kMsgMidiInClose = 0x03C2,
  kMsgMidiInData = 0x03C3,     // wParam: packed short message; lParam: time stamp (ClockMs32)
  kMsgMidiInLongData = 0x03C4,
  kMsgMidiInError = 0x03C5,
  kMsgMidiInLongError = 0x03C6,
  kMsgMidiNote = 0x8001,       // the program's private note message
  kMsgMidiSustain = 0x8002,    // the program's private sustain-pedal message
  kMsgMidiAllNotesOff = 0x8003,  // the program's private all-notes-off message (one channel's keys)
};

enum : uint32_t { kSizeRestored = 0, kSizeMinimized = 1, kSizeMaximized = 2 };

struct AppMessage {
  uint32_t code;
  uint64_t wParam;
  int64_t lParam;
};

// The window procedure; its result is returned by SendAppMessage.
using AppMessageHandler = int64_t (*)(uint32_t code, uint64_t wParam, int64_t lParam);

// Sets the procedure that DrainAppMessages and SendAppMessage call.
void SetAppMessageHandler(AppMessageHandler handler);
// Appends a message; safe from any thread.
void PostAppMessage(uint32_t code, uint64_t wParam, int64_t lParam);
// Appends a message that should be shown at once (a key from the keyboard): it also ends a
// WaitForWakingMessage in progress. Safe from any thread.
void PostWakingAppMessage(uint32_t code, uint64_t wParam, int64_t lParam);
// Sleeps about ms, or less: returns as soon as a waking message waits in the queue (at once when
// one already does). True when one does. Returns at once under the driven clock, as sleeping does.
bool WaitForWakingMessage(uint32_t ms);
// Calls the procedure at once, on the calling thread; 0 when none is set.
int64_t SendAppMessage(uint32_t code, uint64_t wParam, int64_t lParam);
// Takes the oldest message; false when the queue is empty.
bool TakeAppMessage(AppMessage* out);
// Takes and handles messages until the queue is empty (also those posted meanwhile); returns the count.
int DrainAppMessages();
// Removes every queued message with first <= code <= last; returns how many went.
int RemoveAppMessages(uint32_t first, uint32_t last);
// Number of queued messages.
size_t CountAppMessages();

// Mouse points travel as signed 32-bit x and y in one 64-bit value, so drags left of or above
// the window stay negative.
inline int64_t MakePointParam(int x, int y) {
  return (int64_t)(((uint64_t)(uint32_t)y << 32) | (uint64_t)(uint32_t)x);
}
inline int PointParamX(int64_t lParam) { return (int32_t)(uint32_t)((uint64_t)lParam & 0xFFFFFFFFu); }
inline int PointParamY(int64_t lParam) { return (int32_t)(uint32_t)((uint64_t)lParam >> 32); }
// The signed wheel delta of a kMsgMouseWheel wParam.
inline int WheelDeltaParam(uint64_t wParam) { return (int)(int64_t)wParam; }
// Width and height of a kMsgSize lParam.
inline int SizeParamWidth(int64_t lParam) { return (int)((uint64_t)lParam & 0xFFFF); }
inline int SizeParamHeight(int64_t lParam) { return (int)(((uint64_t)lParam >> 16) & 0xFFFF); }
