#pragma once
// An immutable list of text lines that many holders share: copying one copies a pointer, and
// assigning a new list replaces the holder's pointer without touching the other holders. Text
// elements and all their placements hold their lines this way, so thousands of placements of
// one long text cost one list, not thousands.

#include <cstddef>
#include <memory>
#include <string>

#include "format/TQLStream.h"

namespace qrl {

class TSharedLines {
 public:
  using value_type = std::string;
  using const_iterator = TStrings::const_iterator;
  using iterator = const_iterator;

  TSharedLines() = default;
  TSharedLines(TStrings lines) : lines_(std::make_shared<const TStrings>(std::move(lines))) {}

  operator const TStrings&() const { return Get(); }
  const TStrings& Get() const { return lines_ ? *lines_ : Empty(); }

  std::size_t size() const { return Get().size(); }
  bool empty() const { return Get().empty(); }
  const std::string& operator[](std::size_t i) const { return Get()[i]; }
  const_iterator begin() const { return Get().begin(); }
  const_iterator end() const { return Get().end(); }

  // True when both hold the very same list (not merely equal lines).
  bool SharesWith(const TSharedLines& other) const { return lines_ == other.lines_; }

  friend bool operator==(const TSharedLines& a, const TStrings& b) { return a.Get() == b; }
  friend bool operator==(const TSharedLines& a, const TSharedLines& b) { return a.Get() == b.Get(); }

 private:
  static const TStrings& Empty() {
    static const TStrings empty;
    return empty;
  }
  std::shared_ptr<const TStrings> lines_;
};

}  // namespace qrl
