// The classroom panels reached through the shell's key, character and mouse routing, as a teacher
// uses them: the students panel's add action leads to a new student; the register takes a class,
// a rename typed with command letters, a dragged student, a marked day and a note; Escape undoes
// one layer per press (its key-down and its character together); a press outside closes each
// panel; a note being typed survives the window's destruction.
#include <filesystem>
#include <gtest/gtest.h>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/status_text.h"
#include "app/floor_links.h"
#include "app/key_commands.h"
#include "app/mouse_routing.h"
#include "app/students_panel_input.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "classroom/attendance_classes.h"
#include "classroom/attendance_panel.h"
#include "classroom/attendance_records.h"
#include "classroom/attendance_view.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "classroom/teacher_notes.h"
#include "gfx/layout.h"
#include "gfx/text_field.h"
#include "learning/learning_records.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "practice/achievements.h"
#include "practice/data_files.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"
#include "practice/teaching_timing.h"
#include "tests/support/test_support.h"

namespace {

class ClassroomRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockDriveBegin(1000);
    ClockDriveSetLocal(LocalDateTime{2025, 3, 14, 12, 0, 0, 0, 5}, 0);
    ConnectFloors();
    Reset();
    gClientWidth = 1440;
    gClientHeight = 920;
    gStudents = {Student{"Anna", "anna"}, Student{"Ben", "ben"}};
    gActiveStudentIndex = 0;
    SaveStudents();
    gStatusText.clear();
  }
  void TearDown() override {
    Reset();
    ResetClientSize();
    ClockDriveEnd();
  }
  static void Reset() {
    ResetAttendancePanelState();
    ResetInstitutionPanelState();
    ResetCodeEntries();
    ResetClassOperations();
    ResetAttendanceRecords();
    ResetAttendanceClasses();
    ResetTeacherNotes();
    ResetClassroomPanelState();
    ResetTextFields();
    ResetStudents();
    ResetStudentListView();
    ResetAchievements();
    ResetPracticeRecords();
    ResetPracticeRunData();
    ResetTeachingRecord();
    ResetLearningRecords();
    ResetFailedTeachingSaves();
    ResetDirtyStores();
  }
  // A key as the window delivers it: the key-down, then its character when it has one.
  static void Key(int key, uint32_t character = 0) {
    HandleKeyCommand(key, 0);
    if (character) HandleCharInput(character);
  }
  static void Type(const std::string& text) {
    for (char c : text) {
      int key = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c == ' ' ? (int)kKeySpace : (int)c;
      Key(key, (unsigned char)c);
    }
  }
  static void Press(const RectF& r) {
    int x = (int)(r.x + r.w / 2), y = (int)(r.y + r.h / 2);
    HandleLeftButtonDown(x, y, kMouseFlagLeft);
    HandleLeftButtonUp(x, y, 0);
  }
  static void DoublePress(const RectF& r) {
    int x = (int)(r.x + r.w / 2), y = (int)(r.y + r.h / 2);
    Press(r);
    HandleLeftDoubleClick(x, y, kMouseFlagLeft);
    HandleLeftButtonUp(x, y, 0);
  }
  static AttendancePanelLayout Register() { return LayoutAttendancePanel(GetUiScale()); }
  // No command key acted: no full screen, no playback, no reset message.
  static void ExpectNoCommandActed(const std::string& status) {
    EXPECT_FALSE(gFullscreen);
    EXPECT_FALSE(gPlaying);
    EXPECT_EQ(gStatusText, status);
  }
  // The window goes, through the window procedure, with what only its close saves.
  static void CloseTheWindow() {
    SetAppMessageHandler(MainWndProc);
    gMainWindowOpen = gAppRunning = true;
    SendAppMessage(kMsgDestroy, 0, 0);
    SetAppMessageHandler(nullptr);
    gMainWindowOpen = false;
    gAppRunning = true;
  }

  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(ClassroomRouting, NewStudentThroughTheInstitutionPanelWithEscapeLayers) {
  gStudentNameEntryActive = true;
  Type("Mar");
  HandleCharInput(13);   // Enter in the students panel's name entry
  ASSERT_TRUE(gInstitutionPanelOpen);
  ASSERT_TRUE(gInstitutionEntryActive);
  EXPECT_FALSE(gStudentNameEntryActive);
  std::string status = gStatusText;
  Type("ia rf");
  ExpectNoCommandActed(status);
  EXPECT_EQ(gInstitutionEntryText, "Maria rf");
  Key(kKeyBack, 8);
  Key(kKeyBack, 8);
  Key(kKeyBack, 8);
  gStudentListOpen = true;
  RelayoutAll();
  ASSERT_EQ(gStudentRowRects.size(), 2u);
  Key(kKeyReturn, 13);
  ASSERT_EQ(gStudents.size(), 3u);
  EXPECT_EQ(gStudentRowRects.size(), 3u) << "the open students panel shows the new row at once";
  EXPECT_EQ(gStudents[2].name, "Maria");
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_EQ(gInstitutionPanelMessage, "Added: Maria");
  EXPECT_NE(ReadFileBytes(dir_.path() + "/Data/students.dat").find("Maria"), std::string::npos);

  // The second view with the teacher-code entry: each Escape (key-down and character) is one layer.
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  Press(l.subViewButton);
  Press(LayoutInstitutionPanel(GetUiScale()).teacherCodeButton);
  ASSERT_TRUE(gInstitutionEntryActive);
  Key(kKeyEscape, 27);
  EXPECT_FALSE(gInstitutionEntryActive);
  EXPECT_TRUE(gInstitutionSubViewOpen);
  Key(kKeyEscape, 27);
  EXPECT_FALSE(gInstitutionSubViewOpen);
  EXPECT_TRUE(gInstitutionPanelOpen);
  Key(kKeyEscape, 27);
  EXPECT_FALSE(gInstitutionPanelOpen);
}

