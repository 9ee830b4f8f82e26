// learning_ui/learning_calendar: the sidebar's month calendar: geometry, day looks, drawing and
// clicks.
#include "learning_ui/learning_calendar.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "learning/attempt_rules.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning/long_dates.h"
#include "learning/schedule.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_views.h"
#include "platform/clock.h"

// ---- constants ----
static const char* const kWeekdayShortNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
static const int kCells = 42;

// ---- internal helpers ----
static UiFont MainFont() { return gFontMain ? gFontMain : gFontSmall; }

// Day number of the grid's first cell: the Sunday on or before the 1st of the shown month.
static bool FirstCellDay(int64_t* dayNumber) {
  if (gLearningCalendarYear <= 0 || gLearningCalendarMonth <= 0) return false;
  std::tm first{};
  first.tm_year = gLearningCalendarYear - 1900;
  first.tm_mon = gLearningCalendarMonth - 1;
  first.tm_mday = 1;
  first.tm_hour = 12;
  int64_t day;
  if (!IsoDateDayNumber(FormatIsoDate(&first), &day)) return false;
  *dayNumber = day - first.tm_wday;
  return true;
}

// The day of month, centred a little left of the cell's middle.
static void DrawDayNumber(const RectF& c, const CalendarCellLook& look, const std::string& date) {
  const std::string day = std::to_string(std::atoi(date.c_str() + date.rfind('-') + 1));
  const float w = MeasureText(gFontSmall, day, 6.4f);
  if (look.hasLesson)
    DrawTextUtf8(gFontSmall, c.x + (c.w - w) / 2.0f - 9.0f, c.y + c.h / 2.0f + 8.0f, day, 0.94f, 0.95f, 1.0f, 0.96f);
  else
    DrawTextUtf8(gFontSmall, c.x + (c.w - w) / 2.0f - 9.0f, c.y + c.h / 2.0f + 8.0f, day, 0.50f, 0.54f, 0.62f, 0.70f);
}

static void DrawArrow(const RectF& r, const char* glyph) {
  const bool hovered = PointInRect(r, gMouseX, gMouseY);
  SetGlColor(0.18f, 0.22f, 0.32f, hovered ? 0.92f : 0.6f);
  FillRoundedRect(r.x, r.y, r.w, r.h, 6.0f, 6);
  glLineWidth(1.0f);
  SetGlColor(0.55f, 0.66f, 0.86f, hovered ? 0.95f : 0.55f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, 6.0f, 6);
  const float w = MeasureText(MainFont(), glyph, 8.0f);
  DrawShown(MainFont(), r.x + (r.w - w) / 2.0f, r.y + r.h / 2.0f + 5.0f, glyph, 0.84f, 0.90f, 1.0f, 0.95f);
}

static void DrawCell(const RectF& c, const CalendarCellLook& look, int i, uint32_t ms) {
  // Phases in double: the 32-bit millisecond clock is far too large for a float's 24 bits.
  if (look.complete) {
    const float p = (float)(0.5 + 0.5 * std::sin((double)ms * 0.0022 + i * 0.31));
    const float top[4] = {0.64f, 0.48f, 0.10f, 0.90f}, bottom[4] = {0.30f + 0.08f * p, 0.20f, 0.045f, 0.94f};
    FillGradientRect(c.x, c.y, c.w, c.h, top, bottom);
  } else if (look.hasLesson && look.past) {
    if (look.ratio > 0.0f) {
      const float top[4] = {0.46f, 0.20f, 0.13f, 0.88f}, bottom[4] = {0.26f, 0.11f, 0.06f, 0.92f};
      FillGradientRect(c.x, c.y, c.w, c.h, top, bottom);
    } else {
      const float top[4] = {0.60f, 0.13f, 0.13f, 0.92f}, bottom[4] = {0.34f, 0.06f, 0.06f, 0.95f};
      FillGradientRect(c.x, c.y, c.w, c.h, top, bottom);
    }
  } else if (look.hasLesson) {
    SetGlColor(0.20f, 0.30f, 0.52f, 0.54f);
    FillRoundedRect(c.x, c.y, c.w, c.h, 4.0f, 4);
  } else {
    SetGlColor(1.0f, 1.0f, 1.0f, 0.025f);
    FillRoundedRect(c.x, c.y, c.w, c.h, 4.0f, 4);
  }
  if (look.hasLesson && !look.complete && look.ratio > 0.0f) {
    SetGlColor(0.96f, 0.80f, 0.34f, 0.42f);
    FillRoundedRect(c.x, c.y + c.h - 2.0f, std::max(std::min(c.w, 5.0f), look.ratio * c.w), 2.0f, 1.0f, 2);
  }
  glLineWidth(1.0f);
  if (look.current) {
    SetGlColor(0.52f, 0.72f, 1.0f, 0.92f);
    StrokeRoundedRect(c.x, c.y, c.w, c.h, 4.0f, 4);
  } else if (look.today) {
    SetGlColor(0.96f, 0.80f, 0.34f, 0.58f);
    StrokeRoundedRect(c.x, c.y, c.w, c.h, 4.0f, 4);
  }
  if (look.missed) {
    SetGlColor(1.0f, 1.0f, 1.0f, (float)(0.6 + 0.25 * std::sin((double)ms * 0.003 + i * 0.19)));
    StrokeRoundedRect(c.x - 0.5f, c.y - 0.5f, c.w + 1.0f, c.h + 1.0f, 5.0f, 4);
  }
}

