// The file key and paths of a student's learning files, backups and migration, the atomic writer
// under failures, and the date helpers in several time zones.
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "learning/iso_dates.h"
#include "tests/learning/learning_fixture.h"

namespace fs = std::filesystem;

TEST_F(LearningTest, FileKeyFollowsTheActiveStudentInItsSafeForm) {
  struct Case { const char* id; int active; const char* key; } cases[] = {
      {"s1", 0, "s1"}, {" s1 ", 0, "s1"}, {"   ", 0, "default"}, {"s1", -1, "default"},
      {"s1", 5, "default"}, {"../up", 0, nullptr}, {" a/b", 0, nullptr}, {"..", 0, nullptr},
  };
  for (const Case& c : cases) {
    gStudents.clear();
    AddActive(c.id);
    gActiveStudentIndex = c.active;
    // Unsafe ids use the one per-student file-name form of the student records.
    std::string key = c.key ? c.key : StudentFileId(TrimWhitespace(c.id));
    EXPECT_EQ(StudentFileKey(), key) << c.id;
    EXPECT_EQ(key.find('/'), std::string::npos);
    std::string path = MasteryFilePath();
    EXPECT_EQ(path, Data("learning_mastery_" + key + ".dat"));
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(Data("")).parent_path()) << "stays in Data";
  }
  gStudentFileKeyOverride = "prev";
  EXPECT_EQ(CalendarFilePath(), Data("learning_calendar_prev.dat"));
  gStudentFileKeyOverride.clear();
}

TEST_F(LearningTest, StudentIdsNeverTakeTheNoStudentName) {
  EXPECT_EQ(MakeUniqueStudentId("Default"), "default_2");
  EXPECT_EQ(MakeUniqueStudentId("Ann"), "ann");
}

TEST_F(LearningTest, BackupsKeepTheOldestCopyAndMigrationRunsOnce) {
  WriteData("learning_progress_default.dat", "a\n");
  BackupLearningFiles();
  WriteData("learning_progress_default.dat", "b\n");
  BackupLearningFiles();
  EXPECT_EQ(ReadData("learning_progress_default.dat.bak"), "a\n");
  EXPECT_FALSE(DataExists("learning_mastery_default.dat.bak"));
  EXPECT_FALSE(DataExists("learning_progress_default.dat.bak.tmp"));

  WriteData("learning_schedule.dat", "2024-01-01\nold\n");
  LoadLearningFiles();
  EXPECT_EQ(ReadData("learning_schedule_default.dat"), "2024-01-01\nold\n");
  EXPECT_EQ(gScheduleItems.count("old"), 1u);
  WriteData("learning_schedule.dat", "newer\n");
  ResetLearningRecords();   // a new run
  LoadLearningFiles();
  EXPECT_EQ(ReadData("learning_schedule_default.dat"), "2024-01-01\nold\n") << "an existing file is never overwritten";
}

