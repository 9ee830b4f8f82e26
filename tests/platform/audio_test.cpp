// The sound device captured to a file (SDL's disk driver): the built-in synthesiser sounds notes
// and falls silent after their release and after a reset; clicks and the beep are mixed in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/synth.h"
#include "tests/support/test_support.h"

namespace {

// A whole WAV image (22050 Hz, mono, 16-bit) of a sine tone.
std::vector<uint8_t> ToneWav(float frequencyHz, float seconds, float volume) {
  const uint32_t rate = 22050, samples = (uint32_t)(seconds * (float)rate), bytes = samples * 2;
  std::vector<uint8_t> wav;
  auto put = [&wav](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) wav.push_back((uint8_t)(v >> (8 * i)));
  };
  for (char c : std::string("RIFF")) wav.push_back((uint8_t)c);
  put(36 + bytes, 4);
  for (char c : std::string("WAVEfmt ")) wav.push_back((uint8_t)c);
  put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
  for (char c : std::string("data")) wav.push_back((uint8_t)c);
  put(bytes, 4);
  for (uint32_t i = 0; i < samples; ++i)
    put((uint16_t)(int16_t)(32767.0f * volume * std::sin(6.2831853f * frequencyHz * (float)i / (float)rate)), 2);
  return wav;
}

class CapturedAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir_.File("out.raw").c_str(), 1);
    if (SynthSoundfontPath().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  }
  void TearDown() override {
    SynthClose();
    AudioClose();
  }
  // Waits, then says how many bytes have been captured (the driver writes in real time).
  size_t MarkAfter(int ms) const {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    struct stat st;
    return stat(dir_.File("out.raw").c_str(), &st) == 0 ? (size_t)st.st_size : 0;
  }
  // Root mean square of the captured stereo float samples between two marks, trimmed by `trimMs`
  // at both ends (the file lags what was asked by up to a buffer).
  double Rms(size_t from, size_t to, int trimMs = 60) const {
    std::string bytes = ReadFileBytes(dir_.File("out.raw"));
    size_t trim = (size_t)trimMs * 44100 / 1000 * 2 * sizeof(float);
    from = (from + trim) / sizeof(float) * sizeof(float);
    to = std::min(to > trim ? to - trim : 0, bytes.size());
    double sum = 0;
    size_t n = 0;
    for (size_t at = from; at + sizeof(float) <= to; at += sizeof(float), ++n) {
      float v;
      std::memcpy(&v, bytes.data() + at, sizeof v);
      sum += (double)v * v;
    }
    return n ? std::sqrt(sum / n) : -1.0;
  }
  TempDir dir_;
};

TEST_F(CapturedAudio, NotesSoundAndStopOnReleaseAndReset) {
  ASSERT_TRUE(SynthOpen());
  EXPECT_EQ(AudioSampleRate(), 44100);
  size_t quietStart = MarkAfter(300), noteStart = MarkAfter(300);
  for (uint32_t m : {0x643C90u, 0x644090u, 0x644390u}) SynthSend(m);  // C major at velocity 100
  size_t noteEnd = MarkAfter(600);
  for (uint32_t m : {0x003C80u, 0x004090u, 0x004380u}) SynthSend(m);  // velocity 0 releases too
  size_t tailEnd = MarkAfter(2500);  // release and reverb tail
  size_t afterRelease = MarkAfter(400);
  SynthSend(0x7F3090);
  size_t beforeReset = MarkAfter(300);
  SynthReset();
  size_t resetStart = MarkAfter(150), resetEnd = MarkAfter(400);
  ASSERT_GT(resetEnd, quietStart) << "nothing was captured";

  double chord = Rms(noteStart, noteEnd);
  RecordProperty("chord_rms", std::to_string(chord));
  EXPECT_LT(Rms(quietStart, noteStart), 1e-4);
  EXPECT_GT(chord, 0.02) << "a chord at velocity 100 is clearly audible";
  EXPECT_LT(Rms(tailEnd, afterRelease), 2e-3);
  EXPECT_GT(Rms(afterRelease, beforeReset), 0.01);
  EXPECT_LT(Rms(resetStart, resetEnd), 1e-3);
}

// A damaged soundfont ahead of a sound one is passed over: the synthesiser loads the next and
// notes sound. (The synthesiser is kept for the process: this holds in a process of its own.)
TEST_F(CapturedAudio, ADamagedSoundfontIsPassedOverForTheNext) {
  std::string noise(100000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = (char)(i * 2654435761u >> 13);
  WriteFileBytes(dir_.File("broken.sf2"), "RIFF" + noise);
  SetSoundfontsForTesting({dir_.File("missing.sf2"), dir_.File("broken.sf2"), SynthSoundfontPath()});
  const bool opened = SynthOpen();
  SetSoundfontsForTesting({});
  ASSERT_TRUE(opened) << "the damaged soundfont left no sound";
  size_t noteStart = MarkAfter(200);
  SynthSend(0x643C90);
  size_t noteEnd = MarkAfter(500);
  SynthSend(0x003C80);
  EXPECT_GT(Rms(noteStart, noteEnd), 0.01);
}

TEST_F(CapturedAudio, ClicksAndTheBeepAreMixedIn) {
  ASSERT_TRUE(AudioOpen());
  std::vector<uint8_t> click = ToneWav(1480, 0.2f, 0.8f);  // a long click to measure
  size_t before = MarkAfter(200);
  ASSERT_TRUE(AudioPlayWavMemoryAt(click.data(), click.size(), kAudioAtOnce));
  size_t during = MarkAfter(150), after = MarkAfter(500);
  EXPECT_GT(Rms(before, during, 0), 0.01);
  EXPECT_LT(Rms(during, after, 200), 1e-4) << "the click ends";

  std::vector<uint8_t> broken = {'R', 'I', 'F', 'F', 1, 2, 3};
  EXPECT_FALSE(AudioPlayWavMemoryAt(broken.data(), broken.size(), kAudioAtOnce));
  EXPECT_FALSE(AudioPlayWavFileAt(dir_.File("missing.wav"), kAudioAtOnce));

  size_t beepStart = MarkAfter(0);
  EXPECT_TRUE(AudioBeep(1046, 300));  // returns after the tone
  EXPECT_GT(Rms(beepStart, MarkAfter(0), 80), 0.1);
}

TEST(NoAudioDevice, EverythingFailsQuietly) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(AudioOpen());
  EXPECT_FALSE(SynthOpen());
  std::vector<uint8_t> click = ToneWav(1480, 0.03f, 0.52f);
  EXPECT_FALSE(AudioPlayWavMemoryAt(click.data(), click.size(), kAudioAtOnce));
  EXPECT_FALSE(AudioBeep(1000, 10));
  SynthSend(0x643C90);  // no synthesiser loaded: nothing happens
  SynthReset();
}

}  // namespace
