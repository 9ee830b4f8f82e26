// app/base/settings_file: the settings-line reader.
#include "app/base/settings_file.h"

#include <cstdio>

#include "app/base/strings.h"

// ---- constants ----
static const size_t kMaxSettingLine = 4096;   // a longer first line is cut, never read whole

// ---- public functions ----
std::string ReadSettingLine(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return "";
  std::string line;
  int c;
  while ((c = fgetc(f)) != EOF && c != '\n' && line.size() < kMaxSettingLine) line.push_back((char)c);
  fclose(f);
  // A byte-order mark from an editor is not part of the value.
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  return TrimWhitespace(line);
}
