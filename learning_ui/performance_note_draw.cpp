// learning_ui/performance_note_draw: one card drawn from the records as they are this frame:
// masthead, title, close box, this run's figure and verdict, the four figure boxes, the advice,
// the mastery line and bar, and the skills radar growing in.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/library_browser.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/mastery_figures.h"
#include "learning_ui/performance_note.h"
#include "learning_ui/skills_radar.h"
#include "platform/clock.h"

// ---- internal helpers ----
static UiFont MainFont() { return gFontMain ? gFontMain : gFontSmall; }
static UiFont LargeFont() { return gFontLarge ? gFontLarge : MainFont(); }

// The shadow shows only right of and below the nearly opaque body, so only those strips are
// filled: a card's area rasterised twice more would cost a software renderer dearly.
static void DrawCardShadow(const PerformanceNoteCard& c) {
  const int split = (int)std::floor(c.x + c.w - 16.0f), right = (int)std::ceil(c.x + c.w + 6.0f);
  const int bottom = (int)std::ceil(c.y + c.h + 7.0f);
  const int strips[2][4] = {{split, (int)std::floor(c.y + 7.0f), right, bottom},
                            {(int)std::floor(c.x + 6.0f), (int)std::floor(c.y + c.h - 16.0f), split, bottom}};
  SetGlColor(0.01f, 0.015f, 0.028f, 0.42f);
  for (const auto& s : strips) {
    glScissor(s[0], gClientHeight - s[3], std::max(s[2] - s[0], 0), std::max(s[3] - s[1], 0));
    FillRoundedRect(c.x + 6.0f, c.y + 7.0f, c.w, c.h, 16.0f, 8);
  }
}

// Under a cascade's next card only the body's left and top strips are filled.
static void DrawCardBody(size_t index, bool mastered) {
  const PerformanceNoteCard& c = gPerformanceNotes[index];
  const float top[4] = {0.085f, 0.105f, 0.155f, 0.995f}, bottom[4] = {0.025f, 0.032f, 0.055f, 0.998f};
  glEnable(GL_SCISSOR_TEST);
  DrawCardShadow(c);
  float leftW, topH;
  if (NoteBodyStrips(index, &leftW, &topH)) {
    const int x0 = (int)std::floor(c.x) - 1, split = (int)std::ceil(c.x + leftW), x1 = (int)std::ceil(c.x + c.w) + 1;
    const int y0 = (int)std::floor(c.y) - 1, y1 = (int)std::ceil(c.y + c.h) + 1, topEnd = (int)std::ceil(c.y + topH);
    const int strips[2][4] = {{x0, y0, split, y1}, {split, y0, x1, topEnd}};
    for (const auto& s : strips) {
      glScissor(s[0], gClientHeight - s[3], std::max(s[2] - s[0], 0), std::max(s[3] - s[1], 0));
      FillRoundedGradientRect(c.x, c.y, c.w, c.h, 16.0f, top, bottom);
    }
    glDisable(GL_SCISSOR_TEST);
  } else {
    glDisable(GL_SCISSOR_TEST);
    FillRoundedGradientRect(c.x, c.y, c.w, c.h, 16.0f, top, bottom);
  }
  glLineWidth(1.0f);
  if (mastered)
    SetGlColor(0.96f, 0.8f, 0.34f, 0.5f);
  else
    SetGlColor(0.54f, 0.68f, 1.0f, 0.5f);
  StrokeRoundedRect(c.x, c.y, c.w, c.h, 16.0f, 8);
}

static void DrawMastheadAndTitle(const PerformanceNoteCard& c, const LibraryItem& item) {
  std::string masthead = TrF("PERFORMANCE NOTE  /  %s  /  %s", CategoryTabLabel(item.category).c_str(), Tr(item.type).c_str());
  {
    ScopedTrSuppress suppress;   // both names are translated already
    masthead = ElideTextToWidth(gFontSmall, masthead, c.w - 96.0f, 6.4f);
  }
  DrawShown(gFontSmall, c.x + 28.0f, c.y + 20.0f, masthead, 0.66f, 0.74f, 0.88f, 0.94f);
  std::string title = ElideTextToWidth(MainFont(), ItemCardTitle(item), c.w - 96.0f, 10.0f);
  DrawShown(MainFont(), c.x + 28.0f, c.y + 48.0f, title, 0.96f, 0.98f, 1.0f, 0.99f);
}