// A change made while its file cannot be written (a locked or full disk) is not lost: once the
// file can be written again, closing the students panel or the window saves it.
TEST_F(ClassroomRouting, AChangeTheFileCouldNotTakeIsSavedWhenThePanelOrTheWindowCloses) {
  struct Change {
    const char* what;
    const char* file;     // in the Data folder; refuses every write while the change is made
    void (*make)();
    const char* kept;     // in the file once saved
    const char* gone;     // no longer in it ("" for nothing)
  } changes[] = {
      {"a student added", "students.dat", [] {
         gStudentNameEntryActive = true;
         Type("Maria");
         HandleCharInput(13);   // the name goes to the institution panel's entry
         Key(kKeyReturn, 13);
         EXPECT_EQ(gInstitutionPanelMessage, kSaveFailureMessage) << "the student is not in the file yet";
       }, "Maria|maria|", ""},
      {"another student made active", "students.dat", [] { SwitchActiveStudent(1); }, "active=1\n", ""},
      {"a student deleted", "students.dat", [] { DeleteStudent(1); }, "Anna|anna|", "Ben|"},
      {"a scale cell earned", "achievements_anna.dat", [] {
         gAchvDone[2][5] = 1;
         gAchvTime[2][5] = 1741953600;
         SaveAchievements();
       }, "\n0,0,0,0,0,1741953600,", ""},
      {"a practice run finished", "practice_runs.dat", [] {
         PracticeRunData& d = gPracticeRunData;
         d.regionValid = 1, d.regionListView = 0;
         d.rowFirst = d.rowLast = 1, d.colFirst = 0, d.colLast = 2;
         RecordPracticeRun(48250);
       }, "anna|Anna|L:r1-1:c0-2|48250|48250|1|", ""},
      {"a practice session ended", "teaching_anna.json", [] {
         gTeachingState.sessionRunning = 1;
         EndTeachingSession(0.0);
         ASSERT_TRUE(WaitForPendingSaves());
         SyncTeachingSelection();   // the next frame tells of the background save's failure
       }, "\"dateISO\":\"2025-03-14\"", ""},
      {"a practice load chosen", "learning_practiceload_anna.dat", [] {
         gPracticeLoad = 3;
         EXPECT_FALSE(SavePracticeLoad());
       }, "3", ""},
  };
  for (const Change& c : changes) {
    for (bool byWindow : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (byWindow ? ", then the window closes" : ", then the panel closes"));
      Reset();
      const std::string path = dir_.path() + "/Data/" + c.file;
      std::filesystem::remove(path);   // the change saved by an earlier round
      gStudents = {Student{"Anna", "anna"}, Student{"Ben", "ben"}};
      gActiveStudentIndex = 0;
      gStudentsLoaded = true;
      SaveStudents();
      LoadAchievements();
      LoadPracticeRuns();
      gTeachingState.dataFolder = dir_.path() + "/Data";
      LoadTeachingState(true);
      const std::string before = ReadFileBytes(path);
      gStudentListOpen = true;
      gStatusText.clear();
      FailWritesEndingWithForTesting(c.file);
      c.make();
      FailWritesEndingWithForTesting("");
      EXPECT_EQ(ReadFileBytes(path), before);
      EXPECT_EQ(gStatusText, kSaveFailureMessage);

      if (byWindow) {
        CloseTheWindow();
      } else {
        ToggleStudentsPanel();
        ASSERT_FALSE(gStudentListOpen);
        ASSERT_TRUE(WaitForPendingSaves());
      }
      std::string after = ReadFileBytes(path);
      EXPECT_NE(after.find(c.kept), std::string::npos) << after;
      if (*c.gone) EXPECT_EQ(after.find(c.gone), std::string::npos) << after;
    }
  }
}

