// The note road through the message queue: raw input to the private messages, channel merge,
// serials, pedal, the played-note cap, display-only notes, event times and the judges' order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_selection.h"

namespace {

std::vector<std::string> gFeeds;       // judge feeds in call order
std::vector<int32_t> gLagAtFeed;       // gMidiEventLagMs seen by each feed
std::vector<AppMessage> gPrivate;      // private messages seen by the handler

void RecordFeed(const char* feed) {
  gFeeds.push_back(feed);
  gLagAtFeed.push_back(gMidiEventLagMs);
}

// Stands in for the window procedure: the four note-road branches only.
int64_t Dispatch(uint32_t code, uint64_t w, int64_t l) {
  switch (code) {
    case kMsgMidiInData: HandleMidiInData(w, l); break;
    case kMsgMidiInError:
    case kMsgMidiInLongError: HandleMidiInError(code, w, l); break;
    case kMsgMidiNote: gPrivate.push_back({code, w, l}); HandleMidiNoteMessage(w, l); break;
    case kMsgMidiSustain: gPrivate.push_back({code, w, l}); HandleMidiSustainMessage(w, l); break;
    default: break;
  }
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
    for (float& v : gPcActivity) v = 0;
    for (float& v : gNoteGlow) v = 0;
    for (bool& v : gWrongNoteMark) v = false;
    gSustainDown = false;
    gMidiInMessageCount = 0;
    gLastMidiInputMs = 0;
    gMidiEventLagMs = 0;
    gSyntheticNoteInput = false;
    gMidiInHardFail = false;
    gLastEventTimeMs = 0;
    gLastEventTimeValid = false;
    gSongEvents.clear();
    gAllNotesAllowed = false;
    ResetScaleSelection();  // C Ionian
    ResetChromaticDetector();
    gFeeds.clear();
    gLagAtFeed.clear();
    gPrivate.clear();
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
  void Pedal(int value) { Device(0xB0, 64, value); }
  // A program-generated note, as playback sends it.
  void Shown(int note, int vel) {
    SendAppMessage(kMsgMidiNote, MakeNoteWParam(note, -1, 0), MakeNoteLParam(vel, true));
  }
  const HeldNote* Held(int note) {
    for (const HeldNote& h : gHeldNotes)
      if (h.note == note) return &h;
    return nullptr;
  }

  ScopedDrivenClock clock_;
};

// ---- raw input ----

struct RawCase {
  const char* name;
  uint32_t status, d1, d2;
  int posted;                 // 0 none, 1 note, 2 sustain
  uint64_t wLow;              // expected wParam without the time stamp
  int64_t l;
};

TEST_F(NoteRoad, RawInputBecomesThePrivateMessages) {
  const RawCase cases[] = {
      {"note on ch1", 0x90, 60, 100, 1, (1u << 8) | 60, 100},
      {"note on ch16", 0x9F, 61, 5, 1, (16u << 8) | 61, 5},
      {"note on velocity 0", 0x90, 62, 0, 1, (1u << 8) | 62, 0},
      {"note off drops release velocity", 0x83, 63, 90, 1, (4u << 8) | 63, 0},
      {"sustain pedal", 0xB2, 64, 127, 2, 0, 127},
      {"other controller", 0xB0, 7, 100, 0, 0, 0},
      {"program change", 0xC0, 5, 0, 0, 0, 0},
      {"pitch bend", 0xE0, 0, 64, 0, 0, 0},
      {"aftertouch", 0xA0, 60, 10, 0, 0, 0},
      {"clock", 0xF8, 0, 0, 0, 0, 0},
  };
  int count = 0;
  for (const RawCase& c : cases) {
    gPrivate.clear();
    gLastMidiInputMs = 0;
    uint32_t stamp = ClockMs32() - 7;
    PostAppMessage(kMsgMidiInData, c.status | c.d1 << 8 | c.d2 << 16, stamp);
    DrainAppMessages();
    ++count;
    EXPECT_EQ(gMidiInMessageCount.load(), count) << c.name;
    if (c.posted == 0) {
      EXPECT_TRUE(gPrivate.empty()) << c.name;
      EXPECT_EQ(gLastMidiInputMs, 0u) << c.name;
      continue;
    }
    ASSERT_EQ(gPrivate.size(), 1u) << c.name;
    EXPECT_EQ(gLastMidiInputMs, ClockMs32()) << c.name;
    if (c.posted == 1) {
      EXPECT_EQ(gPrivate[0].code, (uint32_t)kMsgMidiNote) << c.name;
      EXPECT_EQ(gPrivate[0].wParam, ((uint64_t)stamp << 32) | c.wLow) << c.name;
    } else {
      EXPECT_EQ(gPrivate[0].code, (uint32_t)kMsgMidiSustain) << c.name;
      EXPECT_EQ(gPrivate[0].wParam, (uint64_t)stamp) << c.name;
    }
    EXPECT_EQ(gPrivate[0].lParam, c.l) << c.name;
    ClockDriveAdvance(10);
  }
}

TEST_F(NoteRoad, DeviceErrorRaisesTheFlagAndLogsOnly) {
  DebugCapture log;
  On(60);
  PostAppMessage(kMsgMidiInLongError, 0, 0);
  DrainAppMessages();
  EXPECT_TRUE(gMidiInHardFail);
  EXPECT_TRUE(log.Contains("[MIDI] HARD FAIL: MM_MIM_ERROR / MM_MIM_LONGERROR\n"));
  ASSERT_NE(Held(60), nullptr);
  EXPECT_TRUE(Held(60)->keyDown);  // held notes are not released by an error
}

// ---- note handling ----

TEST_F(NoteRoad, VelocityZeroNoteOnIsANoteOff) {
  for (int form = 0; form < 2; ++form) {
    SetUp();
    On(60);
    if (form == 0)
      Device(0x90, 60, 0);
    else
      Off(60);
    const HeldNote* h = Held(60);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->keyDown, 0) << form;
    EXPECT_EQ(h->sounding, 0) << form;
    EXPECT_EQ(gPlayedNotes.size(), 1u) << form;
    EXPECT_EQ(gFeeds.back(), "RecordPracticeStepTiming") << form;
    EXPECT_EQ(gFeeds[gFeeds.size() - 2], "JudgePlayAlongNotes") << form;
  }
}

