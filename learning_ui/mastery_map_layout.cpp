// learning_ui/mastery_map_layout: the mastery map's tiers and star cards.
#include "learning_ui/mastery_map_layout.h"

#include <algorithm>
#include <unordered_map>

#include "app/base/maths.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/lessons.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning_ui/skill_graph.h"

// ---- constants ----
const char* const (&kMapSections)[7] = kSectionOrder;

// ---- internal helpers ----
namespace {

struct MapSkill {
  const std::string* category;
  const std::string* type;
  std::vector<int> items;   // indices into gLibraryItems, library order
  int tier, column;
};

int MapSectionIndex(const std::string& category) {
  for (int i = 0; i < 7; ++i)
    if (category == kMapSections[i]) return i;
  return -1;
}

// Every skill in walking order with its items, from one walk over the library: a section's types
// come in the order of their first item, as ItemTypesOfCategory lists them.
std::vector<MapSkill> GatherMapSkills() {
  std::vector<MapSkill> bySection[7];
  std::unordered_map<std::string, std::pair<int, int>> index;   // skill key -> section, place
  for (int i = 0; i < (int)gLibraryItems.size(); ++i) {
    const LibraryItem& item = gLibraryItems[i];
    int section = MapSectionIndex(item.category);
    if (section < 0) continue;
    auto [found, added] = index.try_emplace(ItemSkillKey(item.category, item.type), section, (int)bySection[section].size());
    if (added) {
      int tier = ClampInt(SkillTierOf(item.category, item.type), 0, kMapTierCount - 1);
      bySection[section].push_back({&item.category, &item.type, {}, tier, ClampInt(MapCategoryClass(item.category), 0, 2)});
    }
    bySection[found->second.first][found->second.second].items.push_back(i);
  }
  std::vector<MapSkill> skills;
  for (auto& section : bySection)
    for (MapSkill& skill : section) skills.push_back(std::move(skill));
  return skills;
}

std::array<int, kMapTierCount> CountTiers(const std::vector<MapSkill>& skills, int cells[kMapTierCount][3]) {
  for (int t = 0; t < kMapTierCount; ++t) cells[t][0] = cells[t][1] = cells[t][2] = 0;
  for (const MapSkill& skill : skills) ++cells[skill.tier][skill.column];
  std::array<int, kMapTierCount> counts;
  for (int t = 0; t < kMapTierCount; ++t) counts[t] = std::max({1, cells[t][0], cells[t][1], cells[t][2]});
  return counts;
}

std::array<float, kMapTierCount> TopsFor(const LearningLayout& l, const std::array<int, kMapTierCount>& counts) {
  std::array<float, kMapTierCount> tops;
  tops[0] = l.contentY + 62.0f - gLibraryScroll;
  for (int t = 0; t + 1 < kMapTierCount; ++t) tops[t + 1] = tops[t] + MapTierHeight(counts[t]);
  return tops;
}

int SkillState(const MapSkill& skill) {
  bool allComplete = !skill.items.empty();
  for (int i : skill.items)
    if (!IsItemComplete(gLibraryItems[i])) {
      allComplete = false;
      break;
    }
  if (allComplete) return kMapNodeMastered;
  return gUnlockedTypeKeys.count(ItemSkillKey(*skill.category, *skill.type)) ? kMapNodeOpen : kMapNodeLocked;
}

}  // namespace

// ---- public functions ----
std::array<int, kMapTierCount> MapTierCounts() {
  int cells[kMapTierCount][3];
  return CountTiers(GatherMapSkills(), cells);
}

float MapTierHeight(int n) { return 52.0f * std::max(n, 1) + 88.0f; }

std::array<float, kMapTierCount> MapTierTops(const LearningLayout& l) { return TopsFor(l, MapTierCounts()); }

float MasteryMapContentHeight() {
  float height = 94.0f;
  for (int n : MapTierCounts()) height += MapTierHeight(n);
  return height;
}

std::vector<MapNode> LayoutMasteryMap(const LearningLayout& l) { return LayoutMasteryMap(l, nullptr); }

std::vector<MapNode> LayoutMasteryMap(const LearningLayout& l, std::vector<std::vector<int>>* skillItems) {
  std::vector<MapSkill> skills = GatherMapSkills();
  int cells[kMapTierCount][3];
  const std::array<float, kMapTierCount> tops = TopsFor(l, CountTiers(skills, cells));
  const float cw3 = l.contentW / 3.0f;
  const float cardW = ClampFloat(cw3 - 42.0f, 220.0f, 360.0f);
  int placed[kMapTierCount][3] = {};
  std::vector<MapNode> nodes;
  nodes.reserve(skills.size());
  if (skillItems) skillItems->clear();
  for (MapSkill& skill : skills) {
    MapNode node;
    node.category = *skill.category;
    node.type = *skill.type;
    node.tier = skill.tier;
    node.column = skill.column;
    node.centreX = l.contentX + (skill.column + 0.5f) * cw3;
    node.centreY = tops[skill.tier] + 80.0f + 52.0f * placed[skill.tier][skill.column]++;
    node.width = cardW;
    node.height = 44.0f;
    node.state = SkillState(skill);
    nodes.push_back(std::move(node));
    if (skillItems) skillItems->push_back(std::move(skill.items));
  }
  return nodes;
}

RectF MapNodeRect(const MapNode& node) {
  return {node.centreX - node.width / 2.0f, node.centreY - node.height / 2.0f, node.width, node.height};
}

MapCardText LayoutMapCardText(const MapNode& node) {
  static const char* const kMapStatusWords[3] = {TrLater("locked"), TrLater("open"), TrLater("done")};
  const RectF r = MapNodeRect(node);
  MapCardText t;
  t.status = kMapStatusWords[ClampInt(node.state, 0, 2)];
  t.textX = r.x + 34.0f;
  t.topBaseline = r.y + 16.0f;
  t.typeBaseline = r.y + 33.0f;
  t.statusX = r.x + r.w - 10.0f - MeasureText(gFontSmall, t.status, 5.8f);
  t.categoryW = std::max(t.statusX - 8.0f - t.textX, 0.0f);
  t.typeW = r.x + r.w - 10.0f - t.textX;
  return t;
}
