// The start screen's device pickers from a test layout, over driver doubles of both device layers:
// opening and closing the lists, the rows as counted at the press, the output switch with its
// saved choice (also when the save fails), the pause of the start screen, the sound settings
// program found on PATH, and the placement row.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/note_tables.h"
#include "app/base/start_clock.h"
#include "midi/device_pickers.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "tests/midi/output_device_fixture.h"

namespace {

bool gShown = true;          // the start screen the hooks report
bool gQuizAvailable = false;
int gQuizRequests = 0;
const RectF kLanguageRow{20.0f, 800.0f, 270.0f, 36.0f};
float gRowScale = 1.0f;      // the start screen's scale and language row the hooks report
RectF gLanguageRow = kLanguageRow;

bool Shown(double) { return gShown; }
void Row(float* scale, RectF* row) {
  *scale = gRowScale;
  *row = gLanguageRow;
}
bool QuizAvailable() { return gQuizAvailable; }
void RequestQuiz() { ++gQuizRequests; }

class DevicePickers : public OutputDevice {
 protected:
  void SetUp() override {
    OutputDevice::SetUp();
    ResetDevicePickers();
    ResetStartClock();
    gClientWidth = 1440;
    gClientHeight = 920;
    gShown = true;
    gRowScale = 1.0f;
    gLanguageRow = kLanguageRow;
    gQuizAvailable = false;
    gQuizRequests = 0;
    gStartScreenShownHook = Shown;
    gStartScreenRowHook = Row;
    gPlacementPromptAvailableHook = QuizAvailable;
    gPlacementQuizRequestHook = RequestQuiz;
    gInDevices.clear();
    SetMidiInDriver(&kInDriver);
    // No real settings program may start from a test: PATH holds an empty folder.
    savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", emptyBin_.path().c_str(), 1);
  }
  void TearDown() override {
    ResetDevicePickers();
    ResetStartClock();
    gStartScreenShownHook = nullptr;
    gStartScreenRowHook = nullptr;
    gPlacementPromptAvailableHook = nullptr;
    gPlacementQuizRequestHook = nullptr;
    CloseMidiInput();
    setenv("PATH", savedPath_.c_str(), 1);
    OutputDevice::TearDown();
  }
  static void Press(bool (*click)(int, int), const RectF& r) {
    EXPECT_TRUE(click((int)(r.x + r.w / 2), (int)(r.y + r.h / 2)));
  }
  static PickerLayout Midi() {
    PickerLayout l;
    ComputeMidiPickerLayout(&l);
    return l;
  }
  static PickerLayout Audio() {
    PickerLayout l;
    ComputeAudioOutLayout(&l);
    return l;
  }
  std::string Saved() { return ReadFileBytes(dir_.File("Data/midi_output_device.txt")); }
  ScopedDrivenClock clock_;
  TempDir emptyBin_;
  std::string savedPath_;
};

TEST_F(DevicePickers, HeadersStackAboveTheLanguageRowAndListsOpenUpward) {
  gInDevices = {{"Keys A", 0}, {"Keys B", 0}};
  gPorts = {{"Port 1", true}, {"Port 2", true}, {"Port 3", true}};
  PickerLayout m = Midi(), a = Audio();
  EXPECT_EQ(m.rows, 2);
  EXPECT_EQ(a.rows, 5) << "three ports, the synthesiser and the settings row";
  EXPECT_FLOAT_EQ(m.header.y, kLanguageRow.y - m.pad - kLanguageRow.h);
  EXPECT_FLOAT_EQ(a.header.y, m.header.y - a.pad - kLanguageRow.h);
  EXPECT_FLOAT_EQ(a.list.y + a.list.h, a.header.y - a.pad) << "the list ends a margin above its header";
  EXPECT_FLOAT_EQ(m.list.w, 440.0f) << "0.4 of 1440 lowered to the upper bound";
  gClientWidth = 500;
  EXPECT_FLOAT_EQ(Midi().list.w, 300.0f) << "raised to the lower bound";
  // A tall list near the top is held 8 px below the window's edge.
  for (int i = 0; i < 60; ++i) gPorts.push_back({"More", true});
  EXPECT_FLOAT_EQ(Audio().list.y, 8.0f);
  // Every row is hit where it is laid out, and nowhere between the list's margins.
  for (int i = 0; i < m.rows; ++i) {
    RectF r = PickerRowRect(m, i);
    EXPECT_EQ(PickerRowAt(m, r.x + 2, r.y + r.h / 2), i);
  }
  EXPECT_EQ(PickerRowAt(m, m.list.x + 1, m.list.y + 1), -1);
}

// Forty keyboards (JACK or ALSA ports) make a list taller than the window. It keeps inside the
// window at the start screen's own sizes, the wheel over it brings every row into view, and a
// press picks the row drawn under the pointer after the wheel.
TEST_F(DevicePickers, AListTallerThanTheWindowScrollsAndAPressPicksTheRowShownThere) {
  for (int i = 1; i <= 40; ++i) gInDevices.push_back({"Keys " + std::to_string(i), 0});
  struct Case {
    int width, height;
    float scale;
    RectF languageRow;
  } cases[] = {
      {1440, 920, 1.0f, {16.0f, 868.0f, 270.0f, 36.0f}},  // the start screen's row in a maximised window
      {640, 480, 0.75f, {14.0f, 438.0f, 202.5f, 28.0f}},  // and in the smallest window
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    gClientWidth = c.width;
    gClientHeight = c.height;
    gRowScale = c.scale;
    gLanguageRow = c.languageRow;
    CloseMidiInput();
    Press(ClickMidiInputPanel, Midi().header);
    ASSERT_TRUE(gMidiPickerOpen);
    PickerLayout l = Midi();
    EXPECT_EQ(l.first, 0) << "the list opens at its first row";
    EXPECT_GE(l.list.y, 0.0f);
    EXPECT_LE(l.list.y + l.list.h, (float)c.height) << "the list's foot is inside the window";
    const int cx = (int)(l.list.x + l.list.w / 2), cy = (int)(l.list.y + l.list.h / 2);
    EXPECT_FALSE(DevicePickersWheel((int)(l.list.x + l.list.w + 20), cy, -120)) << "beside the list";
    // Turned down a notch at a time, the wheel brings the last keyboard into view and stops there.
    int notches = 0;
    for (; notches < 60 && PickerRowRect(Midi(), 39).w <= 0.0f; ++notches) EXPECT_TRUE(DevicePickersWheel(cx, cy, -120));
    ASSERT_LT(notches, 60) << "the last keyboard never came into view";
    EXPECT_GT(notches, 0);
    const int lastFirst = Midi().first;
    EXPECT_TRUE(DevicePickersWheel(cx, cy, -360));
    EXPECT_EQ(Midi().first, lastFirst) << "no further than the last row";
    EXPECT_TRUE(DevicePickersWheel(cx, cy, 120));
    l = Midi();
    EXPECT_EQ(l.first, lastFirst - 1) << "a notch up shows the row before";
    // Each row in view stands inside the window and is hit where it is drawn; a row scrolled out
    // of view is hit nowhere.
    int inView = 0;
    for (int row = 0; row < 40; ++row) {
      RectF r = PickerRowRect(l, row);
      if (r.w <= 0.0f) {
        EXPECT_TRUE(row < l.first || row >= l.first + l.shown) << row;
        continue;
      }
      ++inView;
      EXPECT_GE(r.y, l.list.y) << row;
      EXPECT_LE(r.y + r.h, (float)c.height) << row;
      EXPECT_EQ(PickerRowAt(l, r.x + 2, r.y + r.h / 2), row);
    }
    EXPECT_EQ(inView, l.shown);
    // A press on the lowest row in view opens the keyboard shown there.
    const int lowest = l.first + l.shown - 1;
    Press(ClickMidiInputPanel, PickerRowRect(l, lowest));
    EXPECT_FALSE(gMidiPickerOpen);
    ASSERT_TRUE(gMidiInOpen);
    EXPECT_EQ(gMidiInName, "Keys " + std::to_string(lowest + 1));
    // Opened again, the list starts at its top.
    Press(ClickMidiInputPanel, Midi().header);
    EXPECT_EQ(Midi().first, 0);
    EXPECT_TRUE(ClickMidiInputPanel((int)(Midi().list.x + Midi().list.w + 20), cy));
    EXPECT_FALSE(gMidiPickerOpen);
  }
  // The sound-output list the same way: its last port is saved from the row shown, and its last
  // row, the sound settings, comes into view too.
  gPorts.clear();
  for (int i = 1; i <= 40; ++i) gPorts.push_back({"Port " + std::to_string(i), true});
  Press(ClickAudioOutPanel, Audio().header);
  ASSERT_TRUE(gAudioOutPickerOpen);
  PickerLayout a = Audio();
  EXPECT_LE(a.list.y + a.list.h, (float)gClientHeight);
  for (int i = 0; i < 60 && PickerRowRect(Audio(), 41).w <= 0.0f; ++i)
    DevicePickersWheel((int)(a.list.x + a.list.w / 2), (int)(a.list.y + a.list.h / 2), -120);
  a = Audio();
  ASSERT_GT(PickerRowRect(a, 41).w, 0.0f) << "the settings row came into view";
  EXPECT_LE(PickerRowRect(a, 41).y + PickerRowRect(a, 41).h, (float)gClientHeight);
  Press(ClickAudioOutPanel, PickerRowRect(a, 40));
  EXPECT_EQ(Saved(), "Port 40");
  EXPECT_EQ(gMidiOutOpenName, "Port 40");
}

TEST_F(DevicePickers, ListsOpenCloseAndPauseTheStartScreen) {
  gInDevices = {{"Keys A", 0}};
  PickerLayout m = Midi();
  float blank[2] = {kLanguageRow.x + 900.0f, 20.0f};
  EXPECT_FALSE(ClickMidiInputPanel((int)blank[0], (int)blank[1])) << "a closed panel takes only its header";
  Press(ClickMidiInputPanel, m.header);
  EXPECT_TRUE(gMidiPickerOpen);
  EXPECT_FALSE(ClickAudioOutPanel((int)Audio().header.x + 5, (int)Audio().header.y + 5))
      << "the audio list waits while the MIDI list is open";
  // A press in the list's margin keeps it; the header closes it without choosing.
  EXPECT_TRUE(ClickMidiInputPanel((int)m.list.x + 1, (int)m.list.y + 1));
  EXPECT_TRUE(gMidiPickerOpen);
  clock_.Advance(10000);
  Press(ClickMidiInputPanel, m.header);
  EXPECT_FALSE(gMidiPickerOpen);
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_NEAR(gStartHeldTime, 10.0f, 0.05f) << "ten seconds open hold the start screen ten seconds";
  // Nothing happens while the start screen is gone or its language list is open.
  gShown = false;
  EXPECT_FALSE(ClickMidiInputPanel((int)m.header.x + 5, (int)m.header.y + 5));
  gShown = true;
  SetStartListOpen(kStartListLanguage, true, 0.0f);
  EXPECT_FALSE(ClickMidiInputPanel((int)m.header.x + 5, (int)m.header.y + 5));
  EXPECT_FALSE(gMidiPickerOpen);
}

TEST_F(DevicePickers, AMidiRowOpensThatKeyboardAndAVanishedRowOnlyCloses) {
  gInDevices = {{"Keys A", 0}, {"Keys B", 0}};
  Press(ClickMidiInputPanel, Midi().header);
  Press(ClickMidiInputPanel, PickerRowRect(Midi(), 1));
  EXPECT_TRUE(gMidiInOpen);
  EXPECT_EQ(gMidiInDeviceIndex, 1u);
  EXPECT_EQ(gMidiInName, "Keys B");
  EXPECT_FALSE(gMidiPickerOpen);
  // The list was drawn with two rows; one keyboard goes before the press on the second.
  Press(ClickMidiInputPanel, Midi().header);
  RectF second = PickerRowRect(Midi(), 1);
  gInDevices.pop_back();
  CloseMidiInput();
  Press(ClickMidiInputPanel, second);
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_FALSE(gMidiPickerOpen);
  // With no keyboard the list holds its message line; a press there only closes the list.
  gInDevices.clear();
  Press(ClickMidiInputPanel, Midi().header);
  Press(ClickMidiInputPanel, PickerRowRect(Midi(), 0));
  EXPECT_FALSE(gMidiPickerOpen);
  EXPECT_FALSE(gMidiInOpen);
}

// The note and pedal messages waiting in the queue, in order, as "note 62 ch 0 vel 0" and "pedal 0".
std::vector<std::string> TakeNoteRoad() {
  std::vector<std::string> out;
  AppMessage m;
  while (TakeAppMessage(&m)) {
    if (m.code == kMsgMidiNote)
      out.push_back("note " + std::to_string(m.wParam & 0xFF) + " ch " + std::to_string((int)((m.wParam >> 8) & 31) - 1) +
                    " vel " + std::to_string(m.lParam));
    else if (m.code == kMsgMidiSustain)
      out.push_back("pedal " + std::to_string(m.lParam));
  }
  return out;
}

// Keys and the pedal held on one keyboard while another is picked: the keyboard left behind can no
// longer send their releases, so they are released for it (a song's own notes, without a channel,
// are not its keys). The same keyboard picked again still sends them, and a keyboard that will not
// open leaves none connected.
TEST_F(DevicePickers, PickingAnotherKeyboardReleasesWhatTheOneLeftHeld) {
  gInDevices = {{"Keys A", 0}, {"Keys B", 0}, {"Keys C", 4}};
  auto hold = [] {
    ResetNoteTables();
    gHeldNotes = {HeldNote{62, 100, 1, 1, 0, 0, 1, 0, 1u << 0}, HeldNote{64, 90, 1, 1, 0, 0, 2, 3, (1u << 3) | (1u << 5)},
                  HeldNote{67, 80, 1, 1, 0, 0, 3, -1, 0}};
    gSustainDown = true;
    RemoveAppMessages(0, 0xFFFFFFFFu);
  };
  auto pick = [](int row) {
    Press(ClickMidiInputPanel, Midi().header);
    Press(ClickMidiInputPanel, PickerRowRect(Midi(), row));
  };
  const std::vector<std::string> released = {"note 62 ch 0 vel 0", "note 64 ch 3 vel 0", "note 64 ch 5 vel 0",
                                             "pedal 0"};
  ASSERT_TRUE(OpenMidiInput(0));
  hold();
  pick(0);
  EXPECT_EQ(gMidiInName, "Keys A");
  EXPECT_EQ(TakeNoteRoad(), std::vector<std::string>{}) << "the same keyboard still sends its releases";

  pick(1);
  EXPECT_EQ(gMidiInName, "Keys B");
  EXPECT_EQ(TakeNoteRoad(), released);

  hold();
  pick(2);
  EXPECT_FALSE(gMidiInOpen);
  EXPECT_EQ(TakeNoteRoad(), released) << "Keys B was closed for a keyboard that would not open";

  hold();
  pick(0);
  EXPECT_EQ(TakeNoteRoad(), std::vector<std::string>{}) << "no keyboard was open to hold them";
  ResetNoteTables();
}

TEST_F(DevicePickers, AnOutputRowSwitchesSavesAndOpensIt) {
  gPorts = {{"Port 1", true}, {"USB Synth", true}};
  Save("Port 1");
  ASSERT_TRUE(OpenMidiOutput());
  EXPECT_EQ(gMidiOutOpenName, "Port 1");
  gLog.clear();
  Press(ClickAudioOutPanel, Audio().header);
  ASSERT_TRUE(gAudioOutPickerOpen);
  Press(ClickAudioOutPanel, PickerRowRect(Audio(), 2));
  EXPECT_FALSE(gAudioOutPickerOpen);
  EXPECT_EQ(Saved(), "USB Synth") << "the bare name, no line end";
  EXPECT_EQ(gMidiOutName, "USB Synth");
  EXPECT_EQ(gMidiOutOpenName, "USB Synth");
  // The old port heard the release on all 16 channels, then its reset and close, before the new opened.
  Strings want;
  for (int c = 0; c < 16; ++c) {
    char a[16], b[16];
    std::snprintf(a, sizeof a, "0:%06X", 0x7BB0 | c);
    std::snprintf(b, sizeof b, "0:%06X", 0x40B0 | c);
    want.push_back(a);
    want.push_back(b);
  }
  want.insert(want.end(), {"reset 0", "close 0", "open 1"});
  EXPECT_EQ(gLog, want);
  // Row 0 is the built-in synthesiser, saved as the empty name.
  Press(ClickAudioOutPanel, Audio().header);
  Press(ClickAudioOutPanel, PickerRowRect(Audio(), 0));
  EXPECT_TRUE(FileExists(dir_.File("Data/midi_output_device.txt")));
  EXPECT_EQ(Saved(), "");
  EXPECT_EQ(gMidiOutDeviceIndex, -1);
  EXPECT_EQ(AudioOutRowText(0, 2), "Built-in synth (General MIDI)");
}

TEST_F(DevicePickers, APortGoneWhileTheListIsOpenIsNeverSavedAsUnknown) {
  gPorts = {{"Port 1", true}, {"Port 2", true}, {"Port 3", true}};
  Save("Port 1");
  Press(ClickAudioOutPanel, Audio().header);
  RectF port2 = PickerRowRect(Audio(), 2), port3 = PickerRowRect(Audio(), 3);
  gPorts.erase(gPorts.begin() + 1);
  // The rows stay where they were drawn: the vanished port's row does not pick Port 3, now in
  // its place, and only closes the list.
  Press(ClickAudioOutPanel, port2);
  EXPECT_FALSE(gAudioOutPickerOpen);
  EXPECT_EQ(Saved(), "Port 1");
  EXPECT_TRUE(Logged("open").empty()) << "no output was switched";
  // The last port's row, now past the count, only closes too.
  Press(ClickAudioOutPanel, Audio().header);
  gPorts.pop_back();
  Press(ClickAudioOutPanel, port3);
  EXPECT_EQ(Saved(), "Port 1");
  EXPECT_TRUE(Logged("open").empty());
  // A port whose name can no longer be read is not chosen either.
  gPorts = {{"Port 1", true}, {"Port 2", true}};
  Press(ClickAudioOutPanel, Audio().header);
  port2 = PickerRowRect(Audio(), 2);
  static bool failName = true;
  static const MidiOutDriver unreadable{OutCount, [](int i, std::string* n) { return !(failName && i == 1) && OutName(i, n); },
                                        OutOpen,  OutSend, OutCancel, OutReset, OutClose};
  SetMidiOutDriver(&unreadable);
  Press(ClickAudioOutPanel, port2);
  EXPECT_EQ(Saved(), "Port 1");
  EXPECT_NE(gMidiOutName, "Unknown device");
}

TEST_F(DevicePickers, AFailedSaveKeepsTheOldFileAndTheChoiceHoldsForTheRun) {
  gPorts = {{"Port 1", true}, {"A Much Longer Port Name", true}};
  Save("Port 1");
  Press(ClickAudioOutPanel, Audio().header);
  // Writes past a few bytes fail, for root as well: the new content cannot be written.
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit tiny = old;
  tiny.rlim_cur = 8;
  auto previous = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &tiny);
  bool saved = SwitchMidiOutput(1, "A Much Longer Port Name");
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved);
  EXPECT_EQ(Saved(), "Port 1");
  EXPECT_EQ(gMidiOutOpenName, "A Much Longer Port Name");
  for (const auto& entry : std::filesystem::directory_iterator(dir_.File("Data")))
    EXPECT_EQ(entry.path().filename(), "midi_output_device.txt") << "no temporary file is left";
}

