// learning_ui/library_screen: the learning screen drawn once a frame while it is open: backdrop and
// panel, the header (view title, subtitle, date, search box, PRACTICE and CLEAR), the sidebar
// (calendar, navigation, LEVEL, NEXT LESSON), the scroll aids, and the view's body; for the card
// grids that is the sections and cards of the library drawn here.
//
// Section index: constants, internal helpers (header, sidebar, cards), public functions.
#include "learning_ui/learning_screen.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/iso_dates.h"
#include "learning/learning_records.h"
#include "learning/lessons.h"
#include "learning/library_browser.h"
#include "learning/long_dates.h"
#include "learning/practice_set.h"
#include "learning/schedule.h"
#include "learning_ui/card_text.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_frame.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/library_search.h"
#include "learning_ui/mastery_figures.h"
#include "learning_ui/performance_note.h"
#include "platform/clock.h"

// ---- constants ----
static const char* const kLevelNames[6] = {"Technique", "Beginner", "Late Beginner", "Intermediate",
                                           "Late Intermediate", "Advanced"};
static const char* const kNavGroupNames[4] = {"Lesson", "Songbook", "Skills", "Explore Library"};
static const float kNavGroupColours[4][3] = {
    {0.45f, 0.66f, 1.0f}, {0.88f, 0.62f, 0.34f}, {0.95f, 0.65f, 0.32f}, {0.6f, 0.72f, 0.95f}};
static const float kActiveTop[3] = {0.2f, 0.3f, 0.55f};
static const float kActiveBottom[3] = {0.13f, 0.2f, 0.4f};
static const float kCardTitleY = 26.0f;     // a card's first title baseline below its top
static const float kCardLineStep = 18.0f;   // between the small-font lines under the title

// ---- internal helpers ----
static UiFont MainOrSmall() { return gFontMain ? gFontMain : gFontSmall; }
static UiFont LargeOrFallback() { return gFontLarge ? gFontLarge : MainOrSmall(); }

// The active row's look: a blue gradient and a gold bar at its left edge.
static void DrawActiveRow(const RectF& row, float alpha, bool withBar) {
  const float top[4] = {kActiveTop[0], kActiveTop[1], kActiveTop[2], alpha};
  const float bottom[4] = {kActiveBottom[0], kActiveBottom[1], kActiveBottom[2], alpha};
  FillRoundedGradientRect(row.x, row.y, row.w, row.h, 7.0f, top, bottom);
  if (!withBar) return;
  SetGlColor(0.96f, 0.8f, 0.34f, 0.65f);
  FillRoundedRect(row.x, row.y, 3.0f, row.h, 1.5f, 4);
}

// The number and record of the lesson the "today" view shows (0 when none).
static const Lesson* ShownLesson(int* number) {
  int record;
  if (!gViewingPlannedDay.empty()) {
    *number = gPlannedLessonNumber;
    record = gPlannedTitleLesson > 0 ? gPlannedTitleLesson : gPlannedLessonNumber;
  } else {
    auto day = gLearningCalendar.find(gCurrentLearningDay);
    *number = record = day == gLearningCalendar.end() ? 0 : day->second.lesson;
  }
  return record > 0 ? FindLesson(record) : nullptr;
}

static std::string ViewTitle(bool planned) {
  if (gLibraryViewKey == "skills") return Tr("Skills");
  if (gLibraryViewKey != "today") return ViewKeyLabel();
  int number = 0;
  const Lesson* lesson = ShownLesson(&number);
  std::string title = planned ? TrF("Planned Lesson %d", std::max(number, 1)) : TrF("Lesson %d", std::max(number, 1));
  if (lesson && !lesson->title.empty()) title += " - " + Tr(lesson->title);
  return title;
}

