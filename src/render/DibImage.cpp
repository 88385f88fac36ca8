#include "render/DibImage.h"

#include <QPainter>
#include <cmath>
#include <cstdint>

namespace qrl {

namespace {

// Blue-green-red bytes to opaque 0xAARRGGBB pixels. The buffers are distinct: telling the
// compiler lets it vectorise the loop.
void ConvertRow(const std::uint8_t* __restrict in, std::uint32_t* __restrict out, int count) {
  for (int x = 0; x < count; ++x)
    out[x] = 0xFF000000u | (std::uint32_t{in[3 * x + 2]} << 16) | (std::uint32_t{in[3 * x + 1]} << 8) | in[3 * x];
}

bool Integral(qreal v) { return v == std::floor(v); }

}  // namespace

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
  for (int y = 0; y < image.height(); ++y)
    ConvertRow(picture.ScanLine(y), reinterpret_cast<std::uint32_t*>(image.scanLine(y)), image.width());
  return image;
}

bool DrawDibUnscaled(QPainter& canvas, const TDib& picture, QPoint at) {
  if (!IsDrawable(picture)) return false;
  QPaintDevice* device = canvas.device();
  if (device == nullptr || device->devType() != QInternal::Image || canvas.hasClipping() || canvas.opacity() != 1.0)
    return false;
  if (canvas.compositionMode() != QPainter::CompositionMode_SourceOver &&
      canvas.compositionMode() != QPainter::CompositionMode_Source)
    return false;
  const QTransform& transform = canvas.deviceTransform();
  if (transform.type() > QTransform::TxTranslate || !Integral(transform.dx()) || !Integral(transform.dy()))
    return false;
  auto* image = static_cast<QImage*>(device);
  const QImage::Format format = image->format();
  // Opaque pixels read the same in all three.
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
      format != QImage::Format_ARGB32_Premultiplied)
    return false;

  const QRect placed(transform.map(at), QSize(picture.Width(), picture.Height()));
  const QRect target = placed & image->rect();
  for (int y = target.top(); y <= target.bottom(); ++y)
    ConvertRow(picture.ScanLine(y - placed.top()) + 3 * (target.left() - placed.left()),
               reinterpret_cast<std::uint32_t*>(image->scanLine(y)) + target.left(), target.width());
  return true;
}

}  // namespace qrl
