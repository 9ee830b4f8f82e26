// Mastery figures of an item's record, selecting whole card sections, route summaries, and the
// small parsers and caches the filters lean on.
#include "learning/library_browser.h"
#include "learning_ui/mastery_figures.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

using MasteryFiguresTest = LearningUiTest;

TEST_F(MasteryFiguresTest, MasteryProgressFromTheRecord) {
  MakeLibrary({"a etude T"}, {{"a"}});
  gLibraryItems[0].legacy_target_bpm = 60;
  struct Case {
    const char* name;
    float bestAcc, latestAcc, bestTiming, bestBpm, spreadMs;
    int attempts, passes, days;
    bool placed, legacy;
    float accuracy, timing, tempo, retention, overall;
    int weakest;
  };
  // The item's target tempo is 100 (legacy 60).
  const Case cases[] = {
      {"all at target on two days", 1, 0.5f, 1, 100, 0, 4, 2, 2, false, false, 1, 1, 1, 1, 1, 0},
      {"latest accuracy beats best", 0.2f, 0.6f, 0.9f, 100, 0, 1, 0, 0, false, false, 0.6f, 0.9f, 1, 0.25f, 0.6545f, 3},
      {"a wide spread slows the tempo", 1, 0, 1, 100, 40, 1, 1, 1, false, false, 1, 1, 0.725f, 0.75f, 0.89775f, 2},
      {"over target counts as full", 1, 0, 1, 500, 200, 1, 1, 1, false, false, 1, 1, 0.45f, 0.75f, 0.8455f, 2},
      {"legacy records meet the legacy tempo", 1, 0, 1, 60, 0, 1, 1, 1, false, true, 1, 1, 1, 0.75f, 0.95f, 3},
      {"no attempt gives no bonus", 0.8f, 0, 0.8f, 50, 0, 0, 0, 0, false, false, 0.8f, 0.8f, 0.5f, 0, 0.592f, 3},
      {"placed records show nothing", 1, 1, 1, 100, 0, 1, 1, 2, true, false, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    MasteryRecord& r = gMasteryRecords["a"];
    r = MasteryRecord();
    r.best_accuracy = c.bestAcc;
    r.latest_accuracy = c.latestAcc;
    r.best_timing = c.bestTiming;
    r.best_bpm = c.bestBpm;
    r.latest_timing_std_ms = c.spreadMs;
    r.attempts = c.attempts;
    r.passes = c.passes;
    r.distinct_pass_days = c.days;
    r.placed_by_source = c.placed;
    r.legacy_targets = c.legacy;
    MasteryProgress p = ComputeMasteryProgress(gLibraryItems[0]);
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(p.accuracy, c.accuracy, 1e-4);
    EXPECT_NEAR(p.timing, c.timing, 1e-4);
    EXPECT_NEAR(p.tempo, c.tempo, 1e-4);
    EXPECT_NEAR(p.retention, c.retention, 1e-4);
    EXPECT_NEAR(p.overall, c.overall, 1e-4);
    EXPECT_EQ(p.weakest, c.weakest);
  }
  gMasteryRecords.clear();
  EXPECT_EQ(ComputeMasteryProgress(gLibraryItems[0]).overall, 0.0f);
}

TEST_F(MasteryFiguresTest, SectionSelectionWalksFromChoosingToAllAndBack) {
  // Three etudes in one section, one in another, and a locked scales section.
  MakeLibrary({"a etude One", "b etude One", "c etude One", "d etude Two", "s1 scales Major C", "s2 scales Minor C"},
              {{"a"}});
  OpenOn("etude");
  const std::string one = RepertoireGroupLabel(gLibraryItems[0]);
  int selected = 0, available = 0;
  ToggleSectionSelection(one);
  EXPECT_TRUE(gChoosingPractice);
  EXPECT_TRUE(gSelectedCards.empty());
  gSelectedCards = {"a", "b"};
  CountSectionCards(one, &selected, &available);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(available, 3);
  ToggleSectionSelection(one);   // two of three: adds the third
  EXPECT_EQ(gSelectedCards.size(), 3u);
  EXPECT_EQ(gStatusText, "Section selected - click cards to add or remove");
  gSelectedCards.insert("d");
  ToggleSectionSelection(one);   // all three: removes them, keeps the other section's card
  EXPECT_EQ(gSelectedCards, (std::unordered_set<std::string, IdHash>{"d"}));
  EXPECT_EQ(gStatusText, "Section removed from selected practice");
  // A section with nothing open stays as it is.
  OpenOn("scales");
  gChosenTypes["scales"] = "Minor";
  const LibraryItem* minor = FindLibraryItem("s2");
  ASSERT_FALSE(IsItemAvailable(*minor));
  ToggleSectionSelection(RepertoireGroupLabel(*minor));
  EXPECT_EQ(gStatusText, "Locked - finish the previous section first");
  EXPECT_EQ(gSelectedCards.size(), 1u);
}

TEST_F(MasteryFiguresTest, RouteSummariesAndTheirNextItem) {
  MakeLibrary({"m1 scales Major C", "m2 scales Major G", "n1 scales Minor A"}, {{"m1"}});
  gCompletedItems.insert("m1");
  RebuildSchedule();
  RouteSummary s = ComputeRouteSummary("scales");
  EXPECT_EQ(s.sectionCount, 2);
  EXPECT_EQ(s.sectionsDone, 0);
  EXPECT_TRUE(s.anyUnlocked);
  EXPECT_FALSE(s.allComplete);
  EXPECT_EQ(s.nextTitle, "m2");
  RouteSummary empty = ComputeRouteSummary("chords");
  EXPECT_EQ(empty.sectionCount, 0);
  EXPECT_FALSE(empty.anyUnlocked);
  EXPECT_TRUE(empty.nextTitle.empty());
}

TEST_F(MasteryFiguresTest, NoteLettersAndTheTypeCache) {
  const std::pair<const char*, int> letters[] = {{"Bb", 10}, {"f#", 6}, {"Cb", 11}, {"C", 0}, {"G#m", 8},
                                                 {"H", -1},  {"", -1},  {"#", -1},  {"a", 9}, {"E#", 5}};
  for (const auto& [name, pc] : letters) EXPECT_EQ(ParseNoteLetter(name), pc) << name;

  MakeLibrary({"x1 chords X", "y1 chords Y", "x2 chords X"}, {{"x1"}});
  OpenOn("chords");
  EXPECT_EQ(ListCategoryTypes("chords"), (std::vector<std::string>{"X", "Y"}));
  EXPECT_TRUE(ListCategoryTypes("etude").empty());
  // Items added in place, without a reload, still reach the lists; the order follows the rows.
  LibraryItem z = gLibraryItems[0];
  z.id = "z0";
  z.type = "Z";
  z.row_index = -1;
  gLibraryItems.push_back(z);
  EXPECT_EQ(ListCategoryTypes("chords"), (std::vector<std::string>{"Z", "X", "Y"}));
  gChosenTypes["chords"] = "Y";
  EXPECT_EQ(GetChosenCategoryType("chords"), "Y");
  gChosenTypes["chords"] = "Gone";
  EXPECT_EQ(GetChosenCategoryType("chords"), "Z");
}

}  // namespace
