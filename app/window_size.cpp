// app/window_size: client size, size limits and full screen of the main window.
#include "app/window_size.h"

#include <algorithm>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "board/grid_interaction.h"
#include "gfx/gl_setup.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "learning_ui/performance_note.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/window.h"
#include "practice/students.h"

// ---- constants ----
static const int kWantedClientWidth = 1120;
static const int kWantedClientHeight = 720;
static const int kSmallestWidth = 640;
static const int kSmallestHeight = 480;

// ---- state ----
int gAppliedClientWidth = 0;
int gAppliedClientHeight = 0;
bool gFullscreen = false;
bool gGlReady = false;

// ---- internal helpers ----
static void RebuildForNewSize() {
  if (gGlReady) {
    SetProjection2D();
    RebuildFonts();
  }
  RelayoutAll();
  FitPerformanceNotesToWindow();
}

// ---- public functions ----
void ApplyClientSize(int width, int height, bool force) {
  if (!gMainWindowOpen) return;
  if (width <= 0 || height <= 0) {
    int w = 0, h = 0;
    if (!WindowGetClientSize(&w, &h) || w < 1 || h < 1) return;
    width = w;
    height = h;
  }
  if (!force) {
    bool tiny = (width >= 0 && width < kSmallestWidth) || height < kSmallestHeight;
    if (tiny && gAppliedClientWidth >= kSmallestWidth && gAppliedClientHeight >= kSmallestHeight) return;
    if (width == gClientWidth && height == gClientHeight) return;
  }
  gClientWidth = gAppliedClientWidth = width;
  gClientHeight = gAppliedClientHeight = height;
  RebuildForNewSize();
}

void ComputeWindowSizeLimits(int workWidth, int workHeight, int screenWidth, int screenHeight,
                             int* width, int* height) {
  int areaW = workWidth > 0 && workHeight > 0 ? workWidth : screenWidth;
  int areaH = workWidth > 0 && workHeight > 0 ? workHeight : screenHeight;
  // The window system counts the minimum in client pixels, so the wanted size needs no frame added.
  *width = std::min(std::max(areaW, kSmallestWidth), kWantedClientWidth);
  *height = std::min(std::max(areaH, kSmallestHeight), kWantedClientHeight);
}

void GetWindowSizeLimits(int* width, int* height) {
  int workW = 0, workH = 0, screenW = 0, screenH = 0;
  if (!WindowGetWorkArea(&workW, &workH)) workW = workH = 0;
  if (!WindowGetScreenSize(&screenW, &screenH)) screenW = screenH = 0;
  ComputeWindowSizeLimits(workW, workH, screenW, screenH, width, height);
}

void HandleDisplayChange() {
  int w = 0, h = 0;
  if (!WindowGetClientSize(&w, &h) || w <= 0 || h <= 0) return;
  gClientWidth = gAppliedClientWidth = w;
  gClientHeight = gAppliedClientHeight = h;
  RebuildForNewSize();
}

void ToggleFullscreen() {
  if (!gMainWindowOpen) return;
  // The window system keeps the placement (a maximised state included) and restores it on leaving.
  if (!gFullscreen) {
    if (WindowSetFullscreen(true)) gFullscreen = true;
  } else {
    WindowSetFullscreen(false);
    gFullscreen = false;
  }
  RelayoutAll();
}
