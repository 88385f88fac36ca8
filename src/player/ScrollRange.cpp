#include "player/ScrollRange.h"

#include <algorithm>
#include <cstdint>

namespace qrl {

TScrollRange ScrollRangeFor(int lineCount, int lineHeight, int controlHeight) {
  TScrollRange r;
  const int visible = controlHeight - 2;
  const std::int64_t maximum = static_cast<std::int64_t>(lineCount) * lineHeight - visible;
  r.maximum = maximum < 1 ? 0 : static_cast<int>(std::min<std::int64_t>(maximum, INT32_MAX));
  if (visible >= lineHeight) {
    r.smallChange = lineHeight;
    r.largeChange = visible;
  } else {
    r.smallChange = visible;
    r.largeChange = lineHeight;
  }
  return r;
}

}  // namespace qrl
