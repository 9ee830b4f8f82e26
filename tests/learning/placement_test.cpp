// Placement counts from the quiz's answers and applying them to a student's records.
#include "learning/placement.h"
#include "tests/learning/learning_fixture.h"

class Placement : public LearningTest {
 protected:
  void SetUp() override {
    SetLocalTime("2024-05-10", 9, 0, 0);
    std::vector<std::string> items;
    std::vector<std::string> plan;
    // Ten items in every section but chords (four).
    for (const char* section : {"foundations", "scales", "mechanics", "sight", "etude", "repertoire"})
      for (int i = 0; i < 10; ++i) items.push_back(std::string(section) + std::to_string(i) + " " + section + " T");
    for (int i = 0; i < 4; ++i) items.push_back("chords" + std::to_string(i) + " chords T");
    for (const std::string& row : items) plan.push_back(row.substr(0, row.find(' ')));
    MakeLibrary(items, {plan});
    AddActive("ann");
    OnStudentChanged();
  }
  std::vector<int> Counts(std::initializer_list<int> answers) {
    std::vector<int> a(answers);
    ComputePlacementCounts(a.data());
    return std::vector<int>(gPlacementCounts, gPlacementCounts + 7);
  }
  ScopedDrivenClock clock_;
};

TEST_F(Placement, CountsFromAnswersWorkedOutByHand) {
  // f = a1/3 for foundations and scales, a1/3 - 0.15 for chords, a3/2 mechanics, a0/2 sight,
  // a2/3 - 0.15 etudes, a2/3 repertoire; count = ceil(n f - 0.5 - 0.0001).
  EXPECT_EQ(Counts({0, 0, 0, 0, 0}), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Counts({1, 1, 1, 1, 0}), (std::vector<int>{3, 3, 1, 5, 5, 2, 3}));   // 3.33, 0.73, 5 - 0.0001, 1.83
  EXPECT_EQ(Counts({2, 3, 3, 2, 0}), (std::vector<int>{10, 10, 3, 10, 10, 8, 10}));
  EXPECT_EQ(Counts({2, 3, 3, 2, 3}), (std::vector<int>{8, 8, 2, 8, 8, 6, 8})) << "a4 of 3 lowers by n/5";
  EXPECT_EQ(Counts({0, 1, 0, 0, 3}), (std::vector<int>{1, 1, 0, 0, 0, 0, 0})) << "never below 0";
}

TEST_F(Placement, ApplyingKeepsRealProgressAndASecondPlacementUndoesTheFirst) {
  // Real practice: scales7 mastered on two days, scales8 passed once, etude0 only attempted.
  MasteryRecord& real = gMasteryRecords["scales7"];
  real.attempts = 3, real.passes = 2, real.distinct_pass_days = 2, real.best_accuracy = real.best_timing = 1;
  real.best_bpm = 100;
  gCompletedItems.insert("scales7");
  gMasteryRecords["scales8"].attempts = 1, gMasteryRecords["scales8"].passes = 1;
  gMasteryRecords["etude0"].attempts = 2;
  gLearningCalendar["2024-05-01"] = CalendarDay{{"scales0"}, {}, 1};
  SaveProgress();

  EXPECT_EQ(Counts({2, 3, 3, 2, 0}), (std::vector<int>{10, 10, 3, 10, 10, 8, 10}));
  EXPECT_EQ(ApplyPlacement(), 61 - 3) << "all counted items but the three with practice";
  EXPECT_TRUE(DataExists("learning_progress_ann.dat.preplace.bak"));
  EXPECT_FALSE(gMasteryRecords["scales7"].placed_by_source) << "real practice stays";
  EXPECT_EQ(gMasteryRecords["scales7"].attempts, 3);
  EXPECT_FALSE(gMasteryRecords["etude0"].placed_by_source) << "attempts are real practice too";
  EXPECT_EQ(gMasteryRecords.count("etude9"), 0u) << "past the etudes' count";
  EXPECT_EQ(gMasteryRecords["sight0"].last_pass_date, "2024-05-12");
  EXPECT_TRUE(gMasteryRecords["scales0"].last_pass_date.empty());
  EXPECT_EQ(gLearningCalendar.begin()->first, "2024-05-10") << "days before today are gone";
  EXPECT_EQ(gCurrentLearningDay, "2024-05-10");

  Counts({0, 0, 0, 0, 0});   // nothing placed: the first placement is undone
  EXPECT_EQ(ApplyPlacement(), 0);
  EXPECT_EQ(gStatusText, "Starting from the beginning - that's what your answers placed you at");
  EXPECT_EQ(gCompletedItems.count("scales7"), 1u);
  EXPECT_EQ(gCompletedItems.size(), 1u);
  EXPECT_EQ(gMasteryRecords.count("sight0"), 0u);
  EXPECT_EQ(gMasteryRecords["scales8"].passes, 1);
  EXPECT_FALSE(IsPlacementPromptAvailable());
}

