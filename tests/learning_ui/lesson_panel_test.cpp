// The daily lesson's rows, button and set-aside section without a window: the tags and the button
// label of the block states, the sets a click builds, cards whose songs do not load, a previewed
// day, the set-aside rows at the end of the scroll range, the one automatic scroll, and what an
// empty list says of a missing or unreadable library.
#include "learning_ui/lesson_panel.h"

#include <algorithm>
#include <filesystem>

#include "learning_ui/learning_views.h"

#include "midi/midi_output.h"
#include "platform/messages.h"
#include "tests/learning_ui/learning_ui_fixture.h"
#include "tests/midi/smf_builder.h"

namespace {

class LessonPanelTest : public LearningUiTest {
 protected:
  void SetUp() override {
    SetMidiOutputPort(nullptr);
    SetLocalTime("2024-05-10", 9, 0, 0);
  }
  void TearDown() override {
    UnloadMidi();
    AppMessage m;
    while (TakeAppMessage(&m)) {}
  }
  // Etudes b1..bn of lesson 1 (every one playable), songs written for all but the missing ones.
  void Day(int n, const std::vector<std::string>& missing = {}) {
    std::vector<std::string> rows, ids;
    for (int i = 1; i <= n; ++i) {
      ids.push_back("b" + std::to_string(i));
      rows.push_back(ids.back() + " etude Study");
    }
    MakeLibrary(rows, {ids});
    using namespace smf;
    const std::string song = File(480, {On(0, 60, 90) + Off(480, 60) + EndOfTrack()});
    for (const std::string& id : ids)
      if (std::find(missing.begin(), missing.end(), id) == missing.end()) WriteFileBytes(Lib(id + ".mid"), song);
    OpenOn("today");
  }
  static void MarkDone(const std::string& id) { gLearningCalendar["2024-05-10"].complete.insert(id); }
  static bool Click(const RectF& r) { return HandleLearningClick(Cx(r), Cy(r)); }
  ScopedDrivenClock clock_;
};

TEST_F(LessonPanelTest, TagsButtonAndSetsFollowTheBlockStates) {
  Day(5);
  std::vector<const LibraryItem*> items = DayBlockItems();
  ASSERT_EQ(items.size(), 5u);
  // Block 1 done, 2 and 4 locked, 3 and 5 open.
  LessonDayView view;
  const bool done[5] = {true, false, false, false, false}, unlocked[5] = {true, false, true, false, true};
  for (int i = 0; i < 5; ++i) view.rows.push_back({items[(size_t)i], done[i], unlocked[i]});
  view.doneCount = 1, view.firstOpen = 2, view.secondOpen = 4;
  const char* tags[5] = {"Practiced", "Locked", "Start", "Locked", "Up next"};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(LessonBlockTag(view, i), tags[i]) << i;
  EXPECT_EQ(LessonButtonLabel(view), "CONTINUE - BLOCK 3");
  EXPECT_EQ(LessonSetFromRow(view, 4), (std::vector<std::string>{"b5", "b3"}));
  EXPECT_EQ(LessonSetFromRow(view, 0), (std::vector<std::string>{"b1", "b3", "b5"}));   // a done block leads
  EXPECT_EQ(LessonSetFromButton(view), (std::vector<std::string>{"b3", "b5"}));
  // Nothing done yet: START LESSON even when the first open block is not block 1.
  view.rows[0].done = false, view.rows[0].unlocked = false, view.doneCount = 0;
  EXPECT_EQ(LessonButtonLabel(view), "START LESSON");
  EXPECT_STREQ(LessonBlockTag(view, 0), "Locked");
  view.rows[2].unlocked = true, view.rows[3].unlocked = true;
  EXPECT_STREQ(LessonBlockTag(view, 3), "Remaining");

  // From the model: the shown day's blocks are open, done ones say how far they got.
  MarkDone("b1"), MarkDone("b2"), MarkDone("b3");
  gCompletedItems.insert("b2");
  MasteryRecord& passed = gMasteryRecords["b3"];
  passed.latest_expected = 4, passed.latest_passed = true, passed.last_attempt_date = "2024-05-10";
  view = BuildLessonDayView();
  EXPECT_EQ(view.doneCount, 3);
  EXPECT_EQ(view.firstOpen, 3);
  EXPECT_EQ(view.secondOpen, 4);
  const char* modelTags[5] = {"Practiced", "Complete", "Passed", "Start", "Up next"};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(LessonBlockTag(view, i), modelTags[i]) << i;
  passed.last_attempt_date = "2024-05-11";   // played past midnight, it still counts for its day
  EXPECT_STREQ(LessonBlockTag(view, 2), "Passed");
  MarkDone("b4"), MarkDone("b5");
  view = BuildLessonDayView();
  EXPECT_EQ(view.firstOpen, -1) << "the day is complete: no button";

  // A previewed past day: every block locked, no open block; a row press says it is a preview.
  SelectCalendarDay("2024-05-08");
  view = BuildLessonDayView();
  ASSERT_TRUE(view.planned);
  EXPECT_EQ(view.firstOpen, -1);
  for (int i = 0; i < (int)view.rows.size(); ++i) EXPECT_STREQ(LessonBlockTag(view, i), "Locked");
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_EQ(view.rows.size(), 5u);
  EXPECT_TRUE(Click(LessonRowRect(l, 0)));
  EXPECT_EQ(gStatusText, "Planned lesson - locked preview");
  EXPECT_FALSE(gPracticeSetActive);
  EXPECT_FALSE(HandleLessonPanelClick(l, Cx(LessonButtonRect(l)), Cy(LessonButtonRect(l))));
}

// A previewed day names the date it opens on only while that date is still ahead: a day gone by,
// or one that midnight passed while it stayed open, unlocks on no date.
TEST_F(LessonPanelTest, APreviewNamesItsUnlockDateOnlyWhileItIsAhead) {
  Day(20);   // 14 blocks today, the other 6 tomorrow
  const LearningLayout l = ComputeLearningLayout();
  SelectCalendarDay("2024-05-11");
  ASSERT_EQ(BuildLessonDayView().rows.size(), 6u);
  EXPECT_TRUE(Click(LessonRowRect(l, 0)));
  EXPECT_EQ(gStatusText, "Planned lesson - locked until 2024-05-11");
  SetLocalTime("2024-05-12", 0, 0, 1);
  ASSERT_EQ(gViewingPlannedDay, "2024-05-11");
  gStatusText.clear();
  EXPECT_TRUE(Click(LessonRowRect(l, 0)));
  EXPECT_EQ(gStatusText, "Planned lesson - locked preview");
  EXPECT_FALSE(gPracticeSetActive);
  SelectCalendarDay("2024-04-30");
  ASSERT_FALSE(BuildLessonDayView().rows.empty());
  gStatusText.clear();
  EXPECT_TRUE(Click(LessonRowRect(l, 0)));
  EXPECT_EQ(gStatusText, "Planned lesson - locked preview");
}

TEST_F(LessonPanelTest, ButtonAndRowsWalkPastSongsThatDoNotLoad) {
  Day(4, {"b1", "b2", "b3", "b4"});
  const LearningLayout l = ComputeLearningLayout();
  // No song loads: the set does not stay running with nothing to play.
  EXPECT_TRUE(Click(LessonButtonRect(l)));
  EXPECT_FALSE(gPracticeSetActive);
  EXPECT_TRUE(gPracticeSetIds.empty());
  EXPECT_EQ(gStatusText, "Selected practice could not load");
  EXPECT_TRUE(gLibraryOpen);

  // The first block's song is missing: START plays the second, and the set goes on from there.
  Day(4, {"b1"});
  gSelectedCards.insert("b4");
  gChoosingPractice = true;
  EXPECT_TRUE(Click(LessonButtonRect(l)));
  EXPECT_TRUE(gPracticeSetActive);
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{"b1", "b2", "b3", "b4"}));
  EXPECT_EQ(gPracticeSetIndex, 1);
  EXPECT_EQ(gPracticeItemId, "b2");
  EXPECT_TRUE(gPracticeSetSkipDone) << "a daily set";
  EXPECT_TRUE(gSelectedCards.empty());
  EXPECT_FALSE(gChoosingPractice);
  EXPECT_FALSE(gLibraryOpen);

  // A row press leads with its block; the badge opens the note instead.
  OpenOn("today");
  ClearPracticeSet();
  MarkDone("b2");
  EXPECT_TRUE(Click(LessonRowRect(l, 2)));
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{"b3", "b4", "b1"}));
  EXPECT_EQ(gPracticeItemId, "b3");
  // Presses above the content or in the button band beside the button reach no row.
  OpenOn("today");
  gLibraryScroll = 0.0f;
  const RectF button = LessonButtonRect(l);
  EXPECT_FALSE(HandleLessonPanelClick(l, (int)(button.x + button.w + 40), Cy(button)));
  EXPECT_FALSE(HandleLessonPanelClick(l, Cx(LessonRowRect(l, 0)), (int)l.contentY - 3));
}

