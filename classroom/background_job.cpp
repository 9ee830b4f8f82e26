// classroom/background_job: detached classroom workers and their count.
#include "classroom/background_job.h"

#include <chrono>
#include <system_error>
#include <thread>

#include "app/base/logs.h"

// ---- constants ----
static const int kWaitStepMs = 10;

// ---- state ----
std::atomic<int> gClassroomWorkers{0};

// ---- public functions ----
bool ClaimBusy(std::atomic<uint8_t>& busy) { return busy.exchange(1) == 0; }

bool StartClassroomJob(std::atomic<uint8_t>& busy, std::function<void()> job) {
  gClassroomWorkers.fetch_add(1);
  try {
    std::thread([&busy, job = std::move(job)]() mutable {
      {
        std::function<void()> run = std::move(job);   // its copied arguments go with it
        run();
      }
      busy.exchange(0);
      gClassroomWorkers.fetch_sub(1);
    }).detach();
  } catch (const std::system_error&) {
    DebugLog("[classroom] no thread for a request; it was not sent\n");
    busy.exchange(0);
    gClassroomWorkers.fetch_sub(1);
    return false;
  }
  return true;
}

bool WaitForClassroomWorkers(int timeoutMs) {
  for (int waited = 0; gClassroomWorkers.load() > 0 && waited < timeoutMs; waited += kWaitStepMs)
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitStepMs));
  return gClassroomWorkers.load() <= 0;
}
