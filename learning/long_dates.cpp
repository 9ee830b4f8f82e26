// learning/long_dates: the long date format of the learning screens.
#include "learning/long_dates.h"

#include <ctime>

#include "gfx/translate.h"
#include "learning/iso_dates.h"

// ---- constants ----
const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

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
  std::string text = Tr("{month} {day}, {year}");
  ReplaceAllTokens(text, "{month}", Tr(kMonthNames[t.tm_mon]));
  ReplaceAllTokens(text, "{day}", std::to_string(t.tm_mday));
  ReplaceAllTokens(text, "{year}", std::to_string(t.tm_year + 1900));
  return text;
}
