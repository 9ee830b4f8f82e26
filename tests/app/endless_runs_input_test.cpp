// The picker bar and the practice routes driven by real input: X events made by xdotool reach the
// program through the window layer and the window procedure as a pupil's would. Each step waits
// for the state the input must bring (never for a fixed time), so a loaded machine only slows it.
// The clock is driven: frames advance it, and it stands still around the clicks whose timing
// matters.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "learning/learning_records.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/practice_routes.h"
#include "tests/app/learning_window_fixture.h"
#include "tests/app/technique_library.h"

namespace {

class EndlessRunsRealInput : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    ClockDriveBegin(ClockTickMs64());
    WriteTechniqueLibrary(dir_);
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = "scales";
    SortLibraryItems();
    FindWindow();
    if (HasFatalFailure()) return;
    Pump(3);
  }
  // One frame: events handled, the screen drawn; the clock moves on unless it is held.
  void Frame() {
    if (!holdClock_) ClockDriveAdvance(17);
    RunFrameWork(ClockMs32());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  void Pump(int frames) {
    for (int i = 0; i < frames; ++i) Frame();
  }
  // Frames until the state holds; false after about twenty seconds of real time.
  bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      Frame();
    }
    return true;
  }
  // A click at a client point; the mouse's arrival is waited for, so the press lands there.
  void ClickAt(float x, float y) {
    ASSERT_FALSE(Xdo({"mousemove", "--window", window_, std::to_string((int)x), std::to_string((int)y)}).empty());
    ASSERT_TRUE(WaitFor([&] { return gMouseX == (int)x && gMouseY == (int)y; })) << "the mouse did not arrive";
    ASSERT_FALSE(Xdo({"click", "1"}).empty());
  }
  void Click(const RectF& r) { ClickAt(r.x + r.w / 2, r.y + r.h / 2); }
  std::vector<std::string> Listed() const {
    std::vector<std::string> ids;
    WalkCardGrid(ComputeLearningLayout(), gLibraryScroll, nullptr, [&](const LibraryItem& item, const RectF&) {
      ids.push_back(item.id);
      return false;
    });
    return ids;
  }

  bool holdClock_ = false;
};

TEST_F(EndlessRunsRealInput, PickTypeAndKeyThenTheSwallowedSecondClick) {
  const LearningLayout l = ComputeLearningLayout();
  // The type list: Minor Scales lists only minor scales (in every key once that is picked).
  Click(RunsTypeBoxRect(l));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListType; }));
  const RunsTypeList list = RunsTypeListGeometry(l);
  ASSERT_EQ(list.rows, 3);
  Click(RunsTypeRowRect(list, 1));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListNone; }));
  EXPECT_EQ(gChosenTypes["scales"], "Minor Scales");
  ClockDriveAdvance(600);   // well past the pick's 500 ms
  Click(RunsKeyBoxRect(l));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListKey; }));
  Click(RunsKeyCellRect(l, 12));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListNone; }));
  EXPECT_EQ(gChosenKey, -1);
  std::vector<std::string> listed = Listed();
  EXPECT_EQ(listed, (std::vector<std::string>{"min_a_rh", "min_e_lh", "min_d_rh"}));

  // Back to the major scales, choosing cards: a click that reaches a card selects it.
  gChosenTypes["scales"] = "Major Scales";
  gChoosingPractice = true;
  const RectF panel = RunsKeyListRect(l);
  float px = -1, py = -1;
  std::string beneath;
  WalkCardGrid(l, 0.0f, nullptr, [&](const LibraryItem& item, const RectF& c) {
    const float x = std::max(c.x + 8.0f, panel.x + panel.w - 3.0f), y = c.y + 20.0f;
    if (!PointInRect(c, (int)x, (int)y) || !PointInRect(panel, (int)x, (int)y)) return false;
    beneath = item.id, px = x, py = y;
    return true;
  });
  ASSERT_FALSE(beneath.empty()) << "a card lies beneath the key list";
  for (uint32_t wait : {500u, 501u}) {
    SCOPED_TRACE(wait);
    ClockDriveAdvance(600);
    Click(RunsKeyBoxRect(l));
    ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListKey; }));
    holdClock_ = true;
    Click(RunsKeyCellRect(l, 12));
    ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListNone; }));
    const uint32_t picked = gRunsClosedMs;
    ClockDriveAdvance(wait);
    ClickAt(px, py);
    if (wait == 500u) {
      ASSERT_TRUE(WaitFor([] { return gRunsClosedMs == 0; })) << "swallowed";
      EXPECT_EQ(gSelectedCards.count(beneath), 0u);
    } else {
      ASSERT_TRUE(WaitFor([&] { return gSelectedCards.count(beneath) == 1; })) << "reached the card";
      EXPECT_EQ(gRunsClosedMs, picked);
    }
    holdClock_ = false;
  }
}

