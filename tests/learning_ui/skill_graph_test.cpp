// The skill graph file read beside a generated library (line ends, the header, short and long
// rows, entities, blanks, a missing file not looked for twice), the tiers of skills by their name
// fragments, the map columns, and a category's types in the library's current order.
#include "learning_ui/skill_graph.h"

#include <filesystem>

#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class SkillGraphTest : public LearningUiTest {
 protected:
  SkillGraphTest() { ResetSkillGraph(); }
  ~SkillGraphTest() override { ResetSkillGraph(); }
};

TEST_F(SkillGraphTest, FileRowsAsTheMapReadsThem) {
  MakeLibrary({"a scales Major_Scales"}, {{"a"}});
  WriteFileBytes(Lib("skill_graph.tsv"),
                 "scales\tMajor Scales\tfoundations\tFirst Notes\r\n"      // a header, however it looks
                 "scales\tMinor &amp; Modes\tscales\tMajor Scales\r\n"     // CRLF, an entity in field 2
                 "\r\n"
                 "\n"
                 "chords\tTriads\tscales\r\n"                              // three fields
                 "chords\tTriads\tscales\t\r\n"                            // a closing TAB is no field
                 "chords\tTriads\tscales\tMajor Scales\textra\tmore\n"     // five and more: four kept
                 " sight\t Two Hands \tfoundations &amp;\tLeft &#38; Right\n"    // blanks stay; 1 and 3 not decoded
                 "scales\tMinor &amp; Modes\tscales\tMajor Scales");       // a duplicate, no final line end
  LoadSkillGraph();
  struct Row {
    const char *category, *type, *neededCategory, *neededType;
  };
  const Row expected[] = {
      {"scales", "Minor & Modes", "scales", "Major Scales"},
      {"chords", "Triads", "scales", "Major Scales"},
      {" sight", " Two Hands", "foundations &amp;", "Left & Right"},
      {"scales", "Minor & Modes", "scales", "Major Scales"},
  };
  ASSERT_EQ(gSkillGraph.size(), std::size(expected));
  for (size_t i = 0; i < gSkillGraph.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gSkillGraph[i].category, expected[i].category);
    EXPECT_EQ(gSkillGraph[i].type, expected[i].type);
    EXPECT_EQ(gSkillGraph[i].neededCategory, expected[i].neededCategory);
    EXPECT_EQ(gSkillGraph[i].neededType, expected[i].neededType);
  }
  // Read once: a changed file is not read again during the run.
  WriteFileBytes(Lib("skill_graph.tsv"), "h\nx\ty\tz\tw\n");
  LoadSkillGraph();
  EXPECT_EQ(gSkillGraph.size(), std::size(expected));
}

TEST_F(SkillGraphTest, MissingOrHeaderOnlyFilesGiveNoEdges) {
  MakeLibrary({"a scales Major_Scales"}, {{"a"}});
  LoadSkillGraph();
  EXPECT_TRUE(gSkillGraph.empty());
  // A file that turns up later in the run is not looked for again.
  WriteFileBytes(Lib("skill_graph.tsv"), "h\nscales\tB\tscales\tA\n");
  LoadSkillGraph();
  EXPECT_TRUE(gSkillGraph.empty());

  ResetSkillGraph();
  WriteFileBytes(Lib("skill_graph.tsv"), "scales\tB\tscales\tA\n");
  LoadSkillGraph();
  EXPECT_TRUE(gSkillGraph.empty());
  // A broken file (a folder at the name) reads as missing.
  ResetSkillGraph();
  std::filesystem::remove(Lib("skill_graph.tsv"));
  std::filesystem::create_directory(Lib("skill_graph.tsv"));
  LoadSkillGraph();
  EXPECT_TRUE(gSkillGraph.empty());
}

TEST(SkillTiers, FirstFragmentInTableOrderWins) {
  struct Case {
    const char *category, *type;
    int tier;
  };
  const Case cases[] = {
      {"scales", "Harmonic Minor Scales", 3},
      {"scales", "Major Scales", 1},
      {"scales", "Whole Tone", 5},
      {"etude", "Late Intermediate Studies", 6},
      {"sight", "Melodic Minor Reading", 3},
      {"mechanics", "Staccato Intervals", 1},                 // later in the text, earlier in the table
      {"etude", "Chorales - Late Intermediate", 6},           // both fragments: the earlier row wins
      {"etude", "Chorales - Late", 4},
      {"etude", "Chorales - Level 5 Advanced", 6},
      {"etude", "Chorales - Intermediate", 5},
      {"repertoire", "Intermediate Character Pieces", 5},
      {"repertoire", "Character Pieces", 4},
      {"chords", "MAJOR TRIADS", 1},                          // case does not matter
      {"foundations", "First Notes", 0},
      {"sight", "Grand Staff", 3},
      {"foundations", "Rhythm Studies", 2},
      {"rhythm", "studies", 2},                               // the fragment spans category and type
      {"Nordic", "", 4},
      {"", "", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SkillTierOf(c.category, c.type), c.tier) << c.category << " / " << c.type;
}

TEST(SkillTiers, MapColumnsByExactCategory) {
  const std::pair<const char*, int> cases[] = {{"scales", 0},  {"chords", 0},      {"mechanics", 0},
                                               {"foundations", 1}, {"sight", 1},   {"etude", 2},
                                               {"repertoire", 2},  {"Scales", 2},  {"scales ", 2},
                                               {"", 2}};
  for (const auto& [category, column] : cases) EXPECT_EQ(MapCategoryClass(category), column) << "'" << category << "'";
}

TEST_F(SkillGraphTest, CategoryTypesFollowTheLibrarysCurrentOrder) {
  MakeLibrary({"b1 scales B", "a1 scales A", "b2 scales B", "c1 chords C", "x1 etude X"}, {{"b1"}});
  EXPECT_EQ(ItemTypesOfCategory("scales"), (std::vector<std::string>{"B", "A"}));
  EXPECT_TRUE(ItemTypesOfCategory("Scales").empty());
  gLibraryItems[1].type = "";   // an empty type is a type like any other
  EXPECT_EQ(ItemTypesOfCategory("scales"), (std::vector<std::string>{"B", ""}));
  std::swap(gLibraryItems[0], gLibraryItems[1]);
  EXPECT_EQ(ItemTypesOfCategory("scales"), (std::vector<std::string>{"", "B"}));
}

}  // namespace
