// board/scale_grid: the grid block of the board view.
//
// An earned cell is drawn as liquid gold: it fills from the bottom in 2.8 s, its surface waves,
// a ring pulses round it until it is full, and the flash, glow and sheen timers of the achievement
// matrix add their light on top. Everything is immediate mode and every alpha passes through the
// global draw alpha.
#include "board/scale_grid.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/shapes.h"
#include "board/grid_interaction.h"
#include "board/practice_hud.h"
#include "gfx/draw_alpha.h"
#include "gfx/label_fit.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "practice/achievements.h"
#include "practice/board_message.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- constants ----
constexpr float kGoldFillSeconds = 2.8f;     // an earned cell fills in this time
constexpr float kBoardMessageSeconds = 5.6f;

// ---- internal helpers ----
static float RowY(const BoardViewFrame& f, float r) { return f.layout.gridY + (r - f.frac) * f.rowPitch; }
static float ColumnX(const BoardLayout& b, int c) { return b.gridX + (float)c * (b.cellW + b.cellGap); }

static void DrawStripPanel(const BoardLayout& b) {
  SetGlColor(0.05f, 0.07f, 0.10f, 0.72f);
  FillRoundedRect(b.stripX, b.stripY, b.stripW, b.stripH, 11.0f, 12);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.12f);
  StrokeRect(b.stripX + 1.0f, b.stripY + 1.0f, b.stripW - 2.0f, b.stripH - 2.0f);
}

static void DrawHeaderTexts(const BoardViewFrame& f) {
  const BoardLayout& b = f.layout;
  const float s = b.scale;
  char count[32];
  std::snprintf(count, sizeof count, "%d/%d", CountDoneAchievementCells(), CountAchievementCells());
  float n = (float)std::string(count).size();
  float x = (b.contentX + 0.56f * b.labelColumnWidth + b.gridX + 0.5f * b.cellW) / 2.0f - n * f.charWidth / 2.0f -
            4.0f * f.charWidth;
  DrawTextUtf8(gFontItalic ? gFontItalic : gFontMain, x, b.headerBaselineY, count, 0.95f, 0.87f, 0.56f, 0.9f);

  float age = (float)(f.now - gBoardMessageTime);
  if (!gBoardMessage.empty() && age >= 0.0f && age <= kBoardMessageSeconds) {
    float p = age / kBoardMessageSeconds;
    float alpha = 0.88f * (1.0f - p * p);
    float mx = b.gridX + std::max(4.0f * s, 2.0f);
    std::string message = TrScaleLabel(gBoardMessage);
    ScopedTrSuppress already;
    DrawTextUtf8(gFontSmall, mx + 0.8f, b.headerBaselineY + 0.8f, message, 0.06f, 0.08f, 0.12f, 0.7f * alpha);
    DrawTextUtf8(gFontSmall, mx, b.headerBaselineY, message, 0.92f, 0.95f, 1.0f, alpha);
  }
  SetGlColor(1.0f, 1.0f, 1.0f, 0.08f);
  DrawLine(b.stripX + b.pad, f.keyBandLineY, b.stripX + b.stripW - b.pad, f.keyBandLineY);
}

static void TintColumn(const BoardViewFrame& f, int c) {
  FillRect(ColumnX(f.layout, c), f.bandTop, f.layout.cellW, f.bandBottom - f.bandTop);
}
static void TintRow(const BoardViewFrame& f, int slot) {
  FillRect(f.layout.gridX, RowY(f, (float)slot), f.layout.gridW, f.layout.cellH);
}

static void DrawRowAndColumnTints(const BoardViewFrame& f) {
  if (f.currentSlot >= 0 && f.currentSlot <= 6) {
    SetGlColor(0.95f, 0.95f, 1.0f, 0.05f);
    TintRow(f, f.currentSlot);
  }
  bool pickedShown = f.pickedSlot >= 0 && f.pickedSlot <= 6;
  SetGlColor(0.98f, 0.88f, 0.52f, 0.09f);
  if (f.bandOn && pickedShown && gRingPos >= 0 && gRingPos <= 11) TintColumn(f, gRingPos);
  if (pickedShown) TintRow(f, f.pickedSlot);
  SetGlColor(0.86f, 0.92f, 1.0f, 0.08f);
  if (f.bandOn && gGridHoverCol >= 0 && gGridHoverCol <= 11) TintColumn(f, gGridHoverCol);
  if (gGridHoverRow >= 0 && gGridHoverRow <= 6) TintRow(f, gGridHoverRow);
}

