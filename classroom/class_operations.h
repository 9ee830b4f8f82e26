// classroom/class_operations: the teacher console's server calls: the seats in use, the class list
// with its pupils and join codes, making a class, freeing a seat or blocking a device, asking for
// more seats, and fetching the institution's pupil code.
//
// Each runs in the background (background_job.h) and publishes its results and a one-line status
// text under its feature's mutex; the UI thread reads them under the same mutex. Status texts are
// stored as they will be shown: English texts translated when stored, the server's own texts as
// it sent them. Lock order: gJoinMutex before gClassListMutex, never the other way round.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One seat in use, from the seat sync.
struct RosterSeat {
  std::string deviceId, label, platform;
  std::vector<std::string> attendance;   // well-formed days, ascending, unique
};

// One pupil of the class list.
struct ClassPupil {
  std::string classId, studentId, name, deviceId;
};

// One class of the class list.
struct ClassInfo {
  std::string classId, name, joinCode;
  uint64_t pupilCount = 0;   // pupils whose classId is this class's
};

// Seat sync.
extern std::atomic<uint8_t> gRosterSyncBusy;
extern std::mutex& gRosterMutex;
extern std::vector<RosterSeat>& gRosterSeats;
extern std::string& gRosterStatusText;
extern bool& gRosterSyncedOnce;
// Class list, making a class, removing a pupil (one busy byte for all three).
extern std::atomic<uint8_t> gClassOpBusy;
extern std::mutex& gClassListMutex;
extern std::vector<ClassInfo>& gClassList;
extern std::vector<ClassPupil>& gClassPupils;
extern bool& gClassListLoaded;
extern std::string& gClassStatusText;
// Pupil code (published through gStudentCode, classroom_codes.h).
extern std::atomic<uint8_t> gStudentCodeBusy;
// Seat request.
extern std::atomic<uint8_t> gSeatRequestBusy;
extern std::mutex& gSeatRequestMutex;
extern std::string& gSeatRequestText;

// The text every launcher shows instead of sending when no classroom server is set up.
extern const char kNoServerText[];

// Launchers, UI thread.
void StartRosterSync();
void StartLoadClasses();
// True when the request went out; false when nothing was sent (the reason, if any, is the status).
bool StartCreateClass(const std::string& className);
// True when the request went out, as for StartCreateClass.
bool StartRemoveStudent(const std::string& classId, const std::string& studentId,
                        const std::string& displayName, bool block);
void StartRequestSeats();
// The pupils the server removed or blocked since the last call (UI thread), each with its id and
// the name it was shown by (its id when it had none): the ones to delete on this device. A refused
// or failed request adds none.
std::vector<ClassPupil> TakeRemovedPupils();
// Opens the institution panel: resets its state and starts the class list, the seat sync and the
// pupil code fetch.
void OpenInstitutionPanel();

// The class-list request; false without a request for an empty code.
bool PostClassRoster(const std::string& teacherCode, std::string* reply, uint32_t* status);
// Reads a class-list reply (each value within its own object) and publishes it.
void ParseClassList(const std::string& reply);
// The seats of a seat-sync reply, in reply order.
std::vector<RosterSeat> ParseRosterSeats(const std::string& reply);
// The message of a failed request: the server's "error" text (at most 200 bytes), else "Couldn't
// reach the server" for no answer, "The server's reply could not be read" for an accepted request
// whose reply was unreadable, else the fallback with the status, translated.
std::string ServerErrorText(const std::string& reply, uint32_t status, const std::string& fallback);
// For a failed request: "The server's reply could not be read", translated, when the server
// accepted it (a success status) but its reply was cut short or too long; else "".
std::string UnreadableReplyText(uint32_t status);
// gClassStatusText := Tr(text), under gClassListMutex.
void SetClassStatus(const std::string& text);

// Empties the published state and releases nothing in flight (tests; no worker may run).
void ResetClassOperations();
