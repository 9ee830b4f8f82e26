// Presses, wheel turns and thumb drags on the learning screen, walked through its states: practice
// mode off, the library button, the scrollbar, the sidebar lists, the cards and outside the panel.
#include <cmath>

#include "learning_ui/library_button.h"
#include "learning_ui/library_search.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

class LearningClicksTest : public LearningUiTest {
 protected:
  // The first card of the walk whose id is given.
  RectF CardOf(const std::string& id) {
    RectF found = kHiddenRect;
    WalkCardGrid(ComputeLearningLayout(), gLibraryScroll, nullptr, [&](const LibraryItem& item, const RectF& r) {
      if (item.id == id) found = r;
      return item.id == id;
    });
    return found;
  }
};

TEST_F(LearningClicksTest, TheButtonOpensAndClosesOnlyInPracticeMode) {
  gLibraryOpen = true;
  EXPECT_FALSE(SyncLibraryButton());
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_FALSE(HandleLearningClick(20, 20));
  gPracticeMode = true;
  ASSERT_TRUE(SyncLibraryButton());
  RectF b = gLibraryButtonRect;
  EXPECT_EQ(b.x, b.y);   // the corner of the window while the header box is hidden
  EXPECT_TRUE(HandleLearningClick(Cx(b), Cy(b)));
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_NE(gLibraryOpenedMs, 0u);
  EXPECT_TRUE(HandleLearningClick(Cx(b), Cy(b)));
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_EQ(gLibraryOpenedMs, 0u);
  // Closed, the screen lets presses through; ring mode hides the button and closes the screen.
  EXPECT_FALSE(HandleLearningClick(700, 500));
  gLibraryOpen = true;
  gRingMode = true;
  EXPECT_FALSE(SyncLibraryButton());
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_FALSE(HandleLearningClick(Cx(b), Cy(b)));
  // Practice mode going off hides the button on the next press too.
  gRingMode = false;
  SyncLibraryButton();
  gLibraryOpen = true;
  gPracticeMode = false;
  EXPECT_FALSE(HandleLearningClick(Cx(b), Cy(b)));
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_EQ(gLibraryButtonRect.x, kHiddenRect.x);
}

TEST_F(LearningClicksTest, WheelPageAndThumbStayInTheScrollRange) {
  MakeEtudes(60, 7);
  OpenOn("etude");
  LearningLayout l = ComputeLearningLayout();
  const float maxScroll = MaxLibraryScroll(l);
  ASSERT_GT(maxScroll, 1000.0f);
  EXPECT_TRUE(ScrollLearningList(-120));
  EXPECT_FLOAT_EQ(gLibraryScroll, 84.0f);
  EXPECT_TRUE(ScrollLearningList(240));
  EXPECT_EQ(gLibraryScroll, 0.0f);
  EXPECT_TRUE(ScrollLearningList(-120000));
  EXPECT_FLOAT_EQ(gLibraryScroll, maxScroll);
  // A press on the track above the thumb goes back a page.
  RectF track, thumb;
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  EXPECT_TRUE(HandleLearningClick(Cx(track), (int)track.y + 2));
  EXPECT_NEAR(gLibraryScroll, maxScroll - 0.85f * l.contentH, 0.01);
  // The thumb follows the mouse in proportion and stops at both ends.
  gLibraryScroll = 0.0f;
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  EXPECT_TRUE(HandleLearningClick(Cx(thumb), Cy(thumb)));
  EXPECT_TRUE(gScrollDragging);
  gMouseY = Cy(thumb) + (int)((track.h - thumb.h) / 2);
  EXPECT_TRUE(DragLibraryScrollbar());
  EXPECT_NEAR(gLibraryScroll, maxScroll / 2, maxScroll * 0.01);
  gMouseY += 5000;
  DragLibraryScrollbar();
  EXPECT_FLOAT_EQ(gLibraryScroll, maxScroll);
  EXPECT_TRUE(EndLibraryScrollbarDrag());
  EXPECT_FALSE(EndLibraryScrollbarDrag());
  EXPECT_FALSE(DragLibraryScrollbar());
  // Closed, the screen neither scrolls nor keeps a drag.
  gScrollDragging = true;
  gLibraryOpen = false;
  EXPECT_FALSE(DragLibraryScrollbar());
  EXPECT_FALSE(gScrollDragging);
  EXPECT_FALSE(ScrollLearningList(-120));
}

TEST_F(LearningClicksTest, SidebarRowsSwitchTheViewAndTheLevel) {
  MakeEtudes(3);
  OpenOn("etude");
  gLibraryScroll = 40.0f;
  gRunsDropDown = 2;
  LearningLayout l = ComputeLearningLayout();
  // Row 1 is the songbook's head: it opens the group's first view.
  EXPECT_TRUE(HandleLearningClick(Cx(NavRowRect(l, 1)), Cy(NavRowRect(l, 1))));
  EXPECT_EQ(gLibraryViewKey, "rep_composer");
  EXPECT_EQ(gRunsDropDown, 0);
  EXPECT_EQ(gLibraryScroll, 0.0f);
  // Now the songbook is expanded: rows 2..4 are its views.
  EXPECT_TRUE(HandleLearningClick(Cx(NavRowRect(l, 4)), Cy(NavRowRect(l, 4))));
  EXPECT_EQ(gLibraryViewKey, "forms");
  for (int r = 0; r < 7; ++r) {
    gLibraryScroll = 40.0f;
    EXPECT_TRUE(HandleLearningClick(Cx(LevelRowRect(l, r)), Cy(LevelRowRect(l, r))));
    EXPECT_EQ(gLevelFilter, r - 1);
    EXPECT_EQ(gLibraryScroll, 0.0f);
  }
  // Outside the card grids the LEVEL rows are not there.
  OpenOn("today");
  gLevelFilter = 3;
  HandleLearningClick(Cx(LevelRowRect(l, 0)), Cy(LevelRowRect(l, 0)));
  EXPECT_EQ(gLevelFilter, 3);
}

