// The MIDI input over a driver double: MidiInitAuto's order of attempts, its log lines and the
// busy flag; the frame's rescan, busy retry, watchdog and unplug detection.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "platform/messages.h"
#include "tests/support/test_support.h"

namespace {

struct FakeDevice {
  std::string name;  // "" = the name cannot be read
  int openResult;
  int startResult;
};

// The device layer as the test sets it up, and what was asked of it.
struct FakeMidiIn {
  static std::vector<FakeDevice>& Devices() {
    static std::vector<FakeDevice> d;
    return d;
  }
  static std::vector<std::string>& Calls() {
    static std::vector<std::string> c;
    return c;
  }
  static int& Open() {
    static int open = -1;
    return open;
  }
  static bool& Present() {
    static bool p = true;
    return p;
  }
  static int Count() { return (int)Devices().size(); }
  static bool Name(int i, std::string* out) {
    if (i < 0 || i >= Count() || Devices()[i].name.empty()) return false;
    *out = Devices()[i].name;
    return true;
  }
  static int OpenDevice(int i, void** handle) {
    Calls().push_back("open " + std::to_string(i));
    *handle = nullptr;
    if (i < 0 || i >= Count()) return 2;
    if (Devices()[i].openResult != 0) return Devices()[i].openResult;
    Open() = i;
    *handle = &Devices()[i];
    return 0;
  }
  static int Start() {
    Calls().push_back("start " + std::to_string(Open()));
    return Devices()[Open()].startResult;
  }
  static void Close() {
    Calls().push_back("close " + std::to_string(Open()));
    Open() = -1;
  }
  static const char* Text(int r) { return r == 0 ? "fine" : r == 4 ? "busy" : "broken"; }
  static bool IsPresent() { return Present(); }
  static const MidiInDriver* Driver() {
    static const MidiInDriver d{Count, Name, OpenDevice, Start, Close, Text, IsPresent};
    return &d;
  }
};

class MidiInput : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeMidiIn::Devices().clear();
    FakeMidiIn::Calls().clear();
    FakeMidiIn::Open() = -1;
    FakeMidiIn::Present() = true;
    SetMidiInDriver(FakeMidiIn::Driver());
    gMidiInHardFail = false;
    gMidiInBusy = false;
    gMidiInFailMs = 0;
    RemoveAppMessages(0, 0xFFFFFFFFu);
  }
  void TearDown() override {
    SetMidiInDriver(FakeMidiIn::Driver());
    CloseMidiInput();
    SetMidiInDriver(nullptr);
    RemoveAppMessages(0, 0xFFFFFFFFu);
  }
  // The debug lines of MidiInitAuto with handles blanked out.
  static std::vector<std::string> Blanked(const std::vector<std::string>& lines) {
    static const std::regex handle("handle=(0x[0-9a-f]+|\\(nil\\))");
    std::vector<std::string> out;
    for (const std::string& s : lines) out.push_back(std::regex_replace(s, handle, "handle=H"));
    return out;
  }
};

