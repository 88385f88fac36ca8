#include "format/TTempFiles.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qrl
