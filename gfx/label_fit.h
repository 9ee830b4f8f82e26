// gfx/label_fit: how a label is fitted into its box in any language: at its size when it fits with
// a margin on both sides, else a little smaller, else on two lines where the box is tall enough,
// and only then cut with "...". Works on the translated text; needs the fonts (a GL context) to
// measure, but draws nothing.
#pragma once
#include <string>
#include <vector>

#include "gfx/text.h"

// The smallest scale a label is shrunk to before it wraps or is cut: smaller stops being legible.
inline constexpr float kMinLabelScale = 0.78f;

struct LabelFit {
  float scale = 1.0f;              // of the font's size
  std::vector<std::string> lines;  // translated: draw with translation suppressed
  float widest = 0.0f;             // widest line at that scale, in pixels
};

// A mark that may not begin a line of East-Asian text starts at byte `at` of text: a closing
// mark, the prolonged-sound mark, a small kana, or a closing ASCII sign.
bool StartsWithNoLineStartMark(const std::string& text, size_t at);
// The margin left on each side of a label in a box of that width (UI-scaled).
float LabelMargin(float uiScale);
// Fits the (English) label into room x roomHeight pixels for a font of that size.
LabelFit FitLabel(UiFont font, const std::string& text, float size, float room, float roomHeight);
