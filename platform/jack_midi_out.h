// platform/jack_midi_out: the program's own MIDI output port on a JACK server.
//
// JACK delivers MIDI once per cycle, in a buffer the size of the period, and each event carries
// its frame within the cycle. A library that writes messages as they come overflows that buffer on
// a burst (a full reset) and loses or garbles messages, and it gives every message the cycle it
// happened to arrive in. This port instead keeps the posted messages in order and, in each cycle,
// writes those whose due time falls before the cycle's end at the frame of their time; what does
// not fit waits for the next cycle, so every message arrives once, whole and in order, and on time
// whenever the buffer has room.
//
// Posting, cancelling and closing come from one thread at a time (the UI thread); the process
// callback runs on JACK's thread and neither waits for a lock nor allocates.
#pragma once
#include <cstdint>
#include <string>

// Opens a client of its own with one output port and connects it to the JACK port of that full
// name ("client:port"); false when there is no server, the port is missing or it will not connect.
bool JackMidiOutOpen(const std::string& destinationPort);
// A connection is open.
bool JackMidiOutIsOpen();
// The open port still reaches that JACK port: JACK drops the connection when the port's client
// leaves, even if it comes back under the same name, while our client stays open.
bool JackMidiOutConnectedTo(const std::string& destinationPort);
// Connects the open port to that JACK port again, keeping what is queued; false when closed or
// it will not connect.
bool JackMidiOutConnect(const std::string& destinationPort);
// Queues one short message (status | data1 << 8 | data2 << 16) for its due time on the program's
// clock (ClockMicros64); 0 means at once (after everything queued before it).
void JackMidiOutPost(uint32_t message, int64_t dueUs);
// Forgets every queued message due after `us` that has not gone out.
void JackMidiOutCancelAfter(int64_t us);
// Lets what is due by now go out (a few cycles at most), then disconnects and closes the client.
void JackMidiOutClose();
// Messages queued and not yet written to a cycle.
int JackMidiOutWaiting();
