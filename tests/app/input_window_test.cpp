// Keys and the mouse in the real window on a virtual display: X events made by xdotool reach the
// program through the window layer as a user's would, frames run on the real clock, and the state
// they change is read back. Covers the key drag round the circle with the pointer coming back at
// the marker, the Escape cascade through full screen, the command keys (under a Russian layout
// too), the register keeping them from the grid and the view behind it, a typed name with the real
// clipboard, typing under the start screen, the file menu's real zenity dialog driven by keys, and
// presses made while a dialog of the menu is up.
// Screenshots go to a "screenshots" folder beside the program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/start_clock.h"
#include "app/base/pointer.h"
#include "app/base/ring_key_drag.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/circle_view.h"
#include "app/floor_links.h"
#include "app/header_buttons.h"
#include "app/key_commands.h"
#include "gfx/draw_alpha.h"
#include "gfx/hit_regions.h"
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "midi/midi_output.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "platform/clock.h"
#include "platform/file_dialogs.h"
#include "platform/images.h"
#include "platform/input.h"
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "classroom/attendance_panel.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "tests/app/real_window_fixture.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/test_support.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "visual/start_screen.h"

namespace {

class InputWindow : public RealWindow {
 protected:
  InputWindow() : exe_(dir_.path()) {}
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    RebuildFonts();
    ConnectFloors();
    ResetStudents();
    ResetStudentListView();
    ResetTextFields();
    ResetRingKeyDrag();
    ResetKeyCommands();
    ResetViewModes();
    ResetPlaylist();
    gStatusText.clear();
    window_ = Xdo({"search", "--name", "^Tonvarra$"});
    ASSERT_FALSE(window_.empty()) << "xdotool finds no window";
    window_ = window_.substr(0, window_.find('\n'));
    ASSERT_TRUE(XdoOk({"windowfocus", "--sync", window_}));
    Pump(10);
  }
  void TearDown() override {
    if (gRingDragCursorHidden) ShowPointer(true);
    StopPlaybackAndCloseOutput();
    gSongEvents.clear();
    ExitPracticeRun();
    ResetStudentListView();
    ResetStudents();
    ResetViewModes();
    if (gFullscreen) ToggleFullscreen();
    FreeAllFonts();
    RealWindow::TearDown();
  }

  // Runs xdotool; its standard output ("" when it failed or timed out after 20 s).
  std::string Xdo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    // One output file per call: the dialog's helper runs xdotool while the test does too.
    static std::atomic<int> calls{0};
    std::string log = dir_.File("xdotool_" + std::to_string(calls++) + ".out");
    pid_t pid = SpawnProgram(argv, "", {{"DISPLAY", display_->name()}}, {}, log);
    int status = WaitForChild(pid, 20.0);
    if (status != 0) return "";
    std::string out = ReadFileBytes(log);
    return out.empty() ? "ok" : out;
  }
  bool XdoOk(const std::vector<std::string>& args) { return !Xdo(args).empty(); }
  // Window-relative pointer moves, presses and keys.
  void MoveTo(int x, int y) {
    ASSERT_TRUE(XdoOk({"mousemove", "--window", window_, std::to_string(x), std::to_string(y)}));
  }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> args{"key", "--clearmodifiers"};
    args.insert(args.end(), keys.begin(), keys.end());
    ASSERT_TRUE(XdoOk(args));
    Pump(3);
  }
  void ClickAt(const RectF& r) {
    MoveTo((int)(r.x + r.w / 2), (int)(r.y + r.h / 2));
    ASSERT_TRUE(XdoOk({"click", "1"}));
    Pump(3);
  }
  // Frames on the real clock: the events arrive, the views move.
  static void Pump(int frames) {
    for (int i = 0; i < frames; ++i) {
      RunFrameWork(ClockMs32());
      RunChosenMenuItem();   // as the loop does once the frame is on screen
      std::this_thread::sleep_for(std::chrono::milliseconds(12));
    }
  }
  void SaveScreenshot(const std::string& name) {
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, ReadFrame()));
  }
  // A generated song of four quarter notes a second apart.
  std::string WriteSong(const std::string& name) {
    using namespace smf;
    std::string body = Tempo(0, 1000000);
    for (int i = 0; i < 8; ++i) body += On(0, 60 + 2 * i, 90) + Off(480, 60 + 2 * i);
    body += EndOfTrack();
    std::string path = dir_.File(name);
    WriteFileBytes(path, File(480, {body}));
    return path;
  }

  TempDir dir_;
  ScopedExeDir exe_;
  std::string window_;
};

