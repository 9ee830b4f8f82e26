// The practice routes of the skills view: what a click on each route opens and preselects in the
// picker, the clicks that are not a route's, the tag each route's progress earns, and where a
// row's texts stand when the tag or the label is long.
#include "learning_ui/practice_routes.h"

#include "gfx/text.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_views.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class PracticeRoutesTest : public LearningUiTest {
 protected:
  void SetUp() override {
    MakeLibrary({"f1 foundations Basics C", "s1 scales Major C", "s2 scales Major G", "s3 scales Minor A",
                 "c1 chords Triads D", "c2 chords Triads Eb", "g1 sight Treble F", "g2 sight Treble G"},
                {{"f1", "s1"}});
    gCompletedItems.insert("s1");
    RebuildSchedule();
    OpenOn("skills");
    gSkillsTab = kSkillsTabOverview;
  }
  static int RouteOf(const std::string& key) {
    for (int i = 0; i < kRouteCount; ++i)
      if (key == kRouteKeys[i]) return i;
    return -1;
  }
  static bool ClickRoute(const std::string& key) {
    const LearningLayout l = ComputeLearningLayout();
    const RectF row = RouteRowRect(l, RouteOf(key));
    return HandleLearningClick(Cx(row), Cy(row));
  }
};

TEST_F(PracticeRoutesTest, EachRouteOpensItsViewWithTheNextPieceChosen) {
  struct Case {
    const char* route;
    const char* type;   // "" leaves the types as they were
    int key;            // the key after the click (3 before it)
    int hand;           // the hands after the click (2 before it)
  };
  const Case cases[] = {
      {"scales", "Major", 7, 0},      // s1 is done: s2 in G is next
      {"chords", "Triads", 2, 0},     // the earlier row of two open ones
      {"sight", "Treble", 3, 0},      // the key stays: reading has none
      {"mechanics", "", 3, 2},        // nothing to play: the view only
      {"foundations", "", 3, 2},      // not a technique route
      {"etude", "", 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    OpenOn("skills");
    gChosenTypes.clear();
    gChosenKey = 3;
    gHandFilter = 2;
    gLibraryScroll = 0.0f;
    if (std::string(c.route) != "foundations" && std::string(c.route) != "etude") gRunsDropDown = kRunsListKey;
    ASSERT_TRUE(ClickRoute(c.route));
    EXPECT_EQ(gLibraryViewKey, c.route);
    EXPECT_EQ(gLibraryScroll, 0.0f);
    EXPECT_EQ(gRunsDropDown, kRunsListNone);
    EXPECT_EQ(gChosenTypes.count(c.route) ? gChosenTypes[c.route] : "", c.type);
    EXPECT_EQ(gChosenKey, c.key);
    EXPECT_EQ(gHandFilter, c.hand);
  }
  // The route's next piece is what the opened view lists.
  OpenOn("skills");
  ASSERT_TRUE(ClickRoute("scales"));
  int listed = 0;
  WalkCardGrid(ComputeLearningLayout(), 0.0f, nullptr, [&](const LibraryItem& item, const RectF&) {
    EXPECT_EQ(item.id, "s2");
    ++listed;
    return false;
  });
  EXPECT_EQ(listed, 1);
}

TEST_F(PracticeRoutesTest, GapsAndRowsOutsideTheBandAreNotRoutes) {
  const LearningLayout l = ComputeLearningLayout();
  const RectF first = RouteRowRect(l, 0), second = RouteRowRect(l, 1);
  // The 8 px between two rows, and the header above the first.
  for (float y : {first.y + first.h + 1.0f, second.y - 1.0f, first.y - 6.0f}) {
    EXPECT_FALSE(HandleRoutesClick(l, Cx(first), (int)y)) << y;
    EXPECT_EQ(gLibraryViewKey, "skills");
  }
  EXPECT_FALSE(HandleRoutesClick(l, (int)(first.x + first.w) + 2, Cy(first)));
  // Scrolled so that the first row starts above the band: its part out of view is not clickable.
  gLibraryScroll = 40.0f;
  const RectF scrolled = RouteRowRect(l, 0);
  ASSERT_LT(scrolled.y, l.contentY - 4.0f);
  EXPECT_FALSE(HandleRoutesClick(l, Cx(scrolled), (int)l.contentY - 2));
  EXPECT_TRUE(HandleRoutesClick(l, Cx(scrolled), (int)l.contentY + 2));
  EXPECT_EQ(gLibraryViewKey, "foundations");
}

TEST_F(PracticeRoutesTest, TagsFollowTheRoutesProgress) {
  struct Case {
    const char* route;
    RouteTag tag;
    int sections, done;
  };
  gCompletedItems.insert("g1");
  gCompletedItems.insert("g2");
  RebuildSchedule();
  const Case cases[] = {
      {"scales", RouteTag::kNext, 2, 0},
      {"sight", RouteTag::kComplete, 1, 1},
      {"mechanics", RouteTag::kLocked, 0, 0},   // no pieces: locked, not complete
      {"etude", RouteTag::kLocked, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    const RouteSummary s = ComputeRouteSummary(c.route);
    EXPECT_EQ(ChooseRouteTag(s), c.tag);
    EXPECT_EQ(s.sectionCount, c.sections);
    EXPECT_EQ(s.sectionsDone, c.done);
  }
  // Open but with nothing left to play that is open: no tag.
  RouteSummary open;
  open.sectionCount = 2;
  open.anyUnlocked = true;
  open.allComplete = false;
  EXPECT_EQ(ChooseRouteTag(open), RouteTag::kNone);
}

// Without fonts the widths are estimates, which is all the row's arithmetic needs.
TEST_F(PracticeRoutesTest, TheTagSharesTheLabelsLineWithinTheRow) {
  struct Case {
    const char* label;
    const char* title;
    float rowW;
    bool tagCut, labelCut;
  };
  const Case cases[] = {
      {"Scales", "C major", 900.0f, false, false},
      {"Scales", "A very long title of a study in the remote key of C sharp minor", 700.0f, false, false},
      {"Scales", "A very long title of a study in the remote key of C sharp minor", 330.0f, true, false},
      // A label that would leave the tag nothing is cut so the tag keeps its room.
      {"An uncommonly long route label that runs on and on and on", "Etude in C major", 420.0f, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    RouteSummary s;
    s.label = c.label;
    s.sectionCount = 3;
    s.anyUnlocked = true;
    s.allComplete = false;
    s.nextTitle = c.title;
    const RectF row{100.0f, 50.0f, c.rowW, 58.0f};
    const RouteRowText t = LayoutRouteRowText(row, s);
    const bool tagCut = t.tag.size() >= 3 && t.tag.compare(t.tag.size() - 3, 3, "...") == 0;
    EXPECT_EQ(tagCut, c.tagCut) << t.tag;
    EXPECT_EQ(t.label != c.label, c.labelCut) << t.label;
    EXPECT_EQ(t.tag.rfind("Next: ", 0), 0u) << t.tag;
    EXPECT_FLOAT_EQ(t.tagBaseline, t.labelBaseline);
    EXPECT_GT(t.sectionsBaseline, t.tagBaseline + 12.0f) << "the count keeps its own line";
    EXPECT_GE(t.tagX, t.labelX + MeasureText(0, t.label, 9.0f) + 20.0f);
    EXPECT_NEAR(t.tagX + MeasureText(0, t.tag, 6.4f), row.x + row.w - 16.0f, 0.01f);
  }
  RouteSummary done;
  done.label = "Scales";
  done.sectionCount = done.sectionsDone = 2;
  EXPECT_EQ(LayoutRouteRowText({0, 0, 800, 58}, done).tag, "Complete");
  done.allComplete = false;
  done.anyUnlocked = true;
  EXPECT_EQ(LayoutRouteRowText({0, 0, 800, 58}, done).tag, "") << "no next piece, no tag";
}

}  // namespace
