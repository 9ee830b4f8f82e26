// platform/sample_clock: where a time on the program's clock falls in a sound device's stream.
//
// Each buffer gives a pair (program time of its callback, its first sample), and
// offset = time - sample / rate says when, on the program's clock, sample 0 was asked for. A
// callback may come late (its thread was not scheduled at once) but never early for the device's
// pace, so the map follows the earliest callbacks: it moves earlier at once, and later only by
// 1 ms per second of sound (far more than any two clocks drift apart), unless the callbacks stay
// more than 30 ms later for 8 buffers in a row: then the device stalled and lost time, and the map
// jumps. A sound due at t starts at the first sample whose time is t + latency or later.
//
// The latency is one buffer (the earliest a callback can need a sound) plus one pass of the
// program's main loop (how late a pass that hands sounds over may come). Everything mixed into the
// one device (the synthesiser's notes, the clicks) uses it, so sounds due together start together.
#pragma once
#include <cstdint>

// How late a sender may hand over a timed sound and still have it start at its time plus the
// latency: one pass of the main loop.
constexpr int64_t kSoundHandOverSlackUs = 17000;

struct SampleClock {
  bool valid = false;       // the map has a first pair
  int rate = 0;             // sample rate of the map
  double offsetUs = 0.0;    // program time at which sample 0 was asked for
  int lateRun = 0;          // buffers in a row far later than the map
  double lateRunMin = 0.0;  // the earliest offset among them
  int64_t latencyUs = 0;    // constant latency (0 before the first buffer)
};

// Moves the map with a buffer of `frames` at `rate` whose first sample is `firstSample`, asked for
// at program time nowUs; on the audio thread, once per buffer.
void FollowSampleClock(SampleClock& clock, int64_t nowUs, int64_t firstSample, int frames, int rate);
// The sample at which a sound due at dueUs starts: the first whose time is dueUs plus the latency
// or later (0 before the first buffer).
int64_t SampleClockSampleFor(const SampleClock& clock, int64_t dueUs);