TEST_F(ClassroomRouting, RegisterClassRenameDragMarkAndNote) {
  OpenInstitutionPanel();
  Press(LayoutInstitutionPanel(GetUiScale()).registerButton);
  ASSERT_TRUE(gAttendancePanelOpen);
  ASSERT_FALSE(gInstitutionPanelOpen);
  Press(Register().addClassButton);
  ASSERT_EQ(gAttendanceClasses.size(), 1u);

  DoublePress(Register().classRows[0].row);
  ASSERT_EQ(gRenameClassIndex, 0);
  std::string status = gStatusText;
  Key(kKeyEnd);
  Key(kKeyBack, 8);
  Type("rf m");
  ExpectNoCommandActed(status);
  Key(kKeyReturn, 13);
  EXPECT_EQ(gAttendanceClasses[0].name, "Class rf m");

  // Ben dragged onto the class.
  gClassFilterIndex = -1;
  RectF ben = Register().studentRows[1].row, target = Register().classRows[0].row;
  HandleLeftButtonDown((int)(ben.x + 20), (int)(ben.y + 10), kMouseFlagLeft);
  HandleMouseMove((int)(ben.x + 60), (int)(ben.y + 10), kMouseFlagLeft);
  HandleMouseMove((int)(target.x + 20), (int)(target.y + 10), kMouseFlagLeft);
  HandleLeftButtonUp((int)(target.x + 20), (int)(target.y + 10), 0);
  EXPECT_EQ(gAttendanceClasses[0].members, std::vector<std::string>{"ben"});
  EXPECT_EQ(ReadFileBytes(dir_.path() + "/Data/attendance_classes.dat"), "CLASS\tClass rf m\nMEMBER\tben\n");

  // Today's cell marked for the active student (Ben, after the press on his row).
  DoublePress(CalendarDayRect(Register(), 14));
  EXPECT_EQ(ReadFileBytes(dir_.path() + "/Data/attendance_ben.dat"), "STATUS\t2025-03-14\tP\n");

  // Two lines of a note; one Escape saves it and closes the notes view, not the register.
  Press(Register().notesButton);
  ASSERT_TRUE(gNoteEditorActive);
  Type("scales");
  Key(kKeyReturn, 13);
  Type("arpeggios r");
  Key(kKeyEscape, 27);
  EXPECT_FALSE(gNotesViewOpen);
  EXPECT_TRUE(gAttendancePanelOpen);
  EXPECT_EQ(ReadFileBytes(dir_.path() + "/Data/notes_ben.dat"), "NOTE\t2025-03-14\tscales\\narpeggios r\n");
  ExpectNoCommandActed(status);

  // More typing, then the window goes: the note is kept.
  Press(Register().notesButton);
  Type(" ok");
  CloseTheWindow();
  EXPECT_EQ(ReadFileBytes(dir_.path() + "/Data/notes_ben.dat"), "NOTE\t2025-03-14\tscales\\narpeggios r ok\n");

  // A press outside closes the register.
  HandleLeftButtonDown(3, 3, kMouseFlagLeft);
  HandleLeftButtonUp(3, 3, 0);
  EXPECT_FALSE(gAttendancePanelOpen);
}

