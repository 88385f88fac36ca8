// A folder appears complete or not at all, and an earlier one is replaced in one step.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "format/QuireleafException.h"
#include "format/TAtomicFolder.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void Put(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

std::string Get(const fs::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Everything in the folder but the target itself: temporary folders must not stay behind.
std::size_t EntriesBeside(const fs::path& folder) { return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {})); }

TEST(TAtomicFolderTest, NewFolderAppearsOnlyAtCommit) {
  TempDir dir;
  const fs::path target = dir.Path() / "out";
  {
    TAtomicFolder folder(target.string());
    Put(fs::path(folder.TempPath()) / "a.txt", "new");
    EXPECT_FALSE(fs::exists(target));
    folder.Commit();
  }
  EXPECT_EQ(Get(target / "a.txt"), "new");
  EXPECT_EQ(EntriesBeside(dir.Path()), 1u);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::others_read, fs::perms::others_read);
}

TEST(TAtomicFolderTest, EarlierFolderIsReplacedWholeAndNothingStaysBehind) {
  TempDir dir;
  const fs::path target = dir.Path() / "out";
  fs::create_directories(target / "sub");
  Put(target / "old.txt", "old");
  Put(target / "sub" / "deep.txt", "old");
  {
    TAtomicFolder folder(target.string());
    Put(fs::path(folder.TempPath()) / "a.txt", "new");
    folder.Commit();
  }
  EXPECT_EQ(Get(target / "a.txt"), "new");
  EXPECT_FALSE(fs::exists(target / "old.txt"));
  EXPECT_FALSE(fs::exists(target / "sub"));
  EXPECT_EQ(EntriesBeside(dir.Path()), 1u);
}

TEST(TAtomicFolderTest, FailureBeforeCommitKeepsTheTargetAndRemovesTheWork) {
  TempDir dir;
  const fs::path target = dir.Path() / "out";
  fs::create_directories(target);
  Put(target / "keep.txt", "mine");
  try {
    TAtomicFolder folder(target.string());
    Put(fs::path(folder.TempPath()) / "half.txt", "half");
    throw std::runtime_error("interrupted");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Get(target / "keep.txt"), "mine");
  EXPECT_EQ(EntriesBeside(dir.Path()), 1u);
  EXPECT_EQ(EntriesBeside(target), 1u);
}

TEST(TAtomicFolderTest, TargetThatIsAFileOrInAMissingFolderIsRefused) {
  TempDir dir;
  Put(dir.Path() / "file", "x");
  EXPECT_THROW(TAtomicFolder((dir.Path() / "file").string()), EFileError);
  EXPECT_THROW(TAtomicFolder((dir.Path() / "missing" / "out").string()), EFileError);
  EXPECT_EQ(Get(dir.Path() / "file"), "x");
}

}  // namespace
}  // namespace qrl
