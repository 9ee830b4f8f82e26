// The start screen's device pickers over a real JACK server (dummy backend, private name) with a
// second client's ports: a MIDI row opens that keyboard, an AUDIO OUT row saves the port's name in
// a temporary Data folder and the output opens it, row 0 saves the empty name, and a port that
// goes away while the list is open is never chosen.
#include <RtMidi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "midi/device_pickers.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "platform/midi_ports.h"
#include "tests/support/jack_server.h"
#include "tests/support/test_support.h"

namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Shown(double) { return true; }
void Row(float* scale, RectF* row) {
  *scale = 1.0f;
  *row = {20.0f, 860.0f, 270.0f, 36.0f};
}

template <typename Client>
void OpenVirtual(Client& client, const char* name) {
  for (int attempt = 0;; ++attempt) {
    try {
      return client.openVirtualPort(name);
    } catch (const RtMidiError&) {
      if (attempt == 20) throw;
      SleepMs(200);
    }
  }
}

// The row of the first device whose name holds part, or -1.
int RowOf(bool input, const std::string& part) {
  int n = input ? CountMidiInputDevices() : CountMidiOutputDevices();
  for (int i = 0; i < n; ++i) {
    std::string name = input ? MidiInDeviceName(i) : MidiOutDeviceName(i);
    if (name.find(part) != std::string::npos) return input ? i : i + 1;
  }
  return -1;
}

class PickersOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    static PrivateJackServer server;
    if (!server.up()) GTEST_SKIP() << "jackd did not start: " << server.Log();
    if (std::string(MidiServiceName()) != "JACK") GTEST_SKIP() << "an ALSA sequencer is in use here";
    gClientWidth = 1440;
    gClientHeight = 920;
    ResetDevicePickers();
    ResetStartClock();
    gStartScreenShownHook = Shown;
    gStartScreenRowHook = Row;
    SetMidiOutputPort(DeviceMidiOutputPort());
    gMidiOutNameLoaded = false;
    gMidiOutName.clear();
  }
  void TearDown() override {
    CloseMidiInput();
    CloseMidiOutput();
    SetMidiOutputPort(nullptr);
    gStartScreenShownHook = nullptr;
    gStartScreenRowHook = nullptr;
    ResetDevicePickers();
    ResetStartClock();
  }
  static void Press(bool (*click)(int, int), const RectF& r) {
    EXPECT_TRUE(click((int)(r.x + r.w / 2), (int)(r.y + r.h / 2)));
  }
  static PickerLayout Layout(bool midi) {
    PickerLayout l;
    if (midi)
      ComputeMidiPickerLayout(&l);
    else
      ComputeAudioOutLayout(&l);
    return l;
  }
  std::string Saved() { return ReadFileBytes(dir_.File("Data/midi_output_device.txt")); }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(PickersOverJack, AMidiRowOpensThatKeyboard) {
  RtMidiOut keys(RtMidi::UNIX_JACK, "peer");
  OpenVirtual(keys, "keys");
  int row = -1;
  for (int i = 0; i < 40 && (row = RowOf(true, "peer:keys")) < 0; ++i) SleepMs(50);
  ASSERT_GE(row, 0);
  Press(ClickMidiInputPanel, Layout(true).header);
  ASSERT_TRUE(gMidiPickerOpen);
  EXPECT_EQ(Layout(true).rows, CountMidiInputDevices()) << "one row per input port";
  Press(ClickMidiInputPanel, PickerRowRect(Layout(true), row));
  EXPECT_FALSE(gMidiPickerOpen);
  EXPECT_TRUE(gMidiInOpen);
  EXPECT_NE(gMidiInName.find("peer:keys"), std::string::npos);
}

TEST_F(PickersOverJack, AnAudioOutRowSavesThePortAndTheOutputOpensIt) {
  auto sink = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "peer");
  OpenVirtual(*sink, "sink");
  int row = -1;
  for (int i = 0; i < 40 && (row = RowOf(false, "peer:sink")) < 0; ++i) SleepMs(50);
  ASSERT_GE(row, 1);
  Press(ClickAudioOutPanel, Layout(false).header);
  ASSERT_TRUE(gAudioOutPickerOpen);
  EXPECT_EQ(Layout(false).rows, CountMidiOutputDevices() + 2);
  Press(ClickAudioOutPanel, PickerRowRect(Layout(false), row));
  EXPECT_EQ(Saved(), "peer:sink");
  EXPECT_TRUE(IsMidiOutputOpen());
  EXPECT_EQ(gMidiOutOpenName, "peer:sink");

  // Row 0: the built-in synthesiser, saved as the empty name.
  Press(ClickAudioOutPanel, Layout(false).header);
  Press(ClickAudioOutPanel, PickerRowRect(Layout(false), 0));
  EXPECT_TRUE(FileExists(dir_.File("Data/midi_output_device.txt")));
  EXPECT_EQ(Saved(), "");
  // The synthesiser needs a sound device, which a test machine may lack; when it opens, it is it.
  if (IsMidiOutputOpen()) EXPECT_EQ(gMidiOutDeviceIndex, -1);

  // The port goes while the list is open: its row only closes the list.
  Press(ClickAudioOutPanel, Layout(false).header);
  RectF gone = PickerRowRect(Layout(false), row);
  int before = CountMidiOutputDevices();
  sink.reset();
  for (int i = 0; i < 40 && CountMidiOutputDevices() == before; ++i) SleepMs(50);
  ASSERT_LT(CountMidiOutputDevices(), before);
  Press(ClickAudioOutPanel, gone);
  EXPECT_FALSE(gAudioOutPickerOpen);
  EXPECT_EQ(Saved(), "") << "nothing chosen, nothing saved";
}

}  // namespace
