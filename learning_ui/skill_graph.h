// learning_ui/skill_graph: what the mastery map knows of skills beyond the library: the
// prerequisite edges of "skill_graph.tsv", the tier of difficulty and the map column of a skill,
// and the types that make up a category's skills. A skill is a category and a type, named by
// ItemSkillKey.
//
// The file is read at most once a run, also when it is missing, and never written. Its first line
// is a header; fields 2 and 4 are decoded like the index's text so that they meet the library's
// types; nothing is trimmed. Edges naming no skill of the map are kept and simply show nowhere.
#pragma once
#include <string>
#include <vector>

// One prerequisite edge: the skill (category, type) needs the skill (neededCategory, neededType).
struct SkillGraphRow {
  std::string category;
  std::string type;
  std::string neededCategory;
  std::string neededType;
};

// ---- state ----
extern std::vector<SkillGraphRow> gSkillGraph;   // file order, duplicates kept

// Reads "skill_graph.tsv" from the library folder on the first call; later calls do nothing.
void LoadSkillGraph();
// The rows of a read file, header line first (which is skipped).
void ReadSkillGraphLines(const std::vector<std::string>& lines);
// Forgets the graph and that the file was tried (tests).
void ResetSkillGraph();

// The distinct types of the category's items (exact match) in the current order of the library.
std::vector<std::string> ItemTypesOfCategory(const std::string& category);
// The map column: 0 technique (scales, chords, mechanics), 1 reading (foundations, sight), 2 the rest.
int MapCategoryClass(const std::string& category);
// The tier 0..6 of a skill by the first of its ordered name fragments found in
// "category type", lower-cased; 0 when none is found.
int SkillTierOf(const std::string& category, const std::string& type);
