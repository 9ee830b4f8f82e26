// classroom/code_entries: character handling and commits of the attendance view's and the
// institution panel's entries, and the join request.
//
// Depends on the classroom client and class operations, practice/ (making a student), learning/
// (the atomic writer), gfx/ (Tr), platform/ (clipboard) and app/ (folders, text helpers).
#include "classroom/code_entries.h"

#include "app/base/folders.h"
#include "app/base/build_id.h"
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
#include "gfx/layout.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "learning/learning_files.h"
#include "practice/student_colours.h"
#include "practice/students.h"

// ---- constants ----
const char kJoinCodeAlphabet[] = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";
static const char kJoinedClassFile[] = "joined_class.txt";
// Kept, in English, for a class the server gave no name: the file reads the same in any language.
static const char kUnnamedClass[] = "your class";
static const uint32_t kCharPaste = 22, kCharBackspace = 8, kCharEscape = 27, kCharEnter = 13, kCharLineFeed = 10;
static const int kJoinCodeLength = 6;
static const int kPupilNameLength = 28;
static const int kCodeLength = 512;
static const int kClassNameLength = 40;
static const int kBillingReferenceLength = 200;
enum AttendanceEntryMode { kViewJoinCode = 0, kViewPupilName = 1, kViewTeacherCode = 2 };

// ---- state ----
bool gAttendanceViewOpen = false;
bool gAttendanceViewEntryActive = false;
std::string gAttendanceViewEntryText;
int gAttendanceViewEntryMode = kViewJoinCode;
std::string gPendingJoinCode;

// Shared with the join worker; never destroyed (see background_job.h).
struct JoinState {
  std::mutex mutex;
  std::string status;
  std::string joinedClass;
};
static JoinState& State() {
  static JoinState* state = new JoinState();
  return *state;
}
std::mutex& gJoinMutex = State().mutex;
std::string& gJoinStatusText = State().status;
std::string& gJoinedClassName = State().joinedClass;
std::atomic<uint8_t> gJoinBusy{0};

// ---- internal helpers ----
static char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

// The characters both entries share: paste, backspace and printable bytes. True when handled.
static bool EditEntryText(std::string* text, uint32_t character, size_t maxLength, bool upperCase) {
  if (character == kCharPaste) {
    for (char c : GetClipboardText()) {
      if ((unsigned char)c < 32 || (unsigned char)c > 126) continue;
      if (text->size() >= maxLength) break;
      text->push_back(upperCase ? UpperAscii(c) : c);
    }
    return true;
  }
  if (character == kCharBackspace) {
    if (!text->empty()) text->pop_back();
    return true;
  }
  if (character >= 32 && character <= 126 && text->size() < maxLength)
    text->push_back(upperCase ? UpperAscii((char)character) : (char)character);
  return true;
}

static size_t AttendanceEntryMaxLength() {
  switch (gAttendanceViewEntryMode) {
    case kViewJoinCode: return kJoinCodeLength;
    case kViewPupilName: return kPupilNameLength;
    default: return kCodeLength;
  }
}

static bool IsJoinCode(const std::string& code) {
  if (code.size() != (size_t)kJoinCodeLength) return false;
  for (char c : code)
    if (c == '\0' || std::string(kJoinCodeAlphabet).find(c) == std::string::npos) return false;
  return true;
}

static void SetJoinStatus(const std::string& text) {
  std::lock_guard<std::mutex> lock(gJoinMutex);
  gJoinStatusText = text;
}

static bool EndsWithAdmin(const std::string& org) {
  return org.size() > 6 && org.compare(org.size() - 6, 6, ":admin") == 0;
}

static const char kTeacherCodeChecking[] = "Teacher code stored. Checking it with the server...";

// A stored code's success message, or the save's failure text when the file could not be written.
static std::string SavedOr(bool saved, const char* message) { return Tr(saved ? message : kSaveFailureMessage); }

// The attendance view's teacher code (under gJoinMutex, taken by the caller).
static void CommitViewTeacherCode(const std::string& text) {
  if (text.empty()) {
    LoadTeacherToken();
    if (gTeacherToken.empty()) {
      gJoinStatusText = Tr("Paste your teacher code, or press Enter on an empty box to remove it");
      return;
    }
    bool saved = SaveTeacherToken("");
    StartLoadClasses();
    gJoinStatusText = SavedOr(saved, "Teacher code removed from this device");
  } else {
    std::string org = OrgIdOfCode(text);
    if (org.compare(0, 4, "ORG:") != 0) {
      gJoinStatusText = Tr("That is not an institution code");
      return;
    }
    if (!EndsWithAdmin(org)) {
      gJoinStatusText = Tr("That is the pupil code, not the teacher one");
      return;
    }
    bool saved = SaveTeacherToken(text);
    StartLoadClasses();
    gJoinStatusText = SavedOr(saved, kTeacherCodeChecking);
  }
  gAttendanceViewEntryActive = false;
  gAttendanceViewEntryText.clear();
  gAttendanceViewEntryMode = kViewJoinCode;
}

