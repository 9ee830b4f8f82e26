// app/base/frame_rest: when the loop may rest. With nothing played, pressed, sounding or running
// for a while, a pass only drains its messages and waits: the picture on screen stays as it was,
// and a rasteriser without a graphics card stops filling a whole window 59 times a second for a
// sky that nobody is watching. A resting loop still draws now and then, with its animations' time
// held, so that a change the loop has no word of (a reply, a device, the day) still shows.
//
// A minimised window is seen by nobody at all: its passes do the same work at the same times (the
// song's sound, the judges, the metronome and the runs keep their pace) but draw nothing, and the
// first pass after it shows again draws the whole window.
#pragma once

constexpr float kRestAfterSeconds = 8.0f;      // quiet time before the loop rests
constexpr float kSettleLimitSeconds = 45.0f;   // quiet time after which even a settling picture rests
constexpr float kRestRedrawSeconds = 0.5f;     // a resting loop's drawing interval

enum class FramePass {
  kDraw,        // a whole pass: time moves on, everything is drawn
  kHeldDraw,    // a resting pass that draws with the animations' time held where it stopped
  kNoDraw,      // a resting pass that only drains and waits
  kUnseen,      // a whole pass's work for a minimised window: time moves on, nothing is drawn
  kHeldUnseen,  // a resting pass's work for a minimised window: time held, nothing is drawn
};

struct FrameRest {
  double lastLively = -1.0;  // app seconds of the last pass with something going on
  double lastDrawn = -1.0;   // app seconds of the last pass that did the frame's work
  bool unseen = false;       // the last pass was for a minimised window
};

// The kind of this pass at app time now; `lively` says that something happened or is going on.
// `settling` says that the picture is still on its way to rest after it (the orb relaxing): the
// loop then draws on past the quiet time, up to kSettleLimitSeconds, rather than freeze it half
// way; a minimised window has no picture to settle. A clock that runs back (a restart of the
// clock) counts as lively, and so does the window showing again after it was minimised.
FramePass ChooseFramePass(FrameRest* rest, double now, bool lively, bool settling = false, bool minimised = false);
// The pass draws the window and presents it.
bool FramePassDraws(FramePass pass);
// The pass does the frame's work with the animations' time held where it stopped.
bool FramePassHoldsTime(FramePass pass);
