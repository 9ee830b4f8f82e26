// Songs through the real transport, the real synthesiser and SDL's disk audio driver, with onsets
// found in the sound each callback hands the driver. The program's clock is driven by the sound
// itself: after each callback the audio thread waits until the main loop's passes due before the
// next one have run (drain, pump, judging, highlights; every 17 ms, some running late), so every
// figure is a sample position and a loaded machine changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "midi/song_sound.h"
#include "platform/audio.h"
#include "platform/messages.h"
#include "platform/synth.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/audio_lockstep.h"
#include "tests/support/test_support.h"

using namespace smf;

namespace {

constexpr int kRate = kLockstepRate;
constexpr int64_t kOriginUs = kLockstepOriginUs;

class SongTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SynthSoundfontPath().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
    BeginAudioLockstep(dir_.File("out.raw"));
    SetMidiOutputPort(DeviceMidiOutputPort());
    gMidiOutNameLoaded = true;  // the built-in synthesiser
  }
  void TearDown() override {
    EndAudioLockstep();
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    AudioSetCallbackHookForTesting(nullptr);
    AudioClose();
    ClockDriveEnd();
  }

  // Runs passes and callbacks in their order on the clock until the sound reaches `untilMs`, and
  // returns with a callback waiting and the clock at the next one's first sample.
  void RunUntil(double untilMs) {
    for (;;) {
      uint64_t frames = WaitForAudioCallback();
      double soundMs = (double)frames * 1000.0 / kRate;
      for (; nextPassMs_ <= soundMs; ++passes_) {
        SetClockMs(nextPassMs_);
        Pass();
        if (slowPassMs_ > 0) nextPassMs_ += slowPassMs_ + 9 * (passes_ % 3);  // drawing holds each pass up
        else nextPassMs_ += 17 + (passes_ % 5 == 3 ? 8 : passes_ % 3);  // some passes come late
      }
      SetClockMs(soundMs);
      if (soundMs >= untilMs) return;
      ReleaseAudioCallback();
    }
  }
  static void SetClockMs(double ms) { SetLockstepClockMs(ms); }
  void Pass() {
    AppMessage m;
    while (TakeAppMessage(&m)) {
    }
    uint32_t t = ClockMs32();
    uint32_t anchor = gPlayStartMs;
    bool playing = gPlaying;
    PumpMidiPlayback(t);
    JudgePlayAlongNotes(t, -1);
    UpdateKeyHighlights(t);
    if (gPlayStartMs != anchor) anchors_.push_back(Zero());
    if (playing && !gPlaying) endedAtMs_ = NowMs();
  }
  // The song clock's zero on the sound's time line, in ms.
  double Zero() const { return (double)(int32_t)(gPlayStartMs - (uint32_t)(kOriginUs / 1000)); }
  // Loads and starts a song, with reverb and chorus off at once so that each stroke dies before
  // the next (a song file's controllers other than the pedal are not kept).
  void Play(const std::string& bytes) {
    WriteFileBytes(dir_.File("song.mid"), bytes);
    ASSERT_TRUE(LoadAndPlayMidi(dir_.File("song.mid")));
    for (uint32_t m : {0x5BB9u, 0x5DB9u}) SendMidiOutShort(m);
    anchors_ = {Zero()};
  }
  // One channel of the sound so far.
  std::vector<float> Captured(int channel) const {
    const std::vector<float> sound = LockstepSound();
    std::vector<float> out(sound.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = sound[2 * i + channel];
    return out;
  }
  // Onsets (ms) of one channel of strokes of one sound from `fromMs` on. The first stroke, after
  // 10 ms of silence, is the template; every rise above 40 % of the loudest sample after 10 ms
  // below it is a stroke, placed where its 6 ms best match the template (least squares, from 8 ms
  // before the rise to 1 ms after), which the previous stroke's tail barely moves.
  std::vector<double> Onsets(int channel, double fromMs) const {
    std::vector<float> s = Captured(channel);
    const size_t ms = kRate / 1000, n = 6 * ms;
    size_t first = (size_t)(fromMs * kRate / 1000), quiet = 0;
    float peak = 0;
    for (size_t i = first; i < s.size(); ++i) peak = std::max(peak, std::fabs(s[i]));
    for (; first < s.size() && (std::fabs(s[first]) < 1e-3f || quiet < 10 * ms); ++first)
      quiet = std::fabs(s[first]) < 1e-3f ? quiet + 1 : 0;
    std::vector<double> out;
    for (size_t i = first, below = 10 * ms; i + n + ms < s.size(); ++i) {
      if (std::fabs(s[i]) < 0.4f * peak) {
        ++below;
        continue;
      }
      if (below >= 10 * ms) {
        double best = 1e300;
        size_t at = i;
        for (size_t lag = i - 8 * ms; lag <= i + ms; ++lag) {
          double error = 0;
          for (size_t k = 0; k < n; ++k) error += ((double)s[lag + k] - s[first + k]) * ((double)s[lag + k] - s[first + k]);
          if (error < best) best = error, at = lag;
        }
        out.push_back((double)at * 1000.0 / kRate);
      }
      below = 0;
    }
    return out;
  }
  // The times (ms on the sound's line, from `zero`) of the note-ons of the channels in `mask`
  // whose song times lie in [from, to).
  std::vector<double> Asked(double zero, uint32_t mask, uint32_t from = 0, uint32_t to = UINT32_MAX) const {
    std::vector<double> out;
    for (const SongEvent& e : gSongEvents)
      if ((e.status & 0xF0) == 0x90 && e.data2 > 0 && (mask >> (e.status & 15) & 1) && e.timeMs >= from && e.timeMs < to)
        out.push_back(zero + e.timeMs);
    return out;
  }
  // Onsets and asked times pair off (no note lost or doubled); each onset comes the constant
  // latency after its time, within FluidSynth's 64-frame block and the stroke's own start, never
  // before, and evenly.
  void ExpectEven(const std::vector<double>& onsets, const std::vector<double>& asked, const std::string& what) {
    EXPECT_EQ(onsets.size(), asked.size()) << what << ": a note lost or doubled";
    size_t n = std::min(onsets.size(), asked.size());
    double mean = 0, sd = 0, lo = 1e9, hi = -1e9;
    for (size_t i = 0; i < n; ++i) mean += (onsets[i] - asked[i]) / (double)n;
    for (size_t i = 0; i < n; ++i) {
      double late = onsets[i] - asked[i];
      sd += (late - mean) * (late - mean) / (double)n, lo = std::min(lo, late), hi = std::max(hi, late);
    }
    sd = std::sqrt(sd);
    double latency = SynthLatencyUs() / 1000.0;
    RecordProperty(what + "_sd_ms", std::to_string(sd));
    RecordProperty(what + "_pp_ms", std::to_string(hi - lo));
    EXPECT_LE(sd, 0.6) << what;
    EXPECT_LE(hi - lo, 3.0) << what;
    EXPECT_GE(lo, latency - 0.05) << what << ": a note sounded before its time";
    EXPECT_LE(mean, latency + 3.0) << what;
  }
  double NowMs() const { return (double)(ClockMicros64() - kOriginUs) / 1000.0; }
  // The root mean square of one channel over [fromMs, toMs) of the sound.
  double Level(int channel, double fromMs, double toMs) const {
    std::vector<float> s = Captured(channel);
    size_t from = (size_t)std::max(0.0, fromMs * kRate / 1000), to = std::min(s.size(), (size_t)(toMs * kRate / 1000));
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += (double)s[i] * s[i];
    return to > from ? std::sqrt(sum / (double)(to - from)) : 0.0;
  }

  TempDir dir_;
  double nextPassMs_ = 0.0;
  int slowPassMs_ = 0;  // when set, passes come about this far apart, as a slow renderer draws them
  int passes_ = 0;
  std::vector<double> anchors_;  // the song clock's zero after each move of it
  double endedAtMs_ = -1.0;      // when a pass ended the song, on the sound's time line
};

