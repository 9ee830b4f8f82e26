// platform/file_sync: pushing a written file's bytes to the disk before it replaces another.
//
// A rename over a file is only as safe as the data behind the new name: without a sync, a power
// cut after the rename can leave an empty or partial file under the old name.
#pragma once
#include <string>

// Flushes the file's data to the disk; false when it cannot be opened or synced.
bool FileSyncToDisk(const std::string& path);
// Makes a rename or creation inside the folder durable; false on failure.
bool FolderSyncToDisk(const std::string& folder);
