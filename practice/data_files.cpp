// practice/data_files: the whole-file writer, the forgiving reader, the copies kept aside and the
// stores whose last save failed.
#include "practice/data_files.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "gfx/translate.h"
#include "platform/file_read.h"
#include "platform/file_replace.h"

namespace fs = std::filesystem;

// ---- constants ----
const char kSaveFailureMessage[] =
    "Could not save progress - disk full or the file is locked (antivirus / cloud sync). Recent work may not persist.";

const size_t kDataFileCap = 64u << 20;

// ---- state ----
static std::mutex gDirtyStoresMutex;            // guards the list below (a background save marks too)
static std::vector<void (*)()> gDirtyStores;    // savers of the stores whose last save failed

// ---- public functions ----
bool WriteTextFileAtomic(const std::string& path, const std::string& content) {
  std::string error;
  if (ReplaceFileWithContent(path, content, &error)) return true;
  DebugLog("[files] could not write %s (%s); the old file stays\n", path.c_str(), error.c_str());
  gStatusText = kSaveFailureMessage;
  return false;
}

DataFileRead ReadDataFileBytes(const std::string& path, std::string* bytes, size_t maxBytes) {
  FileReadResult read = ReadRegularFile(path, maxBytes, bytes);
  if (read == FileReadResult::kOk) return DataFileRead::kOk;
  if (read == FileReadResult::kMissing) return DataFileRead::kMissing;
  DebugLog("[files] %s: %s; not read\n", path.c_str(), FileReadResultText(read));
  return DataFileRead::kUnreadable;
}

DataFileRead ReadDataFileLines(const std::string& path, std::vector<std::string>* lines, std::string* raw) {
  lines->clear();
  std::string all;
  DataFileRead read = ReadDataFileBytes(path, &all);
  if (read != DataFileRead::kOk) return read;
  SplitDataFileLines(all, lines);
  if (raw) *raw = std::move(all);
  return DataFileRead::kOk;
}

void SplitDataFileLines(const std::string& all, std::vector<std::string>* lines) {
  lines->clear();
  size_t pos = 0;
  if (all.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < all.size()) {
    size_t nl = all.find('\n', pos);
    size_t end = nl == std::string::npos ? all.size() : nl;
    std::string line = all.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(std::move(line));
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
}

// The bytes with Windows line ends made plain: a "\r" right before a "\n", or ending the bytes, is
// part of the line end, as ReadDataFileLines reads it.
static std::string WithPlainLineEnds(const std::string& bytes) {
  std::string plain;
  plain.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] != '\r' || (i + 1 < bytes.size() && bytes[i + 1] != '\n')) plain += bytes[i];
  return plain;
}

// The n-th copy's name: the first has the bare tail, later ones carry their number.
static std::string NumberedCopyPath(const std::string& path, const char* tail, int n) {
  return n <= 1 ? path + tail : path + tail + std::to_string(n);
}

// The names in path's folder that `name` gives path for some n. Each candidate is named again
// through `name` and compared whole, so neither "x.dat.bak02" nor "x.dat.bak.tmp" is a copy of
// x.dat, and nor is "x.dat2.bak", the copy of another file whose name starts the same.
static std::vector<std::string> CopiesNamedBy(const std::string& path, std::string (*name)(const std::string&, int)) {
  std::vector<std::string> copies;
  const fs::path whole(path);
  const std::string file = whole.filename().string();
  if (file.empty()) return copies;
  const std::string folder = path.substr(0, path.size() - file.size());   // as given, separator kept
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (entry.size() <= file.size() || entry.compare(0, file.size(), file) != 0) continue;
    size_t digits = entry.size();
    while (digits > file.size() && entry[digits - 1] >= '0' && entry[digits - 1] <= '9') --digits;
    int n = 1;
    if (digits < entry.size()) {
      if (entry.size() - digits > 9) continue;
      n = std::stoi(entry.substr(digits));
    }
    if (name(file, n) == entry) copies.push_back(folder + entry);
  }
  return copies;
}

// Several files can be set aside at one start; the status line names every one of them as long
// as nothing else was said in between, so the first is not hidden by the last.
static void SayKeptAside(const std::string& name, const std::string& target, bool newer) {
  static std::string sList, sShown;   // the names said so far, and the line that said them
  const std::string entry = name + " (" + target + ")";
  if (!sShown.empty() && gStatusText == sShown) {
    sList += ", " + entry;
    gStatusText = TrF("Files that could not be read are kept aside: %s", sList.c_str());
  } else {
    sList = entry;
    gStatusText = newer ? TrF("%s was written by a newer Tonvarra; it is kept as %s", name.c_str(), target.c_str())
                        : TrF("%s was damaged; it is kept as %s", name.c_str(), target.c_str());
  }
  sShown = gStatusText;
}

