// learning_ui/practice_routes: the OVERVIEW tab of the skills view: the six practice routes of the
// syllabus, each with its section progress and what to play next. A click on a route opens its
// view; for a technique route it also sets the picker to the next piece's type and key, so the
// pupil lands on exactly that piece. DrawRoutesPanel and HandleRoutesClick, which the screen
// calls, are declared with the other views in learning_ui/learning_views.h.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/mastery_figures.h"

// ---- tables ----
extern const char* const kRouteKeys[6];   // in display order
constexpr int kRouteCount = 6;

// The tag at a route's right end.
enum class RouteTag { kNone, kComplete, kLocked, kNext };

// Route i's row at the current scroll (it may lie outside the content band).
RectF RouteRowRect(const LearningLayout& l, int index);
// Complete (with sections), else Locked (nothing open), else Next (a next title), else none.
RouteTag ChooseRouteTag(const RouteSummary& summary);

// Where a route row's texts stand, all translated and fitted (draw them with translation
// suppressed). The tag shares the label's line at the right end, so the section count below keeps
// its own room; a long title is cut with "..." in the room between the label and the row's end.
struct RouteRowText {
  std::string label, sections, tag;
  float labelX = 0, labelBaseline = 0;
  float sectionsX = 0, sectionsBaseline = 0;
  float tagX = 0, tagBaseline = 0, tagRight = 0;   // tagX is the fitted tag's left edge
};
RouteRowText LayoutRouteRowText(const RectF& row, const RouteSummary& summary);
