// app/base/build_id: the build id from the compiler's date and the platform names.
#include "app/base/build_id.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/base/strings.h"

// ---- public functions ----
std::string NormalizePlatform(const std::string& s) {
  std::string t = TrimWhitespace(s);
  t = AsciiLower(t);
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
