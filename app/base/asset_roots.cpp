// app/asset_roots: ordered, de-duplicated image search roots.
#include "app/base/asset_roots.h"

#include <filesystem>
#include <strings.h>
#include <system_error>

#include "app/base/folders.h"
#include "platform/process.h"

namespace fs = std::filesystem;

// ---- constants ----
static const char* const kAssetCandidates[] = {
    "assets/images",
    "release/assets/images",
    "release/app/assets/images",
    "04_Releases/windows/app-current/assets/images",
    "04_Releases/windows/staging/Quillmere/assets/images",
    "03_App/midi-engine/release/assets/images",
    "03_App/midi-engine/release/app/assets/images",
};

// ---- internal helpers ----
// The folder as a path without its trailing separator, so that its parent is the folder above it
// (the parent of "/a/b/" is "/a/b" itself).
static fs::path FolderPath(const std::string& folder) {
  fs::path p = fs::path(folder).lexically_normal();
  if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
  return p;
}

// The folder above, or empty at the root.
static fs::path FolderAbove(const fs::path& p) {
  return p.has_parent_path() && p.parent_path() != p ? p.parent_path() : fs::path();
}

// The folder and the one above it, each as candidates' base: a tree's images are found from its
// build folder, and nothing further up (an unrelated tree's images) is taken.
static void AddCandidatesAround(std::vector<std::string>& roots, const std::string& folder) {
  if (folder.empty()) return;
  fs::path p = FolderPath(folder);
  AddAssetCandidates(roots, p.string());
  AddAssetCandidates(roots, FolderAbove(p).string());
}

// ---- public functions ----
void AddSearchRoot(std::vector<std::string>& roots, const std::string& folder) {
  if (folder.empty()) return;
  std::string entry = EnsureTrailingSlash(folder);
  for (const std::string& r : roots)
    if (strcasecmp(r.c_str(), entry.c_str()) == 0) return;
  roots.push_back(entry);
}

void AddAssetCandidates(std::vector<std::string>& roots, const std::string& base) {
  fs::path b = fs::path(base).lexically_normal();
  if (b.empty()) return;
  for (const char* candidate : kAssetCandidates) AddSearchRoot(roots, (b / candidate).string());
}

void BuildAssetRoots(std::vector<std::string>& roots) {
  std::string exeDir = GetExeDir();
  std::string cwd = GetWorkingDir();
  AddSearchRoot(roots, exeDir);
  AddSearchRoot(roots, cwd);
  AddCandidatesAround(roots, exeDir);
  AddCandidatesAround(roots, cwd);
}

bool HasAssetFolders(const std::string& base) {
  std::error_code ec;
  return fs::is_directory(fs::path(base) / "assets" / "images", ec);
}

void SelectAssetRoot() {
  std::string exeDir = GetExeDir();
  if (exeDir.empty()) return;
  fs::path p = FolderPath(exeDir);
  for (const fs::path& level : {p, FolderAbove(p)}) {
    if (level.empty()) break;
    if (HasAssetFolders(level.string())) {
      ProcessSetWorkingDir(level.string());
      return;
    }
  }
}
