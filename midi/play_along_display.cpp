// midi/play_along_display: the values the board draws from the judging: per-key highlights of the
// due notes and of held hold notes, the shimmer of a due note, the waiting pulse, and the pedal
// glow on a song note's bar (the only drawing here), and the display rules that decide whether a
// played note shows as off the scale or wrong.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "midi/judge_index.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "theory/circle_theory.h"

// ---- internal helpers ----
namespace {

float Smooth(float x) { return x * x * (3.0f - 2.0f * x); }

bool RunShown() { return gPlayAlongRun && (gPracticeMode || gWaitMode) && !gSongEvents.empty(); }

// The ramp of a due pending note, or a negative value when the note gives nothing.
float DueRamp(size_t index, uint32_t position) {
  if (!RunShown() || index >= gSongEvents.size() || index >= gJudgeStates.size()) return -1.0f;
  const SongEvent& e = gSongEvents[index];
  if (!IsSoundingNoteOn(e) || gJudgeStates[index].state != 0) return -1.0f;
  if (gWaitHolding && (uint64_t)position + 3 >= e.timeMs) return 1.0f;
  if (position < e.timeMs) return -1.0f;
  return std::clamp((float)(position - e.timeMs) / 140.0f, 0.0f, 1.0f);
}

}  // namespace

// ---- public functions ----
void UpdateKeyHighlights(uint32_t now) {
  std::fill(std::begin(gKeyExpectHighlight), std::end(gKeyExpectHighlight), 0.0f);
  std::fill(std::begin(gKeyHoldHighlight), std::end(gKeyHoldHighlight), 0.0f);
  if (!RunShown()) return;
  if (gJudgeStates.size() != gSongEvents.size()) ResetJudgeStates(false, false);
  if (!JudgeIndexSized()) RebuildJudgeIndex();
  const uint32_t position = GetPlaybackPositionMs(now);
  // Only pending notes at or before the position (3 ms ahead while held) light up.
  const uint64_t last = (uint64_t)position + 3;
  for (size_t i = FirstPendingExpected(); i < gSongEvents.size() && gSongEvents[i].timeMs <= last; ++i) {
    int note = gSongEvents[i].data1;
    if (note < 128) gKeyExpectHighlight[note] = std::max(gKeyExpectHighlight[note], EventHighlight(i, position, now));
  }
  // Only graded hold notes pulse.
  PruneOpenHolds(position);
  for (uint32_t i : OpenHolds()) {
    int note = gSongEvents[i].data1;
    if (note < 128) gKeyHoldHighlight[note] = std::max(gKeyHoldHighlight[note], EventPulse(i, position));
  }
}

float EventHighlight(size_t index, uint32_t position, uint32_t now) {
  float ramp = DueRamp(index, position);
  if (ramp < 0.0f) return 0.0f;
  if (gPaused) return 0.65f;
  int note = gSongEvents[index].data1;
  double phase = (double)(index % 17) * 0.41 + (double)now * 0.001 * 2.75 + (double)(note % 12) * 0.16;
  float shimmer = (float)(std::sin(phase) * 0.5 + 0.5);
  return 0.3f + 0.7f * Smooth(shimmer) * Smooth(ramp);
}

float EventPulse(size_t index, uint32_t position) {
  if (index >= gJudgeStates.size() || index >= gSongEvents.size()) return 0.0f;
  const NoteJudgeState& j = gJudgeStates[index];
  if (j.state < 1 || j.state > 3 || !j.holdNote || j.holdBroken) return 0.0f;
  return position < j.holdEndMs ? 1.0f : 0.0f;
}

float WaitingNotePulse(size_t index, uint32_t position, uint32_t now, float amount) {
  float ramp = DueRamp(index, position);
  if (ramp < 0.0f || gPaused) return 0.0f;
  int note = gSongEvents[index].data1;
  double phase = (double)(index % 19) * 0.37 + (double)now * 0.001 * 2.05 + (double)(note % 12) * 0.11;
  float shimmer = (float)(std::sin(phase) * 0.5 + 0.5);
  return -std::max(amount, 0.0f) * Smooth(shimmer) * Smooth(ramp);
}

void DrawNoteGlow(size_t index, float x, float w, float yTop, float yBottom, float alpha, float scale,
                  uint32_t now) {
  if (gSightReadingMode || index >= gNotePedalSpans.size() || !gNotePedalSpans[index].present) return;
  if (alpha <= 0.001f || w <= 1.0f || yBottom - yTop <= 3.0f) return;
  const NotePedalSpan& span = gNotePedalSpans[index];
  double length = std::max((double)span.upMs - (double)span.downMs, 1.0);
  double period = std::clamp(length, 1100.0, 7600.0);
  double phase = std::fmod(((double)span.downMs * 0.31 + (double)now) / period, 1.0);
  float h = yBottom - yTop;
  float centre = yBottom - (float)phase * h;
  float half = std::min(std::max(scale * 10.0f, 5.0f), 0.34f * h);
  float bandTop = std::max(centre - half, yTop), bandBottom = std::min(centre + half, yBottom);
  float b = (float)((std::sin((double)span.downMs * 0.0011 + (double)now * 0.0024) * 0.28 + 0.72) * 0.15 + 0.22) * alpha;
  b = std::clamp(b, 0.0f, 0.48f);
  float inset = std::max(scale * 0.45f, 0.5f);
  float left = x + inset, right = x + w - inset;

  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBegin(GL_QUADS);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.0f);
  glVertex2f(left, bandTop);
  glVertex2f(right, bandTop);
  SetGlColor(1.0f, 1.0f, 1.0f, b);
  glVertex2f(right, centre);
  glVertex2f(left, centre);
  glVertex2f(left, centre);
  glVertex2f(right, centre);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.0f);
  glVertex2f(right, bandBottom);
  glVertex2f(left, bandBottom);
  glEnd();
  SetGlColor(1.0f, 1.0f, 1.0f, std::clamp(b * 1.35f, 0.0f, 0.62f));
  FillRoundedRect(left, centre - std::max(scale * 0.6f, 0.45f), std::max(w - 2.0f * inset, 1.0f),
                  std::max(scale * 1.2f, 0.9f), std::max(scale * 0.6f, 0.5f), 6);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// ---- display rules ----
bool IsOffScaleNote(int note) {
  if (gSongEvents.empty()) return !ScaleContainsPitchClass(PitchClassMod(note));
  if (note < 0 || note > 127) return false;
  return gWrongNoteMark[note] && gPlayAlongRun && IsPlayAlongAvailable();
}

bool NoSongLoadedAnd(bool flag) { return gSongEvents.empty() && flag; }

int KeyDisplayState(int note, int fallback) {
  if (gSongEvents.empty()) return fallback;
  // A negative note has no mark either; the table is never indexed outside 0..127.
  if (note < 0 || note > 127 || !gWrongNoteMark[note] || !gPlayAlongRun) return 0;
  return IsPlayAlongAvailable() ? 1 : 0;
}
