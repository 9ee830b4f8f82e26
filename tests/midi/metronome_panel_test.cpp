// The metronome panel's input without a window: presses and wheel turns on each control change the
// teaching record's metronome fields within their ranges, presses beside the controls and on a
// hidden panel are left to what lies below, a short room narrows the controls before a narrower
// one drops the downbeat switch first and then the time signature, and a loaded song keeps what
// the panel sets for after it.
#include <gtest/gtest.h>

#include "midi/metronome_panel.h"
#include "tests/midi/transport_harness.h"

namespace {

using namespace smf;

// The band row's room at UI scale 1: 400 x 30 at (100, 50), wide enough for every control.
constexpr RectF kRoom{100.0f, 50.0f, 400.0f, 30.0f};

class MetronomePanelTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    LayoutMetronomePanel(kRoom, 1.0f);
  }
  void TearDown() override {
    ResetMetronomePanel();
    TransportTest::TearDown();
  }
  static int X(const RectF& r) { return (int)(r.x + r.w / 2.0f); }
  static int Y(const RectF& r) { return (int)(r.y + r.h / 2.0f); }
  static bool Press(const RectF& r, bool shift = false) { return MetronomePanelMouseDown(X(r), Y(r), shift); }
  static bool Wheel(const RectF& r, int delta) { return MetronomePanelWheel(X(r), Y(r), delta); }
};

TEST_F(MetronomePanelTest, PressesAndTheWheelStepEachFieldWithinItsRange) {
  using Field = int32_t TeachingState::*;
  const Field bpm = &TeachingState::bpm, beats = &TeachingState::timeSigNum, value = &TeachingState::timeSigDen;
  // delta 0: a press (with or without Shift); else a wheel turn.
  const struct {
    const RectF* at;
    bool shift;
    int delta;
    Field field;
    int from, to;
  } cases[] = {
      {&gTempoUpRect, false, 0, bpm, 80, 81},       {&gTempoUpRect, true, 0, bpm, 80, 90},
      {&gTempoDownRect, false, 0, bpm, 80, 79},     {&gTempoDownRect, true, 0, bpm, 80, 70},
      {&gTempoUpRect, true, 0, bpm, 255, 260},      {&gTempoDownRect, true, 0, bpm, 35, 30},
      {&gTempoDownRect, false, 0, bpm, 400, 260},   {&gTempoFigureRect, false, 0, bpm, 80, 80},
      {&gTempoFigureRect, false, 240, bpm, 80, 82}, {&gTempoUpRect, false, -30, bpm, 80, 79},
      {&gTempoDownRect, false, -12000, bpm, 80, 30},
      {&gBeatsPerBarRect, false, 0, beats, 4, 5},   {&gBeatsPerBarRect, false, 0, beats, 32, 1},
      {&gBeatsPerBarRect, true, 0, beats, 1, 32},   {&gBeatsPerBarRect, false, 0, beats, 0, 2},
      {&gBeatsPerBarRect, false, -120, beats, 1, 32},
      {&gBeatValueRect, false, 0, value, 8, 16},    {&gBeatValueRect, false, 0, value, 16, 1},
      {&gBeatValueRect, true, 0, value, 1, 16},     {&gBeatValueRect, false, -240, value, 4, 1},
      // A value from an older file that is not offered steps to its listed neighbours.
      {&gBeatValueRect, false, 0, value, 3, 4},     {&gBeatValueRect, true, 0, value, 3, 2},
      {&gBeatValueRect, false, 0, value, 32, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " to " << c.to << (c.shift ? " shift" : "") << " wheel " << c.delta);
    gTeachingState.*c.field = c.from;
    EXPECT_TRUE(c.delta == 0 ? Press(*c.at, c.shift) : Wheel(*c.at, c.delta));
    EXPECT_EQ(gTeachingState.*c.field, c.to);
  }
  EXPECT_EQ(ShownMetronomeTempo(), gTeachingState.bpm);
  // The downbeat's sound switches both ways; the wheel leaves both switches to what lies below.
  for (int on : {0, 1}) {
    EXPECT_TRUE(Press(gDownbeatSwitchRect));
    EXPECT_EQ(gTeachingState.downbeatSound, on);
  }
  EXPECT_FALSE(Wheel(gMetronomeSwitchRect, 120) || Wheel(gDownbeatSwitchRect, 120));
  // Fewer beats per bar than the running bar's position keep the next beat inside the bar.
  gTeachingState.timeSigNum = 7, gTeachingState.beatInBar = 6;
  StepBeatsPerBar(-4);
  EXPECT_LT(gTeachingState.beatInBar, 3);
}

