#pragma once
// Rectangles of placements as the canvas takes them. Stored rectangles may hold any 32-bit
// values; sums of them are formed in 64 bits and everything far outside any canvas is pulled in
// to a range where Qt's own arithmetic cannot overflow. Nothing visible changes.

#include <QPoint>
#include <QRect>
#include <algorithm>
#include <cstdint>

namespace qrl {

inline constexpr std::int64_t kCanvasReach = std::int64_t{1} << 28;

inline int CanvasCoordinate(std::int64_t v) { return static_cast<int>(std::clamp(v, -kCanvasReach, kCanvasReach)); }

// An empty rectangle for a width or height of zero or less.
inline QRect CanvasRect(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return {};
  return QRect(CanvasCoordinate(left), CanvasCoordinate(top), CanvasCoordinate(width), CanvasCoordinate(height));
}

inline QPoint CanvasPoint(std::int64_t x, std::int64_t y) { return QPoint(CanvasCoordinate(x), CanvasCoordinate(y)); }

}  // namespace qrl
