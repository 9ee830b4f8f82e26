// The daily lesson, the learning calendar and the overview panel in a real window on a private
// display, over a generated library (short songs written by the SMF builder) with a seeded
// calendar for the active student; today is 2024-05-10 on the driven platform clock.
//
// LessonWindow draws the screen and reads pixels back at positions computed from the layout (and
// keeps screenshots beside the test program); LessonRealInput presses with xdotool as a pupil would
// and runs frames until the program reaches the awaited state.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/base/status_text.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "learning/library_view_state.h"
#include "learning/long_dates.h"
#include "learning/schedule.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_calendar.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/lesson_panel.h"
#include "learning_ui/overview_panel.h"
#include "learning_ui/performance_note.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "tests/app/learning_window_fixture.h"
#include "tests/midi/smf_builder.h"

namespace {

namespace fs = std::filesystem;

const char* const kToday = "2024-05-10";   // a Friday

// ---- the generated library and the seeded calendar ----

// Today and the clocks: the 32-bit clock far from 0, the local date a May morning.
void DriveToday() {
  ClockDriveBegin(5000000000ull);
  ClockDriveSetLocal({2024, 5, 10, 9, 0, 0, 0, 5}, 1715331600);
}

std::string IndexRow(const std::string& id, const std::string& name) {
  return id + "\t1\tetude\tStudy\t" + name + "\tGenerated\t\t\t\t\t\t" + id + ".mid\t120\t120\t0.9\t0.85\t\t\t\t\n";
}

// Lesson 1 holds the day's five blocks b1..b5, lesson 2 twenty more studies, lesson 3 three that
// can be set aside; every song lasts under a second (500 ticks a quarter at 120 BPM: a tick is a
// ms). The songs named in missing are not written.
void WriteLibrary(const TempDir& dir, const std::vector<std::string>& missing) {
  using namespace smf;
  const std::string song = File(500, {On(100, 60, 80) + Off(200, 60) + On(100, 64, 80) + Off(200, 64) + EndOfTrack(100)});
  std::string index = "header\n", plan = "lesson\tsection\tid\ttitle\tcount\n";
  auto add = [&](const std::string& id, const std::string& name, int lesson, int count) {
    index += IndexRow(id, name);
    plan += std::to_string(lesson) + "\tx\t" + id + "\tLesson " + std::to_string(lesson) + "\t" + std::to_string(count) + "\n";
    if (std::find(missing.begin(), missing.end(), id) == missing.end())
      WriteFileBytes(dir.File("MIDI/Library/" + id + ".mid"), song);
  };
  const char* const names[5] = {"Morning Study", "Quiet Steps", "Rising Thirds", "Little Waltz", "Evening Canon"};
  for (int i = 0; i < 5; ++i) add("b" + std::to_string(i + 1), names[i], 1, 5);
  for (int i = 1; i <= 20; ++i) add("c" + std::to_string(i), "Study " + std::to_string(i), 2, 20);
  for (int i = 1; i <= 3; ++i) add("s" + std::to_string(i), "Hard Study " + std::to_string(i), 3, 3);
  WriteFileBytes(dir.File("MIDI/Library/library_index.tsv"), index);
  WriteFileBytes(dir.File("MIDI/Library/lesson_plan.tsv"), plan);
}

// The active student's library and calendar: today holds the five blocks with the given ones
// done; a fully done day and a missed day lie earlier in the month.
void SeedLesson(const TempDir& dir, const std::vector<std::string>& done, const std::vector<std::string>& missing = {}) {
  WriteLibrary(dir, missing);
  ResetLearningModelForTest();
  ResetLearningScreenState();
  ResetTextFields();
  ResetViewModes();
  ResetPointer();
  Student pupil;
  pupil.name = "Pupil";
  pupil.id = "pupil";
  gStudents.push_back(pupil);
  gActiveStudentIndex = 0;
  LoadLibraryIndex();
  CalendarDay& today = gLearningCalendar[kToday];
  today.assigned = {"b1", "b2", "b3", "b4", "b5"};
  today.complete.clear();
  for (const std::string& id : done) today.complete.insert(id);
  gLearningCalendar["2024-05-02"] = {{"b1"}, {"b1"}, 1};
  gLearningCalendar["2024-05-06"] = {{"b2"}, {}, 1};
  OpenCalendarDay(kToday);
  gPracticeMode = true;
}

// ---- pictures ----

class LessonWindow : public LearningWindowTest {
 protected:
  void SetUp() override {}   // each test opens the window at its own size
  void OpenWindow(int w, int h) {
    OpenLearningWindow(0, 0, w, h);
    if (HasFatalFailure()) return;
    DriveToday();
  }
  // The screen alone, after the opening fade.
  static std::vector<uint8_t> DrawScreen() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLibraryButton();
    DrawLearningScreen();
    DrawLearningScrollHint();
    return ReadFrame();
  }
  // The pixel of the five rows around a horizontal outline that scores highest.
  template <typename Score>
  static std::array<int, 3> OnOutline(const std::vector<uint8_t>& frame, float x, float y, Score score) {
    std::array<int, 3> best = At(frame, x, y - 2);
    for (float dy : {-1.0f, 0.0f, 1.0f, 2.0f}) {
      std::array<int, 3> c = At(frame, x, y + dy);
      if (score(c) > score(best)) best = c;
    }
    return best;
  }
  static int Gold(const std::array<int, 3>& c) { return c[0] - c[2]; }
  static int Blue(const std::array<int, 3>& c) { return c[2] - c[0]; }
  static int Green(const std::array<int, 3>& c) { return c[1] - c[0]; }
  static RectF Cell(const std::string& date) {
    const LearningLayout l = ComputeLearningLayout();
    for (int cell = 0; cell < 42; ++cell) {
      RectF r;
      std::string d;
      if (LearningCalendarCellRect(l, cell, &r, &d) && d == date) return r;
    }
    return kHiddenRect;
  }
};

