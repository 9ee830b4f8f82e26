// classroom/attendance_records: the teacher's register: one attendance mark per student and day,
// kept per student in "attendance_<key>.dat" ("STATUS" lines), and the calendar month the
// attendance panel shows. These marks stay on this device; they are not the server's days.
//
// Students are addressed by their id; the register and its file use the id's file key (the key the
// learning files use), so every id, blank or unsafe ones too, has exactly one file in the Data
// folder.
#pragma once
#include <map>
#include <string>
#include <vector>

// 'P' present, 'L' late, 'A' absent, 'E' excused; no other character is ever stored.
using AttendanceStatus = char;

extern std::map<std::string, std::map<std::string, AttendanceStatus>> gAttendanceByStudent;  // key -> date -> mark
extern std::vector<std::string> gAttendanceLoadedKeys;  // keys whose file has been read this run
extern int gCalendarYear;                  // the shown month's year, 0 until first needed
extern int gCalendarMonth;                 // 1..12
extern std::string gCalendarSelectedDate;  // the selected day ("" until first needed)

// Reads the student's file once per run.
void LoadAttendance(const std::string& studentId);
// Writes the student's marks whole (an empty file when there are none).
void SaveAttendance(const std::string& studentId);
// Moves the day's mark along none -> P -> L -> A -> E -> none and saves; nothing for a day after
// today or a text that is not a date.
void ToggleAttendance(const std::string& studentId, const std::string& date);
// "YYYY-MM-DD" of the shown month's day.
std::string CalendarDayDate(int day);
// Shows today's month and selects today when nothing is shown or selected yet.
void EnsureCalendarMonth();
// Moves the shown month by delta months, across years in both directions.
void ShiftCalendarMonth(int delta);
// Forgets every mark, the loaded keys and the shown month.
void ResetAttendanceRecords();
