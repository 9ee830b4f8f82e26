// Key to pixel: notes played by a second JACK client, as a keyboard would, into the real program
// under a private virtual display and a private JACK server (dummy backend); the program's timing
// lines (TONVARRA_TIMING_LOG) give, for every note, its MIDI callback's stamp and the swap of the
// first frame that drew it. Reported: the median, 99th percentile and largest of callback to swap
// (whole ms, as the stamps are), and of the keyboard's send to the swap (microseconds of the same
// clock, so the JACK period is included). Notes go out at uneven gaps so they fall at every phase
// of the program's frame. A note that drew no line is named, and the server's count of cycles a
// client missed (late_cycles) tells a note lost before the program read it from one it dropped.
// TONVARRA_BINARY picks the program (default: the build's own).
//
//   bench_key_latency_bench                  (200 notes)
//   KEY_LATENCY_NOTES=500 bench_key_latency_bench
#include <RtMidi.h>
#include <benchmark/benchmark.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/virtual_display.h"
#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string ThisBuildsProgram() {
  fs::path self = ProcessExecutablePath();
  for (fs::path dir = self.parent_path(); !dir.empty() && dir != dir.root_path(); dir = dir.parent_path())
    if (fs::exists(dir / "tonvarra") && fs::exists(dir / "MIDI" / "Library")) return (dir / "tonvarra").string();
  return "";
}

struct KeyLine {
  int note = -1;
  uint32_t stampMs = 0;
  int64_t handledUs = 0;
  int64_t swapUs = 0;
  int latencyMs = 0;
};

std::vector<KeyLine> ReadKeyLines(const std::string& log) {
  std::vector<KeyLine> lines;
  std::string text = ReadFileBytes(log);
  for (size_t at = 0; (at = text.find("[timing] key ", at)) != std::string::npos; ++at) {
    KeyLine k;
    long long handled = 0, swap = 0;
    if (sscanf(text.c_str() + at, "[timing] key %d callback %u ms handled %lld us swap %lld us latency %d ms", &k.note,
               &k.stampMs, &handled, &swap, &k.latencyMs) == 5) {
      k.handledUs = handled;
      k.swapUs = swap;
      lines.push_back(k);
    }
  }
  return lines;
}

// Cycles in which the server found a client still busy with the one before (its xruns).
int CountLateCycles(const std::string& serverLog) {
  int n = 0;
  for (size_t at = 0; (at = serverLog.find("XRun: client", at)) != std::string::npos; ++at) ++n;
  return n;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  size_t i = (size_t)std::min<double>((double)v.size() - 1, std::ceil(p * (double)v.size()) - 1);
  return v[i];
}

// Opens the keyboard's port; a server busy with its start may refuse for a moment.
std::unique_ptr<RtMidiOut> PlugKeyboard() {
  for (int attempt = 0;; ++attempt) {
    try {
      auto keys = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "peer");
      keys->openVirtualPort("keys");
      return keys;
    } catch (const RtMidiError&) {
      if (attempt == 20) return nullptr;
      SleepMs(200);
    }
  }
}

void Play(RtMidiOut& keys, int note, bool on) {
  std::vector<unsigned char> m = {(unsigned char)(on ? 0x90 : 0x80), (unsigned char)note, (unsigned char)(on ? 100 : 0)};
  keys.sendMessage(&m);
}

