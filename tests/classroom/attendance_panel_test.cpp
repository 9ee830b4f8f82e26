// The register's logic without a window: its layout at several sizes and the month's cells, the
// panes' slide, and its handlers driven through whole teacher tasks (classes made, renamed,
// deleted; students dragged onto classes; days marked; notes typed), with the files they leave.
#include <gtest/gtest.h>

#include <string>

#include "classroom/attendance_classes.h"
#include "classroom/attendance_records.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_panels.h"
#include "classroom/note_editor.h"
#include "classroom/teacher_notes.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/widgets_draw.h"
#include "platform/keys.h"
#include "tests/classroom/classroom_panels_fixture.h"

using RegisterPanel = PanelsTest;

TEST_F(RegisterPanel, LayoutKeepsItsMinimumsAndStaysInTheWindow) {
  const struct { int w, h; } sizes[] = {{1440, 920}, {1920, 1080}, {800, 600}, {640, 480}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.w);
    gClientWidth = size.w, gClientHeight = size.h;
    gNotesViewOpen = true;
    for (int i = 0; i < 200; ++i) StepAttendancePanes(0.05f);
    AttendancePanelLayout l = Register();
    EXPECT_GE(l.panel.x, 0);
    EXPECT_LE(l.panel.x + l.panel.w, size.w);
    EXPECT_GE(l.cell, 30.0f);
    ASSERT_EQ(l.studentRows.size(), 3u);
    EXPECT_GE(l.studentRows[0].row.h, 32.0f);
    EXPECT_GE(l.studentRows[1].row.y - (l.studentRows[0].row.y + l.studentRows[0].row.h), 3.0f);
    // The notes pane lies below the grid, and the note box inside the pane.
    EXPECT_GT(l.notesPane.w, 1.0f);
    EXPECT_GE(l.notesPane.y, l.grid.y + l.grid.h - 1);
    EXPECT_GE(l.noteBox.y, l.notesPane.y);
  }
}

TEST_F(RegisterPanel, CalendarCellsRoundTripAndMissTheGaps) {
  const struct { int year, month, firstWeekday, days; } months[] = {
      {2024, 2, 4, 29},   // leap February from a Thursday
      {2023, 2, 3, 28},
      {2025, 3, 6, 31},   // from a Saturday: six rows
      {2000, 2, 2, 29},   // divisible by 400
      {1900, 2, 4, 28},   // by 100 only
      {2026, 12, 2, 31},
  };
  for (const auto& m : months) {
    SCOPED_TRACE(m.year * 100 + m.month);
    gCalendarYear = m.year, gCalendarMonth = m.month;
    EXPECT_EQ(CalendarFirstWeekday(), m.firstWeekday);
    EXPECT_EQ(CalendarMonthDays(), m.days);
    AttendancePanelLayout l = Register();
    for (int day = 1; day <= m.days; ++day) {
      RectF r = CalendarDayRect(l, day);
      EXPECT_EQ(CalendarDayAt(l, Cx(r), Cy(r)), day);
      EXPECT_EQ(CalendarDayAt(l, (int)r.x, (int)(r.y + r.h)), day) << "edges belong to the cell";
    }
    RectF first = CalendarDayRect(l, 1), second = CalendarDayRect(l, 2);
    if (second.y == first.y) EXPECT_EQ(CalendarDayAt(l, (int)(first.x + first.w + 1), Cy(first)), 0) << "the gap";
    EXPECT_EQ(CalendarDayAt(l, (int)l.grid.x - 2, Cy(first)), 0);
    EXPECT_EQ(CalendarDayRect(l, m.days + 1).w, kHiddenRect.w);
  }
}

TEST(RegisterPanes, SlideEasesAndSnaps) {
  EXPECT_FLOAT_EQ(StepSlide(0.0f, 1.0f, 1.0f), 1.0f);          // a long frame lands at once
  EXPECT_FLOAT_EQ(StepSlide(0.5f, 1.0f, -0.1f), 0.5f);         // a clock going back moves nothing
  EXPECT_FLOAT_EQ(StepSlide(0.998f, 1.0f, 0.001f), 1.0f);      // snapped within 0.003
  float f = 0.0f;
  for (int i = 0; i < 10; ++i) f = StepSlide(f, 1.0f, 0.017f);
  EXPECT_GT(f, 0.5f);
  EXPECT_LT(f, 1.0f);
  EXPECT_FLOAT_EQ(EaseSlide(0.5f), 0.5f);
  EXPECT_LT(EaseSlide(0.2f), 0.2f);
}

