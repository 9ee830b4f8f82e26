// The three classroom panels in the program's real 1440 x 920 window, drawn by the frame: the
// register with a class filter, a marked day and an open note; the institution panel with an
// active entry; the class view with the server's days. Screenshots are kept in the build folder's
// "screenshots"; the checks read pixels at the rectangles the panels' layouts give.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/folders.h"
#include "app/base/pointer.h"
#include "app/floor_links.h"
#include "app/window_proc.h"
#include "classroom/attendance_classes.h"
#include "classroom/attendance_panel.h"
#include "classroom/attendance_records.h"
#include "classroom/attendance_sync.h"
#include "classroom/attendance_view.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_settings.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "classroom/note_editor.h"
#include "classroom/teacher_notes.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "practice/students.h"
#include "tests/app/real_window_fixture.h"
#include "tests/support/test_support.h"

namespace {

class ClassroomPanelsWindow : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    RebuildFonts();
    ConnectFloors();
    ClockDriveBegin(ClockTickMs64());
    ClockDriveSetLocal(LocalDateTime{2025, 3, 14, 12, 0, 0, 0, 5}, 0);
    ResetAll();
    for (int i = 0; i < 30; ++i)
      gStudents.push_back(Student{"Student " + std::to_string(i + 1), "s" + std::to_string(i + 1), 0.3f, 0.48f, 0.76f});
    gStudents[0].name = "Anna";
    gActiveStudentIndex = 0;
  }
  void TearDown() override {
    ResetAll();
    ClockDriveEnd();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  static void ResetAll() {
    ResetAttendancePanelState();
    ResetInstitutionPanelState();
    ResetCodeEntries();
    ResetClassOperations();
    ResetAttendanceSync();
    ResetAttendanceRecords();
    ResetAttendanceClasses();
    ResetTeacherNotes();
    ResetClassroomPanelState();
    ResetTextFields();
    ResetStudents();
    ResetPointer();
  }
  void SaveScreenshot(const std::vector<uint8_t>& frame, const std::string& name) {
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, frame));
  }
  // n frames run, the last read back and kept as the screenshot name.
  std::vector<uint8_t> FramesShot(int n, const std::string& name) {
    RunDrivenFrames(n);
    std::vector<uint8_t> frame = ReadFrame();
    SaveScreenshot(frame, name);
    return frame;
  }
  static const uint8_t* At(const std::vector<uint8_t>& frame, float x, float y) {
    return &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
  }
  // Text ink in [x0, x1) x [y0, y1): pixels brighter than the panels.
  static int InkIn(const std::vector<uint8_t>& frame, float x0, float y0, float x1, float y1) {
    int ink = 0;
    for (float y = y0; y < y1; y += 1.0f)
      for (float x = x0; x < x1; x += 1.0f) ink += At(frame, x, y)[0] > 120;
    return ink;
  }

  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(ClassroomPanelsWindow, RegisterShowsFilterMarksAndTheNoteCaret) {
  ASSERT_EQ(gClientWidth, 1440);
  OpenAttendancePanel();
  AddAttendanceClass();
  AddAttendanceClass();
  for (const char* id : {"s1", "s3", "s4"}) ToggleClassMember(1, id);
  gClassFilterIndex = -1;
  ToggleAttendance("s1", "2025-03-12");
  gClassFilterIndex = 1;
  gNotesViewOpen = true;
  LoadNotes("s1");
  gEditField.text = std::string(1990, 'x').replace(0, 20, "Scales, then etude. ");
  gEditField.text += "\nab";
  gEditField.cursor = gEditField.anchor = (int)gEditField.text.size();
  std::vector<uint8_t> frame = FramesShot(60, "classroom_register");   // the notes pane slides in

  AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  ASSERT_EQ(l.classRows.size(), 2u);
  // The filtered class row is gold-brown; the other is blue-grey.
  const uint8_t* filtered = At(frame, l.classRows[1].row.x + 20, l.classRows[1].row.y + 3);
  const uint8_t* other = At(frame, l.classRows[0].row.x + 20, l.classRows[0].row.y + 3);
  EXPECT_GT(filtered[0], filtered[2] + 40);
  EXPECT_LT(other[0], other[2]);
  // The marked day is green away from its number and letter.
  RectF day = CalendarDayRect(l, 12);
  const uint8_t* marked = At(frame, day.x + day.w * 0.6f, day.y + 4);
  EXPECT_GT(marked[1], marked[0] + 60);
  EXPECT_GT(marked[1], marked[2] + 40);
  const uint8_t* plain = At(frame, CalendarDayRect(l, 11).x + day.w * 0.6f, day.y + 4);
  EXPECT_LT(plain[1], 80);
  // The caret stands after "ab" on the note's last line, when that line is in view: scroll to it.
  std::vector<NoteLine> lines = WrapNoteBoxLines(gEditField.text);
  gNoteScroll = (float)(lines.size() - 1) * 18.0f;
  RunDrivenFrames(1);
  frame = ReadFrame();
  l = LayoutAttendancePanel(GetUiScale());
  float caretX;
  {
    ScopedTrSuppress verbatim;
    caretX = l.noteBox.x + 10 + MeasureText(gFontSmall, "ab", 8.0f);
  }
  float baseline = l.noteTextTop;
  const uint8_t* caret = At(frame, caretX + 1, baseline - 6);
  EXPECT_GT(caret[0], 200);
  EXPECT_GT(caret[1], 160);
  EXPECT_LT(caret[2], 140);
  const uint8_t* beside = At(frame, caretX + 8, baseline - 6);
  EXPECT_LT(beside[0], 120);
}

