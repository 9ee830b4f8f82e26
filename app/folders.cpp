// app/folders: path functions over the platform's executable path and current folder.
#include "app/folders.h"

#include <filesystem>
#include <system_error>

#include "platform/process.h"

namespace fs = std::filesystem;

// ---- constants ----
// The classic path limit that the folder functions keep, so over-long paths give "" as before.
static const size_t kMaxFolderPath = 260;

// ---- internal helpers ----
static bool EndsWithSeparator(const std::string& s) {
  return !s.empty() && (s.back() == '/' || s.back() == '\\');
}

// ---- public functions ----
std::string GetExeDir() {
  std::string exe = ProcessExecutablePath();
  if (exe.empty() || exe.size() >= kMaxFolderPath) return "";
  size_t slash = exe.find_last_of("/\\");
  if (slash == std::string::npos) return "";
  return exe.substr(0, slash + 1);
}

std::string GetWorkingDir() {
  std::string cwd = ProcessWorkingDir();
  if (cwd.empty() || cwd.size() >= kMaxFolderPath) return "";
  return EnsureTrailingSlash(cwd);
}

std::string EnsureTrailingSlash(const std::string& folder) {
  if (folder.empty() || EndsWithSeparator(folder)) return folder;
  return folder + "/";
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  fs::file_status st = fs::symlink_status(path, ec);
  return !ec && fs::is_regular_file(st);
}

std::string GetAppSubfolder(const std::string& name) {
  std::string exeDir = GetExeDir();
  if (exeDir.empty()) return "";
  fs::path p = fs::path(exeDir) / name;
  std::error_code ec;
  fs::create_directories(p, ec);
  return EnsureTrailingSlash(p.string());
}

std::string GetDataFolder() { return GetAppSubfolder("Data"); }
std::string GetLogsFolder() { return GetAppSubfolder("Logs"); }
std::string GetMidiFolder() { return GetAppSubfolder("MIDI"); }
std::string GetMetronomeFolder() { return GetAppSubfolder("Metronome"); }

std::string GetExeFilePath(const std::string& fileName) {
  std::string dir = GetExeDir();
  return dir.empty() ? fileName : EnsureTrailingSlash(dir) + fileName;
}

std::string GetDataFilePath(const std::string& fileName) {
  std::string dir = GetDataFolder();
  return dir.empty() ? fileName : EnsureTrailingSlash(dir) + fileName;
}

std::string ResolveDataFile(const std::string& fileName) {
  std::string dataPath = GetDataFilePath(fileName);
  if (IsRegularFile(dataPath)) return dataPath;
  std::string besideExe = GetExeFilePath(fileName);
  if (IsRegularFile(besideExe)) return besideExe;
  return dataPath;
}

std::string GetLogsFolderOrFallback() {
  std::string dir = GetLogsFolder();
  if (dir.empty()) dir = GetExeDir();
  if (dir.empty()) dir = GetWorkingDir();
  return dir;
}

std::string FindDownbeatWav() {
  std::string dir = GetMetronomeFolder();
  if (dir.empty()) return "";
  std::string path = dir + "downbeat.wav";
  return IsRegularFile(path) ? path : "";
}

void CreateAppFolders() {
  GetDataFolder();
  GetLogsFolder();
  GetMidiFolder();
  GetAppSubfolder("MIDI/Imports");
  GetMetronomeFolder();
}

bool OpenInputFileLongPath(std::ifstream& in, const std::string& path, std::ios_base::openmode mode) {
  in.open(path, mode | std::ios_base::in);
  if (in.is_open()) {
    in.clear();
    return true;
  }
  in.setstate(std::ios_base::failbit);
  return false;
}
