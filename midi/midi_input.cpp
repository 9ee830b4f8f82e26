// midi/midi_input: opening, closing and picking the MIDI input device, with its log lines.
#include "midi/midi_input.h"

#include "app/base/frame_math.h"
#include "app/base/logs.h"
#include "app/base/note_tables.h"
#include "midi/midi_event_time.h"
#include "midi/midi_output_device.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/midi_ports.h"

// ---- state ----
namespace {
const MidiInDriver kPlatformDriver{MidiInPortCount, MidiInPortName,     MidiInPortOpen,
                                   MidiInPortStart, MidiInPortClose,    MidiPortResultText,
                                   MidiInPortStillPresent};
const MidiInDriver* gDriver = &kPlatformDriver;  // the device layer in use
}  // namespace

bool gMidiInOpen = false;
void* gMidiIn = nullptr;
uint32_t gMidiInDeviceIndex = 0;
std::string gMidiInName = "none";
uint32_t gMidiInOpenResult = 1;
uint32_t gMidiInStartResult = 1;
bool gMidiInBusy = false;
uint32_t gMidiInFailMs = 0;
uint32_t gMidiScanMs = 0;               // the rescan's clock
int gMidiDeviceCount = 0;               // the rescan's last count

// ---- internal helpers ----
// The keys the lost device held down can never send their note-offs, nor its pedal its release:
// each is released as the device would have done it, so every view, the key detection and the
// judges see the release. Only the device's notes carry a channel. `why` starts the log line.
static void ReleaseLostDeviceNotes(const char* why = "Input device lost") {
  int keys = 0;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.keyDown || !h.channelMask) continue;
    for (int c = 0; c < 16; ++c)
      if (h.channelMask & (1u << c)) PostAppMessage(kMsgMidiNote, MakeNoteWParam(h.note, c, 0), 0);
    ++keys;
  }
  if (keys == 0 && !gSustainDown) return;
  DebugLog("[MIDI] %s: releasing %d held key(s)%s\n", why, keys, gSustainDown ? " and the pedal" : "");
  if (gSustainDown) PostAppMessage(kMsgMidiSustain, 0, 0);
}

// ---- public functions ----
void SetMidiInDriver(const MidiInDriver* driver) {
  CloseMidiInput();
  gDriver = driver ? driver : &kPlatformDriver;
}

int CountMidiInputDevices() { return gDriver->count(); }

std::string MidiInDeviceName(int index) {
  std::string name;
  if (index < 0 || !gDriver->name(index, &name)) return "Unknown device";
  return name;
}

void CloseMidiInput() {
  if (gMidiIn) {
    gDriver->close();
    gMidiIn = nullptr;
  }
  gMidiInOpen = false;
  gMidiInOpenResult = 1;
  gMidiInStartResult = 1;
}

bool OpenMidiInput(uint32_t index) {
  CloseMidiInput();
  void* handle = nullptr;
  int result = gDriver->open((int)index, &handle);
  gMidiInOpenResult = (uint32_t)result;
  DebugLog("[MIDI INIT] connecting to input port %u: %s (code %u)\n", index, gDriver->resultText(result),
           gMidiInOpenResult);
  if (result != 0 || !handle) {
    if (handle) gDriver->close();
    return false;
  }
  gMidiIn = handle;
  std::string name;
  gMidiInName = gDriver->name((int)index, &name) ? name.substr(0, 127) : "unknown";
  int started = gDriver->start();
  gMidiInStartResult = (uint32_t)started;
  DebugLog("[MIDI INIT] receiving from input port %u: %s (code %u)\n", index, gDriver->resultText(started),
           gMidiInStartResult);
  if (started != 0) {
    gDriver->close();
    gMidiIn = nullptr;
    return false;
  }
  gMidiInOpen = true;
  gMidiInDeviceIndex = index;
  gMidiInHardFail = false;
  gMidiInFailMs = 0;
  gMidiInBusy = false;
  return true;
}