TEST_F(LessonWindow, TodayRowsCalendarAndLoadThenAPlannedDay) {
  OpenWindow(1440, 920);
  if (HasFatalFailure()) return;
  SeedLesson(dir_, {"b1", "b2", "b4"});
  gLibraryOpen = true;
  DrawScreen();
  ClockDriveAdvance(1500);   // past the opening fade
  std::vector<uint8_t> frame = DrawScreen();
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_GT(l.detailW, 0.0f);
  // The list scrolled once to the first open block (block 3).
  EXPECT_GT(gLibraryScroll, 0.0f);

  // A done row's green outline, the gold outline and body of the first open block.
  const RectF done = LessonRowRect(l, 1), open = LessonRowRect(l, 2), plain = LessonRowRect(l, 4);
  ASSERT_GE(done.y, l.contentY);
  std::array<int, 3> green = OnOutline(frame, done.x + done.w / 2, done.y, Green);
  EXPECT_GT(green[1] - green[0], 40) << "done outline";
  EXPECT_GT(green[1], 80);
  std::array<int, 3> gold = OnOutline(frame, open.x + open.w / 2, open.y, Gold);
  EXPECT_GT(gold[0], 120) << "first open outline";
  EXPECT_GT(gold[0] - gold[2], 50);
  std::array<int, 3> body = At(frame, open.x + open.w / 2, open.y + 8);
  EXPECT_GT(body[0] - body[2], 25) << "first open body";
  std::array<int, 3> other = At(frame, plain.x + plain.w / 2, plain.y + 8);
  EXPECT_LT(other[0], other[2]) << "a later open block keeps the blue-grey body";

  // The calendar: a completed day in gold, a missed one in red, today as the current day in blue.
  const RectF complete = Cell("2024-05-02"), missed = Cell("2024-05-06"), today = Cell(kToday);
  std::array<int, 3> c = At(frame, complete.x + complete.w - 4, complete.y + 6);
  EXPECT_GT(c[0], 110) << "completed day";
  EXPECT_GT(c[0] - c[2], 70);
  c = At(frame, missed.x + missed.w - 4, missed.y + 6);
  EXPECT_GT(c[0], 110) << "missed day";
  EXPECT_GT(c[0] - c[1], 60);
  std::array<int, 3> current = OnOutline(frame, today.x + today.w / 2, today.y, Blue);
  EXPECT_GT(current[2] - current[0], 60) << "current day outline";

  // The chosen practice load (Standard) in blue, another row dark.
  const RectF chosen = PracticeLoadRowRect(l, 1), light = PracticeLoadRowRect(l, 0);
  c = At(frame, chosen.x + chosen.w / 2, chosen.y + 4);
  EXPECT_GT(c[2] - c[0], 50) << "chosen load row";
  EXPECT_GT(c[2], 90);
  c = At(frame, light.x + light.w / 2, light.y + 4);
  EXPECT_LT(c[2], 70) << "another load row";
  SaveProgramScreenshot("lesson_today_1440x920");

  // A planned day ahead: every row locked, no button; today keeps a gold outline, the planned
  // day has the blue one.
  const RectF ahead = Cell("2024-05-11");
  ASSERT_TRUE(HandleLearningClick((int)(ahead.x + ahead.w / 2), (int)(ahead.y + ahead.h / 2)));
  ASSERT_EQ(gViewingPlannedDay, "2024-05-11");
  frame = DrawScreen();
  const RectF locked = LessonRowRect(l, 0);
  std::array<int, 3> lockedBody = At(frame, locked.x + locked.w / 2, locked.y + 6);
  EXPECT_NEAR(lockedBody[0], 0.085 * 255, 10) << "locked row";
  EXPECT_NEAR(lockedBody[1], 0.09 * 255, 10);
  EXPECT_NEAR(lockedBody[2], 0.12 * 255, 10);
  std::array<int, 3> todayGold = OnOutline(frame, today.x + today.w / 2, today.y, Gold);
  EXPECT_GT(todayGold[0] - todayGold[2], 40) << "today's outline";
  std::array<int, 3> aheadBlue = OnOutline(frame, ahead.x + ahead.w / 2, ahead.y, Blue);
  EXPECT_GT(aheadBlue[2] - aheadBlue[0], 60) << "the shown day's outline";
  const RectF button = LessonButtonRect(l);
  c = At(frame, button.x + button.w - 12, button.y + 12);
  EXPECT_LT(c[0] - c[2], 20) << "no button under a planned day";
  SaveProgramScreenshot("lesson_planned_1440x920");
}

