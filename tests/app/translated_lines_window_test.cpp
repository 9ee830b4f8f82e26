// Lines of the learning screens that are put together from translated pieces and then fitted and
// drawn as they stand, and the dates, in the program's window with the shipped translation files:
// each shows its language, not English, and a date is written in the language's own order. The ink of each line is read back and compared with the translated line
// and the English one drawn alone at the same place. Screenshots are kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "classroom/attendance_panel.h"
#include "classroom/attendance_records.h"
#include "classroom/panel_look.h"
#include "classroom/attendance_view.h"
#include "classroom/code_entries.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "learning/daily_blocks.h"
#include "learning/library_browser.h"
#include "learning/long_dates.h"
#include "learning/schedule.h"
#include "learning_ui/learning_calendar.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/lesson_panel.h"
#include "learning_ui/overview_panel.h"
#include "learning_ui/performance_note.h"
#include "platform/clock.h"
#include "tests/app/learning_window_fixture.h"
#include "tests/midi/smf_builder.h"

namespace {

namespace fs = std::filesystem;

const char* const kDay = "2024-12-07";   // a Saturday: a month whose name differs in a date

class TranslatedLines : public LearningWindowTest {
 protected:
  void SetUp() override {
    if (maximised_)
      OpenLearningWindow(0, 0, 1920, 1080);
    else
      LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    fs::copy(fs::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales", dir_.File("locales"));
    ClockDriveBegin(5000000000ull);
    ClockDriveSetLocal({2024, 12, 7, 9, 0, 0, 0, 6}, 1733562000);
    WriteLesson();
  }
  void TearDown() override {
    ResetPerformanceNotes();
    ResetAttendancePanel();
    SetLanguage("en-US");
    LearningWindowTest::TearDown();
  }
  bool maximised_ = false;   // a window maximised on a 1920 x 1080 screen, not the usual one
  static void SetLanguage(const std::string& tag) {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = tag;
    ResetTranslationFileForTesting();
  }
  // Three etudes on today's page for the active student.
  void WriteLesson() {
    using namespace smf;
    const std::string song = File(500, {On(100, 60, 80) + Off(200, 60) + EndOfTrack(100)});
    std::string index = "header\n", plan = "lesson\tsection\tid\ttitle\tcount\n";
    for (const char* id : {"b1", "b2", "b3"}) {
      index += std::string(id) + "\t1\tetude\tStudy\tMorning Study\tGenerated\t\t\t\t\t\t" + id +
               ".mid\t120\t120\t0.9\t0.85\t\t\t\t\n";
      plan += std::string("1\tx\t") + id + "\tLesson 1\t3\n";
      WriteFileBytes(dir_.File(std::string("MIDI/Library/") + id + ".mid"), song);
    }
    WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), index);
    WriteFileBytes(dir_.File("MIDI/Library/lesson_plan.tsv"), plan);
    gStudents.push_back(Student{"Pupil", "pupil", 0.4f, 0.6f, 0.9f});
    gActiveStudentIndex = 0;
    LoadLibraryIndex();
    gLearningCalendar[kDay].assigned = {"b1", "b2", "b3"};
    OpenCalendarDay(kDay);
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = "today";
  }
  static std::vector<uint8_t> DrawScreen() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLearningScreen();
    DrawPerformanceNotes();
    return ReadFrame();
  }
  static float ShownWidth(UiFont font, const std::string& shown, float fallback) {
    ScopedTrSuppress shownAsItIs;
    return MeasureText(font, shown, fallback);
  }
  // The bright pixels of a band, row by row.
  static std::vector<bool> Ink(const std::vector<uint8_t>& frame, float x0, float x1, float top, float bottom) {
    std::vector<bool> ink;
    for (int y = (int)top; y <= (int)bottom; ++y)
      for (int x = (int)x0; x <= (int)x1; ++x) {
        Rgb c = At(frame, (float)x, (float)y);
        ink.push_back(std::max({c[0], c[1], c[2]}) > 120);
      }
    return ink;
  }
  static int Differing(const std::vector<bool>& a, const std::vector<bool>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
  }
  // The line drawn from x holds the ink of the shown text drawn there alone, not that of a wrong
  // one (the English), and ends within the shown text's measured width.
  static void ExpectLine(const std::vector<uint8_t>& frame, float x, float baseline, float room, UiFont font,
                         float fallback, const std::string& shown, const std::vector<std::string>& wrong,
                         const float rgba[4]) {
    const float top = baseline - 14.0f, bottom = baseline + 3.0f;
    auto alone = [&](const std::string& text) {
      glClear(GL_COLOR_BUFFER_BIT);
      ScopedTrSuppress asItStands;
      DrawTextUtf8(font, x, baseline, text, rgba[0], rgba[1], rgba[2], rgba[3]);
      return Ink(ReadFrame(), x, x + room, top, bottom);
    };
    const std::vector<bool> drawn = Ink(frame, x, x + room, top, bottom), translated = alone(shown);
    const int ink = (int)std::count(translated.begin(), translated.end(), true);
    ASSERT_GT(ink, 20) << shown;
    EXPECT_LT(Differing(drawn, translated), ink / 3) << shown;   // edges blend with the background
    for (const std::string& other : wrong) {
      EXPECT_NE(shown, other);
      EXPECT_GT(Differing(drawn, alone(other)), ink / 2) << other;
    }
    const float width = ShownWidth(font, shown, fallback);
    int right = -1;
    for (size_t i = 0; i < drawn.size(); ++i)
      if (drawn[i]) right = std::max(right, (int)x + (int)(i % (size_t)((int)(x + room) - (int)x + 1)));
    EXPECT_LE(right, x + width + 3.0f) << shown;
  }
};