static void DrawHeader(const LearningLayout& l, int listed) {
  const bool planned = !gViewingPlannedDay.empty() && gLibraryViewKey == "today";
  DrawTextUtf8(MainOrSmall(), l.sideX, l.top + 39.0f, "Learning Library", 0.96f, 0.8f, 0.34f, 0.98f);
  std::string title = ViewTitle(!gViewingPlannedDay.empty());
  {
    ScopedTrSuppress suppress;   // the title is translated already
    if (IsLibraryGridView()) {
      title = ElideTextToWidth(gFontMain, title, TitleMaxWidth(l), 9.0f);
      gLibraryTitleWidth = MeasureText(gFontMain, title, 9.0f);
    } else {
      gLibraryTitleWidth = 0.0f;
      // CLEAR and PRACTICE stand in every view while cards are being chosen: a lesson's long title
      // ends before them rather than running under them.
      if (gChoosingPractice || !gSelectedCards.empty())
        title = ElideTextToWidth(gFontMain, title, ClearButtonRect(l).x - 12.0f - l.contentX, 9.0f);
    }
    DrawTextUtf8(gFontMain, l.contentX, l.top + 40.0f, title, 0.86f, 0.9f, 1.0f, 0.97f);
  }
  std::string subtitle;
  if (planned && !IsPreviewedDayPast())
    subtitle = TrF("Planned lesson - locked until %s", FormatLongDate(gViewingPlannedDay).c_str());
  else if (gLibraryViewKey == "today")
    subtitle = TrF("%d blocks", listed);
  else if (gLibraryViewKey == "skills")
    subtitle = Tr("Your practice routes and progress");
  else
    subtitle = TrF("%d of %zu playable pieces", listed, gLibraryItems.size());
  DrawShown(gFontSmall, l.contentX, l.top + 63.0f, subtitle, 0.56f, 0.63f, 0.75f, 0.9f);
  if (!gCurrentLearningDay.empty() && gLibraryViewKey != "skills") {
    std::string date = FormatLongDate(gCurrentLearningDay);
    ScopedTrSuppress suppress;
    float w = MeasureText(gFontSmall, date, 6.4f);
    DrawTextUtf8(gFontSmall, l.contentX + l.contentW - w, l.top + 63.0f, date, 0.56f, 0.63f, 0.75f, 0.82f);
  }
}

static void DrawPracticeButtons(const LearningLayout& l) {
  if (!gChoosingPractice && gSelectedCards.empty()) return;
  DrawPillButton(ClearButtonRect(l), "CLEAR", kPillRed, true, 1.5f, 0.0f, 1.0f);
  std::string label = gSelectedCards.empty() ? Tr("PRACTICE") : TrF("PRACTICE %zu", gSelectedCards.size());
  ScopedTrSuppress suppress;
  DrawPillButton(PracticeButtonRect(l), label, kPillGold, !gSelectedCards.empty(), 2.5f, 0.0f, 1.0f);
}

// Beside a sidebar list's heading, where the list shows only some of its rows: which ones the
// wheel has brought into view, "1-6 / 7".
static void DrawRowsShown(const LearningLayout& l, float y, int first, int shown, int total) {
  if (shown <= 0 || shown >= total) return;
  const std::string rows = std::to_string(first + 1) + "-" + std::to_string(first + shown) + " / " + std::to_string(total);
  DrawShown(gFontSmall, l.sideX + l.sideInnerW - 14.0f - ShownWidth(gFontSmall, rows, 6.4f), y, rows, 0.5f, 0.56f, 0.66f,
            0.85f);
}

