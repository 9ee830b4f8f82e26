// learning/long_dates: dates as the learning screens write them ("March 5, 2024" in English; a
// translation may order the month, day and year as its language does).
#pragma once
#include <string>

extern const char* const kMonthNames[12];   // "January" .. "December"

// The translated "{month} {day}, {year}" for a date ParseIsoDate accepts; other text unchanged.
std::string FormatLongDate(const std::string& iso);
// Replaces every occurrence of a non-empty token by value, going on after each inserted value.
void ReplaceAllTokens(std::string& text, const std::string& token, const std::string& value);
