// tests/support: helpers shared by the tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }            // no trailing "/"
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes the program believe its executable lies in `folder` for the scope's lifetime.
class ScopedExeDir {
 public:
  explicit ScopedExeDir(const std::string& folder);
  ~ScopedExeDir();
};

// Drives the platform clock for the scope's lifetime.
class ScopedDrivenClock {
 public:
  explicit ScopedDrivenClock(uint64_t startMs = 5000000000ull) { ClockDriveBegin(startMs); }
  ~ScopedDrivenClock() { ClockDriveEnd(); }
  void Advance(uint64_t ms) { ClockDriveAdvance(ms); }
};

// Collects DebugLog output for the scope's lifetime.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  std::vector<std::string> Lines() const;
  std::string Text() const;
  bool Contains(const std::string& needle) const;
};

// Whole file as bytes; "" when missing.
std::string ReadFileBytes(const std::string& path);
// Writes bytes, creating parent folders.
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Keeps a frame (RGBA, top row first) as an opaque PNG, name.png, in the "screenshots" folder
// beside the program under test (TONVARRA_BINARY), or in the temporary folder without one, for the
// developer to look at; true when written.
bool KeepScreenshot(const std::string& name, int width, int height, std::vector<uint8_t> rgba);
