// The metronome panel in a real window on a private display, at 1120 x 720, 1440 x 920, 1280 x 720
// and maximised at 1920 x 1080, in English and German (the band's longest words): it stands in the band's bottom
// row right of "Clear Loop", the row's last other control, whole (the downbeat switch too) but at
// the smallest size; a press through the window procedure switches the
// click on (the bar's first beat at once) and lights the switch's metronome in the student's
// colour, read back at a position computed from its rectangle. In an upright 1080 x 1920 window the
// tempo's figure stays beside the switch. Screenshots are kept in the build folder's "screenshots".
#include <string>
#include <vector>

#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "midi/metronome_panel.h"
#include "midi/teaching_record.h"
#include "platform/keys.h"
#include "practice/students.h"
#include "practice/teaching_timing.h"
#include "tests/app/shipped_languages_fixture.h"

namespace {

std::vector<bool> gClicks;   // each click the grid asked for: accented or not
void CountClick(const TeachingState&, bool accent, double) { gClicks.push_back(accent); }

constexpr float kStudent[3] = {0.92f, 0.35f, 0.62f};   // no other control of the band has it

class MetronomePanelWindow : public ShippedLanguagesWindow {
 protected:
  void SetUp() override {
    ShippedLanguagesWindow::SetUp();
    SetTeachingClickFunction(CountClick);
    gStudents = {{"Ada", "ada", kStudent[0], kStudent[1], kStudent[2]}};
    gActiveStudentIndex = 0;
  }
  void TearDown() override {
    SetTeachingClickFunction(nullptr);
    ResetStudents();
    ResetMetronomePanel();
    ResetTeachingRecord();
    ShippedLanguagesWindow::TearDown();
  }
  static void Press(const RectF& r, uint64_t flags = 0) {
    const int64_t at = MakePointParam((int)(r.x + r.w / 2.0f), (int)(r.y + r.h / 2.0f));
    MainWndProc(kMsgLButtonDown, kMouseFlagLeft | flags, at);
    MainWndProc(kMsgLButtonUp, flags, at);
  }
  static void ExpectInItsPlace() {
    const RectF& row = gBandBottomRowRect;
    for (const RectF* r : {&gMetronomeSwitchRect, &gTempoDownRect, &gTempoFigureRect, &gTempoUpRect,
                           &gBeatsPerBarRect, &gBeatValueRect, &gDownbeatSwitchRect}) {
      if (r->w <= 2.0f) continue;
      EXPECT_GE(r->x, gClearLoopButtonRect.x + gClearLoopButtonRect.w + 1.0f);
      EXPECT_LE(r->x + r->w, row.x + row.w);
      EXPECT_TRUE(r->y >= row.y && r->y + r->h <= row.y + row.h);
    }
  }
  // The switch's metronome body, below its arm's pivot, is in the student's colour.
  static bool BodyLit() {
    const RectF& r = gMetronomeSwitchRect;
    const auto p = Pixel((int)(r.x + r.w / 2.0f), (int)(r.y + r.h / 2.0f + 0.2f * r.h));
    for (int i = 0; i < 3; ++i)
      if (std::abs((int)p[i] - (int)(kStudent[i] * 255.0f + 0.5f)) > 4) return false;
    return true;
  }
  // Text ink in a rectangle of the frame.
  static int InkIn(const std::vector<uint8_t>& frame, const RectF& r) {
    int n = 0;
    for (int y = (int)r.y + 2; y < (int)(r.y + r.h) - 2; ++y)
      for (int x = (int)r.x + 2; x < (int)(r.x + r.w) - 2; ++x) {
        const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
        n += std::min({p[0], p[1], p[2]}) > 170;
      }
    return n;
  }
};

TEST_F(MetronomePanelWindow, ItStandsBesideTheBandsButtonsAndLightsInTheStudentsColourWhenOn) {
  for (const char* code : {"en", "de"})
    for (auto [w, h] : {std::pair{1120, 720}, std::pair{1440, 920}, std::pair{1280, 720}}) {
      const std::string name = std::string(code) + "_" + std::to_string(w);
      SCOPED_TRACE(name);
      UseLanguage(code);
      ApplyClientSize(w, h, true);
      RelayoutAll();
      Frames(8);
      ASSERT_GT(gMetronomeSwitchRect.w, 2.0f) << "no panel";
      if (w > 1120) EXPECT_GT(gDownbeatSwitchRect.w, 2.0f) << "no room for the downbeat switch";
      ExpectInItsPlace();
      KeepScreenshot("metronome_panel_" + name);
    }
  // Through the window procedure, in English at 1280 x 720.
  UseLanguage("en");
  EXPECT_FALSE(BodyLit());
  Press(gMetronomeSwitchRect);
  ASSERT_TRUE(gTeachingState.metronomeOn);
  Frames(1);
  ASSERT_GE(gClicks.size(), 1u);
  EXPECT_TRUE(gClicks[0]) << "the first beat is the bar's";
  EXPECT_TRUE(BodyLit());
  EXPECT_GT(gMetronomeStopRect.w, 2.0f) << "no stop button while it runs";
  ExpectInItsPlace();
  Press(gTempoUpRect, kMouseFlagShift);
  const RectF& tempo = gTempoFigureRect;
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)-120, MakePointParam((int)(tempo.x + 4.0f), (int)(tempo.y + 4.0f)));
  EXPECT_EQ(gTeachingState.bpm, 89);
  Press(gBeatsPerBarRect);
  EXPECT_EQ(gTeachingState.timeSigNum, 5);
  const std::vector<uint8_t> frame = Frames(1);
  for (const RectF* r : {&gTempoFigureRect, &gBeatsPerBarRect, &gBeatValueRect}) EXPECT_GT(InkIn(frame, *r), 3);
  KeepScreenshot("metronome_panel_on_1280");

  // Off by the panel's switch, by the stop button and by M: the switch goes dark, the stop button
  // goes.
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    if (way > 0) Press(gMetronomeSwitchRect);
    ASSERT_TRUE(gTeachingState.metronomeOn);
    if (way == 0) Press(gMetronomeSwitchRect);
    if (way == 1) Press(gMetronomeStopRect);
    if (way == 2) MainWndProc(kMsgKeyDown, 'M', 0);
    EXPECT_FALSE(gTeachingState.metronomeOn);
    EXPECT_LE(gMetronomeStopRect.w, 2.0f);
    Frames(1);
    EXPECT_FALSE(BodyLit());
  }
}

