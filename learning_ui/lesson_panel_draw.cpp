// learning_ui/lesson_panel_draw: the daily lesson drawn each frame: the header line, the block
// rows, the set-aside section inside the scrolled list, and below the list the button or the
// lesson-complete line. The list is clipped to the content above the button band; the scissor
// test is switched off again before the function returns.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/daily_blocks.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/lesson_panel.h"
#include "learning_ui/performance_note.h"
#include "practice/students.h"

// ---- constants ----
static const float kBodyColour[4] = {0.08f, 0.09f, 0.14f, 0.99f};
static const float kButtonTextInset = 12.0f;   // gold kept clear between the button's ends and its brackets

// ---- internal helpers ----
static UiFont MainFont() { return gFontMain ? gFontMain : gFontSmall; }
static UiFont LargeFont() { return gFontLarge ? gFontLarge : MainFont(); }

static void ClipTo(float x, float y, float w, float h) {
  glEnable(GL_SCISSOR_TEST);
  glScissor((int)std::floor(x), (int)std::floor(gClientHeight - (y + h)), (int)std::ceil(w), (int)std::ceil(h));
}

// The pulse of the open block and the button, 0..1.
static float Pulse() { return 0.5f + 0.5f * std::sin(1.6f * GetAppSeconds()); }

// Category tab label, " - " and the kind word, fitted to the width.
static std::string KindLine(const LibraryItem& item, float width, float fallback) {
  const std::string line = CategoryTabLabel(item.category) + " - " + BlockKindLabel(item.category);
  ScopedTrSuppress suppress;   // both parts are translated already
  return ElideTextToWidth(gFontSmall, line, width, fallback);
}

static void SetColour4(float* v, float r, float g, float b, float a) { v[0] = r, v[1] = g, v[2] = b, v[3] = a; }

