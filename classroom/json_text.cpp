// classroom/json_text: JSON escaping and key-search readers.
//
// Every loop moves forward by at least one byte and stops at the end of its text, so a reply that
// is cut short, nested without end or full of escapes costs at most one pass over it.
#include "classroom/json_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "app/base/strings.h"

// ---- constants ----
// Deepest object JsonAllObjects hands out. Its callers read each object's own keys in a pass over
// the object, so every level handed out costs a pass over the reply; replies nest three deep.
static const size_t kMaxObjectDepth = 16;

// ---- internal helpers ----
static bool IsJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Four hex digits at text[at]; -1 when they are not there.
static int32_t ReadHex4(const std::string& text, size_t at, size_t end) {
  if (at + 4 > end) return -1;
  int32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    int digit = HexDigitValue(text[at + i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// A decoded character as it may stand in a status line: control characters become a blank.
static void AppendShown(std::string* out, uint32_t cp) { AppendUtf8(*out, cp < 0x20 ? ' ' : cp); }

// A \u escape whose "u" is at text[u]: appends its character and returns the index after it.
static size_t DecodeUnicodeEscape(const std::string& text, size_t u, size_t end, std::string* out) {
  int32_t first = ReadHex4(text, u + 1, end);
  if (first < 0) {
    out->push_back('u');   // not an escape after all: the letter stands as it is
    return u + 1;
  }
  size_t next = u + 5;
  if (first >= 0xD800 && first <= 0xDBFF && next + 1 < end && text[next] == '\\' &&
      text[next + 1] == 'u') {
    int32_t second = ReadHex4(text, next + 2, end);
    if (second >= 0xDC00 && second <= 0xDFFF) {
      AppendShown(out, 0x10000u + (((uint32_t)first - 0xD800u) << 10) + ((uint32_t)second - 0xDC00u));
      return next + 6;
    }
  }
  AppendShown(out, (uint32_t)first);
  return next;
}

// The position just after the colon (and blanks) that follow the first "key" at or after start;
// npos when there is none.
static size_t FindValueStart(const std::string& text, const std::string& key, size_t start) {
  std::string pattern = "\"" + key + "\"";
  size_t at = text.find(pattern, start);
  if (at == std::string::npos) return std::string::npos;
  size_t i = at + pattern.size();
  bool colon = false;
  while (i < text.size() && (IsJsonBlank(text[i]) || text[i] == ':')) {
    colon = colon || text[i] == ':';
    ++i;
  }
  if (!colon || i >= text.size()) return std::string::npos;
  return i;
}

// ---- public functions ----
std::string JsonEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (unsigned char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          snprintf(buf, sizeof buf, "\\u%04X", (unsigned)c);
          out += buf;
        } else {
          out.push_back((char)c);
        }
    }
  }
  return out;
}

// The decoded string whose opening quote is at text[quote], read no further than end.
static std::string DecodeStringBefore(const std::string& text, size_t quote, size_t end) {
  std::string out;
  size_t i = quote + 1;
  while (i < end) {
    char c = text[i];
    if (c == '"') break;
    if (c != '\\') {
      out.push_back((unsigned char)c < 0x20 ? ' ' : c);
      ++i;
      continue;
    }
    if (i + 1 >= end) break;   // a lone backslash at the end of a cut reply
    char e = text[i + 1];
    switch (e) {
      case 'b': case 'f': case 'n': case 'r': case 't': out.push_back(' '); i += 2; break;
      case 'u': i = DecodeUnicodeEscape(text, i + 1, end, &out); break;
      default: out.push_back((unsigned char)e < 0x20 ? ' ' : e); i += 2; break;
    }
  }
  return out;
}

std::string JsonDecodeStringAt(const std::string& text, size_t quote) {
  return DecodeStringBefore(text, quote, text.size());
}

std::string JsonFieldString(const std::string& obj, const std::string& key) {
  return JsonStringFrom(obj, key, 0);
}

