#pragma once
// The nav bar's pictures, drawn in code so they stay crisp at any device pixel ratio: the glyph
// strips of the six buttons (four images side by side: up, disabled, down, exclusive) and the logo.

#include <QPixmap>
#include <QRectF>

class QPainter;

namespace qrl {

enum class TNavGlyph { PageDown, PageUp, Mute, Note, Info, Close };

inline constexpr int kGlyphWidth = 52;   // one image of a strip, in device-independent pixels
inline constexpr int kGlyphHeight = 19;
inline constexpr int kLogoWidth = 250;
inline constexpr int kLogoHeight = 30;

// A strip of 4 * kGlyphWidth x kGlyphHeight device-independent pixels.
QPixmap NavGlyphStrip(TNavGlyph glyph, qreal devicePixelRatio);

// The logo image of the nav bar, kLogoWidth x kLogoHeight device-independent pixels.
QPixmap NavLogo(qreal devicePixelRatio);

// The leaf emblem of the logo, scaled into box (its natural size is 44 x 30).
void DrawLeafEmblem(QPainter& painter, const QRectF& box);

// The nav bar's colour (1381653 as 0x00BBGGRR).
QColor NavBarColour();

}  // namespace qrl
