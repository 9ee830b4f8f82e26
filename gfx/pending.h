// gfx/pending: graphics services the frame already calls whose bodies come with later work.
#pragma once
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/rect.h"
#include "gfx/text.h"

extern RectF gSliderPanelButtonRect;   // the settings panel button (practice mode only)
extern RectF gUnloadSongRect;          // the song unload button
extern RectF gMetronomeStopRect;       // the metronome stop button

