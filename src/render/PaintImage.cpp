#include "render/PaintImage.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <memory>

#include "elements/ColourTable.h"
#include "elements/TCKbImage.h"
#include "format/QuireleafException.h"
#include "render/CanvasRect.h"
#include "render/CheckDC.h"
#include "render/DibImage.h"

namespace qrl {

namespace {

void CheckBitmap(const TDib& bitmap) {
  if (!IsDrawable(bitmap)) throw EQuireleafException("Bitmap undefined.");
}

QImage PictureOf(const TDib& bitmap) {
  CheckBitmap(bitmap);
  QImage picture = DibImage(bitmap);
  CheckDC(picture);
  return picture;
}

const QImage* CachedMasks(const TCKbOccImage& placement) {
  const auto* masks = static_cast<const QImage*>(placement.MaskCache.get());
  const TDib& bitmap = placement.Image().Bitmap;
  if (masks == nullptr || masks->width() != bitmap.Width() || masks->height() != bitmap.Height()) return nullptr;
  return masks;
}

}  // namespace

void BuildMasks(TCKbOccImage& placement) {
  const TDib& bitmap = placement.Image().Bitmap;
  CheckBitmap(bitmap);
  const TDib keyed = MakeKeyedCopy(bitmap, placement.KeyColour, kKeyTolerance);
  const int width = keyed.Width();
  const int height = keyed.Height();
  auto masks = std::make_shared<QImage>(width, height, QImage::Format_ARGB32_Premultiplied);
  CheckDC(*masks);
  const std::uint8_t keyRed = placement.KeyColour & 0xFF;
  const std::uint8_t keyGreen = (placement.KeyColour >> 8) & 0xFF;
  const std::uint8_t keyBlue = (placement.KeyColour >> 16) & 0xFF;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = keyed.ScanLine(y);
    auto* out = reinterpret_cast<QRgb*>(masks->scanLine(y));
    for (int x = 0; x < width; ++x, p += 3) {
      const bool key = p[0] == keyBlue && p[1] == keyGreen && p[2] == keyRed;
      out[x] = key ? 0 : qRgb(p[2], p[1], p[0]);
    }
  }
  placement.MaskCache = std::move(masks);
}

void PaintImage(TCKbOccImage& placement, QPainter& canvas) {
  const TCKbImage& image = placement.Image();
  CheckBitmap(image.Bitmap);
  const QRect target = CanvasRect(placement.Left, placement.Top, placement.Width, placement.Height);
  if (target.isEmpty()) return;
  if (!placement.Transparent) {
    // At its own size a picture is copied as it is, whatever the stretching mode.
    if (target.size() == QSize(image.Bitmap.Width(), image.Bitmap.Height()) &&
        DrawDibUnscaled(canvas, image.Bitmap, target.topLeft()))
      return;
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, true);
    canvas.drawImage(target, PictureOf(image.Bitmap));
    return;
  }
  if (CachedMasks(placement) == nullptr) BuildMasks(placement);
  // Every target pixel takes exactly one picture pixel, opaque or fully transparent, so the
  // canvas shows through the key's pixels unchanged.
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
  canvas.drawImage(target, *CachedMasks(placement));
}

void PaintBackdrop(TCKbOccImage& backdrop, QPainter& canvas, int areaWidth, int areaHeight) {
  const int tileWidth = backdrop.Width;
  const int tileHeight = backdrop.Height;
  if (tileWidth <= 0 || tileHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return;
  const TDib& bitmap = backdrop.Image().Bitmap;
  CheckBitmap(bitmap);
  const bool oneTile = tileWidth >= areaWidth && tileHeight >= areaHeight;
  if (oneTile && tileWidth == bitmap.Width() && tileHeight == bitmap.Height() &&
      DrawDibUnscaled(canvas, bitmap, QPoint(0, 0)))
    return;
  const QImage picture = PictureOf(bitmap);
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (oneTile) {
    canvas.drawImage(QRect(0, 0, tileWidth, tileHeight), picture);
    return;
  }
  // Every tile is the same stretch of the picture, so one is drawn and repeated as a texture.
  // A tile larger than the area in one direction is drawn only as far as the area reaches.
  QImage tile(std::min(tileWidth, areaWidth), std::min(tileHeight, areaHeight), QImage::Format_RGB32);
  CheckDC(tile);
  {
    QPainter tilePainter(&tile);
    CheckDC(tilePainter);
    tilePainter.drawImage(QRect(0, 0, tileWidth, tileHeight), picture);
  }
  canvas.setBrushOrigin(0, 0);
  canvas.fillRect(QRect(0, 0, areaWidth, areaHeight), QBrush(tile));
}

}  // namespace qrl
