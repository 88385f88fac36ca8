#pragma once
// The pages an occurrence has been placed on: a flag for the background page (which lies under
// every page) and a byte per page number. Only the pages given a value are stored, so a
// placement on page 30000 costs one entry, not a table of 30000 bytes.

#include <cstdint>
#include <utility>
#include <vector>

namespace qrl {

class TLocation {
 public:
  static constexpr int kMinCapacity = 64;

  bool AllPages = false;

  void SetAllPages(bool flag) { AllPages = flag; }
  // Sets the byte for a page; the capacity grows to the first multiple of 8 at or above page,
  // at least kMinCapacity. Page numbers start at 1; anything lower raises EOutOfRange.
  void SetPage(int page, std::uint8_t value);
  void AddPage(int page) { SetPage(page, 1); }
  void ClearPages();

  // The page table's nominal size in bytes; pages below it that were never set read as 0.
  int Capacity() const { return capacity_; }
  // The byte for page n; 0 for pages never set.
  std::uint8_t Page(int page) const;

 private:
  int capacity_ = 0;
  std::vector<std::pair<int, std::uint8_t>> pages_;  // by page number; pages are mostly added in order
};

}  // namespace qrl
