// board/scale_grid: the scale grid of modes by keys inside its practice strip: the earned count
// and board message in the header line, key names over the columns, scale names in the label
// column, tints for the current, picked and hovered rows and columns and the Ctrl-picked
// selection, and earned cells that fill with moving gold. The grid reads the hit-test state of
// board/grid_interaction and never changes it.
#pragma once
#include <string>

#include "board/board_frame.h"

// The scissor box that clips the grid rows, in window rows from the bottom; inside the window.
struct GridClip {
  int x, y, w, h;
};

// The label-column text of a translated scale name: whole when it fits the room beside the grid
// as gFontSmall draws it, else shortened as FitWordsToWidth shortens, its earlier words abbreviated
// before its end is cut (draw it untranslated).
std::string CutRowLabel(const std::string& translated, float labelColumnWidth, float scale);
// A row label as it stands in the label column: one line, or two when the name is too wide for one
// and the row is tall enough for two (both already translated: draw them untranslated).
struct RowLabelLines {
  std::string first, second;  // second is empty for one line
};
// Names that share their first words ("Harmonic Major", "Harmonic Minor") must still be told apart
// in a narrow column, so a wide name breaks after its last word that fits (a Japanese name after
// its "\u30fb", which the break takes away; a name without blanks after its last whole cluster
// that fits) and the rest goes on the second line, cut as CutRowLabel cuts. A row too low for two
// lines keeps the one cut line.
RowLabelLines SplitRowLabel(const std::string& translated, float labelColumnWidth, float scale, float cellH);
// The baseline of a label's line in a row of that top and height.
float RowLabelBaseline(float rowY, float cellH, float scale, int line, int lineCount);
// The distance between the baselines of a two-line label.
float RowLabelLineGap(float scale);
// Where a row label starts inside the label column, and the width it may take there.
float RowLabelInset(float scale);
float RowLabelRoom(float labelColumnWidth, float scale);
// Rows to draw: 8 while a list of more than 7 scales is scrolled by a fraction (the half row),
// else 7.
int GridRowCount(bool listMode, int visibleCount, float frac);
// The share of an earned cell not yet filled with gold, t seconds after it was earned: from 1 to 0
// in 2.8 s, easing in and out.
float GoldEmptyShare(float secondsSinceEarned);
// Top of an earned cell's gold at that time: it rises from the bottom to the top, a pixel inside.
float GoldSurfaceY(float cellY, float cellH, float secondsSinceEarned);
// The grid's clip box for a client size; the box always lies inside the window.
GridClip ComputeGridClip(const BoardLayout& b, int clientW, int clientH);

// Draws the grid block. Restores the scissor state it found.
void DrawScaleGrid(const BoardViewFrame& f);
// The dark cover over the strip while the note-fall lane fades.
void DrawGridCover(const BoardViewFrame& f);
