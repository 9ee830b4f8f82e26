// The MIDI file reader on files built byte by byte: every error text, the stream rules, the tempo
// list, the time signatures, the key and the event order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "midi/midi_file.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/test_support.h"

using namespace smf;

namespace {

struct Parsed {
  bool ok = false;
  std::vector<SongEvent> events;
  std::vector<TempoPoint> tempo;
  std::vector<TimeSignaturePoint> meters = {{7, 7, 7, 7, 0}};  // cleared on entry
  std::vector<double> exact = {7.0};                             // cleared on entry
  int key = 99;
  bool minor = true;
  std::string error = "unset";
};

Parsed Parse(const std::string& bytes) {
  Parsed p;
  p.ok = ParseMidiBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), p.events,
                        p.tempo, p.key, p.minor, p.error, &p.meters, &p.exact);
  return p;
}

// A file of one track with this body, 480 ticks per quarter.
std::string OneTrack(const std::string& body) { return File(480, {body}); }

using Ev3 = std::tuple<uint32_t, int, int, int>;  // ms, status, data1, data2

void ExpectEvents(const Parsed& p, const std::vector<Ev3>& expected) {
  ASSERT_TRUE(p.ok) << p.error;
  std::vector<Ev3> got;
  for (const SongEvent& e : p.events) got.emplace_back(e.timeMs, e.status, e.data1, e.data2);
  EXPECT_EQ(got, expected);
}

}  // namespace

TEST(MidiFile, EveryFailureGivesItsTextAndEmptyOutputs) {
  const std::string note = On(0, 60, 100);
  const std::string good = OneTrack(note);
  struct Case {
    const char* what;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"13 bytes", good.substr(0, 13), "file too small"},
      {"no MThd", "MTrk" + good.substr(4), "missing MThd header"},
      {"header length 5", "MThd" + Be32(5) + Be16(1) + Be16(1) + Be16(480) + Track(note), "invalid MThd length"},
      {"header length past the end", "MThd" + Be32(400) + Be16(1) + Be16(1) + Be16(480) + Track(note), "invalid MThd length"},
      {"header length near 2^32", "MThd" + Be32(0xFFFFFFFFu) + Be16(1) + Be16(1) + Be16(480), "invalid MThd length"},
      {"zero tracks though a track follows", Header(0, 480) + Track(note), "no track chunks"},
      {"SMPTE division", Header(1, 0xE728) + Track(note), "SMPTE timing not supported"},
      {"chunk past the end", Header(1, 480) + "MTrk" + Be32(100) + note, "track chunk out of bounds"},
      {"chunk length near 2^32", Header(1, 480) + "MTrk" + Be32(0xFFFFFFF8u) + note, "track chunk out of bounds"},
      {"unknown chunk past the end", Header(1, 480) + Track(note) + "junk" + Be32(9) + "abc", "track chunk out of bounds"},
      {"delta of five bytes", OneTrack(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 60, 100})), "invalid variable-length delta"},
      {"delta cut off", OneTrack(note + Bytes({0x81})), "invalid variable-length delta"},
      {"data byte first", OneTrack(Bytes({0, 60, 100})), "running status missing"},
      {"running status after meta", OneTrack(note + Bytes({0, 0xFF, 0x01, 0, 0, 62, 100})), "running status missing"},
      {"running status after sysex", OneTrack(note + Bytes({0, 0xF0, 1, 0xF7, 0, 62, 100})), "running status missing"},
      {"running status after a system message", OneTrack(note + Bytes({0, 0xF2, 1, 2, 0, 62, 100})), "running status missing"},
      {"running status into the next track", File(480, {note, Bytes({0, 62, 100})}), "running status missing"},
      {"meta without length", OneTrack(note + Bytes({0, 0xFF, 0x51})), "invalid meta event"},
      {"meta data past the chunk", OneTrack(note + Bytes({0, 0xFF, 0x01, 5, 'a', 'b'})), "invalid meta event"},
      {"time signature cut off by the chunk", OneTrack(note + Bytes({0, 0xFF, 0x58, 4, 3, 2})), "invalid meta event"},
      {"meta length of five bytes", OneTrack(note + Bytes({0, 0xFF, 0x01, 0x81, 0x80, 0x80, 0x80, 0})), "invalid meta event"},
      {"sysex status last", OneTrack(note + Bytes({0, 0xF0})), "invalid sysex event"},
      {"sysex data past the chunk", OneTrack(note + Bytes({0, 0xF0, 5, 1, 2})), "invalid sysex event"},
      {"escape sysex length cut off", OneTrack(note + Bytes({0, 0xF7, 0x81})), "invalid sysex event"},
      {"note-on cut off", OneTrack(note + Bytes({0, 0x90, 60})), "invalid channel event length"},
      {"running status cut off", OneTrack(note + Bytes({0, 62})), "invalid channel event length"},
      {"system message cut off", OneTrack(note + Bytes({0, 0xF3, 1})), "invalid channel event length"},
      {"only a program change", OneTrack(Bytes({0, 0xC0, 5}) + EndOfTrack()), "no note/sustain events in file"},
      {"empty track", Header(1, 480) + Track(""), "no note/sustain events in file"},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.bytes);
    EXPECT_FALSE(p.ok) << c.what;
    EXPECT_EQ(p.error, c.error) << c.what;
    EXPECT_TRUE(p.events.empty()) << c.what;
    EXPECT_TRUE(p.tempo.empty()) << c.what;
    EXPECT_TRUE(p.exact.empty()) << c.what;
    EXPECT_TRUE(p.meters.empty()) << c.what;
  }
}