// The first ".bad" name beside path that nothing holds yet.
static std::string FreeSetAsidePath(const std::string& path) {
  std::error_code ec;
  std::string target = SetAsideCopyPath(path, 1);
  for (int n = 2; fs::exists(fs::symlink_status(target, ec)); ++n) target = SetAsideCopyPath(path, n);
  return target;
}

static bool MoveAside(const std::string& path, const char* reason, bool newer) {
  std::error_code ec;
  fs::file_status st = fs::symlink_status(path, ec);
  if (ec || !fs::exists(st)) return true;
  if (fs::is_regular_file(st) && fs::file_size(path, ec) == 0 && !ec) return true;
  std::string target = FreeSetAsidePath(path);
  if (RenameFileReplacing(path, target)) {
    DebugLog("[files] %s: %s; kept as %s\n", path.c_str(), reason, target.c_str());
    // Said on screen too: what the file held is missing from the view, and only its name tells
    // the user where it went.
    SayKeptAside(fs::path(path).filename().string(), fs::path(target).filename().string(), newer);
    return true;
  }
  DebugLog("[files] %s: %s; could not move it aside, it will not be replaced\n", path.c_str(), reason);
  return false;
}

bool SetAsideDataFile(const std::string& path, const char* reason) { return MoveAside(path, reason, false); }

bool SetAsideNewerDataFile(const std::string& path) {
  return MoveAside(path, "written by a newer version of the program", true);
}

bool CopyAsideDataFile(const std::string& path, const char* reason) {
  std::string target = FreeSetAsidePath(path);
  if (!CopyFileIfAbsent(path, target, target + ".tmp")) {
    DebugLog("[files] %s: %s; could not copy it aside\n", path.c_str(), reason);
    return false;
  }
  DebugLog("[files] %s: %s; kept as %s\n", path.c_str(), reason, target.c_str());
  // What the reader passed over is missing from the view and goes with the next save: only the
  // copy's name tells the user where it is.
  SayKeptAside(fs::path(path).filename().string(), fs::path(target).filename().string(), false);
  return true;
}

bool IsNewerHeader(const std::string& header, const char* prefix, int newest) {
  const size_t n = std::char_traits<char>::length(prefix);
  if (header.compare(0, n, prefix) != 0) return false;
  long long version = 0;
  size_t i = n;
  for (; i < header.size() && header[i] >= '0' && header[i] <= '9' && version <= newest; ++i)
    version = version * 10 + (header[i] - '0');
  return i > n && version > newest;
}

bool KeepCopyBeforeRewrite(const std::string& path, const std::string& readBytes, const std::string& newText) {
  if (readBytes == newText || WithPlainLineEnds(readBytes) == newText) return true;
  // One copy is enough: a file read again unchanged in a later session is not copied again.
  std::error_code ec;
  std::string copy = KeptCopyPath(path, 1);
  for (int n = 2; fs::exists(fs::symlink_status(copy, ec)); ++n) {
    std::string kept;
    if (ReadDataFileBytes(copy, &kept) == DataFileRead::kOk && kept == readBytes) return true;
    copy = KeptCopyPath(path, n);
  }
  std::string error;
  if (ReplaceFileWithContent(copy, readBytes, &error)) {
    DebugLog("[files] %s will be written back changed; the file as read is kept as %s\n", path.c_str(), copy.c_str());
    return true;
  }
  DebugLog("[files] %s will not be written back: it could not be copied aside (%s)\n", path.c_str(), error.c_str());
  return false;
}

std::string SetAsideCopyPath(const std::string& path, int n) { return NumberedCopyPath(path, ".bad", n); }

std::string KeptCopyPath(const std::string& path, int n) { return NumberedCopyPath(path, ".bak", n); }

std::string PrePlacementCopyPath(const std::string& path) { return path + ".preplace.bak"; }

std::vector<std::string> SetAsideCopiesOf(const std::string& path) { return CopiesNamedBy(path, SetAsideCopyPath); }

std::vector<std::string> KeptCopiesOf(const std::string& path) { return CopiesNamedBy(path, KeptCopyPath); }

void SetStoreDirty(void (*saver)(), bool dirty) {
  std::lock_guard<std::mutex> lock(gDirtyStoresMutex);
  auto at = std::find(gDirtyStores.begin(), gDirtyStores.end(), saver);
  if (dirty && at == gDirtyStores.end()) gDirtyStores.push_back(saver);
  if (!dirty && at != gDirtyStores.end()) gDirtyStores.erase(at);
}

void SaveDirtyStores() {
  // Each saver marks or clears itself again, so none may run under the lock.
  std::vector<void (*)()> savers;
  {
    std::lock_guard<std::mutex> lock(gDirtyStoresMutex);
    savers = gDirtyStores;
  }
  for (void (*saver)() : savers) saver();
}

void ResetDirtyStores() {
  std::lock_guard<std::mutex> lock(gDirtyStoresMutex);
  gDirtyStores.clear();
}