TEST_F(InputWindow, DraggingTheKeyMarkerOnceRoundPassesTheTwelveKeys) {
  for (int i = 0; i < 100 && !(gKeyMarkerRadius > 0.0f); ++i) Pump(1);
  ASSERT_GT(gKeyMarkerRadius, 0.0f) << "the key marker is not shown";
  float cx, cy, side, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &side, &radius, &inner, &innermost);
  float r = std::hypot(gKeyMarkerX - cx, gKeyMarkerY - cy);
  float start = std::atan2(gKeyMarkerY - cy, gKeyMarkerX - cx);
  int startPos = RingPosOfPitchClass(gKeyRoot);
  MoveTo((int)std::lround(gKeyMarkerX), (int)std::lround(gKeyMarkerY));
  ASSERT_TRUE(XdoOk({"mousedown", "1"}));
  Pump(2);
  ASSERT_TRUE(gRingDragging);
  std::vector<int> passed{gRingDragPos};
  for (int step = 1; step <= 72; ++step) {
    float a = start + 6.2831853f * (float)step / 72.0f;
    MoveTo((int)std::lround(cx + r * std::cos(a)), (int)std::lround(cy + r * std::sin(a)));
    Pump(1);
    if (gRingDragPos != passed.back()) passed.push_back(gRingDragPos);
    if (step == 30) {
      SaveScreenshot("input_key_drag");
      // The marker is drawn where the drag put it: a light dot on the dark ring.
      auto dot = Pixel((int)std::lround(gKeyMarkerX), (int)std::lround(gKeyMarkerY));
      EXPECT_GT(std::min({dot[0], dot[1], dot[2]}), 180) << gKeyMarkerX << ", " << gKeyMarkerY;
      float drawnAngle = std::atan2(gKeyMarkerY - cy, gKeyMarkerX - cx);
      EXPECT_LT(std::fabs(std::remainder(drawnAngle - a, 6.2831853f)), 0.3f) << "the marker follows the pointer";
    }
  }
  std::vector<int> want;
  for (int i = 0; i <= 12; ++i) want.push_back((startPos + i) % 12);
  EXPECT_EQ(passed, want);
  // Let go 10 degrees past the start, still on its key: the pointer appears where the marker comes
  // to rest, the middle of the key's sector, as far out as the dragged marker stood.
  const float past = start + 6.2831853f + 0.1745f;
  MoveTo((int)std::lround(cx + r * std::cos(past)), (int)std::lround(cy + r * std::sin(past)));
  Pump(2);
  ASSERT_EQ(gRingDragPos, startPos);
  const float reach = std::hypot(gKeyMarkerX - cx, gKeyMarkerY - cy);
  const float rest = (float)startPos * 0.5235988f - 1.5707964f;
  ASSERT_TRUE(XdoOk({"mouseup", "1"}));
  Pump(2);
  EXPECT_FALSE(gRingDragging || gRingDragCursorHidden);
  int px = 0, py = 0;
  GetPointerClientPos(&px, &py);
  EXPECT_NEAR(px, cx + reach * std::cos(rest), 2.0f);
  EXPECT_NEAR(py, cy + reach * std::sin(rest), 2.0f);
  Pump(20);
  EXPECT_EQ(RingPosOfPitchClass(gKeyRoot), startPos);
}

