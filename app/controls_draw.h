// app/controls_draw: draws the main window's small controls where LayoutHitRegions placed them: the
// name box, the top-right toggle, the control band with the transport, the file menu, the students
// panel with its colour wheel, then the filter panel and the settings sliders on top, and the status
// line. Each control shows its state and the hover of the mouse.
#pragma once

// One call per frame, after the toolbar.
void DrawMainControls(double now);
// The status line: gStatusText from the frame after it is set, fading out a few seconds after its
// latest setting (the same words set again are held again), then cleared.
void DrawStatusLine(double now);
// Start state: no status shown.
void ResetControlsDrawing();
