#include "player/AreaFitting.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace qrl {

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const std::int64_t d = denominator;
  const bool negative = (product < 0) != (d < 0);
  const std::int64_t q = (std::llabs(product) + std::llabs(d) / 2) / std::llabs(d);
  const std::int64_t r = negative ? -q : q;
  return static_cast<int>(std::clamp<std::int64_t>(r, INT32_MIN, INT32_MAX));
}

int NavAllowance(bool navVisible, int navHeight, bool menuHidden, int currentFrameHeight, int frameHeight) {
  int nav = navVisible ? navHeight : 0;
  if (menuHidden) nav += currentFrameHeight - frameHeight;
  return nav;
}

TSize FitFlyerArea(const TAreaContext& c, TSize requested) {
  int w = std::max(requested.width, kMinAreaWidth);
  int h = std::max(requested.height, kMinAreaHeight);
  w = std::min(w, c.screen.width - c.frameWidth);
  h = std::min(h, c.screen.height - c.frameHeight - c.nav);
  // A flyer without a usable canvas size has no aspect ratio to keep.
  if (!c.flyerKnown || c.flyer.width <= 0 || c.flyer.height <= 0) return {w, h};

  const int fitHeight = MulDiv(c.flyer.height, w, c.flyer.width);
  if (fitHeight <= h && fitHeight >= kMinAreaHeight) return {w, fitHeight};
  const int fitWidth = MulDiv(c.flyer.width, h, c.flyer.height);
  if (fitWidth >= kMinAreaWidth) return {fitWidth, h};
  return {kMinAreaWidth, MulDiv(c.flyer.height, kMinAreaWidth, c.flyer.width)};
}

TTrackSizes WindowTrackSizes(const TAreaContext& c, int navHeight) {
  TTrackSizes t;
  const TSize largest = FitFlyerArea(c, c.screen);
  t.maxSize = {largest.width + c.frameWidth, largest.height + c.frameHeight + navHeight};
  t.maxLeft = (c.screen.width - largest.width - c.frameWidth) / 2;
  t.maxTop = (c.screen.height - largest.height - c.frameHeight - navHeight) / 2;
  const TSize smallest = FitFlyerArea(c, {0, 0});
  t.minTrackSize = {smallest.width + c.frameWidth, smallest.height + c.frameHeight + c.nav};
  return t;
}

TPresentationLayout CentrePresentation(TSize screen, int clientHeight, TSize area, int navHeight) {
  TPresentationLayout p;
  p.pageView = {(screen.width - area.width) / 2, (screen.height - area.height) / 2 - (screen.height - clientHeight),
                area.width, area.height};
  p.navBar = {p.pageView.left, p.pageView.top + area.height, area.width, navHeight};
  return p;
}

}  // namespace qrl
