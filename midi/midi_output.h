// midi/midi_output: the one MIDI output that songs, previews and resets sound through.
//
// The transport and the other senders see the output as five operations. What stands behind them
// is a port: the device layer installs the real one (a hardware port or the built-in synthesiser),
// tests install a recorder. With no port installed no output opens, and playback runs on the
// display alone.
#pragma once
#include <cstdint>

// What a port offers; every member must be set.
struct MidiOutputPort {
  bool (*open)();                   // opens the chosen device, else the default; true when open
  void (*send)(uint32_t message);   // one short message: status | data1 << 8 | data2 << 16
  void (*reset)();                  // every note and controller of every channel back to rest
  void (*close)();                  // closes the device
};

// Installs the port behind the output (null: none). Closes an output open on the previous port.
void SetMidiOutputPort(const MidiOutputPort* port);
// Opens the output when it is closed; true when an output is open afterwards.
bool OpenMidiOutput();
// An output is open.
bool IsMidiOutputOpen();
// Sends one short message; nothing when closed.
void SendMidiOutShort(uint32_t message);
// For channels 0..15 in order: controller 123 (all notes off), then controller 64 = 0.
void SendAllNotesOffSequence();
// Resets the open output (it stays open); nothing when closed.
void ResetMidiOutput();
// Resets and closes the open output; nothing when closed.
void CloseMidiOutput();
