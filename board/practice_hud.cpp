// board/practice_hud: the practice run's HUD and region overlay.
//
// The run button's rectangle is worked out afresh by every HUD frame and every press, so the
// button stands where this frame draws it even when the strip grew since the last layout.
#include "board/practice_hud.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/shapes.h"
#include "board/practice_run_mouse.h"
#include "gfx/draw_alpha.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "platform/clock.h"
#include "practice/practice_records.h"
#include "practice/practice_run_input.h"
#include "theory/scale_selection.h"

// ---- internal helpers ----
static bool ToolbarHostsRunButton() { return gToolbarRects[6].w > 2.0f; }

static void DrawRunButton(const RectF& r, float s, float p, bool active, bool hovered) {
  const PracticeStudent& st = gPracticeStudent;
  if (active) {
    SetGlColor(0.3f * st.r + 0.05f, 0.3f * st.g + 0.05f, 0.3f * st.b + 0.05f, 0.86f + 0.05f * p);
  } else {
    SetGlColor(0.16f * st.r + 0.03f, 0.16f * st.g + 0.03f, 0.16f * st.b + 0.03f,
               hovered ? 0.82f : 0.72f);
  }
  FillRoundedRect(r.x, r.y, r.w, r.h, std::max(4.0f * s, 3.0f), 8);
  if (active) {
    SetGlColor(st.r, st.g, st.b, 0.1f + 0.05f * p);
    FillRoundedRect(r.x + 1.0f, r.y + 1.0f, r.w - 2.0f, r.h - 2.0f, std::max(3.0f * s, 2.0f), 8);
    SetGlColor(st.r, st.g, st.b, 0.54f);
  } else {
    SetGlColor(1.0f, 1.0f, 1.0f, hovered ? 0.38f : 0.24f);
  }
  StrokeRoundedRect(r.x + 0.5f, r.y + 0.5f, r.w - 1.0f, r.h - 1.0f, std::max(4.0f * s, 3.0f), 8);
  const std::string label = "PRACTICE RUN";
  float width = MeasureText(gFontSmall, label, std::max(8.5f * s, 7.0f));
  float tx = r.x + std::max((r.w - width) / 2.0f, 0.0f), ty = r.y + 0.67f * r.h + std::max(2.0f * s, 1.5f);
  DrawTextUtf8(gFontSmall, tx + 0.7f, ty + 0.7f, label, 0.03f, 0.05f, 0.03f, 0.55f);
  if (active)
    DrawTextUtf8(gFontSmall, tx, ty, label, st.r, st.g, st.b, 0.95f);
  else
    DrawTextUtf8(gFontSmall, tx, ty, label, 0.9f, 0.92f, 0.95f, 0.9f);
}

// Left edge of the timer pill, which stands at the right of the strip in the armed, running and
// complete states.
static float TimerPillX(const BoardLayout& b) {
  const float s = b.scale;
  return b.stripX + b.stripW - std::max(78.0f * s, 64.0f) - std::max(12.0f * s, 10.0f);
}

// A HUD line (already translated) from x with its shadow, made smaller and then cut so that it
// ends within room: a longer language must not run under the timer pill or out of the strip.
static void DrawHudLine(float x, float y, float room, const std::string& text, float shadowAlpha, float r, float g,
                        float b, float a) {
  ScopedTrSuppress already;
  LabelFit fit = FitLabel(gFontSmall, text, FontPixelSize(gFontSmall), room, 0.0f);
  const std::string& shown = fit.lines.empty() ? text : fit.lines[0];
  if (fit.scale >= 1.0f) {  // drawn on the pixel grid as before, where it fits
    DrawTextUtf8(gFontSmall, x + 0.7f, y + 0.7f, shown, 0.02f, 0.03f, 0.02f, shadowAlpha);
    DrawTextUtf8(gFontSmall, x, y, shown, r, g, b, a);
    return;
  }
  DrawTextScaled(gFontSmall, x + 0.7f, y + 0.7f, fit.scale, shown, 0.02f, 0.03f, 0.02f, shadowAlpha);
  DrawTextScaled(gFontSmall, x, y, fit.scale, shown, r, g, b, a);
}