static void DrawNavigation(const LearningLayout& l) {
  DrawTextUtf8(gFontSmall, l.sideX, l.navY - 7.0f, "LIBRARY", 0.5f, 0.56f, 0.66f, 0.85f);
  const int group = NavGroupOfView();
  std::vector<NavRow> rows = BuildNavRows();
  DrawRowsShown(l, l.navY - 7.0f, NavListFirst(l), l.navRowsShown, (int)rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const NavRow& nav = rows[i];
    RectF row = NavRowRect(l, (int)i);
    if (!(row.w > 0.0f)) continue;
    bool head = nav.kind == 1;
    bool active = head ? nav.group == group : nav.key == gLibraryViewKey;
    if (active) {
      DrawActiveRow(row, head ? 0.85f : 0.5f, true);
    } else if (PointInRect(row, gMouseX, gMouseY) && PerformanceNoteAt(gMouseX, gMouseY) < 0) {
      SetGlColor(1.0f, 1.0f, 1.0f, 0.05f);
      FillRoundedRect(row.x, row.y, row.w, row.h, 7.0f, 8);
    }
    float middle = row.y + row.h / 2.0f;
    if (head) {
      const float* c = kNavGroupColours[nav.group];
      SetGlColor(c[0], c[1], c[2], 0.96f);
      FillRoundedRect(l.sideX + 1.0f, middle - 4.0f, 8.0f, 8.0f, 4.0f, 6);
      float t = active ? 1.0f : 0.86f;
      DrawTextUtf8(gFontSmall, l.sideX + 17.0f, middle + 4.0f, kNavGroupNames[nav.group], t, t, 1.0f, 0.94f);
      continue;
    }
    float r, g, b;
    NavKeyColour(nav.key, &r, &g, &b);
    SetGlColor(r, g, b, 0.78f);
    FillRoundedRect(l.sideX + 15.0f, middle - 4.0f, 6.0f, 6.0f, 3.0f, 6);
    const char* label = nav.key == "skills" ? "Overview" : nav.key.empty() ? "All Pieces" : NavKeyLabel(nav.key);
    float t = active ? 0.99f : 0.7f;
    // A long translated name ("Pieces by composer" in Russian) would run into its count.
    int count = CountItemsInView(nav.key);
    const float countX = l.sideX + l.sideInnerW - 47.0f;
    const float room = (count > 0 ? countX - 6.0f : l.sideX + l.sideInnerW - 6.0f) - (l.sideX + 30.0f);
    DrawShown(gFontSmall, l.sideX + 30.0f, middle + 4.0f, Tr(label), t, t, 1.0f, 0.94f, room);
    if (count > 0)
      DrawShown(gFontSmall, countX, middle + 4.0f, std::to_string(count), 0.5f, 0.56f, 0.66f, 0.82f);
  }
}

static void DrawLevelFilter(const LearningLayout& l) {
  if (l.levelRowsShown <= 0) return;
  DrawTextUtf8(gFontSmall, l.sideX, l.lowerY - 10.0f, "LEVEL", 0.5f, 0.56f, 0.66f, 0.85f);
  DrawRowsShown(l, l.lowerY - 10.0f, LevelListFirst(l), l.levelRowsShown, 7);
  for (int r = 0; r < 7; ++r) {
    RectF row = LevelRowRect(l, r);
    if (!(row.w > 0.0f)) continue;
    bool active = r - 1 == gLevelFilter;
    if (active) DrawActiveRow(row, 0.85f, false);
    float cr = 0.45f, cg = 0.66f, cb = 1.0f;
    if (r > 0) LevelColour(r - 1, &cr, &cg, &cb);
    float middle = row.y + row.h / 2.0f;
    SetGlColor(cr, cg, cb, 0.9f);
    FillRoundedRect(l.sideX + 1.0f, middle - 4.0f, 8.0f, 8.0f, 4.0f, 6);
    std::string label = r == 0 ? Tr("All Levels") : r == 1 ? Tr("Technique Only") : TrF("Up to %s", Tr(kLevelNames[r - 1]).c_str());
    if (active)
      DrawShown(gFontSmall, l.sideX + 17.0f, middle + 4.0f, label, 0.99f, 0.99f, 1.0f, 0.92f);
    else
      DrawShown(gFontSmall, l.sideX + 17.0f, middle + 4.0f, label, 0.74f, 0.8f, 1.0f, 0.92f);
  }
}

static void DrawSectionHeader(const LearningLayout& l, const std::string& label, float top, int selected,
                              int available) {
  RectF button = SectionButtonRect(l, top);
  const char* word = available <= 0 ? "LOCKED" : !gChoosingPractice ? "SELECT" : selected >= available ? "REMOVE" : "ALL";
  DrawPillButton(button, word, selected > 0 ? kPillGold : kPillPlain, available > 0, 2.5f, 0.0f, 1.0f);
  SetGlColor(0.96f, 0.8f, 0.34f, 0.15f);
  FillRect(l.contentX, top + 53.0f, l.contentW, 1.0f);
  // Cut by the width it takes, not by its bytes: a Cyrillic or Greek heading has two bytes a letter
  // and would lose half its room.
  // A heading too long for the large font steps down to the main one before it loses words.
  UiFont font = LargeOrFallback();
  const float room = button.x - 12.0f - (l.contentX + 3.0f);
  std::string shown;
  {
    ScopedTrSuppress translated;   // the label comes translated
    if (gFontMain && MeasureText(font, label, 18.0f) > room) font = gFontMain;
    shown = ElideTextToWidth(font, label, room, 18.0f);
  }
  DrawShown(font, l.contentX + 3.0f, top + 36.0f, shown, 0.82f, 0.86f, 0.95f, 0.95f);
  std::string counts = selected > 0 ? TrF("%d selected", selected) : available > 0 ? TrF("%d available", available) : Tr("locked");
  DrawShown(gFontSmall, button.x, top + 52.0f, counts, 0.5f, 0.58f, 0.7f, 0.86f);
}