TEST_F(InputWindow, CommandKeysFromTheKeyboard) {
  // Escape: the student view first, even in full screen; then full screen; then practice mode.
  gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}};
  gActiveStudentIndex = 0;
  gStudentView = true;
  Keys({"f"});
  for (int i = 0; i < 50 && !gFullscreen; ++i) Pump(1);
  ASSERT_TRUE(gFullscreen);
  Keys({"Escape"});
  EXPECT_FALSE(gStudentView);
  EXPECT_TRUE(gFullscreen);
  Keys({"Escape"});
  EXPECT_FALSE(gFullscreen);
  gPracticeMode = true;
  Keys({"Escape"});
  EXPECT_FALSE(gPracticeMode);
  BeginPracticeSelection();
  Keys({"Escape"});
  EXPECT_FALSE(IsPracticeRunActive());

  // The theme steps under F6 and F7, with and without Shift.
  gPracticeStrip = false;
  gThemeLevel = 0.5f;
  Keys({"F6", "Up", "shift+Up"});
  EXPECT_NEAR(gThemeLevel, 0.56f, 1e-4f);
  Keys({"F7", "Down", "shift+Down"});
  EXPECT_NEAR(gThemeLevel, 0.44f, 1e-4f);
  Keys({"shift+m"});
  EXPECT_TRUE(gPracticeStrip);
  EXPECT_EQ(gStatusText, "Practice strip shown");

  // An armed run waits through Shift and starts on a letter.
  BeginPracticeSelection();
  ASSERT_TRUE(OnPracticeGridDown({true, 0, 0, true}));
  ASSERT_TRUE(OnPracticeGridUp({true, 1, 2, true}));
  ASSERT_EQ(gPracticeState, kPracticeArmed);
  Keys({"shift"});
  EXPECT_EQ(gPracticeState, kPracticeArmed);
  Keys({"a"});
  EXPECT_EQ(gPracticeState, kPracticeRunning);
  ExitPracticeRun();

  // Space plays and pauses a generated song; R stops it and says so.
  ASSERT_TRUE(LoadAndPlayMidi(WriteSong("tune.mid")));
  ASSERT_TRUE(gPlaying && !gPaused);
  Keys({"space"});
  EXPECT_TRUE(gPaused);
  Keys({"space"});
  EXPECT_FALSE(gPaused);
  for (int i = 0; i < 800 && GetPlaybackPositionMs(ClockMs32()) == 0; ++i) Pump(1);  // the output may open slowly
  EXPECT_GT(GetPlaybackPositionMs(ClockMs32()), 0u);
  SaveScreenshot("input_song_playing");
  Keys({"r"});
  EXPECT_FALSE(gPlaying);
  EXPECT_EQ(gStatusText.rfind("MIDI reset", 0), 0u) << gStatusText;
}

// Under a Russian layout the letter keys give Cyrillic letters; the command keys still work at their
// places, and in a name entry those places are still typing and its shortcuts, never commands. The
// keys go by keycode (evdev's: R 27, A 38, F 41, C 54, M 58), since by name xdotool would bind the
// Latin letter to a spare key of its own.
TEST_F(InputWindow, CommandKeysUnderALayoutWithoutLatinLetters) {
  struct Layout {
    std::string display;
    bool Set(const char* name) const {
      pid_t pid = SpawnProgram({"setxkbmap", "-display", display, "-layout", name}, "", {}, {}, "/dev/null");
      return WaitForChild(pid, 20.0) == 0;
    }
    ~Layout() { Set("us"); }
  } layout{display_->name()};
  ASSERT_TRUE(layout.Set("ru"));
  Pump(3);

  gPracticeStrip = false;
  Keys({"shift+58"});
  EXPECT_TRUE(gPracticeStrip);
  EXPECT_EQ(gStatusText, "Practice strip shown");
  Keys({"41"});
  for (int i = 0; i < 50 && !gFullscreen; ++i) Pump(1);
  EXPECT_TRUE(gFullscreen);
  Keys({"Escape"});
  ASSERT_FALSE(gFullscreen);

  gStudentListOpen = true;
  RelayoutAll();
  Pump(2);
  ClickAt(gStudentNameEntryRect);
  ASSERT_TRUE(gStudentNameEntryActive);
  TextFieldInsert(gStudentNameField, "Ada");
  SetClipboardText("before");
  gStatusText.clear();
  Keys({"ctrl+38", "ctrl+54", "27"});
  EXPECT_EQ(GetClipboardText(), "Ada");
  EXPECT_EQ(gStudentNameField.text, "Ada");
  EXPECT_EQ(gStatusText, "") << "R in the entry reset the MIDI";
  Keys({"Escape"});
  ASSERT_FALSE(gStudentNameEntryActive);
  Keys({"27"});
  EXPECT_EQ(gStatusText.rfind("MIDI reset", 0), 0u) << gStatusText;
}

