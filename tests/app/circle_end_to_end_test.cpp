// End to end: the real program on a virtual display with a private JACK server; a second client
// plays C, E and G as a keyboard, and a screenshot taken from outside shows the C sector lit.
#include <RtMidi.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>
#include <string>
#include <thread>
#include <vector>

#include "app/base/client_size.h"
#include "gfx/layout.h"
#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The brightness (r + g + b) of one pixel of a binary PPM screenshot, -1 when unreadable.
int PpmBrightness(const std::string& bytes, int x, int y) {
  int w = 0, h = 0, max = 0, offset = 0;
  if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &offset) != 3 || max != 255) return -1;
  size_t start = (size_t)offset + 1 + ((size_t)y * w + x) * 3;
  if (x >= w || y >= h || start + 3 > bytes.size()) return -1;
  return (unsigned char)bytes[start] + (unsigned char)bytes[start + 1] + (unsigned char)bytes[start + 2];
}

std::string Screenshot(const std::string& display, const std::string& path) {
  pid_t grab = SpawnProgram({"import", "-display", display, "-window", "root", "-depth", "8", path}, "", {}, {},
                            "/dev/null");
  WaitForChild(grab, 30);
  return ReadFileBytes(path);
}

}  // namespace

TEST(CircleEndToEnd, AChordPlayedOnAKeyboardLightsItsSectorInTheRealProgram) {
  const char* binary = getenv("TONVARRA_BINARY");
  ASSERT_TRUE(binary && *binary);
  PrivateJackServer server;
  if (!server.up()) GTEST_SKIP() << "jackd did not start: " << server.Log();
  RtMidiOut keys(RtMidi::UNIX_JACK, "peer");
  keys.openVirtualPort("keys");  // plugged in before the program starts, so it opens at start-up

  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  TempDir folder;
  std::string exe = folder.File("tonvarra");
  fs::copy_file(binary, exe);
  std::vector<std::pair<std::string, std::string>> env = {{"DISPLAY", display.name()},
                                                          {"TONVARRA_MESSAGE_BOXES", "0"}};
  const char* src = getenv("TONVARRA_SOURCE_DIR");
  if (src && !getenv("LSAN_OPTIONS")) env.push_back({"LSAN_OPTIONS", std::string("suppressions=") + src + "/tests/lsan.supp"});
  std::string log = folder.File("output.txt");
  pid_t pid = SpawnProgram({exe}, folder.path(), env, {}, log);
  bool opened = false;
  for (int i = 0; i < 300 && !opened; ++i, SleepMs(100))
    opened = ReadFileBytes(log).find("SUCCESS: using device") != std::string::npos;
  ASSERT_TRUE(opened) << ReadFileBytes(log);

  // Where the C sector lies: the program's window sits at (100, 100), 1440 x 920 (no window manager).
  gClientWidth = 1440;
  gClientHeight = 920;
  float cx, cy, m, R, Ri, Rm;
  ComputeCircleLayout(&cx, &cy, &m, &R, &Ri, &Rm);
  const float a = -1.5707964f + 0.16f;
  const int x = 100 + (int)(cx + (R - 8) * std::cos(a)), y = 100 + (int)(cy + (R - 8) * std::sin(a));

  SleepMs(1000);
  int quiet = PpmBrightness(Screenshot(display.name(), folder.File("quiet.ppm")), x, y);
  ASSERT_GE(quiet, 0);
  int lit = -1;
  for (int attempt = 0; attempt < 20 && lit < quiet + 90; ++attempt) {
    for (unsigned char note : {60, 64, 67}) {
      std::vector<unsigned char> on{0x90, note, 110};
      keys.sendMessage(&on);  // a repeated note-on while held changes nothing but the velocity
    }
    SleepMs(400);
    lit = PpmBrightness(Screenshot(display.name(), folder.File("lit.ppm")), x, y);
  }
  fs::copy_file(folder.File("lit.ppm"), "circle_end_to_end.ppm", fs::copy_options::overwrite_existing);
  kill(pid, SIGTERM);
  WaitForChild(pid, 30);
  EXPECT_GT(lit, quiet + 90) << "quiet " << quiet << ", lit " << lit << "\n" << ReadFileBytes(log);
}
