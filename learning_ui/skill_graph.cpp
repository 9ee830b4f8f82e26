// learning_ui/skill_graph: the skill graph file, skill tiers and map columns.
#include "learning_ui/skill_graph.h"

#include <algorithm>
#include <unordered_set>

#include "learning/library_index.h"
#include "learning/library_text.h"
#include "practice/data_files.h"

// ---- constants ----
struct TierFragment {
  const char* text;
  int tier;
};
// Searched in this order and the first found wins, so a more specific name ("chorales - level 5",
// "late intermediate") must stand before the shorter one it contains.
static const TierFragment kTierFragments[] = {
    {"intervals", 1},
    {"staccato", 2},
    {"rhythm studies", 2},
    {"pedal studies", 3},
    {"chorales - level 5", 6},
    {"chorales - intermediate", 5},
    {"velocity", 5},
    {"passagework", 5},
    {"advanced", 6},
    {"late intermediate", 6},
    {"sonatina", 5},
    {"concert etudes", 5},
    {"intermediate character", 5},
    {"whole tone", 5},
    {"chromatic", 5},
    {"figure patterns", 5},
    {"nordic", 4},
    {"lyric", 4},
    {"counterpoint", 4},
    {"thirds", 4},
    {"sixths", 4},
    {"octaves", 4},
    {"character", 4},
    {"chorales - late", 4},
    {"finger independence", 4},
    {"easy two-hand", 3},
    {"one-hand reading", 3},
    {"cadences", 3},
    {"chord progressions", 3},
    {"harmonic minor", 3},
    {"melodic minor", 3},
    {"grand staff", 3},
    {"natural minor", 2},
    {"broken chords", 2},
    {"easy classics", 2},
    {"simple melodies", 1},
    {"major scales", 1},
    {"major", 1},
    {"landmark", 1},
};

// ---- state ----
std::vector<SkillGraphRow> gSkillGraph;    // file order
static bool gSkillGraphTried = false;      // the file was looked for this run

// ---- public functions ----
void ReadSkillGraphLines(const std::vector<std::string>& lines) {
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::vector<std::string> fields = SplitTabs(lines[i]);
    if (fields.back().empty()) fields.pop_back();   // a closing TAB opens no field
    if (fields.size() < 4) continue;
    gSkillGraph.push_back({fields[0], DecodeHtmlEntities(fields[1]), fields[2], DecodeHtmlEntities(fields[3])});
  }
}

void LoadSkillGraph() {
  if (gSkillGraphTried) return;
  gSkillGraphTried = true;
  std::vector<std::string> lines;
  if (ReadDataFileLines(LibraryFolderPath() + "skill_graph.tsv", &lines) == DataFileRead::kOk) ReadSkillGraphLines(lines);
}

void ResetSkillGraph() {
  gSkillGraph.clear();
  gSkillGraphTried = false;
}

std::vector<std::string> ItemTypesOfCategory(const std::string& category) {
  std::vector<std::string> types;
  std::unordered_set<std::string> seen;
  for (const LibraryItem& item : gLibraryItems)
    if (item.category == category && seen.insert(item.type).second) types.push_back(item.type);
  return types;
}

int MapCategoryClass(const std::string& category) {
  if (category == "scales" || category == "chords" || category == "mechanics") return 0;
  if (category == "foundations" || category == "sight") return 1;
  return 2;
}

int SkillTierOf(const std::string& category, const std::string& type) {
  const std::string k = AsciiLowerCopy(category + " " + type);
  for (const TierFragment& fragment : kTierFragments)
    if (k.find(fragment.text) != std::string::npos) return fragment.tier;
  return 0;
}
