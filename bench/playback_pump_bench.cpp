// One pass of the playback pump with 20 due events (notes and pedal, sent to an output and posted
// to the display), and for reference the cost of draining those 20 messages alone.
#include <benchmark/benchmark.h>

#include "midi/midi_output.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "midi/song_beat.h"
#include "platform/clock.h"
#include "platform/messages.h"

namespace {

bool OpenPort() { return true; }
void SendNothing(uint32_t message, int64_t due) { benchmark::DoNotOptimize(message + due); }
void CancelNothing(int64_t) {}
void Nothing() {}
const MidiOutputPort kSilentPort{OpenPort, SendNothing, CancelNothing, Nothing, Nothing};

int64_t IgnoreMessage(uint32_t, uint64_t, int64_t) { return 0; }

// 20 events due at song time 0..19 ms, and one far later so the song never ends.
void InstallSong() {
  gSongEvents.clear();
  for (uint32_t i = 0; i < 20; ++i) {
    uint8_t kind = i % 5 == 4 ? 0xB0 : (i % 2 ? 0x80 : 0x90);
    gSongEvents.push_back({i, kind, (uint8_t)(kind == 0xB0 ? 64 : 48 + i), (uint8_t)(kind == 0x80 ? 0 : 90), 0});
  }
  gSongEvents.push_back({600000, 0x80, 60, 0, 0});
  gSongTempo = {{0, 120}, {300000, 90}};
  RebuildSongBeatTable();
  gPlaying = true;
  gPaused = false;
  gPlaybackSpeed = 1.0f;
}

}  // namespace

static void BM_PumpPassWith20DueEvents(benchmark::State& state) {
  SetMidiOutputPort(&kSilentPort);
  OpenMidiOutput();
  SetAppMessageHandler(IgnoreMessage);
  InstallSong();
  ClockDriveBegin(0x100000000ull);
  for (auto _ : state) {
    gEventCursor = 0;
    gPlayStartMs = ClockMs32() - 25;  // position 25 ms: all 20 events are due
    PumpMidiPlayback(ClockMs32());
    DrainAppMessages();
  }
  ClockDriveEnd();
  state.counters["events"] = 20;
}
BENCHMARK(BM_PumpPassWith20DueEvents);

static void BM_Drain20NoteMessages(benchmark::State& state) {
  SetAppMessageHandler(IgnoreMessage);
  for (auto _ : state) {
    for (int i = 0; i < 20; ++i) PostAppMessage(kMsgMidiNote, 60, 0x40000000 | 90);
    DrainAppMessages();
  }
}
BENCHMARK(BM_Drain20NoteMessages);