// Wood-block strokes on the drums.
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

TEST_F(SongTiming, NotesSoundEvenlyAtTheirOwnTimes) {
  struct Case {
    const char* what;
    std::string song;
    double ms;
  } cases[] = {
      {"steady", File(480, {Strokes(40, 96) + Tail()}), 4300},
      // 37 ms apart, then 27.75 ms after a tempo change: never a multiple of the frame.
      {"tempo", File(600, {Tempo(0, 600000) + Strokes(30, 37) + Tempo(0, 450000) + Strokes(30, 37) + Tail()}), 2100},
      // A chord every 150 ms: the high and the low wood block, on two tracks, as one stroke.
      {"chord", File(480, {Strokes(16, 144) + Tail(), Strokes(16, 144, 9, 77)}), 2700},
  };
  for (const Case& c : cases) {
    Play(c.song);
    RunUntil(anchors_[0] + c.ms);
    std::vector<double> asked = Asked(anchors_[0], 1 << 9);
    asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
    ExpectEven(Onsets(0, anchors_[0]), asked, c.what);
    StopPlaybackAndCloseOutput();
  }
}

// On a machine whose frames take far longer than 17 ms (software GL on two cores: 50 to 80 ms a
// frame in the board with the lane), a note between two passes must still have been handed over
// before its time, so that it sounds as evenly as at full frame rate.
TEST_F(SongTiming, NotesStayEvenWhenFramesComeSlowly) {
  for (int stride : {45, 70}) {
    slowPassMs_ = stride;
    std::string what = "slow" + std::to_string(stride);
    Play(File(480, {Strokes(30, 96) + Tail()}));
    RunUntil(anchors_[0] + 3200);
    std::vector<double> asked = Asked(anchors_[0], 1 << 9);
    asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
    ExpectEven(Onsets(0, anchors_[0]), asked, what);
    StopPlaybackAndCloseOutput();
  }
}

