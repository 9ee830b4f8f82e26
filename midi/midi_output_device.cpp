// midi/midi_output_device: opening the chosen MIDI output device with the fallback to the
// built-in synthesiser, and the port that sends through it.
#include "midi/midi_output_device.h"

#include <cstdio>
#include <strings.h>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/settings_file.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "midi/midi_output.h"
#include "platform/audio.h"
#include "platform/midi_ports.h"
#include "platform/synth.h"

// ---- state ----
namespace {
bool PlatformOpen(int device) { return device < 0 ? SynthOpen() : MidiOutPortOpen(device); }
void PlatformSend(int device, uint32_t message, int64_t dueUs) {
  bool atOnce = dueUs == kMidiOutAtOnce;
  if (device < 0) {
    if (atOnce) SynthSend(message);
    else SynthSendAt(message, dueUs);
  } else {
    if (atOnce) MidiOutPortSend(message);
    else MidiOutPortSendAt(message, dueUs);
  }
}
void PlatformCancel(int device, int64_t afterUs) {
  if (device < 0) SynthCancelAfter(afterUs);
  else MidiOutPortCancelAfter(afterUs);
}
// A port is brought to rest with all-sound-off, reset-controllers and all-notes-off on every
// channel; the synthesiser resets itself.
void PlatformReset(int device) {
  if (device < 0) {
    SynthReset();
    return;
  }
  for (uint32_t c = 0; c < 16; ++c) {
    MidiOutPortSend(0x78B0u | c);
    MidiOutPortSend(0x79B0u | c);
    MidiOutPortSend(0x7BB0u | c);
  }
}
void PlatformClose(int device) {
  if (device < 0) SynthClose();
  else MidiOutPortClose();
}
const MidiOutDriver kPlatformDriver{MidiOutPortCount, MidiOutPortName, PlatformOpen, PlatformSend,
                                    PlatformCancel,   PlatformReset,   PlatformClose};
const MidiOutDriver* gDriver = &kPlatformDriver;  // the device layer in use
bool gDeviceOpen = false;                         // the device port has gMidiOutDeviceIndex open

bool PortOpen();
void PortSend(uint32_t message, int64_t dueUs) { gDriver->send(gMidiOutDeviceIndex, message, dueUs); }
void PortCancel(int64_t afterUs) { gDriver->cancel(gMidiOutDeviceIndex, afterUs); }
void PortReset() { gDriver->reset(gMidiOutDeviceIndex); }
void PortClose() {
  gDeviceOpen = false;
  gDriver->close(gMidiOutDeviceIndex);
}
const MidiOutputPort kDevicePort{PortOpen, PortSend, PortCancel, PortReset, PortClose};
}  // namespace

std::string gMidiOutName;
int gMidiOutDeviceIndex = -1;
std::string gMidiOutOpenName;
bool gMidiOutNameLoaded = false;
bool gNoSoundOutputSaid = false;

// ---- private helpers ----
namespace {
// Opens the saved device when present, else (or when it fails) the synthesiser.
bool PortOpen() {
  LoadSavedMidiOutName();
  int device = -1;
  if (!gMidiOutName.empty()) {
    int n = gDriver->count();
    for (int i = 0; i < n; ++i) {
      std::string name;
      if (gDriver->name(i, &name) && strcasecmp(name.c_str(), gMidiOutName.c_str()) == 0) {
        device = i;
        break;
      }
    }
  }
  if (gDriver->open(device)) {
    gMidiOutDeviceIndex = device;
    gMidiOutOpenName = device < 0 ? "" : MidiOutDeviceName(device);
    gDeviceOpen = true;
    return true;
  }
  if (device >= 0 && gDriver->open(-1)) {
    gMidiOutDeviceIndex = -1;
    gMidiOutOpenName.clear();
    gDeviceOpen = true;
    return true;
  }
  ReportNoSoundOutput();
  return false;
}
}  // namespace

// ---- public functions ----
void SetMidiOutDriver(const MidiOutDriver* driver) { gDriver = driver ? driver : &kPlatformDriver; }

int CountMidiOutputDevices() { return gDriver->count(); }

bool ReadMidiOutDeviceName(int index, std::string* name) { return index >= 0 && gDriver->name(index, name); }

std::string MidiOutDeviceName(int index) {
  std::string name;
  return ReadMidiOutDeviceName(index, &name) ? name : "Unknown device";
}

std::string MidiOutSettingsPath() { return GetDataFilePath("midi_output_device.txt"); }

void LoadSavedMidiOutName() {
  if (gMidiOutNameLoaded) return;
  gMidiOutNameLoaded = true;
  gMidiOutName = ReadSettingLine(MidiOutSettingsPath());
}

void ReportNoSoundOutput() {
  if (gNoSoundOutputSaid) return;
  gNoSoundOutputSaid = true;
  std::string why = AudioLastError();
  // With the device open, what failed is the synthesiser (no soundfont it can read): freeing a
  // device would not help, and the reason names the soundfonts.
  bool synthFailed = false;
  if (why.empty()) {
    why = SynthLastError();
    synthFailed = !why.empty();
  }
  DebugLog("[audio] No sound output could be opened (%s); songs play on the display only. %s\n",
           why.empty() ? "the built-in synthesiser did not start" : why.c_str(),
           synthFailed ? "Choose a MIDI port under AUDIO OUT to hear them meanwhile."
                       : "Connect or free a sound device (another program may hold it), or choose a MIDI port under "
                         "AUDIO OUT.");
  gStatusText = "No sound output - connect or free a sound device, or choose a MIDI port under AUDIO OUT";
}

void KeepSoundOutput() {
  if (!gDeviceOpen || gMidiOutDeviceIndex >= 0) return;
  if (!gDriver->open(-1)) {
    ReportNoSoundOutput();
    return;
  }
  // Sound is back: losing it again is told again.
  if (gNoSoundOutputSaid) DebugLog("[audio] A sound output is open again.\n");
  gNoSoundOutputSaid = false;
}

const MidiOutputPort* DeviceMidiOutputPort() { return &kDevicePort; }
