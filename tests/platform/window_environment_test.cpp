// The window's environment is set once, before the program's first thread: making the window
// afterwards changes nothing in it, since a change while the glyph thread reads the environment
// could crash that thread at start-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/window.h"
#include "tests/support/child_process.h"

extern char** environ;

namespace {

// Each entry's text and where it lies: setting a variable anew, even to the value it has, puts a
// new string in the table.
std::vector<std::pair<std::string, const void*>> Environment() {
  std::vector<std::pair<std::string, const void*>> all;
  for (char** e = environ; *e; ++e) all.emplace_back(*e, *e);
  return all;
}

TEST(WindowEnvironment, MakingTheWindowLeavesThePreparedEnvironmentAlone) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  setenv("DISPLAY", display.name().c_str(), 1);
  PrepareWindowEnvironment("Orvanel");
  ASSERT_NE(getenv("SDL_VIDEO_X11_WMCLASS"), nullptr);
  EXPECT_STREQ(getenv("SDL_VIDEO_X11_WMCLASS"), "Orvanel");
  EXPECT_NE(getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr) << "no session bus is looked for";
  const auto before = Environment();
  char** const table = environ;
  ASSERT_TRUE(WindowCreate("Tonvarra", "Orvanel", 100, 100, 640, 480)) << WindowLastError();
  EXPECT_EQ(Environment(), before);
  EXPECT_EQ(environ, table) << "the environment's table was moved";
  WindowDestroy();
}

// A mistyped or stale DISPLAY (an ssh session's, a closed Xvfb's) is the usual cause: the error
// the user reads on standard error must say which display was tried, and that Wayland had none.
TEST(WindowEnvironment, WithoutADisplayTheErrorNamesTheDisplaysTried) {
  // A fresh process: one that made a window before would skip starting SDL's video again.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("DISPLAY", ":9876", 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        if (WindowCreate("Tonvarra", "Orvanel", 100, 100, 640, 480)) std::exit(2);
        const std::string error = WindowLastError();
        if (error.find("DISPLAY=:9876") == std::string::npos) std::exit(3);
        if (error.find("WAYLAND_DISPLAY unset") == std::string::npos) std::exit(4);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
