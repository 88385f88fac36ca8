#include "render/PagePalette.h"

#include <QImage>
#include <QList>

#include "document/TFlyer.h"
#include "elements/ColourTable.h"
#include "format/QuireleafException.h"
#include "render/CheckDC.h"

namespace qrl {

namespace {

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
  QList<QRgb> colours;
  colours.reserve(static_cast<qsizetype>(page.Palette.size()));
  for (const TPaletteEntry& e : page.Palette) colours.push_back(qRgb(e.Red, e.Green, e.Blue));
  // Qt maps each colour to its nearest table entry, the first of equally near ones, which is
  // the heaviest.
  bitmap = bitmap.convertToFormat(QImage::Format_Indexed8, colours).convertToFormat(QImage::Format_RGB32);
  CheckDC(bitmap);
}

}  // namespace qrl
