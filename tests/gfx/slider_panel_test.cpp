// The settings sliders: the value under a press at the ends and inside the insets, a drag that
// leaves the window and stops at the row's range, the panel closing in the middle of a drag, and
// the two hints under a track that must not run into each other in a wordy language.
#include <gtest/gtest.h>

#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "gfx/text.h"

namespace {

class SliderPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetViewModes();
    ResetSliderPanel();
    gClientWidth = 1600;
    gClientHeight = 900;
    RelayoutAll();
  }
  void TearDown() override { ResetSliderPanel(); }
  static int Mid(const RectF& r) { return (int)(r.y + r.h / 2.0f); }
};

TEST_F(SliderPanelTest, ValueFromXAcrossTheTrack) {
  const RectF& r = gSliderRects[2];  // "Lift", 0.2 .. 3.0; inset 11 at s = 1
  const struct { float x, value; } cases[] = {
      {r.x, 0.2f}, {r.x + 11.0f, 0.2f}, {r.x + r.w / 2.0f, 1.6f}, {r.x + r.w - 11.0f, 3.0f}, {r.x + r.w, 3.0f}};
  for (const auto& c : cases) EXPECT_NEAR(SliderValueFromX(2, (int)c.x), c.value, 0.01f) << c.x;
  EXPECT_FLOAT_EQ(SliderValueFromX(12, 0), 1.0f);
  EXPECT_FLOAT_EQ(SliderValueFromX(-1, 0), 1.0f);
  // A slider narrower than its insets still maps over a 12-pixel track.
  gSliderRects[0].w = 10.0f;
  EXPECT_NEAR(SliderValueFromX(0, (int)gSliderRects[0].x + 11 + 6), 0.35f + 2.15f * 0.5f, 0.01f);
}

TEST_F(SliderPanelTest, PressAndDragStopAtTheRowsMinimum) {
  EXPECT_FALSE(SlidersMouseDown(Mid(gSliderRects[5]), Mid(gSliderRects[5])));  // closed: not taken
  SetSliderPanelOpen(true);
  const RectF& r = gSliderRects[5];  // "Collision", 0 .. 2.5
  ASSERT_TRUE(SlidersMouseDown((int)(r.x + r.w), Mid(r)));
  EXPECT_EQ(gDraggedSlider, 5);
  EXPECT_FLOAT_EQ(gSmokeParams.values[5], 2.5f);
  gMouseX = -400;  // far left of the window
  EXPECT_TRUE(SlidersMouseDrag());
  EXPECT_FLOAT_EQ(gSmokeParams.values[5], 0.0f);
  EXPECT_FLOAT_EQ(gSmokeParams.values[4], 2.5f);  // its neighbours keep their defaults
  // Closing the panel mid-drag ends the drag.
  SetSliderPanelOpen(false);
  EXPECT_EQ(gDraggedSlider, -1);
  gMouseX = (int)(r.x + r.w);
  EXPECT_FALSE(SlidersMouseDrag());
  EXPECT_FLOAT_EQ(gSmokeParams.values[5], 0.0f);
}

TEST_F(SliderPanelTest, PressesInsideThePanelAreTakenOutsideAreNot) {
  SetSliderPanelOpen(true);
  SetSliderPanelOpen(true);  // twice changes nothing
  EXPECT_TRUE(gSliderPanelOpen);
  const RectF& p = gSliderPanelRect;
  EXPECT_TRUE(SlidersMouseDown((int)p.x + 2, (int)p.y + 2));  // panel background: taken, no slider
  EXPECT_EQ(gDraggedSlider, -1);
  EXPECT_FALSE(SlidersMouseDown((int)p.x - 2, (int)p.y + 2));
  gDraggedSlider = -3;  // below 0 is no slider too
  EXPECT_FALSE(SlidersMouseDrag());
  SetSliderValue(-3, 5.0f);
  SetSliderValue(12, 5.0f);
  for (int i = 0; i < kSmokeSliderCount; ++i) EXPECT_LE(gSmokeParams.values[i], kSmokeSliders[i].max);
}

TEST_F(SliderPanelTest, HintsUnderATrackNeverMeet) {
  // Ten pixels a byte: widths that are easy to reason about.
  const ShownTextWidth tenPerByte = [](const std::string& t) { return 10.0f * (float)t.size(); };
  // A pair that fits stays whole.
  SliderHintTexts fits = FitSliderHints("less", "more", 200.0f, 20.0f, tenPerByte);
  EXPECT_EQ(fits.low, "less");
  EXPECT_EQ(fits.high, "more");
  const struct { const char *low, *high; } pairs[] = {
      {"short", "a very much longer hint than the other"},  // the low one keeps its width
      {"a very much longer hint than the other", "short"},  // the high one keeps its width
      {"both of these hints are long", "and neither fits half of it"},
      {"", "a hint alone that is wider than the whole track"},
  };
  for (const auto& p : pairs) {
    SliderHintTexts t = FitSliderHints(p.low, p.high, 200.0f, 20.0f, tenPerByte);
    EXPECT_LE(tenPerByte(t.low) + 20.0f + tenPerByte(t.high), 200.0f) << p.low << " | " << p.high;
    const std::string shorter = std::string(p.low).size() < std::string(p.high).size() ? p.low : p.high;
    if (tenPerByte(shorter) <= 90.0f) EXPECT_TRUE(t.low == shorter || t.high == shorter) << "the short hint was cut";
  }

  // The Finnish hints of "Left push" ran into each other under the track at 1600 x 900 (and the
  // window's smallest size): each is about as long as the track is wide.
  const std::string weaker = "heikompi ajelehtiminen vasemmalle", stronger = "voimakkaampi ajelehtiminen vasemmalle";
  const float size = (float)ComputeFontSizes(1.0f).small;
  const ShownTextWidth measured = [&](const std::string& t) { return MeasureText(0, t, size); };
  const float room = gSliderRects[1].w - 2.0f * 11.0f, gap = 12.0f;
  ASSERT_GT(measured(weaker) + measured(stronger), room) << "the pair must be too wide for the track";
  SliderHintTexts fi = FitSliderHints(weaker, stronger, room, gap, measured);
  EXPECT_LE(measured(fi.low) + gap + measured(fi.high), room);
  EXPECT_EQ(fi.low.substr(0, 8), "heikompi");
  EXPECT_EQ(fi.high.substr(0, 12), "voimakkaampi");
}

}  // namespace
