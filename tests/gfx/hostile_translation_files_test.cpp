// Translation files planted by other accounts or made endless: the search passes over folders
// and files another account could write (the program's own folder excepted), and the reader takes
// only a regular file of a few MB, skipping overlong lines.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <unordered_map>

#include "gfx/translation_files.h"
#include "tests/support/mutations.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

// Runs the program from folder for the scope's lifetime.
class ScopedWorkingFolder {
 public:
  explicit ScopedWorkingFolder(const std::string& folder) : old_(fs::current_path()) { fs::current_path(folder); }
  ~ScopedWorkingFolder() { fs::current_path(old_); }

 private:
  fs::path old_;
};

TEST(HostileTranslationFiles, FilesOtherAccountsCouldHavePlacedArePassedOver) {
  TempDir dir;
  ScopedExeDir exe(dir.File("app"));
  fs::create_directories(dir.File("shared/work/here"));
  ScopedWorkingFolder cwd(dir.File("shared/work/here"));
  const std::string planted = dir.File("shared/locales/de-DE.json");
  const std::string mine = dir.File("shared/work/locales/de-DE.json");
  WriteFileBytes(planted, "{\"Stop\": \"planted\"}\n");
  WriteFileBytes(mine, "{\"Stop\": \"Halt\"}\n");
  ASSERT_EQ(::chmod(dir.File("shared/locales").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.File("shared/work/locales").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(mine.c_str(), 0644), 0);
  EXPECT_EQ(FindTranslationFile("de-DE"), mine);

  // Others may write the folder, or the file itself: passed over, and the next folder up is tried.
  ASSERT_EQ(::chmod(dir.File("shared/work/locales").c_str(), 0777), 0);
  EXPECT_EQ(FindTranslationFile("de-DE"), planted);
  ASSERT_EQ(::chmod(dir.File("shared/work/locales").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(mine.c_str(), 0666), 0);
  EXPECT_EQ(FindTranslationFile("de-DE"), planted);
  ASSERT_EQ(::chmod(dir.File("shared/locales").c_str(), 0733), 0);
  EXPECT_EQ(FindTranslationFile("de-DE"), "") << "a shared temporary folder's planted file";
  ASSERT_EQ(::chmod(dir.File("shared/locales").c_str(), 0755), 0);
  // A folder of another account (only the administrator can make one here in a test).
  if (::chown(dir.File("shared/locales").c_str(), 65534, 65534) == 0)
    EXPECT_EQ(FindTranslationFile("de-DE"), "");

  // The program's own folder is its own, however it is set up.
  const std::string own = dir.File("app/locales/de-DE.json");
  WriteFileBytes(own, "{\"Stop\": \"Anhalten\"}\n");
  ASSERT_EQ(::chmod(dir.File("app/locales").c_str(), 0777), 0);
  EXPECT_EQ(FindTranslationFile("de-DE"), own);
}

TEST(HostileTranslationFiles, OnlyARegularFileOfAFewMegabytesIsReadAndLongLinesSkipped) {
  TempDir dir;
  std::unordered_map<std::string, std::string> map;
  fs::create_symlink("/dev/zero", dir.File("zero.json"));
  EXPECT_FALSE(ReadTranslationFile(dir.File("zero.json"), map));
  ASSERT_EQ(mkfifo(dir.File("fifo.json").c_str(), 0600), 0);
  EXPECT_FALSE(ReadTranslationFile(dir.File("fifo.json"), map));
  WriteFileBytes(dir.File("huge.json"), "{\"Stop\": \"Halt\"}\n" + std::string(5u << 20, ' '));
  EXPECT_FALSE(ReadTranslationFile(dir.File("huge.json"), map));
  EXPECT_TRUE(map.empty());

  WriteFileBytes(dir.File("long.json"), "{\n\"Long\": \"" + std::string(100000, 'x') + "\",\n\"Stop\": \"Halt\"\n}");
  EXPECT_TRUE(ReadTranslationFile(dir.File("long.json"), map));
  EXPECT_EQ(map.count("Long"), 0u);
  EXPECT_EQ(map["Stop"], "Halt");
}

TEST(HostileTranslationFiles, MutatedFilesAreReadAndNoEntryChangesItsConversions) {
  TempDir dir;
  const std::string seed =
      "{\n  \"Stop\": \"Halt\",\n  \"%d of %d\": \"%d von %d\",\n  \"Saved %s\": \"%s gespeichert\",\n"
      "  \"caf\\u00e9 \\uD834\\uDD1E\": \"x\\ty\",\n  \"%5.2f%%\": \"%5.2f %%\"\n}\n";
  std::mt19937 rng(43201);
  for (int i = 0; i < 1000; ++i) {
    WriteFileBytes(dir.File("de-DE.json"), MutateText(seed, rng));
    std::unordered_map<std::string, std::string> map;
    ASSERT_TRUE(ReadTranslationFile(dir.File("de-DE.json"), map)) << i;
    for (const auto& [key, value] : map) {
      ASSERT_FALSE(key.empty()) << i;
      std::string signature = FormatSignature(key);
      if (!signature.empty() && signature.find('!') == std::string::npos)
        ASSERT_EQ(signature, FormatSignature(value)) << i << ": " << key;
    }
  }
}

}  // namespace
