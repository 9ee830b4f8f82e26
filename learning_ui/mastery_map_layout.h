// learning_ui/mastery_map_layout: where the mastery map puts its star cards: every skill of the
// seven sections on a grid of seven tiers by three columns, laid out afresh from the learning
// layout, the library, the unlock state and the scroll. Nothing of it is stored, so the drawing
// and the click handler always agree with the library of this moment.
//
// The work is linear in the library: the skills and their items are gathered in one walk.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "gfx/rect.h"
#include "learning_ui/learning_layout.h"

// Card states.
constexpr int kMapNodeLocked = 0;
constexpr int kMapNodeOpen = 1;
constexpr int kMapNodeMastered = 2;

constexpr int kMapTierCount = 7;

// One star card; the centre is in client pixels with the scroll applied.
struct MapNode {
  std::string category;
  std::string type;
  float centreX = 0, centreY = 0, width = 0, height = 0;
  int tier = 0;     // 0..6
  int column = 0;   // 0..2
  int state = kMapNodeLocked;
};

// The seven sections in map order (the sections' own order).
extern const char* const (&kMapSections)[7];

// For each tier the most skills one column holds there, at least 1.
std::array<int, kMapTierCount> MapTierCounts();
// The height of a tier band whose tallest column holds n skills (an empty tier is as tall as one).
float MapTierHeight(int n);
// The top of each tier band, scroll applied.
std::array<float, kMapTierCount> MapTierTops(const LearningLayout& l);
// The whole scrolled height of the map.
float MasteryMapContentHeight();
// The cards in walking order: sections in map order, types in library order.
std::vector<MapNode> LayoutMasteryMap(const LearningLayout& l);
// The same, with each card's items (indices into gLibraryItems, library order) beside it.
std::vector<MapNode> LayoutMasteryMap(const LearningLayout& l, std::vector<std::vector<int>>* skillItems);
RectF MapNodeRect(const MapNode& node);

// Where a star card's texts stand. The status word and the category share the top line, the word
// at the right end and the category cut before it; the type has the second line to itself.
struct MapCardText {
  const char* status = "";   // English, translated where drawn
  float textX = 0, categoryW = 0, typeW = 0, statusX = 0;
  float topBaseline = 0, typeBaseline = 0;
};
MapCardText LayoutMapCardText(const MapNode& node);
