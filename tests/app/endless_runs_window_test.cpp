// The technique views' picker bar and the practice routes in a real window on a private display at
// 1440 x 920, over a generated library of technique items: the picture is read back at the
// rectangles the screen's own geometry gives, and screenshots are kept beside the test program.
#include <string>
#include <vector>

#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/library_browser.h"
#include "learning/learning_records.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/library_search.h"
#include "learning_ui/practice_routes.h"
#include "tests/app/learning_window_fixture.h"
#include "tests/app/technique_library.h"

namespace {

class EndlessRunsWindow : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    ClockDriveBegin(ClockTickMs64());
    WriteTechniqueLibrary(dir_);
    gPracticeMode = true;
    gLibraryOpen = true;
    Show("scales");
  }
  static void Show(const std::string& view) {
    gLibraryViewKey = view;
    gLibraryScroll = 0.0f;
    SortLibraryItems();
  }
  // Frames of the screen alone until the open list has faded fully in (or out); the frame read back.
  static std::vector<uint8_t> DrawSettled() {
    for (int i = 0; i < 200; ++i) {
      ClockDriveAdvance(17);
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
      DrawLearningScreen();
      const bool settled = gRunsDropDown == kRunsListNone ? gRunsShownDropDown == kRunsListNone : gRunsDropDownFade >= 1.0f;
      if (settled && i > 0) break;
    }
    return ReadFrame();
  }
  static void ExpectNear(const Rgb& got, const Rgb& want, int tolerance, const char* what) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], tolerance) << what << " channel " << c;
  }
  // Gold pills are warm (red well over blue); plain ones are cool.
  static bool Gold(const Rgb& c) { return c[0] > 60 && c[0] - c[2] > 30; }
  static bool Cool(const Rgb& c) { return c[2] > c[0]; }
  // A pill's body above its label.
  static Rgb PillBody(const std::vector<uint8_t>& frame, const RectF& r) { return At(frame, r.x + r.w / 2, r.y + 4); }
};

// At the default window size "Every key" shows whole in the key box, in the body font or the small
// one the box falls back to; the type box gives up what its chosen type does not use for it.
TEST_F(EndlessRunsWindow, EveryKeyFitsItsBoxAtTheDefaultSize) {
  gChosenKey = -1;
  DrawSettled();
  const LearningLayout l = ComputeLearningLayout();
  const RectF type = RunsTypeBoxRect(l), key = RunsKeyBoxRect(l);
  EXPECT_GE(key.w, 50.0f + MeasureText(gFontSmall, "Key", 6.6f) + MeasureText(gFontSmall, "Every key", 6.6f));
  const std::string chosen = GetChosenCategoryType("scales");
  ASSERT_FALSE(chosen.empty());
  EXPECT_GE(type.w, 50.0f + MeasureText(gFontSmall, "Type", 6.6f) + MeasureText(gFontSmall, chosen, 6.6f));
  EXPECT_LE(RunsHandButtonRect(l, 3).x + RunsHandButtonRect(l, 3).w, l.contentX + l.contentW);
  SaveScreenshot("endless_runs_every_key");
}

TEST_F(EndlessRunsWindow, BarHandsKeyAndTypeLists) {
  gHandFilter = 2;
  std::vector<uint8_t> frame = DrawSettled();
  const LearningLayout l = ComputeLearningLayout();
  for (int i = 0; i < 4; ++i) {
    const Rgb body = PillBody(frame, RunsHandButtonRect(l, i));
    EXPECT_EQ(Gold(body), i == 2) << "hand " << i << ": " << body[0] << "," << body[1] << "," << body[2];
    if (i != 2) EXPECT_TRUE(Cool(body)) << i;
  }
  // The boxes' bodies are the dark blue of the picker, not the panel behind them.
  const RectF type = RunsTypeBoxRect(l);
  const Rgb typeBody = At(frame, type.x + type.w - 8, type.y + type.h / 2 + 8);
  EXPECT_GT(typeBody[2], typeBody[0]);
  EXPECT_GT(typeBody[2], 35);
  SaveScreenshot("endless_runs_bar");

  // The key list: G chosen, its cell gold, the others (and Every key) plain.
  gChosenKey = 7;
  gRunsDropDown = kRunsListKey;
  frame = DrawSettled();
  for (int i = 0; i < kRunsKeyCells; ++i) {
    const Rgb body = PillBody(frame, RunsKeyCellRect(l, i));
    EXPECT_EQ(Gold(body), i == 1) << "key cell " << i;
  }
  // The list's own dark panel between its cells.
  const RectF panel = RunsKeyListRect(l);
  ExpectNear(At(frame, panel.x + panel.w - 3, panel.y + panel.h / 2), {8, 10, 18}, 5, "key list panel");
  SaveScreenshot("endless_runs_key_list");

  // The type list: the chosen type's row highlighted, the other rows not.
  gChosenTypes["scales"] = "Minor Scales";
  gRunsDropDown = kRunsListType;
  frame = DrawSettled();
  const RunsTypeList list = RunsTypeListGeometry(l);
  ASSERT_EQ(list.rows, 3);
  for (int r = 0; r < list.rows; ++r) {
    const RectF row = RunsTypeRowRect(list, r);
    const Rgb c = At(frame, row.x + 4, row.y + 3);
    if (r == 1) {
      EXPECT_GT(c[2], 90) << "selected row";
      EXPECT_GT(c[2] - c[0], 50) << "selected row";
    } else {
      EXPECT_LT(c[2], 40) << "row " << r;
    }
  }
  SaveScreenshot("endless_runs_type_list");

  // Closing: the list fades out and leaves the cards as they were.
  gRunsDropDown = kRunsListNone;
  DrawSettled();
  EXPECT_EQ(gRunsShownDropDown, kRunsListNone);
  EXPECT_EQ(gRunsDropDownFade, 0.0f);
}

