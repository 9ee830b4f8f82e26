// platform/locale: the user's locale tag from the environment variables of the C library.
#include "platform/locale.h"

#include <cstdlib>

std::string LocaleTagFromValue(const std::string& value) {
  std::string v = value;
  size_t cut = v.find_first_of(".@");
  if (cut != std::string::npos) v.resize(cut);
  if (v.empty()) return "";
  if (v == "C" || v == "POSIX") return "en-US";
  for (char& c : v)
    if (c == '_') c = '-';
  return v;
}

std::string UserLocaleTag() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return LocaleTagFromValue(value);
  }
  return "";
}
