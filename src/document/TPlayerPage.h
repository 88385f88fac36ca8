#pragma once
// One page of a loaded flyer: the references read by the scan and, once built, what the page
// view draws. Occurrences belong to their elements; the lists here only point at them, and
// several pages may point at the same occurrence.

#include <optional>
#include <vector>

#include "document/TOccRec.h"
#include "elements/ColourTable.h"
#include "elements/TCKbImage.h"
#include "elements/TCKbOccurrence.h"
#include "elements/TCKbSound.h"
#include "format/TQLStream.h"

namespace qrl {

struct TPlayerPage {
  std::optional<TOccRec> SoundRef;  // the page's sound as the page block names it
  std::vector<TOccRec> Refs;        // in file order, bottom first
  bool Built = false;
  TCKbOccSound* Sound = nullptr;    // resolved from SoundRef
  TColor Color = 0;
  TCKbOccImage* Backdrop = nullptr;          // tiled under the page
  std::vector<TCKbOccurrence*> DrawList;     // everything placed except the backdrop
  std::vector<TCKbOccurrence*> WindowedList; // the windowed ones among them
  // For 8-bit displays: the page's merged colour table and the palette made from it.
  TColourTable PaletteEntries;
  std::vector<TPaletteEntry> Palette;
};

}  // namespace qrl
