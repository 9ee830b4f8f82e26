// learning/long_dates: the long date and the month heading of the screens.
#include "learning/long_dates.h"

#include <ctime>

#include "gfx/translate.h"
#include "learning/iso_dates.h"

// ---- constants ----
const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kLongDateTemplates[12] = {
    "January {day}, {year}", "February {day}, {year}", "March {day}, {year}",     "April {day}, {year}",
    "May {day}, {year}",     "June {day}, {year}",     "July {day}, {year}",      "August {day}, {year}",
    "September {day}, {year}", "October {day}, {year}", "November {day}, {year}", "December {day}, {year}"};

// ---- public functions ----
void ReplaceAllTokens(std::string& text, const std::string& token, const std::string& value) {
  if (token.empty()) return;
  // Searching on after the value, not from the start: a value holding the token (a translated
  // month name, say) would otherwise be replaced again for ever.
  for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size())) {
    text.replace(at, token.size(), value);
  }
}

std::string FormatLongDate(const std::string& iso) {
  std::tm t;
  if (!ParseIsoDate(iso, &t) || t.tm_mon < 0 || t.tm_mon >= 12) return iso;
  std::string text = Tr(kLongDateTemplates[t.tm_mon]);
  ReplaceAllTokens(text, "{day}", std::to_string(t.tm_mday));
  ReplaceAllTokens(text, "{year}", std::to_string(t.tm_year + 1900));
  return text;
}

std::string FormatMonthHeading(int year, int month) {
  if (month < 1 || month > 12) return "";
  std::string text = Tr("{month} {year}");
  ReplaceAllTokens(text, "{year}", std::to_string(year));
  ReplaceAllTokens(text, "{month}", Tr(kMonthNames[month - 1]));
  return text;
}