// The header's second line under a previewed day: the date that day opens on while it is ahead,
// the day's blocks for a day gone by (no past date can still unlock it).
TEST_F(LessonWindow, APastDayNamesNoDateItUnlocksOn) {
  OpenWindow(1440, 920);
  if (HasFatalFailure()) return;
  SeedLesson(dir_, {});
  gLibraryOpen = true;
  DrawScreen();
  ClockDriveAdvance(1500);   // past the opening fade
  const LearningLayout l = ComputeLearningLayout();
  // The last column of the line's ink, left of the long date that ends the line at the right.
  auto lineEnd = [&](const std::vector<uint8_t>& frame) {
    const float baseline = l.top + 63.0f;
    int right = -1;
    for (int y = (int)baseline - 11; y <= (int)baseline + 3; ++y)
      for (int x = (int)l.contentX; x < (int)(l.contentX + l.contentW * 0.6f); ++x)
        if (Sum(At(frame, (float)x, (float)y)) > 250) right = std::max(right, x);
    return right;
  };
  auto preview = [&](const std::string& date) {
    const RectF cell = Cell(date);
    ASSERT_TRUE(HandleLearningClick((int)(cell.x + cell.w / 2), (int)(cell.y + cell.h / 2)));
    ASSERT_EQ(gViewingPlannedDay, date);
  };

  preview("2024-05-11");
  std::vector<uint8_t> frame = DrawScreen();
  std::string shown = TrF("Planned lesson - locked until %s", FormatLongDate("2024-05-11").c_str());
  EXPECT_NEAR(lineEnd(frame), l.contentX + ShownWidth(gFontSmall, shown, 6.4f), 4.0f) << shown;

  preview("2024-05-08");
  frame = DrawScreen();
  SaveScreenshot("lesson_past_day_preview_1440x920", frame);
  ASSERT_EQ(DayBlockItems().size(), 5u);
  shown = TrF("%d blocks", 5);
  EXPECT_NEAR(lineEnd(frame), l.contentX + ShownWidth(gFontSmall, shown, 6.4f), 4.0f) << shown;
}

TEST_F(LessonWindow, ANarrowWindowHasNoDetailColumn) {
  OpenWindow(1280, 720);
  if (HasFatalFailure()) return;
  SeedLesson(dir_, {});
  gLibraryOpen = true;
  DrawScreen();
  ClockDriveAdvance(1500);
  std::vector<uint8_t> frame = DrawScreen();
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_EQ(l.detailW, 0.0f);
  // Block 1 is up next: its gold outline; the content reaches the panel's right side.
  const RectF first = LessonRowRect(l, 0);
  std::array<int, 3> gold = OnOutline(frame, first.x + first.w / 2, first.y, Gold);
  EXPECT_GT(gold[0] - gold[2], 50);
  EXPECT_GT(first.x + first.w, l.x + l.width - 160.0f);
  // The START LESSON button's gold.
  const RectF button = LessonButtonRect(l);
  std::array<int, 3> c = At(frame, button.x + button.w - 12, button.y + 12);
  EXPECT_GT(c[0] - c[2], 30) << "button";
  SaveProgramScreenshot("lesson_narrow_1280x720");
}

