// tests/app/learning_window_fixture: the learning screens in the program's own window on a private
// display. Before and after each test: the window (1440 x 920 unless a test opens its own size)
// with its projection and fonts, the floors connected, and the learning model, the screen, the text
// fields, the view modes, the pointer and the classroom panels at their starts; the clock no longer
// driven after it. A private program folder, xdotool on the display, pixels read back and
// screenshots kept in the build's "screenshots" folder.
#pragma once
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "classroom/attendance_panel.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/institution_panel_state.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "learning_ui/learning_screen.h"
#include "midi/click.h"
#include "midi/midi_input.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "tests/app/real_window_fixture.h"
#include "tests/learning/learning_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"

using Rgb = std::array<int, 3>;

// No keyboard on the machine's ports: scripted keys go straight into the queue, and the frame's
// rescan for a keyboard opens no port client of its own.
inline const MidiInDriver kNoKeyboard = {[] { return 0; },
                                         [](int, std::string*) { return false; },
                                         [](int, void**) { return 1; },
                                         [] { return 1; },
                                         [] {},
                                         [](int) { return "none"; },
                                         [] { return false; }};
// Metronome clicks heard by nobody: no sound device opens for them.
inline const ClickPlayer kSilentClicks = {[](const std::string&, int64_t) { return true; },
                                          [](const std::vector<uint8_t>&, int64_t) { return true; },
                                          [](int, int) {}};

class LearningWindowTest : public RealWindow {
 protected:
  LearningWindowTest() : exe_(dir_.path()) {}
  void SetUp() override { OpenLearningWindow(100, 100, 1440, 920); }
  void TearDown() override {
    ClockDriveEnd();
    ResetLearningState();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  // The window at (x, y) with a client of w x h, its projection and fonts, the floors connected and
  // the learning state at its start.
  void OpenLearningWindow(int x, int y, int w, int h) {
    OpenProgramWindow(x, y, w, h);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitForClientSize(w, h)) << gClientWidth << " x " << gClientHeight;
    SetProjection2D();
    RebuildFonts();
    ConnectFloors();
    ResetLearningState();
  }
  static void ResetLearningState() {
    ResetLearningModelForTest();
    ResetLearningScreenState();
    ResetTextFields();
    ResetViewModes();
    ResetPointer();
    // A panel a test left open would stand over the next test's screens.
    ResetAttendancePanelState();
    ResetInstitutionPanelState();
    ResetClassroomPanelState();
  }

  // The shipped lesson library beside the test program, linked into the private program folder.
  void LinkShippedLibrary() {
    const char* binary = std::getenv("TONVARRA_BINARY");
    ASSERT_NE(binary, nullptr);
    std::filesystem::create_directories(dir_.File("MIDI"));
    std::filesystem::create_directory_symlink(std::filesystem::path(binary).parent_path() / "MIDI" / "Library",
                                              dir_.File("MIDI/Library"));
  }
  // Runs xdotool on the display; its standard output, "ok" when it printed nothing, "" when it failed.
  std::string Xdo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    static std::atomic<int> calls{0};
    std::string log = dir_.File("xdotool_" + std::to_string(calls++) + ".out");
    if (WaitForChild(SpawnProgram(argv, "", {{"DISPLAY", display_->name()}}, {}, log), 20.0) != 0) return "";
    std::string out = ReadFileBytes(log);
    return out.empty() ? "ok" : out;
  }
  // The program's window for xdotool in window_, focused.
  void FindWindow() {
    window_ = Xdo({"search", "--name", "^Tonvarra$"});
    ASSERT_FALSE(window_.empty()) << "xdotool finds no window";
    window_ = window_.substr(0, window_.find('\n'));
    ASSERT_FALSE(Xdo({"windowfocus", "--sync", window_}).empty());
  }

  static Rgb At(const std::vector<uint8_t>& frame, float x, float y) {
    const uint8_t* p = &frame[(size_t(std::lround(y)) * gClientWidth + size_t(std::lround(x))) * 4];
    return {p[0], p[1], p[2]};
  }
  static int Sum(const Rgb& c) { return c[0] + c[1] + c[2]; }
  // Keeps a frame as an opaque PNG in "screenshots" beside the program under test (or in the
  // temporary folder without one), for the developer to look at.
  static void SaveScreenshot(const std::string& name, const std::vector<uint8_t>& frame) {
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, frame));
  }
  static void SaveScreenshot(const std::string& name) { SaveScreenshot(name, ReadFrame()); }
  // The whole program's next frame on the driven clock, kept as a screenshot.
  static void SaveProgramScreenshot(const std::string& name) {
    ClockDriveAdvance(17);
    RunFrameWork(ClockMs32());
    SaveScreenshot(name);
  }

  TempDir dir_;
  ScopedExeDir exe_;
  std::string window_;
};