TEST_F(MidiInput, InitAutoTriesDevicesInOrderAndLogsEachStep) {
  const std::string bar = "=============================================";
  struct Case {
    const char* what;
    std::vector<FakeDevice> devices;
    bool open, busy;
    uint32_t index;
    std::string name;
    std::vector<std::string> calls;
    std::vector<std::string> log;
  } cases[] = {
      {"first of three busy, second opens",
       {{"Busy Keys", 4, 0}, {"Good Keys", 0, 0}, {"Other", 0, 0}},
       true, false, 1, "Good Keys",
       {"open 0", "open 1", "start 1"},
       {bar, "[MIDI INIT] MidiInitAuto()", bar, "[MIDI INIT] midiInGetNumDevs() = 3",
        "[MIDI INIT] dev 0: Busy Keys", "[MIDI INIT] dev 1: Good Keys", "[MIDI INIT] dev 2: Other",
        "[MIDI INIT] midiInOpen(dev=0, CALLBACK_WINDOW) -> res=4 handle=H (busy)",
        "[MIDI INIT] midiInOpen(dev=1, CALLBACK_WINDOW) -> res=0 handle=H (fine)",
        "[MIDI INIT] midiInStart(handle=H) -> res=0 (fine)",
        "[MIDI INIT] SUCCESS: using device 1 (Good Keys)"}},
      {"unreadable name opens as unknown",
       {{"", 0, 0}},
       true, false, 0, "unknown",
       {"open 0", "start 0"},
       {bar, "[MIDI INIT] MidiInitAuto()", bar, "[MIDI INIT] midiInGetNumDevs() = 1",
        "[MIDI INIT] dev 0: <caps error>",
        "[MIDI INIT] midiInOpen(dev=0, CALLBACK_WINDOW) -> res=0 handle=H (fine)",
        "[MIDI INIT] midiInStart(handle=H) -> res=0 (fine)",
        "[MIDI INIT] SUCCESS: using device 0 (unknown)"}},
      {"a start failure closes the device and is busy when its code says so",
       {{"Half", 0, 4}, {"Gone", 2, 0}},
       false, true, 0, "",
       {"open 0", "start 0", "close 0", "open 1"},
       {bar, "[MIDI INIT] MidiInitAuto()", bar, "[MIDI INIT] midiInGetNumDevs() = 2",
        "[MIDI INIT] dev 0: Half", "[MIDI INIT] dev 1: Gone",
        "[MIDI INIT] midiInOpen(dev=0, CALLBACK_WINDOW) -> res=0 handle=H (fine)",
        "[MIDI INIT] midiInStart(handle=H) -> res=4 (busy)",
        "[MIDI INIT] midiInOpen(dev=1, CALLBACK_WINDOW) -> res=2 handle=H (broken)",
        "[MIDI INIT] FATAL: failed to open ANY MIDI device"}},
      {"every device broken but none busy",
       {{"A", 2, 0}},
       false, false, 0, "",
       {"open 0"},
       {bar, "[MIDI INIT] MidiInitAuto()", bar, "[MIDI INIT] midiInGetNumDevs() = 1",
        "[MIDI INIT] dev 0: A",
        "[MIDI INIT] midiInOpen(dev=0, CALLBACK_WINDOW) -> res=2 handle=H (broken)",
        "[MIDI INIT] FATAL: failed to open ANY MIDI device"}},
  };
  for (const Case& c : cases) {
    SetUp();
    ScopedDrivenClock clock(777000);
    DebugCapture capture;
    FakeMidiIn::Devices() = c.devices;
    gMidiInMessageCount.store(9);
    gLastMidiInputMs = 5;
    MidiInitAuto();
    EXPECT_EQ(Blanked(capture.Lines()), c.log) << c.what;
    EXPECT_EQ(FakeMidiIn::Calls(), c.calls) << c.what;
    EXPECT_EQ(gMidiInOpen, c.open) << c.what;
    EXPECT_EQ(gMidiInBusy, c.busy) << c.what;
    EXPECT_EQ(gMidiInHardFail, !c.open) << c.what;
    EXPECT_EQ(gMidiInMessageCount.load(), 0) << c.what;
    EXPECT_EQ(gLastMidiInputMs, 0u) << c.what;
    if (c.open) {
      EXPECT_EQ(gMidiInDeviceIndex, c.index) << c.what;
      EXPECT_EQ(gMidiInName, c.name) << c.what;
      EXPECT_EQ(gMidiInOpenResult, 0u);
      EXPECT_EQ(gMidiInStartResult, 0u);
      EXPECT_EQ(gMidiInFailMs, 0u);
    } else {
      EXPECT_EQ(gMidiInFailMs, ClockMs32()) << c.what;
      EXPECT_EQ(gMidiIn, nullptr) << c.what;
      EXPECT_EQ(FakeMidiIn::Open(), -1) << c.what << ": a failed device stays open";
    }
    CloseMidiInput();
  }
}

