// Tests of the teaching file: its exact layout, the key-search reader on varied and broken input,
// the version check, the older places, and the background writer under overlap, failure and kill.
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/base/status_text.h"
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/clock.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

// A temporary data folder; every test waits for its saves before the folder goes.
class TeachingFileTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(WaitForPendingSaves()); }
  std::string DataFolder() const { return dir_.path() + "/Data/"; }
  // A record of one student whose files live in the data folder.
  TeachingState For(const std::string& id) const {
    TeachingState s;
    s.dataFolder = DataFolder();
    s.studentId = id;
    return s;
  }
  TempDir dir_;
};

using Entry = TeachingAttendanceEntry;

std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec))
    if (item.path().filename().string().find(".tmp.") != std::string::npos)
      out.push_back(item.path().string());
  return out;
}

TEST(TeachingFileFormat, ExactLayout) {
  TeachingSaveJob job;
  job.studentId = "ann";
  job.studentName = "Ann \"A\\B\"\n\t\r\x01 \xc3\xa9";
  job.difficulty = 7;
  job.practiceScales = {12, 35, -1};
  job.attendance = {Entry{"2026-12-05", 57.333332f, 100.0f, 0.0f, 0.5f, 12.25f, 80, 4, 4, 7},
                    Entry{"2026-12-06", 24.455128f, 1e-7f, 99.99999f, 3.0f, 64.0f, 400, 32, 16, 10}};
  const std::string want =
      "{\n"
      "  \"version\":1,\n"
      "  \"studentId\":\"ann\",\n"
      "  \"studentName\":\"Ann \\\"A\\\\B\\\"\\n\\t\\r\\u0001 \xc3\xa9\",\n"
      "  \"lastSaved\":\"2026-12-06T21:05:09\",\n"
      "  \"lastDifficulty\":7,\n"
      "  \"practiceScales\":[12,35,-1],\n"
      "  \"attendance\":[\n"
      "    {\"dateISO\":\"2026-12-05\",\"Challenge\":57.3333,\"A\":100,\"B\":0,\"C\":0.5,\"D\":12.25,"
      "\"bpm\":80,\"timeSigNum\":4,\"timeSigDen\":4,\"difficulty\":7},\n"
      "    {\"dateISO\":\"2026-12-06\",\"Challenge\":24.4551,\"A\":1e-07,\"B\":100,\"C\":3,\"D\":64,"
      "\"bpm\":400,\"timeSigNum\":32,\"timeSigDen\":16,\"difficulty\":10}\n"
      "  ]\n"
      "}\n";
  EXPECT_EQ(FormatTeachingJson(job, "2026-12-06T21:05:09"), want);
}

