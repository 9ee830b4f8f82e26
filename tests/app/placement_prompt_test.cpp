// The placement quiz in the program's own window: the students panel's button opens its invitation,
// presses through the window procedure walk its five questions (Back steps one back), the result
// names what will be placed, and Apply writes it into the active student's records with the shipped
// library beside a private program folder. Pixels are read where the layout put the dialog and its
// buttons; each page is kept as a screenshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/base/app_state.h"
#include "app/base/folders.h"
#include "app/base/status_text.h"
#include "app/main_loop.h"
#include "app/window_proc.h"
#include "gfx/hit_regions.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "learning/learning_files.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "learning/placement.h"
#include "learning_ui/placement_prompt.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "practice/data_files.h"
#include "practice/students.h"
#include "tests/app/shipped_languages_fixture.h"

namespace {

namespace fs = std::filesystem;

class PlacementPromptWindow : public ShippedLanguagesWindow {
 protected:
  void SetUp() override {
    ShippedLanguagesWindow::SetUp();
    if (HasFatalFailure()) return;
    ResetPlacementPrompt();
    gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}};
    SwitchActiveStudent(0);
    gStudentListOpen = true;
    RelayoutAll();
    Frames(2);
  }
  void TearDown() override {
    ResetPlacementPrompt();
    gStudentListOpen = false;
    ResetStudents();
    ShippedLanguagesWindow::TearDown();
  }
  static void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      ClockDriveAdvance(17);
      RunFrameWork(ClockMs32());
    }
  }
  static void Press(float x, float y) {
    MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam((int)x, (int)y));
    MainWndProc(kMsgLButtonUp, 0, MakePointParam((int)x, (int)y));
    Frames(1);
  }
  static RectF Button(int id) {
    for (const PlacementButton& b : PlacementButtons())
      if (b.id == id) return b.rect;
    ADD_FAILURE() << "no button " << id << " on page " << gPlacementPromptStep;
    return kHiddenRect;
  }
  static void PressButton(int id) {
    RectF r = Button(id);
    Press(r.x + r.w / 2, r.y + r.h / 2);
  }
  // A drawn button: its middle is lighter than the panel just above it, and the screen far from
  // the dialog is dimmed.
  static void ExpectDrawn(const std::vector<uint8_t>& frame, int id) {
    RectF r = Button(id);
    int inside = 0;
    for (float x = r.x + 8; x < r.x + r.w - 8; x += 1) inside = std::max(inside, Sum(At(frame, x, r.y + r.h / 2)));
    EXPECT_GT(inside, Sum(At(frame, r.x + r.w / 2, r.y - 3)) + 150) << "button " << id << " not drawn";
  }
};

TEST_F(PlacementPromptWindow, FiveAnswersPlaceTheStudentAndApplyKeepsIt) {
  ASSERT_GT(gPlacementQuizButtonRect.w, 2.0f);
  Press(gPlacementQuizButtonRect.x + gPlacementQuizButtonRect.w / 2, gPlacementQuizButtonRect.y + 4);
  ASSERT_TRUE(gPlacementPromptOpen);
  EXPECT_EQ(gPlacementPromptStep, 0);
  std::vector<uint8_t> frame = ReadFrame();
  SaveScreenshot("placement_invitation", frame);
  ExpectDrawn(frame, kPlacementStart);
  ExpectDrawn(frame, kPlacementClose);
  EXPECT_LT(Sum(At(frame, 5, (float)gClientHeight - 5)), 60) << "the view behind is not dimmed";

  // A press beside the buttons does nothing; the window's other controls are out of reach.
  Press(5, (float)gClientHeight - 5);
  EXPECT_TRUE(gPlacementPromptOpen);
  EXPECT_EQ(gPlacementPromptStep, 0);

  PressButton(kPlacementStart);
  ASSERT_EQ(gPlacementPromptStep, 1);
  EXPECT_EQ(PlacementQuestion(), 0);
  PressButton(2);  // reads fluently
  EXPECT_EQ(PlacementQuestion(), 1);
  PressButton(kPlacementBack);  // back to the first question, its answer to be given again
  EXPECT_EQ(PlacementQuestion(), 0);
  const int answers[kPlacementQuestions] = {2, 3, 3, 2, 0};
  for (int q = 0; q < kPlacementQuestions; ++q) {
    if (q == 1) {
      frame = ReadFrame();
      SaveScreenshot("placement_question", frame);
      for (int a = 0; a < 4; ++a) ExpectDrawn(frame, a);
      ExpectDrawn(frame, kPlacementBack);
    }
    PressButton(answers[q]);
  }
  ASSERT_EQ(gPlacementPromptStep, 2);
  for (int q = 0; q < kPlacementQuestions; ++q) EXPECT_EQ(PlacementAnswers()[q], answers[q]);
  int total = 0;
  for (int count : gPlacementCounts) total += count;
  EXPECT_GT(total, 20) << "an experienced player is placed past most of the library";
  frame = ReadFrame();
  SaveScreenshot("placement_result", frame);
  ExpectDrawn(frame, kPlacementApply);
  ExpectDrawn(frame, kPlacementAgain);

  // Take it again starts over; Back from the first question goes to the invitation.
  PressButton(kPlacementAgain);
  EXPECT_EQ(gPlacementPromptStep, 1);
  EXPECT_EQ(PlacementQuestion(), 0);
  PressButton(kPlacementBack);
  EXPECT_EQ(gPlacementPromptStep, 0);
  PressButton(kPlacementStart);
  for (int q = 0; q < kPlacementQuestions; ++q) PressButton(answers[q]);
  ASSERT_EQ(gPlacementPromptStep, 2);

  PressButton(kPlacementApply);
  EXPECT_FALSE(gPlacementPromptOpen);
  int placed = 0;
  for (const auto& [id, record] : gMasteryRecords) placed += record.placed_by_source;
  EXPECT_EQ(placed, total);
  EXPECT_GE(gCompletedItems.size(), (size_t)total);
  EXPECT_TRUE(fs::exists(ProgressFilePath())) << "the placement was not saved";
}

