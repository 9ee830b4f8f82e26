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

// Output ports as the test sets them up (name, opens), the synthesiser's fate, and what was sent.
struct FakeOut {
  static std::vector<std::pair<std::string, bool>>& Ports() {
    static std::vector<std::pair<std::string, bool>> p;
    return p;
  }
  static bool& SynthOpens() {
    static bool ok = true;
    return ok;
  }
  static std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
  }
  static int Count() { return (int)Ports().size(); }
  static bool Name(int i, std::string* name) {
    if (i < 0 || i >= Count()) return false;
    *name = Ports()[i].first;
    return true;
  }
  static bool Open(int d) {
    Log().push_back("open " + std::to_string(d));
    return d < 0 ? SynthOpens() : Ports()[d].second;
  }
  static void Send(int d, uint32_t m) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%06X", d, m);
    Log().push_back(text);
  }
  static void Reset(int d) { Log().push_back("reset " + std::to_string(d)); }
  static void Close(int d) { Log().push_back("close " + std::to_string(d)); }
  static const MidiOutDriver* Driver() {
    static const MidiOutDriver d{Count, Name, Open, Send, Reset, Close};
    return &d;
  }
};

class OutputDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeOut::Ports().clear();
    FakeOut::SynthOpens() = true;
    FakeOut::Log().clear();
    SetMidiOutDriver(FakeOut::Driver());
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
    bool synthOpens;
    bool open;
    int device;
    std::string openName;
    std::vector<std::string> opens;
  } cases[] = {
      {"no file: the synthesiser", nullptr, {{"USB Synth", true}}, true, true, -1, "", {"open -1"}},
      {"empty file: the synthesiser", "", {{"USB Synth", true}}, true, true, -1, "", {"open -1"}},
      {"name with spaces, CR LF, another case", "  usb SYNTH \r\n", {{"Other", true}, {"USB Synth", true}},
       true, true, 1, "USB Synth", {"open 1"}},
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
    SetUp();
    Save(c.file);
    FakeOut::Ports() = c.ports;
    FakeOut::SynthOpens() = c.synthOpens;
    EXPECT_EQ(OpenMidiOutput(), c.open) << c.what;
    std::vector<std::string> opens;
    for (const std::string& s : FakeOut::Log())
      if (s.rfind("open", 0) == 0) opens.push_back(s);
    EXPECT_EQ(opens, c.opens) << c.what;
    if (c.open) {
      EXPECT_EQ(gMidiOutDeviceIndex, c.device) << c.what;
      EXPECT_EQ(gMidiOutOpenName, c.openName) << c.what;
    }
    EXPECT_TRUE(c.file == nullptr || FileExists(dir_.File("Data/midi_output_device.txt")))
        << c.what << ": the choice is kept for when the device returns";
    CloseMidiOutput();
  }
}

TEST_F(OutputDevice, TheNameIsReadOncePerRun) {
  Save("USB Synth");
  FakeOut::Ports() = {{"USB Synth", true}};
  ASSERT_TRUE(OpenMidiOutput());
  EXPECT_EQ(gMidiOutDeviceIndex, 0);
  CloseMidiOutput();
  Save(nullptr);  // deleted during the run: no effect until the next start
  ASSERT_TRUE(OpenMidiOutput());
  EXPECT_EQ(gMidiOutDeviceIndex, 0);
  EXPECT_EQ(gMidiOutName, "USB Synth");
  EXPECT_EQ(MidiOutSettingsPath(), dir_.File("Data/midi_output_device.txt"));
  EXPECT_EQ(MidiOutDeviceName(-1), "Unknown device");
  EXPECT_EQ(MidiOutDeviceName(5), "Unknown device");
  EXPECT_EQ(MidiOutDeviceName(0), "USB Synth");
}

TEST_F(OutputDevice, MessagesResetAndCloseGoToTheOpenDevice) {
  Save("USB Synth");
  FakeOut::Ports() = {{"USB Synth", true}};
  ASSERT_TRUE(OpenMidiOutput());
  SendMidiOutShort(0x643C90);
  CloseMidiOutput();
  EXPECT_EQ(FakeOut::Log(), (std::vector<std::string>{"open 0", "0:643C90", "reset 0", "close 0"}));
}

TEST_F(OutputDevice, PreviewNotesAreClampedSentAndRemembered) {
  const struct {
    int note, velocity, channel;
    bool marked;               // gPreviewNotesOn[note] afterwards (note 60 starts marked)
    std::vector<std::string> sent;
  } cases[] = {
      {60, 200, 20, true, {"-1:7F3C9F"}},  // channel 15, velocity 127; channel 0's mark untouched
      {60, -5, 0, false, {"-1:003C80"}},
      {60, 0, 0, false, {"-1:003C80"}},
      {60, 100, 0, true, {"-1:643C90"}},
      {60, 1, -3, true, {"-1:013C90"}},    // channel -3 is channel 0
      {128, 100, 0, true, {}},
      {-1, 100, 0, true, {}},
      {-200, 100, 0, true, {}},
  };
  for (const auto& c : cases) {
    gPreviewNotesOn[60] = true;
    FakeOut::Log().clear();
    PlayPreviewNote(c.note, c.velocity, c.channel);
    std::vector<std::string> sent;
    for (const std::string& s : FakeOut::Log())
      if (s.find(':') != std::string::npos) sent.push_back(s);
    EXPECT_EQ(sent, c.sent) << c.note << " " << c.velocity << " " << c.channel;
    EXPECT_EQ(gPreviewNotesOn[60], c.marked) << c.note << " " << c.velocity << " " << c.channel;
  }
  CloseMidiOutput();
  FakeOut::SynthOpens() = false;
  FakeOut::Log().clear();
  gPreviewNotesOn[62] = false;
  PlayPreviewNote(62, 100, 0);  // no output: silent
  EXPECT_FALSE(gPreviewNotesOn[62]);
  EXPECT_EQ(FakeOut::Log(), (std::vector<std::string>{"open -1"}));
}

