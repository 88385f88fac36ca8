#include "tools/authoring/StoredText.h"

#include "elements/TCKbTekst.h"
#include "elements/TextLayout.h"
#include "format/FontCodes.h"

namespace qrl {

TFontSpec FontOf(const TTextStyle& style) {
  TFontSpec font;
  font.Name = FontNameOf(style.FontCode);
  font.Height = -style.Size;
  font.Color = style.Colour;
  font.Bold = style.Bold;
  font.Italic = style.Italic;
  font.Underline = style.Underline;
  font.StrikeOut = style.StrikeOut;
  return font;
}

TStrings LayOutStoredLines(const TTextStyle& style, const TRect& firstPlacement, bool furtherPlacements,
                           std::uint16_t formatCode, const TTextMeasurer& measurer) {
  TStrings source;
  for (const TStrings& paragraph : style.Paragraphs) {
    source.insert(source.end(), paragraph.begin(), paragraph.end());
    source.back().push_back(kParagraphEnd);
  }
  if (source.empty()) return source;

  // The player's own element and placement, loaded as its loader would load them.
  TElementContext context;
  context.Measurer = &measurer;
  TCKbTekst tekst(context);
  tekst.Font = FontOf(style);
  tekst.ScrollAllowed = style.Scrollable;
  tekst.SetLines(source);
  auto& placement = static_cast<TCKbOccTekst&>(tekst.AddOccurrence());
  placement.SetRect(firstPlacement.Left, firstPlacement.Top, firstPlacement.Width, firstPlacement.Height);

  if (formatCode < kMeasuredTextFormat) {
    // Older files are not re-flowed on loading, and a scrollable text always scrolls.
    TStrings lines;
    ReflowLines(SplitParagraphs(source), lines, measurer, tekst.Font, style.Scrollable ? kScrollBarAllowance : 0,
                firstPlacement.Width);
    return lines;
  }
  MeasureTekst(placement, measurer);
  TStrings laidOut = tekst.Lines;
  const bool windowed = placement.Windowed;
  tekst.SetLines(laidOut);
  MeasureTekst(placement, measurer);  // what loading the stored lines will decide
  if (!furtherPlacements && placement.Windowed == windowed) return laidOut;
  for (std::string& line : laidOut)
    if (line.empty() || line.back() != kParagraphEnd) line.push_back(kParagraphEnd);
  return laidOut;
}

}  // namespace qrl
