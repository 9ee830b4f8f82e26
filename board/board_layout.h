// board/board_layout: the practice board's rectangles and sizes, computed afresh from the client
// size, the UI scale, the side panel and the circle's centre wherever a rectangle is needed.
#pragma once

// All values in client pixels, y downwards.
struct BoardLayout {
  float panelX, panelY, panelW, panelH;   // the board panel (the side panel right of the circle)
  float scale;                            // UI scale s
  float pad;                              // inner margin of the panel
  float labelColumnWidth;                 // row-label column left of the grid
  float keyRowHeight;                     // band directly above the grid
  float cellGap;                          // gap between neighbouring cells, both directions
  float headerRowHeight;                  // header line above that band
  float gridX, gridY, gridW, gridH;       // the 12 x 7 grid
  float cellW, cellH;                     // one cell
  float stripX, stripY, stripW, stripH;   // the practice strip: label column, header, grid and HUD
  float hudHeight;                        // room under the grid for the practice-run HUD
  float headerBaselineY;                  // text baseline of the header line
  float headerRightX;                     // right end of the header line's controls
  float headerCentreY;                    // vertical centre of the header line's controls
  float headerGap;                        // spacing between header controls
  float contentX;                         // left edge of the label column
  float headerY;                          // top of the header line
  float contentW;                         // label column plus grid
  float boardTop;                         // top of the board block (the metronome panel's top)
};

// Fills *out from the current client size and view state and returns out.
BoardLayout* ComputeBoardLayout(BoardLayout* out);
