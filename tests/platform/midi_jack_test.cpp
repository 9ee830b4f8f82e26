// MIDI over a real JACK server (dummy backend, private server name): a second client plays the
// keyboard and listens as a synthesiser, so the input road and the output are checked end to end.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/note_preview.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/midi_ports.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"

namespace {

// A JACK server of this test process alone; the process's JACK clients talk to it.
class PrivateJackServer {
 public:
  PrivateJackServer() {
    // JACK serves at most 8 servers on one machine and wedges when many run at once, so these
    // tests take turns machine-wide (all checkouts' runs alike): the lock is the one shared name.
    lock_ = open("/tmp/tonvarra-jack-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    for (int i = 0; lock_ >= 0 && i < 1200 && flock(lock_, LOCK_EX | LOCK_NB) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    name_ = "tvtest" + std::to_string(getpid()) + "_" + std::to_string(ClockTickMs64() % 100000);
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    std::vector<std::pair<std::string, std::string>> env = {{"JACK_NO_START_SERVER", "1"}};
    // JACK serves at most 8 servers on one machine; while tests running in parallel hold them
    // all, this one waits for a free place.
    for (int attempt = 0; attempt < 40 && !up_; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(500 + (getpid() % 7) * 100));
      pid_ = SpawnProgram({"jackd", "-n", name_, "-r", "-d", "dummy", "-r", "48000", "-p", "128"}, "", env, {},
                          dir_.File("jackd.log"));
      pid_t wait = SpawnProgram({"jack_wait", "-s", name_, "-w", "-t", "10"}, "", env, {}, dir_.File("wait.log"));
      up_ = pid_ > 0 && wait > 0 && WaitForChild(wait, 15) == 0;
      if (!up_ && pid_ > 0) {
        kill(pid_, SIGTERM);
        if (WaitForChild(pid_, 5) == -1) kill(pid_, SIGKILL);
        pid_ = -1;
      }
    }
  }
  ~PrivateJackServer() {
    MidiPortsShutdown();  // the program's clients go before their server
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      if (WaitForChild(pid_, 5) == -1) kill(pid_, SIGKILL);
    }
    if (lock_ >= 0) close(lock_);  // releases the turn
  }
  bool up() const { return up_; }
  std::string Log() const { return ReadFileBytes(dir_.File("jackd.log")); }

 private:
  TempDir dir_;
  std::string name_;
  pid_t pid_ = -1;
  bool up_ = false;
  int lock_ = -1;
};

// Waits until pred holds, at most `ms`.
template <typename Pred>
bool WaitUntil(Pred pred, int ms) {
  for (int i = 0; i < ms / 5; ++i) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return pred();
}

// What the window saw, in order.
struct Seen {
  uint32_t code;
  uint64_t wParam;
  int64_t lParam;
};
std::vector<Seen> gSeen;

int64_t RecordingWindow(uint32_t code, uint64_t wParam, int64_t lParam) {
  gSeen.push_back({code, wParam, lParam});
  if (code == kMsgMidiInData) HandleMidiInData(wParam, lParam);
  if (code == kMsgMidiInError) HandleMidiInError(code, wParam, lParam);
  return 0;
}

int FindPort(bool input, const std::string& part) {
  int n = input ? MidiInPortCount() : MidiOutPortCount();
  for (int i = 0; i < n; ++i) {
    std::string name;
    if ((input ? MidiInPortName(i, &name) : MidiOutPortName(i, &name)) && name.find(part) != std::string::npos)
      return i;
  }
  return -1;
}