bool SwitchMidiInput(uint32_t index) {
  const bool wasOpen = gMidiInOpen;
  const std::string left = gMidiInName;
  const bool opened = OpenMidiInput(index);
  // The same keyboard opened again still sends the releases of the keys held through it.
  if (wasOpen && (!opened || gMidiInName != left)) ReleaseLostDeviceNotes("Input device switched");
  return opened;
}

void MidiInitAuto() {
  DebugLog("=============================================\n");
  DebugLog("[MIDI INIT] looking for a MIDI keyboard\n");
  DebugLog("=============================================\n");
  // An input left open would keep delivering while the flags below say it is closed.
  CloseMidiInput();
  int n = gDriver->count();
  if (n < 0) n = 0;
  DebugLog("[MIDI INIT] %u input port(s) found\n", (unsigned)n);
  gMidiInOpen = false;
  gMidiInMessageCount.store(0);
  gLastMidiInputMs = 0;
  gMidiInName = "none";
  gMidiInOpenResult = 1;
  gMidiInStartResult = 1;
  if (n == 0) {
    DebugLog("[MIDI INIT] NO MIDI DEVICES FOUND\n");
    gMidiInBusy = false;
    return;
  }
  for (int i = 0; i < n; ++i) {
    std::string name;
    if (gDriver->name(i, &name)) DebugLog("[MIDI INIT] dev %u: %s\n", (unsigned)i, name.c_str());
    else DebugLog("[MIDI INIT] dev %u: <caps error>\n", (unsigned)i);
  }
  bool sawBusy = false;
  for (int i = 0; i < n; ++i) {
    if (OpenMidiInput((uint32_t)i)) {
      DebugLog("[MIDI INIT] SUCCESS: using device %u (%s)\n", (unsigned)i, gMidiInName.c_str());
      gMidiInBusy = false;
      return;
    }
    if (gMidiInOpenResult == kMidiInResultBusy || gMidiInStartResult == kMidiInResultBusy) sawBusy = true;
  }
  DebugLog("[MIDI INIT] FATAL: failed to open ANY MIDI device\n");
  gMidiInHardFail = true;
  gMidiInBusy = sawBusy;
  gMidiInFailMs = ClockMs32();
}

void CheckMidiInputPresent() {
  if (!gMidiInOpen || gDriver->present()) return;
  ReleaseLostDeviceNotes();
  PostAppMessage(kMsgMidiInError, 0, 0);
}

void RunMidiRescan(uint32_t t) {
  if (!MidiRescanDue(&gMidiScanMs, t)) return;
  KeepSoundOutput();
  if (!gMidiInOpen) {
    int n = CountMidiInputDevices();
    if (n > 0 && n != gMidiDeviceCount) {
      gMidiDeviceCount = n;
      DebugLog("[MIDI] Rescan: %d device(s) appeared, opening.\n", n);
      MidiInitAuto();
    } else if (n > 0 && gMidiInHardFail) {
      // A device that is present but would not open (held by another program) is tried again on
      // every tick until it opens; the count alone would never change.
      DebugLog("[MIDI] Rescan: retrying %d device(s) that would not open.\n", n);
      MidiInitAuto();
    } else if (n == 0) {
      gMidiDeviceCount = 0;
    }
  } else if (!gMidiInHardFail) {
    // An unplugged device reports no error of its own. Once a failure is flagged the port is
    // reopened below; a report of the old port would arrive after that and fail the new one.
    CheckMidiInputPresent();
  }
  if (gMidiInOpen && gMidiInHardFail) {
    DebugLog("[MIDI] Watchdog: HARD FAIL flagged. Reconnecting...\n");
    const std::string failed = gMidiInName;
    MidiInitAuto();
    // The same keyboard reopened still sends the releases of the keys held through the reopen;
    // any other outcome leaves them with no device that could.
    if (!gMidiInOpen || gMidiInName != failed) ReleaseLostDeviceNotes();
  }
}