// On a full-HD screen the main font is at its largest while the gold button keeps its width: the
// brackets of "[ CONTINUE - BLOCK n ]" stood on its rounded ends, and from block 10 on the label ran
// out over both of them. It stays inside the gold, brackets too, whatever the block's number.
TEST_F(LessonWindow, TheContinueLabelStaysInsideItsButtonOnAFullHdScreen) {
  OpenWindow(1920, 1080);
  if (HasFatalFailure()) return;
  for (int doneBlocks : {1, 12}) {
    SCOPED_TRACE(doneBlocks);
    SeedLesson(dir_, {});
    // A long day: the five blocks of lesson 1 and nine studies of lesson 2.
    CalendarDay& today = gLearningCalendar[kToday];
    today.assigned = {"b1", "b2", "b3", "b4", "b5"};
    for (int i = 1; i <= 9; ++i) today.assigned.push_back("c" + std::to_string(i));
    for (int i = 0; i < doneBlocks; ++i) today.complete.insert(today.assigned[(size_t)i]);
    OpenCalendarDay(kToday);
    const LessonDayView view = BuildLessonDayView();
    ASSERT_EQ(view.rows.size(), 14u);
    ASSERT_EQ(LessonButtonLabel(view), "CONTINUE - BLOCK " + std::to_string(doneBlocks + 1));
    gLibraryOpen = true;
    DrawScreen();
    ClockDriveAdvance(1500);
    const std::vector<uint8_t> frame = DrawScreen();
    const LearningLayout l = ComputeLearningLayout();
    const RectF b = LessonButtonRect(l);
    ASSERT_GT(b.w, 100.0f);
    // The label's pale gold and the brackets' deeper gold: bright beside the button's dark body,
    // its outline and the faint glow around it.
    auto bright = [](const Rgb& c) { return c[0] > 170 && c[1] > 140; };
    auto count = [&](float left, float right) {
      int n = 0;
      for (int y = (int)(b.y + 6.0f); y < (int)(b.y + b.h - 6.0f); ++y)
        for (int x = (int)left; x < (int)right; ++x) n += bright(At(frame, (float)x, (float)y));
      return n;
    };
    EXPECT_GT(count(b.x + 8.0f, b.x + b.w - 8.0f), 200) << "the label is drawn";
    // Beside each end of the outline: a few pixels of gold body inside, the panel outside.
    EXPECT_EQ(count(b.x - 40.0f, b.x - 2.0f) + count(b.x + 2.0f, b.x + 6.0f), 0) << "at the left end";
    EXPECT_EQ(count(b.x + b.w - 6.0f, b.x + b.w - 2.0f) + count(b.x + b.w + 2.0f, b.x + b.w + 40.0f), 0)
        << "at the right end";
    SaveProgramScreenshot("lesson_continue_1920x1080_block_" + std::to_string(doneBlocks + 1));
    gStudents.clear();
  }
}

// An index that is there but unreadable leaves the list empty with its message in warning orange,
// broken onto a second line inside the list rather than cut off at its right edge.
TEST_F(LessonWindow, AnUnreadableIndexIsSaidInFullAcrossTheList) {
  OpenWindow(1440, 920);
  if (HasFatalFailure()) return;
  SeedLesson(dir_, {});
  WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), "\x89PNG\r\n\x1a\nIHDR\xff\xfe\nnot a row\n");
  LoadLibraryIndex();
  ASSERT_TRUE(gLibraryItems.empty());
  gLibraryOpen = true;
  DrawScreen();
  ClockDriveAdvance(1500);
  std::vector<uint8_t> frame = DrawScreen();
  const LearningLayout l = ComputeLearningLayout();
  auto orange = [](const Rgb& c) { return c[0] > 140 && c[0] - c[2] > 70 && c[1] > 90; };
  // Orange pixels across the list in the text rows [top, bottom).
  auto count = [&](float top, float bottom) {
    int n = 0;
    for (int y = (int)top; y < (int)bottom; ++y)
      for (int x = (int)l.contentX; x < (int)(l.contentX + l.contentW); ++x) n += orange(At(frame, (float)x, (float)y));
    return n;
  };
  const float baseline = l.contentY + 58.0f;
  EXPECT_GT(count(baseline - 18.0f, baseline + 3.0f), 100) << "first line";
  EXPECT_GT(count(baseline + 8.0f, baseline + 40.0f), 100) << "second line";
  SaveProgramScreenshot("lesson_unreadable_index_1440x920");
}

