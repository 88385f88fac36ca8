// The symbol coder alone: mixed symbols, decisions and raw values come back exactly and end
// where they started, the adaptive models follow their counts by the documented rule (a stream
// depends on it), and damaged streams are noticed.

#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "fif/RansCoder.h"

namespace qrl {
namespace {

struct TCoded {
  int kind;  // 0 symbol, 1 decision, 2 raw
  int value;
  int bits;
};

std::vector<TCoded> MixedSymbols() {
  std::mt19937 random(5);
  std::geometric_distribution<int> small(0.35);
  std::vector<TCoded> coded;
  for (int i = 0; i < 100000; ++i) {
    switch (random() % 3) {
      case 0:
        coded.push_back({0, std::min(small(random), 54), 0});
        break;
      case 1:
        coded.push_back({1, random() % 20 == 0, 0});
        break;
      default: {
        const int bits = 1 + static_cast<int>(random() % 12);
        coded.push_back({2, static_cast<int>(random() & ((1u << bits) - 1)), bits});
      }
    }
  }
  return coded;
}

std::vector<std::uint8_t> Encode(const std::vector<TCoded>& coded) {
  TRansEncoder encoder;
  TSymbolModel symbols(55);
  TBinaryModel decisions;
  for (const TCoded& c : coded) {
    if (c.kind == 0) encoder.Encode(symbols, c.value);
    else if (c.kind == 1) encoder.Encode(decisions, c.value);
    else encoder.EncodeRaw(static_cast<std::uint32_t>(c.value), c.bits);
  }
  return encoder.Finish();
}

// Decodes as many symbols as coded; false on the first that differs.
bool DecodesTo(const std::vector<TCoded>& coded, TRansDecoder& decoder) {
  TSymbolModel symbols(55);
  TBinaryModel decisions;
  bool same = true;
  for (const TCoded& c : coded) {
    const int got = c.kind == 0   ? decoder.Decode(symbols)
                    : c.kind == 1 ? decoder.Decode(decisions)
                                  : static_cast<int>(decoder.DecodeRaw(c.bits));
    same = same && got == c.value;
  }
  return same;
}

TEST(RansCoder, RoundTripsMixedSymbolsAndEndsWhereItStarted) {
  const std::vector<TCoded> coded = MixedSymbols();
  const std::vector<std::uint8_t> bytes = Encode(coded);
  TRansDecoder decoder(bytes);
  EXPECT_TRUE(DecodesTo(coded, decoder));
  EXPECT_FALSE(decoder.Damaged());
  EXPECT_TRUE(decoder.Ended());
  // Within 2% of the entropy: about 2.67 bits a symbol (geometric, p = 0.35), 0.286 a decision
  // (p = 0.05), and raw values their bits.
  double entropy = 0;
  for (const TCoded& c : coded) entropy += c.kind == 0 ? 2.67 : c.kind == 1 ? 0.286 : c.bits;
  EXPECT_LT(8.0 * bytes.size(), 1.02 * entropy);
}

TEST(RansCoder, DamagedStreamsAreNoticed) {
  const std::vector<TCoded> coded = MixedSymbols();
  const std::vector<std::uint8_t> bytes = Encode(coded);
  {
    // Cut short: words run out.
    TRansDecoder cut(std::span<const std::uint8_t>(bytes).first(bytes.size() / 2));
    DecodesTo(coded, cut);
    EXPECT_TRUE(cut.Damaged());
  }
  {
    // A changed byte in the middle: the states do not come back to their start.
    std::vector<std::uint8_t> changed = bytes;
    changed[changed.size() / 2] ^= 0x40;
    TRansDecoder decoder(changed);
    DecodesTo(coded, decoder);
    EXPECT_FALSE(decoder.Ended());
  }
  // Too short to hold the states, or a state below its range.
  EXPECT_TRUE(TRansDecoder(std::span<const std::uint8_t>(bytes).first(7)).Damaged());
  std::vector<std::uint8_t> low = bytes;
  low[2] = low[3] = 0;
  EXPECT_TRUE(TRansDecoder(low).Damaged());
}

TEST(SymbolModel, FrequenciesFollowTheCountsByTheRule) {
  // 4096 shared out: one each, the rest by counts + 1, the remainder to the symbol counted most.
  std::uint32_t counts[4] = {10, 0, 30, 0};
  std::uint32_t f[4];
  NormalizeCounts(counts, 4, f);
  // 1 + floor(k * 4092 / 44) for k = 11, 1, 31, 1: 1024, 94, 2884, 94 = 4096 exactly.
  EXPECT_EQ(f[0], 1024u);
  EXPECT_EQ(f[1], 94u);
  EXPECT_EQ(f[2], 2884u);
  EXPECT_EQ(f[3], 94u);

  // Extreme counts: every symbol keeps at least 1 and the sum stays 4096.
  std::vector<std::uint32_t> many(256, 0);
  many[7] = 1u << 28;
  std::vector<std::uint32_t> g(256);
  NormalizeCounts(many.data(), 256, g.data());
  EXPECT_EQ(std::accumulate(g.begin(), g.end(), 0u), 4096u);
  EXPECT_EQ(*std::min_element(g.begin(), g.end()), 1u);
  EXPECT_EQ(g[7], 4096u - 255u);

  // A model starts even and is first worked out again after 16 symbols, then after a quarter more.
  TSymbolModel model(4);
  EXPECT_EQ(model.Frequency(0), 1024u);
  for (int i = 0; i < 15; ++i) model.Count(2);
  EXPECT_EQ(model.Frequency(2), 1024u);
  model.Count(2);
  // Counts 0, 0, 16, 0: 205, 205, 3479, 205, and the 2 left over to symbol 2.
  EXPECT_EQ(model.Frequency(2), 3481u);
  EXPECT_EQ(model.Frequency(3), 205u);
  EXPECT_EQ(model.SymbolAt(model.Start(2)), 2);
  EXPECT_EQ(NextRebuild(16), 32u);
  EXPECT_EQ(NextRebuild(100), 125u);
  TBinaryModel decision;
  for (int i = 0; i < 16; ++i) decision.Count(1);
  EXPECT_EQ(decision.Zero(), 1 + 4094u / 18);
}

}  // namespace
}  // namespace qrl
