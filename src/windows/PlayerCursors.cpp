#include "windows/PlayerCursors.h"

#include <QPainter>
#include <QPainterPath>

namespace qrl {
namespace {

// The fingertip is the hot spot.
constexpr int kHotX = 9;
constexpr int kHotY = 1;

QPainterPath HandPath() {
  QPainterPath hand;
  hand.setFillRule(Qt::WindingFill);
  hand.addRoundedRect(QRectF(7, 1, 5, 15), 2.5, 2.5);     // index finger
  hand.addRoundedRect(QRectF(12, 8, 4.5, 9), 2.2, 2.2);   // middle finger
  hand.addRoundedRect(QRectF(16.5, 9, 4.5, 8), 2.2, 2.2); // ring finger
  hand.addRoundedRect(QRectF(21, 10, 4, 8), 2.0, 2.0);    // little finger
  QPainterPath palm;
  palm.moveTo(7, 12);
  palm.lineTo(25, 14);
  palm.lineTo(25, 20);
  palm.quadTo(24, 27, 19, 28);
  palm.lineTo(11, 28);
  palm.quadTo(8, 25, 3, 18);
  palm.quadTo(2, 15, 4.5, 14.5);
  palm.lineTo(7, 16);
  palm.closeSubpath();
  return hand.united(palm);
}

void DrawGlobe(QPainter& p) {
  const QRectF globe(19, 19, 12, 12);
  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(QColor(0x3a, 0x8e, 0xe6));
  p.drawEllipse(globe);
  p.setPen(QPen(Qt::white, 0.9));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(22.5, 19, 5, 12));
  p.drawLine(QPointF(19.5, 25), QPointF(30.5, 25));
}

void DrawExitArrow(QPainter& p) {
  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(QColor(0xd8, 0x3a, 0x2e));
  p.drawRect(QRectF(19, 18, 8, 13));
  QPainterPath arrow;
  arrow.moveTo(22, 24.5);
  arrow.lineTo(27, 24.5);
  arrow.lineTo(27, 21.5);
  arrow.lineTo(31.5, 24.5);
  arrow.lineTo(27, 27.5);
  arrow.lineTo(27, 24.5);
  p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(arrow);
}

}  // namespace

QPixmap CursorPixmap(TScreenCursor shape, qreal dpr) {
  if (shape != crFinger && shape != crWebLink && shape != crExitLink) return {};
  QPixmap pixmap(qRound(kCursorSize * dpr), qRound(kCursorSize * dpr));
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(HandPath());
  if (shape == crWebLink) DrawGlobe(p);
  if (shape == crExitLink) DrawExitArrow(p);
  return pixmap;
}

QCursor PlayerCursor(int screenCursor, qreal dpr) {
  const QPixmap pixmap = CursorPixmap(static_cast<TScreenCursor>(screenCursor), dpr);
  if (pixmap.isNull()) return QCursor(Qt::ArrowCursor);
  return QCursor(pixmap, kHotX, kHotY);
}

}  // namespace qrl
