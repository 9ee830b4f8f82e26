// classroom/attendance_panel: the teacher's register: a floating panel with a column of classes, the
// students (all, or one class's members), a month on which a double-click cycles a day's mark, a
// side pane with the active student's marks and a notes view with one note per student and day.
//
// This module owns the panel's state, its layout (sizes follow the UI scale with minimum pixel
// sizes), its three sliding panes and every input handler; attendance_panel_draw draws it from
// the same layout. UI thread only.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/rect.h"

// ---- state ----
extern bool gAttendancePanelOpen;
extern bool gClassColumnOpen;            // the class column is expanded
extern bool gAttendanceSidePaneOpen;     // the side pane with the active student's marks
extern int gDraggedStudentIndex;         // the student row pressed last, -1 none
extern bool gStudentDragStarted;         // that press moved more than 6 pixels
extern int gColourPickerStudent;         // the student whose colour picker is open, -1 none
extern bool gNoteDragSelect;             // a drag-select in the note box is running
extern float gNoteScroll;                // the note box's scroll offset in pixels, at least 0
extern float gSidePaneScroll;            // the side pane's scroll offset in pixels, at least 0
extern float gStudentListScroll;         // the student list's scroll offset in pixels, at least 0
extern bool gAttendancePanelDragging;    // the panel follows the mouse by its header

// The colours a student may be given, in picker order.
extern const float kStudentColours[12][3];

// One laid-out class row and its delete button.
struct ClassRowRects {
  RectF row, deleteButton;
};
// One laid-out student row and its membership box (hidden without a class filter).
struct StudentRowRects {
  int student;  // index into gStudents
  RectF row, memberBox;
};

// Every rectangle of the panel; hidden parts carry kHiddenRect.
struct AttendancePanelLayout {
  float scale = 1;
  RectF panel = kHiddenRect, header = kHiddenRect, closeButton = kHiddenRect;
  RectF prevMonth = kHiddenRect, nextMonth = kHiddenRect, monthTitle = kHiddenRect;
  RectF sidePaneButton = kHiddenRect, notesButton = kHiddenRect;
  RectF classColumn = kHiddenRect, expandButton = kHiddenRect, collapseButton = kHiddenRect,
        addClassButton = kHiddenRect;
  std::vector<ClassRowRects> classRows;
  RectF studentList = kHiddenRect;
  std::vector<StudentRowRects> studentRows;   // the rows scrolled into view, whole
  float studentPitch = 0;            // a student row and the gap below it
  int listedStudents = 0, studentRowsFit = 0, firstStudentRow = 0;
  RectF grid = kHiddenRect;          // the month grid's 7 x 6 cells
  float cell = 30, cellGap = 3;      // a cell's side and the gap between cells
  float weekdayY = 0;                // baseline of the weekday letters
  RectF sidePane = kHiddenRect;
  RectF notesPane = kHiddenRect, notesCloseButton = kHiddenRect, noteBox = kHiddenRect;
  float noteTextTop = 0;             // baseline of the note box's first visible line
  int noteFirstLine = 0;             // the first visible wrapped line
  int noteVisibleLines = 0;
  RectF colourPicker = kHiddenRect;  // 4 x 3 swatches beside the picker's student row
  float swatch = 0, swatchGap = 0;
};

// ---- opening ----
// Saves a note being edited and puts the panes and the pending edits back before the panel opens.
void ResetAttendancePanel();
// Resets and opens the panel.
void OpenAttendancePanel();
// The point lies on the opening button (edges included); false while the button is not shown.
bool HitTestAttendancePanelButton(int x, int y);

// ---- layout ----
// The panel's rectangles at this UI scale for the current client size, panes and lists.
AttendancePanelLayout LayoutAttendancePanel(float uiScale);
// Moves the three panes towards their targets over the elapsed seconds.
void StepAttendancePanes(float elapsedSeconds);
// A pane's slide factor towards its target, snapped within 0.003.
float StepSlide(float factor, float target, float elapsedSeconds);
// The eased share of a slide factor, 3f^2 - 2f^3.
float EaseSlide(float factor);
// The shown month's day whose cell holds the point; 0 for none.
int CalendarDayAt(const AttendancePanelLayout& layout, int x, int y);
// The marks pane's baselines, moved by its scroll: the active student's name, then the first
// (newest) mark, the marks one line apart.
struct SidePaneLines {
  float name, firstMark, line;
};
SidePaneLines LayoutSidePaneLines(const RectF& pane);
// The rectangle of the shown month's day (kHiddenRect for a day the month does not have).
RectF CalendarDayRect(const AttendancePanelLayout& layout, int day);
// The weekday (0 Sunday) of the shown month's first day; days in the shown month.
int CalendarFirstWeekday();
int CalendarMonthDays();

// ---- input ----
bool AttendancePanelOnClick(int x, int y);
// A double click on a class row (rename), a student row (colour) or a day (mark); false elsewhere,
// and the caller hands the press on as a click.
bool AttendancePanelOnDoubleClick(int x, int y);
void AttendancePanelOnMouseUp();
// A mouse move: the note's drag-select, a student row's drag and the panel's own move. True while
// one of them runs.
bool AttendancePanelOnMouseMove(int x, int y);
bool AttendancePanelOnWheel(int wheelDelta);
bool AttendancePanelOnChar(uint32_t character);
// Key-down: every key ends in the rename field or the open note while either has the keyboard;
// otherwise Escape closes the colour picker, else the panel.
bool AttendancePanelOnKeyDown(int virtualKey, bool shift, bool ctrl);
// The rename field or the note has the keyboard.
bool AttendancePanelHasKeyboard();
// Where a dragged student row is while its drag runs; false when none runs.
bool StudentDragPoint(int* x, int* y);

// ---- drawing (attendance_panel_draw) ----
void DrawAttendancePanel();

// Closed, every pane and drag back at its start, the panel centred again.
void ResetAttendancePanelState();
