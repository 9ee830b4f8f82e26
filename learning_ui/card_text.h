// learning_ui/card_text: fitting the learning screens' texts into their room: a cut by bytes, a
// cut by width with "...", and a title wrapped onto two lines.
//
// The width fitters work on the text as it will be shown, already translated: cutting the English
// and translating the remainder would give another text, or one that overflows. Their results are
// translated, so callers draw them with translation suppressed (ScopedTrSuppress).
#pragma once
#include <cstddef>
#include <string>

#include "gfx/text.h"

// The width of a text that is translated (or fitted) already.
float ShownWidth(UiFont font, const std::string& shown, float size);
// Draws a text that is translated (or fitted) already, as it is, from (x, baseline); one wider than
// maxWidth (when given) is made smaller before it is cut, so that a long date keeps its day.
void DrawShown(UiFont font, float x, float y, const std::string& shown, float r, float g, float b, float a,
               float maxWidth = 0.0f);
// At most maxBytes bytes, never splitting a UTF-8 character; from 4 bytes up a cut text ends with
// "..." within the limit.
std::string ClipUtf8Bytes(const std::string& text, size_t maxBytes);
// The translated text, or its longest prefix (at least one character) plus "..." that fits.
std::string ElideTextToWidth(UiFont font, const std::string& text, float maxWidth, float fallbackSize);
// The translated text on one line, or on two: at a blank (or, in East-Asian text, between
// characters but never before a closing mark), the second line fitted with "...".
void SplitTwoLines(UiFont font, const std::string& text, float maxWidth, float fallbackSize, std::string* line1,
                   std::string* line2);
// The same for a line of figures whose parts stand apart by runs of blanks ("Mastery 40%   -   1/2
// days"): broken at the widest such gap that lets the first line fit (the last of them), a
// part that is only a dash dropped at the break; without such a gap after a comma or semicolon,
// else as SplitTwoLines.
void SplitTwoLinesAtGaps(UiFont font, const std::string& text, float maxWidth, float fallbackSize, std::string* line1,
                         std::string* line2);
