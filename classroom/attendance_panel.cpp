// classroom/attendance_panel: the register's state, layout, panes and input.
#include "classroom/attendance_panel.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "classroom/attendance_classes.h"
#include "classroom/attendance_records.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/institution_panel.h"
#include "classroom/note_editor.h"
#include "classroom/panel_frame.h"
#include "classroom/teacher_notes.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/widgets_draw.h"
#include "learning/learning_files.h"
#include "platform/keys.h"
#include "practice/student_colours.h"
#include "practice/students.h"

// ---- constants ----
const float kStudentColours[12][3] = {
    {0.27f, 0.55f, 0.85f}, {0.30f, 0.70f, 0.42f}, {0.85f, 0.47f, 0.30f}, {0.80f, 0.37f, 0.56f},
    {0.62f, 0.46f, 0.85f}, {0.92f, 0.72f, 0.26f}, {0.28f, 0.72f, 0.70f}, {0.85f, 0.32f, 0.33f},
    {0.56f, 0.62f, 0.30f}, {0.42f, 0.52f, 0.80f}, {0.78f, 0.56f, 0.40f}, {0.56f, 0.60f, 0.68f},
};
static const float kDragThresholdSquared = 36.0f;  // a press becomes a drag past 6 pixels
static const float kNoteLineHeight = 18.0f;        // the note editor's line pitch
static const float kNoteAscent = 14.4f;            // first line's top above its baseline
static const float kSlideRate = 6.5f;

// ---- state ----
bool gAttendancePanelOpen = false;           // the register is shown
bool gClassColumnOpen = true;                // the class column is expanded
bool gAttendanceSidePaneOpen = false;        // the marks pane is shown
int gDraggedStudentIndex = -1;               // student row pressed last
bool gStudentDragStarted = false;            // that press has moved past the threshold
int gColourPickerStudent = -1;               // student whose colour picker is open
bool gNoteDragSelect = false;                // drag-select in the note box
float gNoteScroll = 0.0f;                    // note box scroll, pixels
float gSidePaneScroll = 0.0f;                // side pane scroll, pixels
float gStudentListScroll = 0.0f;             // student list scroll, pixels
bool gAttendancePanelDragging = false;       // the header is being dragged
static float gClassColumnSlide = 1.0f;       // slide factors of the three panes, 0 closed .. 1 open
static float gSidePaneSlide = 0.0f;
static float gNotesSlide = 0.0f;
static bool gPanelPlaced = false;            // the panel has been moved from its centred place
static float gPanelX = 0.0f, gPanelY = 0.0f; // its top-left corner once moved
static float gGrabX = 0.0f, gGrabY = 0.0f;   // grab offset of the header drag
static int gPressX = 0, gPressY = 0;         // where the pressed student row was pressed
static int gDragX = 0, gDragY = 0;           // the pointer during a student drag

// ---- internal helpers ----
static int ActiveStudent() { return GetActiveStudentIndex(); }

static bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