static void DrawBlockRow(const LearningLayout& l, const LessonDayView& view, int i, const RectF& row) {
  const LessonBlockRow& block = view.rows[(size_t)i];
  const LibraryItem& item = *block.item;
  const bool lockedLook = view.planned || !block.unlocked;
  const bool upNext = i == view.firstOpen;
  const bool hovered = !lockedLook && PointInRect(row, gMouseX, gMouseY) && gMouseY >= l.contentY &&
                       gMouseY <= l.contentY + LessonListHeight(l) && PerformanceNoteAt(gMouseX, gMouseY) < 0;
  const float x = row.x, y = row.y, w = row.w;

  FillRoundedRimRect(x, y, w, row.h, 14.0f, 2.0f, kBodyColour);
  float top[4], bottom[4];
  if (lockedLook)
    SetColour4(top, 0.085f, 0.09f, 0.12f, 0.98f), SetColour4(bottom, 0.05f, 0.055f, 0.08f, 0.99f);
  else if (block.done)
    SetColour4(top, 0.105f, 0.20f, 0.145f, 0.98f), SetColour4(bottom, 0.065f, 0.125f, 0.09f, 0.99f);
  else if (upNext)
    SetColour4(top, 0.26f, 0.215f, 0.085f, 0.98f), SetColour4(bottom, 0.14f, 0.115f, 0.045f, 0.99f);
  else if (hovered)
    SetColour4(top, 0.18f, 0.21f, 0.30f, 0.98f), SetColour4(bottom, 0.11f, 0.13f, 0.19f, 0.99f);
  else
    SetColour4(top, 0.125f, 0.14f, 0.19f, 0.98f), SetColour4(bottom, 0.075f, 0.085f, 0.125f, 0.99f);
  FillRoundedGradientRect(x + 2.0f, y + 2.0f, w - 4.0f, 106.0f, 12.0f, top, bottom);

  glLineWidth(1.0f);
  if (upNext) {
    float p = Pulse();
    SetGlColor(0.98f, 0.82f, 0.34f, 0.48f + 0.42f * p);
    StrokeRoundedRect(x, y, w, row.h, 14.0f, 12);
    SetGlColor(1.0f, 0.94f, 0.70f, 0.18f + 0.24f * p);
    StrokeRoundedRect(x - 1.0f, y - 1.0f, w + 2.0f, 112.0f, 15.0f, 12);
  } else {
    if (block.done)
      SetGlColor(0.42f, 0.82f, 0.54f, 0.56f);
    else if (hovered)
      SetGlColor(0.45f, 0.66f, 1.0f, 0.5f);
    else
      SetGlColor(1.0f, 1.0f, 1.0f, 0.05f);
    StrokeRoundedRect(x, y, w, row.h, 14.0f, 12);
  }

  // The number badge.
  if (block.done)
    SetGlColor(0.12f, 0.29f, 0.18f, 1.0f);
  else if (upNext)
    SetGlColor(0.30f, 0.25f, 0.08f, 1.0f);
  else
    SetGlColor(0.16f, 0.18f, 0.26f, 1.0f);
  FillRoundedRect(x + 14.0f, y + 34.0f, 42.0f, 42.0f, 11.0f, 8);
  const std::string number = std::to_string(i + 1);
  const float numberW = ShownWidth(LargeFont(), number, 8.0f);
  if (block.done)
    DrawShown(LargeFont(), x + 14.0f + (42.0f - numberW) / 2.0f, y + 66.6f, number, 0.98f, 0.88f, 0.55f, 0.97f);
  else
    DrawShown(LargeFont(), x + 14.0f + (42.0f - numberW) / 2.0f, y + 66.6f, number, 0.92f, 0.94f, 1.0f, 0.97f);

  // The status tag's words, measured first: a long translation ("Зараховано") takes more room than
  // the column keeps for it, and the title then ends before it instead of running into it.
  const std::string tagKey = LessonBlockTag(view, i);
  const std::string tag = Tr(tagKey);
  const float tagX = x + w - 18.0f - ShownWidth(MainFont(), tag, 8.0f);

  // The text column: kind line and title.
  const float textX = x + 70.0f, textW = std::max(l.contentW - 70.0f - 132.0f, 20.0f);
  DrawShown(gFontSmall, textX, y + 38.0f, KindLine(item, textW, 6.4f), 0.56f, 0.63f, 0.80f, lockedLook ? 0.55f : 0.9f);
  // The title ends before the tag and before the retention dots, which rise into its line: a cut
  // title's dots ("ключе ...") sat on the first of them.
  const RectF badge = LessonRowBadgeRect(row);
  float titleRight = tagX - 12.0f;
  if (!item.id.empty()) titleRight = std::min(titleRight, RetentionDotsLeft(badge) - 10.0f);
  const float titleW = std::max(std::min(textW, titleRight - textX), 20.0f);
  const std::string title = ElideTextToWidth(LargeFont(), ItemCardTitle(item), titleW, 15.0f);
  if (lockedLook)
    DrawShown(LargeFont(), textX, y + 76.0f, title, 0.55f, 0.58f, 0.66f, 0.98f);
  else
    DrawShown(LargeFont(), textX, y + 76.0f, title, 0.97f, 0.98f, 1.0f, 0.98f);

  // The status tag, right-aligned.
  float tr = 0.50f, tg = 0.54f, tb = 0.64f;   // "Locked"
  if (tagKey == "Start")
    tr = 0.98f, tg = 0.82f, tb = 0.40f;
  else if (tagKey == "Up next")
    tr = 0.62f, tg = 0.74f, tb = 0.96f;
  else if (tagKey == "Remaining")
    tr = 0.52f, tg = 0.58f, tb = 0.70f;
  else if (tagKey != "Locked")
    tr = 0.48f, tg = 0.88f, tb = 0.58f;
  DrawShown(MainFont(), tagX, y + 61.0f, tag, tr, tg, tb, 0.97f);

  if (!item.id.empty()) {
    DrawMasteryBadge(item, badge);
    DrawRetentionDots(item, badge);
  }
}

