// The five learning files: byte-exact round trips, the mastery layouts of every version, the
// calendar's repair, switching students, damaged files that are never lost and Windows line ends.
#include <filesystem>
#include <set>

#include "platform/file_replace.h"
#include "tests/learning/learning_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string Header() {
  return "id\tattempts\tpasses\tdistinct_pass_days\tbest_accuracy\tbest_timing\tbest_bpm\tlast_pass_date\t"
         "latest_accuracy\tlatest_timing\tlatest_bpm\tlast_attempt_date\tlatest_expected\tlatest_landed\t"
         "latest_perfect\tlatest_good\tlatest_late_or_early\tlatest_missed\tlatest_hold_breaks\t"
         "latest_wrong_attempts\tlatest_early\tlatest_late\tlatest_mean_abs_timing_ms\t"
         "latest_mean_signed_timing_ms\tlatest_passed\tlatest_vel_samples\tlatest_mean_velocity\t"
         "latest_timing_std_ms\tlatest_vel_stdev\tplaced_by_source\tlegacy_targets\tlatest_dynamics_state\t"
         "latest_dynamics\tlatest_rhythm_state\tlatest_rhythm\tlatest_articulation_state\tlatest_articulation\t"
         "latest_pedal_state\tlatest_pedal\tlatest_intervals_state\tlatest_intervals\tlatest_intervals_weakest\n";
}

// A full row: id, then the 41 values of a well-filled record.
const char kFullRow[] =
    "a1\t4\t3\t2\t0.950\t0.880\t96.000\t2024-05-02\t0.900\t0.800\t90.000\t2024-05-03\t40\t38\t30\t6\t2\t"
    "2\t0\t1\t1\t1\t12.500\t-3.250\t1\t38\t71.500\t9.000\t11.250\t0\t1\t1\t0.625000\t2\t0.000000\t1\t"
    "0.750000\t4\t0.000000\t1\t0.812500\t3\n";

}  // namespace

TEST_F(LearningTest, EveryFileRoundTripsByteForByte) {
  const std::string files[][2] = {
      {"learning_progress_default.dat", "a1\nb2\nz9\n"},
      {"learning_mastery_default.dat",
       Header() + kFullRow +
           "b2\t1\t0\t0\t0.100\t0.000\t0.000\t\t0.100\t0.000\t60.000\t2024-05-03\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t"
           "0.000\t0.000\t0\t0\t0.000\t0.000\t0.000\t0\t1\t0\t0.000000\t0\t0.000000\t0\t0.000000\t0\t0.000000\t0\t"
           "0.000000\t0\n"},
      {"learning_schedule_default.dat", "2024-05-03\na1\nb2\n"},
      {"learning_calendar_default.dat", "PLAN\tE686D180BA408F5A\nDATE\t2024-05-02\nLESSON\t1\nASSIGNED\tz9\nASSIGNED\ta1\n"
                                        "COMPLETE\ta1\nCOMPLETE\tz9\nEND\nDATE\t2024-05-03\nLESSON\t2\nEND\n"},
      {"learning_practiceload_default.dat", "2"},
  };
  for (const auto& f : files) WriteData(f[0], f[1]);
  LoadLearningFiles();
  EXPECT_EQ(gPracticeLoad, 2);
  fs::remove_all(Data(""));
  SaveProgress();
  SaveMastery();
  SaveSchedule();
  SaveCalendar();
  SavePracticeLoad();
  for (const auto& f : files) EXPECT_EQ(ReadData(f[0]), f[1]) << f[0];
}

