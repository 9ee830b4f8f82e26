// visual/note_sparks: the 16 spark slots of the frame.
#include "visual/note_sparks.h"

#include <algorithm>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"

// ---- state ----
NoteSpark gNoteSparks[kNoteSparkMax] = {};  // live sparks first
int gNoteSparkCount = 0;                     // live count

// ---- public functions ----
float NoteSparkLineY() { return (float)gClientHeight * (gPracticeMode ? 0.78f : 0.7f); }

void SpawnNoteSpark(int note, float strength) {
  if (gNoteSparkCount < 0) gNoteSparkCount = 0;
  if (gNoteSparkCount >= kNoteSparkMax) return;
  float width = (float)gClientWidth;
  float margin = std::max(16.0f, width * 0.04f);
  float span = std::max(1.0f, width - 2.0f * margin);
  NoteSpark& s = gNoteSparks[gNoteSparkCount++];
  s.x = margin + span * Clamp01((float)(note - 21) / 87.0f);
  s.y = NoteSparkLineY();
  s.strength = Clamp01(strength);
  s.radius = 110.0f + 150.0f * s.strength;
  const float* c = kRingPalette[RingPosOfPitchClass(PitchClassMod(note))];
  s.r = Clamp01(c[0]);
  s.g = Clamp01(c[1]);
  s.b = Clamp01(c[2]);
}

void ResetNoteSparks() {
  gNoteSparkCount = 0;
  for (NoteSpark& s : gNoteSparks) s = NoteSpark{};
}
