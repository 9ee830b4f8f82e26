// classroom/class_report: the figures of each student and the class report file.
#include "classroom/class_report.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "classroom/attendance_classes.h"
#include "classroom/classroom_files.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_settings.h"
#include "gfx/translate.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "practice/data_files.h"
#include "practice/students.h"

// ---- constants ----
static const int kWindowDays = 14;        // the consistency window: today and the 13 days before
static const int kPractisedLookback = 90; // days searched for the last practised day
static const char kReportHeader[] =
    "student,class,status,consistency_14d,lessons_done,last_practiced_days,plan,entitlement,minutes_7d,"
    "passed_14d,accuracy_14d,streak\n";
static const char* const kStatusWords[] = {"on-track", "at-risk", "inactive"};

// ---- state ----
std::map<std::string, ReportFigures> gReportFiguresCache;  // figures per student file key

// The dates of the last 90 days, made once per day: dates[k] is k days ago.
struct RecentDays {
  std::string today;
  std::vector<std::string> dates;
  std::map<std::string, int> daysAgo;
};
static RecentDays gRecentDays;

// ---- internal helpers ----
static const RecentDays& CurrentRecentDays() {
  std::string today = TodayIsoDate();
  if (gRecentDays.today != today || gRecentDays.dates.empty()) {
    gRecentDays = RecentDays{today, {}, {}};
    for (int k = 0; k < kPractisedLookback; ++k) {
      gRecentDays.dates.push_back(AddDaysIsoDate(today, -k));
      gRecentDays.daysAgo.emplace(gRecentDays.dates.back(), k);
    }
  }
  return gRecentDays;
}

// The file's lines without trailing carriage returns; none for a missing or unreadable file.
static std::vector<std::string> ReadLearningFileLines(const std::string& prefix, const std::string& studentId) {
  std::vector<std::string> lines;
  if (ReadDataFileLines(ClassroomFilePath(prefix + StudentFileKeyOf(studentId) + ".dat"), &lines) != DataFileRead::kOk)
    return {};
  for (std::string& line : lines)
    while (!line.empty() && line.back() == '\r') line.pop_back();
  return lines;
}

static bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The leading integer of a field, limited to int; 0 for a field that does not start with one.
static int LeadingInt(const std::string& field) {
  long long v = std::strtoll(field.c_str(), nullptr, 10);
  return (int)std::clamp<long long>(v, INT_MIN, INT_MAX);
}

static std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

static ReportFigures ComputeFigures(const std::string& studentId) {
  ReportFigures f;
  f.lessonsDone = LoadLearningProgressForReport(studentId);
  const RecentDays& days = CurrentRecentDays();

  // The day being read: its date, its place in the window (-1 outside) and what it holds.
  bool open = false, assigned = false, completed = false;
  std::string date;
  int windowIndex = -1;
  auto closeDay = [&] {
    if (!open || windowIndex < 0 || !assigned) return;
    ++f.assignedDays;
    if (completed) ++f.completedDays;
  };
  for (const std::string& line : ReadLearningFileLines("learning_calendar_", studentId)) {
    if (StartsWith(line, "DATE\t")) {
      closeDay();
      open = true, assigned = completed = false;
      date = line.substr(5);
      auto found = days.daysAgo.find(date);
      windowIndex = found != days.daysAgo.end() && found->second < kWindowDays ? kWindowDays - 1 - found->second : -1;
    } else if (StartsWith(line, "ASSIGNED\t")) {
      if (open && windowIndex >= 0) assigned = true;
    } else if (StartsWith(line, "COMPLETE\t") && open) {
      if (windowIndex >= 0) completed = true;
      std::string best = f.lastPracticedDays < 0 ? "0000" : days.dates[f.lastPracticedDays];
      if (!date.empty() && date <= days.today && date > best) {
        auto found = days.daysAgo.find(date);
        if (found != days.daysAgo.end()) f.lastPracticedDays = found->second;
      }
    }
  }
  closeDay();

  double ratio = f.assignedDays > 0 ? (double)f.completedDays / f.assignedDays : -1.0;
  if (f.lastPracticedDays > kWindowDays - 1) f.status = 2;
  else if (ratio >= 0 && ratio < 0.5) f.status = 1;
  else if (f.lastPracticedDays >= 7) f.status = 1;
  else f.status = 0;
  return f;
}

