// gfx/text_field: the program's text entries and their shared editing helpers.
//
// One record, TextField, serves the single-line entries and the multi-line note editor: typed and
// pasted text under a length limit, backspace and delete, caret and word moves with a selection,
// select all, and the clipboard. The helpers know nothing of drawing or focus; the screens that
// own a field call them with the field and the key. Only printable ASCII is inserted (line feeds
// too in the note editor), but an owner may load any text into a field, so every helper first
// limits the caret and the anchor to the text.
#pragma once
#include <cstddef>
#include <string>

// A text entry; the selection runs between cursor and anchor (none when they are equal).
struct TextField {
  std::string text;     // the content, bytes
  int cursor = 0;       // insertion point, 0..length
  int anchor = 0;       // the other end of the selection
  bool focused = false; // set and read by the owner only
  size_t maxLen = 0;    // nothing is inserted once the text is this long
  float scroll = 0.0f;  // pixels a one-line box moves the text left; kept by TextFieldFollowCaret
};

extern TextField gSearchField;       // the library search box (80 bytes)
extern TextField gStudentNameField;  // the new-student name entry of the students panel (28 bytes)
extern TextField gEditField;         // the teacher-note editor (4000 bytes, takes line feeds)
extern TextField gClassRenameField;  // the class-rename box of the attendance panel (28 bytes)

// Puts cursor and anchor back inside 0..length.
void TextFieldClampCaret(TextField& field);
// How far a one-line box moves its text left, kept in the field: it changes only when the caret,
// caretX past the text's start, would leave the room pixels shown (and then just enough to show
// it), and never so far that room is left empty past the text's end, textWidth. A press or a drag
// therefore meets the text where it was drawn. The box calls this before it draws or maps a point.
float TextFieldFollowCaret(TextField& field, float caretX, float textWidth, float room);
// Replaces the selection by the printable ASCII bytes of s, up to the field's limit.
void TextFieldInsert(TextField& field, const std::string& s);
// The same on gEditField, keeping line feeds as well.
void EditFieldInsert(const std::string& s);
// Deletes the selection, else the byte before the cursor.
void TextFieldBackspace(TextField& field);
// Where a word move left or right from the cursor lands (only blanks separate words).
int TextFieldWordLeft(const TextField& field);
int TextFieldWordRight(const TextField& field);
// End, Home, Left, Right, Delete and Ctrl+A/C/V/X; true when the key was handled.
bool TextFieldHandleKey(TextField& field, int virtualKey, bool shift, bool ctrl);
// The selected bytes to the clipboard (nothing without a selection); the clipboard's text inserted
// (with its line feeds into the note editor).
void TextFieldCopy(const TextField& field);
void TextFieldPaste(TextField& field);

// The clipboard as the text fields use it: set as given; read with only printable ASCII kept, a
// tab as a blank and line feeds kept.
void SetClipboardText(const std::string& text);
std::string GetClipboardText();

// Empties every field and restores its limit.
void ResetTextFields();