// The Ctrl-picked cells: a tint under the cells, or (outlines) their frames over them, where the
// nearly opaque cell bodies cannot hide which cells are picked.
static void DrawSelection(const BoardViewFrame& f, bool outlines) {
  if (gSelectedCells.empty()) return;
  const BoardLayout& b = f.layout;
  for (int slot = 0; slot < 7; ++slot) {
    int row = FindScaleRow(ScaleWindowItemScale(slot));
    if (!IsAchievementRowValid(row)) continue;
    float y = RowY(f, (float)slot);
    if (y + b.cellH < b.gridY || y > b.gridY + b.gridH) continue;
    for (int c = 0; c < 12; ++c) {
      if (!gSelectedCells.count({row, c})) continue;
      float x = ColumnX(b, c);
      if (!outlines) {
        SetGlColor(0.52f, 0.78f, 1.0f, 0.26f);
        FillRect(x, y, b.cellW, b.cellH);
        continue;
      }
      SetGlColor(0.76f, 0.9f, 1.0f, 0.88f);
      StrokeRoundedRect(x + 0.5f, y + 0.5f, b.cellW - 1.0f, b.cellH - 1.0f, 3.0f, 8);
    }
  }
}

// The twelve names share one size and one place in their columns. The widest ("Db") that does not
// fit beside its inset first takes the inset in, down to a pixel, then all shrink by one factor:
// a narrow window must not show "Db" smaller or elsewhere than "F#".
static float KeyLabelWidest() {
  float widest = 1.0f;
  for (const char* name : kKeyNamesByRing) widest = std::max(widest, MeasureText(gFontSmall, name, 12.0f));
  return widest;
}

static void DrawKeyLabels(const BoardViewFrame& f) {
  const BoardLayout& b = f.layout;
  float baseline = b.gridY - std::max(7.0f * b.scale, 6.0f);
  const float widest = KeyLabelWidest();
  const float inset = std::clamp(b.cellW - 2.0f - widest, 1.0f, std::max(0.16f * b.cellW, 1.0f));
  const float k = std::min((b.cellW - 2.0f - inset) / widest, 1.0f);
  for (int c = 0; c < 12; ++c) {
    if (k >= 1.0f)
      DrawTextUtf8(gFontSmall, ColumnX(b, c) + inset, baseline, kKeyNamesByRing[c], 0.84f, 0.86f, 0.89f, 0.88f);
    else
      DrawTextScaled(gFontSmall, ColumnX(b, c) + inset, baseline, k, kKeyNamesByRing[c], 0.84f, 0.86f, 0.89f, 0.88f);
  }
}

