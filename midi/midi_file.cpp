// midi/midi_file: reads a Standard MIDI File into time-stamped note and pedal events, a tempo list,
// its time signatures and a key.
//
// The file is read whole and parsed in one pass. Every read is bounded by the chunk it lies in,
// and every loop consumes at least one byte, so no input can make the reader read out of bounds or
// run forever. Events are collected as packed 64-bit sort keys (tick, order class, data bytes,
// status) so that one radix sort puts them in song order; ticks are then turned into ms with exact
// double arithmetic per tempo segment, rounding only once per event.
#include "midi/midi_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/base/maths.h"
#include "gfx/translate.h"
#include "platform/file_read.h"

// ---- constants ----
namespace {

const size_t kMaxMidiFileBytes = 64u << 20;   // far above any song a keyboard player opens

// Note letters C D E F G A B to pitch classes.
const int kLetterPitchClass[7] = {0, 2, 4, 5, 7, 9, 11};
// Pitch classes of a major and of a natural minor scale above the tonic (key estimate).
const int kMajorScaleSteps[7] = {0, 2, 4, 5, 7, 9, 11};
const int kMinorScaleSteps[7] = {0, 2, 3, 5, 7, 8, 10};
// Letters in the order sharps and flats are added to a key signature.
const int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};
const int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};

const uint32_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 BPM
const uint8_t kMaxMeterPower = 6;       // a 64th note; a time signature asking for less is broken

// Packed event key: tick << 26 | class << 24 | data1 << 16 | data2 << 8 | status.
const int kKeyTickShift = 26;

// Order classes of the events of one tick.
const int kOrderNoteOff = 0;        // ends a note struck at an earlier tick
const int kOrderPedal = 1;
const int kOrderNoteOn = 2;
const int kOrderOffAfterOn = 3;     // ends a note struck at this same tick

}  // namespace

// ---- internal helpers ----
namespace {

struct TempoChange {
  uint32_t tick;
  uint32_t usPerQuarter;
};

struct MeterChange {
  uint32_t tick;
  uint8_t numerator, denominatorPower, clocksPerClick, quarter32nds;
};

struct TempoSegment {
  uint32_t startTick;
  uint32_t usPerQuarter;
  double elapsedUs;  // microseconds from the song start at startTick
};

// What the track pass collects.
struct Collected {
  std::vector<uint64_t> keys;
  std::vector<TempoChange> tempos;
  std::vector<MeterChange> meters;  // in the order read
  bool keyTaken = false;
  uint32_t keyTick = 0;
  // Per channel and key (data bytes as read): note-ons of the track being read at its current tick
  // that no note-off of that tick has answered yet, and the slots to clear when the tick moves on.
  std::vector<uint16_t> onsAtTick = std::vector<uint16_t>(16 * 256, 0);
  std::vector<uint16_t> openSlots;
  // The same for notes struck at earlier ticks of the track and not yet answered, and their slots.
  std::vector<uint16_t> onsBefore = std::vector<uint16_t>(16 * 256, 0);
  std::vector<uint16_t> beforeSlots;
};

uint32_t ReadBe32(const uint8_t* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}
uint16_t ReadBe16(const uint8_t* p) { return (uint16_t)(p[0] << 8 | p[1]); }

// A variable-length quantity of at most four bytes inside [pos, end); false when it is cut off or
// needs a fifth byte.
bool ReadVarLen(const uint8_t* data, size_t& pos, size_t end, uint32_t& out) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) return false;
    uint8_t b = data[pos++];
    v = (v << 7) | (b & 0x7Fu);
    if (!(b & 0x80)) {
      out = v;
      return true;
    }
  }
  return false;
}

int OrderClass(uint8_t status, uint8_t data2) {
  int kind = status & 0xF0;
  if (kind == 0x80 || (kind == 0x90 && data2 == 0)) return kOrderNoteOff;
  if (kind == 0xB0) return kOrderPedal;
  return kOrderNoteOn;
}

// The tick moves on: the notes struck at it become notes struck before.
void CloseTick(Collected& out) {
  for (uint16_t slot : out.openSlots) {
    uint16_t& before = out.onsBefore[slot];
    if (before == 0) out.beforeSlots.push_back(slot);
    before = (uint16_t)std::min<uint32_t>(UINT16_MAX, (uint32_t)before + out.onsAtTick[slot]);
    out.onsAtTick[slot] = 0;
  }
  out.openSlots.clear();
}

