// The cost of sounding songs on time: the synthesiser's audio callback per 512-frame buffer (44.1
// kHz) with a dense song (32 timed events a buffer, about 16 voices sounding), the same events all
// at the buffer's start, and nothing to do; and the output scheduler's cost per message (posting
// alone, and posting through the thread to its sender).
#include <benchmark/benchmark.h>

#include <atomic>
#include <vector>

#include "platform/clock.h"
#include "platform/synth.h"
#include "platform/timed_sender.h"

namespace {

constexpr int kFrames = 512;
constexpr int kRate = 44100;
constexpr int64_t kBufferUs = 1000000LL * kFrames / kRate;

// Renders buffers on a clock driven by the sound, posting `perBuffer` events for each: timed, or
// for at once (all applied at the buffer's start, the cost without the timing).
void RenderBuffers(benchmark::State& state, int perBuffer, bool timed = true) {
  if (!SynthOpenOfflineForTesting(kRate)) {
    state.SkipWithError("no General MIDI soundfont installed");
    return;
  }
  std::vector<float> buffer(2 * kFrames);
  int64_t now = 9000000000000;
  ClockDriveBegin((uint64_t)(now / 1000));
  uint32_t step = 0;
  for (auto _ : state) {
    for (int k = 0; k < perBuffer; ++k, ++step) {
      uint32_t on = 48 + step % 36, off = 48 + (step + 5) % 36;  // off: the note begun 31 steps ago
      uint32_t message = step % 2 ? 0x80u | off << 8 : 0x90u | on << 8 | 90u << 16;
      if (timed) SynthSendAt(message, now + k * kBufferUs / perBuffer);
      else SynthSend(message);
    }
    ClockDriveSetMicros(now);
    SynthRenderForTesting(buffer.data(), kFrames);
    benchmark::DoNotOptimize(buffer.data());
    now += kBufferUs;
  }
  SynthClose();
  ClockDriveEnd();
  state.counters["events_per_buffer"] = perBuffer;
}

std::atomic<uint64_t> gSent{0};
void CountSent(uint32_t) { gSent.fetch_add(1, std::memory_order_relaxed); }

}  // namespace

static void BM_SynthCallbackDenseSong(benchmark::State& state) { RenderBuffers(state, 32); }
BENCHMARK(BM_SynthCallbackDenseSong)->Unit(benchmark::kMicrosecond);

static void BM_SynthCallbackDenseSongAtOnce(benchmark::State& state) { RenderBuffers(state, 32, false); }
BENCHMARK(BM_SynthCallbackDenseSongAtOnce)->Unit(benchmark::kMicrosecond);

static void BM_SynthCallbackNothingToDo(benchmark::State& state) { RenderBuffers(state, 0); }
BENCHMARK(BM_SynthCallbackNothingToDo)->Unit(benchmark::kMicrosecond);

// Posting one message for a second later, as a pass hands a song's event over (the queue is
// emptied by a cancel every 1024 messages).
static void BM_SchedulerPostPerMessage(benchmark::State& state) {
  TimedSenderSetTarget(CountSent);
  int n = 0;
  for (auto _ : state) {
    TimedSenderPost(0x643C90, ClockMicros64() + 1000000);
    if (++n % 1024 == 0) TimedSenderCancelAfter(0);
  }
  TimedSenderCancelAfter(0);
}
BENCHMARK(BM_SchedulerPostPerMessage);

// 64 messages due at once through the thread to the sender, per message.
static void BM_SchedulerSendPerMessage(benchmark::State& state) {
  TimedSenderSetTarget(CountSent);
  for (auto _ : state) {
    for (int i = 0; i < 64; ++i) TimedSenderPost(0x643C90, 0);
    TimedSenderFlush();
  }
  state.SetItemsProcessed(state.iterations() * 64);
  state.counters["seconds_per_message"] =
      benchmark::Counter((double)state.iterations() * 64, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SchedulerSendPerMessage)->UseRealTime();
