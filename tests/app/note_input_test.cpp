// The note road through the message queue: raw input, channel merge, serials, pedal, the played
// note cap, display-only notes, event times and the judges' order.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/note_tables.h"
#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/midi_input.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_selection.h"

namespace {

std::vector<std::string> gFeeds;   // judge feeds in call order
std::vector<int32_t> gLags;        // gMidiEventLagMs seen by each feed
std::vector<AppMessage> gPrivate;  // private messages reaching the handler

void RecordFeed(const char* feed) {
  gFeeds.push_back(feed);
  gLags.push_back(gMidiEventLagMs);
}

// Stands in for the window procedure: the note-road branches only.
int64_t Dispatch(uint32_t code, uint64_t w, int64_t l) {
  if (code == kMsgMidiInData) HandleMidiInData(w, l);
  if (code == kMsgMidiInError || code == kMsgMidiInLongError) HandleMidiInError(code, w, l);
  if (code == kMsgMidiNote || code == kMsgMidiSustain) gPrivate.push_back({code, w, l});
  if (code == kMsgMidiNote) HandleMidiNoteMessage(w, l);
  if (code == kMsgMidiSustain) HandleMidiSustainMessage(w, l);
  if (code == kMsgMidiAllNotesOff) HandleMidiAllNotesOffMessage(w, l);
  return 0;
}

class NoteRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    SetAppMessageHandler(Dispatch);
    gHeldNotes.clear();
    gPlayedNotes.clear();
    gNoteOnSerial = 1;
    for (float& v : gNoteGlow) v = 0;
    for (float& v : gPcActivity) v = 0;
    gSustainDown = gSyntheticNoteInput = gMidiInHardFail = gLastEventTimeValid = gAllNotesAllowed = false;
    gMidiInMessageCount = 0;
    gMidiEventLagMs = 0;
    gSongEvents.clear();
    ResetScaleSelection();  // C Ionian
    ResetChromaticDetector();
    gFeeds.clear(), gLags.clear(), gPrivate.clear();
    gNoteFeedTrace = RecordFeed;
  }
  void TearDown() override {
    gNoteFeedTrace = nullptr;
    SetAppMessageHandler(nullptr);
  }
  // A device message as the input layer posts it, stamped ageMs before now.
  void Device(uint32_t status, uint32_t d1, uint32_t d2, uint32_t ageMs = 0) {
    PostAppMessage(kMsgMidiInData, status | d1 << 8 | d2 << 16, (int64_t)(ClockMs32() - ageMs));
    DrainAppMessages();
  }
  void On(int note, int vel = 100, int ch = 0) { Device(0x90 | ch, note, vel); }
  void Off(int note, int ch = 0) { Device(0x80 | ch, note, 64); }
  // A program-generated note, as playback sends it.
  void Shown(int note, int vel) {
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(note, -1, 0), MakeNoteLParam(vel, true));
  }
  const HeldNote& Held(int note) {
    for (const HeldNote& h : gHeldNotes)
      if (h.note == note) return h;
    static const HeldNote kNone{};
    ADD_FAILURE() << "no record for " << note;
    return kNone;
  }
  ScopedDrivenClock clock_;
};

