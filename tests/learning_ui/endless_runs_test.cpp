// The technique views' picker bar: its geometry with and without a key box, and its clicks walked
// through the lists' states: opening, picking, the swallowed second click of a pick (across the
// 32-bit clock's wrap), a click beside an open list, the search that takes the bar away, and a
// change of view that closes the list.
#include "learning_ui/endless_runs.h"

#include <cmath>
#include <optional>

#include "learning/schedule.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/library_search.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class EndlessRunsTest : public LearningUiTest {
 protected:
  void SetUp() override {
    // Two types of scales in three keys with hands, and one type of reading pieces.
    MakeLibrary({"maj_c_rh scales Major C", "maj_g_rh scales Major G", "maj_c_lh scales Major C", "maj_d scales Major D",
                 "maj_g_lh scales Major G", "maj_e scales Major E", "min_a scales Minor A", "min_e scales Minor E",
                 "read1 sight Treble C", "read2 sight Treble G"},
                {{"maj_c_rh", "maj_g_rh", "maj_c_lh", "maj_d", "maj_g_lh", "maj_e", "min_a", "min_e", "read1", "read2"}});
    clock_.emplace(0xFFFFFF00ull);   // the 32-bit clock wraps 256 ms from here
  }
  static std::vector<std::string> Listed() {
    std::vector<std::string> ids;
    WalkCardGrid(ComputeLearningLayout(), gLibraryScroll, nullptr, [&](const LibraryItem& item, const RectF&) {
      ids.push_back(item.id);
      return false;
    });
    return ids;
  }
  static bool Click(const RectF& r) { return HandleLearningClick(Cx(r), Cy(r)); }
  std::optional<ScopedDrivenClock> clock_;
};

TEST_F(EndlessRunsTest, GeometryWithAndWithoutTheKeyBox) {
  for (const char* view : {"scales", "sight"}) {
    SCOPED_TRACE(view);
    OpenOn(view);
    const LearningLayout l = ComputeLearningLayout();
    const RectF type = RunsTypeBoxRect(l), key = RunsKeyBoxRect(l);
    EXPECT_EQ(type.y, l.contentY - 44.0f) << "the bar sits in the band above the cards";
    const bool sight = std::string(view) == "sight";
    EXPECT_EQ(key.x, sight ? kHiddenRect.x : type.x + type.w + 10.0f);
    // The hand buttons follow the key box (or, without one, the type box) in a row 4 px apart.
    float x = sight ? type.x + type.w + 10.0f : key.x + key.w + 18.0f;
    for (int i = 0; i < 4; ++i) {
      const RectF hand = RunsHandButtonRect(l, i);
      EXPECT_FLOAT_EQ(hand.x, x) << i;
      EXPECT_GE(hand.w, i == 0 ? 70.0f : 52.0f);
      x += hand.w + 4.0f;
    }
    EXPECT_LE(x, l.contentX + l.contentW) << "the bar fits the content width";
    // The type list lists the view's types under the type box; the key grid lies in its panel.
    const RunsTypeList list = RunsTypeListGeometry(l);
    EXPECT_EQ(list.rows, sight ? 1 : 2);
    const RectF panel = RunsTypeListPanel(list), lastRow = RunsTypeRowRect(list, list.rows - 1);
    EXPECT_GT(list.y, type.y + type.h);
    EXPECT_LE(lastRow.y + lastRow.h, panel.y + panel.h);
    const RectF keys = RunsKeyListRect(l), every = RunsKeyCellRect(l, 12), last = RunsKeyCellRect(l, 11);
    for (const RectF& cell : {RunsKeyCellRect(l, 0), last, every}) {
      EXPECT_GE(cell.x, keys.x);
      EXPECT_LE(cell.x + cell.w, keys.x + keys.w);
      EXPECT_LE(cell.y + cell.h, keys.y + keys.h);
    }
    EXPECT_GT(every.y, last.y + last.h) << "Every key has a row of its own";
  }
  EXPECT_EQ(RunsTypeLabel("scales", 1), "Minor");
  EXPECT_EQ(RunsTypeLabel("scales", 2), "Endless runs");
  EXPECT_EQ(RunsTypeLabel("chords", 0), "Endless runs");
  // Ring order: C, G, D, ... F; then every key.
  EXPECT_EQ(RunsKeyCellPitchClass(0), 0);
  EXPECT_EQ(RunsKeyCellPitchClass(1), 7);
  EXPECT_EQ(RunsKeyCellPitchClass(11), 5);
  EXPECT_EQ(RunsKeyCellPitchClass(12), -1);
}