// Two quick presses on a register button the double click has no use for act twice, as two slow
// ones do; where it has a use (a class's rename) the pair acts once.
TEST_F(ClassroomRouting, AQuickSecondPressOnARegisterButtonIsAPress) {
  OpenAttendancePanel();
  ASSERT_TRUE(gAttendancePanelOpen);
  const int month = gCalendarYear * 12 + gCalendarMonth;
  DoublePress(Register().nextMonth);
  EXPECT_EQ(gCalendarYear * 12 + gCalendarMonth, month + 2);
  DoublePress(Register().prevMonth);
  EXPECT_EQ(gCalendarYear * 12 + gCalendarMonth, month);
  DoublePress(Register().addClassButton);
  ASSERT_EQ(gAttendanceClasses.size(), 2u);
  EXPECT_EQ(gAttendanceClasses[1].name, "Class 2");
  DoublePress(Register().classRows[0].row);
  EXPECT_EQ(gRenameClassIndex, 0);
  EXPECT_EQ(gClassFilterIndex, 0);
  EXPECT_EQ(gAttendanceClasses.size(), 2u);
  EXPECT_TRUE(gAttendancePanelOpen);
  // A quick pair in the box being typed in keeps what was typed.
  Type("b");
  const std::string typed = gClassRenameField.text;
  DoublePress(Register().classRows[0].row);
  EXPECT_EQ(gRenameClassIndex, 0);
  EXPECT_EQ(gClassRenameField.text, typed);
  // The delete needs a click of its own once armed: a quick pair arms it and no more.
  DoublePress(Register().classRows[1].deleteButton);
  EXPECT_EQ(gAttendanceClasses.size(), 2u) << "a double click deleted the class unasked";
  Press(Register().classRows[1].deleteButton);
  EXPECT_EQ(gAttendanceClasses.size(), 1u);
}

TEST_F(ClassroomRouting, ClassViewTakesAJoinCodeInCapitals) {
  OpenAttendanceView();
  AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
  Press(l.entryBox);
  ASSERT_TRUE(gAttendanceViewEntryActive);
  std::string status = gStatusText;
  Type("abc2r4x");
  ExpectNoCommandActed(status);
  EXPECT_EQ(gAttendanceViewEntryText, "ABC2R4");
  Key(kKeyEscape, 27);
  EXPECT_FALSE(gAttendanceViewEntryActive);
  EXPECT_TRUE(gAttendanceViewOpen);
  HandleLeftButtonDown(3, 3, kMouseFlagLeft);
  EXPECT_FALSE(gAttendanceViewOpen);
}

// A pupil whose well-formed code the server refuses presses Escape at the name step and types the
// right code: the key-down comes before the character, and it alone must let the first code go.
TEST_F(ClassroomRouting, EscapeAtTheNameStepLetsAPupilTypeTheJoinCodeAgain) {
  OpenAttendanceView();
  AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
  Press(l.entryBox);
  Type("abcdef");
  Key(kKeyReturn, 13);
  ASSERT_EQ(gPendingJoinCode, "ABCDEF");
  ASSERT_STREQ(AttendanceViewPrompt(), "Your name, then Enter");
  Key(kKeyEscape, 27);
  EXPECT_FALSE(gAttendanceViewEntryActive);
  EXPECT_TRUE(gAttendanceViewOpen);
  EXPECT_EQ(gPendingJoinCode, "");
  EXPECT_STREQ(AttendanceViewPrompt(), "Your class's join code, then Enter");
  Press(l.entryBox);
  Type("abc234");
  EXPECT_EQ(gAttendanceViewEntryText, "ABC234") << "the entry takes a code again, not a name";
  Key(kKeyReturn, 13);
  EXPECT_EQ(gPendingJoinCode, "ABC234");
}

}  // namespace
