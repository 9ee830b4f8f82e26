// The note-fall lane in the program's own 1440 x 920 window on a private display, the clock driven
// at the frame's 17 ms: a small song built as a Standard MIDI File falls onto its keys, a key
// played by a JACK keyboard client lights on the lane keyboard and its trail rises after the
// release, sparks leap above it, a missed note is drawn grey, and the learning overlay's staff
// stands between the control band and the keys. Screenshots of the whole frame are kept in the
// build folder; the checks read pixels at positions computed from the lane's own geometry, on
// frames whose particles were cleared so that no drifting mote lands on a probe.
#include <RtMidi.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "board/board_particles.h"
#include "board/lane_keys.h"
#include "board/lane_notes.h"
#include "board/note_fall_mode.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/midi_ports.h"
#include "tests/app/real_window_fixture.h"
#include "tests/midi/transport_harness.h"
#include "tests/support/jack_server.h"
#include "tests/support/test_support.h"
#include "theory/staff_panel.h"

namespace {

using namespace smf;

class LaneWindow : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    RebuildFonts();
    ConnectFloors();
    ClockDriveBegin(ClockTickMs64());
    SetMidiOutputPort(RecordingOutput::Port());
    UnloadMidi();
    ResetNoteTables();
    ResetLaneNotes();
    ResetBoardParticles();
    ASSERT_TRUE(WaitForClientSize(1440, 920));
    ToggleNoteFallMode();
    ASSERT_TRUE(gPracticeMode);
  }
  void TearDown() override {
    CloseMidiInput();
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    ResetPlayAlong();
    ResetNoteTables();
    ResetViewModes();
    ClockDriveEnd();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  // One frame with the particles cleared first, read back whole.
  static std::vector<uint8_t> CleanFrame() {
    ResetBoardParticles();
    ClockDriveAdvance(17);
    RunFrameWork(ClockMs32());
    return ReadFrame();
  }
  void SaveScreenshot(const std::string& name) {
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, ReadFrame()));
  }
  static std::array<int, 3> At(const std::vector<uint8_t>& frame, float x, float y) {
    const uint8_t* p = &frame[(size_t((int)y) * gClientWidth + size_t((int)x)) * 4];
    return {p[0], p[1], p[2]};
  }
  static int Bright(const std::vector<uint8_t>& frame, float x, float y) {
    auto c = At(frame, x, y);
    return std::max({c[0], c[1], c[2]});
  }
  static KeyboardLayout Keys() {
    NoteFallStrip st = ComputeNoteFallStrip();
    return MakeKeyboardLayout(st.keyboardX, st.keyboardW);
  }
  static float KeyCentre(int note) {
    float x, w;
    bool black;
    EXPECT_TRUE(GetLaneKeyRect(Keys(), note, &x, &w, &black));
    return x + w / 2;
  }
  // A song of three notes (C4 at 2 s for 500 ms, E4 at 2.5 s, G4 at 3 s) at 120 BPM, playing.
  void PlaySmallSong() {
    std::string bytes = File(480, {Tempo(0, 500000) + On(1920, 60, 100) + Off(480, 60) + On(0, 64, 100) + Off(480, 64) +
                                   On(0, 67, 100) + Off(480, 67) + EndOfTrack(0)});
    path_ = (std::filesystem::path(dir_.path()) / "small.mid").string();
    WriteFileBytes(path_, bytes);
    ASSERT_TRUE(LoadAndPlayMidi(path_));
    ASSERT_EQ(gSongEvents.size(), 6u);
  }
  // Runs frames until the next frame (17 ms on) draws the song at position ms.
  static void RunTo(uint32_t ms) {
    while (GetPlaybackPositionMs(ClockMs32()) + 34 <= ms) RunDrivenFrames(1);
    ClockDriveAdvance(ms - 17 - GetPlaybackPositionMs(ClockMs32()));
  }
  TempDir dir_;
  std::string path_;
};

