// app/pattern_list: the recent playing patterns (a chromatic run among them) as short gold labels
// that show up 0.18 s after the pattern, rise 96 px through the chord trail's column and fade out.
// A chromatic run is one line with a single soft halo; other labels may take two lines and a double
// halo. Events within 260 ms of an earlier one stack one row lower each, at most 8 rows, and no
// label is drawn over the one shown before it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/text.h"

struct TrailColumn;
struct PatternEvent;

// One label's look at an age.
struct PatternLabelLook {
  float y;            // baseline before stacking and before it is kept inside the window
  int stackRows;      // rows it sits lower for earlier events close in time, 0..8
  float r, g, b;      // gold, shimmering unless calm
  float alpha;        // A
  float halo;         // halo strength k
  bool chromatic;     // one line, single halo
};

// The look of event `index` of events at nowMs; false when not shown (not yet, or too old).
bool ComputePatternLabelLook(const std::vector<PatternEvent>& events, int index, uint32_t nowMs,
                             const TrailColumn& column, float difficulty, bool calm,
                             PatternLabelLook* out);
// A label's lines as the column shows them, fitted to its room in the font that holds them.
struct PatternLabelLines {
  UiFont font = 0;
  float scale = 1.0f;        // of the font, below 1 only where even the smallest font is too wide
  std::string line1, line2;  // translated; line2 empty for one line, line1 empty for none
  float avail = 0.0f;        // the room across the column the lines are fitted to
};
// The translated label broken and fitted to the column: a chromatic run on one line, other labels
// on one or two.
PatternLabelLines FitPatternLabel(const TrailColumn& column, const std::string& text, bool chromatic);
// A shown label's top and the room it takes down to where the next may start.
struct LabelSlot {
  float y;
  float room;
};
// Oldest first: each label moves down, where needed, to start below the one before it.
void KeepLabelsApart(std::vector<LabelSlot>* slots);
// Draws gPatternEvents in the column, clipped to it; the scissor state is left as it was found.
void DrawPatternList(const TrailColumn& column, uint32_t nowMs);
