// gfx/translation_files: where a translation file is looked for and how its lines are read.
// Anything unreadable is skipped: the built-in vocabulary stays in charge.
//
// The folders searched include the current folder's ancestors, which may be shared with other
// accounts (a start from inside the temporary folder); a locales folder or file that another
// account could have put there is passed over, except in the program's own folder. Only a regular
// file of at most kMaxTranslationFile bytes is read, and an overlong line is skipped.
#include "gfx/translation_files.h"

#include <filesystem>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/strings.h"
#include "gfx/script_text.h"
#include "platform/file_read.h"

namespace fs = std::filesystem;

// ---- constants ----
static const size_t kMaxTranslationFile = 4u << 20;   // the whole vocabulary is well under 1 MB
static const size_t kMaxTranslationLine = 16u << 10;  // far beyond any key and value pair

// ---- internal helpers ----

static bool IsJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Four hex digits at raw[i..i+3]; -1 when one is not hexadecimal.
static long ReadHex4(const std::string& raw, size_t i) {
  long v = 0;
  for (size_t k = 0; k < 4; ++k) {
    int h = HexDigitValue(raw[i + k]);
    if (h < 0) return -1;
    v = v * 16 + h;
  }
  return v;
}

static std::string DecodeJsonEscapes(const std::string& raw) {
  std::string out;
  size_t n = raw.size();
  for (size_t i = 0; i < n;) {
    char c = raw[i];
    if (c != '\\' || i + 1 >= n) {
      out.push_back(c);
      ++i;
      continue;
    }
    char e = raw[i + 1];
    switch (e) {
      case 'b': out.push_back('\b'); i += 2; continue;
      case 'f': out.push_back('\f'); i += 2; continue;
      case 'n': out.push_back('\n'); i += 2; continue;
      case 'r': out.push_back('\r'); i += 2; continue;
      case 't': out.push_back('\t'); i += 2; continue;
      case 'u': break;
      default: out.push_back(e); i += 2; continue;  // quote, backslash, slash and any other
    }
    // \u: fewer than four characters left drops "\u" and keeps the rest as text.
    if (i + 6 > n) {
      i += 2;
      continue;
    }
    long unit = ReadHex4(raw, i + 2);
    if (unit < 0) {
      i += 6;
      continue;
    }
    i += 6;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 6 <= n && raw[i] == '\\' && raw[i + 1] == 'u') {
      long low = ReadHex4(raw, i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (uint32_t(low) - 0xDC00));
        i += 6;
        continue;
      }
    }
    AppendUtf8(out, uint32_t(unit));  // a lone surrogate, which has no UTF-8 form, becomes U+FFFD
  }
  return out;
}

// ---- public functions ----

void FindLocalesFolders(const std::string& start, std::vector<std::string>& folders) {
  fs::path p = fs::path(start).lexically_normal();
  std::string s = p.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  p = fs::path(s);
  for (int level = 0; level < 4; ++level) {
    if (p.empty()) return;
    folders.push_back((p / "locales").string());
    if (!p.has_parent_path()) return;
    p = p.parent_path();
  }
}

bool LocaleFileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::file_status st = fs::status(path, ec);
  if (ec || !fs::exists(st)) return false;
  return !fs::is_directory(st);
}

bool ParseJsonString(const std::string& line, size_t& pos, std::string& out) {
  size_t i = pos;
  while (i < line.size() && IsJsonBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '"') return false;
  ++i;
  std::string raw;
  for (;;) {
    if (i >= line.size()) return false;
    char c = line[i];
    if (c == '"') break;
    if (c == '\\') {
      if (i + 1 >= line.size()) return false;
      raw.push_back(c);
      raw.push_back(line[i + 1]);
      i += 2;
      continue;
    }
    raw.push_back(c);
    ++i;
  }
  pos = i + 1;
  out = DecodeJsonEscapes(raw);
  return true;
}

