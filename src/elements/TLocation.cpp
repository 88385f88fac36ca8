#include "elements/TLocation.h"

#include <algorithm>

#include "format/QuireleafException.h"

namespace qrl {

namespace {

bool BeforePage(const std::pair<int, std::uint8_t>& entry, int page) { return entry.first < page; }

}  // namespace

void TLocation::SetPage(int page, std::uint8_t value) {
  if (page < 1) throw EOutOfRange("TLocation: page numbers start at 1");
  if (capacity_ < page)
    capacity_ = static_cast<int>(std::max<std::int64_t>(kMinCapacity, (std::int64_t{page} + 7) / 8 * 8));
  const auto it = std::lower_bound(pages_.begin(), pages_.end(), page, BeforePage);
  if (it != pages_.end() && it->first == page)
    it->second = value;
  else
    pages_.insert(it, {page, value});
}

void TLocation::ClearPages() {
  pages_.clear();
  capacity_ = 0;
}

std::uint8_t TLocation::Page(int page) const {
  const auto it = std::lower_bound(pages_.begin(), pages_.end(), page, BeforePage);
  return it != pages_.end() && it->first == page ? it->second : 0;
}

}  // namespace qrl
