// The metronome's clicks through the real click sounds and SDL's disk audio driver. The program's
// clock is driven by the sound itself: after each callback the audio thread waits until the frames
// due before the next one have run, coming unevenly, so every figure is a sample position. Each
// click must start at its beat's own time plus the sound's constant latency, or, when the frame
// that asks for it comes too late for that, at the start of the next buffer; with a song driving
// the grid, the clicks keep one distance to the song's notes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/synth.h"
#include "practice/teaching_song_sync.h"
#include "practice/teaching_state.h"
#include "practice/teaching_timing.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/audio_lockstep.h"
#include "tests/support/test_support.h"

using namespace smf;

namespace {

constexpr int kRate = kLockstepRate;
constexpr int64_t kOriginUs = kLockstepOriginUs;

void ClickOnSongBeat(const SongBeatInfo& info) { SyncTeachingClickToSong(gTeachingState, info); }

// A frame of the program: its time, and the first sample of the buffer made after it.
struct Frame {
  int64_t ms;
  int64_t nextBuffer;
};

class ClickTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    BeginAudioLockstep(dir_.File("out.raw"));
    gTeachingState = TeachingState();
    gTeachingState.downbeatSound = 0;  // every click the same sound, found at the same sample of it
    gTeachingState.metronomeOn = 1;
    ASSERT_TRUE(AudioOpen());
  }
  void TearDown() override {
    EndAudioLockstep();
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    AudioSetCallbackHookForTesting(nullptr);
    AudioClose();
    ClockDriveEnd();
    gTeachingState = TeachingState();
  }

  // Runs frames (`gaps` apart, in ms, round and round) and callbacks in their order on the clock
  // until the sound reaches `untilMs`; returns with a callback waiting.
  void RunUntil(double untilMs, const std::vector<int>& gaps, const std::function<void()>& frame) {
    for (;;) {
      uint64_t next = WaitForAudioCallback();
      double soundMs = (double)next * 1000.0 / kRate;
      for (; (double)nextFrameMs_ <= soundMs; nextFrameMs_ += gaps[frames_.size() % gaps.size()]) {
        SetClockMs((double)nextFrameMs_);
        frame();
        frames_.push_back({nextFrameMs_, (int64_t)next});
      }
      SetClockMs(soundMs);
      if (soundMs >= untilMs) return;
      ReleaseAudioCallback();
    }
  }
  static void SetClockMs(double ms) { SetLockstepClockMs(ms); }

  // Where each sound begins: the first sample above `level` after 20 ms below it.
  std::vector<int64_t> Onsets(float level) const {
    const std::vector<float> sound = LockstepSound();
    std::vector<int64_t> out;
    size_t below = 0;
    for (size_t i = 0; i < sound.size() / 2; ++i) {
      if (std::fabs(sound[2 * i + 1]) < level) {  // the right channel
        ++below;
        continue;
      }
      if (below >= (size_t)kRate / 50) out.push_back((int64_t)i);
      below = 0;
    }
    return out;
  }
  // The sample at which a sound due at a clock time (ms from the origin) starts.
  static int64_t SampleAt(double ms) {
    return (int64_t)std::ceil((ms * 1000.0 + (double)AudioLatencyUs()) * kRate / 1e6 - 1e-6);
  }
  // The first frame at or after a time, null when none has run.
  const Frame* FrameAtOrAfter(double ms) const {
    auto it = std::find_if(frames_.begin(), frames_.end(), [&](const Frame& f) { return (double)f.ms >= ms; });
    return it == frames_.end() ? nullptr : &*it;
  }
  int64_t SoundEnd() const { return (int64_t)LockstepSound().size() / 2; }

  TempDir dir_;
  int64_t nextFrameMs_ = 0;
  std::vector<Frame> frames_;
};

// Every click lies the same few samples (where its sound first rises) after the sample asked of it.
void ExpectAtTheirSamples(const std::vector<int64_t>& onsets, const std::vector<int64_t>& asked,
                          const std::string& what) {
  ASSERT_EQ(onsets.size(), asked.size()) << what << ": a click lost or doubled";
  ASSERT_FALSE(onsets.empty()) << what;
  int64_t lo = INT64_MAX, hi = INT64_MIN;
  for (size_t k = 0; k < onsets.size(); ++k) {
    lo = std::min(lo, onsets[k] - asked[k]);
    hi = std::max(hi, onsets[k] - asked[k]);
  }
  EXPECT_LE(hi - lo, 2) << what << ": clicks moved against their beats by up to " << (hi - lo) << " samples";
  EXPECT_GE(lo, 0) << what << ": a click sounded before its time";
  EXPECT_LE(hi, kRate / 1000) << what << ": a click's sound rises later than its first millisecond";
}

