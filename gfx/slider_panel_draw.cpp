// gfx/slider_panel_draw: the settings panel: a title, and per slider its label and value above the
// track and its two hints below, at the ends they describe (cut short where they would meet).
#include <algorithm>
#include <cstdio>

#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"

void DrawSliderPanel() {
  if (!gSliderPanelOpen || !(gSliderPanelRect.w > 1.0f)) return;
  float s = GetUiScale();
  DrawPanelBox(gSliderPanelRect, 1.0f);
  float side = std::max(22.0f * s, 18.0f);
  RectF title{gSliderPanelRect.x + side, gSliderPanelRect.y + std::max(20.0f * s, 16.0f), gSliderPanelRect.w,
              std::max(28.0f * s, 24.0f)};
  DrawTextMiddle(gFontMain, title.x, title, "Smoke Settings", kControlText[0], kControlText[1], kControlText[2], 1.0f);

  float inset = std::max(11.0f * s, 10.0f), small = FontPixelSize(gFontSmall), gap = std::max(12.0f * s, 8.0f);
  // The hints are measured as they are shown, already in the UI language.
  const ShownTextWidth shownWidth = [small](const std::string& t) {
    ScopedTrSuppress shown;
    return MeasureText(gFontSmall, t, small);
  };
  for (int i = 0; i < kSmokeSliderCount; ++i) {
    const RectF& r = gSliderRects[i];
    const SmokeSliderRow& row = kSmokeSliders[i];
    float value = GetSliderValue(i);
    bool hot = gDraggedSlider == i || IsMouseInRect(&r);
    RectF labelLine{r.x, r.y, r.w, small + 4.0f};
    DrawTextMiddle(gFontSmall, r.x + inset, labelLine, row.label, 0.9f, 0.93f, 0.97f, 1.0f);
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", value);
    float nw = MeasureText(gFontSmall, number, small);
    DrawTextMiddle(gFontSmall, r.x + r.w - inset - nw, labelLine, number, 0.62f, 0.8f, 1.0f, 1.0f);
    float fraction = (value - row.min) / (row.max - row.min);
    DrawSliderTrack(r, inset, fraction, hot ? 0.45f : 0.32f, hot ? 0.7f : 0.56f, 0.95f);
    RectF hintLine{r.x, r.y + r.h - small - 4.0f, r.w, small + 4.0f};
    const SliderHintTexts hints = FitSliderHints(Tr(row.lowHint), Tr(row.highHint), r.w - 2.0f * inset, gap, shownWidth);
    ScopedTrSuppress shown;
    DrawTextMiddle(gFontSmall, r.x + inset, hintLine, hints.low, 0.6f, 0.65f, 0.74f, 1.0f);
    DrawTextMiddle(gFontSmall, r.x + r.w - inset - shownWidth(hints.high), hintLine, hints.high, 0.6f, 0.65f, 0.74f,
                   1.0f);
  }
}