// One earned cell's liquid gold: body, waving surface, shade and edge lines.
static void DrawGoldBody(const BoardViewFrame& f, float x, float y, float w, float seconds, int index, int c) {
  const BoardLayout& b = f.layout;
  const float h = b.cellH;
  const float e = GoldEmptyShare(seconds);
  const float fillTop = GoldSurfaceY(y, h, seconds);
  float A = 0.22f + 0.72f * w;

  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i <= 24; ++i) {
    float t = (float)i / 24.0f;
    float q = (3.0f - 2.0f * t) * t * t;
    float yy = fillTop + t * (y + h - fillTop);
    SetGlColor(0.98f - 0.14f * q, 0.86f - 0.22f * q, 0.4f - 0.2f * q, (0.62f + 0.26f * q) * A);
    glVertex2f(x, yy);
    glVertex2f(x + b.cellW, yy);
  }
  glEnd();

  float half = ClampFloat(0.13f * h, 1.0f, 3.8f);
  float amp = 0.013f + 0.013f * e;
  float L = (0.46f + 0.5f * e) * (0.76f + 0.24f * w);
  glBegin(GL_QUAD_STRIP);
  for (int j = 0; j <= 20; ++j) {
    float u = (float)j / 20.0f;
    float wave = fillTop + h * amp *
                               (0.58f * std::sin(5.0f * u + 3.8f * f.now + 0.54f * (float)index + 0.36f * (float)c) +
                                0.42f * std::sin(8.2f * u + 2.3f * f.now + 0.2f * (float)c));
    SetGlColor(1.0f, 0.94f, 0.58f, L);
    glVertex2f(x + u * b.cellW, std::max(wave - half, y + 1.0f));
    SetGlColor(0.96f, 0.82f, 0.34f, 0.24f * L);
    glVertex2f(x + u * b.cellW, std::min(wave + half, y + h - 1.0f));
  }
  glEnd();

  glBegin(GL_QUADS);
  SetGlColor(0.0f, 0.0f, 0.0f, 0.14f * (1.0f - w));
  glVertex2f(x, y);
  glVertex2f(x + b.cellW, y);
  SetGlColor(0.0f, 0.0f, 0.0f, 0.007f * (1.0f - w));
  glVertex2f(x + b.cellW, y + h);
  glVertex2f(x, y + h);
  glEnd();

  SetGlColor(1.0f, 0.95f, 0.7f, 0.08f + 0.1f * w);
  DrawLine(x + 0.8f, y + 0.8f, x + b.cellW - 0.8f, y + 0.8f);
  SetGlColor(0.24f, 0.16f, 0.07f, 0.05f + 0.09f * w);
  DrawLine(x + 0.8f, y + h - 0.8f, x + b.cellW - 0.8f, y + h - 0.8f);
}

static void DrawSheen(const BoardViewFrame& f, float x, float y, float P, float w, int r, int c) {
  const BoardLayout& b = f.layout;
  float p = Clamp01(P / 2.2f);
  float level = ClampFloat(y + p * b.cellH, y + 1.0f, y + b.cellH - 1.0f);
  float alpha = (0.1f + 0.22f * (1.0f - p)) * (0.56f + 0.44f * w);
  glBegin(GL_QUAD_STRIP);
  for (int j = 0; j <= 18; ++j) {
    float u = (float)j / 18.0f;
    float xx = x + 1.0f + u * (b.cellW - 2.0f);
    float top = level - 1.2f + 0.45f * std::sin(6.3f * u + 5.2f * f.now + 0.43f * (float)r + 0.27f * (float)c);
    SetGlColor(1.0f, 0.92f, 0.54f, 0.94f * alpha);
    glVertex2f(xx, std::max(top, y + 1.0f));
    SetGlColor(0.88f, 0.68f, 0.24f, 0.16f * alpha);
    glVertex2f(xx, y + b.cellH - 1.0f);
  }
  glEnd();
}