TEST_F(NoteRoad, RawInputBecomesThePrivateMessages) {
  const struct {
    uint32_t status, d1, d2;
    uint32_t code;  // 0 when dropped
    uint64_t wLow;  // wParam without the time stamp (note messages)
    int64_t l;
  } cases[] = {
      {0x90, 60, 100, kMsgMidiNote, (1u << 8) | 60, 100},
      {0x9F, 61, 5, kMsgMidiNote, (16u << 8) | 61, 5},
      {0x90, 62, 0, kMsgMidiNote, (1u << 8) | 62, 0},     // velocity 0 travels unchanged
      {0x83, 63, 90, kMsgMidiNote, (4u << 8) | 63, 0},    // release velocity dropped
      {0xB2, 64, 127, kMsgMidiSustain, 0, 127},
      {0xB0, 7, 100, 0, 0, 0}, {0xC0, 5, 0, 0, 0, 0}, {0xE0, 0, 64, 0, 0, 0}, {0xF8, 0, 0, 0, 0, 0},
  };
  int count = 0;
  for (const auto& c : cases) {
    gPrivate.clear();
    gLastMidiInputMs = 0;
    uint32_t stamp = ClockMs32() - 7;
    PostAppMessage(kMsgMidiInData, c.status | c.d1 << 8 | c.d2 << 16, stamp);
    DrainAppMessages();
    SCOPED_TRACE(c.status);
    EXPECT_EQ(gMidiInMessageCount.load(), ++count);
    ASSERT_EQ(gPrivate.size(), c.code ? 1u : 0u);
    EXPECT_EQ(gLastMidiInputMs, c.code ? ClockMs32() : 0u);
    if (!c.code) continue;
    EXPECT_EQ(gPrivate[0].code, c.code);
    EXPECT_EQ(gPrivate[0].wParam, c.code == kMsgMidiNote ? ((uint64_t)stamp << 32) | c.wLow : stamp);
    EXPECT_EQ(gPrivate[0].lParam, c.l);
    ClockDriveAdvance(10);
  }
  DebugCapture log;
  PostAppMessage(kMsgMidiInLongError, 0, 0);
  DrainAppMessages();
  EXPECT_TRUE(gMidiInHardFail);
  EXPECT_TRUE(log.Contains("[MIDI] HARD FAIL: MM_MIM_ERROR / MM_MIM_LONGERROR\n"));
  EXPECT_EQ(Held(61).keyDown, 1);  // an error releases nothing
}

TEST_F(NoteRoad, ChannelsMergeRepeatsAreOnsetsAndVelocityZeroReleases) {
  On(60, 100, 0);
  On(60, 90, 1);
  EXPECT_EQ(Held(60).channelMask, 0x3);
  EXPECT_EQ(gPlayedNotes.size(), 1u);  // the second channel gave no onset
  Off(60, 0);
  EXPECT_EQ(Held(60).keyDown, 1);  // channel 2 still holds it
  Device(0x91, 60, 0);             // a velocity-0 note-on is its note-off
  EXPECT_EQ(Held(60).keyDown + Held(60).sounding, 0);
  std::vector<std::string> tail(gFeeds.end() - 2, gFeeds.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"JudgePlayAlongNotes", "RecordPracticeStepTiming"}));
  size_t before = gFeeds.size();
  On(60, 100, 5);  // a fresh press starts a fresh mask
  EXPECT_EQ(Held(60).channelMask, 1 << 5);
  size_t onset = gFeeds.size() - before;
  On(60, 100, 5);  // pressed again while down: a new onset
  EXPECT_EQ(gFeeds.size() - before, 2 * onset);
  EXPECT_EQ(gHeldNotes.size(), 1u);
  EXPECT_EQ(Held(60).serial, 3u);
  EXPECT_EQ(gPlayedNotes.size(), 3u);
}

// A sequencer that stops sends all notes off (or all sound off) for a channel, often without the
// notes' own note-offs: the channel's keys are let go, through the pedal as a note-off would be.
TEST_F(NoteRoad, AllNotesOffLetsGoOfTheChannelsKeys) {
  On(60, 100, 0), On(64, 100, 0), On(67, 100, 1);
  Shown(72, 80);  // the song's own note
  Device(0xB0, 123, 0);
  EXPECT_EQ(Held(60).keyDown + Held(60).sounding, 0);
  EXPECT_EQ(Held(64).keyDown + Held(64).sounding, 0);
  EXPECT_EQ(Held(67).keyDown, 1) << "another channel's key";
  EXPECT_EQ(Held(72).sounding, 1) << "the song's note";
  Device(0xB1, 64, 127);  // the pedal down: the key is let go but sounds on
  Device(0xB1, 120, 0);
  EXPECT_EQ(Held(67).keyDown, 0);
  EXPECT_EQ(Held(67).sounding, 1);
  // A note-on and the all-notes-off after it, both waiting in one batch: the note goes too.
  PostAppMessage(kMsgMidiInData, 0x92 | 50 << 8 | 90 << 16, (int64_t)ClockMs32());
  PostAppMessage(kMsgMidiInData, 0xB2 | 123 << 8, (int64_t)ClockMs32());
  DrainAppMessages();
  EXPECT_EQ(Held(50).keyDown, 0);
  Device(0xB3, 123, 0);  // a channel holding nothing: nothing happens
  EXPECT_EQ(gPlayedNotes.size(), 5u);  // the five notes struck, no onset more
}

