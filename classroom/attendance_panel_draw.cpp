// classroom/attendance_panel_draw: the register drawn from its layout: header pills, the class
// column, the student rows, the month with its marks, the side pane, the notes view with its caret
// and the colour picker. Names, class names and notes are the teacher's own text and are drawn
// verbatim; the panel's labels go through the translation call. Scissoring is restored.
#include "classroom/attendance_panel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "classroom/attendance_classes.h"
#include "classroom/attendance_records.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/note_editor.h"
#include "classroom/panel_look.h"
#include "classroom/teacher_notes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/long_dates.h"
#include "practice/students.h"

// ---- constants ----
static const float kGold[3] = {0.96f, 0.8f, 0.34f};
static const float kNoteLineHeight = 18.0f;

// ---- internal helpers ----
// Limits drawing to r (in top-down client pixels) until the returned scope ends.
struct ScopedClip {
  explicit ScopedClip(const RectF& r) {
    GLint box[4];
    glGetIntegerv(GL_VIEWPORT, box);
    int height = box[3];
    was = glIsEnabled(GL_SCISSOR_TEST);
    glEnable(GL_SCISSOR_TEST);
    glScissor((GLint)std::floor(r.x), (GLint)std::floor(height - r.y - r.h), (GLsizei)std::max(std::ceil(r.w), 0.0f),
              (GLsizei)std::max(std::ceil(r.h), 0.0f));
  }
  ~ScopedClip() {
    if (!was) glDisable(GL_SCISSOR_TEST);
  }
  GLboolean was;
};

static char MarkOf(const std::string& id, const std::string& date) {
  LoadAttendance(id);
  auto student = gAttendanceByStudent.find(StudentFileKeyOf(id));
  if (student == gAttendanceByStudent.end()) return 0;
  auto mark = student->second.find(date);
  return mark == student->second.end() ? 0 : mark->second;
}

static void DrawHeader(const AttendancePanelLayout& l) {
  DrawClassroomPanel(l.panel, l.header, "Register", l.scale);
  DrawClassroomPill(l.notesButton, "Notes", gNotesViewOpen ? kPillGold : kPillPlain, !gStudents.empty());
  DrawClassroomPill(l.sidePaneButton, "Marks", gAttendanceSidePaneOpen ? kPillGold : kPillPlain, true);
  DrawCloseCross(l.closeButton);
}

static void DrawClassColumn(const AttendancePanelLayout& l) {
  const RectF& c = l.classColumn;
  SetGlColor(0.075f, 0.09f, 0.135f, 0.9f);
  FillRoundedRect(c.x, c.y, c.w, c.h, 8.0f, 8);
  if (!gClassColumnOpen) {
    DrawClassroomPill(l.expandButton, ">", kPillPlain, true, true);
    return;
  }
  ScopedClip clip(c);
  DrawClassroomPill(l.collapseButton, "<", kPillPlain, true, true);
  DrawClassroomPill(l.addClassButton, "+ Class", kPillGold, true);
  for (size_t i = 0; i < l.classRows.size(); ++i) {
    const ClassRowRects& r = l.classRows[i];
    bool filtered = (int)i == gClassFilterIndex;
    if (filtered) SetGlColor(kGold[0] * 0.5f, kGold[1] * 0.5f, kGold[2] * 0.5f, 0.95f);
    else SetGlColor(0.12f, 0.15f, 0.21f, IsMouseInRect(&r.row) ? 0.98f : 0.85f);
    FillRoundedRect(r.row.x, r.row.y, r.row.w, r.row.h, 6.0f, 8);
    float tx = r.row.x + 8, room = r.deleteButton.x - tx - 6;
    if ((int)i == gRenameClassIndex) {
      DrawEntryBox({r.row.x + 2, r.row.y + 2, r.deleteButton.x - r.row.x - 6, r.row.h - 4}, gClassRenameField.text, true,
                   false, "");
    } else {
      const AttendanceClass& cls = gAttendanceClasses[i];
      char count[16];
      std::snprintf(count, sizeof count, "%zu", cls.members.size());
      float cw = MeasureText(gFontSmall, count, 12.0f);
      DrawVerbatim(gFontSmall, tx, BaselineIn(gFontSmall, r.row), cls.name, room - cw - 8, 0.95f, 0.95f, 0.97f, 1.0f);
      DrawVerbatim(gFontSmall, r.deleteButton.x - cw - 6, BaselineIn(gFontSmall, r.row), count, cw + 1, 0.7f, 0.75f,
                   0.85f, 0.9f);
    }
    bool armed = (int)i == gClassDeleteArmedIndex;
    DrawClassroomPill(r.deleteButton, armed ? "!" : "x", armed ? kPillRed : kPillPlain, true, true);
  }
}