TEST_F(LearningTest, AtomicSaveReplacesWholeOrFailsWithTheMessage) {
  ScopedDrivenClock clock;   // the retries' sleeps return at once
  std::string path = Data("x.dat");
  fs::create_directories(Data(""));
  EXPECT_TRUE(SaveFileAtomic(path, "one\n"));
  EXPECT_TRUE(SaveFileAtomic(path, ""));
  EXPECT_EQ(ReadFileBytes(path), "");
  EXPECT_TRUE(gStatusText.empty());

  // The target is a folder with content: every move fails, the folder stays, no ".tmp" is left.
  WriteFileBytes(Data("busy/inside"), "keep");
  DebugCapture log;
  EXPECT_FALSE(SaveFileAtomic(Data("busy"), "x"));
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
  EXPECT_FALSE(FileExists(Data("busy.tmp")));
  EXPECT_EQ(ReadFileBytes(Data("busy/inside")), "keep");

  // A folder that cannot be written (not for root, who may write anywhere).
  if (geteuid() != 0) {
    WriteFileBytes(dir_.File("ro/target.dat"), "old");
    fs::permissions(dir_.File("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    gStatusText.clear();
    EXPECT_FALSE(SaveFileAtomic(dir_.File("ro/target.dat"), "new"));
    EXPECT_EQ(gStatusText, kSaveFailureMessage);
    EXPECT_EQ(ReadFileBytes(dir_.File("ro/target.dat")), "old");
    EXPECT_FALSE(FileExists(dir_.File("ro/target.dat.tmp")));
    fs::permissions(dir_.File("ro"), fs::perms::owner_all);
  }
}

TEST_F(LearningTest, SaveFailureOnAWorkerReachesTheStatusLineThroughTheFrame) {
  WriteFileBytes(Data("busy/inside"), "keep");
  std::thread worker([&] { SaveFileAtomic(Data("busy"), "x"); });
  worker.join();
  EXPECT_TRUE(gStatusText.empty()) << "a worker never writes the status line";
  TakeSaveFailureStatus();
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
}

// Worked out by hand: month and year ends, leap days, mktime's normalisation of the fields.
TEST(IsoDates, TableHoldsInEveryTimeZone) {
  struct Case { const char* date; int days; const char* result; } cases[] = {
      {"2024-12-31", 1, "2025-01-01"}, {"2024-03-01", -1, "2024-02-29"}, {"2023-03-01", -1, "2023-02-28"},
      {"2024-02-28", 1, "2024-02-29"}, {"2100-02-28", 1, "2100-03-01"}, {"2000-02-28", 1, "2000-02-29"},
      {"2024-02-30", 0, "2024-03-01"}, {"2024-13-01", 0, "2025-01-01"}, {"2024-00-10", 0, "2023-12-10"},
      {"2024-03-00", 0, "2024-02-29"}, {"2011-12-29", 1, "2011-12-30"}, {"2024-01-31", 30, "2024-03-01"},
      {"2024-03-30", 2, "2024-04-01"}, {"2025-01-01", -366, "2024-01-01"}, {"2024-3-1", 5, "2024-3-1"},
      {"2024/02/03", 1, "2024/02/03"},
  };
  const char* zones[] = {"UTC", "America/New_York", "America/Sao_Paulo", "Pacific/Apia", "Asia/Tehran"};
  const char* saved = getenv("TZ");
  std::string savedTz = saved ? saved : "";
  for (const char* zone : zones) {
    setenv("TZ", zone, 1);
    tzset();
    for (const Case& c : cases) EXPECT_EQ(AddDaysIsoDate(c.date, c.days), c.result) << zone << " " << c.date;
    std::tm t;
    ASSERT_TRUE(ParseIsoDate("2024-02-30", &t));
    EXPECT_EQ(t.tm_mon, 2);
    EXPECT_EQ(t.tm_mday, 1);
    EXPECT_EQ(t.tm_hour, 12);
    EXPECT_EQ(t.tm_wday, 5) << "1 March 2024 was a Friday";
    EXPECT_FALSE(ParseIsoDate("2024/02/03", &t));
    t.tm_mday += 40;
    EXPECT_EQ(FormatIsoDate(&t), "2024-04-10");
    // The real local date of this zone.
    ClockDriveEnd();
    time_t now = time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    char expect[16];
    strftime(expect, sizeof expect, "%Y-%m-%d", &local);
    std::string today = TodayIsoDate();
    if (today != expect) today = TodayIsoDate();   // a midnight between the two reads
    EXPECT_EQ(today, expect) << zone;
  }
  if (saved) setenv("TZ", savedTz.c_str(), 1);
  else unsetenv("TZ");
  tzset();
  for (const char* good : {"2024-02-29", "2000-02-29", "0000-02-29", "9999-12-31", "2024-04-30"})
    EXPECT_TRUE(IsWellFormedIsoDate(good)) << good;
  for (const char* bad : {"2023-02-29", "2024-2-029", "20x4-01-01", "2024-01-01 ", "1900-02-29", "2024-04-31",
                          "2024-13-01", "2024-00-10", "2024-01-00", "2024-01-32"})
    EXPECT_FALSE(IsWellFormedIsoDate(bad)) << bad;
}

TEST(IsoDates, TodayFollowsTheDrivenLocalClock) {
  ScopedDrivenClock clock;
  ClockDriveSetLocal({2024, 2, 29, 23, 59, 59, 999, 4}, 0);
  EXPECT_EQ(TodayIsoDate(), "2024-02-29");
  ClockDriveSetLocal({12345, 1, 2, 0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(TodayIsoDate(), "12345-01-02");
}
