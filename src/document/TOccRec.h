#pragma once
// A reference to one occurrence: an element index entry and the 1-based occurrence number
// within that element, as a page block or a page's sound names it.

#include <cstdint>

namespace qrl {

struct TSaveRec;

struct TOccRec {
  TSaveRec* Entry = nullptr;  // not owned: entries belong to the flyer's element index
  std::int32_t Number = 0;
};

}  // namespace qrl