TEST_F(RegisterPanel, ClassesAddedRenamedAndDeleted) {
  OpenAttendancePanel();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Press(Register().addClassButton));
  ASSERT_EQ(gAttendanceClasses.size(), 3u);
  EXPECT_EQ(gClassFilterIndex, 2);

  // A rename takes "r", "f" and blanks as text; every key-down ends in the field.
  ASSERT_TRUE(DoublePress(Register().classRows[1].row));
  EXPECT_EQ(gRenameClassIndex, 1);
  EXPECT_TRUE(AttendancePanelHasKeyboard());
  for (int key : {(int)'R', (int)'F', (int)'M', (int)kKeySpace, (int)kKeyF11}) EXPECT_TRUE(AttendancePanelOnKeyDown(key, false, false));
  AttendancePanelOnKeyDown(kKeyHome, false, false);
  AttendancePanelOnKeyDown(kKeyEnd, true, false);
  Type("rf m\r");
  EXPECT_EQ(gAttendanceClasses[1].name, "rf m");
  EXPECT_EQ(gRenameClassIndex, -1);

  // Escape keeps the old name; a press elsewhere commits.
  DoublePress(Register().classRows[0].row);
  Type("zz\x1b");
  EXPECT_EQ(gAttendanceClasses[0].name, "Class 1");
  DoublePress(Register().classRows[0].row);
  Type("X");
  Press(Register().classRows[2].row);
  EXPECT_EQ(gAttendanceClasses[0].name, "Class 1X");

  // Delete needs two presses on the same row; a class before the filter keeps the filter on its class.
  gClassFilterIndex = 2;
  Press(Register().classRows[0].deleteButton);
  EXPECT_EQ(gClassDeleteArmedIndex, 0);
  EXPECT_EQ(gAttendanceClasses.size(), 3u);
  Press(Register().classRows[0].deleteButton);
  ASSERT_EQ(gAttendanceClasses.size(), 2u);
  EXPECT_EQ(gClassFilterIndex, 1);
  EXPECT_EQ(gAttendanceClasses[1].name, "Class 3");
  // Deleting the class being renamed ends the rename.
  DoublePress(Register().classRows[1].row);
  Press(Register().classRows[1].deleteButton);
  Press(Register().classRows[1].deleteButton);
  EXPECT_EQ(gRenameClassIndex, -1);
  EXPECT_EQ(gClassFilterIndex, -1);
  EXPECT_EQ(ReadData("attendance_classes.dat"), "CLASS\trf m\n");
}

TEST_F(RegisterPanel, StudentsDraggedOntoClassesAndBoxesToggled) {
  OpenAttendancePanel();
  Press(Register().addClassButton);
  gClassFilterIndex = -1;
  AttendancePanelLayout l = Register();
  RectF ben = l.studentRows[1].row, target = l.classRows[0].row;

  // A press and a release without moving changes no class.
  Press(ben);
  AttendancePanelOnMouseUp();
  EXPECT_TRUE(gAttendanceClasses[0].members.empty());
  EXPECT_EQ(gActiveStudentIndex, 1);

  // Moving 6 pixels is no drag; past that the drop joins the class and filters by it, twice over.
  for (int round = 0; round < 2; ++round) {
    for (const StudentRowRects& r : Register().studentRows)
      if (r.student == 1) ben = r.row;
    Press(ben);
    AttendancePanelOnMouseMove(Cx(ben) + 6, Cy(ben));
    EXPECT_FALSE(gStudentDragStarted);
    AttendancePanelOnMouseMove(Cx(target), Cy(target));
    EXPECT_TRUE(gStudentDragStarted);
    AttendancePanelOnMouseUp();
  }
  EXPECT_EQ(gAttendanceClasses[0].members, std::vector<std::string>{"ben"});
  EXPECT_EQ(gClassFilterIndex, 0);

  // With the filter set only Ben is listed; his box takes him out.
  l = Register();
  ASSERT_EQ(l.studentRows.size(), 1u);
  Press(l.studentRows[0].memberBox);
  EXPECT_TRUE(gAttendanceClasses[0].members.empty());
  EXPECT_EQ(ReadData("attendance_classes.dat"), "CLASS\tClass 1\n");
}

