// tests/support/audio_lockstep: the disk audio device held at the end of each callback.
#include "tests/support/audio_lockstep.h"

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "platform/audio.h"
#include "platform/clock.h"

// ---- state ----
namespace {
struct Lockstep {
  std::mutex mutex;
  std::condition_variable cv;
  bool engaged = true;
  uint64_t came = 0, released = 0;  // callbacks
  uint64_t next = 0;                // first frame of the next callback
  std::vector<float> sound;         // interleaved stereo from the device's first frame
} gStep;

void WaitAfterCallback(uint64_t framesBefore, const float* interleaved, int frames) {
  std::unique_lock<std::mutex> lock(gStep.mutex);
  uint64_t me = ++gStep.came;
  gStep.next = framesBefore + (uint64_t)frames;
  if (gStep.engaged) gStep.sound.insert(gStep.sound.end(), interleaved, interleaved + 2 * frames);
  gStep.cv.notify_all();
  gStep.cv.wait(lock, [&] { return !gStep.engaged || gStep.released >= me; });
}
}  // namespace

// ---- public functions ----
void BeginAudioLockstep(const std::string& rawFile) {
  {
    std::lock_guard<std::mutex> lock(gStep.mutex);
    gStep.engaged = true;
    gStep.came = gStep.released = gStep.next = 0;
    gStep.sound.clear();
  }
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", rawFile.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);  // the lockstep paces the device
  ClockDriveBegin(kLockstepOriginUs / 1000);
  AudioSetCallbackHookForTesting(WaitAfterCallback);
}

void EndAudioLockstep() {
  std::lock_guard<std::mutex> lock(gStep.mutex);
  gStep.engaged = false;
  gStep.cv.notify_all();
}

uint64_t WaitForAudioCallback() {
  std::unique_lock<std::mutex> lock(gStep.mutex);
  gStep.cv.wait(lock, [] { return gStep.came > gStep.released; });
  return gStep.next;
}

void ReleaseAudioCallback() {
  std::lock_guard<std::mutex> lock(gStep.mutex);
  ++gStep.released;
  gStep.cv.notify_all();
}

std::vector<float> LockstepSound() {
  std::lock_guard<std::mutex> lock(gStep.mutex);
  return gStep.sound;
}

void SetLockstepClockMs(double ms) { ClockDriveSetMicros(kLockstepOriginUs + (int64_t)std::llround(ms * 1000.0)); }
