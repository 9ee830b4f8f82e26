// platform/file_replace: whole-file replacement over POSIX open, write, fsync and rename.
#include "platform/file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

// ---- constants ----
static const int kTempNameTries = 100;   // names already taken before we give up

// ---- state ----
static std::atomic<unsigned long long> gTempNameCounter{0};   // makes every temporary name new

// ---- internal helpers ----
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

// ---- public functions ----
bool ReplaceFileWithContent(const std::string& targetPath, const std::string& content, std::string* error,
                            bool ownerOnly) {
  if (targetPath.empty()) {
    SetError(error, "open", ENOENT);
    return false;
  }
  std::string file;
  if (!FileToReplace(targetPath, &file, error)) return false;
  std::string tempPath;
  int fd = CreateFreshTemp(file, ownerOnly ? 0600 : 0644, &tempPath);
  if (fd < 0) {
    SetError(error, "open", errno);
    return false;
  }
  // The temporary file is always new, so the mode it was created with is the mode it has.
  const char* failedStep = nullptr;
  int err = 0;
  if (!WriteAll(fd, content)) {
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

bool RenameFileReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFileIfAbsent(const std::string& from, const std::string& to, const std::string& tempPath) {
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return false;
  if (::stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream in(from, std::ios::binary);
  if (!in.is_open()) return false;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  // Written under the temporary name and synced like a replacement, but linked rather than
  // renamed: link refuses an existing target, so a copy made meanwhile is never overwritten.
  ::unlink(tempPath.c_str());
  int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::link(tempPath.c_str(), to.c_str()) == 0;
  ::unlink(tempPath.c_str());
  return ok;
}

bool IsWritableFolder(const std::string& folder) {
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}
