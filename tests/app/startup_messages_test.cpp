// The start-up failure messages: the graphics template and the window failure through the box.
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "app/program.h"
#include "platform/message_box.h"
#include "tests/support/test_support.h"

TEST(GraphicsError, DetailSitsBetweenTheFixedParagraphsAndFitsTheBuffer) {
  const std::string head = "Tonvarra could not start its graphics (OpenGL).\n\n";
  const std::string tail = "\n\nThis usually means the graphics driver is out of date";
  for (const char* d : {(const char*)nullptr, "No compatible OpenGL pixel format is available on this display."}) {
    std::string text = FormatGraphicsErrorText(d);
    EXPECT_EQ(text.rfind(head + (d ? d : "") + tail, 0), 0u) << text;
    EXPECT_LT(text.size(), 768u);
  }
}

static std::string gCaption, gText;
static int gBoxes = 0;

TEST(StartupFailure, NoDisplayShowsTheWindowBoxAndReturnsOne) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  SetErrorBoxSinkForTesting([](const char* caption, const char* text) {
    gCaption = caption;
    gText = text;
    ++gBoxes;
  });
  int code = RunProgram();
  SetErrorBoxSinkForTesting(nullptr);
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(sig, SIG_DFL);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(gBoxes, 1);
  EXPECT_EQ(gCaption, "Tonvarra");
  EXPECT_EQ(gText.rfind("Tonvarra could not create its application window.", 0), 0u) << gText;
  EXPECT_FALSE(FileExists(dir.File("Data/exit_log.txt")));  // exit code 1 skips the shut-down
}