TEST_F(MidiInput, InitAutoWithNoDevicesKeepsTheHardFailFlag) {
  for (bool before : {false, true}) {
    DebugCapture capture;
    gMidiInHardFail = before;
    gMidiInBusy = true;
    MidiInitAuto();
    EXPECT_EQ(capture.Lines().back(), "[MIDI INIT] NO MIDI DEVICES FOUND");
    EXPECT_EQ(gMidiInHardFail, before);
    EXPECT_FALSE(gMidiInBusy);
    EXPECT_EQ(gMidiInName, "none");
  }
}

TEST_F(MidiInput, InitAutoClosesTheOpenInputBeforeItRescans) {
  FakeMidiIn::Devices() = {{"Keys", 0, 0}};
  ASSERT_TRUE(OpenMidiInput(0));
  FakeMidiIn::Calls().clear();
  FakeMidiIn::Devices()[0].openResult = 4;  // now held elsewhere
  MidiInitAuto();
  EXPECT_EQ(FakeMidiIn::Calls(), (std::vector<std::string>{"close 0", "open 0"}));
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_EQ(FakeMidiIn::Open(), -1);
  EXPECT_EQ(gMidiInOpenResult, 4u);
}

TEST_F(MidiInput, CloseResetsTheResultCodesAndClosesOnce) {
  FakeMidiIn::Devices() = {{"Keys", 0, 0}};
  ASSERT_TRUE(OpenMidiInput(0));
  CloseMidiInput();
  CloseMidiInput();
  EXPECT_EQ(FakeMidiIn::Calls(), (std::vector<std::string>{"open 0", "start 0", "close 0"}));
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_EQ(gMidiInOpenResult, 1u);
  EXPECT_EQ(gMidiInStartResult, 1u);
}

// The frame's rescan every 1500 ms: a device that appears is opened; a busy device is tried again
// on every tick until it opens; an open device that fails or goes away is reopened.
TEST_F(MidiInput, RescanOpensRetriesAndReconnects) {
  DebugCapture capture;
  gMidiScanMs = 10000;
  gMidiDeviceCount = 0;
  auto logged = [&](const std::string& line) {
    for (const std::string& l : capture.Lines())
      if (l == line) return true;
    return false;
  };

  RunMidiRescan(11600);  // nothing present
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_TRUE(FakeMidiIn::Calls().empty());

  FakeMidiIn::Devices() = {{"Keys", 4, 0}};  // plugged in, but held by another program
  RunMidiRescan(12000);                      // not due yet
  EXPECT_TRUE(FakeMidiIn::Calls().empty());
  RunMidiRescan(13200);
  EXPECT_TRUE(logged("[MIDI] Rescan: 1 device(s) appeared, opening."));
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_TRUE(gMidiInBusy);

  FakeMidiIn::Devices()[0].openResult = 0;  // the other program let go
  RunMidiRescan(14800);
  EXPECT_TRUE(logged("[MIDI] Rescan: retrying 1 device(s) that would not open."));
  EXPECT_TRUE(gMidiInOpen);
  EXPECT_FALSE(gMidiInHardFail);
  EXPECT_FALSE(gMidiInBusy);

  FakeMidiIn::Calls().clear();
  RunMidiRescan(16400);  // open and healthy: nothing happens
  EXPECT_TRUE(FakeMidiIn::Calls().empty());

  gMidiInHardFail = true;  // a device error reported to the window
  RunMidiRescan(18000);
  EXPECT_TRUE(logged("[MIDI] Watchdog: HARD FAIL flagged. Reconnecting..."));
  EXPECT_EQ(FakeMidiIn::Calls(), (std::vector<std::string>{"close 0", "open 0", "start 0"}));
  EXPECT_TRUE(gMidiInOpen);

  FakeMidiIn::Present() = false;  // unplugged: the next tick reports it as a device error
  RunMidiRescan(19600);
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgMidiInError);
  EXPECT_FALSE(TakeAppMessage(&m));
}

}  // namespace
