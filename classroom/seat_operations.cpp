// classroom/seat_operations: the seats in use, the request for more seats, the pupil code fetch,
// and the opening of the institution panel that starts them.
//
// Depends on the classroom client (requests, JSON readers, codes, settings, attendance day lists),
// the classroom stores (report cache, panel message), gfx/ (Tr) and app/ (logs, text helpers).
#include "app/base/logs.h"
#include "app/base/strings.h"
#include "classroom/attendance_sync.h"
#include "classroom/background_job.h"
#include "classroom/class_operations.h"
#include "classroom/class_report.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_settings.h"
#include "classroom/http_client.h"
#include "classroom/institution_panel_state.h"
#include "classroom/json_text.h"
#include "gfx/translate.h"

// ---- state ----
// Shared with the workers; never destroyed (see background_job.h).
struct SeatState {
  std::mutex rosterMutex;
  std::vector<RosterSeat> seats;
  std::string rosterStatus;
  bool syncedOnce = false;
  std::mutex requestMutex;
  std::string requestText;
};
static SeatState& State() {
  static SeatState* state = new SeatState();
  return *state;
}
std::atomic<uint8_t> gRosterSyncBusy{0};
std::mutex& gRosterMutex = State().rosterMutex;
std::vector<RosterSeat>& gRosterSeats = State().seats;
std::string& gRosterStatusText = State().rosterStatus;
bool& gRosterSyncedOnce = State().syncedOnce;
std::atomic<uint8_t> gStudentCodeBusy{0};
std::atomic<uint8_t> gSeatRequestBusy{0};
std::mutex& gSeatRequestMutex = State().requestMutex;
std::string& gSeatRequestText = State().requestText;

// ---- internal helpers ----
static std::string Quoted(const std::string& text) {
  std::string out = "\"";
  out += JsonEscape(TrimWhitespace(text));
  out += '"';
  return out;
}

static void SetRosterStatus(const std::string& text) {
  std::lock_guard<std::mutex> lock(gRosterMutex);
  gRosterStatusText = text;
}

static void SetSeatRequestText(const std::string& text) {
  std::lock_guard<std::mutex> lock(gSeatRequestMutex);
  gSeatRequestText = text;
}

static void RosterSyncWorker(const std::string& deviceToken, const std::string& teacherCode, bool useTeacherCode) {
  std::string reply;
  uint32_t status = 0;
  bool ok = false;
  if (useTeacherCode) {
    if (!TrimWhitespace(teacherCode).empty())
      ok = ApiPostJson("/class/seats", "{\"orgToken\":" + Quoted(teacherCode) + "}", &reply, &status);
  } else {
    // The device token is sent as stored, escaped so that no character of it can break the body.
    ok = ApiPostJson("/org/roster", "{\"license\":\"" + JsonEscape(deviceToken) + "\"}", &reply, &status);
  }
  ok = ok && LooksLikeJsonObject(reply);
  if (!ok) {
    std::lock_guard<std::mutex> lock(gRosterMutex);
    if (status == 401 || status == 403)
      gRosterStatusText = useTeacherCode ? Tr("That teacher code was refused - paste the one from your purchase email")
                                         : Tr("This is a pupil seat - add your teacher code to load seat totals");
    else if (status == 0)
      gRosterStatusText = gRosterSyncedOnce ? Tr("Offline - showing last sync") : Tr("Couldn't reach the server");
    else if (IsSuccessStatus(status))
      gRosterStatusText = UnreadableReplyText(status);
    else
      gRosterStatusText = TrF("Server error (%d)", (int)status);
    DebugLog("[roster] fetch failed (http=%d, teacherToken=%d)\n", (int)status, useTeacherCode ? 1 : 0);
    return;
  }
  std::vector<RosterSeat> seats = ParseRosterSeats(reply);
  std::string text = seats.size() == 1 ? TrF("Synced %d seat", 1) : TrF("Synced %d seats", (int)seats.size());
  std::lock_guard<std::mutex> lock(gRosterMutex);
  gRosterSeats = std::move(seats);
  gRosterSyncedOnce = true;
  gRosterStatusText = text;
}

static std::string SupplierUnreachableText() {
  if (gSupportAddress.empty())
    return Tr("Your request could not reach the supplier. Please contact your supplier.");
  return TrF("Your request could not reach the supplier. Please write to %s.", gSupportAddress.c_str());
}

