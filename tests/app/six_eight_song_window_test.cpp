// A lesson song in 6/8 from the shipped library in the program's 1440 x 920 window on a private
// display, the whole main loop on a driven clock: with the metronome on, every click of the song's
// first bars falls on a note of the tune, as a teacher counting the dotted quarters would, and
// every other click, the bar's first, is accented, while the panel shows the song's 6/8. A
// screenshot of the window with the song playing is kept in the build folder.
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/base/note_tables.h"
#include "midi/click.h"
#include "midi/metronome_panel.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/teaching_record.h"
#include "platform/messages.h"
#include "practice/teaching_timing.h"
#include "tests/app/learning_window_fixture.h"

namespace {

std::vector<uint32_t> gClickPositions;   // the song's position at each click
std::vector<bool> gClickAccents;         // and whether it was accented
void RecordClick(const TeachingState&, bool accent, double) {
  gClickPositions.push_back(GetPlaybackPositionMs(ClockMs32()));
  gClickAccents.push_back(accent);
}

class SixEightSongWindow : public LearningWindowTest {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    ClockDriveBegin(ClockTickMs64());
    SetMidiOutputPort(nullptr);
    SetMidiInDriver(&kNoKeyboard);
    SetClickPlayer(&kSilentClicks);
    SetTeachingClickFunction(RecordClick);
    gClickPositions.clear();
    gClickAccents.clear();
    UnloadMidi();
    ResetNoteTables();
    ResetPlayAlong();
    ConnectFloors();
    LinkShippedLibrary();
    if (HasFatalFailure()) return;
    LoadLibraryIndex();
  }
  void TearDown() override {
    SetTeachingClickFunction(nullptr);
    SetMidiInDriver(nullptr);
    SetClickPlayer(nullptr);
    UnloadMidi();
    ResetPlayAlong();
    ResetNoteTables();
    ResetMetronomePanel();
    ResetTeachingRecord();
    LearningWindowTest::TearDown();
  }
  static void Frame(uint32_t ms = 17) {
    ClockDriveAdvance(ms);
    RunFrameWork(ClockMs32());
  }
  static uint32_t Position() { return GetPlaybackPositionMs(ClockMs32()); }
  // Frames until the song stands at ms; then a key as the MIDI input posts it, stamped now.
  static void KeyAt(uint32_t ms, uint32_t status, int note) {
    for (int i = 0; i < 600 && Position() + 17 < ms; ++i) Frame();
    if (Position() < ms) Frame(ms - Position());
    PostAppMessage(kMsgMidiInData, status | (uint32_t)note << 8 | 80u << 16, (int64_t)ClockMs32());
  }
};

TEST_F(SixEightSongWindow, TheMetronomeClicksOnTheTunesDottedQuarters) {
  const LibraryItem* item = FindLibraryItem("rep_folk_row_your_boat");
  ASSERT_NE(item, nullptr);
  for (int i = 0; i < 3; ++i) Frame();   // the program up, its teaching settings read
  ASSERT_TRUE(LoadLibraryItem(*item)) << gStatusText;
  SwitchMetronome(true);
  std::vector<std::pair<uint32_t, int>> onsets;   // the tune's notes: time and key
  for (const SongEvent& e : gSongEvents)
    if ((e.status & 0xF0) == 0x90 && e.data2 > 0) onsets.push_back({e.timeMs, e.data1});
  // The pupil plays the first bars on time, so the song runs on without holding for a key.
  for (const auto& [t, key] : onsets) {
    if (t > 4000) break;
    KeyAt(t, 0x90, key);
    KeyAt(t + 150, 0x80, key);
  }
  for (int i = 0; i < 400 && Position() < 4100; ++i) Frame();
  ASSERT_GE(Position(), 4100u) << "the song did not play on";
  SaveScreenshot("six_eight_song_metronome");

  EXPECT_EQ(gTeachingState.bpm, item->authored_bpm);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(6, 8));
  ASSERT_GE(gClickPositions.size(), 4u);
  // A bar of 6/8 holds two of the file's beats, so the accents fall on the even ones.
  const double beatMs = 60000.0 / item->authored_bpm;
  for (size_t i = 0; i < gClickAccents.size(); ++i) {
    const long beat = std::lround(gClickPositions[i] / beatMs);
    EXPECT_EQ(gClickAccents[i], beat % 2 == 0) << "a click at " << gClickPositions[i] << " ms";
  }
  for (uint32_t click : gClickPositions) {
    // A click is heard on the first frame at or after its beat.
    bool onANote = false;
    for (const auto& [t, key] : onsets) onANote |= click >= t && click < t + 20;
    EXPECT_TRUE(onANote) << "a click at " << click << " ms falls between the tune's notes";
  }
}

}  // namespace
