// classroom/background_job: the one way a classroom request runs in the background.
//
// A launcher on the UI thread claims its feature's busy byte (a second launch while one runs is
// refused), copies its arguments into the job (texts and numbers, never references to shared
// state), and starts one detached thread. The job makes its request and publishes its results
// under its feature's mutex; then the busy byte is released and, as the thread's very last act,
// the count of running workers falls. Window destruction waits for that count, at most 2 s;
// state a worker touches lives in storage that is never destroyed, so a worker that outlives the
// wait finds nothing destroyed.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>

extern std::atomic<int> gClassroomWorkers;   // classroom workers started and not yet finished

// Sets busy from 0 to 1; false when it was already set.
bool ClaimBusy(std::atomic<uint8_t>& busy);
// Runs job on a detached thread, then releases busy; busy must have been claimed. False (busy
// released, nothing run) when no thread could be started.
bool StartClassroomJob(std::atomic<uint8_t>& busy, std::function<void()> job);
// Waits until no classroom worker runs, at most timeoutMs; true when none runs.
bool WaitForClassroomWorkers(int timeoutMs = 2000);
