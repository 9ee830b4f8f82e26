// classroom/attendance_sync: the attendance mark's launcher, worker and files.
//
// Depends on app/ (folders, logs), learning/ (dates, the atomic writer), the classroom
// client, codes and settings.
#include "classroom/attendance_sync.h"

#include <algorithm>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/strings.h"
#include "classroom/background_job.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_settings.h"
#include "classroom/http_client.h"
#include "classroom/json_text.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"

// ---- constants ----
static const char kPresentFile[] = "attendance_present.txt";
static const char kPendingFile[] = "attendance_pending.txt";
static const size_t kPendingKept = 400;   // the newest days kept to send

// ---- state ----
// Shared with the worker; never destroyed (see background_job.h).
struct AttendanceState {
  std::mutex mutex;
  std::string lastSyncedDay;
  std::vector<std::string> days;
  std::vector<std::string> pending;
  bool loaded = false;
};
static AttendanceState& State() {
  static AttendanceState* state = new AttendanceState();
  return *state;
}
std::string& gLastSyncedDay = State().lastSyncedDay;
std::vector<std::string>& gAttendanceDays = State().days;
std::vector<std::string>& gPendingAttendanceDays = State().pending;
bool& gAttendanceDaysLoaded = State().loaded;
std::mutex& gAttendanceSyncMutex = State().mutex;
std::atomic<uint8_t> gAttendanceSyncBusy{0};
static std::atomic<bool> gNoServerLogged{false};   // the missing server was logged this run

// ---- internal helpers ----
static void SortUnique(std::vector<std::string>* days) {
  std::sort(days->begin(), days->end());
  days->erase(std::unique(days->begin(), days->end()), days->end());
}

// The file's trimmed lines. A file that is there but cannot be read whole is moved aside, so the
// next save starts a new one instead of replacing days it never read.
static std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  if (ReadDataFileLines(path, &lines) == DataFileRead::kUnreadable) SetAsideDataFile(path, "not read whole");
  for (std::string& line : lines) line = TrimWhitespace(line);
  return lines;
}

static std::string DayLines(const std::vector<std::string>& days) {
  std::string text;
  for (const std::string& d : days) text += d + "\n";
  return text;
}

static void SavePresentFile() {
  SaveFileAtomic(AttendanceQueuePath(), gLastSyncedDay + "\n" + DayLines(gAttendanceDays));
}

static void SavePendingFile() { SaveFileAtomic(AttendancePendingPath(), DayLines(gPendingAttendanceDays)); }

// Keeps the newest kPendingKept distinct days of the list, in order.
static void TrimPendingDays() {
  SortUnique(&gPendingAttendanceDays);
  if (gPendingAttendanceDays.size() > kPendingKept)
    gPendingAttendanceDays.erase(gPendingAttendanceDays.begin(),
                                 gPendingAttendanceDays.end() - (std::ptrdiff_t)kPendingKept);
}

// One day the server accepted, with the days its reply listed.
struct AcceptedMark {
  std::string day;
  std::vector<std::string> serverDays;
};

// A day refused for good: it is dropped from the days to send.
struct RefusedMark {
  std::string day;
  uint32_t status;
};

// A refusal that is the server's last word on that day: a request it will not take (400), a mark
// that conflicts with what it holds (409), is gone for good (410) or that it cannot accept, such as
// a day other than today (422). Such a day kept to send would go out before every later one, be
// refused each time and hold all of them back. Any other answer (a wrong address, 404; a refused
// device; a wait; a server error) says nothing about the day, and every day is kept.
static bool RefusedForGood(uint32_t status) { return status == 400 || status == 409 || status == 410 || status == 422; }

