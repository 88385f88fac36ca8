#include "player/PageRendering.h"

#include <algorithm>

#include "document/TFlyer.h"

namespace qrl {

QImage RenderPageImage(TFlyer& flyer, int index) {
  QImage image(std::max(flyer.AreaWidth, 1), std::max(flyer.AreaHeight, 1), QImage::Format_RGB32);
  const TColor c = flyer.Pages.at(static_cast<std::size_t>(index))->Color;
  image.fill(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
  return image;
}

}  // namespace qrl
