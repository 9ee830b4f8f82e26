// platform/file_read: the one way the program reads a file it keeps or is given (data, settings,
// library, translations, codes).
//
// Only a regular file is read: a folder, a FIFO, a device or a socket at the name is refused at
// once, never waited on (the name is opened without blocking and checked on the open descriptor,
// so nothing swapped in between is read either). The size is capped, so a file that grows while
// it is read cannot exhaust memory. Nothing here throws.
#pragma once
#include <cstddef>
#include <string>

// What ReadRegularFile found.
enum class FileReadResult {
  kOk,          // the whole file is in bytes
  kMissing,     // nothing at the name
  kUnreadable,  // something is there but is no readable regular file (a dangling link counts here)
  kTooLarge,    // a regular file above the cap; bytes is left empty
};

// Reads the whole regular file at path (through links) into bytes, at most maxBytes of it.
FileReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string* bytes);

// A short word for a result, for log lines ("missing", "not a readable file", "too large").
const char* FileReadResultText(FileReadResult result);

// True when an account other than this one could change what is at path: it belongs to another
// account than this one and the administrator, or others (or a group not this account's own) may
// write to it. True as well when path cannot be examined, as it cannot then be trusted.
bool OthersMayWrite(const std::string& path);
