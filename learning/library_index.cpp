// learning/library_index: reading "library_index.tsv" into gLibraryItems.
#include "learning/library_index.h"

#include <algorithm>
#include <unordered_map>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "learning/learning_records.h"
#include "learning/library_text.h"
#include "learning/number_fields.h"
#include "learning/library_browser.h"
#include "learning/schedule.h"
#include "midi/midi_input.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/data_files.h"
#include "practice/students.h"

// ---- state ----
std::vector<LibraryItem> gLibraryItems;                 // the items, file order until sorted
std::unordered_set<std::string, IdHash> gKnownItemIds;  // every loaded id
bool gLibraryLoaded = false;                            // set by LoadLibraryIndex, never cleared
bool gLibraryIndexUnreadable = false;                   // the last load found the index but no item in it
uint64_t gLibraryGeneration = 0;                        // one more at every load
static std::unordered_map<std::string, size_t, IdHash> gItemIndex;  // id -> first position
static const LibraryItem* gItemIndexData = nullptr;    // gLibraryItems' storage when it was built
static size_t gItemIndexSize = 0;                      // and its size
static bool gItemIndexValid = false;                   // the index describes gLibraryItems

// ---- internal helpers ----
static std::string Column(const std::vector<std::string>& columns, size_t index) {
  return index < columns.size() ? columns[index] : std::string();
}

static std::string Decoded(const std::vector<std::string>& columns, size_t index) {
  return DecodeHtmlEntities(Column(columns, index));
}

// The section of an old-layout row from its kind text and raw name.
static std::string OldLayoutCategory(const std::string& kind, const std::string& rawName) {
  if (kind == "warmup") {
    std::string lower = AsciiLowerCopy(rawName);
    for (const char* word : {"arpeggio", "cadence", "progression"})
      if (lower.find(word) != std::string::npos) return "chords";
    return "scales";
  }
  if (kind == "drill") return "mechanics";
  return kind;
}

// Columns 12..19 of a full new-layout row: targets, then hand and the three texts.
static void ReadTargets(const std::vector<std::string>& columns, LibraryItem* item) {
  if (const char* t = LibraryColumnText(columns, 12)) item->authored_bpm = std::max(1, AtoiField(t));
  if (const char* t = LibraryColumnText(columns, 13)) item->target_bpm = std::max(1, AtoiField(t));
  if (const char* t = LibraryColumnText(columns, 14)) item->target_accuracy = AtofClamped(t, 0.01f, 1.0f);
  if (const char* t = LibraryColumnText(columns, 15)) item->target_timing = AtofClamped(t, 0.01f, 1.0f);
  item->hand = Decoded(columns, 16);
  item->text17 = Decoded(columns, 17);
  item->text18 = Decoded(columns, 18);
  item->text19 = Decoded(columns, 19);
  item->legacy_target_bpm = item->target_bpm;
  item->legacy_target_accuracy = item->target_accuracy;
  item->legacy_target_timing = item->target_timing;
}

// ---- public functions ----
std::string LibraryFolderPath() { return GetMidiFolder() + "Library/"; }

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

const char* LibraryColumnText(const std::vector<std::string>& columns, size_t index) {
  if (index >= columns.size() || columns[index].empty()) return nullptr;
  return columns[index].c_str();
}

bool ParseLibraryRow(const std::vector<std::string>& columns, LibraryItem* item) {
  size_t n = columns.size();
  if (n < 10) return false;
  *item = LibraryItem();
  item->id = columns[0];
  item->level = AtoiField(columns[1]);
  item->type = Decoded(columns, 3);
  item->name = Decoded(columns, 4);
  item->subtitle = Decoded(columns, 5);
  item->key_name = columns[6];
  item->era = Decoded(columns, 8);
  if (n < 12) {
    item->category = OldLayoutCategory(columns[2], columns[4]);
    item->form = item->category == "etude" ? "Etude" : "Character Piece";
    item->repertoire_category = item->type;
    item->file = columns[9];
  } else {
    item->category = columns[2];
    item->form = Decoded(columns, 9);
    item->repertoire_category = Decoded(columns, 10);
    item->file = columns[11];
    if (n >= 20) ReadTargets(columns, item);
    else if (n >= 17) item->hand = Decoded(columns, 16);
  }
  item->key_pitch_class = NoteLetterPitchClass(item->key_name);
  // No record can be kept for an item without an id, and nothing plays without a file.
  return !item->id.empty() && !item->file.empty();
}

