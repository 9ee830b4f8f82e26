// classroom/classroom_files: the read and write road of the classroom stores.
#include "classroom/classroom_files.h"

#include <algorithm>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "learning/learning_files.h"
#include "practice/data_files.h"

// ---- state ----
static std::vector<std::string> gHeldPaths;  // unreadable files that could not be moved aside

// ---- public functions ----
std::string ClassroomFilePath(const std::string& name) { return GetDataFilePath(name); }

static void HoldPath(const std::string& path) {
  if (std::find(gHeldPaths.begin(), gHeldPaths.end(), path) == gHeldPaths.end()) gHeldPaths.push_back(path);
}

bool ReadClassroomFile(const std::string& path, std::vector<std::string>* lines, std::string* raw) {
  lines->clear();
  if (raw) raw->clear();
  if (path.empty()) return false;
  DataFileRead read = ReadDataFileLines(path, lines, raw);
  if (read == DataFileRead::kUnreadable) {
    lines->clear();
    if (!SetAsideDataFile(path, "cannot be read")) HoldPath(path);
  }
  if (read != DataFileRead::kOk) return false;
  for (std::string& line : *lines)
    while (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void KeepClassroomCopyIfRewritten(const std::string& path, const std::string& raw, const std::string& text) {
  if (!path.empty() && !KeepCopyBeforeRewrite(path, raw, text)) HoldPath(path);
}

bool WriteClassroomFile(const std::string& path, const std::string& text, FileAccess access) {
  if (path.empty()) return false;   // no Data folder: the registers are kept nowhere else
  if (std::find(gHeldPaths.begin(), gHeldPaths.end(), path) != gHeldPaths.end()) {
    DebugLog("[classroom] %s could not be read or moved aside; it is not replaced\n", path.c_str());
    gStatusText = kSaveFailureMessage;
    return false;
  }
  return SaveFileAtomic(path, text, access);
}

void ResetClassroomFiles() { gHeldPaths.clear(); }
