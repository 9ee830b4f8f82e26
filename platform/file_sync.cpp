// platform/file_sync: fsync on a file or a folder opened read-only.
#include "platform/file_sync.h"

#include <fcntl.h>
#include <unistd.h>

// ---- internal helpers ----
static bool SyncPath(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  if (close(fd) != 0) ok = false;
  return ok;
}

// ---- public functions ----
bool FileSyncToDisk(const std::string& path) { return SyncPath(path, O_RDONLY); }

bool FolderSyncToDisk(const std::string& folder) {
  return SyncPath(folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY);
}
