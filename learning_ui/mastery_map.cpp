// learning_ui/mastery_map: the map's selection, its clicks and the decisions its drawing shows.
#include "learning_ui/mastery_map.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/learning_records.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning_ui/learning_screen_state.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/skill_graph.h"

// ---- constants ----
static const int kMaxPieceRows = 6;
static const float kSlideMs = 170.0f;
static const float kFocusInset = 18.0f;       // the focus card's text column, from either side
static const float kFocusListTop = 214.0f;    // its first piece row, with each figure line on one line
static const float kFocusLineStep = 17.0f;    // a figure line's second line

// The head of each tier: its stage title and what it asks of the player.
const char* const kMapTierTitles[kMapTierCount] = {
    "1. First contact",     "2. Five-finger control", "3. Keys and harmony", "4. Reading fluency",
    "5. Pieces with shape", "6. Repertoire bridge",   "7. Advanced study"};
const char* const kMapTierSubtitles[kMapTierCount] = {
    "orientation, pulse, first notes",  "stable hands and simple melody",   "major/minor language and chords",
    "two-hand reading and phrase control", "musical studies and small works", "sonatina, counterpoint, character",
    "late intermediate and beyond"};
static const float kHeadInset = 14.0f;        // a tier head's texts from the content's sides
static const float kHereLabelGap = 12.0f;     // between a subtitle and the "you are here" label
static const float kBesideTitleGap = 16.0f;   // between a tier's title and a subtitle moved beside it

// ---- state ----
std::string gMapSelectedSkill;             // no star selected
static std::string gFocusShownKey;         // the key the focus card last showed
static uint32_t gFocusShownSinceMs = 0;    // when that key changed

// ---- internal helpers ----
static bool InRect(const RectF& r, float x, float y) { return x >= r.x && x <= r.x + r.w && y >= r.y && y <= r.y + r.h; }

static void JoinTo(std::string* list, const std::string& type) {
  if (!list->empty()) *list += ", ";
  *list += Tr(type);
}

// A tier's subtitle where nothing stands on its line: under the title, the content's width.
static MapTierHead PlainTierHead(const LearningLayout& l, float tierTop) {
  MapTierHead head;
  head.subtitleX = l.contentX + kHeadInset;
  head.subtitleY = tierTop + 49.0f;
  head.subtitleRoom = std::max(l.contentW - 2.0f * kHeadInset, 0.0f);
  return head;
}

// Where the marked card's label and its tier's subtitle stand (see MapTierHead).
struct HerePlan {
  float labelX = 0, labelY = 0;
  MapTierHead head;   // of the marked card's tier
};

static HerePlan PlanYouAreHere(const LearningLayout& l, const MapNode& node, float tierTop) {
  const RectF r = MapNodeRect(node);
  HerePlan plan;
  plan.labelX = r.x + 38.0f;
  plan.labelY = r.y - 5.0f;
  plan.head = PlainTierHead(l, tierTop);
  MapTierHead& head = plan.head;
  const float left = head.subtitleX, right = left + head.subtitleRoom;
  const char* subtitle = kMapTierSubtitles[ClampInt(node.tier, 0, kMapTierCount - 1)];
  const float subtitleW = MeasureText(gFontSmall, subtitle, 6.2f);
  const bool sameLine = std::fabs(plan.labelY - head.subtitleY) < 14.0f && plan.labelX > left;
  if (!sameLine || left + subtitleW + kHereLabelGap <= plan.labelX) return plan;
  const float after = left + subtitleW + kHereLabelGap;
  if (after + MeasureText(gFontSmall, "you are here", 6.2f) <= r.x + r.w - 10.0f) {
    plan.labelX = after;
    return plan;
  }
  const float beside =
      left + MeasureText(gFontSmall, kMapTierTitles[ClampInt(node.tier, 0, kMapTierCount - 1)], 6.2f) + kBesideTitleGap;
  if (beside + subtitleW <= right) {
    head.subtitleX = beside;
    head.subtitleY = tierTop + 30.0f;
    head.subtitleRoom = right - beside;
    return plan;
  }
  head.subtitleRoom = std::max(std::min(right, plan.labelX - kHereLabelGap) - left, 0.0f);
  return plan;
}

// ---- public functions ----
void ResetMasteryMap() {
  gMapSelectedSkill.clear();
  gFocusShownKey.clear();
  gFocusShownSinceMs = 0;
}

