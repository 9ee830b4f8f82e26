// The mastery map without a window: its worked layouts (no section items, three plus two skills in
// one tier, two content widths, the scroll), card states from completion and unlocking, the
// "you are here" choice, the focus card's size, place and piece rows, the skill's figures, its
// needs and leads, and the clicks that select, open and clear.
#include "learning_ui/mastery_map.h"

#include <mutex>

#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning/attempt_rules.h"
#include "learning/lessons.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/skill_graph.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class MasteryMapTest : public LearningUiTest {
 protected:
  MasteryMapTest() {
    ResetMasteryMap();
    ResetSkillGraph();
  }
  ~MasteryMapTest() override {
    ResetMasteryMap();
    ResetSkillGraph();
  }
  static LearningLayout Content(float x, float y, float w) {
    LearningLayout l{};
    l.contentX = x;
    l.contentY = y;
    l.contentW = w;
    return l;
  }
  static const MapNode* Find(const std::vector<MapNode>& nodes, const std::string& type) {
    for (const MapNode& n : nodes)
      if (n.type == type) return &n;
    return nullptr;
  }
};

TEST_F(MasteryMapTest, WorkedLayouts) {
  // No item of the seven sections: no cards, seven bands of one row each.
  MakeLibrary({"o1 other Major_Things"}, {{"o1"}});
  EXPECT_TRUE(LayoutMasteryMap(Content(0, 0, 900)).empty());
  for (int n : MapTierCounts()) EXPECT_EQ(n, 1);
  OpenOn("skills");
  gSkillsTab = kSkillsTabMap;
  EXPECT_FLOAT_EQ(LearningContentHeight(ComputeLearningLayout()), 7 * 140.0f + 94.0f);

  // Three technique and two reading skills in tier 1 (stage 2), one repertoire skill in tier 0.
  MakeLibrary({"s1 scales Major_Scales", "s2 scales Major_Arpeggios", "f1 foundations Simple_Melodies",
               "s3 scales Major_Five_Finger", "s4 scales Major_Scales", "f2 foundations Landmark_Tunes",
               "r1 repertoire Folk_Songs"},
              {{"s1"}});
  std::array<int, kMapTierCount> counts = MapTierCounts();
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(counts[1], 3);
  EXPECT_FLOAT_EQ(MapTierHeight(counts[1]), 244.0f);
  const LearningLayout wide = Content(100, 200, 1035);
  std::array<float, kMapTierCount> tops = MapTierTops(wide);
  EXPECT_FLOAT_EQ(tops[0], 262.0f);
  EXPECT_FLOAT_EQ(tops[1], 402.0f);
  EXPECT_FLOAT_EQ(tops[2], 646.0f);
  std::vector<MapNode> nodes = LayoutMasteryMap(wide);
  struct Want {
    const char* type;
    float x, y;
  };
  // Walking order: foundations, then scales in library order, then repertoire.
  const Want want[] = {{"Simple Melodies", 517.5f, 482}, {"Landmark Tunes", 517.5f, 534},
                       {"Major Scales", 172.5f, 482},    {"Major Arpeggios", 172.5f, 534},
                       {"Major Five Finger", 172.5f, 586}, {"Folk Songs", 862.5f, 342}};
  ASSERT_EQ(nodes.size(), std::size(want));
  for (size_t i = 0; i < nodes.size(); ++i) {
    SCOPED_TRACE(want[i].type);
    EXPECT_EQ(nodes[i].type, want[i].type);
    EXPECT_FLOAT_EQ(nodes[i].centreX, 100 + want[i].x);
    EXPECT_FLOAT_EQ(nodes[i].centreY, want[i].y);
    EXPECT_FLOAT_EQ(nodes[i].width, 303.0f);
    EXPECT_FLOAT_EQ(nodes[i].height, 44.0f);
  }
  // A narrow content keeps the cards at their least width, wider than the columns.
  for (const MapNode& n : LayoutMasteryMap(Content(0, 0, 600))) EXPECT_FLOAT_EQ(n.width, 220.0f);
  // Scrolling moves every card and band by the same amount.
  gLibraryScroll = 37.0f;
  std::vector<MapNode> scrolled = LayoutMasteryMap(wide);
  for (size_t i = 0; i < nodes.size(); ++i) EXPECT_FLOAT_EQ(scrolled[i].centreY, nodes[i].centreY - 37.0f);
  EXPECT_FLOAT_EQ(MapTierTops(wide)[3], tops[3] - 37.0f);
  gLibraryScroll = 0.0f;
  // The MAP tab's height follows the tallest columns.
  EXPECT_FLOAT_EQ(LearningContentHeight(ComputeLearningLayout()), 6 * 140.0f + 244.0f + 94.0f);
}

