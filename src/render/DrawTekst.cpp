#include "render/DrawTekst.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "elements/QtTextMeasurer.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"
#include "render/CanvasRect.h"
#include "render/DibImage.h"

namespace qrl {

namespace {

using std::int64_t;

// The caller's painter keeps its font, pen and background, whatever happens here.
class TSavedState {
 public:
  explicit TSavedState(QPainter& canvas) : canvas_(canvas) { canvas_.save(); }
  ~TSavedState() { canvas_.restore(); }
  TSavedState(const TSavedState&) = delete;
  TSavedState& operator=(const TSavedState&) = delete;

 private:
  QPainter& canvas_;
};

const TTextMeasurer& MeasurerOf(const TCKbTekst& tekst) {
  if (tekst.Context().Measurer != nullptr) return *tekst.Context().Measurer;
  static const TQtTextMeasurer fallback;
  return fallback;
}

void Fill(QPainter& canvas, const QRect& area, const QColor& colour) {
  if (!area.isEmpty()) canvas.fillRect(area, colour);
}

// Copies an area of what the canvas holds to another place on it (which may overlap).
void MoveArea(QPainter& canvas, const QRect& from, const QPoint& to) {
  if (from.isEmpty()) return;
  const QRect source = canvas.deviceTransform().mapRect(from);
  QPaintDevice* device = canvas.device();
  if (device != nullptr && device->devType() == QInternal::Image) {
    canvas.drawImage(to, static_cast<const QImage*>(device)->copy(source));
  } else if (device != nullptr && device->devType() == QInternal::Pixmap) {
    canvas.drawPixmap(to, static_cast<const QPixmap*>(device)->copy(source));
  } else {
    throw EQuireleafDebugger(ecInvalidDC);
  }
}

// The opaque background: all of it for a full paint; after a scroll, what was drawn moves by
// the difference and the strip that comes into view is filled.
void DrawOpaqueBackground(QPainter& canvas, const TCKbTekst& tekst, int64_t w, int64_t h, int64_t x, int64_t top,
                          int64_t border, int64_t b, int64_t pos, int64_t prev) {
  const QColor back = ToQColor(tekst.BackColour);
  canvas.setBackgroundMode(Qt::OpaqueMode);
  canvas.setBackground(back);
  if (prev < 0) {
    Fill(canvas, CanvasRect(x, top + 1, w - b - 2, h - 2), back);
    return;
  }
  // A jump of more than the box exposes all of it; the fill stays inside the box.
  const int64_t inner = h - 2 * border;
  if (pos < prev) {
    const int64_t d = prev - pos;
    MoveArea(canvas, CanvasRect(x, top + border, w - b - 1, h - d - 2 * border), CanvasPoint(x, top + border + d));
    Fill(canvas, CanvasRect(x, top + border, w - b - 1, std::min(d, inner)), back);
  } else if (pos > prev) {
    const int64_t d = pos - prev;
    MoveArea(canvas, CanvasRect(x, top + border + d, w - b - 1, h - d - 2 * border), CanvasPoint(x, top + border));
    const int64_t strip = std::min(d, inner);
    Fill(canvas, CanvasRect(x, top + h - border - strip, w - b - 1, strip), back);
  }
}

}  // namespace

void DrawTekst(TCKbOccTekst& placement, QPainter& canvas, int pos, int barWidth, int top, int left, int prev,
               const QImage* pageBitmap) {
  const TCKbTekst& tekst = placement.Tekst();
  const TTextMeasurer& measurer = MeasurerOf(tekst);
  const int64_t w = placement.Width;
  const int64_t h = placement.Height;
  const int64_t b = barWidth;
  const int64_t border = tekst.Framed ? 1 : 0;
  const int64_t x = int64_t{left} + 1;
  const int64_t lh = measurer.LineHeight(tekst.Font);
  const bool full = prev < 0;

  const TSavedState saved(canvas);
  const QFont font = ToQFont(tekst.Font);
  canvas.setFont(font);
  if (tekst.Opaque) {
    DrawOpaqueBackground(canvas, tekst, w, h, x, top, border, b, pos, prev);
  } else {
    if (!full && pageBitmap != nullptr) {
      const QRect under =
          CanvasRect(int64_t{placement.Left} + 1, int64_t{placement.Top} + border, w - b - 2, h - 2 * border);
      // The page may be drawn at a screen's resolution: its pixels are not the canvas's.
      const double pageScale = pageBitmap->devicePixelRatio();
      if (!under.isEmpty())
        canvas.drawImage(QPointF(CanvasPoint(x, int64_t{top} + border)), *pageBitmap,
                         QRectF(QPointF(under.topLeft()) * pageScale, QSizeF(under.size()) * pageScale));
    }
    canvas.setBackgroundMode(Qt::TransparentMode);
  }
  canvas.setPen(ToQColor(tekst.Font.Color));

  // Text goes out by the top of its cell, as the line height measures it.
  const int ascent = QFontMetrics(font).ascent();
  const int64_t room = w - b - 1;
  for (std::size_t i = 0; i < placement.Lines.size(); ++i) {
    const int64_t y = static_cast<int64_t>(i) * lh - pos + 1;
    if (y > h - 2 * border) {
      if (lh > 0) break;  // every later line lies lower still
      continue;
    }
    if (y + lh < border) continue;
    if (tekst.Opaque && !full) {
      if (pos < prev && y > int64_t{prev} - pos) continue;
      if (pos > prev && y + lh < h + prev - pos - 2 * border) continue;
    }
    std::string_view text = placement.Lines[i];
    if (!text.empty() && text.back() == kParagraphEnd) text.remove_suffix(1);
    int64_t offset = 2;
    if (tekst.Alignment == taRight || tekst.Alignment == taCentre) {
      const int64_t textWidth = measurer.TextWidth(tekst.Font, text);
      // Centred: the quotient truncated toward zero, as C++ divides.
      offset = tekst.Alignment == taRight ? room - textWidth : (room - textWidth) / 2;
    }
    canvas.drawText(CanvasPoint(int64_t{left} + offset, int64_t{top} + y + ascent), FromCp1252(text));
  }

  if (tekst.Framed && w > 0 && h > 0) {
    const QColor black(Qt::black);
    Fill(canvas, CanvasRect(left, top, w, 1), black);
    Fill(canvas, CanvasRect(left, int64_t{top} + h - 1, w, 1), black);
    Fill(canvas, CanvasRect(left, top, 1, h), black);
    Fill(canvas, CanvasRect(int64_t{left} + w - 1, top, 1, h), black);
  }
}

}  // namespace qrl
