#pragma once
// Weighted colour tables for 8-bit displays: pictures contribute a histogram of their colours,
// texts their colours at top weight; a page merges the tables of what it shows and makes its
// palette from the result. Also the colour distance and the snapping of near-key colours onto
// a transparent key colour.

#include <cstdint>
#include <vector>

#include "format/TQLStream.h"
#include "format/Dib.h"

namespace qrl {

inline constexpr int kColourTableCapacity = 256;
inline constexpr int kMaxColourWeight = 32767;

struct TColourEntry {
  TColor Colour = 0;  // 0x00BBGGRR
  std::uint16_t Weight = 0;

  bool operator==(const TColourEntry&) const = default;
};

// Entries ordered by weight, highest first; colours unique. Empty: no table.
using TColourTable = std::vector<TColourEntry>;

struct TPaletteEntry {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  std::uint8_t Flags = 0;

  bool operator==(const TPaletteEntry&) const = default;
};

// Enters a colour: an existing colour gains the weight (capped at kMaxColourWeight) and moves up;
// a new one is placed behind the entries of equal or higher weight. A full table drops its last
// entry for a heavier newcomer and ignores one that is not heavier.
void AddColour(TColourTable& table, int capacity, TColor colour, int weight);
// AddColour for every entry of source, in its order.
void MergeColourTable(TColourTable& table, int capacity, const TColourTable& source);
// The picture's most frequent 15-bit colours (at most kColourTableCapacity), weighted by count.
TColourTable BuildColourTable(const TDib& picture);
// One palette entry per table entry, in table order.
std::vector<TPaletteEntry> CreatePaletteFromTable(const TColourTable& table);

// Byte size of a bitmap colour table: coloursUsed x 4, or the full table of the depth when
// coloursUsed is 0 (0 for depths without one).
int ColourTableSize(int bitsPerPixel, int coloursUsed);
// The largest of the three channel differences.
int ColourDistance(int red1, int green1, int blue1, int red2, int green2, int blue2);
// A copy of the picture in which every pixel within tolerance of the key, and every pixel within
// tolerance / 2 of the farthest in-tolerance colour met so far in storage order, is the key.
TDib MakeKeyedCopy(const TDib& picture, TColor key, int tolerance);

}  // namespace qrl