TEST_F(MasteryMapTest, CardStatesFromCompletionAndUnlocking) {
  MakeLibrary({"a1 scales Major_Scales", "a2 scales Major_Scales", "b1 scales Minor_Scales", "c1 scales Modes"},
              {{"a1"}});
  // At the start only the first type of a section is open.
  auto states = [&] {
    std::vector<int> s;
    for (const MapNode& n : LayoutMasteryMap(Content(0, 0, 900))) s.push_back(n.state);
    return s;
  };
  EXPECT_EQ(states(), (std::vector<int>{kMapNodeOpen, kMapNodeLocked, kMapNodeLocked}));
  // Complete items make a skill mastered even where its type is not unlocked.
  gCompletedItems.insert("c1");
  gCompletedItems.insert("a1");
  EXPECT_EQ(states(), (std::vector<int>{kMapNodeOpen, kMapNodeLocked, kMapNodeMastered}));
  gCompletedItems.insert("a2");
  EXPECT_EQ(states()[0], kMapNodeMastered);
  // One incomplete item keeps a skill open only while its type is unlocked.
  gUnlockedTypeKeys.insert(ItemSkillKey("scales", "Minor Scales"));
  EXPECT_EQ(states()[1], kMapNodeOpen);
}

TEST_F(MasteryMapTest, YouAreHereIsTheLowestOpenStar) {
  auto node = [](int tier, float y, int state) {
    MapNode n;
    n.tier = tier;
    n.centreY = y;
    n.state = state;
    return n;
  };
  struct Case {
    const char* name;
    std::vector<MapNode> nodes;
    int expected;
  };
  const Case cases[] = {
      {"none open", {node(0, 10, kMapNodeLocked), node(1, 5, kMapNodeMastered)}, -1},
      {"lowest tier", {node(3, 10, kMapNodeOpen), node(1, 900, kMapNodeOpen), node(0, 5, kMapNodeLocked)}, 1},
      {"higher on screen", {node(2, 300, kMapNodeOpen), node(2, 120, kMapNodeOpen), node(2, 200, kMapNodeOpen)}, 1},
      {"first of equals", {node(2, 120, kMapNodeMastered), node(2, 120, kMapNodeOpen), node(2, 120, kMapNodeOpen)}, 1},
      {"empty map", {}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FindYouAreHereCard(c.nodes), c.expected) << c.name;
}

TEST_F(MasteryMapTest, FocusCardRowsPlaceAndFigures) {
  std::vector<std::string> rows;
  for (int i = 0; i < 9; ++i) rows.push_back("p" + std::to_string(i) + " etude Studies");
  MakeLibrary(rows, {{"p0"}});
  const LearningLayout l = ComputeLearningLayout();   // 1440 x 920, with a detail column
  MapNode focused = LayoutMasteryMap(l)[0];
  MapFocusCard card = LayoutMapFocusCard(l, focused, 9, 0.0f);
  EXPECT_EQ(card.rows, 6);
  EXPECT_EQ(card.more, 3);
  EXPECT_FLOAT_EQ(card.w, 270.0f);   // a fifth of the panel is less than the least width
  EXPECT_FLOAT_EQ(card.x, l.x + l.width - card.w - 14.0f);
  EXPECT_FLOAT_EQ(card.h, 16 * 6 + 214 + 18 + 58);
  // Sliding in from the right; a few pieces need no "more" line.
  card = LayoutMapFocusCard(l, focused, 2, 28.0f);
  EXPECT_FLOAT_EQ(card.x, l.x + l.width - card.w - 14.0f + 28.0f);
  EXPECT_EQ(card.rows, 2);
  EXPECT_EQ(card.more, 0);
  EXPECT_FLOAT_EQ(card.h, 16 * 2 + 214 + 58);

  // A short panel lists fewer rows and counts the rest.
  LearningLayout shortPanel = l;
  shortPanel.height = shortPanel.contentY - shortPanel.top + 12.0f + 300.0f;
  card = LayoutMapFocusCard(shortPanel, focused, 9, 0.0f);
  EXPECT_FLOAT_EQ(card.h, 300.0f);
  EXPECT_EQ(card.rows, 2);
  EXPECT_EQ(card.more, 7);

  // Without a detail column the card leaves its place when the star's card reaches under it.
  LearningLayout narrow = l;
  narrow.detailW = 0.0f;
  focused.centreX = narrow.x + narrow.width - 100.0f;
  card = LayoutMapFocusCard(narrow, focused, 9, 10.0f);
  EXPECT_FLOAT_EQ(card.x, narrow.contentX + 8.0f - 10.0f);
  focused.centreX = narrow.contentX + 100.0f;
  card = LayoutMapFocusCard(narrow, focused, 9, 10.0f);
  EXPECT_FLOAT_EQ(card.x, narrow.x + narrow.width - card.w - 14.0f + 10.0f);

  // The slide-in restarts with each new key.
  EXPECT_FLOAT_EQ(MapFocusSlideOffset("a", 1000), 28.0f);
  EXPECT_NEAR(MapFocusSlideOffset("a", 1085), 7.0f, 1e-4);
  EXPECT_FLOAT_EQ(MapFocusSlideOffset("a", 1170), 0.0f);
  EXPECT_FLOAT_EQ(MapFocusSlideOffset("b", 1171), 28.0f);
}

// A scale's row joins its title and subtitle: each is a text of its own with its own translation;
// the joined English has none, and showed English in every language.
TEST_F(MasteryMapTest, FocusPieceRowsTranslateTitleAndSubtitleApart) {
  WriteFileBytes(dir_.File("locales/de-DE.json"),
                 "{\n\"C major\": \"C-Dur\",\n\"one octave\": \"eine Oktave\",\n\"Morning Study\": \"Morgenetüde\",\n"
                 "\"C major, one octave\": \"\"\n}\n");
  LibraryItem scale, etude;
  scale.category = "scales";
  scale.name = "C major - one octave";
  etude.category = "etude";
  etude.name = "Morning Study - slow";   // only a scale's or chord's name is cut
  EXPECT_EQ(FocusPieceLine(scale), "C major, one octave");
  for (const char* tag : {"de-DE", "en-US"}) {
    {
      std::lock_guard<std::recursive_mutex> lock(gTrMutex);
      gUiLanguage = tag;
    }
    ResetTranslationFileForTesting();
    if (std::string(tag) == "de-DE") {
      EXPECT_EQ(FocusPieceLine(scale), "C-Dur, eine Oktave");
      EXPECT_EQ(FocusPieceLine(etude), "Morning Study - slow");
    }
  }
  EXPECT_EQ(FocusPieceLine(scale), "C major, one octave");
}

TEST_F(MasteryMapTest, PiecesOrderedByProgressKeepingLibraryOrder) {
  MakeLibrary({"u1 etude S", "m1 etude S", "a1 etude S", "u2 etude S", "a2 etude S", "c1 etude S", "placed etude S"},
              {{"u1"}});
  gCompletedItems.insert("c1");
  gMasteryRecords["a1"].attempts = 2;
  gMasteryRecords["a1"].best_accuracy = 0.5f;
  gMasteryRecords["a1"].best_timing = 0.7f;
  gMasteryRecords["a2"].attempts = 1;
  gMasteryRecords["a2"].best_accuracy = 0.6f;
  gMasteryRecords["a2"].best_timing = 0.4f;
  gMasteryRecords["u2"].attempts = 0;   // a record without an attempt is untouched
  MasteryRecord& m = gMasteryRecords["m1"];
  m.attempts = 3;
  m.passes = m.distinct_pass_days = 2;
  m.best_accuracy = m.best_timing = 1.0f;
  m.best_bpm = 100.0f;
  MasteryRecord& placed = gMasteryRecords["placed"];
  placed.placed_by_source = true;
  placed.best_accuracy = placed.best_timing = 1.0f;
  placed.attempts = 1;
  ASSERT_TRUE(IsItemMastered(*FindLibraryItem("m1")));

  std::vector<std::vector<int>> items;
  LayoutMasteryMap(ComputeLearningLayout(), &items);
  ASSERT_EQ(items.size(), 1u);
  std::vector<std::string> order;
  for (int i : SortSkillPieces(items[0])) order.push_back(gLibraryItems[i].id);
  EXPECT_EQ(order, (std::vector<std::string>{"a1", "a2", "placed", "u1", "u2", "m1", "c1"}));
  SkillStats s = ComputeSkillStats(items[0]);
  EXPECT_EQ(s.pieces, 7);
  EXPECT_EQ(s.done, 2);
  EXPECT_EQ(s.mastered, 1);
  EXPECT_EQ(s.attempted, 4);
  EXPECT_FLOAT_EQ(s.bestAccuracy, 1.0f);   // m1's; the placed record's do not count
  EXPECT_FLOAT_EQ(s.bestTiming, 1.0f);
  gMasteryRecords.erase("m1");
  s = ComputeSkillStats(items[0]);
  EXPECT_FLOAT_EQ(s.bestAccuracy, 0.6f);
  EXPECT_FLOAT_EQ(s.bestTiming, 0.7f);
}

TEST_F(MasteryMapTest, NeedsAndLeadsInFileOrderWithDuplicates) {
  MakeLibrary({"a scales A", "b scales B", "c chords C"}, {{"a"}});
  std::string needs, leads;
  LoadSkillGraph();   // no file
  SkillNeedsAndLeads("scales", "B", &needs, &leads);
  EXPECT_EQ(needs, "");
  EXPECT_EQ(leads, "");
  ResetSkillGraph();
  WriteFileBytes(Lib("skill_graph.tsv"),
                 "h\nscales\tB\tscales\tA\nchords\tC\tscales\tB\nscales\tB\tscales\tA\nscales\tB\tnowhere\tZ\n");
  LoadSkillGraph();
  SkillNeedsAndLeads("scales", "B", &needs, &leads);
  EXPECT_EQ(needs, "A, A, Z");
  EXPECT_EQ(leads, "C");
  SkillNeedsAndLeads("scales", "A", &needs, &leads);
  EXPECT_EQ(needs, "");
  EXPECT_EQ(leads, "B, B");
}

TEST_F(MasteryMapTest, ClicksSelectOpenAndClear) {
  MakeLibrary({"m1 scales Major_Scales", "m2 scales Minor_Scales", "e1 etude Studies"}, {{"m1"}});
  OpenOn("skills");
  gSkillsTab = kSkillsTabMap;
  const LearningLayout l = ComputeLearningLayout();
  std::vector<MapNode> nodes = LayoutMasteryMap(l);
  const RectF major = MapNodeRect(*Find(nodes, "Major Scales")), minor = MapNodeRect(*Find(nodes, "Minor Scales")),
              etude = MapNodeRect(*Find(nodes, "Studies"));
  const std::string majorKey = ItemSkillKey("scales", "Major Scales");

  EXPECT_TRUE(HandleLearningClick(Cx(major), Cy(major)));
  EXPECT_EQ(gMapSelectedSkill, majorKey);
  // Another star takes the selection.
  EXPECT_TRUE(HandleMasteryMapClick(l, Cx(minor), Cy(minor)));
  EXPECT_EQ(gMapSelectedSkill, ItemSkillKey("scales", "Minor Scales"));
  // Empty map space clears it and leaves the click to the screen.
  EXPECT_FALSE(HandleMasteryMapClick(l, (int)l.contentX + 2, (int)(l.contentY + l.contentH - 2)));
  EXPECT_TRUE(gMapSelectedSkill.empty());
  // A click above the content band changes nothing, even over a card scrolled up there.
  gMapSelectedSkill = majorKey;
  EXPECT_FALSE(HandleMasteryMapClick(l, Cx(major), (int)l.contentY - 1));
  EXPECT_EQ(gMapSelectedSkill, majorKey);
  // A change of sub-tab drops the selection.
  EXPECT_TRUE(HandleLearningClick(Cx(GetSkillsTabRect(l, 0)), Cy(GetSkillsTabRect(l, 0))));
  EXPECT_EQ(gSkillsTab, kSkillsTabOverview);
  EXPECT_TRUE(gMapSelectedSkill.empty());
  gSkillsTab = kSkillsTabMap;

  // The second click on a technique star opens its view with its type chosen, at the top.
  gRunsDropDown = 2;
  gLibraryScroll = 30.0f;
  const RectF scrolled = MapNodeRect(*Find(LayoutMasteryMap(l), "Minor Scales"));
  EXPECT_EQ(scrolled.y, minor.y - 30.0f);
  EXPECT_TRUE(HandleLearningClick(Cx(scrolled), Cy(scrolled)));
  EXPECT_TRUE(HandleLearningClick(Cx(scrolled), Cy(scrolled)));
  EXPECT_EQ(gLibraryViewKey, "scales");
  EXPECT_EQ(gChosenTypes["scales"], "Minor Scales");
  EXPECT_EQ(gRunsDropDown, 0);
  EXPECT_FLOAT_EQ(gLibraryScroll, 0.0f);
  EXPECT_TRUE(gMapSelectedSkill.empty());
  // Other categories open without a chosen type.
  OpenOn("skills");
  EXPECT_TRUE(HandleMasteryMapClick(l, Cx(etude), Cy(etude)));
  EXPECT_TRUE(HandleMasteryMapClick(l, Cx(etude), Cy(etude)));
  EXPECT_EQ(gLibraryViewKey, "etude");
  EXPECT_EQ(gChosenTypes.count("etude"), 0u);
}

// A second click opens a view the sidebar has a row for, whose title names it and whose list holds
// the skill's pieces: the pieces, which have no view of their own, open the Songbook's first view;
// a section with a view of its own opens that one, though a Songbook view lists it too.
TEST_F(MasteryMapTest, ASecondClickOpensAViewOfTheSidebar) {
  MakeLibrary({"f1 foundations Simple_Melodies", "r1 repertoire Folk_Melodies", "r2 repertoire Folk_Melodies"},
              {{"f1"}});
  struct Case {
    const char* type;
    const char* view;
    int group;
  };
  const Case cases[] = {{"Folk Melodies", "rep_composer", 1}, {"Simple Melodies", "foundations", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    OpenOn("skills");
    gSkillsTab = kSkillsTabMap;
    const LearningLayout l = ComputeLearningLayout();
    const std::vector<MapNode> nodes = LayoutMasteryMap(l);
    const MapNode* node = Find(nodes, c.type);
    ASSERT_NE(node, nullptr);
    const RectF star = MapNodeRect(*node);
    const std::string category = node->category;
    EXPECT_TRUE(HandleLearningClick(Cx(star), Cy(star)));
    EXPECT_TRUE(HandleLearningClick(Cx(star), Cy(star)));
    EXPECT_EQ(gLibraryViewKey, c.view);
    EXPECT_EQ(NavGroupOfView(), c.group);
    int rows = 0;
    for (const NavRow& row : BuildNavRows()) rows += row.kind == 0 && row.key == gLibraryViewKey;
    EXPECT_EQ(rows, 1) << "the sidebar's row of the view";
    EXPECT_NE(ViewKeyLabel(), "Browse All");
    for (const LibraryItem& item : gLibraryItems)
      if (item.category == category) EXPECT_TRUE(ItemMatchesFilters(item)) << item.id;
  }
}

}  // namespace
