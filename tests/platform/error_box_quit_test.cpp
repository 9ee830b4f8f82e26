// An error box at start-up waits for an OK on the only thread that reads the window's queue. A
// SIGTERM that came after the window was made but before the box (the session ending while the
// program starts) was taken by the window's own handler and then waited behind the box for good:
// the program ran on until a second SIGTERM killed it without its close.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/window.h"
#include "tests/support/child_process.h"

namespace {

std::vector<std::string> gBoxes;

void RecordBox(const char* caption, const char*) { gBoxes.push_back(caption); }

// The window's side of the program, played through in a process of its own: SDL stays connected to
// the display until the process ends, and the display ends with this test. Returns what went
// wrong, or "" when nothing did.
std::string ABoxAfterAQuit(const std::string& display) {
  setenv("DISPLAY", display.c_str(), 1);
  if (!WindowCreate("Tonvarra", "Tonvarra", 100, 100, 320, 240)) return std::string("no window: ") + WindowLastError();
  SetErrorBoxSinkForTesting(RecordBox);

  ShowErrorBox("before any quit", "");
  if (gBoxes.size() != 1) return "a box nobody is leaving did not show";

  // The signal only marks the quit; nothing has read the queue yet.
  raise(SIGTERM);
  ShowErrorBox("quit still waiting", "");
  if (gBoxes.size() != 1) return "the box came up over a waiting SIGTERM";
  if (!WindowQuitRequested()) return "the quit did not stay for the program's own close";

  // The start-up's first drain of the queue takes the quit (the window's close runs); a box after
  // it has nobody left to read it either.
  PumpWindowEvents();
  if (WindowQuitRequested()) return "the pump left the quit waiting";
  ShowErrorBox("quit already taken", "");
  if (gBoxes.size() != 1) return "the box came up after the window was closed";
  return "";
}

TEST(ErrorBoxQuit, AQuitAskedForBeforeTheBoxIsNotHeldBehindIt) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  EXPECT_EXIT(
      {
        std::string fault = ABoxAfterAQuit(display.name());
        fprintf(stderr, "%s\n", fault.c_str());
        _exit(fault.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
