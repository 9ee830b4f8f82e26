// practice/data_files: how the student records read and replace their small text files.
//
// Every store of the student records ("students.dat", "practice_runs.dat", the achievements
// files) is replaced whole through WriteTextFileAtomic, and read through ReadDataFileLines, which
// forgives a byte-order mark and Windows line ends. A file that exists but cannot be read or is
// not recognised is moved aside with SetAsideDataFile before the first write, and a file that was
// read only in part is copied aside with KeepCopyBeforeRewrite before it is written back, so what
// a student made is never silently replaced. A store whose save failed is marked with
// SetStoreDirty and written again by SaveDirtyStores once the disk may take it.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The status line after a failed save.
extern const char kSaveFailureMessage[];

// Replaces the file at path by content through a fresh temporary file beside it; true on
// success. A failure leaves the old file in place, is logged and is shown on the status line.
bool WriteTextFileAtomic(const std::string& path, const std::string& content);

// ---- stores whose last save failed ----
// Marks (dirty) or clears the store that saver writes; the store's save calls it with its result,
// so a later successful save clears the mark. Any thread may call it.
void SetStoreDirty(void (*saver)(), bool dirty);
// Runs the saver of every marked store once, in the order they were marked: where the students'
// list is saved again (the students panel closing, the program ending) and on a student switch.
void SaveDirtyStores();
// No store marked.
void ResetDirtyStores();

// What ReadDataFileLines found.
enum class DataFileRead {
  kMissing,     // no file at the path
  kUnreadable,  // something is there but could not be read (a folder, no permission, an I/O error)
  kOk,          // the file was read
};

// Larger than any file the program keeps or ships (a long calendar is a few MB).
extern const size_t kDataFileCap;

// The whole file's bytes (through a link to a file too). Only a regular file of at most maxBytes
// is read; anything else there (a folder, a FIFO, a device, a larger file) is kUnreadable and
// logged, never waited on. Never throws.
DataFileRead ReadDataFileBytes(const std::string& path, std::string* bytes, size_t maxBytes = kDataFileCap);
// Reads a text file as lines split at "\n"; one leading UTF-8 byte-order mark is dropped and a
// trailing "\r" is stripped from every line. A final line without "\n" is kept; a file that ends
// with "\n" has no empty last line. raw, when given, receives the bytes as read.
DataFileRead ReadDataFileLines(const std::string& path, std::vector<std::string>* lines,
                               std::string* raw = nullptr);
// The lines of a file's bytes as ReadDataFileLines takes them (a byte-order mark and Windows line
// ends forgiven), for bytes held in memory.
void SplitDataFileLines(const std::string& all, std::vector<std::string>* lines);

// Moves a damaged file out of the way: to path + ".bad", or path + ".bad2", ".bad3" ... when
// earlier ones exist. Logs what it did with the reason. A missing or zero-length file is left
// alone (there is nothing to keep). Returns true when nothing at path stands in the way of a write.
// The status line names the file and its new name; files set aside one after another with nothing
// said in between are named together.
bool SetAsideDataFile(const std::string& path, const char* reason);
// The same for a file of a format this program does not know yet (a newer program wrote it): the
// status line says so rather than calling it damaged.
bool SetAsideNewerDataFile(const std::string& path);
// For a file read only in part, before it is written back: copies it to the name SetAsideDataFile
// would move it to, logs that with the reason and names the copy on the status line the same way.
// The file itself stays. True when the copy was made.
bool CopyAsideDataFile(const std::string& path, const char* reason);
// True when a header line is the prefix followed by a version number above newest ("ACHV4" for
// prefix "ACHV" and newest 3), whatever follows the number.
bool IsNewerHeader(const std::string& header, const char* prefix, int newest);

// Before `path`, read as `readBytes`, is replaced by `newText`: when the two differ (part of what
// was read is dropped or changed), the read bytes are kept as path + ".bak" (".bak2" ... when
// earlier copies exist) and a line is logged. Windows line ends are line ends, as the reader reads
// them: a file that differs from newText only in those is not copied. Returns false only when
// that copy failed.
bool KeepCopyBeforeRewrite(const std::string& path, const std::string& readBytes, const std::string& newText);

// ---- names of the copies kept aside ----
// The n-th (from 1) copy of a damaged file moved or copied aside: path + ".bad", ".bad2", ".bad3" ...
std::string SetAsideCopyPath(const std::string& path, int n);
// The n-th (from 1) copy of a file as read, kept before it was written back: path + ".bak", ".bak2" ...
std::string KeptCopyPath(const std::string& path, int n);
// The copy of a learning file kept before a placement rewrote it.
std::string PrePlacementCopyPath(const std::string& path);
// The copies of path under each kind of name above that lie beside it now, gaps in the numbering
// included; another file whose name merely starts with path's name is never among them.
std::vector<std::string> SetAsideCopiesOf(const std::string& path);
std::vector<std::string> KeptCopiesOf(const std::string& path);
