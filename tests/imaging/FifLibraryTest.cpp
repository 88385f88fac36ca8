#include "imaging/FifLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "format/QuireleafException.h"
#include "imaging/DecodeFif.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using ::testing::HasSubstr;

std::string FailureOf(const std::string& path) {
  try {
    TFifLibrary library(path);
  } catch (const EQuireleafException& e) {
    return e.what();
  }
  return "no error";
}

TEST(FifLibrary, MissingLibraryOrEntryPointIsNamed) {
  const std::string missing = FailureOf("/nonexistent/libquirefif.so");
  EXPECT_THAT(missing, HasSubstr("Cannot load the FIF decoder library /nonexistent/libquirefif.so: "));
  EXPECT_THAT(missing, HasSubstr("No such file"));  // the system's own reason follows

  const std::string lacking = FailureOf(QRL_FAKE_FIF_LIBRARY_WITHOUT_CLOSE);
  EXPECT_THAT(lacking, HasSubstr("has no entry point CloseDecompressor: "));
  EXPECT_THAT(lacking, HasSubstr("undefined symbol"));

  ::setenv("QRL_FIF_LIBRARY", "/nonexistent/libquirefif.so", 1);
  EXPECT_FALSE(TFifLibrary::Hold().has_value());
  const std::uint8_t data[1] = {0};
  try {
    DecodeFif(data, 1, 1, 1);
    ADD_FAILURE() << "decoded without a library";
  } catch (const EQuireleafException& e) {
    EXPECT_THAT(std::string(e.what()), HasSubstr("/nonexistent/libquirefif.so"));
  }
  ::unsetenv("QRL_FIF_LIBRARY");
}

TEST(FifLibrary, HeldLibraryBindsAllEntryPoints) {
  ::setenv("QRL_FIF_LIBRARY", QRL_FAKE_FIF_LIBRARY, 1);
  std::optional<TFifLibrary> held = TFifLibrary::Hold();
  ::unsetenv("QRL_FIF_LIBRARY");
  ASSERT_TRUE(held.has_value());
  EXPECT_EQ(held->Path(), QRL_FAKE_FIF_LIBRARY);
  EXPECT_NE(held->EndProgressiveDecompression, nullptr);

  TFifLibrary moved = std::move(*held);
  held.reset();  // the moved-from object must not release the library
  std::uint32_t handle = 0;
  EXPECT_EQ(moved.OpenDecompressor(&handle), 0);
  EXPECT_EQ(moved.CloseDecompressor(handle), 0);
}

TEST(FifLibrary, LocatesConfiguredThenBesideTheProgramThenByName) {
  test::TempDir folder;
  EXPECT_EQ(LocateFifLibrary("/opt/x/libfif.so", folder.Path()), "/opt/x/libfif.so");
  EXPECT_EQ(LocateFifLibrary(nullptr, folder.Path()), QRL_FIF_LIBRARY_NAME);
  EXPECT_EQ(LocateFifLibrary("", folder.Path()), QRL_FIF_LIBRARY_NAME);
  test::WriteAll(folder.File(QRL_FIF_LIBRARY_NAME), {0});
  EXPECT_EQ(LocateFifLibrary("", folder.Path()), folder.File(QRL_FIF_LIBRARY_NAME));
}

}  // namespace
}  // namespace qrl
