#include "format/TAtomicFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;
using Bytes = std::vector<unsigned char>;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

void Write(const std::string& target, const Bytes& bytes) { WriteFileAtomically(target, bytes.data(), bytes.size()); }

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(TAtomicFile, ReplacesTheTargetKeepingItsPermissionBits) {
  TempDir dir;
  const auto target = dir.File("flyer.exe");
  for (const mode_t mode : {0600, 0640, 0755}) {
    WriteAll(target, {1, 2, 3});
    ASSERT_EQ(::chmod(target.c_str(), mode), 0);
    Write(target, {4, 5});
    EXPECT_EQ(ReadAll(target), (Bytes{4, 5}));
    EXPECT_EQ(ModeOf(target), mode);
  }
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(TAtomicFile, NewFileTakesTheMaskAndTheWritersExecutableBit) {
  TempDir dir;
  const mode_t mask = ::umask(027);
  Write(dir.File("plain.qrl"), {1});
  {
    TAtomicFile program(dir.File("program.exe"));
    WriteAll(program.TempPath(), {2});
    ASSERT_EQ(::chmod(program.TempPath().c_str(), 0700), 0);
    program.Commit();
  }
  ::umask(mask);
  EXPECT_EQ(ModeOf(dir.File("plain.qrl")), 0640u);
  EXPECT_EQ(ModeOf(dir.File("program.exe")), 0750u);
}

TEST(TAtomicFile, WritesThroughSymbolicLinksToTheirTarget) {
  TempDir dir;
  fs::create_directory(dir.Path() / "real");
  const auto file = dir.File("real/flyer.qrl");
  WriteAll(file, {1});
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  // A relative link to a relative link.
  fs::create_symlink("real/flyer.qrl", dir.Path() / "first");
  fs::create_symlink("first", dir.Path() / "second");
  Write(dir.File("second"), {7, 8});
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "second"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "first"));
  EXPECT_EQ(ReadAll(file), (Bytes{7, 8}));
  EXPECT_EQ(ModeOf(file), 0600u);
  // The temporary file was made in the folder of the file replaced, and is gone.
  EXPECT_EQ(EntriesIn(dir.Path() / "real"), 1u);

  // A link to a file not there yet creates that file.
  fs::create_symlink(dir.File("real/new.qrl"), dir.Path() / "dangling");
  Write(dir.File("dangling"), {9});
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling"));
  EXPECT_EQ(ReadAll(dir.File("real/new.qrl")), (Bytes{9}));
}

TEST(TAtomicFile, FailureLeavesTheTargetAndNoTemporaryFile) {
  TempDir dir;
  const auto target = dir.File("flyer.qrl");
  WriteAll(target, {1, 2});
  {
    TAtomicFile abandoned(target);
    WriteAll(abandoned.TempPath(), {3});
  }
  EXPECT_EQ(ReadAll(target), (Bytes{1, 2}));
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);

  // Replacing a folder fails at the rename, after everything else succeeded.
  fs::create_directory(dir.Path() / "folder");
  fs::create_directory(dir.Path() / "folder" / "inside");
  EXPECT_THROW(Write(dir.File("folder"), {1}), EFileError);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "folder"));
  EXPECT_EQ(EntriesIn(dir.Path()), 2u);

  EXPECT_THROW(Write(dir.File("missing/flyer.qrl"), {1}), EFileError);

  fs::create_symlink("loop", dir.Path() / "loop");
  EXPECT_THROW(Write(dir.File("loop"), {1}), EFileError);
}

}  // namespace
}  // namespace qrl
