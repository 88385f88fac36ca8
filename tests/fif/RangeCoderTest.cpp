// The range coder alone: long runs of skewed and even bits and groups of direct bits come back
// exactly, skewed bits cost less than one bit each, and a stream cut short is noticed.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "fif/RangeCoder.h"

namespace qrl {
namespace {

TEST(RangeCoder, RoundTripsMixedStatistics) {
  std::mt19937 random(3);
  std::vector<int> bits;
  std::vector<int> which;
  for (int i = 0; i < 200000; ++i) {
    const int context = static_cast<int>(random() % 4);
    // Context 0 is almost always 0, 1 almost always 1, 2 even, 3 alternates in long runs.
    const int bit = context == 0 ? random() % 100 == 0 : context == 1 ? random() % 100 != 0
                  : context == 2 ? static_cast<int>(random() & 1) : (i / 1000) & 1;
    bits.push_back(bit);
    which.push_back(context);
  }
  TRangeEncoder encoder;
  TBitContext out[4];
  for (std::size_t i = 0; i < bits.size(); ++i) encoder.Encode(out[which[i]], bits[i]);
  const std::vector<std::uint8_t> bytes = encoder.Finish();
  EXPECT_LT(bytes.size() * 8, bits.size() * 0.6);

  TRangeDecoder decoder(bytes);
  TBitContext in[4];
  for (std::size_t i = 0; i < bits.size(); ++i) ASSERT_EQ(decoder.Decode(in[which[i]]), bits[i]) << i;
  EXPECT_FALSE(decoder.Overrun());

  TRangeDecoder cut(std::span<const std::uint8_t>(bytes).first(bytes.size() / 2));
  TBitContext again[4];
  for (std::size_t i = 0; i < bits.size(); ++i) cut.Decode(again[which[i]]);
  EXPECT_TRUE(cut.Overrun());
}

// Direct bit groups of every width interleaved with modelled bits: both come back exactly, the
// groups cost their width (no more than a few bytes over all), and a cut is noticed.
TEST(RangeCoder, DirectBitsInterleaveWithModelledBits) {
  std::mt19937 random(7);
  struct TItem {
    int bits;  // 0: one modelled bit
    std::uint32_t value;
  };
  std::vector<TItem> items;
  double directBits = 0.0;
  for (int i = 0; i < 50000; ++i) {
    const int bits = static_cast<int>(random() % (kMaxDirectBits + 1));
    const std::uint32_t value = bits == 0 ? random() % 50 == 0 : static_cast<std::uint32_t>(random()) & ((1u << bits) - 1);
    // The extremes of each width are where a rounding slip would show.
    items.push_back({bits, i % 7 == 0 && bits > 0 ? (1u << bits) - 1 : value});
    directBits += bits;
  }
  TRangeEncoder encoder;
  TBitContext out;
  for (const TItem& item : items) {
    if (item.bits == 0) encoder.Encode(out, static_cast<int>(item.value));
    else encoder.EncodeDirect(item.value, item.bits);
  }
  const std::vector<std::uint8_t> bytes = encoder.Finish();
  EXPECT_LT(bytes.size() * 8.0, directBits * 1.001 + 0.2 * 50000 / (kMaxDirectBits + 1) * 8);

  TRangeDecoder decoder(bytes);
  TBitContext in;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const TItem& item = items[i];
    const std::uint32_t got = item.bits == 0 ? static_cast<std::uint32_t>(decoder.Decode(in)) : decoder.DecodeDirect(item.bits);
    ASSERT_EQ(got, item.value) << i;
  }
  EXPECT_FALSE(decoder.Overrun());

  TRangeDecoder cut(std::span<const std::uint8_t>(bytes).first(bytes.size() / 3));
  for (const TItem& item : items) {
    const std::uint32_t got = item.bits == 0 ? static_cast<std::uint32_t>(cut.Decode(in)) : cut.DecodeDirect(item.bits);
    ASSERT_LT(got, std::uint64_t{1} << std::max(item.bits, 1));
  }
  EXPECT_TRUE(cut.Overrun());
}

}  // namespace
}  // namespace qrl
