// gfx/layout_facts: what the layout needs to know of the floors above it (the board's record, the
// practice run, the students, the staff panel, the song and the metronome), asked through one hook
// that the shell connects at start. Without the hook every fact is "nothing there".
#pragma once
#include "gfx/rect.h"

struct LayoutFacts {
  bool practiceRunActive = false;    // a practice run is being set up, armed, running or shown
  // The board's record: its scale, grid, row-label column, row pitch and practice strip.
  float boardScale = 1.0f;
  RectF boardPanel = kHiddenRect;
  RectF boardGrid = kHiddenRect;
  float rowLabelX = 0.0f, rowLabelW = 0.0f;
  float rowHeight = 0.0f, rowGap = 0.0f;
  float keyRowHeight = 0.0f;         // the key names' band above the grid
  RectF practiceStrip = kHiddenRect;
  // The students: how many, and the byte length of the active one's name (0 when none is active).
  int studentCount = 0;
  int activeNameBytes = 0;
  // The staff panel's rectangle, when it shows one.
  bool staffPanelShown = false;
  RectF staffPanel = kHiddenRect;
  bool songLoaded = false;           // a song, a playlist or a song name is loaded
  bool songTimed = false;            // the song's last event lies after 0 ms
  bool sightScoreLoaded = false;     // a sight-reading score is loaded
  bool metronomeRunning = false;     // the metronome's clicks or beat grid run
};

// Filled by the shell; null leaves the defaults.
extern void (*gLayoutFactsHook)(LayoutFacts* out);

// The facts now.
LayoutFacts GetLayoutFacts();
