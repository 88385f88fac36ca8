#pragma once
// Line layout of text placements: the stored lines are re-flowed (only ever broken further) for
// a placement's width, and a scrollable placement whose text is taller than its rectangle
// becomes a scrolling control with room for its bar. Finding a break measures O(log n) prefixes
// no longer than about twice the line it ends, so a re-flow takes near-linear time.

#include <vector>

#include "elements/TTextMeasurer.h"
#include "format/TQLStream.h"

namespace qrl {

class TCKbOccTekst;

// Room kept for the scroll bar of a scrolling text: a 13-pixel bar plus 1.
inline constexpr int kScrollBarAllowance = 14;

using TParagraphs = std::vector<TStrings>;

// Groups lines into paragraphs: a line ending with the paragraph-end character closes its
// paragraph (the character is removed); a last, unclosed paragraph closes at the end.
TParagraphs SplitParagraphs(const TStrings& lines);

// Replaces lines by the paragraphs wrapped at spaces to width - 2 - barWidth pixels. A later
// source line of a paragraph starts a new line with a leading space; a word too wide for the
// line stands on its own line unbroken; each paragraph's last line ends with the
// paragraph-end character.
void ReflowLines(const TParagraphs& paragraphs, TStrings& lines, const TTextMeasurer& measurer,
                 const TFontSpec& font, int barWidth, int width);

// Re-flows the element's stored lines for the placement's rectangle into the element's Lines
// (what the next placement created takes) and sets the placement's Windowed: a scrollable text
// whose lines are taller than the rectangle is re-flowed with the bar allowance and becomes
// windowed. Every re-flow starts from the stored lines, so placements of one size wrap alike
// however many there are, and equal re-flows are made once and shared.
void MeasureTekst(TCKbOccTekst& placement, const TTextMeasurer& measurer);

}  // namespace qrl