// Every layout of the mastery file reads into the newest record.
TEST_F(LearningTest, MasteryRowsOfEveryLayout) {
  struct Case { int columns; bool legacy; int32_t expected; float meanVelocity; float stdev; bool placed; int32_t dynState; int32_t weakest; };
  const Case cases[] = {
      {8, true, 0, 0, 0, false, 0, 0},      {12, true, 0, 0, 0, false, 0, 0},
      {25, true, 40, 0, 0, false, 0, 0},    {27, true, 40, 71.5f, 0, false, 0, 0},
      {29, true, 40, 71.5f, 11.25f, false, 0, 0}, {30, true, 40, 71.5f, 11.25f, false, 0, 0},
      {31, true, 40, 71.5f, 11.25f, false, 0, 0}, {33, true, 40, 71.5f, 11.25f, false, 1, 0},
      {42, true, 40, 71.5f, 11.25f, false, 1, 3},
  };
  std::vector<std::string> full = SplitTabs(std::string(kFullRow, sizeof kFullRow - 2));
  for (const Case& c : cases) {
    gMasteryRecords.clear();
    std::string row;
    for (int i = 0; i < c.columns; ++i) row += (i ? "\t" : "") + full[i];
    ReadMasteryLines({row});
    const MasteryRecord& r = gMasteryRecords.at("a1");
    EXPECT_EQ(r.distinct_pass_days, 2);
    EXPECT_FLOAT_EQ(r.best_bpm, 96.0f);
    // The oldest layout's latest values are its best ones.
    EXPECT_FLOAT_EQ(r.latest_bpm, c.columns < 12 ? 96.0f : 90.0f) << c.columns;
    EXPECT_EQ(r.last_attempt_date, c.columns < 12 ? "2024-05-02" : "2024-05-03");
    EXPECT_EQ(r.latest_expected, c.expected) << c.columns;
    EXPECT_FLOAT_EQ(r.latest_mean_velocity, c.meanVelocity) << c.columns;
    EXPECT_FLOAT_EQ(r.latest_vel_stdev, c.stdev) << c.columns;
    EXPECT_EQ(r.legacy_targets, c.columns < 31 || full[30] == "1") << c.columns;
    EXPECT_EQ(r.latest_dynamics_state, c.dynState) << c.columns;
    EXPECT_EQ(r.latest_intervals_weakest, c.weakest) << c.columns;
  }
  // Limits, a later duplicate wins, short rows and empty ids are skipped.
  gMasteryRecords.clear();
  std::vector<std::string> bad = full;
  bad[1] = "-3", bad[4] = "1.7", bad[26] = "300", bad[31] = "9", bad[41] = "12", bad[22] = "-5", bad[6] = "nan";
  bad[3] = "99999999999";
  std::string badRow;
  for (size_t i = 0; i < bad.size(); ++i) badRow += (i ? "\t" : "") + bad[i];
  EXPECT_EQ(ReadMasteryLines({"a1\t1\t1\t1\t0\t0\t0\t", badRow, "x\t1\t2", "\t1\t1\t1\t1\t1\t1\t1", ""}), 2);
  const MasteryRecord& r = gMasteryRecords.at("a1");
  EXPECT_EQ(r.attempts, 0);
  EXPECT_EQ(r.distinct_pass_days, INT32_MAX);
  EXPECT_FLOAT_EQ(r.best_accuracy, 1.0f);
  EXPECT_FLOAT_EQ(r.best_bpm, 0.0f);
  EXPECT_FLOAT_EQ(r.latest_mean_velocity, 127.0f);
  EXPECT_FLOAT_EQ(r.latest_mean_abs_timing_ms, 0.0f);
  EXPECT_EQ(r.latest_dynamics_state, 0);
  EXPECT_EQ(r.latest_intervals_weakest, 7);
  EXPECT_EQ(gMasteryRecords.size(), 1u);
}

TEST_F(LearningTest, CalendarRepairsLessonsAndIgnoresStrayLines) {
  EXPECT_EQ(ReadCalendarLines({"COMPLETE\tearly", "DATE\t2025-01-01", "ASSIGNED\ta", "ASSIGNED\ta", "ASSIGNED\t",
                               "END", "ASSIGNED\tafter_end", "DATE\t2025-01-03", "LESSON\t4", "END",
                               "DATE\t2025-01-02", "LESSON\t0", "COMPLETE\tb", "END", "PLAN\t", "DATE\t2025-01-04",
                               "LESSON\t99999999999", "END", "junk"}),
            3);
  // Numbered after the highest, but never past what a later read keeps (it would change on a save).
  EXPECT_EQ(gLearningCalendar["2025-01-01"].lesson, 1000000);
  EXPECT_EQ(gLearningCalendar["2025-01-02"].lesson, 1000000);
  EXPECT_EQ(gLearningCalendar["2025-01-03"].lesson, 4);
  EXPECT_EQ(gLearningCalendar["2025-01-01"].assigned, std::vector<std::string>{"a"});
  EXPECT_EQ(gLearningCalendar["2025-01-02"].complete.count("b"), 1u);
  EXPECT_TRUE(gCalendarPlanId.empty());
  // Without the huge number the repair numbers from the highest lesson, in date order.
  gLearningCalendar.clear();
  ReadCalendarLines({"DATE\t2025-01-01", "DATE\t2025-01-03", "LESSON\t4", "DATE\t2025-01-02"});
  EXPECT_EQ(gLearningCalendar["2025-01-01"].lesson, 5);
  EXPECT_EQ(gLearningCalendar["2025-01-02"].lesson, 6);
}

