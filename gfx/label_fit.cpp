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

// Where a text without blanks may break: before a character of the CJK blocks (a three-byte UTF-8
// sequence from U+3000 on), unless that character is a closing mark that may not start a line.
bool IsCjkBreakBefore(const std::string& t, size_t at) {
  if (at == 0 || at >= t.size()) return false;
  const unsigned char lead = (unsigned char)t[at];
  if (lead < 0xE3 || lead > 0xED || at + 2 >= t.size()) return false;
  return !StartsWithNoLineStartMark(t, at);
}

}  // namespace

// ---- public functions ----
bool StartsWithNoLineStartMark(const std::string& text, size_t at) {
  // A line that began with a small kana ("ィアン") would split one sound in two.
  static const char* const kNoLineStart[] = {
      "\u3002", "\u3001", "\uff09", "\u300d", "\u300f", "\uff01", "\uff1f", "\uff0c", "\uff1a", "\u30fc", "\u30fb",
      "\u3041", "\u3043", "\u3045", "\u3047", "\u3049", "\u3063", "\u3083", "\u3085", "\u3087", "\u308e",
      "\u30a1", "\u30a3", "\u30a5", "\u30a7", "\u30a9", "\u30c3", "\u30e3", "\u30e5", "\u30e7", "\u30ee",
      "\u30f5", "\u30f6", ")", ".", ",", "!", "?", ":", "%"};
  if (at >= text.size()) return false;
  for (const char* mark : kNoLineStart)
    if (text.compare(at, std::char_traits<char>::length(mark), mark) == 0) return true;
  return false;
}

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
  // Japanese and Chinese write no blanks: a sentence breaks between two of their characters.
  bool blankBreak = bestAt != std::string::npos;
  if (!blankBreak)
    for (size_t at = 1; at < t.size(); ++at) {
      if (!IsCjkBreakBefore(t, at)) continue;
      float widest = std::max(Width(font, t.substr(0, at), size), Width(font, t.substr(at), size));
      float scale = std::min({1.0f, room / std::max(widest, 1.0f), roomHeight / (2.0f * lineHeight)});
      if (scale > best) best = scale, bestAt = at;
    }
  if (bestAt != std::string::npos && best >= kMinLabelScale) {
    fit.scale = best;
    fit.lines = {t.substr(0, bestAt), t.substr(bestAt + (blankBreak ? 1 : 0))};
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