TEST_F(NoteRoad, DisplayOnlyNotesFillTheTablesButReachNoJudge) {
  uint32_t now = ClockMs32();
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(64, 0, now - 1000), MakeNoteLParam(80, true));
  gSyntheticNoteInput = true;
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(67, 0, now - 1000), MakeNoteLParam(80, false));
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(67, 0, 0), 0);
  gSyntheticNoteInput = false;
  EXPECT_TRUE(gFeeds.empty());
  EXPECT_FALSE(gLastEventTimeValid);  // no estimate: the time of handling, a lag of 0
  EXPECT_EQ(gHeldNotes.size(), 2u);
  EXPECT_EQ(gPlayedNotes.size(), 2u);
  EXPECT_EQ(gPlayedNotes[0].arrivalMs, now);
  EXPECT_GT(gPcActivity[4], 0.0f);
  EXPECT_FLOAT_EQ(gNoteGlow[67], 1.0f);
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(200, 0, 0), 100);  // above the keys: 200 mod 12 = 8
  EXPECT_EQ(Held(200).keyDown, 1);
  EXPECT_GT(gPcActivity[8], 0.0f);
  EXPECT_TRUE(gFeeds.empty());
}

TEST_F(NoteRoad, DeviceNotesSeeTheirLagAndItIsRestored) {
  gMidiEventLagMs = -5;
  Device(0x90, 60, 100, 30);
  EXPECT_EQ(gLags, std::vector<int32_t>(gLags.size(), 30));
  EXPECT_EQ(gMidiEventLagMs, -5);
  ClockDriveAdvance(5000);
  Device(0xB0, 64, 127, 10);          // the pedal's stamp advances the estimate
  gLags.clear();
  Device(0x90, 62, 100, 100);         // stamped before the pedal: dated at the pedal
  EXPECT_EQ(gLags.front(), 10);
  ClockDriveAdvance(5000);
  gLags.clear();
  Device(0x90, 64, 100, 1000);        // a stale stamp is believed only 250 ms back
  EXPECT_EQ(gLags.front(), 250);
}

TEST_F(NoteRoad, PedalHoldsAndReleases) {
  On(60);
  On(62);
  Device(0xB0, 64, 100);
  Off(60);
  EXPECT_EQ(Held(60).sounding + Held(60).sustained, 2);
  Device(0xB0, 64, 10);
  EXPECT_EQ(Held(60).sounding, 0);
  EXPECT_EQ(Held(62).sounding, 1);    // still down
  Device(0xB0, 64, 64);               // pressing the pedal again brings nothing back
  EXPECT_EQ(Held(60).sounding, 0);
  SendAppMessage(kMsgMidiSustain, 0, (int64_t)0x80000040);  // negative as 32 bits: up
  EXPECT_FALSE(gSustainDown);
}

TEST_F(NoteRoad, TablesSaturateAndWrap) {
  for (int i = 0; i < 10; ++i) On(60, 127);
  EXPECT_FLOAT_EQ(gNoteGlow[60], 2.4f);
  EXPECT_FLOAT_EQ(gPcActivity[0], 1.0f);
  for (int i = 10; i < 769; ++i) Shown(40 + i % 40, 90);
  ASSERT_EQ(gPlayedNotes.size(), 768u);  // the 769th note-on dropped the oldest
  EXPECT_EQ(gPlayedNotes.front().serial, 2u);
  gNoteOnSerial = 0xFFFFFFFFu;
  Shown(62, 90);
  Shown(63, 90);
  EXPECT_EQ(gPlayedNotes[766].serial, 0xFFFFFFFFu);
  EXPECT_EQ(gPlayedNotes[767].serial, 1u);
}

TEST_F(NoteRoad, DeviceNotesReachTheJudgesInTheirOrder) {
  const std::vector<std::string> judges = {"OnTeachingNoteOnset", "OnPracticeNoteOn",
                                           "TrackAchievementNote", "PlayAlongNoteInput",
                                           "JudgePlayAlongNotes", "RecordPracticeStepTiming",
                                           "RecordPracticeStepTiming"};
  for (bool song : {false, true}) {
    SetUp();
    if (song) gSongEvents.push_back(SongEvent{0, 0x90, 60, 100, 0});
    On(60);
    Off(60);
    Off(70);  // a release without a record still reaches the step timing
    std::vector<std::string> expected = judges;
    expected.insert(expected.begin(), song ? "ResetChromaticDetector" : "DetectChromaticRun");
    EXPECT_EQ(gFeeds, expected) << song;
  }
}