TEST_F(LessonPanelTest, SetAsideRowsScrollIntoViewAboveTheButton) {
  // Three never-passed items with five tries: two stay in the day, the third is set aside.
  std::vector<std::string> rows, ids;
  for (int i = 1; i <= 6; ++i) {
    ids.push_back("s" + std::to_string(i));
    rows.push_back(ids.back() + " etude Study");
  }
  MakeLibrary(rows, {ids});
  for (const char* id : {"s1", "s2", "s3"}) gMasteryRecords[id].attempts = 5;
  AssignDayBlocks("2024-05-10");
  using namespace smf;
  WriteFileBytes(Lib("s3.mid"), File(480, {On(0, 60, 90) + Off(480, 60) + EndOfTrack()}));
  OpenOn("today");
  ASSERT_EQ(ListSetAsideItems(), (std::vector<std::string>{"s3"}));
  LessonDayView view = BuildLessonDayView();
  ASSERT_TRUE(ShowsSetAside(view));
  const int n = (int)view.rows.size();
  const LearningLayout l = ComputeLearningLayout();
  // The heading is 16 px under the last row; the last set-aside row is whole above the button
  // band at the end of the scroll range.
  EXPECT_FLOAT_EQ(SetAsideTop(l, n) - (LessonRowRect(l, n - 1).y + LessonRowRect(l, n - 1).h), 16.0f);
  gLibraryScroll = MaxLibraryScroll(l);
  RectF last = SetAsideRowRect(l, n, 0);
  EXPECT_LE(last.y + last.h, l.contentY + LessonListHeight(l));
  EXPECT_GE(last.y, l.contentY);
  EXPECT_TRUE(Click(last));
  EXPECT_EQ(gPracticeItemId, "s3");
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{"s3"}));
  // Under a day shown from another date the section is gone.
  OpenOn("today");
  gCurrentLearningDay = "2024-05-09";
  EXPECT_FALSE(ShowsSetAside(BuildLessonDayView()));
}