// Opens a peer's port; on a machine busy with other servers JACK may refuse for a moment.
template <typename Client>
void OpenVirtual(Client& client, const char* name) {
  for (int attempt = 0;; ++attempt) {
    try {
      client.openVirtualPort(name);
      return;
    } catch (const RtMidiError&) {
      if (attempt == 20) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }
}

// A receiving client's port: what arrived, in order.
struct Sink {
  std::mutex mutex;
  std::vector<std::vector<unsigned char>> got;
  RtMidiIn client{RtMidi::UNIX_JACK, "peer"};
  explicit Sink(bool everything) {
    if (everything) client.ignoreTypes(false, false, false);
    client.setCallback(
        [](double, std::vector<unsigned char>* m, void* self) {
          Sink* sink = (Sink*)self;
          std::lock_guard<std::mutex> lock(sink->mutex);
          sink->got.push_back(*m);
        },
        this);
    OpenVirtual(client, "sink");
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex);
    return got.size();
  }
  // Sends probes until one gets through (the connection takes a cycle or more), then forgets them.
  bool Connect(void (*sendProbe)()) {
    bool ok = false;
    for (int i = 0; i < 50 && !ok; ++i) {
      sendProbe();
      ok = WaitUntil([&] { return Count() > 0; }, 100);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::mutex> lock(mutex);
    got.clear();
    return ok;
  }
  std::vector<std::vector<unsigned char>> Wait(size_t count) {
    WaitUntil([&] { return Count() >= count; }, 10000);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::mutex> lock(mutex);
    return got;
  }
};

class MidiOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server_.up()) GTEST_SKIP() << "jackd did not start: " << server_.Log();
    if (std::string(MidiServiceName()) != "JACK") GTEST_SKIP() << "an ALSA sequencer is in use here";
    RemoveAppMessages(0, 0xFFFFFFFFu);
    gSeen.clear();
    SetAppMessageHandler(RecordingWindow);
  }
  void TearDown() override {
    CloseMidiInput();
    MidiOutPortClose();
    SetAppMessageHandler(nullptr);
  }
  // One server for the process: the program's MIDI clients live as long as the process does.
  static PrivateJackServer& Server() {
    static PrivateJackServer server;
    return server;
  }
  PrivateJackServer& server_ = Server();
};

