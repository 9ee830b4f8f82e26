// learning/library_browser: views, filters, the sort and the labels of the library's cards.
//
// Section index: constants, state, internal helpers, views and filters, order, labels.
#include "learning/library_browser.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/iso_dates.h"
#include "learning/lessons.h"
#include "learning/library_text.h"
#include "learning/library_view_state.h"
#include "learning/long_dates.h"
#include "learning/schedule.h"

// ---- constants ----
// View keys and their labels, in one order; entries 1.. name the sections' views.
static const char* const kViewKeys[] = {"today", "", "foundations", "scales", "chords", "mechanics",
                                        "sight", "etude", "rep_era", "rep_composer", "forms", "study"};
static const char* const kViewLabels[] = {"Continue Lesson", "Explore Library", "Start Here", "Key Patterns",
                                          "Chord Shapes", "Hand Skills", "Reading Lab", "Short Studies",
                                          "Pieces by Era", "Pieces by Composer", "Forms / Genres", "Composer / Theory"};
static const int kViewCount = sizeof kViewKeys / sizeof kViewKeys[0];
// The sections' tab labels, by kSectionOrder.
static const char* const kCategoryTabLabels[7] = {"Start Here", "Key Patterns", "Chord Shapes", "Hand Skills",
                                                  "Reading Lab", "Short Studies", "Pieces"};
static const char* const kHandTokens[4] = {"", "rh", "lh", "both"};

// ---- state ----
static std::unordered_map<std::string, std::string, IdHash> gSearchTexts;   // id -> search text, kept
static std::map<std::string, std::vector<std::string>> gCategoryTypes;       // category -> types by first row
static uint64_t gCategoryTypesGeneration = ~0ull;                            // the load they came from
static size_t gCategoryTypesItemCount = 0;                                   // the library size they came from

// ---- internal helpers ----
static const std::string& SearchText(const LibraryItem& item) {
  auto found = gSearchTexts.find(item.id);
  if (found != gSearchTexts.end()) return found->second;
  std::string text = item.name + " " + item.subtitle + " " + item.type + " " + item.form + " " + item.era + " " +
                     item.key_name + " " + item.repertoire_category;
  return gSearchTexts.emplace(item.id, AsciiLowerCopy(text)).first->second;
}

static bool EndsWith(const std::string& text, const char* end) {
  std::string e(end);
  return text.size() >= e.size() && text.compare(text.size() - e.size(), e.size(), e) == 0;
}

static int StringOrder(const std::string& a, const std::string& b) { return a < b ? -1 : (b < a ? 1 : 0); }

// ---- categories and keys ----
bool IsTechniqueCategory(const std::string& key) {
  return key == "scales" || key == "chords" || key == "mechanics" || key == "sight";
}

const std::vector<std::string>& ListCategoryTypes(const std::string& category) {
  // A reload or items added in place (same generation, more items) both invalidate the lists.
  if (gCategoryTypesGeneration != gLibraryGeneration || gCategoryTypesItemCount != gLibraryItems.size()) {
    gCategoryTypes.clear();
    gCategoryTypesGeneration = gLibraryGeneration;
    gCategoryTypesItemCount = gLibraryItems.size();
  }
  auto found = gCategoryTypes.find(category);
  if (found != gCategoryTypes.end()) return found->second;
  // Ordered by the first row that carries the type, so a view's sort does not reorder the list.
  std::vector<std::pair<int32_t, std::string>> firstRows;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category != category) continue;
    auto seen = std::find_if(firstRows.begin(), firstRows.end(), [&](const auto& e) { return e.second == item.type; });
    if (seen == firstRows.end())
      firstRows.emplace_back(item.row_index, item.type);
    else
      seen->first = std::min(seen->first, item.row_index);
  }
  std::sort(firstRows.begin(), firstRows.end());
  std::vector<std::string> types;
  for (auto& e : firstRows) types.push_back(std::move(e.second));
  return gCategoryTypes.emplace(category, std::move(types)).first->second;
}

std::string GetChosenCategoryType(const std::string& category) {
  const std::vector<std::string>& types = ListCategoryTypes(category);
  auto chosen = gChosenTypes.find(category);
  if (chosen != gChosenTypes.end() && std::find(types.begin(), types.end(), chosen->second) != types.end())
    return chosen->second;
  return types.empty() ? "" : types.front();
}

