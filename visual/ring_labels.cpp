// visual/ring_labels: the chord history's entries; the recogniser decides when one is due.
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "visual/ring_labels.h"

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
