// learning/radar_flash: the flash's deadline, fades and the resume of the waiting song.
#include "learning/radar_flash.h"

#include <algorithm>

#include "learning/library_index.h"
#include "midi/playback.h"

// ---- constants ----
static const uint32_t kFlashMs = 2600;   // the whole flash
static const float kFadeMs = 420.0f;     // fade in and out
static const float kGrowMs = 600.0f;     // the radar's grow-in

// ---- state ----
std::string gRadarItemId;                // see the header
uint32_t gRadarFlashEndMs = 0;

// ---- internal helpers ----
static void EndFlash(uint32_t now) {
  gRadarFlashEndMs = 0;
  if (gPauseMs != 0 && (int32_t)(now - gPauseMs) > 0) gPlayStartMs += now - gPauseMs;
  gPaused = false;
  gPauseMs = 0;
}

// ---- public functions ----
void StartRadarFlash(const std::string& itemId, uint32_t now, uint32_t durationMs) {
  gRadarItemId = itemId;
  gRadarFlashEndMs = now + durationMs;
  if (gRadarFlashEndMs == 0) gRadarFlashEndMs = 1;
}

bool StepRadarFlash(uint32_t now, RadarFlashFrame* frame) {
  if (gRadarFlashEndMs == 0) return false;
  int32_t remaining = (int32_t)(gRadarFlashEndMs - now);
  if (remaining <= 0) {
    gRadarItemId.clear();
    EndFlash(now);
    return false;
  }
  if (!FindLibraryItem(gRadarItemId)) {
    EndFlash(now);
    return false;
  }
  int32_t elapsed = (int32_t)kFlashMs - remaining;
  frame->elapsedMs = (uint32_t)std::max(elapsed, 0);
  frame->alpha = std::clamp((float)std::min(remaining, elapsed) / kFadeMs, 0.0f, 1.0f);
  float t = std::clamp((float)elapsed / kGrowMs, 0.0f, 1.0f);
  frame->grow = t * t * (3 - 2 * t);
  return true;
}