static void DrawCloseBox(const PerformanceNoteCard& c) {
  float bx, by, bw, bh;
  NoteCloseBoxRect(c, &bx, &by, &bw, &bh);
  bool hovered = gMouseX >= bx && gMouseX <= bx + bw && gMouseY >= by && gMouseY <= by + bh;
  if (hovered)
    SetGlColor(0.52f, 0.12f, 0.16f, 0.92f);
  else
    SetGlColor(0.2f, 0.12f, 0.16f, 0.62f);
  FillRoundedRect(bx, by, bw, bh, 7.0f, 6);
  DrawShown(gFontSmall, c.x + c.w - 27.0f, c.y + 26.0f, "X", 1.0f, 0.9f, 0.9f, 0.96f);
}

static void DrawThisRun(const PerformanceNoteCard& c, const NoteCardLayout& l, const MasteryRecord* r) {
  DrawTextUtf8(gFontSmall, c.x + 28.0f, c.y + 98.0f, "THIS RUN", 0.56f, 0.64f, 0.8f, 0.82f);
  DrawShown(LargeFont(), c.x + 28.0f, c.y + 130.0f, l.runFigure, 0.96f, 0.98f, 1.0f, 0.99f);
  if (l.hasRun && r->latest_passed)
    DrawTextUtf8(MainFont(), l.verdictX, c.y + 110.0f, "PASS", 0.52f, 0.88f, 0.58f, 0.99f);
  else
    DrawTextUtf8(MainFont(), l.verdictX, c.y + 110.0f, l.hasRun ? "KEEP GOING" : "NO RUN YET", 0.98f, 0.76f, 0.4f, 0.99f);
  std::string landed = l.hasRun ? TrF("%d of %d notes landed", r->latest_landed, r->latest_expected)
                                : Tr("play this once to create a record");
  DrawShown(gFontSmall, l.verdictX, c.y + 132.0f, landed, 0.74f, 0.82f, 0.94f, 0.94f);
}

static void DrawFigureBoxes(const PerformanceNoteCard& c, const NoteCardLayout& l) {
  const float by = c.y + 160.0f;
  for (int i = 0; i < 4; ++i) {
    const NoteFigureBox& box = l.boxes[i];
    const float bx = l.boxX[i], w = l.boxW[i];
    if (box.highlighted)
      SetGlColor(0.26f, 0.13f, 0.16f, 0.6f);
    else
      SetGlColor(0.12f, 0.15f, 0.23f, 0.6f);
    FillRoundedRect(bx, by, w, 52.0f, 8.0f, 6);
    SetGlColor(0.7f, 0.78f, 0.92f, 0.14f);
    StrokeRoundedRect(bx, by, w, 52.0f, 8.0f, 6);
    std::string label = ElideTextToWidth(gFontSmall, box.label, w - 16.0f, 6.4f);
    std::string value;
    {
      ScopedTrSuppress suppress;   // values are numbers or translated already
      value = ElideTextToWidth(MainFont(), box.value, w - 20.0f, 9.0f);
    }
    DrawShown(gFontSmall, bx + 11.0f, c.y + 178.0f, label, 0.6f, 0.7f, 0.86f, 0.92f);
    if (box.highlighted)
      DrawShown(MainFont(), bx + 11.0f, c.y + 201.0f, value, 0.99f, 0.8f, 0.52f, 0.99f);
    else
      DrawShown(MainFont(), bx + 11.0f, c.y + 201.0f, value, 0.94f, 0.96f, 1.0f, 0.99f);
  }
}

static void DrawAdvice(const PerformanceNoteCard& c, const NoteCardLayout& l) {
  DrawShown(gFontSmall, c.x + 28.0f, c.y + 236.0f, l.advice1, 0.86f, 0.92f, 1.0f, 0.97f);
  if (!l.advice2.empty()) DrawShown(gFontSmall, c.x + 28.0f, c.y + 253.0f, l.advice2, 0.86f, 0.92f, 1.0f, 0.97f);
}

static void DrawMastery(const PerformanceNoteCard& c, const LibraryItem& item, const NoteCardLayout& l, bool mastered) {
  const MasteryProgress progress = ComputeMasteryProgress(item);
  const float m = l.masteryY;
  DrawShown(gFontSmall, c.x + 28.0f, m, l.mastery1, 0.6f, 0.7f, 0.84f, 0.92f);
  if (!l.mastery2.empty()) DrawShown(gFontSmall, c.x + 28.0f, m + 17.0f, l.mastery2, 0.6f, 0.7f, 0.84f, 0.92f);
  const float barX = c.x + 28.0f, barY = l.masteryBarY, barW = c.w - 56.0f;
  SetGlColor(1.0f, 1.0f, 1.0f, 0.09f);
  FillRoundedRect(barX, barY, barW, 8.0f, 4.0f, 4);
  if (progress.overall > 0.001f) {
    if (mastered)
      SetGlColor(0.46f, 0.76f, 1.0f, 0.92f);
    else
      SetGlColor(0.66f, 0.7f, 0.8f, 0.92f);
    FillRoundedRect(barX, barY, std::max(Clamp01(progress.overall) * barW, 2.0f), 8.0f, 4.0f, 4);
  }
  SetGlColor(0.98f, 0.82f, 0.34f, 0.88f);
  glBegin(GL_LINES);
  glVertex2f(barX + barW, barY - 4.0f);
  glVertex2f(barX + barW, barY + 12.0f);
  glEnd();
}

