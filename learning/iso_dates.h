// learning/iso_dates: the calendar dates of the learning model, "YYYY-MM-DD" texts in local time.
//
// Dates compare as text. Arithmetic is done on day numbers (days since 1970-01-01 in the proleptic
// Gregorian calendar) rather than through mktime, so results follow mktime's normalisation of the
// fields (2024-02-30 is 2024-03-01, month 13 is January of the next year) but never depend on the
// time zone, a skipped midnight or a day that a zone left out, and are safe on any thread.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>

// Today's local date (ClockLocalNow, so tests drive it).
std::string TodayIsoDate();
// False unless the text is 10 characters with '-' at positions 4 and 7. Otherwise the year, month
// and day are read with atoi from their places, normalised, and out (when not null) is filled at
// 12:00:00 with daylight saving off (tm_wday and tm_yday set too).
bool ParseIsoDate(const std::string& text, std::tm* out);
// "%04d-%02d-%02d" of t after normalising its year, month and day fields (the time fields are
// ignored); t is updated to the normalised date.
std::string FormatIsoDate(std::tm* t);
// date moved by days (may be negative); an unparsable date comes back unchanged.
std::string AddDaysIsoDate(const std::string& date, int days);
// Whole days from one date to another (negative when to comes first); 0 when either does not parse.
int DaysBetweenIsoDates(const std::string& from, const std::string& to);
// Day number of a parsable date; false otherwise.
bool IsoDateDayNumber(const std::string& date, int64_t* dayNumber);
// "YYYY-MM-DD" of a day number.
std::string IsoDateFromDayNumber(int64_t dayNumber);
// Exactly ten characters, four digits, '-', two digits, '-', two digits, and a real calendar day.
bool IsWellFormedIsoDate(const std::string& date);