static void DrawStudentRows(const AttendancePanelLayout& l) {
  ScopedClip clip(l.studentList);
  int active = GetActiveStudentIndex();
  if (l.studentRows.empty()) {
    // Broken over lines: in a narrow window a longer language's text was cut after a word or two.
    const char* text = gStudents.empty() ? "No students yet" : "No students in this class";
    DrawVerbatimLines(gFontSmall, l.studentList.x + 8, l.studentList.y + 24, Tr(text), l.studentList.w - 16,
                      FontPixelSize(gFontSmall) + 6, 3, 0.6f, 0.66f, 0.76f, 1);
  }
  for (const StudentRowRects& r : l.studentRows) {
    const Student& s = gStudents[(size_t)r.student];
    bool isActive = r.student == active;
    SetGlColor(isActive ? 0.17f : 0.11f, isActive ? 0.21f : 0.14f, isActive ? 0.3f : 0.2f, 0.92f);
    FillRoundedRect(r.row.x, r.row.y, r.row.w, r.row.h, 8.0f, 4);
    if (isActive) {
      glLineWidth(1.0f);
      SetGlColor(kGold[0], kGold[1], kGold[2], 0.8f);
      StrokeRoundedRect(r.row.x, r.row.y, r.row.w, r.row.h, 8.0f, 4);
    }
    float dot = r.row.h * 0.42f;
    SetGlColor(s.r, s.g, s.b, 1.0f);
    FillRoundedRect(r.row.x + 8, r.row.y + (r.row.h - dot) / 2, dot, dot, dot / 2, 4);
    if (r.memberBox.w > 0) {
      bool member = IsClassMember(gClassFilterIndex, s.id);
      SetGlColor(0.03f, 0.04f, 0.06f, 0.95f);
      FillRoundedRect(r.memberBox.x, r.memberBox.y, r.memberBox.w, r.memberBox.h, 4.0f, 3);
      SetGlColor(kGold[0], kGold[1], kGold[2], member ? 1.0f : 0.45f);
      StrokeRoundedRect(r.memberBox.x, r.memberBox.y, r.memberBox.w, r.memberBox.h, 4.0f, 3);
      if (member) {
        RectF in = {r.memberBox.x + 4, r.memberBox.y + 4, r.memberBox.w - 8, r.memberBox.h - 8};
        FillRoundedRect(in.x, in.y, in.w, in.h, 2.0f, 3);
      }
    }
  }
  BeginTextRun();
  for (const StudentRowRects& r : l.studentRows) {
    float dot = r.row.h * 0.42f;
    float tx = r.row.x + 16 + dot;
    float room = (r.memberBox.w > 0 ? r.memberBox.x : r.row.x + r.row.w) - tx - 8;
    DrawVerbatim(gFontSmall, tx, BaselineIn(gFontSmall, r.row), gStudents[(size_t)r.student].name, room, 0.95f, 0.96f,
                 0.98f, 1.0f);
  }
  EndTextRun();
}