void ClearMasteryMapSelection() { gMapSelectedSkill.clear(); }

SkillStats ComputeSkillStats(const std::vector<int>& items) {
  SkillStats stats;
  for (int i : items) {
    const LibraryItem& item = gLibraryItems[i];
    ++stats.pieces;
    if (IsItemComplete(item)) ++stats.done;
    if (IsItemMastered(item)) ++stats.mastered;
    auto found = gMasteryRecords.find(item.id);
    if (found == gMasteryRecords.end()) continue;
    const MasteryRecord& r = found->second;
    if (r.attempts > 0) ++stats.attempted;
    if (r.placed_by_source) continue;
    stats.bestAccuracy = std::max(stats.bestAccuracy, r.best_accuracy);
    stats.bestTiming = std::max(stats.bestTiming, r.best_timing);
  }
  return stats;
}

int SkillProgressRank(const LibraryItem& item) {
  if (IsItemMastered(item) || IsItemComplete(item)) return 2;
  auto found = gMasteryRecords.find(item.id);
  if (found == gMasteryRecords.end() || found->second.attempts < 1) return 1;
  return 0;
}

std::vector<int> SortSkillPieces(const std::vector<int>& items) {
  std::vector<std::pair<int, int>> ranked;   // rank, item
  ranked.reserve(items.size());
  for (int i : items) ranked.emplace_back(SkillProgressRank(gLibraryItems[i]), i);
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<int> sorted;
  sorted.reserve(ranked.size());
  for (const auto& r : ranked) sorted.push_back(r.second);
  return sorted;
}

int FindYouAreHereCard(const std::vector<MapNode>& nodes) {
  int best = -1;
  for (int i = 0; i < (int)nodes.size(); ++i) {
    const MapNode& n = nodes[i];
    if (n.state != kMapNodeOpen) continue;
    if (best < 0 || n.tier < nodes[best].tier || (n.tier == nodes[best].tier && n.centreY < nodes[best].centreY)) best = i;
  }
  return best;
}

int FindHoveredMapCard(const LearningLayout& l, const std::vector<MapNode>& nodes) {
  const float bandTop = l.contentY, bandBottom = l.contentY + l.contentH;
  const float mx = (float)gMouseX, my = (float)gMouseY;
  if (my < bandTop || my > bandBottom) return -1;
  for (int i = 0; i < (int)nodes.size(); ++i) {
    RectF r = MapNodeRect(nodes[i]);
    if (r.y + r.h < bandTop || r.y > bandBottom) continue;
    if (InRect(r, mx, my)) return i;
  }
  return -1;
}

void MapLinkPoint(const MapNode& from, const MapNode& to, float t, float* x, float* y) {
  const float dx = to.centreX - from.centreX, dy = to.centreY - from.centreY;
  const float d = std::max(std::sqrt(dx * dx + dy * dy), 1.0f);
  const float bend = ClampFloat(0.12f * d, 6.0f, 34.0f);
  const float cx = (from.centreX + to.centreX) / 2.0f - bend * dy / d;
  const float cy = (from.centreY + to.centreY) / 2.0f + bend * dx / d;
  const float u = 1.0f - t;
  *x = u * u * from.centreX + 2.0f * u * t * cx + t * t * to.centreX;
  *y = u * u * from.centreY + 2.0f * u * t * cy + t * t * to.centreY;
}