// A class of thirty: the wheel over the list brings the last student's row into view, where a press
// finds him and a drag puts him in a class; the class of one lists him at its top, and the whole list
// comes back scrolled where it was, for the next student to drag.
TEST_F(RegisterPanel, TheWheelBringsEveryStudentOfALongListIntoReach) {
  for (int i = 3; i < 30; ++i) gStudents.push_back(Student{"Pupil " + std::to_string(i), "p" + std::to_string(i)});
  OpenAttendancePanel();
  Press(Register().addClassButton);
  gClassFilterIndex = -1;
  AttendancePanelLayout l = Register();
  const size_t shown = l.studentRows.size();
  ASSERT_GT(shown, 3u);
  ASSERT_LT(shown, 30u);
  gMouseX = Cx(l.studentList), gMouseY = Cy(l.studentList);
  AttendancePanelOnWheel(120);
  EXPECT_EQ(Register().studentRows[0].student, 0) << "nothing above the first";
  AttendancePanelOnWheel(-120);
  EXPECT_EQ(Register().studentRows[0].student, 1);
  for (int i = 0; i < 40; ++i) AttendancePanelOnWheel(-120);
  l = Register();
  ASSERT_EQ(l.studentRows.size(), shown);
  ASSERT_EQ(l.studentRows.back().student, 29);
  EXPECT_EQ(l.studentRows.front().student, 30 - (int)shown);
  EXPECT_GE(l.studentRows.front().row.y, l.studentList.y);
  const RectF last = l.studentRows.back().row;
  EXPECT_LE(last.y + last.h, l.studentList.y + l.studentList.h);

  Press(last);
  EXPECT_EQ(gActiveStudentIndex, 29);
  const RectF target = l.classRows[0].row;
  AttendancePanelOnMouseMove(Cx(target), Cy(target));
  AttendancePanelOnMouseUp();
  EXPECT_EQ(gAttendanceClasses[0].members, std::vector<std::string>{"p29"});
  ASSERT_EQ(gClassFilterIndex, 0);
  l = Register();
  ASSERT_EQ(l.studentRows.size(), 1u);
  EXPECT_EQ(l.studentRows[0].student, 29);
  EXPECT_EQ(l.studentRows[0].row.y, l.studentList.y);
  Press(l.classRows[0].row);
  ASSERT_EQ(gClassFilterIndex, -1);
  EXPECT_EQ(Register().studentRows.back().student, 29);

  // Fewer students: the list stops at its new last row, and the wheel moves on from there.
  gActiveStudentIndex = 0;
  gStudents.resize(20);
  EXPECT_EQ(Register().studentRows.back().student, 19);
  AttendancePanelOnWheel(120);
  EXPECT_EQ(Register().studentRows.back().student, 18);
}

TEST_F(RegisterPanel, DaysMarkedSelectedAndShifted) {
  OpenAttendancePanel();
  AttendancePanelLayout l = Register();
  RectF today = CalendarDayRect(l, 14), tomorrow = CalendarDayRect(l, 15);
  DoublePress(today);
  EXPECT_EQ(ReadData("attendance_anna.dat"), "STATUS\t2025-03-14\tP\n");
  DoublePress(tomorrow);   // a day still to come is selected, not marked
  EXPECT_EQ(gCalendarSelectedDate, "2025-03-15");
  EXPECT_EQ(ReadData("attendance_anna.dat"), "STATUS\t2025-03-14\tP\n");
  Press(today);
  EXPECT_EQ(gCalendarSelectedDate, "2025-03-14");
  Press(l.prevMonth);
  EXPECT_EQ(gCalendarYear * 100 + gCalendarMonth, 202502);
  Press(Register().nextMonth);
  Press(Register().nextMonth);
  EXPECT_EQ(gCalendarYear * 100 + gCalendarMonth, 202504);

  // Without students neither the grid nor the notes button does anything.
  gStudents.clear();
  gActiveStudentIndex = -1;
  ResetAttendanceRecords();
  EnsureCalendarMonth();
  EXPECT_FALSE(DoublePress(CalendarDayRect(Register(), 14))) << "nothing to mark: the press goes on as a click";
  EXPECT_TRUE(Press(Register().notesButton));
  EXPECT_FALSE(gNotesViewOpen);
}

