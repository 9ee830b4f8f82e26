// The translation call: lookup order, word stage with case keeping, prefixes, the translation
// file's place in front of the tables, suppression per thread, and TrF's length and template guard.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "tests/support/test_support.h"

namespace {

void SetUiTag(const std::string& tag) {
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = tag;
}

// A small word table standing in for the built-in one: German and French words.
std::string FakeWords(const std::string& code, const std::string& word) {
  static const std::map<std::pair<std::string, std::string>, std::string> kWords = {
      {{"de", "Tempo"}, "Zeitmass"}, {{"de", "Scale"}, "Tonleiter"}, {{"de", "Midi"}, "Midi"},
      {{"de", "Blue"}, "Blau"},      {{"de", "Moon"}, "Mond"},       {{"fr", "Blue"}, "Bleu"},
      {{"fr", "Moon"}, "Lune"},      {{"nl", "Loop"}, "Lus"},        {{"nl", "On"}, "Aan"},
      {{"de", "Key"}, "TonArt"},     {{"ru", "Scale"}, "Гамма"},
  };
  auto it = kWords.find({code, word});
  return it == kWords.end() ? word : it->second;
}

class TrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWordTranslatorForTesting(FakeWords);
    ResetTranslationFileForTesting();
  }
  void TearDown() override {
    SetWordTranslatorForTesting(nullptr);
    SetUiTag("en-US");
    ResetTranslationFileForTesting();
  }
};

TEST_F(TrTest, LookupOrderOverTheBuiltInTables) {
  const struct { const char* tag; std::string input, expected; } cases[] = {
      // English tags never translate.
      {"en-US", "Loop ON", "Loop ON"},
      {"", "Students", "Students"},
      // Phrases in the five table languages.
      {"es-ES", "Loop ON", "Loop SI"},
      {"pt-BR", "Mistake ", "Erro "},
      {"pt_PT", "BLUES + BEBOP", "BLUES + BEBOP"},
      // "Mistake" without its blank is not the phrase; one word without translation stays.
      {"de-DE", "Mistake", "Mistake"},
      // Special keys answer before the phrase table, also for languages without a column.
      {"nl-NL", "Language", "Taal"},
      {"ja-JP", "NOTE FALL", "音落下"},
      // A dash in the special table falls to the phrase table.
      {"de-DE", "NOTE FALL", "NOTENFALL"},
      // "Tempo" in German: no special answer, no phrase, the word stage decides.
      {"de-DE", "Tempo", "Zeitmass"},
      // A phrase key in a language without a column goes to the word stage: both words translate.
      {"nl-NL", "Loop ON", "Lus AAN"},
      // ... and stays English when one of two words does not.
      {"nl-NL", "Loop OFF", "Loop OFF"},
      // Scale names go to the localised-name table as they are.
      {"de-DE", "Dorian", "Dorisch"},
      // Prefixes: the rest is never translated.
      {"es-ES", "Scale: Ionian", "Escala: Ionian"},
      // A rest of two words that do not both translate rejects the prefix; the whole stays English.
      {"de-DE", "Missing file: a.mid", "Missing file: a.mid"},
      // Table order: "Playing MIDI: " before "Playing MIDI ".
      {"it-IT", "Playing MIDI: x", "Riproduzione MIDI: x"},
      {"it-IT", "Playing MIDI 3", "Riproduzione MIDI 3"},
      // Two-word rest: prefix only when both words translate; else the whole text stays English.
      {"fr-FR", "Playing MIDI: Blue Moon", "Lecture MIDI: Blue Moon"},
      {"fr-FR", "Playing MIDI: Blue Sky", "Playing MIDI: Blue Sky"},
      // Word stage with case: capitals stay capitals, lower case stays lower, mixed as the table says.
      {"de-DE", "SCALE", "TONLEITER"},
      {"de-DE", "Key", "TonArt"},
      {"de-DE", "Blue 7 Moon!", "Blau 7 Mond!"},
      // Non-ASCII bytes of a translation never change case.
      {"ru-RU", "SCALE", "Гамма"},
      {"de-DE", "", ""},
  };
  for (const auto& c : cases) {
    SetUiTag(c.tag);
    EXPECT_EQ(Tr(c.input), c.expected) << c.tag << " / " << c.input;
  }
}

TEST_F(TrTest, TranslateWordsCountsAndCopiesOtherBytes) {
  int words = -1, translated = -1;
  EXPECT_EQ(TranslateWords("Blue-moon, 12 ä SKY", "de", &words, &translated), "Blau-mond, 12 ä SKY");
  EXPECT_EQ(words, 3);
  EXPECT_EQ(translated, 2);
  EXPECT_EQ(TranslateWords("Blue", "en", &words, &translated), "Blue");
  EXPECT_EQ(words, 0);
  EXPECT_EQ(TranslateWords("Blue", "de", nullptr, nullptr), "Blau");
}

TEST_F(TrTest, TablesAreAsciiAndPrefixesNeedARest) {
  for (int i = 0; i < TrPhraseRowCount(); ++i)
    for (int k = 0; k < 6; ++k) {
      ASSERT_NE(TrPhraseRow(i)[k], nullptr);
      for (const char* p = TrPhraseRow(i)[k]; *p; ++p) EXPECT_LT((unsigned char)*p, 128) << TrPhraseRow(i)[0];
    }
  const char* const row[6] = {"Loop IN: ", "a", "b", "c", "d", "e"};
  EXPECT_EQ(TranslatePrefix("Loop IN: 3", "it", row), "d3");
  EXPECT_EQ(TranslatePrefix("Loop IN: 3", "nl", row), "");
  EXPECT_EQ(TranslatePrefix("Loop IN:", "it", row), "");
}