static void DrawTimerPill(const BoardLayout& b) {
  const float s = b.scale;
  const PracticeStudent& st = gPracticeStudent;
  std::string text = FormatRunTime(PracticeRunElapsedMs(gPracticeState, gPracticeRunData, ClockMs32()));
  float pw = std::max(78.0f * s, 64.0f), ph = std::max(20.0f * s, 17.0f);
  float px = TimerPillX(b);
  float py = b.hudHeight > 0.1f ? b.gridY + b.gridH + std::max(6.0f * s, 4.0f) + (b.hudHeight - ph) / 2.0f
                                : b.stripY + b.stripH - ph - std::max(7.0f * s, 6.0f);
  SetGlColor(0.03f, 0.05f, 0.08f, 0.72f);
  FillRoundedRect(px, py, pw, ph, 0.48f * ph, 8);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.12f);
  StrokeRoundedRect(px + 0.5f, py + 0.5f, pw - 1.0f, ph - 1.0f, 0.48f * ph, 8);
  SetGlColor(st.r, st.g, st.b, 0.14f);
  StrokeRoundedRect(px + 1.5f, py + 1.5f, pw - 3.0f, ph - 3.0f, std::max(0.42f * ph, 2.0f), 8);
  float tx = px + std::max(10.0f * s, 8.0f), ty = py + 0.68f * ph;
  DrawTextUtf8(gFontSmall, tx + 0.7f, ty + 0.7f, text, 0.02f, 0.03f, 0.03f, 0.58f);
  DrawTextUtf8(gFontSmall, tx, ty, text, 0.94f, 0.97f, 1.0f, 0.95f);
}

// The window slot a region row is drawn at, -1 when it is not shown.
static int SlotOfRegionRow(int row) {
  if (gScaleListMode) {
    if (row < 0 || row >= (int)gScaleCatalogue.size()) return -1;
    return ScaleWindowSlotOf(gScaleCatalogue[row]);
  }
  return (row >= 0 && row <= 6 && ScaleWindowItemScale(row)) ? row : -1;
}

// The cell rectangle of a slot and column; false when the row lies wholly outside the grid.
static bool RegionCellRect(const BoardLayout& b, float frac, float pitch, int slot, int col, RectF* out) {
  if (slot < 0 || slot > 6 || col < 0 || col > 11 || !ScaleWindowItemScale(slot)) return false;
  float y = ((float)slot - frac) * pitch + b.gridY;
  if (y + b.cellH < b.gridY || y > b.gridY + b.gridH) return false;
  *out = {(float)col * (b.cellW + b.cellGap) + b.gridX, y, b.cellW, b.cellH};
  return true;
}

// ---- public functions ----
std::string PracticeHudStatusText(int state, int currentStep, int stepCount, bool heldBySong) {
  // The prompt and the step count would promise what no note can do while a song is loaded.
  if (heldBySong && (state == kPracticeArmed || state == kPracticeRunning))
    return Tr("Close the song (×) to practise");
  switch (state) {
    case kPracticeChoosing: return Tr("Drag to select a practice region");
    case kPracticeArmed: return Tr("Press any key / play any note to begin");
    case kPracticeRunning:
      return TrF("Practice Run %d/%d", std::min(std::max(currentStep, 0), stepCount) + 1, std::max(stepCount, 1));
    case kPracticeComplete: return Tr("Run complete");
    default: return "";
  }
}

bool PracticeRecordLine(std::string* out) {
  if (!gPracticeRunData.regionValid || !gPracticeRunsLoaded) return false;
  std::string key = BuildRegionKey();
  if (key.empty()) return false;
  // The record a finished run updates, so that what is shown is what was kept.
  const PracticeRun* found = FindPracticeRun(GetActiveStudentId(), key);
  if (!found) {
    *out = Tr("You  no recorded run for this region");
    return true;
  }
  *out = TrF("You  best %s  last %s  x%d", FormatRunTime(found->bestMs).c_str(), FormatRunTime(found->lastMs).c_str(),
             std::max(found->runs, 0));
  return true;
}

uint32_t PracticeRunElapsedMs(int state, const PracticeRunData& run, uint32_t nowMs) {
  if (state == kPracticeRunning) {
    // Signed differences: the millisecond clock wraps, and a run may straddle the wrap.
    if (run.runStartMs == 0 || (int32_t)(nowMs - run.runStartMs) < 0) return 0;
    return nowMs - run.runStartMs;
  }
  if (state == kPracticeComplete) {
    if (run.runStartMs == 0 || (int32_t)(run.runEndMs - run.runStartMs) < 0) return 0;
    return run.runEndMs - run.runStartMs;
  }
  return 0;
}

