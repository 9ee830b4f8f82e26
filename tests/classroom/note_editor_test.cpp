// The note box's logic with the default font's measurements (no GL: 8-pixel estimates, so a
// lower-case letter is 4.96 wide and a blank 3.2): wrapping, caret moves by line, the caret under
// the mouse, and the keys and characters of an open note.
#include <gtest/gtest.h>

#include "classroom/note_editor.h"
#include "platform/keys.h"
#include "tests/classroom/class_stores_fixture.h"

using Lines = std::vector<std::pair<int, int>>;

static Lines Wrap(const std::string& text, float width) {
  Lines out;
  for (NoteLine l : WrapNoteLines(text, width)) out.push_back({l.start, l.end});
  return out;
}

TEST(NoteWrap, LinesForTrickyTexts) {
  const struct { const char* what; std::string text; Lines lines; } cases[] = {
      {"empty", "", {{0, 0}}},
      {"a word wider than the box breaks inside", "abcdefghij", {{0, 8}, {8, 10}}},
      {"a blank ends a line and is dropped", "abc defgh", {{0, 3}, {4, 9}}},
      {"a line feed at the end is followed by an empty line", "ab\n", {{0, 2}, {3, 3}}},
      {"an empty line between two", "ab\n\ncd", {{0, 2}, {3, 3}, {4, 6}}},
      {"a multi-byte character is never split", "abcdefg\xC3\xA9z", {{0, 7}, {7, 10}}},
      {"a tab takes the room of four blanks", "abc\tdefg", {{0, 6}, {6, 8}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Wrap(c.text, 40), c.lines) << c.what;
  // Where a word was broken, the position between its parts starts the second line.
  EXPECT_EQ(NoteCaretLineIndex(WrapNoteLines("abcdefghij", 40), 8), 1);
  EXPECT_EQ(NoteCaretLineIndex(WrapNoteLines("abc defgh", 40), 3), 0);
}

class NoteEditor : public ClassStoresTest {
 protected:
  void SetUp() override {
    gNoteBox.box = {100, 50, 60, 200};   // wraps at 40
    gNoteBox.textTop = 70;               // line k spans y 55.6 + 18k .. 73.6 + 18k
    gNoteBox.firstVisibleLine = 0;
    gEditField.text = "abc defgh\nxy";   // lines {0,3} {4,9} {10,12}
    gNoteEditorActive = true;
  }
};

TEST_F(NoteEditor, KeysMoveByWrappedLines) {
  const struct { const char* what; int cursor, anchor, key; bool shift, ctrl; int toCursor, toAnchor; } cases[] = {
      {"Up keeps the x", 6, 6, kKeyUp, false, false, 2, 2},
      {"Down to a shorter line ends it", 6, 6, kKeyDown, false, false, 12, 12},
      {"Up on the first line goes to 0", 2, 2, kKeyUp, false, false, 0, 0},
      {"Down on the last line goes to the end", 10, 10, kKeyDown, false, false, 12, 12},
      {"Home goes to the line's start", 6, 6, kKeyHome, false, false, 4, 4},
      {"End goes to the line's end", 6, 6, kKeyEnd, false, false, 9, 9},
      {"Ctrl+Home goes to the start", 6, 6, kKeyHome, false, true, 0, 0},
      {"Ctrl+End goes to the end", 6, 6, kKeyEnd, false, true, 12, 12},
      {"Shift keeps the anchor", 6, 5, kKeyEnd, true, false, 9, 5},
      {"Shift+Up keeps it too", 6, 6, kKeyUp, true, false, 2, 6},
      {"other keys reach the field", 6, 6, kKeyLeft, false, false, 5, 5},
  };
  for (const auto& c : cases) {
    gEditField.cursor = c.cursor, gEditField.anchor = c.anchor;
    EXPECT_TRUE(HandleNoteEditorKey(c.key, c.shift, c.ctrl)) << c.what;
    EXPECT_EQ(std::make_pair(gEditField.cursor, gEditField.anchor), std::make_pair(c.toCursor, c.toAnchor)) << c.what;
  }
  EXPECT_FALSE(HandleNoteEditorKey('Q', false, false));
  gNoteEditorActive = false;
  EXPECT_FALSE(HandleNoteEditorKey(kKeyHome, false, false));
}

TEST_F(NoteEditor, CaretUnderThePoint) {
  const struct { float x, y; int position; } cases[] = {
      {90, 80, 4},      // left of the box: the line's start
      {117, 80, 5},     // before the middle of "e"
      {118, 80, 6},     // past it
      {400, 80, 9},     // right of the text: the line's end
      {120, 900, 12},   // below the last line: the last line
      {111, 0, 0},      // above the first: the first
  };
  for (const auto& c : cases) EXPECT_EQ(NoteCaretFromPoint(gEditField.text, c.x, c.y), c.position) << c.x << "," << c.y;
}

// A tab (notes files may hold them) is as wide as four blanks, 12.8 here: "Ta" ends at 10.88, the
// tab at 23.68.
TEST_F(NoteEditor, CaretAroundATab) {
  gEditField.text = "Ta\tb\nxxxxxx";   // lines {0,4} {5,11}
  const struct { float x; int position; } clicks[] = {
      {110 + 15, 2},   // the tab's left half
      {110 + 20, 3},   // its right half
      {110 + 27, 4},   // past the middle of "b"
  };
  for (const auto& c : clicks) EXPECT_EQ(NoteCaretFromPoint(gEditField.text, c.x, 60), c.position) << c.x;
  // Up and Down keep the caret's x across the tab's width.
  gEditField.cursor = gEditField.anchor = 8;   // after "xxx", 14.88
  HandleNoteEditorKey(kKeyUp, false, false);
  EXPECT_EQ(gEditField.cursor, 2);
  gEditField.cursor = gEditField.anchor = 3;   // after the tab
  HandleNoteEditorKey(kKeyDown, false, false);
  EXPECT_EQ(gEditField.cursor, 10);
}

TEST_F(NoteEditor, CharactersOfAnOpenNote) {
  gEditField.cursor = 3, gEditField.anchor = 1;
  for (uint32_t ch : {(uint32_t)kKeyBack, 1u, (uint32_t)'Z', 13u, 200u}) EXPECT_TRUE(NoteEditorOnChar(ch));
  EXPECT_EQ(gEditField.text, "aZ\n defgh\nxy");
  EXPECT_TRUE(NoteEditorOnChar(kKeyBack));
  EXPECT_EQ(gEditField.text, "aZ defgh\nxy");

  // Escape saves the note and closes the view; after that characters are not the note's.
  gNoteStudentKey = "anna", gNoteDate = "2025-03-14", gNotesViewOpen = true;
  EXPECT_TRUE(NoteEditorOnChar(kKeyEscape));
  EXPECT_EQ(ReadData("notes_anna.dat"), "NOTE\t2025-03-14\taZ defgh\\nxy\n");
  EXPECT_FALSE(gNotesViewOpen || gNoteEditorActive);
  EXPECT_FALSE(NoteEditorOnChar('a'));
}
