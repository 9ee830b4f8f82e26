// learning_ui/endless_runs_draw: the picker bar and its sliding lists as drawn each frame.
//
// Texts that are fitted to a width are cut in their translated form and drawn with translation
// suppressed; key names are note names, never words, and are drawn as they are.
#include <GL/gl.h>

#include <cmath>
#include <string>
#include <unordered_map>

#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning_ui/card_text.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/library_search.h"

// ---- constants ----
static const float kSlidePx = 10.0f;   // the list slides in from this far above its place

// ---- internal helpers ----
static UiFont MainOrSmall() { return gFontMain ? gFontMain : gFontSmall; }

static std::string ChosenTypeShown(const std::string& viewKey) {
  std::string type = GetChosenCategoryType(viewKey);
  return type.empty() ? type : Tr(type);
}

static void DrawKeyList(const LearningLayout& l, float dy, float fade) {
  for (int i = 0; i < kRunsKeyCells; ++i) {
    RectF cell = RunsKeyCellRect(l, i);
    cell.y += dy;
    const int pc = RunsKeyCellPitchClass(i);
    const int style = pc == gChosenKey ? kPillGold : kPillPlain;
    if (pc < 0) {
      DrawPillButton(cell, "Every key", style, true, 0.0f, 0.0f, fade);
    } else {
      ScopedTrSuppress suppress;
      DrawPillButton(cell, kRunsKeyNames[pc], style, true, 0.0f, 0.0f, fade);
    }
  }
}

static void DrawTypeList(const LearningLayout& l, float dy, float fade) {
  const RunsTypeList list = RunsTypeListGeometry(l);
  if (list.rows <= 0) return;
  std::unordered_map<std::string, int> counts;   // type -> items of the view's category, one pass
  for (const LibraryItem& item : gLibraryItems)
    if (item.category == gLibraryViewKey) ++counts[item.type];
  const std::string chosen = GetChosenCategoryType(gLibraryViewKey);
  for (int r = 0; r < list.rows; ++r) {
    const std::string label = RunsTypeLabel(gLibraryViewKey, r);
    auto count = counts.find(label);
    DrawRunsListRow(RunsTypeRowRect(list, r), dy, label, std::to_string(count == counts.end() ? 0 : count->second),
                    label == chosen, fade);
  }
}

// ---- public functions ----
void DrawRunsPickerBox(const RectF& r, const std::string& caption, const std::string& value, bool open) {
  const bool hovered = PointInRect(r, gMouseX, gMouseY);
  const float top[4] = {0.18f, 0.22f, 0.31f, 0.97f}, bottom[4] = {0.10f, 0.13f, 0.20f, 0.97f};
  FillRoundedGradientRect(r.x, r.y, r.w, r.h, 9.0f, top, bottom);
  glLineWidth(1.0f);
  SetGlColor(0.96f, 0.8f, 0.34f, open ? 0.85f : hovered ? 0.6f : 0.32f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, 9.0f, 10);
  const float ax = r.x + r.w - 16.0f, cy = r.y + r.h / 2.0f;
  SetGlColor(0.8f, 0.86f, 1.0f, open ? 0.95f : 0.7f);
  glBegin(GL_TRIANGLES);
  glVertex2f(ax - 5.0f, cy - 2.5f);
  glVertex2f(ax + 5.0f, cy - 2.5f);
  glVertex2f(ax, cy + 3.5f);
  glEnd();
  float valueX = r.x + 14.0f;
  if (!caption.empty()) {
    DrawTextUtf8(gFontSmall, r.x + 12.0f, r.y + 22.0f, caption, 0.55f, 0.62f, 0.76f, 0.9f);
    valueX = r.x + 20.0f + MeasureText(gFontSmall, caption, 6.6f);
  }
  const float room = r.x + r.w - 30.0f - valueX;
  ScopedTrSuppress suppress;   // the value comes translated
  const UiFont font = MainOrSmall();
  if (font == gFontMain && font != 0 && MeasureText(font, value, 8.0f) > room)
    DrawTextUtf8(gFontSmall, valueX, r.y + 22.0f, ElideTextToWidth(gFontSmall, value, room, 6.6f), 0.96f, 0.95f, 1.0f, 0.98f);
  else
    DrawTextUtf8(font, valueX, r.y + 23.0f, ElideTextToWidth(font, value, room, 8.0f), 0.96f, 0.95f, 1.0f, 0.98f);
}