// A card's title, on one line or two. The second line stands a line height of its script below
// the first, and a tenth more: the Latin face's brackets and descenders fill its whole height, so
// "(RH)" a bare line height under "finger" would touch it. Where the step pushes the subtitle and
// status past their room above the progress line (Devanagari, Japanese and Arabic stand tall),
// the title takes the small font, and at worst the step shrinks to the room.
struct CardTitle {
  UiFont font;
  std::string line1, line2;
  float step;   // first baseline to second, 0 for one line
};

static float TitleLineStep(UiFont font, const std::string& line1, const std::string& line2) {
  ScopedTrSuppress shown;   // the lines are translated already
  const float tallest = std::max(MeasureTextHeight(font, line1, 18.0f), MeasureTextHeight(font, line2, 18.0f));
  return std::max(kCardLineStep, std::ceil(1.1f * tallest));
}

static float CardSubtitleY(const RectF& c, const CardTitle& title) {
  return c.y + (title.line2.empty() ? 48.0f : kCardTitleY + title.step + 20.0f);
}

static CardTitle FitCardTitle(const LibraryItem& item, const RectF& c) {
  const std::string text = ItemCardTitle(item);
  // The status line keeps a line step above the progress line at the card's foot.
  const float room = c.h - 13.0f - 2.0f * kCardLineStep - 20.0f - kCardTitleY;
  CardTitle title{gFontMain, "", "", 0.0f};
  for (UiFont font : {gFontMain, gFontSmall}) {
    title.font = font;
    SplitTwoLines(font, text, c.w - 36.0f, 9.0f, &title.line1, &title.line2);
    title.step = title.line2.empty() ? 0.0f : TitleLineStep(font, title.line1, title.line2);
    if (title.step <= room) return title;
  }
  title.step = std::max(room, kCardLineStep);
  return title;
}

// The progress line at a card's foot: the shown day's share, else the section's.
static std::string CardProgressText(const LibraryItem& item) {
  std::string date = gCurrentLearningDay.empty() ? TodayIsoDate() : gCurrentLearningDay;
  auto day = gLearningCalendar.find(date);
  const int assigned = day != gLearningCalendar.end() ? CountAssignedItems(day->second) : 0;
  if (assigned > 0) return TrF("Day %d/%d", CountDoneItems(day->second), assigned);
  return TrF("Section %s", GroupProgressText(item).c_str());
}

