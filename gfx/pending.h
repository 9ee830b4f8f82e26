// gfx/pending: graphics services the frame already calls whose bodies come with later work.
#pragma once
#include "gfx/layout.h"
#include "gfx/rect.h"

extern float gTextBrightness;   // text colour factor, 1 + 0.16 x the song-view fade
extern RectF gSliderPanelButtonRect;   // the settings panel button (practice mode only)
extern RectF gUnloadSongRect;          // the song unload button
extern RectF gMetronomeStopRect;       // the metronome stop button

// Rebuilds the font display lists for the current size and scale.
void RebuildFonts();
// Loads the splash images, then the clef images, into textures.
void LoadSplashTextures();
void LoadClefTextures();
// Frees the splash and clef textures.
void FreeSplashTextures();
void FreeClefTextures();
// Ends the image decoder at shut-down.
void StopImageDecoder();
