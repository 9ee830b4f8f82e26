// tests/app: the keys and the mouse driven through the window procedure without a window: the
// practice view at 1600 x 900 on a driven clock, the controls laid out, every widget the routing
// reaches back at its start, and the modifier keys set by the test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/pointer.h"
#include "app/base/ring_key_drag.h"
#include "app/circle_view.h"
#include "app/floor_links.h"
#include "app/key_commands.h"
#include "app/main_loop.h"
#include "app/mouse_routing.h"
#include "app/song_view.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "board/note_fall_button.h"
#include "board/note_fall_mode.h"
#include "classroom/attendance_panel.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel_state.h"
#include "gfx/draw_alpha.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "gfx/text_field.h"
#include "learning_ui/placement_prompt.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "platform/clipboard.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "tests/board/board_fixture.h"
#include "tests/practice/practice_run_fixture.h"
#include "theory/filter_tabs.h"
#include "theory/scale_list_input.h"

class InputTest : public PracticeRunTest {
 protected:
  void SetUp() override {
    PracticeRunTest::SetUp();
    gSelectedCells.clear();
    gSelectionAnchorRow = gSelectionAnchorCol = -1;
    ResetGridClickMemory();
    ResetPointer();
    ResetRingKeyDrag();
    ResetKeyCommands();
    ResetStudentListView();
    ResetTextFields();
    ResetSliderPanel();
    ResetFilterTabs();
    ResetScaleListInput();
    ResetSongViewKeepAlive();
    ResetNoteFallButton();
    ResetNoteFallMode();
    ResetCircleView();
    ResetPlaylist();
    ResetClassroomPanels();
    ResetMouseRouting();
    gSongEvents.clear();
    gLoopStartSet = gLoopEndSet = false;
    gPlaybackSpeed = 1.0f;
    ResetPlacementPrompt();
    gFullscreen = false;
    gThemeLevel = 0.5f;
    ClipboardUseMemoryForTesting(true);
    SetAppMessageHandler(MainWndProc);
    ConnectFloors();   // the layout reads the board through the floors' links
    RelayoutAll();
  }
  void TearDown() override {
    SetAppMessageHandler(nullptr);
    ClipboardUseMemoryForTesting(false);
    ResetStudentListView();
    ResetClassroomPanels();
    ResetHitRegions();
    ResetViewModes();
    gSongEvents.clear();
    gLoopStartSet = gLoopEndSet = false;
    PracticeRunTest::TearDown();
  }

  // The classroom panels come before most widgets: none is left open for the next test.
  static void ResetClassroomPanels() {
    ResetInstitutionPanelState();
    ResetClassroomPanelState();
    ResetAttendancePanelState();
    ResetCodeEntries();
  }
  // A key as the window layer sends it, with the modifiers (kKey...DownBit) held when it went down.
  static void Key(int vk, int64_t modifiers = 0) { MainWndProc(kMsgKeyDown, (uint64_t)vk, 1 | modifiers); }
  static void Chars(const std::string& text) {
    for (unsigned char c : text) MainWndProc(kMsgChar, c, 1);
  }
  static void Press(int x, int y, unsigned flags = 0) {
    MainWndProc(kMsgLButtonDown, kMouseFlagLeft | flags, MakePointParam(x, y));
  }
  static void Release(int x, int y) { MainWndProc(kMsgLButtonUp, 0, MakePointParam(x, y)); }
  static void DoubleClick(int x, int y, unsigned flags = 0) {
    MainWndProc(kMsgLButtonDblClk, kMouseFlagLeft | flags, MakePointParam(x, y));
  }
  static void Move(int x, int y, unsigned flags = kMouseFlagLeft) {
    MainWndProc(kMsgMouseMove, flags, MakePointParam(x, y));
  }
  static void Click(const RectF& r, unsigned flags = 0) {
    int x = (int)(r.x + r.w / 2), y = (int)(r.y + r.h / 2);
    Press(x, y, flags);
    Release(x, y);
  }
  // A song of the given length in ms: one note every half second.
  static void LoadSong(uint32_t lengthMs) {
    gSongEvents.clear();
    for (uint32_t t = 0; t <= lengthMs; t += 500) gSongEvents.push_back(SongEvent{t, 0x90, 60, 90, 0});
    gSongEvents.back().timeMs = lengthMs;
  }
};
