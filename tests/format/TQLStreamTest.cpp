#include "format/TQLStream.h"

#include <gtest/gtest.h>

#include <functional>

#include "format/QuireleafException.h"
#include "support/TempDir.h"

namespace qrl {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;
using Bytes = std::vector<unsigned char>;

Bytes WriteBlock(const TempDir& dir, const Bytes& payload) {
  const auto path = dir.File("block.bin");
  {
    TQLStream s(path, TOpenMode::fmCreate);
    s.BeginBlock();
    s.ChecksumOn();
    s.Write(payload.data(), static_cast<std::int64_t>(payload.size()));
    s.WriteChecksum();
    s.EndBlock();
  }
  return ReadAll(path);
}

TEST(TQLStreamBlocks, EmptyAndAbcBlocksCarryTheirLengthAndAdler32) {
  TempDir dir;
  EXPECT_EQ(WriteBlock(dir, {}), (Bytes{0, 0, 0, 0, 1, 0, 0, 0}));
  const std::uint32_t abc = 589u * 65536u + 295u;
  EXPECT_EQ(WriteBlock(dir, {'a', 'b', 'c'}),
            (Bytes{3, 0, 0, 0, 'a', 'b', 'c', abc & 0xFF, (abc >> 8) & 0xFF, (abc >> 16) & 0xFF, abc >> 24}));
}

TEST(TQLStreamBlocks, PartialReadSkipsRestAndChecksumStillHolds) {
  TempDir dir;
  Bytes payload(40000);
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<unsigned char>(i * 7);
  WriteBlock(dir, payload);
  TQLStream s(dir.File("block.bin"), TOpenMode::fmOpenRead);
  s.ReadBlockStart(0);
  s.ChecksumOn();
  EXPECT_EQ(s.ReadByte(), 0);
  EXPECT_EQ(s.BlockRemaining(), 39999);
  s.ReadBlockEnd();
  EXPECT_TRUE(s.CheckChecksum());
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(TQLStreamBlocks, OverreadAndDamageAreRejectedWithTheirCodes) {
  TempDir dir;
  auto bytes = WriteBlock(dir, {'x', 'y'});
  {
    TQLStream s(dir.File("block.bin"), TOpenMode::fmOpenRead);
    s.ReadBlockStart(0);
    s.ChecksumOn();
    // The read itself refuses to pass the end, before any byte beyond it is used.
    try {
      s.ReadLongInt();
      FAIL() << "read past the block end went unnoticed";
    } catch (const EQuireleafDebugger& e) {
      EXPECT_EQ(e.HelpContext(), 4102);
      EXPECT_STREQ(e.what(), "Block edge exceeded.");
    }
  }
  bytes[5] ^= 1;
  WriteAll(dir.File("bad.bin"), bytes);
  TQLStream s(dir.File("bad.bin"), TOpenMode::fmOpenRead);
  s.ReadBlockStart(0);
  s.ChecksumOn();
  s.ReadBlockEnd();
  try {
    s.CheckChecksum();
    FAIL() << "damage went unnoticed";
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 4100);
  }
  EXPECT_THROW(s.ReadBlockStart(2), EQuireleafDebugger);
}

TEST(TQLStreamBlocks, DeclaredSizeBeyondTheFileIsRefusedBeforeReading) {
  TempDir dir;
  WriteAll(dir.File("huge.bin"), {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
  TQLStream s(dir.File("huge.bin"), TOpenMode::fmOpenRead);
  try {
    s.ReadBlockStart(0);
    FAIL();
  } catch (const EQuireleafDebugger& e) {
    EXPECT_EQ(e.HelpContext(), 4102);
  }
}

TEST(TQLStreamText, CodedTextAndLinesDecodeAsStored) {
  TempDir dir;
  WriteAll(dir.File("t.bin"), {0xB7, 0xF5, 0xFF, 0xF5, 0xFF, 0xFF, 0xB7, 0xFF});
  TQLStream s(dir.File("t.bin"), TOpenMode::fmOpenRead);
  EXPECT_EQ(s.ReadText(), "H\r\n");
  TStrings lines{"stale"};
  s.ReadLines(lines);
  EXPECT_EQ(lines, TStrings{""});
  s.ReadLines(lines);
  EXPECT_TRUE(lines.empty());
  s.ReadLines(lines);
  EXPECT_EQ(lines, TStrings{"H"});
}

TEST(TQLStreamText, WriteLinesComplementsAndDropsCarriageReturns) {
  TempDir dir;
  {
    TQLStream s(dir.File("l.bin"), TOpenMode::fmCreate);
    s.WriteLines({"a", "b\r"});
    s.WriteLines({});
    s.WriteLines({""});
  }
  EXPECT_EQ(ReadAll(dir.File("l.bin")), (Bytes{0x9E, 0xF5, 0x9D, 0xF5, 0xFF, 0xFF, 0xF5, 0xFF}));
}

TEST(TQLStreamPrimitives, IntegersAndColoursRoundTripLittleEndian) {
  TempDir dir;
  {
    TQLStream s(dir.File("p.bin"), TOpenMode::fmCreate);
    s.WriteSmallInt(-2);
    s.WriteWord(0xABCD);
    s.WriteLongInt(-123456789);
    s.WriteColor(0x00332211);
    s.WriteStamp(7, 1, 2, 3, 4, 5);
  }
  const auto bytes = ReadAll(dir.File("p.bin"));
  EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 11), (Bytes{0x11, 0x22, 0x33}));
  TQLStream s(dir.File("p.bin"), TOpenMode::fmOpenRead);
  EXPECT_EQ(s.ReadSmallInt(), -2);
  EXPECT_EQ(s.ReadWord(), 0xABCD);
  EXPECT_EQ(s.ReadLongInt(), -123456789);
  EXPECT_EQ(s.ReadColor(), 0x00332211u);
  std::uint16_t w = 0;
  std::uint8_t b[5] = {};
  s.ReadStamp(w, b[0], b[1], b[2], b[3], b[4]);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(b[4], 5);
}

TEST(TQLStreamBuffer, SeekInsideTheBufferKeepsItAndLargeReadsBypassIt) {
  TempDir dir;
  Bytes data(50000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i % 251);
  WriteAll(dir.File("b.bin"), data);
  TQLStream s(dir.File("b.bin"), TOpenMode::fmOpenRead);
  std::vector<unsigned char> out(TQLStream::kReadBufferSize);
  EXPECT_EQ(s.Read(out.data(), 10), 10);
  // Change the file behind the stream: bytes still served from the buffer keep the old values.
  data[5] = 0xEE;
  data[20000] = 0xEE;
  WriteAll(dir.File("b.bin"), data);
  s.Seek(5, TSeekOrigin::soBeginning);
  EXPECT_EQ(s.ReadByte(), 5);
  s.Seek(20000, TSeekOrigin::soBeginning);
  EXPECT_EQ(s.ReadByte(), 0xEE);
  std::vector<unsigned char> big(16369);
  s.Seek(0, TSeekOrigin::soBeginning);
  EXPECT_EQ(s.Read(big.data(), 16369), 16369);
  EXPECT_EQ(big[5], 0xEE);
}

TEST(TQLStreamBuffer, ReadPastTheEndZeroFillsAndReportsShortCount) {
  TempDir dir;
  WriteAll(dir.File("s.bin"), {1, 2, 3});
  TQLStream s(dir.File("s.bin"), TOpenMode::fmOpenRead);
  std::uint8_t b[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(s.Read(b, 6), 3);
  EXPECT_EQ(b[3], 0);
  EXPECT_EQ(b[5], 0);
  s.Seek(0, TSeekOrigin::soBeginning);
  EXPECT_THROW(s.ReadBuffer(b, 6), EFileError);
}

TEST(TQLStreamBulk, CopyFromCarriesBlocksAcrossUnchanged) {
  TempDir dir;
  Bytes payload(200000, 0x5A);
  const auto block = WriteBlock(dir, payload);
  {
    TQLStream src(dir.File("block.bin"), TOpenMode::fmOpenRead);
    TQLStream dst(dir.File("copy.bin"), TOpenMode::fmCreate);
    src.CopyBlockTo(dst);
  }
  EXPECT_EQ(ReadAll(dir.File("copy.bin")), block);
}

// A block of payload bytes 1..n, as WriteBlock lays it out, in memory.
Bytes MemoryBlock(std::uint8_t n) {
  TQLStream s(Bytes{}, "block.bin");
  s.WriteBlock([n](TQLStream& b) {
    for (std::uint8_t i = 1; i <= n; ++i) b.WriteByte(i);
  });
  return *s.MemoryBytes();
}

TEST(TQLStreamMemory, ReadsAndWritesLikeAFile) {
  TempDir dir;
  const Bytes onDisk = WriteBlock(dir, {1, 2, 3});
  EXPECT_EQ(MemoryBlock(3), onDisk);

  TQLStream s(MemoryBlock(3), "mem.qrl");
  EXPECT_EQ(s.FileName(), "mem.qrl");
  EXPECT_EQ(s.Size(), 11);
  std::uint8_t sum = 0;
  s.ReadBlock([&sum](TQLStream& b) {
    while (b.BlockRemaining() > 0) sum = static_cast<std::uint8_t>(sum + b.ReadByte());
  });
  EXPECT_EQ(sum, 6);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(TQLStream(dir.File("block.bin"), TOpenMode::fmOpenRead).MemoryBytes(), nullptr);
}

TEST(TQLStreamBlocks, EveryTypedReadStopsAtTheBlockEnd) {
  const auto refusedAtTheRead = [](const std::function<void(TQLStream&)>& read) {
    TQLStream s(MemoryBlock(3), "b.qrl");
    s.ReadBlockStart(0);
    s.ChecksumOn();
    s.ReadByte();
    try {
      read(s);
    } catch (const EQuireleafDebugger& e) {
      return e.HelpContext() == ecBlockEdgeExceeded;
    }
    return false;
  };
  EXPECT_TRUE(refusedAtTheRead([](TQLStream& s) { s.ReadLongInt(); }));
  EXPECT_TRUE(refusedAtTheRead([](TQLStream& s) { s.ReadColor(); }));
  // Texts without their end mark inside the block, and skips beyond it.
  EXPECT_TRUE(refusedAtTheRead([](TQLStream& s) { s.ReadText(); }));
  EXPECT_TRUE(refusedAtTheRead([](TQLStream& s) {
    TStrings lines;
    s.ReadLines(lines);
  }));
  EXPECT_TRUE(refusedAtTheRead([](TQLStream& s) { s.Skip(3); }));
  EXPECT_FALSE(refusedAtTheRead([](TQLStream& s) { s.ReadWord(); }));

  // After the block, the checksum and the next code are read freely.
  TQLStream s(MemoryBlock(3), "b.qrl");
  s.ReadBlock([](TQLStream& b) { b.ReadWord(); });
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(s.ReadWord(), 0);
}

TEST(TQLStreamBlocks, TheRegionEndBoundsBlocksAndReads) {
  Bytes bytes = MemoryBlock(3);
  const Bytes second = MemoryBlock(2);
  bytes.insert(bytes.end(), second.begin(), second.end());
  TQLStream s(bytes, "r.qrl");
  s.SetRegionEnd(11);
  EXPECT_EQ(s.RegionEnd(), 11);
  s.ReadBlock([](TQLStream&) {});
  EXPECT_THROW(s.ReadBlock([](TQLStream&) {}), EQuireleafDebugger);
  // Past the region the data reads as ended.
  s.Seek(11, TSeekOrigin::soBeginning);
  std::uint8_t b[4] = {9, 9, 9, 9};
  EXPECT_EQ(s.Read(b, 4), 0);
  EXPECT_EQ(b[0], 0);

  // Copying and passing blocks check their frames against the region too.
  TQLStream copy(Bytes{}, "c.qrl");
  TQLStream source(bytes, "r.qrl");
  source.SetRegionEnd(static_cast<std::int64_t>(bytes.size()) - 1);
  source.CopyBlockTo(copy);
  EXPECT_EQ(*copy.MemoryBytes(), MemoryBlock(3));
  EXPECT_THROW(source.CopyBlockTo(copy), EQuireleafDebugger);
  source.SetRegionEnd(static_cast<std::int64_t>(bytes.size()));
  source.Seek(11, TSeekOrigin::soBeginning);
  source.PassBlock();
  EXPECT_EQ(source.Position(), source.Size());
}

TEST(TQLStreamFile, AFailedReadIsAnErrorNotZeros) {
  // The kernel refuses reads of this process's unmapped address 0.
  TFileStorage storage("/proc/self/mem", TOpenMode::fmOpenRead);
  std::uint8_t b[16] = {};
  try {
    storage.ReadAt(b, sizeof b, 0);
    FAIL() << "the failed read went unnoticed";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot read file \"/proc/self/mem\""), std::string::npos) << e.what();
  }
  EXPECT_THROW(TFileStorage("/nonexistent/x.qrl", TOpenMode::fmOpenRead), EFileError);
}

}  // namespace
}  // namespace qrl
