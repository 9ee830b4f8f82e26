// app/chord_recogniser: template fit, hysteresis, chord history and chord glow.
//
// Depends on the held-note table, the theory helpers (ring positions, scale membership, note names,
// interval tension), the ring glow arrays and the chord history of the circle view.
#include "app/chord_recogniser.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "app/ring_glow.h"
#include "platform/clock.h"
#include "theory/circle_theory.h"
#include "theory/key_detection.h"
#include "visual/ring_labels.h"

// ---- constants ----
static const int32_t kConfirmMs = 40;        // a different chord must be recognised this long
static const int32_t kDropMs = 320;          // a shown chord survives gaps up to this long
static const int32_t kAppendGapMs = 55;      // least time between two new history entries
static const int32_t kRecentNoteMs = 135;    // a note this young makes a new entry due

// ---- state ----
RecognisedChord gRecognisedChord;             // the frame's result
int gHarmonyGlowMode = 2;                     // set by the toolbar and the window procedure
int gShownChordRoot = -1;                     // hysteresis: chord on display
uint32_t gShownChordQuality = 0;
uint32_t gShownChordSeenMs = 0;
int gPendingChordRoot = -1;                   // hysteresis: chord waiting to be confirmed
uint32_t gPendingChordQuality = 0;
uint32_t gPendingChordSinceMs = 0;
static int gHistoryChordRoot = -999;          // the chord of the newest new history entry
static uint32_t gHistoryChordQuality = 0;
static std::string gHistoryChordLabel;
static uint32_t gHistoryAppendMs = 0;         // time of the newest new entry, 0 never
static uint32_t gHistoryRepeatMs = 0;         // time of the newest entry of either kind, 0 never

// ---- internal helpers ----
// Interval sets as 12-bit masks: bit i for i semitones above the root.
static const uint16_t* TemplateMasks() {
  static const std::vector<uint16_t> masks = [] {
    std::vector<uint16_t> m;
    for (const ChordTemplate& t : ChordTemplates()) {
      uint16_t bits = 0;
      for (int32_t i : t.intervals) bits |= (uint16_t)(1u << i);
      m.push_back(bits);
    }
    return m;
  }();
  return masks.data();
}

// Number of set bits of every 12-bit set (the build targets CPUs without a popcount instruction).
static int Bits12(unsigned set) {
  static const std::array<uint8_t, 4096> counts = [] {
    std::array<uint8_t, 4096> c{};
    for (unsigned i = 1; i < 4096; ++i) c[i] = (uint8_t)(c[i >> 1] + (i & 1));
    return c;
  }();
  return counts[set & 0xFFF];
}

// Template weights in hundredths.
static const int* TemplateCents() {
  static const std::vector<int> cents = [] {
    std::vector<int> c;
    for (const ChordTemplate& t : ChordTemplates()) c.push_back((int)std::lround(t.weight * 100.0f));
    return c;
  }();
  return cents.data();
}

// Milliseconds from then to now; "never" (0) counts as long ago.
static int64_t MsSince(uint32_t now, uint32_t then) {
  if (then == 0) return INT64_MAX;
  return (int32_t)(now - then);
}

static void AddTensionGlow(const int* pcs, int count) {
  float sum[12] = {}, n[12] = {};
  for (const HeldNote& h : gHeldNotes)
    if (h.sounding) {
      int pc = h.note % 12;
      sum[pc] += (float)h.velocity / 127.0f;
      n[pc] += 1;
    }
  float tension[12] = {};
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j) {
      int a = pcs[i], b = pcs[j];
      float mean = (sum[a] / n[a] + sum[b] / n[b]) * 0.5f;
      float c = mean * IntervalTension((b - a + 12) % 12);
      tension[a] += c;
      tension[b] += c;
    }
  for (int i = 0; i < count; ++i) {
    float t = tension[pcs[i]];
    if (t <= 0) continue;
    int p = RingPosOfPitchClass(pcs[i]);
    gRingGlowKey[p] += t * 0.18f;
    gRingGlowKey[(p + 11) % 12] += t * 0.18f * 0.25f;
    gRingGlowKey[(p + 1) % 12] += t * 0.18f * 0.25f;
  }
}