// The marks pane slides over the calendar's right part below the month's title row: a double press
// on a day it hides marks nothing, while the month arrows stay in view and turn the month.
TEST_F(RegisterPanel, TheSidePaneKeepsWhatItCoversFromPresses) {
  OpenAttendancePanel();
  ASSERT_TRUE(Press(Register().sidePaneButton));
  for (int i = 0; i < 60; ++i) StepAttendancePanes(0.05f);
  AttendancePanelLayout l = Register();
  ASSERT_GT(l.sidePane.w, 0.0f);
  int covered = 0;
  for (int day = 1; day <= 14; ++day) {
    RectF r = CalendarDayRect(l, day);
    if (!PointInRect(l.sidePane, Cx(r), Cy(r))) continue;
    ++covered;
    DoublePress(r);
  }
  ASSERT_GT(covered, 0) << "the pane covers part of the month at this size";
  EXPECT_EQ(ReadData("attendance_anna.dat"), "") << "no day under the pane was marked";
  // The month's title row with its arrows stays clear of the pane and takes its presses.
  EXPECT_GE(l.sidePane.y, l.monthTitle.y + l.monthTitle.h);
  EXPECT_FALSE(PointInRect(l.sidePane, Cx(l.nextMonth), Cy(l.nextMonth)));
  Press(l.nextMonth);
  EXPECT_EQ(gCalendarYear * 100 + gCalendarMonth, 202504);

  ASSERT_TRUE(Press(Register().sidePaneButton));
  for (int i = 0; i < 60; ++i) StepAttendancePanes(0.05f);
  Press(Register().nextMonth);
  EXPECT_EQ(gCalendarYear * 100 + gCalendarMonth, 202505);
}

// A year of weekly marks is longer than the marks pane: the wheel brings the oldest mark into the
// pane and stops there, so the first notch back up moves the list at once; a short list does not
// move at all.
TEST_F(RegisterPanel, TheMarksPaneScrollsToItsOldestMarkAndNoFurther) {
  for (int week = 0; week < 52; ++week) {
    const int month = 1 + week / 5, day = 1 + (week % 5) * 6;
    const std::string date = std::string("2024-") + (month < 10 ? "0" : "") + std::to_string(month) + "-" +
                             (day < 10 ? "0" : "") + std::to_string(day);
    gAttendanceByStudent["anna"][date] = 'P';
  }
  gAttendanceLoadedKeys.push_back("anna");
  OpenAttendancePanel();
  ASSERT_TRUE(Press(Register().sidePaneButton));
  for (int i = 0; i < 60; ++i) StepAttendancePanes(0.05f);
  AttendancePanelLayout l = Register();
  ASSERT_GT(l.sidePane.w, 0.0f);
  gMouseX = Cx(l.sidePane), gMouseY = Cy(l.sidePane);
  for (int i = 0; i < 200; ++i) AttendancePanelOnWheel(-120);
  const float line = FontPixelSize(gFontSmall) + 8;
  // The pane draws the name's line at its top + 26 and the marks one line apart below it.
  const float oldestBaseline = l.sidePane.y + 26 - gSidePaneScroll + line + 6 + 51 * line;
  EXPECT_LE(oldestBaseline, l.sidePane.y + l.sidePane.h) << "the oldest mark is in the pane";
  EXPECT_GE(oldestBaseline, l.sidePane.y + l.sidePane.h - 2 * line) << "and the pane is not scrolled past it";
  const float bottom = gSidePaneScroll;
  AttendancePanelOnWheel(120);
  EXPECT_LT(gSidePaneScroll, bottom) << "one notch up moves the list";

  gAttendanceByStudent["anna"] = {{"2024-01-01", 'P'}, {"2024-01-08", 'L'}};
  gSidePaneScroll = 0.0f;
  for (int i = 0; i < 10; ++i) AttendancePanelOnWheel(-120);
  EXPECT_EQ(gSidePaneScroll, 0.0f) << "two marks fit: nothing to scroll";
}

// A class pressed while it filters the list shows every student again, so that a new, empty
// class can be given members from the whole list.
TEST_F(RegisterPanel, TheFilteredClassPressedAgainShowsEveryone) {
  OpenAttendancePanel();
  ASSERT_TRUE(Press(Register().addClassButton));
  EXPECT_EQ(gClassFilterIndex, 0);
  EXPECT_TRUE(StudentsOfSelectedClass().empty());
  EXPECT_TRUE(Register().studentRows.empty());
  ASSERT_TRUE(Press(Register().classRows[0].row));
  EXPECT_EQ(gClassFilterIndex, -1);
  EXPECT_EQ(Register().studentRows.size(), 3u);
  ASSERT_TRUE(Press(Register().classRows[0].row));
  EXPECT_EQ(gClassFilterIndex, 0);
}

