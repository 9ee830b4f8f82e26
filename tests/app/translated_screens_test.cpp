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
#include "classroom/classroom_panel_state.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_screen.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "tests/app/real_window_fixture.h"
#include "tests/learning/learning_fixture.h"
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

namespace fs = std::filesystem;

class TranslatedScreens : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    // A program folder of its own with the shipped translation files and lesson library.
    fs::create_directories(dir_.File("MIDI"));
    const char* binary = std::getenv("TONVARRA_BINARY");
    ASSERT_NE(binary, nullptr);
    fs::create_directory_symlink(fs::path(binary).parent_path() / "MIDI" / "Library", dir_.File("MIDI/Library"));
    fs::path shipped = fs::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales";
    if (fs::exists(shipped)) fs::copy(shipped, dir_.File("locales"));
    ResetTranslationFileForTesting();
    RebuildFonts();
    ConnectFloors();
    ClockDriveBegin(ClockTickMs64());
    if (gLanguageList.empty()) InitUiLanguage();
    ResetLearningModelForTest();
    LoadLibraryIndex();
#if defined(__SANITIZE_ADDRESS__)
    // The leak check runs here, once, in place of at exit: after many frames in the window the
    // checker's own thread has tripped over a thread-local block of the GL driver at exit and
    // failed a test that passed.
    __lsan_do_leak_check();
#endif
  }
  void TearDown() override {
    ApplyUiLanguage(0, false);
    ResetTranslationFileForTesting();
    ResetInstitutionPanelState();
    ResetClassroomPanelState();
    ResetLearningModelForTest();
    ResetLearningScreenState();
    ResetTextFields();
    ResetViewModes();
    ResetPointer();
    ClockDriveEnd();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  static int LanguageIndex(const std::string& code) {
    for (size_t i = 0; i < gLanguageList.size(); ++i)
      if (gLanguageList[i].code == code) return (int)i;
    return -1;
  }
  static std::vector<uint8_t> Frames(int n) {
    for (int i = 0; i < n; ++i) {
      ClockDriveAdvance(17);
      RunFrameWork(ClockMs32());
    }
    return ReadFrame();
  }
  static void Save(const std::vector<uint8_t>& frame, const std::string& name) {
    const char* binary = std::getenv("TONVARRA_BINARY");
    fs::path dir = binary ? fs::path(binary).parent_path() : fs::current_path();
    dir /= "screenshots";
    fs::create_directories(dir);
    DecodedImage image{gClientWidth, gClientHeight, frame};
    for (size_t p = 3; p < image.rgba.size(); p += 4) image.rgba[p] = 255;
    EXPECT_TRUE(SaveImageFile((dir / (name + ".png")).string(), image));
  }
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

  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
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
    Save(Frames(3), std::string("translated_") + code + "_main");

    gPracticeMode = true;
    RelayoutAll();
    Save(Frames(3), std::string("translated_") + code + "_board");

    gLibraryOpen = true;
    gLibraryViewKey = "scales";
    SortLibraryItems();
    Save(Frames(40), std::string("translated_") + code + "_learning");
    gLibraryOpen = false;
    gPracticeMode = false;

    OpenInstitutionPanelForStudent("Maria");
    std::vector<uint8_t> frame = Frames(2);
    Save(frame, std::string("translated_") + code + "_institution");
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
    Save(frame, std::string("translated_") + code + "_by_composer");
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
