// platform/file_replace: whole-file replacement over POSIX open, write, fsync and rename.
#include "platform/file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/file_read.h"

// ---- constants ----
static const int kTempNameTries = 100;        // names already taken before we give up
static const size_t kMaxCopiedFile = 64u << 20;  // as large as any data file the program reads

// ---- state ----
static std::atomic<unsigned long long> gTempNameCounter{0};   // makes every temporary name new
static std::string gFailingSuffix;   // tests only: targets ending so fail

// ---- internal helpers ----
static bool FailsForTesting(const std::string& target) {
  return !gFailingSuffix.empty() && target.size() >= gFailingSuffix.size() &&
         target.compare(target.size() - gFailingSuffix.size(), gFailingSuffix.size(), gFailingSuffix) == 0;
}

static void SetError(std::string* error, const char* step, int err) {
  if (!error) return;
  *error = std::string(step) + ": " + std::strerror(err);
}

// The folder part of a path ("." when there is none), for syncing the directory entry.
static std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

static bool WriteAll(int fd, const std::string& content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= (size_t)n;
  }
  return true;
}

// The file that is really replaced: the target itself, or for a symbolic link the file at the end
// of its chain. A link that leads nowhere is refused rather than replaced by a plain file.
static bool FileToReplace(const std::string& target, std::string* out, std::string* error) {
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
    *out = target;
    return true;
  }
  char resolved[PATH_MAX];
  if (!::realpath(target.c_str(), resolved)) {
    SetError(error, "link", errno);
    return false;
  }
  *out = resolved;
  return true;
}

// Creates a temporary file that did not exist before, beside `file`, with `mode` (less the umask);
// never opens through a link that is already there. Returns the descriptor and fills tempPath, or
// -1 with errno set.
static int CreateFreshTemp(const std::string& file, mode_t mode, std::string* tempPath) {
  std::string stem = file + ".tmp." + std::to_string((unsigned long)::getpid()) + ".";
  for (int i = 0; i < kTempNameTries; ++i) {
    *tempPath = stem + std::to_string(gTempNameCounter.fetch_add(1));
    int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The process id of a temporary name "<name>.tmp.<pid>.<n>"; 0 when the name is not one. The
// file's own name goes to stem.
static long TempNameProcess(const std::string& name, std::string* stem) {
  size_t tmp = name.rfind(".tmp.");
  if (tmp == std::string::npos || tmp == 0) return 0;
  size_t dot = name.find('.', tmp + 5);
  if (dot == std::string::npos || dot == tmp + 5 || dot + 1 == name.size()) return 0;
  for (size_t i = tmp + 5; i < name.size(); ++i)
    if (i != dot && (name[i] < '0' || name[i] > '9')) return 0;
  if (dot - (tmp + 5) > 9) return 0;
  *stem = name.substr(0, tmp);
  return std::strtol(name.c_str() + tmp + 5, nullptr, 10);
}

// Calls visit with each temporary name in folder, its file's name and its process id.
template <typename Visit>
static void ForEachTempName(const std::string& folder, Visit visit) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) names.push_back(entry->d_name);
  ::closedir(dir);
  for (const std::string& name : names) {
    std::string stem;
    long pid = TempNameProcess(name, &stem);
    if (pid > 0) visit(name, stem, pid);
  }
}

// ---- public functions ----
bool ReplaceFileWithContent(const std::string& targetPath, const std::string& content, std::string* error,
                            bool ownerOnly) {
  if (targetPath.empty() || FailsForTesting(targetPath)) {
    SetError(error, "open", targetPath.empty() ? ENOENT : EROFS);
    return false;
  }
  std::string file;
  if (!FileToReplace(targetPath, &file, error)) return false;
  // A file that is replaced keeps the mode its owner gave it (a notes file made private stays
  // private), less any access of others for an owner-only file; a new one is created owner-only
  // or with the usual mode less the umask.
  struct stat old;
  bool keepMode = ::stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // A file that holds these very bytes is left as it is: a rewrite costs two syncs, which on a slow
  // stick hold the thread that draws for a second or more each, and would leave the same bytes.
  if (keepMode && (!ownerOnly || (old.st_mode & 077) == 0) && (size_t)old.st_size == content.size()) {
    std::string held;
    if (ReadRegularFile(file, content.size(), &held) == FileReadResult::kOk && held == content) return true;
  }
  std::string tempPath;
  int fd = CreateFreshTemp(file, keepMode || ownerOnly ? 0600 : 0644, &tempPath);
  if (fd < 0) {
    SetError(error, "open", errno);
    return false;
  }
  const char* failedStep = nullptr;
  int err = 0;
  // A credential is never left readable by others, whatever mode its old file had.
  mode_t mode = ownerOnly ? old.st_mode & 0700 : old.st_mode & 07777;
  if (keepMode && ::fchmod(fd, mode) != 0) {
    failedStep = "mode", err = errno;
  } else if (!WriteAll(fd, content)) {
    failedStep = "write", err = errno;
  } else if (::fsync(fd) != 0) {
    failedStep = "sync", err = errno;
  }
  if (::close(fd) != 0 && !failedStep) failedStep = "close", err = errno;
  if (!failedStep && ::rename(tempPath.c_str(), file.c_str()) != 0) failedStep = "rename", err = errno;
  if (failedStep) {
    ::unlink(tempPath.c_str());
    SetError(error, failedStep, err);
    return false;
  }
  // The rename is durable only once the folder's entry is on disk; a failure here does not undo
  // the replacement, so it is not reported.
  int dirFd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool RemoveFileIfPresent(const std::string& path) { return ::unlink(path.c_str()) == 0; }

int RemoveLeftTempFiles(const std::string& folder, bool anyOtherProcess) {
  const long self = (long)::getpid();
  std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  int removed = 0;
  ForEachTempName(base.empty() ? "." : base, [&](const std::string& name, const std::string&, long pid) {
    if (pid == self) return;
    bool gone = ::kill((pid_t)pid, 0) != 0 && errno == ESRCH;
    if ((anyOtherProcess || gone) && ::unlink((base + name).c_str()) == 0) ++removed;
  });
  return removed;
}

void RemoveTempFilesOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  ForEachTempName(folder.empty() ? "." : folder, [&](const std::string& name, const std::string& stem, long) {
    if (stem == file) ::unlink((folder + name).c_str());
  });
}

bool RenameFileReplacing(const std::string& from, const std::string& to) {
  return !FailsForTesting(to) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFileIfAbsent(const std::string& from, const std::string& to, const std::string& tempPath) {
  struct stat st;
  if (FailsForTesting(to) || ::lstat(to.c_str(), &st) == 0) return false;
  std::string content;
  if (ReadRegularFile(from, kMaxCopiedFile, &content) != FileReadResult::kOk) return false;
  if (::stat(from.c_str(), &st) != 0) return false;
  // Written under the temporary name and synced like a replacement, but linked rather than
  // renamed: link refuses an existing target, so a copy made meanwhile is never overwritten.
  ::unlink(tempPath.c_str());
  int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // The copy is as private as the file it copies.
  bool ok = ::fchmod(fd, st.st_mode & 0777) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::link(tempPath.c_str(), to.c_str()) == 0;
  ::unlink(tempPath.c_str());
  return ok;
}

bool IsWritableFolder(const std::string& folder) {
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

void FailWritesEndingWithForTesting(const std::string& suffix) { gFailingSuffix = suffix; }