// A minimised window over a slow renderer: the passes that draw nothing come 17 ms apart, so each
// hands the sound over only that far ahead, and then the pass that draws the window again takes a
// whole slow frame. Told beforehand that it will be slow, it hands over enough: the notes stay even
// across the change and after it.
TEST_F(SongTiming, NotesStayEvenWhenTheWindowShowsAgainOverASlowRenderer) {
  // A stroke every 30 ms: some fall due within the slow pass, wherever it comes.
  Play(File(600, {Tempo(0, 600000) + Strokes(100, 30) + Tail()}));
  RunUntil(anchors_[0] + 1000);
  ExpectSlowSongSoundPass();
  slowPassMs_ = 70;
  RunUntil(anchors_[0] + 3400);
  std::vector<double> asked = Asked(anchors_[0], 1 << 9);
  asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
  ExpectEven(Onsets(0, anchors_[0]), asked, "shown again");
  StopPlaybackAndCloseOutput();
}

// The end of a plain song on the piano: a note struck at the last event is heard, the release of a
// last note-off fades as a note-off's does mid-song, and a note still held at the end fades out
// instead of stopping dead when the output closes; then the song is over and all is silent.
TEST_F(SongTiming, ASongsLastNotesAreHeardAndFadeBeforeItEnds) {
  struct Case {
    const char* what;
    std::string song;  // 120 BPM: 480 ticks are 500 ms; the last event at 1000 ms
    int heldNote;      // sounding from the last event without a note-off, else 0
  } cases[] = {
      {"a last note-off", File(480, {On(0, 60, 100) + Off(480, 60) + On(0, 69, 100) + Off(480, 69)}), 0},
      {"a note struck at the last event", File(480, {On(0, 60, 100) + Off(480, 60) + On(480, 67, 100)}), 67},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    endedAtMs_ = -1.0;
    Play(c.song);
    const double zero = anchors_[0], lastMs = zero + 1000;
    RunUntil(zero + 500);
    const double latency = SynthLatencyUs() / 1000.0;  // while the output is open
    ASSERT_GT(latency, 0.0);
    RunUntil(lastMs + 3000);
    // The first note held, for comparison: loud from its attack on.
    const double held = Level(0, zero + latency + 50, zero + latency + 450);
    ASSERT_GT(held, 0.005);
    ASSERT_GT(endedAtMs_, lastMs) << "the song ended";
    EXPECT_LT(endedAtMs_, lastMs + 2000) << "a short pause after the song, not a long one";
    if (c.heldNote) {
      EXPECT_GT(Level(0, lastMs + latency + 20, lastMs + latency + 300), 0.3 * held) << "the last note is heard";
    } else {
      // A piano's release after a note-off: still well heard 30 ms on, gone within a second.
      EXPECT_GT(Level(0, lastMs + latency + 30, lastMs + latency + 60), 0.1 * held) << "the release is heard";
    }
    // Faded by the time the output closes, not cut off loud; silent from then on.
    EXPECT_LT(Level(0, endedAtMs_ - 30, endedAtMs_), 0.05 * held) << "cut off at " << endedAtMs_ - zero << " ms";
    EXPECT_EQ(Level(0, endedAtMs_ + 30, lastMs + 3000), 0.0);
  }
}

TEST_F(SongTiming, LoopsSeeksPausesAndStopsLoseDoubleOrLeaveNoNote) {
  Play(File(480, {Strokes(50, 96)}));  // a stroke every 100 ms from 100 to 5000
  SetLoopStart(1000);
  SetLoopEnd(1650);
  RunUntil(2890);
  ASSERT_EQ(anchors_.size(), 6u);  // the first pass, before A, jumps to A; then four wraps
  std::vector<double> asked;
  for (size_t k = 1; k < anchors_.size(); ++k) {
    std::vector<double> round = Asked(anchors_[k], 1 << 9, 1000, 1650);
    asked.insert(asked.end(), round.begin(), round.end());
  }
  // Mid-round a seek, later a pause: what was due sounds, what was handed over for later does not.
  double seekAt = NowMs();
  asked.erase(std::remove_if(asked.begin(), asked.end(), [&](double t) { return t > seekAt; }), asked.end());
  SeekPlayback(3000);
  double zero = Zero();
  RunUntil(seekAt + 455);
  double pauseAt = NowMs();
  TogglePlayback();
  std::vector<double> after = Asked(zero, 1 << 9, 3000, (uint32_t)(pauseAt - zero) + 1);
  asked.insert(asked.end(), after.begin(), after.end());
  RunUntil(pauseAt + 200);
  ExpectEven(Onsets(0, 0), asked, "loop_seek_pause");
  // Playing on, then a stop (with which the full reset begins): silence from the next buffer.
  TogglePlayback();
  RunUntil(NowMs() + 240);
  double stopAt = NowMs();
  StopPlaybackAndCloseOutput();
  RunUntil(stopAt + 100);
  std::vector<float> s = Captured(0);
  for (size_t i = (size_t)(stopAt * kRate / 1000); i < s.size(); ++i) ASSERT_EQ(s[i], 0.0f) << i;
}

}  // namespace