void KeyboardMessagesReachTheNoteRoadInOrderOnTheProgramsClock() {
  RtMidiOut keys(RtMidi::UNIX_JACK, "peer");
  OpenVirtual(keys, "keys");
  ASSERT_TRUE(WaitUntil([] { return FindPort(true, "peer:keys") >= 0; }, 2000));
  EXPECT_EQ(FindPort(true, "Tonvarra"), -1) << "our own ports are never offered as a keyboard";

  MidiInitAuto();
  ASSERT_TRUE(gMidiInOpen);
  EXPECT_NE(gMidiInName.find("peer:keys"), std::string::npos);
  // The connection takes effect within a cycle or so: probe until a message gets through.
  std::vector<unsigned char> probe{0xC0, 1};
  bool connected = false;
  for (int i = 0; i < 50 && !connected; ++i) {
    keys.sendMessage(&probe);
    connected = WaitUntil([&] { return CountAppMessages() > 0; }, 100);
  }
  ASSERT_TRUE(connected);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  RemoveAppMessages(0, 0xFFFFFFFFu);

  struct Played {
    std::vector<unsigned char> bytes;
    uint32_t code;     // the note message it becomes, 0 = dropped
    uint64_t field;    // note and channel field of kMsgMidiNote
    int64_t lParam;
  } played[] = {
      {{0x90, 60, 100}, kMsgMidiNote, MakeNoteWParam(60, 0, 0), 100},
      {{0xB0, 64, 127}, kMsgMidiSustain, 0, 127},
      {{0xC0, 5}, 0, 0, 0},                                      // program change: dropped
      {{0x80, 60, 64}, kMsgMidiNote, MakeNoteWParam(60, 0, 0), 0},
      {{0x92, 64, 90}, kMsgMidiNote, MakeNoteWParam(64, 2, 0), 90},
      {{0x92, 64, 0}, kMsgMidiNote, MakeNoteWParam(64, 2, 0), 0},  // velocity 0 releases
      {{0xB0, 64, 0}, kMsgMidiSustain, 0, 0},
  };
  std::vector<uint32_t> sentAt;
  for (auto& p : played) {
    sentAt.push_back(ClockMs32());
    keys.sendMessage(&p.bytes);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  ASSERT_TRUE(WaitUntil([&] { return CountAppMessages() >= std::size(played); }, 10000));
  DrainAppMessages();

  // The raw messages in the order played, each stamped on arrival; then the note messages they
  // made, in the same order, carrying those stamps.
  std::vector<Seen> raw, notes;
  for (const Seen& s : gSeen) (s.code == kMsgMidiInData ? raw : notes).push_back(s);
  ASSERT_EQ(raw.size(), std::size(played));
  std::vector<int32_t> delays;
  size_t n = 0;
  for (size_t i = 0; i < std::size(played); ++i) {
    uint64_t packed = 0;
    for (size_t b = 0; b < played[i].bytes.size(); ++b) packed |= (uint64_t)played[i].bytes[b] << (8 * b);
    EXPECT_EQ(raw[i].wParam, packed) << i;
    uint32_t stamp = (uint32_t)raw[i].lParam;
    int32_t delay = (int32_t)(stamp - sentAt[i]);
    delays.push_back(delay);
    EXPECT_GE(delay, 0) << i;
    EXPECT_LE(delay, 100) << i << ": stamped far too late";
    if (played[i].code == 0) continue;
    ASSERT_LT(n, notes.size());
    const Seen& note = notes[n++];
    EXPECT_EQ(note.code, played[i].code) << i;
    if (note.code == kMsgMidiNote) EXPECT_EQ(note.wParam, played[i].field | ((uint64_t)stamp << 32)) << i;
    else EXPECT_EQ(note.wParam, (uint64_t)stamp) << i;
    EXPECT_EQ(note.lParam, played[i].lParam) << i;
  }
  EXPECT_EQ(n, notes.size());
  // Single messages may meet a busy machine; the typical one arrives within a few milliseconds.
  std::sort(delays.begin(), delays.end());
  EXPECT_LE(delays[delays.size() / 2], 10);
  ::testing::Test::RecordProperty("median_delay_ms", delays[delays.size() / 2]);

  // After the close nothing more arrives, even while the keyboard plays on.
  CloseMidiInput();
  std::vector<unsigned char> more{0x90, 61, 100};
  keys.sendMessage(&more);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(CountAppMessages(), 0u);
}

void AVanishedKeyboardIsReportedAndAReturningOneIsReopened() {
  auto keys = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "peer");
  OpenVirtual(*keys, "keys");
  ASSERT_TRUE(WaitUntil([] { return MidiInPortCount() == 1; }, 2000));
  MidiInitAuto();
  ASSERT_TRUE(gMidiInOpen);
  keys.reset();  // unplugged
  ASSERT_TRUE(WaitUntil([] { return MidiInPortCount() == 0; }, 2000));
  CheckMidiInputPresent();
  ASSERT_EQ(CountAppMessages(), 1u);
  DrainAppMessages();
  EXPECT_EQ(gSeen.back().code, (uint32_t)kMsgMidiInError);
  EXPECT_TRUE(gMidiInHardFail);

  keys = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "peer");  // plugged in again
  OpenVirtual(*keys, "keys");
  ASSERT_TRUE(WaitUntil([] { return MidiInPortCount() == 1; }, 2000));
  MidiInitAuto();
  ASSERT_TRUE(gMidiInOpen);
  EXPECT_FALSE(gMidiInHardFail);
  std::vector<unsigned char> note{0x90, 62, 80};
  EXPECT_TRUE(WaitUntil([&] {
    keys->sendMessage(&note);
    return CountAppMessages() > 0;
  }, 5000)) << "the reopened keyboard is heard";
}

