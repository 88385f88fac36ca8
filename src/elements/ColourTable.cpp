#include "elements/ColourTable.h"

#include <algorithm>
#include <cstdlib>

namespace qrl {

namespace {

constexpr int kHistogramSize = 32768;

std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c); }
std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>(c >> 8); }
std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>(c >> 16); }

TColor Rgb(int red, int green, int blue) {
  return static_cast<TColor>(red) | (static_cast<TColor>(green) << 8) | (static_cast<TColor>(blue) << 16);
}

// A 5-bit channel back to 8 bits, the top bits repeated below.
int Widen(int v) { return (v << 3) + (v >> 2); }

}  // namespace

void AddColour(TColourTable& table, int capacity, TColor colour, int weight) {
  const auto capped = [](int w) { return static_cast<std::uint16_t>(std::clamp(w, 0, kMaxColourWeight)); };
  if (table.empty()) {
    table.push_back({colour, capped(weight)});
    return;
  }
  const auto found = std::find_if(table.begin(), table.end(), [&](const TColourEntry& e) { return e.Colour == colour; });
  TColourEntry entry{colour, capped(weight)};
  bool full = false;
  std::size_t p = table.size();
  if (found != table.end()) {
    entry.Weight = capped(found->Weight + weight);
    p = static_cast<std::size_t>(found - table.begin());
    table.erase(found);  // comes back at its new place below
  } else {
    full = static_cast<int>(table.size()) >= capacity;
  }
  while (p > 0 && table[p - 1].Weight < entry.Weight) --p;
  if (full) {
    if (static_cast<int>(p) >= capacity) return;
    table.pop_back();
  }
  table.insert(table.begin() + static_cast<std::ptrdiff_t>(p), entry);
}

void MergeColourTable(TColourTable& table, int capacity, const TColourTable& source) {
  for (const TColourEntry& e : source) AddColour(table, capacity, e.Colour, e.Weight);
}

TColourTable BuildColourTable(const TDib& picture) {
  TColourTable table;
  if (picture.Empty()) return table;
  std::vector<std::uint16_t> histogram(kHistogramSize, 0);
  const int width = picture.Width();
  const int height = picture.Height();
  const int stride = picture.Stride();
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* p = picture.Pixels() + static_cast<std::size_t>(row) * stride;
    for (int x = 0; x < width; ++x, p += 3) {
      const int index = (p[2] >> 3) + ((p[1] >> 3) << 5) + ((p[0] >> 3) << 10);
      if (histogram[index] < kMaxColourWeight) ++histogram[index];
    }
  }
  for (int index = 0; index < kHistogramSize; ++index) {
    if (histogram[index] == 0) continue;
    const TColor colour = Rgb(Widen(index & 31), Widen((index >> 5) & 31), Widen(index >> 10));
    AddColour(table, kColourTableCapacity, colour, histogram[index]);
  }
  return table;
}

std::vector<TPaletteEntry> CreatePaletteFromTable(const TColourTable& table) {
  std::vector<TPaletteEntry> palette;
  palette.reserve(table.size());
  for (const TColourEntry& e : table) palette.push_back({RedOf(e.Colour), GreenOf(e.Colour), BlueOf(e.Colour), 0});
  return palette;
}

int ColourTableSize(int bitsPerPixel, int coloursUsed) {
  if (coloursUsed != 0) return coloursUsed * 4;
  switch (bitsPerPixel) {
    case 1:
      return 2 * 4;
    case 4:
      return 16 * 4;
    case 8:
      return 256 * 4;
    default:
      return 0;
  }
}

int ColourDistance(int red1, int green1, int blue1, int red2, int green2, int blue2) {
  return std::max({std::abs(red1 - red2), std::abs(green1 - green2), std::abs(blue1 - blue2)});
}

TDib MakeKeyedCopy(const TDib& picture, TColor key, int tolerance) {
  TDib copy = picture;
  if (copy.Empty()) return copy;
  const int keyRed = RedOf(key), keyGreen = GreenOf(key), keyBlue = BlueOf(key);
  int refRed = keyRed, refGreen = keyGreen, refBlue = keyBlue;
  int best = -1;
  const int width = copy.Width();
  const int height = copy.Height();
  const int stride = copy.Stride();
  for (int row = 0; row < height; ++row) {
    std::uint8_t* p = copy.Pixels() + static_cast<std::size_t>(row) * stride;
    for (int x = 0; x < width; ++x, p += 3) {
      const int blue = p[0], green = p[1], red = p[2];
      const int d = ColourDistance(keyRed, keyGreen, keyBlue, red, green, blue);
      if (d > best && d <= tolerance) {
        best = d;
        refRed = red;
        refGreen = green;
        refBlue = blue;
      }
      if (d <= tolerance || ColourDistance(refRed, refGreen, refBlue, red, green, blue) <= tolerance / 2) {
        p[0] = static_cast<std::uint8_t>(keyBlue);
        p[1] = static_cast<std::uint8_t>(keyGreen);
        p[2] = static_cast<std::uint8_t>(keyRed);
      }
    }
  }
  return copy;
}

}  // namespace qrl