// A finished day in the smallest window: with the Songbook open the LEVEL rows end above the gold
// NEXT LESSON with dark panel between; with the Skills group's seven entries open no level row
// would fit beside it, and the card grid shows its LEVEL row alone. Each shown row's dot keeps its
// own colour (a row under the button showed only faintly through it).
TEST_F(LessonWindow, NextLessonStandsClearOfTheLevelListInALowWindow) {
  OpenWindow(1280, 720);
  if (HasFatalFailure()) return;
  SeedLesson(dir_, {"b1", "b2", "b3", "b4", "b5"});
  ASSERT_TRUE(IsCurrentDayComplete());
  gLibraryOpen = true;
  for (const char* view : {"rep_era", "etude"}) {
    SCOPED_TRACE(view);
    gLibraryViewKey = view;
    DrawScreen();
    ClockDriveAdvance(1500);
    const std::vector<uint8_t> frame = DrawScreen();
    const LearningLayout l = ComputeLearningLayout();
    const bool songbook = std::string(view) == "rep_era";
    const RectF button = NextLessonButtonRect(l);
    ASSERT_EQ(button.w > 0.0f, songbook);
    float lastBottom = 0.0f;
    for (int r = 0; r < 7; ++r) {
      const RectF row = LevelRowRect(l, r);
      if (!(row.w > 0.0f)) continue;
      lastBottom = row.y + row.h;
      float cr = 0.45f, cg = 0.66f, cb = 1.0f;
      if (r > 0) LevelColour(r - 1, &cr, &cg, &cb);
      const Rgb dot = At(frame, l.sideX + 5.0f, row.y + row.h / 2.0f);
      EXPECT_NEAR(dot[0], 0.9f * 255.0f * cr, 30) << "level row " << r;
      EXPECT_NEAR(dot[1], 0.9f * 255.0f * cg, 30) << "level row " << r;
      EXPECT_NEAR(dot[2], 0.9f * 255.0f * cb, 30) << "level row " << r;
    }
    ASSERT_GT(lastBottom, 0.0f) << "no level row shown";
    // Where the button stands in a finished day's sidebar: its gold, or no gold without it.
    const float buttonTop = l.top + l.height - 41.0f;
    const Rgb foot = At(frame, l.sideX + l.sideInnerW - 24.0f, buttonTop + 12.0f);
    if (songbook) {
      EXPECT_GT(foot[0] - foot[2], 30) << "the button's gold";
      EXPECT_GT(foot[0], 60);
      EXPECT_LT(lastBottom + 4.0f, button.y);
      const Rgb gap = At(frame, l.sideX + l.sideInnerW - 24.0f, (lastBottom + button.y) / 2.0f);
      EXPECT_LT(Sum(gap), 110) << "dark panel between the list and the button";
    } else {
      EXPECT_LT(foot[0] - foot[2], 10) << "no button over the level rows";
    }
    SaveScreenshot(std::string("next_lesson_level_list_") + (songbook ? "songbook" : "skills") + "_1280x720", frame);
  }
}

// A 640-px window (the lowest a 1024 x 640 screen gives) with the Skills group open, on the
// routes and in a card grid: the navigation shows the rows that fit, says which beside its
// heading, and draws nothing below the panel, where Explore Library stood over the keyboard; the
// wheel over the list brings that row into the panel with its own dot colour.
TEST_F(LessonWindow, TheNavigationListEndsInsideThePanelInALowWindow) {
  OpenWindow(1024, 640);
  if (HasFatalFailure()) return;
  SeedLesson(dir_, {});
  gLibraryOpen = true;
  for (const char* view : {"skills", "scales"}) {
    SCOPED_TRACE(view);
    gLibraryViewKey = view;
    DrawScreen();
    ClockDriveAdvance(1500);
    std::vector<uint8_t> frame = DrawScreen();
    const LearningLayout l = ComputeLearningLayout();
    const float bottom = l.top + l.height;
    const std::vector<NavRow> rows = BuildNavRows();
    const int explore = (int)rows.size() - 1;
    ASSERT_EQ(rows[explore].group, 3);
    // Pixels brighter than the least in a box; the stars of the backdrop stay under 250.
    auto bright = [&](const std::vector<uint8_t>& f, float x0, float y0, float x1, float y1, int least) {
      int n = 0;
      for (int y = (int)y0; y < (int)y1; ++y)
        for (int x = (int)x0; x < (int)x1; ++x) n += Sum(At(f, (float)x, (float)y)) > least;
      return n;
    };
    auto headDot = [&](const std::vector<uint8_t>& f, int i) {
      const RectF row = NavRowRect(l, i);
      if (!(row.w > 0.0f) || rows[i].kind != 1) return;
      const float c[4][3] = {{0.45f, 0.66f, 1.0f}, {0.88f, 0.62f, 0.34f}, {0.95f, 0.65f, 0.32f}, {0.6f, 0.72f, 0.95f}};
      const Rgb dot = At(f, l.sideX + 5.0f, row.y + row.h / 2.0f);
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(dot[k], 0.96f * 255.0f * c[rows[i].group][k], 30) << "row " << i << " channel " << k;
    };
    auto nothingBelow = [&](const std::vector<uint8_t>& f) {
      EXPECT_EQ(bright(f, l.sideX - 8.0f, bottom + 2.0f, l.sideX + l.sideInnerW, (float)gClientHeight, 400), 0)
          << "the sidebar drawn below the panel";
    };
    nothingBelow(frame);
    const float captionRight = l.sideX + l.sideInnerW - 14.0f;
    EXPECT_GT(bright(frame, captionRight - 70.0f, l.navY - 17.0f, captionRight + 2.0f, l.navY - 4.0f, 200), 10)
        << "no rows-shown figure beside LIBRARY";
    for (int i = 0; i <= explore; ++i) headDot(frame, i);
    SaveScreenshot(std::string("navigation_list_640_") + view, frame);

    gMouseX = (int)(l.sideX + 20.0f), gMouseY = (int)(l.navY + 4.0f);
    auto inPanel = [&](const RectF& row) { return row.w > 0.0f && row.y + row.h <= bottom; };
    for (int notch = 0; notch < explore && !inPanel(NavRowRect(l, explore)); ++notch) ScrollLearningList(-120);
    frame = DrawScreen();
    ASSERT_TRUE(inPanel(NavRowRect(l, explore))) << "Explore Library out of reach";
    headDot(frame, explore);
    nothingBelow(frame);
    SaveScreenshot(std::string("navigation_list_640_") + view + "_turned", frame);
  }
}