TEST_F(LearningClicksTest, CardsChooseOrReportAndPressesOutsideClose) {
  MakeLibrary({"e1 etude Study", "e2 etude Study", "s1 scales Major C", "s2 scales Minor C"}, {{"e1"}});
  OpenOn("");
  // A search lists the technique items in the whole library too ("sub" is every item's subtitle).
  gSearchField.text = "sub";
  ApplySearchText();
  LearningLayout l = ComputeLearningLayout();
  RectF locked = CardOf("s2");
  ASSERT_GT(locked.w, 0.0f);
  EXPECT_TRUE(HandleLearningClick(Cx(locked), (int)locked.y + 10));
  EXPECT_EQ(gStatusText, "Locked - finish the previous section first");
  gChoosingPractice = true;
  RectF e1 = CardOf("e1"), e2 = CardOf("e2");
  EXPECT_TRUE(HandleLearningClick(Cx(e1), (int)e1.y + 10));
  EXPECT_TRUE(HandleLearningClick(Cx(e2), (int)e2.y + 10));
  EXPECT_EQ(gSelectedCards.size(), 2u);
  EXPECT_EQ(gStatusText, "Selection updated - choose more or press PRACTICE");
  EXPECT_TRUE(HandleLearningClick(Cx(locked), (int)locked.y + 10));   // still locked while choosing
  EXPECT_EQ(gSelectedCards.size(), 2u);
  EXPECT_TRUE(HandleLearningClick(Cx(e1), (int)e1.y + 10));
  EXPECT_TRUE(HandleLearningClick(Cx(e2), (int)e2.y + 10));
  EXPECT_EQ(gStatusText, "Nothing selected - click cards to choose, or CLEAR to stop");
  // PRACTICE with nothing chosen says so; CLEAR ends the choosing.
  EXPECT_TRUE(HandleLearningClick(Cx(PracticeButtonRect(l)), Cy(PracticeButtonRect(l))));
  EXPECT_EQ(gStatusText, "Nothing selected yet - click the cards you want");
  EXPECT_TRUE(HandleLearningClick(Cx(ClearButtonRect(l)), Cy(ClearButtonRect(l))));
  EXPECT_FALSE(gChoosingPractice);
  // A card whose song does not load leaves the screen and the practice item as they were.
  EXPECT_TRUE(HandleLearningClick(Cx(e1), (int)e1.y + 10));
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_TRUE(gPracticeItemId.empty());
  EXPECT_EQ(gStatusText.rfind("MIDI load failed", 0), 0u) << gStatusText;
  // A card under the header band is not hit there.
  gLibraryScroll = 100.0f;
  RectF under = CardOf("e1");
  if (under.y < l.contentY) {
    gStatusText.clear();
    EXPECT_TRUE(HandleLearningClick(Cx(under), (int)l.contentY - 2));
    EXPECT_TRUE(gStatusText.empty());
  }
  // Outside the panel: on the toolbar the press goes on; elsewhere it is swallowed.
  gToolbarPanelRect = {2.0f, 300.0f, 30.0f, 200.0f};
  EXPECT_FALSE(HandleLearningClick(10, 400));
  EXPECT_FALSE(gLibraryOpen);
  gLibraryOpen = true;
  EXPECT_TRUE(HandleLearningClick(10, 900));
  EXPECT_FALSE(gLibraryOpen);
}

TEST_F(LearningClicksTest, ClearAndPracticeKeepTheirPressesFromTheSearchBox) {
  MakeLibrary({"e1 etude Study", "e2 etude Study"}, {{"e1"}});
  OpenOn("etude");
  gChoosingPractice = true;
  gSelectedCards.insert("e1");
  LearningLayout l = ComputeLearningLayout();
  // The longest title the header allows, and the box as the frame draws it after that title.
  gLibraryTitleWidth = TitleMaxWidth(l);
  gSearchBoxRect = GetSearchBoxRect(l);
  const RectF clear = ClearButtonRect(l);
  EXPECT_LT(gSearchBoxRect.x + gSearchBoxRect.w, clear.x);
  EXPECT_GE(gSearchBoxRect.x, l.contentX + gLibraryTitleWidth + 16.0f - 0.01f);
  EXPECT_GE(gSearchBoxRect.w, 200.0f - 0.01f);
  // A press on CLEAR as drawn, where the centred box used to reach under it, clears the choice.
  EXPECT_TRUE(HandleLearningClick(Cx(clear), Cy(clear)));
  EXPECT_FALSE(gSearchFocused);
  EXPECT_TRUE(gSelectedCards.empty());
  EXPECT_FALSE(gChoosingPractice);
  EXPECT_EQ(gStatusText, "Selected practice cleared");
  // With the buttons gone the box is centred again, wider than while they stood there.
  gLibraryTitleWidth = 0.0f;
  const RectF centred = GetSearchBoxRect(l);
  EXPECT_NEAR(centred.x + centred.w / 2, l.contentX + l.contentW / 2, 0.01);
}

}  // namespace
