// practice/teaching_state: the record's defaults, the per-student load and the selection sync.
//
// Depends on practice/ (students, achievements, the teaching file and meters), theory/ (the
// catalogue, the picked scale and key), midi/ (the click and the play-along level) and app/
// (folders). Switching students never clears the onset and timing statistics: they describe
// everything played since the program started.
#include "practice/teaching_state.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/base/folders.h"
#include "app/base/maths.h"
#include "app/base/status_text.h"
#include "midi/click.h"
#include "midi/level_setting.h"
#include "platform/audio.h"
#include "practice/achievements.h"
#include "practice/data_files.h"
#include "practice/students.h"
#include "practice/teaching_file.h"
#include "practice/teaching_meters.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- state ----
float gTeachingLevel = 0.5f;           // the difficulty slider 0..1
static bool gTeachingLoadedOnce = false;   // the first load has reset the record
static bool gClickDeviceWoken = false;     // the silent warm-up click has been played

// ---- internal helpers ----
// The slider value that gives back this difficulty in the selection sync.
static float SliderForDifficulty(int difficulty) {
  return (float)(ClampInt(difficulty, 1, 10) - 1) / 9.0f;
}

// ---- public functions ----

double GetTeachingBeatSeconds(const TeachingState& s) {
  double b = s.songBpm > 0.0 ? s.songBpm : (double)std::max(s.bpm, 1);
  return 60.0 / std::max(b, 1.0);
}

void SetTeachingDataFolder(TeachingState& s, const std::string& folder) { s.dataFolder = folder; }

void SetTeachingColour(TeachingState& s, float r, float g, float b) {
  s.studentColour[0] = std::clamp(r, 0.0f, 1.0f);
  s.studentColour[1] = std::clamp(g, 0.0f, 1.0f);
  s.studentColour[2] = std::clamp(b, 0.0f, 1.0f);
}

bool IsValidTeachingCellCode(int code) {
  if (code < 0 || (code & 15) > 11) return false;
  GetScaleCatalogue();
  size_t row = (size_t)(code >> 4);
  return row < gScaleCatalogue.size() && gScaleCatalogue[row] != nullptr;
}

void ResetTeachingSession(TeachingState& s) {
  s = TeachingState();
  if (gClickDeviceWoken) return;
  gClickDeviceWoken = true;
  // The first real click would otherwise be late or lost while the sound device wakes up. The
  // image stays alive: playback reads it after this returns.
  static std::vector<uint8_t> silentClick = MakeClickWav(1000.0f, 0.02f, 0.0f, false);
  PlayClickSoundFromMemory(silentClick, kAudioAtOnce);
}

void LoadTeachingState(bool resetLevel) {
  TeachingState& s = gTeachingState;
  if (!gTeachingLoadedOnce) {
    gTeachingLoadedOnce = true;
    ResetTeachingSession(s);
    // No Data folder means no teaching files, never files in the current folder.
    s.dataFolder = GetDataFolder();
    s.downbeatWavPath = FindDownbeatWav();
  } else if (s.downbeatWavPath.empty()) {
    s.downbeatWavPath = FindDownbeatWav();
  }

  std::string id = "default";
  std::string name;
  float colour[3] = {0.18f, 0.84f, 0.26f};
  int active = gActiveStudentIndex;
  if (active >= 0 && (size_t)active < gStudents.size()) {
    const Student& st = gStudents[(size_t)active];
    if (!st.id.empty()) id = st.id;
    name = st.name;
    colour[0] = st.r;
    colour[1] = st.g;
    colour[2] = st.b;
  }

  std::string previousId = s.studentId;
  if (id == s.studentId && s.loaded) {
    if (!name.empty()) s.studentName = name;
  } else {
    if (s.dirty) {
      SaveTeachingStateAsync(s);
      s.dirty = 0;
    }
    s.studentId = id;
    s.studentName = name;
    s.loaded = 1;
    s.savedPracticeScales.clear();
    s.attendance.clear();
    s.lastDifficulty = ClampInt(s.difficulty, 1, 10);

    ReadTeachingFile(s);

    s.difficulty = ClampInt(s.lastDifficulty, 1, 10);
    if (!s.savedPracticeScales.empty()) s.practiceScales = s.savedPracticeScales;
    s.stepIndex = 0;
    s.sessionRunning = 0;
    s.sessionComplete = 0;
    s.runScoresShown = 0;
    s.runResultsAvailable = 0;
    ComputeTeachingMeters(s);
    // The slider follows the loaded difficulty, or the next selection sync would overwrite it.
    gTeachingLevel = SliderForDifficulty(s.difficulty);
  }

  SetTeachingColour(s, colour[0], colour[1], colour[2]);

  if (resetLevel && id != previousId) gLevelSetting = 0.5f;
}

void SyncTeachingSelection() {
  LoadTeachingState(false);
  TeachingState& s = gTeachingState;
  // A background save cannot reach the status line itself; the next frame tells the user.
  if (gTeachingSaveFailed.exchange(false)) gStatusText = kSaveFailureMessage;

  float slider = std::clamp(gTeachingLevel, 0.0f, 1.0f);
  int d = ClampInt((int)std::lround(slider * 9.0f + 1.0f), 1, 10);
  if (d != s.difficulty) {
    s.difficulty = d;
    s.lastDifficulty = d;
    s.dirty = 1;
  }

  const ScaleRow* scale = gPickedScale ? gPickedScale : gCurrentScale;
  int pos = gRingPos;
  if (pos < 0 || pos > 11) pos = RingPosOfPitchClass(((gKeyRoot % 12) + 12) % 12);

  int code = -1;
  int noteCount = 7;
  if (scale) {
    SyncAchievementRows();
    GetScaleCatalogue();
    for (size_t row = 0; row < gScaleCatalogue.size(); ++row) {
      if (gScaleCatalogue[row] == scale) {
        code = (int)row * 16 + pos;
        break;
      }
    }
    noteCount = std::max(scale->count, 1);
  }
  int accidentals = std::min(12 - pos, pos);

  s.currentCellCode = code;
  s.currentAccidentals = accidentals;
  s.currentNoteCount = noteCount;
  if (code >= 0) {
    s.accidentalsByCell[code] = accidentals;
    s.noteCountByCell[code] = noteCount;
  }
}

bool OnTimingPanelMouseDown(int, int, uint32_t, bool) { return false; }
void OnTimingPanelMouseDrag() {}
void OnTimingPanelMouseUp(int) {}
bool OnTimingPanelWheel(int, int, int) { return false; }
void UpdateTeachingTimeline(TeachingState*, double) {}
void TickNoteScheduler(uint32_t) {}
