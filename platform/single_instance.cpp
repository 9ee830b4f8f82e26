// platform/single_instance: the Data folder's lock over POSIX open and flock.
#include "platform/single_instance.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// ---- state ----
static int gInstanceLockFd = -1;   // the open, locked lock file; -1 when none is held

// ---- public functions ----
InstanceLock TakeInstanceLock(const std::string& path) {
  if (gInstanceLockFd >= 0) return InstanceLock::kHeld;
  // Opened for reading only: a copy that loses the race must not even change the file's times.
  int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceLock::kUnusable;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? InstanceLock::kInUse : InstanceLock::kUnusable;
  }
  gInstanceLockFd = fd;
  return InstanceLock::kHeld;
}

void ReleaseInstanceLock() {
  if (gInstanceLockFd < 0) return;
  ::close(gInstanceLockFd);
  gInstanceLockFd = -1;
}