// A judge that sounds notes of its own while a release is being handled.
void JudgeSendsNotes(const char* feed) {
  if (std::string(feed) != "JudgePlayAlongNotes") return;
  for (int n = 0; n < 100; ++n)
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(n, -1, 0), MakeNoteLParam(50, true));
}

TEST_F(NoteRoad, AReleaseSurvivesNotesSentByTheJudge) {
  On(120);
  gNoteFeedTrace = JudgeSendsNotes;
  Off(120);  // the table grows under the handler: the record must be found again
  EXPECT_EQ(Held(120).keyDown, 0);
  EXPECT_EQ(gHeldNotes.size(), 101u);
}

// The input device layer for the watchdog: the keyboards present and whether the open one still
// is (it stays open in the list until the watchdog closes it).
std::vector<std::string> gKeyboards;
bool gOpenKeyboardPresent = true;
int KeyboardCount() { return (int)gKeyboards.size(); }
bool KeyboardName(int i, std::string* name) {
  return i >= 0 && i < KeyboardCount() && (*name = gKeyboards[i], true);
}
int OpenKeyboard(int i, void** handle) {
  static int token;
  *handle = i >= 0 && i < KeyboardCount() ? &token : nullptr;
  return *handle ? 0 : 2;
}
const MidiInDriver kKeyboards{KeyboardCount, KeyboardName, OpenKeyboard,
                              [] { return 0; }, [] {}, [](int) { return "-"; },
                              [] { return gOpenKeyboardPresent; }};

// Keys and the pedal held down when the keyboard goes away would never hear their releases: they
// are released on the note road as the device would have done it, whatever is found later. A
// reopen of the same keyboard after a device error keeps them down, since their releases still
// arrive through it.
TEST_F(NoteRoad, KeysHeldWhenTheKeyboardIsLostAreReleased) {
  struct Case {
    const char* what;
    bool unplugged;                      // found gone by the presence check, else a device error
    std::vector<std::string> reconnect;  // what the watchdog's reconnect finds
    bool released;
  } cases[] = {
      {"unplugged, found again by the reconnect", true, {"Keys"}, true},
      {"unplugged, no device at the reconnect", true, {}, true},
      {"device error, no device at the reconnect", false, {}, true},
      {"device error, another device in its place", false, {"Other"}, true},
      {"device error, the same keyboard reopens", false, {"Keys"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    gKeyboards = {"Keys"};
    gOpenKeyboardPresent = true;
    SetMidiInDriver(&kKeyboards);
    MidiInitAuto();
    ASSERT_TRUE(gMidiInOpen);
    On(60);
    On(64, 100, 0);
    On(64, 100, 3);                 // the same key held on a second channel
    Device(0xB0, 64, 127);          // pedal down
    On(67), Off(67);                // released under the pedal: still sounding
    Shown(72, 100);                 // a note the program sounds is not the keyboard's

    uint32_t t = gMidiScanMs + 1600;
    if (c.unplugged) {
      gOpenKeyboardPresent = false;
      gKeyboards.clear();
      RunMidiRescan(t);
    } else {
      PostAppMessage(kMsgMidiInError, 0, 0);
    }
    DrainAppMessages();
    ASSERT_TRUE(gMidiInHardFail);
    gKeyboards = c.reconnect;
    gOpenKeyboardPresent = true;
    RunMidiRescan(t += 1600);
    DrainAppMessages();
    EXPECT_EQ(gMidiInOpen, !c.reconnect.empty());

    for (int note : {60, 64, 67}) {
      SCOPED_TRACE(note);
      EXPECT_EQ(Held(note).keyDown, c.released ? 0 : (note != 67));
      EXPECT_EQ(Held(note).sounding, c.released ? 0 : 1);
    }
    EXPECT_EQ(gSustainDown, !c.released);
    EXPECT_EQ(Held(72).keyDown, 1);
  }
  SetMidiInDriver(nullptr);
}

}  // namespace
