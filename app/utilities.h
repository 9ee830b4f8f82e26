// app/utilities: small shared helpers: clocks, text, dates, rectangles, colours, paths.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/rect.h"

// 64-bit milliseconds with the 32-bit clock's resolution, unwrapped against the 64-bit count.
uint64_t GetMonotonicMs();
// Seconds since the first call (which returns 0); animation and UI timing.
float GetAppSeconds();
// Wall-clock seconds since the epoch.
int64_t NowSeconds();
// Copy without leading and trailing ASCII whitespace; bytes >= 0x80 are kept.
std::string TrimWhitespace(const std::string& s);
// "YYYY-MM-DD" with month 1..12 and day 1..31 (not checked against the month's length).
bool IsValidIsoDate(const std::string& s);
// At most maxBytes bytes, cut on a character boundary with "..." when cut (maxBytes >= 4).
std::string TruncateUtf8(const std::string& s, int maxBytes);
// Edges included.
bool PointInRect(const RectF& r, int px, int py);
// h in turns (fraction counts), s and v in 0..1.
void HsvToRgb(float h, float s, float v, float* r, float* g, float* b);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& s);
// folder + name with one separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);
// "windows", "mac", "unknown" or the lower-cased trimmed text.
std::string NormalizePlatform(const std::string& s);
// "linux-YYYYMMDD" of the build date.
std::string GetBuildId();
// The same from a compiler date text "Mmm dd yyyy".
std::string FormatBuildId(const char* platform, const char* compilerDate);
