// tests/app/shipped_languages_fixture: the learning window with the program's shipped translation
// files and lesson library in its private folder (1440 x 920, maximised on a 1920 x 1080 screen, or
// 1080 x 1920 upright), the languages listed, the library loaded and the clock driven. A language is
// picked by its code; frames run through the whole main loop and are read back; screenshots are
// kept. The language goes back to English after each test.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning/library_browser.h"
#include "tests/app/learning_window_fixture.h"

class ShippedLanguagesWindow : public LearningWindowTest {
 protected:
  void SetUp() override {
    if (maximised_)
      OpenLearningWindow(0, 0, 1920, 1080);
    else if (portrait_)
      OpenLearningWindow(0, 0, 1080, 1920);
    else
      LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    namespace fs = std::filesystem;
    LinkShippedLibrary();
    if (HasFatalFailure()) return;
    fs::path shipped = fs::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales";
    ASSERT_TRUE(fs::exists(shipped));
    fs::copy(shipped, dir_.File("locales"));
    ResetTranslationFileForTesting();
    ClockDriveBegin(ClockTickMs64());
    if (gLanguageList.empty()) InitUiLanguage();
    LoadLibraryIndex();
  }
  void TearDown() override {
    ApplyUiLanguage(0, false);
    ResetTranslationFileForTesting();
    LearningWindowTest::TearDown();
  }
  bool maximised_ = false;   // a window maximised on a 1920 x 1080 screen, not the usual one
  bool portrait_ = false;    // a 1080 x 1920 window, as an upright screen gives it
  // The index of the listed language with this code; -1 when none has it.
  static int LanguageIndex(const std::string& code) {
    for (size_t i = 0; i < gLanguageList.size(); ++i)
      if (gLanguageList[i].code == code) return (int)i;
    return -1;
  }
  static void UseLanguage(const std::string& code) {
    int index = LanguageIndex(code);
    if (index < 0) {
      ADD_FAILURE() << "no language " << code;
      return;
    }
    ApplyUiLanguage(index, false);
  }
  // n passes of the main loop 17 ms apart, then the frame read back.
  static std::vector<uint8_t> Frames(int n) {
    for (int i = 0; i < n; ++i) {
      ClockDriveAdvance(17);
      RunFrameWork(ClockMs32());
    }
    return ReadFrame();
  }
};
