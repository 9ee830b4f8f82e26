// midi/seek_bar: song time to x and back on the seek bar laid out in gSeekBarRect, and its time line.
#include "midi/seek_bar.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "gfx/hit_regions.h"
#include "midi/playback.h"

// ---- public functions ----
float TransportUiScale(int clientWidth, int clientHeight) {
  float u = std::min((float)clientWidth / 1600.0f, (float)clientHeight / 900.0f);
  return std::clamp(u, 0.78f, 1.0f);
}

void GetSeekBarGeometry(float* x0, float* width) {
  float m = std::max(5.0f * TransportUiScale(gClientWidth, gClientHeight), 4.0f);
  *x0 = gSeekBarRect.x + m;
  *width = std::max(gSeekBarRect.w - 2.0f * m, 8.0f);
}

uint32_t SeekBarTimeForX(float x, uint32_t songLengthMs) {
  float x0, width;
  GetSeekBarGeometry(&x0, &width);
  float f = std::clamp((x - x0) / width, 0.0f, 1.0f);
  return (uint32_t)std::llround((double)f * songLengthMs);
}

float SeekBarXForTime(uint32_t ms, uint32_t songLengthMs) {
  float x0, width;
  GetSeekBarGeometry(&x0, &width);
  if (songLengthMs == 0) return x0;
  double f = std::clamp((double)ms / songLengthMs, 0.0, 1.0);
  return x0 + (float)(width * f);
}

std::string SeekBarTimeText(uint32_t now) {
  return FormatTimeMss(GetShownPlaybackPositionMs(now)) + " / " + FormatTimeMss(GetSongLengthMs());
}

void LayoutLoopHandles() {
  gLoopStartHandleRect = gLoopEndHandleRect = kHiddenRect;
  gLoopMarkersShown = false;
  uint32_t length = GetSongLengthMs();
  const RectF& bar = gSeekBarRect;
  if (length == 0 || !(bar.w > 2.0f) || !(bar.h > 2.0f)) return;
  float u = TransportUiScale(gClientWidth, gClientHeight);
  float w = std::max(10.0f * u, 8.0f), h = std::max(0.6f * bar.h, 14.0f);
  float y = bar.y + 0.62f * bar.h - h / 2.0f;  // on the drawn track
  float a = SeekBarXForTime(gLoopStartSet ? gLoopStartMs : 0, length);
  float b = SeekBarXForTime(gLoopEndSet ? gLoopEndMs : length, length);
  gLoopStartHandleRect = {a - w / 2.0f, y, w, h};
  gLoopEndHandleRect = {b - w / 2.0f, y, w, h};
  gLoopMarkersShown = true;
}
