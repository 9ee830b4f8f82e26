// translations/scale_names: catalogue scale names in the UI language. Most go word by word; the
// generated whole-name table holds the few whose words make no sense one by one (the Japanese
// scale names and "Mi Sheberach" in CJK, "Octatonic H-W" in Arabic and Hindi, "Whole Tone" in
// the languages that have one word for it).
#include "translations/scale_display_names.h"
#include "translations/table_data.h"
#include "translations/word_tables.h"

static const char* WholeScaleName(const std::string& name, const std::string& code) {
  for (int i = 0; i < kTableLanguageCount; ++i) {
    if (code != kTableLanguageCodes[i]) continue;
    for (int r = 0; r < kWholeScaleNameCount; ++r)
      if (name == kWholeScaleNames[r].english) return kWholeScaleNames[r].values[i];
    return nullptr;
  }
  return nullptr;
}

void FlushScaleNameWord(std::string& word, const std::string& code, std::string& out) {
  if (word.empty()) return;
  out += TranslateWord(code, word);
  word.clear();
}

std::string LocalizeScaleName(const std::string& name, const std::string& code) {
  if (code == "en" || !IsScaleDisplayName(name)) return name;
  if (const char* whole = WholeScaleName(name, code)) return whole;
  // "Mixo" stays as it is: only the blues half of the name is a word of the table.
  if (name == "Mixo-Blues") return "Mixo-" + TranslateWord(code, "Blues");
  // Words go to the table as they stand in the name; single letters ("H-W") find no entry.
  std::string out, word;
  for (char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      word.push_back(c);
      continue;
    }
    FlushScaleNameWord(word, code, out);
    out.push_back(c);
  }
  FlushScaleNameWord(word, code, out);
  return out;
}
