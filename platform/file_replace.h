// platform/file_replace: replacing a file whole so that a crash leaves the old or the new content.
//
// The content goes to a temporary file beside the target, which is flushed, synced and closed
// before it is renamed over the target; the folder is synced after the rename so the new name
// survives a power cut. Any failure removes the temporary file and leaves the target untouched.
#pragma once
#include <string>

// Writes content to tempPath, then renames it over targetPath. On failure returns false and, when
// error is not null, fills it with a short reason ("open", "write", "sync", "close", "rename" plus
// the system's text). With ownerOnly the new file is readable and writable by its owner alone
// (credentials); otherwise it takes the usual 0644 less the umask.
bool ReplaceFileWithContent(const std::string& tempPath, const std::string& targetPath,
                            const std::string& content, std::string* error, bool ownerOnly = false);

// Copies the file at from to to only when nothing is at to: the copy is written to tempPath,
// synced, then linked into place, so a crash never leaves a half copy under the target's name.
// False when from cannot be read, to already exists or any step fails (tempPath is removed).
bool CopyFileIfAbsent(const std::string& from, const std::string& to, const std::string& tempPath);

// Removes a file; false when it did not exist or could not be removed.
bool RemoveFileIfPresent(const std::string& path);

// Renames a file, replacing the target; false on failure.
bool RenameFileReplacing(const std::string& from, const std::string& to);
