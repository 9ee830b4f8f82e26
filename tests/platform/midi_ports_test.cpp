// Which ports of the MIDI service are offered, in which order, and how long a short message is.
#include <gtest/gtest.h>

#include "platform/midi_ports.h"

namespace {

TEST(MidiPortClass, HardwareFirstNeverOurOwnNorTheThroughPortAsKeyboard) {
  const struct {
    const char* name;
    int asInput, asOutput;
  } cases[] = {
      {"Midi Through:Midi Through Port-0 14:0", -1, 1},
      {"USB Keyboard:USB Keyboard MIDI 1 20:0", 0, 0},
      {"Digital Piano:Digital Piano MIDI 1 127:0", 0, 0},
      {"VMPK Output:out 128:0", 1, 1},
      {"Tonvarra:input 129:0", -1, -1},
      {"Tonvarra-01:output", -1, -1},
      {"system:midi_capture_1", 0, 0},
      {"a2j:USB Keyboard [20] (capture): USB Keyboard MIDI 1", 0, 0},
      {"Midi-Bridge:USB Keyboard 1:(capture_0) USB Keyboard MIDI 1", 0, 0},
      {"peer:keys", 1, 1},
      {"odd name 12x:4", 1, 1},  // no client number
      {"odd name :4", 1, 1},
      {"", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MidiPortClass(c.name, true), c.asInput) << c.name;
    EXPECT_EQ(MidiPortClass(c.name, false), c.asOutput) << c.name;
  }
}

TEST(MidiShortMessageLength, FollowsTheStatusByte) {
  const std::pair<uint8_t, int> cases[] = {
      {0x00, 0}, {0x7F, 0}, {0x80, 3}, {0x9F, 3}, {0xA0, 3}, {0xB5, 3}, {0xC0, 2}, {0xCF, 2}, {0xD3, 2}, {0xE0, 3},
      {0xF0, 0}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF7, 0}, {0xF8, 1}, {0xFE, 1}, {0xFF, 1},
  };
  for (auto [status, length] : cases) EXPECT_EQ(MidiShortMessageLength(status), length) << std::hex << (int)status;
}

}  // namespace