TEST_F(NoteRoad, SameKeyOnTwoChannelsIsOneOnset) {
  On(60, 100, 0);
  On(60, 90, 1);
  ASSERT_EQ(gHeldNotes.size(), 1u);
  EXPECT_EQ(gHeldNotes[0].channelMask, 0x3);
  EXPECT_EQ(gHeldNotes[0].serial, 1u);
  EXPECT_EQ(gNoteOnSerial, 2u);            // the second channel gave no onset
  EXPECT_EQ(gPlayedNotes.size(), 1u);
  EXPECT_FLOAT_EQ(gNoteGlow[60], 1.0f);

  Off(60, 0);
  EXPECT_EQ(gHeldNotes[0].keyDown, 1);     // channel 2 still holds it
  EXPECT_EQ(gHeldNotes[0].channelMask, 0x2);
  Off(60, 1);
  EXPECT_EQ(gHeldNotes[0].keyDown, 0);
  EXPECT_EQ(gHeldNotes[0].channelMask, 0);
}

TEST_F(NoteRoad, RepeatedNoteOnWhileDownIsANewOnset) {
  On(60);
  size_t feedsAfterFirst = gFeeds.size();
  On(60);
  EXPECT_EQ(gHeldNotes.size(), 1u);
  EXPECT_EQ(gHeldNotes[0].serial, 2u);
  EXPECT_EQ(gPlayedNotes.size(), 2u);
  EXPECT_FLOAT_EQ(gNoteGlow[60], 2.0f);
  EXPECT_EQ(gFeeds.size(), 2 * feedsAfterFirst);
}

