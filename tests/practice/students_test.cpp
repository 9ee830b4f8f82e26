// The student list: "students.dat" in both versions, unique ids and names, switching and deleting
// with every per-student file, and damaged files kept aside.
#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

#include "app/base/strings.h"
#include "practice/achievements.h"
#include "practice/practice_records.h"
#include "practice/students.h"
#include "practice/teaching_state.h"
#include "tests/practice/practice_fixture.h"

namespace fs = std::filesystem;

using StudentsFile = PracticeFilesTest;

// Each file is read, then written back in the newest version from what was read: the file
// written shows every name, id and colour in memory.
TEST_F(StudentsFile, LoadCasesAndTheFileWrittenBack) {
  const std::string V2 = "STUDENTS_V2\n";
  const struct { const char* what; std::string file; int active; std::string rewritten; } cases[] = {
      {"version 1 keeps the trimmed id and gets the default colour", "STUDENTS_V1\nactive=0\nAnna | Anna Lee \n",
       0, V2 + "active=0\nAnna|Anna Lee|0.3|0.48|0.76\n"},
      {"empty ids become unique slugs, names stay as read", V2 + "active=1\nAnna|\nAnna|\n",
       1, V2 + "active=1\nAnna|anna|0.3|0.48|0.76\nAnna|anna_2|0.3|0.48|0.76\n"},
      {"a bad colour field keeps its default, the others are clamped", V2 + "active=0\nBen|ben|2|x|-1\n",
       0, V2 + "active=0\nBen|ben|1|0.48|0\n"},
      {"an active index past the end is the last student", V2 + "active=7\nA|a|1|1|1\nB|b|1|1|1\n",
       1, V2 + "active=1\nA|a|1|1|1\nB|b|1|1|1\n"},
      {"a negative active index leaves none active, and is written so", V2 + "active=-2\nA|a|1|1|1\n",
       -1, V2 + "active=-1\nA|a|1|1|1\n"},
      {"lines without a bar or a name are skipped", V2 + "active=0\n\nno bar\n|ghost|1|1|1\n  |x\nZoe Ann|  |0.5\n",
       0, V2 + "active=0\nZoe Ann|zoe_ann|0.3|0.48|0.76\n"},
      {"a byte-order mark and Windows line ends", "\xEF\xBB\xBF" + V2 + "active=0\r\nA|a|1|1|0.5\r\n",
       0, V2 + "active=0\nA|a|1|1|0.5\n"},
      {"a version 1 id holding a bar is replaced by a fresh one", "STUDENTS_V1\nactive=0\nDan|dan_x\nDan|dan|x\n",
       0, V2 + "active=0\nDan|dan_x|0.3|0.48|0.76\nDan|dan_x_2|0.3|0.48|0.76\n"},
      {"a duplicate id read later is made unique", V2 + "active=0\nA|Same Id|1|1|1\nB|Same Id|1|1|1\n",
       0, V2 + "active=0\nA|Same Id|1|1|1\nB|same_id|1|1|1\n"},
      {"a file without students", V2 + "active=3\n", -1, V2 + "active=-1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteData("students.dat", c.file);
    LoadStudents();
    EXPECT_EQ(gActiveStudentIndex, c.active);
    EXPECT_EQ(ReadData("students.dat"), c.rewritten);
    EXPECT_FALSE(DataExists("students.dat.bad"));
  }
  // A missing file is created empty.
  fs::remove(Data("students.dat"));
  LoadStudents();
  EXPECT_EQ(ReadData("students.dat"), V2 + "active=-1\n");
}

TEST_F(StudentsFile, UnrecognisedOrUnreadableFilesAreKeptAsideNeverLost) {
  DebugCapture log;
  WriteData("students.dat", "STUDENTS_V3\nactive=0\nA|a\n");
  LoadStudents();
  EXPECT_TRUE(gStudents.empty());
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=-1\n");
  EXPECT_TRUE(log.Contains("students.dat.bad"));
  // A second damaged file does not replace the first one kept aside.
  WriteData("students.dat", "garbage");
  LoadStudents();
  EXPECT_EQ(ReadData("students.dat.bad") + ReadData("students.dat.bad2"), "STUDENTS_V3\nactive=0\nA|a\ngarbage");

  // Something that cannot be read as a file at all is moved aside too.
  fs::remove(Data("students.dat"));
  fs::create_directories(Data("students.dat"));
  WriteData("students.dat/inside", "keep");
  LoadStudents();
  EXPECT_EQ(ReadFileBytes(Data("students.dat.bad3/inside")), "keep");
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=-1\n");

  // An empty file holds nothing to keep: it is simply replaced.
  WriteData("students.dat", "");
  LoadStudents();
  EXPECT_FALSE(DataExists("students.dat.bad4"));
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=-1\n");
}

TEST_F(StudentsFile, SaveReplacesSeparatorsAndFormatsColours) {
  Student s = MakeStudent("A|b\nc\rd", "id_1");
  s.r = 0.123456789f, s.g = 1.0f, s.b = 0.3f;
  gStudents = {s, MakeStudent("E", "e")};
  gActiveStudentIndex = -1;   // no student active is written as none
  SaveStudents();
  EXPECT_EQ(ReadData("students.dat"),
            "STUDENTS_V2\nactive=-1\nA b c d|id_1|0.123457|1|0.3\nE|e|0.3|0.48|0.76\n");
  EXPECT_FALSE(DataExists("students.dat.tmp"));
}

// Names are compared trimmed and ignoring case; ids are compared exactly.
TEST(StudentIds, UniqueIdsAndNames) {
  gStudents = {MakeStudent(" Anna ", "anna"), MakeStudent("anna 2", "anna_2")};
  EXPECT_EQ(MakeUniqueStudentId("Anna"), "anna_3");
  EXPECT_FALSE(IsStudentIdTaken("ANNA"));
  EXPECT_EQ(MakeUniqueStudentName(" anna "), "anna 3");
  EXPECT_EQ(MakeUniqueStudentName("  "), "Student");
  gStudents.clear();
}

// Unsafe and over-long ids take a hashed form that holds "..", which no id used as it is can
// hold; safe ids keep their names.
TEST(StudentIds, UnsafeAndLongIdsTakeTheirOwnHashedFileNames) {
  const std::string longId(161, 'a');
  const struct { std::string id; bool unsafe; std::string readable; } cases[] = {
      {"Anna Lee", false, ""}, {"a.b", false, ""}, {std::string(160, 'a'), false, ""}, {"../x", true, "___x"},
      {"..", true, "__"}, {"a\\b", true, "a_b"}, {"C:x", true, "C_x"}, {"a\x7F", true, "a_"},
      {longId, false, std::string(40, 'a')}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsUnsafeStudentId(c.id), c.unsafe) << c.id;
    std::string fileId = StudentFileId(c.id);
    if (c.readable.empty()) {
      EXPECT_EQ(fileId, c.id);
    } else {
      EXPECT_EQ(fileId, c.readable + ".." + fileId.substr(fileId.size() - 16)) << c.id;
      EXPECT_EQ(fileId.find_first_not_of("0123456789abcdef", c.readable.size() + 2), std::string::npos) << fileId;
    }
  }
  EXPECT_NE(StudentFileId("a/b"), StudentFileId("a\\b"));   // same readable part, different hash
  EXPECT_EQ(AchievementsFileName("  "), "achievements.dat");
}