void DrawRunsListRow(const RectF& r, float dy, const std::string& text, const std::string& badge, bool selected,
                     float opacity) {
  const bool hovered = PointInRect(r, gMouseX, gMouseY);
  const float y = r.y + dy;
  if (selected || hovered) {
    const float a = (selected ? 0.85f : 0.45f) * opacity;
    const float top[4] = {0.2f, 0.3f, 0.55f, a}, bottom[4] = {0.13f, 0.2f, 0.4f, a};
    FillGradientRect(r.x, y, r.w, r.h, top, bottom);
  }
  float badgeW = 0.0f;
  if (!badge.empty()) {
    ScopedTrSuppress suppress;   // a count, not a word
    badgeW = MeasureText(gFontSmall, badge, 6.4f) + 14.0f;
  }
  const std::string shown = ElideTextToWidth(gFontSmall, text, r.w - 24.0f - badgeW, 6.4f);
  ScopedTrSuppress suppress;   // both texts are drawn as shown
  const float baseline = y + r.h / 2.0f + 5.0f;
  DrawTextUtf8(gFontSmall, r.x + 12.0f, baseline, shown, 0.94f, 0.95f, 1.0f, 0.96f * opacity);
  if (!badge.empty()) DrawTextUtf8(gFontSmall, r.x + r.w - badgeW, baseline, badge, 0.5f, 0.56f, 0.66f, 0.85f * opacity);
}

void DrawEndlessRunsBar(const LearningLayout& l) {
  if (!IsTechniqueCategory(gLibraryViewKey) || l.pickerH <= 0.0f) return;
  if (!IsTechniqueWithoutSearch()) {
    DrawTextUtf8(gFontSmall, l.contentX, l.contentY - l.pickerH + 28.0f,
                 "Showing search results from the whole library. Clear the search to pick again.", 0.6f, 0.68f, 0.82f,
                 0.9f);
    gRunsDropDown = kRunsListNone;
    return;
  }
  DrawRunsPickerBox(RunsTypeBoxRect(l), "Type", ChosenTypeShown(gLibraryViewKey), gRunsDropDown == kRunsListType);
  if (gLibraryViewKey != "sight") {
    std::string key = gChosenKey < 0 ? Tr("Every key") : kRunsKeyNames[gChosenKey % 12];
    DrawRunsPickerBox(RunsKeyBoxRect(l), "Key", key, gRunsDropDown == kRunsListKey);
  }
  for (int i = 0; i < 4; ++i)
    DrawPillButton(RunsHandButtonRect(l, i), kHandFilterLabels[i], i == gHandFilter ? kPillGold : kPillPlain, true, 0.0f,
                   0.0f, 1.0f);
}

// Drawn last, over the cards; keeps the scissor state and box it found.
void DrawEndlessRunsDropDown(const LearningLayout& l) {
  if (!IsTechniqueWithoutSearch()) {
    gRunsShownDropDown = kRunsListNone;
    gRunsDropDownFade = 0.0f;
    return;
  }
  StepRunsDropDownFade(LearningMsStamp());
  if (gRunsShownDropDown == kRunsListNone || gRunsDropDownFade <= 0.0f) return;
  const float fade = gRunsDropDownFade;
  const RectF panel =
      gRunsShownDropDown == kRunsListKey ? RunsKeyListRect(l) : RunsTypeListPanel(RunsTypeListGeometry(l));
  const float dy = (fade - 1.0f) * kSlidePx;

  const GLboolean scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
  GLint scissorBox[4];
  glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
  glEnable(GL_SCISSOR_TEST);
  glScissor((int)std::floor(panel.x - 1.0f), (int)std::floor(gClientHeight - (panel.y + panel.h + 1.0f)),
            (int)std::ceil(panel.w + 2.0f), (int)std::ceil(panel.h + 2.0f));
  glLineWidth(1.0f);
  SetGlColor(0.03f, 0.04f, 0.07f, 0.99f * fade);
  FillRoundedRect(panel.x, panel.y + dy, panel.w, panel.h, 10.0f, 10);
  SetGlColor(0.62f, 0.7f, 0.88f, 0.3f * fade);
  StrokeRoundedRect(panel.x, panel.y + dy, panel.w, panel.h, 10.0f, 10);
  if (gRunsShownDropDown == kRunsListKey)
    DrawKeyList(l, dy, fade);
  else
    DrawTypeList(l, dy, fade);
  glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
  if (!scissorWasOn) glDisable(GL_SCISSOR_TEST);
}
