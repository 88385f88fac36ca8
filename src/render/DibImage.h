#pragma once
// The bridge from the packed bottom-up bitmaps and 0x00BBGGRR colours of the model to Qt.

#include <QColor>
#include <QImage>
#include <QPoint>

#include "format/TQLStream.h"
#include "format/Dib.h"

class QPainter;

namespace qrl {

inline QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline QRgb ToQRgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Whether the bitmap holds the rows its header promises, at least one pixel of them.
bool IsDrawable(const TDib& picture);

// The picture top row first, as RGB32, for drawing; a null image when the bitmap is empty, its
// bytes do not hold the rows its header promises, or there is no memory for the image.
QImage DibImage(const TDib& picture);

// Draws the picture at its own size with its top-left corner at `at`, its rows converted
// straight into the image the canvas paints on, so that no copy of the picture is made. False,
// with nothing drawn, unless the canvas is a plain 32-bit image painted without clipping,
// opacity, blending modes or any transformation beyond a whole-pixel translation.
bool DrawDibUnscaled(QPainter& canvas, const TDib& picture, QPoint at);

}  // namespace qrl
