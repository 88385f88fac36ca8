#pragma once
// The bits per pixel pages are drawn for. QRL_SCREEN_DEPTH=8 makes any screen count as an 8-bit
// one, so that the palette path can be seen and tested. A flyer's elements build their colour
// tables as they load, so the depth goes into the flyer before loading (TScreenMetrics or
// TElementContext::ScreenBitsPerPixel).

#include <optional>

namespace qrl {

class TScreenDepth {
 public:
  static constexpr const char* kVariable = "QRL_SCREEN_DEPTH";

  // The forced depth, or the primary screen's, or 24 when there is no screen to ask.
  static int BitsPerPixel();
  // QRL_SCREEN_DEPTH when it is a whole number from 1 to 32; anything else is ignored.
  static std::optional<int> Forced();
};

}  // namespace qrl