static int DaysIn(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Weekday (0 Sunday) of a proleptic Gregorian date; the calendar has no time zone, so noon local
// time and this agree for every date.
static int WeekdayOf(int year, int month, int day) {
  static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 1 || month > 12) return 0;
  if (month < 3) year -= 1;
  int w = (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
  return w < 0 ? w + 7 : w;
}

static void ClampPanelPlace(float w, float h) {
  float cw = (float)gClientWidth, ch = (float)gClientHeight;
  gPanelX = std::clamp(gPanelX, std::min(0.0f, cw - w), std::max(0.0f, cw - w));
  gPanelY = std::clamp(gPanelY, std::min(0.0f, ch - h), std::max(0.0f, ch - h));
}

static void SetStudentColour(int student, int swatch) {
  Student& s = gStudents[(size_t)student];
  s.r = kStudentColours[swatch][0];
  s.g = kStudentColours[swatch][1];
  s.b = kStudentColours[swatch][2];
  NormalizeStudentColour(s);
  SaveStudents();
}

static void DeleteClass(int index) {
  gAttendanceClasses.erase(gAttendanceClasses.begin() + index);
  for (int* ref : {&gRenameClassIndex, &gClassFilterIndex}) {
    if (*ref == index) *ref = -1;
    else if (*ref > index) *ref -= 1;
  }
  gClassDeleteArmedIndex = -1;
  SaveAttendanceClasses();
}

static void FilterByClass(int index) {
  gClassDeleteArmedIndex = -1;
  // The filtered class pressed again shows every student: a new, empty class could otherwise
  // never get members, which are dragged from the whole list.
  if (gClassFilterIndex == index) {
    gClassFilterIndex = -1;
    SyncNoteEditor();
    return;
  }
  gClassFilterIndex = index;
  int active = ActiveStudent();
  bool member = active >= 0 && IsClassMember(index, gStudents[(size_t)active].id);
  if (!member) {
    std::vector<int> listed = StudentsOfSelectedClass();
    if (!listed.empty()) {
      SwitchActiveStudent(listed.front());
      gNoteScroll = 0.0f;
    }
  }
  SyncNoteEditor();
}

static void MakeActive(int student) {
  SwitchActiveStudent(student);
  gNoteScroll = 0.0f;
  SyncNoteEditor();
}

static void CloseNotesView() {
  SaveNotes();
  gNotesViewOpen = false;
  gNoteDragSelect = false;
}

static void CloseRegister() {
  if (gNotesViewOpen || gNoteEditorActive) CloseNotesView();
  if (gRenameClassIndex >= 0) CommitClassRename();
  gAttendancePanelDragging = false;
  gAttendancePanelOpen = false;
}

static void StartRename(int index) {
  gRenameClassIndex = index;
  gClassRenameField.text = gAttendanceClasses[(size_t)index].name;
  gClassRenameField.cursor = gClassRenameField.anchor = (int)gClassRenameField.text.size();
  gClassFilterIndex = index;
}

static void PublishNoteBox(const AttendancePanelLayout& l) {
  gNoteBox.box = l.noteBox;
  gNoteBox.textTop = l.noteTextTop;
  gNoteBox.firstVisibleLine = l.noteFirstLine;
  gNoteBox.font = gFontSmall;
}

// A fresh layout at the current UI scale, with the note box told where it lies.
static AttendancePanelLayout FreshLayout() {
  AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  PublishNoteBox(l);
  return l;
}

// Scrolls the note box so that the caret's line is in view, after an edit or a caret move: typing
// on past the box's last line left the caret and the text out of sight. The wheel alone may still
// take the caret out of view.
static void ScrollNoteToCaret() {
  AttendancePanelLayout l = FreshLayout();
  if (!gNoteEditorActive || l.noteBox.w <= 0) return;
  TextFieldClampCaret(gEditField);
  std::vector<NoteLine> lines = WrapNoteBoxLines(gEditField.text);
  int caret = NoteCaretLineIndex(lines, gEditField.cursor);
  int first = l.noteFirstLine;
  if (caret < first) first = caret;
  else if (caret >= first + l.noteVisibleLines) first = caret - l.noteVisibleLines + 1;
  else return;
  gNoteScroll = (float)first * kNoteLineHeight;
  FreshLayout();
}

// ---- public functions: opening ----
void ResetAttendancePanel() {
  if (gNotesViewOpen || gNoteEditorActive) SaveNotes();
  gNotesViewOpen = false;
  gNoteEditorActive = false;
  gNotesSlide = 0.0f;
  gRenameClassIndex = -1;
  gDraggedStudentIndex = -1;
  gStudentDragStarted = false;
}

void OpenAttendancePanel() {
  ResetAttendancePanel();
  LoadAttendanceClasses();
  EnsureCalendarMonth();
  gAttendancePanelOpen = true;
}

bool HitTestAttendancePanelButton(int x, int y) {
  const RectF& r = gAttendancePanelButtonRect;
  return r.w > 1.0f && PointInRect(r, x, y);
}

// ---- public functions: layout ----
float StepSlide(float factor, float target, float elapsedSeconds) {
  factor += (target - factor) * std::min(std::max(kSlideRate * elapsedSeconds, 0.0f), 1.0f);
  if (std::fabs(target - factor) < 0.003f) factor = target;
  return factor;
}

float EaseSlide(float f) { return f * f * (3.0f - 2.0f * f); }

void StepAttendancePanes(float elapsedSeconds) {
  gClassColumnSlide = StepSlide(gClassColumnSlide, gClassColumnOpen ? 1.0f : 0.0f, elapsedSeconds);
  gSidePaneSlide = StepSlide(gSidePaneSlide, gAttendanceSidePaneOpen ? 1.0f : 0.0f, elapsedSeconds);
  gNotesSlide = StepSlide(gNotesSlide, gNotesViewOpen ? 1.0f : 0.0f, elapsedSeconds);
}

int CalendarFirstWeekday() { return WeekdayOf(gCalendarYear, gCalendarMonth, 1); }
int CalendarMonthDays() { return DaysIn(gCalendarYear, gCalendarMonth); }

AttendancePanelLayout LayoutAttendancePanel(float s) {
  AttendancePanelLayout l;
  l.scale = s;
  float cw = (float)gClientWidth, ch = (float)gClientHeight;
  float w = std::min(PanelPx(1000 * s, 760), std::max(cw - 24, 320.0f));
  float h = std::min(PanelPx(660 * s, 520), std::max(ch - 24, 300.0f));
  if (!gPanelPlaced) {
    gPanelX = std::floor((cw - w) / 2);
    gPanelY = std::floor((ch - h) / 2);
  }
  ClampPanelPlace(w, h);
  const float pad = PanelPx(14 * s, 10);
  const PanelFrame frame = FramePanel(s, {gPanelX, gPanelY, w, h}, pad);
  l.panel = frame.panel, l.header = frame.header, l.closeButton = frame.closeButton;
  const float band = l.header.h, button = l.closeButton.h, by = l.closeButton.y;
  float pill = PanelPx(96 * s, 80);
  float pillGap = PanelPx(8 * s, 6);
  l.sidePaneButton = {l.closeButton.x - pillGap - pill, by, pill, button};
  l.notesButton = {l.sidePaneButton.x - pillGap - pill, by, pill, button};

  float top = l.panel.y + band;
  float bottom = l.panel.y + h - pad;
  float x = l.panel.x + pad;

  // Class column: a narrow strip with the expand button when collapsed.
  float rowH = PanelPx(30 * s, 26), rowGap = PanelPx(4 * s, 3);
  float stripW = PanelPx(34 * s, 28);
  float columnW = stripW + (PanelPx(210 * s, 170) - stripW) * EaseSlide(gClassColumnSlide);
  l.classColumn = {x, top, columnW, bottom - top};
  if (!gClassColumnOpen) {
    l.expandButton = {x + (columnW - button) / 2, top, button, button};
  } else {
    l.collapseButton = {x, top, button, rowH};
    l.addClassButton = {x + button + rowGap, top, std::max(columnW - button - rowGap, 0.0f), rowH};
    float y = top + rowH + rowGap * 3;
    float del = rowH - 8;
    for (size_t i = 0; i < gAttendanceClasses.size() && y + rowH <= bottom; ++i, y += rowH + rowGap) {
      ClassRowRects r;
      r.row = {x, y, columnW, rowH};
      r.deleteButton = {x + columnW - del - 4, y + 4, del, del};
      l.classRows.push_back(r);
    }
  }
  x += columnW + pad;

  // Student list.
  float listW = PanelPx(250 * s, 200);
  l.studentList = {x, top, listW, bottom - top};
  float studentH = PanelPx(38 * s, 32), studentGap = PanelPx(4 * s, 3);
  float box = PanelPx(20 * s, 18);
  std::vector<int> listed = StudentsOfSelectedClass();
  l.studentPitch = studentH + studentGap;
  l.listedStudents = (int)listed.size();
  l.studentRowsFit = std::max((int)((bottom - top + studentGap) / l.studentPitch), 0);
  // The list may have shrunk, or another class been chosen, since it was scrolled. The offset itself
  // is kept: a student dropped on a class shows that class, and pressing it again goes back to the
  // place in the whole list where the next student to drag is.
  int mostRows = std::max(l.listedStudents - l.studentRowsFit, 0);
  l.firstStudentRow = std::clamp((int)std::lround(gStudentListScroll / l.studentPitch), 0, mostRows);
  for (int i = 0; i < l.studentRowsFit && l.firstStudentRow + i < l.listedStudents; ++i) {
    float y = top + (float)i * l.studentPitch;
    StudentRowRects r;
    r.student = listed[(size_t)(l.firstStudentRow + i)];
    r.row = {x, y, listW, studentH};
    r.memberBox = gClassFilterIndex >= 0 ? RectF{x + listW - box - 8, y + (studentH - box) / 2, box, box} : kHiddenRect;
    l.studentRows.push_back(r);
  }
  x += listW + pad;

  // Calendar area: month title with its arrows, weekday letters, the grid; the notes pane slides up
  // from the bottom and takes the lower part.
  float areaW = l.panel.x + w - pad - x;
  float areaTop = top;
  float areaH = bottom - areaTop;
  l.prevMonth = {x, areaTop, button, button};
  l.nextMonth = {x + areaW - button, areaTop, button, button};
  l.monthTitle = {x + button, areaTop, std::max(areaW - 2 * button, 0.0f), button};
  float weekdayBand = PanelPx(20 * s, 16);
  l.weekdayY = areaTop + button + weekdayBand - 4;
  float gridTop = std::floor(areaTop + button + weekdayBand + 2);
  l.cellGap = std::round(PanelPx(5 * s, 3));
  // The notes pane never pushes the grid below its smallest cells.
  float smallestGrid = 6 * 30 + 5 * l.cellGap;
  float notesRoom = std::max(areaH - (gridTop - areaTop) - smallestGrid - pad, 0.0f);
  float notesH = std::floor(std::min(areaH * 0.46f, notesRoom) * EaseSlide(gNotesSlide));
  float gridH = areaH - notesH - (gridTop - areaTop) - (notesH > 0 ? pad : 0);
  l.cell = std::max(std::floor(std::min((areaW - 6 * l.cellGap) / 7, (gridH - 5 * l.cellGap) / 6)), 30.0f);
  float gridW = 7 * l.cell + 6 * l.cellGap;
  l.grid = {std::floor(x + (areaW - gridW) / 2), gridTop, gridW, 6 * l.cell + 5 * l.cellGap};

  if (notesH > 1) {
    l.notesPane = {x, bottom - notesH, areaW, notesH};
    l.notesCloseButton = {x + areaW - button, l.notesPane.y, button, button};
    float boxTop = l.notesPane.y + button + 4;
    l.noteBox = {x, boxTop, areaW, std::max(bottom - boxTop, 0.0f)};
    int firstLine = (int)std::floor(gNoteScroll / kNoteLineHeight);
    l.noteFirstLine = std::max(firstLine, 0);
    l.noteTextTop = l.noteBox.y + 8 + kNoteAscent;
    l.noteVisibleLines = std::max((int)((l.noteBox.h - 12) / kNoteLineHeight), 1);
  }

  // Side pane: slides in from the panel's right edge over the calendar, below the month's title
  // row: in a narrow window it covered the title and the next-month arrow.
  float paneW = PanelPx(270 * s, 210);
  float shown = paneW * EaseSlide(gSidePaneSlide);
  float paneTop = l.monthTitle.y + l.monthTitle.h + 2;
  if (shown > 1) l.sidePane = {l.panel.x + w - shown, paneTop, shown, l.panel.y + h - paneTop};

  // Colour picker beside its student's row.
  for (const StudentRowRects& r : l.studentRows) {
    if (r.student != gColourPickerStudent) continue;
    l.swatch = PanelPx(26 * s, 22);
    l.swatchGap = PanelPx(6 * s, 4);
    float pw = 4 * l.swatch + 5 * l.swatchGap, ph = 3 * l.swatch + 4 * l.swatchGap;
    float py = std::min(r.row.y, l.panel.y + h - ph - 4);
    l.colourPicker = {r.row.x + r.row.w + 6, py, pw, ph};
  }
  return l;
}

RectF CalendarDayRect(const AttendancePanelLayout& l, int day) {
  if (day < 1 || day > CalendarMonthDays()) return kHiddenRect;
  int cell = CalendarFirstWeekday() - 1 + day;
  int column = cell % 7, row = cell / 7;
  if (row > 5) return kHiddenRect;
  return {l.grid.x + column * (l.cell + l.cellGap), l.grid.y + row * (l.cell + l.cellGap), l.cell, l.cell};
}

int CalendarDayAt(const AttendancePanelLayout& l, int x, int y) {
  for (int day = 1; day <= CalendarMonthDays(); ++day) {
    RectF r = CalendarDayRect(l, day);
    if (r.w > 0 && PointInRect(r, x, y)) return day;
  }
  return 0;
}

// ---- public functions: input ----
bool AttendancePanelHasKeyboard() {
  return gAttendancePanelOpen && (gRenameClassIndex >= 0 || gNoteEditorActive);
}

bool AttendancePanelOnClick(int x, int y) {
  if (!gAttendancePanelOpen) return false;
  EnsureCalendarMonth();
  AttendancePanelLayout l = FreshLayout();
  int studentCount = (int)gStudents.size();

  if (gColourPickerStudent >= 0 && gColourPickerStudent < studentCount) {
    for (int k = 0; k < 12 && l.colourPicker.w > 0; ++k) {
      RectF sw = {l.colourPicker.x + l.swatchGap + (k % 4) * (l.swatch + l.swatchGap),
                  l.colourPicker.y + l.swatchGap + (k / 4) * (l.swatch + l.swatchGap), l.swatch, l.swatch};
      if (PointInRect(sw, x, y)) SetStudentColour(gColourPickerStudent, k);
    }
    gColourPickerStudent = -1;
    return true;
  }
  gColourPickerStudent = -1;

  if (gRenameClassIndex >= 0) {
    bool onRow = gRenameClassIndex < (int)l.classRows.size() && PointInRect(l.classRows[(size_t)gRenameClassIndex].row, x, y);
    if (!onRow) {
      CommitClassRename();
      l = FreshLayout();
    }
  }

  if (PointInRect(l.closeButton, x, y)) return CloseRegister(), true;
  if (PointInRect(l.sidePaneButton, x, y)) {
    gAttendanceSidePaneOpen = !gAttendanceSidePaneOpen;
    gSidePaneScroll = 0.0f;
    return true;
  }

  if (!gNotesViewOpen) {
    if (PointInRect(l.notesButton, x, y)) {
      int active = ActiveStudent();
      if (active >= 0) {
        gNotesViewOpen = true;
        gNoteScroll = 0.0f;
        LoadNotes(gStudents[(size_t)active].id);
      }
      return true;
    }
  } else {
    if (PointInRect(l.notesCloseButton, x, y) || PointInRect(l.notesButton, x, y)) {
      CloseNotesView();
      return true;
    }
    if (gNoteEditorActive && PointInRect(l.noteBox, x, y)) {
      TextFieldClampCaret(gEditField);
      gEditField.cursor = gEditField.anchor = NoteCaretFromPoint(gEditField.text, (float)x, (float)y);
      gNoteDragSelect = true;
      return true;
    }
  }
  // The side pane covers the calendar's right part below the month's title row: what it hides
  // takes no press.
  if (l.sidePane.w > 0 && PointInRect(l.sidePane, x, y)) return true;
  if (PointInRect(l.prevMonth, x, y)) return ShiftCalendarMonth(-1), true;
  if (PointInRect(l.nextMonth, x, y)) return ShiftCalendarMonth(1), true;

  if (gClassColumnOpen) {
    if (PointInRect(l.collapseButton, x, y)) {
      gClassColumnOpen = false;
      gClassDeleteArmedIndex = -1;
      return true;
    }
    if (PointInRect(l.addClassButton, x, y)) {
      gClassDeleteArmedIndex = -1;
      AddAttendanceClass();
      return true;
    }
    for (size_t i = 0; i < l.classRows.size(); ++i) {
      const ClassRowRects& r = l.classRows[i];
      if (PointInRect(r.deleteButton, x, y)) {
        if (gClassDeleteArmedIndex == (int)i) DeleteClass((int)i);
        else gClassDeleteArmedIndex = (int)i;
        return true;
      }
      // The row being renamed is its rename box: a press in the box is the box's, and must not
      // turn off the filter the rename shows.
      if (PointInRect(r.row, x, y)) {
        if ((int)i != gRenameClassIndex) FilterByClass((int)i);
        return true;
      }
    }
    gClassDeleteArmedIndex = -1;
    if (PointInRect(l.classColumn, x, y)) return true;
  } else if (PointInRect(l.expandButton, x, y)) {
    gClassColumnOpen = true;
    return true;
  }

  for (const StudentRowRects& r : l.studentRows) {
    if (gClassFilterIndex >= 0 && PointInRect(r.memberBox, x, y)) {
      ToggleClassMember(gClassFilterIndex, gStudents[(size_t)r.student].id);
      return true;
    }
    if (PointInRect(r.row, x, y)) {
      MakeActive(r.student);
      gDraggedStudentIndex = r.student;
      gStudentDragStarted = false;
      gPressX = gDragX = x;
      gPressY = gDragY = y;
      return true;
    }
  }

  int day = CalendarDayAt(l, x, y);
  if (day >= 1) {
    gCalendarSelectedDate = CalendarDayDate(day);
    gNoteScroll = 0.0f;
    SyncNoteEditor();
    return true;
  }
  if (PointInRect(l.header, x, y)) {
    gAttendancePanelDragging = true;
    gPanelPlaced = true;
    gGrabX = (float)x - l.panel.x;
    gGrabY = (float)y - l.panel.y;
    return true;
  }
  if (PointInRect(l.panel, x, y)) return true;
  CommitNoteEdit();
  gAttendancePanelDragging = false;
  gAttendancePanelOpen = false;
  return true;
}

bool AttendancePanelOnDoubleClick(int x, int y) {
  if (!gAttendancePanelOpen) return false;
  EnsureCalendarMonth();
  AttendancePanelLayout l = FreshLayout();
  if (gClassColumnOpen)
    for (size_t i = 0; i < l.classRows.size(); ++i) {
      if (!PointInRect(l.classRows[i].row, x, y)) continue;
      // The delete asks for a second click of its own once armed: a quick pair would pass that
      // step unseen and the class with its roster would be gone.
      if (PointInRect(l.classRows[i].deleteButton, x, y)) return true;
      // A second press in the box being typed in keeps what was typed.
      if ((int)i != gRenameClassIndex) StartRename((int)i);
      return true;
    }
  for (const StudentRowRects& r : l.studentRows)
    if (PointInRect(r.row, x, y) && !PointInRect(r.memberBox, x, y)) {
      SwitchActiveStudent(r.student);
      gColourPickerStudent = r.student;
      return true;
    }
  int active = ActiveStudent();
  int day = CalendarDayAt(l, x, y);
  const bool covered = (l.notesPane.w > 0 && PointInRect(l.notesPane, x, y)) ||
                       (l.sidePane.w > 0 && PointInRect(l.sidePane, x, y));
  if (active >= 0 && day >= 1 && !covered) {
    std::string date = CalendarDayDate(day);
    ToggleAttendance(gStudents[(size_t)active].id, date);
    gCalendarSelectedDate = date;
    SyncNoteEditor();
    return true;
  }
  // Anywhere else the second press of a quick pair is a press of its own: a month arrow or
  // "+ Class" clicked twice acts twice.
  return false;
}

void AttendancePanelOnMouseUp() {
  if (gNoteDragSelect) {
    gNoteDragSelect = false;
    return;
  }
  if (gDraggedStudentIndex < 0) {
    gAttendancePanelDragging = false;
    return;
  }
  if (gAttendancePanelOpen && gStudentDragStarted && gDraggedStudentIndex < (int)gStudents.size() && gClassColumnOpen) {
    AttendancePanelLayout l = FreshLayout();
    const std::string id = gStudents[(size_t)gDraggedStudentIndex].id;
    for (size_t i = 0; i < l.classRows.size(); ++i) {
      if (!PointInRect(l.classRows[i].row, gDragX, gDragY)) continue;
      if (!IsClassMember((int)i, id)) ToggleClassMember((int)i, id);
      gClassFilterIndex = (int)i;
      break;
    }
  }
  gDraggedStudentIndex = -1;
  gStudentDragStarted = false;
  gAttendancePanelDragging = false;
}

bool AttendancePanelOnMouseMove(int x, int y) {
  if (!gAttendancePanelOpen) return false;
  if (gNoteDragSelect && gNoteEditorActive) {
    FreshLayout();
    gEditField.cursor = NoteCaretFromPoint(gEditField.text, (float)x, (float)y);
    ScrollNoteToCaret();
    return true;
  }
  if (gDraggedStudentIndex >= 0) {
    gDragX = x;
    gDragY = y;
    float dx = (float)(x - gPressX), dy = (float)(y - gPressY);
    if (dx * dx + dy * dy > kDragThresholdSquared) gStudentDragStarted = true;
    return true;
  }
  if (gAttendancePanelDragging) {
    gPanelX = (float)x - gGrabX;
    gPanelY = (float)y - gGrabY;
    return true;
  }
  return false;
}

SidePaneLines LayoutSidePaneLines(const RectF& pane) {
  const float line = FontPixelSize(gFontSmall) + 8, name = pane.y + 26 - gSidePaneScroll;
  return {name, name + line + 6, line};
}

// The height the marks pane draws for the active student: its lines down to the last mark, and
// room for that line's descent.
static float SidePaneContentHeight(const RectF& pane) {
  int active = GetActiveStudentIndex();
  if (active < 0) return 0.0f;
  const std::string& id = gStudents[(size_t)active].id;
  LoadAttendance(id);
  auto marks = gAttendanceByStudent.find(StudentFileKeyOf(id));
  size_t count = marks == gAttendanceByStudent.end() ? 0 : marks->second.size();
  const SidePaneLines at = LayoutSidePaneLines(pane);
  return at.firstMark - (pane.y - gSidePaneScroll) + (float)count * at.line + 10;
}

bool AttendancePanelOnWheel(int wheelDelta) {
  if (!gAttendancePanelOpen) return false;
  AttendancePanelLayout l = FreshLayout();
  float notches = (float)wheelDelta / 120.0f;
  float s = l.scale;
  if (l.sidePane.w > 0 && IsMouseInRect(&l.sidePane)) {
    // Past the oldest mark there is nothing to show, and every notch spent there would have to be
    // wheeled back before the list moved again.
    float most = std::max(SidePaneContentHeight(l.sidePane) - l.sidePane.h, 0.0f);
    gSidePaneScroll = std::clamp(std::min(gSidePaneScroll, most) - notches * PanelPx(56 * s, 40), 0.0f, most);
  } else if (l.notesPane.w > 0 && IsMouseInRect(&l.notesPane)) {
    gNoteScroll = std::max(gNoteScroll - notches * 2 * PanelPx(21 * s, 18), 0.0f);
    // Past the last line there is nothing to show.
    int lines = (int)WrapNoteBoxLines(gEditField.text).size();
    float most = std::max(lines - l.noteVisibleLines, 0) * kNoteLineHeight;
    gNoteScroll = std::min(gNoteScroll, most);
  } else if (IsMouseInRect(&l.studentList)) {
    // A notch moves the list by a row; the layout shows whole rows only, so a click or a drag
    // always meets the row drawn under it.
    float most = (float)std::max(l.listedStudents - l.studentRowsFit, 0) * l.studentPitch;
    gStudentListScroll = std::clamp(std::min(gStudentListScroll, most) - notches * l.studentPitch, 0.0f, most);
  }
  return true;
}

bool AttendancePanelOnChar(uint32_t character) {
  if (!gAttendancePanelOpen) return false;
  if (gRenameClassIndex >= 0) {
    if (character == 8) {
      TextFieldBackspace(gClassRenameField);
    } else if (character == 13 || character == 10) {
      CommitClassRename();
    } else if (character == 27) {
      gRenameClassIndex = -1;
    } else if (character >= 32 && character <= 126) {
      TextFieldInsert(gClassRenameField, std::string(1, (char)character));
    }
    return true;
  }
  if (!NoteEditorOnChar(character)) return false;
  ScrollNoteToCaret();
  return true;
}

bool AttendancePanelOnKeyDown(int virtualKey, bool shift, bool ctrl) {
  if (!gAttendancePanelOpen) return false;
  if (gRenameClassIndex >= 0) {
    TextFieldHandleKey(gClassRenameField, virtualKey, shift, ctrl);
    return true;
  }
  if (gNoteEditorActive) {
    FreshLayout();
    HandleNoteEditorKey(virtualKey, shift, ctrl);
    ScrollNoteToCaret();
    return true;
  }
  // With nothing being edited, Escape closes the colour picker, then the register, as it closes the
  // other panels; the view behind does not see it.
  if (virtualKey == kKeyEscape) {
    if (gColourPickerStudent >= 0) gColourPickerStudent = -1;
    else CloseRegister();
    return true;
  }
  return false;
}

bool StudentDragPoint(int* x, int* y) {
  if (gDraggedStudentIndex < 0 || !gStudentDragStarted) return false;
  *x = gDragX;
  *y = gDragY;
  return true;
}

void ResetAttendancePanelState() {
  gAttendancePanelOpen = false;
  gClassColumnOpen = true;
  gAttendanceSidePaneOpen = false;
  gDraggedStudentIndex = -1;
  gStudentDragStarted = false;
  gColourPickerStudent = -1;
  gNoteDragSelect = false;
  gNoteScroll = gSidePaneScroll = gStudentListScroll = 0.0f;
  gAttendancePanelDragging = false;
  gClassColumnSlide = 1.0f;
  gSidePaneSlide = gNotesSlide = 0.0f;
  gPanelPlaced = false;
  gPanelX = gPanelY = gGrabX = gGrabY = 0.0f;
  gPressX = gPressY = gDragX = gDragY = 0;
}
