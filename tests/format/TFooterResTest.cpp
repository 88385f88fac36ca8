#include "format/TFooterRes.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "format/FlyerLayout.h"
#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;
using Bytes = std::vector<unsigned char>;

Bytes Pattern(std::size_t size, unsigned seed) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<unsigned char>(i * seed + seed);
  return b;
}

std::int32_t Long(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

std::string Text(const Bytes& b, std::size_t at, std::size_t n) {
  return {reinterpret_cast<const char*>(b.data()) + at, n};
}

Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) {
  return {b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

TEST(TFooterRes, AddsOneFlyerBehindAFooterlessKickstarter) {
  TempDir dir;
  const Bytes exe = Pattern(3000, 7), flyer = Pattern(1000, 3);
  WriteAll(dir.File("kick.exe"), exe);
  WriteAll(dir.File("flyer.qrl"), flyer);
  {
    TFooterRes footer(dir.File("kick.exe"), false, dir.File("out.exe"));
    EXPECT_TRUE(footer.AddFile(dir.File("flyer.qrl"), "A.QRL"));
    footer.Finish();
  }
  const Bytes out = ReadAll(dir.File("out.exe"));
  ASSERT_EQ(out.size(), 3000u + (4 + 4 + 2 + 6 + 1000) + 8);
  EXPECT_EQ(Slice(out, 0, 3000), exe);
  EXPECT_EQ(Text(out, 3000, 4), "QXLB");
  EXPECT_EQ(Long(out, 3004), 1008);
  EXPECT_EQ(out[3008] | (out[3009] << 8), 6);
  EXPECT_EQ(Text(out, 3010, 6), std::string("A.QRL", 6));
  EXPECT_EQ(Slice(out, 3016, 1000), flyer);
  EXPECT_EQ(Long(out, 4016), 1016);
  EXPECT_EQ(Text(out, 4020, 4), "QXLT");

  // The loader finds the flyer again.
  TQLStream s(dir.File("out.exe"), TOpenMode::fmOpenRead);
  const TFlyerRegion region = LocateFlyerData(s, true);
  EXPECT_EQ(region.Start, 3016);
  EXPECT_EQ(region.End, 4016);
}

TEST(TFooterRes, RebuildingKeepsOtherEntriesAndReplacesTheFlyer) {
  TempDir dir;
  const Bytes exe = Pattern(500, 5), oldFlyer = Pattern(40, 9), other = Pattern(25, 11), newFlyer = Pattern(60, 13);
  WriteAll(dir.File("kick.exe"), exe);
  WriteAll(dir.File("old.qrl"), oldFlyer);
  WriteAll(dir.File("new.qrl"), newFlyer);
  {
    TFooterRes first(dir.File("kick.exe"), false, dir.File("first.exe"));
    ASSERT_TRUE(first.AddFile(dir.File("old.qrl")));
  }
  // Append an entry of another kind by hand, as another tool might.
  Bytes withOther = ReadAll(dir.File("first.exe"));
  withOther.resize(withOther.size() - 8);
  for (char c : std::string("QXLX")) withOther.push_back(static_cast<unsigned char>(c));
  for (int i = 0; i < 4; ++i) withOther.push_back(static_cast<unsigned char>(25 >> (8 * i)));
  withOther.insert(withOther.end(), other.begin(), other.end());
  const std::int32_t footerLength = static_cast<std::int32_t>(withOther.size() - exe.size());
  for (int i = 0; i < 4; ++i) withOther.push_back(static_cast<unsigned char>(footerLength >> (8 * i)));
  for (char c : std::string("QXLT")) withOther.push_back(static_cast<unsigned char>(c));
  WriteAll(dir.File("second-src.exe"), withOther);

  {
    TFooterRes second(dir.File("second-src.exe"), false, dir.File("second.exe"));
    ASSERT_TRUE(second.AddFile(dir.File("new.qrl"), "NEW.QRL"));
  }
  const Bytes out = ReadAll(dir.File("second.exe"));
  std::size_t at = exe.size();
  EXPECT_EQ(Slice(out, 0, at), exe);
  EXPECT_EQ(Text(out, at, 4), "QXLB");
  EXPECT_EQ(Slice(out, at + 18, 60), newFlyer);
  at += 8 + static_cast<std::size_t>(Long(out, at + 4));
  EXPECT_EQ(Text(out, at, 4), "QXLX");
  EXPECT_EQ(Long(out, at + 4), 25);
  EXPECT_EQ(Slice(out, at + 8, 25), other);
  at += 8 + 25;
  EXPECT_EQ(Long(out, at), static_cast<std::int32_t>(at - exe.size()));
  EXPECT_EQ(Text(out, at + 4, 4), "QXLT");
  EXPECT_EQ(out.size(), at + 8);  // the old flyer is gone

  // Without the old footer only the new entry stays.
  {
    TFooterRes fresh(dir.File("second-src.exe"), true, dir.File("fresh.exe"));
    ASSERT_TRUE(fresh.AddFile(dir.File("new.qrl"), "NEW.QRL"));
  }
  EXPECT_EQ(ReadAll(dir.File("fresh.exe")).size(), exe.size() + 8 + 2 + 8 + 60 + 8);
}

TEST(TFooterRes, NoEntryGivesAPlainCopyAndExecuteBitsFollowTheSource) {
  TempDir dir;
  const Bytes exe = Pattern(70000, 3);
  WriteAll(dir.File("kick.exe"), exe);
  ::chmod(dir.File("kick.exe").c_str(), 0755);
  { TFooterRes footer(dir.File("kick.exe"), false, dir.File("copy.exe")); }
  EXPECT_EQ(ReadAll(dir.File("copy.exe")), exe);
  struct stat st {};
  ASSERT_EQ(::stat(dir.File("copy.exe").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0111, (st.st_mode & 0444) >> 2);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);

  WriteAll(dir.File("data.bin"), exe);
  ::chmod(dir.File("data.bin").c_str(), 0644);
  { TFooterRes footer(dir.File("data.bin"), false, dir.File("copy2.exe")); }
  ASSERT_EQ(::stat(dir.File("copy2.exe").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0111, 0u);
}

TEST(TFooterRes, RefusalsAndFailures) {
  TempDir dir;
  WriteAll(dir.File("kick.exe"), Pattern(100, 1));
  WriteAll(dir.File("flyer.qrl"), Pattern(10, 1));

  try {
    TFooterRes footer(dir.File("missing.exe"), false, dir.File("out.exe"));
    FAIL() << "opened a missing source";
  } catch (const EQuireleafException& e) {
    EXPECT_STREQ(e.what(), "File Access error");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.exe")));

  EXPECT_THROW(TFooterRes(dir.File("kick.exe"), false, dir.File("kick.exe")), EFileError);
  EXPECT_EQ(ReadAll(dir.File("kick.exe")), Pattern(100, 1));

  // A trailer whose lengths point outside the file is refused before the target is written.
  Bytes damaged = Pattern(20, 1);
  for (unsigned char c : {0xFF, 0xFF, 0xFF, 0x0F}) damaged.push_back(c);
  for (char c : std::string("QXLT")) damaged.push_back(static_cast<unsigned char>(c));
  WriteAll(dir.File("damaged.exe"), damaged);
  EXPECT_THROW(TFooterRes(dir.File("damaged.exe"), false, dir.File("out2.exe")), EQuireleafInvalidFile);
  EXPECT_FALSE(std::filesystem::exists(dir.File("out2.exe")));

  TFooterRes footer(dir.File("kick.exe"), false, dir.File("out3.exe"));
  EXPECT_FALSE(footer.AddFile(dir.File("missing.qrl"), "M.QRL"));
  EXPECT_FALSE(footer.AddFile(dir.File("flyer.qrl"), std::string(TFooterRes::kMaxResourceName + 1, 'N')));
  EXPECT_TRUE(footer.AddFile(dir.File("flyer.qrl"), std::string(TFooterRes::kMaxResourceName, 'N')));
  footer.Finish();
  EXPECT_FALSE(footer.AddFile(dir.File("flyer.qrl"), "LATE.QRL"));
  EXPECT_EQ(ReadAll(dir.File("out3.exe")).size(), 100u + 8 + 2 + 261 + 10 + 8);
}

TEST(MakeUniqueFileName, AppendsOrOverwritesDigitsUntilTheNameIsFree) {
  TempDir dir;
  const auto base = dir.Path().string() + "/";
  EXPECT_EQ(MakeUniqueFileName(base + "MENU.EXE"), base + "MENU.EXE");
  for (const char* taken : {"MENU.EXE", "MENU0.EXE", "MENU01.EXE", "MENU012.EXE", "MENU0123.EXE", "MENU0124.EXE"})
    WriteAll(base + taken, {});
  EXPECT_EQ(MakeUniqueFileName(base + "MENU.EXE"), base + "MENU0125.EXE");

  WriteAll(base + "ABCDEFGH.EXE", {});
  EXPECT_EQ(MakeUniqueFileName(base + "ABCDEFGH.EXE"), base + "ABCDEFG0.EXE");
  WriteAll(base + "LONGERNAME.QRL", {});
  EXPECT_EQ(MakeUniqueFileName(base + "LONGERNAME.QRL"), base + "LONGERNAME0.QRL");

  // The excluded name counts as taken whatever its case; '/' ends the directory part, so a dot
  // in a folder name is no extension.
  EXPECT_EQ(MakeUniqueFileName("C:\\TEMP\\A.EXE", "c:\\temp\\a.exe"), "C:\\TEMP\\A0.EXE");
  std::filesystem::create_directory(base + "x.d");
  WriteAll(base + "x.d/NOTE", {});
  EXPECT_EQ(MakeUniqueFileName(base + "x.d/NOTE"), base + "x.d/NOTE0");
}

}  // namespace
}  // namespace qrl