TEST_F(EndlessRunsTest, InReadingLabTheKeyBoxPlaceHitsNothing) {
  OpenOn("scales");
  const RectF keyBoxInScales = RunsKeyBoxRect(ComputeLearningLayout());
  OpenOn("sight");
  const LearningLayout l = ComputeLearningLayout();
  // The hand buttons move into the key box's place, but they are lower than the box was tall.
  const int x = Cx(keyBoxInScales), y = (int)keyBoxInScales.y + 1;
  for (int i = 0; i < 4; ++i) ASSERT_FALSE(PointInRect(RunsHandButtonRect(l, i), x, y)) << i;
  EXPECT_FALSE(HandleEndlessRunsClick(l, x, y));
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  EXPECT_TRUE(HandleEndlessRunsClick(l, Cx(RunsTypeBoxRect(l)), Cy(RunsTypeBoxRect(l))));
  EXPECT_EQ(gRunsDropDown, kRunsListType);
}

TEST_F(EndlessRunsTest, PickingATypeAKeyAndAHand) {
  OpenOn("scales");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"maj_c_rh", "maj_c_lh"})) << "the first type in C at start";
  LearningLayout l = ComputeLearningLayout();
  // The type box opens and closes its list.
  EXPECT_TRUE(Click(RunsTypeBoxRect(l)));
  EXPECT_EQ(gRunsDropDown, kRunsListType);
  EXPECT_TRUE(Click(RunsTypeBoxRect(l)));
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  // A row picks its type, closes the list and scrolls to the top.
  Click(RunsTypeBoxRect(l));
  gLibraryScroll = 30.0f;
  const RunsTypeList list = RunsTypeListGeometry(l);
  EXPECT_TRUE(Click(RunsTypeRowRect(list, 1)));
  EXPECT_EQ(gChosenTypes["scales"], "Minor");
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  EXPECT_EQ(gLibraryScroll, 0.0f);
  EXPECT_EQ(gRunsClosedRect.y, RunsTypeListPanel(list).y);
  EXPECT_TRUE(Listed().empty()) << "no minor scale in C";
  // The key box opens the key grid; the type box then swaps to its own list.
  EXPECT_TRUE(Click(RunsKeyBoxRect(l)));
  EXPECT_EQ(gRunsDropDown, kRunsListKey);
  EXPECT_TRUE(Click(RunsTypeBoxRect(l)));
  EXPECT_EQ(gRunsDropDown, kRunsListType);
  Click(RunsKeyBoxRect(l));
  clock_->Advance(600);
  EXPECT_TRUE(Click(RunsKeyCellRect(l, 12)));
  EXPECT_EQ(gChosenKey, -1);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"min_a", "min_e"}));
  Click(RunsKeyBoxRect(l));
  clock_->Advance(600);
  EXPECT_TRUE(Click(RunsKeyCellRect(l, 1)));
  EXPECT_EQ(gChosenKey, 7);
  // Hands: a hand button also closes an open list.
  gChosenTypes["scales"] = "Major";
  EXPECT_EQ(Listed(), (std::vector<std::string>{"maj_g_rh", "maj_g_lh"}));
  Click(RunsTypeBoxRect(l));
  gLibraryScroll = 30.0f;
  EXPECT_TRUE(Click(RunsHandButtonRect(l, 2)));
  EXPECT_EQ(gHandFilter, 2);
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  EXPECT_EQ(gLibraryScroll, 0.0f);
  EXPECT_EQ(Listed(), std::vector<std::string>{"maj_g_lh"});
}

