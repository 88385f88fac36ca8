#include "fif/SymbolModel.h"

#include <cstring>

namespace qrl {

void NormalizeCounts(const std::uint32_t* counts, int n, std::uint32_t* frequencies) {
  std::uint64_t sum = static_cast<std::uint64_t>(n);
  for (int s = 0; s < n; ++s) sum += counts[s];
  std::uint32_t assigned = 0;
  int most = 0;
  for (int s = 0; s < n; ++s) {
    frequencies[s] = 1 + static_cast<std::uint32_t>((std::uint64_t{counts[s]} + 1) * (kModelTotal - n) / sum);
    assigned += frequencies[s];
    if (counts[s] > counts[most]) most = s;
  }
  frequencies[most] += kModelTotal - assigned;
}

void TBinaryModel::Rebuild() {
  std::uint32_t frequencies[2];
  NormalizeCounts(counts_, 2, frequencies);
  zero_ = frequencies[0];
  next_ = NextRebuild(seen_);
}

TSymbolModel::TSymbolModel(int symbols) : symbols_(symbols) { Rebuild(); }

void TSymbolModel::Rebuild() {
  std::uint32_t frequencies[kMaxSymbols];
  NormalizeCounts(counts_.data(), symbols_, frequencies);
  std::uint32_t start = 0;
  for (int s = 0; s < symbols_; ++s) {
    starts_[s] = static_cast<std::uint16_t>(start);
    std::memset(&lookup_[start], s, frequencies[s]);
    start += frequencies[s];
  }
  starts_[symbols_] = static_cast<std::uint16_t>(start);
  next_ = NextRebuild(seen_);
}

}  // namespace qrl