TEST_F(EndlessRunsWindow, ReadingLabHasNoKeyBox) {
  Show("sight");
  const std::vector<uint8_t> frame = DrawSettled();
  const LearningLayout l = ComputeLearningLayout();
  const RectF type = RunsTypeBoxRect(l), first = RunsHandButtonRect(l, 0);
  EXPECT_EQ(RunsKeyBoxRect(l).x, kHiddenRect.x);
  EXPECT_FLOAT_EQ(first.x, type.x + type.w + 10.0f);
  EXPECT_TRUE(Gold(PillBody(frame, first))) << "all hands chosen at start";
  // Between the type box and the first hand button lies only the panel.
  ExpectNear(At(frame, type.x + type.w + 5, type.y + type.h / 2), At(frame, type.x + type.w + 5, type.y - 10), 4, "gap");
  SaveScreenshot("endless_runs_reading_lab");
}

TEST_F(EndlessRunsWindow, SearchReplacesTheBarWithItsMessage) {
  gRunsDropDown = kRunsListType;
  DrawSettled();
  gSearchField.text = "major";
  ApplySearchText();
  const std::vector<uint8_t> frame = DrawSettled();
  EXPECT_EQ(gRunsDropDown, kRunsListNone);
  const LearningLayout l = ComputeLearningLayout();
  // Where the type box's body was, below the message's line, only the panel is left.
  const RectF type = RunsTypeBoxRect(l);
  const float x = type.x + type.w - 8;
  ExpectNear(At(frame, x, type.y + type.h - 2), At(frame, x, type.y - 10), 4, "no type box");
}

TEST_F(EndlessRunsWindow, PracticeRoutesWithTheirProgress) {
  // Treble reading done: one of Reading Lab's two sections.
  gCompletedItems.insert("read_t1");
  gCompletedItems.insert("read_t2");
  RebuildSchedule();
  Show("skills");
  gSkillsTab = kSkillsTabOverview;
  const std::vector<uint8_t> frame = DrawSettled();
  const LearningLayout l = ComputeLearningLayout();
  const RectF sight = RouteRowRect(l, 4);
  ASSERT_LT(sight.y + sight.h, l.contentY + l.contentH);
  const float barY = sight.y + 40.0f;
  const Rgb filled = At(frame, sight.x + 34.0f + 70.0f, barY), empty = At(frame, sight.x + 34.0f + 210.0f, barY);
  EXPECT_TRUE(Gold(filled)) << filled[0] << "," << filled[1] << "," << filled[2];
  EXPECT_GT(filled[0], 180) << "the fill";
  EXPECT_FALSE(Gold(empty)) << "the track past half";
  // Routes without a done section show their track only.
  const RectF scales = RouteRowRect(l, 1);
  EXPECT_FALSE(Gold(At(frame, scales.x + 34.0f + 10.0f, scales.y + 40.0f)));
  // A route of a category without pieces: nothing to count, and locked.
  const RouteSummary etude = ComputeRouteSummary("etude");
  EXPECT_EQ(TrF("%d / %d sections", etude.sectionsDone, etude.sectionCount), "0 / 0 sections");
  EXPECT_EQ(ChooseRouteTag(etude), RouteTag::kLocked);
  SaveScreenshot("practice_routes");
}

}  // namespace
