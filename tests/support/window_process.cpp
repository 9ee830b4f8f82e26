// tests/support/window_process: a case with a window in a child process of its own.
#include "tests/support/window_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/child_process.h"

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void SettleWindow() {
  for (int i = 0; i < 6; ++i) {
    usleep(50 * 1000);
    PumpWindowEvents();
  }
}

void InWindowProcess(std::string (*run)(const std::string& window), const std::vector<std::string>& tools) {
  std::vector<std::string> needed = tools;
  needed.push_back("xdotool");
  for (const std::string& tool : needed)
    if (!Shell("command -v " + tool + " >/dev/null 2>&1")) GTEST_SKIP() << tool << " is not installed";
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  setenv("DISPLAY", display.name().c_str(), 1);
  EXPECT_EXIT(
      {
        if (!WindowCreate("Window probe", "Orvanel", 0, 0, 640, 480)) std::exit(2);
        WindowShowMaximized();
        WindowSetClientSize(640, 480);
        SettleWindow();
        AppMessage m;
        while (TakeAppMessage(&m)) {}
        std::string fault = run(std::to_string(WindowSystemId()));
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::exit(fault.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("DISPLAY");
}