// A block's status tag takes the room its words need ("A continuación", "Попереду"): a long title
// ends before it instead of running into it, and before the retention dots beside the badge.
TEST_F(TranslatedLines, ALongBlockTitleEndsBeforeItsStatusTag) {
  std::string index = "header\n";
  for (const char* id : {"b1", "b2", "b3"})
    index += std::string(id) + "\t1\tetude\tStudy\tFive finger position in C for the right hand and then the left\t"
             "Generated\t\t\t\t\t\t" + id + ".mid\t120\t120\t0.9\t0.85\t\t\t\t\n";
  WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), index);
  LoadLibraryIndex();
  OpenCalendarDay(kDay);
  for (const char* tag : {"es-ES", "uk-UA"}) {
    SCOPED_TRACE(tag);
    SetLanguage(tag);
    DrawScreen();
    ClockDriveAdvance(1500);   // past the opening fade
    std::vector<uint8_t> frame = DrawScreen();
    SaveScreenshot(std::string("translated_lines_") + LanguageCodeOf(tag) + "_block_tags", frame);
    const LearningLayout l = ComputeLearningLayout();
    const char* const tags[3] = {"Start", "Up next", "Remaining"};
    for (int row = 0; row < 3; ++row) {
      const RectF r = LessonRowRect(l, row);
      if (r.y < l.contentY || r.y + r.h > l.contentY + l.contentH) continue;
      // Under the tag, below its baseline and tails and above the mastery badge, only the title
      // could leave ink.
      const float tagX = r.x + r.w - 18.0f - ShownWidth(gFontMain, Tr(tags[row]), 8.0f);
      const RectF badge = LessonRowBadgeRect(r);
      int titleInk = 0, under = 0;
      for (int y = (int)r.y + 68; y < (int)badge.y - 1; ++y) {
        for (int x = (int)r.x + 70; x < (int)tagX - 8; ++x) titleInk += Sum(At(frame, (float)x, (float)y)) > 300;
        for (int x = (int)tagX - 4; x < (int)(r.x + r.w - 20); ++x) under += Sum(At(frame, (float)x, (float)y)) > 300;
      }
      // Nor does it reach over the retention dots left of the badge, which rise into its line.
      const float dotsLeft = RetentionDotsLeft(badge), dotsTop = badge.y + badge.h / 2.0f - 5.5f;
      int overDots = 0;
      for (int y = (int)r.y + 68; y < (int)dotsTop - 1; ++y)
        for (int x = (int)dotsLeft - 2; x < (int)dotsLeft + 29; ++x) overDots += Sum(At(frame, (float)x, (float)y)) > 300;
      EXPECT_GT(titleInk, 50) << "row " << row << ": the title";
      EXPECT_EQ(under, 0) << "row " << row << ": the title runs under its tag " << Tr(tags[row]);
      EXPECT_EQ(overDots, 0) << "row " << row << ": the title runs over its retention dots";
    }
  }
}

