// The classroom stores and settings on damaged and hostile files: a register read only in part is
// copied aside before it is written back, notes stay private, a settings line that could misdirect
// the token is refused, and the device id survives an editor.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "classroom/attendance_sync.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_settings.h"
#include "classroom/teacher_notes.h"
#include "tests/classroom/class_stores_fixture.h"
#include "tests/support/test_support.h"

using HostileClassroomFiles = ClassStoresTest;

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// A store: its file, how a change is made through it, and a file it reads whole.
struct Store {
  const char* file;
  std::function<void()> change;
  const char* whole;
};

const Store kStores[] = {
    {"attendance_anna.dat", [] { ToggleAttendance("anna", "2025-03-14"); }, "STATUS\t2025-03-01\tL\n"},
    {"attendance_classes.dat", [] { AddAttendanceClass(); }, "CLASS\tMonday\nMEMBER\tanna\n"},
    {"notes_anna.dat",
     [] {
       gCalendarSelectedDate = "2025-03-14";
       LoadNotes("anna");
       gEditField.text = "scales";
       SaveNotes();
     },
     "NOTE\t2025-03-01\tfirst\\nlesson\n"},
};

}  // namespace

TEST_F(HostileClassroomFiles, ARegisterReadOnlyInPartIsKeptAsideBeforeItIsWrittenBack) {
  // Damage to a file the store reads whole: one changed byte, a newer version's line, a stray
  // line, a last line cut short.
  const struct { const char* name; std::string (*damage)(const std::string&); } damages[] = {
      {"changed byte", [](const std::string& s) { return "X" + s.substr(1); }},
      {"newer line", [](const std::string& s) { return s + "GROUP\tsecond term\t3\n"; }},
      {"stray line", [](const std::string& s) { return s + "no tab here\n"; }},
      {"cut last line", [](const std::string& s) { return s + "CLA"; }},
  };
  for (const Store& store : kStores) {
    for (const auto& d : damages) {
      SCOPED_TRACE(std::string(store.file) + ", " + d.name);
      ResetStores();
      std::filesystem::remove_all(Data(""));
      const std::string read = d.damage(store.whole);
      WriteData(store.file, read);
      DebugCapture log;
      store.change();
      EXPECT_EQ(ReadData(std::string(store.file) + ".bak"), read);
      EXPECT_TRUE(log.Contains("kept as")) << log.Text();
      // A later run that reads the written file whole keeps no second copy.
      ResetStores();
      store.change();
      EXPECT_FALSE(DataExists(std::string(store.file) + ".bak2"));
    }
    // A file read whole is written back with the change, and nothing is copied.
    SCOPED_TRACE(store.file);
    ResetStores();
    std::filesystem::remove_all(Data(""));
    WriteData(store.file, store.whole);
    store.change();
    EXPECT_NE(ReadData(store.file), store.whole);
    EXPECT_FALSE(DataExists(std::string(store.file) + ".bak"));
  }
}

TEST_F(HostileClassroomFiles, NotesAreCreatedPrivateAndAReplacedRegisterKeepsItsMode) {
  mode_t oldMask = ::umask(022);
  kStores[2].change();
  EXPECT_EQ(ModeOf(Data("notes_anna.dat")), 0600u);
  WriteData("attendance_anna.dat", kStores[0].whole);
  ASSERT_EQ(::chmod(Data("attendance_anna.dat").c_str(), 0600), 0);
  kStores[0].change();
  EXPECT_EQ(ModeOf(Data("attendance_anna.dat")), 0600u);
  ::umask(oldMask);
}

TEST_F(HostileClassroomFiles, SettingsThatNameNoServerOrHideANulAreRefused) {
  const struct { std::string text; const char* server; } cases[] = {
      {"server=https://class.example/\ntoken=t\n", "https://class.example"},
      {"server=https:///\ntoken=t\n", ""},
      {"server=https://?x\n", ""},
      {"server=https://#\n", ""},
      {std::string("server=https://class.example") + '\0' + ".evil.example/\ntoken=t\n", ""},
      {std::string("server=https://class.example/\ntoken=t") + '\0' + "x\n", "https://class.example"},
  };
  for (const auto& c : cases) {
    WriteData("classroom.txt", c.text);
    LoadClassroomSettings();
    EXPECT_EQ(gClassroomServer, c.server) << c.text;
    EXPECT_EQ(ClassroomServerConfigured(), *c.server != 0) << c.text;
    EXPECT_EQ(gDeviceToken.find('\0'), std::string::npos);
  }
}

