// midi/seek_bar_input: presses, double clicks and drags on the seek bar and the speed slider.
#include "midi/seek_bar_input.h"

#include <algorithm>
#include <cmath>

#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "midi/playback.h"
#include "midi/seek_bar.h"
#include "platform/input.h"

// ---- internal helpers ----
static std::string LoopInText() { return TrF("Loop IN: %s", FormatTimeMss(gLoopStartMs).c_str()); }
static std::string LoopOutText() { return TrF("Loop OUT: %s", FormatTimeMss(gLoopEndMs).c_str()); }

static void ClearLoop() {
  gLoopStartSet = gLoopEndSet = false;
  gStatusText = "Loop range cleared";
}

static float HandleCentreX(const RectF& r) { return r.x + r.w / 2.0f; }

// Puts the point of a drag mode at t and keeps the loop region in order; a loop point says where
// it now stands, which after the order is kept may not be t.
static void ApplyDragMode(int mode, uint32_t t) {
  if (mode == kSeekDragLoopStart)
    SetLoopStart(t);
  else if (mode == kSeekDragLoopEnd)
    SetLoopEnd(t);
  else
    SeekPlayback(t);
  NormaliseLoopRegion();
  if (mode == kSeekDragLoopStart) gStatusText = LoopInText();
  if (mode == kSeekDragLoopEnd) gStatusText = LoopOutText();
}

// ---- public functions ----
bool SpeedSliderMouseDown(int x, int y) {
  if (!PointInRect(gSpeedSliderRect, x, y)) return false;
  SetPlaybackSpeed(SpeedFromSlider(SpeedSliderFraction(x)));
  gSpeedDragging = true;
  CaptureMouse(true);
  return true;
}

bool LoopHandleMouseDown(int x, int y, bool modified) {
  // A user who means to clear or reset the loop aims at its handles; the bar (under them) decides.
  if (modified) return false;
  uint32_t length = GetSongLengthMs();
  if (!gLoopMarkersShown || length == 0) return false;
  bool onStart = PointInRect(gLoopStartHandleRect, x, y), onEnd = PointInRect(gLoopEndHandleRect, x, y);
  if (!onStart && !onEnd) return false;
  if (onStart && onEnd) {
    float toStart = std::fabs((float)x - HandleCentreX(gLoopStartHandleRect));
    float toEnd = std::fabs((float)x - HandleCentreX(gLoopEndHandleRect));
    onStart = toStart <= toEnd;
  }
  uint32_t t = SeekBarTimeForX((float)x, length);
  if (onStart) {
    gLoopStartSet = true;
    if (!gLoopEndSet) {
      gLoopEndSet = true;
      gLoopEndMs = length;
    }
    SetLoopStart(t);
    gSeekDragMode = kSeekDragLoopStart;
  } else {
    gLoopEndSet = true;
    if (!gLoopStartSet) {
      gLoopStartSet = true;
      gLoopStartMs = 0;
    }
    SetLoopEnd(t);
    gSeekDragMode = kSeekDragLoopEnd;
  }
  NormaliseLoopRegion();
  gStatusText = onStart ? LoopInText() : LoopOutText();
  CaptureMouse(true);
  return true;
}

bool SeekBarMouseDown(int x, int y, bool shift, bool ctrl, bool alt) {
  if (!PointInRect(gSeekBarRect, x, y)) return false;
  uint32_t length = GetSongLengthMs();
  if (length == 0) {
    gStatusText = "No MIDI loaded";
    return true;
  }
  uint32_t t = SeekBarTimeForX((float)x, length);
  if (alt) {
    ClearLoop();
  } else if (shift) {
    SetLoopStart(t);
    NormaliseLoopRegion();
    gStatusText = LoopInText();
  } else if (ctrl) {
    SetLoopEnd(t);
    NormaliseLoopRegion();
    gStatusText = LoopOutText();
  } else {
    float tolerance = std::max(6.0f * GetUiScale(), 4.0f);
    int mode = kSeekDragPosition;
    if (gLoopStartSet && std::fabs((float)x - SeekBarXForTime(gLoopStartMs, length)) <= tolerance)
      mode = kSeekDragLoopStart;
    if (gLoopEndSet && std::fabs((float)x - SeekBarXForTime(gLoopEndMs, length)) <= tolerance)
      mode = kSeekDragLoopEnd;
    gSeekDragMode = mode;
    ApplyDragMode(mode, t);
    CaptureMouse(true);
  }
  return true;
}

bool SeekBarDoubleClick(int x, int y) {
  if (!PointInRect(gSeekBarRect, x, y)) return false;
  uint32_t length = GetSongLengthMs();
  if (length == 0) {
    gStatusText = "No MIDI loaded";   // no loop point exists without a song
    return true;
  }
  uint32_t t = SeekBarTimeForX((float)x, length);
  if (!gLoopStartSet) {
    SetLoopStart(t);
    NormaliseLoopRegion();
    gStatusText = TrF("Loop IN: %s  (double-click again for OUT)", FormatTimeMss(gLoopStartMs).c_str());
  } else if (!gLoopEndSet) {
    SetLoopEnd(t);
    NormaliseLoopRegion();
    gStatusText = LoopOutText();
  } else {
    ClearLoop();
  }
  return true;
}

bool TransportMouseDrag(int x) {
  if (gSpeedDragging) {
    SetPlaybackSpeed(SpeedFromSlider(SpeedSliderFraction(x)));
    return true;
  }
  if (gSeekDragMode == kSeekDragNone) return false;
  uint32_t length = GetSongLengthMs();
  if (length > 0) ApplyDragMode(gSeekDragMode, SeekBarTimeForX((float)x, length));
  return true;
}

void EndTransportDrags() {
  gSeekDragMode = kSeekDragNone;
  gSpeedDragging = false;
}
