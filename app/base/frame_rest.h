// app/base/frame_rest: when the loop may rest. With nothing played, pressed, sounding or running
// for a while, a pass only drains its messages and waits: the picture on screen stays as it was,
// and a rasteriser without a graphics card stops filling a whole window 59 times a second for a
// sky that nobody is watching. A resting loop still draws now and then, with its animations' time
// held, so that a change the loop has no word of (a reply, a device, the day) still shows.
#pragma once

constexpr float kRestAfterSeconds = 8.0f;      // quiet time before the loop rests
constexpr float kSettleLimitSeconds = 45.0f;   // quiet time after which even a settling picture rests
constexpr float kRestRedrawSeconds = 0.5f;     // a resting loop's drawing interval

enum class FramePass {
  kDraw,       // a whole pass: time moves on, everything is drawn
  kHeldDraw,   // a resting pass that draws with the animations' time held where it stopped
  kNoDraw,     // a resting pass that only drains and waits
};

struct FrameRest {
  double lastLively = -1.0;  // app seconds of the last pass with something going on
  double lastDrawn = -1.0;   // app seconds of the last pass that drew
};

// The kind of this pass at app time now; `lively` says that something happened or is going on.
// `settling` says that the picture is still on its way to rest after it (the orb relaxing): the
// loop then draws on past the quiet time, up to kSettleLimitSeconds, rather than freeze it half
// way. A clock that runs back (a restart of the clock) counts as lively.
FramePass ChooseFramePass(FrameRest* rest, double now, bool lively, bool settling = false);