// The class view's title and its empty-history note are drawn whole in the long-word languages:
// the title has the header up to the close button, the note the line under the month (beside the
// month it was cut in the window's usual sizes: "Noch keine Anwesenheiten e..."); the weekday
// names stand over the grid.
TEST_F(TranslatedLines, TheClassViewsTitleAndNoteAreWhole) {
  OpenAttendanceView();
  for (const char* tag : {"de-DE", "ru-RU", "hu-HU", "fr-FR"}) {
    SCOPED_TRACE(tag);
    SetLanguage(tag);
    RunFrameWork(ClockMs32());
    const std::vector<uint8_t> frame = ReadFrame();
    SaveScreenshot(std::string("translated_lines_") + LanguageCodeOf(tag) + "_class_view", frame);
    const AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
    const std::string title = Tr("Class and attendance");
    const float inset = std::max(18.0f * l.scale, 12.0f), width = ShownWidth(gFontMedium, title, 16.0f);
    const float gold[4] = {0.96f, 0.8f, 0.34f, 1.0f};
    const float x = l.header.x + inset, baseline = BaselineIn(gFontMedium, l.header);
    ExpectLine(frame, x, baseline, width + 4.0f, gFontMedium, 16.0f, title, {}, gold);
    // Ink reaches the whole title's end, where a cut one ("Klasse und Anwes...") stops short.
    int right = -1;
    for (int y = (int)baseline - 14; y <= (int)baseline + 3; ++y)
      for (int px = (int)x; px <= (int)(x + width + 4.0f); ++px)
        if (Sum(At(frame, (float)px, (float)y)) > 300) right = std::max(right, px);
    EXPECT_GE(right, (int)(x + width) - 6) << title;

    const std::string note = Tr("No attendance history yet");
    const LabelFit fit =
        FitLabel(gFontSmall, "No attendance history yet", FontPixelSize(gFontSmall), l.noteBox.w, l.noteBox.h - 2.0f);
    ASSERT_EQ(fit.lines.size(), 1u) << note;
    EXPECT_EQ(fit.lines[0], note);
    EXPECT_GE(fit.scale, kMinLabelScale);
    EXPECT_LE(l.noteBox.y + l.noteBox.h, l.grid.y);
    int noteRight = -1, noteInk = 0;
    for (int y = (int)l.noteBox.y; y < (int)(l.noteBox.y + l.noteBox.h); ++y)
      for (int px = (int)l.noteBox.x; px < (int)(l.noteBox.x + l.noteBox.w); ++px)
        if (Sum(At(frame, (float)px, (float)y)) > 300) noteRight = std::max(noteRight, px), ++noteInk;
    EXPECT_GT(noteInk, 40) << note;
    EXPECT_GE(noteRight, (int)(l.noteBox.x + fit.widest) - 6) << note;

    // The grid's columns are named, so that the month's first row can be read: the first is
    // Sunday, in the language.
    const std::string sunday = Tr("Sun");
    const float sundayWidth = ShownWidth(gFontSmall, sunday, 12.0f), dim[4] = {0.62f, 0.68f, 0.78f, 1.0f};
    EXPECT_LT(l.weekdayY, l.grid.y);
    EXPECT_GT(l.weekdayY, l.noteBox.y + l.noteBox.h);
    ExpectLine(frame, l.grid.x + l.cell / 2 - sundayWidth / 2, l.weekdayY, std::min(sundayWidth, l.cell) + 4.0f,
               gFontSmall, 12.0f, sunday, {}, dim);
  }
  gAttendanceViewOpen = false;
}

