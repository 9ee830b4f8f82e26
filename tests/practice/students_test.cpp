// The student list: "students.dat" in both versions, unique ids and names, switching and deleting
// with every per-student file, and damaged files kept aside.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_state.h"
#include "app/utilities.h"
#include "classroom/attendance_classes.h"
#include "practice/achievements.h"
#include "practice/students.h"
#include "practice/teaching_state.h"
#include "tests/practice/practice_fixture.h"

namespace fs = std::filesystem;

using StudentsFile = PracticeFilesTest;

struct ExpectedStudent {
  const char* name;
  const char* id;
  float r, g, b;
};

TEST_F(StudentsFile, LoadCasesAndTheFileWrittenBack) {
  struct Case {
    const char* what;
    const char* file;
    std::vector<ExpectedStudent> students;
    int active;
    const char* rewritten;
  } cases[] = {
      {"version 1 keeps the trimmed id and gets the default colour",
       "STUDENTS_V1\nactive=0\nAnna | Anna Lee \n",
       {{"Anna", "Anna Lee", 0.3f, 0.48f, 0.76f}}, 0,
       "STUDENTS_V2\nactive=0\nAnna|Anna Lee|0.3|0.48|0.76\n"},
      {"empty ids become unique slugs, names stay as read",
       "STUDENTS_V2\nactive=1\nAnna|\nAnna|\n",
       {{"Anna", "anna", 0.3f, 0.48f, 0.76f}, {"Anna", "anna_2", 0.3f, 0.48f, 0.76f}}, 1,
       "STUDENTS_V2\nactive=1\nAnna|anna|0.3|0.48|0.76\nAnna|anna_2|0.3|0.48|0.76\n"},
      {"a bad colour field keeps its default, the others are clamped",
       "STUDENTS_V2\nactive=0\nBen|ben|2|x|-1\n",
       {{"Ben", "ben", 1.0f, 0.48f, 0.0f}}, 0,
       "STUDENTS_V2\nactive=0\nBen|ben|1|0.48|0\n"},
      {"too dark becomes the default colour",
       "STUDENTS_V2\nactive=0\nCara|cara|0.01|0.02|0.03\n",
       {{"Cara", "cara", 0.3f, 0.48f, 0.76f}}, 0,
       "STUDENTS_V2\nactive=0\nCara|cara|0.3|0.48|0.76\n"},
      {"an active index past the end is the last student",
       "STUDENTS_V2\nactive=7\nA|a|1|1|1\nB|b|1|1|1\nC|c|1|1|1\n",
       {{"A", "a", 1, 1, 1}, {"B", "b", 1, 1, 1}, {"C", "c", 1, 1, 1}}, 2,
       "STUDENTS_V2\nactive=2\nA|a|1|1|1\nB|b|1|1|1\nC|c|1|1|1\n"},
      {"a negative active index leaves none active",
       "STUDENTS_V2\nactive=-2\nA|a|1|1|1\n",
       {{"A", "a", 1, 1, 1}}, -1,
       "STUDENTS_V2\nactive=0\nA|a|1|1|1\n"},
      {"an active value that does not convert is 0; a second line of another form is ignored",
       "STUDENTS_V2\nactive=abc\nA|a|1|1|1\nB|b|1|1|1\n",
       {{"A", "a", 1, 1, 1}, {"B", "b", 1, 1, 1}}, 0,
       "STUDENTS_V2\nactive=0\nA|a|1|1|1\nB|b|1|1|1\n"},
      {"lines without a bar or a name are skipped; an empty id is slugged",
       "STUDENTS_V2\nactive=0\n\nno bar here\n|ghost|1|1|1\n  |x\nZoe Ann|  |0.5\n",
       {{"Zoe Ann", "zoe_ann", 0.3f, 0.48f, 0.76f}}, 0,
       "STUDENTS_V2\nactive=0\nZoe Ann|zoe_ann|0.3|0.48|0.76\n"},
      {"a byte-order mark and Windows line ends are forgiven",
       "\xEF\xBB\xBFSTUDENTS_V2\r\nactive=1\r\nA|a|1|1|1\r\nB|b|0.5|0.5|0.5\r\n",
       {{"A", "a", 1, 1, 1}, {"B", "b", 0.5f, 0.5f, 0.5f}}, 1,
       "STUDENTS_V2\nactive=1\nA|a|1|1|1\nB|b|0.5|0.5|0.5\n"},
      {"a version 1 id holding a bar is replaced by a fresh unique one",
       "STUDENTS_V1\nactive=0\nDan|dan_x\nDan|dan|x\n",
       {{"Dan", "dan_x", 0.3f, 0.48f, 0.76f}, {"Dan", "dan_x_2", 0.3f, 0.48f, 0.76f}}, 0,
       "STUDENTS_V2\nactive=0\nDan|dan_x|0.3|0.48|0.76\nDan|dan_x_2|0.3|0.48|0.76\n"},
      {"a duplicate id read later is made unique from the id",
       "STUDENTS_V2\nactive=0\nA|Same Id|1|1|1\nB|Same Id|1|1|1\n",
       {{"A", "Same Id", 1, 1, 1}, {"B", "same_id", 1, 1, 1}}, 0,
       "STUDENTS_V2\nactive=0\nA|Same Id|1|1|1\nB|same_id|1|1|1\n"},
      {"a file without students", "STUDENTS_V2\nactive=3\n", {}, -1, "STUDENTS_V2\nactive=-1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteData("students.dat", c.file);
    LoadStudents();
    ASSERT_EQ(gStudents.size(), c.students.size());
    for (size_t i = 0; i < c.students.size(); ++i) {
      EXPECT_EQ(gStudents[i].name, c.students[i].name);
      EXPECT_EQ(gStudents[i].id, c.students[i].id);
      EXPECT_FLOAT_EQ(gStudents[i].r, c.students[i].r);
      EXPECT_FLOAT_EQ(gStudents[i].g, c.students[i].g);
      EXPECT_FLOAT_EQ(gStudents[i].b, c.students[i].b);
    }
    EXPECT_EQ(gActiveStudentIndex, c.active);
    EXPECT_EQ(ReadData("students.dat"), c.rewritten);
    EXPECT_TRUE(gStudentsLoaded);
    EXPECT_FALSE(DataExists("students.dat.bad"));
  }
}

TEST_F(StudentsFile, MissingFileIsCreatedEmpty) {
  LoadStudents();
  EXPECT_TRUE(gStudents.empty());
  EXPECT_EQ(gActiveStudentIndex, -1);
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=-1\n");
}

TEST_F(StudentsFile, FileBesideTheExecutableIsReadAndTheCopyGoesToData) {
  WriteFileBytes(Exe("students.dat"), "STUDENTS_V2\nactive=0\nA|a|1|1|1\n");
  LoadStudents();
  ASSERT_EQ(gStudents.size(), 1u);
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=0\nA|a|1|1|1\n");
}

TEST_F(StudentsFile, UnrecognisedOrUnreadableFilesAreKeptAsideNeverLost) {
  DebugCapture log;
  WriteData("students.dat", "STUDENTS_V3\nactive=0\nA|a\n");
  LoadStudents();
  EXPECT_TRUE(gStudents.empty());
  EXPECT_EQ(ReadData("students.dat.bad"), "STUDENTS_V3\nactive=0\nA|a\n");
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=-1\n");
  EXPECT_TRUE(log.Contains("students.dat.bad"));

  // A second damaged file does not replace the first one kept aside.
  WriteData("students.dat", "garbage");
  LoadStudents();
  EXPECT_EQ(ReadData("students.dat.bad"), "STUDENTS_V3\nactive=0\nA|a\n");
  EXPECT_EQ(ReadData("students.dat.bad2"), "garbage");

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
  s.r = 0.123456789f;
  s.g = 1.0f;
  s.b = 0.3f;
  gStudents = {s, MakeStudent("E", "e")};
  gActiveStudentIndex = -1;   // written as the first student while students exist
  SaveStudents();
  EXPECT_EQ(ReadData("students.dat"),
            "STUDENTS_V2\nactive=0\nA b c d|id_1|0.123457|1|0.3\nE|e|0.3|0.48|0.76\n");
  EXPECT_FALSE(DataExists("students.dat.tmp"));
}

TEST(StudentIds, SlugsAndUniqueIdsAndNames) {
  struct SlugCase {
    const char* name;
    const char* slug;
  } slugs[] = {
      {"Anna Lee", "anna_lee"}, {"  Ben -- K.  ", "ben_k"}, {"\xC5\x81ucja", "ucja"},
      {"!!!", "student"},       {"__", "student"},          {"", "student"},
      {"ABC123", "abc123"},     {"a\xE2\x80\x94" "b", "a_b"},
  };
  for (const SlugCase& c : slugs) EXPECT_EQ(IdSlugFromName(c.name), c.slug) << c.name;

  gStudents = {MakeStudent("Anna", "anna"), MakeStudent("x", "anna_2")};
  EXPECT_EQ(MakeUniqueStudentId("Anna"), "anna_3");
  EXPECT_EQ(MakeUniqueStudentId("Ben"), "ben");
  EXPECT_TRUE(IsStudentIdTaken("anna_2"));
  EXPECT_FALSE(IsStudentIdTaken("ANNA"));

  gStudents = {MakeStudent(" Anna ", "a"), MakeStudent("anna 2", "b")};
  EXPECT_EQ(MakeUniqueStudentName(" anna "), "anna 3");
  EXPECT_EQ(MakeUniqueStudentName("ANNA"), "ANNA 3");
  EXPECT_EQ(MakeUniqueStudentName("Zed"), "Zed");
  EXPECT_EQ(MakeUniqueStudentName("  "), "Student");
  gStudents = {MakeStudent("Student", "s")};
  EXPECT_EQ(MakeUniqueStudentName(""), "Student 2");
  gStudents.clear();
}

TEST(StudentIds, UnsafeIdsNeverReachAPath) {
  struct Case {
    const char* id;
    bool unsafe;
    const char* fileId;
  } cases[] = {
      {"anna", false, "anna"},
      {"Anna Lee", false, "Anna Lee"},
      {"a.b", false, "a.b"},
      {"../x", true, "___x"},
      {"..", true, "__"},
      {"a/b", true, "a_b"},
      {"a\\b", true, "a_b"},
      {"C:x", true, "C_x"},
      {"a\tb", true, "a_b"},
      {"a\x7F", true, "a_"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUnsafeStudentId(c.id), c.unsafe) << c.id;
    EXPECT_EQ(StudentFileId(c.id), c.fileId) << c.id;
  }
  EXPECT_EQ(AchievementsFileName("../../etc/x"), "achievements_______etc_x.dat");
  EXPECT_EQ(AchievementsFileName("  anna "), "achievements_anna.dat");
  EXPECT_EQ(AchievementsFileName("  "), "achievements.dat");
}

TEST(StudentIds, FileNameOfPath) {
  EXPECT_EQ(FileNameOfPath("C:\\Lessons\\Scale.MID"), "scale.mid");
  EXPECT_EQ(FileNameOfPath("/home/u/Lessons/A.mid"), "a.mid");
  EXPECT_EQ(FileNameOfPath("Plain.Mid"), "plain.mid");
  EXPECT_EQ(FileNameOfPath("dir/"), "");
}

TEST(StudentIds, ActiveIndexForReaders) {
  struct Case {
    int count, stored, expected;
  } cases[] = {{0, -1, -1}, {0, 0, -1}, {3, -1, 0}, {3, 3, 0}, {3, 2, 2}, {3, 0, 0}};
  for (const Case& c : cases) {
    gStudents.assign(c.count, MakeStudent("n", "i"));
    gActiveStudentIndex = c.stored;
    EXPECT_EQ(GetActiveStudentIndex(), c.expected) << c.count << " " << c.stored;
  }
  gStudents.clear();
  gActiveStudentIndex = -1;
}

TEST_F(StudentsFile, AddStudentActionOnlyPointsToTheInstitutionPanel) {
  gStudents = {MakeStudent("A", "a")};
  AddStudentAction();
  EXPECT_EQ(gStatusText, "Add students in the Institution panel, where your seats are shown.");
  EXPECT_EQ(gStudents.size(), 1u);
}

// Every per-student file the program keeps for one id.
static std::vector<std::string> StudentFileNames(const std::string& id) {
  std::vector<std::string> names;
  for (const char* prefix : {"learning_progress_", "learning_mastery_", "learning_schedule_",
                             "learning_calendar_", "learning_practiceload_", "attendance_", "notes_",
                             "learning_endless_"}) {
    names.push_back(std::string(prefix) + id + ".dat");
    names.push_back(std::string(prefix) + id + ".dat.tmp");
  }
  names.push_back("achievements_" + id + ".dat");
  return names;
}

TEST_F(StudentsFile, DeleteRemovesExactlyTheStudentsFiles) {
  gStudents = {MakeStudent("Anna", "anna"), MakeStudent("Ben", "ben")};
  gActiveStudentIndex = 1;
  gStudentsLoaded = true;
  for (const std::string& id : {std::string("anna"), std::string("ben"), std::string("anna_2")})
    for (const std::string& name : StudentFileNames(id)) WriteData(name, "x");
  WriteData("teaching_anna.json", "{}");
  WriteData("teaching_ben.json", "{}");
  WriteData("students.dat.keep", "x");
  WriteFileBytes(Exe("achievements_anna.dat"), "beside");
  LoadTeachingState(true);
  SetTeachingDataFolder(gTeachingState, dir_.File("Data/"));   // set once per process otherwise

  DeleteStudent(0);

  EXPECT_FALSE(DataExists("teaching_anna.json"));
  EXPECT_TRUE(DataExists("teaching_ben.json"));

  for (const std::string& name : StudentFileNames("anna")) EXPECT_FALSE(DataExists(name)) << name;
  EXPECT_FALSE(FileExists(Exe("achievements_anna.dat")));
  for (const std::string& id : {std::string("ben"), std::string("anna_2")})
    for (const std::string& name : StudentFileNames(id)) EXPECT_TRUE(DataExists(name)) << name;
  EXPECT_TRUE(DataExists("students.dat.keep"));
  ASSERT_EQ(gStudents.size(), 1u);
  EXPECT_EQ(gStudents[0].id, "ben");
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=0\nBen|ben|0.3|0.48|0.76\n");
}

TEST_F(StudentsFile, DefaultAndUnsafeIdsDeleteNoFile) {
  struct Case {
    const char* id;
    std::vector<std::string> files;   // relative to Data
  } cases[] = {
      {"default", {"learning_progress_default.dat", "attendance_default.dat", "notes_default.dat",
                   "achievements_default.dat"}},
      {" default ", {"learning_progress_default.dat", "achievements_default.dat"}},
      {"../victim", {"learning_progress_../victim.dat", "notes_../victim.dat", "../victim.dat",
                     "achievements____victim.dat"}},
      {"sub/x", {"notes_sub/x.dat", "achievements_sub_x.dat"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    for (const std::string& f : c.files) WriteData(f, "x");
    gStudents = {MakeStudent("Victim", c.id), MakeStudent("Other", "other")};
    gActiveStudentIndex = 1;
    DeleteStudent(0);
    ASSERT_EQ(gStudents.size(), 1u);
    for (const std::string& f : c.files) EXPECT_TRUE(DataExists(f)) << f;
  }
}

TEST_F(StudentsFile, DeleteTakesTheIdOutOfEveryClassRoster) {
  struct Case {
    const char* id;
    bool removed;
  } cases[] = {{"anna", true}, {" anna ", true}, {"../x", true}, {"default", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    std::string trimmed = TrimWhitespace(c.id);
    gAttendanceClassesLoaded = true;
    gAttendanceClasses = {{"One", {trimmed, "ben", trimmed}}, {"Two", {"ben"}}, {"Three", {trimmed}}};
    gStudents = {MakeStudent("Victim", c.id), MakeStudent("Ben", "ben")};
    gActiveStudentIndex = 1;
    DeleteStudent(0);
    using Members = std::vector<std::string>;
    if (c.removed) {
      EXPECT_EQ(gAttendanceClasses[0].members, Members({"ben"}));
      EXPECT_EQ(gAttendanceClasses[2].members, Members({}));
    } else {
      EXPECT_EQ(gAttendanceClasses[0].members, Members({trimmed, "ben", trimmed}));
    }
    EXPECT_EQ(gAttendanceClasses[1].members, Members({"ben"}));
  }
  gAttendanceClasses.clear();
}

TEST_F(StudentsFile, DeleteKeepsTheRightStudentActive) {
  struct Case {
    const char* what;
    int count, active, remove;
    int expectedActive;
    const char* expectedAchievements;   // whose achievements are in memory afterwards ("" none loaded)
  } cases[] = {
      {"the active last of three: the new last becomes active", 3, 2, 2, 1, "s1"},
      {"the active middle one: the next one moves into its place", 3, 1, 1, 1, "s2"},
      {"one before the active: the same student stays active", 3, 2, 0, 1, ""},
      {"one after the active: nothing changes", 3, 0, 2, 0, ""},
      {"none active: none stays active", 3, -1, 1, -1, ""},
      {"the only one: none is left", 1, 0, 0, -1, "none"},
      {"an index out of range does nothing", 2, 1, 5, 1, ""},
  };
  GetScaleCatalogue();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gStudents.clear();
    for (int i = 0; i < c.count; ++i) {
      std::string id = "s" + std::to_string(i);
      gStudents.push_back(MakeStudent("S" + id, id));
      // Each student's file marks the cell of its own column, so a reload shows whose it is.
      std::string file = "ACHV3,1\n";
      for (int k = 0; k < 12; ++k) file += std::string(k ? "," : "") + (k == i ? "100" : "0");
      WriteData("achievements_" + id + ".dat", file + "\n");
    }
    WriteData("achievements.dat", "ACHV3,1\n0,0,0,0,0,0,0,0,0,0,0,77\n");
    gActiveStudentIndex = c.active;
    gStudentsLoaded = true;
    LoadAchievements();
    std::string before0 = ReadData("achievements_s0.dat");
    DeleteStudent(c.remove);
    EXPECT_EQ(gActiveStudentIndex, c.expectedActive);
    std::string who = c.expectedAchievements;
    if (who == "none") {
      EXPECT_EQ(gAchvTime[0][11], 77);
    } else if (!who.empty()) {
      int column = who[1] - '0';
      EXPECT_EQ(gAchvTime[0][column], 100) << who;
    }
    if (c.active == -1) {
      EXPECT_EQ(ReadData("achievements_s0.dat"), before0);
    }
  }
}

TEST_F(StudentsFile, DeleteClosesTheColourPopupOfItsRow) {
  gStudents = {MakeStudent("A", "a"), MakeStudent("B", "b"), MakeStudent("C", "c")};
  gActiveStudentIndex = 0;
  gColourPopupOpen = true;
  gColourWheelDrag = true;
  gSelectedStudentRow = 2;
  DeleteStudent(1);   // another row: the popup stays
  EXPECT_TRUE(gColourPopupOpen);
  EXPECT_EQ(gSelectedStudentRow, 2);
  DeleteStudent(1);   // gSelectedStudentRow still says 2, which no longer is row 1: stays
  EXPECT_TRUE(gColourPopupOpen);
  gSelectedStudentRow = 1;
  gStudents.push_back(MakeStudent("D", "d"));
  DeleteStudent(1);
  EXPECT_FALSE(gColourPopupOpen);
  EXPECT_FALSE(gColourWheelDrag);
  EXPECT_EQ(gSelectedStudentRow, -1);
}

TEST_F(StudentsFile, SwitchSavesTheOutgoingMatrixAndLoadsTheIncoming) {
  GetScaleCatalogue();
  gStudents = {MakeStudent("A", "a"), MakeStudent("B", "b")};
  WriteData("achievements_b.dat", "ACHV3,1\n0,0,0,0,0,0,0,0,0,0,0,55\n");
  gActiveStudentIndex = 0;
  gStudentsLoaded = true;
  LoadAchievements();
  gAchvDone[1][3] = 1;
  gAchvTime[1][3] = 1234;

  SwitchActiveStudent(7);   // limited to the list: B
  EXPECT_EQ(gActiveStudentIndex, 1);
  EXPECT_EQ(gAchvTime[0][11], 55);
  EXPECT_EQ(gAchvDone[1][3], 0);
  std::string saved = ReadData("achievements_a.dat");
  EXPECT_NE(saved.find("\n0,0,0,1234,0,0,0,0,0,0,0,0\n"), std::string::npos) << saved;
  EXPECT_EQ(ReadData("students.dat"),
            "STUDENTS_V2\nactive=1\nA|a|0.3|0.48|0.76\nB|b|0.3|0.48|0.76\n");

  // Switching to the active student does nothing at all.
  gAchvDone[2][2] = 1;
  gAchvTime[2][2] = 9;
  SwitchActiveStudent(1);
  EXPECT_EQ(gAchvTime[2][2], 9);

  // Before the students are loaded nothing is saved or loaded for the matrix.
  gStudentsLoaded = false;
  fs::remove(Data("achievements_b.dat"));
  SwitchActiveStudent(0);
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_FALSE(DataExists("achievements_b.dat"));
  EXPECT_EQ(gAchvTime[2][2], 9);

  gStudents.clear();
  SwitchActiveStudent(0);
  EXPECT_EQ(gActiveStudentIndex, -1);
  EXPECT_EQ(ReadData("students.dat"), "STUDENTS_V2\nactive=-1\n");
}
