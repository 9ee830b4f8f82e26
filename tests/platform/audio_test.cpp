// The sound device captured to a file (SDL's disk driver): the built-in synthesiser sounds notes
// and falls silent after their release and after a reset; clicks and the beep are mixed in; a
// device lost under the program is replaced by the default one.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/synth.h"
#include "tests/support/test_support.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' runtime calls these on every allocation and release (no header of GCC's has it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

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
  // The device fails under the program as an unplugged one does: every write to the captured file
  // fails from now on (the disk driver then reports the device lost, as SDL's other drivers do a
  // vanished one). The file keeps what was written before.
  void LoseDevice() const {
    char want[PATH_MAX];
    ASSERT_NE(realpath(dir_.File("out.raw").c_str(), want), nullptr);
    DIR* fds = opendir("/proc/self/fd");
    ASSERT_NE(fds, nullptr);
    int found = -1;
    while (dirent* entry = readdir(fds)) {
      char target[PATH_MAX];
      std::string link = std::string("/proc/self/fd/") + entry->d_name;
      ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
      if (n > 0 && (target[n] = '\0', std::strcmp(target, want) == 0)) found = std::atoi(entry->d_name);
    }
    closedir(fds);
    ASSERT_GE(found, 0) << "the device does not write the captured file";
    int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ASSERT_EQ(dup2(full, found), found);
    close(full);
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

// With the sound device open and no soundfont to load, the synthesiser says why in words a user can
// act on (which soundfonts were looked for or are damaged), rather than leaving the device blamed.
// Loading again after a success has nothing to report. (Each case holds in a process of its own.)
TEST_F(CapturedAudio, ASoundfontThatCannotLoadIsNamedAsTheReason) {
  SetSoundfontsForTesting({dir_.File("missing.sf2")});
  EXPECT_FALSE(SynthOpen());
  EXPECT_NE(SynthLastError().find("no General MIDI soundfont is installed"), std::string::npos) << SynthLastError();
  EXPECT_NE(SynthLastError().find(dir_.File("missing.sf2")), std::string::npos) << SynthLastError();
  EXPECT_EQ(AudioLastError(), "") << "the device itself opened";

  WriteFileBytes(dir_.File("empty.sf2"), "");
  WriteFileBytes(dir_.File("cut.sf2"), std::string("RIFF\x04\x00\x00\x00sfbk", 12));  // a header, no body
  SetSoundfontsForTesting({dir_.File("missing.sf2"), dir_.File("empty.sf2"), dir_.File("cut.sf2")});
  EXPECT_FALSE(SynthOpen());
  const std::string damaged = SynthLastError();
  EXPECT_NE(damaged.find("can be read"), std::string::npos) << damaged;
  EXPECT_NE(damaged.find(dir_.File("empty.sf2")), std::string::npos) << damaged;
  EXPECT_NE(damaged.find(dir_.File("cut.sf2")), std::string::npos) << damaged;
  EXPECT_EQ(damaged.find(dir_.File("missing.sf2")), std::string::npos) << "only files found are called damaged";

  SetSoundfontsForTesting({});
  ASSERT_TRUE(SynthOpen());
  EXPECT_EQ(SynthLastError(), "");
  SynthClose();
}

// A lost device (unplugged, the sound service restarted) is replaced by the default one when sound
// is next asked for, as a song opened again asks: a note held through the loss sounds on, in the
// instrument it was given.
TEST_F(CapturedAudio, ALostDeviceIsReplacedAndAHeldNoteSoundsOn) {
  ASSERT_TRUE(SynthOpen());
  SynthSend(0x13C0);    // church organ: it sounds as long as the key is held
  SynthSend(0x643C90);
  size_t before = MarkAfter(200);
  EXPECT_GT(Rms(before, MarkAfter(300)), 0.01);

  LoseDevice();
  size_t lost = MarkAfter(200);
  ASSERT_EQ(MarkAfter(300), lost) << "the device still plays: it was not lost";
  EXPECT_TRUE(SynthIsOpen());

  EXPECT_TRUE(SynthOpen());
  EXPECT_TRUE(AudioIsOpen());
  size_t back = MarkAfter(100), held = MarkAfter(400);
  EXPECT_GT(Rms(back, held), 0.01) << "no sound after the device was lost";
  SynthSend(0x003C80);
  size_t released = MarkAfter(1500);
  EXPECT_LT(Rms(released, MarkAfter(300)), 2e-3) << "the note held through the loss ends on its release";
}

// While no device opens in place of a lost one the synthesiser keeps time, silently: what a song
// played meanwhile is not played late, all at once, by the device that opens next.
TEST_F(CapturedAudio, NotesPlayedWhileNoDeviceOpensAreNotPlayedLater) {
  ASSERT_TRUE(SynthOpen());
  LoseDevice();
  MarkAfter(100);
  setenv("SDL_DISKAUDIOFILE", dir_.File("gone/out.raw").c_str(), 1);  // no such folder: no device
  EXPECT_FALSE(SynthOpen());
  EXPECT_FALSE(AudioIsOpen());
  EXPECT_NE(AudioLastError(), "");
  for (uint32_t key = 60; key < 72; ++key) {
    SynthSendAt(0x640090u | key << 8, ClockMicros64());
    MarkAfter(60);
    SynthSendAt(0x000080u | key << 8, ClockMicros64());
    MarkAfter(40);
  }
  MarkAfter(2500);  // the tails end, and a failed open may be tried again
  setenv("SDL_DISKAUDIOFILE", dir_.File("out.raw").c_str(), 1);
  ASSERT_TRUE(SynthOpen());
  size_t opened = MarkAfter(500);
  EXPECT_LT(Rms(0, opened, 0), 2e-3) << "the notes of the silent time sounded when the device opened";
  SynthSend(0x643C90);
  size_t noteStart = MarkAfter(100);
  EXPECT_GT(Rms(noteStart, MarkAfter(300)), 0.01) << "the synthesiser plays on the new device";
  SynthSend(0x003C80);
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

// The largest single allocation of any thread while watching is on, as the sanitizers' allocation
// hook sees it (the sound library allocates through malloc too).
std::atomic<bool> gWatchAllocations{false};
std::atomic<size_t> gLargestAllocation{0};
void NoteAllocation(const volatile void*, size_t size) {
  if (!gWatchAllocations.load(std::memory_order_relaxed)) return;
  size_t seen = gLargestAllocation.load();
  while (size > seen && !gLargestAllocation.compare_exchange_weak(seen, size)) {
  }
}
void NoteFree(const volatile void*) {}

void PutLe32(std::vector<uint8_t>& wav, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) wav[at + (size_t)i] = (uint8_t)(v >> (8 * i));
}

// A damaged sound file's header claims far more than the file holds, or a rate that would make
// minutes of sound of it: nothing near that is allocated (a downbeat sound is decoded at every
// accented beat), and what can be played is.
// Whether the allocation hook is in place (installed once for the whole run).
bool AllocationsWatched() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  static const bool hooked = __sanitizer_install_malloc_and_free_hooks(NoteAllocation, NoteFree) != 0;
  return hooked;
#else
  return false;
#endif
}

