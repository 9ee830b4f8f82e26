// learning_ui/placement_prompt: the placement quiz's dialog.
//
// The answers are the values the placement reads: reading and hands 0..2, scales, pieces and the
// time away 0..3, the last of which lowers every section from "many years ago" on.
#include "learning_ui/placement_prompt.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

#include "app/base/client_size.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "learning/placement.h"
#include "learning_ui/learning_draw.h"

// ---- constants ----
namespace {

struct Question {
  const char* wording;
  const char* answers[4];   // null past the last
};

// In the order of the placement's answers a0..a4.
const Question kQuestions[kPlacementQuestions] = {
    {"How well do you read music?", {"Not yet", "Slowly, note by note", "Fluently", nullptr}},
    {"Which scales can you play?", {"Not yet", "C major", "A few major and minor scales", "All major and minor scales"}},
    {"Which pieces do you play?", {"Not yet", "Simple melodies", "Easy pieces with both hands", "Intermediate pieces"}},
    {"How sure are your hands?", {"Just starting", "Five-finger patterns are easy", "Scales and arpeggios flow", nullptr}},
    {"When did you last practise regularly?", {"This month", "This year", "A few years ago", "Many years ago"}},
};

const Question& QuestionAt(int q) { return kQuestions[std::clamp(q, 0, kPlacementQuestions - 1)]; }

int AnswerCount(const Question& q) {
  int n = 0;
  while (n < 4 && q.answers[n]) ++n;
  return n;
}

}  // namespace

// ---- state ----
bool gPlacementPromptOpen = false;
int gPlacementPromptStep = 0;
static int gQuestion = 0;                                // the question shown on page 1
static int gAnswers[kPlacementQuestions] = {};           // the answers given
static std::vector<PlacementButton> gButtons;            // the page's buttons, from the last layout
static RectF gPanel = kHiddenRect;                       // the dialog, from the last layout

// ---- internal helpers ----
static float Scale() { return std::clamp(GetUiScale(), 0.7f, 1.4f); }

static int PlacedTotal() {
  int total = 0;
  for (int count : gPlacementCounts) total += std::max(count, 0);
  return total;
}

// The page's height above its buttons: title or counter and question, and the text lines.
// A text box of the page: at least `least` high, and high enough for two lines of the font, so
// that a sentence longer than the panel is wide wraps instead of losing its end.
static float TwoLineBox(UiFont font, float least) { return std::max(least, 2.45f * FontPixelSize(font)); }

// The page's text boxes below the panel's top padding, at scale s: the title or counter, then up to
// two lines of text. The body's height is where they end.
struct PageText {
  RectF title, first, second;
  float height = 0.0f;
};
static PageText LayOutPageText(float x, float y, float w, float s) {
  PageText t;
  if (gPlacementPromptStep == 1) {
    t.title = {x, y, w, 22.0f * s};
    t.first = {x, y + t.title.h + 6.0f * s, w, TwoLineBox(gFontMedium, 48.0f * s)};
    t.second = kHiddenRect;
    t.height = std::max(96.0f * s, t.first.y + t.first.h + 20.0f * s - y);
    return t;
  }
  t.title = {x, y, w, 40.0f * s};
  t.first = {x, y + t.title.h + 4.0f * s, w, TwoLineBox(gFontMain, 30.0f * s)};
  t.second = gPlacementPromptStep == 0 ? RectF{x, t.first.y + t.first.h, w, TwoLineBox(gFontMain, 30.0f * s)} : kHiddenRect;
  const RectF& last = gPlacementPromptStep == 0 ? t.second : t.first;
  t.height = std::max(118.0f * s, last.y + last.h + 14.0f * s - y);
  return t;
}
static float BodyHeight(float s) { return LayOutPageText(0.0f, 0.0f, 100.0f, s).height; }
static PageText gPageText;   // the page's text boxes, from the last layout

