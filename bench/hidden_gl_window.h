// bench/hidden_gl_window: the hidden window (1440 x 920 unless asked otherwise) with its GL context
// and fonts that the drawing benchmarks share, made once per program.
#pragma once
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/text.h"
#include "platform/process.h"
#include "platform/window.h"

// False without a display for a GL context. The first call's size holds for the whole program.
inline bool MakeHiddenGlWindow(int width = 1440, int height = 920) {
  static int ready = -1;
  if (ready < 0) {
    KeepFreedHeapForReuse();  // as the program does
    ready = WindowCreate("Tonvarra", "Tonvarra", 100, 100, width, height) && WindowCreateGlContext() == kGlReady;
    if (ready) {
      gMainWindowOpen = true;
      gGlReady = true;
      gClientWidth = width;
      gClientHeight = height;
      SetupGlState();
      SetProjection2D();
      RebuildFonts();
    }
  }
  return ready == 1;
}
