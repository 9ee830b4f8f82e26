// Ways a student's data could be lost, moved or written outside the Data folder, each played
// through the real file code in a temporary Data folder: the files before, the program's steps,
// and every file that must (or must not) be there afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"
#include "practice/teaching_file.h"
#include "tests/practice/practice_run_fixture.h"

namespace fs = std::filesystem;

namespace {

enum Match { kExact, kContains, kLacks, kAbsent, kLink };

struct Expect {
  std::string name;   // relative to Data
  Match match;
  std::string text;
};

struct FileCase {
  std::string what;
  std::vector<std::pair<std::string, std::string>> before;   // Data files written first
  std::function<void()> act;                                 // the program's steps
  std::vector<Expect> after;
};

const std::string kV2 = "STUDENTS_V2\n";
const std::string kAnn = kV2 + "active=0\nAnn|ann|0.3|0.48|0.76\n";

// A teaching file as the program writes it, with twelve dated sessions.
std::string TwelveSessions() {
  TeachingSaveJob job;
  job.studentId = "ann";
  for (int d = 1; d <= 12; ++d) job.attendance.push_back({"2025-01-" + std::to_string(10 + d), 50, 1, 2, 3, 4, 90, 4, 4, 5});
  return FormatTeachingJson(job, "2025-01-23T10:00:00");
}

class DataSafety : public PracticeRunTest {
 protected:
  // The start of the program as far as the student files go.
  static void Start() {
    LoadStudents();
    LoadPracticeRuns();
    LoadAchievements();
  }
  static void Earn(int col, int64_t time) {
    gAchvDone[0][col] = 1;
    gAchvTime[0][col] = time;
    SaveAchievements();
  }
  // A finished session saved for the active student.
  static void SaveSession(const std::string& date) {
    gTeachingState.attendance.push_back({date, 60, 1, 2, 3, 4, 100, 3, 4, 6});
    SaveTeachingStateAsync(gTeachingState);
    ASSERT_TRUE(WaitForPendingSaves());
  }
  void Fresh() {
    fs::remove_all(dir_.path());
    fs::create_directories(Data(""));
    gStudents.clear();
    gActiveStudentIndex = -1;
    gStudentsLoaded = false;
    gPracticeRuns.clear();
    gPracticeRunsLoaded = false;
    gTeachingState = TeachingState{};
    gTeachingState.dataFolder = Data("");
    gStatusText.clear();
    ResetFailedTeachingSaves();
    ResetAchievements();
    ResetDirtyStores();
  }
  void Check(const Expect& e) {
    std::string path = Data(e.name);
    std::string bytes = ReadFileBytes(path);
    switch (e.match) {
      case kExact: EXPECT_EQ(bytes, e.text) << e.name; break;
      case kContains: EXPECT_NE(bytes.find(e.text), std::string::npos) << e.name << ": " << bytes; break;
      case kLacks: EXPECT_EQ(bytes.find(e.text), std::string::npos) << e.name << ": " << bytes; break;
      case kAbsent: EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << e.name; break;
      case kLink: EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path))) << e.name; break;
    }
  }
};

