// The learning and library readers on thousands of seeded mutations of valid files: every one is
// read without a crash or a hang (the sanitizers watch), what is written back reads back the same,
// and a file that is not written back as it was read is kept aside first.
#include <filesystem>
#include <random>

#include "tests/learning/learning_fixture.h"
#include "tests/support/mutations.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return lines;
}

// One of the student's learning files: its reader and writer and a valid file.
struct LearningFile {
  const char* prefix;
  int (*read)(const std::vector<std::string>&);
  std::string (*write)();
  std::string seed;
};

class MutatedLearningFiles : public LearningTest {
 protected:
  void SetUp() override {
    SetLocalTime("2024-05-10", 9, 0, 0);
    MakeLibrary({"a scales T", "b chords T", "c sight T"}, {{"a", "b"}, {"c"}});
    AddActive("ann");
    MasteryRecord& a = gMasteryRecords["a"];
    a.attempts = 3, a.passes = 1, a.best_accuracy = 0.9f, a.best_bpm = 92.5f, a.last_pass_date = "2024-05-01";
    a.latest_mean_signed_timing_ms = -12.25f, a.latest_intervals = 0.5f;
    gMasteryRecords["b"].attempts = 7;
    gCompletedItems = {"a", "c"};
    gScheduleDate = "2024-05-10";
    gScheduleItems = {"b", "c"};
    gCalendarPlanId = "plan1";
    gLearningCalendar["2024-05-09"] = CalendarDay{};
    gLearningCalendar["2024-05-09"].lesson = 1;
    gLearningCalendar["2024-05-09"].assigned = {"a", "b"};
    gLearningCalendar["2024-05-09"].complete = {"a"};
    gLearningCalendar["2024-05-10"].lesson = 2;
    gLearningCalendar["2024-05-10"].assigned = {"c"};
    files_ = {{"learning_progress_", ReadProgressLines, ProgressFileText, ProgressFileText()},
              {"learning_mastery_", ReadMasteryLines, MasteryFileText, MasteryFileText()},
              {"learning_schedule_", ReadScheduleLines, ScheduleFileText, ScheduleFileText()},
              {"learning_calendar_", ReadCalendarLines, CalendarFileText, CalendarFileText()}};
    ResetLearningRecords();
  }
  std::vector<LearningFile> files_;
  ScopedDrivenClock clock_;
};

TEST_F(MutatedLearningFiles, WhatIsWrittenBackReadsBackTheSame) {
  std::mt19937 rng(43001);
  for (int i = 0; i < 4000; ++i) {
    const LearningFile& f = files_[(size_t)i % files_.size()];
    std::string mutated = MutateText(f.seed, rng);
    ResetLearningRecords();
    f.read(SplitLines(mutated));
    std::string written = f.write();
    ResetLearningRecords();
    ASSERT_EQ(f.read(SplitLines(written)), 0) << i << " " << f.prefix;
    ASSERT_EQ(f.write(), written) << i << " " << f.prefix << ": from\n" << mutated;
  }
}

// Through the files: the bytes of every mutated file survive, in the file itself or in a copy.
TEST_F(MutatedLearningFiles, AFileNotWrittenBackAsReadIsKeptAside) {
  namespace fs = std::filesystem;
  std::mt19937 rng(43002);
  for (int i = 0; i < 80; ++i) {
    const LearningFile& f = files_[(size_t)i % files_.size()];
    const std::string path = Data(std::string(f.prefix) + "ann.dat");
    fs::remove_all(Data(""));
    std::string mutated = MutateText(f.seed, rng);
    WriteFileBytes(path, mutated);
    WriteFileBytes(path + ".bak", "an older backup");   // so the start-up backup is not the copy
    ResetLearningRecords();
    LoadLearningFiles();
    SaveProgress(), SaveMastery(), SaveSchedule(), SaveCalendar();
    bool kept = ReadFileBytes(path) == mutated;
    for (const auto& entry : fs::directory_iterator(Data("")))
      kept = kept || ReadFileBytes(entry.path().string()) == mutated;
    ASSERT_TRUE(kept) << i << " " << f.prefix << ":\n" << mutated;
  }
}

// The library's files are never written: each mutation is read, and the day's list is built in
// bounded time from whatever the plan holds.
TEST_F(MutatedLearningFiles, LibraryIndexPlanAndScoresAreReadWhateverTheyHold) {
  const std::string index = ReadFileBytes(Lib("library_index.tsv"));
  const std::string plan = "1\tx\ta\tFirst &amp; one\t2\n1\tx\tb\tFirst\t2\n2\tx\tc\tSecond\t1\n";
  const std::string score = "# score\nMETA\t480\t4\t4\t-2\t1\t96.5\nNOTE\t0\t480\t0\t60\t0\t0\t4\t0\t3\t0\t0\t1\n"
                            "NOTE\t480\t960\t1\t43\t4\t-1\t2\t1\t2\t1\t1\t0\n";
  std::mt19937 rng(43003);
  for (int i = 0; i < 240; ++i) {
    WriteFileBytes(Lib("library_index.tsv"), i % 3 == 0 ? MutateText(index, rng) : index);
    WriteFileBytes(Lib("lesson_plan.tsv"), i % 3 == 1 ? MutateText(plan, rng) : plan);
    ResetLibraryIndex();
    ResetLessonPlan();
    LoadLibraryIndex();
    BuildLessonBlocks("2024-05-10");
    PendingSyllabusItems();
    CountOpenSyllabusItems();
    if (i % 3 == 2) {
      WriteFileBytes(Lib("a.mid.sightscore.tsv"), MutateText(score, rng));
      LoadSightScore(Lib("a.mid.sightscore.tsv"));
    }
  }
}

}  // namespace
