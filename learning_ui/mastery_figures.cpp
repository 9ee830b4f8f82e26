// learning_ui/mastery_figures: mastery figures, section selection and route summaries.
#include "learning_ui/mastery_figures.h"

#include <algorithm>
#include <vector>

#include "app/base/maths.h"
#include "app/base/status_text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"

// ---- public functions ----
MasteryProgress ComputeMasteryProgress(const LibraryItem& item) {
  MasteryProgress p;
  auto found = gMasteryRecords.find(item.id);
  if (found == gMasteryRecords.end() || found->second.placed_by_source) return p;
  const MasteryRecord& r = found->second;
  p.accuracy = Clamp01(std::max(r.best_accuracy, r.latest_accuracy));
  p.timing = Clamp01(std::max(r.best_timing, r.latest_timing));
  float target = (float)(r.legacy_targets ? item.legacy_target_bpm : item.target_bpm);
  float ratio = std::max(r.best_bpm, r.latest_bpm) / std::max(target, 1.0f);
  float spread = r.latest_timing_std_ms > 0.0f ? Clamp01(1.0f - r.latest_timing_std_ms / 80.0f) : 1.0f;
  p.tempo = Clamp01((0.45f + 0.55f * spread) * Clamp01(ratio));
  bool practising = r.attempts > 0 || r.passes > r.distinct_pass_days;
  float bonus = (r.distinct_pass_days < 2 && practising) ? 0.5f : 0.0f;
  p.retention = Clamp01((r.distinct_pass_days + bonus) * 0.5f);
  p.overall = Clamp01((0.5f * p.accuracy + 0.3f * p.timing + 0.2f * p.tempo) * (0.8f + 0.2f * p.retention));
  float weakest = p.accuracy;
  if (weakest > p.timing) weakest = p.timing, p.weakest = 1;
  if (weakest > p.tempo) weakest = p.tempo, p.weakest = 2;
  if (weakest > p.retention) p.weakest = 3;
  return p;
}

void CountSectionCards(const std::string& label, int* selected, int* available) {
  *selected = *available = 0;
  for (const LibraryItem& item : gLibraryItems) {
    if (!ItemMatchesFilters(item) || RepertoireGroupLabel(item) != label || !IsItemAvailable(item)) continue;
    ++*available;
    if (gSelectedCards.count(item.id)) ++*selected;
  }
}

void ToggleSectionSelection(const std::string& label) {
  int selected = 0, available = 0;
  CountSectionCards(label, &selected, &available);
  if (available <= 0) {
    gStatusText = Tr("Locked - finish the previous section first");
    return;
  }
  if (!gChoosingPractice) {
    gChoosingPractice = true;
    gStatusText = Tr("Choosing practice - click cards to add, or SELECT again for the whole section");
    return;
  }
  bool removing = selected >= available;
  for (const LibraryItem& item : gLibraryItems) {
    if (!ItemMatchesFilters(item) || RepertoireGroupLabel(item) != label || !IsItemAvailable(item)) continue;
    if (removing)
      gSelectedCards.erase(item.id);
    else
      gSelectedCards.insert(item.id);
  }
  gStatusText = Tr(removing ? "Section removed from selected practice" : "Section selected - click cards to add or remove");
}

RouteSummary ComputeRouteSummary(const std::string& category) {
  RouteSummary s;
  s.label = CategoryTabLabel(category);
  std::vector<std::pair<std::string, bool>> types;   // type, all complete so far
  const LibraryItem* next = nullptr;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category != category) continue;
    bool complete = IsItemComplete(item), unlocked = IsItemUnlocked(item);
    auto type = std::find_if(types.begin(), types.end(), [&](const auto& t) { return t.first == item.type; });
    if (type == types.end()) type = types.insert(types.end(), {item.type, true});
    if (!complete) type->second = false, s.allComplete = false;
    if (unlocked) s.anyUnlocked = true;
    if (unlocked && !complete && (!next || item.row_index < next->row_index)) next = &item;
  }
  s.sectionCount = (int)types.size();
  s.sectionsDone = (int)std::count_if(types.begin(), types.end(), [](const auto& t) { return t.second; });
  if (next) s.nextTitle = ItemCardTitle(*next);
  return s;
}
