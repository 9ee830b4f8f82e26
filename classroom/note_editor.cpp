// classroom/note_editor: wrapping, caret moves, keys and characters of the open note.
#include "classroom/note_editor.h"

#include <algorithm>
#include <cmath>

#include "classroom/classroom_panel_state.h"
#include "classroom/teacher_notes.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "platform/keys.h"

// ---- constants ----
static const float kNoteFallbackSize = 8.0f;  // estimate size when no font exists
static const float kNoteWrapMargin = 20.0f;   // box width minus this is the wrap width
static const float kNoteTextInset = 10.0f;    // text starts this far right of the box's edge
static const float kNoteLineHeight = 18.0f;
static const float kNoteAscent = 14.4f;       // the first line's top lies this far above textTop
static const int kNoteTabBlanks = 4;          // a tab is as wide as this many blanks

// ---- state ----
NoteBoxGeometry gNoteBox;  // where the panel drew the note box

// ---- internal helpers ----
// Length of the UTF-8 character at i; 1 for ASCII and for bytes that do not form one.
static size_t CharLength(const std::string& text, size_t i) {
  unsigned char c = (unsigned char)text[i];
  size_t len = c >= 0xF0 && c <= 0xF7 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (c >= 0xF8 || i + len > text.size()) return 1;
  for (size_t k = 1; k < len; ++k)
    if (((unsigned char)text[i + k] & 0xC0) != 0x80) return 1;
  return len;
}

static std::vector<NoteLine> WrapMeasured(const std::string& text, const NoteMetrics& m, float width) {
  std::vector<NoteLine> lines;
  int n = (int)text.size();
  int s = 0, lastSpace = -1;
  for (int i = 0; i < n;) {
    if (text[i] == '\n') {
      lines.push_back({s, i});
      s = i + 1, lastSpace = -1, i = s;
      if (s == n) {
        lines.push_back({n, n});
        return lines;
      }
      continue;
    }
    if (i > s && m.boundary[i] && m.Between(s, i + 1) > width) {
      if (lastSpace > s) {
        lines.push_back({s, lastSpace});
        s = lastSpace + 1;
      } else {
        lines.push_back({s, i});
        s = i;
      }
      lastSpace = -1, i = s;
      continue;
    }
    if (text[i] == ' ') lastSpace = i;
    ++i;
  }
  lines.push_back({s, n});
  return lines;
}

static float NoteWrapWidth() { return gNoteBox.box.w - kNoteWrapMargin; }

// ---- public functions ----
NoteMetrics MeasureNote(const std::string& text) {
  ScopedTrSuppress teachersOwnText;
  NoteMetrics m;
  m.width.assign(text.size() + 1, 0.0f);
  m.boundary.assign(text.size() + 1, 0);
  float ascii[128];
  bool known[128] = {};
  for (size_t i = 0; i < text.size();) {
    unsigned char c = (unsigned char)text[i];
    size_t len = CharLength(text, i);
    float advance;
    if (c < 128) {
      if (!known[c]) {
        // The font gives a tab no width: the text after it would run into the text before it.
        std::string glyph = c == '\t' ? std::string(kNoteTabBlanks, ' ') : std::string(1, (char)c);
        ascii[c] = MeasureText(gNoteBox.font, glyph, kNoteFallbackSize);
        known[c] = true;
      }
      advance = ascii[c];
    } else {
      advance = MeasureText(gNoteBox.font, text.substr(i, len), kNoteFallbackSize);
    }
    m.boundary[i] = 1;
    for (size_t k = 1; k <= len; ++k) m.width[i + k] = m.width[i] + advance;
    i += len;
  }
  m.boundary[text.size()] = 1;
  return m;
}

std::vector<NoteLine> WrapNoteLines(const std::string& text, float width) {
  return WrapMeasured(text, MeasureNote(text), width);
}