TEST_F(DevicePickers, HeaderAndRowTexts) {
  EXPECT_EQ(AudioOutHeaderValue().empty(), false);
  gMidiOutNameLoaded = true;
  gMidiOutName = "Wavetable Synth";
  EXPECT_EQ(AudioOutHeaderValue(), "Wavetable Synth") << "a saved name is shown as it is";
  gMidiOutName.clear();
  std::string speakers = DefaultAudioEndpointName(true);
  EXPECT_EQ(AudioOutHeaderValue(), speakers.empty() ? "System default" : speakers);
  std::string last = AudioOutRowText(3, 2);
  EXPECT_EQ(last.rfind("Speakers: ", 0), 0u);
  EXPECT_NE(last.find("   (change in sound settings)"), std::string::npos);
  if (speakers.empty()) EXPECT_NE(last.find("unknown"), std::string::npos);
}

// The last row starts the settings program found first on PATH, detached; with none nothing happens.
TEST_F(DevicePickers, TheLastRowStartsTheSoundSettingsFoundOnPath) {
  TempDir bin;
  std::string marker = bin.File("started");
  setenv("PATH", bin.path().c_str(), 1);
  gPorts = {{"Port 1", true}};
  Press(ClickAudioOutPanel, Audio().header);
  Press(ClickAudioOutPanel, PickerRowRect(Audio(), 2));
  EXPECT_FALSE(gAudioOutPickerOpen) << "with no program the list only closes";
  WriteFileBytes(bin.File("gnome-control-center"), "#!/bin/sh\necho gnome \"$@\" > " + marker + "\n");
  WriteFileBytes(bin.File("pavucontrol"), "#!/bin/sh\necho pavucontrol \"$@\" > " + marker + "\n");
  std::filesystem::permissions(bin.File("pavucontrol"), std::filesystem::perms::owner_all);
  std::filesystem::permissions(bin.File("gnome-control-center"), std::filesystem::perms::owner_all);
  Press(ClickAudioOutPanel, Audio().header);
  Press(ClickAudioOutPanel, PickerRowRect(Audio(), 2));
  for (int i = 0; i < 400 && ReadFileBytes(marker).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ReadFileBytes(marker), "pavucontrol\n") << "the first choice, with no arguments";
  EXPECT_EQ(Saved(), "") << "no choice of output was made";
}

TEST_F(DevicePickers, ThePlacementRowAnswersOnlyWhileTheQuizCanOpen) {
  gStartClock = 0.0f;
  PickerLayout a = Audio();
  RectF above{a.header.x, a.header.y - a.pad - a.header.h, a.header.w, a.header.h};
  int x = (int)(above.x + 10), y = (int)(above.y + above.h / 2);
  EXPECT_FALSE(HitAudioOutPanel(x, y)) << "no prompt can be shown: an invisible row takes nothing";
  gQuizAvailable = true;
  Press(ClickAudioOutPanel, a.header);
  EXPECT_FALSE(HitAudioOutPanel(x, y)) << "a list is open";
  Press(ClickAudioOutPanel, a.header);
  EXPECT_FALSE(HitAudioOutPanel((int)a.header.x + 5, (int)a.header.y + 5));
  double now = GetAppSeconds();
  EXPECT_TRUE(HitAudioOutPanel(x, y));
  EXPECT_EQ(gQuizRequests, 1);
  EXPECT_GE(StartClockElapsed(now), 5.59f) << "the start screen ends at once";
}

}  // namespace