void BM_KeyToPixel(benchmark::State& state) {
  const char* set = std::getenv("TONVARRA_BINARY");
  std::string binary = set && *set ? set : ThisBuildsProgram();
  const char* countText = std::getenv("KEY_LATENCY_NOTES");
  int count = countText ? std::max(1, std::atoi(countText)) : 200;
  if (binary.empty()) return state.SkipWithError("no program to start");
  std::string error;
  if (!StartVirtualDisplay(&error)) return state.SkipWithError(("no virtual display: " + error).c_str());
  PrivateJackServer server("128", true, false);
  if (!server.up()) return state.SkipWithError("jackd did not start");
  std::unique_ptr<RtMidiOut> keys = PlugKeyboard();
  if (!keys) return state.SkipWithError("no keyboard port");

  TempDir dir;
  std::string exe = dir.File("tonvarra");
  fs::copy_file(binary, exe);
  fs::path from = fs::path(binary).parent_path();
  for (const char* part : {"assets", "locales", "MIDI"})
    if (fs::exists(from / part)) fs::copy(from / part, dir.File(part), fs::copy_options::recursive);
  std::string log = dir.File("run.log");

  std::vector<double> callbackToSwap, sendToSwap, waited, drawn;
  int missing = 0;
  for (auto _ : state) {
    pid_t pid = SpawnProgram({exe}, dir.path(), {{"TONVARRA_MESSAGE_BOXES", "0"}, {"TONVARRA_TIMING_LOG", "1"}}, {}, log);
    // The start screen stands in front of the notes for its few seconds: notes are played until
    // the first one is drawn (and timed).
    bool ready = false;
    for (int i = 0; i < 300 && !ready; ++i) {
      Play(*keys, 40, true);
      SleepMs(50);
      Play(*keys, 40, false);
      SleepMs(50);
      ready = !ReadKeyLines(log).empty();
    }
    if (!ready) {
      kill(pid, SIGTERM);
      WaitForChild(pid, 30);
      return state.SkipWithError("no key was drawn within 30 s");
    }
    SleepMs(200);
    size_t before = ReadKeyLines(log).size();
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> gap(23, 61);  // not a multiple of the frame: every phase is met
    std::vector<int64_t> sentUs;
    for (int i = 0; i < count; ++i) {
      int note = 48 + i % 36;
      sentUs.push_back(ClockMicros64());
      Play(*keys, note, true);
      SleepMs(gap(random));
      Play(*keys, note, false);
      SleepMs(gap(random));
    }
    // The readiness notes (40) may still be drawn late on a busy machine: only the played ones count.
    auto played = [&] {
      std::vector<KeyLine> all = ReadKeyLines(log), mine;
      for (size_t i = before; i < all.size(); ++i)
        if (all[i].note != 40) mine.push_back(all[i]);
      return mine;
    };
    std::vector<KeyLine> lines;
    for (int i = 0; i < 200 && (lines = played()).size() < (size_t)count; ++i) SleepMs(50);
    kill(pid, SIGTERM);
    WaitForChild(pid, 30);
    if (const char* keep = std::getenv("KEY_LATENCY_LOG")) fs::copy_file(log, keep, fs::copy_options::overwrite_existing);
    // A note the program never drew (lost on a starved machine) is skipped, and counted, and named
    // on standard error beside the server's count of cycles the program's client missed: a client
    // that has not finished one cycle is left out of the next, and the MIDI of that cycle is gone
    // before the program could read it.
    size_t sent = 0;
    for (size_t i = 0; i < lines.size() && sent < sentUs.size(); ++i, ++sent) {
      while (sent < sentUs.size() && lines[i].note != 48 + (int)(sent % 36)) {
        std::fprintf(stderr, "note %zu (key %d) drew no line\n", sent, 48 + (int)(sent % 36));
        ++sent, ++missing;
      }
      if (sent == sentUs.size()) break;
      callbackToSwap.push_back(lines[i].latencyMs);
      // The stamp holds the low 32 bits of the millisecond clock.
      int32_t waitedMs = (int32_t)((uint32_t)(lines[i].handledUs / 1000) - lines[i].stampMs);
      waited.push_back((double)waitedMs + (double)(lines[i].handledUs % 1000) / 1000.0);
      drawn.push_back((double)(lines[i].swapUs - lines[i].handledUs) / 1000.0);
      sendToSwap.push_back((double)(lines[i].swapUs - sentUs[sent]) / 1000.0);
    }
    state.SetIterationTime(Percentile(sendToSwap, 0.5) / 1000.0);
  }
  state.counters["notes"] = (double)callbackToSwap.size();
  state.counters["cb_p50_ms"] = Percentile(callbackToSwap, 0.5);
  state.counters["cb_p99_ms"] = Percentile(callbackToSwap, 0.99);
  state.counters["cb_max_ms"] = Percentile(callbackToSwap, 1.0);
  state.counters["send_p50_ms"] = Percentile(sendToSwap, 0.5);
  state.counters["send_p99_ms"] = Percentile(sendToSwap, 0.99);
  state.counters["send_max_ms"] = Percentile(sendToSwap, 1.0);
  // Where the time goes: waiting for the pass that handles the key, then drawing and swapping it.
  state.counters["wait_p50_ms"] = Percentile(waited, 0.5);
  state.counters["wait_p99_ms"] = Percentile(waited, 0.99);
  state.counters["draw_p50_ms"] = Percentile(drawn, 0.5);
  state.counters["draw_p99_ms"] = Percentile(drawn, 0.99);
  state.counters["missing"] = missing;
  state.counters["late_cycles"] = CountLateCycles(server.Log());
  if (callbackToSwap.empty()) state.SkipWithError("no note was drawn");
  keys.reset();
}
BENCHMARK(BM_KeyToPixel)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The frame's wait alone, without a window: a key posted at a random moment of a 17 ms pacing
// wait, timed from its post to the end of the wait. Arg 0: the plain sleep (the key waits for the
// wait's end); 1: the wait a key ends.
void BM_PacingWaitAfterKey(benchmark::State& state) {
  bool wakes = state.range(0) == 1;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> offsetUs(0, 16999);
  std::vector<double> afterKey;
  for (auto _ : state) {
    RemoveAppMessages(0, 0xFFFFFFFFu);
    int64_t waitStart = ClockMicros64();
    int64_t postAt = waitStart + offsetUs(random);
    std::atomic<int64_t> posted{0};
    std::thread midi([&] {
      while (ClockMicros64() < postAt) std::this_thread::yield();
      posted.store(ClockMicros64());
      PostWakingAppMessage(kMsgMidiInData, 0x90, 0);
    });
    if (wakes) WaitForWakingMessage(17);
    else ClockSleepMs(17);
    int64_t woke = ClockMicros64();
    midi.join();
    double ms = (double)(woke - posted.load()) / 1000.0;
    afterKey.push_back(ms < 0 ? 0 : ms);
    state.SetIterationTime(afterKey.back() / 1000.0);
  }
  state.counters["p50_ms"] = Percentile(afterKey, 0.5);
  state.counters["p99_ms"] = Percentile(afterKey, 0.99);
}
BENCHMARK(BM_PacingWaitAfterKey)->Arg(0)->Arg(1)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace
