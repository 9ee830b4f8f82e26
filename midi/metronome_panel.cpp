// midi/metronome_panel: the panel's layout, its input and what it does to the teaching record.
//
// A loaded song holds the user's metronome settings aside and gives them back when it is unloaded
// (midi/playback): what the panel sets while a song is loaded goes into that keeping too, so that
// the user's last choice is what comes back.
#include "midi/metronome_panel.h"

#include <algorithm>
#include <cmath>

#include "midi/click.h"
#include "midi/playback.h"
#include "midi/teaching_record.h"

// ---- constants ----
constexpr int kBeatValues[] = {1, 2, 4, 8, 16};
constexpr int kBeatValueCount = 5;
// The narrowest a control is drawn, as a part of its full width, before the row leaves one out:
// the figures still read at the small UI scales, and the signs keep their faces' margins.
constexpr float kNarrowest = 0.8f;

// ---- state ----
RectF gMetronomeSwitchRect = kHiddenRect;   // starts and stops the click
RectF gTempoDownRect = kHiddenRect;         // minus
RectF gTempoFigureRect = kHiddenRect;       // the tempo
RectF gTempoUpRect = kHiddenRect;           // plus
RectF gBeatsPerBarRect = kHiddenRect;       // the time signature's first figure
RectF gBeatValueRect = kHiddenRect;         // its second figure
RectF gDownbeatSwitchRect = kHiddenRect;    // the downbeat's sound

// ---- internal helpers ----
static bool Shown(const RectF& r) { return r.w > 2.0f && r.h > 2.0f; }

static bool On(const RectF& r, int x, int y) { return Shown(r) && PointInRect(r, x, y); }

// Places a control from the right end leftwards: *right moves to its left edge less the gap.
static RectF TakeFromRight(float* right, float y, float w, float h, float gap) {
  *right -= w;
  RectF r{*right, y, w, h};
  *right -= gap;
  return r;
}

// The tempo a step starts from: while a song drives the grid the record holds the song's, and
// the user's own waits in the song's keeping; otherwise the one on the panel, a stopped song's
// included, so that a press on plus steps from the figure the user sees.
static int UserTempo() {
  const TeachingState& s = gTeachingState;
  return s.syncedToSong && gMetronomeSaved ? gSavedMetronomeBpm : ShownMetronomeTempo();
}

// While a playing song gives the bars, the record holds its time signature and the user's waits in
// the song's keeping, as the tempo does.
static bool SongGivesMeter() {
  return gTeachingState.syncedToSong && gMetronomeSaved && !gSongTimeSignatures.empty();
}

// A wheel turn in whole notches, at least one in its direction.
static int Notches(int delta) {
  if (delta == 0) return 0;
  int n = delta / 120;
  return n != 0 ? n : (delta > 0 ? 1 : -1);
}

// ---- public functions ----
void LayoutMetronomePanel(const RectF& room, float uiScale) {
  ResetMetronomePanel();
  float h = room.h;
  if (!Shown(room) || h < 12.0f) return;
  float gap = std::max(6.0f * uiScale, 5.0f), join = std::max(2.0f * uiScale, 2.0f);
  float switchW = h, stepW = 0.7f * h, figureW = 1.05f * h, signatureW = 1.4f * h, downbeatW = 0.9f * h;
  const float gaps = gap + 2.0f * join, faces = switchW + 2.0f * stepW + figureW;
  const float width = room.w;
  if (gaps + kNarrowest * faces > width) {
    // A narrow band (1024 x 600, a portrait screen) keeps the switch, and the tempo's figure (the
    // wheel sets it) narrowed to the room left, drawn smaller: without the switch nothing could
    // start the click, without the figure the tempo could be neither seen nor set.
    if (switchW > width) return;
    float right = room.x + room.w;
    const float figureRoom = std::min(figureW, width - switchW - gap);
    if (figureRoom >= 0.8f * h) gTempoFigureRect = TakeFromRight(&right, room.y, figureRoom, h, gap);
    gMetronomeSwitchRect = TakeFromRight(&right, room.y, switchW, h, gap);
    return;
  }
  // The most controls that fit, all narrowed by one factor down to kNarrowest before one is left
  // out: at 1440 x 920 the row is a little short of the whole panel, and the downbeat switch, the
  // last, was the one the user could not reach. The gaps keep their width, so the faces stay apart.
  bool signature = false, downbeat = false;
  for (int shown = 2; shown >= 0; --shown) {
    const float g = gaps + (float)shown * gap;
    const float f = faces + (shown >= 1 ? signatureW : 0.0f) + (shown >= 2 ? downbeatW : 0.0f);
    if (g + kNarrowest * f <= width || shown == 0) {
      signature = shown >= 1;
      downbeat = shown >= 2;
      const float k = std::min((width - g) / f, 1.0f);
      switchW *= k, stepW *= k, figureW *= k, signatureW *= k, downbeatW *= k;
      break;
    }
  }

  float right = room.x + room.w;
  if (downbeat) gDownbeatSwitchRect = TakeFromRight(&right, room.y, downbeatW, h, gap);
  if (signature) {
    gBeatValueRect = TakeFromRight(&right, room.y, signatureW / 2.0f, h, 0.0f);
    gBeatsPerBarRect = TakeFromRight(&right, room.y, signatureW / 2.0f, h, gap);
  }
  gTempoUpRect = TakeFromRight(&right, room.y, stepW, h, join);
  gTempoFigureRect = TakeFromRight(&right, room.y, figureW, h, join);
  gTempoDownRect = TakeFromRight(&right, room.y, stepW, h, gap);
  gMetronomeSwitchRect = TakeFromRight(&right, room.y, switchW, h, gap);
}

void ResetMetronomePanel() {
  for (RectF* r : {&gMetronomeSwitchRect, &gTempoDownRect, &gTempoFigureRect, &gTempoUpRect, &gBeatsPerBarRect,
                   &gBeatValueRect, &gDownbeatSwitchRect})
    *r = kHiddenRect;
}

bool IsPointOnMetronomePanel(int x, int y) {
  for (const RectF* r : {&gMetronomeSwitchRect, &gTempoDownRect, &gTempoFigureRect, &gTempoUpRect, &gBeatsPerBarRect,
                         &gBeatValueRect, &gDownbeatSwitchRect})
    if (On(*r, x, y)) return true;
  return false;
}

bool MetronomePanelMouseDown(int x, int y, bool shift) {
  TeachingState& s = gTeachingState;
  if (On(gMetronomeSwitchRect, x, y)) {
    SwitchMetronome(!s.metronomeOn);
  } else if (On(gTempoDownRect, x, y)) {
    SetMetronomeTempo(UserTempo() - (shift ? kMetronomeBigStep : 1));
  } else if (On(gTempoUpRect, x, y)) {
    SetMetronomeTempo(UserTempo() + (shift ? kMetronomeBigStep : 1));
  } else if (On(gBeatsPerBarRect, x, y)) {
    StepBeatsPerBar(shift ? -1 : 1);
  } else if (On(gBeatValueRect, x, y)) {
    StepBeatValue(shift ? -1 : 1);
  } else if (On(gDownbeatSwitchRect, x, y)) {
    s.downbeatSound = s.downbeatSound ? 0 : 1;
  } else {
    return On(gTempoFigureRect, x, y);  // the figure itself only answers the wheel
  }
  return true;
}

bool MetronomePanelWheel(int x, int y, int delta) {
  int n = Notches(delta);
  if (On(gTempoDownRect, x, y) || On(gTempoFigureRect, x, y) || On(gTempoUpRect, x, y)) {
    if (n != 0) SetMetronomeTempo(UserTempo() + n);
  } else if (On(gBeatsPerBarRect, x, y)) {
    StepBeatsPerBar(n);
  } else if (On(gBeatValueRect, x, y)) {
    StepBeatValue(n);
  } else {
    return false;
  }
  return true;
}

void SwitchMetronome(bool on) {
  TeachingState& s = gTeachingState;
  if (!on) {
    StopMetronome();
    return;
  }
  if (s.metronomeOn) return;
  s.metronomeOn = 1;
  s.gridRunning = 0;  // the grid takes its origin on its next tick and clicks the downbeat there
}

void SetMetronomeTempo(int bpm) {
  TeachingState& s = gTeachingState;
  int v = std::clamp(bpm, kMetronomeMinBpm, kMetronomeMaxBpm);
  if (gMetronomeSaved) gSavedMetronomeBpm = v;
  if (s.syncedToSong) {
    // The record keeps the song's tempo while it drives the grid; the user's waits in the song's
    // keeping when there is one.
    if (!gMetronomeSaved) s.bpm = v;
    return;
  }
  double oldTempo = s.songBpm > 0.0 ? s.songBpm : (double)std::max(s.bpm, 1);
  // The user's tempo replaces a song's left over from a song that stopped.
  s.songBpm = 0.0;
  s.bpm = v;
  if (!s.gridRunning) return;
  // The next beat comes one new beat after the last click, and the bar keeps its place, so a step
  // from a slow tempo to a fast one does not wait out the slow beat.
  double oldBeat = 60.0 / oldTempo, newBeat = 60.0 / (double)v;
  s.nextBeat = s.nextBeat - oldBeat + newBeat;
  s.barOrigin = s.nextBeat - (double)std::max(s.beatInBar, 0) * newBeat;
}

void StepBeatsPerBar(int step) {
  TeachingState& s = gTeachingState;
  const bool song = SongGivesMeter();
  int n = std::clamp(song ? gSavedMetronomeBeats : s.timeSigNum, 1, kMetronomeMaxBeats) - 1 + step % kMetronomeMaxBeats;
  int beats = (n % kMetronomeMaxBeats + kMetronomeMaxBeats) % kMetronomeMaxBeats + 1;
  if (gMetronomeSaved) gSavedMetronomeBeats = beats;
  if (song) return;
  s.timeSigNum = beats;
  s.songBarClicks = 0;  // the user's bar from now on
  s.beatInBar = std::max(s.beatInBar, 0) % s.timeSigNum;
}

void StepBeatValue(int step) {
  if (step == 0) return;
  const bool song = SongGivesMeter();
  const int from = song ? gSavedMetronomeNoteValue : gTeachingState.timeSigDen;
  // A value off the list counts from the first listed value at or above it.
  int at = kBeatValueCount - 1;
  for (int i = 0; i < kBeatValueCount; ++i)
    if (kBeatValues[i] >= from) {
      at = i;
      break;
    }
  bool listed = kBeatValues[at] == from;
  int next = at + (listed || step < 0 ? step : step - 1);
  int value = kBeatValues[(next % kBeatValueCount + kBeatValueCount) % kBeatValueCount];
  if (gMetronomeSaved) gSavedMetronomeNoteValue = value;
  if (!song) {
    gTeachingState.timeSigDen = value;
    gTeachingState.songBarClicks = 0;
  }
}

int ShownMetronomeTempo() {
  const TeachingState& s = gTeachingState;
  return s.songBpm > 0.0 ? (int)std::lround(s.songBpm) : s.bpm;
}