TEST_F(NoteRoad, DisplayOnlyNotesFillTheTablesButReachNoJudge) {
  uint32_t before = ClockMs32();
  // A stale stamp on a display-only note must not move the event clock.
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(64, 0, before - 1000), MakeNoteLParam(80, true));
  gSyntheticNoteInput = true;
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(67, 0, before - 1000), MakeNoteLParam(80, false));
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(67, 0, 0), 0);
  gSyntheticNoteInput = false;
  Shown(64, 0);

  EXPECT_TRUE(gFeeds.empty());
  EXPECT_FALSE(gLastEventTimeValid);
  EXPECT_EQ(gMidiEventLagMs, 0);
  EXPECT_EQ(gHeldNotes.size(), 2u);
  EXPECT_EQ(gPlayedNotes.size(), 2u);
  EXPECT_GT(gPcActivity[4], 0.0f);
  EXPECT_FLOAT_EQ(gNoteGlow[67], 1.0f);
  EXPECT_EQ(gPlayedNotes[0].arrivalMs, before);
}

TEST_F(NoteRoad, DeviceNotesSeeTheirLagAndItIsRestored) {
  gMidiEventLagMs = -5;
  Device(0x90, 60, 100, 30);
  ASSERT_FALSE(gLagAtFeed.empty());
  for (int32_t lag : gLagAtFeed) EXPECT_EQ(lag, 30);
  EXPECT_EQ(gMidiEventLagMs, -5);
  gLagAtFeed.clear();
  ClockDriveAdvance(5000);
  Device(0x90, 62, 100, 1000);  // a stale stamp is believed only 250 ms back
  for (int32_t lag : gLagAtFeed) EXPECT_EQ(lag, 250);
}

TEST_F(NoteRoad, APedalStampFeedsTheEstimator) {
  Device(0xB0, 64, 127, 10);
  EXPECT_TRUE(gLastEventTimeValid);
  EXPECT_EQ(gLastEventTimeMs, ClockMs32() - 10);
  Device(0x90, 60, 100, 100);   // stamped before the pedal: dated at the pedal
  EXPECT_EQ(gLagAtFeed.front(), 10);
}

TEST_F(NoteRoad, PedalHoldsAndReleases) {
  On(60);
  Pedal(100);
  EXPECT_TRUE(gSustainDown);
  Off(60);
  const HeldNote* h = Held(60);
  EXPECT_EQ(h->sounding, 1);
  EXPECT_EQ(h->sustained, 1);
  EXPECT_EQ(h->keyDown, 0);
  Pedal(10);
  EXPECT_FALSE(gSustainDown);
  EXPECT_EQ(Held(60)->sounding, 0);
  EXPECT_EQ(Held(60)->sustained, 0);
  Pedal(64);  // pressing the pedal again brings nothing back
  EXPECT_EQ(Held(60)->sounding, 0);
  // A key still down when the pedal lifts keeps sounding.
  On(62);
  Off(60);
  Pedal(0);
  EXPECT_EQ(Held(62)->sounding, 1);
}

TEST_F(NoteRoad, SustainValueIsASigned32BitNumber) {
  SendAppMessage(kMsgMidiSustain, 0, (int64_t)0x80000040);  // negative as 32 bits
  EXPECT_FALSE(gSustainDown);
  SendAppMessage(kMsgMidiSustain, 0, 64);
  EXPECT_TRUE(gSustainDown);
}

TEST_F(NoteRoad, The769thNoteOnDropsTheOldest) {
  for (int i = 0; i < 769; ++i) Shown(40 + i % 40, 90);
  ASSERT_EQ(gPlayedNotes.size(), 768u);
  EXPECT_EQ(gPlayedNotes.front().serial, 2u);
  EXPECT_EQ(gPlayedNotes.back().serial, 769u);
}

