// learning_ui/mastery_map: the MAP tab of the "skills" view: the star cards of the skill tree with
// their prerequisite links, the "you are here" marker, and the focus card with the progress and
// pieces of the selected or hovered skill. A first click on a star selects it; a second click on
// the same star opens the navigation's view of its category (the pieces, which have none of their
// own, open the Songbook's), with its type chosen where the view has a type picker.
//
// What the drawing decides is computed here without GL (focus, marker, the focus card's size and
// rows, the links' curve), so the click handler and the tests meet exactly what is drawn.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "learning/library_index.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/mastery_map_layout.h"

// ---- tables ----
extern const char* const kMapTierTitles[kMapTierCount];      // English, translated where drawn
extern const char* const kMapTierSubtitles[kMapTierCount];

// ---- state ----
extern std::string gMapSelectedSkill;   // ItemSkillKey of the selected star, "" for none

// The selection and the focus card's slide-in forgotten (tests).
void ResetMasteryMap();

// ---- figures of a skill ----
struct SkillStats {
  int pieces = 0;       // items of the skill
  int done = 0;         // complete
  int mastered = 0;
  int attempted = 0;    // with a record of at least one attempt
  float bestAccuracy = 0, bestTiming = 0;   // over records a placement did not make
};
// Over the items (indices into gLibraryItems).
SkillStats ComputeSkillStats(const std::vector<int>& items);
// 2 mastered or complete, 1 untouched, 0 attempted but not done: the order the focus card lists.
int SkillProgressRank(const LibraryItem& item);
// The items by SkillProgressRank, equal ranks in library order.
std::vector<int> SortSkillPieces(const std::vector<int>& items);

// ---- what the map shows ----
// The card of the "you are here" marker: the open card of the lowest tier, then the highest on
// screen, then the first; -1 when no card is open.
int FindYouAreHereCard(const std::vector<MapNode>& nodes);
// Where a tier's head puts its subtitle: under the title at (contentX + 14, top + 49), fitted to
// the content's margin. The "you are here" label stands 5 above its card, 38 in; when that is on a
// subtitle's line and the subtitle does not end before it, the label moves along the line to after
// the whole subtitle while it stays over its card; else the subtitle moves up beside the tier's
// title; only when neither has room is the subtitle cut before the label. A cut there left a stub
// of one letter in every language.
struct MapTierHead {
  float subtitleX = 0, subtitleY = 0;   // its baseline start
  float subtitleRoom = 0;               // the width it is fitted to
};
MapTierHead LayoutMapTierHead(const LearningLayout& l, int tier, float tierTop, const std::vector<MapNode>& nodes);
// The baseline start of the "you are here" label of the card at index here.
void PlaceYouAreHereLabel(const LearningLayout& l, const std::vector<MapNode>& nodes, int here, float* x, float* y);
// The first card under the mouse whose rectangle reaches into the content band, with the mouse
// inside that band; -1 for none.
int FindHoveredMapCard(const LearningLayout& l, const std::vector<MapNode>& nodes);
// The point at t (0..1) of the link's curve from one card's centre to the other's.
void MapLinkPoint(const MapNode& from, const MapNode& to, float t, float* x, float* y);

// The focus card's place and what it lists.
struct MapFocusCard {
  float x = 0, y = 0, w = 0, h = 0;
  int rows = 0;   // piece rows shown
  int more = 0;   // pieces left out
  // The three figure lines (pieces, attempted, best), translated, each on one line or broken
  // between its parts onto a second ("" when one does).
  std::string figures[3][2];
  float listTop = 0;   // the first piece row, below the content's top
};
// For the focused card with that many pieces, slid in by offset pixels; the figure lines from the
// stats, or, without them, their widest form for that many pieces.
MapFocusCard LayoutMapFocusCard(const LearningLayout& l, const MapNode& focused, int pieces, float offset,
                                const SkillStats* stats = nullptr);
// A piece row of the focus card in the UI language: the title, and for a scale or chord its
// subtitle after a comma, each translated on its own (the joined English is no text of its own).
std::string FocusPieceLine(const LibraryItem& item);
// The slide-in offset for the focus key now; restarts when the key changes.
float MapFocusSlideOffset(const std::string& key, uint32_t nowMs);
// The translated types the skill needs and those that need it, joined with ", " in file order.
void SkillNeedsAndLeads(const std::string& category, const std::string& type, std::string* needs, std::string* leads);

// ---- drawing pieces ----
// A fan from the centre in the colour to a transparent rim of 22 segments.
void DrawSoftGlow(float cx, float cy, float radius, float r, float g, float b, float a);
// The link's curve as a strip of 17 points, from one card's centre to the other's.
void DrawMapLink(const MapNode& from, const MapNode& to, float r, float g, float b, float a);
// The map's night gradient and its 120 twinkling specks.
void DrawMapBackdrop(float x, float y, float w, float h);
