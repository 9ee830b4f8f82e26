// learning_ui/library_search: the library search box.
#include "learning_ui/library_search.h"

#include <GL/gl.h>

#include <algorithm>

#include "app/base/maths.h"
#include "gfx/draw_alpha.h"
#include "gfx/gl_setup.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "learning/library_browser.h"
#include "learning/library_text.h"
#include "learning/library_view_state.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_screen_state.h"
#include "platform/clock.h"
#include "platform/keys.h"

// ---- internal helpers ----
static UiFont SearchFont() { return gFontMain ? gFontMain : gFontSmall; }

// Width of the first n bytes of the typed text, untranslated.
static float PrefixWidth(int n) {
  ScopedTrSuppress suppress;
  n = ClampInt(n, 0, (int)gSearchField.text.size());
  return MeasureText(SearchFont(), gSearchField.text.substr(0, (size_t)n), 7.0f);
}

// Where the typed text starts in a box: moved left by the field's scroll, which moves only when the
// caret would leave the box, so a press or a drag finds the letters where they were drawn.
static float SearchTextX(const RectF& box) {
  const int length = (int)gSearchField.text.size();
  return box.x + 14.0f -
         TextFieldFollowCaret(gSearchField, PrefixWidth(gSearchField.cursor), PrefixWidth(length), box.w - 28.0f);
}

static bool BoxTakesInput() { return gLibraryOpen && gSearchFocused; }

// ---- public functions ----
bool IsTechniqueWithoutSearch() { return IsTechniqueCategory(gLibraryViewKey) && gSearchField.text.empty(); }

void ApplySearchText() {
  gSearchQuery = AsciiLowerCopy(gSearchField.text);
  gLibraryScroll = 0.0f;
}

bool IsSearchBoxFocused() { return gSearchFocused; }

bool HandleSearchBoxChar(uint32_t ch) {
  if (!BoxTakesInput()) return false;
  TextField& f = gSearchField;
  TextFieldClampCaret(f);
  if (ch == 27) {
    if (f.text.empty()) {
      gSearchFocused = false;
    } else {
      f.text.clear();
      f.cursor = f.anchor = 0;
      ApplySearchText();
    }
  } else if (ch == 13 || ch == 10) {
    gSearchFocused = false;
  } else if (ch == 8) {
    TextFieldBackspace(f);
    ApplySearchText();
  } else if (ch >= 32 && ch <= 126) {
    TextFieldInsert(f, std::string(1, (char)ch));
    ApplySearchText();
  }
  return true;
}

bool HandleSearchBoxKey(int key, bool shift, bool ctrl) {
  if (!BoxTakesInput() || key < kKeyEnd || key > 'X') return false;
  if (!TextFieldHandleKey(gSearchField, key, shift, ctrl)) return false;
  if (key == kKeyDelete || (ctrl && (key == 'V' || key == 'X'))) ApplySearchText();
  return true;
}

int SearchCaretFromX(const LearningLayout& l, float x) {
  RectF box = GetSearchBoxRect(l);
  float textX = SearchTextX(box);
  int length = (int)gSearchField.text.size();
  if (x <= textX || length == 0) return 0;
  float previous = 0.0f;
  for (int k = 1; k <= length; ++k) {
    float w = PrefixWidth(k);
    if ((w + previous) / 2.0f > x - textX) return k - 1;
    previous = w;
  }
  return length;
}

void PressSearchBox(const LearningLayout& l, int x) {
  gSearchFocused = true;
  gSearchField.cursor = gSearchField.anchor = SearchCaretFromX(l, (float)x);
  gSearchDragging = true;
}

bool DragSearchSelection(int x) {
  if (!gSearchDragging) return false;
  if (!BoxTakesInput()) {
    gSearchDragging = false;
    return false;
  }
  gSearchField.cursor = SearchCaretFromX(ComputeLearningLayout(), (float)x);
  return true;
}

bool TakeSearchDragEnd() {
  bool was = gSearchDragging;
  gSearchDragging = false;
  return was;
}

void DrawSearchBox(const LearningLayout& l) {
  if (!IsLibraryGridView()) {
    gSearchBoxRect = kHiddenRect;
    gSearchFocused = gSearchDragging = false;
    return;
  }
  const RectF b = gSearchBoxRect = GetSearchBoxRect(l);
  const TextField& f = gSearchField;
  const int length = (int)f.text.size();
  SetGlColor(0.09f, 0.11f, 0.16f, gSearchFocused ? 0.99f : 0.9f);
  FillRoundedRect(b.x, b.y, b.w, b.h, b.h / 2.0f, 16);
  glLineWidth(1.0f);
  if (gSearchFocused)
    SetGlColor(0.96f, 0.8f, 0.34f, 0.85f);
  else
    SetGlColor(0.62f, 0.7f, 0.88f, 0.32f);
  StrokeRoundedRect(b.x, b.y, b.w, b.h, b.h / 2.0f, 16);
  const float textX = SearchTextX(b);
  const SavedClip clip = BeginClip(b.x + 8.0f, b.y, b.w - 16.0f, b.h);  // a long text ends at the box
  int lo = ClampInt(std::min(f.cursor, f.anchor), 0, length), hi = ClampInt(std::max(f.cursor, f.anchor), 0, length);
  if (gSearchFocused && hi > lo) {
    float x0 = textX + PrefixWidth(lo), x1 = textX + PrefixWidth(hi);
    SetGlColor(0.4f, 0.55f, 0.95f, 0.35f);
    FillRoundedRect(x0, b.y + 5.0f, std::max(x1 - x0, 2.0f), b.h - 10.0f, 2.0f, 4);
  }
  if (length > 0) {
    ScopedTrSuppress suppress;
    DrawTextUtf8(SearchFont(), textX, b.y + 23.0f, f.text, 0.92f, 0.95f, 1.0f, 0.98f);
  } else if (!gSearchFocused) {
    std::string placeholder = ElideTextToWidth(gFontSmall, "Search the library...", b.w - 28.0f, 7.0f);
    ScopedTrSuppress suppress;
    DrawTextUtf8(gFontSmall, textX, b.y + 20.0f, placeholder, 0.55f, 0.62f, 0.74f, 0.55f);
  }
  if (gSearchFocused && (ClockMs32() / 500) % 2 == 0) {
    SetGlColor(0.96f, 0.82f, 0.4f, 0.95f);
    FillRoundedRect(textX + PrefixWidth(f.cursor), b.y + 5.0f, 2.0f, b.h - 10.0f, 1.0f, 2);
  }
  EndClip(clip);
}
