// app/folders: path functions over the platform's executable path and current folder.
#include "app/base/folders.h"

#include <filesystem>
#include <system_error>

#include "platform/file_replace.h"
#include "platform/process.h"

namespace fs = std::filesystem;

// ---- internal helpers ----
static bool EndsWithSeparator(const std::string& s) {
  return !s.empty() && (s.back() == '/' || s.back() == '\\');
}

// ---- public functions ----
std::string GetExeDir() {
  // The platform's own path limit applies (the process layer reads the whole path): a deep
  // install keeps its folders beside the executable.
  std::string exe = ProcessExecutablePath();
  if (exe.empty()) return "";
  size_t slash = exe.find_last_of("/\\");
  if (slash == std::string::npos) return "";
  return exe.substr(0, slash + 1);
}

std::string GetWorkingDir() {
  std::string cwd = ProcessWorkingDir();
  if (cwd.empty()) return "";
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
  return dir.empty() ? "" : EnsureTrailingSlash(dir) + fileName;
}

std::string GetDataFilePath(const std::string& fileName) {
  // Without a Data folder there is no place for data: "" makes every open fail instead of
  // scattering files into whatever folder is current.
  std::string dir = GetDataFolder();
  return dir.empty() ? "" : EnsureTrailingSlash(dir) + fileName;
}

std::string ResolveDataFile(const std::string& fileName) {
  std::string dataPath = GetDataFilePath(fileName);
  if (IsRegularFile(dataPath)) return dataPath;
  std::string besideExe = GetExeFilePath(fileName);
  if (IsRegularFile(besideExe)) return besideExe;
  return dataPath;
}

std::string GetLogsFolderOrFallback() {
  // Logs can only be missing when the executable's folder is unknown; then no log file is
  // written rather than one in the current folder.
  std::string dir = GetLogsFolder();
  if (dir.empty()) dir = GetExeDir();
  return dir;
}

std::string FindDownbeatWav() {
  std::string dir = GetMetronomeFolder();
  if (dir.empty()) return "";
  std::string path = dir + "downbeat.wav";
  return IsRegularFile(path) ? path : "";
}

bool CreateAppFolders() {
  std::string data = GetDataFolder();
  GetLogsFolder();
  GetMidiFolder();
  GetAppSubfolder("MIDI/Imports");
  GetMetronomeFolder();
  return !data.empty() && IsWritableFolder(data);
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

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}
