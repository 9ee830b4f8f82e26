// Click sounds: the WAV image byte for byte, and which of file, memory image and beep a click
// ends up on.
#include <gtest/gtest.h>

#include <atomic>
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

// The click's shape in double precision, as an independent reference for the samples (the image
// is computed in single precision, so a few units of difference are expected).
double Reference(double f, double duration, double volume, bool accent, long k) {
  long n = std::max(1L, std::lround(duration * 22050));
  double t = k / 22050.0, p = k / (double)std::max(n - 1, 1L);
  double e1 = std::exp(-p * (accent ? 7.5 : 9.5)), e2 = std::exp(-p * (accent ? 18 : 22));
  double attack = std::min(1.0, t / 0.0025);
  double s = std::sin(2 * M_PI * (accent ? 2800 : 2100) * t) * (accent ? 0.55 : 0.42) * e2 * attack +
             std::sin(2 * M_PI * f * t) * 0.5 * e1 + std::sin(2 * M_PI * 2 * f * t) * 0.18 * e1;
  return std::max(-1.0, std::min(1.0, s * volume)) * 32767;
}

// Header, sizes and every sample; a loud click is clamped, not wrapped; no volume is silence.
TEST(ClickWav, HeaderSizesAndSamples) {
  const struct {
    float f, duration, volume;
    bool accent;
    uint32_t samples;
  } cases[] = {
      {1480, 0.03f, 0.52f, false, 662}, {920, 0.04f, 0.72f, true, 882}, {300, 0.05f, 4.0f, false, 1103},
      {440, 0.0f, 0.5f, false, 1},      {1000, 0.02f, 0.0f, false, 441}, {440, -1.0f, 0.5f, true, 1},
  };
  const uint8_t header[36] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0,
                              0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.f);
    std::vector<uint8_t> wav = MakeClickWav(c.f, c.duration, c.volume, c.accent);
    ASSERT_EQ(wav.size(), 44 + 2 * c.samples);
    for (size_t i = 0; i < 36; ++i) EXPECT_TRUE((i >= 4 && i <= 7) || wav[i] == header[i]) << "byte " << i;
    EXPECT_EQ(Le32(wav, 4), 36 + 2 * c.samples);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(Le32(wav, 40), 2 * c.samples);
    for (long k = 0; k < (long)c.samples; ++k) {
      ASSERT_TRUE(c.volume != 0 || Sample(wav, k) == 0) << k;
      EXPECT_NEAR(Sample(wav, k), Reference(c.f, c.duration, c.volume, c.accent, k), 8.0) << "k " << k;
    }
  }
}

// A player double: what was asked of it, and whether file and memory playing succeed.
std::mutex gMutex;
std::vector<std::string> gCalls;
bool gFileOk, gMemoryOk;

void Called(const std::string& what) {
  std::lock_guard<std::mutex> lock(gMutex);
  gCalls.push_back(what);
}
// The beat the clicks are asked for: file and memory sounds start from it.
constexpr int64_t kBeatUs = 1000123456789;
std::string AtTheBeat(int64_t dueUs) { return dueUs == kBeatUs ? "" : " not from its beat"; }
bool FakeFile(const std::string& path, int64_t dueUs) { return Called("file " + path + AtTheBeat(dueUs)), gFileOk; }
bool FakeMemory(const std::vector<uint8_t>& wav, int64_t dueUs) {
  const char* which = wav.size() == 44 + 1324 ? "memory normal" : wav.size() == 44 + 1764 ? "memory accent" : "memory ?";
  Called(which + AtTheBeat(dueUs));
  return gMemoryOk;
}
void FakeBeep(int f, int ms) { Called("beep " + std::to_string(f) + " " + std::to_string(ms)); }

TEST(PlayClick, FallsBackFromFileToMemoryToBeep) {
  static const ClickPlayer player{FakeFile, FakeMemory, FakeBeep};
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
      {"accent with the option off is a normal click", true, false, "/m/downbeat.wav", true, true, {"memory normal"}},
      {"plain beat never uses the file", false, true, "/m/downbeat.wav", true, true, {"memory normal"}},
      {"memory fails: the plain beep", false, true, "", true, false, {"memory normal", "beep 1480 12"}},
      {"everything fails for an accent: the low beep", true, true, "/m/x.wav", false, false,
       {"file /m/x.wav", "memory accent", "beep 1046 16"}},
  };
  for (const auto& c : cases) {
    gCalls.clear();
    gFileOk = c.fileOk;
    gMemoryOk = c.memoryOk;
    TeachingState settings;
    settings.downbeatSound = c.option;
    settings.downbeatWavPath = c.path;
    PlayClick(settings, c.accent, kBeatUs);
    auto count = [] { return std::lock_guard<std::mutex>(gMutex), gCalls.size(); };
    for (int i = 0; i < 400 && count() < c.calls.size(); ++i)  // the fallback may run on a thread
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::lock_guard<std::mutex> lock(gMutex);
    EXPECT_EQ(gCalls, c.calls) << c.what;
  }
  SetClickPlayer(nullptr);
}

// Beats keep coming while a failing device's beep still sounds: they do not pile up threads on
// the device; the first beat after the beep is over beeps again.
std::atomic<bool> gBeepHeld{false};
std::atomic<int> gBeepsStarted{0};
bool Fails(const std::vector<uint8_t>&, int64_t) { return false; }
void HeldBeep(int, int) {
  ++gBeepsStarted;
  while (gBeepHeld.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(PlayClick, OneBeepAtATime) {
  static const ClickPlayer player{FakeFile, Fails, HeldBeep};
  SetClickPlayer(&player);
  TeachingState settings;
  auto waitFor = [](int beeps) {
    for (int i = 0; i < 2000 && gBeepsStarted.load() < beeps; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  };
  gBeepHeld = true;
  PlayClick(settings, false, kBeatUs);
  waitFor(1);
  for (int beat = 0; beat < 20; ++beat) PlayClick(settings, beat % 2, kBeatUs);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(gBeepsStarted.load(), 1);
  gBeepHeld = false;
  bool again = false;
  for (int i = 0; i < 2000 && !again; ++i) {  // the thread lets go of the beep just after the tone
    PlayClick(settings, false, kBeatUs);
    again = gBeepsStarted.load() >= 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(again);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  SetClickPlayer(nullptr);
}

TEST(StopMetronome, StopsOnlyARunningClick) {
  for (auto [on, gridAfter, flashAfter] : {std::tuple{1, 0, 0.0f}, {0, 1, 0.62f}}) {
    gTeachingState.metronomeOn = on;
    gTeachingState.gridRunning = 1;
    gTeachingState.clickFlash = 0.62f;
    StopMetronome();
    EXPECT_EQ(gTeachingState.metronomeOn, 0);
    EXPECT_EQ(gTeachingState.gridRunning, gridAfter);
    EXPECT_FLOAT_EQ(gTeachingState.clickFlash, flashAfter);
  }
}

}  // namespace
