#pragma once
// Drawing a page of a flyer into a picture of the flyer area's size, once per page change: what
// the page view shows, what printing prints and what qrltool render writes.

#include <QImage>

namespace qrl {

class TFlyer;

// Page index (0: the background page alone) at AreaWidth x AreaHeight, as RGB32, bottom to
// top: the page colour, the backdrop tiles, the background page's placements, the page's own
// placements; windowed placements are left to their controls. Builds the pages it needs if they
// are not built yet. While memory is low (the flyer context's AvailableMemory below its
// SwapThreshold), pictures that other pages released are first swapped out, oldest first.
// Elements of the page's own placements are released after drawing, so only the background
// page's stay resident. On an 8-bit screen (the flyer context's
// ScreenBitsPerPixel) the page's palette is built on first use and the page drawn through it.
// Raises std::out_of_range for an index outside the pages, "Out of memory." for an area beyond
// the block cap, "Invalid DC." when no picture of the area can be made, and whatever loading
// or decoding an element raises.
QImage RenderPage(TFlyer& flyer, int index);

}  // namespace qrl