static void DrawSetAside(const LearningLayout& l, int blockRows, float bandTop, float bandBottom) {
  const std::vector<std::string> ids = ListSetAsideItems();
  const float T = SetAsideTop(l, blockRows);
  const std::string heading = TrF("Revisit (%d)", (int)ids.size());
  DrawShown(MainFont(), l.contentX + 2.0f, T + 18.0f, heading, 0.95f, 0.80f, 0.42f, 0.95f);
  DrawTextUtf8(gFontSmall, l.contentX + 2.0f + ShownWidth(MainFont(), heading, 8.0f) + 12.0f, T + 18.0f,
               "Set aside - come back to these when you're ready", 0.58f, 0.64f, 0.78f, 0.72f);
  for (int j = 0; j < (int)ids.size(); ++j) {
    const RectF row = SetAsideRowRect(l, blockRows, j);
    if (row.y + row.h < bandTop || row.y > bandBottom) continue;
    const LibraryItem* item = FindLibraryItem(ids[(size_t)j]);
    if (!item) continue;
    const bool hovered = PointInRect(row, gMouseX, gMouseY) && gMouseY >= l.contentY &&
                         gMouseY <= l.contentY + LessonListHeight(l) && PerformanceNoteAt(gMouseX, gMouseY) < 0;
    FillRoundedRimRect(row.x, row.y, row.w, row.h, 12.0f, 2.0f, kBodyColour);
    float top[4], bottom[4];
    if (hovered)
      SetColour4(top, 0.22f, 0.175f, 0.085f, 0.98f);
    else
      SetColour4(top, 0.15f, 0.12f, 0.07f, 0.98f);
    SetColour4(bottom, 0.09f, 0.07f, 0.045f, 0.99f);
    FillRoundedGradientRect(row.x + 2.0f, row.y + 2.0f, row.w - 4.0f, 60.0f, 10.0f, top, bottom);
    glLineWidth(1.0f);
    SetGlColor(0.95f, 0.74f, 0.34f, hovered ? 0.55f : 0.26f);
    StrokeRoundedRect(row.x, row.y, row.w, row.h, 12.0f, 12);
    auto record = gMasteryRecords.find(item->id);
    const int tries = record == gMasteryRecords.end() ? 0 : record->second.attempts;
    const std::string tag = TrF("Set aside - %d tries", tries);
    const float tagW = ShownWidth(gFontSmall, tag, 6.2f);
    DrawShown(gFontSmall, row.x + row.w - 16.0f - tagW, row.y + 36.0f, tag, 0.90f, 0.66f, 0.40f, 0.90f);
    const float textW = std::max(row.w - 16.0f - (tagW + 28.0f), 20.0f);
    DrawShown(gFontSmall, row.x + 16.0f, row.y + 24.0f, KindLine(*item, textW, 6.2f), 0.60f, 0.66f, 0.80f, 0.85f);
    DrawShown(MainFont(), row.x + 16.0f, row.y + 46.0f, ElideTextToWidth(MainFont(), ItemCardTitle(*item), textW, 11.0f),
              0.94f, 0.95f, 1.0f, 0.96f);
  }
}

// The library's messages run longer than the list is wide in most languages: they break at spaces
// onto further lines rather than into the clip.
static void DrawEmptyState(const LearningLayout& l) {
  const float x = l.contentX + 2.0f, y = l.contentY - gLibraryScroll + 58.0f;
  bool warning = false;
  const std::string shown = Tr(LessonEmptyText(&warning));
  ScopedTrSuppress translated;
  const std::vector<std::string> lines = WrapTextToWidth(MainFont(), shown, 8.0f, l.contentW - 4.0f, 3);
  const float step = std::max(24.0f, std::ceil(1.2f * MeasureTextHeight(MainFont(), shown, 20.0f)));
  const float warn[3] = {0.95f, 0.72f, 0.30f}, plain[3] = {0.70f, 0.74f, 0.82f};
  const float* c = warning ? warn : plain;
  for (size_t i = 0; i < lines.size(); ++i)
    DrawTextUtf8(MainFont(), x, y + step * (float)i, lines[i], c[0], c[1], c[2], 0.92f);
}

