// midi/playback_pump: advances the playing song once per pass of the main loop.
//
// The pump reads the song clock, wraps the loop region, hands the song's tempo and beat to the
// metronome, posts every due event (display-only) to the note road, hands the output the events
// that fall due before the next pass (midi/song_sound), and at the end of the song chooses between
// the next playlist entry and a plain stop, or hands a lesson song's end to the shell
// (app/lesson_song_end), which records the attempt. The song's beat goes to the handler the frame
// passes (the metronome's grid). The event loop allocates nothing; the tempo lookup is a binary
// search.
//
// A song that sounds does not end at its last event: the output sounds each event a little after
// the pass that hands it over, and closing it cancels what waits and resets every voice at once, so
// the last notes would never be heard and the last releases would be cut. It rings out first
// (below). A lesson song's attempt is recorded at its last event all the same; only what follows
// it (the next song, or waiting at the start) waits for the ring-out.
#include "midi/playback_pump.h"

#include <algorithm>
#include <cmath>

#include "app/base/logs.h"
#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "midi/judge_index.h"
#include "midi/midi_event_time.h"
#include "midi/metronome_panel.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "midi/song_beat.h"
#include "midi/song_sound.h"
#include "midi/teaching_record.h"
#include "platform/clock.h"
#include "platform/messages.h"

// ---- constants ----
namespace {

// The shortest run before a song counts as ended. A song that ends almost at once would otherwise
// be read from disk again, started and logged on every pass with Repeat on; half a second keeps
// that to twice a second and leaves every longer song as it was.
const int32_t kShortestSongRunMs = 500;

// After a sounding song's last event: how long its sound rings on as the file left it, then
// how long the notes still held (a last chord without note-offs, a pedal kept down) have to fade
// after their release before the output closes. Clock ms, whatever the speed. A second covers the
// output's own delay (tens of ms) and a piano note's release after its note-off, reverb included
// (down to a hundredth within 300 ms, nothing left at a second, with the General MIDI soundfont);
// half a second brings a held note's release down to a thousandth. A second and a half in all is
// a short pause between the songs of a playlist, and every output can be trusted with a fixed
// time, where what a device still has to play cannot be asked of each.
const double kSongRingOutMs = 1000.0;
const double kSongReleaseMs = 500.0;

// A pass this much later than the one before it found the program held up, not a slow frame (the
// slowest views take about 200 ms): the song then moves on by one frame's step only.
const int32_t kSongStallMs = 500;
const uint32_t kStallStepMs = 17;

}  // namespace

// ---- state ----
namespace {
bool gSongEndReleased = false;  // the song's held notes were released in its ring-out
uint32_t gStallPassMs = 0;      // clock time of the last pass KeepSongOverStall saw
uint32_t gStallAnchorMs = 0;    // the song clock's anchor then
bool gStallRunning = false;     // a song played then, not paused
}  // namespace

