// platform/file_read: the capped, non-blocking reader over POSIX open, fstat and read.
#include "platform/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

// ---- constants ----
static const size_t kReadChunk = 64 * 1024;   // bytes asked of one read call

// ---- internal helpers ----
// Reads up to maxBytes + 1 bytes, so a file that grew past the cap while read is told apart.
static FileReadResult ReadOpen(int fd, size_t expected, size_t maxBytes, std::string* bytes) {
  try {
    bytes->reserve(expected < maxBytes ? expected : maxBytes);
    char chunk[kReadChunk];
    for (;;) {
      ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n < 0) {
        if (errno == EINTR) continue;
        return FileReadResult::kUnreadable;
      }
      if (n == 0) return FileReadResult::kOk;
      if (bytes->size() + (size_t)n > maxBytes) return FileReadResult::kTooLarge;
      bytes->append(chunk, (size_t)n);
    }
  } catch (const std::bad_alloc&) {
    return FileReadResult::kTooLarge;
  }
}

// ---- public functions ----
FileReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string* bytes) {
  bytes->clear();
  if (path.empty()) return FileReadResult::kMissing;
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) return FileReadResult::kUnreadable;
    // A link that leads nowhere is something a user placed there, not a missing file.
    struct stat link;
    return ::lstat(path.c_str(), &link) == 0 ? FileReadResult::kUnreadable : FileReadResult::kMissing;
  }
  struct stat st;
  FileReadResult result = FileReadResult::kUnreadable;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if ((unsigned long long)st.st_size > maxBytes) result = FileReadResult::kTooLarge;
    else result = ReadOpen(fd, (size_t)st.st_size, maxBytes, bytes);
  }
  ::close(fd);
  if (result != FileReadResult::kOk) {
    bytes->clear();
    bytes->shrink_to_fit();
  }
  return result;
}

const char* FileReadResultText(FileReadResult result) {
  switch (result) {
    case FileReadResult::kOk: return "read";
    case FileReadResult::kMissing: return "missing";
    case FileReadResult::kUnreadable: return "not a readable file";
    case FileReadResult::kTooLarge: return "too large";
  }
  return "?";
}

bool OthersMayWrite(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return true;
  if (st.st_uid != ::geteuid() && st.st_uid != 0) return true;
  if (st.st_mode & S_IWOTH) return true;
  // A group of one's own (the usual private group) shares with nobody.
  return (st.st_mode & S_IWGRP) && st.st_gid != ::getegid();
}
