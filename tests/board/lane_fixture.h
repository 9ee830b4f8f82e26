// tests/board: the note-fall lane's fixture: the board view at 1440 x 920 in note-fall mode, a
// song built in ms, the lane and particle stores empty and rand() seeded so every run draws the
// same particles.
#pragma once
#include <cstdlib>
#include <vector>

#include "app/base/note_tables.h"
#include "board/board_motes.h"
#include "board/board_particles.h"
#include "board/lane_notes.h"
#include "board/note_fall_button.h"
#include "board/note_fall_mode.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "tests/board/board_fixture.h"

inline SongEvent LaneNoteOn(uint32_t t, int note, int vel = 100, int ch = 0) {
  return SongEvent{t, (uint8_t)(0x90 | ch), (uint8_t)note, (uint8_t)vel, 0};
}
inline SongEvent LaneNoteOff(uint32_t t, int note, int ch = 0) {
  return SongEvent{t, (uint8_t)(0x80 | ch), (uint8_t)note, 0, 0};
}

class LaneTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    gClientWidth = 1440;
    gClientHeight = 920;
    UnloadMidi();
    ResetPlayAlong();
    ResetNoteTables();
    ResetLevelSetting();
    ResetLaneNotes();
    ResetBoardParticles();
    ResetNoteFallButton();
    ResetNoteFallMode();
    gLaneFeed = LaneFeed{};
    gPracticeMode = true;
    gPracticeModeFade = 1.0f;
    std::srand(2323);
  }
  void TearDown() override {
    UnloadMidi();
    ResetPlayAlong();
    ResetNoteTables();
    ResetLaneNotes();
    ResetBoardParticles();
    BoardTest::TearDown();
  }

  static uint32_t Now() { return ClockMs32(); }
  LaneFrame Frame() const { return BuildLaneFrame(ComputeNoteFallStrip(), Now(), 1.0f); }

  // The song playing at position pos (song ms) now.
  void PlaySong(std::vector<SongEvent> events, uint32_t pos) {
    gSongEvents = std::move(events);
    gPlaying = true;
    gPaused = false;
    gPauseMs = 0;
    gPlaybackSpeed = 1.0f;
    gPlayStartMs = Now() - pos;
  }

  // A key pressed now (velocity 0..127), as the note road records it.
  void Hold(int note, int velocity) {
    HeldNote h{};
    h.note = note;
    h.velocity = velocity;
    h.sounding = h.keyDown = 1;
    h.arrivalMs = Now();
    h.serial = gNoteOnSerial++;
    gHeldNotes.push_back(h);
  }
  void Release(int note) {
    for (HeldNote& h : gHeldNotes)
      if (h.note == note) h.sounding = h.keyDown = 0;
  }

  // One lane frame of notes and particles at the current clock.
  LaneNotesOut Step(uint32_t advanceMs) {
    clock_.Advance(advanceMs);
    LaneFrame f = Frame();
    StepParticleClock(f.nowMs);
    LaneNotesOut out;
    RunLaneNotes(f, &out);
    AdvanceBoardParticles(f, out);
    return out;
  }
};
