// app/base/frame_rest: the rest rule of the loop.
#include "app/base/frame_rest.h"

FramePass ChooseFramePass(FrameRest* rest, double now, bool lively, bool settling) {
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