void StartTrackNotes(Collected& out) {
  CloseTick(out);
  for (uint16_t slot : out.beforeSlots) out.onsBefore[slot] = 0;
  out.beforeSlots.clear();
}

// Note-offs go before the note-ons of their tick, so a note ending as the next of its key starts
// does not cut that one, in whichever order the track writes the two. An off with no note of its
// key struck at an earlier tick to end, following its own note's on within one tick (a note written
// without length, common on drum tracks), would then come first and release nothing, leaving the
// note to ring to the song's end: it goes after the ons instead, and the note is released at once. Times stay as the file gives them (a made-up length would need a second sort
// in ms), and a synthesiser still sounds the attack of a note released straight away.
int TrackOrderClass(Collected& out, uint8_t status, uint8_t data1, uint8_t data2) {
  const int order = OrderClass(status, data2);
  if (order == kOrderPedal) return order;
  const uint16_t slot = (uint16_t)((status & 0x0F) << 8 | data1);
  uint16_t& open = out.onsAtTick[slot];
  if (order == kOrderNoteOn) {
    if (open == 0) out.openSlots.push_back(slot);
    if (open < UINT16_MAX) ++open;
    return order;
  }
  uint16_t& before = out.onsBefore[slot];
  if (before > 0) {
    --before;  // it ends a note struck earlier
    return order;
  }
  if (open == 0) return order;
  --open;
  return kOrderOffAfterOn;
}

uint64_t PackEvent(uint32_t tick, int order, uint8_t status, uint8_t data1, uint8_t data2) {
  return (uint64_t)tick << kKeyTickShift | (uint64_t)order << 24 | (uint64_t)data1 << 16 |
         (uint64_t)data2 << 8 | status;
}

// Parses one track chunk body [pos, end); returns an error text or nullptr.
const char* ParseTrack(const uint8_t* data, size_t pos, size_t end, Collected& out, int& key,
                       bool& minor) {
  uint32_t tick = 0;
  int running = -1;
  StartTrackNotes(out);
  while (pos < end) {
    uint32_t delta = 0;
    if (!ReadVarLen(data, pos, end, delta)) return TrLater("invalid variable-length delta");
    if (delta != 0) CloseTick(out);
    // A pathological file could push the tick past 32 bits; it stays at the end of time rather
    // than wrapping to the start of the song.
    tick = (delta > UINT32_MAX - tick) ? UINT32_MAX : tick + delta;
    if (pos >= end) break;

    uint8_t status;
    if (data[pos] >= 0x80) {
      status = data[pos++];
      running = status < 0xF0 ? status : -1;
    } else {
      if (running < 0) return TrLater("running status missing");
      status = (uint8_t)running;
    }

    if (status == 0xFF) {
      if (pos >= end) break;
      uint8_t type = data[pos++];
      uint32_t len = 0;
      if (!ReadVarLen(data, pos, end, len) || len > end - pos) return TrLater("invalid meta event");
      if (type == 0x51 && len == 3) {
        uint32_t us = (uint32_t)data[pos] << 16 | (uint32_t)data[pos + 1] << 8 | data[pos + 2];
        out.tempos.push_back({tick, us == 0 ? kDefaultTempo : us});
      } else if (type == 0x58) {
        // Numerator, note value as a power of two, MIDI clocks per click, 32nds per quarter.
        // Shorter, a zero figure or a note value past the 64th says nothing usable.
        if (len >= 4 && data[pos] != 0 && data[pos + 1] <= kMaxMeterPower && data[pos + 3] != 0)
          out.meters.push_back({tick, data[pos], data[pos + 1], data[pos + 2], data[pos + 3]});
      } else if (type == 0x59 && len >= 2 && (!out.keyTaken || tick <= out.keyTick)) {
        out.keyTaken = true;
        out.keyTick = tick;
        int sharps = (int8_t)data[pos];
        int letter = ((4 * sharps) % 7 + 7) % 7;
        key = PitchClassMod(kLetterPitchClass[letter] + KeySignatureAccidental(sharps, letter));
        // A file that says its key is minor names the relative minor of those sharps or flats:
        // read as major, a song in C minor came up as E flat major, worse than with no signature.
        minor = data[pos + 1] == 1;
        if (minor) key = PitchClassMod(key + 9);
      }
      pos += len;
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      if (!ReadVarLen(data, pos, end, len) || len > end - pos) return TrLater("invalid sysex event");
      pos += len;
    } else {
      int kind = status & 0xF0;
      size_t need = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      if (need > end - pos) return TrLater("invalid channel event length");
      uint8_t d1 = data[pos];
      uint8_t d2 = need == 2 ? data[pos + 1] : 0;
      pos += need;
      if (kind == 0x80 || kind == 0x90 || (kind == 0xB0 && d1 == 64))
        out.keys.push_back(PackEvent(tick, TrackOrderClass(out, status, d1, d2), status, d1, d2));
    }
  }
  return nullptr;
}