void DrawPracticeHud(double time, const BoardLayout& b, float, float) {
  RefreshPracticeStudent();
  if (gPracticeMode || gLearningOverlay) return;
  const RectF button = GetPracticeRunButtonRect();
  const float s = b.scale;
  const float p = 0.5f * std::sin(3.2f * time) + 0.5f;
  const bool active = gPracticeState != kPracticeOff;
  if (!ToolbarHostsRunButton()) DrawRunButton(button, s, p, active, IsMouseInRect(&button));
  if (!active) return;

  const PracticeRunData& run = gPracticeRunData;
  const bool held = PracticeRunHeldBySong();
  std::string status = PracticeHudStatusText(gPracticeState, run.currentStep, (int)run.steps.size(), held);
  std::string record;
  bool recordShown = PracticeRecordLine(&record);
  float x = b.stripX + std::max(12.0f * s, 10.0f);
  // At least the small font's own line: the text is drawn larger than the fixed gap allows for,
  // and the record line's capitals would run into the status line's descenders.
  float lg = std::max(std::max(13.0f * s, 11.0f) + std::max(1.15f * s, 1.0f), 1.2f * FontPixelSize(gFontSmall));
  float yb = b.stripY + b.stripH - std::max(7.0f * s, 5.0f) - (recordShown ? lg : 0.0f);
  float y = b.hudHeight > 0.1f ? std::min(b.gridY + b.gridH + std::max(6.0f * s, 4.0f) + 0.38f * b.hudHeight, yb) : yb;
  // Both lines end before the timer pill where it stands, else before the strip's right margin.
  const bool pill = gPracticeState >= kPracticeArmed;
  float right = pill ? TimerPillX(b) - std::max(6.0f * s, 5.0f) : b.stripX + b.stripW - std::max(12.0f * s, 10.0f);
  float room = std::max(right - x, 1.0f);
  // A held run's line is amber, so that it reads as the way out rather than as progress.
  if (held)
    DrawHudLine(x, y, room, status, 0.55f, 1.0f, 0.76f, 0.36f, 0.95f);
  else
    DrawHudLine(x, y, room, status, 0.55f, 0.84f, 0.92f, 0.88f, 0.9f);
  if (recordShown) DrawHudLine(x, y + lg, room, record, 0.48f, 0.74f, 0.82f, 0.92f, 0.86f);
  if (pill) DrawTimerPill(b);
}

void DrawPracticeRegion(double time, const BoardLayout& b, float frac, float pitch) {
  if (gPracticeState == kPracticeOff) return;
  const PracticeRunData& run = gPracticeRunData;
  const PracticeStudent& st = gPracticeStudent;
  RectF cell;
  if (gPracticeState == kPracticeChoosing && run.dragging && run.anchorRow >= 0 && run.anchorCol >= 0 &&
      run.cursorRow >= 0 && run.cursorCol >= 0) {
    int c0 = std::max(std::min(run.anchorCol, run.cursorCol), 0), c1 = std::min(std::max(run.anchorCol, run.cursorCol), 11);
    for (int row = std::min(run.anchorRow, run.cursorRow); row <= std::max(run.anchorRow, run.cursorRow); ++row)
      for (int c = c0; c <= c1; ++c)
        if (RegionCellRect(b, frac, pitch, SlotOfRegionRow(row), c, &cell))
          DrawRegionCell(cell.x, cell.y, cell.w, cell.h, st.r, st.g, st.b, 0.1f, 0.34f);
  }
  if (run.regionValid && gPracticeState >= kPracticeArmed) {
    float fill = gPracticeState == kPracticeComplete ? 0.02f : 0.06f;
    for (const PracticeStep& step : run.steps)
      if (RegionCellRect(b, frac, pitch, ScaleWindowSlotOf(step.scale), step.column, &cell))
        DrawRegionCell(cell.x, cell.y, cell.w, cell.h, st.r, st.g, st.b, fill, 0.22f);
  }
  if (gPracticeState == kPracticeRunning && run.currentStep >= 0 && run.currentStep < (int)run.steps.size()) {
    const PracticeStep& step = run.steps[run.currentStep];
    if (RegionCellRect(b, frac, pitch, ScaleWindowSlotOf(step.scale), step.column, &cell)) {
      float q = 0.5f * std::sin(5.6f * time) + 0.5f;
      DrawRegionCell(cell.x, cell.y, cell.w, cell.h, st.r, st.g, st.b, 0.06f + 0.04f * q, 0.56f + 0.18f * q);
      float grow = 1.2f + 1.7f * q;
      SetGlColor(st.r, st.g, st.b, 0.22f + 0.12f * q);
      StrokeRect(cell.x - grow, cell.y - grow, cell.w + 2.0f * grow, cell.h + 2.0f * grow);
    }
  }
}

void DrawRegionCell(float x, float y, float w, float h, float r, float g, float b, float fillAlpha,
                    float outlineAlpha) {
  if (fillAlpha > 0.001f) {
    SetGlColor(r, g, b, fillAlpha);
    FillRect(x, y, w, h);
  }
  if (outlineAlpha > 0.001f) {
    SetGlColor(r, g, b, outlineAlpha);
    StrokeRect(x + 0.5f, y + 0.5f, w - 1.0f, h - 1.0f);
  }
}
