// classroom/attendance_records: attendance marks per student and day, their file, and the shown
// calendar month.
#include "classroom/attendance_records.h"

#include <algorithm>
#include <cstdio>

#include "classroom/classroom_files.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"

// ---- state ----
std::map<std::string, std::map<std::string, AttendanceStatus>> gAttendanceByStudent;  // key -> date -> mark
std::vector<std::string> gAttendanceLoadedKeys;  // files read this run
int gCalendarYear = 0;                           // shown month, 0 = not yet chosen
int gCalendarMonth = 1;
std::string gCalendarSelectedDate;               // selected day

// ---- internal helpers ----
static bool IsMark(char c) { return c == 'P' || c == 'L' || c == 'A' || c == 'E'; }

// The date form the file keeps: ten characters with '-' at 4 and 7, and no TAB (an older
// "PRESENT" line could carry one, and its "STATUS" line would not read back).
static bool HasDateShape(const std::string& date) {
  return date.size() == 10 && date[4] == '-' && date[7] == '-' && date.find('\t') == std::string::npos;
}

static void ReadAttendanceLine(const std::string& line, std::map<std::string, AttendanceStatus>* marks) {
  size_t tab = line.find('\t');
  if (tab == std::string::npos) return;
  std::string keyword = line.substr(0, tab), rest = line.substr(tab + 1);
  std::string date;
  char mark = 0;
  if (keyword == "STATUS") {
    size_t second = rest.find('\t');
    if (second == std::string::npos) return;
    date = rest.substr(0, second);
    if (second + 1 < rest.size()) mark = rest[second + 1];
  } else if (keyword == "PRESENT") {
    date = rest;
    mark = 'P';
  } else {
    return;
  }
  if (HasDateShape(date) && IsMark(mark)) (*marks)[date] = mark;
}

static std::string PathOfKey(const std::string& key) { return ClassroomFilePath("attendance_" + key + ".dat"); }

// The file's text for the marks kept under key.
static std::string AttendanceText(const std::string& key) {
  std::string text;
  auto it = gAttendanceByStudent.find(key);
  if (it != gAttendanceByStudent.end())
    for (const auto& [date, mark] : it->second) text += "STATUS\t" + date + "\t" + std::string(1, mark) + "\n";
  return text;
}

static void LoadKey(const std::string& key) {
  if (std::find(gAttendanceLoadedKeys.begin(), gAttendanceLoadedKeys.end(), key) != gAttendanceLoadedKeys.end())
    return;
  gAttendanceLoadedKeys.push_back(key);
  std::vector<std::string> lines;
  std::string raw;
  if (!ReadClassroomFile(PathOfKey(key), &lines, &raw)) return;
  std::map<std::string, AttendanceStatus>& marks = gAttendanceByStudent[key];
  for (const std::string& line : lines) ReadAttendanceLine(line, &marks);
  KeepClassroomCopyIfRewritten(PathOfKey(key), raw, AttendanceText(key));
}

static void SaveKey(const std::string& key) { WriteClassroomFile(PathOfKey(key), AttendanceText(key)); }

// ---- public functions ----
void LoadAttendance(const std::string& studentId) { LoadKey(StudentFileKeyOf(studentId)); }

void SaveAttendance(const std::string& studentId) { SaveKey(StudentFileKeyOf(studentId)); }

void ToggleAttendance(const std::string& studentId, const std::string& date) {
  // Only a date the file can keep is marked, and never one still to come.
  if (!HasDateShape(date) || date > TodayIsoDate()) return;
  std::string key = StudentFileKeyOf(studentId);
  LoadKey(key);
  std::map<std::string, AttendanceStatus>& marks = gAttendanceByStudent[key];
  auto it = marks.find(date);
  if (it == marks.end()) marks[date] = 'P';
  else if (it->second == 'P') it->second = 'L';
  else if (it->second == 'L') it->second = 'A';
  else if (it->second == 'A') it->second = 'E';
  else marks.erase(it);
  SaveKey(key);
}

std::string CalendarDayDate(int day) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", gCalendarYear, gCalendarMonth, day);
  return buf;
}

void EnsureCalendarMonth() {
  std::string today = TodayIsoDate();
  if (gCalendarYear == 0) {
    std::tm t{};
    if (ParseIsoDate(today, &t)) {
      gCalendarYear = t.tm_year + 1900;
      gCalendarMonth = t.tm_mon + 1;
    } else {
      gCalendarYear = 2026;
      gCalendarMonth = 1;
    }
  }
  if (gCalendarSelectedDate.empty()) gCalendarSelectedDate = today;
}

void ShiftCalendarMonth(int delta) {
  EnsureCalendarMonth();
  long long months = (long long)gCalendarYear * 12 + (gCalendarMonth - 1) + delta;
  long long year = months >= 0 ? months / 12 : -((-months + 11) / 12);
  gCalendarYear = (int)year;
  gCalendarMonth = (int)(months - year * 12) + 1;
}

void ResetAttendanceRecords() {
  gAttendanceByStudent.clear();
  gAttendanceLoadedKeys.clear();
  gCalendarYear = 0;
  gCalendarMonth = 1;
  gCalendarSelectedDate.clear();
}
