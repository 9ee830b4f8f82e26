// classroom/attendance_view: layout, clicks and drawing of the class view.
#include "classroom/attendance_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "app/base/client_size.h"
#include "classroom/attendance_sync.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_settings.h"
#include "classroom/code_entries.h"
#include "classroom/panel_frame.h"
#include "classroom/panel_look.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "learning/iso_dates.h"
#include "learning/long_dates.h"

// ---- constants ----
static const float kGold[3] = {0.96f, 0.8f, 0.34f};
static const float kDim[3] = {0.62f, 0.68f, 0.78f};
enum { kViewJoinCode = 0, kViewPupilName = 1, kViewTeacherCode = 2 };

// ---- internal helpers ----
// Today's year and month from the local date.
static bool ShownMonth(int* year, int* month) {
  return std::sscanf(TodayIsoDate().c_str(), "%d-%d", year, month) == 2 && *month >= 1 && *month <= 12;
}

static int DaysIn(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

static int WeekdayOfFirst(int year, int month) {
  static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + 1) % 7;
}

// What the entry takes on this device now: a teacher's code, else the name once a join code
// waits, else the join code.
static int EntryModeForDevice() {
  return IsTeacherDevice() ? kViewTeacherCode : !gPendingJoinCode.empty() ? kViewPupilName : kViewJoinCode;
}

static void ActivateEntry() {
  int mode = EntryModeForDevice();
  if (mode != gAttendanceViewEntryMode) gAttendanceViewEntryText.clear();
  gAttendanceViewEntryMode = mode;
  gAttendanceViewEntryActive = true;
}

// ---- public functions ----
const char* AttendanceViewPrompt() {
  // Before the entry is pressed it asks for what a press will take, not for what it took last.
  switch (gAttendanceViewEntryActive ? gAttendanceViewEntryMode : EntryModeForDevice()) {
    case kViewPupilName: return "Your name, then Enter";
    case kViewTeacherCode: return "Teacher code, then Enter";
    default: return "Your class's join code, then Enter";
  }
}

AttendanceViewLayout LayoutAttendanceView(float s) {
  AttendanceViewLayout l;
  l.scale = s;
  const float pad = PanelPx(18 * s, 12);
  const PanelFrame frame = LayoutCentredPanel(s, 480, 400, 560, 470, pad);
  l.panel = frame.panel, l.header = frame.header, l.closeButton = frame.closeButton;
  const float w = l.panel.w, h = l.panel.h, band = l.header.h;
  l.textLeft = l.panel.x + pad;
  l.textWidth = w - 2 * pad;
  l.lineHeight = PanelPx(24 * s, 20);
  float y = l.panel.y + band + pad;
  l.classLineY = y + l.lineHeight * 0.7f;
  y += l.lineHeight;
  l.promptY = y + l.lineHeight * 0.7f;
  y += l.lineHeight + 2;
  float entryH = PanelPx(36 * s, 30);
  l.entryBox = {l.textLeft, y, l.textWidth, entryH};
  y += entryH + 6;
  l.statusY = y + l.lineHeight * 0.7f;
  y += kAttendanceViewStatusLines * l.lineHeight + pad;
  l.monthTitleY = y + l.lineHeight * 0.7f;
  y += l.lineHeight + 4;
  // Beside the month the note had what the heading left of the line, too little for most
  // languages ("Noch keine Anwesenheiten e..."), so it takes a line of its own.
  l.noteBox = {l.textLeft, y, l.textWidth, l.lineHeight};
  y += l.lineHeight + 4;
  // Without the names a month's first row could not be read: it starts on its weekday's column.
  const float weekdayBand = PanelPx(20 * s, 16);
  l.weekdayY = y + weekdayBand - 4;
  y += weekdayBand + 2;
  l.cellGap = PanelPx(4 * s, 3);
  float bottom = l.panel.y + h - pad;
  l.cell = std::floor(std::min((l.textWidth - 6 * l.cellGap) / 7, (bottom - y - 5 * l.cellGap) / 6));
  l.cell = std::max(l.cell, 16.0f);
  float gw = 7 * l.cell + 6 * l.cellGap;
  l.grid = {l.textLeft + std::floor((l.textWidth - gw) / 2), y, gw, 6 * l.cell + 5 * l.cellGap};
  return l;
}

