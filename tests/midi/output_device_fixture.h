// tests/midi: driver doubles of the MIDI output and input device layers, which log what was asked,
// and a fixture with the output on the double and the program folder in a temporary place.
#pragma once
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "tests/support/test_support.h"


using Strings = std::vector<std::string>;

// Output ports as the test sets them up (name, opens), the synthesiser's fate (device -1), and a
// log of what was asked: "open d", "d:MESSAGE", "reset d", "close d".
inline std::vector<std::pair<std::string, bool>> gPorts;
inline bool gSynthOpens = true;
inline Strings gLog;

inline int OutCount() { return (int)gPorts.size(); }
inline bool OutName(int i, std::string* name) { return i >= 0 && i < OutCount() && (*name = gPorts[i].first, true); }
inline bool OutOpen(int d) { return gLog.push_back("open " + std::to_string(d)), d < 0 ? gSynthOpens : gPorts[d].second; }
inline void OutSend(int d, uint32_t m, int64_t) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%06X", d, m);
  gLog.push_back(text);
}
inline void OutReset(int d) { gLog.push_back("reset " + std::to_string(d)); }
inline void OutClose(int d) { gLog.push_back("close " + std::to_string(d)); }
inline void OutCancel(int, int64_t) {}
inline const MidiOutDriver kOutDriver{OutCount, OutName, OutOpen, OutSend, OutCancel, OutReset, OutClose};

// Log lines that start with `prefix` (or, for ":", the messages sent).
inline Strings Logged(const std::string& prefix) {
  Strings out;
  for (const std::string& s : gLog)
    if (prefix == ":" ? s.find(':') != std::string::npos : s.rfind(prefix, 0) == 0) out.push_back(s);
  return out;
}

// An input double for the full reset: devices with their open result.
inline std::vector<std::pair<std::string, int>> gInDevices;
inline int InCount() { return (int)gInDevices.size(); }
inline bool InName(int i, std::string* n) { return i >= 0 && i < InCount() && (*n = gInDevices[i].first, true); }
inline int InOpen(int i, void** h) {
  static int token;
  int result = i < 0 || i >= InCount() ? 2 : gInDevices[i].second;
  *h = result == 0 ? &token : nullptr;
  return result;
}
inline const MidiInDriver kInDriver{InCount, InName, InOpen, [] { return 0; }, [] {}, [](int) { return "-"; },
                             [] { return true; }};

class OutputDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    gPorts.clear();
    gSynthOpens = true;
    gLog.clear();
    SetMidiOutDriver(&kOutDriver);
    SetMidiOutputPort(DeviceMidiOutputPort());
    gMidiOutNameLoaded = false;
    gMidiOutName.clear();
    gMidiOutOpenName.clear();
    gMidiOutDeviceIndex = -1;
    gNoSoundOutputSaid = false;
  }
  void TearDown() override {
    CloseMidiOutput();
    SetMidiOutputPort(nullptr);
    SetMidiOutDriver(nullptr);
    SetMidiInDriver(nullptr);
  }
  void Save(const char* content) {
    if (content) WriteFileBytes(dir_.File("Data/midi_output_device.txt"), content);
    else std::remove(dir_.File("Data/midi_output_device.txt").c_str());
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};
