// platform/synth_timetable: when the built-in synthesiser applies each message.
//
// The program's threads post short messages with their due time on the program's clock
// (ClockMicros64), or for at once. The audio thread, once per buffer, takes what was posted, maps
// the program's clock onto sample positions and hands out the messages that fall into the buffer,
// each with its frame offset: a timed message at the sample where its due time plus the constant
// latency falls (never before), an at-once message at the buffer's start. Posting never waits for
// the audio thread, and the audio thread neither waits nor allocates.
//
// The map and its constant latency are platform/sample_clock's, the same as the clicks'.
#pragma once
#include <cstdint>

// The due time that asks for at once.
constexpr int64_t kSynthAtOnce = 0;

// ---- any thread ----
// Queues one message; false when the queue is full (the message is dropped).
bool TimetablePost(uint32_t message, int64_t dueUs);
// Forgets every timed message due after `us` that is still waiting.
void TimetableCancelAfter(int64_t us);
// Forgets every waiting message and asks for a full reset (status 0xFF) at once.
void TimetableClear();

// ---- the audio thread, once per buffer ----
// Starts a buffer of `frames` at `rate` rendered at program time nowUs: takes what was posted and
// moves the clock map.
void TimetableBeginBuffer(int64_t nowUs, int frames, int rate);
// The next message of this buffer with its frame offset, in order; false when none is left.
bool TimetableNext(int* offset, uint32_t* message);
// Ends the buffer begun last.
void TimetableEndBuffer();

// ---- the owner, while no buffer is being made ----
// Forgets everything: what was posted, what waits, and the clock map.
void ResetTimetable();
// The latency in force (0 before the first buffer).
int64_t TimetableLatencyUs();
// The absolute sample position (counted from the first buffer since the reset) at which a message
// due at dueUs would be applied by the current map.
int64_t TimetableSampleFor(int64_t dueUs);
