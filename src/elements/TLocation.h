#pragma once
// The pages an occurrence has been placed on: a flag for the background page (which lies under
// every page) and one byte per page number.

#include <cstdint>
#include <vector>

namespace qrl {

class TLocation {
 public:
  static constexpr int kMinCapacity = 64;

  bool AllPages = false;

  void SetAllPages(bool flag) { AllPages = flag; }
  // Grows the table to the first multiple of 8 at or above page, at least kMinCapacity bytes.
  // Page numbers start at 1; anything lower raises std::out_of_range.
  void SetPage(int page, std::uint8_t value);
  void AddPage(int page) { SetPage(page, 1); }
  void ClearPages() { pages_.clear(); }

  int Capacity() const { return static_cast<int>(pages_.size()); }
  // The byte for page n; 0 for pages beyond the table.
  std::uint8_t Page(int page) const;

 private:
  std::vector<std::uint8_t> pages_;
};

}  // namespace qrl
