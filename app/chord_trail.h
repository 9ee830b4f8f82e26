// app/chord_trail: the chord history drawn as a trail of names in a narrow column at the right of
// the window (beside the circle on the learning overlay): a new name shows at the column's middle,
// major-family names drift up, minor and diminished ones down, young names shimmer and every name
// fades out 3.9 s after it was recorded. Diminished names flash white and then darken.
//
// The column is shared with the pattern list. What each name looks like is worked out without GL.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct RingLabel;

// The column of one frame.
struct TrailColumn {
  float top, bottom, mid;      // the vertical band
  float colLeft, colRight;     // the column's edges
  float innerLeft;             // inner left edge, for the pattern list
  float y0, travel;            // the names' start height and their travel
  float uiScale;               // s
};

// One name's look at an age.
struct TrailEntryLook {
  float y;                 // baseline before it is kept inside the window
  float r, g, b;           // drawn colour
  float alpha;             // text alpha 0..1
  float halo;              // white halo alpha 0..0.94
  float flash, dark;       // diminished flash towards white and darkening, 0 otherwise
  float offset;            // horizontal shift in style units (-1 minor, 1 diminished)
};

// The column for the client size and layout; maxTextBytes is the longest entry's text length.
TrailColumn ComputeTrailColumn(int maxTextBytes);
TrailColumn ComputeTrailColumn();  // over gRingLabels
// The look of entry `index` at nowMs; false when it is not shown (too old).
bool ComputeTrailEntryLook(const RingLabel& entry, int index, uint32_t nowMs, const TrailColumn& column,
                           float difficulty, bool calm, TrailEntryLook* out);
// A held chord renews its name several times a second (entries marked repeat), and one strike is
// recorded twice while its notes are young; drawn one by one those entries stack into a column of
// the same name. The trail draws such a run as its newest entry alone, held at its start until the
// next renewal was due, so the name stands still while the chord is held and sets off as any name
// does once it is let go. False for an entry that a later one of its run replaces; otherwise
// *ageMs is the age to draw it at and *phaseIndex the index its shimmer keeps (the run's first
// entry, so renewals do not jolt it).
bool ComputeTrailEntryAge(const std::vector<RingLabel>& labels, size_t index, uint32_t nowMs, uint32_t* ageMs,
                          int* phaseIndex);
// Draws gRingLabels in the column, clipped to it; the scissor state is left as it was found.
void DrawChordTrail(const TrailColumn& column, uint32_t nowMs);

// ---- shared by the trail and the pattern list ----
// (3 - 2t) t^2 of t clamped to 0..1.
float TrailSmoothstep(float t);
// Saves the scissor state, clips to the column; the guard restores the state when it ends.
struct ColumnScissor {
  explicit ColumnScissor(const TrailColumn& column);
  ~ColumnScissor();
  ColumnScissor(const ColumnScissor&) = delete;
  ColumnScissor& operator=(const ColumnScissor&) = delete;
  bool wasEnabled = false;
  int box[4] = {};
  bool set = false;
};