TEST_F(EndlessRunsTest, TheClickAfterAPickIsSwallowedFor500Ms) {
  OpenOn("scales");
  gChosenKey = -1;
  gChoosingPractice = true;   // a click that reaches a card toggles its selection
  const LearningLayout l = ComputeLearningLayout();
  const RectF panel = RunsKeyListRect(l);
  // A card beneath the key list's panel, and a point on both away from the list's own cells.
  int px = -1, py = -1;
  std::string beneath;
  WalkCardGrid(l, 0.0f, nullptr, [&](const LibraryItem& item, const RectF& c) {
    const int x = (int)std::max(c.x + 8.0f, panel.x + panel.w - 3.0f), y = (int)(c.y + 20.0f);
    if (!beneath.empty() || !PointInRect(c, x, y) || !PointInRect(panel, x, y)) return false;
    beneath = item.id, px = x, py = y;
    return true;
  });
  ASSERT_FALSE(beneath.empty());
  for (int i = 0; i < kRunsKeyCells; ++i) ASSERT_FALSE(PointInRect(RunsKeyCellRect(l, i), px, py));
  // Across the clock's wrap: 500 ms after the pick the click is still the pick's own.
  for (uint64_t wait : {500u, 501u}) {
    SCOPED_TRACE(wait);
    gSelectedCards.clear();
    ClockDriveSet(0xFFFFFF00ull);
    Click(RunsKeyBoxRect(l));
    ASSERT_TRUE(Click(RunsKeyCellRect(l, 12)));
    clock_->Advance(wait);
    EXPECT_TRUE(HandleLearningClick(px, py));
    EXPECT_EQ(gSelectedCards.count(beneath), wait == 500u ? 0u : 1u);
  }
  // Later clicks keep reaching the card; and a swallow is used up by the one click it takes.
  EXPECT_TRUE(HandleLearningClick(px, py));
  EXPECT_EQ(gSelectedCards.count(beneath), 0u);
  ClockDriveSet(0xFFFFFF00ull);
  Click(RunsKeyBoxRect(l));
  Click(RunsKeyCellRect(l, 12));
  EXPECT_TRUE(HandleLearningClick(px, py));
  EXPECT_TRUE(HandleLearningClick(px, py));
  EXPECT_EQ(gSelectedCards.count(beneath), 1u);
  // Outside the closed list's place nothing is swallowed, even at once.
  ClockDriveSet(0xFFFFFF00ull);
  Click(RunsKeyBoxRect(l));
  Click(RunsKeyCellRect(l, 12));
  EXPECT_TRUE(Click(RunsHandButtonRect(l, 3)));
  EXPECT_EQ(gHandFilter, 3);
}

TEST_F(EndlessRunsTest, AClickBesideAnOpenListOnlyClosesIt) {
  OpenOn("scales");
  gChosenKey = -1;
  gChoosingPractice = true;
  const LearningLayout l = ComputeLearningLayout();
  RectF card{};
  std::string first;
  WalkCardGrid(l, 0.0f, nullptr, [&](const LibraryItem& item, const RectF& c) {
    first = item.id, card = c;
    return true;
  });
  const int x = (int)card.x + 10, y = (int)(card.y + card.h - 8.0f);
  for (int list : {kRunsListType, kRunsListKey}) {
    gRunsDropDown = list;
    ASSERT_FALSE(PointInRect(list == kRunsListKey ? RunsKeyListRect(l) : RunsTypeListPanel(RunsTypeListGeometry(l)), x, y));
    EXPECT_TRUE(HandleLearningClick(x, y));
    EXPECT_EQ(gRunsDropDown, kRunsListNone);
    EXPECT_TRUE(gSelectedCards.empty()) << "the card beneath stays untouched";
  }
  // With no list open the same click reaches the card.
  EXPECT_FALSE(HandleEndlessRunsClick(l, x, y));
  EXPECT_TRUE(HandleLearningClick(x, y));
  EXPECT_EQ(gSelectedCards.count(first), 1u);
}