// Where the value of the first "key" in text[from, end) starts (its first non-blank character after
// the colon); npos when the key or its colon is missing. The server's list is taken only where the
// key's value is one: a key holding a count or a note must not lend the next "[" in the reply,
// whose days would replace the device's.
static size_t ValueStartOf(const std::string& text, const std::string& key, size_t from, size_t end) {
  size_t at = text.find("\"" + key + "\"", from);
  if (at == std::string::npos || at >= end) return std::string::npos;
  size_t i = at + key.size() + 2;
  auto skipBlanks = [&] {
    while (i < end && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  };
  skipBlanks();
  if (i >= end || text[i] != ':') return std::string::npos;
  ++i;
  skipBlanks();
  return i < end ? i : std::string::npos;
}

// Under the mutex: what the pass achieved goes into the state and the files.
static void PublishMarks(const std::vector<AcceptedMark>& accepted, const std::vector<RefusedMark>& refused,
                         const std::string& failedDay) {
  std::vector<std::string> pendingBefore = gPendingAttendanceDays;
  for (const AcceptedMark& mark : accepted) {
    gLastSyncedDay = mark.day;
    if (mark.serverDays.empty()) {
      gAttendanceDays.push_back(mark.day);
      SortUnique(&gAttendanceDays);
    } else {
      gAttendanceDays = mark.serverDays;
    }
    std::erase(gPendingAttendanceDays, mark.day);
  }
  for (const RefusedMark& mark : refused) std::erase(gPendingAttendanceDays, mark.day);
  if (!failedDay.empty()) {
    gPendingAttendanceDays.push_back(failedDay);
    TrimPendingDays();
  }
  if (!accepted.empty()) SavePresentFile();
  if (gPendingAttendanceDays != pendingBefore) SavePendingFile();
}

// What went wrong, from the status and the transport's text ("" when the exchange completed). A
// status alone does not tell a refusal: a reply cut short, too long or too slow still has one.
static const char* FailureReason(uint32_t status, const std::string& transport) {
  if (transport.empty()) return status != 0 ? "server reached but rejected the mark" : "server unreachable (offline?)";
  if (transport == "reply too large") return "the server's reply was too large";
  if (transport == "timed out") return status != 0 ? "the server's reply timed out" : "the server did not answer in time";
  if (transport == "TLS failed") return "TLS failure: the server's certificate was refused or it spoke no TLS";
  if (status != 0) return "the server's reply was incomplete";
  if (transport == "no answer" || transport == "read failed") return "the server closed the connection without answering";
  return "server unreachable (offline?)";
}

static void LogFailure(uint32_t status, const std::string& transport) {
  if (!ClassroomServerConfigured()) {
    if (!gNoServerLogged.exchange(true))
      DebugLog("[attendance] no classroom server is set up (Data/classroom.txt): nothing is sent; "
               "the day is kept until one is\n");
    return;
  }
  if (transport.empty())
    DebugLog("[attendance] auto-sync failed (http=%d): %s\n", (int)status, FailureReason(status, transport));
  else
    DebugLog("[attendance] auto-sync failed (http=%d, %s): %s\n", (int)status, transport.c_str(),
             FailureReason(status, transport));
}

// The worker: kept days oldest first, then today. A day refused for good is dropped and the pass
// goes on; any other failure stops it with that day and the later ones still kept.
static void AttendanceSyncWorker(const std::string& token, const std::string& today) {
  std::vector<std::string> toSend;
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    for (const std::string& d : gPendingAttendanceDays)
      if (d != today) toSend.push_back(d);
  }
  toSend.push_back(today);

  std::vector<AcceptedMark> accepted;
  std::vector<RefusedMark> refused;
  uint32_t status = 0;
  std::string transport;
  bool failed = false;
  for (const std::string& day : toSend) {
    std::string reply;
    if (PostAttendanceMark(token, &reply, &status, day, &transport)) {
      accepted.push_back(AcceptedMark{day, ReadServerDays(reply)});
    } else if (RefusedForGood(status)) {
      refused.push_back(RefusedMark{day, status});
    } else {
      failed = true;
      break;
    }
  }
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    PublishMarks(accepted, refused, failed ? today : "");
    // Today refused for good (a mark whose reply was lost is "already marked") would be refused
    // again on every later pass: it counts as done for this run, though the server's days and the
    // file do not gain it.
    for (const RefusedMark& mark : refused)
      if (mark.day == today) gLastSyncedDay = today;
  }
  for (const RefusedMark& mark : refused)
    DebugLog("[attendance] the server refused the mark for %s (http=%d): the day is no longer kept\n",
             mark.day.c_str(), (int)mark.status);
  if (failed) LogFailure(status, transport);
}