TEST(MidiFile, UnreadableFilesAreRejectedAndClearTheOutputs) {
  TempDir dir;
  WriteFileBytes(dir.File("empty.mid"), "");
  for (const std::string& path : {dir.File("missing.mid"), dir.File("empty.mid"), dir.path()}) {
    std::vector<SongEvent> events(3);
    std::vector<TempoPoint> tempo(2);
    int key = 5;
    bool minor = true;
    std::string error;
    EXPECT_FALSE(ParseMidiFile(path, events, tempo, key, minor, error)) << path;
    EXPECT_EQ(error, "could not read file") << path;
    EXPECT_TRUE(events.empty() && tempo.empty() && key == -1 && !minor) << path;
  }
}

TEST(MidiFile, StreamRulesThatAreAccepted) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Ev3> expected;
  } cases[] = {
      {"running status across note-on and note-off",
       OneTrack(Bytes({0, 0x90, 60, 100, 120, 62, 90, 120, 60, 0, 0, 0x80, 62, 0, 120, 64, 5})),
       {{0, 0x90, 60, 100}, {125, 0x90, 62, 90}, {250, 0x90, 60, 0}, {250, 0x80, 62, 0}, {375, 0x80, 64, 5}}},
      {"four-byte delta", OneTrack(On(0, 60, 1) + Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0x80, 60, 0})),
       {{0, 0x90, 60, 1}, {279620266, 0x80, 60, 0}}},
      {"track ends after a delta", OneTrack(On(0, 60, 100) + Vlq(77)), {{0, 0x90, 60, 100}}},
      {"track ends after 0xFF", OneTrack(On(0, 60, 100) + Bytes({0, 0xFF})), {{0, 0x90, 60, 100}}},
      {"events after End of Track", OneTrack(On(0, 60, 100) + EndOfTrack() + Off(480, 60)),
       {{0, 0x90, 60, 100}, {500, 0x80, 60, 0}}},
      {"header says one track, three follow",
       Header(1, 480) + Track(On(0, 64, 1)) + Track(On(0, 60, 1)) + Track(On(0, 62, 1)),
       {{0, 0x90, 60, 1}, {0, 0x90, 62, 1}, {0, 0x90, 64, 1}}},
      {"unknown and empty chunks skipped, short tail ignored",
       Header(1, 480) + Chunk("XFIH", "\x90\x3C") + Track("") + Track(On(0, 60, 1)) + "MTrk\0\0\0",
       {{0, 0x90, 60, 1}}},
      {"an unknown chunk whose bytes would read as a note", Header(1, 480) + Chunk("XFKM", On(0, 62, 64)) + Track(On(0, 60, 1)),
       {{0, 0x90, 60, 1}}},
      {"longer header", "MThd" + Be32(10) + Be16(1) + Be16(1) + Be16(480) + "abcd" + Track(On(480, 60, 1)),
       {{500, 0x90, 60, 1}}},
      {"division 0 is one tick per quarter", File(0, {On(2, 60, 1)}), {{1000, 0x90, 60, 1}}},
      {"other messages dropped",
       OneTrack(Bytes({0, 0xC0, 5, 0, 0xE0, 0, 0x40, 0, 0xA0, 60, 10, 0, 0xD0, 10, 0, 0xB0, 7, 100,
                       0, 0xF2, 1, 2, 0, 0xB3, 64, 127, 0, 0x95, 60, 100})),
       {{0, 0xB3, 64, 127}, {0, 0x95, 60, 100}}},
      {"a note struck and released within one ms keeps its tick order",
       File(9600, {On(0, 60, 100) + Off(1, 60)}), {{0, 0x90, 60, 100}, {0, 0x80, 60, 0}}},
      {"data bytes kept as read", OneTrack(Bytes({0, 0x90, 0xC8, 0x85})), {{0, 0x90, 0xC8, 0x85}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectEvents(Parse(c.bytes), c.expected);
  }
}