// A note longer than its box: typed through the panel, the caret's last line is shown with the
// caret on it; back at the top, no line is drawn through the box's lower border.
TEST_F(ClassroomPanelsWindow, TheNoteBoxFollowsItsCaretAndKeepsInsideItsBorder) {
  OpenAttendancePanel();
  gNotesViewOpen = true;
  LoadNotes("s1");
  RunDrivenFrames(60);   // the notes pane slides in
  for (int i = 1; i <= 20; ++i)
    for (char c : "Bars " + std::to_string(i) + " and " + std::to_string(i + 1) + (i < 20 ? "\r" : ""))
      AttendancePanelOnChar((unsigned char)c);
  std::vector<uint8_t> frame = FramesShot(1, "classroom_note_followed");
  AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  ASSERT_GT(l.noteFirstLine, 0);
  const RectF& box = l.noteBox;
  // The gold caret on the row of its line, away from the box's gold border.
  auto goldOnRow = [&](const std::vector<uint8_t>& f, float y) {
    int gold = 0;
    for (float x = box.x + 6; x < box.x + box.w - 6; x += 1.0f) {
      const uint8_t* p = At(f, x, y);
      gold += p[0] > 200 && p[1] > 160 && p[2] < 140;
    }
    return gold;
  };
  const int caretRow = 19 - l.noteFirstLine;
  ASSERT_LT(caretRow, l.noteVisibleLines);
  EXPECT_GT(goldOnRow(frame, l.noteTextTop + caretRow * 18.0f - 6), 0);

  // Back at the top: the lines that fit are drawn, and nothing white below the last of them.
  AttendancePanelOnKeyDown(kKeyHome, false, true);
  frame = FramesShot(1, "classroom_note_top");
  l = LayoutAttendancePanel(GetUiScale());
  ASSERT_EQ(l.noteFirstLine, 0);
  const float lastBottom = l.noteTextTop + (float)l.noteVisibleLines * 18.0f - 14.4f;
  int below = 0, inside = 0;
  for (float y = box.y + 10; y < box.y + box.h + 3; y += 1.0f)
    for (float x = box.x + 6; x < box.x + box.w - 6; x += 1.0f) {
      const uint8_t* p = At(frame, x, y);
      if (p[2] <= 150) continue;
      (y < lastBottom ? inside : below) += 1;
    }
  EXPECT_GT(inside, 200);
  EXPECT_EQ(below, 0);
}

