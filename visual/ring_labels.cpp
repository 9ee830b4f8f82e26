// visual/ring_labels: the chord history's entries; the recogniser decides when one is due.
#include "app/base/maths.h"
#include "app/base/strings.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "theory/scale_selection.h"
#include "visual/circle_pass.h"
#include "visual/ring_labels.h"

#include <algorithm>

// ---- state ----
std::vector<RingLabel> gRingLabels;   // chord history, oldest first

// ---- public functions ----
std::string ChordRootName(int root, uint32_t quality) {
  // A root off the scale takes the name the circle beside the trail gives its chord's band: the
  // key's sharps called C major's borrowed Bb chord "A#" next to a ring that says "Bb". The ring
  // has one name a place, though, and its F# and D#m read wrong in a flat key: F major's
  // Neapolitan is Gb, Bb major's borrowed minor third is Db... so a flat key names its own degrees.
  CircleChord chord;
  chord.recognised = true;
  chord.root = root;
  chord.quality = quality;
  const int p = ChordRingPos(chord);
  if (ScaleContainsPitchClass(root)) return NoteNameInKey(root);
  // A diminished chord off the scale mostly leads a semitone up to a scale note: F major's C#dim7
  // goes to Dm, and "Dbdim7" would hide that.
  const int pc = PitchClassMod(root);
  if (quality > 1) return ScaleContainsPitchClass((pc + 1) % 12) ? kSharpNames[pc] : NoteNameInKey(root);
  if (p < 0) return NoteNameInKey(root);
  std::string name = quality == 0 ? kKeyNamesByRing[p] : kMinorKeyNamesByRing[p];
  if (quality != 0) name.pop_back();  // its "m"
  if (CurrentKeySignature() >= 0) return name;
  if (quality == 0) {
    // A major chord is named as a degree of the key, lowered where it lies between two: Eb major's
    // borrowed sixth is Cb, not the ring's B, and Ab major's is Fb. Only where that needs a double
    // flat does a plain flat name stand in (Db major's Bbb is A).
    static constexpr int kLetterSteps[12] = {0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6, 6};
    const int interval = PitchClassMod(pc - gKeyRoot);
    std::string degree = SpellNoteAbove(NoteNameInKey(gKeyRoot), interval, kLetterSteps[interval]);
    return degree.empty() ? kFlatNames[pc] : degree;
  }
  // A minor chord named so would need double flats inside (Cbm): the ring's name, flat, unless
  // that too needs one for its third (Gbm's Bbb, beside a bass spelled A): F#m keeps its sharp.
  if (name.find('#') == std::string::npos || SpellNoteAbove(kFlatNames[pc], 3, 2).empty()) return name;
  return kFlatNames[pc];
}

void BuildRingLabels(int root, const std::string& label, uint32_t timeMs, uint32_t quality,
                     bool repeat) {
  RingLabel entry;
  entry.text = ChordRootName(root, quality) + label;
  entry.timeMs = timeMs;
  const float* c = kRingPalette[RingPosOfPitchClass(root)];
  entry.r = c[0];
  entry.g = c[1];
  entry.b = c[2];
  entry.quality = quality == 2 ? 2u : quality == 1 ? 1u : 0u;
  entry.repeat = repeat ? 1 : 0;
  gRingLabels.push_back(std::move(entry));
  if (gRingLabels.size() > (size_t)kRingLabelMax)
    gRingLabels.erase(gRingLabels.begin(),
                      gRingLabels.begin() + (gRingLabels.size() - kRingLabelMax));
}

std::string TrimSpaces(const std::string& text) { return TrimWhitespace(text); }

// A text with letters of other scripts takes two or three bytes a letter: it is counted in
// letters, split at a blank like an ASCII one, and otherwise left whole for the caller to fit to
// its pixels. Cut at a count of bytes, "G Миксолидийский" showed as "G Миксо..." in a column
// with room for all of it.
static void WrapOtherScript(const std::string& text, int maxChars, std::string* line1, std::string* line2) {
  auto letters = [](const std::string& t, size_t end) {
    int n = 0;
    for (size_t i = 0; i < end && i < t.size(); ++i) n += ((unsigned char)t[i] & 0xC0) != 0x80;
    return n;
  };
  if (letters(text, text.size()) <= maxChars) return;
  size_t split = std::string::npos;
  for (size_t i = text.find(' '); i != std::string::npos; i = text.find(' ', i + 1)) {
    const int at = letters(text, i);
    if (at > maxChars) break;
    if (at >= std::max(maxChars / 2, 1)) split = i;
  }
  if (split == std::string::npos) return;
  *line1 = TrimWhitespace(text.substr(0, split));
  *line2 = TrimWhitespace(text.substr(split + 1));
}

void WrapLabelTwoLines(const std::string& text, int maxChars, std::string* line1, std::string* line2) {
  *line1 = text;
  line2->clear();
  if (maxChars < 4 || text.size() <= (size_t)maxChars) return;
  for (unsigned char c : text)
    if (c >= 0x80) {
      WrapOtherScript(text, maxChars, line1, line2);
      return;
    }
  int from = std::min(maxChars, (int)text.size() - 1), to = std::max(maxChars / 2, 1);
  int k = from;
  while (k >= to && text[(size_t)k] != ' ') --k;
  if (k < to) {
    *line1 = TruncateUtf8(text, maxChars);
    return;
  }
  *line1 = TrimWhitespace(text.substr(0, (size_t)k));
  *line2 = TrimWhitespace(text.substr((size_t)k + 1));
  if (line2->size() > (size_t)maxChars) *line2 = TruncateUtf8(*line2, maxChars);
}
