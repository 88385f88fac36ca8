#pragma once
// Measuring flyer texts with real fonts: the flyer's face names map to the metric-compatible
// Liberation families. Needs a QGuiApplication.

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <map>
#include <string_view>

#include "elements/QtCodePage.h"
#include "elements/TTextMeasurer.h"

namespace qrl {

// The Qt font of a flyer font: Liberation family, pixel size = character height, no kerning.
QFont ToQFont(const TFontSpec& font);

class TQtTextMeasurer : public TTextMeasurer {
 public:
  int TextWidth(const TFontSpec& font, std::string_view cp1252) const override;
  // The full line cell (ascent + descent), which is what measuring the height of "H" yields.
  int LineHeight(const TFontSpec& font) const override;

 private:
  const QFontMetrics& MetricsOf(const TFontSpec& font) const;

  mutable std::map<TFontSpec, QFontMetrics> cache_;
};

}  // namespace qrl