TEST_F(PlacementPromptWindow, EscapeOrNotNowClosesAndNothingIsWritten) {
  Press(gPlacementQuizButtonRect.x + gPlacementQuizButtonRect.w / 2, gPlacementQuizButtonRect.y + 4);
  ASSERT_TRUE(gPlacementPromptOpen);
  PressButton(kPlacementClose);
  EXPECT_FALSE(gPlacementPromptOpen);
  Press(gPlacementQuizButtonRect.x + gPlacementQuizButtonRect.w / 2, gPlacementQuizButtonRect.y + 4);
  ASSERT_TRUE(gPlacementPromptOpen);
  PressButton(kPlacementStart);
  PressButton(1);
  MainWndProc(kMsgKeyDown, kKeyEscape, 1);
  EXPECT_FALSE(gPlacementPromptOpen);
  EXPECT_TRUE(gMasteryRecords.empty());
  EXPECT_FALSE(fs::exists(ProgressFilePath()));
  // Without a student the button asks for one instead.
  gStudents.clear();
  gActiveStudentIndex = -1;
  RelayoutAll();
  Frames(1);
  if (gPlacementQuizButtonRect.w > 2.0f) {
    Press(gPlacementQuizButtonRect.x + gPlacementQuizButtonRect.w / 2, gPlacementQuizButtonRect.y + 4);
    EXPECT_FALSE(gPlacementPromptOpen);
  }
}

// Students kept with none of them chosen, as a first student added in the Institution panel is:
// the learning records in use are then the no-student ones, which no student's lessons read.
TEST_F(PlacementPromptWindow, WithNoStudentChosenTheQuizWaitsForAChoice) {
  ASSERT_TRUE(WriteTextFileAtomic(GetDataFilePath("students.dat"), "STUDENTS_V2\nactive=-1\nAnna|anna|0.3|0.48|0.76\n"));
  LoadStudents();
  const std::string noStudentRecords = ProgressFilePath();
  gStudentListOpen = true;
  RelayoutAll();
  Frames(1);
  Press(gPlacementQuizButtonRect.x + gPlacementQuizButtonRect.w / 2, gPlacementQuizButtonRect.y + 4);
  EXPECT_FALSE(gPlacementPromptOpen);
  EXPECT_EQ(gStatusText, "Choose a student");

  // A request for the quiz, armed by the main loop, waits too, with the names in reach.
  gStudentListOpen = false;
  gStatusText.clear();
  gPlacementQuizRequest = true;
  Frames(1);
  EXPECT_FALSE(gPlacementPromptOpen);
  EXPECT_EQ(gStatusText, "Choose a student");
  ASSERT_TRUE(gStudentListOpen);
  EXPECT_FALSE(gStudentNameEntryActive) << "a name to type would take the keys meant for the list";
  Frames(1);
  SaveScreenshot("placement_no_student_chosen");

  // Anna chosen by her name, the quiz places her.
  ASSERT_FALSE(gStudentNameRects.empty());
  Press(gStudentNameRects[0].x + gStudentNameRects[0].w / 2, gStudentNameRects[0].y + gStudentNameRects[0].h / 2);
  const std::string noStudentKept = ReadFileBytes(noStudentRecords);
  Press(gPlacementQuizButtonRect.x + gPlacementQuizButtonRect.w / 2, gPlacementQuizButtonRect.y + 4);
  ASSERT_TRUE(gPlacementPromptOpen);
  PressButton(kPlacementStart);
  for (int q = 0; q < kPlacementQuestions; ++q) PressButton(2);
  ASSERT_EQ(gPlacementPromptStep, 2);
  PressButton(kPlacementApply);
  EXPECT_NE(ProgressFilePath(), noStudentRecords);
  EXPECT_TRUE(fs::exists(ProgressFilePath())) << "Anna's placement was not saved";
  EXPECT_EQ(ReadFileBytes(noStudentRecords), noStudentKept) << "the placement went to no student";
}