// The finishing date beside the practice load keeps its day in Hungarian, whose month and year come
// first ("befejezés ~2024. december 7."): the line is drawn smaller to fit, not cut.
TEST_F(TranslatedLines, TheFinishingDateKeepsItsDay) {
  ClockDriveSetLocal({2024, 12, 28, 9, 0, 0, 0, 6}, 1735376400);   // a day of two digits
  SetLanguage("hu-HU");
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_GT(l.detailW, 0.0f);
  const int days = PracticeDaysLeft(CountOpenSyllabusItems(), BlocksPerDay());
  ASSERT_GT(days, 0);
  const std::string shown = TrF("finish ~%s", PracticeFinishDate(days).c_str());
  const float x = l.contentRight + 16.0f, baseline = l.contentY + 342.0f + 16.0f, room = l.detailW - 32.0f;
  const float size = FontPixelSize(gFontSmall);
  LabelFit fit;
  {
    ScopedTrSuppress asItStands;
    fit = FitLabel(gFontSmall, shown, size, room, 1.5f * size - 2.0f);
  }
  ASSERT_EQ(fit.lines, std::vector<std::string>{shown}) << "the line fits whole at a smaller size";
  ASSERT_LT(fit.scale, 1.0f) << shown << " fits as it is: nothing to check";
  DrawScreen();
  ClockDriveAdvance(1500);   // past the opening fade
  const std::vector<uint8_t> frame = DrawScreen();
  SaveScreenshot("translated_lines_hu_finish_date", frame);
  // Below the tails of the line above.
  const float top = baseline - 11.0f, bottom = baseline + 3.0f;
  const std::vector<bool> drawn = Ink(frame, x, x + room, top, bottom);
  // The whole line at that size, its baseline within a pixel of the panel's.
  int ink = 0, differing = 1 << 30;
  for (float shift : {-1.0f, -0.5f, 0.0f, 0.5f}) {
    glClear(GL_COLOR_BUFFER_BIT);
    {
      ScopedTrSuppress asItStands;
      DrawTextScaled(gFontSmall, x, baseline + shift, fit.scale, shown, 0.55f, 0.61f, 0.74f, 0.84f);
    }
    const std::vector<bool> whole = Ink(ReadFrame(), x, x + room, top, bottom);
    ink = std::max(ink, (int)std::count(whole.begin(), whole.end(), true));
    differing = std::min(differing, Differing(drawn, whole));
  }
  ASSERT_GT(ink, 20);
  EXPECT_LT(differing, ink / 2) << shown;   // thin strokes on the panel: edges blend unlike on black
}

// Without a library the side column's two lines stay inside it, in English too.
TEST_F(TranslatedLines, TheMissingLibraryLinesStayInTheirColumn) {
  WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), "");
  LoadLibraryIndex();
  DrawScreen();
  ClockDriveAdvance(1500);   // past the opening fade
  const std::vector<uint8_t> frame = DrawScreen();
  SaveScreenshot("translated_lines_en_no_library", frame);
  const LearningLayout l = ComputeLearningLayout();
  ASSERT_GT(l.detailW, 0.0f);
  const float x = l.contentRight + 16.0f, baseline = l.contentY + 342.0f;
  for (float line : {baseline, baseline + 16.0f}) {
    const std::vector<bool> inside = Ink(frame, x, l.contentRight + l.detailW - 16.0f, line - 11.0f, line + 3.0f);
    const std::vector<bool> beyond = Ink(frame, l.contentRight + l.detailW - 15.0f, l.contentRight + l.detailW + 12.0f,
                                         line - 11.0f, line + 3.0f);
    EXPECT_GT(std::count(inside.begin(), inside.end(), true), 20) << line;
    EXPECT_EQ(std::count(beyond.begin(), beyond.end(), true), 0) << line;
  }
}

class TranslatedLinesMaximised : public TranslatedLines {
 protected:
  void SetUp() override {
    maximised_ = true;
    TranslatedLines::SetUp();
  }
};