// ---- internal helpers ----
namespace {

// Hands the song's beat to the handler (the metronome's grid) and clears the start/seek flag.
void SyncSongBeat(uint32_t pos, bool paused, SongBeatHandler onSongBeat) {
  SongBeatInfo info;
  double speed = std::max((double)gPlaybackSpeed, 0.01);
  if (!ComputeSongBeatInfo(pos, speed, gTeachingState.timeSigNum, paused, &info)) return;
  if (onSongBeat) onSongBeat(info);
  gSongBeatResync = false;
}

// The song's time signature at a position for the metronome's figures (its beat grid takes the
// song's bars from the beat record). Unload gives the user's back with the tempo. The song's clicks
// to a bar go with them: once the song stops driving the grid, its tempo and signature stay and the
// grid clicks on alone, and a 6/8 counted as six of its dotted-quarter clicks would stretch every
// bar to three.
void GiveMetronomeSongMeter(uint32_t pos) {
  if (gSongTimeSignatures.empty()) return;
  auto it = std::upper_bound(gSongTimeSignatures.begin(), gSongTimeSignatures.end(), pos,
                             [](uint32_t t, const TimeSignaturePoint& p) { return t < p.timeMs; });
  const TimeSignaturePoint& p = it == gSongTimeSignatures.begin() ? gSongTimeSignatures.front() : *(it - 1);
  gTeachingState.timeSigNum = std::clamp<int>(p.numerator, 1, kMetronomeMaxBeats);
  gTeachingState.timeSigDen = std::min(1 << std::min<int>(p.denominatorPower, 6), kMetronomeShortestNote);
  gTeachingState.songBarClicks = SongBarClicks(pos);
}

// Whether a sounding song has rung out at clock time now: its held notes are released once
// the ring-out is over, and it ends when they have faded. The time line stays at the song's length
// meanwhile (GetShownPlaybackPositionMs).
bool SongHasRungOut(uint32_t now) {
  double speed = std::max((double)gPlaybackSpeed, 0.01);
  double sinceLastMs = (double)(int32_t)(now - gPlayStartMs) - (double)GetSongLengthMs() / speed;
  if (sinceLastMs < kSongRingOutMs) return false;
  if (!gSongEndReleased) {
    ReleaseSongNotes();
    gSongEndReleased = true;
  }
  return sinceLastMs >= kSongRingOutMs + kSongReleaseMs;
}

// Posts every event not posted yet whose time is at most untilMs to the display and the judges
// (the output has its own road, midi/song_sound).
void PostDueSongEvents(uint32_t untilMs, uint32_t now, bool muted) {
  const size_t count = gSongEvents.size();
  while (gEventCursor < count && gSongEvents[gEventCursor].timeMs <= untilMs) {
    size_t i = gEventCursor++;
    const SongEvent& e = gSongEvents[i];
    int kind = e.status & 0xF0;
    if (kind == 0x80 || kind == 0x90) {
      int v = kind == 0x90 ? e.data2 : 0;
      if (!muted) {
        if (v > 0 && i < gJudgeStates.size() && gJudgeStates[i].state == 0) {
          gJudgeStates[i].state = 7;
          gJudgeStates[i].judgedAtMs = now;
        }
        if (e.data1 < 128) {
          gKeySounding[e.data1] = v > 0;
          gKeyLevel[e.data1] = v > 0 ? std::min((float)v / 127.0f, 1.0f) : 0.0f;
        }
        PostAppMessage(kMsgMidiNote, e.data1, (int64_t)v | kNoteDisplayOnly);
      } else if (e.data1 < 128) {
        gKeySounding[e.data1] = false;
        gKeyLevel[e.data1] = 0.0f;
      }
    } else if (kind == 0xB0 && e.data1 == 64 && !muted) {
      PostAppMessage(kMsgMidiSustain, 0, e.data2);
    }
  }
}

// The end of a song that is not a lesson item: the next playlist entry, else a plain stop.
void EndOfSong() {
  StopPlaybackAndCloseOutput();
  const std::string before = gStatusText;
  if (StepPlaylist(+1, true)) return;
  // A playlist whose remaining files could not be read says so rather than that it finished.
  if (gStatusText == before) gStatusText = "MIDI playback finished";
}

}  // namespace

// ---- public functions ----
void ResetPlaybackPump() {
  gSongEndReleased = false;
  gStallRunning = false;
}

void KeepSongOverStall(uint32_t now) {
  const bool running = gPlaying && !gPaused;
  // A song paused, resumed, sought, sped up or loaded since has its clock set already.
  if (running && gStallRunning && gPlayStartMs == gStallAnchorMs) {
    const int32_t gap = (int32_t)(now - gStallPassMs);
    if (gap > kSongStallMs) {
      gPlayStartMs += (uint32_t)gap - kStallStepMs;
      gLastEventTimeMs = now;
      gLastEventTimeValid = true;
      DebugLog("[playback] the program stood still %d ms: the song goes on where it stood\n", (int)gap);
    }
  }
  gStallPassMs = now;
  gStallAnchorMs = gPlayStartMs;
  gStallRunning = running;
}

void UpdateSongTempoFlag() { gTeachingState.syncedToSong = (gPlaying && !gSongTempo.empty()) ? 1 : 0; }

bool IsSongRunJudged() {
  if (gWrongNoteCount > 0) return true;
  for (const NoteJudgeState& j : gJudgeStates)
    if (j.state != 0 && j.state != 7 && !(gRhythmStudyMode && j.state == 4)) return true;
  return false;
}

int PumpMidiPlayback(uint32_t now, SongBeatHandler onSongBeat) {
  UpdateSongTempoFlag();
  if (!gPlaying) return 0;
  if (gPaused) {
    // No events while paused, but the grid keeps its place on the song's beat.
    SyncSongBeat(GetPlaybackPositionMs(now), true, onSongBeat);
    return 0;
  }

  UpdatePlayAlong(now);  // in wait mode this may hold the clock
  bool muted = gPlayAlongRun && (gPracticeMode || gWaitMode) && GetSongLengthMs() > 0;

  NormaliseLoopRegion();
  uint32_t pos = GetPlaybackPositionMs(now);
  KeepSongSoundInStep(muted);
  uint64_t soundEnd = SongSoundEndMs();
  if (soundEnd != UINT64_MAX) {
    uint32_t a = gLoopStartSet ? gLoopStartMs : 0;
    if (pos >= soundEnd || pos < a) {
      // A pass that came late has not shown nor handed over every event before the loop's end yet.
      if (pos >= soundEnd) {
        PostDueSongEvents((uint32_t)soundEnd - 1, now, muted);
        HandSongSoundAhead((uint32_t)soundEnd - 1, muted);
      }
      SeekPlayback(a);
      pos = GetPlaybackPositionMs(now);
      KeepSongSoundInStep(muted);
    }
  }
  SyncMetronomeToSong(pos, false);
  SyncSongBeat(pos, false, onSongBeat);

  const size_t count = gSongEvents.size();
  const bool endAhead = gEventCursor < count;  // the pass that takes the last event ends a lesson song
  if (endAhead) gSongEndReleased = false;      // not (or no longer) at the end
  PostDueSongEvents(pos, now, muted);
  NoteSongSoundPass(ClockMicros64());
  HandSongSoundThrough(pos, muted);

  // A loop that holds goes round again in the next pass, even when it took in the song's last tick.
  if (gEventCursor < count || soundEnd != UINT64_MAX) return 0;
  const bool sounds = !muted && IsMidiOutputOpen();
  if (gLearningItemLoaded && gPlaylist.empty())
    return (endAhead ? kLessonSongEnded : 0) | (!sounds || SongHasRungOut(now) ? kLessonSongRungOut : 0);
  if ((int32_t)(now - gPlayStartMs) < kShortestSongRunMs) return 0;
  if (sounds && !SongHasRungOut(now)) return 0;
  EndOfSong();
  return 0;
}

