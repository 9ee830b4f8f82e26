// classroom/attendance_view: the class view on screen: a pupil joins a class (join code, then name)
// or a teacher's device takes its teacher code, and the days the server has on record for this
// device are shown as a month. Layout, clicks and drawing; the entry's characters and Escape are
// code_entries'. UI thread only.
#pragma once
#include "gfx/rect.h"

// Lines kept under the entry for what the last code or join gave (a server's error may be long).
constexpr int kAttendanceViewStatusLines = 2;

struct AttendanceViewLayout {
  float scale = 1;
  RectF panel = kHiddenRect, header = kHiddenRect, closeButton = kHiddenRect;
  float textLeft = 0, textWidth = 0, lineHeight = 0;
  float classLineY = 0, promptY = 0;
  RectF entryBox = kHiddenRect;
  float statusY = 0, monthTitleY = 0;
  RectF noteBox = kHiddenRect;   // the empty-history note's own line, under the month
  float weekdayY = 0;             // the baseline of the weekday names over the grid
  RectF grid = kHiddenRect;
  float cell = 0, cellGap = 0;
};

AttendanceViewLayout LayoutAttendanceView(float uiScale);
// The cell of a day of the month shown (this month), kHiddenRect for a day it does not have.
RectF AttendanceViewDayRect(const AttendanceViewLayout& layout, int day);
// A press: false while closed; otherwise the view takes it (a press outside closes it).
bool AttendanceViewOnClick(int x, int y);
void DrawAttendanceView();
// The line above the entry: what it asks for (English, drawn translated).
const char* AttendanceViewPrompt();