static void RequestSeatsWorker(const std::string& teacherCode, int count, const std::string& billingReference) {
  std::string reply;
  uint32_t status = 0;
  bool ok = false;
  if (!TrimWhitespace(teacherCode).empty() && count >= 1) {
    std::string body = "{\"orgToken\":" + Quoted(teacherCode) + ",\"seats\":" + std::to_string(count);
    if (!TrimWhitespace(billingReference).empty()) body += ",\"billingRef\":" + Quoted(billingReference);
    ok = ApiPostJson("/class/request-seats", body + "}", &reply, &status);
  }
  if (!ok)
    SetSeatRequestText(ServerErrorText(reply, status, "Could not send that request"));
  else if (reply.find("\"emailed\":true") != std::string::npos)
    SetSeatRequestText(TrF("Asked for %d seats. Nothing changes until it is approved.", count));
  else
    SetSeatRequestText(SupplierUnreachableText());
}

static void StudentCodeWorker(const std::string& teacherCode) {
  std::string reply;
  uint32_t status = 0;
  if (!ApiPostJson("/class/student-code", "{\"orgToken\":" + Quoted(teacherCode) + "}", &reply, &status)) return;
  std::string code = JsonStringFrom(reply, "studentCode", 0);
  if (!code.empty()) SaveStudentCode(code);
}

// ---- public functions ----
std::vector<RosterSeat> ParseRosterSeats(const std::string& reply) {
  std::vector<RosterSeat> seats;
  size_t key = reply.find("\"redemptions\"");
  if (key == std::string::npos) return seats;
  size_t open = reply.find('[', key);
  if (open == std::string::npos) return seats;
  for (JsonSpan obj : JsonArrayObjects(reply, open)) {
    RosterSeat seat{JsonOwnString(reply, obj, "deviceId"), JsonOwnString(reply, obj, "label"),
                    JsonOwnString(reply, obj, "platform"), {}};
    if (seat.deviceId.empty() && seat.label.empty()) continue;
    std::string text = reply.substr(obj.begin, obj.end - obj.begin);
    size_t days = text.find("\"attendance\"");
    if (days != std::string::npos) seat.attendance = ReadDayListFrom(text, days);
    seats.push_back(std::move(seat));
  }
  return seats;
}

void StartRosterSync() {
  if (!IsTeacherDevice()) return;
  LoadTeacherToken();
  std::string teacherCode = gTeacherToken;
  bool useTeacherCode = TeacherTokenIsAdmin() && !teacherCode.empty();
  if (!useTeacherCode && gDeviceToken.empty()) return;
  if (!ClassroomServerConfigured()) {
    SetRosterStatus(Tr(kNoServerText));
    return;
  }
  if (!ClaimBusy(gRosterSyncBusy)) return;
  {
    std::lock_guard<std::mutex> lock(gRosterMutex);
    if (!gRosterSyncedOnce) gRosterStatusText = Tr("Syncing...");
  }
  std::string deviceToken = gDeviceToken;
  StartClassroomJob(gRosterSyncBusy, [deviceToken, teacherCode, useTeacherCode] {
    RosterSyncWorker(deviceToken, teacherCode, useTeacherCode);
  });
}

void StartRequestSeats() {
  LoadTeacherToken();
  if (gTeacherToken.empty() || gSeatRequestCount < 1) return;
  if (!ClassroomServerConfigured()) {
    SetSeatRequestText(Tr(kNoServerText));
    return;
  }
  if (!ClaimBusy(gSeatRequestBusy)) return;
  SetSeatRequestText(Tr("Sending your request..."));
  std::string code = gTeacherToken, reference = gBillingReference;
  int count = gSeatRequestCount;
  StartClassroomJob(gSeatRequestBusy, [code, count, reference] { RequestSeatsWorker(code, count, reference); });
}

void OpenInstitutionPanel() {
  gInstitutionPanelOpen = true;
  gInstitutionPanelMessage.clear();
  gInstitutionPanelScroll = 0.0f;
  gReportFiguresCache.clear();
  gSelectedPupilIndex = -1;
  gPupilActionStage = 0;
  gInstitutionSubViewOpen = false;
  gSeatRequestCount = -1;
  SetSeatRequestText("");
  StartLoadClasses();
  gInstitutionEntryActive = false;
  gInstitutionEntryText.clear();
  gInstitutionEntryMode = kEntryStudentName;
  StartRosterSync();
  if (!IsTeacherDevice() || !ClassroomServerConfigured()) return;
  LoadTeacherToken();
  if (gTeacherToken.empty() || !ClaimBusy(gStudentCodeBusy)) return;
  std::string code = gTeacherToken;
  StartClassroomJob(gStudentCodeBusy, [code] { StudentCodeWorker(code); });
}

void ResetClassOperations() {
  {
    std::lock_guard<std::mutex> lock(gRosterMutex);
    gRosterSeats.clear();
    gRosterStatusText.clear();
    gRosterSyncedOnce = false;
  }
  SetSeatRequestText("");
  TakeRemovedPupils();
  std::lock_guard<std::mutex> lock(gClassListMutex);
  gClassList.clear();
  gClassPupils.clear();
  gClassListLoaded = false;
  gClassStatusText.clear();
}
