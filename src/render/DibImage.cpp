#include "render/DibImage.h"

#include <cstdint>

namespace qrl {

bool IsDrawable(const TDib& picture) {
  if (picture.Empty() || picture.Width() < 1 || picture.Height() < 1) return false;
  const std::uint64_t needed =
      TDib::kHeaderSize + static_cast<std::uint64_t>(picture.Stride()) * static_cast<std::uint64_t>(picture.Height());
  return picture.Bytes().size() >= needed;
}

QImage DibImage(const TDib& picture) {
  if (!IsDrawable(picture)) return {};
  // The rows are blue-green-red bytes bottom row first: wrap them as they lie and let Qt turn
  // them the right way up in the one copy it makes.
  const QImage bottomUp(picture.Pixels(), picture.Width(), picture.Height(), picture.Stride(), QImage::Format_BGR888);
  return bottomUp.mirrored(false, true);
}

}  // namespace qrl
