// practice/data_files: how the student records read and replace their small text files.
//
// Every store of the student records ("students.dat", "practice_runs.dat", the achievements
// files) is replaced whole through WriteTextFileAtomic, and read line by line through
// ReadDataFileLines, which forgives a byte-order mark and Windows line ends. A file that exists
// but cannot be read or is not recognised is moved aside with SetAsideDataFile before the first
// write, so a damaged file is never silently replaced.
#pragma once
#include <string>
#include <vector>

// Replaces the file at path by content through path + ".tmp"; true on success. Failures leave
// the old file in place, remove the temporary file and are logged, never shown to the user.
bool WriteTextFileAtomic(const std::string& path, const std::string& content);

// What ReadDataFileLines found.
enum class DataFileRead {
  kMissing,     // no file at the path
  kUnreadable,  // something is there but could not be read (a folder, no permission, an I/O error)
  kOk,          // lines holds the file's lines
};

// Reads a text file as lines split at "\n"; one leading UTF-8 byte-order mark is dropped and a
// trailing "\r" is stripped from every line. A final line without "\n" is kept; a file that ends
// with "\n" has no empty last line.
DataFileRead ReadDataFileLines(const std::string& path, std::vector<std::string>* lines);

// Moves a damaged file out of the way: to path + ".bad", or path + ".bad2", ".bad3" ... when
// earlier ones exist. Logs what it did with the reason. A missing or zero-length file is left
// alone (there is nothing to keep). Returns true when nothing at path stands in the way of a write.
bool SetAsideDataFile(const std::string& path, const char* reason);
