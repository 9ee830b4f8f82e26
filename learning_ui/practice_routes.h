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