TEST_F(NoteRoad, SerialsCountFromOneAndSkipZero) {
  Shown(60, 90);
  Shown(61, 90);
  EXPECT_EQ(gPlayedNotes[0].serial, 1u);
  EXPECT_EQ(gPlayedNotes[1].serial, 2u);
  gNoteOnSerial = 0xFFFFFFFFu;
  Shown(62, 90);
  Shown(63, 90);
  EXPECT_EQ(gPlayedNotes[2].serial, 0xFFFFFFFFu);
  EXPECT_EQ(gPlayedNotes[3].serial, 1u);
  EXPECT_EQ(gNoteOnSerial, 2u);
}

TEST_F(NoteRoad, GlowAndActivitySaturate) {
  for (int i = 0; i < 10; ++i) On(60, 127);
  EXPECT_FLOAT_EQ(gNoteGlow[60], 2.4f);
  EXPECT_FLOAT_EQ(gPcActivity[0], 1.0f);
}

TEST_F(NoteRoad, NoteAboveTheKeyRangeEntersTheTablesOnly) {
  gWrongNoteMark[72] = true;
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(200, 0, 0), 100);  // 200 mod 12 = 8
  ASSERT_NE(Held(200), nullptr);
  EXPECT_EQ(gPlayedNotes.size(), 1u);
  EXPECT_GT(gPcActivity[8], 0.0f);
  for (float g : gNoteGlow) EXPECT_EQ(g, 0.0f);
  EXPECT_TRUE(gWrongNoteMark[72]);
  EXPECT_TRUE(gFeeds.empty());
  SendAppMessage(kMsgMidiNote, MakeNoteWParam(200, 0, 0), 0);
  EXPECT_EQ(Held(200)->keyDown, 0);
}

TEST_F(NoteRoad, PlayedNotesAreColouredByRingPosition) {
  On(67);  // G: in C major, ring position 1
  On(61);  // C#: off the scale
  ASSERT_EQ(gPlayedNotes.size(), 2u);
  EXPECT_EQ(gPlayedNotes[0].offScale, 0);
  EXPECT_FLOAT_EQ(gPlayedNotes[0].r, 0.788f);
  EXPECT_FLOAT_EQ(gPlayedNotes[0].b, 0.227f);
  EXPECT_EQ(gPlayedNotes[1].offScale, 1);
  EXPECT_FLOAT_EQ(gPlayedNotes[1].r, 1.0f);
  EXPECT_FLOAT_EQ(gPlayedNotes[1].g, 0.22f);
  EXPECT_FLOAT_EQ(gPlayedNotes[1].b, 0.2f);
}

TEST_F(NoteRoad, ReleasedKeyStartsAFreshChannelMask) {
  On(60, 100, 2);
  Off(60, 2);
  On(60, 100, 5);
  EXPECT_EQ(Held(60)->channelMask, 1 << 5);
  EXPECT_EQ(Held(60)->channel, 5);
  Shown(60, 0);  // a channel-less release ends it whatever the mask
  EXPECT_EQ(Held(60)->keyDown, 0);
}

// ---- the judges' order ----

struct OrderCase {
  const char* name;
  bool songLoaded;
  std::vector<std::string> expected;
};

TEST_F(NoteRoad, DeviceNotesReachTheJudgesInTheirOrder) {
  const OrderCase cases[] = {
      {"no song",
       false,
       {"DetectChromaticRun", "OnTeachingNoteOnset", "OnPracticeNoteOn", "TrackAchievementNote",
        "PlayAlongNoteInput", "JudgePlayAlongNotes", "RecordPracticeStepTiming",
        "RecordPracticeStepTiming"}},
      {"song loaded",
       true,
       {"ResetChromaticDetector", "OnTeachingNoteOnset", "OnPracticeNoteOn",
        "TrackAchievementNote", "PlayAlongNoteInput", "JudgePlayAlongNotes",
        "RecordPracticeStepTiming", "RecordPracticeStepTiming"}},
  };
  for (const OrderCase& c : cases) {
    SetUp();
    if (c.songLoaded) gSongEvents.push_back(SongEvent{0, 0x90, 60, 100, 0});
    On(60);
    Off(60);
    Off(70);  // a release without a record still reaches the step timing
    EXPECT_EQ(gFeeds, c.expected) << c.name;
  }
}

}  // namespace
