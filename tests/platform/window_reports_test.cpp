// What the window system reports of the main window besides input, under a real X server: the
// window minimised and shown again (its window unmapped and mapped, as a window manager does on
// iconifying), and a press of its close box waiting behind other window events. Each case runs in a
// process of its own, so that no window system connection outlives the test's display.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/child_process.h"

namespace {

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Lets the window system deliver for a moment, then pumps its events into the queue.
void Settle() {
  for (int i = 0; i < 6; ++i) {
    usleep(50 * 1000);
    PumpWindowEvents();
  }
}

// The size messages waiting, as (kind, width, height); the queue is emptied.
std::vector<std::vector<long>> TakeSizes() {
  std::vector<std::vector<long>> sizes;
  AppMessage m;
  while (TakeAppMessage(&m))
    if (m.code == kMsgSize) sizes.push_back({(long)m.wParam, (long)(m.lParam & 0xFFFF), (long)(m.lParam >> 16)});
  return sizes;
}

// Runs the case in a child process with a window on a display of its own; the case returns what
// went wrong, or "" when nothing did.
void InWindowProcess(std::string (*run)(const std::string& window)) {
  if (!Shell("command -v xdotool >/dev/null 2>&1")) GTEST_SKIP() << "xdotool is not installed";
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  setenv("DISPLAY", display.name().c_str(), 1);
  EXPECT_EXIT(
      {
        if (!WindowCreate("Report probe", "Orvanel", 0, 0, 640, 480)) std::exit(2);
        WindowShowMaximized();
        WindowSetClientSize(640, 480);
        Settle();
        TakeSizes();
        std::string fault = run(std::to_string(WindowSystemId()));
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::exit(fault.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("DISPLAY");
}

// Restoring a window of the same size reports no size of its own, so the window said nothing of
// showing again, and a program that stops drawing while minimised would have stayed blank.
TEST(WindowReports, AMinimisedWindowShownAgainReportsItsSize) {
  InWindowProcess([](const std::string& window) -> std::string {
    if (!Shell("xdotool windowunmap --sync " + window)) return "xdotool could not unmap the window";
    Settle();
    std::vector<std::vector<long>> sizes = TakeSizes();
    if (sizes.empty() || sizes.back()[0] != kSizeMinimized) return "the minimise was not reported";
    if (!Shell("xdotool windowmap --sync " + window)) return "xdotool could not map the window";
    Settle();
    sizes = TakeSizes();
    if (sizes.empty()) return "the window shown again reported nothing";
    if (sizes.back()[0] == kSizeMinimized) return "the window shown again was still reported minimised";
    if (sizes.back()[1] != 640 || sizes.back()[2] != 480)
      return "shown again at " + std::to_string(sizes.back()[1]) + " x " + std::to_string(sizes.back()[2]);
    // Shown, it is uncovered often: that reports no size again.
    Shell("xdotool windowunmap --sync " + window + " windowmap --sync " + window);
    Settle();
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
    Settle();
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