TEST_F(LearningTest, PracticeLoadIsLimitedAndAnEmptyFileKeepsTheDefault) {
  for (auto [text, load] : {std::pair{"7", 3}, {"", 1}, {"-2", 0}, {"2\n", 2}}) {
    ResetLearningRecords();
    WriteData("learning_practiceload_default.dat", text);
    LoadLearningFiles();
    EXPECT_EQ(gPracticeLoad, load) << text;
  }
}

// Switching from A to B writes A's state to A's files although B is already active.
TEST_F(LearningTest, StudentChangeSavesThePreviousStudentsFiles) {
  AddActive("a");
  AddActive("b");
  gActiveStudentIndex = 0;
  LoadLibraryIndex();   // no index: an empty library, but A's records load
  EXPECT_EQ(gLoadedStudentKey, "a");
  gCompletedItems.insert("done_by_a");
  gPracticeItemId = "x";
  gLevelFilter = 3;
  gActiveStudentIndex = 1;
  WriteData("learning_progress_b.dat", "done_by_b\n");
  OnStudentChanged();
  EXPECT_EQ(ReadData("learning_progress_a.dat"), "done_by_a\n");
  EXPECT_EQ(gCompletedItems.count("done_by_b"), 1u);
  EXPECT_EQ(gCompletedItems.count("done_by_a"), 0u);
  EXPECT_TRUE(gPracticeItemId.empty());
  EXPECT_EQ(gLevelFilter, -1);
  EXPECT_EQ(gLoadedStudentKey, "b");
  EXPECT_TRUE(gStudentFileKeyOverride.empty());
}

// A load chosen while its file refused writes (a full or locked disk) reaches the file of the
// student who chose it once the disk takes files again: by the saves of what failed, or on a
// switch to another student, whose own file is then left alone.
TEST_F(LearningTest, APracticeLoadTheDiskRefusedReachesItsStudentsFile) {
  for (bool bySwitch : {false, true}) {
    SCOPED_TRACE(bySwitch ? "a switch of students" : "the saves of what failed");
    ResetAll();
    fs::remove_all(Data(""));
    AddActive("a");
    AddActive("b");
    gActiveStudentIndex = 0;
    LoadLibraryIndex();
    gPracticeLoad = 3;
    FailWritesEndingWithForTesting("learning_practiceload_a.dat");
    EXPECT_FALSE(SavePracticeLoad());
    FailWritesEndingWithForTesting("");
    EXPECT_FALSE(DataExists("learning_practiceload_a.dat"));
    if (bySwitch) {
      gActiveStudentIndex = 1;
      OnStudentChanged();
      EXPECT_EQ(gPracticeLoad, 1);
    }
    SaveDirtyStores();
    EXPECT_EQ(ReadData("learning_practiceload_a.dat"), "3");
    EXPECT_FALSE(DataExists("learning_practiceload_b.dat"));
  }
}

