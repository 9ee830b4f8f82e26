// classroom/teacher_notes: the teacher's dated notes per student, kept in "notes_<key>.dat" (one
// escaped "NOTE" line per day; the older "DATE" ... "ENDNOTE" blocks are read too), and the one
// note that is open in the note editor (gEditField) at a time.
//
// Students are addressed by their id; the notes and their file use the id's file key, as the
// attendance register does.
#pragma once
#include <map>
#include <string>
#include <vector>

extern std::map<std::string, std::map<std::string, std::string>> gNotesByStudent;  // key -> date -> text
extern std::vector<std::string> gNotesLoadedKeys;  // keys whose file has been read this run
extern std::string gNoteStudentKey;  // the student key of the open note ("" when none was opened)
extern std::string gNoteDate;        // the date of the open note
extern bool gNoteEditorActive;       // a note is open and takes keys and characters

// Reads the student's file once per run, then opens the note of gCalendarSelectedDate in gEditField
// with the caret at its end.
void LoadNotes(const std::string& studentId);
// The student has a note (not empty) on that date; reads their notes file the first time.
bool HasTeacherNote(const std::string& studentId, const std::string& date);
// Stores the editor's text as the open note, writes that student's file whole and closes the editor.
void SaveNotes();
// While the notes view is open: follows the panel's student and selected day, saving the note left.
void SyncNoteEditor();
// Saves an open note and closes the notes view; then ends a pending class rename.
void CommitNoteEdit();
// The file form of a note: backslash, line feed and tab escaped, carriage returns dropped.
std::string EscapeNoteText(const std::string& text);
// The note of a "NOTE" line's text.
std::string UnescapeNoteText(const std::string& text);
// Forgets every note, the loaded keys and the open note.
void ResetTeacherNotes();