// A tab read from a notes file is drawn as the room of four blanks, and the caret after it stands
// where the text after it begins.
TEST_F(ClassroomPanelsWindow, ATabInANoteIsDrawnWithItsWidth) {
  WriteFileBytes(GetDataFilePath("notes_s1.dat"), "NOTE\t2025-03-14\tTab\\there\n");
  OpenAttendancePanel();
  gNotesViewOpen = true;
  LoadNotes("s1");
  ASSERT_EQ(gEditField.text, "Tab\there");
  gEditField.cursor = gEditField.anchor = 4;   // after the tab
  std::vector<uint8_t> frame = FramesShot(60, "classroom_note_tab");   // the notes pane slides in
  AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  float tabStart, tabEnd, hereEnd;
  {
    ScopedTrSuppress verbatim;
    tabStart = l.noteBox.x + 10 + MeasureText(gFontSmall, "Tab", 8.0f);
    tabEnd = tabStart + MeasureText(gFontSmall, "    ", 8.0f);
    hereEnd = tabEnd + MeasureText(gFontSmall, "here", 8.0f);
  }
  const float baseline = l.noteTextTop;
  // Nothing drawn in the tab's room; "here" after it; the gold caret at its end.
  EXPECT_EQ(InkIn(frame, tabStart + 2, baseline - 12, tabEnd - 2, baseline + 2), 0);
  EXPECT_GT(InkIn(frame, tabEnd + 3, baseline - 12, hereEnd, baseline + 2), 20);
  const uint8_t* caret = At(frame, tabEnd + 1, baseline - 6);
  EXPECT_GT(caret[0], 200);
  EXPECT_GT(caret[1], 160);
  EXPECT_LT(caret[2], 140);
  // The note is kept as it was read.
  EXPECT_TRUE(AttendancePanelOnChar(27));
  EXPECT_EQ(ReadFileBytes(GetDataFilePath("notes_s1.dat")), "NOTE\t2025-03-14\tTab\\there\n");
}

// A register of thirty: the wheel over the student list brings the last student's row into view,
// drawn whole with his colour and name, and a press there and a drag put him in a class.
TEST_F(ClassroomPanelsWindow, TheWheelBringsTheRegistersLastStudentIntoView) {
  gStudents[29].r = 0.85f, gStudents[29].g = 0.32f, gStudents[29].b = 0.33f;
  OpenAttendancePanel();
  AddAttendanceClass();
  gClassFilterIndex = -1;
  FramesShot(2, "classroom_register_list_top");
  AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  ASSERT_LT(l.studentRows.size(), 30u);
  const int x = (int)(l.studentList.x + l.studentList.w / 2), y = (int)(l.studentList.y + l.studentList.h / 2);
  MainWndProc(kMsgMouseMove, 0, MakePointParam(x, y));
  for (int i = 0; i < 30; ++i) MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)-120, MakePointParam(x, y));
  std::vector<uint8_t> frame = FramesShot(1, "classroom_register_list_end");
  l = LayoutAttendancePanel(GetUiScale());
  ASSERT_EQ(l.studentRows.back().student, 29);
  const RectF row = l.studentRows.back().row;
  const float dot = row.h * 0.42f;
  const uint8_t* red = At(frame, row.x + 8 + dot / 2, row.y + row.h / 2);
  EXPECT_GT(red[0], red[2] + 60);
  EXPECT_GT(InkIn(frame, row.x + 16 + dot, row.y + 4, row.x + row.w - 8, row.y + row.h - 4), 20);
  // Nothing of a row is drawn below the list.
  EXPECT_EQ(InkIn(frame, row.x, l.studentList.y + l.studentList.h + 1, row.x + row.w, l.panel.y + l.panel.h - 2), 0);

  const int rx = (int)(row.x + row.w / 2), ry = (int)(row.y + row.h / 2);
  const RectF& target = l.classRows[0].row;
  const int tx = (int)(target.x + target.w / 3), ty = (int)(target.y + target.h / 2);
  MainWndProc(kMsgMouseMove, 0, MakePointParam(rx, ry));
  MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam(rx, ry));
  MainWndProc(kMsgMouseMove, kMouseFlagLeft, MakePointParam(tx, ty));
  MainWndProc(kMsgLButtonUp, 0, MakePointParam(tx, ty));
  EXPECT_EQ(gActiveStudentIndex, 29);
  EXPECT_EQ(gAttendanceClasses[0].members, std::vector<std::string>{"s30"});
}