TEST_F(EndlessRunsTest, ASearchTakesTheBarAway) {
  OpenOn("scales");
  const LearningLayout l = ComputeLearningLayout();
  gRunsDropDown = kRunsListKey;
  gSearchField.text = "maj";
  ApplySearchText();
  EXPECT_FALSE(HandleEndlessRunsClick(l, Cx(RunsTypeBoxRect(l)), Cy(RunsTypeBoxRect(l))));
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  EXPECT_FALSE(HandleEndlessRunsClick(l, Cx(RunsHandButtonRect(l, 1)), Cy(RunsHandButtonRect(l, 1))));
  EXPECT_EQ(gHandFilter, 0);
  // Outside the technique views the bar is not there either.
  gSearchField.text.clear();
  ApplySearchText();
  OpenOn("etude");
  EXPECT_FALSE(HandleEndlessRunsClick(ComputeLearningLayout(), Cx(RunsTypeBoxRect(l)), Cy(RunsTypeBoxRect(l))));
}

TEST_F(EndlessRunsTest, TheListFadesInOutAndRestartsOnASwitch) {
  // The first frame only sets the clock; a stalled frame counts as a tenth of a second at most.
  gRunsDropDown = kRunsListType;
  StepRunsDropDownFade(1000);
  EXPECT_EQ(gRunsShownDropDown, kRunsListType);
  EXPECT_EQ(gRunsDropDownFade, 0.0f);
  StepRunsDropDownFade(6000);
  const float afterStall = gRunsDropDownFade;
  EXPECT_NEAR(afterStall, 1.0f - std::exp(-1.4f), 1e-4);
  // A clock reading from before the last one moves nothing.
  StepRunsDropDownFade(5000);
  EXPECT_EQ(gRunsDropDownFade, afterStall);
  uint32_t now = 5000;
  int frames = 0;
  while (gRunsDropDownFade < 1.0f && frames < 100) StepRunsDropDownFade(now += 17), ++frames;
  EXPECT_EQ(gRunsDropDownFade, 1.0f) << "settles exactly open";
  EXPECT_LT(frames, 30);
  // The other list starts its own fade from nothing.
  gRunsDropDown = kRunsListKey;
  StepRunsDropDownFade(now += 17);
  EXPECT_EQ(gRunsShownDropDown, kRunsListKey);
  EXPECT_LT(gRunsDropDownFade, 0.25f);
  // Closed, the list stays shown while it fades out, then is gone.
  gRunsDropDown = kRunsListNone;
  StepRunsDropDownFade(now += 17);
  EXPECT_EQ(gRunsShownDropDown, kRunsListKey);
  frames = 0;
  while (gRunsShownDropDown != kRunsListNone && frames < 100) StepRunsDropDownFade(now += 17), ++frames;
  EXPECT_EQ(gRunsDropDownFade, 0.0f);
  EXPECT_LT(frames, 30);
}

// NEXT LESSON opens the lesson from the model, which knows nothing of the bar: the next frame finds
// another view and closes the list without a fade, where an open list would hide the scroll hint.
TEST_F(EndlessRunsTest, AListDoesNotOutliveItsView) {
  OpenOn("scales");
  gRunsDropDown = kRunsListKey;
  FollowRunsListToView();
  EXPECT_EQ(gRunsDropDown, kRunsListKey) << "the first frame only notes its view";
  StepRunsDropDownFade(1000);
  StepRunsDropDownFade(1100);
  ASSERT_GT(gRunsDropDownFade, 0.0f);
  FollowRunsListToView();
  EXPECT_EQ(gRunsDropDown, kRunsListKey) << "the same view keeps it";
  PrepareNextLesson();
  ASSERT_EQ(gLibraryViewKey, "today");
  FollowRunsListToView();
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  EXPECT_EQ(gRunsShownDropDown, kRunsListNone);
  EXPECT_EQ(gRunsDropDownFade, 0.0f);
}

}  // namespace
