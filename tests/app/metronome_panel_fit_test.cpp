// The metronome panel's room in the control band without a window: at the standard window
// (1440 x 920) and full HD, with and without a song loaded and the click running (which bring the
// unload and stop buttons), every control of the panel is laid out, the downbeat switch included,
// inside the band's bottom row and on none of the band's other controls nor on another of its own.
// The smallest window (1120 x 720) leaves the panel less than half its width after the
// playlist's buttons: there the switch and the tempo's figure stand, on nothing else either.
#include <string>
#include <utility>

#include "app/header_buttons.h"
#include "midi/metronome_panel.h"
#include "midi/teaching_record.h"
#include "tests/app/input_fixture.h"

namespace {

class MetronomePanelFit : public InputTest {
 protected:
  void TearDown() override {
    ResetMetronomePanel();
    ResetTeachingRecord();
    InputTest::TearDown();
  }
};

bool Shown(const RectF& r) { return r.w > 2.0f && r.h > 2.0f; }

bool Overlap(const RectF& a, const RectF& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

std::string Describe(const RectF& r) {
  return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.w) + " x " +
         std::to_string(r.h) + ")";
}

TEST_F(MetronomePanelFit, EveryControlHasRoomBesideTheBandsOthersAtTheCommonSizes) {
  const std::pair<const char*, const RectF*> panel[] = {
      {"switch", &gMetronomeSwitchRect}, {"minus", &gTempoDownRect},          {"tempo", &gTempoFigureRect},
      {"plus", &gTempoUpRect},           {"beats per bar", &gBeatsPerBarRect}, {"beat value", &gBeatValueRect},
      {"downbeat", &gDownbeatSwitchRect}};
  const std::pair<const char*, const RectF*> others[] = {
      {"file", &gFileButtonRect},          {"play mode", &gPlayModeButtonRect},
      {"sight-reading", &gSightReadingButtonRect}, {"unload", &gUnloadSongRect},
      {"stop", &gMetronomeStopRect},       {"previous", &gPreviousButtonRect},
      {"play", &gPlayButtonRect},          {"next", &gNextButtonRect},
      {"seek bar", &gSeekBarRect},         {"speed", &gSpeedSliderRect},
      {"repeat", &gRepeatButtonRect},      {"shuffle", &gShuffleButtonRect},
      {"clear loop", &gClearLoopButtonRect}, {"learn", &gLearningButtonRect},
      {"song view", &gSongViewButtonRect}, {"settings", &gSliderPanelButtonRect}};
  const struct {
    int w, h;
    bool whole;   // every control; else the switch and the tempo's figure
  } sizes[] = {{1120, 720, false}, {1440, 920, true}, {1920, 1080, true}};
  for (auto [w, h, whole] : sizes)
    for (bool busy : {false, true}) {
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h) + (busy ? ", song and click" : ""));
      gSongEvents.clear();
      if (busy) LoadSong(60000);
      gTeachingState.metronomeOn = busy ? 1 : 0;
      gClientWidth = w, gClientHeight = h;
      RelayoutAll();
      PlaceMetronomePanel();
      ASSERT_TRUE(Shown(gClearLoopButtonRect)) << "the bottom row is not shown";
      const RectF& row = gBandBottomRowRect;
      for (size_t i = 0; i < std::size(panel); ++i) {
        const auto [name, r] = panel[i];
        SCOPED_TRACE(std::string(name) + " " + Describe(*r));
        if (!Shown(*r)) {
          EXPECT_FALSE(whole || r == &gMetronomeSwitchRect || r == &gTempoFigureRect) << "not laid out";
          continue;
        }
        EXPECT_TRUE(r->x >= row.x && r->x + r->w <= row.x + row.w && r->y >= row.y && r->y + r->h <= row.y + row.h)
            << "outside the bottom row " << Describe(row);
        for (size_t j = i + 1; j < std::size(panel); ++j)
          EXPECT_FALSE(Overlap(*r, *panel[j].second)) << "on " << panel[j].first;
        for (const auto& [other, o] : others)
          if (Shown(*o)) EXPECT_FALSE(Overlap(*r, *o)) << "on " << other << " " << Describe(*o);
      }
    }
}

}  // namespace
