// MIDI devices: how long a key press takes from the input callback to its note handled on the UI
// thread, what a short message to the built-in synthesiser costs, and what the start screen's
// device lists cost a frame with many JACK ports.
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <jack/jack.h>
#include <stdlib.h>
#include <string>
#include <thread>
#include <vector>

#include "app/base/note_tables.h"
#include "app/window_proc.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/midi_ports.h"
#include "platform/synth.h"
#include "tests/support/jack_server.h"

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

// A frame of the start screen with a MIDI router or a bridge offering `n` JACK MIDI ports each way
// (a private server, dummy backend): both pickers count twice (the layout and the drawing) and
// read every name. BM_JackPortListsFrame has the ports stay as they are; in
// BM_JackPortListsFrameAfterChange a port is renamed before each frame (untimed, with time for the
// server's report to arrive), so each frame meets a changed list.
namespace {
PrivateJackServer& BenchJackServer() {
  static PrivateJackServer server;
  return server;
}

// A client "keys" with `n` MIDI outputs and a client "synths" with `n` MIDI inputs.
struct ManyJackPorts {
  jack_client_t* keys = nullptr;
  jack_client_t* synths = nullptr;
  std::vector<jack_port_t*> keyPorts;
  explicit ManyJackPorts(int n) {
    jack_status_t status;
    keys = jack_client_open("keys", JackNoStartServer, &status);
    synths = jack_client_open("synths", JackNoStartServer, &status);
    if (!keys || !synths) return;
    for (int i = 0; i < n; ++i) {
      std::string name = "midi" + std::to_string(i);
      keyPorts.push_back(jack_port_register(keys, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0));
      jack_port_register(synths, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    }
    jack_activate(keys);
    jack_activate(synths);
  }
  ~ManyJackPorts() {
    for (jack_client_t* c : {keys, synths})
      if (c) jack_deactivate(c), jack_client_close(c);
  }
  // Both lists show every port (the program's own ports are never offered).
  bool Listed(int n) {
    for (int i = 0; i < 500; ++i) {
      if (MidiInPortCount() == n && MidiOutPortCount() == n) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

void ReadBothPickers() {
  std::string name;
  for (bool input : {true, false}) {
    int n = 0;
    for (int pass = 0; pass < 2; ++pass) n = input ? MidiInPortCount() : MidiOutPortCount();
    for (int i = 0; i < n; ++i)
      benchmark::DoNotOptimize(input ? MidiInPortName(i, &name) : MidiOutPortName(i, &name));
  }
}

// Why the ports cannot be measured here, or null.
const char* ManyPortsMissing(ManyJackPorts& ports, int n) {
  if (!BenchJackServer().up()) return "jackd did not start";
  if (std::string(MidiServiceName()) != "JACK") return "an ALSA sequencer is in use here";
  if (!ports.Listed(n)) return "the ports were not listed";
  return nullptr;
}
}  // namespace

static void BM_JackPortListsFrame(benchmark::State& state) {
  BenchJackServer();  // the server is up before the peers open
  ManyJackPorts ports((int)state.range(0));
  if (const char* missing = ManyPortsMissing(ports, (int)state.range(0))) return state.SkipWithError(missing);
  for (auto _ : state) ReadBothPickers();
  state.counters["ports_each_way"] = (double)state.range(0);
}
BENCHMARK(BM_JackPortListsFrame)->Arg(16)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

static void BM_JackPortListsFrameAfterChange(benchmark::State& state) {
  BenchJackServer();
  ManyJackPorts ports((int)state.range(0));
  if (const char* missing = ManyPortsMissing(ports, (int)state.range(0))) return state.SkipWithError(missing);
  bool renamed = false;
  for (auto _ : state) {
    state.PauseTiming();
    jack_port_rename(ports.keys, ports.keyPorts[0], renamed ? "midi0" : "renamed0");
    renamed = !renamed;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    state.ResumeTiming();
    ReadBothPickers();
  }
  state.counters["ports_each_way"] = (double)state.range(0);
}
BENCHMARK(BM_JackPortListsFrameAfterChange)->Arg(16)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);
