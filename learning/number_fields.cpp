// learning/number_fields: saturating atoi and finite atof over a field's text.
#include "learning/number_fields.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

// ---- internal helpers ----
// Index of the first byte after leading white space and one '+' (a '-' stays for the parser).
static size_t NumberStart(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && std::isspace((unsigned char)s[i])) ++i;
  if (i < s.size() && s[i] == '+' && i + 1 < s.size() && s[i + 1] != '-') ++i;
  return i;
}

// ---- public functions ----
int32_t AtoiField(const std::string& field) {
  size_t i = NumberStart(field);
  bool negative = i < field.size() && field[i] == '-';
  size_t digits = negative ? i + 1 : i;
  int64_t value = 0;
  bool any = false;
  for (; digits < field.size() && field[digits] >= '0' && field[digits] <= '9'; ++digits) {
    any = true;
    if (value < (int64_t)1 << 40) value = value * 10 + (field[digits] - '0');
  }
  if (!any) return 0;
  if (negative) value = -value;
  value = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  return (int32_t)value;
}

double AtofField(const std::string& field) {
  size_t i = NumberStart(field);
  double value = 0.0;
  auto result = std::from_chars(field.data() + i, field.data() + field.size(), value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large reads as the largest finite value of its sign; too small as 0.
    bool negative = i < field.size() && field[i] == '-';
    size_t e = field.find_first_of("eE", i);
    bool tiny = e != std::string::npos && e + 1 < field.size() && field[e + 1] == '-';
    if (tiny) return 0.0;
    return negative ? std::numeric_limits<double>::lowest() : std::numeric_limits<double>::max();
  }
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return value;
}

float AtofClamped(const std::string& field, float lo, float hi) {
  return (float)std::clamp(AtofField(field), (double)lo, (double)hi);
}

bool IsWholeNumberField(const std::string& field) {
  size_t i = NumberStart(field);
  double value = 0.0;
  auto result = std::from_chars(field.data() + i, field.data() + field.size(), value, std::chars_format::general);
  return result.ec != std::errc::invalid_argument && result.ptr == field.data() + field.size();
}
