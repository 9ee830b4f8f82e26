// gfx/widgets_draw: the few looks every small control of the main window shares: a panel box, a
// button with its label or icon, a horizontal slider track with its knob, a list's scroll strip,
// and text placed in a box.
// Colours pass through the global draw alpha; nothing here changes GL state it does not restore.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "gfx/text.h"

// How a button shows its state.
struct ButtonLook {
  bool active = false;    // its option is on
  bool hovered = false;   // the mouse is over it
  bool danger = false;    // a destructive action armed
};

// The look of a plain button at r: hovered while the mouse is over it.
ButtonLook ButtonLookAt(const RectF& r, bool active);

// The text colour of the controls.
inline constexpr float kControlText[3] = {0.92f, 0.94f, 0.97f};

// A rounded panel with its outline.
void DrawPanelBox(const RectF& r, float alpha);
// A rounded button face and outline, and the label centred on it (none for "").
void DrawButton(const RectF& r, const std::string& label, const ButtonLook& look);
// A track across r at its vertical centre, filled up to fraction, with a round knob there.
void DrawSliderTrack(const RectF& r, float inset, float fraction, float red, float green, float blue);
// A thin upright scroll strip centred on x from top to bottom, its thumb thumbH high at fraction
// 0..1 of the way down; twice as wide while the pointer holds it.
void DrawScrollStrip(float x, float top, float bottom, float thumbH, float fraction, bool wide);
// Text with its left edge at x, centred vertically on the box's middle line.
void DrawTextMiddle(UiFont font, float x, const RectF& box, const std::string& text, float r, float g, float b,
                    float a);
// Text centred in the box with a margin each side; a text too wide is made smaller, then put on two
// lines where the box is tall enough, then cut with "..." (gfx/label_fit).
void DrawTextCentred(UiFont font, const RectF& box, const std::string& text, float r, float g, float b, float a);
// The same from x, fitted between x and right, centred vertically on the box.
void DrawTextFitted(UiFont font, float x, float right, const RectF& box, const std::string& text, float r, float g,
                    float b, float a);
// Text from (x, baseline) drawn at scale times its size (the pen position is not rounded).
void DrawTextScaled(UiFont font, float x, float baseline, float scale, const std::string& text, float r, float g,
                    float b, float a);
// Text centred on centreX, made smaller (down to minScale) when wider than room, never larger.
void DrawTextShrunkCentred(UiFont font, float centreX, float baseline, float room, float minScale,
                           const std::string& text, float r, float g, float b, float a);
// The pixel size of a font of the current set (main when unknown).
float FontPixelSize(UiFont font);
// A filled triangle and a filled circle in the current colour helpers.
void FillTriangle(float x0, float y0, float x1, float y1, float x2, float y2);
void FillCircle(float cx, float cy, float radius);
