// learning/long_dates: dates as the screens write them: the long date ("March 5, 2024" in English)
// and a calendar's month heading ("March 2024"). Both are translated templates with named places
// rather than printf conversions, so a language may put the year first ("2024年3月") and write the
// month in the form its grammar wants there: each month has a long-date template of its own
// ("March {day}, {year}"), since inside a date many languages write the month otherwise than as a
// heading (Russian "5 марта", Spanish "5 de marzo", lower case), and the heading uses the month's
// name as such ("{month} {year}").
#pragma once
#include <string>

extern const char* const kMonthNames[12];          // "January" .. "December", as a heading names them
extern const char* const kLongDateTemplates[12];   // "January {day}, {year}" ..

// The translated long date for a date ParseIsoDate accepts; other text unchanged.
std::string FormatLongDate(const std::string& iso);
// The translated heading of a month (1..12) of a year; "" for another month.
std::string FormatMonthHeading(int year, int month);
// Replaces every occurrence of a non-empty token by value, going on after each inserted value.
void ReplaceAllTokens(std::string& text, const std::string& token, const std::string& value);
