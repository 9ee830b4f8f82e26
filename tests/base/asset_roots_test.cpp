// Image search roots: order, de-duplication and the start-up folder.
#include <filesystem>
#include <gtest/gtest.h>

#include "app/base/asset_roots.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

// Restores the current folder that SelectAssetRoot may change.
class AssetRoots : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = ProcessWorkingDir(); }
  void TearDown() override { ProcessSetWorkingDir(saved_); }
  std::string saved_;
};

TEST_F(AssetRoots, AddSearchRootIgnoresEmptyAndCaseInsensitiveDuplicates) {
  std::vector<std::string> roots;
  for (const char* r : {"", "/Tree/Assets", "/tree/assets/", "/tree/other/"}) AddSearchRoot(roots, r);
  EXPECT_EQ(roots, (std::vector<std::string>{"/Tree/Assets/", "/tree/other/"}));
}

TEST_F(AssetRoots, ListStartsWithExeAndCurrentFolderThenCandidatesOnce) {
  TempDir dir;
  fs::create_directories(dir.File("build"));
  ScopedExeDir exe(dir.File("build"));
  ProcessSetWorkingDir(dir.File("build"));
  std::vector<std::string> roots;
  BuildAssetRoots(roots);
  std::string b = dir.File("build") + "/";
  // The folder itself and the folder above it, seven candidates each; nothing further up.
  ASSERT_EQ(roots.size(), 15u);
  EXPECT_EQ(roots[0], b);
  EXPECT_EQ(roots[1], b + "assets/images/");  // current folder equals exe folder: listed once
  EXPECT_EQ(roots[2], b + "release/assets/images/");
  EXPECT_EQ(roots[8], dir.path() + "/assets/images/");
  ScopedExeDir root("");  // executable "/tonvarra": the root adds only its own candidates
  ProcessSetWorkingDir("/");
  roots.clear();
  BuildAssetRoots(roots);
  EXPECT_EQ(roots[0], "/");
  EXPECT_EQ(roots.size(), 8u);
}

TEST_F(AssetRoots, StartFolderMovesToTheNearestTreeWithImages) {
  const struct {
    const char* name;
    std::vector<const char*> imageFolders;
    const char* exe;
    const char* expected;  // nullptr: stays at "/"
  } cases[] = {
      {"up to the tree that holds the images", {"assets/images", "build"}, "build", ""},
      {"not two levels up: another tree's images", {"assets/images", "build/release"}, "build/release", nullptr},
      {"the executable folder first", {"app/assets/images", "assets/images"}, "app", "app"},
      {"no tree has images", {}, "", nullptr},
  };
  for (const auto& c : cases) {
    TempDir dir;
    for (const char* f : c.imageFolders) fs::create_directories(dir.File(f));
    ScopedExeDir exe(*c.exe ? dir.File(c.exe) : dir.path());
    ProcessSetWorkingDir("/");
    SelectAssetRoot();
    if (c.expected)
      EXPECT_EQ(fs::canonical(ProcessWorkingDir()), fs::canonical(dir.path() + "/" + c.expected)) << c.name;
    else
      EXPECT_EQ(ProcessWorkingDir(), "/") << c.name;
  }
}