// The register, opened from the students panel as a teacher opens it, lies over the practice grid
// and takes every press: the keys typed with it open reach nothing behind it either. Shift or Ctrl
// + Backspace with the pointer on the register over a row of earned cells keeps them; f, Right,
// Space and r change nothing; closed, f goes to full screen again.
TEST_F(InputWindow, TheRegisterKeepsTheKeysFromTheViewBehindIt) {
  gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}};
  gActiveStudentIndex = 0;
  gPracticeStrip = true;
  gStudentListOpen = true;
  RelayoutAll();
  Pump(10);   // the strip fades in
  ClickAt(gAddStudentButtonRect);
  ASSERT_TRUE(gInstitutionPanelOpen && gInstitutionEntryActive);
  Keys({"Escape"});
  ASSERT_TRUE(gInstitutionPanelOpen && !gInstitutionEntryActive);
  ClickAt(LayoutInstitutionPanel(GetUiScale()).registerButton);
  ASSERT_TRUE(gAttendancePanelOpen);
  Pump(5);

  // A point of the register with a grid cell beneath it.
  const RectF panel = LayoutAttendancePanel(GetUiScale()).panel;
  int px = -1, py = -1, slot = -1, col = -1;
  for (int y = (int)panel.y + 4; y < (int)(panel.y + panel.h) && px < 0; y += 6)
    for (int x = (int)panel.x + 4; x < (int)(panel.x + panel.w) && px < 0; x += 6)
      if (HitTestScaleGrid(x, y, &slot, &col) && slot >= 0 && slot <= 6 && col >= 0 && col <= 11) px = x, py = y;
  ASSERT_GE(px, 0) << "the register covers no cell of the grid";
  ResetAchievements();
  SyncAchievementRows();
  const int row = FindScaleRow(ScaleWindowItemScale(slot));
  ASSERT_GE(row, 0);
  for (int c : {col, (col + 4) % 12}) {
    gAchvDone[row][c] = 1;
    gAchvTime[row][c] = 1700000000;   // earned at a time, or the frame's clean-up drops it
  }
  MoveTo(px, py);
  Pump(3);
  SaveScreenshot("input_register_over_grid");
  const int ringBefore = SelectedOrKeyRingPos();
  Keys({"shift+BackSpace", "ctrl+BackSpace", "f", "Right"});
  Pump(10);
  EXPECT_EQ(gAchvDone[row][col], 1);
  EXPECT_EQ(gAchvDone[row][(col + 4) % 12], 1);
  EXPECT_FALSE(FileExists(dir_.File("Data/achievements_ada.dat"))) << "nothing was saved";
  EXPECT_FALSE(gFullscreen);
  EXPECT_EQ(SelectedOrKeyRingPos(), ringBefore);
  ASSERT_TRUE(LoadAndPlayMidi(WriteSong("tune.mid")));
  gStatusText.clear();
  Keys({"space", "r"});
  EXPECT_TRUE(gPlaying && !gPaused);
  EXPECT_EQ(gStatusText, "");
  EXPECT_TRUE(gAttendancePanelOpen);

  Keys({"Escape"});
  ASSERT_FALSE(gAttendancePanelOpen);
  Keys({"f"});
  for (int i = 0; i < 50 && !gFullscreen; ++i) Pump(1);
  EXPECT_TRUE(gFullscreen);
}

