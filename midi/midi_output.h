// midi/midi_output: the one MIDI output that songs, previews and resets sound through.
//
// The transport and the other senders see the output as a few operations. What stands behind them
// is a port: the device layer installs the real one (a hardware port or the built-in synthesiser),
// tests install a recorder. With no port installed no output opens, and playback runs on the
// display alone.
//
// A message may carry its due time on the program's clock (ClockMicros64): the port makes it
// sound at that time (the synthesiser adds its constant latency), so a song's events can be
// handed over ahead of time and still sound evenly. A message without one sounds at once.
// Cancelling forgets what is scheduled after a time and has not gone out yet.
#pragma once
#include <cstdint>

// The due time that asks for at once.
constexpr int64_t kMidiOutAtOnce = 0;

// What a port offers; every member must be set.
struct MidiOutputPort {
  bool (*open)();                                // opens the chosen device, else the default; true when open
  void (*send)(uint32_t message, int64_t dueUs); // one short message (status | data1 << 8 | data2 << 16) at its time
  void (*cancel)(int64_t afterUs);               // forgets what is scheduled after this time
  void (*reset)();                               // every note and controller of every channel back to rest
  void (*close)();                               // closes the device
};

// Installs the port behind the output (null: none). Closes an output open on the previous port.
void SetMidiOutputPort(const MidiOutputPort* port);
// Opens the output when it is closed; true when an output is open afterwards.
bool OpenMidiOutput();
// An output is open.
bool IsMidiOutputOpen();
// Sends one short message at once; nothing when closed.
void SendMidiOutShort(uint32_t message);
// Sends one short message to sound at its due time; nothing when closed.
void SendMidiOutAt(uint32_t message, int64_t dueUs);
// Forgets every message scheduled after `us` that has not gone out; nothing when closed.
void CancelMidiOutAfter(int64_t us);
// For channels 0..15 in order: controller 123 (all notes off), then controller 64 = 0; at the
// given due time (at once by default).
void SendAllNotesOffSequence(int64_t dueUs = kMidiOutAtOnce);
// Forgets what is scheduled and resets the open output (it stays open); nothing when closed.
void ResetMidiOutput();
// Forgets what is scheduled, resets and closes the open output; nothing when closed.
void CloseMidiOutput();