// ---- public functions ----
RectF LearningCalendarArrowRect(const LearningLayout& l, int direction) {
  return {l.sideX + l.sideInnerW - (direction < 0 ? 68.0f : 39.0f), l.calendarY + 1.0f, 26.0f, 23.0f};
}

bool LearningCalendarCellRect(const LearningLayout& l, int cell, RectF* rect, std::string* isoDate) {
  if (cell < 0 || cell >= kCells) return false;
  int64_t firstCell;
  if (!FirstCellDay(&firstCell)) return false;
  const float columnW = l.sideInnerW / 7.0f;
  const int row = cell / 7, column = cell % 7;
  if (rect) *rect = {l.sideX - 8.0f + column * columnW, l.calendarY + 54.0f + row * 30.0f, columnW - 2.0f, 28.0f};
  if (isoDate) *isoDate = IsoDateFromDayNumber(firstCell + cell);
  return true;
}

void EnsureLearningCalendarMonth() {
  if (gLearningCalendarYear > 0 && gLearningCalendarMonth > 0) return;
  std::tm today;
  if (!ParseIsoDate(TodayIsoDate(), &today)) return;
  gLearningCalendarYear = today.tm_year + 1900;
  gLearningCalendarMonth = today.tm_mon + 1;
}

void ShiftLearningCalendarMonth(int months) {
  EnsureLearningCalendarMonth();
  // Whole months from year 0, so the year carries both ways; kept within four-digit years.
  int64_t index = (int64_t)gLearningCalendarYear * 12 + (gLearningCalendarMonth - 1) + months;
  index = std::clamp<int64_t>(index, 12, 9999 * 12 + 11);
  gLearningCalendarYear = (int)(index / 12);
  gLearningCalendarMonth = (int)(index % 12) + 1;
}

CalendarCellLook LearningCalendarCellLook(const std::string& date, const std::string& today,
                                          const std::string& lastPractice) {
  CalendarCellLook look;
  auto day = gLearningCalendar.find(date);
  look.hasLesson = day != gLearningCalendar.end() && !day->second.assigned.empty();
  look.complete = look.hasLesson && AreItemsDone(day->second);
  look.current = date == gCurrentLearningDay;
  look.today = date == today;
  look.past = date < today;
  look.missed = look.past && ((look.hasLesson && !look.complete) || (!lastPractice.empty() && lastPractice < date));
  if (look.hasLesson)
    look.ratio = (float)CountDoneItems(day->second) / (float)std::max(1, CountAssignedItems(day->second));
  return look;
}

bool HandleLearningCalendarClick(const LearningLayout& l, int x, int y) {
  if (PointInRect(LearningCalendarArrowRect(l, -1), x, y)) {
    ShiftLearningCalendarMonth(-1);
    return true;
  }
  if (PointInRect(LearningCalendarArrowRect(l, 1), x, y)) {
    ShiftLearningCalendarMonth(1);
    return true;
  }
  for (int cell = 0; cell < kCells; ++cell) {
    RectF r;
    std::string date;
    if (!LearningCalendarCellRect(l, cell, &r, &date) || !PointInRect(r, x, y)) continue;
    auto day = gLearningCalendar.find(date);
    if (day != gLearningCalendar.end() && !day->second.assigned.empty()) {
      RefreshDayIfOpen(date);
      OpenCalendarDay(date);
    } else if (date == TodayIsoDate()) {
      return true;
    } else {
      SelectCalendarDay(date);
    }
    gLibraryViewKey = "today";
    gLibraryScroll = 0.0f;
    SortLibraryItems();
    return true;
  }
  return false;
}

void DrawLearningCalendar(const LearningLayout& l) {
  EnsureLearningCalendarMonth();
  const float sx = l.sideX, cy = l.calendarY;
  const int month = std::clamp(gLearningCalendarMonth, 1, 12);
  // The month's name keeps clear of the arrows: some languages' month and year run long.
  const float titleW = LearningCalendarArrowRect(l, -1).x - 10.0f - sx;
  DrawShown(MainFont(), sx, cy + 19.0f, FormatMonthHeading(gLearningCalendarYear, month), 0.88f, 0.91f, 1.0f, 0.96f,
            titleW);
  DrawArrow(LearningCalendarArrowRect(l, -1), "<");
  DrawArrow(LearningCalendarArrowRect(l, 1), ">");
  const float columnW = l.sideInnerW / 7.0f;
  // A language whose heads run wider than their column has them shrunk, never run together.
  for (int i = 0; i < 7; ++i)
    DrawTextShrunkCentred(gFontSmall, sx - 8.0f + i * columnW + (columnW - 2.0f) / 2.0f, cy + 48.0f, columnW - 6.0f,
                          0.6f, kWeekdayShortNames[i], 0.48f, 0.56f, 0.68f, 0.82f);
  const std::string today = TodayIsoDate(), lastPractice = LastPracticeDate();
  const uint32_t ms = ClockMs32();
  RectF cells[kCells];
  std::string dates[kCells];
  CalendarCellLook looks[kCells];
  int shown = 0;
  for (int i = 0; i < kCells && LearningCalendarCellRect(l, i, &cells[i], &dates[i]); ++i, ++shown) {
    looks[i] = LearningCalendarCellLook(dates[i], today, lastPractice);
    DrawCell(cells[i], looks[i], i, ms);
  }
  // The numbers last, in one run of text: a software rasteriser pays for every switch of state.
  ScopedTrSuppress suppress;
  BeginTextRun();
  for (int i = 0; i < shown; ++i) DrawDayNumber(cells[i], looks[i], dates[i]);
  EndTextRun();
}
