// gfx/ui_language: which language the UI speaks. The choice is made once at start from the user's
// locale and the saved file, and changed later only from the start screen's language list.
#include "gfx/ui_language.h"

#include <cstdio>
#include <fstream>
#include <mutex>

#include "app/base/folders.h"
#include "app/base/maths.h"
#include "app/base/settings_file.h"
#include "app/base/strings.h"
#include "gfx/draw_alpha.h"
#include "gfx/translate.h"
#include "platform/file_replace.h"
#include "platform/locale.h"

// ---- constants ----

namespace {

struct LanguageRow {
  const char* locale;
  const char* code;
  const char* englishName;
  float hue;
};

constexpr LanguageRow kLanguageRows[25] = {
    {"en-US", "en", "English", 0.58f},           {"es-ES", "es", "Spanish", 0.10f},
    {"fr-FR", "fr", "French", 0.82f},            {"de-DE", "de", "German", 0.22f},
    {"it-IT", "it", "Italian", 0.33f},           {"pt-BR", "pt", "Portuguese", 0.94f},
    {"nl-NL", "nl", "Dutch", 0.53f},             {"sv-SE", "sv", "Swedish", 0.60f},
    {"da-DK", "da", "Danish", 0.64f},            {"nb-NO", "no", "Norwegian", 0.67f},
    {"fi-FI", "fi", "Finnish", 0.70f},           {"pl-PL", "pl", "Polish", 0.03f},
    {"cs-CZ", "cs", "Czech", 0.06f},             {"hu-HU", "hu", "Hungarian", 0.15f},
    {"ro-RO", "ro", "Romanian", 0.18f},          {"tr-TR", "tr", "Turkish", 0.25f},
    {"id-ID", "id", "Indonesian", 0.38f},        {"vi-VN", "vi", "Vietnamese", 0.42f},
    {"ru-RU", "ru", "Russian (Latin)", 0.76f},   {"uk-UA", "uk", "Ukrainian (Latin)", 0.79f},
    {"ja-JP", "ja", "Japanese (Romaji)", 0.86f}, {"ko-KR", "ko", "Korean (Romaja)", 0.89f},
    {"zh-CN", "zh", "Chinese (Pinyin)", 0.92f},  {"ar-SA", "ar", "Arabic (Latin)", 0.97f},
    {"hi-IN", "hi", "Hindi (Latin)", 0.47f},
};

// Languages whose list label is their own name in their own script.
constexpr const char* kOwnScriptLabels[][2] = {
    {"ja", "日本語"}, {"ko", "한국어"}, {"zh", "简体中文"}, {"ru", "Русский"},
    {"uk", "Українська"}, {"ar", "العربية"}, {"hi", "हिन्दी"},
};

}  // namespace

// ---- state ----

std::string& gUiLanguage = *new std::string("en-US");  // never destroyed (see Tr)
std::vector<LanguageEntry> gLanguageList;
int gLanguageIndex = 0;
static bool gLanguageListBuilt = false;  // InitUiLanguage ran

// ---- internal helpers ----

static void BuildLanguageList() {
  gLanguageList.clear();
  for (const LanguageRow& row : kLanguageRows) {
    LanguageEntry e;
    e.locale = row.locale;
    e.code = row.code;
    e.label = row.englishName;
    HsvToRgb(row.hue, 0.42f, 0.95f, &e.r, &e.g, &e.b);
    e.r = ClampFloat(e.r, 0, 1);
    e.g = ClampFloat(e.g, 0, 1);
    e.b = ClampFloat(e.b, 0, 1);
    gLanguageList.push_back(e);
  }
  for (const auto& own : kOwnScriptLabels)
    for (LanguageEntry& e : gLanguageList)
      if (e.code == own[0]) e.label = own[1];
}

// ---- public functions ----

std::string LanguageCodeOf(const std::string& tag) {
  if (tag.empty()) return "en";
  std::string t = tag;
  for (char& c : t)
    if (c == '_') c = '-';
  size_t dash = t.find('-');
  if (dash != std::string::npos) t.resize(dash);
  t = AsciiLower(t);
  if (t == "nb" || t == "nn") return "no";
  if (t.empty()) return "en";
  return t;
}

int ChooseStartLanguage(const std::string& userTag, const std::string& savedTag) {
  int index = 0;
  std::string userCode = AsciiLower(LanguageCodeOf(userTag));
  for (size_t i = 0; i < std::size(kLanguageRows); ++i)
    if (userCode == kLanguageRows[i].code) {
      index = int(i);
      break;
    }
  if (savedTag.empty()) return index;
  std::string saved = AsciiLower(savedTag);
  for (size_t i = 0; i < std::size(kLanguageRows); ++i)
    if (saved == AsciiLower(kLanguageRows[i].locale)) return int(i);
  std::string savedCode = AsciiLower(LanguageCodeOf(savedTag));
  for (size_t i = 0; i < std::size(kLanguageRows); ++i)
    if (savedCode == kLanguageRows[i].code) return int(i);
  return index;
}

void InitUiLanguage() {
  if (gLanguageListBuilt) return;
  gLanguageListBuilt = true;
  BuildLanguageList();
  std::string userTag = UserLocaleTag();
  if (userTag.empty()) userTag = "en-US";
  int index = ChooseStartLanguage(userTag, ReadUiLanguageFile());
  ApplyUiLanguage(index, false);
}

void ApplyUiLanguage(int index, bool save) {
  InitUiLanguage();
  int last = int(gLanguageList.size()) - 1;
  if (index > last) index = last;
  if (index < 0) index = 0;
  gLanguageIndex = index;
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = gLanguageList[index].locale;
  }
  if (save) ReplaceFileWithContent(UiLanguagePath(), gUiLanguage, nullptr);
}

std::string UiLanguagePath() { return GetDataFilePath("ui_language.txt"); }

std::string ReadUiLanguageFile() { return ReadSettingLine(UiLanguagePath()); }

void ResetUiLanguageForTesting() {
  gLanguageListBuilt = false;
  gLanguageList.clear();
  gLanguageIndex = 0;
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = "en-US";
}
