// translations/word_lookup: one English word in one language. The generated table holds, per word
// and language, the value that the original three-table order (Arabic and Hindi words, then CJK
// words, then the general table) would give, so one binary search answers it.
#include <cstring>

#include "translations/table_data.h"
#include "translations/word_tables.h"

// ---- internal helpers ----

// The column of a code in the generated rows; -1 for "en" and unknown codes.
static int LanguageColumn(const std::string& code) {
  for (int i = 0; i < kTableLanguageCount; ++i)
    if (code == kTableLanguageCodes[i]) return i;
  return -1;
}

static const WordRow* FindWordRow(const char* word) {
  int low = 0, high = kWordRowCount - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    int order = std::strcmp(kWordRows[mid].english, word);
    if (order == 0) return &kWordRows[mid];
    if (order < 0)
      low = mid + 1;
    else
      high = mid - 1;
  }
  return nullptr;
}

// ---- public functions ----

std::string TranslateWord(const std::string& code, const std::string& word) {
  int column = LanguageColumn(code);
  // A word holding a NUL byte can equal no key; strcmp would see only its head.
  if (column < 0 || word.find('\0') != std::string::npos) return word;
  const WordRow* row = FindWordRow(word.c_str());
  if (!row || !row->values[column]) return word;
  return row->values[column];
}

bool IsLangInList(const std::string& code, std::initializer_list<const char*> codes) {
  for (const char* listed : codes)
    if (code == listed) return true;
  return false;
}