TEST(MidiFile, EventsAtOneTimeComeOffThenPedalThenOn) {
  Parsed p = Parse(File(480, {On(0, 60, 100) + Pedal(0, 127) + Off(0, 67) + On(0, 55, 0),
                              On(0, 48, 80, 1) + Off(0, 59, 1) + Pedal(0, 0, 1)}));
  ExpectEvents(p, {{0, 0x90, 55, 0},
                   {0, 0x81, 59, 0},
                   {0, 0x80, 67, 0},
                   {0, 0xB1, 64, 0},
                   {0, 0xB0, 64, 127},
                   {0, 0x91, 48, 80},
                   {0, 0x90, 60, 100}});
  for (size_t i = 1; i < p.events.size(); ++i) EXPECT_FALSE(MidiEventLess(p.events[i], p.events[i - 1]));
}

// A note whose off follows its on within one tick is released after it, not left to ring; an off
// whose note began earlier still comes before a new note of its key at the same time.
TEST(MidiFile, ANoteWithoutLengthIsReleasedAfterItsOn) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Ev3> expected;
  } cases[] = {
      {"on then off in one tick", OneTrack(On(0, 60, 100) + Off(0, 60)), {{0, 0x90, 60, 100}, {0, 0x80, 60, 0}}},
      {"an off by a velocity-0 note-on", OneTrack(On(0, 60, 100) + On(0, 60, 0)),
       {{0, 0x90, 60, 100}, {0, 0x90, 60, 0}}},
      {"a note ends as the next of its key starts",
       OneTrack(On(0, 60, 100) + Off(480, 60) + On(0, 60, 90) + Off(480, 60)),
       {{0, 0x90, 60, 100}, {500, 0x80, 60, 0}, {500, 0x90, 60, 90}, {1000, 0x80, 60, 0}}},
      {"a note ends, and one without length follows at its time",
       OneTrack(On(0, 60, 100) + Off(480, 60) + On(0, 60, 90) + Off(0, 60)),
       {{0, 0x90, 60, 100}, {500, 0x80, 60, 0}, {500, 0x90, 60, 90}, {500, 0x80, 60, 0}}},
      {"a drum chord without length",
       OneTrack(On(0, 36, 100, 9) + On(0, 42, 90, 9) + Off(0, 36, 9) + Off(0, 42, 9)),
       {{0, 0x99, 36, 100}, {0, 0x99, 42, 90}, {0, 0x89, 36, 0}, {0, 0x89, 42, 0}}},
      {"another channel's off stays first", OneTrack(On(0, 60, 100) + Off(0, 60, 1)),
       {{0, 0x81, 60, 0}, {0, 0x90, 60, 100}}},
      {"another track's off stays first", File(480, {On(0, 60, 100), Off(0, 60)}),
       {{0, 0x80, 60, 0}, {0, 0x90, 60, 100}}},
      {"an on a tick before is not of this tick", OneTrack(On(0, 60, 100) + Off(1, 60) + On(0, 60, 90)),
       {{0, 0x90, 60, 100}, {1, 0x80, 60, 0}, {1, 0x90, 60, 90}}},
      {"the next note written before the end of the last keeps its length",
       OneTrack(On(0, 60, 100) + On(480, 60, 90) + Off(0, 60) + Off(480, 60)),
       {{0, 0x90, 60, 100}, {500, 0x80, 60, 0}, {500, 0x90, 60, 90}, {1000, 0x80, 60, 0}}},
      {"the last note ends and a note without length starts, the offs after the on",
       OneTrack(On(0, 60, 100) + On(480, 60, 90) + Off(0, 60) + Off(0, 60)),
       {{0, 0x90, 60, 100}, {500, 0x80, 60, 0}, {500, 0x90, 60, 90}, {500, 0x80, 60, 0}}},
      {"a note of the track before ends nothing here",
       File(480, {On(0, 60, 100), On(480, 60, 90) + Off(0, 60)}),
       {{0, 0x90, 60, 100}, {500, 0x90, 60, 90}, {500, 0x80, 60, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectEvents(Parse(c.bytes), c.expected);
  }
  // Enough notes to take the bulk sort: every off still follows its own on.
  std::string body;
  for (int i = 0; i < 400; ++i) body += On(i ? 10 : 0, 40 + i % 50, 100) + Off(0, 40 + i % 50);
  Parsed p = Parse(OneTrack(body));
  ASSERT_TRUE(p.ok) << p.error;
  ASSERT_EQ(p.events.size(), 800u);
  for (size_t i = 0; i < p.events.size(); i += 2) {
    ASSERT_EQ(p.events[i].status, 0x90) << i;
    ASSERT_EQ(p.events[i + 1].status, 0x80) << i;
    ASSERT_EQ(p.events[i + 1].data1, p.events[i].data1) << i;
    ASSERT_EQ(p.events[i + 1].timeMs, p.events[i].timeMs) << i;
  }
}

TEST(MidiFile, TempoListCases) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<TempoPoint> tempo;
    std::vector<double> exact;  // beside each point, its tempo unrounded
    uint32_t lastEventMs;
  } cases[] = {
      {"no tempo event plays at 120", OneTrack(On(960, 60, 1)), {{0, 120}}, {120.0}, 1000},
      {"a change mid-song, from another track",
       File(480, {On(0, 60, 1) + Off(1440, 60), Tempo(0, 500000) + Tempo(960, 250000)}),
       {{0, 120}, {1000, 240}}, {120.0, 240.0}, 1250},
      {"two changes at one tick keep the slowest",
       File(480, {Tempo(0, 600000) + Tempo(0, 400000), On(480, 60, 1)}), {{0, 100}}, {100.0}, 600},
      {"set-tempo of length 4 ignored",
       OneTrack(Vlq(0) + Bytes({0xFF, 0x51, 4, 0, 0, 1, 0}) + On(480, 60, 1)), {{0, 120}}, {120.0}, 500},
      {"set-tempo of 0 counts as 120", OneTrack(Tempo(0, 0) + On(480, 60, 1)), {{0, 120}}, {120.0}, 500},
      {"a list not starting at 0 gets 120 in front", OneTrack(On(0, 60, 1) + Tempo(480, 1000000) + Off(480, 60)),
       {{0, 120}, {500, 60}}, {120.0, 60.0}, 1500},
      {"segments rounding to one ms keep the later tempo",
       File(960, {Tempo(0, 400) + Tempo(1, 500000) + On(960, 60, 1)}), {{0, 120}}, {120.0}, 500},
      {"a tempo of no whole BPM", OneTrack(Tempo(0, 640000) + On(480, 60, 1)), {{0, 94}}, {93.75}, 640},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Parsed p = Parse(c.bytes);
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_EQ(p.tempo.size(), c.tempo.size());
    for (size_t i = 0; i < c.tempo.size(); ++i) {
      EXPECT_EQ(p.tempo[i].timeMs, c.tempo[i].timeMs) << i;
      EXPECT_EQ(p.tempo[i].bpm, c.tempo[i].bpm) << i;
    }
    EXPECT_EQ(p.exact, c.exact);
    EXPECT_EQ(p.events.back().timeMs, c.lastEventMs);
  }
}