// The first class in list order that has the student.
static std::string ClassNameOf(const std::string& studentId) {
  for (const AttendanceClass& cls : gAttendanceClasses)
    for (const std::string& member : cls.members)
      if (member == studentId) return cls.name;
  return "";
}

// What a report may show of the institution code: only the institution's name, its second field.
// The rest of a code is a credential (a pupil code joins a class, a teacher code with its role
// given back administers it), and a report is made to be handed on.
static std::string EntitlementText() {
  const std::string code = gInstitutionCode.value_or("");
  if (code.rfind("ORG:", 0) != 0) return "";
  size_t end = code.find(':', 4);
  return code.substr(4, end == std::string::npos ? std::string::npos : end - 4);
}

// ---- public functions ----
std::string DateDaysAgo(int days) { return AddDaysIsoDate(TodayIsoDate(), -days); }

std::string CsvCleanField(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == ',') c = ' ';
    else if (c == '"') c = '\'';
  }
  if (!text.empty() && std::string_view("=+-@\t").find(text[0]) != std::string_view::npos) text.insert(text.begin(), '\'');
  return text;
}

int LoadLearningProgressForReport(const std::string& studentId) {
  int done = 0;
  for (const std::string& line : ReadLearningFileLines("learning_mastery_", studentId)) {
    if (line.empty() || line[0] == '#' || StartsWith(line, "id\t")) continue;
    std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < 3) continue;
    int passes = LeadingInt(fields[2]);
    int placed = fields.size() >= 30 && LeadingInt(fields[29]) != 0 ? 1 : 0;
    if (passes >= 1 + placed) ++done;
  }
  return done;
}

ReportFigures LoadLearningCalendarForReport(const std::string& studentId) {
  std::string key = StudentFileKeyOf(studentId);
  auto cached = gReportFiguresCache.find(key);
  if (cached != gReportFiguresCache.end()) return cached->second;
  ReportFigures f = ComputeFigures(studentId);
  gReportFiguresCache[key] = f;
  return f;
}

std::string BuildInstitutionReport() {
  std::string text = kReportHeader;
  LoadAttendanceClasses();
  std::string plan = CsvCleanField(gInstitutionPlan);
  std::string entitlement = CsvCleanField(EntitlementText());
  for (const Student& s : gStudents) {
    ReportFigures f = LoadLearningCalendarForReport(s.id);
    std::string consistency, lastPracticed;
    if (f.assignedDays > 0)
      consistency = std::to_string((f.completedDays * 200 + f.assignedDays) / (2 * f.assignedDays)) + "%";
    if (f.lastPracticedDays >= 0) lastPracticed = std::to_string(f.lastPracticedDays);
    text += CsvCleanField(s.name) + "," + CsvCleanField(ClassNameOf(s.id)) + "," + kStatusWords[f.status] + "," +
            consistency + "," + std::to_string(f.lessonsDone) + "," + lastPracticed + "," + plan + "," +
            entitlement + ",,,,\n";
  }
  return text;
}

void ExportInstitutionReport() {
  std::string folder = ClassroomFilePath("exports");
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  std::string name = "institution_report_" + TodayIsoDate() + ".csv";
  if (!folder.empty() && SaveFileAtomic(folder + "/" + name, BuildInstitutionReport()))
    gInstitutionPanelMessage = TrF("Saved %s to your Tonvarra exports folder", name.c_str());
  else
    gInstitutionPanelMessage = Tr("Export FAILED (disk full?)");
}

void ResetClassReport() {
  gReportFiguresCache.clear();
  gRecentDays = RecentDays{};
}
