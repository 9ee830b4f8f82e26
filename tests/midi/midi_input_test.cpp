// The MIDI input over a driver double: MidiInitAuto's order of attempts, its log lines and the
// busy flag; the frame's rescan, busy retry, watchdog and unplug detection.
#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

#include "app/base/note_tables.h"
#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "platform/messages.h"
#include "tests/support/test_support.h"

namespace {

// The device layer as the test sets it up, and what was asked of it.
struct FakeDevice {
  std::string name;  // "" = the name cannot be read
  int openResult, startResult;
};
std::vector<FakeDevice> gDevices;
std::vector<std::string> gCalls;
int gOpen = -1;
bool gPresent = true;

int Count() { return (int)gDevices.size(); }
bool Name(int i, std::string* out) {
  if (i < 0 || i >= Count() || gDevices[i].name.empty()) return false;
  return *out = gDevices[i].name, true;
}
int OpenDevice(int i, void** handle) {
  gCalls.push_back("open " + std::to_string(i));
  *handle = nullptr;
  if (i < 0 || i >= Count()) return 2;
  if (gDevices[i].openResult != 0) return gDevices[i].openResult;
  *handle = &gDevices[gOpen = i];
  return 0;
}
int Start() { return gCalls.push_back("start " + std::to_string(gOpen)), gDevices[gOpen].startResult; }
void Close() { gCalls.push_back("close " + std::to_string(gOpen)), gOpen = -1; }
const char* Text(int r) { return r == 0 ? "fine" : r == 4 ? "busy" : "broken"; }
bool Present() { return gPresent; }
const MidiInDriver kDriver{Count, Name, OpenDevice, Start, Close, Text, Present};

class MidiInput : public ::testing::Test {
 protected:
  void SetUp() override {
    gDevices.clear();
    gCalls.clear();
    gOpen = -1;
    gPresent = true;
    SetMidiInDriver(&kDriver);
    gMidiInHardFail = gMidiInBusy = false;
    gMidiInFailMs = 0;
    RemoveAppMessages(0, 0xFFFFFFFFu);
  }
  void TearDown() override {
    SetMidiInDriver(&kDriver);
    CloseMidiInput();
    SetMidiInDriver(nullptr);
    RemoveAppMessages(0, 0xFFFFFFFFu);
  }
};

// The debug lines of MidiInitAuto with handles blanked out.
std::vector<std::string> Blanked(const std::vector<std::string>& lines) {
  static const std::regex handle("handle=(0x[0-9a-f]+|\\(nil\\))");
  std::vector<std::string> out;
  for (const std::string& s : lines) out.push_back(std::regex_replace(s, handle, "handle=H"));
  return out;
}

// The log of MidiInitAuto: its banner, the device count, then `rest` with the prefix added.
std::vector<std::string> InitLog(int devices, std::vector<std::string> rest) {
  const std::string bar(45, '=');
  std::vector<std::string> log = {bar, "[MIDI INIT] looking for a MIDI keyboard", bar,
                                  "[MIDI INIT] " + std::to_string(devices) + " input port(s) found"};
  for (const std::string& line : rest) log.push_back("[MIDI INIT] " + line);
  return log;
}

TEST_F(MidiInput, InitAutoTriesDevicesInOrderAndLogsEachStep) {
  const std::string openOk = "connecting to input port %: fine (code 0)";
  const std::string startOk = "receiving from input port %: fine (code 0)";
  const std::string fatal = "FATAL: failed to open ANY MIDI device";
  auto dev = [](std::string line, int i) { return line.replace(line.find('%'), 1, std::to_string(i)); };
  const struct {
    const char* what;
    std::vector<FakeDevice> devices;
    bool open, busy;
    uint32_t index;
    std::string name;
    std::vector<std::string> calls, log;
  } cases[] = {
      {"first of three busy, second opens",
       {{"Busy Keys", 4, 0}, {"Good Keys", 0, 0}, {"Other", 0, 0}}, true, false, 1, "Good Keys",
       {"open 0", "open 1", "start 1"},
       InitLog(3, {"dev 0: Busy Keys", "dev 1: Good Keys", "dev 2: Other",
                   "connecting to input port 0: busy (code 4)", dev(openOk, 1), dev(startOk, 1),
                   "SUCCESS: using device 1 (Good Keys)"})},
      {"unreadable name opens as unknown", {{"", 0, 0}}, true, false, 0, "unknown", {"open 0", "start 0"},
       InitLog(1, {"dev 0: <caps error>", dev(openOk, 0), dev(startOk, 0), "SUCCESS: using device 0 (unknown)"})},
      {"a start failure closes the device and is busy when its code says so",
       {{"Half", 0, 4}, {"Gone", 2, 0}}, false, true, 0, "", {"open 0", "start 0", "close 0", "open 1"},
       InitLog(2, {"dev 0: Half", "dev 1: Gone", dev(openOk, 0), "receiving from input port 0: busy (code 4)",
                   "connecting to input port 1: broken (code 2)", fatal})},
      {"every device broken but none busy", {{"A", 2, 0}}, false, false, 0, "", {"open 0"},
       InitLog(1, {"dev 0: A", "connecting to input port 0: broken (code 2)", fatal})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    ScopedDrivenClock clock(777000);
    DebugCapture capture;
    gDevices = c.devices;
    gMidiInMessageCount.store(9);
    gLastMidiInputMs = 5;
    MidiInitAuto();
    EXPECT_EQ(Blanked(capture.Lines()), c.log);
    EXPECT_EQ(gCalls, c.calls);
    EXPECT_EQ(gMidiInOpen, c.open);
    EXPECT_EQ(gMidiInBusy, c.busy);
    EXPECT_EQ(gMidiInHardFail, !c.open);
    EXPECT_EQ(gMidiInMessageCount.load(), 0);
    EXPECT_EQ(gLastMidiInputMs, 0u);
    if (c.open) {
      EXPECT_EQ(gMidiInDeviceIndex, c.index);
      EXPECT_EQ(gMidiInName, c.name);
      EXPECT_EQ(gMidiInOpenResult + gMidiInStartResult + gMidiInFailMs, 0u);
    } else {
      EXPECT_EQ(gMidiInFailMs, ClockMs32());
      EXPECT_EQ(gMidiIn, nullptr);
      EXPECT_EQ(gOpen, -1) << "a failed device stays open";
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

TEST_F(MidiInput, CloseClosesOnceAndInitAutoClosesBeforeItRescans) {
  gDevices = {{"Keys", 0, 0}};
  ASSERT_TRUE(OpenMidiInput(0));
  CloseMidiInput();
  CloseMidiInput();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"open 0", "start 0", "close 0"}));
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_EQ(gMidiInOpenResult, 1u);
  EXPECT_EQ(gMidiInStartResult, 1u);

  ASSERT_TRUE(OpenMidiInput(0));
  gCalls.clear();
  gDevices[0].openResult = 4;  // now held elsewhere
  MidiInitAuto();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"close 0", "open 0"}));
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_EQ(gOpen, -1);
  EXPECT_EQ(gMidiInOpenResult, 4u);
}