// Two quick presses on neighbouring grid cells are two clicks, not a double click (which clears an
// earned cell); two on one cell still are one.
TEST_F(InputWindow, QuickPressesOnNeighbouringCellsClearNothing) {
  gPracticeStrip = true;
  Pump(10);   // the strip fades in
  ResetAchievements();
  SyncAchievementRows();
  const int row = FindScaleRow(ScaleWindowItemScale(1));
  ASSERT_GE(row, 0);
  for (int col : {2, 3}) {
    gAchvDone[row][col] = 1;
    gAchvTime[row][col] = 1700000000;   // earned at a time, or the frame's clean-up drops it
  }
  BoardLayout b;
  ComputeBoardLayout(&b);
  const int y = (int)(b.gridY + 1.5f * (b.cellH + b.cellGap) - b.cellGap / 2.0f);
  const int x2 = (int)(b.gridX + 2.5f * (b.cellW + b.cellGap)), x3 = x2 + (int)(b.cellW + b.cellGap);
  ASSERT_TRUE(XdoOk({"mousemove", "--window", window_, std::to_string(x2), std::to_string(y), "click", "1",
                     "mousemove", "--window", window_, std::to_string(x3), std::to_string(y), "click", "1"}));
  Pump(5);
  EXPECT_EQ(gAchvDone[row][2], 1);
  EXPECT_EQ(gAchvDone[row][3], 1) << "the second press was taken for a double click";
  ASSERT_TRUE(XdoOk({"mousemove", "--window", window_, std::to_string(x3), std::to_string(y), "click", "--repeat",
                     "2", "--delay", "60", "1"}));
  Pump(5);
  EXPECT_EQ(gAchvDone[row][3], 0) << "a double click on the cell clears it";
  ResetAchievements();
}

TEST_F(InputWindow, ANameTypedWithTheRealClipboard) {
  gStudentListOpen = true;
  RelayoutAll();
  Pump(2);
  ClickAt(gStudentNameEntryRect);
  ASSERT_TRUE(gStudentNameEntryActive);
  ASSERT_TRUE(XdoOk({"type", "--delay", "20", "Adx"}));
  Keys({"BackSpace"});
  ASSERT_TRUE(XdoOk({"type", "--delay", "20", "a"}));
  Pump(3);
  EXPECT_EQ(gStudentNameField.text, "Ada");
  Keys({"ctrl+a", "ctrl+c", "End", "ctrl+v"});
  EXPECT_EQ(gStudentNameField.text, "AdaAda");
  EXPECT_EQ(GetClipboardText(), "Ada");
  SaveScreenshot("input_name_typed");
  // A name as long as the entry takes, of wide letters: it ends at the entry, and the Add button
  // beside it looks as it did with a short name.
  const std::vector<uint8_t> shortName = ReadFrame();
  ASSERT_TRUE(XdoOk({"type", "--delay", "10", "WWWWWWWWWWWWWWWWWWWWWW"}));
  Pump(3);
  ASSERT_EQ(gStudentNameField.text.size(), 28u);
  const std::vector<uint8_t> longName = ReadFrame();
  SaveScreenshot("input_name_long");
  const RectF add = gAddStudentButtonRect;
  int changed = 0;
  for (int y = (int)add.y; y < (int)(add.y + add.h); ++y)
    for (int x = (int)add.x; x < (int)(add.x + add.w); ++x) {
      const size_t at = ((size_t)y * gClientWidth + (size_t)x) * 4;
      int d = 0;
      for (int c = 0; c < 3; ++c) d += std::abs(shortName[at + c] - longName[at + c]);
      changed += d > 24;
    }
  EXPECT_EQ(changed, 0) << "the name shows through the Add button";
  Keys({"Escape"});
  EXPECT_FALSE(gStudentNameEntryActive);
}

TEST_F(InputWindow, NothingIsTypedWhileTheStartScreenIsUp) {
  const std::string source = TONVARRA_SOURCE_ROOT;
  std::filesystem::create_directories(dir_.File("assets/images"));
  for (const char* name : {"splash_screen.png", "tv_mark.png", "tv_wordmark.png"})
    std::filesystem::copy_file(source + "/assets/images/" + name, dir_.File("assets/images/") + name);
  ASSERT_TRUE(LoadSplashTextures());
  ResetStartScreen();
  gStudentNameEntryActive = true;
  Pump(2);
  ASSERT_TRUE(IsStartScreenVisible(GetAppSeconds()));
  const bool strip = gPracticeStrip;
  ASSERT_TRUE(XdoOk({"type", "--delay", "20", "zz"}));
  Keys({"BackSpace", "shift+m"});
  EXPECT_TRUE(gStudentNameField.text.empty());
  EXPECT_EQ(gPracticeStrip, strip);
  EndStartScreenAtOnce(GetAppSeconds());
  gStudentNameEntryActive = false;
}