std::string JsonStringFrom(const std::string& text, const std::string& key, size_t start) {
  if (start >= text.size()) return "";
  size_t at = FindValueStart(text, key, start);
  if (at == std::string::npos || text[at] != '"') return "";
  return JsonDecodeStringAt(text, at);
}

int JsonFieldInt(const std::string& obj, const std::string& key) {
  size_t i = FindValueStart(obj, key, 0);
  if (i == std::string::npos) return -1;
  bool negative = false;
  if (obj[i] == '-') {
    negative = true;
    ++i;
  }
  if (i >= obj.size() || obj[i] < '0' || obj[i] > '9') return -1;
  // 64 bits hold any 32-bit value with room to spare; past that the digits are only consumed.
  const int64_t kLimit = (int64_t)1 << 31;
  int64_t value = 0;
  for (; i < obj.size() && obj[i] >= '0' && obj[i] <= '9'; ++i)
    if (value <= kLimit) value = value * 10 + (obj[i] - '0');
  if (negative) value = -value;
  if (value < -kLimit || value > kLimit - 1) return -1;
  return (int)value;
}

std::vector<JsonSpan> JsonArrayObjects(const std::string& text, size_t open) {
  std::vector<JsonSpan> objects;
  if (open >= text.size() || text[open] != '[') return objects;
  int brackets = 0, braces = 0;
  bool inString = false;
  size_t objectStart = 0;
  for (size_t i = open; i < text.size(); ++i) {
    char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
      continue;
    }
    switch (c) {
      case '"': inString = true; break;
      case '[': ++brackets; break;
      case ']':
        if (--brackets == 0) return objects;
        break;
      case '{':
        if (braces++ == 0) objectStart = i;
        break;
      case '}':
        if (braces > 0 && --braces == 0 && brackets == 1) objects.push_back(JsonSpan{objectStart, i + 1});
        break;
      default: break;
    }
  }
  return objects;
}

// The index just past the closing quote of the string whose opening quote is at text[quote]
// (end when it is cut short).
static size_t SkipString(const std::string& text, size_t quote, size_t end) {
  size_t i = quote + 1;
  while (i < end && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
  return i < end ? i + 1 : end;
}

std::vector<JsonSpan> JsonAllObjects(const std::string& text) {
  std::vector<JsonSpan> objects;
  std::vector<size_t> open;   // positions of the objects opened and not yet closed
  std::vector<size_t> order;  // for each entry of objects, its opening position
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '"') {
      i = SkipString(text, i, text.size());
      continue;
    }
    if (c == '{') open.push_back(i);
    if (c == '}' && !open.empty()) {
      if (open.size() <= kMaxObjectDepth) objects.push_back(JsonSpan{open.back(), i + 1});
      open.pop_back();
    }
    ++i;
  }
  std::sort(objects.begin(), objects.end(), [](const JsonSpan& a, const JsonSpan& b) { return a.begin < b.begin; });
  return objects;
}

std::string JsonOwnString(const std::string& text, JsonSpan obj, const std::string& key, bool* present) {
  if (present) *present = false;
  size_t end = std::min(obj.end, text.size());
  int depth = 0;   // nesting inside obj
  for (size_t i = obj.begin + 1; i < end;) {
    char c = text[i];
    if (c == '{' || c == '[') ++depth;
    if (c == '}' || c == ']') --depth;
    if (c != '"') {
      ++i;
      continue;
    }
    size_t after = SkipString(text, i, end);
    if (depth != 0) {
      i = after;
      continue;
    }
    size_t v = after;
    while (v < end && IsJsonBlank(text[v])) ++v;
    bool named = after - i - 2 == key.size() && text.compare(i + 1, key.size(), key) == 0;
    if (v < end && text[v] == ':' && named) {
      if (present) *present = true;
      ++v;
      while (v < end && IsJsonBlank(text[v])) ++v;
      return v < end && text[v] == '"' ? DecodeStringBefore(text, v, end) : "";
    }
    i = after;
  }
  return "";
}

bool LooksLikeJsonObject(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n"), last = text.find_last_not_of(" \t\r\n");
  return first != std::string::npos && text[first] == '{' && text[last] == '}';
}
