// practice/achievement_tracking: the run recognisers and what a completed run does.
//
// A tracker keeps up to three attempts, so restarting on a later tonic does not lose a run in
// progress. Without wait mode the degrees may come in any octave as long as each note moves in
// the run's direction; in wait mode they must lie in the octave of the starting tonic. A note
// outside the cell's scale cancels every attempt of that cell. Note times are on the wrapping
// 32-bit clock, so every age is a signed 32-bit difference.
#include "practice/achievement_tracking.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/base/app_clock.h"
#include "app/base/maths.h"
#include "app/base/ring_key_drag.h"
#include "app/base/view_modes.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/board_message.h"
#include "practice/practice_run_state.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- constants ----
static const int32_t kAttemptLifeMs = 2000;     // an attempt dies after this long without a note
static const int32_t kChordToleranceMs = 120;   // notes this close count as struck together
static const int32_t kRepeatCompleteMs = 900;   // a second completion this soon is not reported

// ---- state ----
float gScaleRunGlow[12] = {};
void (*gScaleEarnedHook)(const char* scaleName, int ringPos) = nullptr;   // the learning model's

// ---- internal helpers ----
static int32_t Age(uint32_t ms, uint32_t then) { return (int32_t)(ms - then); }

// Index of interval in the scale's pitch classes, -1 when absent.
static int DegreeOf(const ScaleRow& scale, int interval) {
  for (int i = 0; i < scale.count; ++i)
    if (scale.pcs[i] == interval) return i;
  return -1;
}

static bool SlotAccepts(const AttemptSlot& s, const ScaleRow& scale, int root, int note, int direction) {
  const int n = scale.count;
  const int pc = PitchClassMod(note);
  if (direction > 0) {
    if (s.step < n) {
      if (gWaitMode) return note == s.base + scale.pcs[s.step];
      return PitchClassMod(note - s.base) == scale.pcs[s.step] && note > s.last;
    }
    if (gWaitMode) return note == s.base + 12;
    return pc == root && note > s.last;
  }
  if (s.step < 0 || s.step >= n) return false;
  if (gWaitMode) return note == s.base + scale.pcs[s.step];
  return PitchClassMod(note - s.base) == scale.pcs[s.step] && note < s.last;
}

// The active slot whose last note is nearest to note (lower slot on a tie), -1 when none.
static int NearestActiveSlot(const CellPlayTrack& t, int note) {
  int best = -1;
  for (int i = 0; i < 3; ++i) {
    if (!t.slots[i].active) continue;
    if (best < 0 || std::abs(note - t.slots[i].last) < std::abs(note - t.slots[best].last)) best = i;
  }
  return best;
}

// The scale and column the user works in: the picked scale (else the current one) and the
// selected ring position (else the key's).
static const ScaleRow* ShownScale() { return gPickedScale ? gPickedScale : gCurrentScale; }

static const ScaleRow* RowScale(int row) {
  GetScaleCatalogue();
  if (row < 0 || row >= (int)gScaleCatalogue.size()) return nullptr;
  return gScaleCatalogue[row];
}

static bool SamePitchClasses(const ScaleRow& a, const ScaleRow& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i)
    if (a.pcs[i] != b.pcs[i]) return false;
  return true;
}

