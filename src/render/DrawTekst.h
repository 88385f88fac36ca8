#pragma once
// Drawing a text placement's lines: the full paint of the page and of a scrolling text, and the
// repaint after its scroll bar moved, which moves what is drawn and fills in the strip that
// comes into view.

class QImage;
class QPainter;

namespace qrl {

class TCKbOccTekst;

// The previous position that asks for a full paint.
inline constexpr int kFullPaint = -1;

// Draws placement's lines onto canvas with the placement's box at (left, top), scrolled up by
// pos pixels, keeping barWidth pixels on the right for a scroll bar.
// prev < 0 (kFullPaint) draws everything. prev >= 0 is the position drawn last: an opaque text
// moves its drawn content by the difference and draws only the lines reaching into the strip
// that comes into view; a transparent one first puts back the page under it from pageBitmap
// (the page as rendered, where the placement sits at its own Left and Top; without one nothing
// is put back) and draws all lines. The repaint of an opaque text reads what canvas holds, so
// its painter must draw on a QImage or a QPixmap (else "Invalid DC.").
// Lines are measured with the measurer of the flyer the text belongs to, so that drawing agrees
// with the layout made when it was loaded.
void DrawTekst(TCKbOccTekst& placement, QPainter& canvas, int pos, int barWidth, int top, int left, int prev,
               const QImage* pageBitmap);

}  // namespace qrl
