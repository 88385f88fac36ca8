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
  // RGB32 is what the page is drawn in, so Qt copies and stretches it without converting.
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
  if (image.isNull()) return image;
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* in = picture.ScanLine(y);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
  }
  return image;
}

}  // namespace qrl