static void DrawCell(const BoardViewFrame& f, const ScaleRow* scale, int achvRow, int index, int r, int c, float y) {
  const BoardLayout& b = f.layout;
  const float x = ColumnX(b, c), cw = b.cellW, ch = b.cellH;
  bool valid = IsAchievementRowValid(achvRow);
  bool earned = valid && gAchvDone[achvRow][c];
  float w = 0.0f;
  if (earned && gAchvTime[achvRow][c] > 0) {
    double age = (double)(f.wall - gAchvTime[achvRow][c]);
    w = (float)ClampDouble(1.0 - age / 1e12, 0.0, 1.0);
  }
  bool gold = earned && w > 0.001f;
  float mx = (float)gMouseX, my = (float)gMouseY;
  bool hovered = mx >= x && mx <= x + cw && my >= y && my <= y + ch;

  if (scale == gPickedScale && c == gRingPos) {
    SetGlColor(0.96f, 0.94f, 0.82f, 0.34f);
    StrokeRoundedRect(x + 0.5f, y + 0.5f, cw - 1.0f, ch - 1.0f, std::max(0.06f * cw, 2.0f), 14);
  }
  float k = 1.0f;
  if (gold) {
    double earnedAt = gAchvEarnedAt[achvRow][c];
    float t = earnedAt >= 0.0 ? (float)(f.now - earnedAt) : kGoldFillSeconds;
    k = Clamp01(t / kGoldFillSeconds);
    DrawGoldBody(f, x, y, w, t, index, c);
  } else {
    SetGlColor(0.04f, 0.06f, 0.09f, 0.86f);
    FillRect(x, y, cw, ch);
  }
  if (hovered) {
    SetGlColor(1.0f, 1.0f, 1.0f, 0.08f);
    FillRect(x, y, cw, ch);
  }
  SetGlColor(0.92f, 0.92f, 0.95f, hovered ? 0.34f : (gold ? 0.1f + 0.2f * w : 0.14f));
  StrokeRect(x + 0.5f, y + 0.5f, cw - 1.0f, ch - 1.0f);
  if (gold && k < 0.999f) {
    float v = 0.5f + 0.5f * std::sin(9.0f * f.now + 0.55f * (float)index + 0.33f * (float)c);
    float grow = 0.7f + 0.9f * v;
    SetGlColor(0.96f, 0.82f, 0.3f, (0.06f + 0.2f * v) * (1.0f - k));
    StrokeRect(x + 0.5f - grow, y + 0.5f - grow, cw - 1.0f + 2.0f * grow, ch - 1.0f + 2.0f * grow);
  }
  if (!valid) return;
  float T = gAchvFlash[achvRow][c];
  if (T > 0.0f) {
    float fl = Clamp01(2.0f * T);
    float grow = 8.0f * (1.0f - fl);
    SetGlColor(1.0f, 0.88f, 0.4f, 0.36f * fl);
    FillRect(x - grow, y - grow, cw + 2.0f * grow, ch + 2.0f * grow);
  }
  float G = gAchvGlow[achvRow][c];
  if (G > 0.0f) {
    float g = Clamp01(G / 20.0f);
    float v = 0.5f + 0.5f * std::sin(3.4f * f.now + 0.39f * (float)r + 0.31f * (float)c);
    float grow = 2.0f + 2.8f * v;
    float alpha = (0.1f + 0.14f * v) * (0.35f + 0.65f * g);
    SetGlColor(0.98f, 0.84f, 0.34f, alpha);
    FillRect(x - grow, y - grow, cw + 2.0f * grow, ch + 2.0f * grow);
    SetGlColor(1.0f, 0.9f, 0.46f, 0.7f * alpha);
    float g2 = grow - 0.5f;
    StrokeRect(x - g2, y - g2, cw + 2.0f * g2, ch + 2.0f * g2);
  }
  float P = gAchvSheen[achvRow][c];
  if (gold && P > 0.0f) DrawSheen(f, x, y, P, w, r, c);
}

static void DrawRows(const BoardViewFrame& f) {
  const BoardLayout& b = f.layout;
  const float s = b.scale;
  int n = GridRowCount(gScaleListMode, VisibleScaleCount(), f.frac);
  int step = ScaleWindowStep();
  for (int r = 0; r < n; ++r) {
    int index = gScaleListMode ? VisibleScaleAt(step + r) : r;
    if (index < 0 || index >= (int)gScaleCatalogue.size()) continue;
    float y = RowY(f, (float)r);
    if (y + b.cellH < b.gridY || y > b.gridY + b.gridH) continue;
    const ScaleRow* scale = gScaleCatalogue[index];

    SetGlColor(1.0f, 1.0f, 1.0f, 0.045f);
    DrawLine(b.gridX, y + b.cellH + 0.5f, b.gridX + b.gridW, y + b.cellH + 0.5f);

    if (scale) {
      RowLabelLines label = SplitRowLabel(Tr(scale->name), b.labelColumnWidth, s, b.cellH);
      const int lines = label.second.empty() ? 1 : 2;
      const float lx = b.contentX + RowLabelInset(s);
      float c[3];
      ScaleLabelColour(*scale, c);
      ScopedTrSuppress already;
      DrawTextUtf8(gFontSmall, lx, RowLabelBaseline(y, b.cellH, s, 0, lines), label.first, c[0], c[1], c[2], 0.88f);
      if (lines == 2)
        DrawTextUtf8(gFontSmall, lx, RowLabelBaseline(y, b.cellH, s, 1, lines), label.second, c[0], c[1], c[2], 0.88f);
    }
    int achvRow = FindScaleRow(scale);
    for (int c = 0; c < 12; ++c) DrawCell(f, scale, achvRow, index, r, c, y);
  }
}

