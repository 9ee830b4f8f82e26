// app/utilities: the small helpers' exact rules, shared by many subsystems.
#include "app/utilities.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"

// ---- public functions ----
uint64_t GetMonotonicMs() {
  const uint64_t kWrap = 1ull << 32;
  const uint64_t kHalf = 1ull << 31;
  uint64_t t = ClockTickMs64();
  uint64_t v = (t & ~0xFFFFFFFFull) | ClockMs32();
  if (v > t + kHalf && v >= kWrap) return v - kWrap;
  if (t > v + kHalf) return v + kWrap;
  return v;
}

float GetAppSeconds() {
  static const uint64_t start = ClockTickMs64();
  uint64_t now = ClockTickMs64();
  double elapsed = (double)(int64_t)(now - start) * 0.001;
  return (float)elapsed;
}

int64_t NowSeconds() { return ClockWallSeconds(); }

std::string TrimWhitespace(const std::string& s) {
  auto isSpace = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  size_t b = 0, e = s.size();
  while (b < e && isSpace(s[b])) ++b;
  while (e > b && isSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsValidIsoDate(const std::string& s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
  for (int i = 0; i < 10; ++i)
    if (i != 4 && i != 7 && (s[i] < '0' || s[i] > '9')) return false;
  int month = (s[5] - '0') * 10 + (s[6] - '0');
  int day = (s[8] - '0') * 10 + (s[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::string TruncateUtf8(const std::string& s, int maxBytes) {
  if (maxBytes < 1) return "";
  if (s.size() <= (size_t)maxBytes) return s;
  if (maxBytes < 4) return s.substr(0, (size_t)maxBytes);
  size_t cut = (size_t)maxBytes - 3;
  while (cut > 0 && ((unsigned char)s[cut] & 0xC0) == 0x80) --cut;
  return s.substr(0, cut) + "...";
}

bool PointInRect(const RectF& r, int px, int py) {
  float x = (float)px, y = (float)py;
  return r.x <= x && x <= r.x + r.w && r.y <= y && y <= r.y + r.h;
}

void HsvToRgb(float h, float s, float v, float* r, float* g, float* b) {
  s = s < 0 ? 0 : (s > 1 ? 1 : s);
  v = v < 0 ? 0 : (v > 1 ? 1 : v);
  if (s <= 0.0001f) {
    *r = *g = *b = v;
    return;
  }
  float hf = (h - std::floor(h)) * 6.0f;
  int i = (int)std::floor(hf);
  float f = hf - (float)i;
  float p = (1 - s) * v, q = (1 - f * s) * v, t = (1 - (1 - f) * s) * v;
  switch (((i % 6) + 6) % 6) {
    case 0: *r = v; *g = t; *b = p; break;
    case 1: *r = q; *g = v; *b = p; break;
    case 2: *r = p; *g = v; *b = t; break;
    case 3: *r = p; *g = q; *b = v; break;
    case 4: *r = t; *g = p; *b = v; break;
    default: *r = v; *g = p; *b = q; break;
  }
}

std::string Utf16ToUtf8(const std::u16string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += (char)c;
    } else if (c < 0x800) {
      out += (char)(0xC0 | (c >> 6));
      out += (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += (char)(0xE0 | (c >> 12));
      out += (char)(0x80 | ((c >> 6) & 0x3F));
      out += (char)(0x80 | (c & 0x3F));
    } else {
      out += (char)(0xF0 | (c >> 18));
      out += (char)(0x80 | ((c >> 12) & 0x3F));
      out += (char)(0x80 | ((c >> 6) & 0x3F));
      out += (char)(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}

std::string NormalizePlatform(const std::string& s) {
  std::string t = TrimWhitespace(s);
  for (char& c : t) c = (char)std::tolower((unsigned char)c);
  if (t == "windows" || t == "win" || t == "win32") return "windows";
  if (t == "mac" || t == "macos" || t == "darwin" || t == "osx") return "mac";
  if (t.empty()) return "unknown";
  return t;
}

std::string FormatBuildId(const char* platform, const char* compilerDate) {
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  int month = 1;
  for (int m = 0; m < 12; ++m)
    if (strncmp(compilerDate, kMonths + 3 * m, 3) == 0) month = m + 1;
  int day = atoi(compilerDate + 4);
  int year = atoi(compilerDate + 7);
  char buf[32];
  snprintf(buf, sizeof buf, "%s-%04d%02d%02d", platform, year, month, day);
  return buf;
}

std::string GetBuildId() { return FormatBuildId("linux", __DATE__); }
