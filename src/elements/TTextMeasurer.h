#pragma once
// How texts are measured: a font description and the two measurements the text layout needs.
// The window system supplies the real measurer; tests use a fixed-width one.

#include <compare>
#include <string>
#include <string_view>

#include "format/TQLStream.h"

namespace qrl {

struct TFontSpec {
  std::string Name;
  int Height = 0;  // negative: character height in pixels (without internal leading)
  TColor Color = 0;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  auto operator<=>(const TFontSpec&) const = default;
};

class TTextMeasurer {
 public:
  virtual ~TTextMeasurer() = default;
  // Advance width in pixels of Windows-1252 text in the font.
  virtual int TextWidth(const TFontSpec& font, std::string_view cp1252) const = 0;
  // The height of the text "H" in the font: the spacing of text lines.
  virtual int LineHeight(const TFontSpec& font) const = 0;
};

}  // namespace qrl
