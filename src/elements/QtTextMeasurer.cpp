#include "elements/QtTextMeasurer.h"

#include <array>
#include <cstdlib>

namespace qrl {

namespace {

struct TFaceMapping {
  const char* Face;
  const char* Family;
};

constexpr std::array<TFaceMapping, 8> kFaces{{
    {"Arial", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"System", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Terminal", "Liberation Mono"},
}};

QString FamilyOf(const std::string& face) {
  for (const TFaceMapping& m : kFaces)
    if (face == m.Face) return QString::fromLatin1(m.Family);
  return QString::fromStdString(face);
}

}  // namespace

QFont ToQFont(const TFontSpec& font) {
  QFont f(FamilyOf(font.Name));
  // Heights of either sign give the character height; 0 keeps the family's default size.
  if (font.Height != 0) f.setPixelSize(std::abs(font.Height));
  f.setBold(font.Bold);
  f.setItalic(font.Italic);
  f.setUnderline(font.Underline);
  f.setStrikeOut(font.StrikeOut);
  // Flyers were laid out with unkerned advances.
  f.setKerning(false);
  return f;
}

const QFontMetrics& TQtTextMeasurer::MetricsOf(const TFontSpec& font) const {
  TFontSpec key = font;
  key.Color = 0;  // the colour does not change a measurement
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, QFontMetrics(ToQFont(key))).first;
  return it->second;
}

int TQtTextMeasurer::TextWidth(const TFontSpec& font, std::string_view cp1252) const {
  return MetricsOf(font).horizontalAdvance(FromCp1252(cp1252));
}

int TQtTextMeasurer::LineHeight(const TFontSpec& font) const { return MetricsOf(font).height(); }

}  // namespace qrl
