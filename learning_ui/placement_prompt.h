// learning_ui/placement_prompt: the placement quiz's prompt, a dialog over everything in three
// pages: the invitation, five questions on the student's playing, and the placement they give,
// which the student applies to their learning records or takes again. While it is open it takes
// every click (the window procedure hands them here) and Escape closes it.
#pragma once
#include <vector>

#include "gfx/rect.h"

// ---- state ----
extern bool gPlacementPromptOpen;   // the prompt is shown
extern int gPlacementPromptStep;    // its page: 0 invitation, 1 questions, 2 result

// A button of the page shown: its rectangle and what it means (below).
struct PlacementButton {
  RectF rect;
  int id;
};
// Ids: an answer is its value 0..3; the others are these.
constexpr int kPlacementClose = -1, kPlacementStart = -2, kPlacementApply = -3, kPlacementAgain = -4,
              kPlacementBack = -10;
constexpr int kPlacementQuestions = 5;

// Opens the prompt at its invitation.
void OpenPlacementPrompt();
void ClosePlacementPrompt();
// The page's buttons as the last layout placed them (the drawing and the clicks use the same).
const std::vector<PlacementButton>& PlacementButtons();
// The page's text boxes from the last layout: 0 the title (or the question counter), 1 the first
// text (or the question), 2 the second; each is high enough for two lines of its font.
const RectF& PlacementTextRect(int line);
// Lays the page out for the window's size now; DrawPlacementPrompt calls it too.
void LayoutPlacementPrompt();
// The question on page 1 (0..4) and the answers given so far.
int PlacementQuestion();
const int* PlacementAnswers();
// The wording of question q (0..4) and of its answer a (null past the last), in English.
const char* PlacementQuestionWording(int q);
const char* PlacementAnswerWording(int q, int a);
// A click while the prompt is open: the first button holding it acts; anywhere else nothing.
void PlacementPromptMouseDown(int x, int y);
// Draws the prompt when it is open, over everything drawn before it.
void DrawPlacementPrompt();
void ResetPlacementPrompt();