static void StartQuestions() {
  gPlacementPromptStep = 1;
  gQuestion = 0;
  std::fill(std::begin(gAnswers), std::end(gAnswers), 0);
}

// ---- public functions ----
void OpenPlacementPrompt() {
  gPlacementPromptOpen = true;
  gPlacementPromptStep = 0;
  gQuestion = 0;
  LayoutPlacementPrompt();
}

void ClosePlacementPrompt() {
  gPlacementPromptOpen = false;
  gButtons.clear();
  gPanel = kHiddenRect;
}

const RectF& PlacementTextRect(int line) {
  return line == 0 ? gPageText.title : line == 1 ? gPageText.first : gPageText.second;
}

const std::vector<PlacementButton>& PlacementButtons() { return gButtons; }

const char* PlacementQuestionWording(int q) { return QuestionAt(q).wording; }

const char* PlacementAnswerWording(int q, int a) {
  return a < 0 || a > 3 ? nullptr : QuestionAt(q).answers[a];
}

int PlacementQuestion() { return gQuestion; }
const int* PlacementAnswers() { return gAnswers; }

void LayoutPlacementPrompt() {
  gButtons.clear();
  const float s = Scale(), W = (float)std::max(gClientWidth, 1), H = (float)std::max(gClientHeight, 1);
  const float pad = 26.0f * s, bh = 38.0f * s, gap = 10.0f * s;
  const float pw = std::min(560.0f * s, W - 24.0f);
  int rows = 1;
  if (gPlacementPromptStep == 1) rows = AnswerCount(QuestionAt(gQuestion)) + 1;
  const float ph = pad + BodyHeight(s) + (float)rows * bh + (float)(rows - 1) * gap + pad;
  gPanel = {(W - pw) / 2.0f, std::max((H - ph) / 2.0f, 8.0f), pw, ph};
  const float top = gPanel.y + pad + BodyHeight(s), inner = pw - 2.0f * pad;
  gPageText = LayOutPageText(gPanel.x + pad, gPanel.y + pad, inner, s);
  // Two buttons side by side, the main one on the right.
  auto pair = [&](int left, int right) {
    const float w = (inner - gap) / 2.0f;
    gButtons.push_back({{gPanel.x + pad, top, w, bh}, left});
    gButtons.push_back({{gPanel.x + pad + w + gap, top, w, bh}, right});
  };
  switch (gPlacementPromptStep) {
    case 0: pair(kPlacementClose, kPlacementStart); break;
    case 1: {
      const Question& q = QuestionAt(gQuestion);
      const float w = std::min(inner, 420.0f * s), x = gPanel.x + (pw - w) / 2.0f;
      for (int a = 0; a < AnswerCount(q); ++a) gButtons.push_back({{x, top + (float)a * (bh + gap), w, bh}, a});
      const float y = top + (float)AnswerCount(q) * (bh + gap);
      gButtons.push_back({{gPanel.x + pad, y, std::min(140.0f * s, inner), bh}, kPlacementBack});
      break;
    }
    default: pair(kPlacementAgain, kPlacementApply); break;
  }
}

void PlacementPromptMouseDown(int x, int y) {
  if (!gPlacementPromptOpen) return;
  LayoutPlacementPrompt();
  auto hit = std::find_if(gButtons.begin(), gButtons.end(),
                          [&](const PlacementButton& b) { return PointInRect(b.rect, x, y); });
  if (hit == gButtons.end()) return;
  const int id = hit->id;
  switch (gPlacementPromptStep) {
    case 0:
      if (id == kPlacementClose) ClosePlacementPrompt();
      else if (id == kPlacementStart) StartQuestions();
      break;
    case 1:
      if (id == kPlacementBack) {
        if (gQuestion > 0) --gQuestion;
        else gPlacementPromptStep = 0;
      } else if (id >= 0 && gQuestion < kPlacementQuestions) {
        gAnswers[gQuestion++] = id;
        if (gQuestion >= kPlacementQuestions) {
          ComputePlacementCounts(gAnswers);
          gPlacementPromptStep = 2;
        }
      }
      break;
    default:
      if (id == kPlacementAgain) {
        StartQuestions();
      } else if (id == kPlacementApply) {
        ApplyPlacement();
        ClosePlacementPrompt();
        return;
      }
      break;
  }
  if (gPlacementPromptOpen) LayoutPlacementPrompt();
}

