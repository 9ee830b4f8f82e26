// midi/midi_input: the one MIDI input device (normally a keyboard).
//
// MidiInitAuto opens the first device that works: at start-up, after the full MIDI reset and from
// the frame's rescan while none is open or the open one failed. An open device's messages arrive
// in the window's queue as kMsgMidiInData and take the note road. The device layer behind it is a
// driver: the platform's ports unless a test installs its own.
#pragma once
#include <cstdint>
#include <string>

// What the device layer offers; every member must be set.
struct MidiInDriver {
  int (*count)();                              // devices present
  bool (*name)(int index, std::string* name);  // false when it cannot be read
  int (*open)(int index, void** handle);       // result code, 0 = open; *handle non-null when open
  int (*start)();                              // result code, 0 = delivering
  void (*close)();                             // stops delivery, then disconnects
  const char* (*resultText)(int result);       // a short text for a result code
  bool (*present)();                           // the open device is still there
};

// Result code of a device that another program holds (or that refuses the connection).
constexpr uint32_t kMidiInResultBusy = 4;

extern bool gMidiInOpen;                // an input device is open and started
extern void* gMidiIn;                   // its handle, null when closed
extern uint32_t gMidiInDeviceIndex;     // index of the open device
extern std::string gMidiInName;         // name of the open device ("none", "unknown")
extern uint32_t gMidiInOpenResult;      // result of the last open (1 after a close)
extern uint32_t gMidiInStartResult;     // result of the last start (1 after a close)
extern bool gMidiInBusy;                // the last failed MidiInitAuto met a busy device
extern uint32_t gMidiInFailMs;          // ClockMs32 of the last failed MidiInitAuto
extern uint32_t gMidiScanMs;            // ClockMs32 of the last rescan
extern int gMidiDeviceCount;            // input devices seen by the last rescan

// Installs the driver (null: the platform's ports). Closes an input open on the previous one.
void SetMidiInDriver(const MidiInDriver* driver);
// Number of input devices present.
int CountMidiInputDevices();
// The device's name; "Unknown device" when it cannot be read.
std::string MidiInDeviceName(int index);
// Closes the open input; afterwards no message of it can arrive.
void CloseMidiInput();
// Opens and starts device index (closing the open one first); true when it works.
bool OpenMidiInput(uint32_t index);
// The device picker's choice: opens device index in place of the open one. When that is another
// device (or none opens), the keys and the pedal the one left behind held are released, as it
// can no longer send their releases to the program.
bool SwitchMidiInput(uint32_t index);
// Closes the open input, then opens the first device that works, logging every step.
void MidiInitAuto();
// While an input is open: when its device has gone away, releases the keys and the pedal it held
// (note-offs and a pedal release posted as the device would send them) and reports a device error
// to the window.
void CheckMidiInputPresent();
// The frame's rescan and watchdog at time t (every kMidiRescanMs): a device that appears is
// opened, a busy one is tried again, a failed open device is reopened. Keys held through a reopen
// of the same device stay down; when it does not come back, they and the pedal are released. The
// sound output is watched on the same beat (KeepSoundOutput).
void RunMidiRescan(uint32_t t);