TEST_F(ClassroomPanelsWindow, InstitutionPanelAndClassView) {
  OpenInstitutionPanelForStudent("Maria");
  gInstitutionPanelMessage = "Added: Anna";
  std::vector<uint8_t> frame = FramesShot(2, "classroom_institution");
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  // The gold add button and the entry's gold outline; the caret after the name.
  const uint8_t* add = At(frame, l.newStudentButton.x + l.newStudentButton.w / 2, l.newStudentButton.y + 4);
  EXPECT_GT(add[0], add[2] + 30);
  float caretX;
  {
    ScopedTrSuppress verbatim;
    caretX = l.entryBox.x + 8 + MeasureText(gFontSmall, "Maria", 12.0f) + 2;
  }
  const uint8_t* caret = At(frame, caretX, l.entryBox.y + l.entryBox.h / 2);
  EXPECT_GT(caret[0], 200);
  EXPECT_LT(caret[2], 140);
  EXPECT_EQ(gAttendancePanelButtonRect.x, l.registerButton.x);

  InstitutionPanelOnEscape();
  InstitutionPanelOnEscape();
  EXPECT_FALSE(gInstitutionPanelOpen);
  OpenAttendanceView();
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    gAttendanceDays = {"2025-02-28", "2025-03-03", "2025-03-10"};
  }
  frame = FramesShot(2, "classroom_class_view");
  AttendanceViewLayout v = LayoutAttendanceView(GetUiScale());
  RectF on = AttendanceViewDayRect(v, 3), off = AttendanceViewDayRect(v, 4);
  const uint8_t* markedDay = At(frame, on.x + on.w * 0.7f, on.y + on.h * 0.75f);
  const uint8_t* plainDay = At(frame, off.x + off.w * 0.7f, off.y + off.h * 0.75f);
  EXPECT_GT(markedDay[1], markedDay[0] + 60);
  EXPECT_LT(plainDay[1], 80);
}

// A box that opens already focused and empty still says what it takes, dimmed, after the caret.
TEST_F(ClassroomPanelsWindow, AnEmptyFocusedEntrySaysWhatItTakes) {
  OpenInstitutionPanelForStudent("");
  std::vector<uint8_t> frame = FramesShot(2, "classroom_empty_entry");
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  const RectF& box = l.entryBox;
  int hint = 0;
  for (float y = box.y + 4; y < box.y + box.h - 4; y += 1.0f)
    for (float x = box.x + 16; x < box.x + box.w - 10; x += 1.0f) hint += At(frame, x, y)[2] > 60;
  EXPECT_GT(hint, 40) << "the hint's letters in the box right of the caret";
  const uint8_t* caret = At(frame, box.x + 8 + 2, box.y + box.h / 2);
  EXPECT_GT(caret[0], 200) << "the caret stays at the start";
}

// The seat request's answer names the supplier's address at its end: in the codes and seats view
// it is broken over lines that hold the whole of it, none running past the panel's text column.
TEST_F(ClassroomPanelsWindow, ALongServerTextIsWrappedWhole) {
  WriteFileBytes(GetDataFilePath("classroom.txt"), "server=https://127.0.0.1:9\n");
  LoadClassroomSettings();
  gInstitutionPanelOpen = gInstitutionSubViewOpen = true;  // opened without a request to the server
  {
    std::lock_guard<std::mutex> lock(gSeatRequestMutex);
    gSeatRequestText = "Your request could not reach the supplier. Please write to help@example.invalid.";
  }
  std::vector<uint8_t> frame = FramesShot(2, "classroom_seat_message");
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  std::vector<std::string> lines;
  {
    ScopedTrSuppress verbatim;
    lines = WrapTextToWidth(gFontSmall, gSeatRequestText, 12.0f, l.textWidth, 9);
  }
  ASSERT_GE(lines.size(), 2u);
  const std::string address = "help@example.invalid.";
  ASSERT_GE(lines.back().size(), address.size());
  EXPECT_EQ(lines.back().substr(lines.back().size() - address.size()), address) << lines.back();
  // Ink on each line's row, and none right of the text column.
  for (size_t i = 0; i < lines.size(); ++i) {
    const float base = l.messageY + (float)i * l.lineHeight;
    const float top = base - 0.7f * l.lineHeight;
    const int ink = InkIn(frame, l.textLeft, top, l.textLeft + l.textWidth, base);
    const int beyond = InkIn(frame, l.textLeft + l.textWidth + 2, top, l.panel.x + l.panel.w - 4, base);
    EXPECT_GT(ink, 20) << "line " << i;
    EXPECT_EQ(beyond, 0) << "line " << i;
  }
  ResetClassroomSettings();
}