// Every answer, button label, question and line of the prompt fits its place in every shipped
// language, as the small font draws the buttons and the medium one the questions.
// A sentence is fitted into its box (shrunk a little or on two lines) without losing its end.
void ExpectWhole(UiFont font, const char* text, const RectF& box) {
  const LabelFit fit = FitLabel(font, text, FontPixelSize(font), box.w - 2.0f * LabelMargin(GetUiScale()), box.h - 2.0f);
  // The lines joined hold every letter of the sentence (a break drops a blank, or none in Japanese).
  auto letters = [](std::string t) {
    t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
    return t;
  };
  std::string joined;
  for (const std::string& line : fit.lines) joined += line;
  EXPECT_EQ(letters(joined), letters(Tr(text))) << "cut to fit a box " << box.w << " x " << box.h;
}

TEST_F(PlacementPromptWindow, EveryTextFitsItsPlaceInEveryLanguage) {
  ASSERT_GE(gLanguageList.size(), 20u);
  OpenPlacementPrompt();
  for (size_t language = 0; language < gLanguageList.size(); ++language) {
    SCOPED_TRACE(gLanguageList[language].code);
    ApplyUiLanguage((int)language, false);
    RebuildFonts();
    const float small = (float)ComputeFontSizes(GetUiScale()).small;
    auto fits = [&](const char* label, const RectF& r) {
      EXPECT_LE(MeasureText(gFontSmall, label, small), r.w - 8.0f) << label << " in " << r.w;
    };
    gPlacementPromptStep = 0;
    LayoutPlacementPrompt();
    fits("Not now", Button(kPlacementClose));
    ExpectWhole(gFontMain, "Five questions place you in the lesson library.", PlacementTextRect(1));
    ExpectWhole(gFontMain, "Your lessons then start where you are.", PlacementTextRect(2));
    fits("Start", Button(kPlacementStart));
    gPlacementPromptStep = 2;
    LayoutPlacementPrompt();
    fits("Apply", Button(kPlacementApply));
    fits("Take it again", Button(kPlacementAgain));
    gPlacementPromptStep = 0;
    LayoutPlacementPrompt();
    PressButton(kPlacementStart);
    const float medium = (float)ComputeFontSizes(GetUiScale()).medium;
    for (int q = 0; q < kPlacementQuestions; ++q) {
      ASSERT_EQ(PlacementQuestion(), q);
      const RectF back = Button(kPlacementBack);
      fits("Back", back);
      // The question has the dialog's width less its margins, on two lines at the most, and is
      // shown whole in its box.
      const float room = 508.0f * std::clamp(GetUiScale(), 0.7f, 1.4f);
      EXPECT_LE(MeasureText(gFontMedium, PlacementQuestionWording(q), medium), 2.0f * room) << PlacementQuestionWording(q);
      ExpectWhole(gFontMedium, PlacementQuestionWording(q), PlacementTextRect(1));
      for (int a = 0; a < 4 && PlacementAnswerWording(q, a); ++a) fits(PlacementAnswerWording(q, a), Button(a));
      const std::string code = gLanguageList[language].code;
      if (q == 1 && (code == "ar" || code == "ja" || code == "ru")) SaveScreenshot("placement_question_" + code);
      PressButton(0);
    }
  }
}

}  // namespace
