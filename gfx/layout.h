// gfx/layout: the UI scale and the layout rectangles of every panel.
#pragma once

// Recomputes every layout rectangle from the client size and the UI scale.
void RelayoutAll();