// Every per-student file the program keeps for one id.
static std::vector<std::string> AllFileNamesOf(const std::string& id) {
  std::vector<std::string> names = {"achievements_" + id + ".dat"};
  for (const char* prefix : {"learning_progress_", "learning_mastery_", "learning_schedule_",
                             "learning_calendar_", "learning_practiceload_", "attendance_", "notes_",
                             "learning_endless_"})
    for (const char* end : {".dat", ".dat.tmp"}) names.push_back(prefix + id + end);
  for (const char* prefix : {"learning_progress_", "learning_mastery_", "learning_schedule_", "learning_calendar_"})
    names.push_back(prefix + id + ".dat.bak");
  return names;
}

TEST_F(StudentsFile, DeleteRemovesExactlyTheStudentsFiles) {
  gStudents = {MakeStudent("Anna", "anna"), MakeStudent("Ben", "ben")};
  gActiveStudentIndex = 1, gStudentsLoaded = true;
  for (const char* id : {"anna", "ben", "anna_2"})
    for (const std::string& name : AllFileNamesOf(id)) WriteData(name, "x");
  WriteData("teaching_anna.json", "{}");
  WriteData("teaching_ben.json", "{}");
  WriteFileBytes(Exe("achievements_anna.dat"), "beside");
  LoadTeachingState(true);
  SetTeachingDataFolder(gTeachingState, dir_.File("Data/"));   // set once per process otherwise

  DeleteStudent(0);
  for (const std::string& name : AllFileNamesOf("anna")) EXPECT_FALSE(DataExists(name)) << name;
  EXPECT_FALSE(DataExists("teaching_anna.json"));
  EXPECT_FALSE(FileExists(Exe("achievements_anna.dat")));
  for (const char* id : {"ben", "anna_2"})
    for (const std::string& name : AllFileNamesOf(id)) EXPECT_TRUE(DataExists(name)) << name;
  EXPECT_TRUE(DataExists("teaching_ben.json"));
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=0\nBen|ben|0.3|0.48|0.76\n");
}