static void CommitAttendanceViewEntry() {
  std::string text = TrimWhitespace(gAttendanceViewEntryText);
  switch (gAttendanceViewEntryMode) {
    case kViewJoinCode:
      if (text.empty()) {
        gAttendanceViewEntryActive = false;
      } else if (IsJoinCode(text)) {
        gPendingJoinCode = text;
        gAttendanceViewEntryText.clear();
        gAttendanceViewEntryMode = kViewPupilName;
        SetJoinStatus("");  // a refusal of an earlier, mistyped code no longer holds
      } else {
        SetJoinStatus(Tr("A join code is 6 letters and numbers. Check it with your teacher."));
      }
      break;
    case kViewPupilName:
      if (text.empty()) SetJoinStatus(Tr("Your teacher needs your name"));
      else if (!gPendingJoinCode.empty()) StartJoinClass(gPendingJoinCode, text);
      break;
    default: {
      std::lock_guard<std::mutex> lock(gJoinMutex);
      CommitViewTeacherCode(text);
      break;
    }
  }
}

// Escape, as a key-down or as a typed character: a pupil who leaves the name step starts again
// from the join code, so a code the server refused can be replaced without a restart.
static void LeaveAttendanceViewEntry() {
  gAttendanceViewEntryActive = false;
  gAttendanceViewEntryText.clear();
  gAttendanceViewEntryMode = kViewJoinCode;
  gPendingJoinCode.clear();
}

static void AddStudentNamed(const std::string& name) {
  Student student;
  student.name = MakeUniqueStudentName(name.substr(0, kPupilNameLength));
  student.id = MakeUniqueStudentId(name);
  student.r = 0.3f;
  student.g = 0.48f;
  student.b = 0.76f;
  NormalizeStudentColour(student);
  gStudents.push_back(student);
  bool saved = SaveStudents();
  RelayoutAll();  // the open students panel shows the new row now, not when it is next opened
  gReportFiguresCache.clear();
  gInstitutionPanelMessage = saved ? TrF("Added: %s", student.name.c_str()) : Tr(kSaveFailureMessage);
}

// ---- public functions ----
std::string JoinedClassShownName() {
  std::lock_guard<std::mutex> lock(gJoinMutex);
  return gJoinedClassName == kUnnamedClass ? Tr(kUnnamedClass) : gJoinedClassName;
}

std::string AttendanceViewStatus() {
  std::string status;
  {
    std::lock_guard<std::mutex> lock(gJoinMutex);
    status = gJoinStatusText;
  }
  if (status != Tr(kTeacherCodeChecking) || gClassOpBusy.load() != 0) return status;
  std::lock_guard<std::mutex> lock(gClassListMutex);
  return gClassStatusText.empty() ? status : gClassStatusText;
}

void OpenAttendanceView() {
  gAttendanceViewOpen = true;
  std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
  LoadAttendanceDays();
}

bool AttendanceViewOnEscape() {
  if (!gAttendanceViewOpen) return false;
  if (!gAttendanceViewEntryActive) {
    gAttendanceViewOpen = false;
    return true;
  }
  LeaveAttendanceViewEntry();
  return true;
}

bool AttendanceViewOnChar(uint32_t character) {
  if (!gAttendanceViewOpen || !gAttendanceViewEntryActive) return false;
  if (character == kCharEscape) {
    LeaveAttendanceViewEntry();
    return true;
  }
  if (character == kCharEnter || character == kCharLineFeed) {
    CommitAttendanceViewEntry();
    return true;
  }
  return EditEntryText(&gAttendanceViewEntryText, character, AttendanceEntryMaxLength(),
                       gAttendanceViewEntryMode == kViewJoinCode);
}

int InstitutionEntryMaxLength() {
  switch (gInstitutionEntryMode) {
    case kEntryTeacherCode:
    case kEntryPupilCode: return kCodeLength;
    case kEntryClassName: return kClassNameLength;
    case kEntryBillingReference: return kBillingReferenceLength;
    default: return kPupilNameLength;
  }
}

bool InstitutionPanelOnChar(uint32_t character) {
  if (!gInstitutionPanelOpen || !gInstitutionEntryActive) return false;
  if (character == kCharEscape) {
    gInstitutionEntryActive = false;
    gInstitutionEntryText.clear();
    gInstitutionEntryMode = kEntryStudentName;
    return true;
  }
  if (character == kCharEnter || character == kCharLineFeed) {
    CommitInstitutionEntry();
    return true;
  }
  return EditEntryText(&gInstitutionEntryText, character, (size_t)InstitutionEntryMaxLength(), false);
}

