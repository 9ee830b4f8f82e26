// learning_ui/card_text: byte and width fitting of the learning screens' texts.
#include "learning_ui/card_text.h"

#include <algorithm>
#include <vector>

#include "gfx/label_fit.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"

// ---- internal helpers ----
static bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

static size_t BackToCharStart(const std::string& text, size_t at) {
  while (at > 0 && at < text.size() && IsContinuationByte((unsigned char)text[at])) --at;
  return at;
}

static bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Fits already translated text; at least its first character stays before the "...".
static std::string ElideShown(UiFont font, const std::string& shown, float maxWidth, float size) {
  if (maxWidth <= 0.0f || ShownWidth(font, shown, size) <= maxWidth) return shown;
  std::string fitted;
  {
    ScopedTrSuppress suppress;
    fitted = FitTextToWidth(font, shown, size, maxWidth);
  }
  if (fitted.size() > 3 || shown.empty()) return fitted;
  size_t first = 1;
  while (first < shown.size() && IsContinuationByte((unsigned char)shown[first])) ++first;
  return shown.substr(0, first) + "...";
}

static bool IsEastAsian(const std::string& text) {
  if (text.size() < 3) return false;
  for (unsigned char c : text)
    if (c >= 0xE3 && c <= 0xE9) return true;
  return false;
}

// line1 without trailing blanks and line2 the rest after the blanks at the split, fitted.
static void SplitAt(UiFont font, const std::string& shown, size_t split, float maxWidth, float size,
                    std::string* line1, std::string* line2) {
  size_t end = split;
  while (end > 0 && shown[end - 1] == ' ') --end;
  size_t rest = split;
  while (rest < shown.size() && shown[rest] == ' ') ++rest;
  *line1 = shown.substr(0, end);
  *line2 = ElideShown(font, shown.substr(rest), maxWidth, size);
}

// ---- public functions ----
float ShownWidth(UiFont font, const std::string& shown, float size) {
  ScopedTrSuppress suppress;
  return MeasureText(font, shown, size);
}

void DrawShown(UiFont font, float x, float y, const std::string& shown, float r, float g, float b, float a,
               float maxWidth) {
  ScopedTrSuppress suppress;
  if (maxWidth <= 0.0f) return DrawTextUtf8(font, x, y, shown, r, g, b, a);
  // One line whose middle puts the text's baseline at y (too low for a second line).
  const float size = FontPixelSize(font);
  DrawTextFitted(font, x, x + maxWidth, RectF{x, y - 1.11f * size, maxWidth, 1.5f * size}, shown, r, g, b, a);
}

std::string ClipUtf8Bytes(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  if (maxBytes < 4) return text.substr(0, BackToCharStart(text, maxBytes));
  return text.substr(0, BackToCharStart(text, maxBytes - 3)) + "...";
}

std::string ElideTextToWidth(UiFont font, const std::string& text, float maxWidth, float fallbackSize) {
  return ElideShown(font, Tr(text), maxWidth, fallbackSize);
}

void SplitTwoLines(UiFont font, const std::string& text, float maxWidth, float fallbackSize, std::string* line1,
                   std::string* line2) {
  std::string shown = Tr(text);
  *line1 = shown;
  line2->clear();
  if (maxWidth <= 0.0f || ShownWidth(font, shown, fallbackSize) <= maxWidth) return;

  if (IsEastAsian(shown)) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < shown.size(); ++i)
      if (!IsContinuationByte((unsigned char)shown[i])) starts.push_back(i);
    starts.push_back(shown.size());
    // The most characters whose prefix fits.
    size_t lo = 0, hi = starts.size() - 1;
    while (lo < hi) {
      size_t mid = (lo + hi + 1) / 2;
      if (ShownWidth(font, shown.substr(0, starts[mid]), fallbackSize) <= maxWidth)
        lo = mid;
      else
        hi = mid - 1;
    }
    size_t k = lo;
    while (k > 0 && (StartsWithNoLineStartMark(shown, starts[k]) ||
                     (IsAsciiAlnum((unsigned char)shown[starts[k]]) && IsAsciiAlnum((unsigned char)shown[starts[k] - 1]))))
      --k;
    if (k > 0) {
      SplitAt(font, shown, starts[k], maxWidth, fallbackSize, line1, line2);
      return;
    }
  }

  size_t split = std::string::npos;
  for (size_t i = shown.find(' '); i != std::string::npos; i = shown.find(' ', i + 1)) {
    if (ShownWidth(font, shown.substr(0, i), fallbackSize) > maxWidth) break;
    split = i;
  }
  if (split != std::string::npos && split > 0) {
    *line1 = shown.substr(0, split);
    *line2 = ElideShown(font, shown.substr(split + 1), maxWidth, fallbackSize);
    return;
  }
  *line1 = ElideShown(font, shown, maxWidth, fallbackSize);
}

// A part of a line that only separates its neighbours ("-", an en or em dash, a middle dot).
static bool IsSeparatorPart(const std::string& part) {
  static const char* const kSeparators[] = {"-", "\xE2\x80\x93", "\xE2\x80\x94", "\xC2\xB7", "|"};
  for (const char* s : kSeparators)
    if (part == s) return true;
  return false;
}

void SplitTwoLinesAtGaps(UiFont font, const std::string& text, float maxWidth, float fallbackSize, std::string* line1,
                         std::string* line2) {
  const std::string shown = Tr(text);
  *line1 = shown;
  line2->clear();
  if (maxWidth <= 0.0f || ShownWidth(font, shown, fallbackSize) <= maxWidth) return;
  struct Gap {
    size_t begin, end;   // the run of blanks
  };
  std::vector<Gap> gaps;
  size_t widest = 0;
  for (size_t i = 0; i < shown.size();) {
    if (shown[i] != ' ') {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < shown.size() && shown[j] == ' ') ++j;
    if (j - i >= 2) gaps.push_back({i, j});
    widest = std::max(widest, j - i);
    i = j;
  }
  // The widest gaps part the line's main pieces; among them the last whose first line fits.
  for (size_t width = widest; width >= 2; --width)
    for (size_t k = gaps.size(); k-- > 0;) {
      if (gaps[k].end - gaps[k].begin != width) continue;
      size_t end = gaps[k].begin, rest = gaps[k].end;
      if (k > 0 && IsSeparatorPart(shown.substr(gaps[k - 1].end, end - gaps[k - 1].end))) end = gaps[k - 1].begin;
      if (k + 1 < gaps.size() && IsSeparatorPart(shown.substr(rest, gaps[k + 1].begin - rest))) rest = gaps[k + 1].end;
      if (end == 0 || ShownWidth(font, shown.substr(0, end), fallbackSize) > maxWidth) continue;
      *line1 = shown.substr(0, end);
      *line2 = ElideShown(font, shown.substr(rest), maxWidth, fallbackSize);
      return;
    }
  // Else after the last comma or semicolon that lets the first line fit, so a figure keeps its word.
  for (size_t at = shown.size(); at-- > 1;) {
    const bool comma = shown.compare(at - 1, 2, ", ") == 0 || shown.compare(at - 1, 2, "; ") == 0 ||
                       (at >= 2 && shown.compare(at - 2, 3, "\xD8\x8C ") == 0);   // the Arabic comma
    if (!comma || ShownWidth(font, shown.substr(0, at), fallbackSize) > maxWidth) continue;
    SplitAt(font, shown, at, maxWidth, fallbackSize, line1, line2);
    return;
  }
  ScopedTrSuppress suppress;   // shown is translated already
  SplitTwoLines(font, shown, maxWidth, fallbackSize, line1, line2);
}
