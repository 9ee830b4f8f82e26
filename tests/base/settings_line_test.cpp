// The one-line settings files: an editor's mark and line end are forgiven, and whatever else
// stands at the name (a FIFO nobody writes to, a folder, an endless device, a huge file) reads
// as no setting at once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/base/settings_file.h"
#include "tests/support/test_support.h"

TEST(SettingsLine, TheFirstLineOfARegularFileOnly) {
  TempDir dir;
  const std::string path = dir.File("ui_language.txt");
  const struct { std::string bytes; std::string value; } files[] = {
      {"de-DE\n", "de-DE"},
      {"\xEF\xBB\xBF  fr-FR \r\nsecond\n", "fr-FR"},
      {std::string(5000, 'a') + "\n", std::string(4096, 'a')},
      {std::string(70000, 'a'), ""},
      {"", ""},
  };
  for (const auto& f : files) {
    WriteFileBytes(path, f.bytes);
    EXPECT_EQ(ReadSettingLine(path), f.value) << f.bytes.substr(0, 20);
  }
  std::filesystem::remove(path);
  EXPECT_EQ(ReadSettingLine(path), "");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadSettingLine(path), "");
  std::filesystem::remove(path);
  std::filesystem::create_symlink("/dev/zero", path);
  EXPECT_EQ(ReadSettingLine(path), "");
  std::filesystem::remove(path);
  std::filesystem::create_directories(path);
  EXPECT_EQ(ReadSettingLine(path), "");
}
