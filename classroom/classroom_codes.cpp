// classroom/classroom_codes: identity tests, the code files and the code readers.
//
// Depends on app/ (folders, text helpers), learning/ (the atomic writer).
#include "classroom/classroom_codes.h"

#include <cstdint>
#include <vector>

#include "app/base/folders.h"
#include "app/base/strings.h"
#include "classroom/classroom_settings.h"
#include "learning/learning_files.h"

// ---- constants ----
static const char kTeacherTokenFile[] = "teacher_token.txt";
static const char kStudentCodeFile[] = "student_code.txt";
static const size_t kCodeFileCap = 64 * 1024;   // a code is at most a few hundred bytes

// ---- state ----
std::string gTeacherToken;
bool gTeacherTokenLoaded = false;

// The pupil code is shared with a worker; its storage is never destroyed, so a worker that
// outlives the end of main never meets a destroyed object.
struct StudentCodeState {
  std::mutex mutex;
  std::string code;
  bool loaded = false;
};
static StudentCodeState& StudentCodeStorage() {
  static StudentCodeState* state = new StudentCodeState();
  return *state;
}
std::string& gStudentCode = StudentCodeStorage().code;
bool& gStudentCodeLoaded = StudentCodeStorage().loaded;
std::mutex& gStudentCodeMutex = StudentCodeStorage().mutex;

// ---- internal helpers ----
static bool BeginsWithOrg(const std::string& s) { return s.size() >= 4 && s.compare(0, 4, "ORG:") == 0; }

static std::string ReadCodeFile(const std::string& path) {
  std::string text;
  if (ReadDataFileBytes(path, &text, kCodeFileCap) != DataFileRead::kOk) return "";
  return TrimWhitespace(text);
}

// Steps 3 to 5 of reading a signed code: the "oid" text of its payload.
static std::string OrgIdOfSignedCode(const std::string& code) {
  size_t dot = code.find('.');
  if (dot == std::string::npos || dot == 0) return "";
  std::string payload = Base64UrlDecode(code.substr(0, dot));
  if (payload.size() < 5) return "";
  size_t key = payload.find("\"oid\"");
  if (key == std::string::npos) return "";
  size_t colon = payload.find(':', key + 5);
  if (colon == std::string::npos) return "";
  size_t open = payload.find('"', colon + 1);
  if (open == std::string::npos) return "";
  size_t close = payload.find('"', open + 1);
  if (close == std::string::npos) return "";
  return payload.substr(open + 1, close - open - 1);
}

static int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '-' || c == '+') return 62;
  if (c == '_' || c == '/') return 63;
  return -1;
}

// ---- public functions ----
bool HasInstitutionCode() { return gInstitutionCode.has_value() && BeginsWithOrg(*gInstitutionCode); }

bool IsTeacherDevice() {
  if (!HasInstitutionCode()) return false;
  if (gInstitutionRole == "teacher") return true;
  std::vector<std::string> fields;
  // Split at every ":", keeping empty fields and a trailing empty one.
  size_t start = 0;
  const std::string& code = *gInstitutionCode;
  while (true) {
    size_t colon = code.find(':', start);
    fields.push_back(code.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return fields.size() == 5 && fields[4] == "admin";
}

std::string TeacherTokenPath() { return GetDataFilePath(kTeacherTokenFile); }
std::string StudentCodePath() { return GetDataFilePath(kStudentCodeFile); }

void LoadTeacherToken() {
  if (gTeacherTokenLoaded) return;
  gTeacherTokenLoaded = true;
  gTeacherToken = ReadCodeFile(TeacherTokenPath());
}

bool SaveTeacherToken(const std::string& code) {
  gTeacherToken = TrimWhitespace(code);
  gTeacherTokenLoaded = true;
  return SaveFileAtomic(TeacherTokenPath(), gTeacherToken, FileAccess::kOwnerOnly);
}

void LoadStudentCode() {
  std::lock_guard<std::mutex> lock(gStudentCodeMutex);
  if (gStudentCodeLoaded) return;
  gStudentCodeLoaded = true;
  gStudentCode = ReadCodeFile(StudentCodePath());
}

bool SaveStudentCode(const std::string& code) {
  std::lock_guard<std::mutex> lock(gStudentCodeMutex);
  gStudentCode = TrimWhitespace(code);
  gStudentCodeLoaded = true;
  return SaveFileAtomic(StudentCodePath(), gStudentCode, FileAccess::kOwnerOnly);
}

std::string StudentCodeCopy() {
  LoadStudentCode();
  std::lock_guard<std::mutex> lock(gStudentCodeMutex);
  return gStudentCode;
}

std::string OrgIdOfCode(const std::string& code) {
  std::string trimmed = TrimWhitespace(code);
  if (BeginsWithOrg(trimmed)) return trimmed;
  return OrgIdOfSignedCode(trimmed);
}

bool TeacherTokenIsAdmin() {
  LoadTeacherToken();
  if (gTeacherToken.empty()) return false;
  std::string org = BeginsWithOrg(gTeacherToken) ? gTeacherToken : OrgIdOfSignedCode(gTeacherToken);
  static const std::string kAdmin = ":admin";
  return BeginsWithOrg(org) && org.size() > 6 &&
         org.compare(org.size() - kAdmin.size(), kAdmin.size(), kAdmin) == 0;
}

std::string Base64UrlDecode(const std::string& text) {
  std::string out;
  uint32_t bits = 0;
  int held = 0;
  for (char c : text) {
    if (c == '=' || c == '\r' || c == '\n') continue;
    int v = Base64Value(c);
    if (v < 0) return "";
    bits = (bits << 6) | (uint32_t)v;
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.push_back((char)((bits >> held) & 0xFF));
    }
    bits &= (1u << held) - 1;   // keep only the bits not yet emitted
  }
  return out;
}

void ResetClassroomCodes() {
  gTeacherToken.clear();
  gTeacherTokenLoaded = false;
  std::lock_guard<std::mutex> lock(gStudentCodeMutex);
  gStudentCode.clear();
  gStudentCodeLoaded = false;
}
