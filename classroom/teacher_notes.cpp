// classroom/teacher_notes: notes per student and day, their file, and the open note.
#include "classroom/teacher_notes.h"

#include <algorithm>

#include "classroom/attendance_classes.h"
#include "classroom/attendance_records.h"
#include "classroom/classroom_files.h"
#include "classroom/classroom_panel_state.h"
#include "gfx/text_field.h"
#include "learning/learning_files.h"
#include "practice/students.h"

// ---- state ----
std::map<std::string, std::map<std::string, std::string>> gNotesByStudent;  // key -> date -> text
std::vector<std::string> gNotesLoadedKeys;  // files read this run
std::string gNoteStudentKey;                // open note's student key
std::string gNoteDate;                      // open note's date
bool gNoteEditorActive = false;             // a note is open

// ---- internal helpers ----
static std::string PathOfKey(const std::string& key) { return ClassroomFilePath("notes_" + key + ".dat"); }

// The file's text for the notes kept under key; empty notes are not kept.
static std::string NotesText(const std::string& key) {
  std::string text;
  auto it = gNotesByStudent.find(key);
  if (it != gNotesByStudent.end())
    for (const auto& [date, note] : it->second)
      if (!note.empty()) text += "NOTE\t" + date + "\t" + EscapeNoteText(note) + "\n";
  return text;
}

static void ReadNotesFile(const std::string& key) {
  std::vector<std::string> lines;
  std::string raw;
  if (!ReadClassroomFile(PathOfKey(key), &lines, &raw)) return;
  std::map<std::string, std::string>& notes = gNotesByStudent[key];
  bool inBlock = false;
  std::string blockDate, blockText;
  bool blockHasLine = false;
  for (const std::string& line : lines) {
    if (line.compare(0, 5, "NOTE\t") == 0) {
      inBlock = false;   // an open block is dropped
      size_t tab = line.find('\t', 5);
      if (tab != std::string::npos) notes[line.substr(5, tab - 5)] = UnescapeNoteText(line.substr(tab + 1));
    } else if (inBlock) {
      if (line == "ENDNOTE") {
        // A date holding a TAB could not be written back as a "NOTE" line: the block is left in
        // the copy kept aside, like a broken one.
        if (!blockDate.empty() && blockDate.find('\t') == std::string::npos) notes[blockDate] = blockText;
        inBlock = false;
      } else {
        if (blockHasLine) blockText += '\n';
        blockText += line;
        blockHasLine = true;
      }
    } else if (line.compare(0, 5, "DATE\t") == 0) {
      inBlock = true;
      blockDate = line.substr(5);
      blockText.clear();
      blockHasLine = false;
    }
  }
  KeepClassroomCopyIfRewritten(PathOfKey(key), raw, NotesText(key));
}

// Notes are free text about a pupil: a new notes file is the teacher's alone.
static void WriteNotesFile(const std::string& key) {
  WriteClassroomFile(PathOfKey(key), NotesText(key), FileAccess::kOwnerOnly);
}

// ---- public functions ----
std::string EscapeNoteText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c != '\r') out += c;
  }
  return out;
}

std::string UnescapeNoteText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char next = text[++i];
    out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
  }
  return out;
}

// The student's notes file is read once a run, the first time anything asks for its notes.
static std::string EnsureNotesRead(const std::string& studentId) {
  std::string key = StudentFileKeyOf(studentId);
  if (std::find(gNotesLoadedKeys.begin(), gNotesLoadedKeys.end(), key) == gNotesLoadedKeys.end()) {
    gNotesLoadedKeys.push_back(key);
    ReadNotesFile(key);
  }
  return key;
}

bool HasTeacherNote(const std::string& studentId, const std::string& date) {
  auto student = gNotesByStudent.find(EnsureNotesRead(studentId));
  if (student == gNotesByStudent.end()) return false;
  auto note = student->second.find(date);
  return note != student->second.end() && !note->second.empty();
}

void LoadNotes(const std::string& studentId) {
  std::string key = EnsureNotesRead(studentId);
  gNoteStudentKey = key;
  gNoteDate = gCalendarSelectedDate;
  std::string text;
  auto student = gNotesByStudent.find(key);
  if (student != gNotesByStudent.end()) {
    auto note = student->second.find(gNoteDate);
    if (note != student->second.end()) text = note->second;
  }
  gEditField.text = text;
  gEditField.cursor = gEditField.anchor = (int)text.size();
  gNoteEditorActive = true;
}

void SaveNotes() {
  if (!gNoteStudentKey.empty()) {
    gNotesByStudent[gNoteStudentKey][gNoteDate] = gEditField.text;
    WriteNotesFile(gNoteStudentKey);
  }
  gNoteEditorActive = false;
}

void SyncNoteEditor() {
  if (!gNotesViewOpen || gStudents.empty()) return;
  int index = GetActiveStudentIndex();
  const std::string& id = gStudents[index].id;
  if (StudentFileKeyOf(id) != gNoteStudentKey || gCalendarSelectedDate != gNoteDate) {
    SaveNotes();
    LoadNotes(id);
  }
}

void CommitNoteEdit() {
  if (gNotesViewOpen || gNoteEditorActive) {
    SaveNotes();
    gNotesViewOpen = false;
  }
  if (gRenameClassIndex >= 0) CommitClassRename();
}

void ResetTeacherNotes() {
  gNotesByStudent.clear();
  gNotesLoadedKeys.clear();
  gNoteStudentKey.clear();
  gNoteDate.clear();
  gNoteEditorActive = false;
}