// A damaged file is moved aside (or, when that fails, never written); a partly bad one is copied
// aside before its first rewrite; a mark and Windows line ends are forgiven.
TEST_F(LearningTest, DamagedFilesAreNeverLost) {
  const std::string nul = std::string("a1\n\0x\n", 6);
  WriteData("learning_progress_default.dat", nul);
  WriteData("learning_mastery_default.dat", "this is not a mastery file\n");
  WriteData("learning_calendar_default.dat", "\xEF\xBB\xBFPLAN\tP\r\nDATE\t2024-05-02\r\nLESSON\t3\r\nwhat\r\nEND\r\n");
  fs::create_directories(Data("learning_schedule_default.dat"));   // cannot be read: a folder in the way
  WriteFileBytes(Data("learning_schedule_default.dat/inner"), "x");
  LoadLearningFiles();
  EXPECT_EQ(ReadData("learning_progress_default.dat.bad"), nul);
  EXPECT_EQ(ReadData("learning_mastery_default.dat.bad"), "this is not a mastery file\n");
  EXPECT_TRUE(gCompletedItems.empty());
  EXPECT_EQ(gCalendarPlanId, "P");
  EXPECT_EQ(gLearningCalendar["2024-05-02"].lesson, 3);
  EXPECT_TRUE(fs::is_directory(Data("learning_schedule_default.dat.bad")));

  SaveProgress();
  SaveMastery();
  SaveCalendar();
  SaveCalendar();
  EXPECT_EQ(ReadData("learning_progress_default.dat"), "");
  EXPECT_EQ(ReadData("learning_calendar_default.dat.bad"),
            "\xEF\xBB\xBFPLAN\tP\r\nDATE\t2024-05-02\r\nLESSON\t3\r\nwhat\r\nEND\r\n");
  EXPECT_FALSE(DataExists("learning_calendar_default.dat.bad2")) << "copied aside once";
  EXPECT_EQ(ReadData("learning_calendar_default.dat"), "PLAN\tP\nDATE\t2024-05-02\nLESSON\t3\nEND\n");

  // A damaged file that cannot be moved aside is not saved while it is loaded; the next load that
  // moves it aside lets the saves through again.
  ResetLearningRecords();
  AddActive("c");
  WriteData("learning_mastery_c.dat", std::string("\0", 1));
  FailWritesEndingWithForTesting(".bad");
  LoadLearningFiles();
  FailWritesEndingWithForTesting("");
  gMasteryRecords["new"];
  SaveMastery();
  EXPECT_EQ(ReadData("learning_mastery_c.dat"), std::string("\0", 1));
  gLearningFilesLoaded = false;
  LoadLearningFiles();
  EXPECT_EQ(ReadData("learning_mastery_c.dat.bad"), std::string("\0", 1));
  gMasteryRecords["new"];
  SaveMastery();
  EXPECT_NE(ReadData("learning_mastery_c.dat").find("new"), std::string::npos);
}

// A file the reader passed over part of (a row cut short by a crash, a column it does not know) is
// copied aside and named on the status line as it is read, not at its first rewrite: the mastery
// and progress files are often written back only by the close, when nobody sees the status line,
// and meanwhile the student's records look lost without a word. A copy that cannot be made keeps
// the file from being replaced, so what the reader passed over is never lost.
TEST_F(LearningTest, APartlyReadFileIsKeptAsideAsItIsRead) {
  const std::string name = "learning_mastery_default.dat";
  const std::string cut = "a\t3\t1\t1\t0.9\t0.9\t90\t2024-05-01\t0.8\t0.7\t88\t2024-05-02\nb\t3\t1\n";
  WriteData(name, cut);
  WriteData(name + ".bak", "an older backup");
  LoadLearningFiles();
  EXPECT_EQ(ReadData(name + ".bad"), cut) << "kept aside before anything is saved";
  EXPECT_EQ(gStatusText, name + " was damaged; it is kept as " + name + ".bad");
  SaveMastery();
  SaveMastery();
  EXPECT_FALSE(DataExists(name + ".bad2")) << "copied aside once";
  EXPECT_NE(ReadData(name), cut);

  fs::remove_all(Data(""));
  ResetAll();
  WriteData(name, cut);
  WriteData(name + ".bak", "an older backup");
  FailWritesEndingWithForTesting(".bad");
  LoadLearningFiles();
  gMasteryRecords["new"];
  SaveMastery();
  EXPECT_EQ(ReadData(name), cut) << "not replaced while what the reader passed over has no copy";
  FailWritesEndingWithForTesting("");
  SaveMastery();
  EXPECT_EQ(ReadData(name + ".bad"), cut);
  EXPECT_NE(ReadData(name).find("new"), std::string::npos);
}