static void UpdateHysteresis(const RecognisedChord& c, uint32_t now) {
  if (c.recognised) {
    if (c.root == gShownChordRoot && c.quality == gShownChordQuality) {
      gShownChordSeenMs = now;
      gPendingChordRoot = -1;
      return;
    }
    if (!(c.root == gPendingChordRoot && c.quality == gPendingChordQuality)) {
      gPendingChordRoot = c.root;
      gPendingChordQuality = c.quality;
      gPendingChordSinceMs = now;
    }
    if (gShownChordRoot < 0 || (int32_t)(now - gPendingChordSinceMs) >= kConfirmMs) {
      gShownChordRoot = c.root;
      gShownChordQuality = c.quality;
      gShownChordSeenMs = now;
      gPendingChordRoot = -1;
    }
  } else if (gShownChordRoot >= 0 && (int32_t)(now - gShownChordSeenMs) > kDropMs) {
    gShownChordRoot = -1;
    gPendingChordRoot = -1;
  }
}

static void AppendHistory(const RecognisedChord& c, uint32_t now) {
  uint32_t newest = 0;
  bool any = false, recent = false;
  int soundingCount = 0;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding) continue;
    ++soundingCount;
    if (!any || (int32_t)(h.arrivalMs - newest) > 0) newest = h.arrivalMs;
    any = true;
    int32_t age = (int32_t)(now - h.arrivalMs);
    if (age >= 0 && age <= kRecentNoteMs) recent = true;
  }
  bool fresh = any && (gHistoryAppendMs == 0 ? newest != 0 : (int32_t)(newest - gHistoryAppendMs) > 0);
  bool differs = c.root != gHistoryChordRoot || c.quality != gHistoryChordQuality ||
                 c.suffix != gHistoryChordLabel;
  if (differs || fresh || recent) {
    if (MsSince(now, gHistoryAppendMs) > kAppendGapMs) {
      gHistoryChordRoot = c.root;
      gHistoryChordQuality = c.quality;
      gHistoryChordLabel = c.suffix;
      gHistoryAppendMs = gHistoryRepeatMs = now;
      BuildRingLabels(c.root, c.suffix, now, c.quality, false);
    }
    return;
  }
  if (soundingCount >= 3 && c.root == gHistoryChordRoot && c.suffix == gHistoryChordLabel) {
    int32_t every = c.quality == kChordDiminished ? 150 : c.quality == kChordMinor ? 130 : 115;
    if (MsSince(now, gHistoryRepeatMs) >= every) {
      BuildRingLabels(c.root, c.suffix, now, c.quality, true);
      gHistoryRepeatMs = now;
    }
  }
}

static void AddChordGlow(const RecognisedChord& c) {
  double t = GetAppSeconds();
  float s = std::clamp((float)(t - gHarmonyGlowClock), 0.001f, 0.05f);
  gHarmonyGlowClock = t;
  int p = RingPosOfPitchClass(c.root), m = RelativeMinorRingPos(c.root);
  float r = c.inScaleRatio;
  if (c.inScale) {
    float g = r * 0.75f + 0.65f;
    if (c.quality == kChordMajor) {
      gRingGlowMajor[p] += g * 1.15f * s;
    } else if (c.quality == kChordMinor) {
      gRingGlowMinor[m] += g * 1.05f * s;
    } else {
      gRingGlowKey[m] += 1.55f * s;
      gRingGlowMinor[m] += g * 0.4725f * s;
    }
  } else {
    float o = std::clamp(1.0f - r, 0.0f, 1.0f);
    if (c.quality == kChordMinor) {
      gRingGlowMinor[m] += (0.5f + 0.5f * r) * 0.5775f * s;
      gRingGlowKey[m] += (o + 0.35f) * 0.45f * s;
    } else if (c.quality == kChordMajor) {
      gRingGlowKey[p] += (o + 0.35f) * 1.05f * s;
    } else {
      gRingGlowKey[m] += (o + 0.35f) * 1.55f * s;
      gRingGlowMinor[m] += (0.5f + 0.5f * r) * 0.315f * s;
    }
  }
}

