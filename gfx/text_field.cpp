// gfx/text_field: editing helpers shared by every text entry, and the clipboard text they use.
#include "gfx/text_field.h"

#include <algorithm>

#include "platform/clipboard.h"
#include "platform/keys.h"

// ---- constants ----
static const size_t kSearchMaxLen = 80;
static const size_t kStudentNameMaxLen = 28;
static const size_t kEditFieldMaxLen = 4000;
static const size_t kClassRenameMaxLen = 28;

// ---- state ----
TextField gSearchField{"", 0, 0, false, kSearchMaxLen};           // the library search box
TextField gStudentNameField{"", 0, 0, false, kStudentNameMaxLen}; // the new-student name entry
TextField gEditField{"", 0, 0, false, kEditFieldMaxLen};          // the teacher-note editor
TextField gClassRenameField{"", 0, 0, false, kClassRenameMaxLen}; // the class-rename box

// ---- internal helpers ----
static bool HasSelection(const TextField& f) { return f.cursor != f.anchor; }

static void DeleteSelection(TextField& f) {
  if (!HasSelection(f)) return;
  int lo = std::min(f.cursor, f.anchor), hi = std::max(f.cursor, f.anchor);
  f.text.erase((size_t)lo, (size_t)(hi - lo));
  f.cursor = f.anchor = lo;
}

static void InsertFiltered(TextField& f, const std::string& s, bool keepLineFeeds) {
  TextFieldClampCaret(f);
  DeleteSelection(f);
  for (char c : s) {
    if (f.text.size() >= f.maxLen) break;
    unsigned char u = (unsigned char)c;
    if ((u < 0x20 || u > 0x7E) && !(keepLineFeeds && u == '\n')) continue;
    f.text.insert(f.text.begin() + f.cursor, c);
    ++f.cursor;
  }
  f.anchor = f.cursor;
}

static void MoveCaret(TextField& f, int to, bool shift) {
  f.cursor = to;
  if (!shift) f.anchor = to;
}

// ---- public functions ----
float TextFieldFollowCaret(TextField& f, float caretX, float textWidth, float room) {
  room = std::max(room, 0.0f);
  if (caretX < f.scroll) f.scroll = caretX;
  else if (caretX > f.scroll + room) f.scroll = caretX - room;
  f.scroll = std::clamp(f.scroll, 0.0f, std::max(textWidth - room, 0.0f));
  return f.scroll;
}

void TextFieldClampCaret(TextField& f) {
  int length = (int)f.text.size();
  f.cursor = std::clamp(f.cursor, 0, length);
  f.anchor = std::clamp(f.anchor, 0, length);
}

void TextFieldInsert(TextField& field, const std::string& s) { InsertFiltered(field, s, false); }

void EditFieldInsert(const std::string& s) { InsertFiltered(gEditField, s, true); }

void TextFieldBackspace(TextField& f) {
  TextFieldClampCaret(f);
  if (HasSelection(f)) {
    DeleteSelection(f);
  } else if (f.cursor > 0) {
    f.text.erase((size_t)f.cursor - 1, 1);
    f.anchor = --f.cursor;
  }
}

int TextFieldWordLeft(const TextField& f) {
  int i = std::clamp(f.cursor, 0, (int)f.text.size());
  while (i > 0 && f.text[i - 1] == ' ') --i;
  while (i > 0 && f.text[i - 1] != ' ') --i;
  return i;
}

int TextFieldWordRight(const TextField& f) {
  int n = (int)f.text.size();
  int i = std::clamp(f.cursor, 0, n);
  while (i < n && f.text[i] != ' ') ++i;
  while (i < n && f.text[i] == ' ') ++i;
  return i;
}

bool TextFieldHandleKey(TextField& f, int key, bool shift, bool ctrl) {
  if (key < kKeyEnd || key > 'X') return false;
  TextFieldClampCaret(f);
  int length = (int)f.text.size();
  switch (key) {
    case kKeyEnd: MoveCaret(f, length, shift); return true;
    case kKeyHome: MoveCaret(f, 0, shift); return true;
    case kKeyLeft:
      if (ctrl) MoveCaret(f, TextFieldWordLeft(f), shift);
      else if (!shift && HasSelection(f)) f.cursor = f.anchor = std::min(f.cursor, f.anchor);
      else MoveCaret(f, std::max(f.cursor - 1, 0), shift);
      return true;
    case kKeyRight:
      if (ctrl) MoveCaret(f, TextFieldWordRight(f), shift);
      else if (!shift && HasSelection(f)) f.cursor = f.anchor = std::max(f.cursor, f.anchor);
      else MoveCaret(f, std::min(f.cursor + 1, length), shift);
      return true;
    case kKeyDelete:
      if (HasSelection(f)) DeleteSelection(f);
      else if (f.cursor < length) f.text.erase((size_t)f.cursor, 1);
      return true;
    default: break;
  }
  if (!ctrl) return false;
  switch (key) {
    case 'A': f.anchor = 0, f.cursor = length; return true;
    case 'C': TextFieldCopy(f); return true;
    case 'V': TextFieldPaste(f); return true;
    case 'X':
      TextFieldCopy(f);
      DeleteSelection(f);
      return true;
    default: return false;
  }
}

void TextFieldCopy(const TextField& field) {
  TextField f = field;
  TextFieldClampCaret(f);
  if (!HasSelection(f)) return;
  int lo = std::min(f.cursor, f.anchor), hi = std::max(f.cursor, f.anchor);
  SetClipboardText(f.text.substr((size_t)lo, (size_t)(hi - lo)));
}

void TextFieldPaste(TextField& field) {
  // The note editor keeps the pasted line breaks, as it keeps typed ones.
  InsertFiltered(field, GetClipboardText(), &field == &gEditField);
}

void SetClipboardText(const std::string& text) { ClipboardSetText(text); }

std::string GetClipboardText() {
  std::string kept;
  for (char c : ClipboardGetText()) {
    unsigned char u = (unsigned char)c;
    if (u == '\t') kept += ' ';
    else if (u == '\n' || (u >= 0x20 && u <= 0x7E)) kept += c;
  }
  return kept;
}

void ResetTextFields() {
  gSearchField = TextField{"", 0, 0, false, kSearchMaxLen};
  gStudentNameField = TextField{"", 0, 0, false, kStudentNameMaxLen};
  gEditField = TextField{"", 0, 0, false, kEditFieldMaxLen};
  gClassRenameField = TextField{"", 0, 0, false, kClassRenameMaxLen};
}
