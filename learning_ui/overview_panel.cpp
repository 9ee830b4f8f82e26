// learning_ui/overview_panel: the detail column's summary of the day and the plan, with the
// practice-load choice.
#include "learning_ui/overview_panel.h"

#include <GL/gl.h>

#include <algorithm>

#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "learning/daily_blocks.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/long_dates.h"
#include "learning/schedule.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_views.h"
#include "practice/students.h"

// ---- constants ----
const char* const kPracticeLoadNames[4] = {"Light", "Standard", "Long", "Marathon"};

// ---- internal helpers ----
static UiFont MainFont() { return gFontMain ? gFontMain : gFontSmall; }

static void DrawCentred(float px, float pw, float y, const std::string& english, float r, float g, float b, float a) {
  const std::string shown = Tr(english);
  ScopedTrSuppress suppress;
  DrawTextUtf8(gFontSmall, px + (pw - MeasureText(gFontSmall, shown, 6.4f)) / 2.0f, y, shown, r, g, b, a);
}

static bool HasLibrary() { return gLibraryLoaded && !gLibraryItems.empty() && PlanHasLibraryItems(); }

// The step from the column's first line to its second: 16 pixels, more where the text is taller
// (the small font grows with the window; Devanagari's marks and Japanese stand taller than Latin)
// and the lines would touch.
static float SecondLineStep(const std::string& first, const std::string& second) {
  ScopedTrSuppress shown;
  const float tallest = std::max(MeasureTextHeight(gFontSmall, first, 16.0f), MeasureTextHeight(gFontSmall, second, 16.0f));
  return std::max(16.0f, tallest);
}

// Two lines of the column, the second below the first by the step their script needs.
static void DrawTwoLines(float x, float y, float room, const std::string& first, const float firstColour[4],
                         const std::string& second, const float secondColour[4]) {
  DrawShown(gFontSmall, x, y, first, firstColour[0], firstColour[1], firstColour[2], firstColour[3], room);
  DrawShown(gFontSmall, x, y + SecondLineStep(first, second), second, secondColour[0], secondColour[1],
            secondColour[2], secondColour[3], room);
}

static void DrawPracticeLoad(const LearningLayout& l) {
  const float px = l.contentRight, py = l.contentY;
  DrawTextUtf8(gFontSmall, px + 16.0f, py + 183.0f, "PRACTICE LOAD", 0.55f, 0.61f, 0.74f, 0.85f);
  for (int i = 0; i < 4; ++i) {
    const RectF row = PracticeLoadRowRect(l, i);
    const bool chosen = gPracticeLoad == i;
    if (chosen) {
      const float top[4] = {0.20f, 0.30f, 0.55f, 0.9f}, bottom[4] = {0.13f, 0.20f, 0.40f, 0.9f};
      FillGradientRect(row.x, row.y, row.w, row.h, top, bottom);
      SetGlColor(0.96f, 0.80f, 0.34f, 0.70f);
      FillRoundedRect(row.x, row.y, 3.0f, row.h, 1.5f, 4);
    } else {
      SetGlColor(1.0f, 1.0f, 1.0f, PointInRect(row, gMouseX, gMouseY) ? 0.07f : 0.035f);
      FillRoundedRect(row.x, row.y, row.w, row.h, 7.0f, 6);
    }
    if (chosen)
      DrawTextUtf8(gFontSmall, row.x + 12.0f, row.y + 17.0f, kPracticeLoadNames[i], 0.99f, 0.99f, 1.0f, 0.94f);
    else
      DrawTextUtf8(gFontSmall, row.x + 12.0f, row.y + 17.0f, kPracticeLoadNames[i], 0.78f, 0.78f, 1.0f, 0.94f);
    const std::string blocks = std::to_string(kBlocksPerLoad[i]);
    const float w = MeasureText(gFontSmall, blocks, 6.2f);
    DrawShown(gFontSmall, row.x + row.w - 12.0f - w, row.y + 17.0f, blocks, 0.58f, 0.64f, 0.78f, 0.86f);
  }
  const float x = px + 16.0f, y = py + 342.0f;
  const int days = PracticeDaysLeft(CountOpenSyllabusItems(), BlocksPerDay());
  const float room = l.detailW - 32.0f;
  if (days > 0) {
    const float left[4] = {0.64f, 0.72f, 0.86f, 0.92f}, finish[4] = {0.55f, 0.61f, 0.74f, 0.84f};
    DrawTwoLines(x, y, room, PracticeDaysLeftText(days), left,
                 TrF("finish ~%s", PracticeFinishDate(days).c_str()), finish);
  } else if (!HasLibrary()) {
    const float missing[4] = {0.95f, 0.72f, 0.30f, 0.95f}, hint[4] = {0.72f, 0.62f, 0.44f, 0.85f};
    const std::string head = gLibraryIndexUnreadable ? Tr("Library index unreadable") : Tr("Lesson library not found");
    DrawTwoLines(x, y, room, head, missing, Tr("reinstall to restore MIDI/Library"), hint);
  } else if (gActiveStudentIndex < 0 || gActiveStudentIndex >= (int)gStudents.size()) {
    const float none[4] = {0.72f, 0.78f, 0.90f, 0.92f}, hint[4] = {0.58f, 0.72f, 0.76f, 0.84f};
    DrawTwoLines(x, y, room, Tr("No student selected"), none, Tr("add one to start a syllabus"), hint);
  } else {
    DrawShown(gFontSmall, x, y, Tr("Syllabus complete"), 0.60f, 0.85f, 0.60f, 0.92f, room);
  }
}

