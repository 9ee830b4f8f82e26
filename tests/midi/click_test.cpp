// Click sounds: the WAV image byte for byte, and which of file, memory image and beep a click
// ends up on.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/click.h"
#include "practice/teaching_state.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | ((uint32_t)b[at + 3] << 24);
}
int16_t Sample(const std::vector<uint8_t>& b, size_t k) { return (int16_t)(b[44 + 2 * k] | (b[45 + 2 * k] << 8)); }

// The click's formula in double precision, as an independent reference for the samples (the
// image is computed in single precision, so a few units of difference are expected).
double Reference(double f, double duration, double volume, bool accent, long k) {
  long n = std::max(1L, std::lround(duration * 22050));
  double t = k / 22050.0, p = k / (double)std::max(n - 1, 1L);
  double e1 = std::exp(-p * (accent ? 7.5 : 9.5)), e2 = std::exp(-p * (accent ? 18 : 22));
  double attack = std::min(1.0, t / 0.0025);
  double s = std::sin(2 * M_PI * (accent ? 2800 : 2100) * t) * (accent ? 0.55 : 0.42) * e2 * attack +
             std::sin(2 * M_PI * f * t) * 0.5 * e1 + std::sin(2 * M_PI * 2 * f * t) * 0.18 * e1;
  return std::max(-1.0, std::min(1.0, s * volume)) * 32767;
}

TEST(ClickWav, HeaderAndSizes) {
  const struct {
    float f, duration, volume;
    bool accent;
    uint32_t samples;
  } cases[] = {
      {1480, 0.03f, 0.52f, false, 662}, {920, 0.04f, 0.72f, true, 882},
      {440, 0.0f, 0.5f, false, 1},      {1000, 0.02f, 0.0f, false, 441},
      {440, -1.0f, 0.5f, true, 1},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> wav = MakeClickWav(c.f, c.duration, c.volume, c.accent);
    ASSERT_EQ(wav.size(), 44 + 2 * c.samples) << c.f;
    const uint8_t header[36] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};
    for (size_t i = 0; i < 36; ++i)
      if (i < 4 || i > 7) EXPECT_EQ(wav[i], header[i]) << c.f << " byte " << i;
    EXPECT_EQ(Le32(wav, 4), 36 + 2 * c.samples);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(Le32(wav, 40), 2 * c.samples);
    EXPECT_EQ(Sample(wav, 0), 0) << "every sine starts at 0";
  }
  std::vector<uint8_t> normal = MakeClickWav(1480, 0.03f, 0.52f, false);
  EXPECT_EQ(Le32(normal, 40), 1324u);
  EXPECT_EQ(Le32(normal, 4), 1360u);
}

TEST(ClickWav, SamplesFollowTheClickShape) {
  const struct {
    float f, duration, volume;
    bool accent;
  } cases[] = {{1480, 0.03f, 0.52f, false}, {920, 0.04f, 0.72f, true}, {300, 0.05f, 4.0f, false}};
  for (const auto& c : cases) {
    std::vector<uint8_t> wav = MakeClickWav(c.f, c.duration, c.volume, c.accent);
    long n = (long)(wav.size() - 44) / 2;
    int peak = 0;
    for (long k = 0; k < n; ++k) {
      EXPECT_NEAR(Sample(wav, k), Reference(c.f, c.duration, c.volume, c.accent, k), 8.0) << c.f << " k " << k;
      peak = std::max(peak, std::abs((int)Sample(wav, k)));
    }
    EXPECT_GT(peak, 3000) << c.f;
    EXPECT_LT(std::abs((int)Sample(wav, n - 1)), peak / 8) << c.f << ": the click dies away";
  }
  std::vector<uint8_t> loud = MakeClickWav(300, 0.05f, 4.0f, false);
  bool clipped = false;
  for (size_t k = 0; k < (loud.size() - 44) / 2; ++k) clipped |= Sample(loud, k) == 32767 || Sample(loud, k) == -32767;
  EXPECT_TRUE(clipped) << "a loud click is clamped, not wrapped";
  std::vector<uint8_t> silent = MakeClickWav(1000, 0.02f, 0.0f, false);
  for (size_t i = 44; i < silent.size(); ++i) ASSERT_EQ(silent[i], 0) << i;
}

