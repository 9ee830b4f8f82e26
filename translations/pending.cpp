// translations/pending: the built-in tables come later; until then every lookup is "no entry".
#include "translations/word_tables.h"

// Filled in later with the built-in tables: no entry yet.
std::string LocalizeScaleName(const std::string& name, const std::string&) { return name; }
// Filled in later with the built-in tables: no entry yet.
std::string TranslateWord(const std::string&, const std::string& word) { return word; }
