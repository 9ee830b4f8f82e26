// Translation files: where they are found, the line reader with its escapes, and the entries it
// refuses because their printf conversions differ from the English key.
#include <gtest/gtest.h>

#include <unordered_map>

#include "gfx/translation_files.h"
#include "tests/support/test_support.h"

namespace {

TEST(ParseJsonString, EscapesSurrogatesAndBrokenStrings) {
  const struct { const char* name; std::string line; bool ok; std::string expected; size_t endPos; } cases[] = {
      {"plain after blanks", "  \"abc\" : x", true, "abc", 7},
      {"escaped quote does not close", R"("a\"b")", true, "a\"b", 6},
      {"simple escapes", R"("\\\/\b\f\n\r\t")", true, "\\/\b\f\n\r\t", 16},
      {"unknown escape stands for itself", R"("\q\'")", true, "q'", 6},
      {"unicode escape either case", R"("\u00e9\u00C9")", true, "\xC3\xA9\xC3\x89", 14},
      {"surrogate pair becomes four bytes", R"("\uD834\uDD1E")", true, "\xF0\x9D\x84\x9E", 14},
      // A surrogate without its partner has no UTF-8 form: the text drawer would meet bytes that
      // are no character at all.
      {"lone high surrogate: the replacement character", R"("\uD834x")", true, "\xEF\xBF\xBDx", 9},
      {"high then a non-low escape", R"("\uD834\u0041")", true, "\xEF\xBF\xBD" "A", 14},
      {"lone low surrogate", R"("\uDD1E")", true, "\xEF\xBF\xBD", 8},
      {"short \\u keeps what follows", R"("\u12")", true, "12", 6},
      {"non-hex \\u drops six characters", R"("\uZZZZok")", true, "ok", 10},
      {"utf-8 passes through", "\"Gr\xC3\xBC\xC3\x9F\"", true, "Gr\xC3\xBC\xC3\x9F", 8},
      {"no closing quote", R"("abc)", false, "", 0},
      {"backslash at the end", R"("abc\)", false, "", 0},
      {"escaped final quote", R"("abc\")", false, "", 0},
      {"not a string", "abc", false, "", 0},
      {"byte-order mark in front", "\xEF\xBB\xBF\"a\"", false, "", 0},
  };
  for (const auto& c : cases) {
    size_t pos = 0;
    std::string out = "untouched";
    bool ok = ParseJsonString(c.line, pos, out);
    EXPECT_EQ(ok, c.ok) << c.name;
    if (ok) {
      EXPECT_EQ(out, c.expected) << c.name;
      EXPECT_EQ(pos, c.endPos) << c.name;
    } else {
      EXPECT_EQ(out, "untouched") << c.name;
    }
  }
}

TEST(FormatSignature, ConversionsInOrder) {
  const std::pair<const char*, const char*> cases[] = {
      {"Tempo %d BPM", "%d"},
      {"%3d %-5.2f %s", "%3d%-5.2f%s"},
      {"100%%", ""},
      {"%zu %llu %lld %lu %ld %i %u %x %X %c %g", "%zu%llu%lld%lu%ld%i%u%x%X%c%g"},
      {"%q", "!"},
      {"%*d", "!"},            // "*" is no width digit: unknown, and scanning goes on after "%"
      {"%.f", "!"},            // a "." without a digit is where the conversion must be
      {"50%", "!"},
      {"%1$s", "!"},
      {"%+ #08.3f", "%+ #08.3f"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSignature(c.first), c.second) << c.first;
}

TEST(ReadTranslationFile, EntriesKeptAndRefused) {
  TempDir dir;
  WriteFileBytes(dir.File("de-DE.json"),
                 "{\n"
                 "  \"Tempo %d BPM\": \"Ritmo %d BPM\",\n"
                 "  \"Speed %d\": \"Tempo %3d\",\n"
                 "  \"Count %d\": \"%s\",\n"
                 "  \"Odd %q\": \"anything %s\",\n"
                 "  \"100%%\": \"hundert\",\n"
                 "  \"Plain\": \"Einfach %s\",\n"
                 "  \"One\": \"Eins\", \"Two\": \"Zwei\"\r\n"
                 "  \"\": \"empty key\",\n"
                 "  \"Empty\": \"\",\n"
                 "  \"Broken\" \"no colon\",\n"
                 "  \"Nested\": {\"a\": \"b\"},\n"
                 "  \"Repeated\": \"first\",\n"
                 "  \"Repeated\": \"second\",\n"
                 "  \"Data\": \"Dat\xc3\",\n"
                 "  \"Again\": \"Wieder\xf0\x9f\x8e\",\n"
                 "  \"Fall\": \"Zu\xff\xfe\x80\",\n"
                 "  \"Over\": \"\xc0\xaf\",\n"
                 "  \"Clef \\uD834\\uDD1E\": \"Schl\\u00fcssel \\uD834\\uDD1E\"\n"
                 "}\n");
  std::unordered_map<std::string, std::string> map;
  ASSERT_TRUE(ReadTranslationFile(dir.File("de-DE.json"), map));
  std::unordered_map<std::string, std::string> expected = {
      {"Tempo %d BPM", "Ritmo %d BPM"},
      {"Odd %q", "anything %s"},
      {"100%%", "hundert"},
      {"Plain", "Einfach %s"},
      {"One", "Eins"},
      {"Empty", ""},
      {"Repeated", "second"},
      {"Clef \xF0\x9D\x84\x9E", "Schl\xC3\xBCssel \xF0\x9D\x84\x9E"},
  };
  EXPECT_EQ(map, expected);
  EXPECT_FALSE(ReadTranslationFile(dir.File("missing.json"), map));
}

TEST(FindLocalesFolders, FourLevelsFromTheStart) {
  std::vector<std::string> folders;
  FindLocalesFolders("/a/b/c/d/e/", folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"/a/b/c/d/e/locales", "/a/b/c/d/locales", "/a/b/c/locales",
                                               "/a/b/locales"}));
  folders.clear();
  FindLocalesFolders("/x/./y/../z", folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"/x/z/locales", "/x/locales", "/locales", "/locales"}));
  folders.clear();
  FindLocalesFolders("", folders);
  EXPECT_TRUE(folders.empty());
}

TEST(FindTranslationFile, GreatGrandparentFoundOneHigherNot) {
  TempDir dir;
  ScopedExeDir exe(dir.path() + "/top/g/p/exe");
  EXPECT_EQ(FindTranslationFile("de-DE"), "");
  WriteFileBytes(dir.File("locales/de-DE.json"), "{}\n");
  EXPECT_EQ(FindTranslationFile("de-DE"), "");
  WriteFileBytes(dir.File("top/locales/de-DE.json"), "{}\n");
  EXPECT_EQ(FindTranslationFile("de-DE"), dir.path() + "/top/locales/de-DE.json");
  WriteFileBytes(dir.File("top/g/p/exe/locales/de-DE.json"), "{}\n");
  EXPECT_EQ(FindTranslationFile("de-DE"), dir.path() + "/top/g/p/exe/locales/de-DE.json");
  // A folder of that name is no file.
  WriteFileBytes(dir.File("top/g/p/exe/locales/fr-FR.json/x"), "");
  EXPECT_FALSE(LocaleFileExists(dir.File("top/g/p/exe/locales/fr-FR.json")));
  EXPECT_FALSE(LocaleFileExists(""));
}

}  // namespace