// The sound device open on the dummy driver, with the allocations watched.
class WatchedAudio : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    ASSERT_TRUE(AllocationsWatched());
#else
    GTEST_SKIP() << "allocations are seen through the sanitizers' hook";
#endif
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!AudioOpen()) GTEST_SKIP() << AudioLastError();
  }
  void TearDown() override { AudioClose(); }
};
using DamagedClickSound = WatchedAudio;
using LargeClickSound = WatchedAudio;

TEST_F(DamagedClickSound, PlaysWhatItHoldsWithoutAllocatingItsClaim) {
  std::vector<uint8_t> dataClaim = ToneWav(1480, 0.05f, 0.5f);
  PutLe32(dataClaim, 40, 0xFFFFFFF0u);  // a data chunk of 4 GB
  std::vector<uint8_t> oneHertz = ToneWav(1480, 0.05f, 0.5f);
  PutLe32(oneHertz, 24, 1), PutLe32(oneHertz, 28, 2);  // 1,102 samples at one a second
  std::vector<uint8_t> fiveMinutes = ToneWav(1480, 13.61f, 0.5f);
  PutLe32(fiveMinutes, 24, 1000), PutLe32(fiveMinutes, 28, 2000);  // 300,000 samples at 1 kHz
  const struct {
    const char* what;
    const std::vector<uint8_t>& wav;
    bool plays;
  } cases[] = {{"a data chunk claiming 4 GB", dataClaim, true},
               {"one sample a second", oneHertz, false},
               {"five minutes at a low rate", fiveMinutes, true}};
  for (const auto& c : cases) {
    gLargestAllocation = 0;
    gWatchAllocations = true;
    EXPECT_EQ(AudioPlayWavMemoryAt(c.wav.data(), c.wav.size(), kAudioAtOnce), c.plays) << c.what;
    gWatchAllocations = false;
    EXPECT_LT(gLargestAllocation.load(), (size_t)16 << 20) << c.what;
  }
}

// A downbeat sound file is asked for at every accented beat: a large one (a long recording, a
// take with minutes of silence after the hit) is read and decoded once, not again at each beat, yet
// a file changed on disk is read afresh, a broken one failing and a mended one playing.
TEST_F(LargeClickSound, IsReadOnceWhileTheFileStaysAsItWas) {
  TempDir dir;
  const std::string path = dir.File("downbeat.wav");
  std::vector<uint8_t> wav = ToneWav(920, 0.05f, 0.5f);
  const uint32_t silence = 40u << 20;   // 40 MB of silence after the hit
  wav.resize(wav.size() + silence, 0);
  PutLe32(wav, 4, (uint32_t)wav.size() - 8), PutLe32(wav, 40, (uint32_t)wav.size() - 44);
  const std::string whole(wav.begin(), wav.end());
  WriteFileBytes(path, whole);

  ASSERT_TRUE(AudioPlayWavFileAt(path, kAudioAtOnce));
  for (int beat = 0; beat < 3; ++beat) {
    gLargestAllocation = 0;
    gWatchAllocations = true;
    EXPECT_TRUE(AudioPlayWavFileAt(path, kAudioAtOnce)) << "beat " << beat;
    gWatchAllocations = false;
    EXPECT_LT(gLargestAllocation.load(), (size_t)16 << 20) << "beat " << beat << " read the file again";
  }

  WriteFileBytes(path, "RIFF, then no sound at all");
  EXPECT_FALSE(AudioPlayWavFileAt(path, kAudioAtOnce)) << "the broken file replacing it";
  WriteFileBytes(path, whole);
  EXPECT_TRUE(AudioPlayWavFileAt(path, kAudioAtOnce)) << "the good file back";
  std::remove(path.c_str());
  EXPECT_FALSE(AudioPlayWavFileAt(path, kAudioAtOnce)) << "the file gone";
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
