// practice/teaching_file: each student's teaching file.
#pragma once
#include <string>

// An empty id becomes "default"; every byte other than a-z, A-Z, 0-9, "-" and "_" becomes "_".
std::string SanitizeStudentId(const std::string& id);
