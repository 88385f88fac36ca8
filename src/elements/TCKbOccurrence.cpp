#include "elements/TCKbOccurrence.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qrl {

namespace {

// Half to the even neighbour (the default rounding mode), kept inside 32 bits.
std::int32_t Scaled(std::int32_t value, double scale) {
  const double r = std::nearbyint(value * scale);
  if (std::isnan(r)) return 0;
  return static_cast<std::int32_t>(std::clamp<double>(r, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void TCKbOccurrence::Load(TQLStream& stream, int layout) { LoadPlacement(stream); }

void TCKbOccurrence::LoadPlacement(TQLStream& stream) {
  DesignLeft = stream.ReadLongInt();
  DesignTop = stream.ReadLongInt();
  DesignWidth = stream.ReadLongInt();
  DesignHeight = stream.ReadLongInt();
  stream.ReadSmallInt();
  stream.ReadSmallInt();
  SetRect(DesignLeft, DesignTop, DesignWidth, DesignHeight);
}

void TCKbOccurrence::Rescale(double scale) {
  SetRect(Scaled(DesignLeft, scale), Scaled(DesignTop, scale), Scaled(DesignWidth, scale),
          Scaled(DesignHeight, scale));
}

void TCKbOccurrence::SetRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  Left = left;
  Top = top;
  Width = width;
  Height = height;
}

}  // namespace qrl
