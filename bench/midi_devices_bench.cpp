// MIDI devices: how long a key press takes from the input callback to its note handled on the UI
// thread, and what a short message to the built-in synthesiser costs.
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <stdlib.h>
#include <thread>

#include "app/base/note_tables.h"
#include "app/window_proc.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/synth.h"

// What the input callback does (stamp and post), then the UI thread's drain: the raw message and
// the note message it makes, on one thread.
static void BM_CallbackToNoteHandled(benchmark::State& state) {
  SetAppMessageHandler(MainWndProc);
  bool on = true;
  for (auto _ : state) {
    PostAppMessage(kMsgMidiInData, on ? 0x643C90u : 0x003C80u, (int64_t)ClockMs32());
    DrainAppMessages();
    on = !on;
  }
  gHeldNotes.clear();
  gPlayedNotes.clear();
}
BENCHMARK(BM_CallbackToNoteHandled);

// The same across threads: a MIDI thread posts, the UI thread drains in a busy loop (as a frame
// whose drain is running would); the time from the post to the note handled, in microseconds.
namespace {
std::atomic<int64_t> gPostedAtNs{0};
std::atomic<int64_t> gHandledAtNs{0};
int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
int64_t TimingWindow(uint32_t code, uint64_t wParam, int64_t lParam) {
  int64_t r = MainWndProc(code, wParam, lParam);
  if (code == kMsgMidiNote) gHandledAtNs.store(NowNs());
  return r;
}
}  // namespace

static void BM_CallbackThreadToUiThread(benchmark::State& state) {
  SetAppMessageHandler(TimingWindow);
  std::atomic<bool> stop{false};
  std::thread ui([&] {
    while (!stop.load()) DrainAppMessages();
  });
  bool on = true;
  double totalUs = 0;
  int64_t n = 0;
  for (auto _ : state) {
    gHandledAtNs.store(0);
    int64_t posted = NowNs();
    PostAppMessage(kMsgMidiInData, on ? 0x643C90u : 0x003C80u, (int64_t)ClockMs32());
    while (gHandledAtNs.load() == 0) {
    }
    totalUs += (gHandledAtNs.load() - posted) / 1000.0;
    ++n;
    on = !on;
  }
  stop.store(true);
  ui.join();
  state.counters["post_to_note_us"] = n ? totalUs / n : 0;
  gHeldNotes.clear();
  gPlayedNotes.clear();
}
BENCHMARK(BM_CallbackThreadToUiThread)->UseRealTime();

// A note-on and its note-off to the synthesiser while its device renders (the dummy driver).
static void BM_SynthShortMessage(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (!SynthOpen()) {
    state.SkipWithError("no soundfont or no sound device");
    return;
  }
  for (auto _ : state) {
    SynthSend(0x643C90);
    SynthSend(0x003C80);
  }
  state.SetItemsProcessed(state.iterations() * 2);
  state.counters["device_buffer_ms"] = 512.0 * 1000.0 / AudioSampleRate();
  SynthClose();
}
BENCHMARK(BM_SynthShortMessage);
