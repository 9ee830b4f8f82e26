// gfx/hit_regions: rectangles of the controls that the layout places and the handlers hit-test.
#pragma once
#include "gfx/rect.h"

extern RectF gSeekBarRect;      // the transport's seek bar
extern RectF gSpeedSliderRect;  // the playback speed slider
extern RectF gSliderPanelButtonRect;   // the settings panel button (practice mode only)
extern RectF gUnloadSongRect;          // the song unload button
extern RectF gMetronomeStopRect;       // the metronome stop button
