#pragma once
// Decoding a FIF picture through the decoder library, at the size the flyer asks for.

#include <cstddef>
#include <cstdint>

#include "format/Dib.h"
#include "imaging/TScreenMetrics.h"

namespace qrl {

// Raises for a library status other than 0: EQuireleafCancelled "Save process was cancelled."
// for -2, else EQuireleafDebugger "FIF Error : <status>" with the code 4608 - status.
void CheckFifStatus(std::int32_t status);

// Turns a physical size into pixels on `screen`. Unit '"': the mantissas are inches (times the
// screen's dots per inch); 'm': metres (times the screen's pixels per millimetre and 1000); any
// other unit leaves the numbers as they are. The decimal exponent is then applied one step at a
// time, each step rounding to the nearest integer with halves to the even neighbour.
void PhysicalToPixels(std::int32_t& width, std::int32_t& height, std::int32_t unit, std::int32_t exponent,
                      const TScreenMetrics& screen);

// Decodes `length` bytes of FIF data at width x height pixels. When either is 0 the picture's own
// pixel size is used, or failing that its physical size on `screen`. The library is bound around
// the call (cheap while a TFifLibrary is held elsewhere) and released again on every path; once a
// decompressor is open it is closed on every path too, and a failing close is the error reported.
TDib DecodeFif(const std::uint8_t* data, std::size_t length, int width, int height,
               const TScreenMetrics& screen = {});

}  // namespace qrl
