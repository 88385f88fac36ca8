#pragma once
// The lines a text element stores. The player copies the stored lines into each placement as
// it is read and then re-flows the element's lines for that placement, so the first placement
// shows the stored lines exactly: they are laid out for it here with the player's own reflow.

#include <cstdint>

#include "elements/TTextMeasurer.h"
#include "format/TQLStream.h"
#include "tools/authoring/Manifest.h"

namespace qrl {

// The font the player makes of the style (before any zoom).
TFontSpec FontOf(const TTextStyle& style);

// The author's paragraphs laid out for the first placement, as the player would lay them out.
// When the player, re-flowing these very lines on loading, would judge differently whether the
// placement scrolls, or when the text has further placements (which show the lines as re-flowed
// for the placement before them), every line is stored as a paragraph of its own: re-flowing
// such lines for the same width changes nothing, so every placement as wide as the first shows
// the first placement's lines.
TStrings LayOutStoredLines(const TTextStyle& style, const TRect& firstPlacement, bool furtherPlacements,
                           std::uint16_t formatCode, const TTextMeasurer& measurer);

}  // namespace qrl
