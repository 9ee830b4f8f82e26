// bench/hidden_gl_window: the hidden 1440 x 920 window with its GL context and fonts that the drawing
// benchmarks share, made once per program.
#pragma once
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/text.h"
#include "platform/window.h"

// False without a display for a GL context.
inline bool MakeHiddenGlWindow() {
  static int ready = -1;
  if (ready < 0) {
    ready = WindowCreate("Tonvarra", "Tonvarra", 100, 100, 1440, 920) && WindowCreateGlContext() == kGlReady;
    if (ready) {
      gMainWindowOpen = true;
      gGlReady = true;
      gClientWidth = 1440;
      gClientHeight = 920;
      SetupGlState();
      SetProjection2D();
      RebuildFonts();
    }
  }
  return ready == 1;
}
