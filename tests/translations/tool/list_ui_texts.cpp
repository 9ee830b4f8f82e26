// Prints the collected UI texts as the translators' work list: the text as it is written in a
// translation file (JSON-escaped), "T" for a template, and where the program shows it.
// Usage: list_ui_texts <source root> [library folder]
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/translations/ui_text_collection.h"

static std::string JsonEscaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (c == '\t') {
      out += "\\t";
      continue;
    }
    out += c;
  }
  return out;
}

// The texts that stay as they are: text -> "languages: reason".
static std::map<std::string, std::string> ReadKeptTexts(const std::string& path) {
  std::map<std::string, std::string> kept;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    size_t tab = line.find('\t'), reason = line.find('\t', tab + 1);
    if (line.empty() || line[0] == '#' || reason == std::string::npos) continue;
    kept[line.substr(0, tab)] = line.substr(tab + 1, reason - tab - 1) + ": " + line.substr(reason + 1);
  }
  return kept;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <source root> [library folder]\n", argv[0]);
    return 2;
  }
  std::map<std::string, std::string> kept = ReadKeptTexts(std::string(argv[1]) + "/translations/untranslated_ui_texts.tsv");
  std::printf("# text (as written in a translation file)\ttemplate\twhere it is shown\tnote\n");
  for (const UiText& u : CollectUiTexts(argv[1], argc > 2 ? argv[2] : "")) {
    if (!HasWords(u.text)) continue;
    std::string note;
    if (kept.count(u.text)) note = "NOT LISTED in " + kept[u.text];
    if (u.hasTail) note += std::string(note.empty() ? "" : "; ") + "joined to a run-time value";
    std::printf("%s\t%s\t%s\t%s\n", JsonEscaped(u.text).c_str(), u.isTemplate ? "T" : "", u.where.c_str(), note.c_str());
  }
  return 0;
}