// A chord tone in the bass is spelled as a tone of its chord, on its letter above the root as named
// on the trail: Cm over Eb, not over the key's D#, and A over C# in Db major. Where that letter
// would need a double sign the key's name stands.
static std::string BassName(int bass, int root, uint32_t quality) {
  // Letter steps above the root by semitones. Nine are a sixth: a dim7 over any of its tones is
  // named from that tone, which the bass wins the tie for.
  static const int kLetterSteps[12] = {0, 1, 1, 2, 2, 3, 4, 4, 4, 5, 6, 6};
  const int semitones = PitchClassMod(bass - root);
  const std::string name =
      SpellNoteAbove(ChordRootName(root, quality), semitones, kLetterSteps[semitones]);
  return name.empty() ? NoteNameInKey(bass) : name;
}

// ---- public functions ----
const std::vector<ChordTemplate>& ChordTemplates() {
  static const std::vector<ChordTemplate> kChordTemplates = {
      {"maj9", {0, 2, 4, 7, 11}, kChordMajor, 2.32f, 0},
      {"9", {0, 2, 4, 7, 10}, kChordMajor, 2.26f, 0},
      {"m9", {0, 2, 3, 7, 10}, kChordMinor, 2.24f, 0},
      {"6/9", {0, 2, 4, 7, 9}, kChordMajor, 2.18f, 1},
      {"m6/9", {0, 2, 3, 7, 9}, kChordMinor, 2.16f, 1},
      {"maj7", {0, 4, 7, 11}, kChordMajor, 2.14f, 1},
      {"maj7#5", {0, 4, 8, 11}, kChordMajor, 2.10f, 1},
      {"7", {0, 4, 7, 10}, kChordMajor, 2.08f, 1},
      {"7b5", {0, 4, 6, 10}, kChordMajor, 2.06f, 1},
      {"7#5", {0, 4, 8, 10}, kChordMajor, 2.06f, 1},
      {"mMaj7", {0, 3, 7, 11}, kChordMinor, 2.04f, 1},
      {"m7", {0, 3, 7, 10}, kChordMinor, 2.00f, 1},
      {"m7b5", {0, 3, 6, 10}, kChordDiminished, 2.08f, 1},
      {"dim7", {0, 3, 6, 9}, kChordDiminished, 2.10f, 1},
      {"7sus4", {0, 5, 7, 10}, kChordMajor, 1.92f, 1},
      {"6", {0, 4, 7, 9}, kChordMajor, 1.86f, 1},
      {"m6", {0, 3, 7, 9}, kChordMinor, 1.84f, 1},
      {"add9", {0, 2, 4, 7}, kChordMajor, 1.78f, 0},
      {"madd9", {0, 2, 3, 7}, kChordMinor, 1.76f, 0},
      {"sus4", {0, 5, 7}, kChordMajor, 1.64f, 1},
      {"sus2", {0, 2, 7}, kChordMajor, 1.62f, 1},
      {"aug", {0, 4, 8}, kChordMajor, 1.58f, 1},
      {"", {0, 4, 7}, kChordMajor, 1.46f, 1},
      {"m", {0, 3, 7}, kChordMinor, 1.46f, 1},
      {"dim", {0, 3, 6}, kChordDiminished, 1.48f, 1},
  };
  return kChordTemplates;
}

