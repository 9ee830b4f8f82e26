// platform/timed_sender: a small thread that hands short messages to a sender at their due time.
//
// The system's MIDI ports take no time stamps through the library we use, so a message with a due
// time on the program's clock (ClockMicros64) waits here and the thread sends it when that time
// comes; whoever posts never waits. Messages go out in order of due time, equal times in the order
// posted; a message posted for at once counts as due at the moment of posting, so it follows
// everything that was due before it. The thread asks for a real-time priority (where the system
// grants it) so that a busy machine delays no message, and lives as long as the process.
#pragma once
#include <cstddef>
#include <cstdint>

using TimedSend = void (*)(uint32_t message);

// The sender of every message from now on (null: messages are dropped when due).
void TimedSenderSetTarget(TimedSend send);
// Queues one message for its due time; 0 (or a time already past) means at once.
void TimedSenderPost(uint32_t message, int64_t dueUs);
// Forgets every waiting message due after `us`.
void TimedSenderCancelAfter(int64_t us);
// Waits, at most a second, until every message due by now has been handed to the sender.
void TimedSenderFlush();
