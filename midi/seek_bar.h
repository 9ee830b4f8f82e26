// midi/seek_bar: the mapping between song time and x on the transport's seek bar, and its time line.
#pragma once
#include <cstdint>
#include <string>

// The transport's UI scale: min(width / 1600, height / 900) clamped to 0.78..1.
float TransportUiScale(int clientWidth, int clientHeight);
// The usable track of the bar: gSeekBarRect inset by max(5 u, 4) at both ends, at least 8 wide.
void GetSeekBarGeometry(float* x0, float* width);
// The song time under x (clamped to the track).
uint32_t SeekBarTimeForX(float x, uint32_t songLengthMs);
// The x of a song time (the left end for a song of length 0).
float SeekBarXForTime(uint32_t ms, uint32_t songLengthMs);
// The time line over the track at clock time now: the shown position, then the song's length.
std::string SeekBarTimeText(uint32_t now);
// Places the loop handles on the seek bar at the loop points (a point not set at the song's start
// or end); hidden without a song or a seek bar.
void LayoutLoopHandles();
