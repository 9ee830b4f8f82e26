// The library search box: typed characters and editing keys through the box's own handlers, from
// an empty box or a starting text, against the text, caret, selection, focus and query they leave.
#include <algorithm>

#include "gfx/text_field.h"
#include "learning/library_text.h"
#include "learning_ui/library_search.h"
#include "platform/keys.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

// One input: a typed character (key 0) or a key with its modifiers.
struct Input {
  uint32_t ch;
  int key;
  bool shift, ctrl;
};
Input Char(uint32_t c) { return {c, 0, false, false}; }
Input Key(int k, bool shift = false, bool ctrl = false) { return {0, k, shift, ctrl}; }

class LibrarySearchTest : public LearningUiTest {
 protected:
  void SetUp() override {
    OpenOn("");
    gSearchFocused = true;
  }
  static void Type(const std::string& text) {
    for (char c : text) EXPECT_TRUE(HandleSearchBoxChar((uint32_t)c));
  }
};

TEST_F(LibrarySearchTest, KeysAndCharactersEditTheTextAndTheQuery) {
  struct Case {
    const char* name;
    std::string start;
    std::vector<Input> inputs;
    std::string text;
    int cursor, anchor;
    bool focused;
  };
  const std::string ten = "abcde fghij";
  const Case cases[] = {
      {"typed capitals stay as typed", "", {Char('M'), Char('i'), Char('n')}, "Min", 3, 3, true},
      {"escape clears, then drops the focus", "abc", {Char(27)}, "", 0, 0, true},
      {"second escape", "abc", {Char(27), Char(27)}, "", 0, 0, false},
      {"enter drops the focus", "abc", {Char(13)}, "abc", 3, 3, false},
      {"backspace at the start changes nothing", "abc", {Key(kKeyHome), Char(8)}, "abc", 0, 0, true},
      {"ctrl+left from the end", ten, {Key(kKeyLeft, false, true)}, ten, 6, 6, true},
      {"ctrl+right from the start", ten, {Key(kKeyHome), Key(kKeyRight, false, true)}, ten, 6, 6, true},
      {"shift+ctrl+left selects the word", ten, {Key(kKeyLeft, true, true)}, ten, 6, 11, true},
      {"a plain left collapses a selection to its start", ten, {Key(kKeyLeft, true, true), Key(kKeyLeft)}, ten, 6, 6, true},
      {"typing replaces the selection", ten, {Key(kKeyLeft, true, true), Char('x')}, "abcde x", 7, 7, true},
      {"backspace deletes the selection", ten, {Key(kKeyHome), Key(kKeyRight, true), Key(kKeyRight, true), Char(8)},
       "cde fghij", 0, 0, true},
      {"delete at the caret", ten, {Key(kKeyHome), Key(kKeyDelete)}, "bcde fghij", 0, 0, true},
      {"delete at the end does nothing", "ab", {Key(kKeyDelete)}, "ab", 2, 2, true},
      {"ctrl+a then ctrl+x empties the box", ten, {Key('A', false, true), Key('X', false, true)}, "", 0, 0, true},
      {"ctrl+x without a selection keeps the text", "ab", {Key('X', false, true)}, "ab", 2, 2, true},
      {"control codes are taken without effect", "ab", {Char(1), Char(200)}, "ab", 2, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gSearchFocused = true;
    gSearchField.text.clear();
    gSearchField.cursor = gSearchField.anchor = 0;
    Type(c.start);
    for (const Input& in : c.inputs) {
      gLibraryScroll = 500.0f;
      std::string before = gSearchField.text;
      if (in.key == 0) {
        EXPECT_TRUE(HandleSearchBoxChar(in.ch));
      } else {
        EXPECT_TRUE(HandleSearchBoxKey(in.key, in.shift, in.ctrl));
      }
      // Every character that edits (and Backspace even when nothing is deleted) re-applies the
      // search, which returns the list to the top.
      bool reapplied = in.ch == 8 || (in.ch >= 32 && in.ch <= 126) || (in.ch == 27 && !before.empty()) ||
                       in.key == kKeyDelete || (in.ctrl && in.key == 'X');
      EXPECT_EQ(gLibraryScroll == 0.0f, reapplied);
    }
    EXPECT_EQ(gSearchField.text, c.text);
    EXPECT_EQ(gSearchField.cursor, c.cursor);
    EXPECT_EQ(gSearchField.anchor, c.anchor);
    EXPECT_EQ(gSearchFocused, c.focused);
    EXPECT_EQ(gSearchQuery, AsciiLowerCopy(c.text));
  }
}

TEST_F(LibrarySearchTest, TheBoxTakesNothingUnlessFocusedOnAnOpenScreen) {
  Type(std::string(85, 'q'));
  EXPECT_EQ(gSearchField.text.size(), 80u);   // the limit drops the rest
  // Letters that only edit with Ctrl arrive as characters, and keys outside the box's set go on.
  EXPECT_FALSE(HandleSearchBoxKey('A', false, false));
  EXPECT_FALSE(HandleSearchBoxKey('X', true, false));
  EXPECT_FALSE(HandleSearchBoxKey(kKeyUp, false, false));
  EXPECT_FALSE(HandleSearchBoxKey(kKeyF4, false, false));
  gSearchFocused = false;
  EXPECT_FALSE(HandleSearchBoxChar('r'));
  EXPECT_FALSE(HandleSearchBoxKey(kKeyEnd, false, false));
  gSearchFocused = true;
  gLibraryOpen = false;
  EXPECT_FALSE(HandleSearchBoxChar('r'));
  EXPECT_EQ(gSearchField.text.size(), 80u);
}

TEST_F(LibrarySearchTest, TheMouseSelectsFromThePressToTheDrag) {
  Type("minor scales");
  gSearchFocused = false;
  LearningLayout l = ComputeLearningLayout();
  RectF box = GetSearchBoxRect(l);
  // Left of the text is the start; far right is the end; positions grow with x.
  EXPECT_EQ(SearchCaretFromX(l, box.x), 0);
  EXPECT_EQ(SearchCaretFromX(l, box.x + box.w), 12);
  int previous = 0;
  for (float x = box.x + 14.0f; x < box.x + box.w; x += 3.0f) {
    int caret = SearchCaretFromX(l, x);
    EXPECT_GE(caret, previous);
    previous = caret;
  }
  gSearchBoxRect = box;
  EXPECT_TRUE(HandleLearningClick((int)box.x + 2, (int)(box.y + box.h / 2)));
  EXPECT_TRUE(gSearchFocused);
  EXPECT_TRUE(gSearchDragging);
  EXPECT_TRUE(DragSearchSelection((int)(box.x + box.w)));
  EXPECT_EQ(gSearchField.anchor, 0);
  EXPECT_EQ(gSearchField.cursor, 12);
  EXPECT_TRUE(TakeSearchDragEnd());
  EXPECT_FALSE(TakeSearchDragEnd());
  // A press elsewhere on the screen drops the focus; a drag left over after closing ends itself.
  EXPECT_TRUE(HandleLearningClick((int)l.contentX + 5, (int)(l.top + l.height - 5)));
  EXPECT_FALSE(gSearchFocused);
  gSearchDragging = true;
  EXPECT_FALSE(DragSearchSelection(0));
  EXPECT_FALSE(gSearchDragging);
}

TEST_F(LibrarySearchTest, ALongTextStaysPutUnderThePressAndTheDrag) {
  gClientWidth = 800;   // a narrow box, which the typed line outruns
  const std::string text = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG AND MORE WORDS HERE, ONCE AND AGAIN";
  const int length = (int)text.size();
  Type(text);
  const LearningLayout l = ComputeLearningLayout();
  const RectF box = gSearchBoxRect = GetSearchBoxRect(l);
  const int left = (int)box.x + 15, right = (int)(box.x + box.w) - 15;   // inside the text's room
  // The caret index under every pixel of the room, as the text is shown now.
  auto shown = [&] {
    std::vector<int> carets;
    for (int x = left; x <= right; ++x) carets.push_back(SearchCaretFromX(l, (float)x));
    return carets;
  };
  const std::vector<int> atEnd = shown();
  ASSERT_GT(atEnd.front(), 10);   // the start is out of the box, the end at its right edge
  EXPECT_EQ(atEnd.back(), length);

  // A press on the first letter whole in the box puts the caret there and moves no text under the
  // mouse; a drag across the box then selects just the letters shown.
  const size_t firstWhole = (size_t)(std::find_if(atEnd.begin(), atEnd.end(), [&](int c) { return c > atEnd.front(); }) -
                                     atEnd.begin());
  const int pressX = left + (int)firstWhole, pressed = atEnd[firstWhole];
  EXPECT_TRUE(HandleLearningClick(pressX, Cy(box)));
  EXPECT_EQ(gSearchField.cursor, pressed);
  EXPECT_EQ(gSearchField.anchor, pressed);
  EXPECT_EQ(shown(), atEnd);
  EXPECT_TRUE(DragSearchSelection((left + right) / 2));
  EXPECT_EQ(shown(), atEnd);
  EXPECT_TRUE(DragSearchSelection(right));
  EXPECT_TRUE(TakeSearchDragEnd());
  EXPECT_EQ(gSearchField.anchor, pressed);
  EXPECT_EQ(gSearchField.cursor, length);
  EXPECT_EQ(shown(), atEnd);
  // Pressed again further right, on a letter already shown: still nothing moves.
  EXPECT_TRUE(HandleLearningClick(left + 40, Cy(box)));
  EXPECT_TRUE(TakeSearchDragEnd());
  EXPECT_EQ(shown(), atEnd);

  // Keys that take the caret out of the box bring it back in; a shorter text slides right so the
  // box shows no room past its end; a cleared box starts again at its left.
  EXPECT_TRUE(HandleSearchBoxKey(kKeyHome, false, false));
  EXPECT_EQ(shown().front(), 0);
  EXPECT_TRUE(HandleSearchBoxKey(kKeyEnd, false, false));
  EXPECT_EQ(shown(), atEnd);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(HandleSearchBoxChar(8));
  const std::vector<int> shorter = shown();
  EXPECT_EQ(shorter.back(), length - 10);
  EXPECT_LT(shorter.front(), atEnd.front());
  EXPECT_TRUE(HandleSearchBoxChar(27));
  Type("AB");
  EXPECT_EQ(shown().front(), 0);
  // A window grown wide enough for the whole line shows it from its start.
  Type(text.substr(2));
  EXPECT_EQ(shown(), atEnd);
  gClientWidth = 2400;
  const LearningLayout wide = ComputeLearningLayout();
  const RectF wideBox = GetSearchBoxRect(wide);
  EXPECT_EQ(SearchCaretFromX(wide, wideBox.x + 15.0f), 0);
  EXPECT_EQ(SearchCaretFromX(wide, wideBox.x + wideBox.w - 15.0f), length);
}

}  // namespace
