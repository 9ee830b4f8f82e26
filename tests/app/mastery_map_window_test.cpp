// The mastery map in a real window on a private display, over a generated library whose skills
// fall into several tiers and columns and a skill graph with Windows line ends, an entity-coded
// type, a row of three fields and a duplicated edge. The picture is read back at positions computed
// from the map's own layout (stars by state, a link's curve, the "you are here" ring, the focus
// card's frame), and xdotool drives it as a pupil would: hover, select, open, reselect, clear,
// the wheel, and a narrow window without the detail column. Screenshots are kept beside the test
// program.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "learning/attempt_rules.h"
#include "learning/lessons.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/mastery_map.h"
#include "learning_ui/skill_graph.h"
#include "tests/app/learning_window_fixture.h"

namespace {

class MasteryMapWindow : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    ResetMasteryMap();
    ResetSkillGraph();
  }
  void TearDown() override {
    ResetMasteryMap();
    ResetSkillGraph();
    LearningWindowTest::TearDown();
  }

  // Eleven skills over six tiers and the three columns; the scales' first type complete, so the
  // map shows a mastered, open and locked star in the technique column.
  void MakeLibraryAndGraph(bool withGraph) {
    const char* const rows[][3] = {
        {"f1", "foundations", "First Notes"},        {"f2", "foundations", "Simple Melodies"},
        {"s1", "scales", "Major Scales"},            {"s2", "scales", "Major Scales"},
        {"s3", "scales", "Natural Minor Scales"},    {"s4", "scales", "Harmonic Minor Scales"},
        {"c1", "chords", "Broken Chords"},           {"g1", "sight", "Grand Staff Reading"},
        {"e1", "etude", "First Studies"},            {"e2", "etude", "Lyric Studies"},
        {"e3", "etude", "Velocity Studies"},         {"r1", "repertoire", "Sonatina &amp; Rondo"},
    };
    std::string index = "header\n";
    for (const auto& r : rows)
      index += std::string(r[0]) + "\t1\t" + r[1] + "\t" + r[2] + "\t" + r[0] + "\tsub\tC\t\t\t\t\t" + r[0] +
               ".mid\t100\t100\t0.9\t0.85\t\t\t\t\n";
    WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), index);
    WriteFileBytes(dir_.File("MIDI/Library/lesson_plan.tsv"), "lesson\tsection\tid\ttitle\tcount\n1\tx\tf1\tOne\t1\n");
    if (withGraph)
      WriteFileBytes(dir_.File("MIDI/Library/skill_graph.tsv"),
                     "skill category\tskill type\tneeds category\tneeds type\r\n"
                     "scales\tNatural Minor Scales\tscales\tMajor Scales\r\n"
                     "scales\tHarmonic Minor Scales\tscales\tNatural Minor Scales\r\n"
                     "scales\tHarmonic Minor Scales\tscales\tNatural Minor Scales\r\n"
                     "repertoire\tSonatina &amp; Rondo\tetude\tLyric Studies\r\n"
                     "sight\tGrand Staff Reading\tfoundations\r\n"
                     "foundations\tSimple Melodies\tfoundations\tFirst Notes\r\n"
                     "chords\tBroken Chords\tfoundations\tFirst Notes\r\n");
    LoadLibraryIndex();
    gCompletedItems.insert("s1");
    gCompletedItems.insert("s2");
    UnlockTypes();
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryOpenedMs = 1;
    gLibraryViewKey = "skills";
    gSkillsTab = kSkillsTabMap;
    SortLibraryItems();
  }
  static MapNode Node(const std::string& type) {
    for (const MapNode& n : LayoutMasteryMap(ComputeLearningLayout()))
      if (n.type == type) return n;
    ADD_FAILURE() << "no card " << type;
    return MapNode();
  }
  static std::string Key(const std::string& category, const std::string& type) { return ItemSkillKey(category, type); }
  // The learning screen alone over black.
  static std::vector<uint8_t> DrawScreen() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLearningScreen();
    return ReadFrame();
  }
  // The pixel of the 3 x 3 block around (x, y) that scores highest.
  static Rgb Best(const std::vector<uint8_t>& frame, float x, float y, const std::function<int(const Rgb&)>& score) {
    Rgb best = At(frame, x, y);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        Rgb c = At(frame, x + dx, y + dy);
        if (score(c) > score(best)) best = c;
      }
    return best;
  }
  static int Warmth(const Rgb& c) { return c[0] - c[2]; }
  static void ExpectNear(const Rgb& got, float r, float g, float b, int tolerance, const char* what) {
    EXPECT_NEAR(got[0], r * 255, tolerance) << what;
    EXPECT_NEAR(got[1], g * 255, tolerance) << what;
    EXPECT_NEAR(got[2], b * 255, tolerance) << what;
  }
  // The warmest colour on the ring around the star's centre P, looked for above and below it over
  // the radii the ring breathes through.
  static int RingWarmth(const std::vector<uint8_t>& frame, const MapNode& n) {
    const RectF r = MapNodeRect(n);
    int best = -255;
    for (float radius = 14.0f; radius <= 19.0f; radius += 1.0f)
      for (float side : {-1.0f, 1.0f}) best = std::max(best, Warmth(At(frame, r.x + 18.0f, n.centreY + side * radius)));
    return best;
  }
  // The warmest pixel of the three rows around the focus card's top edge at x.
  static int FrameWarmth(const std::vector<uint8_t>& frame, float x, float y) {
    int best = -255;
    for (float dy : {-1.0f, 0.0f, 1.0f}) best = std::max(best, Warmth(At(frame, x, y + dy)));
    return best;
  }

  // ---- real input ----
  // Handles what arrives until the state holds; false after 20 s. No frame is drawn meanwhile, so
  // the wait costs a loaded machine little; the checks draw the screen themselves.
  static bool WaitFor(const std::function<bool()>& state) {
    for (const uint32_t start = ClockMs32(); ClockMs32() - start < 20000;) {
      DrainMessages();
      if (state()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  void MoveTo(float x, float y) {
    const int ix = (int)x, iy = (int)y;
    ASSERT_FALSE(Xdo({"mousemove", "--window", window_, std::to_string(ix), std::to_string(iy)}).empty());
    ASSERT_TRUE(WaitFor([&] { return gMouseX == ix && gMouseY == iy; })) << "the pointer did not arrive";
  }
  // A press on the point; done once the state shows its effect.
  void ClickAt(float x, float y, const std::function<bool()>& effect, const char* what) {
    MoveTo(x, y);
    ASSERT_FALSE(Xdo({"click", "1"}).empty());
    ASSERT_TRUE(WaitFor(effect)) << what;
  }
  void ClickCard(const std::string& type, const std::function<bool()>& effect, const char* what) {
    MapNode n = Node(type);
    ClickAt(n.centreX, n.centreY, effect, what);
  }
};

TEST_F(MasteryMapWindow, StarsLinksMarkerAndFocusCard) {
  ClockDriveBegin(ClockTickMs64());
  MakeLibraryAndGraph(true);
  gMouseX = gMouseY = 5;   // over no star
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_GT(l.detailW, 0.0f);
  std::vector<uint8_t> frame = DrawScreen();
  ASSERT_EQ(gSkillGraph.size(), 6u);   // the three-field row is dropped, the duplicate kept

  // Stars at their centre P by state: gold, blue, grey.
  const MapNode mastered = Node("Major Scales"), open = Node("Natural Minor Scales"),
                locked = Node("Harmonic Minor Scales");
  ASSERT_EQ(mastered.state, kMapNodeMastered);
  ASSERT_EQ(open.state, kMapNodeOpen);
  ASSERT_EQ(locked.state, kMapNodeLocked);
  for (const MapNode* n : {&mastered, &open, &locked})
    ASSERT_LT(n->centreY + 22.0f, l.contentY + l.contentH) << n->type << " is out of view";
  auto centre = [&](const MapNode& n) { return At(frame, MapNodeRect(n).x + 18.0f, n.centreY); };
  ExpectNear(centre(mastered), 0.97f, 0.82f, 0.36f, 24, "mastered star");
  ExpectNear(centre(open), 0.45f, 0.8f, 0.92f, 24, "open star");
  ExpectNear(centre(locked), 0.27f, 0.3f, 0.38f, 18, "locked star");

  // The link from the mastered to the open star bends left of the column; faint until selected.
  float linkX, linkY;
  MapLinkPoint(mastered, open, 0.5f, &linkX, &linkY);
  ASSERT_GT(linkY, mastered.centreY + 22.0f);
  ASSERT_LT(linkY, open.centreY - 22.0f);
  const Rgb faint = Best(frame, linkX, linkY, Sum);
  EXPECT_GE(Sum(faint) - Sum(At(frame, linkX + 10.0f, linkY)), 12) << "link before selection";
  EXPECT_LT(Warmth(faint), 10);

  // The "you are here" ring around the first open star of the lowest tier, not around another.
  const MapNode here = Node("First Notes"), other = Node("First Studies");
  ASSERT_EQ(here.centreY, other.centreY);
  EXPECT_GT(RingWarmth(frame, here), 50) << "you are here ring";
  EXPECT_LT(RingWarmth(frame, other), 10);
  SaveScreenshot("mastery_map_1440x920", frame);

  // Hovering a star brings its card; no card without.
  const float midX = l.x + l.width - 14.0f - 270.0f / 2.0f;
  EXPECT_LT(FrameWarmth(frame, midX, l.contentY), 10);
  gMouseX = (int)locked.centreX;
  gMouseY = (int)locked.centreY;
  DrawScreen();
  ClockDriveAdvance(200);   // past the slide-in
  frame = DrawScreen();
  MapFocusCard card = LayoutMapFocusCard(l, locked, 1, 0.0f);
  EXPECT_GT(FrameWarmth(frame, card.x + card.w / 2.0f, card.y), 25) << "focus card frame";
  ExpectNear(At(frame, card.x + card.w / 2.0f, card.y + 8.0f), 0.13f, 0.15f, 0.22f, 14, "focus card body");
  SaveScreenshot("mastery_map_hover_1440x920", frame);

  // A selected star lights its links gold and keeps its card wherever the mouse goes.
  ASSERT_TRUE(HandleMasteryMapClick(l, (int)open.centreX, (int)open.centreY));
  gMouseX = gMouseY = 5;
  DrawScreen();
  ClockDriveAdvance(200);
  frame = DrawScreen();
  EXPECT_GT(Warmth(Best(frame, linkX, linkY, Warmth)), 60) << "lit link";
  card = LayoutMapFocusCard(l, open, 1, 0.0f);
  EXPECT_GT(FrameWarmth(frame, card.x + card.w / 2.0f, card.y), 25) << "selected star's card";
  SaveScreenshot("mastery_map_selected_1440x920", frame);
}

TEST_F(MasteryMapWindow, WithoutAGraphFileStarsStandAlone) {
  ClockDriveBegin(ClockTickMs64());
  MakeLibraryAndGraph(false);
  gMouseX = gMouseY = 5;
  std::vector<uint8_t> frame = DrawScreen();
  const MapNode mastered = Node("Major Scales"), open = Node("Natural Minor Scales");
  float linkX, linkY;
  MapLinkPoint(mastered, open, 0.5f, &linkX, &linkY);
  EXPECT_LT(Sum(Best(frame, linkX, linkY, Sum)) - Sum(At(frame, linkX + 10.0f, linkY)), 12) << "no link drawn";
  std::string needs, leads;
  SkillNeedsAndLeads(open.category, open.type, &needs, &leads);
  EXPECT_TRUE(needs.empty() && leads.empty());
  // The file is not looked for again during the run.
  WriteFileBytes(dir_.File("MIDI/Library/skill_graph.tsv"), "h\nscales\tNatural Minor Scales\tscales\tMajor Scales\n");
  gMapSelectedSkill = Key(open.category, open.type);
  DrawScreen();
  ClockDriveAdvance(200);
  frame = DrawScreen();
  EXPECT_TRUE(gSkillGraph.empty());
  SaveScreenshot("mastery_map_no_graph_1440x920", frame);
}

TEST_F(MasteryMapWindow, RealInputHoverSelectOpenClearAndWheel) {
  MakeLibraryAndGraph(true);
  FindWindow();
  const LearningLayout l = ComputeLearningLayout();
  // The head of the second tier, above its cards.
  const float emptyX = l.contentX + l.contentW / 2.0f, emptyY = MapTierTops(l)[1] + 40.0f;

  // Hover shows the star's card.
  const MapNode locked = Node("Harmonic Minor Scales");
  MoveTo(locked.centreX, locked.centreY);
  const uint32_t since = ClockMs32();
  ASSERT_TRUE(WaitFor([&] { return ClockMs32() - since > 200; }));   // the slide-in has ended
  std::vector<uint8_t> frame = DrawScreen();
  MapFocusCard card = LayoutMapFocusCard(l, locked, 1, 0.0f);
  EXPECT_GT(FrameWarmth(frame, card.x + card.w / 2.0f, card.y), 25) << "hover card";

  // The first click selects; the links turn gold with the mouse elsewhere.
  ClickCard("Natural Minor Scales", [&] { return gMapSelectedSkill == Key("scales", "Natural Minor Scales"); }, "select");
  MoveTo(emptyX, emptyY);
  frame = DrawScreen();
  float linkX, linkY;
  MapLinkPoint(Node("Major Scales"), Node("Natural Minor Scales"), 0.5f, &linkX, &linkY);
  EXPECT_GT(Warmth(Best(frame, linkX, linkY, Warmth)), 60) << "lit link";
  // Another star takes the selection; empty map space clears it.
  ClickCard("Broken Chords", [&] { return gMapSelectedSkill == Key("chords", "Broken Chords"); }, "reselect");
  ClickAt(emptyX, emptyY, [&] { return gMapSelectedSkill.empty(); }, "clear");
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gLibraryViewKey, "skills");

  // The wheel scrolls the tiers.
  const float before = Node("Natural Minor Scales").centreY;
  ASSERT_FALSE(Xdo({"click", "5"}).empty());
  ASSERT_TRUE(WaitFor([] { return gLibraryScroll == 84.0f; })) << "wheel";
  EXPECT_FLOAT_EQ(Node("Natural Minor Scales").centreY, before - 84.0f);

  // Two clicks on a technique star open its view with its type chosen, at the top.
  ClickCard("Natural Minor Scales", [&] { return !gMapSelectedSkill.empty(); }, "select again");
  ClickCard("Natural Minor Scales", [] { return gLibraryViewKey == "scales"; }, "open");
  EXPECT_EQ(gChosenTypes["scales"], "Natural Minor Scales");
  EXPECT_EQ(gLibraryScroll, 0.0f);
  EXPECT_TRUE(gMapSelectedSkill.empty());
}

TEST_F(MasteryMapWindow, NarrowWindowMovesTheCardOffTheStar) {
  MakeLibraryAndGraph(true);
  FindWindow();
  ASSERT_FALSE(Xdo({"windowsize", window_, "1280", "720"}).empty());
  ASSERT_TRUE(WaitFor([] { return gClientWidth == 1280 && gClientHeight == 720; }));
  SetProjection2D();
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_EQ(l.detailW, 0.0f);
  const float rightMid = l.x + l.width - 14.0f - 270.0f / 2.0f, leftMid = l.contentX + 8.0f + 270.0f / 2.0f;

  // A repertoire star sits under the card's place: the card stands at the content's left edge.
  const MapNode study = Node("First Studies");
  MoveTo(study.centreX, study.centreY);
  uint32_t since = ClockMs32();
  ASSERT_TRUE(WaitFor([&] { return ClockMs32() - since > 200; }));
  std::vector<uint8_t> frame = DrawScreen();
  EXPECT_GT(FrameWarmth(frame, leftMid, l.contentY), 25) << "card at the left";
  SaveScreenshot("mastery_map_hover_1280x720", frame);
  // A technique star leaves it at the right.
  const MapNode major = Node("Major Scales");
  MoveTo(major.centreX, major.centreY);
  since = ClockMs32();
  ASSERT_TRUE(WaitFor([&] { return ClockMs32() - since > 200; }));
  frame = DrawScreen();
  EXPECT_GT(FrameWarmth(frame, rightMid, l.contentY), 25) << "card at the right";
  EXPECT_LT(FrameWarmth(frame, leftMid, l.contentY), 10);
  SaveScreenshot("mastery_map_hover_right_1280x720", frame);
}

}  // namespace