static void DrawRadarSection(const PerformanceNoteCard& c, const NoteCardLayout& l, const MasteryRecord* r, uint32_t now) {
  const float s = l.radarRuleY;
  DrawNoteRule(c.x + 28.0f, s, c.w - 56.0f, 0.3f);
  DrawTextUtf8(gFontSmall, c.x + 28.0f, s + 21.0f, "SKILLS RADAR", 0.98f, 0.84f, 0.42f, 0.98f);
  float ar, ag, ab;
  RadarAccentColour(&ar, &ag, &ab);
  PerformanceSummary summary;
  SummarizePerformance(&summary, r);
  const RadarData data = FillRadarData(summary);
  const float p = RadarGrowProgress(c.openedMs, now);
  DrawRadarOverall(data, l.radarCx, s + 54.0f, p, 1.0f, ar, ag, ab);
  DrawRadarChart(data, l.radarCx, l.radarCy, l.radarR, l.radarLeft, l.radarRight, p, 1.0f, ar, ag, ab);
}

// Every part of a card that a card above it does not hide wholly; a cascade of six cards leaves
// only the top one's contents to draw.
static void DrawCard(size_t index, const LibraryItem& item, uint32_t now) {
  const PerformanceNoteCard& c = gPerformanceNotes[index];
  auto found = gMasteryRecords.find(item.id);
  const MasteryRecord* r = found == gMasteryRecords.end() ? nullptr : &found->second;
  const bool mastered = IsItemMastered(item);
  const NoteCardLayout l = LayoutNoteCard(c, item, r);
  float left = c.x + 28.0f, right = c.x + c.w - 12.0f;
  auto shows = [&](float top, float bottom) { return !IsNoteAreaCovered(index, left, top, right - left, bottom - top); };
  DrawCardBody(index, mastered);
  if (shows(c.y + 8.0f, c.y + 56.0f)) {
    DrawMastheadAndTitle(c, item);
    DrawCloseBox(c);
  }
  if (shows(c.y + 70.0f, c.y + 140.0f)) {
    DrawNoteRule(c.x + 28.0f, c.y + 76.0f, c.w - 56.0f, 0.3f);
    DrawThisRun(c, l, r);
  }
  if (shows(c.y + 156.0f, c.y + 216.0f)) DrawFigureBoxes(c, l);
  if (shows(c.y + 220.0f, l.masteryBarY + 14.0f)) {
    DrawAdvice(c, l);
    DrawMastery(c, item, l, mastered);
  }
  // The radar's axis texts may reach past the margins, never past their bounds.
  left = std::min(left, l.radarLeft), right = std::max(right, l.radarRight);
  if (shows(l.radarRuleY - 2.0f, c.y + c.h - 28.0f)) DrawRadarSection(c, l, r, now);
  left = c.x + 28.0f, right = c.x + c.w - 12.0f;
  if (shows(l.footerY - 14.0f, c.y + c.h - 8.0f)) {
    DrawShown(gFontSmall, c.x + 28.0f, l.footerY, l.footer1, 0.5f, 0.6f, 0.74f, 0.86f);
    if (!l.footer2.empty()) DrawShown(gFontSmall, c.x + 28.0f, l.footerY + 17.0f, l.footer2, 0.5f, 0.6f, 0.74f, 0.86f);
  }
}

// ---- public functions ----
void DrawNoteRule(float x, float y, float width, float alpha) {
  SetGlColor(0.72f, 0.78f, 0.9f, alpha);
  glBegin(GL_LINES);
  glVertex2f(x, y);
  glVertex2f(x + width, y);
  glEnd();
}

void DrawPerformanceNotes() {
  if (gPerformanceNotes.empty()) return;
  // Smoothed lines cost a software rasteriser dearly; the shadows are scissored. Both settings
  // come back at the end.
  const GLboolean smooth = glIsEnabled(GL_LINE_SMOOTH), scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  glDisable(GL_LINE_SMOOTH);
  const uint32_t now = ClockMs32();
  for (size_t i = 0; i < gPerformanceNotes.size(); ++i) {
    const LibraryItem* item = FindLibraryItem(gPerformanceNotes[i].itemId);
    if (item) DrawCard(i, *item, now);
  }
  if (smooth) glEnable(GL_LINE_SMOOTH);
  if (!scissor) glDisable(GL_SCISSOR_TEST);
  glScissor(box[0], box[1], box[2], box[3]);
}