// ---- public functions ----
bool StepCellPlayTrack(CellPlayTrack& t, const ScaleRow& scale, int column, int note, uint32_t ms,
                       int direction) {
  const int n = scale.count;
  if (n < 1 || n > 12) return false;
  const int root = kFifthsOrder[PitchClassMod(column)];
  const int pc = PitchClassMod(note);
  const int interval = PitchClassMod(pc - root);

  for (AttemptSlot& s : t.slots)
    if (s.active && Age(ms, s.lastMs) > kAttemptLifeMs) s = AttemptSlot{};
  if (t.pendingActive && Age(ms, t.pendingMs) > kAttemptLifeMs) t.pendingActive = 0;

  if (DegreeOf(scale, interval) < 0) {
    ResetCellPlayTrack(t);
    return false;
  }

  int winner = -1;
  for (int i = 0; i < 3; ++i) {
    const AttemptSlot& s = t.slots[i];
    if (!s.active || !SlotAccepts(s, scale, root, note, direction)) continue;
    // Struck together with the attempt's last note (a cluster, a slammed chord): not its next step.
    int32_t age = Age(ms, s.lastMs);
    if (age >= 0 && age < (int32_t)kStruckTogetherMs) continue;
    if (winner < 0 || std::abs(note - s.last) < std::abs(note - t.slots[winner].last)) winner = i;
  }

  if (winner >= 0) {
    AttemptSlot& s = t.slots[winner];
    s.step += direction;
    s.last = note;
    s.lastMs = ms;
    bool complete = direction > 0 ? s.step > n : s.step < 0;
    if (!complete) return false;
    s = AttemptSlot{};
    if (t.lastCompleteMs != 0) {
      int32_t since = Age(ms, t.lastCompleteMs);
      if (since >= 0 && since <= kRepeatCompleteMs) {
        t.lastCompleteMs = ms;
        return false;
      }
    }
    t.lastCompleteMs = ms;
    return true;
  }

  // A repeated key keeps its attempt alive.
  for (AttemptSlot& s : t.slots) {
    if (s.active && s.last == note) {
      s.lastMs = ms;
      return false;
    }
  }

  if (pc != root) {
    // The same pitch class in another octave, struck with the last note: a doubling.
    for (AttemptSlot& s : t.slots) {
      if (!s.active) continue;
      int32_t age = Age(ms, s.lastMs);
      if (PitchClassMod(s.last) == pc && age >= 0 && age <= kChordToleranceMs) {
        s.lastMs = ms;
        return false;
      }
    }
    // A diatonic third struck with the last note is harmony, not a wrong step.
    if (n == 7) {
      int dn = DegreeOf(scale, interval);
      for (const AttemptSlot& s : t.slots) {
        if (!s.active) continue;
        int32_t age = Age(ms, s.lastMs);
        int gap = std::abs(note - s.last);
        if (age < 0 || age > kChordToleranceMs || (gap != 3 && gap != 4)) continue;
        int dl = DegreeOf(scale, PitchClassMod(PitchClassMod(s.last) - root));
        if (dn < 0 || dl < 0) continue;
        int distance = note > s.last ? dn - dl : dl - dn;
        if (((distance % 7) + 7) % 7 == 2) return false;
      }
    }
    bool anyActive = t.slots[0].active || t.slots[1].active || t.slots[2].active;
    if (!anyActive) {
      t.pendingActive = 0;
      return false;
    }
    if (!t.pendingActive) {
      t.pendingActive = 1;
      t.pendingNote = note;
      t.pendingMs = ms;
      return false;
    }
    bool against = direction > 0 ? note < t.pendingNote : note > t.pendingNote;
    if (against) {
      t.pendingNote = note;
      t.pendingMs = ms;
      return false;
    }
    // A second stray note moving with the run: the attempt it broke is dropped.
    int broken = NearestActiveSlot(t, note);
    if (broken >= 0) t.slots[broken] = AttemptSlot{};
    t.pendingActive = 0;
    return false;
  }

  // A tonic starts a new attempt, in a free slot or in place of the least advanced one.
  int slot = -1;
  for (int i = 0; i < 3 && slot < 0; ++i)
    if (!t.slots[i].active) slot = i;
  if (slot < 0) {
    auto progress = [&](const AttemptSlot& s) { return direction > 0 ? s.step : (n - 1) - s.step; };
    slot = 0;
    for (int i = 1; i < 3; ++i) {
      const AttemptSlot& a = t.slots[i];
      const AttemptSlot& b = t.slots[slot];
      if (progress(a) < progress(b) || (progress(a) == progress(b) && Age(b.lastMs, a.lastMs) > 0))
        slot = i;
    }
  }
  AttemptSlot& s = t.slots[slot];
  s = AttemptSlot{};
  s.active = 1;
  s.last = note;
  s.lastMs = ms;
  if (direction > 0) {
    s.base = note;
    s.step = 1;
  } else {
    s.step = n - 1;
    s.base = gWaitMode ? note - 12 : note;
  }
  return false;
}

void MarkCellCompleted(AchvCellList& up, int row, int column) {
  for (const auto& cell : up)
    if (cell.first == row && cell.second == column) return;
  up.emplace_back(row, column);
}

void TrackCellNote(int note, uint32_t ms, AchvCellList& up, AchvCellList& down, int row, int column) {
  if (!IsAchievementRowValid(row) || column < 0 || column > 11) return;
  const ScaleRow* scale = RowScale(row);
  if (!scale || scale->count < 1) return;
  if (StepCellPlayTrack(gAchvUpTracks[row][column], *scale, column, note, ms, +1)) {
    MarkCellCompleted(up, row, column);
    // Scales with the same notes under other names are earned together.
    int rows = (int)gAchvDone.size();
    for (int r2 = row + 1; r2 < rows; ++r2) {
      const ScaleRow* other = RowScale(r2);
      if (other && SamePitchClasses(*scale, *other)) MarkCellCompleted(up, r2, column);
    }
  }
  if (StepCellPlayTrack(gAchvDownTracks[row][column], *scale, column, note, ms, -1))
    down.emplace_back(row, column);
}

