// classroom/class_list: the class list and the class changes (make a class, free a seat, block a
// device), which share one busy byte, one mutex and one status text; and the failure messages of
// every class operation.
//
// Depends on the classroom client (requests, JSON readers, codes, settings), gfx/ (Tr) and app/
// (text helpers).
#include <cstdio>
#include <utility>

#include "app/base/strings.h"
#include "classroom/background_job.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_settings.h"
#include "classroom/http_client.h"
#include "classroom/json_text.h"
#include "gfx/translate.h"

// ---- constants ----
const char kNoServerText[] = "No classroom server is set up on this device";
static const int kServerErrorBytes = 200;   // the most of a server's error text that is shown

// ---- state ----
// Shared with the workers; never destroyed (see background_job.h).
struct ClassListState {
  std::mutex mutex;
  std::vector<ClassInfo> classes;
  std::vector<ClassPupil> pupils;
  bool loaded = false;
  std::string status;
};
static ClassListState& State() {
  static ClassListState* state = new ClassListState();
  return *state;
}
std::atomic<uint8_t> gClassOpBusy{0};
std::mutex& gClassListMutex = State().mutex;
std::vector<ClassInfo>& gClassList = State().classes;
std::vector<ClassPupil>& gClassPupils = State().pupils;
bool& gClassListLoaded = State().loaded;
std::string& gClassStatusText = State().status;
// Pupils the server has removed or blocked (id and shown name), for the UI thread to delete here;
// under gClassListMutex.
static std::vector<ClassPupil> gRemovedPupils;

// ---- internal helpers ----
static void SetClassStatusAsIs(const std::string& text) {
  std::lock_guard<std::mutex> lock(gClassListMutex);
  gClassStatusText = text;
}

static std::string Quoted(const std::string& text) {
  std::string out = "\"";
  out += JsonEscape(TrimWhitespace(text));
  out += '"';
  return out;
}

// Reloads the list after a change; a failed reload keeps the last good list.
static void ReloadClassList(const std::string& teacherCode) {
  std::string reply;
  uint32_t status = 0;
  if (PostClassRoster(teacherCode, &reply, &status) && LooksLikeJsonObject(reply)) ParseClassList(reply);
}

// A change the server took but whose reply was cut off or too long was made all the same: the
// list is read again, and until a reload succeeds it counts as not loaded, so the class-code
// button loads it rather than making the same class again at every press.
static void ReloadAfterUnreadableReply(const std::string& teacherCode, uint32_t status) {
  if (!IsSuccessStatus(status)) return;
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    gClassListLoaded = false;
  }
  ReloadClassList(teacherCode);
}

// The launchers' shared start: false (with the reason shown) when nothing may be sent.
static bool MaySendClassOperation(const char* busyText) {
  if (!ClassroomServerConfigured()) {
    SetClassStatus(kNoServerText);
    return false;
  }
  if (!ClaimBusy(gClassOpBusy)) {
    if (busyText) SetClassStatus(busyText);
    return false;
  }
  return true;
}

static void LoadClassesWorker(const std::string& teacherCode) {
  std::string reply;
  uint32_t status = 0;
  if (PostClassRoster(teacherCode, &reply, &status) && LooksLikeJsonObject(reply)) {
    ParseClassList(reply);
    return;
  }
  SetClassStatusAsIs(ServerErrorText(reply, status, "Couldn't load classes"));
}

static void CreateClassWorker(const std::string& teacherCode, const std::string& name) {
  std::string reply;
  uint32_t status = 0;
  bool ok = false;
  if (!TrimWhitespace(teacherCode).empty() && !TrimWhitespace(name).empty())
    ok = ApiPostJson("/class/create", "{\"orgToken\":" + Quoted(teacherCode) + ",\"name\":" + Quoted(name) + "}",
                     &reply, &status);
  if (!ok) {
    ReloadAfterUnreadableReply(teacherCode, status);
    SetClassStatusAsIs(ServerErrorText(reply, status, "Couldn't create the class"));
    return;
  }
  std::string joinCode = JsonStringFrom(reply, "joinCode", 0);
  ReloadClassList(teacherCode);
  SetClassStatusAsIs(joinCode.empty() ? TrF("Created \"%s\"", name.c_str())
                                      : TrF("Created \"%s\"  -  join code %s", name.c_str(), joinCode.c_str()));
}

// The arguments of a remove or block, copied at launch.
struct RemoveStudentArgs {
  std::string teacherCode, classId, studentId, displayName;
  bool block = false;
};

static void RemoveStudentWorker(const RemoveStudentArgs& a) {
  std::string reply;
  uint32_t status = 0;
  bool ok = false;
  if (!TrimWhitespace(a.teacherCode).empty() && !TrimWhitespace(a.classId).empty() &&
      !TrimWhitespace(a.studentId).empty())
    ok = ApiPostJson(a.block ? "/class/block-device" : "/class/remove-student",
                     "{\"orgToken\":" + Quoted(a.teacherCode) + ",\"classId\":" + Quoted(a.classId) +
                         ",\"studentId\":" + Quoted(a.studentId) + "}",
                     &reply, &status);
  if (!ok) {
    ReloadAfterUnreadableReply(a.teacherCode, status);
    SetClassStatusAsIs(ServerErrorText(reply, status, a.block ? "Couldn't block that device" : "Couldn't free that seat"));
    return;
  }
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    gRemovedPupils.push_back(ClassPupil{a.classId, a.studentId, a.displayName, ""});
  }
  ReloadClassList(a.teacherCode);
  SetClassStatusAsIs(a.block ? TrF("%s removed - that device is blocked", a.displayName.c_str())
                             : TrF("%s removed - their seat is free", a.displayName.c_str()));
}