TEST_F(DataSafety, NoStepLosesMovesOrMisplacesAStudentsFile) {
  GetScaleCatalogue();
  const int rows = AchievementRowCount();
  const std::string zeros = "0,0,0,0,0,0,0,0,0,0,0,0\n";
  std::string extraRows = "ACHV3," + std::to_string(rows + 1) + "\n";
  for (int r = 0; r <= rows; ++r) extraRows += r == rows ? "9,0,0,0,0,0,0,0,0,0,0,0\n" : zeros;
  std::string wholeAchievements = "ACHV3," + std::to_string(rows) + "\n";
  for (int r = 0; r < rows; ++r) wholeAchievements += zeros;
  const std::string sessions = TwelveSessions();
  const std::string longName(250, 'x');
  const std::string slashFile = AchievementsFileName("a/b");
  const std::string slashUnder = kV2 + "active=0\nSlash|a/b|0.3|0.48|0.76\nUnder|a_b|0.3|0.48|0.76\n";
  auto region = [] {
    PracticeRunData& d = gPracticeRunData;
    d.regionValid = 1, d.regionListView = 0;
    d.rowFirst = d.rowLast = d.colFirst = d.colLast = 0;
  };
  auto planted = [this] {
    WriteFileBytes(dir_.File("outside.txt"), "outside");
    fs::create_symlink(dir_.File("outside.txt"), Data("students.dat.tmp"));
  };

  const std::vector<FileCase> cases = {
      {"a run count at its limit stays there",
       {{"students.dat", kAnn}, {"practice_runs.dat", "PRACTICE_RUNS_V1\nann|Ann|L:r0-0:c0-0|1000|1000|2147483647|5\n"}},
       [&] { Start(), region(), RecordPracticeRun(900); },
       {{"practice_runs.dat", kContains, "ann|Ann|L:r0-0:c0-0|900|900|2147483647|"}, {"practice_runs.dat.bak", kAbsent, ""}}},
      {"a cut teaching file keeps the sessions before the cut, the file as read copied aside first",
       {{"students.dat", kAnn}, {"teaching_ann.json", sessions.substr(0, sessions.size() / 2)}},
       [&] {
         Start(), SaveSession("2026-03-01");
         EXPECT_EQ(gStatusText, "");
       },
       {{"teaching_ann.json.bak", kExact, sessions.substr(0, sessions.size() / 2)},
        {"teaching_ann.json.bad", kAbsent, ""},
        {"teaching_ann.json", kContains, "\"dateISO\":\"2025-01-11\""},
        {"teaching_ann.json", kContains, "\"dateISO\":\"2026-03-01\""}}},
      {"a cut file of something else in the teaching file's place is set aside whole",
       {{"students.dat", kAnn}, {"teaching_ann.json", "{\"title\":\"shopping\",\"items\":[\"milk\","}},
       [&] {
         Start(), SaveSession("2026-03-01");
         EXPECT_EQ(gStatusText, "teaching_ann.json was damaged; it is kept as teaching_ann.json.bad");
       },
       {{"teaching_ann.json.bad", kExact, "{\"title\":\"shopping\",\"items\":[\"milk\","},
        {"teaching_ann.json.bak", kAbsent, ""}, {"teaching_ann.json", kContains, "\"dateISO\":\"2026-03-01\""}}},
      {"a newer teaching file is set aside, a junk one next to it",
       {{"students.dat", kAnn}, {"teaching_ann.json", "{\"version\":2,\"attendance\":[]}"}, {"teaching_ann.json.bad", "junk"}},
       [&] { Start(), SaveSession("2026-03-02"); },
       {{"teaching_ann.json.bad", kExact, "junk"}, {"teaching_ann.json.bad2", kExact, "{\"version\":2,\"attendance\":[]}"},
        {"teaching_ann.json", kContains, "\"dateISO\":\"2026-03-02\""}}},
      {"an id with a blank takes its teaching file over under its own name",
       {{"students.dat", kV2 + "active=0\nAnn|Ann Lee|0.3|0.48|0.76\n"}, {"teaching_Ann_Lee.json", sessions}},
       [&] { Start(); },
       {{"teaching_" + HashedStudentFileId("Ann Lee") + ".json", kExact, sessions}, {"teaching_Ann_Lee.json", kAbsent, ""}}},
      {"an id with a blank reads the file an older version left beside the Data folder",
       {{"students.dat", kV2 + "active=0\nAnn|Ann Lee|0.3|0.48|0.76\n"}, {"../teaching_Ann_Lee.json", sessions}},
       [&] {
         Start();
         EXPECT_EQ(gTeachingState.attendance.size(), 12u);
         SaveSession("2026-03-01");
       },
       {{"teaching_" + HashedStudentFileId("Ann Lee") + ".json", kContains, "\"dateISO\":\"2025-01-11\""},
        {"teaching_" + HashedStudentFileId("Ann Lee") + ".json", kContains, "\"dateISO\":\"2026-03-01\""},
        {"../teaching_Ann_Lee.json", kExact, sessions}}},
      {"that file stays with the student who holds its name as an id",
       {{"students.dat", kV2 + "active=0\nAnn|Ann Lee|0.3|0.48|0.76\nAnnie|Ann_Lee|0.3|0.48|0.76\n"},
        {"../teaching_Ann_Lee.json", sessions}},
       [&] {
         Start();
         EXPECT_TRUE(gTeachingState.attendance.empty());
         SaveSession("2026-03-01");
       },
       {{"teaching_" + HashedStudentFileId("Ann Lee") + ".json", kLacks, "\"dateISO\":\"2025-01-11\""},
        {"../teaching_Ann_Lee.json", kExact, sessions}}},
      {"a/b and a_b keep their own cells; deleting a_b leaves a/b's",
       {{"students.dat", slashUnder}},
       [&] {
         Start(), Earn(1, 111), SwitchActiveStudent(1);
         EXPECT_EQ(gAchvDone[0][1], 0);
         Earn(2, 222), DeleteStudent(1);
       },
       {{slashFile, kContains, "0,111,0,"}, {slashFile, kLacks, "222"}, {"achievements_a_b.dat", kAbsent, ""}}},
      {"deleting a/b leaves a_b's",
       {{"students.dat", slashUnder}},
       [&] { Start(), Earn(1, 111), SwitchActiveStudent(1), Earn(2, 222), DeleteStudent(0); },
       {{"achievements_a_b.dat", kContains, "0,0,222,"}, {slashFile, kAbsent, ""}}},
      {"a 250-letter name keeps its cells over a restart",
       {},
       [&] {
         gStudents = {MakeStudent(longName, MakeUniqueStudentId(longName))};
         gActiveStudentIndex = 0, gStudentsLoaded = true;
         SaveStudents(), LoadAchievements(), Earn(3, 333);
         gAchvDone[0][3] = 0, gStudents.clear();
         Start();
         EXPECT_EQ(gAchvTime[0][3], 333);
         EXPECT_EQ(gStatusText, "");
       },
       {{AchievementsFileName(longName), kContains, "0,0,0,333,"}}},
      {"a link planted at the temporary name is never written through",
       {{"students.dat", kAnn}},
       [&] { planted(), Start(), SaveStudents(); },
       {{"../outside.txt", kExact, "outside"}, {"students.dat.tmp", kLink, ""}, {"students.dat", kExact, kAnn}}},
      {"a file that is a link stays a link; its file is written",
       {{"real/students.dat", kAnn}},
       [&] {
         fs::create_symlink("real/students.dat", Data("students.dat"));
         Start(), gStudents.push_back(MakeStudent("Bo", "bo")), SaveStudents();
       },
       {{"students.dat", kLink, ""}, {"real/students.dat", kContains, "\nBo|bo|"}}},
      {"a cut last student is kept with the id of the name, not the cut one, the file as read copied aside first",
       {{"students.dat", kAnn + "Ben K.|ben"}},
       [&] { Start(); },
       {{"students.dat.bak", kExact, kAnn + "Ben K.|ben"}, {"students.dat", kExact, kAnn + "Ben K.|ben_k|0.3|0.48|0.76\n"}}},
      {"a last student cut in the colours keeps the id it has whole",
       {{"students.dat", kAnn + "Bob|b_2|0.1|0.2"}},
       [&] { Start(); },
       {{"students.dat", kContains, "\nBob|b_2|"}}},
      {"no active student is written as none",
       {{"students.dat", kV2 + "active=-7\nAnn|ann|0.3|0.48|0.76\n"}},
       [&] { Start(); },
       {{"students.dat", kExact, kV2 + "active=-1\nAnn|ann|0.3|0.48|0.76\n"},
        {"students.dat.bak", kExact, kV2 + "active=-7\nAnn|ann|0.3|0.48|0.76\n"}}},
      {"a renamed duplicate takes no one's files; the first keeps its own",
       {{"students.dat", kV2 + "active=0\nA|x|0.3|0.48|0.76\nB|x|0.3|0.48|0.76\nC|x_2|0.3|0.48|0.76\n"},
        {"notes_x.dat", "A's"}, {"notes_x_2.dat", "C's"}, {"notes_x_3.dat", "left behind"}},
       [&] { Start(); },
       {{"students.dat", kExact, kV2 + "active=0\nA|x|0.3|0.48|0.76\nB|x_4|0.3|0.48|0.76\nC|x_2|0.3|0.48|0.76\n"},
        {"students.dat.bak", kContains, "\nB|x|"}, {"notes_x.dat", kExact, "A's"}, {"notes_x_2.dat", kExact, "C's"}}},
      {"achievements cut to the catalogue are copied aside first",
       {{"students.dat", kAnn}, {"achievements_ann.dat", extraRows}},
       [&] { Start(), Earn(5, 555); },
       {{"achievements_ann.dat.bak", kExact, extraRows}, {"achievements_ann.dat", kContains, "ACHV3," + std::to_string(rows) + "\n"},
        {"achievements_ann.dat", kLacks, "\n9,"}}},
      {"skipped practice lines are copied aside once, over two starts",
       {{"practice_runs.dat", "PRACTICE_RUNS_V1\nann|Ann|L:r0-0:c0-0|1|1|1|1\nshort|line\n"}},
       [&] { Start(), Start(); },
       {{"practice_runs.dat.bak", kExact, "PRACTICE_RUNS_V1\nann|Ann|L:r0-0:c0-0|1|1|1|1\nshort|line\n"},
        {"practice_runs.dat.bak2", kAbsent, ""}}},
      {"achievements that could not be copied aside are saved once a later load copies them",
       {{"students.dat", kAnn}, {"achievements_ann.dat", "ACHV2\n100,0,0,0,0,0,0,0,0,0,0,0\n"}},
       [&] {
         FailWritesEndingWithForTesting(".bak");
         Start();
         FailWritesEndingWithForTesting("");
         Earn(1, 111);   // refused: the file as read is nowhere else
         EXPECT_EQ(ReadFileBytes(Data("achievements_ann.dat")), "ACHV2\n100,0,0,0,0,0,0,0,0,0,0,0\n");
         LoadAchievements();   // as a switch back to the student does
         Earn(1, 111);
       },
       {{"achievements_ann.dat.bak", kExact, "ACHV2\n100,0,0,0,0,0,0,0,0,0,0,0\n"},
        {"achievements_ann.dat", kContains, "100,111,0,"}}},
      {"a session the disk refused reaches its student's file although another student is active by then",
       {{"students.dat", kAnn + "Bo|bo|0.3|0.48|0.76\n"}},
       [&] {
         Start();
         FailWritesEndingWithForTesting(".json");
         SaveSession("2026-03-01");
         SwitchActiveStudent(1);
         FailWritesEndingWithForTesting("");
         EXPECT_FALSE(fs::exists(Data("teaching_ann.json")));
         SaveDirtyStores();
         ASSERT_TRUE(WaitForPendingSaves());
       },
       {{"teaching_ann.json", kContains, "\"dateISO\":\"2026-03-01\""}, {"teaching_bo.json", kAbsent, ""}}},
      {"cells the disk refused reach their student's file although another student is active by then",
       {{"students.dat", kAnn + "Bo|bo|0.3|0.48|0.76\n"}},
       [&] {
         Start();
         FailWritesEndingWithForTesting(".dat");
         Earn(1, 111);
         SwitchActiveStudent(1);
         Earn(2, 222);
         SwitchActiveStudent(0);
         EXPECT_EQ(gAchvDone[0][1], 1) << "a switch back reads the cells the disk refused";
         FailWritesEndingWithForTesting("");
         SaveDirtyStores();
       },
       {{"achievements_ann.dat", kContains, ",111,0,"}, {"achievements_bo.dat", kContains, ",0,222,"}}},
      {"cells the disk refused do not bring back the file of a student deleted since",
       {{"students.dat", kAnn + "Bo|bo|0.3|0.48|0.76\n"}},
       [&] {
         Start();
         FailWritesEndingWithForTesting(".dat");
         Earn(1, 111);
         SwitchActiveStudent(1);
         FailWritesEndingWithForTesting("");
         EXPECT_FALSE(fs::exists(Data("achievements_ann.dat")));
         DeleteStudent(0);
         SaveDirtyStores();
       },
       {{"achievements_ann.dat", kAbsent, ""}}},
      {"a session the disk refused does not bring back the file of a student deleted since",
       {{"students.dat", kAnn + "Bo|bo|0.3|0.48|0.76\n"}},
       [&] {
         Start();
         FailWritesEndingWithForTesting(".json");
         SaveSession("2026-03-01");
         FailWritesEndingWithForTesting("");
         DeleteStudent(0);
         SaveDirtyStores();
         ASSERT_TRUE(WaitForPendingSaves());
       },
       {{"teaching_ann.json", kAbsent, ""}}},
      {"whole files are not copied",
       {{"students.dat", kAnn}, {"achievements_ann.dat", wholeAchievements}},
       [&] { Start(), Start(); },
       {{"students.dat.bak", kAbsent, ""}, {"achievements_ann.dat.bak", kAbsent, ""}}},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    for (const auto& [name, bytes] : c.before) WriteData(name, bytes);
    c.act();
    for (const Expect& e : c.after) Check(e);
  }
}

}  // namespace
