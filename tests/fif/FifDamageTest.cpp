// Damaged and hostile FIF streams: every one must end in an error status, never in a crash,
// a hang or a huge allocation.

#include <gtest/gtest.h>

#include <random>

#include "fif/FifBitstream.h"
#include "fif/FifDecoder.h"
#include "fif/FifEncoder.h"
#include "fif/FifStatus.h"
#include "fif/FifTestPictures.h"

namespace qrl {
namespace {

TFifStatus ParseStatus(const std::vector<std::uint8_t>& bytes) {
  try {
    TFifDecoder decoder(bytes);
    decoder.Render(17, 9);
  } catch (const EFifError& e) {
    return e.Status();
  }
  return fsOk;
}

// Rewrites the closing checksum so that damage reaches the parser behind it.
void Reseal(std::vector<std::uint8_t>& bytes) {
  bytes.erase(bytes.end() - std::min<std::ptrdiff_t>(4, std::ssize(bytes)), bytes.end());
  AppendFifChecksum(bytes);
}

const std::vector<std::uint8_t>& SmallStream() {
  static const std::vector<std::uint8_t> fif = EncodeFif(test::SyntheticPicture(24, 19));
  return fif;
}

TEST(FifDamage, EveryTruncationIsAnError) {
  const std::vector<std::uint8_t>& fif = SmallStream();
  ASSERT_EQ(ParseStatus(fif), fsOk);
  for (std::size_t n = 0; n < fif.size(); ++n) {
    const std::vector<std::uint8_t> cut(fif.begin(), fif.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_NE(ParseStatus(cut), fsOk) << n;
  }
}

TEST(FifDamage, BitFlipsAreCaughtByTheChecksum) {
  const std::vector<std::uint8_t>& fif = SmallStream();
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    std::vector<std::uint8_t> bad = fif;
    const std::size_t at = random() % bad.size();
    bad[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    const TFifStatus status = ParseStatus(bad);
    EXPECT_TRUE(status == fsDamaged || status == fsNotFif || status == fsUnsupportedVersion || status == fsBadHeader)
        << at << " " << status;
  }
}

TEST(FifDamage, ResealedGarbageBehindTheHeaderNeverCrashes) {
  // With a valid checksum, corrupt payloads reach the parser; they may decode to some picture
  // or fail, but the outcome is a status.
  const std::vector<std::uint8_t>& fif = SmallStream();
  TFifHeader header;
  const std::size_t headerSize = ReadFifHeader(fif, header);
  std::mt19937 random(11);
  int errors = 0;
  for (int i = 0; i < 300; ++i) {
    std::vector<std::uint8_t> bad = fif;
    for (int k = 0; k < 3; ++k) bad[headerSize + random() % (bad.size() - headerSize - 4)] = static_cast<std::uint8_t>(random());
    Reseal(bad);
    const TFifStatus status = ParseStatus(bad);
    EXPECT_TRUE(status == fsOk || status == fsDamaged) << status;
    errors += status != fsOk;
  }
  EXPECT_GT(errors, 0);
}

TEST(FifDamage, HeaderFieldsAreChecked) {
  const std::vector<std::uint8_t>& fif = SmallStream();
  auto patched = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bad = fif;
    bad[at] = value;
    Reseal(bad);
    return ParseStatus(bad);
  };
  EXPECT_EQ(patched(0, 'X'), fsNotFif);
  EXPECT_EQ(patched(4, kFifVersion + 1), fsUnsupportedVersion);
  EXPECT_EQ(patched(5, 0x80), fsBadHeader);  // unknown flag
  EXPECT_EQ(patched(6, 0), fsBadHeader);     // quality 0
  EXPECT_EQ(patched(7, 0), fsBadHeader);     // width 0 (low byte of 24, rest zero)
  EXPECT_EQ(patched(16, 9), fsBadHeader);    // luma smallest block above the largest
  EXPECT_EQ(ParseStatus({}), fsNotFif);
}

TEST(FifDamage, HugeDeclaredPicturesAreRefusedOrCheap) {
  // The largest storable size with no picture data behind it: the parser runs out of data.
  TFifHeader header;
  header.width = 16384;
  header.height = 16384;
  header.grey = true;
  std::vector<std::uint8_t> bytes;
  WriteFifHeader(header, bytes);
  bytes.insert(bytes.end(), 8, 0);
  AppendFifChecksum(bytes);
  EXPECT_EQ(ParseStatus(bytes), fsDamaged);

  header.width = kFifMaxPictureSide + 1;
  header.height = 1;
  bytes.clear();
  WriteFifHeader(header, bytes);
  AppendFifChecksum(bytes);
  EXPECT_EQ(ParseStatus(bytes), fsBadHeader);
}

}  // namespace
}  // namespace qrl
