#include "windows/NavGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace qrl {
namespace {

QPixmap Canvas(int width, int height, qreal dpr) {
  QPixmap pixmap(qRound(width * dpr), qRound(height * dpr));
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void DrawSymbol(QPainter& p, TNavGlyph glyph, const QRectF& box, const QColor& ink) {
  const QPointF c = box.center();
  QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (glyph) {
    case TNavGlyph::PageDown:
    case TNavGlyph::PageUp: {
      const qreal dir = glyph == TNavGlyph::PageUp ? 1.0 : -1.0;
      QPainterPath arrow;
      arrow.moveTo(c.x() + dir * 6, c.y());
      arrow.lineTo(c.x() - dir * 4, c.y() - 6);
      arrow.lineTo(c.x() - dir * 4, c.y() + 6);
      arrow.closeSubpath();
      p.setBrush(ink);
      p.drawPath(arrow);
      p.drawLine(QPointF(c.x() - dir * 9, c.y() - 6), QPointF(c.x() - dir * 9, c.y() + 6));
      break;
    }
    case TNavGlyph::Mute: {
      QPainterPath speaker;
      speaker.moveTo(c.x() - 9, c.y() - 3);
      speaker.lineTo(c.x() - 5, c.y() - 3);
      speaker.lineTo(c.x(), c.y() - 7);
      speaker.lineTo(c.x(), c.y() + 7);
      speaker.lineTo(c.x() - 5, c.y() + 3);
      speaker.lineTo(c.x() - 9, c.y() + 3);
      speaker.closeSubpath();
      p.setBrush(ink);
      p.drawPath(speaker);
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(c.x() - 4, c.y() - 5, 10, 10), -50 * 16, 100 * 16);
      p.drawArc(QRectF(c.x() - 6, c.y() - 8, 16, 16), -50 * 16, 100 * 16);
      break;
    }
    case TNavGlyph::Note: {
      QPainterPath sheet;
      sheet.moveTo(c.x() - 6, c.y() - 7);
      sheet.lineTo(c.x() + 3, c.y() - 7);
      sheet.lineTo(c.x() + 6, c.y() - 4);
      sheet.lineTo(c.x() + 6, c.y() + 7);
      sheet.lineTo(c.x() - 6, c.y() + 7);
      sheet.closeSubpath();
      p.drawPath(sheet);
      for (int i = 0; i < 3; ++i) p.drawLine(QPointF(c.x() - 3, c.y() - 2 + i * 3), QPointF(c.x() + 3, c.y() - 2 + i * 3));
      break;
    }
    case TNavGlyph::Info:
      p.drawEllipse(c, 7.5, 7.5);
      p.setBrush(ink);
      p.drawEllipse(QPointF(c.x(), c.y() - 3.8), 0.9, 0.9);
      p.drawLine(QPointF(c.x(), c.y() - 0.5), QPointF(c.x(), c.y() + 4.5));
      break;
    case TNavGlyph::Close:
      p.drawLine(QPointF(c.x() - 5, c.y() - 5), QPointF(c.x() + 5, c.y() + 5));
      p.drawLine(QPointF(c.x() + 5, c.y() - 5), QPointF(c.x() - 5, c.y() + 5));
      break;
  }
}

}  // namespace

QColor NavBarColour() { return QColor(0x15, 0x15, 0x15); }

QPixmap NavGlyphStrip(TNavGlyph glyph, qreal dpr) {
  QPixmap strip = Canvas(4 * kGlyphWidth, kGlyphHeight, dpr);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  struct Look {
    QColor face, edge, ink;
    qreal shift;
  };
  const Look looks[4] = {
      {QColor(0x2c, 0x2c, 0x2c), QColor(0x55, 0x55, 0x55), QColor(0xd8, 0xd8, 0xd8), 0},  // up
      {QColor(0x22, 0x22, 0x22), QColor(0x33, 0x33, 0x33), QColor(0x5a, 0x5a, 0x5a), 0},  // disabled
      {QColor(0x1a, 0x1a, 0x1a), QColor(0x77, 0x77, 0x77), QColor(0xff, 0xff, 0xff), 1},  // down
      {QColor(0x3a, 0x30, 0x12), QColor(0xc8, 0x9a, 0x2a), QColor(0xff, 0xd0, 0x50), 1},  // exclusive
  };
  for (int i = 0; i < 4; ++i) {
    const Look& look = looks[i];
    const QRectF cell(i * kGlyphWidth + 0.5, 0.5, kGlyphWidth - 1.0, kGlyphHeight - 1.0);
    p.setPen(QPen(look.edge, 1.0));
    p.setBrush(look.face);
    p.drawRoundedRect(cell, 4, 4);
    DrawSymbol(p, glyph, cell.translated(look.shift, look.shift), look.ink);
  }
  return strip;
}

void DrawLeafEmblem(QPainter& p, const QRectF& box) {
  p.save();
  p.translate(box.topLeft());
  p.scale(box.width() / 44.0, box.height() / 30.0);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath leaf;
  leaf.moveTo(8, 24);
  leaf.cubicTo(8, 10, 20, 4, 38, 5);
  leaf.cubicTo(38, 20, 26, 27, 8, 24);
  QLinearGradient green(8, 5, 38, 25);
  green.setColorAt(0, QColor(0x9c, 0xd8, 0x5a));
  green.setColorAt(1, QColor(0x2f, 0x7d, 0x32));
  p.setPen(Qt::NoPen);
  p.setBrush(green);
  p.drawPath(leaf);
  p.setPen(QPen(QColor(0xe8, 0xf5, 0xd0), 1.4, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath vein;
  vein.moveTo(9, 23);
  vein.quadTo(22, 16, 34, 8);
  p.drawPath(vein);
  p.restore();
}

QPixmap NavLogo(qreal dpr) {
  QPixmap logo = Canvas(kLogoWidth, kLogoHeight, dpr);
  logo.fill(NavBarColour());
  QPainter p(&logo);
  DrawLeafEmblem(p, QRectF(0, 0, 44, kLogoHeight));
  return logo;
}

}  // namespace qrl