TEST_F(TeachingFileTest, ReaderAcceptsVariationsAndStopsAtBrokenInput) {
  struct Case { const char* name; std::string text; bool read; int difficulty; std::vector<int32_t> scales;
                std::vector<std::string> dates; int firstBpm; };
  const std::vector<Case> cases = {
      {"spacing, tabs and line ends",
       "{\r\n\t\"version\" : 1 ,\r\n \"lastDifficulty\" :\t8,\n \"practiceScales\" : [ 3 ,\n 4 ] ,\n"
       " \"attendance\" : [ { \"dateISO\" : \"2026-01-02\" , \"bpm\" : 90 } ,\n"
       "{\"difficulty\":3,\"dateISO\":\"2026-01-03\"} ] }",
       true, 8, {3, 4}, {"2026-01-02", "2026-01-03"}, 90},
      {"practice list stops at a letter",
       "{\"version\":1,\"practiceScales\":[12 35,x7],\"attendance\":[]}", true, 5, {12, 35}, {}, -1},
      {"entry without a date is dropped; bpm out of range kept",
       "{\"version\":1,\"attendance\":[{\"bpm\":80},{\"dateISO\":\"2026-02-01\",\"bpm\":999}]}", true, 5,
       {}, {"2026-02-01"}, 999},
      {"difficulty clamped", "{\"version\":1,\"lastDifficulty\":42}", true, 10, {}, {}, -1},
      {"missing version reads as 1", "{\"lastDifficulty\":2,\"practiceScales\":[1]}", true, 2, {1}, {}, -1},
      {"list cut after a number that may have lost digits", "{\"version\":1,\"practiceScales\":[1,2", true, 5, {1},
       {}, -1},
      {"cut inside the difficulty", "{\"version\":1,\"practiceScales\":[3],\"lastDifficulty\":1", true, 5, {3}, {}, -1},
      {"attendance object never closed",
       "{\"version\":1,\"attendance\":[{\"dateISO\":\"2026-01-01\"}, {\"dateISO\":\"2026-01-02\"", true, 5, {},
       {"2026-01-01"}, -1},
      {"text after the object", "{\"version\":1,\"lastDifficulty\":4}\n}", true, 4, {}, {}, -1},
      {"cut text of something else", "{\"title\":\"list\",\"items\":[1,2", false, 5, {}, {}, -1},
      {"binary junk", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false, 5, {}, {}, -1},
      {"braces inside a string do not count", "{\"version\":1,\"studentName\":\"}\\\"{\",\"lastDifficulty\":6}", true, 6,
       {}, {}, -1},
      {"empty file", "", false, 5, {}, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TeachingState s = For("kim");
    WriteFileBytes(TeachingFilePath(s), c.text);
    EXPECT_EQ(ReadTeachingFile(s), c.read);
    EXPECT_EQ(s.lastDifficulty, c.difficulty);
    EXPECT_EQ(s.savedPracticeScales, c.scales);
    std::vector<std::string> dates;
    for (const auto& e : s.attendance) dates.push_back(e.dateISO);
    EXPECT_EQ(dates, c.dates);
    if (c.firstBpm >= 0) { EXPECT_EQ(s.attendance.front().bpm, c.firstBpm); }
  }
}

// A file the reader took only in part (a session whose date key is damaged, a list cut at a
// letter, a file cut short or with a bracket too many) gives what it holds whole, and is kept
// beside it before the first save replaces it with less; a whole one is not.
TEST_F(TeachingFileTest, AFileReadInPartIsKeptBesideItBeforeASave) {
  TeachingSaveJob job;
  job.studentId = "ann";
  job.difficulty = 8;
  job.practiceScales = {0, 17, 34};
  job.attendance = {Entry{"2026-12-01", 50, 1, 2, 3, 4, 90, 4, 4, 5}, Entry{"2026-12-02", 51, 1, 2, 3, 4, 90, 4, 4, 5},
                    Entry{"2026-12-03", 52, 1, 2, 3, 4, 90, 4, 4, 5}};
  const std::string whole = FormatTeachingJson(job, "2026-12-03T10:00:00");
  std::string damaged = whole;
  damaged.replace(damaged.find("\"dateISO\":\"2026-12-03\""), 9, "\"date ISO\"");
  damaged.replace(damaged.find("[0,17,34]"), 9, "[0,17,x,34]");
  std::string extraBracket = whole;
  extraBracket.insert(extraBracket.rfind("  ]\n"), "  ]\n");
  const struct {
    const char* name;
    std::string text;
    bool kept;
    std::vector<int32_t> scales;
    size_t sessions;
  } cases[] = {
      {"whole", whole, false, {0, 17, 34}, 3},
      {"damaged date and plan", damaged, true, {0, 17}, 2},
      {"without its last brace", whole.substr(0, whole.size() - 2), true, {0, 17, 34}, 3},
      {"a closing bracket too many", extraBracket, true, {0, 17, 34}, 3},
      {"cut inside the last session", whole.substr(0, whole.find("\"Challenge\":52")), true, {0, 17, 34}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(DataFolder());
    TeachingState s = For("ann");
    WriteFileBytes(TeachingFilePath(s), c.text);
    ASSERT_TRUE(ReadTeachingFile(s));
    EXPECT_EQ(s.lastDifficulty, 8);
    EXPECT_EQ(s.savedPracticeScales, c.scales);
    ASSERT_EQ(s.attendance.size(), c.sessions);
    EXPECT_EQ(s.attendance[1].Challenge, 51.0f);
    EXPECT_FALSE(fs::exists(TeachingFilePath(s) + ".bad")) << "nothing is set aside";
    s.practiceScales = s.savedPracticeScales;
    SaveTeachingStateAsync(s);
    ASSERT_TRUE(WaitForPendingSaves());
    EXPECT_EQ(fs::exists(TeachingFilePath(s) + ".bak"), c.kept);
    if (c.kept) {
      EXPECT_EQ(ReadFileBytes(TeachingFilePath(s) + ".bak"), c.text) << "the file as read, whole";
    }
    EXPECT_NE(ReadFileBytes(TeachingFilePath(s)).find("2026-12-02"), std::string::npos) << "the save went through";
  }
}

TEST_F(TeachingFileTest, OtherVersionIsSkippedWithItsLogLine) {
  TeachingState s = For("kim");
  s.lastDifficulty = 3;
  WriteFileBytes(TeachingFilePath(s), "{\n  \"version\":2,\n  \"lastDifficulty\":9,\n  \"practiceScales\":[1]\n}\n");
  DebugCapture log;
  gStatusText.clear();
  EXPECT_FALSE(ReadTeachingFile(s));
  EXPECT_TRUE(s.lastDifficulty == 3 && s.savedPracticeScales.empty());
  EXPECT_EQ(log.Lines().at(0), "[teaching] unexpected schema version 2 in " + TeachingFilePath(s) +
                                 "; skipping load");
  // Kept aside, and said to be a newer program's file rather than a damaged one.
  EXPECT_EQ(gStatusText, "teaching_kim.json was written by a newer Tonvarra; it is kept as teaching_kim.json.bad");
  EXPECT_TRUE(FileExists(TeachingFilePath(s) + ".bad"));
}

// The background writer's file reads back, escapes included; a file found in the older place is
// read, and the next save goes to the data folder.
TEST_F(TeachingFileTest, RoundTripAndTheOlderPlace) {
  TeachingState s = For("Ann Lee/2");
  const std::string oddDate = "2026\"\\\x01\x1f\n";   // quotes, backslashes and control bytes
  s.difficulty = 4;
  s.practiceScales = {0, 17, 50};
  s.attendance = {Entry{oddDate, 57.333332f, 1, 2, 3, 4, 120, 3, 8, 4}};
  SaveTeachingStateAsync(s);
  ASSERT_TRUE(WaitForPendingSaves());
  TeachingState back = For(s.studentId);
  // An id with bytes outside a-z, A-Z, 0-9, '-', '_' has a file of its own, not Ann_Lee_2's.
  EXPECT_EQ(TeachingFilePath(s), DataFolder() + "teaching_" + HashedStudentFileId("Ann Lee/2") + ".json");
  ASSERT_TRUE(FileExists(TeachingFilePath(s)));
  ASSERT_TRUE(ReadTeachingFile(back));
  EXPECT_EQ(back.lastDifficulty, 4);
  EXPECT_EQ(back.savedPracticeScales, s.practiceScales);
  ASSERT_EQ(back.attendance.size(), 1u);
  EXPECT_EQ(back.attendance[0].dateISO, oddDate);
  EXPECT_NEAR(back.attendance[0].Challenge, 57.3333f, 1e-4f);

  TeachingState old = For("kim");
  WriteFileBytes(dir_.path() + "/teaching_kim.json", "{\"version\":1,\"lastDifficulty\":9,\"practiceScales\":[4,5]}");
  ASSERT_TRUE(ReadTeachingFile(old));
  EXPECT_EQ(old.lastDifficulty, 9);
  old.difficulty = 2;
  SaveTeachingStateAsync(old);
  ASSERT_TRUE(WaitForPendingSaves());
  EXPECT_NE(ReadFileBytes(DataFolder() + "teaching_kim.json").find("\"lastDifficulty\":2"), std::string::npos);
  EXPECT_NE(ReadFileBytes(dir_.path() + "/teaching_kim.json").find("\"lastDifficulty\":9"), std::string::npos);
}

// A date is written as any escaped string: one that reads like a key, or holds the brackets and
// braces that close the list and its entries, reads back with every value of its entry.
TEST_F(TeachingFileTest, DatesThatLookLikeKeysOrHoldBracketsReadBack) {
  TeachingSaveJob job;
  job.studentId = "kim";
  job.attendance = {Entry{"A", 1, 2, 3, 4, 5, 60, 3, 4, 2}, Entry{"x}y]{", 6, 7, 8, 9, 10, 70, 5, 8, 3},
                    Entry{"bpm", 11, 12, 13, 14, 15, 80, 6, 8, 4}, Entry{"2026-01-01", 16, 17, 18, 19, 20, 90, 7, 8, 5}};
  TeachingState s = For("kim");
  WriteFileBytes(TeachingFilePath(s), FormatTeachingJson(job, "2026-01-01T10:00:00"));
  ASSERT_TRUE(ReadTeachingFile(s));
  ASSERT_EQ(s.attendance.size(), job.attendance.size());
  for (size_t i = 0; i < job.attendance.size(); ++i) {
    const Entry &want = job.attendance[i], &got = s.attendance[i];
    SCOPED_TRACE(want.dateISO);
    EXPECT_EQ(got.dateISO, want.dateISO);
    EXPECT_EQ(std::vector<float>({got.Challenge, got.A, got.B, got.C, got.D}),
              std::vector<float>({want.Challenge, want.A, want.B, want.C, want.D}));
    EXPECT_EQ(std::vector<int32_t>({got.bpm, got.timeSigNum, got.timeSigDen, got.difficulty}),
              std::vector<int32_t>({want.bpm, want.timeSigNum, want.timeSigDen, want.difficulty}));
  }
  // Without a version line, a date that reads "version" is no version of another program.
  TeachingState old = For("lee");
  WriteFileBytes(TeachingFilePath(old), "{\"lastDifficulty\":4,\"attendance\":[{\"dateISO\":\"version\",\"bpm\":2}]}");
  ASSERT_TRUE(ReadTeachingFile(old));
  EXPECT_EQ(old.lastDifficulty, 4);
  ASSERT_EQ(old.attendance.size(), 1u);
  EXPECT_EQ(old.attendance[0].bpm, 2);
}

TEST_F(TeachingFileTest, OverlappingSavesEndWithTheNewest) {
  TeachingState s = For("kim");
  for (int i = 0; i < 40; ++i) {
    s.difficulty = 1 + i % 10;
    s.practiceScales.assign((size_t)(40 - i) * 20, i);   // older saves are bigger, so slower
    SaveTeachingStateAsync(s);
  }
  s.difficulty = 3;
  s.practiceScales = {7};
  SaveTeachingStateAsync(s);
  ASSERT_TRUE(WaitForPendingSaves());
  TeachingState back = For("kim");
  ASSERT_TRUE(ReadTeachingFile(back));
  EXPECT_EQ(back.lastDifficulty, 3);
  EXPECT_EQ(back.savedPracticeScales, (std::vector<int32_t>{7}));
  EXPECT_TRUE(TemporaryFilesIn(DataFolder()).empty());
}

TEST_F(TeachingFileTest, FailedSaveKeepsTheTargetAndTheCount) {
  // The target is a folder: the rename fails, the folder stays, no temporary file is left and the
  // count of saves in flight comes back to zero.
  TeachingState t = For("dir");
  fs::create_directories(TeachingFilePath(t));
  DebugCapture log;
  SaveTeachingStateAsync(t);
  EXPECT_TRUE(WaitForPendingSaves());
  EXPECT_EQ(gPendingSaves.load(), 0);
  EXPECT_TRUE(fs::is_directory(TeachingFilePath(t)));
  EXPECT_TRUE(TemporaryFilesIn(DataFolder()).empty());
  EXPECT_TRUE(log.Contains("[teaching] could not save " + TeachingFilePath(t) + " (rename: "));
}

TEST_F(TeachingFileTest, AFailedSaveTriedAgainNeverTakesTheNewerOnesPlace) {
  TeachingState s = For("amy");
  auto difficultyOnDisk = [&] {
    TeachingState back = For("amy");
    return ReadTeachingFile(back) ? back.lastDifficulty : -1;
  };
  for (int round = 0; round < 20; ++round) {
    ResetFailedTeachingSaves();
    ResetDirtyStores();
    FailWritesEndingWithForTesting("teaching_amy.json");
    s.difficulty = 3;
    SaveTeachingStateAsync(s);
    ASSERT_TRUE(WaitForPendingSaves());
    FailWritesEndingWithForTesting("");
    // The disk takes saves again: a newer save starts, and the refused one is tried again at once.
    s.difficulty = 7;
    SaveTeachingStateAsync(s);
    SaveDirtyStores();
    ASSERT_TRUE(WaitForPendingSaves());
    ASSERT_EQ(difficultyOnDisk(), 7) << "round " << round;
  }

  // Tried again with nothing newer, the refused save lands and is done with: a later pass over the
  // dirty stores leaves the file alone.
  ResetFailedTeachingSaves();
  ResetDirtyStores();
  FailWritesEndingWithForTesting("teaching_amy.json");
  s.difficulty = 4;
  SaveTeachingStateAsync(s);
  ASSERT_TRUE(WaitForPendingSaves());
  FailWritesEndingWithForTesting("");
  SaveDirtyStores();
  ASSERT_TRUE(WaitForPendingSaves());
  EXPECT_EQ(difficultyOnDisk(), 4);
  fs::remove(TeachingFilePath(s));
  SaveDirtyStores();
  ASSERT_TRUE(WaitForPendingSaves());
  EXPECT_FALSE(fs::exists(TeachingFilePath(s)));
  ResetDirtyStores();
}

TEST_F(TeachingFileTest, KilledSaveLeavesTheOldOrTheNewFile) {
  ScopedDrivenClock clock;
  ClockDriveSetLocal({2026, 12, 6, 22, 0, 0, 0, 0}, 1796594400);
  const std::string stamp = "2026-12-06T22:00:00";
  TeachingState s = For("kill");
  auto jobFor = [&](int n) {
    TeachingSaveJob job;
    job.path = TeachingFilePath(s);
    job.studentId = s.studentId;
    job.studentName = "round " + std::to_string(n);
    job.difficulty = 1 + n % 10;
    job.practiceScales.assign(2000 + (size_t)(n % 7) * 500, n);
    return job;
  };
  WriteFileBytes(TeachingFilePath(s), FormatTeachingJson(jobFor(-1), stamp));

  std::mt19937 rng(1234);
  int roundsWithNewContent = 0;
  for (int round = 0; round < 12; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0; n < 1000000; ++n) {
        gPendingSaves.fetch_add(1);
        WriteTeachingJsonThread(new TeachingSaveJob(jobFor(n)));
      }
      _exit(0);
    }
    usleep(2000 + rng() % 20000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    std::string text = ReadFileBytes(TeachingFilePath(s));
    size_t at = text.find("\"studentName\":\"round ");
    ASSERT_NE(at, std::string::npos) << "round " << round;
    int n = std::stoi(text.substr(at + 21));
    EXPECT_EQ(text, FormatTeachingJson(jobFor(n), stamp)) << "round " << round;
    if (n >= 0) ++roundsWithNewContent;
  }
  EXPECT_GT(roundsWithNewContent, 0);
}

}  // namespace