// Double-clicking a class opens its rename box with the class filtered; a further press in the box
// (to place the caret) belongs to the box and keeps the list on the class's students.
TEST_F(RegisterPanel, APressInTheRenameBoxKeepsTheClassFiltered) {
  OpenAttendancePanel();
  ASSERT_TRUE(Press(Register().addClassButton));
  ToggleClassMember(0, "ben");
  gClassFilterIndex = -1;
  RectF row = Register().classRows[0].row;
  Press(row);
  ASSERT_TRUE(DoublePress(row));
  ASSERT_EQ(gRenameClassIndex, 0);
  ASSERT_EQ(gClassFilterIndex, 0);
  ASSERT_TRUE(AttendancePanelOnClick((int)row.x + 12, Cy(row)));
  EXPECT_EQ(gRenameClassIndex, 0) << "the rename goes on";
  EXPECT_EQ(gClassFilterIndex, 0) << "the list still shows the class being renamed";
  ASSERT_EQ(Register().studentRows.size(), 1u);
  EXPECT_EQ(Register().studentRows[0].student, 1);
  Type("b\r");
  EXPECT_EQ(gAttendanceClasses[0].name, "Class 1b");
  Press(row);   // with the rename ended, the filtered class pressed again shows everyone
  EXPECT_EQ(gClassFilterIndex, -1);
}

TEST_F(RegisterPanel, NotesTypedSavedByEscapeAndByAPressOutside) {
  OpenAttendancePanel();
  Press(Register().notesButton);
  ASSERT_TRUE(gNotesViewOpen);
  ASSERT_TRUE(gNoteEditorActive);
  for (int i = 0; i < 100; ++i) StepAttendancePanes(0.05f);
  // While the note has the keyboard no key reaches the commands behind the panel.
  for (int key : {(int)'R', (int)'F', (int)kKeySpace, (int)kKeyReturn}) EXPECT_TRUE(AttendancePanelOnKeyDown(key, false, false));
  Type("first line\rsecond\\line");
  AttendancePanelOnChar(27);
  EXPECT_FALSE(gNotesViewOpen);
  EXPECT_FALSE(AttendancePanelHasKeyboard());
  EXPECT_EQ(ReadData("notes_anna.dat"), "NOTE\t2025-03-14\tfirst line\\nsecond\\\\line\n");

  // Reopened, the note is there; a press in the box moves the caret; more typing is kept by a
  // press outside the panel, which closes it.
  Press(Register().notesButton);
  EXPECT_EQ(gEditField.text, "first line\nsecond\\line");
  AttendancePanelLayout l = Register();
  AttendancePanelOnClick((int)l.noteBox.x + 2, (int)l.noteTextTop - 4);
  EXPECT_EQ(gEditField.cursor, 0);
  EXPECT_TRUE(gNoteDragSelect);
  AttendancePanelOnMouseUp();
  Type("! ");
  AttendancePanelOnClick(2, 2);
  EXPECT_FALSE(gAttendancePanelOpen);
  EXPECT_EQ(ReadData("notes_anna.dat"), "NOTE\t2025-03-14\t! first line\\nsecond\\\\line\n");

  // The wheel never scrolls above the top.
  OpenAttendancePanel();
  EXPECT_TRUE(AttendancePanelOnWheel(240));
  EXPECT_EQ(gNoteScroll, 0.0f);
  AttendancePanelOnClick(2, 2);
  EXPECT_FALSE(AttendancePanelOnWheel(-120));
}