TEST_F(MetronomePanelTest, OnlyShownControlsTakePressesAndANarrowRoomDropsTheLastOnes) {
  const TeachingState before = gTeachingState;
  // Left of the switch (the controls stand at the room's right end), above and below the row, in
  // the gap between the switch and minus.
  for (auto [x, y] : {std::pair{(int)kRoom.x + 2, Y(kRoom)}, std::pair{X(gTempoUpRect), (int)kRoom.y - 2},
                      std::pair{X(gTempoUpRect), (int)(kRoom.y + kRoom.h) + 2},
                      std::pair{(int)gTempoDownRect.x - 2, Y(kRoom)}}) {
    EXPECT_FALSE(MetronomePanelMouseDown(x, y, false) || MetronomePanelWheel(x, y, 120) ||
                 IsPointOnMetronomePanel(x, y)) << x << ", " << y;
  }
  EXPECT_FLOAT_EQ(gDownbeatSwitchRect.x + gDownbeatSwitchRect.w, kRoom.x + kRoom.w);
  const RectF at = gMetronomeSwitchRect;
  for (RectF room : {kHiddenRect, RectF{kRoom.x, kRoom.y, kRoom.w, 11.0f}}) {
    LayoutMetronomePanel(room, 1.0f);
    EXPECT_FALSE(MetronomePanelMouseDown(X(at), Y(at), false) || IsPointOnMetronomePanel(X(at), Y(at)));
  }
  EXPECT_EQ(gTeachingState.metronomeOn, before.metronomeOn);

  // Widths at a row 30 high: switch 30, minus and plus 21 each, tempo 31.5, the joins 2 each,
  // time signature 42, downbeat 27, gaps 6. A short room narrows every face alike, down to four
  // fifths, before it leaves the last control out; the gaps keep their width.
  const float faces = 30.0f + 21.0f + 31.5f + 21.0f, joins = 6.0f + 2.0f + 2.0f;
  const float tempo = joins + 0.8f * faces, signature = joins + 6.0f + 0.8f * (faces + 42.0f);
  const float downbeat = joins + 12.0f + 0.8f * (faces + 42.0f + 27.0f), whole = joins + 12.0f + faces + 69.0f;
  const struct {
    float width;
    bool tempo, signature, downbeat;
  } cases[] = {{tempo - 1.0f, false, false, false},       {tempo + 0.01f, true, false, false},
               {36.0f + 31.5f, false, false, false},        {36.0f + 26.0f, false, false, false},
               {36.0f + 23.5f, false, false, false},        {29.0f, false, false, false},
               {signature - 1.0f, true, false, false},      {signature + 0.01f, true, true, false},
               {downbeat - 1.0f, true, true, false},        {downbeat + 0.01f, true, true, true},
               {whole - 1.0f, true, true, true},            {whole + 40.0f, true, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    LayoutMetronomePanel({kRoom.x, kRoom.y, c.width, kRoom.h}, 1.0f);
    EXPECT_EQ(gMetronomeSwitchRect.w > 2.0f && gTempoDownRect.w > 2.0f && gTempoUpRect.w > 2.0f, c.tempo);
    EXPECT_EQ(gBeatsPerBarRect.w > 2.0f && gBeatValueRect.w > 2.0f, c.signature);
    EXPECT_EQ(gDownbeatSwitchRect.w > 2.0f, c.downbeat);
    // Narrowed, never below four fifths, and the whole panel at full width once the room has it.
    if (c.tempo) {
      EXPECT_GE(gMetronomeSwitchRect.w, 0.8f * 30.0f - 0.01f);
      if (c.downbeat) EXPECT_EQ(gMetronomeSwitchRect.w == 30.0f, c.width >= whole);
      EXPECT_GE(gTempoDownRect.x, gMetronomeSwitchRect.x + gMetronomeSwitchRect.w + 6.0f - 0.01f);
    }
    if (c.tempo) EXPECT_GE(gMetronomeSwitchRect.x, kRoom.x - 0.01f);
    // Too narrow for the steps, the switch stays, with the tempo's figure narrowed down to 0.8 of
    // the row's height: without the switch nothing could start the click, without the figure the
    // tempo could be neither seen nor set.
    if (!c.tempo) {
      EXPECT_EQ(gMetronomeSwitchRect.w > 2.0f, c.width >= 30.0f);
      EXPECT_EQ(gTempoFigureRect.w > 2.0f, c.width >= 36.0f + 24.0f);
      if (gMetronomeSwitchRect.w > 2.0f) EXPECT_GE(gMetronomeSwitchRect.x, kRoom.x - 0.01f);
      if (gTempoFigureRect.w > 2.0f) {
        EXPECT_LE(gTempoFigureRect.w, 31.5f);
        EXPECT_FLOAT_EQ(gTempoFigureRect.x + gTempoFigureRect.w, kRoom.x + c.width);
        EXPECT_GE(gTempoFigureRect.x, gMetronomeSwitchRect.x + gMetronomeSwitchRect.w + 6.0f - 0.01f);
      }
    }
  }
}

// A loaded song sets the record's tempo to its own and gives the user's back when it is unloaded:
// what the panel sets meanwhile is the user's.
TEST_F(MetronomePanelTest, WhileASongIsLoadedThePanelSetsWhatComesBackAfterIt) {
  Load("t.mid", File(480, {Tempo(0, 500000) + On(0, 60, 1) + Off(4800, 60)}));  // 120 BPM, 5 s
  UpdateSongTempoFlag();
  ASSERT_TRUE(gTeachingState.syncedToSong);
  EXPECT_TRUE(Press(gTempoUpRect, true));    // the user's 80 becomes 90
  EXPECT_TRUE(Press(gBeatsPerBarRect));
  EXPECT_TRUE(Press(gBeatValueRect));
  EXPECT_EQ(ShownMetronomeTempo(), 120);     // the clicks still follow the song
  UnloadMidi();
  EXPECT_EQ(gTeachingState.bpm, 90);
  EXPECT_EQ(gTeachingState.timeSigNum, 5);
  EXPECT_EQ(gTeachingState.timeSigDen, 8);

  // A song that stopped leaves its tempo to the grid until the user sets one.
  Load("t.mid", File(480, {Tempo(0, 500000) + On(0, 60, 1) + Off(480, 60)}));
  UpdateSongTempoFlag();
  EXPECT_TRUE(Press(gTempoUpRect, true));    // kept for after the song: no trace on the figure
  StopPlaybackAndCloseOutput();
  ASSERT_FALSE(gTeachingState.syncedToSong);
  EXPECT_EQ(ShownMetronomeTempo(), 120);
  EXPECT_TRUE(Press(gTempoDownRect));
  EXPECT_EQ(ShownMetronomeTempo(), 119);
  UnloadMidi();
  EXPECT_EQ(gTeachingState.bpm, 119);
}

}  // namespace