void CommitInstitutionEntry() {
  std::string text = TrimWhitespace(gInstitutionEntryText);
  int mode = gInstitutionEntryMode;
  gInstitutionEntryActive = false;
  gInstitutionEntryText.clear();
  gInstitutionEntryMode = kEntryStudentName;
  if (text.empty()) {
    if (mode != kEntryTeacherCode) return;
    LoadTeacherToken();
    if (gTeacherToken.empty()) return;
    bool saved = SaveTeacherToken("");
    StartLoadClasses();
    gInstitutionPanelMessage = SavedOr(saved, "Teacher code removed from this device");
    return;
  }
  switch (mode) {
    case kEntryTeacherCode: {
      std::string org = OrgIdOfCode(text);
      if (org.compare(0, 4, "ORG:") != 0) {
        gInstitutionPanelMessage = Tr("That does not look like an institution code");
      } else if (!EndsWithAdmin(org)) {
        gInstitutionPanelMessage = Tr("That is the pupil (seat) code, not the teacher code");
      } else {
        bool saved = SaveTeacherToken(text);
        StartLoadClasses();
        if (saved) ShowClassOpMessage(Tr(kTeacherCodeChecking));
        else gInstitutionPanelMessage = Tr(kSaveFailureMessage);
      }
      break;
    }
    case kEntryClassName: StartCreateClass(text.substr(0, kClassNameLength)); break;
    case kEntryPupilCode: {
      std::string org = OrgIdOfCode(text);
      if (org.compare(0, 4, "ORG:") != 0)
        gInstitutionPanelMessage = Tr("That does not look like an institution code");
      else if (EndsWithAdmin(org))
        gInstitutionPanelMessage = Tr("That is your TEACHER code. Pupils need the student one.");
      else
        gInstitutionPanelMessage = SavedOr(SaveStudentCode(text), "Student code saved");
      break;
    }
    case kEntryBillingReference:
      gBillingReference = text;
      gInstitutionPanelMessage = Tr("Reference saved for this request");
      break;
    default: AddStudentNamed(text); break;
  }
}

void StartJoinClass(const std::string& joinCode, const std::string& name) {
  if (joinCode.empty()) return;
  if (gJoinBusy.load() != 0) {
    SetJoinStatus(Tr("Still joining. Give it a moment."));
    return;
  }
  if (!ClassroomServerConfigured()) {
    SetJoinStatus(Tr(kNoServerText));
    return;
  }
  if (!ClaimBusy(gJoinBusy)) {
    SetJoinStatus(Tr("Still joining. Give it a moment."));
    return;
  }
  SetJoinStatus(Tr("Joining..."));
  std::string deviceId = gDeviceId;
  StartClassroomJob(gJoinBusy, [joinCode, deviceId, name] { JoinClassWorker(joinCode, deviceId, name); });
}

void JoinClassWorker(const std::string& joinCode, const std::string& deviceId, const std::string& name) {
  std::string code = TrimWhitespace(joinCode);
  for (char& c : code) c = UpperAscii(c);
  std::string device = TrimWhitespace(deviceId);
  std::string reply;
  uint32_t status = 0;
  bool ok = false;
  if (!code.empty() && !device.empty())
    ok = ApiPostJson("/class/join",
                     "{\"code\":\"" + JsonEscape(code) + "\",\"deviceId\":\"" + JsonEscape(device) +
                         "\",\"platform\":\"" + JsonEscape(NormalizePlatform("linux")) + "\",\"name\":\"" +
                         JsonEscape(TrimWhitespace(name)) + "\"}",
                     &reply, &status);
  std::lock_guard<std::mutex> lock(gJoinMutex);
  if (!ok) {
    gJoinStatusText = status == 404 ? Tr("That code isn't right - check it with your teacher")
                                    : ServerErrorText(reply, status, "Couldn't join");
    return;
  }
  std::string className = TrimWhitespace(JsonStringFrom(reply, "className", 0));
  gJoinStatusText = className.empty() ? Tr("Joined your class") : TrF("Joined %s", className.c_str());
  gJoinedClassName = className.empty() ? kUnnamedClass : className;
  if (!SaveFileAtomic(GetDataFilePath(kJoinedClassFile), gJoinedClassName)) gJoinStatusText = Tr(kSaveFailureMessage);
}

void ResetCodeEntries() {
  gAttendanceViewOpen = false;
  gAttendanceViewEntryActive = false;
  gAttendanceViewEntryText.clear();
  gAttendanceViewEntryMode = kViewJoinCode;
  gPendingJoinCode.clear();
  std::lock_guard<std::mutex> lock(gJoinMutex);
  gJoinStatusText.clear();
  gJoinedClassName.clear();
}