static void DrawCard(const LearningLayout& l, const LibraryItem& item, const RectF& c) {
  const bool current = item.id == gPracticeItemId;
  const bool selected = gSelectedCards.count(item.id) != 0;
  const bool available = IsItemAvailable(item);
  const bool done = IsItemDoneToday(item);
  const bool hovered = PointInRect(c, gMouseX, gMouseY) && gMouseY >= l.contentY &&
                       gMouseY <= l.contentY + l.contentH && PerformanceNoteAt(gMouseX, gMouseY) < 0;
  const float body[4] = {0.08f, 0.09f, 0.14f, 0.99f};
  FillRoundedRimRect(c.x, c.y, c.w, c.h, 14.0f, 2.0f, body);
  float top[4], bottom[4];
  auto set = [](float* v, float r, float g, float b, float a) { v[0] = r, v[1] = g, v[2] = b, v[3] = a; };
  if (!available) {
    set(top, 0.075f, 0.08f, 0.105f, 0.98f), set(bottom, 0.045f, 0.05f, 0.07f, 0.99f);
  } else if (done) {
    // The phase stays exact however large the 32-bit clock has grown.
    double p = 0.5 + 0.5 * std::sin(0.13 * item.row_index + 0.002 * (double)ClockMs32());
    set(top, 0.34f + 0.06f * (float)p, 0.27f, 0.09f, 0.98f), set(bottom, 0.14f, 0.105f, 0.045f, 0.99f);
  } else if (hovered) {
    set(top, 0.2f, 0.24f, 0.34f, 0.98f), set(bottom, 0.12f, 0.15f, 0.22f, 0.99f);
  } else {
    set(top, 0.135f, 0.155f, 0.215f, 0.98f), set(bottom, 0.08f, 0.095f, 0.14f, 0.99f);
  }
  FillRoundedGradientRect(c.x + 2.0f, c.y + 2.0f, c.w - 4.0f, c.h - 4.0f, 12.0f, top, bottom);
  if (selected) {
    SetGlColor(0.62f, 0.76f, 1.0f, 0.14f);
    FillRoundedRect(c.x + 3.0f, c.y + 3.0f, c.w - 6.0f, c.h - 6.0f, 12.0f, 12);
  }
  glLineWidth(1.0f);
  if (current)
    SetGlColor(0.97f, 0.82f, 0.36f, 0.85f);
  else if (done)
    SetGlColor(0.98f, 0.8f, 0.28f, 0.74f);
  else if (hovered)
    SetGlColor(0.45f, 0.66f, 1.0f, 0.55f);
  else
    SetGlColor(1.0f, 1.0f, 1.0f, 0.06f);
  StrokeRoundedRect(c.x, c.y, c.w, c.h, 14.0f, 12);

  float lr, lg, lb;
  LevelColour(item.level, &lr, &lg, &lb);
  SetGlColor(lr, lg, lb, 0.9f);
  FillRoundedRect(c.x + c.w - 21.0f, c.y + 13.0f, 8.0f, 8.0f, 4.0f, 6);

  const CardTitle title = FitCardTitle(item, c);
  float tr = available ? 0.96f : 0.52f, tg = available ? 0.97f : 0.55f, tb = available ? 1.0f : 0.62f;
  DrawShown(title.font, c.x + 14.0f, c.y + kCardTitleY, title.line1, tr, tg, tb, 0.98f);
  if (!title.line2.empty())
    DrawShown(title.font, c.x + 14.0f, c.y + kCardTitleY + title.step, title.line2, tr, tg, tb, 0.98f);
  const float subtitleY = CardSubtitleY(c, title);
  std::string subtitle = ElideTextToWidth(gFontSmall, ItemCardSubtitle(item), c.w - 28.0f, 6.4f);
  DrawShown(gFontSmall, c.x + 14.0f, subtitleY, subtitle, 0.6f, 0.68f, 0.8f, 0.92f);
  // Under a title on two lines the status may come down level with the badge (its descenders take
  // some 6 px), and then ends before the badge's dots.
  const RectF badge = CardBadgeRect(c);
  const float statusY = subtitleY + kCardLineStep;
  const float statusEnd = statusY + 6.0f > badge.y && !item.id.empty() ? badge.x - 41.0f : c.x + c.w - 14.0f;
  std::string status = Tr(kLevelNames[ClampInt(item.level, 0, 5)]) + " - " + ItemStatusText(item);
  {
    ScopedTrSuppress suppress;   // both parts are translated already
    status = ElideTextToWidth(gFontSmall, status, statusEnd - (c.x + 14.0f), 6.4f);
  }
  DrawShown(gFontSmall, c.x + 14.0f, statusY, status, 0.48f, 0.56f, 0.68f, 0.82f);
  if (done)
    DrawShown(gFontSmall, c.x + 14.0f, c.y + c.h - 13.0f, CardProgressText(item), 0.42f, 0.86f, 0.52f, 0.94f);
  else
    DrawShown(gFontSmall, c.x + 14.0f, c.y + c.h - 13.0f, CardProgressText(item), 0.62f, 0.7f, 0.88f, 0.94f);
  if (!item.id.empty()) {
    DrawMasteryBadge(item, badge);
    DrawRetentionDots(item, badge);
  }
}

