// The UI language: codes of tags, the start-up choice from the user locale and the saved file,
// applying and saving a choice, and the whole-file writer behind the settings files.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "gfx/ui_language.h"
#include "platform/locale.h"
#include "tests/support/test_support.h"

namespace {

TEST(LanguageTags, CodesOfTagsAndTagsOfLocaleValues) {
  const std::pair<const char*, const char*> codes[] = {
      {"de-DE", "de"}, {"pt_BR", "pt"}, {"nb-NO", "no"}, {"nn", "no"}, {"EN", "en"}, {"", "en"}, {"-DE", "en"},
  };
  for (const auto& c : codes) EXPECT_EQ(LanguageCodeOf(c.first), c.second) << c.first;
  const std::pair<const char*, const char*> tags[] = {
      {"de_DE.UTF-8", "de-DE"}, {"C", "en-US"}, {"POSIX", "en-US"}, {"C.UTF-8", "en-US"},
      {"fr_FR@euro", "fr-FR"},  {"", ""},       {".UTF-8", ""},
  };
  for (const auto& c : tags) EXPECT_EQ(LocaleTagFromValue(c.first), c.second) << c.first;
}

TEST(ChooseStartLanguage, UserLocaleThenSavedTag) {
  const struct { const char* user; const char* saved; const char* expected; } cases[] = {
      {"en-US", "", "en-US"},     {"nb-NO", "", "nb-NO"},       {"nn-NO", "", "nb-NO"},
      {"en-GB", "", "en-US"},     {"ca-ES", "", "en-US"},       {"DE-at", "", "de-DE"},
      {"de-DE", "fr-FR", "fr-FR"}, {"de-DE", "PT-pt", "pt-BR"}, {"de-DE", "xx-YY", "de-DE"},
      {"en-US", "hi-in", "hi-IN"}, {"ja-JP", "", "ja-JP"},
  };
  for (const auto& c : cases) {
    ResetUiLanguageForTesting();
    InitUiLanguage();  // builds the list the index refers to
    int index = ChooseStartLanguage(c.user, c.saved);
    ASSERT_GE(index, 0);
    EXPECT_EQ(gLanguageList[index].locale, c.expected) << c.user << " / " << c.saved;
  }
}

class UiLanguageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* v = std::getenv(name);
      saved_.push_back(v ? v : "");
      unsetenv(name);
    }
    ResetUiLanguageForTesting();
  }
  void TearDown() override {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i)
      if (!saved_[i].empty()) setenv(names[i], saved_[i].c_str(), 1);
    ResetUiLanguageForTesting();
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
  std::vector<std::string> saved_;
};

TEST_F(UiLanguageFileTest, StartChoiceFromTheEnvironmentAndTheSavedFile) {
  InitUiLanguage();  // no locale at all: English
  EXPECT_EQ(gUiLanguage, "en-US");
  EXPECT_EQ(gLanguageList.size(), 25u);
  ResetUiLanguageForTesting();
  setenv("LC_MESSAGES", "ru_RU.UTF-8", 1);
  setenv("LANG", "de_DE.UTF-8", 1);
  InitUiLanguage();
  EXPECT_EQ(gUiLanguage, "ru-RU");
  setenv("LC_ALL", "es_ES", 1);
  InitUiLanguage();  // a second call changes nothing
  EXPECT_EQ(gUiLanguage, "ru-RU");
  ResetUiLanguageForTesting();
  WriteFileBytes(dir_.File("Data/ui_language.txt"), "  fr-FR \r\nsecond line\n");  // the saved file wins
  InitUiLanguage();
  EXPECT_EQ(gUiLanguage, "fr-FR");
  EXPECT_EQ(gLanguageIndex, 2);
}

TEST_F(UiLanguageFileTest, ApplyClampsAndSavesExactlyTheTag) {
  ApplyUiLanguage(99, true);
  EXPECT_EQ(gUiLanguage, "hi-IN");
  EXPECT_EQ(gLanguageIndex, 24);
  EXPECT_EQ(ReadFileBytes(dir_.File("Data/ui_language.txt")), "hi-IN");
  ApplyUiLanguage(-5, true);
  EXPECT_EQ(ReadFileBytes(dir_.File("Data/ui_language.txt")), "en-US");
  ApplyUiLanguage(3, false);
  EXPECT_EQ(gUiLanguage, "de-DE");
  EXPECT_EQ(ReadUiLanguageFile(), "en-US");
  EXPECT_FALSE(FileExists(dir_.File("Data/ui_language.txt.tmp")));
}

}  // namespace