static void DrawLessonButton(const LearningLayout& l, const LessonDayView& view) {
  const RectF b = LessonButtonRect(l);
  const float top[4] = {0.36f, 0.31f, 0.14f, 0.98f}, bottom[4] = {0.20f, 0.17f, 0.08f, 0.98f};
  FillRoundedGradientRect(b.x, b.y, b.w, b.h, 8.0f, top, bottom);
  const float p = Pulse();
  const float r = 0.96f + 0.03f * p, g = 0.80f + 0.18f * p, bl = 0.34f + 0.62f * p;
  glLineWidth(1.0f);
  SetGlColor(r, g, bl, 0.55f + 0.35f * p);
  StrokeRoundedRect(b.x, b.y, b.w, b.h, 8.0f, 10);
  SetGlColor(r, g, bl, 0.16f + 0.18f * p);
  StrokeRoundedRect(b.x - 1.5f, b.y - 1.5f, b.w + 3.0f, 43.0f, 9.0f, 10);
  const std::string label = LessonButtonLabel(view);
  const float open = ShownWidth(MainFont(), "[", 8.0f), close = ShownWidth(MainFont(), "]", 8.0f);
  // The button keeps its width while the main font grows with the window: at full HD the label
  // with its brackets is wider than the gold, so the label is drawn smaller to stay inside it.
  const float room = std::max(b.w - 2.0f * kButtonTextInset - (open + 6.0f + 6.0f + close), 20.0f);
  const float fullW = ShownWidth(MainFont(), label, 8.0f);
  const float labelW = std::min(fullW, room);
  float x = b.x + (b.w - (open + 6.0f + labelW + 6.0f + close)) / 2.0f;
  const float y = b.y + 29.0f;
  DrawShown(MainFont(), x, y, "[", 0.98f, 0.86f, 0.50f, 0.92f);
  x += open + 6.0f;
  DrawShown(MainFont(), x, y, label, 0.99f, 0.93f, 0.72f, 0.98f, fullW > room ? labelW : 0.0f);
  x += labelW + 6.0f;
  DrawShown(MainFont(), x, y, "]", 0.98f, 0.86f, 0.50f, 0.92f);
}

// ---- public functions ----
void DrawLessonPanel(const LearningLayout& l) {
  const LessonDayView view = BuildLessonDayView();
  const int n = (int)view.rows.size();
  const float viewH = LessonListHeight(l);
  AutoScrollToFirstOpenBlock(l, view);
  ClipTo(l.contentX, l.contentY, l.contentW, viewH);
  const float headerY = l.contentY - gLibraryScroll + 19.0f;
  if (view.planned)
    DrawTextUtf8(gFontSmall, l.contentX + 2.0f, headerY, "Planned lesson - locked preview", 0.66f, 0.72f, 0.86f, 0.92f);
  else
    DrawShown(gFontSmall, l.contentX + 2.0f, headerY, TrF("%d of %d blocks done today", view.doneCount, n), 0.62f,
              0.70f, 0.84f, 0.92f);
  if (n == 0) {
    DrawEmptyState(l);
    glDisable(GL_SCISSOR_TEST);
    return;
  }
  const float bandTop = l.contentY - 4.0f, bandBottom = l.contentY + l.contentH + 4.0f;
  for (int i = 0; i < n; ++i) {
    const RectF row = LessonRowRect(l, i);
    if (row.y + row.h < bandTop || row.y > bandBottom) continue;
    DrawBlockRow(l, view, i, row);
  }
  if (ShowsSetAside(view)) DrawSetAside(l, n, bandTop, bandBottom);
  glDisable(GL_SCISSOR_TEST);
  if (view.planned) return;
  if (view.firstOpen < 0)
    DrawTextUtf8(gFontSmall, l.contentX + 2.0f, l.contentY + l.contentH - 31.0f,
                 "Lesson complete - use NEXT LESSON to continue", 0.58f, 0.82f, 0.55f, 0.95f);
  else
    DrawLessonButton(l, view);
}
