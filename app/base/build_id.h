// app/base/build_id: the build's identity and the platform names the program reports.
#pragma once
#include <string>

// "windows", "mac", "unknown" or the lower-cased trimmed text.
std::string NormalizePlatform(const std::string& s);
// "linux-YYYYMMDD" of the build date.
std::string GetBuildId();
// The same from a compiler date text "Mmm dd yyyy".
std::string FormatBuildId(const char* platform, const char* compilerDate);