// The menu's dialogs are modal: the rest of a double click on a menu item, whether it came before
// the dialog opened or while it was up, presses nothing that the closed menu uncovers, and keys
// typed on the window while the dialog is up do nothing once it is gone.
TEST_F(InputWindow, ADoubleClickOnAMenuItemPressesNothingBelowIt) {
  ASSERT_TRUE(LoadAndPlayMidi(WriteSong("tune.mid")));
  TogglePlayback();
  ASSERT_TRUE(gPlaying && gPaused);
  gLoopStartSet = gLoopEndSet = false;
  gStatusText.clear();
  Pump(3);
  // The middle of where an item of the open menu lies over a control.
  auto over = [this](const RectF& item, const RectF& below, int* x, int* y) {
    ClickAt(gFileButtonRect);
    ASSERT_TRUE(gFileMenuOpen);
    RelayoutAll();
    const float left = std::max(item.x, below.x), right = std::min(item.x + item.w, below.x + below.w);
    const float top = std::max(item.y, below.y), bottom = std::min(item.y + item.h, below.y + below.h);
    ASSERT_TRUE(right - left >= 2 && bottom - top >= 2) << "the item does not lie over the control";
    *x = (int)((left + right) / 2);
    *y = (int)((top + bottom) / 2);
  };
  static decltype(this) self = nullptr;
  static int asked = 0;
  static std::vector<std::string> pressWhileUp;
  self = this;
  asked = 0;
  pressWhileUp.clear();
  SetFileDialogScriptForTesting([](const FileDialogRequest&, std::string*) {
    ++asked;
    if (!pressWhileUp.empty()) {
      EXPECT_TRUE(self->XdoOk(pressWhileUp));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));   // the dialog stays up a while
    }
    return false;
  });

  // Both presses made before the next frame: the second is queued behind the one that chose the item.
  int x = 0, y = 0;
  over(gFileMenuOpenFolderRect, gSeekBarRect, &x, &y);
  ASSERT_TRUE(XdoOk({"mousemove", "--window", window_, std::to_string(x), std::to_string(y), "click", "--repeat",
                     "2", "--delay", "60", "1"}));
  Pump(3);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(gFileMenuOpen);
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet) << gStatusText;
  EXPECT_TRUE(gPaused);

  // The second press made while the dialog is up.
  gLoopStartSet = gLoopEndSet = false;
  over(gFileMenuOpenFileRect, gPlayButtonRect, &x, &y);
  pressWhileUp = {"mousemove", "--window", window_, std::to_string(x), std::to_string(y), "click", "1"};
  MoveTo(x, y);
  ASSERT_TRUE(XdoOk({"click", "1"}));
  Pump(3);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(gPaused) << gStatusText;
  EXPECT_FALSE(gLoopStartSet || gLoopEndSet) << gStatusText;
  // Keys typed on the window while the dialog is up: Space would resume the song, R reset it.
  gStatusText.clear();
  over(gFileMenuOpenFileRect, gPlayButtonRect, &x, &y);
  pressWhileUp = {"key", "--clearmodifiers", "space", "r", "Right"};
  MoveTo(x, y);
  ASSERT_TRUE(XdoOk({"click", "1"}));
  Pump(3);
  EXPECT_EQ(asked, 3);
  EXPECT_TRUE(gPlaying && gPaused) << gStatusText;
  EXPECT_TRUE(gStatusText.empty()) << gStatusText;
  // The window takes presses again once the dialog is gone.
  ClickAt(gPlayButtonRect);
  EXPECT_FALSE(gPaused);
  SetFileDialogScriptForTesting(nullptr);
  pressWhileUp.clear();
  UnloadMidi();
}

