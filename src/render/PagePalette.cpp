#include "render/PagePalette.h"

#include <QImage>
#include <algorithm>
#include <limits>
#include <vector>

#include "document/TFlyer.h"
#include "elements/ColourTable.h"
#include "format/QuireleafException.h"
#include "render/CheckDC.h"

namespace qrl {

namespace {

constexpr int kCellCount = 1 << 15;

int CellOf(QRgb c) { return (qRed(c) >> 3) | ((qGreen(c) >> 3) << 5) | ((qBlue(c) >> 3) << 10); }

// The cell's colour as the colour tables widen it: each 5-bit channel v becomes (v << 3) + (v >> 2).
QRgb CellColour(int cell) {
  const auto widen = [](int v) { return (v << 3) + (v >> 2); };
  return qRgb(widen(cell & 31), widen((cell >> 5) & 31), widen((cell >> 10) & 31));
}

// The nearest colour by squared distance; of equally near ones the first, which weighs most.
QRgb Nearest(QRgb c, const std::vector<QRgb>& colours) {
  QRgb best = colours.front();
  int bestDistance = std::numeric_limits<int>::max();
  for (const QRgb candidate : colours) {
    const int r = qRed(c) - qRed(candidate), g = qGreen(c) - qGreen(candidate), b = qBlue(c) - qBlue(candidate);
    const int distance = r * r + g * g + b * b;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

void MergeElements(TColourTable& table, const std::vector<TCKbOccurrence*>& drawList) {
  for (TCKbOccurrence* o : drawList) {
    if (o == nullptr) throw EQuireleafDebugger(ecUnexpectedNilControl);
    TCKbControl& element = o->Element();
    element.Ensure();
    MergeColourTable(table, kColourTableCapacity, element.Palette);
  }
}

}  // namespace

void BuildPagePalette(TFlyer& flyer, int index) {
  TPlayerPage& page = *flyer.Pages.at(static_cast<std::size_t>(index));
  TColourTable table;
  AddColour(table, kColourTableCapacity, page.Color, kMaxColourWeight);
  if (page.Backdrop != nullptr) {
    TCKbControl& element = page.Backdrop->Element();
    element.Ensure();
    MergeColourTable(table, kColourTableCapacity, element.Palette);
  }
  MergeElements(table, flyer.Pages.front()->DrawList);
  if (index != 0) MergeElements(table, page.DrawList);
  page.Palette = CreatePaletteFromTable(table);
  page.PaletteEntries = std::move(table);
}

void SelectPagePalette(const TPlayerPage& page, QImage& bitmap) {
  if (page.Palette.empty()) return;
  std::vector<QRgb> colours;
  colours.reserve(page.Palette.size());
  for (const TPaletteEntry& e : page.Palette) colours.push_back(qRgb(e.Red, e.Green, e.Blue));
  // The palette's own colours (page and text colours among them) stay exact.
  std::vector<QRgb> exact = colours;
  std::sort(exact.begin(), exact.end());
  // Every other colour maps through its 15-bit cell, the resolution the colour tables count in:
  // one nearest-colour search per cell instead of one per colour.
  std::vector<QRgb> cells(kCellCount);
  for (int cell = 0; cell < kCellCount; ++cell)
    cells[static_cast<std::size_t>(cell)] = Nearest(CellColour(cell), colours);

  bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
  CheckDC(bitmap);
  for (int y = 0; y < bitmap.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
    for (int x = 0; x < bitmap.width(); ++x) {
      const QRgb pixel = row[x] | 0xFF000000;
      if (!std::binary_search(exact.begin(), exact.end(), pixel))
        row[x] = cells[static_cast<std::size_t>(CellOf(pixel))];
    }
  }
}

}  // namespace qrl
