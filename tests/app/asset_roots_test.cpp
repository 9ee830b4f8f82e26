// Image search roots: order, de-duplication and the start-up folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/asset_roots.h"
#include "app/folders.h"
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
  AddSearchRoot(roots, "");
  AddSearchRoot(roots, "/Tree/Assets");
  AddSearchRoot(roots, "/tree/assets/");
  AddSearchRoot(roots, "/tree/other/");
  EXPECT_EQ(roots, (std::vector<std::string>{"/Tree/Assets/", "/tree/other/"}));
}

TEST_F(AssetRoots, CandidatesComeInTheirFixedOrder) {
  std::vector<std::string> roots;
  AddAssetCandidates(roots, "/B/");
  ASSERT_EQ(roots.size(), 7u);
  EXPECT_EQ(roots[0], "/B/assets/images/");
  EXPECT_EQ(roots[1], "/B/release/assets/images/");
  EXPECT_EQ(roots[6], "/B/03_App/midi-engine/release/app/assets/images/");
  AddAssetCandidates(roots, "");
  EXPECT_EQ(roots.size(), 7u);
}

TEST_F(AssetRoots, ListStartsWithExeAndCurrentFolderThenCandidatesOnce) {
  TempDir dir;
  fs::create_directories(dir.File("build"));
  ScopedExeDir exe(dir.File("build"));
  ProcessSetWorkingDir(dir.File("build"));
  std::vector<std::string> roots;
  BuildAssetRoots(roots);
  std::string b = dir.File("build") + "/";
  ASSERT_GE(roots.size(), 15u);
  EXPECT_EQ(roots[0], b);
  EXPECT_EQ(roots[1], b + "assets/images/");  // current folder equals exe folder: listed once
  EXPECT_EQ(roots[8], dir.path() + "/assets/images/");
  EXPECT_EQ(roots.size(), 15u);
}

TEST_F(AssetRoots, StartFolderMovesUpToTheTreeThatHoldsTheImages) {
  TempDir dir;
  fs::create_directories(dir.File("assets/images"));
  fs::create_directories(dir.File("build"));
  ScopedExeDir exe(dir.File("build"));
  ProcessSetWorkingDir("/");
  SelectAssetRoot();
  EXPECT_EQ(fs::canonical(ProcessWorkingDir()), fs::canonical(dir.path()));
}

TEST_F(AssetRoots, StartFolderPrefersTheExecutableFolder) {
  TempDir dir;
  fs::create_directories(dir.File("app/assets/images"));
  fs::create_directories(dir.File("assets/images"));
  ScopedExeDir exe(dir.File("app"));
  ProcessSetWorkingDir("/");
  SelectAssetRoot();
  EXPECT_EQ(fs::canonical(ProcessWorkingDir()), fs::canonical(dir.File("app")));
}

TEST_F(AssetRoots, StartFolderStaysWhenNoTreeHasImages) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  ProcessSetWorkingDir("/");
  SelectAssetRoot();
  EXPECT_EQ(ProcessWorkingDir(), "/");
}

TEST_F(AssetRoots, RootFolderAddsOnlyItsOwnCandidates) {
  ScopedExeDir exe("");  // executable "/tonvarra"
  ProcessSetWorkingDir("/");
  std::vector<std::string> roots;
  BuildAssetRoots(roots);
  EXPECT_EQ(roots[0], "/");
  EXPECT_EQ(roots.size(), 8u);
}
