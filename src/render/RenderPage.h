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
// Raises EOutOfRange for an index outside the pages, "Out of memory." for an area beyond
// the block cap, "Invalid DC." when no picture of the area can be made, and whatever loading
// or decoding an element raises.
QImage RenderPage(TFlyer& flyer, int index);

// The page for a screen with deviceScale device pixels per window pixel: drawn at the flyer area
// times deviceScale, so that texts and pictures are as sharp as the screen, and marked with that
// device pixel ratio. The flyer keeps its area and its placements' scale (hit-testing and the
// controls work in window pixels). A scale of 1 is RenderPage itself.
QImage RenderPageForScreen(TFlyer& flyer, int index, double deviceScale);

}  // namespace qrl