TEST_F(ClickTiming, FreeRunningClicksStartAtTheirBeatsHoweverTheFramesCome) {
  const struct {
    const char* what;
    std::vector<int> gaps;  // between frames, ms
    bool late;              // some frames come too late for their beat's click
  } cases[] = {
      {"uneven frames within a pass", {5, 17, 9, 13, 2, 16, 11}, false},
      {"slow and uneven frames", {5, 40, 90}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gTeachingState.gridRunning = 0;  // the grid starts at the next frame with a click
    frames_.clear();
    nextFrameMs_ += 1000;  // the case before has fallen silent
    int64_t startMs = nextFrameMs_;
    RunUntil((double)startMs + 9000.0, c.gaps, [] { TickTeachingBeatGrid(gTeachingState); });
    std::vector<int64_t> onsets = Onsets(0.05f);
    onsets.erase(std::remove_if(onsets.begin(), onsets.end(), [&](int64_t at) { return at < startMs * kRate / 1000; }),
                 onsets.end());

    // 80 bpm: a beat every 750 ms from the first frame, each asked for by the first frame at or
    // after it: its click starts at the beat's sample, or at the buffer after that frame.
    std::vector<int64_t> asked;
    int late = 0;
    for (double beat = (double)startMs;; beat += 750.0) {
      const Frame* frame = FrameAtOrAfter(beat);
      if (!frame) break;
      int64_t due = SampleAt(beat);
      if (std::max(due, frame->nextBuffer) + kRate / 20 > SoundEnd()) break;  // not whole yet
      late += frame->nextBuffer > due;
      asked.push_back(std::max(due, frame->nextBuffer));
    }
    ASSERT_GE(asked.size(), 10u);
    onsets.resize(std::min(onsets.size(), asked.size()));
    ExpectAtTheirSamples(onsets, asked, c.what);
    EXPECT_EQ(late > 0, c.late) << late << " clicks asked for too late";
    if (!c.late)
      for (size_t k = 1; k < onsets.size(); ++k)
        EXPECT_NEAR(onsets[k] - onsets[k - 1], 33075, 1) << "clicks " << k - 1 << " and " << k;
  }
}

TEST_F(ClickTiming, SongDrivenClicksKeepWithTheSongsNotes) {
  if (SynthSoundfontPath().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  SetMidiOutputPort(DeviceMidiOutputPort());
  gMidiOutNameLoaded = true;  // the built-in synthesiser
  // 120 bpm: a wood-block stroke a quarter of a beat (125 ms) after each of 16 beats.
  std::string track = Tempo(0, 500000);
  for (int beat = 0; beat < 16; ++beat) track += Ev(beat == 0 ? 120 : 460, {0x99, 76, 110}) + Ev(20, {0x89, 76, 0});
  WriteFileBytes(dir_.File("song.mid"), File(480, {track + Pedal(480, 0, 9)}));
  ASSERT_TRUE(LoadAndPlayMidi(dir_.File("song.mid")));
  for (uint32_t m : {0x5BB9u, 0x5DB9u}) SendMidiOutShort(m);  // no reverb or chorus: each sound dies away
  int64_t zeroMs = (int32_t)(gPlayStartMs - (uint32_t)(kOriginUs / 1000));
  auto frame = [] {
    AppMessage m;
    while (TakeAppMessage(&m)) {
    }
    PumpMidiPlayback(ClockMs32(), ClickOnSongBeat);
  };
  const std::vector<int> gaps = {5, 17, 9, 13, 2, 16, 11};
  RunUntil((double)zeroMs + 1000.0, gaps, frame);
  ASSERT_EQ(AudioLatencyUs(), SynthLatencyUs()) << "clicks and notes wait alike";
  RunUntil((double)zeroMs + 8400.0, gaps, frame);  // past the song's end

  // Clicks near their beats' samples, strokes between them.
  std::vector<int64_t> onsets = Onsets(0.05f), clicks, asked, strokes;
  for (int64_t at : onsets) {
    double ms = (double)at * 1000.0 / kRate - (double)AudioLatencyUs() / 1000.0 - (double)zeroMs;
    double beat = std::round(ms / 500.0);
    if (std::fabs(ms - beat * 500.0) < 40.0) {
      clicks.push_back(at);
      asked.push_back(SampleAt((double)zeroMs + beat * 500.0));
    } else {
      strokes.push_back(at);
    }
  }
  ASSERT_GE(clicks.size(), 16u);
  ExpectAtTheirSamples(clicks, asked, "song clicks");
  ASSERT_EQ(strokes.size(), 16u);
  double lo = 1e9, hi = -1e9;
  for (size_t k = 0; k < strokes.size(); ++k) {
    double apart = (double)(strokes[k] - clicks[k]) * 1000.0 / kRate;
    lo = std::min(lo, apart), hi = std::max(hi, apart);
  }
  RecordProperty("click_to_note_spread_ms", std::to_string(hi - lo));
  // FluidSynth starts a note at its next 64-frame block: 1.45 ms at most.
  EXPECT_LE(hi - lo, 1.6) << "clicks and notes drift apart";
}

}  // namespace
