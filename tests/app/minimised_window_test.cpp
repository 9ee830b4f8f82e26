// The program's window minimised as the window system does it (its window unmapped, and mapped
// again to restore it, as a window manager does on iconifying), the whole loop of passes on a
// driven clock. Unseen, a pass draws nothing at all, yet the song's notes go to the output and the
// metronome's clicks come at the times they have on screen, and a radar flash still ends into the
// song that waits for it; shown again, the first pass draws the whole window.
#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/note_tables.h"
#include "learning/library_index.h"
#include "learning/radar_flash.h"
#include "midi/metronome_panel.h"
#include "midi/song_sound.h"
#include "midi/teaching_record.h"
#include "practice/teaching_timing.h"
#include "tests/app/learning_window_fixture.h"
#include "tests/midi/transport_harness.h"
#include "visual/backdrop.h"

namespace {

std::vector<double> gClickBeats;  // the beat time of each click, seconds on the grid's clock
void RecordClick(const TeachingState&, bool, double beatTime) { gClickBeats.push_back(beatTime); }

class MinimisedWindow : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    if (Xdo({"version"}).empty()) GTEST_SKIP() << "xdotool is not installed";
    ClockDriveBegin(ClockTickMs64());
    SetMidiOutputPort(RecordingOutput::Port());
    RecordingOutput::OpenSucceeds() = true;
    SetMidiInDriver(&kNoKeyboard);
    SetClickPlayer(&kSilentClicks);
    SetTeachingClickFunction(RecordClick);
    UnloadMidi();
    ResetNoteTables();
    ResetPlayAlong();
    window_ = std::to_string(WindowSystemId());
  }
  void TearDown() override {
    if (gWindowMinimised) Show(true);
    gWindowMinimised = false;
    SetTeachingClickFunction(nullptr);
    SetMidiInDriver(nullptr);
    SetClickPlayer(nullptr);
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    ResetPlayAlong();
    ResetNoteTables();
    ResetMetronomePanel();
    ResetTeachingRecord();
    LearningWindowTest::TearDown();
  }
  // One pass of the running program, then the time of a frame.
  static void Pass() {
    RunLoopPass();
    ClockDriveAdvance(17);
  }
  // The window unmapped (minimised) or mapped again by the window system, and its report taken.
  void Show(bool shown) {
    ASSERT_FALSE(Xdo({shown ? "windowmap" : "windowunmap", "--sync", window_}).empty());
    for (int i = 0; i < 100 && gWindowMinimised == shown; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      DrainMessages();
    }
    ASSERT_NE(gWindowMinimised, shown) << (shown ? "not shown again" : "not minimised");
  }
  static std::vector<float> StarHeights() {
    std::vector<float> ys;
    for (const BackdropStar& s : gBackdrop) ys.push_back(s.y);
    return ys;
  }
  // Pixels of the back buffer in the mark's colour.
  static size_t MarkedPixels() {
    const std::vector<uint8_t> frame = ReadFrame();
    size_t marked = 0;
    for (size_t i = 0; i + 3 < frame.size(); i += 4)
      marked += frame[i] == 255 && frame[i + 1] == 0 && frame[i + 2] == 255;
    return marked;
  }
  std::string WriteSong(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir_.File(name), bytes);
    return dir_.File(name);
  }
};

// A note every 125 ms for five seconds at 120 BPM.
std::string EighthsSong() {
  using namespace smf;
  std::string body;
  const int keys[] = {60, 64, 67, 72};
  for (int i = 0; i < 40; ++i) body += On(i == 0 ? 0 : 60, keys[i % 4], 90) + Off(60, keys[i % 4]);
  return File(480, {body});
}

// What the output and the metronome were given, in time from the song's start.
struct Heard {
  std::vector<std::pair<uint32_t, int64_t>> notes;  // message and due time, us
  std::vector<int64_t> clicks;                      // beat time, ms
};

TEST_F(MinimisedWindow, UnseenNothingIsDrawnAndTheSongAndClicksKeepTheirTimes) {
  const std::string song = WriteSong("eighths.mid", EighthsSong());
  for (int i = 0; i < 3; ++i) Pass();
  auto play = [&](bool minimise) {
    Heard heard;
    RecordingOutput::Trace().clear();
    gClickBeats.clear();
    EXPECT_TRUE(LoadAndPlayMidi(song)) << gStatusText;
    SwitchMetronome(true);
    const int64_t startUs = SongTimeToClockUs(0);
    std::vector<float> stars;
    for (int pass = 0; pass < 240; ++pass) {
      if (minimise && pass == 60) {
        // The last frame on screen is marked: only a drawn pass paints over it.
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        Show(false);
        stars = StarHeights();
      }
      if (minimise && pass == 180) {
        EXPECT_EQ(StarHeights(), stars) << "the sky moved unseen";
        Show(true);
        EXPECT_EQ(MarkedPixels(), (size_t)gClientWidth * gClientHeight) << "a pass drew while minimised";
      }
      Pass();
      if (minimise && pass == 180) {
        EXPECT_EQ(MarkedPixels(), 0u) << "the first pass shown again left part of the window undrawn";
        SaveScreenshot("minimised_window_shown_again");
      }
    }
    EXPECT_GE(GetPlaybackPositionMs(ClockMs32()), 4000u) << "the song did not play on";
    for (const RecordingOutput::Step& s : RecordingOutput::Sounded())
      if (s.time > 0 && (s.message & 0xE0) == 0x80) heard.notes.push_back({s.message, s.time - startUs});
    for (double beat : gClickBeats) heard.clicks.push_back(std::llround(beat * 1000.0) - startUs / 1000);
    SwitchMetronome(false);
    UnloadMidi();
    return heard;
  };
  const Heard onScreen = play(false), minimised = play(true);
  EXPECT_GE(onScreen.notes.size(), 60u);
  EXPECT_GE(onScreen.clicks.size(), 7u);
  EXPECT_EQ(minimised.notes, onScreen.notes);
  EXPECT_EQ(minimised.clicks, onScreen.clicks);
}

// Between the songs of a lesson the next one waits for the skills radar's flash to end; the flash
// ends on time unseen too, and the song starts then.
TEST_F(MinimisedWindow, UnseenARadarFlashEndsIntoTheSongThatWaits) {
  WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"),
                 "header\na\t1\tetude\tStudies\tCard a\t\t\t\t\t\t\ta.mid\t120\t120\t0.9\t0.85\t\t\t\t\n");
  LoadLibraryIndex();
  ASSERT_NE(FindLibraryItem("a"), nullptr);
  ASSERT_TRUE(LoadAndPlayMidi(WriteSong("eighths.mid", EighthsSong()))) << gStatusText;
  gPaused = true;
  gPauseMs = ClockMs32();
  StartRadarFlash("a", ClockMs32(), 1000);
  Show(false);
  for (int pass = 0; pass < 90; ++pass) Pass();  // 1.5 s
  EXPECT_FALSE(gPaused) << "the song still waits for a flash nobody saw";
  EXPECT_NEAR((double)GetPlaybackPositionMs(ClockMs32()), 530.0, 40.0);
}

}  // namespace