TEST_F(EndlessRunsRealInput, OutsideClicksAndTheSearchBox) {
  gChosenKey = -1;
  gChoosingPractice = true;
  const LearningLayout l = ComputeLearningLayout();
  // A click on a card while a list is open only closes the list.
  RectF card{};
  std::string first;
  WalkCardGrid(l, 0.0f, nullptr, [&](const LibraryItem& item, const RectF& c) {
    first = item.id, card = c;
    return true;
  });
  ASSERT_FALSE(first.empty());
  Click(RunsTypeBoxRect(l));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListType; }));
  ClickAt(card.x + 12, card.y + card.h - 8);
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListNone; }));
  EXPECT_TRUE(gSelectedCards.empty());

  // Typing into the search box closes the list and takes the bar away.
  Click(RunsKeyBoxRect(l));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListKey; }));
  Pump(2);
  Click(gSearchBoxRect);
  ASSERT_TRUE(WaitFor([] { return gSearchFocused; }));
  ASSERT_FALSE(Xdo({"type", "--delay", "30", "major"}).empty());
  ASSERT_TRUE(WaitFor([] { return gSearchField.text == "major"; }));
  ASSERT_TRUE(WaitFor([] { return gRunsDropDown == kRunsListNone; }));
  // A press on a hand button now only takes the focus from the search box.
  Click(RunsHandButtonRect(l, 1));
  ASSERT_TRUE(WaitFor([] { return !gSearchFocused; }));
  EXPECT_EQ(gHandFilter, 0);
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
}

TEST_F(EndlessRunsRealInput, RoutesPreselectTheNextPiece) {
  gCompletedItems.insert("maj_c_rh");
  gCompletedItems.insert("maj_c_lh");
  RebuildSchedule();
  gLibraryViewKey = "skills";
  gSkillsTab = kSkillsTabOverview;
  gChosenKey = 5;
  gHandFilter = 3;
  Pump(2);
  const LearningLayout l = ComputeLearningLayout();
  // A click between two routes does nothing: the tab click after it shows it was handled.
  const RectF scalesRow = RouteRowRect(l, 1);
  ClickAt(scalesRow.x + 100, scalesRow.y + scalesRow.h + 4);
  Click(GetSkillsTabRect(l, kSkillsTabMap));
  ASSERT_TRUE(WaitFor([] { return gSkillsTab == kSkillsTabMap; }));
  EXPECT_EQ(gLibraryViewKey, "skills");
  Click(GetSkillsTabRect(l, kSkillsTabOverview));
  ASSERT_TRUE(WaitFor([] { return gSkillsTab == kSkillsTabOverview; }));

  // Reading Lab: the next piece's type, the key left as it was.
  Click(RouteRowRect(l, 4));
  ASSERT_TRUE(WaitFor([] { return gLibraryViewKey == "sight"; }));
  EXPECT_EQ(gChosenTypes["sight"], "Treble Reading");
  EXPECT_EQ(gChosenKey, 5);

  // Key Patterns: type and key of the next piece (the C scales are done: G), every hand.
  gLibraryViewKey = "skills";
  Pump(2);
  Click(RouteRowRect(ComputeLearningLayout(), 1));
  ASSERT_TRUE(WaitFor([] { return gLibraryViewKey == "scales"; }));
  EXPECT_EQ(gChosenTypes["scales"], "Major Scales");
  EXPECT_EQ(gChosenKey, 7);
  EXPECT_EQ(gHandFilter, 0);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"maj_g_rh", "maj_g_both"}));
}

}  // namespace