void TrackAchievementNote(int note, uint32_t ms) {
  if (!gSongEvents.empty()) return;
  SyncAchievementRows();
  AchvCellList up, down;

  const int rows = (int)gAchvDone.size();
  if (!gPlaying) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < 12; ++c) TrackCellNote(note, ms, up, down, r, c);
  } else {
    int row = FindScaleRow(ShownScale());
    int column = SelectedOrKeyRingPos();
    if (row >= 0) {
      if (gAllNotesAllowed) {
        for (int c = 0; c < 12; ++c) TrackCellNote(note, ms, up, down, row, c);
      } else {
        TrackCellNote(note, ms, up, down, row, column);
      }
    }
  }

  bool newlyEarned = false;
  if (!up.empty()) {
    int64_t now = NowSeconds();
    for (const auto& [row, column] : up) {
      if (!gAchvDone[row][column]) newlyEarned = true;
      gAchvDone[row][column] = 1;
      gAchvTime[row][column] = now;
      gAchvFlash[row][column] = 0.5f;
      gAchvSheen[row][column] = 2.2f;
      gAchvEarnedAt[row][column] = GetAppSeconds();
      if (const ScaleRow* scale = RowScale(row); scale && gScaleEarnedHook) gScaleEarnedHook(scale->name, column);
    }
    for (const auto& [row, column] : up) {
      const ScaleRow* scale = RowScale(row);
      if (!scale) continue;
      std::string label = SpellScaleNotes(kFifthsOrder[column], scale) + " " + scale->name;
      AppendPatternEvent(PatternEvent{label, ms});
      gBoardMessage = label;
      gBoardMessageTime = GetAppSeconds();
    }
    OnPracticeCellPlayed(up, ms);

    if (!gPlaying && gPracticeState == kPracticeOff) {
      int best = -1;
      long bestScore = 0;
      for (size_t i = 0; i < up.size(); ++i) {
        const ScaleRow* scale = RowScale(up[i].first);
        if (!scale) continue;
        long score = 100L * scale->count + (ScaleInFilter(scale) ? 25 : 0) +
                     (gAllNotesAllowed ? (long)i : -(long)i);
        if (best < 0 || score > bestScore) {
          best = (int)i;
          bestScore = score;
        }
      }
      if (best >= 0) {
        const ScaleRow* scale = RowScale(up[best].first);
        int column = up[best].second;
        if (gAllNotesAllowed && gScaleListMode && !ScaleInFilter(scale)) {
          gScaleFilter = 7;
          RebuildVisibleScales();
        }
        if (scale != ShownScale() || column != SelectedOrKeyRingPos()) {
          CancelRingKeyDrag();
          SelectScale(scale, column, true);
        }
      }
    }
  }

  for (const auto& [row, column] : down) {
    if (!gAchvDone[row][column]) continue;
    gAchvGlow[row][column] = 20.0f;
    gAchvSheen[row][column] = std::max(gAchvSheen[row][column], 1.54f);
    const ScaleRow* scale = RowScale(row);
    if (scale && scale == ShownScale() && column == SelectedOrKeyRingPos()) {
      for (int i = 0; i < scale->count; ++i) {
        float& glow = gScaleRunGlow[PitchClassMod(scale->pcs[i] + kFifthsOrder[column])];
        glow = std::max(glow, 1.05f);
      }
    }
  }

  if (newlyEarned) {
    SyncAchievementRows();
    SaveAchievements();
  }
}

float CurrentCellGlow() {
  SyncAchievementRows();
  if (gAchvGlow.empty()) return 0.0f;
  int row = FindScaleRow(ShownScale());
  if (row >= 0) return std::clamp(gAchvGlow[row][SelectedOrKeyRingPos()] / 20.0f, 0.0f, 1.0f);
  float largest = 0.0f;
  for (const auto& cells : gAchvGlow)
    for (float v : cells) largest = std::max(largest, v);
  return std::clamp(largest / 20.0f * 0.55f, 0.0f, 1.0f);
}

void ResetAchievementTracking() {
  for (float& g : gScaleRunGlow) g = 0.0f;
}
