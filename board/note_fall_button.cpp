// board/note_fall_button: the NOTE FALL button and the mode it switches.
#include "board/note_fall_button.h"

#include <algorithm>

#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/slider_panel.h"
#include "gfx/text.h"
#include "board/lane_keys.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/input.h"
#include "theory/filter_tabs.h"
#include "theory/scale_selection.h"

#include <GL/gl.h>

// ---- state ----
RectF gNoteFallButtonRect = kHiddenRect;          // the button, or hidden
bool (*gSightScoreHasNotesHook)() = nullptr;      // the learning model's score, connected by the shell
void (*gNoteFallSongViewHook)(bool) = nullptr;    // the shell's song-view keep-alive
static bool gSavedSongView = false;               // the song view when note-fall mode was entered
static bool gSavedLearningOverlay = false;        // the learning overlay then

// ---- public functions ----
void ToggleNoteFallMode() {
  const bool entering = !gPracticeMode;
  if (entering) {
    gSavedSongView = gSongView;
    gSavedLearningOverlay = gLearningOverlay;
  }
  gPracticeMode = entering;
  gSightReadingView = gSightScoreHasNotesHook ? gSightScoreHasNotesHook() : false;
  ResetPlayAlongHighlights();
  SilenceMidiOutput();
  if (entering) {
    gSongView = gWaitMode = true;
    ReapplyScaleSelection();
    gLearningOverlay = false;
    gFilterPanelOpen = false;
    gFilterOpenFade = 0.0f;
    if (gScaleListDragging) {
      gScaleListDragging = false;
      CaptureMouse(false);
    }
  } else {
    if (gPlayAlongRun) SetPlayAlongRun(false, false);
    SetSliderPanelOpen(false);
    gSongView = gSavedSongView;
    gLearningOverlay = gSavedLearningOverlay;
    if (!gSongEvents.empty() && !gSongView && !gLearningOverlay) gSongView = true;
    gWaitMode = gSongView;
  }
  if (gNoteFallSongViewHook) gNoteFallSongViewHook(!entering);
  RelayoutAll();
}

bool NoteFallButtonMouseDown(int x, int y) {
  if (!PointInRect(gNoteFallButtonRect, x, y)) return false;
  ToggleNoteFallMode();
  return true;
}

void DrawNoteFallButton() {
  NoteFallStrip st = ComputeNoteFallStrip();
  gNoteFallButtonRect = kHiddenRect;  // a frame that does not draw it cannot be clicked
  if (!st.shown) return;
  gNoteFallButtonRect = st.button;
  const RectF& r = st.button;
  const float s = st.s;
  const bool hovered = IsMouseInRect(&r);
  if (gPracticeMode) SetGlColor(0.22f, 0.44f, 0.78f, hovered ? 0.82f : 0.66f);
  else SetGlColor(0.12f, 0.20f, 0.26f, hovered ? 0.82f : 0.66f);
  FillRoundedRect(r.x, r.y, r.w, r.h, std::max(4.0f, 5.0f * s), 8);
  SetGlColor(0.9f, 0.95f, 1.0f, hovered ? 0.42f : 0.3f);
  StrokeRoundedRect(r.x + 0.5f, r.y + 0.5f, r.w - 1.0f, r.h - 1.0f, std::max(3.0f, 4.0f * s), 8);
  UiFont font = gFontSmall ? gFontSmall : gFontMain;
  DrawVerticalText(font, r, "NOTE FALL", s, r.x + std::max(4.0f, 5.0f * s), 0.0f, 0.92f, 0.97f, 1.0f,
                   gPracticeMode ? 0.98f : 0.9f, 2.2f);
  if (st.y + st.pad >= r.y) {
    // The strip's top edge casts a short shadow over the button.
    float shade = std::max(10.0f, 12.0f * s);
    glBegin(GL_QUADS);
    SetGlColor(0.0f, 0.0f, 0.0f, 0.38f);
    glVertex2f(r.x, r.y);
    glVertex2f(r.x + r.w, r.y);
    SetGlColor(0.0f, 0.0f, 0.0f, 0.0f);
    glVertex2f(r.x + r.w, r.y + shade);
    glVertex2f(r.x, r.y + shade);
    glEnd();
  }
}

void ResetNoteFallButton() {
  gNoteFallButtonRect = kHiddenRect;
  gSavedSongView = gSavedLearningOverlay = false;
}
