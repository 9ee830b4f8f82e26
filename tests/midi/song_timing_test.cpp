// Songs through the real transport, the real synthesiser and SDL's disk audio driver, with onsets
// found in the captured sound. The program's clock is driven by the sound itself: every audio
// callback waits until the main loop's passes due before it have run (drain, pump, judging,
// highlights; every 17 ms, some running late), so every figure is a sample position and a loaded
// machine changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/note_preview.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "platform/audio.h"
#include "platform/messages.h"
#include "platform/synth.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/test_support.h"

using namespace smf;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kOriginUs = 7000000000000;  // the clock at the device's first sample

// The audio thread waits at the start of each callback until the test lets it go.
struct Lockstep {
  std::mutex mutex;
  std::condition_variable cv;
  bool engaged = true;
  uint64_t came = 0, released = 0;  // callbacks
  uint64_t frames = 0;              // frames before the waiting callback
} gStep;

void WaitInCallback(uint64_t framesBefore) {
  std::unique_lock<std::mutex> lock(gStep.mutex);
  uint64_t me = ++gStep.came;
  gStep.frames = framesBefore;
  gStep.cv.notify_all();
  gStep.cv.wait(lock, [&] { return !gStep.engaged || gStep.released >= me; });
}

// Mean, standard deviation and peak to peak of a list, in its unit.
struct Spread {
  double mean = 0, sd = 0, pp = 0, min = 0;
};
Spread SpreadOf(const std::vector<double>& v) {
  Spread s;
  if (v.empty()) return s;
  for (double x : v) s.mean += x / (double)v.size();
  for (double x : v) s.sd += (x - s.mean) * (x - s.mean) / (double)v.size();
  s.sd = std::sqrt(s.sd);
  auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  s.pp = *hi - *lo;
  s.min = *lo;
  return s;
}

class SongTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SynthSoundfontPath().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir_.File("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);  // the lockstep paces the device
    ClockDriveBegin(kOriginUs / 1000);
    SetMidiOutputPort(DeviceMidiOutputPort());
    gMidiOutNameLoaded = true;  // the built-in synthesiser
    AudioSetCallbackHookForTesting(WaitInCallback);
  }
  void TearDown() override {
    {
      std::lock_guard<std::mutex> lock(gStep.mutex);
      gStep.engaged = false;
      gStep.cv.notify_all();
    }
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    AudioSetCallbackHookForTesting(nullptr);
    AudioClose();
    ClockDriveEnd();
  }

  // Runs passes and callbacks in their order on the clock until the sound reaches `untilMs`, and
  // returns with a callback waiting and the clock at its first sample.
  void RunUntil(double untilMs) {
    for (;;) {
      uint64_t frames;
      {
        std::unique_lock<std::mutex> lock(gStep.mutex);
        gStep.cv.wait(lock, [] { return gStep.came > gStep.released; });
        frames = gStep.frames;
      }
      double soundMs = (double)frames * 1000.0 / kRate;
      for (; nextPassMs_ <= soundMs; ++passes_) {
        SetClockMs(nextPassMs_);
        Pass();
        nextPassMs_ += 17 + (passes_ % 5 == 3 ? 8 : passes_ % 3);  // some passes come late
      }
      SetClockMs(soundMs);
      if (soundMs >= untilMs) return;
      std::lock_guard<std::mutex> lock(gStep.mutex);
      ++gStep.released;
      gStep.cv.notify_all();
    }
  }
  void SetClockMs(double ms) { ClockDriveSetMicros(kOriginUs + (int64_t)std::llround(ms * 1000.0)); }
  void Pass() {
    AppMessage m;
    while (TakeAppMessage(&m)) {
    }
    uint32_t t = ClockMs32();
    uint32_t anchor = gPlayStartMs;
    PumpMidiPlayback(t);
    JudgePlayAlongNotes(t, -1);
    UpdateKeyHighlights(t);
    if (gPlayStartMs != anchor) anchors_.push_back(Zero());
  }
  // The song clock's zero on the sound's time line, in ms.
  double Zero() const { return (double)(int32_t)(gPlayStartMs - (uint32_t)(kOriginUs / 1000)); }
  // Loads and starts a song; the channels get their sound at once (a song file's controllers other
  // than the pedal are not kept): reverb and chorus off so that each stroke dies before the next,
  // a wood block, and the pan given per channel (-1: not used).
  void Play(const std::string& bytes, std::vector<int> pans = {}) {
    WriteFileBytes(dir_.File("song.mid"), bytes);
    ASSERT_TRUE(LoadAndPlayMidi(dir_.File("song.mid")));
    pans.resize(16, 64);
    for (uint32_t c = 0; c < 16; ++c)
      for (uint32_t m : {0x5BB0u, 0x5DB0u, 0x0AB0u | (uint32_t)pans[c] << 16, c == 9 ? 0u : 0x73C0u})
        if (m) SendMidiOutShort(m | c);
    anchors_ = {Zero()};
  }
  // One channel of the captured sound.
  std::vector<float> Captured(int channel) const {
    std::string bytes = ReadFileBytes(dir_.File("out.raw"));
    std::vector<float> out(bytes.size() / (2 * sizeof(float)));
    for (size_t i = 0; i < out.size(); ++i) std::memcpy(&out[i], bytes.data() + (2 * i + channel) * sizeof(float), sizeof(float));
    return out;
  }
  // Onsets (ms) of one channel of strokes of one sound from `fromMs` on: each rise above 40 % of
  // the loudest sample after 10 ms below it (which comes 1 to 2 ms into a stroke), placed at the
  // lag up to 2.5 ms before where the stroke's first 4 ms best match the first stroke's (which
  // starts after silence, at its first sample above 1e-4).
  std::vector<double> Onsets(int channel, double fromMs) const {
    std::vector<float> s = Captured(channel);
    float peak = 0;
    for (float v : s) peak = std::max(peak, std::fabs(v));
    const int ms = kRate / 1000, n = 4 * ms;
    size_t first = (size_t)(fromMs * ms);
    while (first < s.size() && std::fabs(s[first]) < 1e-4f) ++first;
    if (first + n > s.size()) return {};
    std::vector<double> out;
    size_t below = 10 * ms;
    for (size_t i = first; i < s.size(); ++i) {
      if (std::fabs(s[i]) < 0.4f * peak) {
        ++below;
        continue;
      }
      if (below >= (size_t)(10 * ms) && i >= (size_t)(5 * ms) && i + n + ms < s.size()) {
        double best = -2;
        size_t at = i;
        for (size_t lag = i - 5 * ms / 2; lag <= i; ++lag) {
          double dot = 0, energy = 1e-12;
          for (int k = 0; k < n; ++k) dot += (double)s[lag + k] * s[first + k], energy += (double)s[lag + k] * s[lag + k];
          if (dot / std::sqrt(energy) > best) best = dot / std::sqrt(energy), at = lag;
        }
        out.push_back((double)at * 1000.0 / kRate);
      }
      below = 0;
    }
    return out;
  }
  // The onsets less the times the song asked for (ms on the sound's line), which must pair off.
  std::vector<double> Lateness(const std::vector<double>& onsets, const std::vector<double>& asked) {
    EXPECT_EQ(onsets.size(), asked.size()) << "a note lost or doubled";
    std::vector<double> out;
    for (size_t i = 0; i < std::min(onsets.size(), asked.size()); ++i) out.push_back(onsets[i] - asked[i]);
    return out;
  }
  // Times (ms on the sound's line, from `zero`) of the note-ons of the channels in `mask`, with
  // song times in [from, to).
  std::vector<double> Asked(double zero, uint32_t mask, uint32_t from = 0, uint32_t to = UINT32_MAX) const {
    std::vector<double> out;
    for (const SongEvent& e : gSongEvents)
      if ((e.status & 0xF0) == 0x90 && e.data2 > 0 && (mask >> (e.status & 15) & 1) && e.timeMs >= from && e.timeMs < to)
        out.push_back(zero + e.timeMs);
    return out;
  }
  // Every sound within the constant latency and FluidSynth's 64-frame block (plus the stroke's
  // own start), never before it, and even.
  void ExpectEven(const std::vector<double>& late, const char* what) {
    Spread s = SpreadOf(late);
    double latency = SynthLatencyUs() / 1000.0;
    RecordProperty(std::string(what) + "_sd_ms", std::to_string(s.sd));
    RecordProperty(std::string(what) + "_pp_ms", std::to_string(s.pp));
    EXPECT_LE(s.sd, 0.6) << what;
    EXPECT_LE(s.pp, 3.0) << what;
    EXPECT_GE(s.min, latency - 0.05) << what << ": a note sounded before its time";
    EXPECT_LE(s.mean, latency + 3.0) << what;
  }

  TempDir dir_;
  double nextPassMs_ = 0.0;
  int passes_ = 0;
  std::vector<double> anchors_;  // the song clock's zero after each move of it
};

// Wood-block strokes, on the drums or as an instrument.
std::string Stroke(uint32_t delta, int ch = 9, int note = 76) {
  return Ev(delta, {0x90 | ch, note, 110}) + Ev(20, {0x80 | ch, note, 0});
}
// A last event a while after the strokes: the song's end closes the output, and must wait for them.
std::string Tail() { return Pedal(480, 0, 9); }
std::string Strokes(int count, uint32_t every, int ch = 9, int note = 76) {
  std::string out;
  for (int i = 0; i < count; ++i) out += Stroke(i == 0 ? every : every - 20, ch, note);
  return out;
}