// Damaged files set aside and copies kept before a rewrite or a placement, numbered ones past a
// gap included, go with their student; the student whose id only starts the same keeps all of
// theirs. The shared practice-runs copies lose the student's lines and keep everyone else's.
TEST_F(StudentsFile, DeleteRemovesEveryCopyKeptAsideAndNoOneElses) {
  ResetPracticeRecords();
  gStudents = {MakeStudent("Ann", "ann"), MakeStudent("Anna", "anna")};
  gActiveStudentIndex = 1, gStudentsLoaded = true;
  auto copiesOf = [](const std::string& id) {
    std::vector<std::string> names;
    for (const std::string& file : AllFileNamesOf(id)) {
      if (!file.ends_with(".dat")) continue;
      for (const char* tail : {"", ".bad", ".bad2", ".bad3", ".bad7", ".bak", ".bak2", ".bak4", ".preplace.bak"})
        names.push_back(file + tail);
    }
    for (const char* tail : {"", ".bad", ".bad2", ".bak", ".bak3"}) names.push_back("teaching_" + id + ".json" + tail);
    return names;
  };
  for (const char* id : {"ann", "anna"})
    for (const std::string& name : copiesOf(id)) WriteData(name, name.ends_with(".json") ? "{}" : "x");
  const std::string header = "PRACTICE_RUNS_V1\n";
  const std::string annaLine = "anna|Anna|L:r0-0:c0-1|5000|5000|1|1700000000\n";
  const std::string annLine = "ann|Ann|L:r0-0:c0-1|6000|6000|2|1700000000\n";
  WriteData("practice_runs.dat", header + annLine + annaLine);
  WriteData("practice_runs.dat.bak", header + annLine + "not a record\n" + annaLine + " ann | Ann | x\r\n");
  WriteData("practice_runs.dat.bak2", header + annLine);
  LoadTeachingState(true);
  SetTeachingDataFolder(gTeachingState, dir_.File("Data/"));

  DeleteStudent(0);
  for (const std::string& name : copiesOf("ann")) EXPECT_FALSE(DataExists(name)) << name;
  for (const std::string& name : copiesOf("anna")) EXPECT_TRUE(DataExists(name)) << name;
  EXPECT_EQ(ReadData("practice_runs.dat"), header + annaLine);
  EXPECT_EQ(ReadData("practice_runs.dat.bak"), header + "not a record\n" + annaLine);
  EXPECT_FALSE(DataExists("practice_runs.dat.bak2")) << "nothing but the deleted student's lines";
  ResetPracticeRecords();
}

TEST_F(StudentsFile, DeleteKeepsTheRightStudentActive) {
  // Students, active, removed, active afterwards, and whose matrix is in memory afterwards: the
  // column its file marks (-1: not reloaded).
  const struct { const char* what; int count, active, remove, expectedActive, shownColumn; } cases[] = {
      {"the active last of three: the new last becomes active", 3, 2, 2, 1, 1},
      {"the active middle one: the next one moves into its place", 3, 1, 1, 1, 2},
      {"one before the active: the same student stays active", 3, 2, 0, 1, -1},
      {"none active: none stays active", 3, -1, 1, -1, -1},
      {"the only one: none is left, the shared matrix is loaded", 1, 0, 0, -1, 11},
      {"an index out of range does nothing", 2, 1, 5, 1, -1},
  };
  GetScaleCatalogue();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gStudents.clear();
    for (int i = 0; i < c.count; ++i) {
      std::string id = "s" + std::to_string(i);
      gStudents.push_back(MakeStudent("S" + id, id));
      // Each student's file marks the cell of its own column, so a reload shows whose it is.
      std::string row = "ACHV3,1\n";
      for (int k = 0; k < 12; ++k) row += std::string(k ? "," : "") + (k == i ? "100" : "0");
      WriteData("achievements_" + id + ".dat", row + "\n");
    }
    WriteData("achievements.dat", "ACHV3,1\n0,0,0,0,0,0,0,0,0,0,0,100\n");
    gActiveStudentIndex = c.active, gStudentsLoaded = true;
    LoadAchievements();
    std::string before0 = ReadData("achievements_s0.dat");
    DeleteStudent(c.remove);
    EXPECT_EQ(gActiveStudentIndex, c.expectedActive);
    if (c.shownColumn >= 0) { EXPECT_EQ(gAchvTime[0][c.shownColumn], 100); }
    // With none active, the shared matrix is never written into the first student's file.
    if (c.active == -1) { EXPECT_EQ(ReadData("achievements_s0.dat"), before0); }
  }
}

TEST_F(StudentsFile, SwitchSavesTheOutgoingMatrixAndLoadsTheIncoming) {
  GetScaleCatalogue();
  gStudents = {MakeStudent("A", "a"), MakeStudent("B", "b")};
  WriteData("achievements_b.dat", "ACHV3,1\n0,0,0,0,0,0,0,0,0,0,0,55\n");
  gActiveStudentIndex = 0, gStudentsLoaded = true;
  LoadAchievements();
  gAchvDone[1][3] = 1, gAchvTime[1][3] = 1234;

  SwitchActiveStudent(7);   // limited to the list: B
  EXPECT_EQ(std::make_tuple(gActiveStudentIndex, gAchvTime[0][11], (int)gAchvDone[1][3]), std::make_tuple(1, 55, 0));
  EXPECT_NE(ReadData("achievements_a.dat").find("\n0,0,0,1234,0,0,0,0,0,0,0,0\n"), std::string::npos);
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=1\nA|a|0.3|0.48|0.76\nB|b|0.3|0.48|0.76\n");

  // Before the students are loaded nothing is saved or loaded for the matrix.
  gStudentsLoaded = false;
  fs::remove(Data("achievements_b.dat"));
  SwitchActiveStudent(0);
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_FALSE(DataExists("achievements_b.dat"));
}