// The next note's bar stands above its key and reaches the hit line as the note sounds.
TEST_F(LaneWindow, SongNotesFallOntoTheirKeysOnTime) {
  PlaySmallSong();
  RunTo(1400);
  SaveScreenshot("lane_song_falling");
  const NoteFallStrip st = ComputeNoteFallStrip();
  ASSERT_TRUE(st.laneShown);
  std::vector<uint8_t> frame = CleanFrame();
  const float pos = (float)GetPlaybackPositionMs(ClockMs32());
  const float bottom = SongBarBottom(2000.0f - pos, st.laneH, st.hitY);
  ASSERT_GT(bottom, 100.0f);
  const float probe = bottom - 6.0f;
  EXPECT_GT(Bright(frame, KeyCentre(60), probe), 90) << "C4's bar at y " << probe;
  EXPECT_LT(Bright(frame, KeyCentre(62), probe), 50) << "D4's column is dark";
  EXPECT_LT(Bright(frame, KeyCentre(60), bottom + 12.0f), 50) << "nothing under the bar's bottom";

  // At the note's time the bar's bottom is on the hit line: the bar fills C4's column above it;
  // 300 ms before, its bottom is still higher than 60 px over the line.
  const float above = st.hitY - 60.0f;
  RunTo(1700);
  frame = CleanFrame();
  EXPECT_LT(SongBarBottom(300.0f, st.laneH, st.hitY), above);
  EXPECT_LT(Bright(frame, KeyCentre(60), above), 50);
  RunTo(2000);
  frame = CleanFrame();
  SaveScreenshot("lane_song_landing");
  EXPECT_EQ(GetPlaybackPositionMs(ClockMs32()), 2000u);
  EXPECT_GT(Bright(frame, KeyCentre(60), above), 90);
  EXPECT_GT(Bright(frame, KeyCentre(60), st.hitY - 3.0f), 90);
  EXPECT_LT(Bright(frame, KeyCentre(62), above), 50);
}

// During a run a note marked missed is drawn grey; an unjudged note keeps a colour.
TEST_F(LaneWindow, AMissedNoteIsGrey) {
  PlaySmallSong();
  RunTo(1500);
  SetPlayAlongRun(true, false);
  ASSERT_TRUE(gPlayAlongRun);
  ASSERT_EQ(gJudgeStates.size(), gSongEvents.size());
  size_t c4 = 0;
  while (!(gSongEvents[c4].data1 == 60 && (gSongEvents[c4].status & 0xF0) == 0x90)) ++c4;
  ASSERT_TRUE(MarkNoteMissed(c4, ClockMs32(), -200.0f));
  std::vector<uint8_t> frame = CleanFrame();
  SaveScreenshot("lane_missed_note");
  const NoteFallStrip st = ComputeNoteFallStrip();
  const float pos = (float)GetPlaybackPositionMs(ClockMs32());
  const float y = SongBarBottom(2000.0f - pos, st.laneH, st.hitY) - 8.0f;
  auto c = At(frame, KeyCentre(60), y);
  EXPECT_GT(std::max({c[0], c[1], c[2]}), 20) << "the bar is drawn";
  EXPECT_LE(std::abs(c[0] - c[1]), 8);
  EXPECT_LE(std::abs(c[1] - c[2]), 14);
}

