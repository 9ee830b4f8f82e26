// midi/midi_output: the open/closed state of the output and the port behind it.
#include "midi/midi_output.h"

#include "platform/clock.h"

// ---- state ----
namespace {
const MidiOutputPort* gOutputPort = nullptr;  // installed port, null when none
bool gOutputOpen = false;                     // the port's device is open
}  // namespace

// ---- public functions ----
void SetMidiOutputPort(const MidiOutputPort* port) {
  CloseMidiOutput();
  gOutputPort = port;
}

bool OpenMidiOutput() {
  if (gOutputOpen) return true;
  if (!gOutputPort) return false;
  gOutputOpen = gOutputPort->open();
  return gOutputOpen;
}

bool IsMidiOutputOpen() { return gOutputOpen; }

void SendMidiOutShort(uint32_t message) {
  if (gOutputOpen) gOutputPort->send(message, kMidiOutAtOnce);
}

void SendMidiOutAt(uint32_t message, int64_t dueUs) {
  if (gOutputOpen) gOutputPort->send(message, dueUs);
}

void CancelMidiOutAfter(int64_t us) {
  if (gOutputOpen) gOutputPort->cancel(us);
}

void SendAllNotesOffSequence(int64_t dueUs) {
  if (!gOutputOpen) return;
  for (uint32_t c = 0; c < 16; ++c) {
    gOutputPort->send(0x7BB0u | c, dueUs);
    gOutputPort->send(0x40B0u | c, dueUs);
  }
}

void ResetMidiOutput() {
  if (!gOutputOpen) return;
  gOutputPort->cancel(ClockMicros64());
  gOutputPort->reset();
}

void CloseMidiOutput() {
  if (!gOutputOpen) return;
  gOutputPort->cancel(ClockMicros64());
  gOutputPort->reset();
  gOutputPort->close();
  gOutputOpen = false;
}
