// classroom/classroom_settings: the classroom settings file and the device id.
//
// Depends on app/ (folders, logs, text helpers), learning/ (the atomic writer), platform/ (files).
#include "classroom/classroom_settings.h"

#include <cstdio>
#include <random>
#include <sstream>
#include <string_view>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/strings.h"
#include "learning/learning_files.h"

// ---- constants ----
static const char kSettingsFile[] = "classroom.txt";
static const char kDeviceIdFile[] = "device_id.txt";
static const size_t kSettingsFileCap = 64 * 1024;   // a settings file is a few lines

// ---- state ----
std::string gClassroomServer;
std::optional<std::string> gInstitutionCode;
std::string gInstitutionRole;
std::string gDeviceToken;
std::string gDeviceId;
std::string gInstitutionPlan;
std::string gPricingAddress;
std::string gSupportAddress;

// ---- internal helpers ----
static bool StartsWithHttps(const std::string& s) {
  static const char kScheme[] = "https://";
  if (s.size() <= sizeof kScheme - 1) return false;
  for (size_t i = 0; i < sizeof kScheme - 1; ++i)
    if ((char)tolower((unsigned char)s[i]) != kScheme[i]) return false;
  return true;
}

// The whole file, or "" when it is missing, unreadable or larger than any settings file.
static std::string ReadSmallFile(const std::string& path) {
  std::string text;
  if (ReadDataFileBytes(path, &text, kSettingsFileCap) != DataFileRead::kOk) return "";
  return text;
}

// An id is 1..64 bytes of letters, digits, "-" and "_".
static bool IsUsableDeviceId(const std::string& id) {
  if (id.empty() || id.size() > 64) return false;
  for (char c : id)
    if (!isalnum((unsigned char)c) && c != '-' && c != '_') return false;
  return true;
}

static std::string MakeRandomDeviceId() {
  std::random_device source;
  std::string id;
  for (int i = 0; i < 4; ++i) {
    char part[9];
    snprintf(part, sizeof part, "%08x", (unsigned)source());
    id += part;
  }
  return id;
}

static void ApplySetting(const std::string& key, const std::string& value) {
  if (key == "server") {
    if (!value.empty() && !StartsWithHttps(value)) {
      DebugLog("[classroom] the server address must begin with https://; nothing will be sent\n");
      return;
    }
    if (!value.empty() && std::string_view("/?#").find(value[8]) != std::string_view::npos) {
      DebugLog("[classroom] the server address names no host; nothing will be sent\n");
      return;
    }
    std::string base = value;
    while (!base.empty() && base.back() == '/') base.pop_back();
    gClassroomServer = base;
  } else if (key == "institution") {
    if (!value.empty()) gInstitutionCode = value;
  } else if (key == "role") {
    gInstitutionRole = value;
  } else if (key == "token") {
    gDeviceToken = value;
  } else if (key == "plan") {
    gInstitutionPlan = value;
  } else if (key == "pricing") {
    if (value.empty() || StartsWithHttps(value)) gPricingAddress = value;
  } else if (key == "support") {
    gSupportAddress = value;
  } else if (key == "device") {
    gDeviceId = value;
  }
}

// The kept id (the file's first line; an editor's byte-order mark and line end are forgiven), or a
// new one saved for next time. The server knows the device by this id, so a file that holds no
// usable id is kept aside rather than lost.
static std::string KeptDeviceId() {
  std::string path = GetDataFilePath(kDeviceIdFile);
  std::string text = ReadSmallFile(path);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::string kept = TrimWhitespace(text.substr(0, text.find('\n')));
  if (IsUsableDeviceId(kept)) return kept;
  if (!SetAsideDataFile(path, "holds no usable device id")) return MakeRandomDeviceId();
  std::string made = MakeRandomDeviceId();
  SaveFileAtomic(path, made + "\n", FileAccess::kOwnerOnly);
  return made;
}

// ---- public functions ----
void LoadClassroomSettings() {
  ResetClassroomSettings();
  std::istringstream lines(ReadSmallFile(GetDataFilePath(kSettingsFile)));
  std::string line;
  while (std::getline(lines, line)) {
    std::string trimmed = TrimWhitespace(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    // A NUL would cut a value short where it is used (an address cut at it would still get the token).
    if (trimmed.find('\0') != std::string::npos) {
      DebugLog("[classroom] a line of %s holds a NUL byte; ignored\n", kSettingsFile);
      continue;
    }
    size_t eq = trimmed.find('=');
    if (eq == std::string::npos) continue;
    // A '#' after a blank starts a comment at the line's end; none of these values holds one there,
    // and kept it would make the role or the address silently another.
    std::string value = trimmed.substr(eq + 1);
    for (size_t hash = value.find('#'); hash != std::string::npos; hash = value.find('#', hash + 1))
      if (hash > 0 && (value[hash - 1] == ' ' || value[hash - 1] == '\t')) {
        value.erase(hash);
        break;
      }
    ApplySetting(TrimWhitespace(trimmed.substr(0, eq)), TrimWhitespace(value));
  }
  if (gDeviceId.empty() && ClassroomServerConfigured()) gDeviceId = KeptDeviceId();
}

bool ClassroomServerConfigured() { return !gClassroomServer.empty(); }

void ResetClassroomSettings() {
  gClassroomServer.clear();
  gInstitutionCode.reset();
  gInstitutionRole.clear();
  gDeviceToken.clear();
  gDeviceId.clear();
  gInstitutionPlan.clear();
  gPricingAddress.clear();
  gSupportAddress.clear();
}
