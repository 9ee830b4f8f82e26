// classroom/code_entries: the two small text entries that take the classroom codes, and joining a
// class.
//
// The attendance view's entry takes, on a pupil's device, a class's join code and then the pupil's
// name (and joins the class), or the teacher code. The institution panel's entry takes the teacher
// code, a class name, the pupil code, a billing reference or a new student's name. Both take
// printable ASCII only, up to their mode's length, from typing or pasting. Messages are stored as
// they will be shown (translated when stored). UI thread, except the join worker.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// Attendance view.
extern bool gAttendanceViewOpen;
extern bool gAttendanceViewEntryActive;
extern std::string gAttendanceViewEntryText;
extern int gAttendanceViewEntryMode;          // 0 join code, 1 pupil name, 2 teacher code
extern std::string gPendingJoinCode;          // the accepted join code while the name is asked
// Joining, shared with the join worker under gJoinMutex.
extern std::mutex& gJoinMutex;
extern std::string& gJoinStatusText;
extern std::string& gJoinedClassName;
extern std::atomic<uint8_t> gJoinBusy;

// The letters and digits of a join code (no I, L, O, 0 or 1).
extern const char kJoinCodeAlphabet[];

// The joined class's name as the attendance view shows it: one the server gave no name is called
// "your class" in the UI language. Takes gJoinMutex.
std::string JoinedClassShownName();
// The attendance view's status line: the join status, except that a stored teacher code's
// "Checking it with the server..." gives way to the class list's status once that check has ended.
std::string AttendanceViewStatus();
// Opens the attendance view and reads the attendance days.
void OpenAttendanceView();
// Escape: false when the view is closed; otherwise leaves the entry (forgetting a join code that
// waits for the name), or closes the view.
bool AttendanceViewOnEscape();
// A typed character: false when the view is closed or its entry inactive; true otherwise.
bool AttendanceViewOnChar(uint32_t character);
// The same for the institution panel's entry.
bool InstitutionPanelOnChar(uint32_t character);
// The longest text of the institution entry's current mode, in bytes.
int InstitutionEntryMaxLength();
// Enter in the institution panel's entry: leaves the entry, then acts on its trimmed text in the
// mode it had.
void CommitInstitutionEntry();

// Joins the class with this code under this name, in the background.
void StartJoinClass(const std::string& joinCode, const std::string& name);
// The join request: {"code","deviceId","platform","name"} to "/class/join".
void JoinClassWorker(const std::string& joinCode, const std::string& deviceId, const std::string& name);

// Closes the view, empties the entries and the join state (tests; no join may run).
void ResetCodeEntries();
