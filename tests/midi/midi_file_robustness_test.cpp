// The MIDI file reader on thousands of seeded random mutations of valid files: under the address
// sanitizer it must never crash or read out of bounds, and every result is either a well-formed
// song or one of the reader's error texts.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "midi/midi_file.h"
#include "tests/midi/smf_builder.h"

using namespace smf;

namespace {

const std::set<std::string> kErrorTexts = {
    "file too small", "missing MThd header", "invalid MThd length", "no track chunks",
    "SMPTE timing not supported", "track chunk out of bounds", "invalid variable-length delta",
    "running status missing", "invalid meta event", "invalid sysex event",
    "invalid channel event length", "no note/sustain events in file"};

std::vector<std::string> Seeds() {
  std::string melody;
  for (int i = 0; i < 24; ++i) melody += On(i ? 60 : 0, 48 + (i * 5) % 24, 40 + i) + Off(50, 48 + (i * 5) % 24);
  std::string running = Bytes({0, 0x91, 60, 100, 10, 64, 90, 10, 67, 80, 20, 60, 0, 0, 64, 0, 0, 67, 0});
  std::string metas = Tempo(0, 450000) + KeySig(0, -2, 1) + TimeSig(0, 6, 3, 12) + TimeSig(90, 3, 2) + Vlq(0) + Bytes({0xFF, 0x03, 4, 'S', 'o', 'n', 'g'}) +
                      Vlq(0) + Bytes({0xF0, 3, 1, 2, 0xF7}) + Pedal(5, 127) + On(0, 62, 70) +
                      Vlq(30) + Bytes({0xC0, 3, 0, 0xE0, 0, 64}) + Tempo(40, 300000) + Pedal(0, 0) + Off(10, 62) +
                      EndOfTrack();
  return {
      File(480, {melody}),
      File(96, {running, metas, melody}),
      Header(1, 240) + Track(metas) + Chunk("XYZW", "abcdef") + Track(running),
  };
}

std::string Mutate(std::string s, std::mt19937& rng) {
  int edits = 1 + (int)(rng() % 4);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    size_t at = rng() % s.size();
    switch (rng() % 7) {
      case 0: s[at] = (char)(rng() & 0xFF); break;                 // random byte
      case 1: s[at] ^= (char)(1u << (rng() % 8)); break;           // bit flip
      case 2: s.resize(at); break;                                  // truncate
      case 3: s.erase(at, 1 + rng() % 4); break;                    // delete a few
      case 4: s.insert(at, 1, (char)(rng() & 0xFF)); break;         // insert one
      case 5: s[at] = (char)(rng() % 2 ? 0xFF : 0x80); break;       // a byte that asks for more
      case 6: s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 8)); break;  // duplicate a piece
    }
  }
  return s;
}

}  // namespace

TEST(MidiFileRobustness, RandomMutationsGiveSongsOrErrorTexts) {
  std::mt19937 rng(20240611);
  std::vector<std::string> seeds = Seeds();
  int parsed = 0, failed = 0, threeFour = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string bytes = Mutate(seeds[(size_t)i % seeds.size()], rng);
    // Exact-size heap copy, so any read past the end is caught by the sanitizer.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    std::vector<SongEvent> events;
    std::vector<TempoPoint> tempo;
    int key = 0;
    bool minor = false;
    std::vector<TimeSignaturePoint> meters;
    std::string error;
    bool ok = ParseMidiBytes(exact.data(), exact.size(), events, tempo, key, minor, error, &meters);
    if (!ok) {
      ++failed;
      ASSERT_EQ(kErrorTexts.count(error), 1u) << i << ": " << error;
      ASSERT_TRUE(events.empty() && tempo.empty() && meters.empty()) << i;
      continue;
    }
    ++parsed;
    ASSERT_TRUE(error.empty() && !events.empty() && !tempo.empty()) << i;
    ASSERT_EQ(tempo[0].timeMs, 0u) << i;
    for (size_t t = 1; t < tempo.size(); ++t) ASSERT_GT(tempo[t].timeMs, tempo[t - 1].timeMs) << i;
    // Ticks that round to one ms keep their tick order, so only the ms order is checked.
    for (size_t e = 1; e < events.size(); ++e) ASSERT_GE(events[e].timeMs, events[e - 1].timeMs) << i;
    for (const SongEvent& e : events) {
      int kind = e.status & 0xF0;
      ASSERT_TRUE(kind == 0x80 || kind == 0x90 || (kind == 0xB0 && e.data1 == 64)) << i;
    }
    ASSERT_TRUE(key >= 0 && key <= 11) << i;
    for (size_t t = 0; t < meters.size(); ++t) {
      ASSERT_TRUE(meters[t].numerator >= 1 && meters[t].denominatorPower <= 6 && meters[t].quarter32nds >= 1) << i;
      if (t > 0) ASSERT_GT(meters[t].timeMs, meters[t - 1].timeMs) << i;
      if (meters[t].numerator == 3) ++threeFour;
    }
  }
  // Both roads were taken many times, so the mutations reach deep into the files.
  EXPECT_GT(parsed, 500);
  EXPECT_GT(failed, 500);
  EXPECT_GT(threeFour, 100);  // the time signatures are read, not lost
}
