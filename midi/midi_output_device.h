// midi/midi_output_device: the device behind the MIDI output: a port of the system's MIDI service
// chosen by its saved name, or by default the built-in synthesiser (device -1, which stands where
// other systems have their default MIDI mapper).
//
// The choice is remembered by name in "midi_output_device.txt" in the Data folder and read once
// per run. A saved device that is missing or does not open falls back to the synthesiser and the
// file is kept, so the device is used again when it returns.
#pragma once
#include <cstdint>
#include <string>

struct MidiOutputPort;

// What the device layer offers; every member must be set. Device -1 is the synthesiser.
struct MidiOutDriver {
  int (*count)();                                             // ports present
  bool (*name)(int index, std::string* name);                 // false when it cannot be read
  bool (*open)(int device);                                   // true when open
  void (*send)(int device, uint32_t message, int64_t dueUs);  // one short message at its time (0: at once)
  void (*cancel)(int device, int64_t afterUs);                // forgets what is scheduled after this time
  void (*reset)(int device);                                  // every note and controller back to rest
  void (*close)(int device);
};

extern std::string gMidiOutName;       // the saved device name, "" for the built-in synthesiser
extern int gMidiOutDeviceIndex;        // the open device, -1 for the built-in synthesiser
extern std::string gMidiOutOpenName;   // name of the open device, "" for the synthesiser
extern bool gMidiOutNameLoaded;        // the settings file has been read in this run
extern bool gNoSoundOutputSaid;        // the user has been told that no sound output opens, and none has since

// Installs the driver (null: the platform's ports and synthesiser).
void SetMidiOutDriver(const MidiOutDriver* driver);
// Number of output ports present (the synthesiser not counted).
int CountMidiOutputDevices();
// The port's product name; "Unknown device" for a negative index or an unreadable name.
std::string MidiOutDeviceName(int index);
// The port's name into *name; false for a negative index or an unreadable name.
bool ReadMidiOutDeviceName(int index, std::string* name);
// Full path of "midi_output_device.txt".
std::string MidiOutSettingsPath();
// Fills gMidiOutName from the settings file; only the first call in a run reads it.
void LoadSavedMidiOutName();
// Tells the user once, in the status line and the log, that no sound output could be opened and
// what they can do about it; again only after the rescan has found one open since.
void ReportNoSoundOutput();
// The rescan's watch over the built-in synthesiser while it is the open output: a sound device
// lost under it (unplugged, the sound service restarted) is replaced by the default one, so a
// playing song sounds again; when none opens the user is told as above, and the next rescan tries
// again.
void KeepSoundOutput();
// The output port that plays through the chosen device (installed at start-up).
const MidiOutputPort* DeviceMidiOutputPort();
