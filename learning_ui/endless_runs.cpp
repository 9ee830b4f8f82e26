// learning_ui/endless_runs: the technique views' picker bar: its state, geometry and clicks.
#include "learning_ui/endless_runs.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning_ui/learning_screen_state.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/library_search.h"
#include "platform/clock.h"

// ---- constants ----
const char* const kHandFilterLabels[4] = {"All hands", "Right", "Left", "Both"};
const char* const kRunsKeyNames[12] = {"C", "Db", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
static const int kRingOrder[12] = {0, 7, 2, 9, 4, 11, 6, 1, 8, 3, 10, 5};
// A second click this soon after a pick, where the list was, is the same gesture and is dropped.
static const uint32_t kSwallowMs = 501;
static const float kFadeRate = 14.0f;     // per second, the list's ease towards its target
static const float kMaxFadeStep = 0.1f;   // seconds; a stalled frame does not snap the list open
static const float kKeyListWidth = 220.0f;   // the key grid's four columns
static const float kMinTypeBoxWidth = 160.0f;

// ---- state ----
int gRunsShownDropDown = kRunsListNone;   // nothing drawn
float gRunsDropDownFade = 0.0f;           // faded out
uint32_t gRunsFadeClockMs = 0;            // not stepped yet
RectF gRunsClosedRect = kHiddenRect;      // no pick yet
uint32_t gRunsClosedMs = 0;               // nothing to swallow
std::string gRunsListView;                // no frame yet
bool gRunsListViewSeen = false;           // no frame yet

// ---- internal helpers ----
static bool In(const RectF& r, int x, int y) { return PointInRect(r, x, y); }
static float BarTop(const LearningLayout& l) { return l.contentY - l.pickerH + 6.0f; }
static bool InSightView() { return gLibraryViewKey == "sight"; }

// The key box holds its translated caption and the widest key name as the box draws them (body
// font, 20 px before the value and 30 after it for the arrow): its least width. "Every key" is
// given room while the bar has it, up to the key list's width, and is cut beyond it.
static void KeyBoxNeeds(float* least, float* wanted) {
  const UiFont valueFont = gFontMain ? gFontMain : gFontSmall;
  const float fixed = 50.0f + MeasureText(gFontSmall, "Key", 6.6f);
  const float every = MeasureText(valueFont, "Every key", 8.0f);
  ScopedTrSuppress names;   // note names, never words
  float widest = 0.0f;
  for (const char* name : kRunsKeyNames) widest = std::max(widest, MeasureText(valueFont, name, 8.0f));
  *least = fixed + widest;
  *wanted = std::max(*least, std::min(fixed + every, kKeyListWidth));
}

// The width of a picker box that shows its caption and the value whole in the font, as the box
// draws them (20 px before the value, 30 after it for the arrow).
static float BoxNeeds(const char* caption, const std::string& value, UiFont font, float fallbackSize) {
  return 50.0f + MeasureText(gFontSmall, caption, 6.6f) + (value.empty() ? 0.0f : MeasureText(font, value, fallbackSize));
}

struct BarWidths {
  float type = 0, key = 0;   // key 0 in the sight view
};

// The bar in one row across the content: the hand buttons at their width, the key box at least at
// its least, the type box at its usual share but not below kMinTypeBoxWidth, and what is left
// widens the key box towards its wanted width.
static BarWidths ComputeBarWidths(const LearningLayout& l) {
  float hands = 0.0f;
  for (int i = 0; i < 4; ++i) hands += RunsHandButtonWidth(i) + 4.0f;
  BarWidths b;
  const float usual = std::min(0.4f * l.contentW, 360.0f);
  if (InSightView()) {
    b.type = std::max(std::min(usual, l.contentW - 10.0f - hands), kMinTypeBoxWidth);
    return b;
  }
  float least, wanted;
  KeyBoxNeeds(&least, &wanted);
  const float room = l.contentW - 28.0f - hands;   // for the type and key boxes
  // When the key box is short of its wanted width, the type box gives up what its chosen type does
  // not need, in the body font first, then in the small font the boxes fall back to: a value cut
  // to "Ev..." says nothing.
  const std::string type = GetChosenCategoryType(gLibraryViewKey);
  const UiFont body = gFontMain ? gFontMain : gFontSmall;
  const float typeBody = std::max(std::min(BoxNeeds("Type", type, body, 8.0f), usual), kMinTypeBoxWidth);
  const float typeSmall = std::max(std::min(BoxNeeds("Type", type, gFontSmall, 6.6f), usual), kMinTypeBoxWidth);
  const float keySmall = std::clamp(BoxNeeds("Key", "Every key", gFontSmall, 6.6f), least, wanted);
  b.type = std::min(usual, room - least);
  if (room - b.type < wanted) b.type = std::max(room - wanted, std::min(b.type, typeBody));
  if (room - b.type < keySmall) b.type = std::max(room - keySmall, std::min(b.type, typeSmall));
  b.type = std::max(b.type, kMinTypeBoxWidth);
  b.key = std::clamp(room - b.type, least, wanted);
  return b;
}

static float TypeBoxWidth(const LearningLayout& l) { return ComputeBarWidths(l).type; }

// A pick closes its list and remembers where it was, so the rest of a double click lands nowhere.
static void ClosePickedList(const RectF& panel) {
  const uint32_t now = ClockMs32();
  gRunsClosedRect = panel;
  gRunsClosedMs = now ? now : 1u;   // 0 means "nothing to swallow"
  gRunsDropDown = kRunsListNone;
  gLibraryScroll = 0.0f;
}

// ---- public functions ----
void ResetEndlessRunsPicker() {
  gRunsShownDropDown = kRunsListNone;
  gRunsDropDownFade = 0.0f;
  gRunsFadeClockMs = 0;
  gRunsClosedRect = kHiddenRect;
  gRunsClosedMs = 0;
  gRunsListView.clear();
  gRunsListViewSeen = false;
}

void FollowRunsListToView() {
  // The calendar, NEXT LESSON and the end of a practice set change the view without a thought for
  // the bar; a list they left open would hide the scroll hint of a view that has no bar.
  if (gRunsListViewSeen && gLibraryViewKey != gRunsListView) {
    gRunsDropDown = kRunsListNone;
    gRunsShownDropDown = kRunsListNone;
    gRunsDropDownFade = 0.0f;
  }
  gRunsListView = gLibraryViewKey;
  gRunsListViewSeen = true;
}

RectF RunsTypeBoxRect(const LearningLayout& l) { return {l.contentX, BarTop(l), TypeBoxWidth(l), 34.0f}; }

RectF RunsKeyBoxRect(const LearningLayout& l) {
  if (InSightView()) return kHiddenRect;
  const BarWidths b = ComputeBarWidths(l);
  return {l.contentX + b.type + 10.0f, BarTop(l), b.key, 34.0f};
}

float RunsHandButtonWidth(int index) {
  index = std::clamp(index, 0, 3);
  return std::max(MeasureText(gFontSmall, kHandFilterLabels[index], 6.6f) + 22.0f, index == 0 ? 70.0f : 52.0f);
}

RectF RunsHandButtonRect(const LearningLayout& l, int index) {
  const BarWidths b = ComputeBarWidths(l);
  float x = l.contentX + b.type + (InSightView() ? 10.0f : 10.0f + b.key + 18.0f);
  for (int i = 0; i < index; ++i) x += RunsHandButtonWidth(i) + 4.0f;
  return {x, BarTop(l) + 3.0f, RunsHandButtonWidth(index), 28.0f};
}

RunsTypeList RunsTypeListGeometry(const LearningLayout& l) {
  return {l.contentX, BarTop(l) + 38.0f, std::max(300.0f, TypeBoxWidth(l)), 32.0f,
          (int)ListCategoryTypes(gLibraryViewKey).size()};
}

RectF RunsTypeRowRect(const RunsTypeList& list, int row) {
  return {list.x, list.y + list.rowH * row, list.width, list.rowH - 2.0f};
}

RectF RunsTypeListPanel(const RunsTypeList& list) {
  return {list.x - 4.0f, list.y - 4.0f, list.width + 8.0f, list.rowH * list.rows + 6.0f};
}

RectF RunsKeyCellRect(const LearningLayout& l, int index) {
  const float kx = l.contentX + TypeBoxWidth(l) + 10.0f, ky = BarTop(l) + 38.0f;
  if (index >= 12) return {kx, ky + 114.0f, kKeyListWidth, 34.0f};
  return {kx + 56.0f * (index % 4), ky + 38.0f * (index / 4), 52.0f, 34.0f};
}

int RunsKeyCellPitchClass(int index) { return index >= 0 && index < 12 ? kRingOrder[index] : -1; }

RectF RunsKeyListRect(const LearningLayout& l) {
  const float kx = l.contentX + TypeBoxWidth(l) + 10.0f, ky = BarTop(l) + 38.0f;
  return {kx - 6.0f, ky - 6.0f, kKeyListWidth + 12.0f, 160.0f};
}

std::string RunsTypeLabel(const std::string& viewKey, int index) {
  const std::vector<std::string>& types = ListCategoryTypes(viewKey);
  if (index < 0 || index >= (int)types.size()) return "Endless runs";
  return types[index];
}

bool HandleEndlessRunsClick(const LearningLayout& l, int x, int y) {
  if (!IsTechniqueWithoutSearch() || l.pickerH <= 0.0f) {
    gRunsDropDown = kRunsListNone;
    return false;
  }
  // Unsigned difference: right across the 32-bit clock's wrap.
  if (gRunsClosedMs != 0 && ClockMs32() - gRunsClosedMs < kSwallowMs && In(gRunsClosedRect, x, y)) {
    gRunsClosedMs = 0;
    return true;
  }
  if (gRunsDropDown == kRunsListKey) {
    for (int i = 0; i < kRunsKeyCells; ++i) {
      if (!In(RunsKeyCellRect(l, i), x, y)) continue;
      gChosenKey = RunsKeyCellPitchClass(i);
      ClosePickedList(RunsKeyListRect(l));
      return true;
    }
  } else if (gRunsDropDown == kRunsListType) {
    const RunsTypeList list = RunsTypeListGeometry(l);
    for (int r = 0; r < list.rows; ++r) {
      if (!In(RunsTypeRowRect(list, r), x, y)) continue;
      gChosenTypes[gLibraryViewKey] = RunsTypeLabel(gLibraryViewKey, r);
      ClosePickedList(RunsTypeListPanel(list));
      return true;
    }
  }
  if (In(RunsTypeBoxRect(l), x, y)) {
    gRunsDropDown = gRunsDropDown == kRunsListType ? kRunsListNone : kRunsListType;
    return true;
  }
  if (In(RunsKeyBoxRect(l), x, y)) {
    gRunsDropDown = gRunsDropDown == kRunsListKey ? kRunsListNone : kRunsListKey;
    return true;
  }
  for (int i = 0; i < 4; ++i) {
    if (!In(RunsHandButtonRect(l, i), x, y)) continue;
    gHandFilter = i;
    gLibraryScroll = 0.0f;
    gRunsDropDown = kRunsListNone;
    return true;
  }
  if (gRunsDropDown == kRunsListNone) return false;
  gRunsDropDown = kRunsListNone;
  return true;
}

void StepRunsDropDownFade(uint32_t now) {
  float dt = 0.0f;
  if (gRunsFadeClockMs != 0 && gRunsFadeClockMs <= now)
    dt = std::min((float)(now - gRunsFadeClockMs) / 1000.0f, kMaxFadeStep);
  gRunsFadeClockMs = now;
  float target = 0.0f;
  if (gRunsDropDown != kRunsListNone) {
    target = 1.0f;
    if (gRunsDropDown != gRunsShownDropDown) {
      gRunsShownDropDown = gRunsDropDown;
      gRunsDropDownFade = 0.0f;
    }
  }
  gRunsDropDownFade += (1.0f - std::exp(-kFadeRate * dt)) * (target - gRunsDropDownFade);
  if (target == 1.0f && gRunsDropDownFade > 0.995f) gRunsDropDownFade = 1.0f;
  if (target == 0.0f && gRunsDropDownFade < 0.01f) {
    gRunsDropDownFade = 0.0f;
    gRunsShownDropDown = kRunsListNone;
  }
}