// ---- public functions ----
std::string ServerErrorText(const std::string& reply, uint32_t status, const std::string& fallback) {
  std::string error = TrimWhitespace(JsonFieldString(reply, "error"));
  if (!error.empty()) return TruncateUtf8(error, kServerErrorBytes);
  if (status == 0) return Tr("Couldn't reach the server");
  std::string unreadable = UnreadableReplyText(status);
  if (!unreadable.empty()) return unreadable;
  return Tr(fallback) + " (" + std::to_string(status) + ")";
}

std::string UnreadableReplyText(uint32_t status) {
  // Accepted, but the reply was cut off or too long to read: saying it could not be sent would
  // have the teacher send it again.
  return IsSuccessStatus(status) ? Tr("The server's reply could not be read") : "";
}

std::vector<ClassPupil> TakeRemovedPupils() {
  std::lock_guard<std::mutex> lock(gClassListMutex);
  return std::exchange(gRemovedPupils, {});
}

void SetClassStatus(const std::string& text) { SetClassStatusAsIs(Tr(text)); }

bool PostClassRoster(const std::string& teacherCode, std::string* reply, uint32_t* status) {
  reply->clear();
  *status = 0;
  if (TrimWhitespace(teacherCode).empty()) return false;
  return ApiPostJson("/class/roster", "{\"orgToken\":" + Quoted(teacherCode) + "}", reply, status);
}

void ParseClassList(const std::string& reply) {
  std::vector<ClassPupil> pupils;
  std::vector<ClassInfo> classes;
  for (JsonSpan obj : JsonAllObjects(reply)) {
    bool hasStudent = false, hasJoinCode = false;
    std::string studentId = JsonOwnString(reply, obj, "studentId", &hasStudent);
    if (hasStudent) {
      ClassPupil p{JsonOwnString(reply, obj, "classId"), studentId, JsonOwnString(reply, obj, "name"),
                   JsonOwnString(reply, obj, "deviceId")};
      if (!p.studentId.empty() && !p.deviceId.empty()) pupils.push_back(p);
      continue;
    }
    std::string joinCode = JsonOwnString(reply, obj, "joinCode", &hasJoinCode);
    std::string classId = JsonOwnString(reply, obj, "classId");
    if (hasJoinCode && !classId.empty()) classes.push_back(ClassInfo{classId, JsonOwnString(reply, obj, "name"), joinCode});
  }
  for (ClassInfo& c : classes)
    for (const ClassPupil& p : pupils) c.pupilCount += p.classId == c.classId;

  std::string status = classes.empty() ? Tr("No classes yet - make one, then give pupils its join code")
                       : classes.size() == 1 ? TrF("%d class", 1)
                                             : TrF("%d classes", (int)classes.size());
  std::lock_guard<std::mutex> lock(gClassListMutex);
  gClassList = std::move(classes);
  gClassPupils = std::move(pupils);
  gClassListLoaded = true;
  gClassStatusText = status;
}

void StartLoadClasses() {
  if (!IsTeacherDevice()) return;
  LoadTeacherToken();
  if (gTeacherToken.empty()) {
    SetClassStatus("Paste your school's TEACHER code to manage classes");
    return;
  }
  if (!MaySendClassOperation(nullptr)) return;
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    if (!gClassListLoaded) gClassStatusText = Tr("Loading classes...");
  }
  std::string code = gTeacherToken;
  StartClassroomJob(gClassOpBusy, [code] { LoadClassesWorker(code); });
}

bool StartCreateClass(const std::string& className) {
  LoadTeacherToken();
  std::string name = TrimWhitespace(className);
  if (gTeacherToken.empty() || name.empty()) return false;
  if (!MaySendClassOperation("Still finishing the last change. Press Create again in a moment.")) return false;
  SetClassStatusAsIs(TrF("Creating \"%s\"...", name.c_str()));
  std::string code = gTeacherToken;
  return StartClassroomJob(gClassOpBusy, [code, name] { CreateClassWorker(code, name); });
}

bool StartRemoveStudent(const std::string& classId, const std::string& studentId,
                        const std::string& displayName, bool block) {
  LoadTeacherToken();
  if (gTeacherToken.empty() || classId.empty() || studentId.empty()) return false;
  if (!MaySendClassOperation(block ? "Still finishing the last change. Press Block again in a moment."
                                   : "Still finishing the last change. Press Remove again in a moment."))
    return false;
  SetClassStatus(block ? "Blocking that device..." : "Freeing that seat...");
  RemoveStudentArgs args{gTeacherToken, classId, studentId, displayName, block};
  return StartClassroomJob(gClassOpBusy, [args] { RemoveStudentWorker(args); });
}
