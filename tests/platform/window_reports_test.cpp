// What the window system reports of the main window besides input, under a real X server: the
// window minimised and shown again (its window unmapped and mapped, as a window manager does on
// iconifying), and a press of its close box waiting behind other window events. Each case runs in a
// process of its own, so that no window system connection outlives the test's display.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/window_process.h"

namespace {

// The size messages waiting, as (kind, width, height); the queue is emptied.
std::vector<std::vector<long>> TakeSizes() {
  std::vector<std::vector<long>> sizes;
  AppMessage m;
  while (TakeAppMessage(&m))
    if (m.code == kMsgSize) sizes.push_back({(long)m.wParam, (long)(m.lParam & 0xFFFF), (long)(m.lParam >> 16)});
  return sizes;
}

// Restoring a window of the same size reports no size of its own, so the window said nothing of
// showing again, and a program that stops drawing while minimised would have stayed blank.
TEST(WindowReports, AMinimisedWindowShownAgainReportsItsSize) {
  InWindowProcess([](const std::string& window) -> std::string {
    if (!Shell("xdotool windowunmap --sync " + window)) return "xdotool could not unmap the window";
    SettleWindow();
    std::vector<std::vector<long>> sizes = TakeSizes();
    if (sizes.empty() || sizes.back()[0] != kSizeMinimized) return "the minimise was not reported";
    if (!Shell("xdotool windowmap --sync " + window)) return "xdotool could not map the window";
    SettleWindow();
    sizes = TakeSizes();
    if (sizes.empty()) return "the window shown again reported nothing";
    if (sizes.back()[0] == kSizeMinimized) return "the window shown again was still reported minimised";
    if (sizes.back()[1] != 640 || sizes.back()[2] != 480)
      return "shown again at " + std::to_string(sizes.back()[1]) + " x " + std::to_string(sizes.back()[2]);
    // Shown, it is uncovered often: that reports no size again.
    Shell("xdotool windowunmap --sync " + window + " windowmap --sync " + window);
    SettleWindow();
    if (TakeSizes().size() != 2) return "a second minimise and showing were not reported once each";
    return "";
  });
}

// The close box comes as a window event among others (the pointer coming and going, exposures):
// a wait that holds the UI thread (a file chooser) must see it as it sees SIGTERM, and leave it
// for the pump, which closes the program as the close box always does.
TEST(WindowReports, TheCloseBoxBehindOtherWindowEventsAsksToEnd) {
  InWindowProcess([](const std::string&) -> std::string {
    if (WindowQuitRequested()) return "a quit asked for before anything happened";
    // The pointer crossing the window's edge, a few hundred times.
    std::string moves = "xdotool";
    for (int i = 0; i < 150; ++i) moves += " mousemove 100 100 mousemove 900 900";
    if (!Shell(moves)) return "xdotool could not move the pointer";
    usleep(300 * 1000);
    if (WindowQuitRequested()) return "the pointer's comings and goings asked to end";
    WindowQueueCloseBoxForTesting();
    if (!WindowQuitRequested()) return "the close box was not seen";
    if (!WindowQuitRequested()) return "looking took the close box away";
    SettleWindow();
    bool closed = false;
    AppMessage m;
    while (TakeAppMessage(&m)) closed |= m.code == kMsgClose;
    if (!closed) return "the pump did not pass the close box on";
    if (WindowQuitRequested()) return "the close box still waits after the pump";
    if (!WindowEndAskedFor()) return "the end asked for was forgotten";
    return "";
  });
}

}  // namespace
