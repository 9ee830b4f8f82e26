// platform/file_replace: whole-file replacement over POSIX open, write, fsync and rename.
#include "platform/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

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

// ---- public functions ----
bool ReplaceFileWithContent(const std::string& tempPath, const std::string& targetPath,
                            const std::string& content, std::string* error, bool ownerOnly) {
  int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, ownerOnly ? 0600 : 0644);
  if (fd < 0) {
    SetError(error, "open", errno);
    return false;
  }
  // A temporary file left by an earlier run keeps its old mode through O_TRUNC.
  if (ownerOnly && ::fchmod(fd, 0600) != 0) {
    int err = errno;
    ::close(fd);
    ::unlink(tempPath.c_str());
    SetError(error, "chmod", err);
    return false;
  }
  if (!WriteAll(fd, content)) {
    int err = errno;
    ::close(fd);
    ::unlink(tempPath.c_str());
    SetError(error, "write", err);
    return false;
  }
  if (::fsync(fd) != 0) {
    int err = errno;
    ::close(fd);
    ::unlink(tempPath.c_str());
    SetError(error, "sync", err);
    return false;
  }
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tempPath.c_str());
    SetError(error, "close", err);
    return false;
  }
  if (::rename(tempPath.c_str(), targetPath.c_str()) != 0) {
    int err = errno;
    ::unlink(tempPath.c_str());
    SetError(error, "rename", err);
    return false;
  }
  // The rename is durable only once the folder's entry is on disk; a failure here does not undo
  // the replacement, so it is not reported.
  int dirFd = ::open(FolderOf(targetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
