// learning/sight_score: reading ".sightscore.tsv" files.
#include "learning/sight_score.h"

#include <cmath>

#include "learning/library_index.h"
#include "practice/data_files.h"

// ---- state ----
SightScore gSightScore;   // the loaded score

// ---- internal helpers ----
static bool ParseIntField(const std::string& field, int* out) {
  try {
    size_t used = 0;
    *out = std::stoi(field, &used);
    return used > 0;
  } catch (...) {
    return false;
  }
}

static void ReadMeta(const std::vector<std::string>& f, SightScore* score) {
  score->ticks_per_quarter = SightScoreField(f, 0, score->ticks_per_quarter);
  score->beats_per_bar = SightScoreField(f, 1, score->beats_per_bar);
  score->beat_unit = SightScoreField(f, 2, score->beat_unit);
  score->key_signature = SightScoreField(f, 3, 0);
  int mode = SightScoreField(f, 4, 0);
  score->minor = mode > 0;
  score->key_shown = mode >= 0;
  if (f.size() >= 6 && !f[5].empty()) {
    try {
      double tempo = std::stod(f[5]);
      if (std::isfinite(tempo)) score->tempo = tempo;
    } catch (...) {
    }
  }
}

static SightScoreNote ReadNote(const std::vector<std::string>& f) {
  SightScoreNote n;
  n.start_tick = SightScoreField(f, 0, 0);
  n.length_ticks = SightScoreField(f, 1, 0);
  n.staff = SightScoreField(f, 2, 0);
  n.midi_note = SightScoreField(f, 3, 60);
  n.letter = SightScoreField(f, 4, 0);
  n.accidental = SightScoreField(f, 5, 0);
  n.octave = SightScoreField(f, 6, 4);
  n.dotted = SightScoreField(f, 7, 0) != 0;
  int value = SightScoreField(f, 8, 3);
  n.note_value = (uint8_t)(value >= 0 && value <= 255 ? value : 3);
  n.tied = SightScoreField(f, 9, 0) != 0;
  n.left_hand = SightScoreField(f, 10, 0) != 0;
  n.show_accidental = SightScoreField(f, 11, n.accidental != 0 ? 1 : 0) != 0;
  return n;
}

// ---- public functions ----
int SightScoreField(const std::vector<std::string>& fields, int index, int defaultValue) {
  if (index < 0 || (size_t)index >= fields.size() || fields[index].empty()) return defaultValue;
  int value;
  return ParseIntField(fields[index], &value) ? value : defaultValue;
}

bool LoadSightScore(const std::string& path) {
  std::string all;
  if (ReadDataFileBytes(path, &all) != DataFileRead::kOk) return false;
  SightScore score;
  size_t pos = all.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < all.size()) {
    size_t nl = all.find('\n', pos);
    std::string line = all.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? all.size() : nl + 1;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> pieces = SplitTabs(line);
    std::vector<std::string> fields(pieces.begin() + 1, pieces.end());
    if (pieces[0] == "META") ReadMeta(fields, &score);
    else if (pieces[0] == "NOTE") score.notes.push_back(ReadNote(fields));
  }
  score.active = !score.notes.empty();
  SetSightScore(score);
  return gSightScore.active;
}

SightScore& SetSightScore(SightScore& from) {
  std::vector<SightScoreNote> notes = std::move(from.notes);
  from.notes.clear();
  gSightScore = from;
  gSightScore.notes = std::move(notes);
  return gSightScore;
}

void ResetSightScore() {
  SightScore empty;
  SetSightScore(empty);
}

bool SightScoreHasNotes() { return gSightScore.active && !gSightScore.notes.empty(); }