// ---- real input ----

class LessonRealInput : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    SetMidiOutputPort(nullptr);
    DriveToday();
    FindWindow();
  }
  void TearDown() override {
    StopPlaybackAndCloseOutput();
    gSongEvents.clear();
    LearningWindowTest::TearDown();
  }
  // One frame of the program on the driven clock, with a moment for X events to arrive.
  static void Frame() {
    ClockDriveAdvance(17);
    RunFrameWork(ClockMs32());
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  // Frames until the condition holds (true) or a generous cap passed (false).
  template <typename Condition>
  static bool FramesUntil(Condition done, int cap = 1500) {
    for (int i = 0; i < cap; ++i) {
      if (done()) return true;
      Frame();
    }
    return done();
  }
  // Frames in which a pupil plays each of the song's notes once the transport reaches it (the
  // song view waits for the expected note), as the keyboard's input arrives: until the condition
  // holds (true) or the cap passed (false).
  template <typename Condition>
  static bool PlayUntil(Condition done, int cap = 1500) {
    std::string item;
    size_t next = 0;
    for (int i = 0; i < cap; ++i) {
      if (done()) return true;
      if (item != gPracticeItemId) item = gPracticeItemId, next = 0;
      const uint32_t position = gPlaying && !gPaused ? GetPlaybackPositionMs(ClockMs32()) : 0;
      for (; gPlaying && !gPaused && next < gSongEvents.size() && gSongEvents[next].timeMs <= position; ++next) {
        const SongEvent& e = gSongEvents[next];
        if ((e.status & 0xF0) != 0x90 || e.data2 == 0) continue;
        PostAppMessage(kMsgMidiInData, 0x90u | (uint32_t)e.data1 << 8 | 90u << 16, (int64_t)ClockMs32());
        PostAppMessage(kMsgMidiInData, 0x80u | (uint32_t)e.data1 << 8, (int64_t)ClockMs32() + 1);
      }
      Frame();
    }
    return done();
  }
  void MoveTo(float x, float y) {
    ASSERT_FALSE(Xdo({"mousemove", "--window", window_, std::to_string((int)x), std::to_string((int)y)}).empty());
    const int wantX = (int)x, wantY = (int)y;
    ASSERT_TRUE(FramesUntil([&] { return gMouseX == wantX && gMouseY == wantY; }, 400)) << "the pointer never arrived";
  }
  // A press where the condition then holds; a press that a loaded machine lost is made again.
  template <typename Condition>
  void ClickUntil(const RectF& r, Condition done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      MoveTo(r.x + r.w / 2, r.y + r.h / 2);
      ASSERT_FALSE(Xdo({"click", "1"}).empty());
      if (FramesUntil(done, 300)) return;
    }
    FAIL() << "the press never took effect";
  }
  void Wheel(int button) { ASSERT_FALSE(Xdo({"click", std::to_string(button)}).empty()); }
  void OpenScreen() {
    FramesUntil([] { return gLibraryButtonRect.w > 2.0f; }, 50);
    ASSERT_GT(gLibraryButtonRect.w, 2.0f);
    ClickUntil(gLibraryButtonRect, [] { return gLibraryOpen; });
    Frame();
  }
};