RectF AttendanceViewDayRect(const AttendanceViewLayout& l, int day) {
  int year, month;
  if (!ShownMonth(&year, &month) || day < 1 || day > DaysIn(year, month)) return kHiddenRect;
  int cell = WeekdayOfFirst(year, month) - 1 + day;
  return {l.grid.x + (cell % 7) * (l.cell + l.cellGap), l.grid.y + (cell / 7) * (l.cell + l.cellGap), l.cell, l.cell};
}

bool AttendanceViewOnClick(int x, int y) {
  if (!gAttendanceViewOpen) return false;
  AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
  if (PointInRect(l.closeButton, x, y) || !PointInRect(l.panel, x, y)) {
    gAttendanceViewOpen = false;
    gAttendanceViewEntryActive = false;
    return true;
  }
  if (PointInRect(l.entryBox, x, y)) ActivateEntry();
  return true;
}

void DrawAttendanceView() {
  if (!gAttendanceViewOpen) return;
  AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
  DrawClassroomPanel(l.panel, l.header, "Class and attendance", l.scale);
  DrawCloseCross(l.closeButton);
  const std::string status = AttendanceViewStatus(), joined = JoinedClassShownName();
  if (!joined.empty()) {
    DrawVerbatim(gFontSmall, l.textLeft, l.classLineY, Tr("Class:") + " " + joined, l.textWidth, kGold[0], kGold[1],
                 kGold[2], 1);
  } else if (!gPendingJoinCode.empty()) {
    DrawVerbatim(gFontSmall, l.textLeft, l.classLineY, Tr("Join code:") + " " + gPendingJoinCode, l.textWidth, kGold[0],
                 kGold[1], kGold[2], 1);
  }
  DrawLabel(gFontSmall, l.textLeft, l.promptY, AttendanceViewPrompt(), l.textWidth, kDim[0], kDim[1], kDim[2], 1);
  DrawEntryBox(l.entryBox, gAttendanceViewEntryText, gAttendanceViewEntryActive,
               gAttendanceViewEntryMode == kViewTeacherCode, "Click here to type");
  if (!status.empty())
    DrawVerbatimLines(gFontSmall, l.textLeft, l.statusY, status, l.textWidth, l.lineHeight, kAttendanceViewStatusLines,
                      0.95f, 0.9f, 0.75f, 1);
  else if (!ClassroomServerConfigured())
    DrawLabel(gFontSmall, l.textLeft, l.statusY, kNoServerText, l.textWidth, kDim[0], kDim[1], kDim[2], 1);

  std::set<std::string> days;
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    days.insert(gAttendanceDays.begin(), gAttendanceDays.end());
  }
  int year, month;
  if (!ShownMonth(&year, &month)) return;
  std::string title = FormatMonthHeading(year, month);
  DrawVerbatim(gFontMain, l.textLeft, l.monthTitleY, title, l.textWidth, kGold[0], kGold[1], kGold[2], 1);
  if (days.empty())
    DrawTextFitted(gFontSmall, l.noteBox.x, l.noteBox.x + l.noteBox.w, l.noteBox, "No attendance history yet",
                   kDim[0], kDim[1], kDim[2], 1);
  for (int c = 0; c < 7; ++c) {
    const float cx = l.grid.x + c * (l.cell + l.cellGap) + l.cell / 2;
    DrawTextShrunkCentred(gFontSmall, cx, l.weekdayY, l.cell + l.cellGap - 2.0f, 0.0f, kWeekdayNames[c], kDim[0],
                          kDim[1], kDim[2], 1.0f);
  }
  std::string today = TodayIsoDate();
  char date[40];
  for (int day = 1; day <= DaysIn(year, month); ++day) {
    RectF r = AttendanceViewDayRect(l, day);
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    bool marked = days.count(date) != 0;
    float mr = 0.12f, mg = 0.15f, mb = 0.21f;
    if (marked) MarkColour('P', &mr, &mg, &mb);
    SetGlColor(mr, mg, mb, 1.0f);
    FillRoundedRect(r.x, r.y, r.w, r.h, std::max(r.w * 0.16f, 3.0f), 8);
    if (today == date) {
      SetGlColor(kGold[0], kGold[1], kGold[2], 0.95f);
      StrokeRoundedRect(r.x, r.y, r.w, r.h, std::max(r.w * 0.16f, 3.0f), 8);
    }
    DrawVerbatim(gFontSmall, r.x + 4, r.y + FontPixelSize(gFontSmall), std::to_string(day), r.w, 0.95f, 0.96f, 0.98f, 1);
  }
}
