#include "elements/TCKbTekst.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "elements/FixedPart.h"
#include "elements/TextLayout.h"
#include "format/FontCodes.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

constexpr int kMaxFontHeight = 1 << 20;

}  // namespace

TCKbTekst::TCKbTekst(TElementContext& context) : TCKbControl(context) {
  Font.Name = "Arial";
  Font.Height = 15;
}

std::unique_ptr<TCKbOccurrence> TCKbTekst::CreateOccurrence() { return std::make_unique<TCKbOccTekst>(*this); }

void TCKbTekst::Load(TQLStream& stream, std::int64_t headerEnd) {
  if (stream.ReadSmallInt() != kPlainTextCompression) throw EQuireleafDebugger(ecUnknownTextCompression);
  BackColour = stream.ReadColor();
  Font.Name = FontNameOf(stream.ReadWord());
  stream.ReadWord();
  Font.Color = stream.ReadColor();
  FontSize = stream.ReadSmallInt();
  Font.Height = -FontSize;
  const std::int16_t flags = stream.ReadSmallInt();
  Opaque = (flags & tfOpaque) != 0;
  Framed = (flags & tfFramed) != 0;
  ScrollAllowed = (flags & tfScrollAllowed) != 0;
  switch (flags & tfAlignmentMask) {
    case tfRight:
      Alignment = taRight;
      break;
    case tfCentre:
      Alignment = taCentre;
      break;
    default:  // 0, and both bits (which no alignment claims)
      Alignment = taLeft;
      break;
  }
  Font.Bold = (flags & tfBold) != 0;
  Font.Italic = (flags & tfItalic) != 0;
  Font.Underline = (flags & tfUnderline) != 0;
  Font.StrikeOut = (flags & tfStrikeOut) != 0;
  SkipToFixedPartEnd(stream, headerEnd);
  TStrings lines;
  stream.ReadLines(lines);
  SetLines(std::move(lines));
  if (Context().ScreenBitsPerPixel == 8) {
    AddColour(Palette, kColourTableCapacity, Font.Color, kMaxColourWeight);
    if (Opaque) AddColour(Palette, kColourTableCapacity, BackColour, kMaxColourWeight);
  }
}

void TCKbTekst::SetLines(TStrings lines) {
  StoredLines = std::move(lines);
  Lines = StoredLines;
  Reflows.clear();
}

void TCKbOccTekst::Load(TQLStream& stream, int layout) {
  LoadPlacement(stream);
  const TCKbTekst& tekst = Tekst();
  if (stream.FormatCode() < kMeasuredTextFormat) {
    Windowed = tekst.ScrollAllowed;
    return;
  }
  const TTextMeasurer* measurer = tekst.Context().Measurer;
  if (measurer == nullptr) throw std::logic_error("Text elements need a text measurer");
  MeasureTekst(*this, *measurer);
}

void TCKbOccTekst::Rescale(double scale) {
  TCKbOccurrence::Rescale(scale);
  TCKbTekst& tekst = Tekst();
  // Toward zero; an absurd zoom must not overflow the font height.
  const double height = std::trunc(scale * tekst.FontSize);
  tekst.Font.Height =
      std::isnan(height) ? 0 : -static_cast<int>(std::clamp<double>(height, -kMaxFontHeight, kMaxFontHeight));
}

std::string TCKbOccTekst::WholeText() const {
  std::string text;
  for (const auto& line : Lines) text += line + "\r\n";
  return text;
}

}  // namespace qrl