std::vector<NoteLine> WrapNoteBoxLines(const std::string& text) { return WrapNoteLines(text, NoteWrapWidth()); }

int NoteCaretLineIndex(const std::vector<NoteLine>& lines, int cursor) {
  int count = (int)lines.size();
  for (int k = 0; k < count; ++k) {
    if (cursor < lines[k].start || cursor > lines[k].end) continue;
    if (cursor == lines[k].end && k + 1 < count && lines[k + 1].start == cursor) continue;
    return k;
  }
  return count - 1;
}

void MoveNoteCaretLine(const std::vector<NoteLine>& lines, int delta, bool shift) {
  TextField& f = gEditField;
  TextFieldClampCaret(f);
  if (lines.empty()) return;
  NoteMetrics m = MeasureNote(f.text);
  int from = NoteCaretLineIndex(lines, f.cursor);
  float x = m.Between(lines[from].start, std::max(f.cursor, lines[from].start));
  int target = from + delta;
  if (target < 0) {
    f.cursor = 0;
  } else if (target >= (int)lines.size()) {
    f.cursor = (int)f.text.size();
  } else {
    const NoteLine& line = lines[target];
    int best = line.start;
    float bestDistance = INFINITY;
    for (int k = line.start; k <= line.end; ++k) {
      if (!m.boundary[k]) continue;
      float distance = std::fabs(m.Between(line.start, k) - x);
      if (distance < bestDistance) best = k, bestDistance = distance;
    }
    f.cursor = best;
  }
  if (!shift) f.anchor = f.cursor;
}

int NoteCaretFromPoint(const std::string& text, float x, float y) {
  NoteMetrics m = MeasureNote(text);
  std::vector<NoteLine> lines = WrapMeasured(text, m, NoteWrapWidth());
  int index = (int)std::floor((y - (gNoteBox.textTop - kNoteAscent)) / kNoteLineHeight) + gNoteBox.firstVisibleLine;
  index = std::clamp(index, 0, (int)lines.size() - 1);
  const NoteLine& line = lines[index];
  float left = gNoteBox.box.x + kNoteTextInset;
  if (x <= left) return line.start;
  int previous = line.start;
  for (int k = line.start + 1; k <= line.end; ++k) {
    if (!m.boundary[k]) continue;
    float middle = (m.Between(line.start, previous) + m.Between(line.start, k)) / 2;
    if (middle > x - left) return previous;
    previous = k;
  }
  return line.end;
}

bool HandleNoteEditorKey(int key, bool shift, bool ctrl) {
  if (!gNoteEditorActive) return false;
  TextField& f = gEditField;
  TextFieldClampCaret(f);
  if (key == kKeyEnd || key == kKeyHome || key == kKeyUp || key == kKeyDown) {
    std::vector<NoteLine> lines = WrapNoteBoxLines(f.text);
    const NoteLine& line = lines[NoteCaretLineIndex(lines, f.cursor)];
    if (key == kKeyEnd) f.cursor = ctrl ? (int)f.text.size() : line.end;
    else if (key == kKeyHome) f.cursor = ctrl ? 0 : line.start;
    else MoveNoteCaretLine(lines, key == kKeyUp ? -1 : 1, shift);
    if (!shift) f.anchor = f.cursor;
    return true;
  }
  if (key == 'V' && ctrl) {
    EditFieldInsert(GetClipboardText());
    return true;
  }
  return TextFieldHandleKey(f, key, shift, ctrl);
}

bool NoteEditorOnChar(uint32_t character) {
  if (!gNoteEditorActive) return false;
  if (character == kKeyBack) {
    TextFieldBackspace(gEditField);
  } else if (character == kKeyEscape) {
    SaveNotes();
    gNotesViewOpen = false;
  } else if (character == '\r' || character == '\n') {
    EditFieldInsert("\n");
  } else if (character >= 32 && character <= 126) {
    EditFieldInsert(std::string(1, (char)character));
  }
  return true;
}