static void DrawCardGrid(const LearningLayout& l) {
  glEnable(GL_SCISSOR_TEST);
  glScissor((int)std::floor(l.contentX), (int)std::floor(gClientHeight - (l.contentY + l.contentH)),
            (int)std::ceil(l.contentW), (int)std::ceil(l.contentH));
  const float bandTop = l.contentY, bandBottom = l.contentY + l.contentH;
  // Every section's counts in one pass, rather than a pass over the library per header.
  std::unordered_map<std::string, std::pair<int, int>> counts;   // label -> selected, available
  for (const LibraryItem& item : gLibraryItems) {
    if (!ItemMatchesFilters(item) || !IsItemAvailable(item)) continue;
    auto& count = counts[RepertoireGroupLabel(item)];
    ++count.second;
    if (gSelectedCards.count(item.id)) ++count.first;
  }
  int drawn = 0;
  WalkCardGrid(
      l, gLibraryScroll,
      [&](const std::string& label, float top) {
        if (top < bandBottom && top + l.sectionH > bandTop) {
          auto found = counts.find(label);
          DrawSectionHeader(l, label, top, found == counts.end() ? 0 : found->second.first,
                            found == counts.end() ? 0 : found->second.second);
        }
        return top > bandBottom;   // nothing further down is visible
      },
      [&](const LibraryItem& item, const RectF& c) {
        ++drawn;
        if (c.y < bandBottom + 6.0f && c.y + c.h > bandTop - 6.0f) DrawCard(l, item, c);
        return c.y > bandBottom + 6.0f;
      });
  glDisable(GL_SCISSOR_TEST);
  if (drawn == 0 && IsTechniqueWithoutSearch())
    DrawTextUtf8(gFontSmall, l.contentX + 4.0f, l.contentY + 30.0f, "Nothing matches these choices. Pick another one above.",
                 0.6f, 0.68f, 0.82f, 0.9f);
}

static void DrawViewBody(const LearningLayout& l) {
  if (gLibraryViewKey == "today") {
    DrawLessonPanel(l);
  } else if (gLibraryViewKey == "skills") {
    DrawPillButton(GetSkillsTabRect(l, 0), "OVERVIEW", gSkillsTab == kSkillsTabOverview ? kPillGold : kPillPlain, true, -1.0f, 0.0f, 1.0f);
    DrawPillButton(GetSkillsTabRect(l, 1), "MAP", gSkillsTab == kSkillsTabMap ? kPillGold : kPillPlain, true, -1.0f, 0.0f, 1.0f);
    if (gSkillsTab == kSkillsTabMap)
      DrawMasteryMap(l);
    else
      DrawRoutesPanel(l);
  } else {
    DrawCardGrid(l);
    DrawEndlessRunsBar(l);
    DrawEndlessRunsDropDown(l);
  }
}

// ---- public functions ----
void DrawLearningScreen() {
  if (!gLibraryOpen) return;
  if (!gLibraryLoaded) LoadLibraryIndex();
  FollowRunsListToView();
  const LearningLayout l = ComputeLearningLayout();
  ClampLibraryScroll(l);
  // Smoothed lines cost a software rasteriser dearly and the outlines here are axis-aligned or
  // gently curved; the setting comes back at the end.
  const GLboolean smooth = glIsEnabled(GL_LINE_SMOOTH);
  glDisable(GL_LINE_SMOOTH);
  DrawLearningBackdrop(l, (float)gClientWidth, (float)gClientHeight);
  DrawLearningPanelFrame(l);
  int listed = 0, doneToday = 0;
  CountListedItems(&listed, &doneToday);
  DrawHeader(l, listed);
  DrawSearchBox(l);
  DrawOverviewPanel(l, listed, doneToday);
  DrawPracticeButtons(l);
  DrawLearningCalendar(l);
  DrawNavigation(l);
  if (IsLibraryGridView()) DrawLevelFilter(l);
  if (l.nextLesson) DrawPillButton(NextLessonButtonRect(l), "NEXT LESSON", kPillGold, true, 2.0f, 0.0f, 1.0f);
  DrawLearningScrollbar(l);
  DrawScrollSectionLabels(l);
  DrawViewBody(l);
  if (smooth) glEnable(GL_LINE_SMOOTH);
}