void DrawPlacementPrompt() {
  if (!gPlacementPromptOpen) return;
  LayoutPlacementPrompt();
  const float s = Scale();
  const RectF& p = gPanel;
  // The view behind steps back: the prompt takes every click until it closes.
  SetGlColor(0.0f, 0.0f, 0.02f, 0.6f);
  FillRect(0.0f, 0.0f, (float)gClientWidth, (float)gClientHeight);
  const float top[4] = {0.1f, 0.12f, 0.19f, 0.98f}, bottom[4] = {0.05f, 0.06f, 0.1f, 0.98f};
  FillRoundedGradientRect(p.x, p.y, p.w, p.h, 16.0f * s, top, bottom);
  const float rim[4] = {0.96f, 0.8f, 0.34f, 0.55f};
  FillRoundedRimRect(p.x, p.y, p.w, p.h, 16.0f * s, 1.5f, rim);

  const PageText& page = gPageText;
  const RectF &line1 = page.title, &line2 = page.first, &line3 = page.second;
  switch (gPlacementPromptStep) {
    case 0:
      DrawTextCentred(gFontLarge, line1, "Placement Quiz", 0.98f, 0.84f, 0.4f, 1.0f);
      DrawTextCentred(gFontMain, line2, "Five questions place you in the lesson library.", 0.86f, 0.9f, 0.98f, 0.95f);
      DrawTextCentred(gFontMain, line3, "Your lessons then start where you are.", 0.86f, 0.9f, 0.98f, 0.95f);
      break;
    case 1: {
      const Question& q = QuestionAt(gQuestion);
      const RectF &counter = page.title, &question = page.first;
      std::string shown = TrF("Question %d of %d", gQuestion + 1, kPlacementQuestions);
      {
        ScopedTrSuppress translated;
        DrawTextCentred(gFontSmall, counter, shown, 0.62f, 0.7f, 0.84f, 0.95f);
      }
      DrawTextCentred(gFontMedium, question, q.wording, 0.96f, 0.97f, 1.0f, 1.0f);
      break;
    }
    default: {
      DrawTextCentred(gFontLarge, line1, "Your placement", 0.98f, 0.84f, 0.4f, 1.0f);
      const int total = PlacedTotal();
      std::string shown = total > 0 ? TrF("%d pieces will count as learnt", total) : Tr("You start from the beginning");
      ScopedTrSuppress translated;
      DrawTextCentred(gFontMain, line2, shown, 0.86f, 0.9f, 0.98f, 0.95f);
      break;
    }
  }
  for (const PlacementButton& b : gButtons) {
    const char* label = "";
    int style = kPillPlain;
    switch (b.id) {
      case kPlacementClose: label = "Not now"; break;
      case kPlacementStart: label = "Start", style = kPillGold; break;
      case kPlacementApply: label = "Apply", style = kPillGold; break;
      case kPlacementAgain: label = "Take it again"; break;
      case kPlacementBack: label = "Back"; break;
      default: label = PlacementAnswerWording(gQuestion, b.id); break;
    }
    DrawPillButton(b.rect, label ? label : "", style, true, 0.0f, 0.0f, 1.0f);
  }
}

void ResetPlacementPrompt() {
  ClosePlacementPrompt();
  gPlacementPromptStep = 0;
  gQuestion = 0;
  std::fill(std::begin(gAnswers), std::end(gAnswers), 0);
}