static void DrawMonth(const AttendancePanelLayout& l) {
  DrawClassroomPill(l.prevMonth, "<", kPillPlain, true, true);
  DrawClassroomPill(l.nextMonth, ">", kPillPlain, true, true);
  int active = GetActiveStudentIndex();
  std::string id = active >= 0 ? gStudents[(size_t)active].id : "";
  std::string today = TodayIsoDate();
  float radius = std::max(l.cell * 0.16f, 4.0f);
  int days = CalendarMonthDays();
  std::vector<char> marks((size_t)days + 1, 0);
  // Shapes first, then every text in one run: a software rasteriser pays for each switch.
  for (int day = 1; day <= days; ++day) {
    RectF r = CalendarDayRect(l, day);
    if (r.w <= 0) continue;
    std::string date = CalendarDayDate(day);
    char mark = active >= 0 ? MarkOf(id, date) : 0;
    marks[(size_t)day] = mark;
    float mr = 0.12f, mg = 0.15f, mb = 0.21f;
    if (mark) MarkColour(mark, &mr, &mg, &mb);
    SetGlColor(mr, mg, mb, 1.0f);
    FillRoundedRect(r.x, r.y, r.w, r.h, radius, 3);
    if (date == gCalendarSelectedDate || date == today) {
      glLineWidth(2.0f);
      if (date == gCalendarSelectedDate) SetGlColor(1.0f, 1.0f, 1.0f, 0.9f);
      else SetGlColor(kGold[0], kGold[1], kGold[2], 0.95f);
      StrokeRoundedRect(r.x, r.y, r.w, r.h, radius, 3);
      glLineWidth(1.0f);
    }
    // The day's note dot, from the notes file even before the notes view was opened.
    if (active >= 0 && HasTeacherNote(id, date)) {
      SetGlColor(kGold[0], kGold[1], kGold[2], 1.0f);
      FillRoundedRect(r.x + 5, r.y + r.h - 9, 5, 5, 2.5f, 6);
    }
  }
  BeginTextRun();
  if (gCalendarMonth >= 1 && gCalendarMonth <= 12) {
    std::string title = FormatMonthHeading(gCalendarYear, gCalendarMonth);
    ScopedTrSuppress shown;
    float w = MeasureText(gFontMain, title, 14.0f);
    DrawTextUtf8(gFontMain, l.monthTitle.x + (l.monthTitle.w - w) / 2, BaselineIn(gFontMain, l.monthTitle), title,
                 kGold[0], kGold[1], kGold[2], 1.0f);
  }
  for (int c = 0; c < 7; ++c) {
    float cx = l.grid.x + c * (l.cell + l.cellGap) + l.cell / 2;
    // The calendar shrinks with the window beside the notes; a name is made smaller, not cut.
    DrawTextShrunkCentred(gFontSmall, cx, l.weekdayY, l.cell + l.cellGap - 2.0f, 0.0f, kWeekdayNames[c], 0.6f, 0.66f,
                          0.78f, 1.0f);
  }
  {
    ScopedTrSuppress digits;
    for (int day = 1; day <= days; ++day) {
      RectF r = CalendarDayRect(l, day);
      if (r.w <= 0) continue;
      DrawTextUtf8(gFontSmall, r.x + 5, r.y + FontPixelSize(gFontSmall), std::to_string(day), 0.95f, 0.96f, 0.98f, 1.0f);
      if (!marks[(size_t)day]) continue;
      std::string letter(1, marks[(size_t)day]);
      float w = MeasureText(gFontSmall, letter, 12.0f);
      DrawTextUtf8(gFontSmall, r.x + r.w - w - 4, r.y + r.h - 4, letter, 1.0f, 1.0f, 1.0f, 1.0f);
    }
  }
  EndTextRun();
}