// Sorts the packed keys by everything above the status byte. A stable LSD radix sort over the
// tick and order class (12-bit digits, skipping digits every key shares, which for most songs are
// the high tick bits), then each run of one tick and class is put in data-byte order; such runs
// are short (a chord), so the second step costs little.
void SortEventKeys(std::vector<uint64_t>& keys) {
  const size_t n = keys.size();
  if (n < 512) {
    std::sort(keys.begin(), keys.end());
    return;
  }
  const int kBits = 12, kBuckets = 1 << kBits, kFirst = 24, kPasses = 3;  // bits 24..59
  std::vector<uint32_t> counts((size_t)kPasses * kBuckets, 0);
  for (uint64_t k : keys) {
    ++counts[(k >> kFirst) & (kBuckets - 1)];
    ++counts[kBuckets + ((k >> (kFirst + kBits)) & (kBuckets - 1))];
    ++counts[2 * kBuckets + ((k >> (kFirst + 2 * kBits)) & (kBuckets - 1))];
  }
  std::vector<uint64_t> tmp(n);
  uint64_t* src = keys.data();
  uint64_t* dst = tmp.data();
  for (int d = 0; d < kPasses; ++d) {
    uint32_t* c = &counts[(size_t)d * kBuckets];
    int shift = kFirst + d * kBits;
    if (c[(src[0] >> shift) & (kBuckets - 1)] == n) continue;  // one digit for all: nothing moves
    uint32_t sum = 0;
    for (int b = 0; b < kBuckets; ++b) {
      uint32_t v = c[b];
      c[b] = sum;
      sum += v;
    }
    for (size_t i = 0; i < n; ++i) dst[c[(src[i] >> shift) & (kBuckets - 1)]++] = src[i];
    std::swap(src, dst);
  }
  if (src != keys.data()) std::memcpy(keys.data(), src, n * sizeof(uint64_t));

  for (size_t i = 0; i < n;) {
    size_t j = i + 1;
    while (j < n && (keys[j] >> kFirst) == (keys[i] >> kFirst)) ++j;
    if (j - i > 1) std::sort(keys.begin() + (ptrdiff_t)i, keys.begin() + (ptrdiff_t)j);
    i = j;
  }
}

// Sorted, merged tempo changes starting at tick 0, as segments with their elapsed time.
std::vector<TempoSegment> BuildSegments(std::vector<TempoChange>& changes, uint32_t division) {
  if (changes.empty()) changes.push_back({0, kDefaultTempo});
  std::sort(changes.begin(), changes.end(), [](const TempoChange& a, const TempoChange& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.usPerQuarter < b.usPerQuarter;
  });
  std::vector<TempoChange> merged;
  merged.reserve(changes.size() + 1);
  for (const TempoChange& c : changes) {
    if (!merged.empty() && merged.back().tick == c.tick)
      merged.back() = c;  // the later of one tick wins: the slowest
    else
      merged.push_back(c);
  }
  if (merged.front().tick != 0) merged.insert(merged.begin(), TempoChange{0, kDefaultTempo});

  std::vector<TempoSegment> segments;
  segments.reserve(merged.size());
  segments.push_back({merged[0].tick, merged[0].usPerQuarter, 0.0});
  for (size_t i = 1; i < merged.size(); ++i) {
    const TempoSegment& prev = segments.back();
    double elapsed = prev.elapsedUs +
                     (double)(merged[i].tick - prev.startTick) * prev.usPerQuarter / division;
    segments.push_back({merged[i].tick, merged[i].usPerQuarter, elapsed});
  }
  return segments;
}

uint32_t SegmentTickToMs(const TempoSegment& s, uint32_t tick, uint32_t division) {
  double us = (double)(tick - s.startTick) * s.usPerQuarter / division + s.elapsedUs;
  double ms = std::max(0.0, us) / 1000.0;
  if (ms >= 4294967294.5) return UINT32_MAX;  // past the 32-bit range: saturate, keep the order
  // Round halves up (away from zero, as ms is not negative) without a library call.
  uint32_t whole = (uint32_t)ms;
  return ms - (double)whole >= 0.5 ? whole + 1 : whole;
}

