// classroom/classroom_files: how the classroom stores read and write their files in the Data folder.
//
// The registers are written whole after every change, so a file that is there but cannot be read
// must never be taken for an empty register: ReadClassroomFile moves it aside first, and when it
// cannot be moved WriteClassroomFile refuses to replace it for the rest of the run.
#pragma once
#include <string>
#include <vector>

// Data folder + name; "" without a Data folder (nothing is then read or written).
std::string ClassroomFilePath(const std::string& name);
// Reads the file's lines (byte-order mark dropped, trailing carriage returns removed); true only
// when the file was read. An unreadable file is set aside; false for it and for a missing file.
bool ReadClassroomFile(const std::string& path, std::vector<std::string>* lines);
// Replaces the file whole through SaveFileAtomic; false when that fails or when the path holds an
// unreadable file that could not be set aside.
bool WriteClassroomFile(const std::string& path, const std::string& text);
// Forgets the held paths.
void ResetClassroomFiles();