TEST_F(LessonPanelTest, TheListScrollsToTheFirstOpenBlockOnceARun) {
  Day(12);
  for (int i = 1; i <= 6; ++i) MarkDone("b" + std::to_string(i));
  const LearningLayout l = ComputeLearningLayout();
  LessonDayView view = BuildLessonDayView();
  ASSERT_EQ(view.firstOpen, 6);
  AutoScrollToFirstOpenBlock(l, view);
  EXPECT_FLOAT_EQ(gLibraryScroll, 6 * 120.0f - 60.0f);
  gLibraryScroll = 0.0f;   // the pupil scrolls back up
  AutoScrollToFirstOpenBlock(l, view);
  EXPECT_EQ(gLibraryScroll, 0.0f);
  // Near the end of a short list the scroll stops where the last row shows.
  ResetLessonPanel();
  for (int i = 7; i <= 11; ++i) MarkDone("b" + std::to_string(i));
  view = BuildLessonDayView();
  AutoScrollToFirstOpenBlock(l, view);
  EXPECT_FLOAT_EQ(gLibraryScroll, 12 * 120.0f + 30.0f - LessonListHeight(l));
  // At the end of the scroll range the last row stands whole above the button band.
  gLibraryScroll = MaxLibraryScroll(l);
  const RectF last = LessonRowRect(l, 11);
  EXPECT_LE(last.y + last.h, l.contentY + LessonListHeight(l));
}

// An index that is there but holds nothing readable is named as such, not as a missing library.
TEST_F(LessonPanelTest, AnUnreadableIndexIsNotReportedAsMissing) {
  const char* const unreadable = "Lesson library index could not be read - reinstall to restore MIDI/Library";
  bool warning = false;
  OpenOn("today");
  LoadLibraryIndex();
  EXPECT_STREQ(LessonEmptyText(&warning), "Lesson library not found - reinstall to restore MIDI/Library");
  EXPECT_TRUE(warning);
  static const char kImage[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\n\xff\xfe\tgarbage\n";
  const std::string garbage[] = {
      std::string(kImage, sizeof kImage - 1),
      "id\tlevel\tcategory\nnot a row\n\t\t\t\n",   // a header and rows too short to read
  };
  for (const std::string& bytes : garbage) {
    WriteFileBytes(Lib("library_index.tsv"), bytes);
    LoadLibraryIndex();
    EXPECT_TRUE(gLibraryItems.empty());
    EXPECT_STREQ(LessonEmptyText(&warning), unreadable);
    EXPECT_TRUE(warning);
  }
  // Something there that is no file at all.
  std::filesystem::remove(Lib("library_index.tsv"));
  std::filesystem::create_directory(Lib("library_index.tsv"));
  LoadLibraryIndex();
  EXPECT_STREQ(LessonEmptyText(&warning), unreadable);
  std::filesystem::remove(Lib("library_index.tsv"));
  // The index read again, the list speaks of the day once more.
  Day(2);
  EXPECT_STREQ(LessonEmptyText(&warning), "Add a student to get a daily lesson.");
  EXPECT_FALSE(warning);
}

}  // namespace