// The time signatures in song order, one per ms: of one tick, or of ticks that round to one ms,
// the last read (a later track over an earlier one) stands.
std::vector<TimeSignaturePoint> BuildMeterList(std::vector<MeterChange>& changes,
                                               const std::vector<TempoSegment>& segments, uint32_t division) {
  std::stable_sort(changes.begin(), changes.end(),
                   [](const MeterChange& a, const MeterChange& b) { return a.tick < b.tick; });
  std::vector<TimeSignaturePoint> out;
  for (const MeterChange& c : changes) {
    auto seg = std::upper_bound(segments.begin(), segments.end(), c.tick,
                                [](uint32_t t, const TempoSegment& s) { return t < s.startTick; });
    uint32_t ms = SegmentTickToMs(*(seg - 1), c.tick, division);  // the first segment starts at 0
    TimeSignaturePoint p{ms, c.numerator, c.denominatorPower, c.quarter32nds, c.clocksPerClick};
    if (!out.empty() && out.back().timeMs == ms)
      out.back() = p;
    else
      out.push_back(p);
  }
  return out;
}

void EstimateKey(const std::vector<SongEvent>& events, int& key, bool& minor) {
  // Per-velocity weights and per-note pitch classes from tables, and no branch per event: note-ons
  // and note-offs alternate unpredictably. A non-sounding event adds addWeight[0] = 0, which
  // changes no weight.
  float addWeight[256];
  uint8_t pitchClass[256];
  for (int v = 0; v < 256; ++v) {
    addWeight[v] = v == 0 ? 0.0f : (float)v / 127.0f + 0.5f;
    pitchClass[v] = (uint8_t)(v % 12);
  }
  float weight[12] = {};
  int firstPc = -1, lastPc = -1;
  for (const SongEvent& e : events) {
    int sounding = ((e.status & 0xF0) == 0x90) & (e.data2 != 0);
    int pc = pitchClass[e.data1];
    weight[pc] += addWeight[e.data2 * sounding];
    lastPc += (pc - lastPc) * sounding;
    firstPc += (pc - firstPc) * (sounding & (firstPc < 0));
  }
  double best = -1e30;
  for (int t = 0; t < 12; ++t) {
    for (int mode = 0; mode < 2; ++mode) {
      const int* steps = mode == 0 ? kMajorScaleSteps : kMinorScaleSteps;
      bool member[12] = {};
      for (int i = 0; i < 7; ++i) member[(t + steps[i]) % 12] = true;
      double score = 0.0;
      for (int pc = 0; pc < 12; ++pc) score += weight[pc] * (member[pc] ? 1.0 : -1.35);
      if (t == firstPc) score += 1.5;
      if (t == lastPc) score += 3.0;
      if (score > best) {
        best = score;
        key = t;
        minor = (mode == 1);
      }
    }
  }
}

}  // namespace

// ---- public functions ----
int KeySignatureAccidental(int sharps, int letter) {
  if (sharps < -7 || sharps > 7 || letter < 0 || letter > 6) return 0;
  if (sharps > 0) {
    for (int i = 0; i < sharps; ++i)
      if (kSharpOrder[i] == letter) return 1;
  } else if (sharps < 0) {
    for (int i = 0; i < -sharps; ++i)
      if (kFlatOrder[i] == letter) return -1;
  }
  return 0;
}

bool MidiEventLess(const SongEvent& a, const SongEvent& b) {
  if (a.timeMs != b.timeMs) return a.timeMs < b.timeMs;
  int ca = OrderClass(a.status, a.data2), cb = OrderClass(b.status, b.data2);
  if (ca != cb) return ca < cb;
  if (a.data1 != b.data1) return a.data1 < b.data1;
  return a.data2 < b.data2;
}

// Every parse starts from empty outputs, so a failure never leaves a previous song's events behind.
static void ClearParseOutputs(std::vector<SongEvent>& events, std::vector<TempoPoint>& tempo, int& key,
                              bool& minor, std::string& error, std::vector<TimeSignaturePoint>* meters,
                              std::vector<double>* exactBpm) {
  events.clear();
  tempo.clear();
  if (meters) meters->clear();
  if (exactBpm) exactBpm->clear();
  key = -1;
  minor = false;
  error.clear();
}

