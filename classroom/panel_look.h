// classroom/panel_look: the look the three classroom panels share with the learning screen: a dark
// rounded panel with a gold title, pill buttons (plain, gold, red), a close cross, a text entry with
// its caret, and text cut to a width or broken over lines. Colours pass through the global draw alpha; GL
// state that a helper changes is restored before it returns.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "gfx/text.h"

enum PillStyle { kPillPlain = 0, kPillGold = 1, kPillRed = 2 };

// The weekdays over a month's grid, Sunday first. Short names rather than initials: "T" cannot say
// whether it is Tuesday or Thursday, so no language could be given its own initials for it.
inline constexpr const char* kWeekdayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// The panel body, its outline and the title in the header band.
void DrawClassroomPanel(const RectF& panel, const RectF& header, const std::string& title, float scale);
// A pill button with its label (translated unless verbatim); a disabled one is dimmed.
void DrawClassroomPill(const RectF& r, const std::string& label, int style, bool enabled, bool verbatim = false);
// The close cross in its square.
void DrawCloseCross(const RectF& r);
// A one-line entry: the text (or dots for a secret) cut from the left to fit, the caret at its end
// while active, and a dim hint when empty and inactive.
void DrawEntryBox(const RectF& r, const std::string& text, bool active, bool secret, const std::string& hint);
// Text that is not to be translated (names, codes, server texts), cut with "..." to maxWidth.
void DrawVerbatim(UiFont font, float x, float y, const std::string& text, float maxWidth, float r, float g, float b,
                  float a);
// Verbatim text over at most maxLines lines lineHeight apart, broken at spaces (the last line cut
// with "..." when text is left); the number of lines drawn.
int DrawVerbatimLines(UiFont font, float x, float y, const std::string& text, float maxWidth, float lineHeight,
                      int maxLines, float r, float g, float b, float a);
// A translated label cut to maxWidth.
void DrawLabel(UiFont font, float x, float y, const std::string& text, float maxWidth, float r, float g, float b,
               float a);
// The baseline that centres a font's text vertically in a box.
float BaselineIn(UiFont font, const RectF& box);
// The colour of an attendance mark: P green, L amber, A red, E blue.
void MarkColour(char mark, float* r, float* g, float* b);