TEST_F(Placement, ALowerPlacementTakesBackWhatTheFirstClaimedButKeepsRealPasses) {
  ASSERT_EQ(Attempt("scales8", Run(10, 10)), 1) << "a real pass before any placement";
  EXPECT_EQ(Counts({2, 3, 3, 2, 0}), (std::vector<int>{10, 10, 3, 10, 10, 8, 10}));
  ASSERT_EQ(ApplyPlacement(), 61 - 1);

  // Placed items tried for real: two failed (a sight item carries a pass date), one passed.
  ASSERT_EQ(Attempt("scales5", Run(10, 2)), 0);
  ASSERT_EQ(Attempt("sight5", Run(10, 2)), 0);
  ASSERT_EQ(Attempt("scales1", Run(10, 10)), 1);
  EXPECT_EQ(gCompletedItems.count("scales5"), 1u) << "still placed until a placement says otherwise";

  EXPECT_EQ(Counts({0, 1, 0, 0, 0}), (std::vector<int>{3, 3, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ApplyPlacement(), 3 + 2 + 1) << "scales1 has real practice and is not placed again";
  for (int reload = 0; reload < 2; ++reload) {
    SCOPED_TRACE(reload ? "read back from the files" : "in memory");
    for (const char* id : {"scales5", "sight5"}) {
      SCOPED_TRACE(id);
      const LibraryItem* item = FindLibraryItem(id);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(gCompletedItems.count(id), 0u);
      EXPECT_FALSE(IsItemComplete(*item));
      EXPECT_FALSE(IsItemMastered(*item));
      const MasteryRecord& r = gMasteryRecords[id];
      EXPECT_EQ(r.passes, 0) << "the only pass was the first placement's";
      EXPECT_EQ(r.distinct_pass_days, 0);
      EXPECT_EQ(r.last_pass_date, "");
      EXPECT_FALSE(r.placed_by_source);
      EXPECT_EQ(r.attempts, 1) << "the one real try stays, the placement's goes";
      EXPECT_EQ(r.last_attempt_date, "2024-05-10");
      EXPECT_FLOAT_EQ(r.latest_accuracy, 0.2f);
    }
    std::vector<std::string> pending;
    for (const PendingSyllabusItem& p : PendingSyllabusItems()) pending.push_back(p.id);
    EXPECT_TRUE(ContainsId(pending, "scales5")) << "to be learnt again";
    EXPECT_TRUE(ContainsId(pending, "sight5"));
    EXPECT_FALSE(ContainsId(BuildLessonBlocks("2024-05-30"), "sight5")) << "nothing to review";

    // Real passes stay: one made before the placements, one made on a placed item.
    EXPECT_EQ(gMasteryRecords["scales8"].passes, 1);
    EXPECT_EQ(gMasteryRecords["scales8"].last_pass_date, "2024-05-10");
    EXPECT_EQ(gMasteryRecords["scales1"].passes, 2);
    EXPECT_TRUE(gMasteryRecords["scales1"].latest_passed);
    EXPECT_TRUE(IsItemComplete(*FindLibraryItem("scales1")));
    OnStudentChanged();
  }
}