void LoadLibraryIndex() {
  gLibraryItems.clear();
  ++gLibraryGeneration;
  gLibraryLoaded = true;
  LoadLearningFiles();
  std::vector<std::string> lines;
  const DataFileRead read = ReadDataFileLines(LibraryFolderPath() + "library_index.tsv", &lines);
  // A file that is there yet gives no item is a damaged install, not a missing one: the screens
  // say it could not be read rather than that it was not found.
  gLibraryIndexUnreadable = read == DataFileRead::kUnreadable;
  if (read != DataFileRead::kOk) {
    // No library: nothing may stay known from an earlier load either.
    gKnownItemIds.clear();
    return;
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    LibraryItem item;
    if (!ParseLibraryRow(SplitTabs(lines[i]), &item)) {
      // The library ships with the program, so a row lost here means a damaged install: say where.
      DebugLog("[learning] library_index.tsv line %zu cannot be read (too few columns, no id or no file); "
               "the item is left out\n", i + 1);
      continue;
    }
    item.row_index = (int32_t)gLibraryItems.size();
    gLibraryItems.push_back(std::move(item));
  }
  gLibraryIndexUnreadable = gLibraryItems.empty();
  gKnownItemIds.clear();
  for (const LibraryItem& item : gLibraryItems) gKnownItemIds.insert(item.id);
  InvalidateLibraryItemIndex();
  RebuildSchedule();
  SortLibraryItems();
}

void EnsureLibraryLoaded() {
  if (!gLibraryLoaded) LoadLibraryIndex();
}

LibraryItem* FindLibraryItem(const std::string& id) {
  if (!gItemIndexValid || gItemIndexData != gLibraryItems.data() || gItemIndexSize != gLibraryItems.size()) {
    gItemIndex.clear();
    for (size_t i = 0; i < gLibraryItems.size(); ++i) gItemIndex.emplace(gLibraryItems[i].id, i);
    gItemIndexData = gLibraryItems.data();
    gItemIndexSize = gLibraryItems.size();
    gItemIndexValid = true;
  }
  auto found = gItemIndex.find(id);
  if (found == gItemIndex.end()) return nullptr;
  LibraryItem& item = gLibraryItems[found->second];
  if (item.id == id) return &item;
  // An id changed in place: the index is stale, so look the slow way and rebuild next time.
  gItemIndexValid = false;
  for (LibraryItem& other : gLibraryItems)
    if (other.id == id) return &other;
  return nullptr;
}

void InvalidateLibraryItemIndex() { gItemIndexValid = false; }

bool IsKnownItemId(const std::string& id) { return gKnownItemIds.count(id) != 0; }

void ForgetUnplayableItem(const std::string& id) {
  if (gKnownItemIds.erase(id))
    DebugLog("[learning] %s cannot be played; it counts in no day until the library is read again\n", id.c_str());
}

// Items of a category ordered by row index (file order), whatever the view's sort.
static std::vector<const LibraryItem*> CategoryItemsInFileOrder(const std::string& category) {
  EnsureLibraryLoaded();
  std::vector<const LibraryItem*> items;
  for (const LibraryItem& item : gLibraryItems)
    if (item.category == category) items.push_back(&item);
  std::stable_sort(items.begin(), items.end(),
                   [](const LibraryItem* a, const LibraryItem* b) { return a->row_index < b->row_index; });
  return items;
}

void CollectCategoryTypes(std::vector<std::string>& out, const std::string& category) {
  for (const LibraryItem* item : CategoryItemsInFileOrder(category))
    if (std::find(out.begin(), out.end(), item->type) == out.end()) out.push_back(item->type);
}

std::vector<std::string> ListCategoryItemIds(const std::string& category) {
  std::vector<std::string> ids;
  for (const LibraryItem* item : CategoryItemsInFileOrder(category)) ids.push_back(item->id);
  return ids;
}

void ResetLibraryIndex() {
  gLibraryItems.clear();
  gKnownItemIds.clear();
  gLibraryLoaded = false;
  gLibraryIndexUnreadable = false;
  ++gLibraryGeneration;
  InvalidateLibraryItemIndex();
}