TEST_F(OutputDevice, AllPreviewNotesOffReleasesOrForgets) {
  PlayPreviewNote(64, 90, 0);
  PlayPreviewNote(60, 90, 0);
  PlayPreviewNote(67, 90, 3);  // other channels are not remembered
  FakeOut::Log().clear();
  AllPreviewNotesOff();
  EXPECT_EQ(FakeOut::Log(), (std::vector<std::string>{"-1:003C80", "-1:004080"}));
  for (bool on : gPreviewNotesOn) ASSERT_FALSE(on);

  PlayPreviewNote(65, 90, 0);
  CloseMidiOutput();
  FakeOut::Log().clear();
  AllPreviewNotesOff();  // output closed: nothing sent, all forgotten
  EXPECT_TRUE(FakeOut::Log().empty());
  EXPECT_FALSE(gPreviewNotesOn[65]);
}

// ---- the full reset, with an input double ----
struct FakeIn {
  static std::vector<std::pair<std::string, int>>& Devices() {  // name, open result
    static std::vector<std::pair<std::string, int>> d;
    return d;
  }
  static int Count() { return (int)Devices().size(); }
  static bool Name(int i, std::string* n) {
    if (i < 0 || i >= Count()) return false;
    *n = Devices()[i].first;
    return true;
  }
  static int Open(int i, void** h) {
    *h = nullptr;
    if (i < 0 || i >= Count() || Devices()[i].second != 0) return i < Count() ? Devices()[i].second : 2;
    static int token;
    *h = &token;
    return 0;
  }
  static int Start() { return 0; }
  static void Close() {}
  static const char* Text(int) { return "-"; }
  static bool Present() { return true; }
  static const MidiInDriver* Driver() {
    static const MidiInDriver d{Count, Name, Open, Start, Close, Text, Present};
    return &d;
  }
};

TEST_F(OutputDevice, FullResetReportsEachOutcome) {
  SetMidiInDriver(FakeIn::Driver());
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
    FakeIn::Devices() = c.devices;
    gSongPath = c.song ? "song.mid" : "";
    ResetMidiFull();
    EXPECT_EQ(gStatusText, c.status);
  }
  gSongPath.clear();
  SetMidiInDriver(nullptr);
}

TEST_F(OutputDevice, FullResetLeavesNoMidiStateBehind) {
  SetMidiInDriver(FakeIn::Driver());
  FakeIn::Devices() = {{"Keys", 0}};
  DebugCapture capture;
  RemoveAppMessages(0, 0xFFFFFFFFu);
  PlayPreviewNote(60, 100, 0);  // opens the output
  gHeldNotes.push_back(HeldNote{60, 100, 1, 1, 0, 5, 7, 0, 1});
  gPlayedNotes.push_back(PlayedNote{60, 5, 7, 1, 1, 1, 0});
  gNoteOnSerial = 99;
  gSustainDown = true;
  gMidiInMessageCount.store(12);
  gLastMidiInputMs = 77;
  gNoteGlow[60] = 2.0f;
  gKeyHitGlow[61] = 1.0f;
  gKeyMissFlash[62] = 1.0f;
  gScoreFlash = 1.0f;
  gSyntheticNoteInput = true;
  PostAppMessage(kMsgMidiInData, 0x643C90, 1);
  PostAppMessage(kMsgKeyDown, 'R', 0);
  PostAppMessage(kMsgMidiNote, 60, 100);
  PostAppMessage(kMsgMidiInError, 0, 0);
  PostAppMessage(kMsgMidiSustain, 0, 127);
  FakeOut::Log().clear();

  ResetMidiFull();

  EXPECT_EQ(capture.Lines().front(), "[MIDI] Full reset requested (R)");
  // Preview note 60 was sounding: the output is brought to rest before it closes.
  std::vector<std::string> wantOut;
  for (int c = 0; c < 16; ++c) {
    char a[16], b[16];
    std::snprintf(a, sizeof a, "-1:%06X", 0x7BB0 | c);
    std::snprintf(b, sizeof b, "-1:%06X", 0x40B0 | c);
    wantOut.push_back(a);
    wantOut.push_back(b);
  }
  wantOut.push_back("reset -1");
  wantOut.push_back("close -1");
  EXPECT_EQ(FakeOut::Log(), wantOut);
  EXPECT_FALSE(gPreviewNotesOn[60]);
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgKeyDown) << "only MIDI messages are thrown away";
  EXPECT_FALSE(TakeAppMessage(&m));
  EXPECT_TRUE(gHeldNotes.empty());
  EXPECT_TRUE(gPlayedNotes.empty());
  EXPECT_EQ(gNoteOnSerial, 1u);
  EXPECT_FALSE(gSustainDown);
  EXPECT_EQ(gMidiInMessageCount.load(), 0);
  EXPECT_EQ(gLastMidiInputMs, 0u);
  EXPECT_EQ(gNoteGlow[60], 0.0f);
  EXPECT_EQ(gKeyHitGlow[61], 0.0f);
  EXPECT_EQ(gKeyMissFlash[62], 0.0f);
  EXPECT_EQ(gScoreFlash, 0.0f);
  EXPECT_FALSE(gSyntheticNoteInput);
  EXPECT_TRUE(gMidiInOpen);
  SetMidiInDriver(nullptr);
}

}  // namespace
