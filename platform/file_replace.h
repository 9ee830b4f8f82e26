// platform/file_replace: replacing a file whole so that a crash leaves the old or the new content.
//
// The content goes to a temporary file beside the target, created under a name of its own that
// nothing else holds (never through a link someone left at that name); it is flushed, synced and
// closed before it is renamed over the target, and the folder is synced after the rename so the
// new name survives a power cut. Any failure removes the temporary file and leaves the target
// untouched. A target that is a symbolic link stays a link: the file it points to is replaced.
#pragma once
#include <string>

// Writes content to a new temporary file "<target>.tmp.<pid>.<n>" beside the file that is
// replaced, then renames it over that file. On failure returns false and, when error is not null,
// fills it with a short reason ("open", "link", "mode", "write", "sync", "close", "rename" plus the
// system's text). A file that is replaced keeps its mode; with ownerOnly (credentials, free text
// about people) less any access of group and others, and a new one is readable and writable by
// its owner alone. Otherwise a new file takes the usual 0644 less the umask. A regular file that
// already holds exactly content (and, with ownerOnly, is private already) is left untouched.
bool ReplaceFileWithContent(const std::string& targetPath, const std::string& content, std::string* error,
                            bool ownerOnly = false);

// Copies the file at from to to only when nothing is at to: the copy is written to tempPath,
// synced, then linked into place, so a crash never leaves a half copy under the target's name.
// The copy takes the mode of the file it copies.
// False when from cannot be read, to already exists or any step fails (tempPath is removed).
bool CopyFileIfAbsent(const std::string& from, const std::string& to, const std::string& tempPath);

// Removes the temporary files "<name>.tmp.<pid>.<n>" left in folder by saves that never finished
// (a process killed mid-save): those of processes that are gone, or with anyOtherProcess (this
// process alone uses the folder) those of every process but this one. Returns how many went.
int RemoveLeftTempFiles(const std::string& folder, bool anyOtherProcess);
// Removes every temporary file "<path>.tmp.<pid>.<n>" of the file at path.
void RemoveTempFilesOf(const std::string& path);

// Removes a file; false when it did not exist or could not be removed.
bool RemoveFileIfPresent(const std::string& path);

// Renames a file, replacing the target; false on failure.
bool RenameFileReplacing(const std::string& from, const std::string& to);

// A folder exists and this process may create files in it.
bool IsWritableFolder(const std::string& folder);

// Tests only: every replacement, rename and copy to a path that ends with suffix fails, as on a
// full or locked disk (root, who runs the tests in CI, may write where permissions forbid it);
// "" ends it.
void FailWritesEndingWithForTesting(const std::string& suffix);
