#pragma once
// A text measurer that works as a real one does: it adds up a width per character, so measuring
// costs in proportion to the text measured, and it counts that work. Loads whose layout measures
// the same text over and over show up in the count (and, under a fuzzer, as a timeout), which a
// measurer that only multiplies the length would hide.

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

#include "elements/TTextMeasurer.h"

namespace qrl::test {

class ProportionalMeasurer : public TTextMeasurer {
 public:
  explicit ProportionalMeasurer(int lineHeight = 12) : lineHeight_(lineHeight) {
    for (std::size_t c = 0; c < widths_.size(); ++c) widths_[c] = 3 + static_cast<int>((c * 7) % 6);
    widths_[' '] = 3;
  }

  int TextWidth(const TFontSpec& font, std::string_view text) const override {
    calls_.fetch_add(1, std::memory_order_relaxed);
    characters_.fetch_add(static_cast<std::int64_t>(text.size()), std::memory_order_relaxed);
    int width = 0;
    for (const char c : text) width += widths_[static_cast<unsigned char>(c)];
    return font.Bold ? width + static_cast<int>(text.size()) / 8 : width;
  }
  int LineHeight(const TFontSpec&) const override { return lineHeight_; }

  // Characters measured since construction or the last Reset.
  std::int64_t Characters() const { return characters_.load(std::memory_order_relaxed); }
  std::int64_t Calls() const { return calls_.load(std::memory_order_relaxed); }
  void Reset() {
    characters_ = 0;
    calls_ = 0;
  }

 private:
  std::array<int, 256> widths_{};
  int lineHeight_;
  mutable std::atomic<std::int64_t> characters_{0};
  mutable std::atomic<std::int64_t> calls_{0};
};

}  // namespace qrl::test
