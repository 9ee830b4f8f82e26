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

#include "midi/click.h"
#include "platform/audio.h"
#include "platform/synth.h"
#include "tests/support/test_support.h"

namespace {

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
  // Bytes captured so far (the driver writes in real time).
  size_t Mark() const {
    struct stat st;
    return stat(dir_.File("out.raw").c_str(), &st) == 0 ? (size_t)st.st_size : 0;
  }
  static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // Root mean square of the captured float samples between two marks, trimmed by `trimMs` at both
  // ends (the file lags what was asked by up to a buffer).
  double Rms(size_t from, size_t to, int trimMs = 60) const {
    std::string bytes = ReadFileBytes(dir_.File("out.raw"));
    size_t trim = (size_t)trimMs * 44100 / 1000 * 2 * sizeof(float);
    from += trim;
    to = to > trim ? to - trim : 0;
    if (to > bytes.size()) to = bytes.size();
    from -= from % sizeof(float);
    double sum = 0;
    size_t n = 0;
    for (size_t at = from; at + sizeof(float) <= to; at += sizeof(float)) {
      float v;
      std::memcpy(&v, bytes.data() + at, sizeof v);
      sum += (double)v * v;
      ++n;
    }
    return n ? std::sqrt(sum / n) : -1.0;
  }
  TempDir dir_;
};

TEST_F(CapturedAudio, NotesSoundAndStopOnReleaseAndReset) {
  ASSERT_TRUE(SynthOpen());
  EXPECT_EQ(AudioSampleRate(), 44100);
  Wait(300);
  size_t quietStart = Mark();
  Wait(300);
  size_t noteStart = Mark();
  SynthSend(0x643C90);  // middle C
  SynthSend(0x644090);  // E
  SynthSend(0x644390);  // G
  Wait(600);
  size_t noteEnd = Mark();
  SynthSend(0x003C80);
  SynthSend(0x004090);  // velocity 0 releases too
  SynthSend(0x004380);
  Wait(2500);  // release and reverb tail
  size_t tailEnd = Mark();
  Wait(400);
  size_t afterRelease = Mark();
  SynthSend(0x7F3090);
  Wait(300);
  size_t beforeReset = Mark();
  SynthReset();
  Wait(150);
  size_t resetStart = Mark();
  Wait(400);
  size_t resetEnd = Mark();
  ASSERT_GT(resetEnd, quietStart) << "nothing was captured";

  double silence = Rms(quietStart, noteStart);
  double chord = Rms(noteStart, noteEnd);
  double released = Rms(tailEnd, afterRelease);
  double held = Rms(afterRelease, beforeReset);
  double reset = Rms(resetStart, resetEnd);
  RecordProperty("chord_rms", std::to_string(chord));
  EXPECT_LT(silence, 1e-4);
  EXPECT_GT(chord, 0.02) << "a chord at velocity 100 is clearly audible";
  EXPECT_LT(released, 2e-3);
  EXPECT_GT(held, 0.01);
  EXPECT_LT(reset, 1e-3);
}

TEST_F(CapturedAudio, ClicksAndTheBeepAreMixedIn) {
  ASSERT_TRUE(AudioOpen());
  Wait(200);
  std::vector<uint8_t> click = MakeClickWav(1480, 0.2f, 0.8f, false);  // a long click to measure
  size_t before = Mark();
  ASSERT_TRUE(AudioPlayWavMemory(click.data(), click.size()));
  Wait(150);
  size_t during = Mark();
  Wait(500);
  size_t after = Mark();
  EXPECT_GT(Rms(before, during, 0), 0.01);
  EXPECT_LT(Rms(during, after, 200), 1e-4) << "the click ends";

  std::vector<uint8_t> broken = {'R', 'I', 'F', 'F', 1, 2, 3};
  EXPECT_FALSE(AudioPlayWavMemory(broken.data(), broken.size()));
  EXPECT_FALSE(AudioPlayWavFile(dir_.File("missing.wav")));

  size_t beepStart = Mark();
  EXPECT_TRUE(AudioBeep(1046, 300));  // returns after the tone
  size_t beepEnd = Mark();
  EXPECT_GT(Rms(beepStart, beepEnd, 80), 0.1);
}

TEST(NoAudioDevice, EverythingFailsQuietly) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(AudioOpen());
  EXPECT_FALSE(SynthOpen());
  std::vector<uint8_t> click = MakeClickWav(1480, 0.03f, 0.52f, false);
  EXPECT_FALSE(AudioPlayWavMemory(click.data(), click.size()));
  EXPECT_FALSE(AudioBeep(1000, 10));
  SynthSend(0x643C90);  // no synthesiser loaded: nothing happens
  SynthReset();
}

}  // namespace