// A file read whole in an older layout is written back upgraded with the file as read kept as
// ".bak", like every other store; only a file the reader passed over part of is kept as damaged,
// and the status line names that copy.
TEST_F(LearningTest, AnOlderLayoutIsKeptAsReadNotAsDamaged) {
  const std::string twelve = "a\t3\t1\t1\t0.9\t0.9\t90\t2024-05-01\t0.8\t0.7\t88\t2024-05-02\n";
  struct Case {
    const char* name;
    std::string bytes;
    bool damaged;
  } cases[] = {
      {"learning_mastery_default.dat", twelve, false},
      {"learning_mastery_default.dat", Header() + kFullRow + twelve, false},
      {"learning_calendar_default.dat", "PLAN\tp\nDATE\t2024-05-09\nASSIGNED\ta\nEND\nDATE\t2024-05-10\nEND\n", false},
      {"learning_mastery_default.dat", twelve + "b\t3\t1\n", true},               // a row too short to read
      {"learning_mastery_default.dat", twelve + "b\t3x\t1\t1\t0.9\t0.9\t90\t\n", true},   // a count not read whole
      {"learning_mastery_default.dat", "a\t3\t1\t1\t0.9\t0.9\t90\t2024-05-01\t0.8\n", true},   // a column passed over
      {"learning_calendar_default.dat", "PLAN\tp\nDATE\t2024-05-09\nLESSON\tfirst\nEND\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    fs::remove_all(Data(""));
    ResetAll();
    WriteData(c.name, c.bytes);
    WriteData(std::string(c.name) + ".bak", "an older backup");   // so the start-up backup is not the copy
    LoadLearningFiles();
    SaveMastery();
    SaveCalendar();
    SaveMastery();
    EXPECT_NE(ReadData(c.name), c.bytes) << "written back upgraded";
    EXPECT_EQ(ReadData(std::string(c.name) + (c.damaged ? ".bad" : ".bak2")), c.bytes);
    EXPECT_FALSE(DataExists(std::string(c.name) + (c.damaged ? ".bak2" : ".bad")));
    EXPECT_EQ(gStatusText, c.damaged ? std::string(c.name) + " was damaged; it is kept as " + c.name + ".bad" : "");
  }
}

// Files with Windows line ends (a Data folder edited or copied on Windows) hold the same records as
// with plain line feeds: each loads whole and is treated as that file would be, so nothing is set
// aside or kept as changed, and the next save writes plain line feeds.
TEST_F(LearningTest, WindowsLineEndsAreReadAsPlainLineFeeds) {
  struct Case {
    const char* name;
    std::string lf;
  } cases[] = {
      {"learning_progress_default.dat", "a1\nb2\n"},
      {"learning_mastery_default.dat", Header() + kFullRow},
      {"learning_schedule_default.dat", "2024-05-03\na1\nb2\n"},
      {"learning_schedule_default.dat", "\na1\n"},   // no schedule day yet
      {"learning_calendar_default.dat", "PLAN\tE686D180BA408F5A\nDATE\t2024-05-02\nLESSON\t1\nASSIGNED\tz9\n"
                                        "COMPLETE\tz9\nEND\n"},
      {"learning_calendar_default.dat", "PLAN\t\nDATE\t2024-05-02\nLESSON\t3\nEND\n"},   // no plan id yet
      {"students.dat", "STUDENTS_V2\nactive=1\nAnna|anna|0.3|0.48|0.76\nBen K.|ben_k|1|0.5|0\n"},
  };
  // What loading and then saving everything makes of one file: the records read, the file
  // written back and every file then in the Data folder.
  struct Outcome {
    std::string records, written, files;
  };
  auto loadAndSave = [this](const std::string& name, const std::string& bytes) {
    fs::remove_all(Data(""));
    ResetAll();
    ResetStudents();
    WriteData(name, bytes);
    WriteData(name + ".bak", "an older backup");   // so a copy kept at the save would be a new one
    Outcome o;
    if (name == "students.dat") {
      LoadStudents();
      for (const Student& s : gStudents) o.records += s.name + "|" + s.id + "|" + std::to_string(s.b) + "\n";
      o.records += std::to_string(gActiveStudentIndex);
    } else {
      LoadLearningFiles();
      o.records = ProgressFileText() + MasteryFileText() + ScheduleFileText() + CalendarFileText();
    }
    SaveProgress();
    SaveMastery();
    SaveSchedule();
    SaveCalendar();
    SaveStudents();
    o.written = ReadData(name);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Data(""))) names.insert(entry.path().filename().string());
    for (const std::string& n : names) o.files += n + " ";
    return o;
  };
  for (const Case& c : cases) {
    std::string crlf;
    for (char ch : c.lf) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    SCOPED_TRACE(crlf);
    const Outcome fromLf = loadAndSave(c.name, c.lf);
    DebugCapture log;
    const Outcome fromCrLf = loadAndSave(c.name, crlf);
    EXPECT_EQ(fromCrLf.records, fromLf.records);
    EXPECT_EQ(fromCrLf.written, c.lf) << "written back with plain line feeds";
    EXPECT_EQ(fromCrLf.files, fromLf.files) << "nothing set aside or kept";
    EXPECT_EQ(fromCrLf.files.find(".bad"), std::string::npos);
    EXPECT_FALSE(log.Contains("not read whole")) << log.Text();
    EXPECT_FALSE(log.Contains("kept as")) << log.Text();
  }
}