static void DrawSidePane(const AttendancePanelLayout& l) {
  const RectF& p = l.sidePane;
  if (p.w <= 1) return;
  ScopedClip clip(p);
  SetGlColor(0.07f, 0.085f, 0.125f, 0.98f);
  FillRect(p);
  SetGlColor(kGold[0], kGold[1], kGold[2], 0.4f);
  FillRect({p.x, p.y, 1, p.h});
  int active = GetActiveStudentIndex();
  const SidePaneLines at = LayoutSidePaneLines(p);
  float x = p.x + 14, y = at.name, line = at.line;
  if (active < 0) {
    DrawLabel(gFontSmall, x, y, "No students yet", p.w - 28, 0.6f, 0.66f, 0.76f, 1);
    return;
  }
  const Student& s = gStudents[(size_t)active];
  DrawVerbatim(gFontMain, x, y, s.name, p.w - 28, kGold[0], kGold[1], kGold[2], 1);
  y = at.firstMark;
  LoadAttendance(s.id);
  auto marks = gAttendanceByStudent.find(StudentFileKeyOf(s.id));
  if (marks == gAttendanceByStudent.end() || marks->second.empty()) {
    DrawLabel(gFontSmall, x, y, "No marks yet", p.w - 28, 0.6f, 0.66f, 0.76f, 1);
    return;
  }
  for (auto it = marks->second.rbegin(); it != marks->second.rend(); ++it, y += line) {
    if (y < p.y - line || y > p.y + p.h + line) continue;
    float r, g, b;
    MarkColour(it->second, &r, &g, &b);
    SetGlColor(r, g, b, 1);
    FillRoundedRect(x, y - 11, 12, 12, 3, 6);
    DrawVerbatim(gFontSmall, x + 20, y, it->first + "  " + std::string(1, it->second), p.w - 48, 0.9f, 0.92f, 0.96f, 1);
  }
}

static void DrawNotes(const AttendancePanelLayout& l) {
  const RectF& p = l.notesPane;
  if (p.w <= 1) return;
  int active = GetActiveStudentIndex();
  std::string title = Tr("Notes");
  if (active >= 0) title += "  -  " + gStudents[(size_t)active].name + "  " + gNoteDate;
  DrawVerbatim(gFontSmall, p.x + 10, BaselineIn(gFontSmall, {p.x, p.y, p.w, l.notesCloseButton.h}), title,
               p.w - l.notesCloseButton.w - 24, kGold[0], kGold[1], kGold[2], 1);
  DrawCloseCross(l.notesCloseButton);
  const RectF& box = l.noteBox;
  if (box.h < 4) return;
  SetGlColor(0.025f, 0.035f, 0.055f, 0.96f);
  FillRoundedRect(box.x, box.y, box.w, box.h, 6.0f, 8);
  glLineWidth(1.0f);
  SetGlColor(kGold[0], kGold[1], kGold[2], gNoteEditorActive ? 0.8f : 0.3f);
  StrokeRoundedRect(box.x, box.y, box.w, box.h, 6.0f, 8);
  if (!gNoteEditorActive) return;
  // Inside the border: a line that does not fit whole is not drawn through it.
  ScopedClip clip({box.x + 2, box.y + 2, std::max(box.w - 4, 0.0f), std::max(box.h - 4, 0.0f)});
  ScopedTrSuppress teachersOwnText;
  const std::string& text = gEditField.text;
  std::vector<NoteLine> lines = WrapNoteBoxLines(text);
  const NoteMetrics widths = MeasureNote(text);   // the editor's own, so the caret meets the text
  TextFieldClampCaret(gEditField);
  int lo = std::min(gEditField.cursor, gEditField.anchor), hi = std::max(gEditField.cursor, gEditField.anchor);
  int caretLine = NoteCaretLineIndex(lines, gEditField.cursor);
  float left = box.x + 10;
  int last = std::min((int)lines.size(), l.noteFirstLine + l.noteVisibleLines);
  auto widthTo = [&](const NoteLine& line, int end) { return widths.Between(line.start, end); };
  auto baselineOf = [&](int i) { return l.noteTextTop + (i - l.noteFirstLine) * kNoteLineHeight; };
  // The selection under the text, then the lines in one run, then the caret over them.
  for (int i = l.noteFirstLine; i < last; ++i) {
    const NoteLine& line = lines[(size_t)i];
    int a = std::max(lo, line.start), b = std::min(hi, line.end);
    if (a >= b) continue;
    float x0 = left + widthTo(line, a), x1 = left + widthTo(line, b);
    SetGlColor(0.3f, 0.42f, 0.7f, 0.7f);
    FillRect({x0, baselineOf(i) - 14.4f, x1 - x0, kNoteLineHeight});
  }
  // Each line in the pieces between its tabs, each piece where the widths put it: the font draws a
  // tab with no width.
  BeginTextRun();
  for (int i = l.noteFirstLine; i < last; ++i) {
    const NoteLine& line = lines[(size_t)i];
    for (int a = line.start; a < line.end;) {
      int b = a;
      while (b < line.end && text[(size_t)b] != '\t') ++b;
      if (b > a)
        DrawTextUtf8(gFontSmall, left + widthTo(line, a), baselineOf(i), text.substr((size_t)a, (size_t)(b - a)), 0.94f,
                     0.95f, 0.97f, 1.0f);
      a = b + 1;
    }
  }
  EndTextRun();
  if (caretLine >= l.noteFirstLine && caretLine < last) {
    float cx = left + widthTo(lines[(size_t)caretLine], gEditField.cursor);
    SetGlColor(kGold[0], kGold[1], kGold[2], 1.0f);
    FillRect({cx, baselineOf(caretLine) - 14.4f, 2.0f, kNoteLineHeight});
  }
}

