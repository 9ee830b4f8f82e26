// app/base/frame_rest: the rest rule of the loop.
#include "app/base/frame_rest.h"

// ---- internal helpers ----
// The rule for a window on screen.
static FramePass ChooseShownPass(FrameRest* rest, double now, bool lively, bool settling) {
  bool ranBack = now < rest->lastLively || now < rest->lastDrawn;
  if (lively || ranBack || rest->lastLively < 0.0) {
    rest->lastLively = now;
    rest->lastDrawn = now;
    return FramePass::kDraw;
  }
  const double quiet = now - rest->lastLively;
  if (quiet < kRestAfterSeconds || (settling && quiet < kSettleLimitSeconds)) {
    rest->lastDrawn = now;
    return FramePass::kDraw;
  }
  if (now - rest->lastDrawn >= kRestRedrawSeconds) {
    rest->lastDrawn = now;
    return FramePass::kHeldDraw;
  }
  return FramePass::kNoDraw;
}

// ---- public functions ----
FramePass ChooseFramePass(FrameRest* rest, double now, bool lively, bool settling, bool minimised) {
  // What was on screen before the window was minimised is gone, whatever goes on now.
  const bool shownAgain = rest->unseen && !minimised;
  rest->unseen = minimised;
  FramePass pass = ChooseShownPass(rest, now, lively || shownAgain, settling && !minimised);
  if (!minimised) return pass;
  if (pass == FramePass::kDraw) return FramePass::kUnseen;
  if (pass == FramePass::kHeldDraw) return FramePass::kHeldUnseen;
  return FramePass::kNoDraw;
}

bool FramePassDraws(FramePass pass) { return pass == FramePass::kDraw || pass == FramePass::kHeldDraw; }

bool FramePassHoldsTime(FramePass pass) { return pass == FramePass::kHeldDraw || pass == FramePass::kHeldUnseen; }
