// learning_ui/practice_routes: the practice routes of the skills view, drawn and clicked.
#include "learning_ui/practice_routes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning_ui/card_text.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_screen_state.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/performance_note.h"

// ---- constants ----
const char* const kRouteKeys[6] = {"foundations", "scales", "chords", "mechanics", "sight", "etude"};
static const float kRowTop = 30.0f;    // below the header line
static const float kRowStep = 66.0f;   // 58 px rows with 8 px between them
static const float kRowH = 58.0f;
static const float kBarW = 280.0f;     // the section bar's track
static const float kTextX = 34.0f;     // the label and the bar, after the route's dot
static const float kRightPad = 16.0f;
static const float kTagGap = 24.0f;    // between the label's end and the tag
static const float kTagKeep = 120.0f;  // of the tag's width, kept beside a long label

// ---- internal helpers ----
static UiFont MainOrSmall() { return gFontMain ? gFontMain : gFontSmall; }

static void DrawRouteRow(const LearningLayout& l, int index, const RectF& row) {
  const std::string key = kRouteKeys[index];
  const RouteSummary summary = ComputeRouteSummary(key);
  const float x = row.x, y = row.y, w = row.w;
  const bool hovered = PointInRect(row, gMouseX, gMouseY) && gMouseY >= l.contentY &&
                       gMouseY <= l.contentY + l.contentH && PerformanceNoteAt(gMouseX, gMouseY) < 0;
  const float base[4] = {0.08f, 0.09f, 0.14f, 0.99f};
  FillRoundedRimRect(x, y, w, kRowH, 12.0f, 2.0f, base);
  float top[4] = {0.135f, 0.155f, 0.215f, 0.98f}, bottom[4] = {0.08f, 0.095f, 0.14f, 0.99f};
  if (hovered) {
    const float hoverTop[4] = {0.20f, 0.24f, 0.34f, 0.98f}, hoverBottom[4] = {0.12f, 0.15f, 0.22f, 0.99f};
    std::copy(hoverTop, hoverTop + 4, top);
    std::copy(hoverBottom, hoverBottom + 4, bottom);
  }
  FillRoundedGradientRect(x + 2.0f, y + 2.0f, w - 4.0f, kRowH - 4.0f, 10.0f, top, bottom);
  glLineWidth(1.0f);
  if (hovered)
    SetGlColor(0.45f, 0.66f, 1.0f, 0.55f);
  else
    SetGlColor(1.0f, 1.0f, 1.0f, 0.06f);
  StrokeRoundedRect(x, y, w, kRowH, 12.0f, 12);

  float r, g, b;
  NavKeyColour(key, &r, &g, &b);
  SetGlColor(r, g, b, 0.92f);
  FillRoundedRect(x + 14.0f, y + 24.0f, 10.0f, 10.0f, 5.0f, 8);
  const RouteRowText text = LayoutRouteRowText(row, summary);
  DrawShown(MainOrSmall(), text.labelX, text.labelBaseline, text.label, 0.94f, 0.96f, 1.0f, 0.98f);

  SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
  FillRoundedRect(x + 34.0f, y + 38.0f, kBarW, 5.0f, 2.5f, 6);
  if (summary.sectionCount > 0 && summary.sectionsDone > 0) {
    const float ratio = std::min((float)summary.sectionsDone / (float)summary.sectionCount, 1.0f);
    SetGlColor(0.96f, 0.80f, 0.34f, 0.85f);
    FillRoundedRect(x + 34.0f, y + 38.0f, ratio * kBarW, 5.0f, 2.5f, 6);
  }
  DrawShown(gFontSmall, text.sectionsX, text.sectionsBaseline, text.sections, 0.56f, 0.63f, 0.76f, 0.90f);
  if (text.tag.empty()) return;
  if (ChooseRouteTag(summary) == RouteTag::kComplete)
    DrawShown(gFontSmall, text.tagX, text.tagBaseline, text.tag, 0.98f, 0.82f, 0.40f, 0.94f);
  else
    DrawShown(gFontSmall, text.tagX, text.tagBaseline, text.tag, 0.56f, 0.63f, 0.78f, 0.94f);
}

// ---- public functions ----
RectF RouteRowRect(const LearningLayout& l, int index) {
  return {l.contentX, l.contentY - gLibraryScroll + kRowTop + kRowStep * index, l.contentW, kRowH};
}

