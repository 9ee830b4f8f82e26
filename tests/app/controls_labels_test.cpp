// Every label of the main window's controls fits its box with a margin, at the smallest window and
// at full HD, in English, German (long words), Japanese, Arabic and Hindi (other scripts), with the
// shipped translation files where they are present: measured with the real
// fonts as they are drawn. Screenshots of each case are kept for the developer to look at.
#include <filesystem>
#include <string>
#include <vector>

#include "app/base/view_modes.h"
#include "app/controls_draw.h"
#include "app/floor_links.h"
#include "gfx/hit_regions.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "midi/seek_bar.h"
#include "platform/images.h"
#include "practice/students.h"
#include "theory/staff_panel.h"
#include "tests/app/real_window_fixture.h"
#include "tests/support/test_support.h"

namespace {

class ControlsLabels : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    // The shipped translation files beside a program folder of its own.
    std::filesystem::path shipped = std::filesystem::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales";
    if (std::filesystem::exists(shipped)) std::filesystem::copy(shipped, dir_.File("locales"));
    ResetTranslationFileForTesting();
    ConnectFloors();
    if (gLanguageList.empty()) InitUiLanguage();
  }
  void TearDown() override {
    ApplyUiLanguage(0, false);
    ResetTranslationFileForTesting();
    ResetStudentListView();
    ResetViewModes();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  static std::string Joined(const LabelFit& fit) {
    std::string whole;
    for (const std::string& line : fit.lines) whole += (whole.empty() ? "" : " ") + line;
    return whole;
  }
  static int LanguageIndex(const char* code) {
    for (size_t i = 0; i < gLanguageList.size(); ++i)
      if (gLanguageList[i].code == code) return (int)i;
    return -1;
  }
  static void UseLanguage(const char* code) {
    const int language = LanguageIndex(code);
    ASSERT_GE(language, 0) << code;
    ApplyUiLanguage(language, false);
  }
  // A client of w x h with the fonts built for it.
  static void UseSize(int w, int h) {
    gClientWidth = w;
    gClientHeight = h;
    RebuildFonts();
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};

  void SaveScreenshot(const std::string& name) {
    glViewport(0, 0, gClientWidth, gClientHeight);
    SetProjection2D();
    glClearColor(0.05f, 0.06f, 0.08f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawMainControls(0.0f);
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, ReadFrame()));
  }
};

TEST_F(ControlsLabels, EveryLabelFitsItsBoxInEveryLanguageAndSize) {
  const int sizes[][2] = {{1120, 720}, {1920, 1080}};
  for (const char* code : {"en", "de", "ja", "ar", "hi"}) {
    UseLanguage(code);
    for (const auto& size : sizes) {
      SCOPED_TRACE(testing::Message() << code << " " << size[0] << "x" << size[1]);
      UseSize(size[0], size[1]);
      gStudentListOpen = true;
      RelayoutAll();
      const struct {
        const RectF* r;
        const char* label;
      } labelled[] = {
          {&gFileButtonRect, "File"},          {&gPlayModeButtonRect, "Play Mode"},
          {&gSightReadingButtonRect, "Sight-reading"}, {&gRepeatButtonRect, "Repeat"},
          {&gShuffleButtonRect, "Shuffle"},    {&gClearLoopButtonRect, "Clear Loop"},
          {&gAddStudentButtonRect, "Add"},     {&gPlacementQuizButtonRect, "Placement Quiz"},
          {&gLearningButtonRect, "Learn"},     {&gSongViewButtonRect, "Song"},
      };
      float margin = LabelMargin(GetUiScale());
      float px = FontPixelSize(gFontSmall);
      for (const auto& c : labelled) {
        if (c.r->w <= 2.0f) continue;  // hidden in this mode
        LabelFit fit = FitLabel(gFontSmall, c.label, px, c.r->w - 2.0f * margin, c.r->h - 2.0f);
        EXPECT_LE(fit.widest, c.r->w - 2.0f * margin + 0.5f) << c.label;
        EXPECT_LE((float)fit.lines.size() * 1.15f * px * fit.scale, c.r->h) << c.label;
        EXPECT_GE(fit.scale, kMinLabelScale) << c.label;
        EXPECT_EQ(Joined(fit), Tr(c.label)) << "cut: " << c.label;
      }
      // The seek bar's and the speed slider's captions stay inside their controls, whole; the
      // speed's caption shares its line with the speed itself.
      float inset = std::max(11.0f * GetUiScale(), 10.0f), speed = MeasureText(gFontSmall, "1.00x", px), x0, w;
      GetSeekBarGeometry(&x0, &w);
      for (const auto& c : {std::tuple{&gSeekBarRect, "No MIDI loaded", 2.0f * (x0 - gSeekBarRect.x)},
                            std::tuple{&gSpeedSliderRect, "Speed", 2.0f * inset + speed + margin}}) {
        const auto& [r, label, beside] = c;
        float room = r->w - beside;
        LabelFit fit = FitLabel(gFontSmall, label, px, room, 0.42f * r->h - 2.0f);
        EXPECT_LE(fit.widest, room + 0.5f) << label;
        EXPECT_EQ(Joined(fit), Tr(label)) << "cut: " << label;
      }
      SaveScreenshot(std::string("controls_labels_") + code + "_" + std::to_string(size[0]));
    }
  }
}

// On the learning overlay the buttons stand in a column right of the staff panel, never over its
// right end where the notes to come enter, and "Learn", "Filter" and "Song" are whole in their
// buttons (English at 1600 x 900 was cut to "Lea...", Japanese and Hindi "Filter" to one letter and
// "...").
TEST_F(ControlsLabels, TheOverlaysButtonsStandBesideTheStaffWithTheirWordsWhole) {
  const int sizes[][2] = {{1120, 720}, {1366, 768}, {1600, 900}, {1920, 1080}};
  for (const char* code : {"en", "de", "fi", "ru", "ja", "hi"}) {
    UseLanguage(code);
    for (const auto& size : sizes) {
      SCOPED_TRACE(testing::Message() << code << " " << size[0] << "x" << size[1]);
      UseSize(size[0], size[1]);
      gLearningOverlay = true;
      RelayoutAll();
      RectF staff;
      ASSERT_TRUE(ComputeStaffPanelRect(&staff, nullptr));
      const float margin = LabelMargin(GetUiScale()), px = FontPixelSize(gFontSmall);
      for (const auto& [r, label] : {std::pair{&gLearningButtonRect, "Learn"}, std::pair{&gSongViewButtonRect, "Song"},
                                     std::pair{&gOverlayFilterButtonRect, "Filter"}}) {
        ASSERT_GT(r->w, 2.0f) << label;
        EXPECT_GE(r->x, staff.x + staff.w + 4.0f) << label << " stands over the staff";
        EXPECT_LE(r->x + r->w, (float)gClientWidth - 8.0f) << label;
        const LabelFit fit = FitLabel(gFontSmall, label, px, r->w - 2.0f * margin, r->h - 2.0f);
        EXPECT_EQ(Joined(fit), Tr(label)) << "cut: " << label;
        if (std::string(code) == "en") EXPECT_EQ(fit.scale, 1.0f) << label;
      }
      SaveScreenshot(std::string("controls_overlay_") + code + "_" + std::to_string(size[0]));
    }
  }
  gLearningOverlay = false;
}

}  // namespace
