// app/base/settings_file: the settings-line reader.
#include "app/base/settings_file.h"

#include <algorithm>

#include "app/base/strings.h"
#include "platform/file_read.h"

// ---- constants ----
static const size_t kMaxSettingLine = 4096;         // a longer first line is cut
static const size_t kMaxSettingFile = 64u << 10;    // a larger file is no settings file

// ---- public functions ----
std::string ReadSettingLine(const std::string& path) {
  std::string text;
  if (ReadRegularFile(path, kMaxSettingFile, &text) != FileReadResult::kOk) return "";
  std::string line = text.substr(0, std::min(text.find('\n'), kMaxSettingLine));
  // A byte-order mark from an editor is not part of the value.
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  return TrimWhitespace(line);
}
