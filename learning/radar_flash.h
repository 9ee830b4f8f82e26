// learning/radar_flash: the skills radar's flash over the next card of a practice set, whose song
// waits paused while it shows. This is its timing; the learning screens draw it.
#pragma once
#include <cstdint>
#include <string>

extern std::string gRadarItemId;     // the finished card the radar shows
extern uint32_t gRadarFlashEndMs;    // ClockMs32 deadline of the flash, 0 = none (never stored as 0)

// What a frame of the flash draws with.
struct RadarFlashFrame {
  uint32_t elapsedMs;   // since the flash began
  float alpha;          // 420 ms fade in and out
  float grow;           // the radar's grow-in, smoothstep over 600 ms
};

// Starts a flash of durationMs for the item.
void StartRadarFlash(const std::string& itemId, uint32_t now, uint32_t durationMs);
// Once a frame: false when no flash shows. A flash that reached its deadline, or whose item is no
// longer in the library, ends here and the paused song resumes from where it stopped (its clock
// shifted by the pause). Differences of the 32-bit clock are signed, so the wrap is harmless.
bool StepRadarFlash(uint32_t now, RadarFlashFrame* frame);
