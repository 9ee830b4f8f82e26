// gfx/slider_panel: the smoke parameters and the slider panel's input.
#include "gfx/slider_panel.h"

#include <algorithm>
#include <cstring>

#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "platform/input.h"

// ---- constants ----
const SmokeSliderRow kSmokeSliders[kSmokeSliderCount] = {
    {"Emit Rate", "fewer particles", "more particles", 0.35f, 2.5f, 0},
    {"Left Push", "weaker left drift", "stronger left drift", 0.0f, 2.5f, 4},
    {"Lift", "flatter smoke", "higher rise", 0.2f, 3.0f, 8},
    {"Spread", "tighter plume", "wider plume", 0.4f, 3.0f, 12},
    {"Turbulence", "smoother motion", "more curls", 0.0f, 2.5f, 16},
    {"Collision", "softer mixing", "harder swirls", 0.0f, 2.5f, 20},
    {"Brightness", "dimmer", "brighter", 0.25f, 2.5f, 24},
    {"Density", "thinner smoke", "thicker smoke", 0.25f, 2.5f, 28},
    {"Persistence", "shorter life", "longer life", 0.25f, 3.0f, 32},
    {"Core White", "smokier core", "whiter core", 0.0f, 2.5f, 36},
    {"Coupling", "more isolated", "shared volume", 0.0f, 2.5f, 40},
    {"Plume Scale", "smaller release", "larger release", 0.4f, 3.0f, 44},
};
static constexpr SmokeParams kSmokeDefaults = {
    {2.5f, 0.33f, 1.7f, 1.85f, 2.5f, 0.87f, 1.21f, 1.02f, 0.51f, 1.83f, 0.25f, 0.91f}};

// ---- state ----
SmokeParams gSmokeParams = kSmokeDefaults;   // read by the board's smoke every frame
bool gSliderPanelOpen = false;               // toggled by the settings button in practice mode
int gDraggedSlider = -1;                     // set on a press on a slider, cleared on button-up or close
RectF gSliderPanelRect = kHiddenRect;        // laid out by RelayoutAll
RectF gSliderRects[kSmokeSliderCount] = {kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect,
                                         kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect,
                                         kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect};

// ---- internal helpers ----
static bool IsSliderIndex(int slider) { return slider >= 0 && slider < kSmokeSliderCount; }

static float& ValueOf(int slider) {
  char* base = reinterpret_cast<char*>(&gSmokeParams);
  return *reinterpret_cast<float*>(base + kSmokeSliders[slider].offset);
}

// ---- public functions ----
float SliderValueFromX(int slider, int x) {
  if (!IsSliderIndex(slider)) return 1.0f;
  float s = GetUiScale();
  const RectF& r = gSliderRects[slider];
  float inset = std::max(11.0f * s, 10.0f);
  float left = r.x + inset;
  float width = std::max(r.w - 2.0f * inset, 12.0f);
  float f = Clamp01(((float)x - left) / width);
  const SmokeSliderRow& row = kSmokeSliders[slider];
  return row.min + (row.max - row.min) * f;
}

void SetSliderValue(int slider, float value) {
  if (!IsSliderIndex(slider)) return;
  ValueOf(slider) = ClampFloat(value, kSmokeSliders[slider].min, kSmokeSliders[slider].max);
}

float GetSliderValue(int slider) {
  if (!IsSliderIndex(slider)) return 0.0f;
  return ClampFloat(ValueOf(slider), kSmokeSliders[slider].min, kSmokeSliders[slider].max);
}

bool SlidersMouseDown(int x, int y) {
  if (!gSliderPanelOpen || !(gSliderPanelRect.w > 1.0f) || !(gSliderPanelRect.h > 1.0f)) return false;
  if (!PointInRect(gSliderPanelRect, x, y)) return false;
  for (int i = 0; i < kSmokeSliderCount; ++i) {
    if (!PointInRect(gSliderRects[i], x, y)) continue;
    gDraggedSlider = i;
    SetSliderValue(i, SliderValueFromX(i, x));
    CaptureMouse(true);
    break;
  }
  return true;
}

bool SlidersMouseDrag() {
  if (!IsSliderIndex(gDraggedSlider)) return false;
  SetSliderValue(gDraggedSlider, SliderValueFromX(gDraggedSlider, gMouseX));
  return true;
}

void EndSliderDrag() { gDraggedSlider = -1; }

SliderHintTexts FitSliderHints(const std::string& lowShown, const std::string& highShown, float room, float gap,
                               const ShownTextWidth& width) {
  const float lowW = width(lowShown), highW = width(highShown);
  if (lowW + gap + highW <= room) return {lowShown, highShown};
  // A wordy language ("voimakkaampi ajelehtiminen vasemmalle") fills the track with one hint.
  const float shared = std::max(room - gap, 0.0f), half = shared / 2.0f;
  float lowRoom = half, highRoom = half;
  if (lowW <= half)
    lowRoom = lowW, highRoom = shared - lowW;
  else if (highW <= half)
    highRoom = highW, lowRoom = shared - highW;
  return {CutShownText(lowShown, lowRoom, width), CutShownText(highShown, highRoom, width)};
}

void SetSliderPanelOpen(bool open) {
  if (gSliderPanelOpen == open) return;
  gSliderPanelOpen = open;
  if (open) return;
  gDraggedSlider = -1;
  CaptureMouse(false);
}

void ResetSliderPanel() {
  gSmokeParams = kSmokeDefaults;
  gSliderPanelOpen = false;
  gDraggedSlider = -1;
}
