// gfx/translate: the translation call. Order of lookup: translation file, scale names, special
// keys, whole phrases, prefixes, then word by word (never a partial translation of several words).
// Nothing is cached but the file map: Tr is cheap enough to run for every text on every frame.
#include "gfx/translate.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "gfx/translate_tables.h"
#include "gfx/translation_files.h"
#include "gfx/ui_language.h"
#include "translations/word_tables.h"

// ---- state ----

// What Tr reads is never destroyed: a classroom worker that outlives the exit's wait for it may
// still translate its status while the process ends.
static thread_local int gTrSuppressDepth = 0;  // per thread; no lock needed
std::recursive_mutex& gTrMutex = *new std::recursive_mutex();

// The tag whose file was last loaded and that file's entries; guarded by gTrMutex.
static std::string& TrFileTag() {
  static std::string* tag = new std::string();
  return *tag;
}
static std::unordered_map<std::string, std::string>& TrFileMap() {
  static auto* map = new std::unordered_map<std::string, std::string>();
  return *map;
}
static bool gTrFileLoaded = false;  // the tag above has been looked for at least once
static WordTranslator gWordTranslator = nullptr;  // a test's word table; null: the built-in one

// ---- internal helpers ----

static bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

static void FlushTranslatedWord(std::string& word, const std::string& code, std::string& out, int* words,
                                int* translated) {
  if (word.empty()) return;
  bool noLower = true, noUpper = true;
  for (char c : word) {
    if (c >= 'a' && c <= 'z') noLower = false;
    if (c >= 'A' && c <= 'Z') noUpper = false;
  }
  std::string key = word;
  for (size_t i = 0; i < key.size(); ++i) {
    char c = key[i];
    if (i == 0 && c >= 'a' && c <= 'z') key[i] = char(c - 'a' + 'A');
    if (i > 0 && c >= 'A' && c <= 'Z') key[i] = char(c - 'A' + 'a');
  }
  std::string t = gWordTranslator ? gWordTranslator(code, key) : TranslateWord(code, key);
  if (words) ++*words;
  if (translated && t != key) ++*translated;
  if (noLower) {
    for (char& c : t)
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  } else if (noUpper) {
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  out += t;
  word.clear();
}

// The translation file of the current tag, loaded when the tag changed.
static bool LookUpTranslationFile(const std::string& english, std::string* answer) {
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  std::string& tag = TrFileTag();
  auto& map = TrFileMap();
  if (!gTrFileLoaded || tag != gUiLanguage) {
    tag = gUiLanguage;
    gTrFileLoaded = true;
    map.clear();
    std::string path = FindTranslationFile(tag);
    if (!path.empty()) ReadTranslationFile(path, map);
  }
  auto it = map.find(english);
  if (it == map.end() || it->second.empty()) return false;
  *answer = it->second;
  return true;
}

static const char* SpecialKeyAnswer(const std::string& english, const std::string& code) {
  for (int k = 0; k < kTrSpecialKeyCount; ++k) {
    if (english != kTrSpecialKeys[k]) continue;
    for (const TrSpecialRow& row : kTrSpecialAnswers)
      if (code == row.code) return row.answers[k];
    return nullptr;
  }
  return nullptr;
}

// ---- public functions ----

void PushTrSuppress() { ++gTrSuppressDepth; }
void PopTrSuppress() { --gTrSuppressDepth; }

const char* PickLanguageColumn(const std::string& code, const char* const row[6]) {
  if (code == "es") return row[1];
  if (code == "fr") return row[2];
  if (code == "de") return row[3];
  if (code == "it") return row[4];
  if (code == "pt") return row[5];
  return nullptr;
}

std::string TranslatePrefix(const std::string& text, const std::string& code, const char* const row[6]) {
  size_t len = std::strlen(row[0]);
  if (text.compare(0, len, row[0]) != 0) return "";
  const char* column = PickLanguageColumn(code, row);
  if (!column) return "";
  return std::string(column) + text.substr(len);
}

std::string TranslateWords(const std::string& text, const std::string& code, int* words, int* translated) {
  if (words) *words = 0;
  if (translated) *translated = 0;
  if (code == "en" || text.empty()) return text;
  std::string out, word;
  out.reserve(text.size());
  for (char c : text) {
    if (IsAsciiLetter(c)) {
      word.push_back(c);
      continue;
    }
    FlushTranslatedWord(word, code, out, words, translated);
    out.push_back(c);
  }
  FlushTranslatedWord(word, code, out, words, translated);
  return out;
}

std::string Tr(const std::string& english) {
  if (gTrSuppressDepth > 0) return english;
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  std::string code = LanguageCodeOf(gUiLanguage);
  if (code == "en") return english;

  std::string answer;
  if (!english.empty() && LookUpTranslationFile(english, &answer)) return answer;
  if (IsScaleDisplayName(english)) return LocalizeScaleName(english, code);
  if (const char* special = SpecialKeyAnswer(english, code)) return special;

  for (const auto& row : kTrPhrases) {
    if (english != row[0]) continue;
    if (const char* column = PickLanguageColumn(code, row)) return column;
    break;
  }

  for (const auto& row : kTrPrefixes) {
    std::string prefixed = TranslatePrefix(english, code, row);
    if (prefixed.empty()) continue;
    int words = 0, translated = 0;
    TranslateWords(english.substr(std::strlen(row[0])), code, &words, &translated);
    if (words < 2 || translated == words) return prefixed;
    break;
  }

  int words = 0, translated = 0;
  std::string result = TranslateWords(english, code, &words, &translated);
  if (words >= 2 && translated < words) return english;
  return result;
}

std::string TrScaleLabel(const std::string& label) {
  size_t blank = label.find(' ');
  bool note = blank >= 1 && blank <= 2 && label[0] >= 'A' && label[0] <= 'G' &&
              (blank == 1 || label[1] == '#' || label[1] == 'b');
  if (!note || blank + 1 >= label.size()) return Tr(label);
  return label.substr(0, blank + 1) + Tr(label.substr(blank + 1));
}

std::string TrCStr(const char* english) { return Tr(english ? std::string(english) : std::string()); }

std::string TrCopy(std::string english) { return Tr(english); }

std::string TrF(const char* format, ...) {
  if (!format) return "";
  std::string english = format;
  std::string translated = Tr(english);
  // A translated template may only format what the English one formats: same conversions in the
  // same order, and none the reader does not know ("%n", "%*d", "%1$s" all count as unknown).
  const char* use = english.c_str();
  if (translated != english) {
    std::string sig = FormatSignature(translated);
    if (sig == FormatSignature(english) && sig.find('!') == std::string::npos) use = translated.c_str();
  }
  char buffer[512];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(buffer, sizeof buffer, use, args);
  va_end(args);
  if (length < 0) {
    va_end(again);
    return use == english.c_str() ? english : translated;
  }
  if (length < int(sizeof buffer)) {
    va_end(again);
    return std::string(buffer, size_t(length));
  }
  std::string out(size_t(length) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), use, again);
  va_end(again);
  out.resize(size_t(length));
  return out;
}

int TrPhraseRowCount() { return kTrPhraseCount; }
const char* const* TrPhraseRow(int i) { return kTrPhrases[i]; }

void SetWordTranslatorForTesting(WordTranslator translator) { gWordTranslator = translator; }

void ResetTranslationFileForTesting() {
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  TrFileTag().clear();
  TrFileMap().clear();
  gTrFileLoaded = false;
}
