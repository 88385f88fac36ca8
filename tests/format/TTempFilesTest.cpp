#include "format/TTempFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/TempDir.h"

namespace qrl {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteAll;

std::string UpperCased(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

TEST(TTempFiles, CreatesUniqueEmptyPrefixedFilesAndDeletesThemOnDestruction) {
  TempDir dir;
  std::string a, b;
  {
    TTempFiles temp(dir.Path().string());
    a = temp.TempFileName();
    b = temp.TempFileName();
    EXPECT_NE(a, b);
    for (const auto& f : {a, b}) {
      EXPECT_EQ(fs::path(f).parent_path(), dir.Path());
      EXPECT_EQ(fs::path(f).filename().string().rfind("QRL", 0), 0u) << f;
      EXPECT_TRUE(fs::is_regular_file(f));
      EXPECT_EQ(fs::file_size(f), 0u);
    }
    EXPECT_EQ(temp.Files().size(), 2u);
  }
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(b));
}

TEST(TTempFiles, DeletesOnlyListedFiles) {
  TempDir dir;
  const auto stranger = dir.File("QRLstranger");
  WriteAll(stranger, {1});
  TTempFiles temp(dir.Path().string());
  const auto a = temp.TempFileName();
  const auto b = temp.TempFileName();

  temp.DeleteTempFile(stranger);
  EXPECT_TRUE(fs::exists(stranger));

  // The list compares without regard to case, and deletes the file it created.
  temp.DeleteTempFile(UpperCased(a));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(temp.Files(), std::vector<std::string>{b});

  temp.DeleteAllTempFiles();
  EXPECT_FALSE(fs::exists(b));
  EXPECT_TRUE(temp.Files().empty());
  EXPECT_TRUE(fs::exists(stranger));
}

TEST(TTempFiles, UsesTmpdirAndReportsAFolderThatCannotHoldFiles) {
  TempDir dir;
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  ::setenv("TMPDIR", dir.Path().c_str(), 1);
  {
    TTempFiles temp;
    EXPECT_EQ(fs::path(temp.TempFileName()).parent_path(), dir.Path());
  }
  old ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");

  TTempFiles missing(dir.File("no-such-folder"));
  EXPECT_THROW(missing.TempFileName(), std::runtime_error);
  EXPECT_TRUE(missing.Files().empty());
}

// The id of a process that has ended and been reaped.
pid_t GonePid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(TTempFiles, NamesCarryTheOwnerAndOnlyOrphansAreRemoved) {
  TempDir dir;
  TTempFiles mine(dir.Path().string());
  const auto own = mine.TempFileName();
  EXPECT_EQ(fs::path(own).filename().string().rfind("QRL" + std::to_string(::getpid()) + "-", 0), 0u) << own;

  const std::string gone = "QRL" + std::to_string(GonePid());
  const auto orphan = dir.File(gone + "-abc123");
  const auto lookalikes = {dir.File("QRLstranger"), dir.File("QRLabcdef"), dir.File(gone + "-abc1234"),
                           dir.File(gone + "abc123"), dir.File("QRL-abc123"), dir.File("QRL0-abc123")};
  WriteAll(orphan, {1});
  for (const auto& f : lookalikes) WriteAll(f, {1});
  // A folder or a link with an orphan's name is not the player's file.
  fs::create_directory(dir.File(gone + "-folder"));
  fs::create_symlink(own, dir.File(gone + "-linked"));

  EXPECT_EQ(TTempFiles::RemoveOrphans(dir.Path().string()), 1u);
  EXPECT_FALSE(fs::exists(orphan));
  EXPECT_TRUE(fs::exists(own));
  for (const auto& f : lookalikes) EXPECT_TRUE(fs::exists(f)) << f;
  EXPECT_TRUE(fs::is_directory(dir.File(gone + "-folder")));
  EXPECT_TRUE(fs::is_symlink(dir.File(gone + "-linked")));
  EXPECT_EQ(TTempFiles::RemoveOrphans(dir.File("no-such-folder")), 0u);
}

}  // namespace
}  // namespace qrl