// ---- public functions ----
std::string AttendanceQueuePath() { return GetDataFilePath(kPresentFile); }
std::string AttendancePendingPath() { return GetDataFilePath(kPendingFile); }

void LoadAttendanceDays() {
  if (gAttendanceDaysLoaded) return;
  gAttendanceDaysLoaded = true;
  std::vector<std::string> lines = ReadLines(AttendanceQueuePath());
  if (!lines.empty()) {
    gLastSyncedDay = lines[0];
    for (size_t i = 1; i < lines.size(); ++i)
      if (IsWellFormedIsoDate(lines[i])) gAttendanceDays.push_back(lines[i]);
    SortUnique(&gAttendanceDays);
  }
  for (const std::string& line : ReadLines(AttendancePendingPath()))
    if (IsWellFormedIsoDate(line)) gPendingAttendanceDays.push_back(line);
  TrimPendingDays();
}

bool PostAttendanceMark(const std::string& token, std::string* reply, uint32_t* status,
                        const std::string& day, std::string* error) {
  reply->clear();
  *status = 0;
  if (error) error->clear();
  if (token.empty()) return false;
  std::string body = "{\"license\":\"" + JsonEscape(token) + "\",\"present\":true";
  if (IsWellFormedIsoDate(day)) body += ",\"day\":\"" + day + "\"";
  body += "}";
  return ApiPostJson("/attendance", body, reply, status, error);
}

std::vector<std::string> ReadDayListFrom(const std::string& text, size_t from) {
  std::vector<std::string> days;
  size_t open = text.find('[', from);
  if (open == std::string::npos) return days;
  size_t close = text.find(']', open);
  if (close == std::string::npos) return days;
  size_t at = open;
  while (at < close) {
    size_t first = text.find('"', at + 1);
    if (first == std::string::npos || first >= close) break;
    size_t second = text.find('"', first + 1);
    if (second == std::string::npos || second > close) break;
    std::string candidate = text.substr(first + 1, second - first - 1);
    if (IsWellFormedIsoDate(candidate)) days.push_back(candidate);
    at = second;
  }
  SortUnique(&days);
  return days;
}

std::vector<std::string> ReadServerDays(const std::string& reply) {
  size_t value;
  if (reply.find("\"attendance\"") == std::string::npos) {
    value = ValueStartOf(reply, "days", 0, reply.size());
  } else {
    value = ValueStartOf(reply, "attendance", 0, reply.size());
    if (value != std::string::npos && reply[value] == '{') {
      JsonSpan inner{value, value};   // one cut short stays empty
      for (JsonSpan obj : JsonAllObjects(reply))
        if (obj.begin == value) inner = obj;
      value = ValueStartOf(reply, "days", inner.begin, inner.end);
    }
  }
  if (value == std::string::npos || reply[value] != '[') return {};
  return ReadDayListFrom(reply, value);
}

void StartAttendanceSync() {
  if (!HasInstitutionCode() || gDeviceToken.empty()) return;
  std::string today = TodayIsoDate();
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    LoadAttendanceDays();
    if (gLastSyncedDay == today) return;
  }
  if (!ClaimBusy(gAttendanceSyncBusy)) return;
  {
    // Today waits in the pending file while it is sent: a program closed before the server
    // answers sends it with the next mark instead of losing it.
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    if (std::find(gPendingAttendanceDays.begin(), gPendingAttendanceDays.end(), today) ==
        gPendingAttendanceDays.end()) {
      gPendingAttendanceDays.push_back(today);
      TrimPendingDays();
      SavePendingFile();
    }
  }
  std::string token = gDeviceToken;
  StartClassroomJob(gAttendanceSyncBusy, [token, today] { AttendanceSyncWorker(token, today); });
}

void ResetAttendanceSync() {
  std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
  gLastSyncedDay.clear();
  gAttendanceDays.clear();
  gPendingAttendanceDays.clear();
  gAttendanceDaysLoaded = false;
  gNoServerLogged.store(false);
}