// ---- public functions ----
std::string CutRowLabel(const std::string& translated, float labelColumnWidth, float scale) {
  // Measured in the font the row draws with, so a wide script is cut where it really reaches the
  // grid; the name is already translated and must not be looked up again.
  ScopedTrSuppress already;
  float size = (float)ComputeFontSizes(scale).small;
  return FitWordsToWidth(gFontSmall, translated, size, RowLabelRoom(labelColumnWidth, scale));
}

// The Japanese middle dot between the words of a name: a break after it takes it away.
static constexpr char kWordDot[] = "\xE3\x83\xBB";

// The text ends in a letter of a script whose words are hyphenated when broken: an ASCII letter,
// or a two-byte letter of the Latin, Greek or Cyrillic blocks (leads 0xC3..0xD3).
static bool CutEndsInHyphenatedLetter(const std::string& t) {
  if (t.empty()) return false;
  const unsigned char last = (unsigned char)t.back();
  if (last < 0x80) return std::isalpha(last) != 0;
  if (t.size() < 2 || (last & 0xC0) != 0x80) return false;
  const unsigned char lead = (unsigned char)t[t.size() - 2];
  return lead >= 0xC3 && lead <= 0xD3;
}

// Where the first line of a two-line label ends and where the second starts, in bytes; 0 for no
// break that fits. Prefers the last word break whose first line fits.
static void FindRowLabelBreak(const std::string& t, float size, float room, size_t& end, size_t& next) {
  end = next = 0;
  const size_t dot = sizeof kWordDot - 1;
  for (size_t i = 1; i < t.size(); ++i) {
    size_t e = 0, n = 0;
    if (t[i] == ' ') e = i, n = i + 1;
    else if (t.compare(i, dot, kWordDot) == 0) e = i, n = i + dot;
    if (!e) continue;
    while (e > 0 && t[e - 1] == ' ') --e;
    while (n < t.size() && t[n] == ' ') ++n;
    if (e == 0 || n >= t.size()) continue;
    if (MeasureText(gFontSmall, t.substr(0, e), size) > room) break;
    end = e, next = n;
  }
  if (end) return;
  // No word fits: the first line takes the clusters that fit beside a cut mark, so it ends on a
  // whole cluster.
  std::string head = FitTextToWidth(gFontSmall, t, size, room);
  if (head.size() <= 3) return;
  end = next = head.size() - 3;
  // A second line opening on a small kana or a closing mark tears one sound in two: "ミクソリデ"
  // over "ィアン". The break steps back before the character it belongs to, while the second line
  // still fits whole; a longer one would be cut, and two names alike but for their ends
  // ("エニグマティック・マイナー", "...・メジャー") would read the same.
  size_t back = end;
  while (back > 0 && StartsWithNoLineStartMark(t, back)) {
    do --back;
    while (back > 0 && ((unsigned char)t[back] & 0xC0) == 0x80);
  }
  if (back > 0 && back < end && MeasureText(gFontSmall, t.substr(back), size) <= room) end = next = back;
  // A hyphenated word breaks between syllables where the rest still fits on the second line.
  if (CutEndsInHyphenatedLetter(t.substr(0, end))) {
    const size_t syllable = SyllableBreakBefore(t, end);
    if (syllable >= end / 2 && MeasureText(gFontSmall, t.substr(syllable), size) <= room) end = next = syllable;
  }
}

RowLabelLines SplitRowLabel(const std::string& translated, float labelColumnWidth, float scale, float cellH) {
  ScopedTrSuppress already;
  const float size = (float)ComputeFontSizes(scale).small, room = RowLabelRoom(labelColumnWidth, scale);
  if (MeasureText(gFontSmall, translated, size) <= room) return {translated, ""};
  if (cellH < RowLabelLineGap(scale) + 1.05f * size) return {CutRowLabel(translated, labelColumnWidth, scale), ""};
  size_t end = 0, next = 0;
  FindRowLabelBreak(translated, size, room, end, next);
  if (!end) return {CutRowLabel(translated, labelColumnWidth, scale), ""};
  std::string first = translated.substr(0, end);
  // A word cut in two in a script that hyphenates (Latin, Greek, Cyrillic) says so: "Фригийс" over
  // "кий" read as two words. The hyphen takes less room than the cut mark the break left room for.
  if (next == end && CutEndsInHyphenatedLetter(first)) first += '-';
  return {first, CutRowLabel(translated.substr(next), labelColumnWidth, scale)};
}