// The calendar's month title keeps clear of its "<" arrow in every language, its longest month
// drawn smaller where it would reach the arrow: the text grows with the window faster than the side
// column ("Tháng 10 năm 2024" in Vietnamese at 1920 x 1080).
TEST_F(TranslatedLinesMaximised, TheMonthTitleKeepsClearOfTheArrows) {
  InitUiLanguage();
  ASSERT_EQ(gLanguageList.size(), 25u);
  for (const LanguageEntry& language : gLanguageList) {
    SCOPED_TRACE(language.locale);
    SetLanguage(language.locale);
    int widest = 1;
    float widestW = 0.0f;
    for (int month = 1; month <= 12; ++month) {
      const float w = ShownWidth(gFontMain, FormatMonthHeading(2024, month), 8.0f);
      if (w > widestW) widest = month, widestW = w;
    }
    gLearningCalendarYear = 2024;
    gLearningCalendarMonth = widest;
    DrawScreen();
    ClockDriveAdvance(1500);   // past the opening fade
    const std::vector<uint8_t> frame = DrawScreen();
    const LearningLayout l = ComputeLearningLayout();
    const float arrowX = LearningCalendarArrowRect(l, -1).x;
    const std::vector<bool> title = Ink(frame, l.sideX, arrowX - 10.0f, l.calendarY + 4.0f, l.calendarY + 24.0f);
    int faint = 0;   // even a glyph's blended edge counts within the gap kept before the arrow
    for (int y = (int)l.calendarY + 4; y <= (int)l.calendarY + 24; ++y)
      for (int x = (int)arrowX - 9; x < (int)arrowX; ++x) faint += Sum(At(frame, (float)x, (float)y)) > 150;
    EXPECT_GT(std::count(title.begin(), title.end(), true), 20);
    if (faint > 0) {
      SaveScreenshot("translated_lines_" + LanguageCodeOf(language.locale) + "_month_title", frame);
      ADD_FAILURE() << FormatMonthHeading(2024, widest) << " reaches the arrow";
    }
  }
}

// The days-left line and the finishing date below it stand apart in scripts taller than Latin:
// at 1920 x 1080 Hindi's marks and Japanese ran the two lines together.
TEST_F(TranslatedLinesMaximised, TheDaysLeftAndTheFinishingDateStandApart) {
  for (const char* tag : {"hi-IN", "ja-JP", "en-US"}) {
    SCOPED_TRACE(tag);
    SetLanguage(tag);
    DrawScreen();
    ClockDriveAdvance(1500);   // past the opening fade
    const std::vector<uint8_t> frame = DrawScreen();
    SaveScreenshot(std::string("translated_lines_") + LanguageCodeOf(tag) + "_days_left", frame);
    const LearningLayout l = ComputeLearningLayout();
    ASSERT_GT(l.detailW, 0.0f);
    const float x = l.contentRight + 16.0f, y = l.contentY + 342.0f, room = l.detailW - 32.0f;
    // Rows from the first line's top to well past the second's baseline: ink, a clear row, ink.
    std::vector<bool> inked;
    for (float row = y - 14.0f; row <= y + 34.0f; row += 1.0f) {
      const std::vector<bool> band = Ink(frame, x, x + room, row, row);
      inked.push_back(std::count(band.begin(), band.end(), true) > 0);
    }
    const auto firstInk = std::find(inked.begin(), inked.end(), true);
    ASSERT_NE(firstInk, inked.end());
    const auto gap = std::find(firstInk, inked.end(), false);
    ASSERT_NE(gap, inked.end());
    EXPECT_NE(std::find(gap, inked.end(), true), inked.end()) << "the lines run together";
  }
}

