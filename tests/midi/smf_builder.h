// tests/midi: builds Standard MIDI Files byte by byte for the reader and transport tests.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

namespace smf {

inline std::string Be32(uint32_t v) {
  return std::string{(char)(v >> 24), (char)(v >> 16), (char)(v >> 8), (char)v};
}
inline std::string Be16(uint16_t v) { return std::string{(char)(v >> 8), (char)v}; }

// A variable-length quantity in its shortest form.
inline std::string Vlq(uint32_t v) {
  std::string out(1, (char)(v & 0x7F));
  while (v >>= 7) out.insert(out.begin(), (char)(0x80 | (v & 0x7F)));
  return out;
}

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back((char)b);
  return out;
}

inline std::string Header(uint16_t tracks, uint16_t division, uint16_t format = 1) {
  return "MThd" + Be32(6) + Be16(format) + Be16(tracks) + Be16(division);
}
inline std::string Chunk(const std::string& id, const std::string& body) {
  return id + Be32((uint32_t)body.size()) + body;
}
inline std::string Track(const std::string& body) { return Chunk("MTrk", body); }

// One event: its delta and its bytes as they stand (status included or left to running status).
inline std::string Ev(uint32_t delta, std::initializer_list<int> bytes) { return Vlq(delta) + Bytes(bytes); }
inline std::string On(uint32_t delta, int note, int vel, int ch = 0) { return Ev(delta, {0x90 | ch, note, vel}); }
inline std::string Off(uint32_t delta, int note, int ch = 0) { return Ev(delta, {0x80 | ch, note, 0}); }
inline std::string Pedal(uint32_t delta, int value, int ch = 0) { return Ev(delta, {0xB0 | ch, 64, value}); }
inline std::string Tempo(uint32_t delta, uint32_t usPerQuarter) {
  return Vlq(delta) + Bytes({0xFF, 0x51, 3, (int)(usPerQuarter >> 16) & 0xFF,
                             (int)(usPerQuarter >> 8) & 0xFF, (int)usPerQuarter & 0xFF});
}
inline std::string KeySig(uint32_t delta, int sharps, int minorByte) {
  return Vlq(delta) + Bytes({0xFF, 0x59, 2, sharps & 0xFF, minorByte});
}
// A time signature: numerator, note value as a power of two (2 = quarter), 32nds per quarter,
// MIDI clocks per click (24 = a quarter).
inline std::string TimeSig(uint32_t delta, int numerator, int power, int quarter32nds = 8, int clocks = 24) {
  return Vlq(delta) + Bytes({0xFF, 0x58, 4, numerator, power, clocks, quarter32nds});
}
inline std::string EndOfTrack(uint32_t delta = 0) { return Vlq(delta) + Bytes({0xFF, 0x2F, 0}); }

// A whole file of one header and these tracks.
inline std::string File(uint16_t division, std::initializer_list<std::string> trackBodies) {
  std::string out = Header((uint16_t)trackBodies.size(), division);
  for (const std::string& body : trackBodies) out += Track(body);
  return out;
}

}  // namespace smf
