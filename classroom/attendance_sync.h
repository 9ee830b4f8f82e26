// classroom/attendance_sync: the day's attendance mark at the classroom server.
//
// After a lesson song that was the day's pass, the device tells the server, in the background and
// at most once a day, that it was used that day; the server answers with the days it has on record.
// Data "attendance_present.txt" keeps the last day the server accepted (first line) and the
// server's days (one a line). A day that could not be marked (no answer, a server error, a refused
// device, no server set up) is kept in Data "attendance_pending.txt" and posted, oldest first,
// before today's mark on the next pass, so no mark is lost. A day the server refuses for good
// (400, 409, 410 or 422: an answer about that mark itself) is dropped instead, so that it cannot
// hold back the days after it. All of it is guarded by gAttendanceSyncMutex.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

extern std::string& gLastSyncedDay;                  // the last day the server accepted, or today once
                                                     // refused for good; "" until known
extern std::vector<std::string>& gAttendanceDays;    // the server's days, ascending, unique
extern std::vector<std::string>& gPendingAttendanceDays;  // days still to be marked, ascending
extern bool& gAttendanceDaysLoaded;                  // the files were read this run
extern std::mutex& gAttendanceSyncMutex;
extern std::atomic<uint8_t> gAttendanceSyncBusy;     // a mark is in flight

// The hook for "a lesson song was passed today": called on the UI thread when a finished lesson
// song's attempt was the day's pass. Starts the background mark when this device has an
// institution code and a device token and today is not marked yet; returns at once.
void StartAttendanceSync();

// One mark: {"license":"<token>","present":true,"day":"<day>"} (the day only when well-formed)
// to "/attendance". True for a success status; *status 0 when no answer was read; *error (when
// given) the transport's internal text, "" when the exchange completed (see ApiPostJson).
bool PostAttendanceMark(const std::string& token, std::string* reply, uint32_t* status,
                        const std::string& day, std::string* error = nullptr);

std::string AttendanceQueuePath();     // Data "attendance_present.txt"
std::string AttendancePendingPath();   // Data "attendance_pending.txt"

// Reads both files on its first call in a run; the caller holds gAttendanceSyncMutex.
void LoadAttendanceDays();

// The days of a reply's "attendance" list, or of the "days" list inside an "attendance" object
// (else of the reply's "days" list): the quoted well-formed days between the "[" that opens the
// key's value and the first "]" after it, sorted, without duplicates. A key whose value is no
// list gives none, and the reply then holds no list.
std::vector<std::string> ReadServerDays(const std::string& reply);
// The same list read from the first "[" at or after from.
std::vector<std::string> ReadDayListFrom(const std::string& text, size_t from);

// Forgets the days, the files' loaded state and the log-once flag (tests; no mark in flight).
void ResetAttendanceSync();
