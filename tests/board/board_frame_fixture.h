// tests/board: the board fixture with the note tables, the song's sounding keys and the board
// view's frame memory reset, and helpers that press keys and build a frame record.
#pragma once
#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "board/board_frame.h"
#include "board/board_view.h"
#include "midi/playback.h"
#include "tests/board/board_fixture.h"

class BoardFrameTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    ResetNoteTables();
    ResetBoardView();
    for (int k = 0; k < 128; ++k) {
      gKeySounding[k] = false;
      gKeyLevel[k] = 0.0f;
    }
  }
  void TearDown() override {
    ResetNoteTables();
    ResetBoardView();
    for (int k = 0; k < 128; ++k) gKeySounding[k] = false;
    BoardTest::TearDown();
  }
  // A key held down (sounding) at a velocity, or released.
  static void Press(int note, int velocity) {
    for (HeldNote& h : gHeldNotes)
      if (h.note == note) {
        h.velocity = velocity;
        h.sounding = h.keyDown = 1;
        return;
      }
    HeldNote h{};
    h.note = note;
    h.velocity = velocity;
    h.sounding = h.keyDown = 1;
    gHeldNotes.push_back(h);
  }
  static void Release(int note) {
    for (HeldNote& h : gHeldNotes)
      if (h.note == note) h.sounding = h.keyDown = 0;
  }
  // The frame record at the driven clock's time, after 17 ms more.
  BoardViewFrame Frame() {
    clock_.Advance(17);
    BoardViewFrame f;
    ComputeBoardViewFrame(&f, GetAppSeconds());
    return f;
  }
};