static void DrawColourPicker(const AttendancePanelLayout& l) {
  const RectF& p = l.colourPicker;
  if (p.w <= 0) return;
  SetGlColor(0.05f, 0.06f, 0.09f, 0.98f);
  FillRoundedRect(p.x, p.y, p.w, p.h, 8.0f, 8);
  SetGlColor(kGold[0], kGold[1], kGold[2], 0.6f);
  StrokeRoundedRect(p.x, p.y, p.w, p.h, 8.0f, 8);
  for (int k = 0; k < 12; ++k) {
    float x = p.x + l.swatchGap + (k % 4) * (l.swatch + l.swatchGap);
    float y = p.y + l.swatchGap + (k / 4) * (l.swatch + l.swatchGap);
    SetGlColor(kStudentColours[k][0], kStudentColours[k][1], kStudentColours[k][2], 1.0f);
    FillRoundedRect(x, y, l.swatch, l.swatch, l.swatch / 2, 10);
  }
}

static void DrawDraggedStudent() {
  int x, y;
  if (!StudentDragPoint(&x, &y) || gDraggedStudentIndex >= (int)gStudents.size()) return;
  const Student& s = gStudents[(size_t)gDraggedStudentIndex];
  float w, h = 28;
  {
    ScopedTrSuppress verbatim;  // a name, drawn as it is written
    w = std::min(MeasureText(gFontSmall, s.name, 12.0f) + 24, 220.0f);
  }
  SetGlColor(s.r, s.g, s.b, 0.9f);
  FillRoundedRect((float)x + 10, (float)y - h / 2, w, h, h / 2, 10);
  DrawVerbatim(gFontSmall, (float)x + 22, BaselineIn(gFontSmall, {(float)x, (float)y - h / 2, w, h}), s.name, w - 24, 1,
               1, 1, 1);
}

// ---- public functions ----
void DrawAttendancePanel() {
  if (!gAttendancePanelOpen) return;
  AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  gNoteBox.box = l.noteBox;
  gNoteBox.textTop = l.noteTextTop;
  gNoteBox.firstVisibleLine = l.noteFirstLine;
  gNoteBox.font = gFontSmall;
  DrawHeader(l);
  DrawClassColumn(l);
  DrawStudentRows(l);
  DrawMonth(l);
  DrawNotes(l);
  DrawSidePane(l);
  DrawColourPicker(l);
  DrawDraggedStudent();
}
