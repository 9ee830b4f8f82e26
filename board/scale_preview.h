// board/scale_preview: the preview under the practice strip: the scale diagram of the shown mode
// and key over a two-octave keyboard (C3 to C5) whose keys light as they are played, and the info
// mark whose hint box tells how the grid previews and clears cells.
#pragma once
#include <string>
#include <vector>

#include "board/board_frame.h"
#include "gfx/rect.h"

// The diagram box: the largest box of the image's aspect ratio centred in the inner area, or the
// whole area without an image.
RectF FitDiagramBox(const RectF& inner, int imageWidth, int imageHeight);
// The hint box's lines; a missing diagram adds its path.
std::vector<std::string> PreviewHintLines(bool pickPresent, bool imageLoaded, const std::string& failedPath);
// Where the hint box opens beside the info mark at (cx, cy) of radius R, kept inside the window;
// wider than its own width when the widest line (textWidth, in pixels) needs it.
RectF PlaceHintBox(float cx, float cy, float R, float scale, const RectF& area, int lineCount, float clientW,
                   float clientH, float textWidth = 0.0f);
// The inset of the hint box's lines from its left and right edges.
float HintTextInset(float scale);
// The info mark's centre and radius beside the area's top right corner.
void PreviewInfoMarkGeometry(const RectF& area, float scale, float* cx, float* cy, float* radius);

// Draws the panel, the keyboard and the diagram (asks for the diagram of the shown mode and key).
void DrawScalePreview(const BoardViewFrame& f);
// Draws the info mark and, under the mouse, its hint box; only while no lane mode is on.
void DrawPreviewInfoMark(const BoardViewFrame& f);