void OutputReachesAReceivingClientByteForByte() {
  Sink sink(true);
  int port = -1;
  ASSERT_TRUE(WaitUntil([&] { return (port = FindPort(false, "peer:sink")) >= 0; }, 2000));
  EXPECT_EQ(FindPort(false, "Tonvarra"), -1);
  ASSERT_TRUE(MidiOutPortOpen(port));
  ASSERT_TRUE(sink.Connect([] { MidiOutPortSend(0x00C0); }));

  const struct {
    uint32_t message;
    std::vector<unsigned char> bytes;  // empty: nothing is sent
  } sent[] = {
      {0x643C90, {0x90, 0x3C, 0x64}},  // note on
      {0x003C80, {0x80, 0x3C, 0x00}},  // note off
      {0x05C3, {0xC3, 0x05}},          // program change: two bytes
      {0x40D1, {0xD1, 0x40}},          // channel pressure: two bytes
      {0x4000E2, {0xE2, 0x00, 0x40}},  // pitch bend
      {0x7F40B9, {0xB9, 0x40, 0x7F}},  // pedal
      {0x00003C, {}},                  // a data byte is no status
      {0xF8, {0xF8}},                  // clock: one byte
  };
  size_t expected = 0;
  for (const auto& s : sent) {
    MidiOutPortSend(s.message);
    if (!s.bytes.empty()) ++expected;
  }
  std::vector<std::vector<unsigned char>> want;
  for (const auto& s : sent)
    if (!s.bytes.empty()) want.push_back(s.bytes);
  EXPECT_EQ(sink.Wait(expected), want);
}

// The saved output device is a port of the service: a preview note reaches it, and the full reset
// brings it to rest with the specified messages before closing it.
void FullResetSendsItsMessagesToTheChosenPort() {
  Sink sink(false);
  ASSERT_TRUE(WaitUntil([&] { return FindPort(false, "peer:sink") >= 0; }, 2000));
  TempDir dir;
  ScopedExeDir exe(dir.path());
  WriteFileBytes(dir.File("Data/midi_output_device.txt"), "PEER:SINK\n");
  gMidiOutNameLoaded = false;
  SetMidiOutputPort(DeviceMidiOutputPort());

  ASSERT_TRUE(OpenMidiOutput());
  EXPECT_EQ(gMidiOutOpenName, "peer:sink");
  ASSERT_TRUE(sink.Connect([] { SendMidiOutShort(0x00C0); }));
  PlayPreviewNote(62, 90, 0);
  ResetMidiFull();
  EXPECT_FALSE(IsMidiOutputOpen());

  std::vector<std::vector<unsigned char>> want = {{0x90, 62, 90}};
  for (unsigned char c = 0; c < 16; ++c) {  // all notes off and the pedal up on every channel
    want.push_back({(unsigned char)(0xB0 | c), 123, 0});
    want.push_back({(unsigned char)(0xB0 | c), 64, 0});
  }
  for (unsigned char c = 0; c < 16; ++c) {  // then the port is brought to rest
    want.push_back({(unsigned char)(0xB0 | c), 120, 0});
    want.push_back({(unsigned char)(0xB0 | c), 121, 0});
    want.push_back({(unsigned char)(0xB0 | c), 123, 0});
  }
  std::vector<std::vector<unsigned char>> got = sink.Wait(want.size());
  EXPECT_EQ(got.size(), want.size());
  for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) ASSERT_EQ(got[i], want[i]) << "message " << i;
  SetMidiOutputPort(nullptr);
}

// Each check runs in a test process of its own, with a server of its own.
TEST_F(MidiOverJack, KeyboardMessagesReachTheNoteRoad) { KeyboardMessagesReachTheNoteRoadInOrderOnTheProgramsClock(); }
TEST_F(MidiOverJack, VanishedKeyboardReportedReturningOneReopened) {
  AVanishedKeyboardIsReportedAndAReturningOneIsReopened();
}
TEST_F(MidiOverJack, OutputReachesAReceivingClientByteForByte) { OutputReachesAReceivingClientByteForByte(); }
TEST_F(MidiOverJack, FullResetSendsItsMessagesToTheChosenPort) { FullResetSendsItsMessagesToTheChosenPort(); }

}  // namespace
