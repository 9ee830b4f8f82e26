// learning_ui/learning_calendar: the month calendar in the learning screen's sidebar: the title,
// the two month arrows, the weekday heads and six weeks of day cells that show assigned,
// completed, partly done and missed days, today and the current learning day. A click opens a day
// the calendar holds, previews one it does not, or pages the month.
//
// Cell dates come from day numbers (learning/iso_dates), so a grid around a change of daylight
// saving time, or in any zone, shows the same dates the calendar file keys its days by.
// The month shown is gLearningCalendarYear / gLearningCalendarMonth (1..12; 0 until first shown);
// opening a calendar day moves it there too.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_views.h"

// What a day cell shows.
struct CalendarCellLook {
  bool hasLesson = false;   // the calendar holds the day with assigned blocks
  bool complete = false;    // ... and all of them are done
  bool current = false;     // the learning day the lesson view shows
  bool today = false;
  bool past = false;
  bool missed = false;      // past, and left unfinished or after the last practice
  float ratio = 0.0f;       // done share of the assigned blocks
};

// The previous (direction < 0) or next month's arrow.
RectF LearningCalendarArrowRect(const LearningLayout& l, int direction);
// LearningCalendarCellRect (learning_views.h): cell 0..41, row by row with Sunday first, and its
// "YYYY-MM-DD" date; false for a cell outside the grid or while no month is set, leaving the
// outputs as they were. ShiftLearningCalendarMonth pages by whole months, carrying the year.
// A day's look against today and the last practice date ("" for none).
CalendarCellLook LearningCalendarCellLook(const std::string& date, const std::string& today,
                                          const std::string& lastPractice);
// The shown month becomes today's when none is set.
void EnsureLearningCalendarMonth();
// The arrows and the days; true when the click was on one of them.
bool HandleLearningCalendarClick(const LearningLayout& l, int x, int y);
