// learning/iso_dates: dates as texts and day numbers.
#include "learning/iso_dates.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"

// ---- internal helpers ----
static int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a proleptic Gregorian date with month 1..12 (day may be any value).
static int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = FloorDiv(y, 400);
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

static void CivilFromDays(int64_t z, int64_t* y, int* m, int* d) {
  z += 719468;
  int64_t era = FloorDiv(z, 146097);
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  *d = (int)(doy - (153 * mp + 2) / 5 + 1);
  *m = (int)(mp < 10 ? mp + 3 : mp - 9);
  *y = yoe + era * 400 + (*m <= 2);
}

// Day number of year, month and day as mktime normalises them: months beyond 1..12 carry into the
// year first, then the day counts from the first of that month.
static int64_t NormalisedDayNumber(int64_t year, int64_t month, int64_t day) {
  int64_t m0 = month - 1;
  int64_t y = year + FloorDiv(m0, 12);
  int64_t m = m0 - FloorDiv(m0, 12) * 12 + 1;
  return DaysFromCivil(y, m, 1) + (day - 1);
}

static void FillTm(int64_t dayNumber, std::tm* out) {
  int64_t y;
  int m, d;
  CivilFromDays(dayNumber, &y, &m, &d);
  *out = std::tm{};
  out->tm_year = (int)(y - 1900);
  out->tm_mon = m - 1;
  out->tm_mday = d;
  out->tm_hour = 12;
  out->tm_isdst = 0;
  out->tm_wday = (int)((dayNumber % 7 + 7 + 4) % 7);   // 1970-01-01 was a Thursday
  out->tm_yday = (int)(dayNumber - DaysFromCivil(y, 1, 1));
}

static std::string FormatYmd(int64_t y, int m, int d) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d", (long long)y, m, d);
  return buffer;
}

// ---- public functions ----
std::string TodayIsoDate() {
  LocalDateTime now = ClockLocalNow();
  return FormatYmd(now.year, now.month, now.day);
}

bool IsoDateDayNumber(const std::string& text, int64_t* dayNumber) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  int year = std::atoi(text.substr(0, 4).c_str());
  int month = std::atoi(text.substr(5, 2).c_str());
  int day = std::atoi(text.substr(8, 2).c_str());
  *dayNumber = NormalisedDayNumber(year, month, day);
  return true;
}

bool ParseIsoDate(const std::string& text, std::tm* out) {
  int64_t days;
  if (!IsoDateDayNumber(text, &days)) return false;
  if (out) FillTm(days, out);
  return true;
}

std::string FormatIsoDate(std::tm* t) {
  int64_t days = NormalisedDayNumber((int64_t)t->tm_year + 1900, (int64_t)t->tm_mon + 1, t->tm_mday);
  FillTm(days, t);
  return IsoDateFromDayNumber(days);
}

std::string AddDaysIsoDate(const std::string& date, int days) {
  int64_t n;
  if (!IsoDateDayNumber(date, &n)) return date;
  return IsoDateFromDayNumber(n + days);
}

int DaysBetweenIsoDates(const std::string& from, const std::string& to) {
  int64_t a, b;
  if (!IsoDateDayNumber(from, &a) || !IsoDateDayNumber(to, &b)) return 0;
  int64_t days = b - a;
  return (int)std::clamp<int64_t>(days, INT32_MIN, INT32_MAX);
}

std::string IsoDateFromDayNumber(int64_t dayNumber) {
  int64_t y;
  int m, d;
  CivilFromDays(dayNumber, &y, &m, &d);
  return FormatYmd(y, m, d);
}

bool IsWellFormedIsoDate(const std::string& date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (date[i] < '0' || date[i] > '9') return false;
  // Checked by the calendar, not by a round trip through text: long day files call this per line.
  static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  auto digits = [&](int at, int count) {
    int v = 0;
    for (int i = at; i < at + count; ++i) v = v * 10 + (date[i] - '0');
    return v;
  };
  int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
  if (month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0);
}