// The class-code button's outcome is the class status, shown in the codes and seats view too; once
// the class is made, the busy message gives its line to it.
TEST_F(ClassroomPanelsWindow, TheCodesViewShowsHowMakingAClassWent) {
  WriteFileBytes(GetDataFilePath("classroom.txt"), "server=https://127.0.0.1:9\n");
  LoadClassroomSettings();
  gInstitutionPanelOpen = gInstitutionSubViewOpen = true;  // opened without a request to the server
  ShowClassOpMessage(Tr("Making a class code..."));
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    gClassStatusText = "Created \"Class\"  -  join code NEW234";
  }
  std::vector<uint8_t> frame = FramesShot(2, "classroom_class_code_made");
  EXPECT_EQ(gInstitutionPanelMessage, "");
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  // Ink on the first text line, in the status texts' blue-grey rather than the message's gold, and
  // none on the line below it.
  int ink = 0, blue = 0;
  const float top = l.messageY - 0.7f * l.lineHeight;
  for (float y = top; y < l.messageY; y += 1.0f)
    for (float x = l.textLeft; x < l.textLeft + l.textWidth; x += 1.0f) {
      const uint8_t* p = At(frame, x, y);
      if (p[0] <= 120) continue;
      ++ink;
      blue += p[2] > p[1] && p[2] > 100;
    }
  EXPECT_GT(ink, 40);
  EXPECT_GT(blue, ink / 2);
  EXPECT_EQ(InkIn(frame, l.textLeft, top + l.lineHeight, l.textLeft + l.textWidth, l.messageY + l.lineHeight), 0);
  ResetClassroomSettings();
}

// A class larger than the panel: the rows say which of the pupils they show, and the wheel brings
// the last into view with its name.
TEST_F(ClassroomPanelsWindow, ALongPupilListSaysWhichRowsItShows) {
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    for (int i = 0; i < 30; ++i)
      gClassPupils.push_back(ClassPupil{"c1", "p" + std::to_string(i), "Pupil " + std::to_string(i), "d"});
  }
  gInstitutionPanelOpen = true;  // opened without a request to the server
  std::vector<uint8_t> frame = FramesShot(2, "classroom_pupils_first");
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  ASSERT_LT(l.pupilRows.size(), 30u);
  // "1-7 / 30" at the right end of the title line, which the short title leaves empty.
  const float right = l.textLeft + l.textWidth;
  EXPECT_GT(InkIn(frame, right - 50, l.pupilsTitleY - 10, right, l.pupilsTitleY), 15);

  InstitutionPanelOnWheel((int)l.pupilRowsArea.x + 10, (int)l.pupilRowsArea.y + 10, -120 * 100);
  frame = FramesShot(1, "classroom_pupils_last");
  l = LayoutInstitutionPanel(GetUiScale());
  ASSERT_EQ(l.pupilRows.back().pupil, 29);
  const RectF& row = l.pupilRows.back().row;
  EXPECT_GT(InkIn(frame, row.x + 8, row.y + 4, row.x + row.w / 2, row.y + row.h - 4), 15);
}

// What the join gave is kept whole over two lines above the month.
TEST_F(ClassroomPanelsWindow, TheClassViewsMessageGoesOnToASecondLine) {
  OpenAttendanceView();
  {
    std::lock_guard<std::mutex> lock(gJoinMutex);
    gJoinStatusText = "A join code is 6 letters and numbers. Check it with your teacher, who has it.";
  }
  std::vector<uint8_t> frame = FramesShot(2, "classroom_view_message");
  AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
  const float second = l.statusY + l.lineHeight;
  EXPECT_GT(InkIn(frame, l.textLeft, second - 0.7f * l.lineHeight, l.textLeft + l.textWidth, second), 20);
  EXPECT_LT(second, l.monthTitleY - 0.7f * l.lineHeight);
}

}  // namespace