// A JACK keyboard plays E4 into the real note road: the key lights on the lane keyboard, sparks
// leap above it, and after the release its trail rises off the hit line.
TEST_F(LaneWindow, AKeyPlayedOnAKeyboardLightsRisesAndSparks) {
  // Synchronous: beside other programs' servers on a loaded machine, a client late for its cycle
  // delays it instead of dropping the key's messages in it.
  static PrivateJackServer server("128", false, true);
  if (!server.up()) GTEST_SKIP() << "jackd did not start: " << server.Log();
  if (std::string(MidiServiceName()) != "JACK") GTEST_SKIP() << "an ALSA sequencer is in use here";
  auto keys = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "peer");
  keys->openVirtualPort("keys");
  for (int i = 0; i < 100 && MidiInPortCount() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  MidiInitAuto();
  ASSERT_TRUE(gMidiInOpen);
  RunDrivenFrames(30);
  const NoteFallStrip st = ComputeNoteFallStrip();
  const float keyY = st.keyboardTop + 0.85f * st.keyboardH;  // the white key's lower part
  std::vector<uint8_t> before = CleanFrame();
  const int keyBefore = Bright(before, KeyCentre(64), keyY);

  std::vector<unsigned char> on{0x90, 64, 120}, off{0x80, 64, 0};
  bool heard = false;
  for (int i = 0; i < 100 && !heard; ++i) {
    keys->sendMessage(&on);
    for (int k = 0; k < 5 && !heard; ++k) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      RunDrivenFrames(1);
      for (const HeldNote& h : gHeldNotes) heard |= h.note == 64 && h.keyDown;
    }
  }
  ASSERT_TRUE(heard) << "the key press reached the note road";
  RunDrivenFrames(2);
  EXPECT_FALSE(gSplashParticles.empty()) << "the press splashed";
  SaveScreenshot("lane_free_play_held");
  std::vector<uint8_t> held = ReadFrame();
  EXPECT_GT(Bright(held, KeyCentre(64), keyY), keyBefore + 20) << "E4 lights on the lane keyboard";
  int sparks = 0;
  for (float y = st.hitY - 60.0f; y < st.hitY - 6.0f; y += 2.0f)
    for (float x = KeyCentre(64) - 30.0f; x < KeyCentre(64) + 30.0f; x += 2.0f) sparks += Bright(held, x, y) > 120;
  EXPECT_GT(sparks, 3) << "sparks above the key";

  RunDrivenFrames(40);  // held for about 0.7 s: the key's plumes rise
  SaveScreenshot("lane_free_play_plumes");
  keys->sendMessage(&off);
  bool released = false;
  for (int i = 0; i < 200 && !released; ++i) {
    if (i % 20 == 19) keys->sendMessage(&off);  // a release already taken changes nothing
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    RunDrivenFrames(1);
    released = true;
    for (const HeldNote& h : gHeldNotes) released &= !(h.note == 64 && h.sounding);
  }
  ASSERT_TRUE(released);
  RunDrivenFrames(60);  // about a second after the release
  std::vector<uint8_t> rising = CleanFrame();
  SaveScreenshot("lane_free_play_rising");
  ASSERT_FALSE(gLaneTrails.empty());
  const LaneTrail& t = gLaneTrails.back();
  ASSERT_EQ(t.note, 64);
  const float sr = (float)(ClockMs32() - t.releaseMs) * 0.001f;
  const float bottom = st.hitY - std::pow(sr / 2.6f, 1.08f) * st.laneH;
  EXPECT_GT(Bright(rising, KeyCentre(64), bottom - 5.0f), 60) << "the trail at y " << bottom;
  EXPECT_LT(Bright(rising, KeyCentre(64), bottom + 14.0f), 50) << "the line is clear under it";
}

}  // namespace

namespace {

// The brightest of the three rows round y: a line 1.4 px thick covers its middle row only partly.
std::array<int, 3> LineAt(const std::vector<uint8_t>& frame, float x, float y) {
  std::array<int, 3> best{0, 0, 0};
  for (int dy = -1; dy <= 1; ++dy) {
    const uint8_t* p = &frame[(size_t((int)y + dy) * gClientWidth + size_t((int)x)) * 4];
    if (p[0] + p[1] + p[2] > best[0] + best[1] + best[2]) best = {p[0], p[1], p[2]};
  }
  return best;
}

// On the learning overlay the staff stands above the note-fall keyboard at the overlay's foot:
// the bass staff's bottom line is drawn as brightly as its top line, not under
// the keys, in a frame of the whole program.
TEST_F(LaneWindow, TheOverlayStaffEndsAboveTheKeyboard) {
  ToggleNoteFallMode();
  ASSERT_FALSE(gPracticeMode);
  gLearningOverlay = true;
  RelayoutAll();
  RunDrivenFrames(40);
  const NoteFallStrip st = ComputeNoteFallStrip();
  StaffGeometry g;
  ASSERT_TRUE(st.shown && ComputeStaffGeometry(&g));
  EXPECT_LE(g.panel.y + g.panel.h, st.y);
  EXPECT_GE(g.panel.y, gControlBandRect.y + gControlBandRect.h) << "the panel keeps below the band";
  EXPECT_GE(gSpeedSliderRect.y, gControlBandRect.y);
  EXPECT_LE(gSpeedSliderRect.y + gSpeedSliderRect.h, g.panel.y);
  const std::vector<uint8_t> frame = CleanFrame();
  SaveScreenshot("overlay_staff_above_keys");
  const float bassBottom = g.bassTop + 4.0f * g.sp;
  int alike = 0, tried = 0;
  for (float x = g.playX + 40.0f; x < g.panel.x + g.panel.w - 20.0f; x += 37.0f) {
    ++tried;
    const auto top = LineAt(frame, x, g.bassTop), bottom = LineAt(frame, x, bassBottom);
    bool same = true;
    for (int c = 0; c < 3; ++c) same = same && std::abs(top[c] - bottom[c]) < 40;
    alike += same && std::min({top[0], top[1], top[2]}) > 120;
  }
  EXPECT_GT(alike, tried * 3 / 4) << "of " << tried << " places along the bass staff's bottom line";
  gLearningOverlay = false;
}

}  // namespace
