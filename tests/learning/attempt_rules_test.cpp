// The rules applied to a finished lesson song: the daily pass, the record, the day, the progress
// set and the verdict; the item predicates; crediting scale items from an achievement.
#include "learning/attempt_rules.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "midi/playback.h"
#include "tests/learning/learning_fixture.h"
#include "tests/midi/smf_builder.h"

class AttemptRules : public LearningTest {
 protected:
  void SetUp() override {
    SetLocalTime("2024-05-10", 10, 0, 0);
    MakeLibrary({"a scales Major_Scales C", "b scales Major_Scales G", "n scales Natural_Minor_Scales F#",
                 "p etude Short_Etudes"},
                {{"a", "b"}, {"n", "p"}});
  }
  ScopedDrivenClock clock_;
};

TEST_F(AttemptRules, DailyPassTable) {
  struct Case { int expected, landed; float timing, speed; int missed, breaks, wrong; bool pass; } cases[] = {
      {100, 90, 0.85f, 1.0f, 3, 1, 1, true},      // allowance 5, faults 5
      {100, 90, 0.85f, 1.0f, 3, 1, 2, false},     // one more
      {10, 10, 1.0f, 1.0f, 1, 0, 1, true},        // allowance max(2, lround(0.5)) = 2
      {10, 10, 1.0f, 1.0f, 2, 0, 1, false},
      {50, 50, 1.0f, 1.0f, 3, 0, 0, true},        // lround(2.5) = 3
      {50, 50, 1.0f, 1.0f, 4, 0, 0, false},
      {10000, 8996, 1.0f, 1.0f, 0, 0, 0, true},   // 0.8996 + 0.0005 >= 0.9
      {10000, 8994, 1.0f, 1.0f, 0, 0, 0, false},
      {10, 10, 1.0f, 0.996f, 0, 0, 0, true},      // 99.6 bpm + 0.5 >= 100
      {10, 10, 1.0f, 0.99f, 0, 0, 0, false},
      {10, 10, 0.8494f, 1.0f, 0, 0, 0, false},
      {0, 0, 1.0f, 1.0f, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    gMasteryRecords.clear();
    gPlaybackSpeed = c.speed;
    PracticeRunResult run = Run(c.expected, c.landed, c.timing, c.missed, c.wrong);
    run.hold_breaks = c.breaks;
    EXPECT_EQ(Attempt("a", run), c.pass ? 1 : 0) << c.expected << " " << c.landed << " " << c.speed;
    EXPECT_EQ(gMasteryRecords["a"].latest_passed, c.pass);
  }
  EXPECT_EQ(Attempt("missing", Run(10, 10)), -1);
  gPracticeItemId.clear();
  EXPECT_EQ(RecordAttempt(Run(10, 10)), -1);
  gPracticeItemId = "a";
  gPracticeStudentKey = "someone_else";
  EXPECT_EQ(RecordAttempt(Run(10, 10)), -1) << "the student changed after the item was opened";
}

TEST_F(AttemptRules, RecordsDaysVerdictsAndMastery) {
  std::vector<std::string> notes;
  static std::vector<std::string>* opened = &notes;
  gPerformanceNoteOpener = [](const std::string& id) { opened->push_back(id); };
  MasteryRecord& r = gMasteryRecords["b"];
  EXPECT_EQ(Attempt("b", Run(10, 4, 0.5f, 6, 1)), 0);
  EXPECT_EQ(gStatusText, "Assessed - completed 4/10, timing 50%/85%, 6 missed, 1 extra");
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(gStatusText, "Daily pass - repeat on another day for mastery");
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(r.passes, 2);
  EXPECT_EQ(r.distinct_pass_days, 1) << "the same day";
  SetLocalTime("2024-05-11", 10, 0, 0);
  gPlaybackSpeed = 0.72f;   // passes need full speed: only the best tempo counts for mastery
  EXPECT_EQ(Attempt("b", Run(10, 10)), 0);
  gPlaybackSpeed = 1.0f;
  FindLibraryItem("b")->target_bpm = 120;
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(r.distinct_pass_days, 2);
  EXPECT_EQ(gStatusText, "Daily pass - target tempo 100/120 bpm");
  EXPECT_FALSE(IsItemMastered(*FindLibraryItem("b")));
  FindLibraryItem("b")->target_bpm = 100;
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(gStatusText, "Mastered - retained on 2 days at 100 bpm");
  EXPECT_EQ(gCompletedItems.count("b"), 1u);
  EXPECT_EQ(ReadData("learning_progress_default.dat"), "b\n");
  EXPECT_EQ(notes.size(), 6u) << "a note opens after every attempt outside a practice set";
  gPracticeSetActive = true;
  Attempt("b", Run(10, 10));
  EXPECT_EQ(notes.size(), 6u);
  EXPECT_EQ(gLastRecordedItemId, "b");
}

// A lesson song played at half speed and set to full speed before its last note is recorded at
// half its tempo and is no daily pass; played at one speed, or judged afresh from a seek made after
// the speed changed, it counts at the speed it was played at.
TEST_F(AttemptRules, ARunCountsAtTheSlowestSpeedItWasPlayedAt) {
  using namespace smf;
  WriteFileBytes(Lib("song.mid"), File(480, {On(0, 60, 90) + Off(480, 60) + On(0, 62, 90) + Off(480, 62)}));
  struct Case { const char* what; bool slowFirst, seek; float bpm; int pass; } cases[] = {
      {"half speed, full for the end", true, false, 50.0f, 0},
      {"full speed throughout", false, false, 100.0f, 1},
      {"half speed, then a seek and full speed", true, true, 100.0f, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gMasteryRecords.clear();
    gPlaybackSpeed = 1.0f;
    ASSERT_TRUE(LoadAndPlayMidi(Lib("song.mid")));
    if (c.slowFirst) SetPlaybackSpeed(0.5f);
    clock_.Advance(1500);
    SetPlaybackSpeed(1.0f);
    if (c.seek) SeekPlayback(0);
    clock_.Advance(700);
    EXPECT_EQ(Attempt("a", Run(10, 10)), c.pass);
    EXPECT_EQ(gMasteryRecords["a"].latest_bpm, c.bpm);
    EXPECT_EQ(gMasteryRecords["a"].best_bpm, c.pass ? c.bpm : 0.0f);
  }
  UnloadMidi();
}

TEST_F(AttemptRules, AClockSetBackCountsNoPassDayTwice) {
  MasteryRecord& r = gMasteryRecords["b"];
  SetLocalTime("2027-01-01", 0, 0, 30);
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  SetLocalTime("2026-12-31", 12, 0, 0);   // the clock put back a day
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  SetLocalTime("2027-01-01", 12, 0, 0);
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(r.passes, 4);
  EXPECT_EQ(r.distinct_pass_days, 1) << "every pass fell on or before the first pass's day";
  EXPECT_EQ(r.last_pass_date, "2027-01-01") << "the review is never reckoned from an earlier day";
  SetLocalTime("2027-01-02", 9, 0, 0);
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  EXPECT_EQ(r.distinct_pass_days, 2);
}

TEST_F(AttemptRules, PractisedItemsCompleteTheirDay) {
  const std::string today = "2024-05-10";
  ASSERT_TRUE(ContainsId(gLearningCalendar[today].assigned, "a"));
  EXPECT_EQ(Attempt("a", Run(10, 5), today), 0);
  EXPECT_EQ(gLearningCalendar[today].complete.count("a"), 0u) << "5 of 10 landed";
  EXPECT_EQ(Attempt("a", Run(10, 6), today), 0);
  EXPECT_EQ(gLearningCalendar[today].complete.count("a"), 1u) << "6 of 10 landed";
  EXPECT_NE(ReadData("learning_calendar_default.dat").find("COMPLETE\ta\n"), std::string::npos);
  gLibraryViewKey = "today";
  EXPECT_TRUE(IsItemDoneToday(*FindLibraryItem("a")));
  gLibraryViewKey = "scales";
  EXPECT_FALSE(IsItemDoneToday(*FindLibraryItem("a"))) << "outside the daily view: complete";
  CalendarDay ghost;
  ghost.assigned = {"gone1", "gone2"};
  ghost.complete = {"gone1"};
  EXPECT_FALSE(AreItemsDone(ghost));
  EXPECT_EQ(CountDoneItems(ghost), 0);
}

TEST_F(AttemptRules, LegacyRecordsAreJudgedByTheLegacyTargets) {
  LibraryItem& item = *FindLibraryItem("a");
  item.target_accuracy = 1.0f;   // legacy targets stay 0.9, 0.85, 60 (a short row)
  MasteryRecord& r = gMasteryRecords["a"];
  r.best_accuracy = 0.95f, r.best_timing = 0.9f, r.best_bpm = 60, r.distinct_pass_days = 2;
  r.legacy_targets = true;
  item.legacy_target_bpm = 60;
  EXPECT_TRUE(IsItemMastered(item));
  EXPECT_TRUE(IsItemComplete(item));
  r.legacy_targets = false;
  EXPECT_FALSE(IsItemMastered(item));
  EXPECT_FALSE(IsItemComplete(item)) << "60 bpm is short of the current 100";
}

TEST_F(AttemptRules, ScaleAchievementsCreditTheirItems) {
  EXPECT_EQ(CreditScaleAchievement("Aeolian", 6), 1);   // ring position 6 is F#
  EXPECT_TRUE(IsItemMastered(*FindLibraryItem("n")));
  EXPECT_EQ(gMasteryRecords["n"].last_attempt_date, "2024-05-10");
  EXPECT_TRUE(gMasteryRecords["n"].last_pass_date.empty());
  EXPECT_EQ(CreditScaleAchievement("Aeolian", 6), 0) << "already mastered";
  EXPECT_EQ(CreditScaleAchievement("Dorian", 0), 0);
  EXPECT_EQ(CreditScaleAchievement("Ionian", 12), 0);
  EXPECT_EQ(CreditScaleAchievement(nullptr, 0), 0);
  EXPECT_EQ(CreditScaleAchievement("Major", 0), 1);
  EXPECT_EQ(ReadData("learning_progress_default.dat"), "a\nn\n");
  ResetAll();
  LoadLibraryIndex();
  EXPECT_TRUE(IsItemMastered(*FindLibraryItem("n"))) << "the credited record is kept over a restart";
}

// Mastery asks for every target at once; the best figures a record keeps only ever rise, from
// every attempt, so a poor run after mastery takes nothing back.
TEST_F(AttemptRules, MasteryNeedsEveryTargetAndTheBestFiguresOnlyRise) {
  const LibraryItem& item = *FindLibraryItem("a");   // 0.9, 0.85, 100 bpm
  struct Case { const char* what; float accuracy, timing, bpm; int days; bool mastered; } cases[] = {
      {"every target met", 0.9f, 0.85f, 100.0f, 2, true},
      {"accuracy short", 0.89f, 1.0f, 100.0f, 2, false},
      {"timing short", 1.0f, 0.84f, 100.0f, 2, false},
      {"tempo short", 1.0f, 1.0f, 99.0f, 2, false},
      {"one day", 1.0f, 1.0f, 100.0f, 1, false},
  };
  for (const Case& c : cases) {
    MasteryRecord& r = gMasteryRecords["a"];
    r.best_accuracy = c.accuracy, r.best_timing = c.timing, r.best_bpm = c.bpm, r.distinct_pass_days = c.days;
    EXPECT_EQ(IsItemMastered(item), c.mastered) << c.what;
  }
  gMasteryRecords.clear();
  MasteryRecord& r = gMasteryRecords["b"];
  EXPECT_EQ(Attempt("b", Run(10, 7, 0.5f, 3)), 0);
  EXPECT_FLOAT_EQ(r.best_accuracy, 0.7f) << "a run without a pass still sets the best";
  EXPECT_FLOAT_EQ(r.best_timing, 0.5f);
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  SetLocalTime("2024-05-11", 10, 0, 0);
  EXPECT_EQ(Attempt("b", Run(10, 10)), 1);
  ASSERT_TRUE(IsItemMastered(*FindLibraryItem("b")));
  EXPECT_EQ(Attempt("b", Run(10, 3, 0.2f, 7)), 0);
  EXPECT_FLOAT_EQ(r.best_accuracy, 1.0f);
  EXPECT_FLOAT_EQ(r.best_timing, 1.0f);
  EXPECT_FLOAT_EQ(r.latest_timing, 0.2f);
  EXPECT_TRUE(IsItemMastered(*FindLibraryItem("b"))) << "a poor run after mastery";
}

// A block counts for the day it was opened on, though another day was opened while its song played.
TEST_F(AttemptRules, ABlockCountsForTheDayItWasOpenedOn) {
  const std::string today = "2024-05-10", tomorrow = "2024-05-11";
  ASSERT_TRUE(ContainsId(gLearningCalendar[today].assigned, "a"));
  PrepareNextLesson();
  ASSERT_EQ(gCurrentLearningDay, tomorrow);
  ASSERT_TRUE(ContainsId(gLearningCalendar[tomorrow].assigned, "a"));
  EXPECT_EQ(Attempt("a", Run(10, 10), today), 1);
  EXPECT_EQ(gLearningCalendar[today].complete.count("a"), 1u);
  EXPECT_EQ(gLearningCalendar[tomorrow].complete.count("a"), 0u);
}

TEST_F(AttemptRules, RunResetKeepsTheSetOnlyWhileACardLoads) {
  gPracticeItemId = "a";
  gSightReadingMode = gRhythmStudyMode = true;
  gSightScore.active = true;
  gPracticeSetActive = true;
  gPracticeSetIds = {"a"};
  gLoadingPracticeCard = true;
  ResetLearningRun();
  EXPECT_TRUE(gPracticeItemId.empty());
  EXPECT_FALSE(gSightReadingMode || gRhythmStudyMode || gSightScore.active);
  EXPECT_TRUE(gPracticeSetActive);
  gLoadingPracticeCard = false;
  ResetLearningRun();
  EXPECT_FALSE(gPracticeSetActive);
  EXPECT_EQ(gPracticeSetIndex, -1);
  EXPECT_TRUE(gPracticeSetSkipDone);
}