// Written as the README shows it, with a comment after each value: the comments are no part of
// the values; a '#' inside a value stays.
TEST_F(HostileClassroomFiles, CommentsAfterTheValuesAreNotPartOfThem) {
  WriteData("classroom.txt",
            "server=https://class.example/api    # the classroom API's base address; https only\n"
            "role=teacher\t# optional: marks a teacher's device\n"
            "token=DEV#7-x                        # this device's token from the school\n"
            "device=laptop-1 #\n"
            "# a whole line of comment\n");
  LoadClassroomSettings();
  EXPECT_EQ(gClassroomServer, "https://class.example/api");
  EXPECT_EQ(gInstitutionRole, "teacher");
  EXPECT_EQ(gDeviceToken, "DEV#7-x");
  EXPECT_EQ(gDeviceId, "laptop-1");
}

TEST_F(HostileClassroomFiles, TheDeviceIdSurvivesAnEditorAndAnUnusableOneIsKeptAside) {
  const struct { const char* text; const char* id; bool keptAside; } cases[] = {
      {"\xEF\xBB\xBF" "0a1b2c3d\r\nsecond line\n", "0a1b2c3d", false},
      {"  dev-7_x  \n", "dev-7_x", false},
      {"not an id!\n", nullptr, true},
      {"\n0a1b2c3d\n", nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::filesystem::remove_all(Data(""));
    WriteData("device_id.txt", c.text);
    WriteData("classroom.txt", "server=https://class.example\n");
    LoadClassroomSettings();
    if (c.id) EXPECT_EQ(gDeviceId, c.id);
    EXPECT_EQ(ReadData("device_id.txt.bad"), c.keptAside ? c.text : "");
    if (!c.keptAside) EXPECT_EQ(ReadData("device_id.txt"), c.text);
    else EXPECT_EQ(ReadData("device_id.txt"), gDeviceId + "\n");
  }
}

// The day files are read whole however long they are; one that cannot be read is kept aside.
TEST_F(HostileClassroomFiles, LongDayFilesAreReadWholeAndAnUnreadableOneIsKeptAside) {
  ResetAttendanceSync();
  std::string present = "2020-01-01\n";
  for (int i = 0; i < 120000; ++i) present += "2021-0" + std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10) + "\n";
  present += "2030-12-31\n";
  ASSERT_GT(present.size(), 1u << 20);
  WriteFileBytes(AttendanceQueuePath(), present);
  std::filesystem::create_directories(AttendancePendingPath());
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    LoadAttendanceDays();
    ASSERT_FALSE(gAttendanceDays.empty());
    EXPECT_EQ(gAttendanceDays.back(), "2030-12-31") << "the day past the first MiB";
    EXPECT_TRUE(gPendingAttendanceDays.empty());
  }
  EXPECT_TRUE(std::filesystem::is_directory(AttendancePendingPath() + ".bad"));
  ResetAttendanceSync();
}

// A FIFO nobody writes to at any file the classroom reads at start-up: each reads as absent at once.
TEST_F(HostileClassroomFiles, AFifoAtAClassroomFileIsNeverWaitedOn) {
  const char* names[] = {"classroom.txt", "device_id.txt", "teacher_token.txt", "student_code.txt",
                         "attendance_present.txt", "attendance_pending.txt", "attendance_classes.dat"};
  std::filesystem::create_directories(Data(""));
  for (const char* name : names) ASSERT_EQ(mkfifo(Data(name).c_str(), 0600), 0) << name;
  LoadClassroomSettings();
  EXPECT_FALSE(ClassroomServerConfigured());
  LoadTeacherToken();
  LoadStudentCode();
  EXPECT_TRUE(gTeacherToken.empty());
  ResetAttendanceSync();
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    LoadAttendanceDays();
  }
  LoadAttendanceClasses();
  EXPECT_TRUE(gAttendanceClasses.empty());
  ResetAttendanceSync();
}
