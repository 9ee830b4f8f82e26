// The ring-mode setting is written whole into the Data folder, nothing left beside it.
#include <filesystem>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "visual/ring_mode.h"

TEST(RingModeSetting, SavedWholeWithALineFeed) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  std::filesystem::create_directory(dir.File("Data"));
  SaveRingMode(true);
  EXPECT_EQ(ReadFileBytes(dir.File("Data/ring_mode.txt")), "1\n");
  SaveRingMode(false);
  EXPECT_EQ(ReadFileBytes(dir.File("Data/ring_mode.txt")), "0\n");
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.File("Data"))) files += entry.is_regular_file();
  EXPECT_EQ(files, 1);  // no temporary file stays behind
}