TEST_F(TranslatedLines, KindLinesDatesAndTheNotesAdviceShowTheirLanguage) {
  for (const char* tag : {"de-DE", "ja-JP", "ru-RU", "ar-SA"}) {
    SCOPED_TRACE(tag);
    SetLanguage(tag);
    ResetPerformanceNotes();
    DrawScreen();
    ClockDriveAdvance(1500);   // past the opening fade
    std::vector<uint8_t> frame = DrawScreen();
    SaveScreenshot(std::string("translated_lines_") + LanguageCodeOf(tag) + "_rows", frame);
    const LearningLayout l = ComputeLearningLayout();
    const LibraryItem& item = *FindLibraryItem("b1");

    // A row's kind line: the category and the block's kind, each in the UI language.
    const RectF row = LessonRowRect(l, 0);
    const float textX = row.x + 70.0f, textW = std::max(l.contentW - 70.0f - 132.0f, 20.0f);
    const std::string kind = CategoryTabLabel("etude") + " - " + BlockKindLabel("etude");
    const float kindColour[4] = {0.56f, 0.63f, 0.80f, 0.9f};
    ExpectLine(frame, textX, row.y + 38.0f, textW, gFontSmall, 6.4f, kind, {"Studies - Study"}, kindColour);

    // The calendar's heading and the day's long date, written as the language writes them: in
    // Japanese the year comes first, not after a month joined to it.
    const std::string heading = FormatMonthHeading(2024, 12);
    std::vector<std::string> wrongHeadings = {"December 2024"};
    if (heading != Tr("December") + " 2024") wrongHeadings.push_back(Tr("December") + " 2024");
    const float headingColour[4] = {0.88f, 0.91f, 1.0f, 0.96f};
    const float headingRoom = LearningCalendarArrowRect(l, -1).x - 4.0f - l.sideX;
    ExpectLine(frame, l.sideX, l.calendarY + 19.0f, headingRoom, gFontMain ? gFontMain : gFontSmall, 8.0f,
               heading, wrongHeadings, headingColour);
    const float dateColour[4] = {0.72f, 0.80f, 0.94f, 0.92f};
    ExpectLine(frame, l.contentRight + 16.0f, l.contentY + 52.0f, l.detailW - 32.0f, gFontSmall, 6.4f,
               FormatLongDate(kDay), {"December 7, 2024"}, dateColour);

    // The note's advice for an item without a run.
    OpenPerformanceNote("b1");
    frame = DrawScreen();
    SaveScreenshot(std::string("translated_lines_") + LanguageCodeOf(tag) + "_note", frame);
    const PerformanceNoteCard& card = gPerformanceNotes.back();
    const NoteCardLayout layout = LayoutNoteCard(card, item, nullptr);
    const float adviceColour[4] = {0.86f, 0.92f, 1.0f, 0.97f};
    ExpectLine(frame, card.x + 28.0f, card.y + 236.0f, card.w - 56.0f, gFontSmall, 6.3f, layout.advice1,
               {"Play a complete first pass without stopping."}, adviceColour);
  }
}

// The register's calendar heading, centred over its month: the year first in Japanese and Korean;
// and its weekdays' short names.
TEST_F(TranslatedLines, TheRegistersHeadingAndWeekdaysAreWrittenAsTheLanguageWritesThem) {
  gLibraryOpen = false;
  gPracticeMode = false;
  OpenAttendancePanel();
  for (const char* tag : {"de-DE", "ja-JP", "ko-KR", "ru-RU", "ar-SA"}) {
    SCOPED_TRACE(tag);
    SetLanguage(tag);
    gCalendarYear = 2024;
    gCalendarMonth = 12;
    for (int i = 0; i < 40; ++i) {   // the panel's opening
      ClockDriveAdvance(17);
      RunFrameWork(ClockMs32());
    }
    std::vector<uint8_t> frame = ReadFrame();
    SaveScreenshot(std::string("translated_lines_") + LanguageCodeOf(tag) + "_register", frame);
    const AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
    const std::string heading = FormatMonthHeading(2024, 12);
    const float width = ShownWidth(gFontMain, heading, 14.0f);
    std::vector<std::string> wrong = {"December 2024"};
    if (heading != Tr("December") + " 2024") wrong.push_back(Tr("December") + " 2024");
    const float gold[4] = {0.96f, 0.8f, 0.34f, 1.0f};
    ExpectLine(frame, l.monthTitle.x + (l.monthTitle.w - width) / 2, BaselineIn(gFontMain, l.monthTitle), width + 4.0f,
               gFontMain, 14.0f, heading, wrong, gold);
    // The first column's weekday: a short name in the language, not an English initial.
    const std::string sunday = Tr("Sun");
    const float sundayWidth = ShownWidth(gFontSmall, sunday, 12.0f), dim[4] = {0.6f, 0.66f, 0.78f, 1.0f};
    const float sundayX = l.grid.x + l.cell / 2 - sundayWidth / 2;
    ExpectLine(frame, sundayX, l.weekdayY, std::min(sundayWidth, l.cell) + 4.0f, gFontSmall, 12.0f, sunday,
               sunday[0] == 'S' ? std::vector<std::string>{} : std::vector<std::string>{"S"}, dim);
  }
}

}  // namespace
