#include "render/FlyerScale.h"

#include <algorithm>
#include <limits>

#include "document/TFlyer.h"

namespace qrl {

std::int32_t AreaHeightForWidth(const TFlyer& flyer, std::int32_t width) {
  if (flyer.FlyerWidth <= 0 || flyer.FlyerHeight <= 0 || width <= 0) return 0;
  const std::int64_t product = std::int64_t{flyer.FlyerHeight} * width;
  const std::int64_t rounded = (2 * product + flyer.FlyerWidth) / (2 * std::int64_t{flyer.FlyerWidth});
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(rounded, 1, std::numeric_limits<std::int32_t>::max()));
}

void ApplyScale(TFlyer& flyer) {
  if (flyer.FlyerWidth <= 0) return;
  const double scale = static_cast<double>(flyer.AreaWidth) / flyer.FlyerWidth;
  for (const auto& page : flyer.Pages) {
    if (!page->Built) continue;
    for (TCKbOccurrence* o : page->DrawList) o->Rescale(scale);
    if (page->Backdrop != nullptr) page->Backdrop->Rescale(scale);
  }
}

void SetFlyerArea(TFlyer& flyer, std::int32_t width, std::int32_t height) {
  flyer.AreaWidth = width;
  flyer.AreaHeight = height;
  ApplyScale(flyer);
}

}  // namespace qrl
