#include "imaging/DecodeFif.h"

#include <cstdlib>
#include <limits>
#include <string>

#include "format/QuireleafException.h"
#include "imaging/CheckMemory.h"
#include "imaging/FifLibrary.h"

namespace qrl {

namespace {

// Output formats the player asks for: 24-bit pixels in blue, green, red order, bottom row first.
constexpr std::int32_t kOutputFormat[5] = {3, 2, 1, 4, 1};

// Values beyond this can never pass the size check, so scaling stops there instead of overflowing.
constexpr std::int64_t kSizeLimit = std::numeric_limits<std::int32_t>::max();

// numerator / denominator (denominator > 0) to the nearest integer, halves to the even neighbour.
std::int64_t DivideRoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  if (remainder < 0) {
    remainder += denominator;
    --quotient;
  }
  const std::int64_t twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

std::int64_t Clamp(std::int64_t v) {
  if (v > kSizeLimit) return kSizeLimit;
  if (v < -kSizeLimit) return -kSizeLimit;
  return v;
}

// value x factor / divisor (divisor > 0) to the nearest integer, clamped to the size limit.
std::int64_t Scale(std::int64_t value, std::int64_t factor, std::int64_t divisor) {
  std::int64_t product = 0;
  if (__builtin_mul_overflow(value, factor, &product)) return (value < 0) != (factor < 0) ? -kSizeLimit : kSizeLimit;
  return Clamp(DivideRoundHalfEven(product, divisor));
}

}  // namespace

void CheckFifStatus(std::int32_t status) {
  if (status == 0) return;
  if (status == -2) throw EQuireleafCancelled("Save process was cancelled.");
  throw EQuireleafDebugger("FIF Error : " + std::to_string(status), ecFifErrorBase - status);
}

void PhysicalToPixels(std::int32_t& width, std::int32_t& height, std::int32_t unit, std::int32_t exponent,
                      const TScreenMetrics& screen) {
  std::int64_t w = width;
  std::int64_t h = height;
  if (unit == '"') {
    w = Scale(w, screen.dpiX, 1);
    h = Scale(h, screen.dpiY, 1);
  } else if (unit == 'm') {
    // The metric unit is the micrometre: pixels per millimetre divided by 1000. A screen that
    // does not know its size is taken at its dots per inch (25400 micrometres to the inch).
    w = screen.horzSizeMm > 0 ? Scale(w, screen.horzRes, std::int64_t{screen.horzSizeMm} * 1000)
                              : Scale(w, screen.dpiX, 25400);
    h = screen.vertSizeMm > 0 ? Scale(h, screen.vertRes, std::int64_t{screen.vertSizeMm} * 1000)
                              : Scale(h, screen.dpiY, 25400);
  }
  // Both numbers settle (at 0 going down, at the limit going up) long before a hostile exponent
  // of billions of steps could run out, so the loops stop as soon as nothing changes.
  for (; exponent < 0 && (w != 0 || h != 0); ++exponent) {
    w = DivideRoundHalfEven(w, 10);
    h = DivideRoundHalfEven(h, 10);
  }
  for (; exponent > 0 && (w != 0 || h != 0) && std::abs(w) < kSizeLimit && std::abs(h) < kSizeLimit; --exponent) {
    w = Clamp(w * 10);
    h = Clamp(h * 10);
  }
  width = static_cast<std::int32_t>(w);
  height = static_cast<std::int32_t>(h);
}

TDib DecodeFif(const std::uint8_t* data, std::size_t length, int width, int height, const TScreenMetrics& screen) {
  // The library takes the length as a 32-bit number; no picture of the player comes near that.
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw EQuireleafDebugger(ecOutOfMemory);

  TFifLibrary library;
  std::uint32_t handle = 0;
  CheckFifStatus(library.OpenDecompressor(&handle));
  TDib dib;
  try {
    CheckFifStatus(library.SetFIFBuffer(handle, data, static_cast<std::int32_t>(length)));
    std::int32_t w = width;
    std::int32_t h = height;
    if (w == 0 || h == 0) {
      std::int32_t reserved = 0;
      library.GetOriginalResolution(handle, &w, &h, &reserved);
      if (w == 0 || h == 0) {
        std::int32_t unit = 0;
        std::int32_t exponent = 0;
        library.GetPhysicalDimensions(handle, &w, &h, &unit, &exponent);
        PhysicalToPixels(w, h, unit, exponent, screen);
      }
    }
    CheckFifStatus(library.SetOutputResolution(handle, w, h));
    CheckFifStatus(library.SetOutputFormat(handle, kOutputFormat[0], kOutputFormat[1], kOutputFormat[2],
                                           kOutputFormat[3], kOutputFormat[4]));
    dib = AllocateDib(w, h);
    CheckFifStatus(library.DecompressToBuffer(handle, dib.Pixels(), 0, 0, 0, 0, dib.Stride()));
    CheckFifStatus(library.ClearFIFBuffer(handle));
  } catch (...) {
    // A failing close says more about the library's state than the first error, so it wins.
    CheckFifStatus(library.CloseDecompressor(handle));
    throw;
  }
  CheckFifStatus(library.CloseDecompressor(handle));
  return dib;
}

}  // namespace qrl