TEST(MidiFile, TimeSignaturesComeOutInSongOrder) {
  // ms, numerator, power, 32nds per quarter, clocks per click
  using Meter = std::tuple<uint32_t, int, int, int, int>;
  const std::string notes = On(0, 60, 100) + Off(3840, 60);
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Meter> meters;
  } cases[] = {
      {"none", OneTrack(notes), {}},
      {"a waltz", OneTrack(TimeSig(0, 3, 2) + notes), {{0, 3, 2, 8, 24}}},
      {"6/8 with the dotted quarter as the file's quarter", OneTrack(TimeSig(0, 6, 3, 12) + notes), {{0, 6, 3, 12, 24}}},
      {"6/8 clicked on its dotted quarters", OneTrack(TimeSig(0, 6, 3, 8, 36) + notes), {{0, 6, 3, 8, 36}}},
      {"no clock rate given", OneTrack(TimeSig(0, 3, 2, 8, 0) + notes), {{0, 3, 2, 8, 0}}},
      {"changed mid-song in another track, timed through the tempo list",
       File(480, {Tempo(0, 500000) + Tempo(960, 250000) + notes, TimeSig(0, 4, 2) + TimeSig(1920, 3, 2)}),
       {{0, 4, 2, 8, 24}, {1500, 3, 2, 8, 24}}},
      {"an earlier tick in a later track comes first", File(480, {TimeSig(960, 2, 2) + notes, TimeSig(0, 3, 4)}),
       {{0, 3, 4, 8, 24}, {1000, 2, 2, 8, 24}}},
      {"of one tick the last read", File(480, {TimeSig(0, 4, 2) + notes, TimeSig(0, 3, 2)}), {{0, 3, 2, 8, 24}}},
      {"longer than four bytes", OneTrack(Vlq(0) + Bytes({0xFF, 0x58, 6, 5, 2, 24, 8, 1, 2}) + notes), {{0, 5, 2, 8, 24}}},
      {"two bytes", OneTrack(Vlq(0) + Bytes({0xFF, 0x58, 2, 3, 2}) + notes), {}},
      {"three bytes", OneTrack(Vlq(0) + Bytes({0xFF, 0x58, 3, 3, 2, 24}) + notes), {}},
      {"empty", OneTrack(Vlq(0) + Bytes({0xFF, 0x58, 0}) + notes), {}},
      {"numerator 0", OneTrack(TimeSig(0, 0, 2) + notes), {}},
      {"a note value past the 64th", OneTrack(TimeSig(0, 3, 7) + notes), {}},
      {"a power past any shift", OneTrack(TimeSig(0, 3, 255) + notes), {}},
      {"no 32nds in a quarter", OneTrack(TimeSig(0, 3, 2, 0) + notes), {}},
      {"a broken change keeps the bars before it", OneTrack(TimeSig(0, 3, 2) + notes + TimeSig(0, 0, 2)),
       {{0, 3, 2, 8, 24}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Parsed p = Parse(c.bytes);
    ASSERT_TRUE(p.ok) << p.error;
    std::vector<Meter> got;
    for (const TimeSignaturePoint& m : p.meters)
      got.emplace_back(m.timeMs, m.numerator, m.denominatorPower, m.quarter32nds, m.clocksPerClick);
    EXPECT_EQ(got, c.meters);
    EXPECT_EQ(p.events.size(), 2u);
  }
}

TEST(MidiFile, KeyFromSignatureOrEstimate) {
  const std::string notes = On(0, 60, 100) + Off(480, 60);
  struct Case {
    const char* what;
    std::string bytes;
    int key;
    bool minor;
  } cases[] = {
      {"three flats, minor: C minor", OneTrack(KeySig(0, -3, 1) + notes), 0, true},
      {"no sharps, minor: A minor", OneTrack(KeySig(0, 0, 1) + notes), 9, true},
      {"seven sharps, minor: A sharp minor", OneTrack(KeySig(0, 7, 1) + notes), 10, true},
      {"a mode byte past 1 reads as major", OneTrack(KeySig(0, -3, 2) + notes), 3, false},
      {"seven sharps", OneTrack(KeySig(0, 7, 0) + notes), 1, false},
      {"seven flats", OneTrack(KeySig(0, -7, 0) + notes), 11, false},
      {"out of range counts keep the plain letter", OneTrack(KeySig(0, 8, 0) + notes), 7, false},
      {"tick 0 of track 2 overrides tick 0 of track 1", File(480, {KeySig(0, 2, 0) + notes, KeySig(0, -3, 0)}), 3, false},
      {"the later of one tick in one track", OneTrack(KeySig(0, 1, 0) + KeySig(0, 2, 0) + notes), 2, false},
      {"tick 480 never overrides tick 0", File(480, {KeySig(0, 6, 0) + notes, KeySig(480, -3, 0)}), 6, false},
      {"an earlier tick in a later track wins", File(480, {KeySig(480, 1, 0) + notes, KeySig(0, 2, 0)}), 2, false},
      {"length 1 is not a key signature",
       OneTrack(Vlq(0) + Bytes({0xFF, 0x59, 1, 3}) + On(0, 57, 100) + On(9, 60, 100) + On(9, 64, 100) + On(9, 57, 100)),
       9, true},
      {"C E G starting and ending on C",
       OneTrack(On(0, 60, 100) + On(0, 64, 90) + On(0, 67, 80) + Off(480, 60) + On(0, 72, 100)), 0, false},
      {"A C E starting and ending on A",
       OneTrack(On(0, 57, 100) + On(240, 60, 90) + On(240, 64, 80) + On(240, 69, 100)), 9, true},
      {"C E A starting on C and ending on A",
       OneTrack(On(0, 60, 100) + On(240, 64, 100) + On(240, 69, 100) + On(240, 57, 100)), 9, true},
      {"no sounding note gives C major", OneTrack(Pedal(0, 127) + On(10, 62, 0)), 0, false},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.bytes);
    ASSERT_TRUE(p.ok) << c.what << ": " << p.error;
    EXPECT_EQ(p.key, c.key) << c.what;
    EXPECT_EQ(p.minor, c.minor) << c.what;
  }
}