float RowLabelLineGap(float scale) { return 1.08f * (float)ComputeFontSizes(scale).small; }

float RowLabelBaseline(float rowY, float cellH, float scale, int line, int lineCount) {
  if (lineCount < 2) return rowY + 0.62f * cellH;
  // The pair is centred as the one line is: its middle where a lone line's middle would be.
  const float gap = RowLabelLineGap(scale);
  return rowY + 0.62f * cellH + ((float)line - 0.5f) * gap;
}

float RowLabelInset(float scale) { return std::max(8.0f * scale, 6.0f); }

float RowLabelRoom(float labelColumnWidth, float scale) {
  return std::max(labelColumnWidth - RowLabelInset(scale) - std::max(6.0f * scale, 4.0f), 16.0f);
}

int GridRowCount(bool listMode, int visibleCount, float frac) {
  return (listMode && visibleCount > 7 && frac > 0.001f) ? 8 : 7;
}

float GoldEmptyShare(float secondsSinceEarned) {
  float k = Clamp01(secondsSinceEarned / kGoldFillSeconds);
  return 1.0f - (3.0f - 2.0f * k) * k * k;
}

float GoldSurfaceY(float cellY, float cellH, float secondsSinceEarned) {
  return ClampFloat(cellY + GoldEmptyShare(secondsSinceEarned) * cellH, cellY + 1.0f, cellY + cellH - 1.0f);
}

GridClip ComputeGridClip(const BoardLayout& b, int clientW, int clientH) {
  const int W = std::max(clientW, 1), H = std::max(clientH, 1);
  float m = std::max(std::max(5.0f * b.scale, 4.0f) + b.keyRowHeight, 8.0f);
  // The corner is brought into the window first, so every range below is non-empty.
  int x0 = ClampInt(std::max((int)std::floor(b.contentX - 1.0f), 0), 0, W - 1);
  int y0 = ClampInt(std::max((int)std::floor(b.gridY - m), 0), 0, H - 1);
  int w = std::max((int)std::ceil(b.labelColumnWidth + b.gridW + 2.0f), 1);
  int h = std::max((int)std::ceil(m + b.gridH), 1);
  h = ClampInt(h, 1, H);
  w = ClampInt(w, 1, W - x0);
  int bottom = ClampInt(H - y0 - h, 0, H - 1);
  return {x0, bottom, w, h};
}

void DrawScaleGrid(const BoardViewFrame& f) {
  const BoardLayout& b = f.layout;
  DrawStripPanel(b);
  DrawHeaderTexts(f);
  DrawPracticeHud(f.now, b, f.frac, f.rowPitch);
  if (f.bandOn && f.currentSlot >= 0 && f.currentSlot <= 6 && f.keyRingPos >= 0 && f.keyRingPos <= 11) {
    SetGlColor(0.95f, 0.95f, 1.0f, 0.05f);
    TintColumn(f, f.keyRingPos);
  }

  GLboolean scissorWas = glIsEnabled(GL_SCISSOR_TEST);
  GLint boxWas[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_SCISSOR_BOX, boxWas);
  GridClip clip = ComputeGridClip(b, gClientWidth, gClientHeight);
  glEnable(GL_SCISSOR_TEST);
  glScissor(clip.x, clip.y, clip.w, clip.h);

  DrawRowAndColumnTints(f);
  DrawSelection(f, false);
  DrawKeyLabels(f);
  DrawRows(f);
  DrawSelection(f, true);
  DrawPracticeRegion(f.now, b, f.frac, f.rowPitch);

  glScissor(boxWas[0], boxWas[1], boxWas[2], boxWas[3]);
  if (!scissorWas) glDisable(GL_SCISSOR_TEST);
}

void DrawGridCover(const BoardViewFrame& f) {
  const BoardLayout& b = f.layout;
  SetGlColor(0.03f, 0.05f, 0.09f, 0.95f * f.laneFade);
  FillRoundedRect(b.stripX - 1.0f, b.stripY - 1.0f, b.stripW + 2.0f, b.stripH + 2.0f, 12.0f, 12);
}