TEST_F(InputWindow, TheFileMenuOpensTheRealDialog) {
  // The chooser's location entry completes what is typed; where a typed prefix fits several names
  // it opens a completion list that takes the keyboard, and the keys typed on are lost. So the song
  // lies in a folder whose first letter no other name beside it has.
  std::filesystem::path parent = std::filesystem::path(dir_.path()).parent_path();
  std::set<char> taken;
  for (const auto& e : std::filesystem::directory_iterator(parent)) taken.insert(e.path().filename().string()[0]);
  std::string letters = "QZXJKWVYqzxjkwvy";
  auto free = std::find_if(letters.begin(), letters.end(), [&](char c) { return !taken.count(c); });
  ASSERT_NE(free, letters.end()) << "no free first letter in " << parent;
  std::filesystem::path folder = parent / (std::string(1, *free) + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::string song = (folder / "chosen.mid").string();
  std::filesystem::copy_file(WriteSong("chosen.mid"), song);
  // The dialog holds the program until it closes; a helper answers it with keys.
  // Without a window manager the dialog gets the keyboard only when given it, and a loaded machine
  // can drop keys sent before the chooser is ready for them: a dialog still up after its keys gets
  // them again. One that never closes is closed by force, so a broken dialog fails the test, never
  // hangs it.
  auto answer = [this](std::vector<std::vector<std::string>> steps) {
    return std::thread([this, steps] {
      std::string found = Xdo({"search", "--sync", "--onlyvisible", "--name", "Open MIDI File"});
      if (found.empty()) return;
      std::string dialog = found.substr(0, found.find('\n'));
      auto closed = [this] {
        for (int i = 0; i < 50; ++i) {
          if (Xdo({"search", "--onlyvisible", "--name", "Open MIDI File"}).empty()) return true;
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
      };
      for (int attempt = 0; attempt < 4; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(700 * (attempt + 1)));
        Xdo({"windowfocus", "--sync", dialog});
        for (const auto& s : steps) {
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          Xdo({"windowfocus", "--sync", dialog});
          Xdo(s);
        }
        if (closed()) return;
      }
      ADD_FAILURE() << "the dialog did not close";
      std::filesystem::path shot = std::filesystem::current_path() / "screenshots" / "input_dialog_stuck.png";
      std::filesystem::create_directories(shot.parent_path());
      WaitForChild(SpawnProgram({"import", "-window", "root", shot.string()}, "", {{"DISPLAY", display_->name()}}, {},
                                "/dev/null"),
                   10.0);
      Xdo({"windowkill", dialog});
    });
  };
  auto openFromMenu = [this] {
    ClickAt(gFileButtonRect);
    ASSERT_TRUE(gFileMenuOpen);
    RelayoutAll();
    ClickAt(gFileMenuOpenFileRect);
  };

  std::thread cancel = answer({{"key", "Escape"}});
  openFromMenu();
  cancel.join();
  Pump(3);
  EXPECT_FALSE(gPlaying);
  EXPECT_TRUE(gPlaylist.empty());
  EXPECT_FALSE(gFileMenuOpen);

  std::thread choose = answer({{"key", "ctrl+l"}, {"key", "ctrl+a"}, {"type", "--delay", "15", song}, {"key", "Return"}});
  openFromMenu();
  choose.join();
  // The status line says what was loaded until it times out, which a slowed frame can reach soon;
  // with no sound output here it says that the song plays on the display only.
  if (IsMidiOutputOpen())
    EXPECT_EQ(gStatusText.rfind("1/1  ", 0), 0u) << gStatusText;
  else
    EXPECT_EQ(gStatusText, "Playing visualization only (synth unavailable)");
  Pump(10);
  EXPECT_TRUE(gPlaying);
  ASSERT_EQ(gPlaylist.size(), 1u);
  EXPECT_EQ(gPlaylist[0], song);
  SaveScreenshot("input_file_chosen");
  UnloadMidi();
  std::filesystem::remove_all(folder);
}

}  // namespace