RouteTag ChooseRouteTag(const RouteSummary& s) {
  if (s.allComplete && s.sectionCount > 0) return RouteTag::kComplete;
  if (!s.anyUnlocked) return RouteTag::kLocked;
  if (!s.nextTitle.empty()) return RouteTag::kNext;
  return RouteTag::kNone;
}

RouteRowText LayoutRouteRowText(const RectF& row, const RouteSummary& summary) {
  RouteRowText t;
  std::string tag;
  const RouteTag kind = ChooseRouteTag(summary);
  if (kind == RouteTag::kComplete) tag = Tr("Complete");
  if (kind == RouteTag::kLocked) tag = Tr("Locked");
  // The title is a library title like any other the screen shows, so it is translated too.
  if (kind == RouteTag::kNext) tag = TrF("Next: %s", Tr(summary.nextTitle).c_str());
  const std::string sections = TrF("%d / %d sections", summary.sectionsDone, summary.sectionCount);

  ScopedTrSuppress shown;   // from here every text is translated already (the label comes so)
  const UiFont labelFont = MainOrSmall();
  const float right = row.x + row.w - kRightPad;
  t.labelX = row.x + kTextX;
  t.labelBaseline = t.tagBaseline = row.y + 24.0f;
  t.tagRight = right;
  t.sectionsX = row.x + kTextX + kBarW + 14.0f;
  t.sectionsBaseline = row.y + 44.0f;
  t.sections = ElideTextToWidth(gFontSmall, sections, right - t.sectionsX, 6.4f);
  // A tag keeps at least kTagKeep of its width beside the label; a label that leaves less is cut.
  const float tagW = MeasureText(gFontSmall, tag, 6.4f);
  const float labelRoom = right - t.labelX - (tag.empty() ? 0.0f : kTagGap + std::min(tagW, kTagKeep));
  t.label = ElideTextToWidth(labelFont, summary.label, labelRoom, 9.0f);
  if (tag.empty()) return t;
  const float labelEnd = t.labelX + MeasureText(labelFont, t.label, 9.0f);
  t.tag = ElideTextToWidth(gFontSmall, tag, right - (labelEnd + kTagGap), 6.4f);
  t.tagX = right - MeasureText(gFontSmall, t.tag, 6.4f);
  return t;
}

// Clipped to the content band; keeps the scissor state and box it found.
void DrawRoutesPanel(const LearningLayout& l) {
  const GLboolean scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
  GLint scissorBox[4];
  glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
  glEnable(GL_SCISSOR_TEST);
  glScissor((int)std::floor(l.contentX), (int)std::floor(gClientHeight - (l.contentY + l.contentH)),
            (int)std::ceil(l.contentW), (int)std::ceil(l.contentH));
  DrawTextUtf8(gFontSmall, l.contentX + 2.0f, l.contentY - gLibraryScroll + 19.0f,
               "Practice routes - tap one to open its lessons", 0.62f, 0.70f, 0.84f, 0.92f);
  for (int i = 0; i < kRouteCount; ++i) {
    const RectF row = RouteRowRect(l, i);
    if (row.y + row.h < l.contentY - 4.0f || row.y > l.contentY + l.contentH + 4.0f) continue;
    DrawRouteRow(l, i, row);
  }
  glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
  if (!scissorWasOn) glDisable(GL_SCISSOR_TEST);
}

bool HandleRoutesClick(const LearningLayout& l, int x, int y) {
  if (y < l.contentY || y > l.contentY + l.contentH) return false;
  int hit = -1;
  for (int i = 0; i < kRouteCount && hit < 0; ++i)
    if (PointInRect(RouteRowRect(l, i), x, y)) hit = i;
  if (hit < 0) return false;
  const std::string key = kRouteKeys[hit];
  gLibraryViewKey = key;
  gLibraryScroll = 0.0f;
  if (!IsTechniqueCategory(key)) {
    SortLibraryItems();
    return true;
  }
  // The route's next piece: the earliest open, unfinished one in the library's own rows.
  const LibraryItem* next = nullptr;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category != key || IsItemComplete(item) || !IsItemUnlocked(item)) continue;
    if (!next || item.row_index < next->row_index) next = &item;
  }
  gRunsDropDown = kRunsListNone;
  if (next) {
    gChosenTypes[key] = next->type;
    const int pc = ParseNoteLetter(next->key_name);
    if (key != "sight" && pc >= 0) gChosenKey = pc;
    gHandFilter = 0;
  }
  SortLibraryItems();
  return true;
}
