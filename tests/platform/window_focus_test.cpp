// The main window losing the focus in the middle of a drag, under a real X server driven as a user
// would (xdotool): the window system's own events, not made-up ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/window_process.h"

namespace {

// How many messages of `code` wait in the queue; the queue is emptied.
int CountMessages(uint32_t code) {
  int count = 0;
  AppMessage m;
  while (TakeAppMessage(&m))
    if (m.code == code) ++count;
  return count;
}

// The flags of the last pointer move waiting in the queue, -1 when none; the queue is emptied.
long LastMoveFlags() {
  long flags = -1;
  AppMessage m;
  while (TakeAppMessage(&m))
    if (m.code == kMsgMouseMove) flags = (long)m.wParam;
  return flags;
}

// The button is pressed on the window, the focus goes elsewhere (another window came up, or the
// user switched to one), and the button is let go over another window: the window, which lost its
// hold on the pointer with the focus, never hears of the release. Its moves must not go on saying
// that the button is held, or the drag follows the pointer with no button down until the next click;
// and that next click, back on the window, must come through as a press and a release, not be taken
// for the end of the press held before.
TEST(WindowFocus, AButtonLetGoElsewhereAfterTheFocusLeftIsNotHeldOnMoves) {
  InWindowProcess(
      [](const std::string& window) -> std::string {
        if (!Shell("xdotool windowfocus --sync " + window + " mousemove 200 200")) return "xdotool could not focus";
        SettleWindow();
        Shell("xdotool mousedown 1 mousemove 220 210");
        SettleWindow();
        const long held = LastMoveFlags();
        if (held < 0 || !(held & kMouseFlagLeft))
          return "a drag on the window is not seen as held: " + std::to_string(held);
        // The focus goes to the root window; the button is let go outside the window.
        Shell("xdotool windowfocus $(xwininfo -root | awk '/Window id/ {print $4}') mousemove 1200 900");
        SettleWindow();
        Shell("xdotool mouseup 1");
        SettleWindow();
        LastMoveFlags();
        Shell("xdotool mousemove 300 300 mousemove 320 310");
        SettleWindow();
        const long after = LastMoveFlags();
        if (after < 0 || (after & kMouseFlagLeft)) return "moves after the release elsewhere: flags " + std::to_string(after);
        Shell("xdotool click 1");
        SettleWindow();
        const int presses = CountMessages(kMsgLButtonDown);
        if (presses != 1) return "a click back on the window came through as " + std::to_string(presses) + " presses";
        return "";
      },
      {"xwininfo"});
}

}  // namespace
