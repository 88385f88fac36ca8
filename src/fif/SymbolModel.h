#pragma once
// Symbol probabilities learnt from counts, for the rANS coder (RansCoder.h). A model starts out
// uniform and is rebuilt from its counts after 16 symbols, then whenever the number it has coded
// has grown by a quarter (at least 16): close to the picture's own statistics after a few
// hundred symbols, and cheap enough to rebuild that a decoder hardly notices.

#include <array>
#include <cstdint>

namespace qrl {

// Probabilities are in 1/4096: every symbol of the alphabet keeps at least 1.
inline constexpr int kModelBits = 12;
inline constexpr std::uint32_t kModelTotal = 1u << kModelBits;

// The frequencies of an alphabet of n symbols (2..256) summing to kModelTotal:
// f(s) = 1 + floor((count(s) + 1) (kModelTotal - n) / (sum of counts + n)), and what is left over
// goes to the symbol counted most (the first of them on a tie).
void NormalizeCounts(const std::uint32_t* counts, int n, std::uint32_t* frequencies);

// When a model with `seen` symbols coded is next rebuilt.
inline std::uint32_t NextRebuild(std::uint32_t seen) { return seen + (seen / 4 > 16 ? seen / 4 : 16); }

// A yes/no decision's model: the frequency of 0 in 1/4096.
class TBinaryModel {
 public:
  std::uint32_t Zero() const { return zero_; }
  void Count(int bit) {
    ++counts_[bit];
    if (++seen_ == next_) Rebuild();
  }

 private:
  void Rebuild();
  std::uint32_t zero_ = kModelTotal / 2;
  std::uint32_t counts_[2] = {0, 0};
  std::uint32_t seen_ = 0;
  std::uint32_t next_ = NextRebuild(0);
};

// A model of an alphabet of 2..256 symbols; the decoder finds a symbol from its slot in a table.
// Its tables are its own (no allocations), so that a decoder reaches them without an indirection.
class TSymbolModel {
 public:
  static constexpr int kMaxSymbols = 256;
  // An empty model, for a place that codes nothing.
  TSymbolModel() = default;
  explicit TSymbolModel(int symbols);
  int Symbols() const { return symbols_; }
  std::uint32_t Start(int symbol) const { return starts_[symbol]; }
  std::uint32_t Frequency(int symbol) const { return starts_[symbol + 1] - starts_[symbol]; }
  // The symbol whose interval holds slot (0 .. kModelTotal - 1).
  int SymbolAt(std::uint32_t slot) const { return lookup_[slot]; }
  void Count(int symbol) {
    ++counts_[symbol];
    if (++seen_ == next_) Rebuild();
  }

 private:
  void Rebuild();
  int symbols_ = 0;
  std::uint32_t seen_ = 0;
  std::uint32_t next_ = NextRebuild(0);
  std::array<std::uint32_t, kMaxSymbols> counts_{};
  std::array<std::uint16_t, kMaxSymbols + 1> starts_{};  // the last kModelTotal
  std::array<std::uint8_t, kModelTotal> lookup_{};
};

}  // namespace qrl
