// app/base/strings: text helpers: trimming, ASCII lower case, UTF-8 cuts, encoding and UTF-16
// conversion, hexadecimal digits, date-text checks.
#pragma once
#include <cstdint>
#include <string>

// Copy without leading and trailing ASCII whitespace; bytes >= 0x80 are kept.
std::string TrimWhitespace(const std::string& s);
// The text with A-Z turned into a-z; every other byte (UTF-8 included) unchanged.
std::string AsciiLower(std::string s);
// "YYYY-MM-DD" with month 1..12 and day 1..31 (not checked against the month's length).
bool IsValidIsoDate(const std::string& s);
// At most maxBytes bytes, cut on a character boundary with "..." when cut (maxBytes >= 4).
std::string TruncateUtf8(const std::string& s, int maxBytes);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& s);
// Appends the code point as UTF-8; a surrogate or a value past U+10FFFF, which have no UTF-8 form,
// becomes U+FFFD.
void AppendUtf8(std::string& out, uint32_t cp);
// The value of a hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);
