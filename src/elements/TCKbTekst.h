#pragma once
// The text element: lines of plain text in one font and colour, with an optional background
// and frame, an alignment and a permission to scroll. Each placement holds the lines it draws,
// shared with the element and the other placements rather than copied.

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

#include "elements/TCKbControl.h"
#include "elements/TCKbOccurrence.h"
#include "elements/TSharedLines.h"
#include "elements/TTextMeasurer.h"
#include "format/TQLStream.h"

namespace qrl {

inline constexpr std::int16_t kPlainTextCompression = 0;
// From this format code on, a scrollable placement scrolls only when its text does not fit.
inline constexpr std::uint16_t kMeasuredTextFormat = 106;
// Ends the last line of a paragraph; part of the stored line, never drawn.
inline constexpr char kParagraphEnd = '\xA0';

enum TTextAlignment : int { taLeft = 0, taRight = 1, taCentre = 2 };

// Text flag bits.
inline constexpr std::int16_t tfOpaque = 0x0001;
inline constexpr std::int16_t tfFramed = 0x0002;
inline constexpr std::int16_t tfScrollAllowed = 0x0004;
inline constexpr std::int16_t tfAlignmentMask = 0x0018;
inline constexpr std::int16_t tfRight = 0x0008;
inline constexpr std::int16_t tfCentre = 0x0010;
inline constexpr std::int16_t tfBold = 0x0100;
inline constexpr std::int16_t tfItalic = 0x0200;
inline constexpr std::int16_t tfUnderline = 0x0400;
inline constexpr std::int16_t tfStrikeOut = 0x0800;

class TCKbTekst : public TCKbControl {
 public:
  explicit TCKbTekst(TElementContext& context);

  TColor BackColour = 0xFFFFFF;
  bool Framed = true;
  bool Opaque = true;
  bool ScrollAllowed = false;
  TFontSpec Font;  // "Arial", height 15 until loaded
  int Alignment = taLeft;
  // The lines as the file stores them; every re-flow starts from these.
  TSharedLines StoredLines;
  // The lines a placement created now takes: the stored lines, then the re-flow for the
  // placement read last.
  TSharedLines Lines;
  // Re-flows of StoredLines made so far, by font height, bar width and placement width, so that
  // placements of one size share one list.
  std::map<std::tuple<int, int, int>, TSharedLines> Reflows;
  std::int16_t FontSize = 0;  // stored character height; Font.Height = -FontSize x zoom

  int Kind() const override { return kindText; }
  // Compression type (must be kPlainTextCompression, else 4128), colours, font, flags, lines.
  // On 8-bit screens the text colour, and the background colour when opaque, enter Palette.
  void Load(TQLStream& stream, std::int64_t headerEnd) override;

  // A text without lines that is neither opaque nor framed stands for a picture file.
  bool IsPlaceholder() const { return Lines.empty() && !Opaque && !Framed; }
  // New stored lines, which are also the current lines; forgets earlier re-flows.
  void SetLines(TStrings lines);

 protected:
  std::unique_ptr<TCKbOccurrence> CreateOccurrence() override;
};

class TCKbOccTekst : public TCKbOccurrence {
 public:
  explicit TCKbOccTekst(TCKbTekst& element) : TCKbOccurrence(element), Lines(element.Lines) {}

  TSharedLines Lines;  // the element's lines as they stood when this placement was created

  // The placement; then before format code 106 a scrollable text is always windowed, from 106
  // on MeasureTekst re-flows the element's lines for this rectangle and decides.
  void Load(TQLStream& stream, int layout) override;
  // Also sets the element's font height to -Trunc(scale x FontSize).
  void Rescale(double scale) override;

  TCKbTekst& Tekst() const { return static_cast<TCKbTekst&>(Element()); }
  // The lines, each followed by a carriage return and a line feed (paragraph ends kept).
  std::string WholeText() const;
};

}  // namespace qrl
