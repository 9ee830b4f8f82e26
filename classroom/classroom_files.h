// classroom/classroom_files: how the classroom stores read and write their files in the Data folder.
//
// The registers are written whole after every change, so a file that is there but cannot be read
// must never be taken for an empty register: ReadClassroomFile moves it aside first, and when it
// cannot be moved WriteClassroomFile refuses to replace it for the rest of the run. A file read
// only in part (a damaged line, a line of a newer version) is copied aside before the store
// writes back what it understood.
#pragma once
#include <string>
#include <vector>

#include "learning/learning_files.h"   // FileAccess

// Data folder + name; "" without a Data folder (nothing is then read or written).
std::string ClassroomFilePath(const std::string& name);
// Reads the file's lines (byte-order mark dropped, trailing carriage returns removed); true only
// when the file was read. An unreadable file is set aside; false for it and for a missing file.
// raw, when given, receives the bytes as read.
bool ReadClassroomFile(const std::string& path, std::vector<std::string>* lines, std::string* raw = nullptr);
// Called by a store once it has understood the file read as raw: when text, what it would write
// back, differs from raw, the file as read is kept aside (logged); when that copy fails the file
// is held and never replaced this run.
void KeepClassroomCopyIfRewritten(const std::string& path, const std::string& raw, const std::string& text);
// Replaces the file whole through SaveFileAtomic; false when that fails or when the path holds an
// unreadable file that could not be set aside.
bool WriteClassroomFile(const std::string& path, const std::string& text, FileAccess access = FileAccess::kShared);
// Forgets the held paths.
void ResetClassroomFiles();
