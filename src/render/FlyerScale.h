#pragma once
// The size of the flyer area and the scale of every placement in it.

#include <cstdint>

namespace qrl {

class TFlyer;

// The area height the window gives a flyer shown width pixels wide: FlyerHeight x width /
// FlyerWidth to the nearest integer, halves rounded up (the window's integer arithmetic), at
// least 1. 0 when the flyer has no width.
std::int32_t AreaHeightForWidth(const TFlyer& flyer, std::int32_t width);

// Gives every placement of every built page, backdrops included, the scale AreaWidth /
// FlyerWidth. Pages built later take the scale as they are built.
void ApplyScale(TFlyer& flyer);

// Sets the area and applies its scale.
void SetFlyerArea(TFlyer& flyer, std::int32_t width, std::int32_t height);

}  // namespace qrl
