// One frame of play-along judging (the wait update, the per-pass judge and the key highlights, as
// the main loop runs them) during a 100,000-event song, half of it already played, with hold notes
// still sounding under the pedal and playback held at the next chord. For reference, the rebuild of
// the judge records that a seek or a run start costs on the same song.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"

namespace {

constexpr uint32_t kNotes = 50000;  // one note-on and one note-off each

// Notes every 40 ms over five keys; every eighth note is long enough to be held.
void InstallSong() {
  gSongEvents.clear();
  std::vector<SongEvent> offs;
  for (uint32_t k = 0; k < kNotes; ++k) {
    uint32_t t = 1000 + 40 * (k / 2);  // two notes at a time
    uint8_t note = (uint8_t)(48 + (k * 7) % 36);
    uint32_t length = k % 8 == 0 ? 900 : 30;
    gSongEvents.push_back({t, 0x90, note, (uint8_t)(40 + k % 80), 0});
    offs.push_back({t + length, 0x80, note, 0, 0});
  }
  gSongEvents.insert(gSongEvents.end(), offs.begin(), offs.end());
  std::stable_sort(gSongEvents.begin(), gSongEvents.end(), MidiEventLess);
  gPlaybackSpeed = 1.0f;
  gLevelSetting = 0.5f;
  gPracticeMode = true;
  gPlaying = true;
  gPaused = false;
}

// Grades every note before the middle of the song, leaving playback at the next one.
uint32_t PlayFirstHalf(uint32_t now) {
  uint32_t middle = gSongEvents[gSongEvents.size() / 2].timeMs;
  for (size_t i = 0; i < gSongEvents.size() && gSongEvents[i].timeMs < middle; ++i)
    if ((gSongEvents[i].status & 0xF0) == 0x90 && gSongEvents[i].data2 > 0)
      JudgeEvent(i, now, 5.0f, -5.0f, 0.5f, 1.0f, false, 80);
  return middle;
}

}  // namespace

static void BM_JudgingFrameOn100kEventSong(benchmark::State& state) {
  ClockDriveBegin(0x100000000ull);
  InstallSong();
  gPlayStartMs = ClockMs32();
  ResetJudgeStates(false, false);
  SetPlayAlongRun(true, false);
  uint32_t now = ClockMs32();
  uint32_t middle = PlayFirstHalf(now);
  gPlayStartMs = now - (middle + 20);  // the position ran 20 ms past the next chord
  // Every key of the song sounding under the pedal: the hold notes stay held, and no key is down
  // to grade the awaited chord.
  gHeldNotes.clear();
  for (int note = 48; note < 84; ++note)
    gHeldNotes.push_back(HeldNote{note, 90, 1, 0, 1, now, (uint32_t)note, 0, 0});
  for (auto _ : state) {
    UpdatePlayAlong(now);
    JudgePlayAlongNotes(now, -1);
    UpdateKeyHighlights(now);
    benchmark::DoNotOptimize(gKeyExpectHighlight[60]);
  }
  state.counters["events"] = (double)gSongEvents.size();
  state.counters["holding"] = gWaitHolding ? 1 : 0;
  int pulsing = 0, lit = 0;
  for (int k = 0; k < 128; ++k) {
    pulsing += gKeyHoldHighlight[k] > 0.0f;
    lit += gKeyExpectHighlight[k] > 0.0f;
  }
  state.counters["pulsing_keys"] = pulsing;
  state.counters["lit_keys"] = lit;
  ClockDriveEnd();
}
BENCHMARK(BM_JudgingFrameOn100kEventSong);

static void BM_RebuildJudgeRecordsOn100kEventSong(benchmark::State& state) {
  InstallSong();
  for (auto _ : state) {
    ResetJudgeStates(false, false);
    benchmark::DoNotOptimize(gJudgeStates.data());
  }
}
BENCHMARK(BM_RebuildJudgeRecordsOn100kEventSong);