// A player double: what was asked of it, and whether file and memory playing succeed.
struct FakePlayer {
  static std::mutex& Mutex() {
    static std::mutex m;
    return m;
  }
  static std::vector<std::string>& Calls() {
    static std::vector<std::string> c;
    return c;
  }
  static bool fileOk, memoryOk;
  static bool File(const std::string& path) {
    std::lock_guard<std::mutex> lock(Mutex());
    Calls().push_back("file " + path);
    return fileOk;
  }
  static bool Memory(const std::vector<uint8_t>& wav) {
    std::lock_guard<std::mutex> lock(Mutex());
    Calls().push_back(wav.size() == 44 + 1324 ? "memory normal" : wav.size() == 44 + 1764 ? "memory accent" : "memory ?");
    return memoryOk;
  }
  static void Beep(int f, int ms) {
    std::lock_guard<std::mutex> lock(Mutex());
    Calls().push_back("beep " + std::to_string(f) + " " + std::to_string(ms));
  }
  static std::vector<std::string> Wait(size_t count) {
    for (int i = 0; i < 400; ++i) {
      {
        std::lock_guard<std::mutex> lock(Mutex());
        if (Calls().size() >= count) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::lock_guard<std::mutex> lock(Mutex());
    return Calls();
  }
};
bool FakePlayer::fileOk = true;
bool FakePlayer::memoryOk = true;

TEST(PlayClick, FallsBackFromFileToMemoryToBeep) {
  static const ClickPlayer player{FakePlayer::File, FakePlayer::Memory, FakePlayer::Beep};
  SetClickPlayer(&player);
  const struct {
    const char* what;
    bool accent, option;
    const char* path;
    bool fileOk, memoryOk;
    std::vector<std::string> calls;
  } cases[] = {
      {"accent from the downbeat file", true, true, "/m/downbeat.wav", true, true, {"file /m/downbeat.wav"}},
      {"unplayable file: synthesised accent", true, true, "/m/downbeat.wav", false, true,
       {"file /m/downbeat.wav", "memory accent"}},
      {"no file: synthesised accent", true, true, "", true, true, {"memory accent"}},
      {"accent with the option off is a normal click", true, false, "/m/downbeat.wav", true, true,
       {"memory normal"}},
      {"plain beat never uses the file", false, true, "/m/downbeat.wav", true, true, {"memory normal"}},
      {"memory fails: the plain beep", false, true, "", true, false, {"memory normal", "beep 1480 12"}},
      {"everything fails for an accent: the low beep", true, true, "/m/x.wav", false, false,
       {"file /m/x.wav", "memory accent", "beep 1046 16"}},
  };
  for (const auto& c : cases) {
    FakePlayer::Calls().clear();
    FakePlayer::fileOk = c.fileOk;
    FakePlayer::memoryOk = c.memoryOk;
    TeachingState settings;
    settings.downbeatSound = c.option;
    settings.downbeatWavPath = c.path;
    PlayClick(settings, c.accent);
    EXPECT_EQ(FakePlayer::Wait(c.calls.size()), c.calls) << c.what;
  }
  SetClickPlayer(nullptr);
}

TEST(StopMetronome, StopsOnlyARunningClick) {
  const struct {
    uint8_t on;
    uint8_t gridAfter;
    float flashAfter;
  } cases[] = {{1, 0, 0.0f}, {0, 1, 0.62f}};
  for (const auto& c : cases) {
    gTeachingState.metronomeOn = c.on;
    gTeachingState.gridRunning = 1;
    gTeachingState.clickFlash = 0.62f;
    StopMetronome();
    EXPECT_EQ(gTeachingState.metronomeOn, 0);
    EXPECT_EQ(gTeachingState.gridRunning, c.gridAfter);
    EXPECT_FLOAT_EQ(gTeachingState.clickFlash, c.flashAfter);
  }
}

}  // namespace