MapFocusCard LayoutMapFocusCard(const LearningLayout& l, const MapNode& focused, int pieces, float offset,
                                const SkillStats* stats) {
  MapFocusCard card;
  const int shown = std::min(pieces, kMaxPieceRows);
  card.w = ClampFloat(0.2f * l.width, 270.0f, 330.0f);
  card.x = std::max(l.x + l.width - card.w - 14.0f, l.x + 8.0f);
  // Without a detail column the card stands over the map; it gives way when it would hide the star.
  if (l.detailW <= 0.0f && focused.centreX + focused.width / 2.0f > card.x)
    card.x = l.contentX + 8.0f - offset;
  else
    card.x += offset;
  card.y = l.contentY;

  SkillStats widest;
  widest.pieces = widest.done = widest.mastered = widest.attempted = pieces;
  widest.bestAccuracy = widest.bestTiming = 1.0f;
  const SkillStats& f = stats ? *stats : widest;
  const std::string lines[3] = {
      TrF("Pieces %d   Done %d   Mastered %d", f.pieces, f.done, f.mastered),
      TrF("Attempted  %d of %d", f.attempted, f.pieces),
      TrF("Best accuracy  %d%%   Best timing  %d%%", (int)std::lround(f.bestAccuracy * 100.0f),
          (int)std::lround(f.bestTiming * 100.0f))};
  float extra = 0.0f;
  {
    ScopedTrSuppress shown;   // the lines are translated already
    for (int i = 0; i < 3; ++i) {
      SplitTwoLinesAtGaps(gFontSmall, lines[i], card.w - 2.0f * kFocusInset, 6.0f, &card.figures[i][0], &card.figures[i][1]);
      if (!card.figures[i][1].empty()) extra += kFocusLineStep;
    }
  }
  card.listTop = kFocusListTop + extra;
  const float more = pieces > shown ? 18.0f : 0.0f;
  card.h = std::min(16.0f * shown + card.listTop + more + 58.0f, l.top + l.height - l.contentY - 12.0f);
  // A short card lists fewer and counts the rest.
  for (int r = 0; r < shown; ++r) {
    if (card.listTop + 16.0f * r + 16.0f > card.h - 54.0f) break;
    card.rows = r + 1;
  }
  card.more = pieces - card.rows;
  return card;
}

MapTierHead LayoutMapTierHead(const LearningLayout& l, int tier, float tierTop, const std::vector<MapNode>& nodes) {
  const int here = FindYouAreHereCard(nodes);
  if (here >= 0 && nodes[(size_t)here].tier == tier) return PlanYouAreHere(l, nodes[(size_t)here], tierTop).head;
  return PlainTierHead(l, tierTop);
}

void PlaceYouAreHereLabel(const LearningLayout& l, const std::vector<MapNode>& nodes, int here, float* x, float* y) {
  const MapNode& node = nodes[(size_t)here];
  const HerePlan plan = PlanYouAreHere(l, node, MapTierTops(l)[(size_t)ClampInt(node.tier, 0, kMapTierCount - 1)]);
  *x = plan.labelX;
  *y = plan.labelY;
}

float MapFocusSlideOffset(const std::string& key, uint32_t nowMs) {
  if (key != gFocusShownKey) {
    gFocusShownKey = key;
    gFocusShownSinceMs = nowMs;
  }
  const float e = std::min((float)(uint32_t)(nowMs - gFocusShownSinceMs) / kSlideMs, 1.0f);
  return 28.0f * (1.0f - e) * (1.0f - e);
}

void SkillNeedsAndLeads(const std::string& category, const std::string& type, std::string* needs, std::string* leads) {
  needs->clear();
  leads->clear();
  for (const SkillGraphRow& row : gSkillGraph) {
    if (row.category == category && row.type == type) JoinTo(needs, row.neededType);
    if (row.neededCategory == category && row.neededType == type) JoinTo(leads, row.type);
  }
}

std::string FocusPieceLine(const LibraryItem& item) {
  std::string line = Tr(ItemCardTitle(item));
  if (item.category == "scales" || item.category == "chords") line += ", " + Tr(ItemCardSubtitle(item));
  return line;
}

bool HandleMasteryMapClick(const LearningLayout& l, int x, int y) {
  if (y < l.contentY || y > l.contentY + l.contentH) return false;
  std::vector<MapNode> nodes = LayoutMasteryMap(l);
  const MapNode* hit = nullptr;
  for (const MapNode& node : nodes)
    if (InRect(MapNodeRect(node), (float)x, (float)y)) {
      hit = &node;
      break;
    }
  if (!hit) {
    // Empty map space drops the selection and leaves the click to the screen.
    gMapSelectedSkill.clear();
    return false;
  }
  std::string key = ItemSkillKey(hit->category, hit->type);
  if (key != gMapSelectedSkill) {
    gMapSelectedSkill = std::move(key);
    return true;
  }
  gMapSelectedSkill.clear();
  gLibraryViewKey = NavViewOfCategory(hit->category);
  if (IsTechniqueCategory(hit->category)) {
    gChosenTypes[hit->category] = hit->type;
    gRunsDropDown = 0;
  }
  gLibraryScroll = 0.0f;
  SortLibraryItems();
  return true;
}
