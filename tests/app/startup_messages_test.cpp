// The start-up failure messages: the graphics template and the window failure through the box.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "app/program.h"
#include "platform/message_box.h"
#include "tests/support/test_support.h"

TEST(GraphicsError, DetailSitsBetweenTheFixedParagraphs) {
  const std::string head = "Tonvarra could not start its graphics (OpenGL).\n\n";
  const std::string tail =
      "\n\nThis usually means the graphics driver is out of date, or OpenGL is unavailable on this machine "
      "(for example inside some virtual machines or Remote Desktop sessions).\n\nPlease update your GPU "
      "drivers and try again. If you are on Remote Desktop or a virtual machine, try running on the "
      "physical PC.";
  const char* details[] = {
      nullptr,  // an empty line where the detail stands
      "Could not obtain a device context for the window.",
      "No compatible OpenGL pixel format is available on this display.",
      "Could not create an OpenGL rendering context.",
      "Could not activate the OpenGL rendering context.",
  };
  for (const char* d : details) {
    std::string text = FormatGraphicsErrorText(d);
    EXPECT_EQ(text, head + (d ? d : "") + tail);
    EXPECT_LT(text.size(), 768u);  // fits the template's buffer
  }
}

static std::string gCaption, gText;
static int gBoxes = 0;
static void RecordBox(const char* caption, const char* text) {
  gCaption = caption;
  gText = text;
  ++gBoxes;
}

TEST(StartupFailure, NoDisplayShowsTheWindowBoxAndReturnsOne) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  SetErrorBoxSinkForTesting(RecordBox);
  int code = RunProgram();
  SetErrorBoxSinkForTesting(nullptr);
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(sig, SIG_DFL);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(gBoxes, 1);
  EXPECT_EQ(gCaption, "Tonvarra");
  EXPECT_EQ(gText,
            "Tonvarra could not create its application window.\n\nPlease restart your PC and try again. If the "
            "problem persists, contact support.");
  EXPECT_FALSE(FileExists(dir.File("Data/exit_log.txt")));  // exit code 1 skips the shut-down
}
