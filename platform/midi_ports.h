// platform/midi_ports: MIDI input and output ports of the system's MIDI service.
//
// The ALSA sequencer is used when its client can be made, else JACK, else there are no ports and
// every open fails. Port lists hold other programs' and devices' ports only (never our own ports,
// never "Midi Through" as an input), hardware first. Indices are positions in those lists: a count
// lists the ports, and the names and opens by index that follow go by that count's list, so a port
// that goes in between never hands its row to its neighbour.
//
// Input: one port at a time. Once started, every short message the port delivers is posted to the
// message queue from the MIDI thread as kMsgMidiInData (wParam = status | data1 << 8 | data2 << 16,
// lParam = ClockMs32 at arrival); an error of the open port posts kMsgMidiInError. Closing waits
// until no message can be posted any more.
// Output: one port at a time; short messages go out through the timed sender's thread
// (platform/timed_sender.h), in order, each at its due time on the program's clock.
// Everything else runs on the UI thread.
#pragma once
#include <cstdint>
#include <string>

// Result codes of opening and starting an input.
enum : int {
  kMidiPortOk = 0,
  kMidiPortNoService = 1,   // neither ALSA nor JACK could be reached
  kMidiPortBadIndex = 2,    // no port of that index (any more)
  kMidiPortBusy = 4,        // the port is there but refused the connection
};

// Name of the MIDI service in use: "ALSA", "JACK" or "none".
const char* MidiServiceName();
// A short text for a result code.
const char* MidiPortResultText(int result);

// Closes both ports and lets go of the service; the next call chooses it again.
void MidiPortsShutdown();

// ---- input ----
int MidiInPortCount();
// False when the index is out of range.
bool MidiInPortName(int index, std::string* name);
// Connects to the port; messages are not delivered until MidiInPortStart. *handle is an opaque
// non-null value while a port is open. Closes a port open before; nothing read before the close
// (a system-exclusive message cut off mid-way) carries over to the new connection.
int MidiInPortOpen(int index, void** handle);
// Starts delivering messages of the open port.
int MidiInPortStart();
// Stops delivery, waits out a delivery in progress and disconnects; nothing when closed.
void MidiInPortClose();
// The open port is still offered by the service (false when none is open).
bool MidiInPortStillPresent();

// ---- output ----
int MidiOutPortCount();
bool MidiOutPortName(int index, std::string* name);
// Closes a port open before; false when the port cannot be opened.
bool MidiOutPortOpen(int index);
// One short message at once (after what is due already): status in the low byte, then data1,
// then data2; its length follows the status.
void MidiOutPortSend(uint32_t message);
// One short message at its due time on the program's clock (ClockMicros64).
void MidiOutPortSendAt(uint32_t message, int64_t dueUs);
// Forgets the messages due after `us` that have not gone out.
void MidiOutPortCancelAfter(int64_t us);
// Sends what is due, forgets the rest and closes the port.
void MidiOutPortClose();

// Number of bytes of the short message with this status byte (0 for a data byte).
int MidiShortMessageLength(uint8_t status);

// How a port of the service's list is offered: -1 never (our own ports; "Midi Through" as an
// input), 0 hardware (an ALSA kernel client, or JACK's system and bridge ports), 1 other software
// (and "Midi Through" as an output).
int MidiPortClass(const std::string& name, bool input);