TEST_F(LessonRealInput, StartLessonThenBlockFivePlaysItsSetToTheEnd) {
  SeedLesson(dir_, {});
  OpenScreen();
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_EQ(LessonButtonLabel(BuildLessonDayView()), "START LESSON");
  ClickUntil(LessonButtonRect(l), [] { return gPracticeItemId == "b1"; });
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_TRUE(gPracticeSetActive);
  EXPECT_FALSE(gSongEvents.empty());

  // Block 1 done, blocks 2 and 4 done as well, 3 and 5 open: block 5 leads, then block 3, each
  // song played through the transport to its end; then the day shows again.
  StopPlaybackAndCloseOutput();
  ClearPracticeSet();
  for (const char* id : {"b1", "b2", "b4"}) gLearningCalendar[kToday].complete.insert(id);
  OpenScreen();
  LessonDayView view = BuildLessonDayView();
  ASSERT_EQ(view.firstOpen, 2);
  ASSERT_EQ(view.secondOpen, 4);
  ClickUntil(LessonRowRect(l, 4), [] { return gPracticeItemId == "b5"; });
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{"b5", "b3"}));
  ASSERT_TRUE(PlayUntil([] { return gPracticeItemId == "b3"; })) << "the first song never ended";
  EXPECT_TRUE(gPracticeSetActive);
  EXPECT_EQ(gMasteryRecords["b5"].attempts, 1);
  ASSERT_TRUE(PlayUntil([] { return !gPracticeSetActive; })) << "the second song never ended";
  EXPECT_EQ(gMasteryRecords["b3"].attempts, 1);
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gLibraryViewKey, "today");
  EXPECT_EQ(gStatusText, "Daily lesson complete - choose NEXT LESSON when ready");
}

TEST_F(LessonRealInput, PlannedDayMonthsAndPracticeLoad) {
  SeedLesson(dir_, {"b1"});
  OpenScreen();
  LearningLayout l = ComputeLearningLayout();
  // Tomorrow is planned: a locked preview with no button; a row press names the date.
  RectF tomorrow;
  for (int cell = 0; cell < 42; ++cell) {
    RectF r;
    std::string date;
    if (LearningCalendarCellRect(l, cell, &r, &date) && date == "2024-05-11") tomorrow = r;
  }
  ClickUntil(tomorrow, [] { return gViewingPlannedDay == "2024-05-11"; });
  EXPECT_GT(gPlannedLessonNumber, 0);
  LessonDayView view = BuildLessonDayView();
  ASSERT_FALSE(view.rows.empty());
  EXPECT_EQ(view.firstOpen, -1);
  for (int i = 0; i < (int)view.rows.size(); ++i) EXPECT_STREQ(LessonBlockTag(view, i), "Locked");
  gStatusText.clear();
  ClickUntil(LessonRowRect(l, 0), [] { return !gStatusText.empty(); });
  EXPECT_EQ(gStatusText, "Planned lesson - locked until 2024-05-11");
  EXPECT_FALSE(gPracticeSetActive);

  // The month arrows page back over the year's end.
  for (int month = 4; month >= 0; --month) {
    const int wantMonth = month == 0 ? 12 : month;
    ClickUntil(LearningCalendarArrowRect(l, -1), [&] { return gLearningCalendarMonth == wantMonth; });
  }
  EXPECT_EQ(gLearningCalendarYear, 2023);
  ClickUntil(LearningCalendarArrowRect(l, 1), [] { return gLearningCalendarMonth == 1; });
  EXPECT_EQ(gLearningCalendarYear, 2024);

  // Back to today through the navigation; a practice-load row writes its file and re-plans.
  ClickUntil(NavRowRect(l, 0), [] { return gViewingPlannedDay.empty(); });
  const std::string file = dir_.File("Data/learning_practiceload_pupil.dat");
  ASSERT_EQ(gLearningCalendar[kToday].assigned.size(), 5u);
  ClickUntil(PracticeLoadRowRect(l, 2), [] { return gPracticeLoad == 2; });
  EXPECT_EQ(ReadFileBytes(file), "2");
  EXPECT_EQ(gLearningCalendar[kToday].assigned.size(), 22u) << "today re-planned for the Long load";
  EXPECT_EQ(gStatusText, "Practice load: Long - 22 blocks");
  // The chosen row again: nothing written, nothing re-planned.
  fs::remove(file);
  gLearningCalendar[kToday].assigned.resize(5);
  MoveTo(PracticeLoadRowRect(l, 2).x + 20, PracticeLoadRowRect(l, 2).y + 13);
  ASSERT_FALSE(Xdo({"click", "1"}).empty());
  // A later press that shows: once it is handled, so is the one before it.
  const int month = gLearningCalendarMonth;
  ClickUntil(LearningCalendarArrowRect(l, 1), [&] { return gLearningCalendarMonth != month; });
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(gLearningCalendar[kToday].assigned.size(), 5u);
}

