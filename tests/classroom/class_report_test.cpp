// The class report: each student's figures from the learning files, the CSV text with its cleaned
// cells, and the exported file. "Today" is the first day after the spring daylight-saving change
// in Berlin, half an hour after midnight, where subtracting days of 86400 seconds lands a day off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "classroom/classroom_settings.h"
#include "learning/learning_files.h"
#include "tests/classroom/class_stores_fixture.h"

namespace {

const int64_t kAfterSpringChange = 1743373800;   // 2025-03-30 22:30 UTC = 2025-03-31 00:30 CEST

// One calendar day by how many days ago it is, and what it holds.
struct Day {
  int daysAgo;
  bool assigned, completed;
};

class ClassReport : public ClassStoresTest {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) savedTz_ = tz, hadTz_ = true;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    time_t wall = kAfterSpringChange;
    std::tm local{};
    localtime_r(&wall, &local);
    SetToday(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, wall);
  }
  void TearDown() override {
    if (hadTz_) setenv("TZ", savedTz_.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  void WriteCalendar(const std::string& id, const std::vector<Day>& days) {
    std::string text = "PLAN\tp\n";
    for (const Day& d : days) {
      text += "DATE\t" + DateDaysAgo(d.daysAgo) + "\nLESSON\t1\n";
      if (d.assigned) text += "ASSIGNED\titem\n";
      if (d.completed) text += "COMPLETE\titem\n";
      text += "END\n";
    }
    WriteData("learning_calendar_" + id + ".dat", text);
  }

  std::string savedTz_;
  bool hadTz_ = false;
};

}  // namespace

TEST_F(ClassReport, FiguresAndStatusOfEachStudent) {
  const struct { const char* what; std::vector<Day> days; const char* figures; } cases[] = {
      {"no calendar: on track, no figures", {}, "on-track,,0,"},
      {"every assigned day done, read in any order", {{2, true, true}, {0, true, true}, {1, true, true}}, "on-track,100%,0,0"},
      {"3 of 4 days", {{0, true, true}, {1, true, true}, {2, true, true}, {3, true, false}}, "on-track,75%,0,0"},
      {"1 of 3 days", {{1, true, true}, {2, true, false}, {3, true, false}}, "at-risk,33%,0,1"},
      {"last practised 7 days ago, before the clock change", {{7, true, true}}, "at-risk,100%,0,7"},
      {"last practised 20 days ago", {{20, false, true}}, "inactive,,0,20"},
      {"100 days ago is not found: judged by the window alone", {{100, true, true}, {2, true, false}}, "at-risk,0%,0,"},
      {"a day still to come counts nowhere", {{-1, true, true}}, "on-track,,0,"},
      {"a done day without an assignment counts nowhere", {{3, false, true}, {4, true, true}}, "on-track,100%,0,3"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::string id = "s" + std::to_string(i);
    gStudents.push_back(Student{"S" + std::to_string(i), id});
    if (!cases[i].days.empty()) WriteCalendar(id, cases[i].days);
  }
  std::string report = BuildInstitutionReport();
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_NE(report.find("\nS" + std::to_string(i) + ",," + cases[i].figures + ",,,,,,\n"), std::string::npos)
        << cases[i].what;
}

TEST_F(ClassReport, CellsAreCleanedLessonsCountedAndOnlyTheInstitutionNameShown) {
  // Lessons done: a pass, or one more than a placement needs (column 29); short and header rows skipped.
  std::string placed(26, '\t');
  WriteData("learning_mastery_a.dat", "id\tattempts\tpasses\n# note\na\t3\t1\t0\t0\t0\t0\t\nb\t1\t1\t0" + placed +
                                          "1\nc\t2\t2\t0" + placed + "1\nd\t1\nz\t1\tx\n");
  gStudents = {Student{"=SUM(A1)", "a"}, Student{"Lee, Ann", "b"},
               Student{"Two\r\nlines", "c"}, Student{"\"Quoted\" -1", "d"}};
  WriteData("attendance_classes.dat", "CLASS\t@first\nMEMBER\tb\nCLASS\tSecond\nMEMBER\tb\nMEMBER\td\n");
  gInstitutionPlan = "Pro, yearly";
  gInstitutionCode = "ORG:acme:x:y:admin";
  EXPECT_EQ(BuildInstitutionReport(),
            "student,class,status,consistency_14d,lessons_done,last_practiced_days,plan,entitlement,minutes_7d,"
            "passed_14d,accuracy_14d,streak\n"
            "'=SUM(A1),,on-track,,2,,Pro  yearly,acme,,,,\n"
            "Lee  Ann,'@first,on-track,,0,,Pro  yearly,acme,,,,\n"
            "Two  lines,,on-track,,0,,Pro  yearly,acme,,,,\n"
            "'Quoted' -1,Second,on-track,,0,,Pro  yearly,acme,,,,\n");
  EXPECT_EQ(CsvCleanField("\t-2"), "'\t-2");
}

// A report is handed on: no code it writes may join or administer the class again.
TEST_F(ClassReport, TheEntitlementColumnNeverCarriesACredential) {
  gStudents = {Student{"Anna", "anna"}};
  const struct { const char* code; const char* shown; } cases[] = {
      {"ORG:acme:teach:7f3a9c:admin", "acme"},  // a teacher device's own code
      {"ORG:acme:seat:7f3a9c", "acme"},         // a pupil code
      {"ORG:acme", "acme"},
      {"ORG::secret:admin", ""},
      {"ORG:", ""},
      {"eyJvaWQiOiJhY21lIn0.c2lnbmF0dXJl", ""},  // a signed code is no institution code
  };
  for (const auto& c : cases) {
    gInstitutionCode = c.code;
    std::string report = BuildInstitutionReport();
    std::string row = report.substr(report.find('\n') + 1);
    EXPECT_EQ(row, std::string("Anna,,on-track,,0,,,") + c.shown + ",,,,\n") << c.code;
    for (const char* secret : {"7f3a9c", "admin", "secret", "c2lnbmF0dXJl", "ORG:"})
      EXPECT_EQ(report.find(secret), std::string::npos) << c.code << " leaks " << secret;
  }
}

TEST_F(ClassReport, ExportLandsInExportsWithTheDateAndReusesFigures) {
  gStudents = {Student{"Anna", "anna"}};
  WriteCalendar("anna", {{1, true, true}});
  gInstitutionCode = "ORG:acme";
  ExportInstitutionReport();
  const std::string name = "exports/institution_report_2025-03-31.csv";
  std::string first = ReadData(name);
  EXPECT_NE(first.find("\nAnna,,on-track,100%,0,1,,acme,,,,\n"), std::string::npos);
  EXPECT_EQ(gInstitutionPanelMessage, "Saved institution_report_2025-03-31.csv to your Tonvarra exports folder");

  // Until the cache is emptied, a second export the same day shows the same figures.
  WriteCalendar("anna", {{3, true, false}});
  ExportInstitutionReport();
  EXPECT_EQ(ReadData(name), first);
  EXPECT_FALSE(DataExists(name + ".tmp"));

  // Where the folder cannot be made, the export says it failed.
  std::filesystem::remove_all(Data("exports"));
  WriteData("exports", "a file in the way");
  ExportInstitutionReport();
  EXPECT_EQ(gInstitutionPanelMessage, "Export FAILED (disk full?)");
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
}
