// translations/scale_names: catalogue scale names in the UI language, each a whole name from the
// generated table (scale_names.tsv): the language's own word order and agreement, never word by word.
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
  // A scale's name is a name: its words read one by one would come out in English order, half
  // English, or as a preposition ("In-Sen"). Without a whole name the name stays as it is.
  if (const char* whole = WholeScaleName(name, code)) return whole;
  return name;
}
