// Parsing speed of the MIDI file reader on a large generated song: 100,000 notes over 30 tracks
// with 50 tempo changes, running status and a sustain pedal.
#include <benchmark/benchmark.h>

#include <random>

#include "midi/midi_file.h"
#include "tests/midi/smf_builder.h"

using namespace smf;

static std::string BuildLargeSong() {
  std::mt19937 rng(11);
  const int kTracks = 30, kNotesPerTrack = 3334;
  std::string tracks;
  std::string tempoTrack;
  for (int i = 0; i < 50; ++i) tempoTrack += Tempo(i ? 4000 : 0, 300000 + (uint32_t)(rng() % 600000));
  tracks += Track(tempoTrack + EndOfTrack());
  for (int t = 0; t < kTracks; ++t) {
    std::string body;
    body += Ev(0, {0x90 | (t % 16), 60, 1});  // sets the running status
    for (int i = 0; i < kNotesPerTrack; ++i) {
      int note = 36 + (int)(rng() % 60);
      body += Vlq(rng() % 120) + Bytes({note, 40 + (int)(rng() % 80)});
      body += Vlq(30 + rng() % 200) + Bytes({note, 0});
      if (i % 64 == 0) body += Pedal(0, i % 128 ? 127 : 0, t % 16) + Ev(0, {0x90 | (t % 16), 60, 0});
    }
    tracks += Track(body + EndOfTrack());
  }
  return Header(kTracks + 1, 480) + tracks;
}

static void BM_ParseLargeSong(benchmark::State& state) {
  static const std::string file = BuildLargeSong();
  std::vector<SongEvent> events;
  std::vector<TempoPoint> tempo;
  int key;
  bool minor;
  std::string error;
  for (auto _ : state) {
    bool ok = ParseMidiBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size(), events, tempo,
                             key, minor, error);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)file.size());
  state.counters["events"] = (double)events.size();
  state.counters["file_bytes"] = (double)file.size();
}
BENCHMARK(BM_ParseLargeSong)->Unit(benchmark::kMillisecond);
