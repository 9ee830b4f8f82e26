// tests/app: a scripted keyboard and a song given in ms for the play-along tests. Key presses go
// through the message queue and the note road's handlers exactly as device input does; each frame
// runs the main loop's song steps (drain, pump, judge, highlights) on a driven clock.
#pragma once
#include <gtest/gtest.h>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/lesson_song_end.h"
#include "app/note_input.h"
#include "midi/level_setting.h"
#include "midi/midi_event_time.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "practice/teaching_timing.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"

namespace play_along_test {

// The window procedure's note-road branches only.
inline int64_t Dispatch(uint32_t code, uint64_t w, int64_t l) {
  if (code == kMsgMidiInData) HandleMidiInData(w, l);
  if (code == kMsgMidiNote) HandleMidiNoteMessage(w, l);
  if (code == kMsgMidiSustain) HandleMidiSustainMessage(w, l);
  return 0;
}

// The frame's handler of the song's beat: the metronome's grid.
inline void ClickOnSongBeat(const SongBeatInfo& info) { SyncTeachingClickToSong(gTeachingState, info); }

inline SongEvent NoteOn(uint32_t t, int note, int vel = 100, int ch = 0) {
  return SongEvent{t, (uint8_t)(0x90 | ch), (uint8_t)note, (uint8_t)vel, 0};
}
inline SongEvent NoteOff(uint32_t t, int note, int ch = 0) {
  return SongEvent{t, (uint8_t)(0x80 | ch), (uint8_t)note, 0, 0};
}
inline SongEvent PedalEv(uint32_t t, int value, int ch = 0) {
  return SongEvent{t, (uint8_t)(0xB0 | ch), 64, (uint8_t)value, 0};
}

}  // namespace play_along_test

class PlayAlongTest : public ::testing::Test {
 protected:
  ScopedDrivenClock clock_{0x300000000ull + 7000000ull};

  void SetUp() override {
    SetMidiOutputPort(nullptr);
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    SetAppMessageHandler(play_along_test::Dispatch);
    UnloadMidi();
    ResetNoteTables();
    ResetPlayAlong();
    ResetChromaticRuns();
    ResetViewModes();
    ResetMidiEventTime();
    ResetLevelSetting();
    ResetLessonSongEnd();
    gRhythmStudyMode = gSightReadingMode = gLearningItemLoaded = false;
    gPracticeMode = true;
    gPlaybackSpeed = 1.0f;
    Drain();
  }
  void TearDown() override {
    gPlayAlongRun = gPracticeMode = gWaitMode = false;
    UnloadMidi();
    Drain();
    SetAppMessageHandler(nullptr);
  }

  uint32_t Now() const { return ClockMs32(); }
  void Drain() { DrainAppMessages(); }

  // Installs the song at position 0 and, with run set, starts a play-along run. A far note-off is
  // added so that the song does not end during the test.
  void Start(std::vector<SongEvent> events, bool run = true, bool addTail = true) {
    if (addTail) events.push_back(play_along_test::NoteOff(600000, 1));
    gSongEvents = std::move(events);
    gNotePedalSpans = BuildNotePedalSpans(gSongEvents);
    gPlaying = true;
    gPaused = false;
    gPauseMs = 0;
    gEventCursor = 0;
    gPlayStartMs = Now();
    ResetJudgeStates(false, false);
    if (run) SetPlayAlongRun(true, false);
    Drain();
  }

  // One pass of the main loop's song steps.
  void Frame() {
    Drain();
    uint32_t t = Now();
    if (int end = PumpMidiPlayback(t, play_along_test::ClickOnSongBeat)) FinishLessonSong(t, end);
    JudgePlayAlongNotes(t, -1);
    MarkMissedPlayAlongNotes(t);
    UpdateKeyHighlights(t);
  }
  // Advances the clock by ms in frames of at most 10 ms.
  void Run(uint32_t ms) {
    while (ms > 0) {
      uint32_t step = ms < 10 ? ms : 10;
      clock_.Advance(step);
      ms -= step;
      Frame();
    }
  }
  // Advances the clock by ms without a frame.
  void Skip(uint32_t ms) { clock_.Advance(ms); }
  uint32_t Position() const { return GetPlaybackPositionMs(ClockMs32()); }

  // Device messages as the input layer posts them, stamped now, handled at once.
  void Device(uint32_t status, uint32_t d1, uint32_t d2) {
    PostAppMessage(kMsgMidiInData, status | d1 << 8 | d2 << 16, (int64_t)Now());
    Drain();
  }
  void Press(int note, int vel = 100) { Device(0x90, (uint32_t)note, (uint32_t)vel); }
  void Release(int note) { Device(0x80, (uint32_t)note, 0); }
  void Pedal(int value) { Device(0xB0, 64, (uint32_t)value); }

  const NoteJudgeState& J(size_t i) const { return gJudgeStates.at(i); }
};