int ParseNoteLetter(const std::string& name) {
  static const int kLetters[7] = {9, 11, 0, 2, 4, 5, 7};
  if (name.empty()) return -1;
  char letter = (name[0] >= 'a' && name[0] <= 'z') ? char(name[0] - 'a' + 'A') : name[0];
  if (letter < 'A' || letter > 'G') return -1;
  int pc = kLetters[letter - 'A'];
  if (name.size() >= 2 && name[1] == '#') pc += 1;
  if (name.size() >= 2 && name[1] == 'b') pc -= 1;
  return (pc + 12) % 12;
}

// ---- views and filters ----
bool ItemInView(const LibraryItem& item, const std::string& key) {
  const std::string& c = item.category;
  if (key.empty()) return true;
  if (key == "today") return gDayItemSet.count(item.id) != 0;
  if (key == "rep_era" || key == "rep_composer") return c == "foundations" || c == "repertoire";
  if (key == "forms") return c == "foundations" || c == "repertoire" || c == "etude";
  if (key == "study") return c == "repertoire" || c == "etude" || c == "sight";
  return c == key;
}

int CountItemsInView(const std::string& viewKey) {
  int count = 0;
  for (const LibraryItem& item : gLibraryItems)
    if (ItemInView(item, viewKey)) ++count;
  return count;
}

std::string ItemHand(const LibraryItem& item) {
  if (!item.hand.empty()) return item.hand;
  std::string id = AsciiLowerCopy(item.id), name = AsciiLowerCopy(item.name);
  if (EndsWith(id, "_rh") || name.find("(rh)") != std::string::npos) return "rh";
  if (EndsWith(id, "_lh") || name.find("(lh)") != std::string::npos) return "lh";
  if (EndsWith(id, "_both") || name.find("(both)") != std::string::npos || name.find("hands together") != std::string::npos)
    return "both";
  return "";
}

bool ItemMatchesFilters(const LibraryItem& item) {
  bool searching = !gSearchQuery.empty();
  // A search in a technique view lists the whole library: the picker bar gives way to a line that
  // says so, and a view of one category would hide the chords and studies the words name.
  if (!(searching && IsTechniqueCategory(gLibraryViewKey)) && !ItemInView(item, gLibraryViewKey)) return false;
  if (gLibraryViewKey == "today") return true;
  if (searching && SearchText(item).find(gSearchQuery) == std::string::npos) return false;
  if (!searching && IsTechniqueCategory(gLibraryViewKey)) {
    if (item.type != GetChosenCategoryType(item.category)) return false;
    if (gChosenKey >= 0 && item.category != "sight") {
      int pc = ParseNoteLetter(item.key_name);
      if (pc >= 0 && pc != gChosenKey) return false;
    }
    if (gHandFilter >= 1 && gHandFilter <= 3) {
      std::string hand = ItemHand(item);
      if (!hand.empty() && hand != kHandTokens[gHandFilter]) return false;
    }
  }
  if (gLibraryViewKey.empty() && !searching && IsTechniqueCategory(item.category) && gLevelFilter != 0) return false;
  return gLevelFilter < 0 || item.level <= gLevelFilter;
}

// ---- order ----
bool LibraryItemLess(const LibraryItem& a, const LibraryItem& b) {
  const std::string& view = gLibraryViewKey;
  int keys[5] = {0, 0, 0, 0, 0};
  if (view == "rep_era") {
    int k[5] = {EraIndex(a.era) - EraIndex(b.era), StringOrder(a.subtitle, b.subtitle), FormIndex(a.form) - FormIndex(b.form),
                (a.level > b.level) - (a.level < b.level), StringOrder(a.name, b.name)};
    std::copy(k, k + 5, keys);
  } else if (view == "rep_composer") {
    int k[4] = {StringOrder(a.subtitle, b.subtitle), FormIndex(a.form) - FormIndex(b.form),
                (a.level > b.level) - (a.level < b.level), StringOrder(a.name, b.name)};
    std::copy(k, k + 4, keys);
  } else if (view == "forms") {
    int last = a.subtitle != b.subtitle ? StringOrder(a.subtitle, b.subtitle) : StringOrder(a.name, b.name);
    int k[4] = {FormIndex(a.form) - FormIndex(b.form), (a.level > b.level) - (a.level < b.level),
                EraIndex(a.era) - EraIndex(b.era), last};
    std::copy(k, k + 4, keys);
  } else if (view == "study") {
    int last = a.subtitle != b.subtitle ? StringOrder(a.subtitle, b.subtitle) : StringOrder(a.name, b.name);
    int k[3] = {RepertoireCategoryIndex(a.repertoire_category) - RepertoireCategoryIndex(b.repertoire_category),
                (a.level > b.level) - (a.level < b.level), last};
    std::copy(k, k + 3, keys);
  } else {
    return a.row_index < b.row_index;
  }
  for (int k : keys)
    if (k != 0) return k < 0;
  return false;
}

