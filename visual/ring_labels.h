// visual/ring_labels: the chord history, the recent chord names that the circle view shows as a
// fading trail, oldest first and at most kRingLabelMax entries.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One chord-history entry.
struct RingLabel {
  std::string text;   // root name (ChordRootName) followed by the chord's label ("C", "Am7", "C/E")
  uint32_t timeMs;    // ClockMs32 when appended
  float r, g, b;      // ring palette colour of the root's ring position
  uint32_t quality;   // 0 major family, 1 minor, 2 diminished
  uint8_t repeat;     // 1 for a repetition of a chord still held
};

enum { kRingLabelMax = 72 };

extern std::vector<RingLabel> gRingLabels;  // oldest first

// The name of a chord's root (pitch class, quality 0..2): in the current key, except that a root off
// the scale of a major or minor chord is named as the circle's ring names its chord's place.
std::string ChordRootName(int root, uint32_t quality);

// Appends the entry of a recognised chord (root pitch class, label, quality 0..2) and keeps the
// newest kRingLabelMax entries.
void BuildRingLabels(int root, const std::string& label, uint32_t timeMs, uint32_t quality,
                     bool repeat);

// ---- label text ----
// A copy without leading and trailing white space (the base floor's trim).
std::string TrimSpaces(const std::string& text);
// Splits a label for at most maxChars bytes a line: the whole text on line 1 when it fits (or
// maxChars < 4); a text with non-ASCII bytes, or without a space from maxChars down to maxChars / 2,
// is cut with "..." instead; otherwise split at that space, line 2 cut to maxChars.
void WrapLabelTwoLines(const std::string& text, int maxChars, std::string* line1, std::string* line2);