std::string FormatSignature(const std::string& text) {
  static const char* const kConversions[] = {"zu", "llu", "lld", "lu", "ld", "s", "d", "i",
                                             "f",  "u",   "x",   "X",  "c",  "g"};
  std::string sig;
  size_t n = text.size();
  for (size_t i = 0; i < n;) {
    if (text[i] != '%') {
      ++i;
      continue;
    }
    if (i + 1 < n && text[i + 1] == '%') {
      i += 2;
      continue;
    }
    size_t j = i + 1;
    while (j < n && std::string_view("-+ #0").find(text[j]) != std::string_view::npos) ++j;
    while (j < n && text[j] >= '0' && text[j] <= '9') ++j;
    if (j + 1 < n && text[j] == '.' && text[j + 1] >= '0' && text[j + 1] <= '9') {
      ++j;
      while (j < n && text[j] >= '0' && text[j] <= '9') ++j;
    }
    bool matched = false;
    for (const char* conv : kConversions) {
      size_t len = std::char_traits<char>::length(conv);
      if (text.compare(j, len, conv) == 0) {
        sig.append(text, i, j + len - i);
        i = j + len;
        matched = true;
        break;
      }
    }
    if (!matched) {
      sig.push_back('!');
      i += 1;
    }
  }
  return sig;
}

std::string FindTranslationFile(const std::string& tag) {
  std::vector<std::string> folders;
  FindLocalesFolders(GetExeDir(), folders);
  const size_t ownFolders = folders.empty() ? 0 : 1;   // the executable's own locales folder
  std::string cwd = GetWorkingDir();
  if (!cwd.empty() && cwd.size() < 260) FindLocalesFolders(cwd, folders);
  for (size_t i = 0; i < folders.size(); ++i) {
    std::string candidate = (fs::path(folders[i]) / (tag + ".json")).string();
    if (!LocaleFileExists(candidate)) continue;
    if (i >= ownFolders && (OthersMayWrite(folders[i]) || OthersMayWrite(candidate))) {
      DebugLog("[language] %s could have been placed by another account; not read\n", candidate.c_str());
      continue;
    }
    return candidate;
  }
  return "";
}

bool ReadTranslationFile(const std::string& path, std::unordered_map<std::string, std::string>& map,
                         std::vector<TranslationLineProblem>* problems) {
  std::string text;
  FileReadResult read = ReadRegularFile(path, kMaxTranslationFile, &text);
  if (read != FileReadResult::kOk) {
    if (read != FileReadResult::kMissing) DebugLog("[language] %s: %s; not read\n", path.c_str(), FileReadResultText(read));
    return false;
  }
  // Lines that do not begin with a string (braces, blank lines) are no entries and pass unnoticed;
  // one that begins like an entry and is not taken is a translator's mistake worth naming.
  std::string name = fs::path(path).filename().string();
  int number = 0;
  auto refuse = [&](const char* why) {
    DebugLog("[language] %s:%d: %s; line skipped\n", name.c_str(), number, why);
    if (problems) problems->push_back({number, why});
  };
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    ++number;
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t first = text.find_first_not_of(" \t\r", start);
    bool entryLike = first < end && text[first] == '"';
    if (end - start > kMaxTranslationLine) {
      if (entryLike) refuse("line too long");
      continue;
    }
    std::string line = text.substr(start, end - start);
    size_t pos = 0;
    std::string key, value;
    if (!ParseJsonString(line, pos, key)) {
      if (entryLike) refuse("the English text has no closing quote");
      continue;
    }
    while (pos < line.size() && IsJsonBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != ':') {
      refuse("no colon after the English text");
      continue;
    }
    ++pos;
    if (!ParseJsonString(line, pos, value)) {
      refuse("the translation is not a string closed on the same line");
      continue;
    }
    if (key.find('%') != std::string::npos) {
      std::string sigKey = FormatSignature(key);
      if (!sigKey.empty() && sigKey.find('!') == std::string::npos && sigKey != FormatSignature(value)) {
        refuse("the translation's % conversions differ from the English");
        continue;
      }
    }
    if (key.empty()) {
      refuse("empty English text");
      continue;
    }
    // A value cut in the middle of a letter, or saved in another code page, would be drawn as
    // other letters; the English serves better.
    if (!IsStrictUtf8(key) || !IsStrictUtf8(value)) {
      refuse("not UTF-8");
      continue;
    }
    map[key] = value;
  }
  return true;
}
