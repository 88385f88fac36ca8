#include "elements/TLocation.h"

#include <algorithm>
#include <stdexcept>

namespace qrl {

void TLocation::SetPage(int page, std::uint8_t value) {
  if (page < 1) throw std::out_of_range("TLocation: page numbers start at 1");
  if (Capacity() < page) pages_.resize(static_cast<std::size_t>(std::max(kMinCapacity, (page + 7) / 8 * 8)), 0);
  pages_[static_cast<std::size_t>(page - 1)] = value;
}

std::uint8_t TLocation::Page(int page) const {
  if (page < 1 || page > Capacity()) return 0;
  return pages_[static_cast<std::size_t>(page - 1)];
}

}  // namespace qrl