void SortLibraryItems() {
  // Sorting positions and moving each item once is far cheaper than moving whole items about.
  std::vector<uint32_t> order(gLibraryItems.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [](uint32_t a, uint32_t b) { return LibraryItemLess(gLibraryItems[a], gLibraryItems[b]); });
  bool unchanged = true;
  for (uint32_t i = 0; i < order.size() && unchanged; ++i) unchanged = order[i] == i;
  if (unchanged) return;
  std::vector<LibraryItem> sorted;
  sorted.reserve(order.size());
  for (uint32_t i : order) sorted.push_back(std::move(gLibraryItems[i]));
  gLibraryItems.swap(sorted);
  InvalidateLibraryItemIndex();
}

// ---- labels ----
std::string ViewKeyLabel() {
  for (int i = 0; i < kViewCount; ++i)
    if (gLibraryViewKey == kViewKeys[i]) return Tr(kViewLabels[i]);
  return Tr("Browse All");
}

std::string CategoryTabLabel(const std::string& category) {
  for (int i = 0; i < 7; ++i)
    if (category == kSectionOrder[i]) return Tr(kCategoryTabLabels[i]);
  return category;
}

std::string RepertoireGroupLabel(const LibraryItem& item) {
  const std::string& view = gLibraryViewKey;
  if (view == "today") return CategoryTabLabel(item.category) + " - " + Tr(item.type);
  if (view == "rep_era") return item.era.empty() ? Tr("Era Unassigned") : Tr(item.era);
  // A subtitle is a composer's name or, for the first pieces, a line of advice; a name has no
  // value in any file and comes back as it is, the advice comes out in the UI language.
  if (view == "rep_composer") return Tr(item.subtitle.empty() ? "Composer Unassigned" : item.subtitle);
  if (view == "forms") return item.form.empty() ? Tr("Form Unassigned") : Tr(item.form);
  if (view == "study")
    return item.repertoire_category.empty() ? Tr("Style, Phrase & Structure") : Tr(item.repertoire_category);
  if (view.empty()) {
    for (int i = 1; i < kViewCount; ++i)
      if (item.category == kViewKeys[i]) return Tr(kViewLabels[i]);
    if (item.category == "repertoire") return Tr("Repertoire");
  }
  return item.type.empty() ? ViewKeyLabel() : Tr(item.type);
}

std::string ItemCardTitle(const LibraryItem& item) {
  if (item.category != "scales" && item.category != "chords") return item.name;
  size_t dash = item.name.find(" - ");
  return dash == std::string::npos ? item.name : item.name.substr(0, dash);
}

std::string ItemCardSubtitle(const LibraryItem& item) {
  if (item.category == "scales" || item.category == "chords") {
    size_t dash = item.name.find(" - ");
    if (dash != std::string::npos) return item.name.substr(dash + 3);
  }
  if (item.subtitle.empty() || item.subtitle == "Technique (generated)") return Tr(item.subtitle);
  return item.subtitle;
}

std::string ItemStatusText(const LibraryItem& item) {
  if (!gViewingPlannedDay.empty() && gLibraryViewKey == "today")
    return TrF("Planned - locked until %s", FormatLongDate(gViewingPlannedDay).c_str());
  if (IsItemMastered(item)) return Tr("Mastered");
  if (IsItemComplete(item)) return Tr("Complete");
  if (IsItemDoneToday(item)) {
    std::string day = gCurrentLearningDay.empty() ? TodayIsoDate() : gCurrentLearningDay;
    return Tr(IsItemPassedOnDate(item.id, day) ? "Passed today" : "Practiced today");
  }
  if (!IsItemAvailable(item)) return Tr("Locked - finish previous section");
  if (gDayItemSet.count(item.id)) return Tr("Next in daily practice");
  return Tr("Available");
}

std::string GroupProgressText(const LibraryItem& item) {
  int complete = 0, all = 0;
  for (const LibraryItem& other : gLibraryItems) {
    if (other.category != item.category || other.type != item.type) continue;
    ++all;
    if (IsItemComplete(other)) ++complete;
  }
  return std::to_string(complete) + "/" + std::to_string(all);
}

void ResetLibraryBrowser() {
  gSearchTexts.clear();
  gCategoryTypes.clear();
  gCategoryTypesGeneration = ~0ull;
  gCategoryTypesItemCount = 0;
}
