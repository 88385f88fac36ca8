#include "format/FlyerLayout.h"

#include <gtest/gtest.h>

#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;
using Bytes = std::vector<unsigned char>;

void Append32(Bytes& b, std::int64_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

void AppendText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// A record of the footer: tag, L, then L bytes.
void AppendRecord(Bytes& b, const std::string& tag, const Bytes& body) {
  AppendText(b, tag);
  Append32(b, static_cast<std::int64_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
}

Bytes FlyerRecordBody(const std::string& name, const Bytes& flyer) {
  Bytes body{static_cast<unsigned char>(name.size() + 1), 0};
  AppendText(body, name);
  body.push_back(0);
  body.insert(body.end(), flyer.begin(), flyer.end());
  return body;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EQuireleafInvalidFile& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(FlyerLayout, BlockCodesAndKickstarterNames) {
  EXPECT_TRUE(IsEssential(bcFlyerInfo));
  EXPECT_TRUE(IsEssential(0x8500));
  EXPECT_FALSE(IsEssential(bcNavBar));
  EXPECT_FALSE(IsEssential(0x0500));

  EXPECT_TRUE(IsKickstarterName("/home/u/Flyer.exe"));
  EXPECT_TRUE(IsKickstarterName("C:\\FLYERS\\MENU.EXE"));
  EXPECT_TRUE(IsKickstarterName("menu.ExE"));
  EXPECT_FALSE(IsKickstarterName("menu.qrl"));
  EXPECT_FALSE(IsKickstarterName("menu.exe.qrl"));
  EXPECT_FALSE(IsKickstarterName("/tmp/a.exe/menu"));
  EXPECT_FALSE(IsKickstarterName("EXE"));
}

TEST(FlyerLayout, RegionOfAKickstarterSkipsOtherRecordsBeforeTheFlyer) {
  TempDir dir;
  const Bytes flyer{1, 2, 3, 4, 5, 6, 7};
  Bytes file(100, 0x90);  // the executable part
  const std::int64_t footerStart = static_cast<std::int64_t>(file.size());
  AppendRecord(file, "ABCD", Bytes(13, 0x55));
  AppendRecord(file, "QXLB", FlyerRecordBody("A.QRL", flyer));
  AppendRecord(file, "ZZZZ", Bytes(3, 0x66));
  Append32(file, static_cast<std::int64_t>(file.size()) - footerStart);
  AppendText(file, "QXLT");
  const auto path = dir.File("packed.exe");
  WriteAll(path, file);

  TQLStream s(path, TOpenMode::fmOpenRead);
  const TFlyerRegion region = LocateFlyerData(s, IsKickstarterName(path));
  const std::int64_t expectedStart = footerStart + (8 + 13) + 8 + 2 + 6;
  EXPECT_EQ(region.Start, expectedStart);
  EXPECT_EQ(region.End, expectedStart + 7);
  EXPECT_EQ(s.Position(), region.Start);
  EXPECT_EQ(s.ReadByte(), 1);

  // A plain flyer is its whole file.
  TQLStream plain(path, TOpenMode::fmOpenRead);
  plain.Seek(50, TSeekOrigin::soBeginning);
  const TFlyerRegion whole = LocateFlyerData(plain, false);
  EXPECT_EQ(whole.Start, 0);
  EXPECT_EQ(whole.End, plain.Size());
  EXPECT_EQ(plain.Position(), 0);
}

TEST(FlyerLayout, DamagedOrMissingFootersAreNotKickstarters) {
  TempDir dir;
  const auto path = dir.File("bad.exe");
  const auto refusal = [&](const Bytes& bytes) {
    WriteAll(path, bytes);
    return ErrorOf([&] {
      TQLStream s(path, TOpenMode::fmOpenRead);
      LocateFlyerData(s, true);
    });
  };
  const std::string expected = kNotKickstarterMessage;
  const auto withTrailer = [](Bytes b, std::int64_t length) {
    Append32(b, length);
    AppendText(b, "QXLT");
    return b;
  };

  Bytes plainFlyer{0xEE, 'Q', 'L', 'F', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
  EXPECT_EQ(refusal(plainFlyer), expected);
  EXPECT_EQ(refusal({}), expected);
  EXPECT_EQ(refusal({'Q', 'X', 'L', 'T'}), expected);

  Bytes other(10, 0);
  AppendRecord(other, "ABCD", Bytes(5, 1));
  EXPECT_EQ(refusal(withTrailer(other, 13)), expected);  // no flyer record
  EXPECT_EQ(refusal(withTrailer(other, -1)), expected);
  EXPECT_EQ(refusal(withTrailer(other, 0x7FFFFFFF)), expected);
  EXPECT_EQ(refusal(withTrailer(Bytes(10, 0), 0)), expected);

  Bytes negativeRecord(4, 0);
  AppendText(negativeRecord, "ABCD");
  Append32(negativeRecord, -8);  // would walk backwards for ever if followed
  negativeRecord.resize(negativeRecord.size() + 8);
  EXPECT_EQ(refusal(withTrailer(negativeRecord, 16)), expected);

  Bytes longRecord;
  AppendText(longRecord, "QXLB");
  Append32(longRecord, 1000);  // beyond the trailer
  longRecord.insert(longRecord.end(), {2, 0, 'A', 0});
  EXPECT_EQ(refusal(withTrailer(longRecord, 12)), expected);

  Bytes longName;
  AppendRecord(longName, "QXLB", {200, 0, 'A', 0});  // name longer than the record
  EXPECT_EQ(refusal(withTrailer(longName, 12)), expected);
}

TEST(FlyerLayout, MagicBytes) {
  TempDir dir;
  const auto path = dir.File("m.qrl");
  const auto check = [&](const Bytes& bytes) {
    WriteAll(path, bytes);
    return ErrorOf([&] {
      TQLStream s(path, TOpenMode::fmOpenRead);
      CheckMagic(s);
    });
  };
  {
    TQLStream w(path, TOpenMode::fmCreate);
    WriteMagic(w);
  }
  const Bytes good = ReadAll(path);
  EXPECT_EQ(good, (Bytes{0xEE, 'Q', 'L', 'F', 0x0D, 0x0A, 0x1A, 0x0A}));
  EXPECT_EQ(check(good), "(no error)");
  EXPECT_EQ(check({0xEE, 'Q', 'R', 'L', 0x0D, 0x0A, 0x1A, 0x0A}), kCompactedMessage);
  EXPECT_EQ(check({0xEE, 'Q', 'R', 'L'}), kCompactedMessage);
  EXPECT_EQ(check({0xEE, 'Q', 'L', 'F', 0x0D, 0x0A, 0x1A, 0x0B}), kNotQuireleafMessage);
  EXPECT_EQ(check({0xEE, 'Q'}), kNotQuireleafMessage);
}

TEST(FlyerLayout, HeaderVersionChecks) {
  TempDir dir;
  const auto path = dir.File("h.qrl");
  const auto header = [&](std::uint16_t code, std::uint16_t version) {
    {
      TQLStream w(path, TOpenMode::fmCreate);
      WriteFileHeader(w, code, version, TStamp{0x1234, {1, 2, 3, 4, 5}});
    }
    TQLStream s(path, TOpenMode::fmOpenRead);
    const TFileHeader h = CheckFileHeader(s);
    EXPECT_EQ(s.FormatCode(), code);
    EXPECT_EQ(s.Position(), s.Size());
    return h;
  };
  const TFileHeader ok = header(12, 120);
  EXPECT_EQ(ok.FormatCode, 12);
  EXPECT_EQ(ok.NeededVersion, 120);
  EXPECT_EQ(ok.Stamp.Word, 0x1234);
  EXPECT_EQ(ok.Stamp.Bytes, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(header(16, 100).FormatCode, 16);

  EXPECT_EQ(ErrorOf([&] { header(11, 120); }), "File has an old format (code 11); contact Quireleaf for more info.");
  EXPECT_EQ(ErrorOf([&] { header(12, 121); }),
            "You need at least version 1.21 to read this file. Contact Quireleaf to update your software.");
  EXPECT_EQ(ErrorOf([&] { header(12, 1500); }),
            "You need at least version 15.00 to read this file. Contact Quireleaf to update your software.");
  // The format code is judged first.
  EXPECT_EQ(ErrorOf([&] { header(3, 999); }), "File has an old format (code 3); contact Quireleaf for more info.");
}

TEST(FlyerLayout, HeaderExtraBytesAreSkippedAndDamageIsCaught) {
  TempDir dir;
  const auto path = dir.File("h.qrl");
  {
    TQLStream w(path, TOpenMode::fmCreate);
    w.BeginBlock();
    w.ChecksumOn();
    w.WriteWord(16);
    w.WriteWord(110);
    w.WriteStamp(1, 2, 3, 4, 5, 6);
    w.WriteLongInt(777);  // a field this reader does not know
    w.WriteChecksum();
    w.EndBlock();
  }
  {
    TQLStream s(path, TOpenMode::fmOpenRead);
    EXPECT_EQ(CheckFileHeader(s).NeededVersion, 110);
    EXPECT_EQ(s.Position(), s.Size());
  }
  auto bytes = ReadAll(path);
  bytes[15] ^= 0x01;  // a stamp byte
  WriteAll(path, bytes);
  TQLStream s(path, TOpenMode::fmOpenRead);
  try {
    CheckFileHeader(s);
    FAIL() << "damage not detected";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), ecChecksumFailed);
  }
}

TEST(FlyerLayout, CodedBlocksReadBackWithCodeAndChecksum) {
  TempDir dir;
  const auto path = dir.File("c.qrl");
  {
    TQLStream w(path, TOpenMode::fmCreate);
    WriteCodedBlock(w, bcNavBar, [](TQLStream& s) { s.WriteSmallInt(0x1F); });
    WriteCodedBlock(w, bcNote, [](TQLStream&) {});
  }
  EXPECT_EQ(ReadAll(path), (Bytes{0x01, 0x01, 2, 0, 0, 0, 0x1F, 0, 0x20, 0, 0x40, 0,  //
                                  0x01, 0x03, 0, 0, 0, 0, 1, 0, 0, 0}));
  TQLStream s(path, TOpenMode::fmOpenRead);
  EXPECT_EQ(s.ReadWord(), bcNavBar);
  s.ReadBlockStart(0);
  s.ChecksumOn();
  EXPECT_EQ(s.ReadSmallInt(), 0x1F);
  s.ReadBlockEnd();
  EXPECT_TRUE(s.CheckChecksum());
  EXPECT_EQ(s.ReadWord(), bcNote);
}

}  // namespace
}  // namespace qrl
