// app/mouse_routing: the state of the window procedure's own small widgets that others end or read.
#pragma once

extern int gSeekDragMode;        // 0 none, 1 seek, 2 loop start marker, 3 loop end marker
extern bool gSpeedDragging;      // the playback speed slider is being dragged
extern bool gFileMenuOpen;       // the file menu is open
extern bool gSightReadingView;   // the sight-reading view is on
