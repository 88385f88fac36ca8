#pragma once
// The palette of a page on an 8-bit screen: the page colour at top weight, then the colour
// tables of its backdrop, of the background page's placements and of its own, merged in drawing
// order; and what drawing through that palette does to the page.

class QImage;

namespace qrl {

class TFlyer;
struct TPlayerPage;

// Builds page index's PaletteEntries and Palette (ensuring every element it merges). For the
// background page itself its placements are merged once.
void BuildPagePalette(TFlyer& flyer, int index);

// Draws the finished page through the page's palette, as an 8-bit screen shows it: a palette
// colour stays, any other takes the palette colour nearest to its 15-bit cell. Does nothing for
// a page without a palette.
void SelectPagePalette(const TPlayerPage& page, QImage& bitmap);

}  // namespace qrl
