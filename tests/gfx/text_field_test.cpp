// The text entries: edits in one table, and a round trip through the real X clipboard on a private
// display: tabs as spaces, carriage returns dropped, line feeds kept only by the notes editor, and
// nothing pasted from a text without ASCII.
#include <gtest/gtest.h>

#include <string>

#include "gfx/text_field.h"
#include "platform/keys.h"
#include "tests/gfx/gl_fixture.h"

namespace {

// One edit: the field before (text, cursor, anchor, maximum), a key or an inserted text, and after.
struct Edit {
  const char* what;
  const char* text;
  int cursor, anchor;
  uint64_t maxLen;
  int key;             // 0: insert `insert` instead
  bool shift, ctrl;
  const char* insert;
  const char* wantText;
  int wantCursor, wantAnchor;
  bool wantHandled;
};

const Edit kEdits[] = {
    {"typing into a full field", "abc", 3, 3, 3, 0, false, false, "d", "abc", 3, 3, true},
    {"a selection is replaced in a full field", "abc", 1, 3, 3, 0, false, false, "xyz", "axy", 3, 3, true},
    {"non-ASCII and control bytes are skipped", "", 0, 0, 28, 0, false, false, "a\tb\xc3\xa9" "c\r", "abc", 3, 3, true},
    {"word left from the end", "ab cd", 5, 5, 80, kKeyLeft, false, true, "", "ab cd", 3, 3, true},
    {"word left from 0 stays", "ab cd", 0, 0, 80, kKeyLeft, false, true, "", "ab cd", 0, 0, true},
    {"word right from 0", "ab cd", 0, 0, 80, kKeyRight, false, true, "", "ab cd", 3, 3, true},
    {"word right from the end stays", "ab cd", 5, 5, 80, kKeyRight, false, true, "", "ab cd", 5, 5, true},
    {"shift+word left keeps the anchor", "ab cd", 5, 5, 80, kKeyLeft, true, true, "", "ab cd", 3, 5, true},
    {"shift+left extends a selection", "abcd", 2, 4, 80, kKeyLeft, true, false, "", "abcd", 1, 4, true},
    {"left collapses a selection to its left end", "abcd", 3, 1, 80, kKeyLeft, false, false, "", "abcd", 1, 1, true},
    {"right collapses a selection to its right end", "abcd", 3, 1, 80, kKeyRight, false, false, "", "abcd", 3, 3, true},
    {"shift+home", "abcd", 2, 2, 80, kKeyHome, true, false, "", "abcd", 0, 2, true},
    {"end", "abcd", 1, 3, 80, kKeyEnd, false, false, "", "abcd", 4, 4, true},
    {"delete at the cursor", "abcd", 1, 1, 80, kKeyDelete, false, false, "", "acd", 1, 1, true},
    {"delete at the end does nothing", "abcd", 4, 4, 80, kKeyDelete, false, false, "", "abcd", 4, 4, true},
    {"delete a selection", "abcd", 3, 1, 80, kKeyDelete, false, false, "", "ad", 1, 1, true},
    {"select all", "abcd", 2, 2, 80, 'A', false, true, "", "abcd", 4, 0, true},
    {"A without ctrl is a typed character", "abcd", 2, 2, 80, 'A', false, false, "", "abcd", 2, 2, false},
    {"ctrl+X without a selection", "abcd", 2, 2, 80, 'X', false, true, "", "abcd", 2, 2, true},
    {"up is not an edit key", "abcd", 2, 2, 80, kKeyUp, false, false, "", "abcd", 2, 2, false},
    {"F1 is out of range", "abcd", 2, 2, 80, kKeyF1, false, false, "", "abcd", 2, 2, false},
    // The owner loaded a shorter text than its cursor and anchor: both clamp first, nothing throws.
    {"owner text shorter than the cursor: delete", "ab", 9, 7, 80, kKeyDelete, false, false, "", "ab", 2, 2, true},
    {"owner text shorter than the cursor: insert", "ab", 9, 9, 80, 0, false, false, "c", "abc", 3, 3, true},
    {"owner text shorter than the cursor: right", "ab", 9, 9, 80, kKeyRight, true, false, "", "ab", 2, 2, true},
};

TEST(TextFieldTest, EditsInOneTable) {
  for (const Edit& e : kEdits) {
    TextField f{e.text, e.cursor, e.anchor, false, e.maxLen};
    bool handled = true;
    if (e.key == 0) TextFieldInsert(f, e.insert);
    else handled = TextFieldHandleKey(f, e.key, e.shift, e.ctrl);
    EXPECT_EQ(handled, e.wantHandled) << e.what;
    EXPECT_EQ(f.text, e.wantText) << e.what;
    EXPECT_EQ(f.cursor, e.wantCursor) << e.what;
    EXPECT_EQ(f.anchor, e.wantAnchor) << e.what;
  }
}

TEST(TextFieldTest, BackspaceAndTheFieldsLimits) {
  TextField f{"abc", 7, 7, false, 28};
  TextFieldBackspace(f);  // clamped to the end first
  EXPECT_EQ(f.text, "ab");
  TextFieldBackspace(f);
  TextFieldBackspace(f);
  TextFieldBackspace(f);  // at 0: nothing
  EXPECT_EQ(f.text, "");
  EXPECT_EQ(gStudentNameField.maxLen, 28u);
  EXPECT_EQ(gSearchField.maxLen, 80u);
  EXPECT_EQ(gEditField.maxLen, 4000u);
}

// The clipboard needs the window system: the GL fixture's display and window provide it.
class ClipboardTest : public GlFixture {
 protected:
  void TearDown() override { ResetTextFields(); }
  std::string PasteInto(TextField& field, const std::string& clip) {
    SetClipboardText(clip);
    field.text.clear();
    field.cursor = field.anchor = 0;
    TextFieldPaste(field);
    return field.text;
  }
};

TEST_F(ClipboardTest, RoundTripThroughTheXClipboard) {
  EXPECT_EQ(PasteInto(gStudentNameField, "ab\tc"), "ab c");
  EXPECT_EQ(PasteInto(gStudentNameField, "x\r\ny"), "xy");
  EXPECT_EQ(PasteInto(gEditField, "x\r\ny"), "x\ny");
  EXPECT_EQ(PasteInto(gStudentNameField, "\xc3\xa9\xe2\x82\xac\xe6\x97\xa5"), "");
  // Copy and cut of a selection, and the limit of a paste.
  TextField f{"hello world", 6, 11, false, 80};
  ASSERT_TRUE(TextFieldHandleKey(f, 'X', false, true));
  EXPECT_EQ(f.text, "hello ");
  EXPECT_EQ(GetClipboardText(), "world");
  ASSERT_TRUE(TextFieldHandleKey(f, 'X', false, true));  // no selection: the clipboard stays
  EXPECT_EQ(GetClipboardText(), "world");
  EXPECT_EQ(PasteInto(gStudentNameField, std::string(40, 'n')), std::string(28, 'n'));
}

}  // namespace
