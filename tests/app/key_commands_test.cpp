// The command keys and typed characters through the window procedure: Escape closing the file
// menu, then backing out of one view at a time, Backspace's three ways of clearing earned cells,
// the arrows' theme steps by step mode (and no step of the board the learning screen hides), an armed run started by a letter only (and by none while a
// song is loaded, Space then playing the song), the new-student entry's typing and clipboard, and
// an open classroom panel keeping every key from the view behind it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/base/view_modes.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_panels.h"
#include "learning/library_view_state.h"
#include "learning_ui/placement_prompt.h"
#include "practice/achievements.h"
#include "tests/app/input_fixture.h"

namespace {

class KeyCommands : public InputTest {
 protected:
  static int AchvRowOfSlot(int slot) { return FindScaleRow(ScaleWindowItemScale(slot)); }
  static void PointAtCell(int slot, int col) {
    int x, y;
    BoardCellCentre(slot, col, &x, &y);
    Move(x, y, 0);
  }
};

// The classroom panels: each takes every press while it is open, as a dialog does.
struct ClassroomPanelOpener {
  const char* name;
  void (*open)();
};
const ClassroomPanelOpener kClassroomPanels[] = {
    {"the register", OpenAttendancePanel},
    {"the institution panel", OpenInstitutionPanel},
    {"the class view", OpenAttendanceView},
};

TEST_F(KeyCommands, EscapeBacksOutOfOneViewAtATime) {
  AddActiveStudent("Ada", "ada");
  gStudentView = true;
  gPracticeMode = true;
  gSongViewArmed = true;
  gSliderPanelOpen = true;
  BeginPracticeSelection();
  ASSERT_TRUE(IsPracticeRunActive());

  Key(kKeyEscape);
  EXPECT_FALSE(gStudentView);
  EXPECT_TRUE(gPracticeMode) << "one view per press";
  Key(kKeyEscape);
  EXPECT_FALSE(gPracticeMode);
  EXPECT_FALSE(gSliderPanelOpen);
  EXPECT_TRUE(!gSongViewArmed && gSongViewCancelled) << "the view keeper must not switch it back on";
  EXPECT_TRUE(IsPracticeRunActive());
  Key(kKeyEscape);
  EXPECT_FALSE(IsPracticeRunActive());
  Key(kKeyEscape);  // nothing left: the key passes on without changing anything
  EXPECT_FALSE(gStudentView || gPracticeMode || IsPracticeRunActive());
}

// A drop-down closes on Escape: the open file menu goes first, and the view under it stays.
TEST_F(KeyCommands, EscapeClosesTheOpenFileMenuFirst) {
  AddActiveStudent("Ada", "ada");
  gStudentView = true;
  RelayoutAll();
  Click(gFileButtonRect);
  ASSERT_TRUE(gFileMenuOpen);
  ASSERT_GT(gFileMenuRect.w, 2.0f);
  Key(kKeyEscape);
  EXPECT_FALSE(gFileMenuOpen);
  EXPECT_FALSE(gFileMenuRect.w > 2.0f) << "the menu's frame stays where presses are swallowed";
  EXPECT_TRUE(gStudentView) << "one thing closed per press";
  Key(kKeyEscape);
  EXPECT_FALSE(gStudentView);
}

TEST_F(KeyCommands, BackspaceClearsTheSelectionOrALineUnderThePointer) {
  SyncAchievementRows();
  int r0 = AchvRowOfSlot(0), r2 = AchvRowOfSlot(2), r3 = AchvRowOfSlot(3);
  ASSERT_TRUE(r0 >= 0 && r2 >= 0 && r3 >= 0);
  struct Case {
    const char* name;
    int64_t modifiers;
    bool select;                    // three cells Ctrl-picked in slot 0, one of them earned
    std::vector<std::pair<int, int>> earned, clearedWant;
    const char* status;
  };
  const Case cases[] = {
      {"a selection: only its earned cell goes", 0, true, {{r0, 1}, {r2, 1}}, {{r0, 1}}, "Cleared 1"},
      {"Shift over slot 2: that scale in every key", kKeyShiftDownBit, false, {{r2, 1}, {r2, 7}, {r3, 5}},
       {{r2, 1}, {r2, 7}}, "Cleared 2 in this scale"},
      {"Ctrl over column 5: that key in the seven scales", kKeyControlDownBit, false, {{r0, 5}, {r3, 5}, {r2, 7}},
       {{r0, 5}, {r3, 5}}, "Cleared 2 in this key"},
      {"Shift and Ctrl together: nothing", kKeyShiftDownBit | kKeyControlDownBit, false, {{r2, 5}}, {}, ""},
      {"neither: nothing", 0, false, {{r2, 5}}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetAchievements();
    SyncAchievementRows();
    for (auto [row, col] : c.earned) Earn(row, col);
    if (c.select)
      for (int col : {0, 1, 2}) ClickScaleCell(0, col, false);
    gStatusText.clear();
    PointAtCell(2, 5);
    Key(kKeyBack, c.modifiers);
    EXPECT_EQ(gStatusText, c.status);
    EXPECT_TRUE(gSelectedCells.empty());
    for (auto [row, col] : c.earned) {
      bool cleared = std::find(c.clearedWant.begin(), c.clearedWant.end(), std::make_pair(row, col)) != c.clearedWant.end();
      EXPECT_EQ(gAchvDone[row][col] == 0, cleared) << row << "," << col;
    }
  }
  // With three picked cells of which none is earned, the count names the pick.
  ResetAchievements();
  SyncAchievementRows();
  for (int col : {0, 1, 2}) ClickScaleCell(0, col, false);
  Key(kKeyBack);
  EXPECT_EQ(gStatusText, "Nothing earned in those 3");
  // Typing in the name entry never clears earned cells.
  Earn(r0, 1);
  ClickScaleCell(0, 1, false);
  gStudentNameEntryActive = true;
  Key(kKeyBack);
  EXPECT_EQ(gAchvDone[r0][1], 1);
  EXPECT_EQ(gSelectedCells.size(), 1u);
  gStudentNameEntryActive = false;
  // Nor does Backspace where the grid is not on screen, though its cells lie under the pointer:
  // the lane of practice mode, the learning overlay, the learning screen, a hidden strip.
  bool* const hiders[] = {&gPracticeMode, &gLearningOverlay, &gLibraryOpen};
  for (bool* hider : hiders) {
    *hider = true;
    for (int64_t modifiers : {(int64_t)0, (int64_t)kKeyShiftDownBit, (int64_t)kKeyControlDownBit}) {
      PointAtCell(0, 1);
      Key(kKeyBack, modifiers);
      EXPECT_EQ(gAchvDone[r0][1], 1) << modifiers;
      EXPECT_EQ(gSelectedCells.size(), 1u) << modifiers;
    }
    *hider = false;
  }
  gPracticeStrip = false;
  Key(kKeyBack, kKeyShiftDownBit);
  EXPECT_EQ(gAchvDone[r0][1], 1) << "the strip hidden";
}

// An open classroom panel takes every press, so no cell of the grid is in reach, and one that lies
// under it is not even seen: no Backspace clears earned cells, whether picked before the panel
// opened or under the pointer (on the panel where it covers the grid).
TEST_F(KeyCommands, BackspaceClearsNothingWhileAClassroomPanelIsOpen) {
  AddActiveStudent("Ada", "ada");
  for (const ClassroomPanelOpener& panel : kClassroomPanels) {
    SCOPED_TRACE(panel.name);
    std::filesystem::remove(Data("achievements_ada.dat"));
    ResetAchievements();
    SyncAchievementRows();
    panel.open();
    int slot = 2, col = 5;
    bool covered = false;
    for (int s = 0; s < 7 && !covered; ++s)
      for (int c = 0; c < 12 && !covered; ++c) {
        int x, y;
        BoardCellCentre(s, c, &x, &y);
        if (IsPointOnClassroomPanel(x, y)) slot = s, col = c, covered = true;
      }
    ResetClassroomPanels();
    ASSERT_TRUE(covered || panel.open != OpenAttendancePanel) << "the register lies over the grid";
    const int row = AchvRowOfSlot(slot), otherRow = AchvRowOfSlot((slot + 1) % 7);
    ASSERT_TRUE(row >= 0 && otherRow >= 0);
    const std::vector<std::pair<int, int>> earned = {{row, col}, {row, (col + 5) % 12}, {otherRow, col}};
    for (auto [r, c] : earned) Earn(r, c);
    ClickScaleCell(slot, col, false);
    ASSERT_EQ(gSelectedCells.size(), 1u);
    gStatusText.clear();

    panel.open();
    PointAtCell(slot, col);
    for (int64_t modifiers : {(int64_t)0, (int64_t)kKeyShiftDownBit, (int64_t)kKeyControlDownBit}) {
      Key(kKeyBack, modifiers);
      for (auto [r, c] : earned) EXPECT_EQ(gAchvDone[r][c], 1) << modifiers << ": " << r << "," << c;
      EXPECT_EQ(gSelectedCells.size(), 1u) << modifiers;
    }
    EXPECT_EQ(gStatusText, "");
    EXPECT_FALSE(DataExists("achievements_ada.dat")) << "nothing was saved";

    // Closed, the same keys clear: the picked cell, then the rest of its scale.
    ResetClassroomPanels();
    Key(kKeyBack);
    EXPECT_EQ(gStatusText, "Cleared 1");
    Key(kKeyBack, kKeyShiftDownBit);
    EXPECT_EQ(gStatusText, "Cleared 1 in this scale");
    EXPECT_EQ(gAchvDone[otherRow][col], 1);
    EXPECT_TRUE(DataExists("achievements_ada.dat"));
  }
}

// While a classroom panel is open the view behind it takes no command key: Space, R, the arrows,
// M, F-keys and a letter for an armed run all act only once the panel is closed.
TEST_F(KeyCommands, AClassroomPanelKeepsTheCommandKeysFromTheViewBehind) {
  int ringBefore = -1;
  const struct {
    const char* name;
    int key;
    int64_t modifiers;
    std::function<void()> prepare;
    std::function<bool()> acted;
  } commands[] = {
      {"Space plays the song", kKeySpace, 0,
       [] {
         StopPlaybackAndCloseOutput();
         LoadSong(4000);
       },
       [] { return gPlaying; }},
      {"R resets MIDI", 'R', 0, [] { gStatusText.clear(); }, [] { return gStatusText.rfind("MIDI reset", 0) == 0; }},
      {"Right steps the key", kKeyRight, 0, [&] { ringBefore = SelectedOrKeyRingPos(); },
       [&] { return SelectedOrKeyRingPos() != ringBefore; }},
      {"Ctrl+Up lightens the theme", kKeyUp, kKeyControlDownBit, [] { gThemeLevel = 0.5f; },
       [] { return gThemeLevel != 0.5f; }},
      {"Shift+M hides the strip", 'M', kKeyShiftDownBit, [] { gPracticeStrip = true; },
       [] { return !gPracticeStrip; }},
      {"M stops the metronome", 'M', 0, [] { gTeachingState.metronomeOn = 1; },
       [] { return gTeachingState.metronomeOn == 0; }},
      {"F7 chooses a step mode", kKeyF7, 0, [] { gArrowStepMode = 0; }, [] { return gArrowStepMode == 4; }},
      // The song the Space case loaded would hold the run unstarted.
      {"a letter starts an armed run", 'Q', 0,
       [] {
         UnloadMidi();
         Arm(0, 0, 1, 2);
       },
       [] { return gPracticeState == kPracticeRunning; }},
  };
  for (const ClassroomPanelOpener& panel : kClassroomPanels) {
    for (const auto& c : commands) {
      SCOPED_TRACE(std::string(panel.name) + ": " + c.name);
      ExitPracticeRun();
      gPracticeStrip = true;
      c.prepare();
      panel.open();
      Key(c.key, c.modifiers);
      EXPECT_FALSE(c.acted());
      ResetClassroomPanels();
    }
  }
  for (const auto& c : commands) {
    SCOPED_TRACE(std::string("no panel: ") + c.name);
    ExitPracticeRun();
    gPracticeStrip = true;
    c.prepare();
    Key(c.key, c.modifiers);
    EXPECT_TRUE(c.acted());
  }
  ExitPracticeRun();
  StopPlaybackAndCloseOutput();
}

TEST_F(KeyCommands, ArrowsStepTheThemeLevelByTheStepMode) {
  gPracticeStrip = false;  // the arrows would step the scale selection instead
  const struct {
    int fKey, arrow;
    int64_t modifiers;
    float want;
  } steps[] = {
      {kKeyF6, kKeyUp, 0, 0.51f},  {kKeyF6, kKeyUp, kKeyShiftDownBit, 0.55f}, {kKeyF6, kKeyDown, 0, 0.49f},
      {kKeyF7, kKeyUp, 0, 0.52f},  {kKeyF7, kKeyUp, kKeyShiftDownBit, 0.6f},  {kKeyF7, kKeyDown, kKeyShiftDownBit, 0.4f},
      {kKeyF4, kKeyLeft, 0, 0.5f}, {kKeyF11, kKeyRight, 0, 0.5f},
  };
  for (const auto& s : steps) {
    gThemeLevel = 0.5f;
    Key(s.fKey);
    Key(s.arrow, s.modifiers);
    EXPECT_NEAR(gThemeLevel, s.want, 1e-5f) << s.fKey << " " << s.arrow << " " << s.modifiers;
  }
  EXPECT_EQ(gArrowStepMode, 8);
  gThemeLevel = 0.99f;
  Key(kKeyUp, kKeyShiftDownBit);
  EXPECT_EQ(gThemeLevel, 1.0f);
  Key(kKeyF2);
  EXPECT_FLOAT_EQ(gThemeLevel, 0.35f);

  // With the strip shown Right steps the key round the circle, and Ctrl+Up still dims.
  gPracticeStrip = true;
  int ringBefore = SelectedOrKeyRingPos();
  Key(kKeyRight);
  EXPECT_EQ(SelectedOrKeyRingPos(), (ringBefore + 1) % 12);
  Key(kKeyUp, kKeyControlDownBit);
  EXPECT_NEAR(gThemeLevel, 0.37f, 1e-5f);

  // The learning screen open over the board: the selection it hides stays as it was.
  gLibraryOpen = true;
  const ScaleRow* pickedBefore = gPickedScale;
  ringBefore = SelectedOrKeyRingPos();
  for (int arrow : {(int)kKeyRight, (int)kKeyLeft, (int)kKeyRight, (int)kKeyDown, (int)kKeyDown})
    Key(arrow);
  EXPECT_EQ(SelectedOrKeyRingPos(), ringBefore);
  EXPECT_EQ(gPickedScale, pickedBefore);
  EXPECT_NEAR(gThemeLevel, 0.37f, 1e-5f) << "nor do they set the theme unasked";
  gPracticeStrip = false;
  Key(kKeyDown);
  EXPECT_NEAR(gThemeLevel, 0.37f, 1e-5f);
  Key(kKeyUp, kKeyControlDownBit);
  EXPECT_NEAR(gThemeLevel, 0.39f, 1e-5f);
  gLibraryOpen = false;
}

TEST_F(KeyCommands, AnArmedRunStartsOnALetterNotOnAModifier) {
  Arm(0, 0, 1, 2);
  for (int vk : {(int)kKeyShift, (int)kKeyControl, (int)kKeyMenu, (int)kKeyLShift, (int)kKeyRControl, (int)kKeyCapital}) {
    Key(vk);
    EXPECT_EQ(gPracticeState, kPracticeArmed) << vk;
  }
  Key('Q');
  EXPECT_EQ(gPracticeState, kPracticeRunning);
}

TEST_F(KeyCommands, AnArmedRunHeldByASongLeavesSpaceToTheSong) {
  LoadSong(4000);
  Arm(0, 0, 0, 0);
  Key('Q');
  EXPECT_EQ(gPracticeState, kPracticeArmed) << "no step could be earned while the song is loaded";
  Key(kKeySpace);
  EXPECT_EQ(gPracticeState, kPracticeArmed);
  EXPECT_TRUE(gPlaying) << "Space played the song";
  UnloadMidi();
  Key('Q');
  EXPECT_EQ(gPracticeState, kPracticeRunning);
}

TEST_F(KeyCommands, ShiftMTogglesTheStripAndMStopsTheMetronome) {
  gPracticeStrip = false;
  Key('M', kKeyShiftDownBit);
  EXPECT_TRUE(gPracticeStrip);
  EXPECT_EQ(gStatusText, "Practice strip shown");
  Key('M', kKeyShiftDownBit);
  EXPECT_FALSE(gPracticeStrip);
  EXPECT_EQ(gStatusText, "Practice strip hidden");
  gTeachingState.metronomeOn = 1;
  gTeachingState.gridRunning = 1;
  Key('M');
  EXPECT_FALSE(gTeachingState.metronomeOn || gTeachingState.gridRunning);
  EXPECT_FALSE(gPracticeStrip);
}

TEST_F(KeyCommands, ANameIsTypedEditedAndPastedInTheEntry) {
  Chars("Zed");  // no entry has the focus: nothing is typed anywhere
  EXPECT_TRUE(gStudentNameField.text.empty());
  gStudentListOpen = true;
  RelayoutAll();
  Click(gStudentNameEntryRect);
  ASSERT_TRUE(gStudentNameEntryActive);
  Chars("Adx");
  Chars("\b");
  Chars("a\xe9\x01");  // an accented letter of the code page and Ctrl+A's character stay out
  EXPECT_EQ(gStudentNameField.text, "Ada");
  Key('A', kKeyControlDownBit);
  Key('C', kKeyControlDownBit);
  Key(kKeyEnd);
  Key('V', kKeyControlDownBit);
  EXPECT_EQ(gStudentNameField.text, "AdaAda");
  EXPECT_EQ(GetClipboardText(), "Ada");
  Key(kKeyBack);  // Backspace is the entry's: it arrives as a character
  Chars("\b");
  EXPECT_EQ(gStudentNameField.text, "AdaAd");
  Chars("\r");
  EXPECT_TRUE(gInstitutionPanelOpen) << "Enter takes the name to where students are added";
  EXPECT_EQ(gInstitutionEntryText, "AdaAd");
  ResetClassroomPanels();
  gStudentNameField.text = "AdaAd";
  gStudentNameEntryActive = true;
  Key(kKeyEscape);
  EXPECT_FALSE(gStudentNameEntryActive);
  Chars("x");
  EXPECT_EQ(gStudentNameField.text, "AdaAd");
}

TEST_F(KeyCommands, AnOpenPromptTakesEveryKeyButEscape) {
  gPlacementPromptOpen = true;
  gPracticeStrip = false;
  for (int vk : {(int)'M', (int)kKeyF12, (int)kKeyBack, (int)kKeyUp}) Key(vk, kKeyShiftDownBit);
  Chars("abc");
  EXPECT_FALSE(gPracticeStrip);
  EXPECT_EQ(gThemeLevel, 0.5f);
  Key(kKeyEscape);
  EXPECT_FALSE(gPlacementPromptOpen);
}

}  // namespace
