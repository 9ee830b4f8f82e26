// gfx/label_fit: shrink, then wrap, then cut.
#include "gfx/label_fit.h"

#include <algorithm>

#include "gfx/translate.h"

// ---- internal helpers ----
namespace {

float Width(UiFont font, const std::string& translated, float size) {
  ScopedTrSuppress untranslated;
  return MeasureText(font, translated, size);
}

}  // namespace

// ---- public functions ----
float LabelMargin(float uiScale) { return std::max(6.0f * uiScale, 4.0f); }

LabelFit FitLabel(UiFont font, const std::string& text, float size, float room, float roomHeight) {
  LabelFit fit;
  std::string t = Tr(text);
  float w = Width(font, t, size);
  fit.lines = {t};
  if (w <= room || room <= 0.0f) {
    fit.widest = w;
    return fit;
  }
  if (room / w >= kMinLabelScale) {
    fit.scale = room / w;
    fit.widest = room;
    return fit;
  }
  // Two lines, split at the blank that balances them best, when both fit the height.
  float lineHeight = 1.15f * size;
  float best = 0.0f;
  size_t bestAt = std::string::npos;
  for (size_t at = t.find(' '); at != std::string::npos; at = t.find(' ', at + 1)) {
    float widest = std::max(Width(font, t.substr(0, at), size), Width(font, t.substr(at + 1), size));
    float scale = std::min({1.0f, room / std::max(widest, 1.0f), roomHeight / (2.0f * lineHeight)});
    if (scale > best) best = scale, bestAt = at;
  }
  if (bestAt != std::string::npos && best >= kMinLabelScale) {
    fit.scale = best;
    fit.lines = {t.substr(0, bestAt), t.substr(bestAt + 1)};
    fit.widest = best * std::max(Width(font, fit.lines[0], size), Width(font, fit.lines[1], size));
    return fit;
  }
  fit.scale = kMinLabelScale;
  {
    ScopedTrSuppress untranslated;  // already translated: cut it as it is shown
    fit.lines = {FitTextToWidth(font, t, size, room / kMinLabelScale)};
  }
  fit.widest = kMinLabelScale * Width(font, fit.lines[0], size);
  return fit;
}
