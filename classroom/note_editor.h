// classroom/note_editor: the logic of the multi-line note box over gEditField: wrapping the note
// into display lines, caret moves between lines, the caret under the mouse, and the keys and
// characters of an open note. No drawing: the panel that draws the box tells it where it is.
//
// Widths are measured with the note box's font (fallback size 8) with translation suppressed: a note
// is the teacher's own text. They are summed character by character, so a 4000-byte note wraps in
// one pass instead of measuring every prefix anew. A tab, which the font draws with no width, is as
// wide as four blanks. Wrapping, the caret and the box's drawing all take their widths from
// MeasureNote, so the caret stands where the text is drawn.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/rect.h"
#include "gfx/text.h"

// One display line: the character range [start, end).
struct NoteLine {
  int start, end;
};

// Where the panel drew the note box.
struct NoteBoxGeometry {
  RectF box = kHiddenRect;    // the box; wrapping uses its width minus 20
  float textTop = 0;          // y of the first text line's baseline
  int firstVisibleLine = 0;   // the wrapped line shown first
  UiFont font = 0;            // the font the box draws the note in (0: the default font)
};

extern NoteBoxGeometry gNoteBox;  // set by the panel's layout

// Widths of a note: width[i] is the width of text[0..i), a character's whole width on its first
// byte; boundary[i] is true where a character starts (and at the end), so the caret never lands
// inside a multi-byte character.
struct NoteMetrics {
  std::vector<float> width;
  std::vector<char> boundary;
  float Between(int a, int b) const { return width[b] - width[a]; }
};

// The widths of a note in the note box's font.
NoteMetrics MeasureNote(const std::string& text);

// The note's display lines for a wrap width; an empty text gives the one line {0, 0}.
std::vector<NoteLine> WrapNoteLines(const std::string& text, float width);
// WrapNoteLines of the text at the note box's width.
std::vector<NoteLine> WrapNoteBoxLines(const std::string& text);
// The line holding the caret position (a position that ends one line and starts the next belongs
// to the next).
int NoteCaretLineIndex(const std::vector<NoteLine>& lines, int cursor);
// Moves gEditField's caret delta lines up or down, keeping its x as near as the line allows.
void MoveNoteCaretLine(const std::vector<NoteLine>& lines, int delta, bool shift);
// The caret position of gEditField's text under a point of the note box.
int NoteCaretFromPoint(const std::string& text, float x, float y);
// Key-down while a note is open: line-wise Home, End, Up and Down, Ctrl+V, and the field's keys.
bool HandleNoteEditorKey(int virtualKey, bool shift, bool ctrl);
// A character while a note is open: Backspace, Escape (save and close the notes view), Enter (a
// line feed), printable ASCII inserted, the rest swallowed. False when no note is open.
bool NoteEditorOnChar(uint32_t character);