bool MatchChord(const int* pcs, int count, int bass, ChordMatch* out) {
  if (count < 3) return false;
  const std::vector<ChordTemplate>& templates = ChordTemplates();
  const uint16_t* masks = TemplateMasks();
  uint16_t absolute = 0;
  for (int i = 0; i < count; ++i) absolute |= (uint16_t)(1u << pcs[i]);
  // Scores in hundredths, so that equal sums are equal and ties go by the search order.
  int best = INT32_MIN;
  int bestRoot = -1, bestTemplate = -1;
  for (int root = 0; root < 12; ++root) {
    // Rotate the sounding set so that bit i means i semitones above this root.
    uint16_t set = (uint16_t)(((absolute >> root) | (absolute << (12 - root))) & 0xFFF);
    int rootTerm = (set & 1) ? 12 : -5;
    int bassTerm = (bass >= 0 && bass == root) ? 14 : 0;
    for (size_t k = 0; k < templates.size(); ++k) {
      const ChordTemplate& t = templates[k];
      int size = (int)t.intervals.size();
      int found = Bits12(set & masks[k]);
      int missing = size - found;
      if (missing > (t.exact ? 0 : 1)) continue;
      // Only the fifth goes unplayed in a chord that keeps its name: a ninth without its seventh
      // is an added ninth (C D E G is Cadd9, not Cmaj9).
      if (missing == 1 && (masks[k] & ~set & 0xFFF) != (1u << 7)) continue;
      int extras = Bits12(set & ~masks[k]);
      int score = TemplateCents()[k] + 14 * found - 33 * missing - 11 * extras + rootTerm + bassTerm;
      // A six chord scores exactly what its relative minor seventh does, bass bonus and all: the
      // root that lies lowest in pitch-class order named F A C D "Dm7/F" while C E G A read C6. A
      // tie goes to the root the player put in the bass, else to the search order.
      bool bassWinsTie = score == best && bassTerm > 0 && bestRoot != root;
      if (score > best || bassWinsTie) {
        best = score;
        bestRoot = root;
        bestTemplate = (int)k;
      }
    }
  }
  if (bestRoot < 0) return false;
  const ChordTemplate& t = templates[bestTemplate];
  out->root = bestRoot;
  out->quality = t.quality;
  out->score = best / 100.0;
  out->label = t.name;
  if (bass >= 0 && bass != bestRoot && (masks[bestTemplate] >> ((bass - bestRoot + 12) % 12)) & 1) {
    // Appended piece by piece: GCC 12 warns falsely about the temporary of "/" + name.
    out->label += '/';
    out->label += BassName(bass, bestRoot, t.quality);
  }
  return true;
}

void DecayHarmonyGlow(float dt) {
  float f = std::pow(0.01f, dt / std::max(0.25f, kHarmonyTrailSeconds));
  for (int i = 0; i < 12; ++i) {
    gRingGlowMajor[i] *= f;
    gRingGlowMinor[i] *= f;
    gRingGlowKey[i] *= f;
  }
}

const RecognisedChord& RunChordRecogniser() {
  RecognisedChord& c = gRecognisedChord;
  // Input collection: distinct sounding pitch classes and the pitch class of the lowest note.
  uint16_t present = 0;
  int lowest = -1;
  c.bass = -1;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding) continue;
    present |= (uint16_t)(1u << (h.note % 12));
    if (lowest < 0 || h.note < lowest) {
      lowest = h.note;
      c.bass = h.note % 12;
    }
  }
  c.pcCount = 0;
  for (int pc = 0; pc < 12; ++pc)
    if (present & (1u << pc)) c.pcs[c.pcCount++] = pc;

  if (c.pcCount > 0 && gHarmonyGlowMode == 2) AddTensionGlow(c.pcs, c.pcCount);

  ChordMatch match;
  c.recognised = MatchChord(c.pcs, c.pcCount, c.bass, &match);
  if (c.recognised) {
    c.root = match.root;
    c.quality = match.quality;
    c.suffix = std::move(match.label);
    int in = 0;
    for (int i = 0; i < c.pcCount; ++i)
      if (ScaleContainsPitchClass(c.pcs[i])) ++in;
    c.inScaleRatio = (float)in / (float)c.pcCount;
    c.inScale = c.inScaleRatio >= 0.999f;
    c.offScale = !c.inScale;
  } else {
    c.root = -1;
    c.quality = 0;
    c.suffix.clear();
    c.inScaleRatio = 0;
    c.inScale = c.offScale = false;
  }
  c.major = c.recognised && c.quality == kChordMajor;
  c.minor = c.recognised && c.quality == kChordMinor;
  c.diminished = c.recognised && c.quality == kChordDiminished;

  uint32_t now = ClockMs32();
  UpdateHysteresis(c, now);

  if (c.recognised) {
    AppendHistory(c, now);
    if (gHarmonyGlowMode == 1 || gHarmonyGlowMode == 2) AddChordGlow(c);
  }
  return c;
}

void ResetChordRecogniser() {
  gRecognisedChord = RecognisedChord();
  gShownChordRoot = gPendingChordRoot = -1;
  gShownChordQuality = gPendingChordQuality = 0;
  gShownChordSeenMs = gPendingChordSinceMs = 0;
  gHistoryChordRoot = -999;
  gHistoryChordQuality = 0;
  gHistoryChordLabel.clear();
  gHistoryAppendMs = gHistoryRepeatMs = 0;
}
