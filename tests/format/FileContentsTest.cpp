#include "format/FileContents.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using test::TempDir;

// The message of the EFileError that reading path raises; "" when reading succeeds.
std::string ReadFailure(const std::string& path) {
  try {
    ReadFileContents(path);
  } catch (const EFileError& e) {
    return e.what();
  }
  return "";
}

TEST(FileContents, EveryByteOfAFileOrAPipe) {
  TempDir dir;
  const std::string bytes("line\r\n\0\xFF end", 12);
  std::ofstream(dir.File("a.bin"), std::ios::binary) << bytes;
  EXPECT_EQ(ReadFileContents(dir.File("a.bin")), bytes);
  std::ofstream(dir.File("empty"));
  EXPECT_EQ(ReadFileContents(dir.File("empty")), "");
  // Files whose size says nothing are read to their end.
  EXPECT_FALSE(ReadFileContents("/proc/self/comm").empty());
}

TEST(FileContents, FailuresAreFileErrorsLikeFailedWrites) {
  TempDir dir;
  EXPECT_EQ(ReadFailure(dir.File("missing")),
            "Cannot open file \"" + dir.File("missing") + "\": No such file or directory");
  EXPECT_EQ(ReadFailure(dir.Path().string()), "Cannot open file \"" + dir.Path().string() + "\": Is a directory");
  // The kernel refuses reads of this process's unmapped address 0: an error, not an empty text.
  EXPECT_EQ(ReadFailure("/proc/self/mem").rfind("Cannot read file \"/proc/self/mem\": ", 0), 0u);
}

}  // namespace
}  // namespace qrl
