#include "elements/FixedPart.h"

#include "format/QuireleafException.h"

namespace qrl {

void SkipToFixedPartEnd(TQLStream& stream, std::int64_t fixedPartEnd) {
  if (fixedPartEnd <= stream.Position()) return;
  if (stream.BlockMark() >= 0 && fixedPartEnd > stream.BlockMark()) throw EQuireleafDebugger(ecBlockEdgeExceeded);
  stream.Skip(fixedPartEnd - stream.Position());
}

}  // namespace qrl