TEST(MidiFile, TicksPastThirtyTwoBitsStayAtTheEndInOrder) {
  // Seventeen deltas of 0x0FFFFFFF go past 2^32 ticks: the later notes must not wrap to the start.
  std::string body = On(0, 60, 1);
  for (int i = 0; i < 17; ++i) body += On(0x0FFFFFFF, 61 + i, 1);
  Parsed p = Parse(File(480, {body}));
  ASSERT_TRUE(p.ok) << p.error;
  ASSERT_EQ(p.events.size(), 18u);
  EXPECT_EQ(p.events[0].data1, 60);
  for (size_t i = 1; i < p.events.size(); ++i) {
    EXPECT_GE(p.events[i].timeMs, p.events[i - 1].timeMs) << i;
    EXPECT_EQ(p.events[i].data1, 60 + i) << i;
  }
  EXPECT_EQ(p.events.back().timeMs, UINT32_MAX);
}

TEST(MidiFile, LargeSongsComeOutInEventOrderWithNothingLost) {
  // Enough events to take the bulk sort, in tracks that interleave, with ties at many ticks.
  std::mt19937 rng(7);
  std::string tracks;
  std::vector<SongEvent> expected;
  for (int t = 0; t < 6; ++t) {
    std::string body;
    uint32_t tick = 0;
    for (int i = 0; i < 400; ++i) {
      uint32_t delta = rng() % 3 == 0 ? 0 : rng() % 200;
      int kind = rng() % 3;
      int status = (kind == 0 ? 0x80 : kind == 1 ? 0x90 : 0xB0) | (int)(rng() % 16);
      int d1 = kind == 2 ? 64 : (int)(rng() % 128), d2 = (int)(rng() % 128);
      body += Ev(delta, {status, d1, d2});
      tick += delta;
      expected.push_back({(uint32_t)((tick * 500ull + 240) / 480), (uint8_t)status, (uint8_t)d1, (uint8_t)d2, 0});
    }
    tracks += Track(body);
  }
  Parsed p = Parse(Header(6, 480) + tracks);
  ASSERT_TRUE(p.ok) << p.error;
  for (size_t i = 1; i < p.events.size(); ++i) ASSERT_FALSE(MidiEventLess(p.events[i], p.events[i - 1])) << i;
  auto key = [](const SongEvent& e) { return std::tuple(e.timeMs, e.status, e.data1, e.data2); };
  auto byKey = [&](const SongEvent& a, const SongEvent& b) { return key(a) < key(b); };
  std::sort(p.events.begin(), p.events.end(), byKey);
  std::sort(expected.begin(), expected.end(), byKey);
  ASSERT_EQ(p.events.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(key(p.events[i]), key(expected[i])) << i;
}
