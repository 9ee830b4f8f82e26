// tests/midi: a recording MIDI output, a driven clock and helpers that load songs built byte by
// byte, for the transport, pump and playlist tests.
#pragma once
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "midi/midi_event_time.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "midi/playlist.h"
#include "midi/song_beat.h"
#include "platform/messages.h"
#include "midi/teaching_record.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/test_support.h"

// What the recording output saw, in order: "open", "reset", "close" or the short message in hex;
// beside it, each message's due time (0 for at once) and each cancel's limit.
struct RecordingOutput {
  static std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
  }
  static std::vector<int64_t>& Dues() {
    static std::vector<int64_t> dues;
    return dues;
  }
  static std::vector<int64_t>& Cancels() {
    static std::vector<int64_t> cancels;
    return cancels;
  }
  // Sends and cancels in the order they came: what a port with a queue would finally sound.
  struct Step {
    bool cancel;
    uint32_t message;
    int64_t time;  // due time of a send, limit of a cancel
  };
  static std::vector<Step>& Trace() {
    static std::vector<Step> trace;
    return trace;
  }
  // The messages a queueing port sounds: each send not taken back by a later cancel before its time.
  static std::vector<Step> Sounded() {
    std::vector<Step> queued;
    for (const Step& s : Trace()) {
      if (!s.cancel) {
        queued.push_back(s);
        continue;
      }
      queued.erase(std::remove_if(queued.begin(), queued.end(), [&](const Step& q) { return q.time > s.time; }),
                   queued.end());
    }
    return queued;
  }
  static bool& OpenSucceeds() {
    static bool ok = true;
    return ok;
  }
  // How long opening takes on the driven clock (a sound device and a soundfont take a while).
  static uint64_t& OpenTakesMs() {
    static uint64_t ms = 0;
    return ms;
  }
  static bool Open() { return ClockDriveAdvance(OpenTakesMs()), Log().push_back("open"), OpenSucceeds(); }
  static void Send(uint32_t m, int64_t due) {
    Log().push_back(Hex(m)), Dues().push_back(due), Trace().push_back({false, m, due});
  }
  static void Cancel(int64_t after) { Cancels().push_back(after), Trace().push_back({true, 0, after}); }
  static void Reset() { Log().push_back("reset"); }
  static void Close() { Log().push_back("close"); }
  static std::string Hex(uint32_t m) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", m);
    return text;
  }
  static const MidiOutputPort* Port() {
    static const MidiOutputPort port{Open, Send, Cancel, Reset, Close};
    return &port;
  }
  // The short messages only.
  static std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const std::string& s : Log())
      if (s != "open" && s != "reset" && s != "close") out.push_back(s);
    return out;
  }
  static size_t Count(const std::string& what) { return (size_t)std::count(Log().begin(), Log().end(), what); }
};

// The all-notes-off sequence as the recorder logs it, then the given entries.
inline std::vector<std::string> AllNotesOffLog(std::initializer_list<const char*> then = {}) {
  std::vector<std::string> out;
  for (uint32_t c = 0; c < 16; ++c) {
    out.push_back(RecordingOutput::Hex(0x7BB0 | c));
    out.push_back(RecordingOutput::Hex(0x40B0 | c));
  }
  out.insert(out.end(), then.begin(), then.end());
  return out;
}

// A posted note or pedal message in a form tests compare.
struct Posted {
  uint32_t code;
  uint64_t wParam;
  int64_t lParam;
  bool operator==(const Posted& o) const { return code == o.code && wParam == o.wParam && lParam == o.lParam; }
};
inline std::ostream& operator<<(std::ostream& os, const Posted& p) {
  return os << std::hex << p.code << "(" << p.wParam << "," << p.lParam << ")" << std::dec;
}
inline Posted NoteMsg(int key, int velocity) { return {kMsgMidiNote, (uint64_t)key, (int64_t)(velocity | 0x40000000)}; }
inline Posted PedalMsg(int value) { return {kMsgMidiSustain, 0, value}; }

using Posts = std::vector<Posted>;
inline std::vector<Posted> TakePosted() {
  std::vector<Posted> out;
  AppMessage m;
  while (TakeAppMessage(&m)) out.push_back({m.code, m.wParam, m.lParam});
  return out;
}

// Every test starts from nothing loaded, speed 1, an empty queue and a fresh recorder.
class TransportTest : public ::testing::Test {
 protected:
  ScopedDrivenClock clock_{0x200000000ull + 5000000ull};
  SongBeatHandler beat_ = nullptr;   // where the pump hands the song's beat (none by default)
  TempDir dir_;

  void SetUp() override {
    SetMidiOutputPort(RecordingOutput::Port());
    RecordingOutput::OpenSucceeds() = true;
    RecordingOutput::OpenTakesMs() = 0;
    UnloadMidi();
    gPlaybackSpeed = 1.0f;
    ResetPlaylist();
    ResetPlayAlong();
    ResetViewModes();
    ResetTeachingRecord();
    ResetSongBeat();
    ResetStatusText();
    Forget();
  }
  void TearDown() override {
    beat_ = nullptr;
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    TakePosted();
  }

  uint32_t Now() const { return ClockMs32(); }
  uint32_t Pos() const { return GetPlaybackPositionMs(ClockMs32()); }
  void Advance(uint32_t ms) { clock_.Advance(ms); }
  // Advances the clock and runs one pump pass, the song's beat going to beat_; the lesson song's end
  // bits of the pass (kLessonSongEnded ...).
  int PumpAfter(uint32_t ms) {
    clock_.Advance(ms);
    return PumpMidiPlayback(ClockMs32(), beat_);
  }
  // Runs 16 ms passes until the song has ended (stopped, or another started) or 5 s went by; true
  // when it ended. A plain song that sounds rings out a while after its last event before it ends.
  bool PumpUntilTheSongEnds() {
    const uint32_t start = gPlayStartMs;
    for (int pass = 0; pass < 320; ++pass) {
      if (!gPlaying || gPlayStartMs != start) return true;
      PumpAfter(16);
    }
    return !gPlaying || gPlayStartMs != start;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir_.File(name), bytes);
    return dir_.File(name);
  }
  // Forgets what was posted and sent so far.
  void Forget() {
    TakePosted();
    RecordingOutput::Log().clear();
    RecordingOutput::Dues().clear();
    RecordingOutput::Cancels().clear();
    RecordingOutput::Trace().clear();
  }
  // Loads a song and forgets what the load itself posted and sent.
  void Load(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(LoadAndPlayMidi(Write(name, bytes))) << gStatusText;
    Forget();
  }
  // Judge records sized to the song, all pending (the judging itself is another module's).
  void SizeJudgeStates() { gJudgeStates.assign(gSongEvents.size(), NoteJudgeState{}); }
};

// A scale at 120 BPM, 480 ticks per quarter (480 ticks = 500 ms): 60, 62, 64, 65, each 500 ms.
inline std::string ScaleBody() {
  using namespace smf;
  return On(0, 60, 100) + Off(480, 60) + On(0, 62, 90) + Off(480, 62) + On(0, 64, 80) + Off(480, 64) +
         On(0, 65, 70) + Off(480, 65);
}
inline std::string ScaleSong() { return smf::File(480, {ScaleBody()}); }
