// The MIDI output by saved name with its fallback to the built-in synthesiser, preview notes and
// the full MIDI reset, over a driver double of the device layer and of the input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/note_preview.h"
#include "midi/pending.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "tests/support/test_support.h"

namespace {

using Strings = std::vector<std::string>;

// Output ports as the test sets them up (name, opens), the synthesiser's fate (device -1), and a
// log of what was asked: "open d", "d:MESSAGE", "reset d", "close d".
std::vector<std::pair<std::string, bool>> gPorts;
bool gSynthOpens = true;
Strings gLog;

int OutCount() { return (int)gPorts.size(); }
bool OutName(int i, std::string* name) { return i >= 0 && i < OutCount() && (*name = gPorts[i].first, true); }
bool OutOpen(int d) { return gLog.push_back("open " + std::to_string(d)), d < 0 ? gSynthOpens : gPorts[d].second; }
void OutSend(int d, uint32_t m) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%06X", d, m);
  gLog.push_back(text);
}
void OutReset(int d) { gLog.push_back("reset " + std::to_string(d)); }
void OutClose(int d) { gLog.push_back("close " + std::to_string(d)); }
const MidiOutDriver kOutDriver{OutCount, OutName, OutOpen, OutSend, OutReset, OutClose};

// Log lines that start with `prefix` (or, for ":", the messages sent).
Strings Logged(const std::string& prefix) {
  Strings out;
  for (const std::string& s : gLog)
    if (prefix == ":" ? s.find(':') != std::string::npos : s.rfind(prefix, 0) == 0) out.push_back(s);
  return out;
}

// An input double for the full reset: devices with their open result.
std::vector<std::pair<std::string, int>> gInDevices;
int InCount() { return (int)gInDevices.size(); }
bool InName(int i, std::string* n) { return i >= 0 && i < InCount() && (*n = gInDevices[i].first, true); }
int InOpen(int i, void** h) {
  static int token;
  int result = i < 0 || i >= InCount() ? 2 : gInDevices[i].second;
  *h = result == 0 ? &token : nullptr;
  return result;
}
const MidiInDriver kInDriver{InCount, InName, InOpen, [] { return 0; }, [] {}, [](int) { return "-"; },
                             [] { return true; }};

class OutputDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    gPorts.clear();
    gSynthOpens = true;
    gLog.clear();
    SetMidiOutDriver(&kOutDriver);
    SetMidiOutputPort(DeviceMidiOutputPort());
    gMidiOutNameLoaded = false;
    gMidiOutName.clear();
    gMidiOutOpenName.clear();
    gMidiOutDeviceIndex = -1;
  }
  void TearDown() override {
    CloseMidiOutput();
    SetMidiOutputPort(nullptr);
    SetMidiOutDriver(nullptr);
    SetMidiInDriver(nullptr);
  }
  void Save(const char* content) {
    if (content) WriteFileBytes(dir_.File("Data/midi_output_device.txt"), content);
    else std::remove(dir_.File("Data/midi_output_device.txt").c_str());
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(OutputDevice, OpensTheSavedDeviceByNameElseTheSynthesiser) {
  const struct {
    const char* what;
    const char* file;  // null: no file
    std::vector<std::pair<std::string, bool>> ports;
    bool synthOpens, open;
    int device;
    std::string openName;
    Strings opens;
  } cases[] = {
      {"no file: the synthesiser", nullptr, {{"USB Synth", true}}, true, true, -1, "", {"open -1"}},
      {"empty file: the synthesiser", "", {{"USB Synth", true}}, true, true, -1, "", {"open -1"}},
      {"name with spaces, CR LF, another case", "  usb SYNTH \r\n", {{"Other", true}, {"USB Synth", true}}, true,
       true, 1, "USB Synth", {"open 1"}},
      {"second line ignored", "USB Synth\nOther\n", {{"Other", true}, {"USB Synth", true}}, true, true, 1,
       "USB Synth", {"open 1"}},
      {"first of two equal names", "Twin", {{"Twin", true}, {"Twin", true}}, true, true, 0, "Twin", {"open 0"}},
      {"unplugged: the synthesiser", "USB Synth", {{"Other", true}}, true, true, -1, "", {"open -1"}},
      {"present but refuses: the synthesiser", "USB Synth", {{"USB Synth", false}}, true, true, -1, "",
       {"open 0", "open -1"}},
      {"refuses and no synthesiser: nothing", "USB Synth", {{"USB Synth", false}}, false, false, -1, "",
       {"open 0", "open -1"}},
      {"no synthesiser and no choice: one try", nullptr, {}, false, false, -1, "", {"open -1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Save(c.file);
    gPorts = c.ports;
    gSynthOpens = c.synthOpens;
    EXPECT_EQ(OpenMidiOutput(), c.open);
    EXPECT_EQ(Logged("open"), c.opens);
    if (c.open) {
      EXPECT_EQ(gMidiOutDeviceIndex, c.device);
      EXPECT_EQ(gMidiOutOpenName, c.openName);
    }
    EXPECT_TRUE(c.file == nullptr || FileExists(dir_.File("Data/midi_output_device.txt")))
        << "the choice is kept for when the device returns";
    CloseMidiOutput();
  }
}

TEST_F(OutputDevice, TheNameIsReadOncePerRunAndTheDeviceGetsMessagesResetAndClose) {
  Save("USB Synth");
  gPorts = {{"USB Synth", true}};
  ASSERT_TRUE(OpenMidiOutput());
  SendMidiOutShort(0x643C90);
  CloseMidiOutput();
  EXPECT_EQ(gLog, (Strings{"open 0", "0:643C90", "reset 0", "close 0"}));
  Save(nullptr);  // deleted during the run: no effect until the next start
  ASSERT_TRUE(OpenMidiOutput());
  EXPECT_EQ(gMidiOutDeviceIndex, 0);
  EXPECT_EQ(gMidiOutName, "USB Synth");
  EXPECT_EQ(MidiOutDeviceName(0), "USB Synth");
  EXPECT_EQ(MidiOutDeviceName(5), "Unknown device");
}

TEST_F(OutputDevice, PreviewNotesAreClampedSentAndRemembered) {
  const struct {
    int note, velocity, channel;
    bool marked;  // gPreviewNotesOn[note] afterwards (note 60 starts marked)
    Strings sent;
  } cases[] = {
      {60, 200, 20, true, {"-1:7F3C9F"}},  // channel 15, velocity 127; channel 0's mark untouched
      {60, -5, 0, false, {"-1:003C80"}},   {60, 0, 0, false, {"-1:003C80"}},
      {60, 100, 0, true, {"-1:643C90"}},   {60, 1, -3, true, {"-1:013C90"}},  // channel -3 is channel 0
      {128, 100, 0, true, {}},             {-1, 100, 0, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.note << " " << c.velocity << " " << c.channel);
    gPreviewNotesOn[60] = true;
    gLog.clear();
    PlayPreviewNote(c.note, c.velocity, c.channel);
    EXPECT_EQ(Logged(":"), c.sent);
    EXPECT_EQ(gPreviewNotesOn[60], c.marked);
  }
  CloseMidiOutput();
  gSynthOpens = false;
  gLog.clear();
  gPreviewNotesOn[62] = false;
  PlayPreviewNote(62, 100, 0);  // no output: silent
  EXPECT_FALSE(gPreviewNotesOn[62]);
  EXPECT_EQ(gLog, (Strings{"open -1"}));
}

TEST_F(OutputDevice, AllPreviewNotesOffReleasesOrForgets) {
  PlayPreviewNote(64, 90, 0);
  PlayPreviewNote(60, 90, 0);
  PlayPreviewNote(67, 90, 3);  // other channels are not remembered
  gLog.clear();
  AllPreviewNotesOff();
  EXPECT_EQ(gLog, (Strings{"-1:003C80", "-1:004080"}));
  for (bool on : gPreviewNotesOn) ASSERT_FALSE(on);

  PlayPreviewNote(65, 90, 0);
  CloseMidiOutput();
  gLog.clear();
  AllPreviewNotesOff();  // output closed: nothing sent, all forgotten
  EXPECT_TRUE(gLog.empty());
  EXPECT_FALSE(gPreviewNotesOn[65]);
}

TEST_F(OutputDevice, FullResetReportsEachOutcome) {
  SetMidiInDriver(&kInDriver);
  const struct {
    std::vector<std::pair<std::string, int>> devices;
    bool song;
    std::string status;
  } cases[] = {
      {{{"Keys", 0}}, true, "MIDI reset complete; playback stopped (Keys)"},
      {{{"Keys", 0}}, false, "MIDI reset complete: Keys"},
      {{{"Keys", 4}}, false, "MIDI reset: device busy"},
      {{{"Keys", 2}}, true, "MIDI reset failed"},
      {{}, true, "MIDI reset: no device found"},
  };
  for (const auto& c : cases) {
    gInDevices = c.devices;
    gSongPath = c.song ? "song.mid" : "";
    ResetMidiFull();
    EXPECT_EQ(gStatusText, c.status);
  }
  gSongPath.clear();
}

TEST_F(OutputDevice, FullResetLeavesNoMidiStateBehind) {
  SetMidiInDriver(&kInDriver);
  gInDevices = {{"Keys", 0}};
  DebugCapture capture;
  RemoveAppMessages(0, 0xFFFFFFFFu);
  PlayPreviewNote(60, 100, 0);  // opens the output
  gHeldNotes.push_back(HeldNote{60, 100, 1, 1, 0, 5, 7, 0, 1});
  gPlayedNotes.push_back(PlayedNote{60, 5, 7, 1, 1, 1, 0});
  gNoteOnSerial = 99;
  gSustainDown = gSyntheticNoteInput = true;
  gMidiInMessageCount.store(12);
  gLastMidiInputMs = 77;
  gNoteGlow[60] = gKeyHitGlow[61] = gKeyMissFlash[62] = gScoreFlash = 1.0f;
  for (uint32_t code : {kMsgMidiInData, kMsgKeyDown, kMsgMidiNote, kMsgMidiInError, kMsgMidiSustain})
    PostAppMessage(code, 0, 0);
  gLog.clear();

  ResetMidiFull();

  EXPECT_EQ(capture.Lines().front(), "[MIDI] Full reset requested (R)");
  // Preview note 60 was sounding: the output is brought to rest before it closes.
  Strings wantOut;
  for (int c = 0; c < 16; ++c)
    for (int control : {0x7B, 0x40}) {
      char text[16];
      std::snprintf(text, sizeof text, "-1:00%02XB%X", control, c);
      wantOut.push_back(text);
    }
  wantOut.insert(wantOut.end(), {"reset -1", "close -1"});
  EXPECT_EQ(gLog, wantOut);
  EXPECT_FALSE(gPreviewNotesOn[60]);
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgKeyDown) << "only MIDI messages are thrown away";
  EXPECT_FALSE(TakeAppMessage(&m));
  EXPECT_TRUE(gHeldNotes.empty() && gPlayedNotes.empty());
  EXPECT_EQ(gNoteOnSerial, 1u);
  EXPECT_FALSE(gSustainDown || gSyntheticNoteInput);
  EXPECT_EQ(gMidiInMessageCount.load(), 0);
  EXPECT_EQ(gLastMidiInputMs, 0u);
  EXPECT_EQ(gNoteGlow[60] + gKeyHitGlow[61] + gKeyMissFlash[62] + gScoreFlash, 0.0f);
  EXPECT_TRUE(gMidiInOpen);
}

}  // namespace