// The note box follows its caret: typing on past the last line it shows, moving the caret back
// up, or dragging a selection below the box scrolls the caret's line into view.
TEST_F(RegisterPanel, TheNoteBoxFollowsItsCaret) {
  OpenAttendancePanel();
  Press(Register().notesButton);
  for (int i = 0; i < 100; ++i) StepAttendancePanes(0.05f);
  const int shown = Register().noteVisibleLines;
  ASSERT_GT(shown, 3);
  auto caretLine = [] { return NoteCaretLineIndex(WrapNoteBoxLines(gEditField.text), gEditField.cursor); };
  auto caretInView = [&] {
    AttendancePanelLayout l = Register();
    return caretLine() >= l.noteFirstLine && caretLine() < l.noteFirstLine + l.noteVisibleLines;
  };
  Type(std::string((size_t)shown, '\r') + "below");
  EXPECT_EQ(caretLine(), shown);
  EXPECT_TRUE(caretInView());
  EXPECT_EQ(Register().noteFirstLine, 1) << "scrolled no further than needed";
  AttendancePanelOnKeyDown(kKeyUp, false, false);
  EXPECT_EQ(Register().noteFirstLine, 1) << "a line already in view";
  AttendancePanelOnKeyDown(kKeyHome, false, true);
  EXPECT_EQ(gEditField.cursor, 0);
  EXPECT_EQ(Register().noteFirstLine, 0);
  Type("top ");
  EXPECT_TRUE(caretInView());
  AttendancePanelOnKeyDown(kKeyEnd, false, true);
  EXPECT_TRUE(caretInView());

  // The wheel alone may leave the caret out of view; a drag below the box brings the last line.
  AttendancePanelOnKeyDown(kKeyHome, false, true);
  AttendancePanelLayout l = Register();
  AttendancePanelOnClick((int)l.noteBox.x + 20, (int)l.noteTextTop - 4);
  EXPECT_TRUE(gNoteDragSelect);
  AttendancePanelOnMouseMove((int)l.noteBox.x + 200, (int)(l.noteBox.y + l.noteBox.h + 30));
  AttendancePanelOnMouseUp();
  EXPECT_EQ(caretLine(), shown);
  EXPECT_TRUE(caretInView());
}

// Escape undoes one layer: the colour picker, a rename, an open note, then the register itself;
// the view behind the panel never sees it.
TEST_F(RegisterPanel, EscapeClosesWhatIsOpenThenTheRegister) {
  auto escape = [] {
    bool taken = ClassroomPanelsKeyDown(kKeyEscape, false, false);
    AttendancePanelOnChar(27);   // the character that follows the key-down
    return taken;
  };
  OpenAttendancePanel();
  EXPECT_TRUE(escape());
  EXPECT_FALSE(gAttendancePanelOpen);

  OpenAttendancePanel();
  DoublePress(Register().studentRows[1].row);
  ASSERT_EQ(gColourPickerStudent, 1);
  EXPECT_TRUE(escape());
  EXPECT_EQ(gColourPickerStudent, -1);
  Press(Register().addClassButton);
  ASSERT_EQ(Register().classRows.size(), 1u);
  DoublePress(Register().classRows[0].row);
  ASSERT_EQ(gRenameClassIndex, 0);
  EXPECT_TRUE(escape());
  EXPECT_EQ(gRenameClassIndex, -1);
  Press(Register().notesButton);
  ASSERT_TRUE(gNoteEditorActive);
  EXPECT_TRUE(escape());
  EXPECT_FALSE(gNotesViewOpen);
  EXPECT_TRUE(gAttendancePanelOpen);
  EXPECT_TRUE(escape());
  EXPECT_FALSE(gAttendancePanelOpen);
  EXPECT_FALSE(ClassroomPanelsKeyDown(kKeyEscape, false, false)) << "closed, the key is the view's";
}

TEST_F(RegisterPanel, ColourPickerAndPanelDrag) {
  OpenAttendancePanel();
  DoublePress(Register().studentRows[2].row);
  EXPECT_EQ(gActiveStudentIndex, 2);
  AttendancePanelLayout l = Register();
  ASSERT_GT(l.colourPicker.w, 0.0f);
  // Swatch 5 (second row, second column) is gold.
  float x = l.colourPicker.x + l.swatchGap + 1 * (l.swatch + l.swatchGap) + l.swatch / 2;
  float y = l.colourPicker.y + l.swatchGap + 1 * (l.swatch + l.swatchGap) + l.swatch / 2;
  AttendancePanelOnClick((int)x, (int)y);
  EXPECT_EQ(gColourPickerStudent, -1);
  EXPECT_NEAR(gStudents[2].r, kStudentColours[5][0], 0.01f);
  EXPECT_NE(ReadData("students.dat").find("Cy"), std::string::npos);

  // The header moves the panel, which stays inside the window.
  RectF before = l.panel;
  Press(l.header);
  AttendancePanelOnMouseMove(Cx(l.header) - 100, Cy(l.header) + 40);
  AttendancePanelOnMouseUp();
  EXPECT_FALSE(gAttendancePanelDragging);
  EXPECT_FLOAT_EQ(Register().panel.x, before.x - 100);
  EXPECT_FLOAT_EQ(Register().panel.y, before.y + 40);
  Press(Register().header);
  AttendancePanelOnMouseMove(-5000, -5000);
  EXPECT_EQ(Register().panel.x, 0.0f);
  EXPECT_EQ(Register().panel.y, 0.0f);
}
