// classroom/class_report: the class report, one CSV row per student of this device with the
// student's class, a status word, the 14-day consistency, the lessons done and the days since the
// last practised day, written as "institution_report_<date>.csv" in the Data folder's "exports".
//
// The figures are read from the files the learning model writes for each student (the mastery and
// calendar files under the student's file key). Dates come from today's local date shifted by whole
// days, so a daylight-saving change never moves a day.
#pragma once
#include <map>
#include <string>

// The figures of one student.
struct ReportFigures {
  int lessonsDone = 0;         // mastery rows with enough passes
  int lastPracticedDays = -1;  // days since the latest day with completed work, 0 today; -1 none in 90 days
  int assignedDays = 0;        // days of the 14-day window with assigned work, 0..14
  int completedDays = 0;       // of those, days with completed work
  int status = 0;              // 0 on track, 1 at risk, 2 inactive
};

extern std::map<std::string, ReportFigures> gReportFiguresCache;  // student file key -> figures

// The local date days days before today, "YYYY-MM-DD".
std::string DateDaysAgo(int days);
// A text safe as one CSV cell: line breaks and commas become blanks, '"' becomes "'", and a text
// a spreadsheet would run as a formula gets a leading "'".
std::string CsvCleanField(std::string text);
// Lessons done by the student, from the student's mastery file (0 without one).
int LoadLearningProgressForReport(const std::string& studentId);
// The student's figures, computed once and then taken from gReportFiguresCache.
ReportFigures LoadLearningCalendarForReport(const std::string& studentId);
// The whole CSV text. Every row carries the device's plan and the institution's name from the
// classroom settings; no other part of the institution code is ever written.
std::string BuildInstitutionReport();
// Writes today's report into the exports folder and says so in gInstitutionPanelMessage.
void ExportInstitutionReport();
// Empties the figures cache.
void ResetClassReport();
