// The program's frame with the shipped translation files in German (long words), Japanese, Arabic
// (right to left as the text call draws it) and Hindi: the main view, the board, the learning
// screen and the institution panel. Each of the panel's buttons holds its whole label: measured
// with the real fonts, and read back from the frame, where no label ink passes the button's edge.
// Screenshots are kept in the build folder's "screenshots" for the developer to look at.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "app/window_size.h"
#include "classroom/attendance_classes.h"
#include "classroom/attendance_panel.h"
#include "classroom/attendance_records.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "learning/long_dates.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_screen.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "practice/students.h"
#include "tests/app/shipped_languages_fixture.h"

namespace {

namespace fs = std::filesystem;

class TranslatedScreens : public ShippedLanguagesWindow {
 protected:
  // Label ink (the pills' near-white text) in the columns just outside a button, at its height.
  static int InkBeside(const std::vector<uint8_t>& frame, const RectF& r) {
    int ink = 0;
    for (int y = int(r.y) + 3; y < int(r.y + r.h) - 3; ++y)
      for (int x : {int(r.x) - 3, int(r.x) - 2, int(r.x + r.w) + 2, int(r.x + r.w) + 3}) {
        if (x < 0 || x >= gClientWidth || y < 0 || y >= gClientHeight) continue;
        const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
        ink += p[0] > 200 && p[1] > 200 && p[2] > 200;
      }
    return ink;
  }
};

TEST_F(TranslatedScreens, MainBoardLearningAndPanelInFourScripts) {
  int shown = 0;
  for (const char* code : {"de", "ja", "ar", "hi"}) {
    int language = LanguageIndex(code);
    ASSERT_GE(language, 0) << code;
    if (!fs::exists(dir_.File("locales/" + gLanguageList[(size_t)language].locale + ".json"))) {
      std::cout << "[ note ] no translation file for " << code << " yet\n";
      continue;
    }
    ++shown;
    SCOPED_TRACE(code);
    ApplyUiLanguage(language, false);
    ResetViewModes();
    RelayoutAll();
    SaveScreenshot(std::string("translated_") + code + "_main", Frames(3));

    gPracticeMode = true;
    RelayoutAll();
    SaveScreenshot(std::string("translated_") + code + "_board", Frames(3));

    gLibraryOpen = true;
    gLibraryViewKey = "scales";
    SortLibraryItems();
    SaveScreenshot(std::string("translated_") + code + "_learning", Frames(40));
    gLibraryOpen = false;
    gPracticeMode = false;

    OpenInstitutionPanelForStudent("Maria");
    std::vector<uint8_t> frame = Frames(2);
    SaveScreenshot(std::string("translated_") + code + "_institution", frame);
    InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
    const std::pair<const RectF*, const char*> buttons[] = {
        {&l.newStudentButton, "Add student"}, {&l.exportButton, "Export class report"}, {&l.registerButton, "Register"},
        {&l.classViewButton, "Class and attendance"}, {&l.subViewButton, "Codes and seats"}};
    for (const auto& [r, label] : buttons) {
      std::string text = Tr(label);
      EXPECT_NE(text, label) << "shown in English";
      ScopedTrSuppress measured;
      EXPECT_LE(MeasureText(gFontSmall, text, 12.0f), r->w - 10.0f) << label << " -> " << text;
      EXPECT_EQ(InkBeside(frame, *r), 0) << label << " -> " << text;
    }
    InstitutionPanelOnEscape();
    InstitutionPanelOnEscape();
  }
  if (shown == 0) GTEST_SKIP() << "no translation file for de, ja, ar or hi yet";
}

// The register in German in a 1280 x 720 window: an empty class's text is shown whole over lines
// in the narrow student list, and with the marks pane open the month's title and its arrows stay
// in view above the pane.
TEST_F(TranslatedScreens, TheRegisterInGermanInASmallWindow) {
  UseLanguage("de");
  ApplyClientSize(1280, 720, true);
  RelayoutAll();
  gStudents = {Student{"Anna", "s1"}, Student{"Ben", "s2"}};
  gActiveStudentIndex = 0;
  OpenAttendancePanel();
  AddAttendanceClass();   // filtered on the new class, which has no member yet
  gAttendanceSidePaneOpen = true;
  std::vector<uint8_t> frame = Frames(60);   // the pane slides in
  SaveScreenshot("translated_de_register_1280", frame);
  const AttendancePanelLayout l = LayoutAttendancePanel(GetUiScale());
  ASSERT_TRUE(l.studentRows.empty());
  ASSERT_GT(l.sidePane.w, 100.0f);
  auto inkIn = [&](float x0, float y0, float x1, float y1, auto&& take) {
    int ink = 0;
    for (int y = int(y0); y < int(y1); ++y)
      for (int x = int(x0); x < int(x1); ++x) ink += take(&frame[(size_t(y) * gClientWidth + size_t(x)) * 4]);
    return ink;
  };
  auto light = [](const uint8_t* p) { return p[0] > 110 && p[2] > 120; };

  const std::string text = Tr("No students in this class");
  ASSERT_NE(text, "No students in this class");
  std::vector<std::string> lines;
  {
    ScopedTrSuppress shown;
    lines = WrapTextToWidth(gFontSmall, text, 12.0f, l.studentList.w - 16, 3);
  }
  ASSERT_GE(lines.size(), 2u) << "too narrow for one line, or the check shows nothing";
  EXPECT_EQ(lines.back().substr(lines.back().size() - 6), "Klasse") << lines.back();
  const float pitch = FontPixelSize(gFontSmall) + 6, x0 = l.studentList.x + 8, x1 = l.studentList.x + l.studentList.w;
  for (size_t i = 0; i < lines.size(); ++i) {
    const float base = l.studentList.y + 24 + (float)i * pitch;
    EXPECT_GT(inkIn(x0, base - FontPixelSize(gFontSmall), x1, base + 1, light), 20) << "line " << i;
  }

  // The title's gold, right half included, and the next-month arrow's light sign.
  std::string title = FormatMonthHeading(gCalendarYear, gCalendarMonth);
  float w;
  {
    ScopedTrSuppress shown;
    w = MeasureText(gFontMain, title, 14.0f);
  }
  const float centre = l.monthTitle.x + l.monthTitle.w / 2;
  auto gold = [](const uint8_t* p) { return p[0] > 180 && p[1] > 140 && p[2] < 140; };
  EXPECT_GT(inkIn(centre + w / 8, l.monthTitle.y, centre + w / 2, l.monthTitle.y + l.monthTitle.h, gold), 20) << title;
  const RectF& next = l.nextMonth;
  EXPECT_GT(inkIn(next.x + 4, next.y + 4, next.x + next.w - 4, next.y + next.h - 4, light), 5);
  EXPECT_GE(l.sidePane.y, l.monthTitle.y + l.monthTitle.h);

  ResetAttendancePanelState();
  ResetAttendanceClasses();
  ResetStudents();
  ApplyClientSize(1440, 920, true);
  RelayoutAll();
}

// The learning calendar's weekday heads are centred in columns a seventh of the sidebar wide, with
// nothing to cut them: in every language each stands clear of its neighbours in the smallest window
// (Arabic's whole day names ran together).
TEST_F(TranslatedScreens, EveryLanguagesWeekdayHeadsFitTheirCalendarColumns) {
  static const char* const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  ApplyClientSize(1280, 720, true);
  for (size_t language = 0; language < gLanguageList.size(); ++language) {
    ApplyUiLanguage((int)language, false);
    gPracticeMode = true;
    gLibraryOpen = true;
    RelayoutAll();
    const float columnW = ComputeLearningLayout().sideInnerW / 7.0f;
    ASSERT_GT(columnW, 20.0f);
    for (const char* day : kDays) {
      const std::string head = Tr(day);
      ScopedTrSuppress shown;
      EXPECT_LE(MeasureText(gFontSmall, head, 6.0f), columnW - 6.0f)
          << gLanguageList[language].code << " " << day << " \"" << head << "\"";
    }
  }
  gLibraryOpen = gPracticeMode = false;
}

// The first pieces' composer line is advice ("Count aloud while you play"), and in the view by
// composer it heads its section: drawn in the UI language and whole, not cut by its byte count.
TEST_F(TranslatedScreens, PiecesByComposerHeadingsInGermanAndRussian) {
  for (const char* code : {"de", "ru"}) {
    SCOPED_TRACE(code);
    int language = LanguageIndex(code);
    ASSERT_GE(language, 0);
    ApplyUiLanguage(language, false);
    ResetViewModes();
    gPracticeMode = true;
    RelayoutAll();
    gLibraryOpen = true;
    gLibraryViewKey = "rep_composer";
    gLibraryScroll = 0.0f;
    SortLibraryItems();
    std::vector<uint8_t> frame = Frames(40);
    SaveScreenshot(std::string("translated_") + code + "_by_composer", frame);
    const LearningLayout l = ComputeLearningLayout();
    std::string label;
    float top = 0.0f;
    WalkCardGrid(l, gLibraryScroll, [&](const std::string& heading, float at) {
      label = heading, top = at;
      return true;
    }, nullptr);
    EXPECT_EQ(label, Tr("Count aloud while you play"));
    EXPECT_NE(label, "Count aloud while you play");
    float large, main;
    {
      ScopedTrSuppress shown;
      large = MeasureText(gFontLarge, label, 18.0f);
      main = MeasureText(gFontMain, label, 18.0f);
    }
    // The heading's light ink: its last column stands where the whole text ends, in the large font
    // or, where that is too wide, the main one.
    int last = -1;
    for (int y = int(top) + 14; y < int(top) + 42; ++y)
      for (int x = int(l.contentX); x < int(l.contentX + 0.7f * l.contentW); ++x) {
        const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
        if (p[0] > 150 && p[1] > 150 && p[2] > 170) last = std::max(last, x);
      }
    float end = l.contentX + 3.0f;
    EXPECT_TRUE(std::fabs(last - (end + large)) <= 6.0f || std::fabs(last - (end + main)) <= 6.0f)
        << "ink ends at " << last << ", the whole heading at " << end + large << " or " << end + main;
    gLibraryOpen = false;
    gPracticeMode = false;
  }
}

}  // namespace
