// gfx/slider_panel: the twelve parameters of the board's smoke effect and the settings panel of
// sliders that tunes them: the parameter block, the table describing each slider, the panel's open
// flag, the mapping from a mouse x to a value, and the press and drag handling. The rectangles are
// laid out by RelayoutAll (gfx/layout); the window procedure opens the panel and routes the mouse.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/rect.h"
#include "gfx/text.h"

constexpr int kSmokeSliderCount = 12;

// One slider: its texts, its range and where its value lives in gSmokeParams.
struct SmokeSliderRow {
  const char* label;
  const char* lowHint;
  const char* highHint;
  float min, max;
  int32_t offset;   // byte offset of the row's float in gSmokeParams (4 x row)
};

// The parameters in table order; nothing saves them.
struct SmokeParams {
  float values[kSmokeSliderCount];
};

extern const SmokeSliderRow kSmokeSliders[kSmokeSliderCount];
extern SmokeParams gSmokeParams;
extern bool gSliderPanelOpen;     // the panel is shown
extern int gDraggedSlider;        // the slider being dragged, -1 for none

extern RectF gSliderPanelRect;                   // the panel (laid out whatever the mode)
extern RectF gSliderRects[kSmokeSliderCount];    // slider i: column i mod 2, row i / 2

// The value a mouse x selects on a slider; 1 for an index outside 0..11.
float SliderValueFromX(int slider, int x);
// Stores the value clamped to the row's range; nothing for an index outside 0..11.
void SetSliderValue(int slider, float value);
// The value of a slider clamped to its range; 0 outside 0..11.
float GetSliderValue(int slider);
// The left button went down; true when the open panel takes the click.
bool SlidersMouseDown(int x, int y);
// The mouse moved; true while a slider is dragged (its value follows gMouseX).
bool SlidersMouseDrag();
// Opens or closes the panel; closing ends a drag and releases the mouse.
void SetSliderPanelOpen(bool open);
// The button went up: no slider follows the mouse any more (the caller releases the pointer).
void EndSliderDrag();
// The defaults, the panel closed, no drag.
void ResetSliderPanel();
// The two hints under a slider's track, already in the UI language, as they are shown at its two
// ends: whole when both fit the room with the gap between them; else the shorter keeps its width
// up to half of what the gap leaves and the other is cut to the rest, so that they never meet.
struct SliderHintTexts {
  std::string low, high;
};
SliderHintTexts FitSliderHints(const std::string& lowShown, const std::string& highShown, float room, float gap,
                               const ShownTextWidth& width);
// Draws the panel while it is open (gfx/slider_panel_draw).
void DrawSliderPanel();