TEST_F(SongTiming, StrokesSoundEvenlyAtTheirOwnTimes) {
  struct Case {
    const char* what;
    std::string song;
    double ms;
  } cases[] = {
      {"steady", File(480, {Strokes(40, 96) + Tail()}), 4300},
      // 37 ms apart, then 27.75 ms after a tempo change: never a multiple of the frame.
      {"tempo", File(600, {Tempo(0, 600000) + Strokes(30, 37) + Tempo(0, 450000) + Strokes(30, 37) + Tail()}), 2100},
  };
  for (const Case& c : cases) {
    Play(c.song);
    RunUntil(anchors_[0] + c.ms);
    ExpectEven(Lateness(Onsets(0, anchors_[0]), Asked(anchors_[0], 1 << 9)), c.what);
    StopPlaybackAndCloseOutput();
  }
}

TEST_F(SongTiming, AChordsNotesStartTogether) {
  // One note hard left, one hard right, every 150 ms.
  std::string left, right;
  for (int i = 0; i < 16; ++i) left += Stroke(i == 0 ? 144 : 124, 0, 72), right += Stroke(i == 0 ? 144 : 124, 1, 79);
  Play(File(480, {left + Tail(), right}), {0, 127});
  RunUntil(2700);
  std::vector<double> l = Onsets(0, 0), r = Onsets(1, 0);
  ExpectEven(Lateness(l, Asked(anchors_[0], 1)), "chord_left");
  ExpectEven(Lateness(r, Asked(anchors_[0], 2)), "chord_right");
  std::vector<double> apart;
  for (size_t i = 0; i < std::min(l.size(), r.size()); ++i) apart.push_back(std::fabs(l[i] - r[i]));
  EXPECT_LE(SpreadOf(apart).mean + SpreadOf(apart).pp, 0.1) << "the chord's notes start in the same sample";
}

TEST_F(SongTiming, LoopsAndSeeksLoseAndDoubleNoNote) {
  Play(File(480, {Strokes(50, 96)}));  // a stroke every 100 ms from 100 to 5000
  SetLoopStart(1000);
  SetLoopEnd(1650);
  RunUntil(2890);  // the first time through and two rounds of the loop
  // The first pass, before A, jumps to A; then the rounds.
  ASSERT_EQ(anchors_.size(), 6u);
  std::vector<double> asked;
  for (size_t k = 1; k < anchors_.size(); ++k) {
    std::vector<double> round = Asked(anchors_[k], 1 << 9, 1000, 1650);
    asked.insert(asked.end(), round.begin(), round.end());
  }
  // Mid-round, a seek: what was due sounds, what was handed over for later does not.
  double seekAt = (double)(ClockMicros64() - kOriginUs) / 1000.0;
  asked.erase(std::remove_if(asked.begin(), asked.end(), [&](double t) { return t > seekAt; }), asked.end());
  SeekPlayback(3000);
  std::vector<double> after = Asked(Zero(), 1 << 9, 3000, 3450);
  asked.insert(asked.end(), after.begin(), after.end());
  RunUntil(seekAt + 470);
  ExpectEven(Lateness(Onsets(0, 0), asked), "loop_and_seek");
}

TEST_F(SongTiming, NothingStartsAfterAPauseAStopOrAFullReset) {
  static const MidiInDriver kNoKeyboard{[] { return 0; }, [](int, std::string*) { return false; },
                                        [](int, void**) { return 2; }, [] { return 0; }, [] {},
                                        [](int) { return "-"; }, [] { return false; }};
  SetMidiInDriver(&kNoKeyboard);
  for (int how = 0; how < 3; ++how) {
    Play(File(480, {Strokes(30, 48)}));  // a stroke every 50 ms
    RunUntil(anchors_[0] + 505);
    double at = (double)(ClockMicros64() - kOriginUs) / 1000.0;
    if (how == 0) TogglePlayback();
    if (how == 1) StopPlaybackAndCloseOutput();
    if (how == 2) ResetMidiFull();
    RunUntil(at + 300);
    // A pause lets what was due sound (the latency later); a stop and a reset cut at once.
    double latency = SynthLatencyUs() / 1000.0;
    std::vector<double> onsets = Onsets(0, anchors_[0]);
    ASSERT_FALSE(onsets.empty());
    EXPECT_LE(onsets.back(), at + (how == 0 ? latency + 1.5 : 0.0)) << "case " << how;
    if (how == 0) EXPECT_EQ(onsets.size(), Asked(anchors_[0], 1 << 9, 0, (uint32_t)(at - anchors_[0]) + 1).size());
    std::vector<float> s = Captured(0);
    float after = 0;
    for (size_t i = (size_t)((at + 15) * kRate / 1000); how > 0 && i < s.size(); ++i) after = std::max(after, std::fabs(s[i]));
    EXPECT_LT(after, 1e-3f) << "case " << how;
    UnloadMidi();
  }
  SetMidiInDriver(nullptr);
}

}  // namespace
