// Which ports of the MIDI service are offered, in which order, and how long a short message is;
// over a private JACK server (dummy backend), an output that stays open while its destination
// comes and goes, and the listing a count makes for the names and opens after it.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/midi_ports.h"
#include "tests/support/jack_server.h"

namespace {

// Waits until pred holds, at most `ms`.
template <typename Pred>
bool WaitUntil(Pred pred, int ms) {
  for (int i = 0; i < ms / 5 && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return pred();
}

// The offered output of that name, or -1.
int OutputNamed(const std::string& wanted) {
  int n = MidiOutPortCount();
  std::string name;
  for (int i = 0; i < n; ++i)
    if (MidiOutPortName(i, &name) && name == wanted) return i;
  return -1;
}

// A synthesiser on the JACK server: a client "synth" whose port "in" counts the MIDI events it
// gets. Stopping and starting it again is the synthesiser restarting under the same name.
struct JackSynth {
  jack_client_t* client = nullptr;
  jack_port_t* port = nullptr;
  std::atomic<int> events{0};

  static int Process(jack_nframes_t frames, void* self) {
    JackSynth& s = *(JackSynth*)self;
    s.events.fetch_add((int)jack_midi_get_event_count(jack_port_get_buffer(s.port, frames)));
    return 0;
  }
  bool Start() {
    jack_status_t status;
    client = jack_client_open("synth", JackNoStartServer, &status);
    if (!client) return false;
    port = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    return port && jack_set_process_callback(client, Process, this) == 0 && jack_activate(client) == 0;
  }
  void Stop() {
    if (client) jack_deactivate(client), jack_client_close(client);
    client = nullptr;
    port = nullptr;
  }
  ~JackSynth() { Stop(); }
  // Notes sent now reach it, with the program's rescan running between them as it does each tick.
  bool Hears() {
    const int before = events.load();
    return WaitUntil([&] { return MidiInPortCount(), MidiOutPortSend(0x403C90), events.load() > before; }, 3000);
  }
};

TEST(MidiPortClass, HardwareFirstNeverOurOwnNorTheThroughPortAsKeyboard) {
  const struct {
    const char* name;
    int asInput, asOutput;
  } cases[] = {
      {"Midi Through:Midi Through Port-0 14:0", -1, 1},
      {"USB Keyboard:USB Keyboard MIDI 1 20:0", 0, 0},
      {"Digital Piano:Digital Piano MIDI 1 127:0", 0, 0},
      {"VMPK Output:out 128:0", 1, 1},
      {"Tonvarra:input 129:0", -1, -1},
      {"Tonvarra-01:output", -1, -1},
      {"system:midi_capture_1", 0, 0},
      {"a2j:USB Keyboard [20] (capture): USB Keyboard MIDI 1", 0, 0},
      {"Midi-Bridge:USB Keyboard 1:(capture_0) USB Keyboard MIDI 1", 0, 0},
      {"peer:keys", 1, 1},
      {"odd name 12x:4", 1, 1},  // no client number
      {"odd name :4", 1, 1},
      {"", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MidiPortClass(c.name, true), c.asInput) << c.name;
    EXPECT_EQ(MidiPortClass(c.name, false), c.asOutput) << c.name;
  }
}

TEST(MidiShortMessageLength, FollowsTheStatusByte) {
  const std::pair<uint8_t, int> cases[] = {
      {0x00, 0}, {0x7F, 0}, {0x80, 3}, {0x9F, 3}, {0xA0, 3}, {0xB5, 3}, {0xC0, 2}, {0xCF, 2}, {0xD3, 2}, {0xE0, 3},
      {0xF0, 0}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF7, 0}, {0xF8, 1}, {0xFE, 1}, {0xFF, 1},
  };
  for (auto [status, length] : cases) EXPECT_EQ(MidiShortMessageLength(status), length) << std::hex << (int)status;
}

// AUDIO OUT set to a JACK synthesiser that restarts: JACK drops our connection with the client
// that left, but our output stays open, so the rest of a song would be silent unless the rescan
// connects it again once the synthesiser is back.
TEST(MidiPortsOverJack, AnOpenOutputReachesItsSynthesiserAgainAfterItRestarts) {
  PrivateJackServer server;
  if (!server.up()) GTEST_SKIP() << "jackd did not start: " << server.Log();
  if (std::string(MidiServiceName()) != "JACK") GTEST_SKIP() << "an ALSA sequencer is in use here";
  JackSynth synth;
  ASSERT_TRUE(synth.Start());
  int port = -1;
  ASSERT_TRUE(WaitUntil([&] { return (port = OutputNamed("synth:in")) >= 0; }, 2000));
  ASSERT_TRUE(MidiOutPortOpen(port));
  ASSERT_TRUE(synth.Hears());

  synth.Stop();
  ASSERT_TRUE(WaitUntil([] { return MidiInPortCount(), OutputNamed("synth:in") < 0; }, 2000));
  for (int i = 0; i < 3; ++i) MidiInPortCount(), MidiOutPortSend(0x403C90);  // rescans while it is away
  ASSERT_TRUE(synth.Start());
  EXPECT_TRUE(synth.Hears()) << "the output is connected again to the synthesiser that came back";
  MidiOutPortClose();
}

// A keyboard's ports listed, then one of them gone before its row is read or chosen (unplugged
// while the list is drawn, or while the first keyboard is looked for): the names and the open by
// index stay those of the count the caller made, so no row shows or opens its neighbour; the next
// count lists the change, a new port and a renamed one.
TEST(MidiPortsOverJack, NamesAndOpensFollowTheCountWhilePortsComeAndGo) {
  PrivateJackServer server;
  if (!server.up()) GTEST_SKIP() << "jackd did not start: " << server.Log();
  if (std::string(MidiServiceName()) != "JACK") GTEST_SKIP() << "an ALSA sequencer is in use here";
  jack_status_t status;
  jack_client_t* peer = jack_client_open("peer", JackNoStartServer, &status);
  ASSERT_NE(peer, nullptr);
  jack_port_t* ports[2] = {jack_port_register(peer, "a", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0),
                           jack_port_register(peer, "b", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0)};
  ASSERT_TRUE(ports[0] && ports[1] && jack_activate(peer) == 0);
  ASSERT_TRUE(WaitUntil([] { return MidiInPortCount() == 2; }, 2000));
  std::string listed[2], name;
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(MidiInPortName(i, &listed[i]));
  const int first = listed[0] == "peer:a" ? 0 : 1;  // the port listed first
  ASSERT_EQ(listed[1], first == 0 ? "peer:b" : "peer:a");

  jack_port_unregister(peer, ports[first]);
  ASSERT_TRUE(WaitUntil([&] { return !jack_port_by_name(peer, listed[0].c_str()); }, 2000));
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(MidiInPortName(i, &name)) << i;
    EXPECT_EQ(name, listed[i]) << "the name of row " << i << " as counted";
  }
  void* handle = nullptr;
  EXPECT_EQ(MidiInPortOpen(0, &handle), kMidiPortBadIndex) << "row 0's port has gone; its neighbour is not opened";
  ASSERT_EQ(MidiInPortOpen(1, &handle), kMidiPortOk);
  jack_port_t* kept = ports[1 - first];
  EXPECT_TRUE(WaitUntil([&] { return jack_port_connected(kept) > 0; }, 2000)) << "row 1's port is the one opened";
  EXPECT_TRUE(MidiInPortStillPresent());

  ASSERT_TRUE(WaitUntil([] { return MidiInPortCount() == 1; }, 2000)) << "the next count lists the port gone";
  EXPECT_TRUE(MidiInPortName(0, &name));
  EXPECT_EQ(name, listed[1]);
  jack_port_t* added = jack_port_register(peer, "c", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  ASSERT_NE(added, nullptr);
  auto listedNow = [](const std::string& wanted) {
    std::string n;
    for (int i = 0; i < MidiInPortCount(); ++i)
      if (MidiInPortName(i, &n) && n == wanted) return true;
    return false;
  };
  EXPECT_TRUE(WaitUntil([&] { return listedNow("peer:c"); }, 2000)) << "a port that came";
  ASSERT_EQ(jack_port_rename(peer, added, "d"), 0);
  EXPECT_TRUE(WaitUntil([&] { return listedNow("peer:d") && !listedNow("peer:c"); }, 2000)) << "a port renamed";
  MidiInPortClose();
  jack_deactivate(peer);
  jack_client_close(peer);
}

}  // namespace