// ---- public functions ----
RectF PracticeLoadRowRect(const LearningLayout& l, int row) {
  return {l.contentRight + 14.0f, l.contentY + 196.0f + 32.0f * row, std::max(l.detailW - 28.0f, 60.0f), 26.0f};
}

int PracticeDaysLeft(int openItems, int blocksPerDay) {
  if (openItems <= 0 || blocksPerDay <= 0) return 0;
  return (openItems + blocksPerDay - 1) / blocksPerDay;
}

std::string PracticeFinishDate(int daysLeft) {
  if (daysLeft <= 0) return "";
  return FormatLongDate(AddDaysIsoDate(TodayIsoDate(), daysLeft - 1));
}

std::string PracticeDaysLeftText(int daysLeft) {
  return daysLeft == 1 ? TrF("~%d practice day left", 1) : TrF("~%d practice days left", daysLeft);
}

bool HandlePracticeLoadClick(const LearningLayout& l, int x, int y) {
  if (gLibraryViewKey != "today" || l.detailW <= 0.0f || !gViewingPlannedDay.empty()) return false;
  for (int i = 0; i < 4; ++i) {
    if (!PointInRect(PracticeLoadRowRect(l, i), x, y)) continue;
    if (gPracticeLoad == i) return true;
    gPracticeLoad = i;
    const bool saved = SavePracticeLoad();
    ReplanFutureDays();
    if (saved)
      gStatusText = TrF("Practice load: %s - %d blocks", Tr(kPracticeLoadNames[i]).c_str(), kBlocksPerLoad[i]);
    else
      gStatusText = kSaveFailureMessage;
    return true;
  }
  return false;
}

void DrawOverviewPanel(const LearningLayout& l, int listed, int done) {
  const float px = l.contentRight, py = l.contentY, pw = l.detailW, ph = l.contentH;
  if (pw <= 0.0f) return;
  SetGlColor(0.10f, 0.12f, 0.17f, 0.55f);
  FillRoundedRect(px, py, pw, ph, 14.0f, 8);
  glLineWidth(1.0f);
  SetGlColor(0.62f, 0.70f, 0.88f, 0.10f);
  StrokeRoundedRect(px, py, pw, ph, 14.0f, 8);
  const bool today = gLibraryViewKey == "today";
  DrawTextUtf8(MainFont(), px + 16.0f, py + 28.0f, today ? "Today" : "Library", 0.96f, 0.80f, 0.34f, 0.96f);
  float y = py + 52.0f;
  if (!gCurrentLearningDay.empty()) {
    DrawShown(gFontSmall, px + 16.0f, y, FormatLongDate(gCurrentLearningDay), 0.72f, 0.80f, 0.94f, 0.92f, pw - 32.0f);
    y += 26.0f;
  }
  if (today) {
    DrawShown(gFontSmall, px + 16.0f, y, TrF("%d of %d blocks complete", done, listed), 0.62f, 0.70f, 0.84f, 0.92f,
              pw - 32.0f);
    y += 16.0f;
    SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
    FillRoundedRect(px + 16.0f, y, pw - 32.0f, 6.0f, 3.0f, 4);
    if (listed > 0 && done > 0) {
      SetGlColor(0.55f, 0.85f, 0.55f, 0.90f);
      FillRoundedRect(px + 16.0f, y, std::min((float)done / (float)listed, 1.0f) * (pw - 32.0f), 6.0f, 3.0f, 4);
    }
    y += 30.0f;
    DrawCentred(px, pw, y, "Next unlock", 0.55f, 0.61f, 0.74f, 0.80f);
    y += 31.0f;
    if (listed > 0 && done >= listed)
      DrawCentred(px, pw, y, "Next lesson ready", 0.98f, 0.82f, 0.40f, 0.92f);
    else
      DrawCentred(px, pw, y, "Finish all blocks first", 0.72f, 0.80f, 0.92f, 0.92f);
    if (gViewingPlannedDay.empty()) DrawPracticeLoad(l);
  } else {
    DrawTextUtf8(gFontSmall, px + 16.0f, y, "Browsing the library.", 0.60f, 0.66f, 0.78f, 0.85f);
  }
  if (!gSelectedCards.empty())
    DrawShown(gFontSmall, px + 16.0f, py + ph - 22.0f, TrF("%zu selected for practice", gSelectedCards.size()), 0.72f,
              0.84f, 1.0f, 0.90f, pw - 32.0f);
}
