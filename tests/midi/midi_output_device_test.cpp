// The MIDI output by saved name with its fallback to the built-in synthesiser and preview notes,
// over a driver double of the device layer.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "board/grid_interaction.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/note_preview.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "tests/midi/output_device_fixture.h"
#include "tests/support/test_support.h"

namespace {

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

}  // namespace

// Without any sound output the user is told once what to do, not on every song or click.
TEST_F(OutputDevice, NoSoundOutputIsSaidOncePerRun) {
  gSynthOpens = false;
  gPorts = {{"Gone Synth", false}};
  Save("Gone Synth");
  gStatusText.clear();
  DebugCapture capture;
  EXPECT_FALSE(OpenMidiOutput());
  EXPECT_EQ(gStatusText, "No sound output - connect or free a sound device, or choose a MIDI port under AUDIO OUT");
  gStatusText = "Playing: Song";
  EXPECT_FALSE(OpenMidiOutput());
  EXPECT_EQ(gStatusText, "Playing: Song");
  int said = 0;
  for (const std::string& line : capture.Lines()) said += line.rfind("[audio] No sound output could be opened", 0) == 0;
  EXPECT_EQ(said, 1);
  gSynthOpens = true;
  EXPECT_TRUE(OpenMidiOutput());
}

// The rescan watches the built-in synthesiser's sound device: one lost under a playing song is
// opened again on every rescan until it opens, and the user is told once meanwhile; a second loss
// after sound came back is told again. A chosen MIDI port and a closed output are left alone.
TEST_F(OutputDevice, TheRescanOpensALostSoundDeviceAgainAndSaysOnceWhileNoneOpens) {
  SetMidiInDriver(&kInDriver);
  gInDevices.clear();
  gMidiScanMs = 0;
  uint32_t t = 0;
  auto rescan = [&t] { RunMidiRescan(t += 1600); };
  auto said = [](const DebugCapture& capture) {
    int n = 0;
    for (const std::string& line : capture.Lines()) n += line.rfind("[audio] No sound output could be opened", 0) == 0;
    return n;
  };
  const std::string noSound = "No sound output - connect or free a sound device, or choose a MIDI port under AUDIO OUT";
  ASSERT_TRUE(OpenMidiOutput());
  DebugCapture capture;
  gLog.clear();
  gSynthOpens = false;  // the device went, and no other opens
  gStatusText = "Playing: Song";
  rescan();
  rescan();
  EXPECT_EQ(Logged("open"), Strings({"open -1", "open -1"})) << "tried again on every rescan";
  EXPECT_EQ(gStatusText, noSound);
  EXPECT_EQ(said(capture), 1);
  EXPECT_TRUE(IsMidiOutputOpen()) << "the song plays on, to sound again with the device";

  gSynthOpens = true;
  rescan();
  EXPECT_TRUE(capture.Contains("[audio] A sound output is open again."));
  gSynthOpens = false;
  gStatusText = "Playing: Song";
  rescan();
  EXPECT_EQ(gStatusText, noSound) << "a second loss is not told";
  EXPECT_EQ(said(capture), 2);

  CloseMidiOutput();
  gLog.clear();
  rescan();
  gPorts = {{"USB Synth", true}};
  Save("USB Synth");
  gMidiOutNameLoaded = false;
  ASSERT_TRUE(OpenMidiOutput());
  EXPECT_EQ(gMidiOutDeviceIndex, 0);
  rescan();
  EXPECT_EQ(Logged("open"), Strings({"open 0"})) << "only the synthesiser's device is watched";
}
