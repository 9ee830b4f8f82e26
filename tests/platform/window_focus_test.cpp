// The main window losing the focus in the middle of a drag, under a real X server driven as a user
// would (xdotool): the window system's own events, not made-up ones.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/child_process.h"

namespace {

// Lets the window system deliver for a moment, then pumps its events into the queue.
void Settle() {
  for (int i = 0; i < 6; ++i) {
    usleep(50 * 1000);
    PumpWindowEvents();
  }
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

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
// that the button is held, or the drag follows the pointer with no button down until the next click.
TEST(WindowFocus, AButtonLetGoElsewhereAfterTheFocusLeftIsNotHeldOnMoves) {
  for (const char* tool : {"xdotool", "xwininfo"})
    if (!Shell(std::string("command -v ") + tool + " >/dev/null 2>&1")) GTEST_SKIP() << tool << " is not installed";
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  setenv("DISPLAY", display.name().c_str(), 1);
  EXPECT_EXIT(
      {
        if (!WindowCreate("Focus probe", "Orvanel", 0, 0, 640, 480)) std::exit(2);
        WindowShowMaximized();
        WindowSetClientSize(640, 480);
        Settle();
        const std::string window = std::to_string(WindowSystemId());
        if (!Shell("xdotool windowfocus --sync " + window + " mousemove 200 200")) std::exit(3);
        Settle();
        Shell("xdotool mousedown 1 mousemove 220 210");
        Settle();
        const long held = LastMoveFlags();
        if (held < 0 || !(held & kMouseFlagLeft)) {
          std::fprintf(stderr, "a drag on the window is not seen as held: %ld\n", held);
          std::exit(4);
        }
        // The focus goes to the root window; the button is let go outside the window.
        Shell("xdotool windowfocus $(xwininfo -root | awk '/Window id/ {print $4}') mousemove 1200 900");
        Settle();
        Shell("xdotool mouseup 1");
        Settle();
        LastMoveFlags();
        Shell("xdotool mousemove 300 300 mousemove 320 310");
        Settle();
        const long after = LastMoveFlags();
        if (after < 0 || (after & kMouseFlagLeft)) {
          std::fprintf(stderr, "moves after the release elsewhere: flags %ld\n", after);
          std::exit(5);
        }
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("DISPLAY");
}

}  // namespace