// The frame's rescan every 1500 ms: a device that appears is opened; a busy device is tried again
// on every tick until it opens; an open device that fails or goes away is reopened.
TEST_F(MidiInput, RescanOpensRetriesAndReconnects) {
  DebugCapture capture;
  gMidiScanMs = 10000;
  gMidiDeviceCount = 0;
  auto logged = [&](const std::string& line) {
    std::vector<std::string> lines = capture.Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  RunMidiRescan(11600);  // nothing present
  EXPECT_FALSE(gMidiInOpen);
  gDevices = {{"Keys", 4, 0}};  // plugged in, but held by another program
  RunMidiRescan(12000);         // not due yet
  EXPECT_TRUE(gCalls.empty());
  RunMidiRescan(13200);
  EXPECT_TRUE(logged("[MIDI] Rescan: 1 device(s) appeared, opening."));
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_TRUE(gMidiInBusy);

  gDevices[0].openResult = 0;  // the other program let go
  RunMidiRescan(14800);
  EXPECT_TRUE(logged("[MIDI] Rescan: retrying 1 device(s) that would not open."));
  EXPECT_TRUE(gMidiInOpen);
  EXPECT_FALSE(gMidiInHardFail || gMidiInBusy);

  gCalls.clear();
  RunMidiRescan(16400);  // open and healthy: nothing happens
  EXPECT_TRUE(gCalls.empty());

  gMidiInHardFail = true;  // a device error reported to the window
  RunMidiRescan(18000);
  EXPECT_TRUE(logged("[MIDI] Watchdog: HARD FAIL flagged. Reconnecting..."));
  EXPECT_EQ(gCalls, (std::vector<std::string>{"close 0", "open 0", "start 0"}));
  EXPECT_TRUE(gMidiInOpen);

  gPresent = false;  // unplugged: the next tick reports it as a device error
  RunMidiRescan(19600);
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgMidiInError);
  EXPECT_FALSE(TakeAppMessage(&m));

  // The report handled, the next tick reconnects, and says nothing more of the port it leaves: a
  // second report would fail the keyboard it has just opened, which would be closed again.
  gMidiInHardFail = true;
  gCalls.clear();
  RunMidiRescan(21200);
  EXPECT_EQ(gCalls, (std::vector<std::string>{"close 0", "open 0", "start 0"}));
  EXPECT_FALSE(TakeAppMessage(&m)) << "a stale report of the port left behind";
}

}  // namespace