TEST_F(TrTest, SuppressionHoldsOnItsOwnThreadOnly) {
  SetUiTag("es-ES");
  ScopedTrSuppress suppress;
  EXPECT_EQ(Tr("Loop ON"), "Loop ON");
  std::string other;
  std::thread t([&] { other = Tr("Loop ON"); });
  t.join();
  EXPECT_EQ(other, "Loop SI");
}

// The shared mutex: another thread translating while the language changes sees one whole answer.
TEST_F(TrTest, TranslatingWhileTheLanguageChangesGivesOneLanguageOrTheOther) {
  std::atomic<bool> stop{false};
  std::set<std::string> seen;
  std::thread reader([&] {
    while (!stop) seen.insert(Tr("Loop ON"));
  });
  for (int k = 0; k < 400; ++k) SetUiTag(k % 2 ? "es-ES" : "en-US");
  stop = true;
  reader.join();
  for (const std::string& s : seen) EXPECT_TRUE(s == "Loop ON" || s == "Loop SI") << s;
}

// A classroom worker may still translate its status while the process exits (the exit waits for
// it only so long): exit destroys nothing Tr reads. Under ThreadSanitizer an exit that did is
// reported and the child ends with the sanitizer's code.
static void ExitWhileAnotherThreadTranslates() {
  SetUiTag("es-ES");
  std::atomic<bool> translating{false};
  std::thread([&translating] {
    for (;;) {
      Tr("Loop ON");
      translating = true;
    }
  }).detach();
  while (!translating) std::this_thread::yield();
  std::exit(0);
}

TEST(TrExitDeathTest, ExitDestroysNothingAnotherThreadTranslatesWith) {
  EXPECT_EXIT(ExitWhileAnotherThreadTranslates(), ::testing::ExitedWithCode(0), "");
}

class TrFileTest : public TrTest {
 protected:
  void SetUp() override {
    TrTest::SetUp();
    exe_ = std::make_unique<ScopedExeDir>(dir_.path() + "/a/b/c");
  }
  void Write(const std::string& relative, const std::string& text) { WriteFileBytes(dir_.File(relative), text); }
  TempDir dir_;
  std::unique_ptr<ScopedExeDir> exe_;
};

TEST_F(TrFileTest, FileComesFirstAndEmptyValuesCountAsAbsent) {
  Write("a/locales/es-ES.json",
        "{\n"
        "  \"Loop ON\": \"Bucle activo\",\n"
        "  \"Dorian\": \"Dorico\",\n"
        "  \"Shuffle ON\": \"\",\n"
        "  \"Tempo %d BPM\": \"Ritmo %d BPM\",\n"
        "  \"Count %d\": \"%s veces\",\n"
        "}\n");
  SetUiTag("es-ES");
  EXPECT_EQ(Tr("Loop ON"), "Bucle activo");
  EXPECT_EQ(Tr("Dorian"), "Dorico");
  EXPECT_EQ(Tr("Shuffle ON"), "Mezcla SI");
  EXPECT_EQ(TrF("Tempo %d BPM", 120), "Ritmo 120 BPM");
  EXPECT_EQ(TrF("Count %d", 3), "Count 3");  // the refused entry leaves the English template
  // Only the full tag's file counts: pt-BR does not read pt.json.
  Write("a/locales/pt.json", "\"Loop ON\": \"Laco\"\n");
  SetUiTag("pt-BR");
  EXPECT_EQ(Tr("Loop ON"), "Loop ON");
  Write("a/b/c/locales/en-US.json", "\"Loop ON\": \"Changed\"\n");  // English reads no file
  SetUiTag("en-US");
  EXPECT_EQ(Tr("Loop ON"), "Loop ON");
}

TEST_F(TrFileTest, TemplateGuardNeverFormatsWithAForeignSignature) {
  // Keys without "%" are accepted whatever their value holds; TrF must not trust such a value.
  // The file's translation of "Got %d of %s", and TrF("Got %d of %s", 5, "ten").
  const struct { const char* name; const char* fileValue; std::string expected; } cases[] = {
      {"matching template is used", "Hatte %d von %s", "Hatte 5 von ten"},
      {"reordered conversions: English", "%s hatte %d", "Got 5 of ten"},
      {"writing through %n: English", "Hatte %d von %s%n", "Got 5 of ten"},
      {"extra argument read: English", "Hatte %d von %s %s", "Got 5 of ten"},
      {"positional: English", "%2$s %1$d", "Got 5 of ten"},
  };
  for (const auto& c : cases) {
    Write("a/locales/de-DE.json", std::string("\"Got %d of %s\": \"") + c.fileValue + "\"\n");
    ResetTranslationFileForTesting();
    SetUiTag("de-DE");
    EXPECT_EQ(TrF("Got %d of %s", 5, "ten"), c.expected) << c.name;
  }
  Write("a/locales/de-DE.json", "\"Done\": \"Fertig %s %n\"\n");  // a key without conversions
  ResetTranslationFileForTesting();
  EXPECT_EQ(Tr("Done"), "Fertig %s %n");
  EXPECT_EQ(TrF("Done"), "Done");
}

TEST(TrF, LongResultIsWholeAndPercentSurvives) {
  std::string big(700, 'x');
  EXPECT_EQ(TrF("[%s] %d%%", big.c_str(), 42), "[" + big + "] 42%");
  std::string exact(509, 'y');  // 509 + "[]" = 511: fits the first buffer exactly
  EXPECT_EQ(TrF("[%s]", exact.c_str()), "[" + exact + "]");
  std::string over(510, 'z');   // 512 bytes needed: formatted a second time
  EXPECT_EQ(TrF("[%s]", over.c_str()), "[" + over + "]");
}

}  // namespace
