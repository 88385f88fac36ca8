// The range coder alone: long runs of skewed and even bits come back exactly, skewed bits cost
// less than one bit each, and a stream cut short is noticed.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qrl