class MetronomePanelFullHdWindow : public MetronomePanelWindow {
 protected:
  void SetUp() override {
    maximised_ = true;
    MetronomePanelWindow::SetUp();
  }
};

TEST_F(MetronomePanelFullHdWindow, TheWholePanelStandsInTheRow) {
  for (const char* code : {"en", "de"}) {
    SCOPED_TRACE(code);
    UseLanguage(code);
    RelayoutAll();
    Frames(8);
    KeepScreenshot(std::string("metronome_panel_") + code + "_1920");
    ASSERT_GT(gMetronomeSwitchRect.w, 2.0f) << "no panel";
    EXPECT_GT(gDownbeatSwitchRect.w, 2.0f) << "no room for the downbeat switch";
    ExpectInItsPlace();
  }
}

class MetronomePanelPortraitWindow : public MetronomePanelWindow {
 protected:
  void SetUp() override {
    portrait_ = true;
    MetronomePanelWindow::SetUp();
  }
};

// An upright 1080 x 1920 window leaves the panel room for less than the switch and a full tempo
// figure: the figure stays, narrowed and drawn smaller, so the tempo is seen and the wheel sets it.
TEST_F(MetronomePanelPortraitWindow, ANarrowBandKeepsTheTempoFigureBesideTheSwitch) {
  UseLanguage("en");
  RelayoutAll();
  const std::vector<uint8_t> frame = Frames(8);
  KeepScreenshot("metronome_panel_portrait");
  ASSERT_GT(gMetronomeSwitchRect.w, 2.0f) << "no panel";
  ASSERT_LE(gTempoUpRect.w, 2.0f) << "room for the steps: the band is not as narrow as it was";
  ASSERT_GT(gTempoFigureRect.w, 2.0f) << "no tempo figure";
  ExpectInItsPlace();
  EXPECT_GE(gTempoFigureRect.x, gMetronomeSwitchRect.x + gMetronomeSwitchRect.w + 1.0f);
  EXPECT_GT(InkIn(frame, gTempoFigureRect), 3) << "the tempo is not drawn";
  // The widest tempo, set by the wheel over the figure, is drawn inside the figure's face.
  const RectF& tempo = gTempoFigureRect;
  gTeachingState.bpm = 259;
  MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)120,
              MakePointParam((int)(tempo.x + tempo.w / 2.0f), (int)(tempo.y + tempo.h / 2.0f)));
  EXPECT_EQ(gTeachingState.bpm, 260);
  const std::vector<uint8_t> widest = Frames(2);
  KeepScreenshot("metronome_panel_portrait_260");
  EXPECT_GT(InkIn(widest, tempo), 3) << "260 is not drawn";
  for (float x : {tempo.x - 4.0f, tempo.x + tempo.w})
    EXPECT_EQ(InkIn(widest, {x, tempo.y, 8.0f, tempo.h}), 0) << "260 runs past its face at " << x;
}

}  // namespace