TEST_F(LessonRealInput, AMissingSongIsSkippedAndSetAsideRowsScrollIntoReach) {
  SeedLesson(dir_, {}, {"b1"});
  OpenScreen();
  LearningLayout l = ComputeLearningLayout();
  // START LESSON: block 1's song is missing, so block 2 plays.
  ClickUntil(LessonButtonRect(l), [] { return !gPracticeItemId.empty(); });
  EXPECT_EQ(gPracticeItemId, "b2");
  EXPECT_EQ(gPracticeSetIds.front(), "b1");
  EXPECT_EQ(gPracticeSetIndex, 1);
  EXPECT_TRUE(gPracticeSetActive);

  // Three studies failed five times each and not in the day are set aside below the blocks.
  StopPlaybackAndCloseOutput();
  ClearPracticeSet();
  for (const char* id : {"s1", "s2", "s3"}) gMasteryRecords[id].attempts = 5;
  gOpenSyllabusCount = -1;
  OpenScreen();
  ASSERT_TRUE(ShowsSetAside(BuildLessonDayView()));
  ASSERT_EQ(ListSetAsideItems().size(), 3u);
  // The wheel takes the list to its end, where the last set-aside row stands above the button.
  MoveTo(l.contentX + 60, l.contentY + 60);
  const float end = MaxLibraryScroll(l);
  ASSERT_GT(end, 0.0f);
  for (int notch = 0; notch < 20 && gLibraryScroll < end; ++notch) {
    Wheel(5);
    FramesUntil([&] { return gLibraryScroll >= end; }, 6);
  }
  ASSERT_FLOAT_EQ(gLibraryScroll, end);
  const RectF last = SetAsideRowRect(l, 5, 2);
  ASSERT_LE(last.y + last.h, l.contentY + LessonListHeight(l));
  ClickUntil(last, [] { return gPracticeItemId == "s3"; });
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{"s3"}));
  EXPECT_FALSE(gLibraryOpen);
}

// A note opened from a row's badge stands over the list: a row beneath it does not light up under
// the pointer, and the wheel turned over it leaves the list where it was; off the note it scrolls.
TEST_F(LessonRealInput, ANoteOverTheListTakesTheWheelAndHidesTheRowsBeneath) {
  SeedLesson(dir_, {});
  for (const char* id : {"s1", "s2", "s3"}) gMasteryRecords[id].attempts = 5;
  gOpenSyllabusCount = -1;
  OpenScreen();
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_GT(MaxLibraryScroll(l), 0.0f);
  ASSERT_FLOAT_EQ(gLibraryScroll, 0.0f);
  ClickUntil(LessonRowBadgeRect(LessonRowRect(l, 0)), [] { return gPerformanceNotes.size() == 1; });
  const PerformanceNoteCard card = gPerformanceNotes[0];
  // Row 2 is open and not the next one, so a hover would give it the blue fill; its right end
  // shows beside the note.
  const LessonDayView view = BuildLessonDayView();
  ASSERT_TRUE(view.rows[1].unlocked && !view.rows[1].done && view.firstOpen != 1);
  const RectF row = LessonRowRect(l, 1);
  const float seenX = card.x + card.w + 30.0f, seenY = row.y + 16.0f;
  ASSERT_LT(seenX, row.x + row.w - 30.0f);
  const float onNoteX = card.x + 60.0f, onNoteY = row.y + row.h / 2.0f;
  ASSERT_TRUE(PointInRect(row, onNoteX, onNoteY) && onNoteX > row.x);
  ASSERT_EQ(PerformanceNoteAt((int)onNoteX, (int)onNoteY), 0);

  MoveTo(row.x + row.w - 10.0f, l.contentY - 30.0f);   // above the list, off the note
  Frame();
  const Rgb plain = At(ReadFrame(), seenX, seenY);
  MoveTo(seenX, seenY);
  Frame();
  const Rgb lit = At(ReadFrame(), seenX, seenY);
  ASSERT_GT(Sum(lit) - Sum(plain), 30) << "a row under the pointer lights up";
  MoveTo(onNoteX, onNoteY);
  Frame();
  std::vector<uint8_t> frame = ReadFrame();
  SaveScreenshot("lesson_row_under_note", frame);
  EXPECT_LE(std::abs(Sum(At(frame, seenX, seenY)) - Sum(plain)), 6) << "the row beneath the note lit up";

  for (int notch = 0; notch < 3; ++notch) Wheel(5);
  FramesUntil([] { return gLibraryScroll != 0.0f; }, 30);
  EXPECT_FLOAT_EQ(gLibraryScroll, 0.0f) << "the list behind the note scrolled";
  MoveTo(seenX, seenY);
  Wheel(5);
  EXPECT_TRUE(FramesUntil([] { return gLibraryScroll > 0.0f; }, 300)) << "the list beside the note";
}

}  // namespace
