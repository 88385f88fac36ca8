#pragma once
// Extended element blocks announce where their fixed part ends, so that fields added later can
// be passed over by readers that do not know them.

#include <cstdint>

#include "format/TQLStream.h"

namespace qrl {

// Moves forward to fixedPartEnd when the stream has not reached it (never back). An end beyond
// the current block raises "Block edge exceeded." (4102).
void SkipToFixedPartEnd(TQLStream& stream, std::int64_t fixedPartEnd);

}  // namespace qrl