bool ParseMidiBytes(const uint8_t* data, size_t n, std::vector<SongEvent>& events,
                    std::vector<TempoPoint>& tempo, int& key, bool& minor, std::string& error,
                    std::vector<TimeSignaturePoint>* meters, std::vector<double>* exactBpm) {
  ClearParseOutputs(events, tempo, key, minor, error, meters, exactBpm);
  auto fail = [&](const char* text) {
    events.clear();
    tempo.clear();
    error = text;
    return false;
  };

  if (n < 14) return fail(TrLater("file too small"));
  if (std::memcmp(data, "MThd", 4) != 0) return fail(TrLater("missing MThd header"));
  uint64_t headerLen = ReadBe32(data + 4);
  if (headerLen < 6 || headerLen + 8 > n) return fail(TrLater("invalid MThd length"));
  if (ReadBe16(data + 10) == 0) return fail(TrLater("no track chunks"));
  uint32_t division = ReadBe16(data + 12);
  if (division & 0x8000) return fail(TrLater("SMPTE timing not supported"));
  if (division == 0) division = 1;

  Collected collected;
  collected.keys.reserve(n / 3 + 1);  // a kept event takes at least 3 bytes
  size_t offset = (size_t)headerLen + 8;
  while (n - offset >= 8) {
    uint64_t chunkEnd = (uint64_t)offset + 8 + ReadBe32(data + offset + 4);
    if (chunkEnd > n) return fail(TrLater("track chunk out of bounds"));
    if (std::memcmp(data + offset, "MTrk", 4) == 0 && chunkEnd > offset + 8) {
      const char* err = ParseTrack(data, offset + 8, (size_t)chunkEnd, collected, key, minor);
      if (err) return fail(err);
    }
    offset = (size_t)chunkEnd;
  }
  if (collected.keys.empty()) return fail(TrLater("no note/sustain events in file"));

  std::vector<TempoSegment> segments = BuildSegments(collected.tempos, division);
  SortEventKeys(collected.keys);

  // Keys are in tick order, so the segment only ever moves forward.
  events.resize(collected.keys.size());
  size_t seg = 0;
  uint32_t lastTick = 0, lastMs = SegmentTickToMs(segments[0], 0, division);
  for (size_t i = 0; i < collected.keys.size(); ++i) {
    uint64_t k = collected.keys[i];
    uint32_t tick = (uint32_t)(k >> kKeyTickShift);
    if (tick != lastTick) {  // the notes of a chord share one conversion
      while (seg + 1 < segments.size() && segments[seg + 1].startTick <= tick) ++seg;
      lastTick = tick;
      lastMs = SegmentTickToMs(segments[seg], tick, division);
    }
    SongEvent& e = events[i];
    e.timeMs = lastMs;
    e.status = (uint8_t)k;
    e.data1 = (uint8_t)(k >> 16);
    e.data2 = (uint8_t)(k >> 8);
    e.spare = 0;
  }

  tempo.reserve(segments.size());
  std::vector<double> exact;
  exact.reserve(segments.size());
  for (const TempoSegment& s : segments) {
    uint32_t ms = SegmentTickToMs(s, s.startTick, division);
    double unrounded = 60000000.0 / std::max<uint32_t>(s.usPerQuarter, 1);
    int32_t bpm = (int32_t)std::llround(unrounded);
    if (!tempo.empty() && tempo.back().timeMs == ms) {
      tempo.back().bpm = bpm;
      exact.back() = unrounded;
    } else {
      tempo.push_back({ms, bpm});
      exact.push_back(unrounded);
    }
  }
  if (exactBpm) exactBpm->swap(exact);

  if (meters) *meters = BuildMeterList(collected.meters, segments, division);

  if (key < 0) EstimateKey(events, key, minor);
  return true;
}

bool ParseMidiFile(const std::string& path, std::vector<SongEvent>& events,
                   std::vector<TempoPoint>& tempo, int& key, bool& minor, std::string& error,
                   std::vector<TimeSignaturePoint>* meters, std::vector<double>* exactBpm) {
  ClearParseOutputs(events, tempo, key, minor, error, meters, exactBpm);
  // Only a regular file, never waited on (a FIFO), and no larger than any song: a huge sparse file
  // would otherwise ask for all of its size at once.
  std::string read;
  if (ReadRegularFile(path, kMaxMidiFileBytes, &read) != FileReadResult::kOk) {
    error = TrLater("could not read file");
    return false;
  }
  std::vector<uint8_t> bytes(read.begin(), read.end());
  if (bytes.empty()) {
    error = TrLater("could not read file");
    return false;
  }
  return ParseMidiBytes(bytes.data(), bytes.size(), events, tempo, key, minor, error, meters, exactBpm);
}