void SyncMetronomeToSong(uint32_t songPosMs, bool force) {
  GiveMetronomeSongMeter(songPosMs);
  if (gSongTempo.empty()) return;
  auto it = std::upper_bound(gSongTempo.begin(), gSongTempo.end(), songPosMs,
                             [](uint32_t t, const TempoPoint& p) { return t < p.timeMs; });
  const TempoPoint& point = it == gSongTempo.begin() ? gSongTempo.front() : *(it - 1);
  // The metronome's tempo is that of the song's clicks (a 6/8 clicked on its dotted quarters counts
  // those); the figure is from the tempo list's whole one, the grid's beat from the exact tempo.
  double perClick = (double)gPlaybackSpeed / SongBeatQuarters(songPosMs);
  double exact = std::max(SongBpmAt(songPosMs) * perClick, 1.0);
  int bpm = (int)std::clamp<long long>(std::llround((double)point.bpm * perClick), 30, 260);
  if (!force && bpm == gLastSongBpm) return;
  gTeachingState.songBpm = exact;
  gLastSongBpm = bpm;
  gTeachingState.bpm = bpm;
  gTeachingState.gridRunning = 0;  // the grid starts again at the new tempo
}

PracticeRunResult BuildPracticeRunResult() {
  PracticeRunResult r;
  size_t n = std::min(gJudgeStates.size(), gSongEvents.size());
  int graded = 0;
  double sumAbs = 0.0, sumErr = 0.0, sumSq = 0.0;
  double velSum = 0.0, velSq = 0.0;
  std::vector<VelocityRecord> records;
  for (size_t i = 0; i < n; ++i) {
    const SongEvent& e = gSongEvents[i];
    if (!IsSoundingNoteOn(e)) continue;
    const NoteJudgeState& j = gJudgeStates[i];
    ++r.expected;
    // A hold let go early still tells when its key went down, so its press's error counts in the
    // timing figures; the note itself counts as a hold break, not by its grade.
    if ((j.state >= 1 && j.state <= 3) || j.state == 6) {
      ++r.landed;
      if (j.state == 1) ++r.perfect;
      if (j.state == 2) ++r.good;
      if (j.state == 3) ++r.late_or_early;
      if (j.state == 6) ++r.hold_breaks;
      double err = j.timingErrorMs;
      ++graded;
      sumAbs += std::fabs(err);
      sumErr += err;
      sumSq += err * err;
      if (err < -8.0) ++r.early;
      if (err > 8.0) ++r.late;
    } else {
      ++r.missed;
    }
    if (j.velocity != 0) {
      ++r.vel_samples;
      velSum += j.velocity;
      velSq += (double)j.velocity * j.velocity;
      records.push_back({e.timeMs, e.data1, e.data2, j.velocity});
    }
  }
  r.wrong_attempts = gWrongNoteCount;
  if (graded > 0) {
    double meanAbs = sumAbs / graded, meanSigned = sumErr / graded;
    r.mean_abs_timing_ms = (float)meanAbs;
    r.mean_signed_timing_ms = (float)meanSigned;
    r.timing_score = (float)std::clamp(1.0 - meanAbs / 100.0, 0.0, 1.0);
    r.timing_std_ms = (float)std::sqrt(std::max(sumSq / graded - meanSigned * meanSigned, 0.0));
  }
  if (r.vel_samples > 0) {
    double mean = velSum / r.vel_samples;
    r.mean_velocity = (float)mean;
    r.vel_stdev = (float)std::sqrt(std::max(velSq / r.vel_samples - mean * mean, 0.0));
  }
  ComputeRunCorrelation(r, records);
  return r;
}
