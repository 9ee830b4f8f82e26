// visual/ring_labels: the chord history's entries; the recogniser decides when one is due.
#include "app/base/strings.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "visual/ring_labels.h"

#include <algorithm>

// ---- state ----
std::vector<RingLabel> gRingLabels;   // chord history, oldest first

// ---- public functions ----
void BuildRingLabels(int root, const std::string& label, uint32_t timeMs, uint32_t quality,
                     bool repeat) {
  RingLabel entry;
  entry.text = NoteNameInKey(root) + label;
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

void WrapLabelTwoLines(const std::string& text, int maxChars, std::string* line1, std::string* line2) {
  *line1 = text;
  line2->clear();
  if (maxChars < 4 || text.size() <= (size_t)maxChars) return;
  for (unsigned char c : text)
    if (c >= 0x80) {
      *line1 = TruncateUtf8(text, maxChars);  // never split inside another script
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
